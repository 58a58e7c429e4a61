// What every benchmark shares: a user port that prints messages and answers
// questions with one fixed answer, and a stopwatch.
#pragma once

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>

#include "platform/UserPort.h"

namespace vorne {

class TQuietPort : public TUserPort {
 public:
  explicit TQuietPort(TAnswer answer = TAnswer::Cancel) : answer_(answer) {}
  void Message(TMsgKind, const std::string& text) override { std::fprintf(stderr, "message: %s\n", text.c_str()); }
  TAnswer Ask(const std::string&, TButtons) override { return answer_; }
  std::optional<std::string> ChooseOpenFile(const TFileChoice&) override { return std::nullopt; }
  std::optional<std::string> ChooseSaveFile(const TFileChoice&) override { return std::nullopt; }
  std::optional<std::string> ChooseFolder(const TFileChoice&) override { return std::nullopt; }

 private:
  TAnswer answer_;
};

// Writes back what earlier runs left in the page cache, so that their
// writeback does not land in the next timed run.
inline void Settle() { ::sync(); }

inline double Seconds(const std::function<void()>& f) {
  auto t0 = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

}  // namespace vorne
