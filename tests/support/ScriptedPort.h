// A user port for tests: answers come from a queue, and every message and
// question is written to a transcript that tests assert on.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/UserPort.h"

namespace vorne::testing {

class TScriptedPort : public TUserPort {
 public:
  // Queued answers for Ask, in order; an empty queue answers the safe choice.
  void QueueAnswer(TAnswer a) { answers_.push_back(a); }
  // Queued file choices for the three file dialogs; "" means cancelled.
  void QueueFile(const std::string& path) { files_.push_back(path); }
  // Queued texts for the typed dialogs; "\x18" means cancelled. An empty
  // queue accepts the preset text.
  void QueueText(const std::string& text) { texts_.push_back(text); }
  // Queued handlers for typed dialogs: each edits the model as the person
  // would and returns what RunDialog returns. An empty queue cancels.
  void QueueDialog(std::function<bool(TDialogModel&)> h) { dialogs_.push_back(std::move(h)); }

  bool RunDialog(TDialogModel& d) override {
    bool ok = false;
    if (!dialogs_.empty()) {
      auto h = std::move(dialogs_.front());
      dialogs_.pop_front();
      ok = h(d);
    }
    transcript.push_back("dialog: " + d.Caption() + " -> " + (ok ? "OK" : "Cancel"));
    return ok;
  }

  void Message(TMsgKind kind, const std::string& text) override {
    const char* tag = kind == TMsgKind::Error ? "error: " : kind == TMsgKind::Warning ? "warning: " : "info: ";
    transcript.push_back(tag + text);
    messages.push_back(text);
  }
  TAnswer Ask(const std::string& text, TButtons buttons) override {
    TAnswer a = TAnswer::Cancel;
    if (!answers_.empty()) {
      a = answers_.front();
      answers_.pop_front();
    } else if (buttons == TButtons::OK) {
      a = TAnswer::OK;
    } else if (buttons == TButtons::YesNo) {
      a = TAnswer::No;
    }
    questions.push_back(text);
    transcript.push_back("ask: " + text + " -> " + AnswerName(a));
    return a;
  }
  std::optional<std::string> ChooseOpenFile(const TFileChoice& c) override { return NextFile("open", c); }
  std::optional<std::string> ChooseSaveFile(const TFileChoice& c) override { return NextFile("save", c); }
  std::optional<std::string> ChooseFolder(const TFileChoice& c) override { return NextFile("folder", c); }
  std::optional<std::string> AskText(const std::string& caption, const std::string& label,
                                     const std::string& preset) override {
    std::string text = preset;
    if (!texts_.empty()) {
      text = texts_.front();
      texts_.pop_front();
    }
    const bool cancelled = text == "\x18";
    transcript.push_back("dialog: " + caption + " [" + label + preset + "] -> " + (cancelled ? "cancel" : text));
    if (cancelled) return std::nullopt;
    return text;
  }
  void Status(int panel, const std::string& text) override {
    if (panel >= 0 && panel < 6) status[panel] = text;
  }
  void ProcessEvents() override { ++eventsProcessed; }

  std::vector<std::string> transcript;
  std::vector<std::string> messages;
  std::vector<std::string> questions;
  std::string status[6];
  int eventsProcessed = 0;

 private:
  std::optional<std::string> NextFile(const char* kind, const TFileChoice& c) {
    std::string path;
    if (!files_.empty()) {
      path = files_.front();
      files_.pop_front();
    }
    transcript.push_back(std::string(kind) + ": " + c.caption + " [" + c.defaultName + "] -> " + path);
    if (path.empty()) return std::nullopt;
    return path;
  }
  std::deque<TAnswer> answers_;
  std::deque<std::string> files_;
  std::deque<std::string> texts_;
  std::deque<std::function<bool(TDialogModel&)>> dialogs_;
};

}  // namespace vorne::testing
