// QtUserPort: the person's side of the user port in the desktop program.
// Messages and questions are modal message boxes with the system's texts,
// icons and buttons; file and folder choices are file dialogs that start
// where the drive map points; typed dialogs are shown by the view registered
// for their model; status texts go to the main window's status panels; the
// busy cursor is the application's override cursor; ProcessEvents lets the
// event loop run, which is where "Enough!" and Stop reach a running loop.
//
// Every box and dialog it opens is a child of the window set with
// SetWindow, modal, and named ("vorneMessage", "vorneFileDialog",
// "vorneTextDialog") so that tests can find and answer it.
#pragma once

#include <QString>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/UserPort.h"

class QWidget;

namespace vorne {

class QtUserPort : public TUserPort {
 public:
  // Shows a typed dialog if it is of the view's type: nullopt when not, else
  // whether it closed by its OK.
  using TDialogView = std::function<std::optional<bool>(TDialogModel&, QWidget* parent)>;
  // Where status texts go (panel 0-5).
  using TStatusSink = std::function<void(int panel, const QString& text)>;
  // Where the messages of an unattended run go instead of message boxes.
  using TUnattendedSink = std::function<void(const QString& text)>;

  QtUserPort();
  ~QtUserPort() override;

  void SetWindow(QWidget* window) { window_ = window; }
  void SetStatusSink(TStatusSink sink) { status_ = std::move(sink); }
  // While a sink is set (a run started by GO or EXPRESS) nothing waits for a
  // click: messages go to the sink; questions take their safe answer; a file
  // or folder choice takes what its dialog proposes (an open dialog only an
  // existing file, a save dialog only a file name) or is cancelled; a typed
  // dialog is cancelled and a text dialog takes its preset. The sink is told
  // every answer. nullptr shows boxes and dialogs again.
  void SetUnattended(TUnattendedSink sink);
  // While unattended, the question whose text is text takes answer instead
  // of its safe answer (the command line's ADD or REPLACE answered it).
  void SetUnattendedAnswer(const std::string& text, TAnswer answer) { unattendedAnswers_[text] = answer; }
  bool Unattended() const { return bool(unattended_); }
  void AddDialogView(TDialogView view) { views_.push_back(std::move(view)); }
  // A question whose buttons carry words of their own (the "Delete?" dialog):
  // its window caption and the captions of its first two buttons.
  void SetButtonWords(const std::string& question, const std::string& caption, const std::string& first,
                      const std::string& second);

  void Message(TMsgKind kind, const std::string& text) override;
  TAnswer Ask(const std::string& text, TButtons buttons) override;
  std::optional<std::string> ChooseOpenFile(const TFileChoice& choice) override;
  std::optional<std::string> ChooseSaveFile(const TFileChoice& choice) override;
  std::optional<std::string> ChooseFolder(const TFileChoice& choice) override;
  std::optional<std::string> AskText(const std::string& caption, const std::string& label,
                                     const std::string& preset) override;
  bool RunDialog(TDialogModel& dialog) override;
  void Busy(bool on) override;
  void Status(int panel, const std::string& text) override;
  void ProcessEvents() override;

  // A file-dialog filter of the system ("All|GZPrim*;Prim*|zipped|GZPrim*",
  // "*.tab") in Qt's form ("All (GZPrim* Prim*);;zipped (GZPrim*)").
  static QString QtFilter(const std::string& filter);

 private:
  enum class TFileKind { Open, Save, Folder };
  std::optional<std::string> ChooseFile(TFileKind kind, const TFileChoice& choice);
  std::optional<std::string> ProposedChoice(TFileKind kind, const TFileChoice& choice);

  struct TWords {
    std::string caption, first, second;
  };
  QWidget* window_ = nullptr;
  TStatusSink status_;
  TUnattendedSink unattended_;
  std::map<std::string, TAnswer> unattendedAnswers_;
  std::vector<TDialogView> views_;
  std::map<std::string, TWords> words_;
  int busyDepth_ = 0;
};

}  // namespace vorne
