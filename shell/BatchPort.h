// The user port of the batch program: messages go to stderr, questions are
// answered by the answers the command line set up, or declined with the safe
// answer (stderr says which question and which keyword would answer it).
// File dialogs are never shown: they answer with the name they propose when
// the run allows it, otherwise nothing.
#pragma once

#include <cstdio>
#include <map>
#include <string>

#include "platform/UserPort.h"

namespace vorne {

class TBatchPort : public TUserPort {
 public:
  explicit TBatchPort(std::FILE* err = stderr) : err_(err) {}

  // Answers the question whose text is text with answer.
  void SetAnswer(const std::string& text, TAnswer answer) { answers_[text] = answer; }
  // Names the keyword that would answer a question, for the decline message.
  void SetHint(const std::string& text, const std::string& keyword) { hints_[text] = keyword; }
  // The same for every question that begins with prefix (questions that
  // carry a count, "Mark these 3 sheets Deleted").
  void SetAnswerByPrefix(const std::string& prefix, TAnswer answer) { prefixAnswers_[prefix] = answer; }
  void SetHintByPrefix(const std::string& prefix, const std::string& keyword) { prefixHints_[prefix] = keyword; }
  // When set, save dialogs take the proposed name instead of being cancelled.
  void AcceptProposedNames(bool on) { acceptProposed_ = on; }

  void Message(TMsgKind kind, const std::string& text) override;
  TAnswer Ask(const std::string& text, TButtons buttons) override;
  std::optional<std::string> ChooseOpenFile(const TFileChoice& choice) override;
  std::optional<std::string> ChooseSaveFile(const TFileChoice& choice) override;
  std::optional<std::string> ChooseFolder(const TFileChoice& choice) override;

  int ErrorCount() const { return errors_; }
  int DeclinedCount() const { return declined_; }

 private:
  std::FILE* err_;
  std::map<std::string, TAnswer> answers_;
  std::map<std::string, std::string> hints_;
  std::map<std::string, TAnswer> prefixAnswers_;
  std::map<std::string, std::string> prefixHints_;
  bool acceptProposed_ = false;
  int errors_ = 0;
  int declined_ = 0;
};

// The safe answer among buttons: Cancel where offered, else No, else OK.
TAnswer SafeAnswer(TButtons buttons);

}  // namespace vorne
