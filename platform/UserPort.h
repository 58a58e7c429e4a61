// Every contact with the person goes through TUserPort: messages with their
// fixed texts, questions with their buttons, file and folder choices, the
// busy cursor, status texts and the point where pending events run (where
// stop buttons are noticed). The desktop program answers with dialogs, the
// batch program from its keywords, tests from a script.
#pragma once

#include <optional>
#include <string>

namespace vorne {

class TFileSystem;

enum class TMsgKind { Info, Warning, Error };
enum class TButtons { OK, OKCancel, YesNo, YesNoCancel, OKCancelAbort };
enum class TAnswer { OK, Cancel, Yes, No, Abort };

const char* AnswerName(TAnswer a);

// A typed dialog the logic waits on (docket and filing date of a filing,
// company identity, ...). The model holds the fields and their checks; the
// view shows them, lets the person edit them and calls the model's own OK.
class TDialogModel {
 public:
  virtual ~TDialogModel() = default;
  virtual std::string Caption() const = 0;
};

struct TFileChoice {
  std::string caption;
  std::string defaultName;  // proposed file name or starting folder
  std::string filter;       // e.g. "Text files (*.txt)"
};

class TUserPort {
 public:
  virtual ~TUserPort() = default;

  virtual void Message(TMsgKind kind, const std::string& text) = 0;
  virtual TAnswer Ask(const std::string& text, TButtons buttons) = 0;

  // nullopt when the person cancels.
  virtual std::optional<std::string> ChooseOpenFile(const TFileChoice& choice) = 0;
  virtual std::optional<std::string> ChooseSaveFile(const TFileChoice& choice) = 0;
  virtual std::optional<std::string> ChooseFolder(const TFileChoice& choice) = 0;
  // A typed dialog with one text field ("Pick a Date"): the text typed, or
  // nullopt when cancelled. Unattended ports answer with the preset text.
  virtual std::optional<std::string> AskText(const std::string& caption, const std::string& label,
                                             const std::string& preset) {
    return preset;
  }

  // Shows a typed dialog and waits until it closes: true when it closed by
  // its OK (the model accepted the fields), false for its other button. The
  // default, and the batch program, answer as that other button.
  virtual bool RunDialog(TDialogModel& dialog) { return false; }

  virtual void Busy(bool on) {}
  // Status bar panel texts (0-2 the input library, 3-5 the output library).
  virtual void Status(int panel, const std::string& text) {}
  // Lets pending user-interface events run; long loops call it between items.
  virtual void ProcessEvents() {}

  void Info(const std::string& text) { Message(TMsgKind::Info, text); }
  void Warn(const std::string& text) { Message(TMsgKind::Warning, text); }
  void Error(const std::string& text) { Message(TMsgKind::Error, text); }
};

// A port for work done out of the person's sight (reading a library for
// its index, fuzzing): says nothing, cancels every question and choice.
class TSilentPort : public TUserPort {
 public:
  void Message(TMsgKind, const std::string&) override {}
  TAnswer Ask(const std::string&, TButtons) override { return TAnswer::Cancel; }
  std::optional<std::string> ChooseOpenFile(const TFileChoice&) override { return std::nullopt; }
  std::optional<std::string> ChooseSaveFile(const TFileChoice&) override { return std::nullopt; }
  std::optional<std::string> ChooseFolder(const TFileChoice&) override { return std::nullopt; }
  std::optional<std::string> AskText(const std::string&, const std::string&, const std::string&) override {
    return std::nullopt;
  }
};

// Shows the busy cursor for the life of the object.
class TBusy {
 public:
  explicit TBusy(TUserPort& port) : port_(port) { port_.Busy(true); }
  ~TBusy() { port_.Busy(false); }
  TBusy(const TBusy&) = delete;
  TBusy& operator=(const TBusy&) = delete;

 private:
  TUserPort& port_;
};

// What the core needs from its surroundings: the file layer and the user port.
struct TEnv {
  TFileSystem& fs;
  TUserPort& port;
};

}  // namespace vorne
