// Runs vorne-batch as a person runs it, for the end-to-end tests.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace vorne::testing {

inline std::string Slurp(const std::filesystem::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

struct TBatchResult {
  int status = -1;
  std::string out, err;
};

// Runs the program with args in workDir (its current folder) without
// standard input; stdout and stderr are captured through files there.
inline TBatchResult RunBatch(const std::filesystem::path& workDir, const std::vector<std::string>& args) {
  // HOME is the work folder, so that paths mapped to drives (debug logs)
  // land there and not in the home of whoever runs the tests.
  std::string cmd = "cd '" + workDir.string() + "' && HOME='" + workDir.string() + "' " + std::string(VORNE_BATCH);
  for (const auto& a : args) cmd += " '" + a + "'";
  cmd += " >batch-out.txt 2>batch-err.txt </dev/null";
  TBatchResult r;
  int raw = std::system(cmd.c_str());
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.out = Slurp(workDir / "batch-out.txt");
  r.err = Slurp(workDir / "batch-err.txt");
  return r;
}

// A fresh temporary folder named after the running test; the caller removes it.
inline std::filesystem::path TestTempDir(const std::string& prefix) {
  auto dir = std::filesystem::temp_directory_path() /
             (prefix + std::to_string(::getpid()) + "-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name());
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}

}  // namespace vorne::testing
