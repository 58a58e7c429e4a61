#include "shell/BatchPort.h"

namespace vorne {

const char* AnswerName(TAnswer a) {
  switch (a) {
    case TAnswer::OK: return "OK";
    case TAnswer::Cancel: return "Cancel";
    case TAnswer::Yes: return "Yes";
    case TAnswer::No: return "No";
    case TAnswer::Abort: return "Abort";
  }
  return "?";
}

TAnswer SafeAnswer(TButtons buttons) {
  switch (buttons) {
    case TButtons::OK: return TAnswer::OK;
    case TButtons::YesNo: return TAnswer::No;
    default: return TAnswer::Cancel;
  }
}

void TBatchPort::Message(TMsgKind kind, const std::string& text) {
  const char* tag = kind == TMsgKind::Error ? "error: " : kind == TMsgKind::Warning ? "warning: " : "";
  if (kind == TMsgKind::Error) ++errors_;
  std::fprintf(err_, "%s%s\n", tag, text.c_str());
  std::fflush(err_);
}

TAnswer TBatchPort::Ask(const std::string& text, TButtons buttons) {
  auto it = answers_.find(text);
  if (it != answers_.end()) {
    std::fprintf(err_, "%s -> %s\n", text.c_str(), AnswerName(it->second));
    return it->second;
  }
  TAnswer a = SafeAnswer(buttons);
  ++declined_;
  std::fprintf(err_, "declined: \"%s\" answered %s", text.c_str(), AnswerName(a));
  auto hint = hints_.find(text);
  if (hint != hints_.end()) std::fprintf(err_, " (give %s to answer it)", hint->second.c_str());
  std::fprintf(err_, "\n");
  std::fflush(err_);
  return a;
}

std::optional<std::string> TBatchPort::ChooseOpenFile(const TFileChoice& choice) { return std::nullopt; }

std::optional<std::string> TBatchPort::ChooseSaveFile(const TFileChoice& choice) {
  if (acceptProposed_ && !choice.defaultName.empty()) return choice.defaultName;
  return std::nullopt;
}

std::optional<std::string> TBatchPort::ChooseFolder(const TFileChoice& choice) { return std::nullopt; }

}  // namespace vorne
