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

// The entry for text: its own, else the first whose key begins text.
template <class T>
static const T* Lookup(const std::map<std::string, T>& exact, const std::map<std::string, T>& byPrefix,
                       const std::string& text) {
  if (auto it = exact.find(text); it != exact.end()) return &it->second;
  for (const auto& [prefix, value] : byPrefix)
    if (text.compare(0, prefix.size(), prefix) == 0) return &value;
  return nullptr;
}

TAnswer TBatchPort::Ask(const std::string& text, TButtons buttons) {
  if (const TAnswer* given = Lookup(answers_, prefixAnswers_, text)) {
    std::fprintf(err_, "%s -> %s\n", text.c_str(), AnswerName(*given));
    return *given;
  }
  TAnswer a = SafeAnswer(buttons);
  ++declined_;
  std::fprintf(err_, "declined: \"%s\" answered %s", text.c_str(), AnswerName(a));
  if (const std::string* hint = Lookup(hints_, prefixHints_, text))
    std::fprintf(err_, " (give %s to answer it)", hint->c_str());
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
