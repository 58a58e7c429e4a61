// Every committed fuzzing input, replayed once through its harness in the
// ordinary build: an input that once crashed stays fixed. The sanitizer build
// replays them with AddressSanitizer and UBSan watching.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "fuzz/Harnesses.h"

namespace vorne::fuzz {
namespace {

std::vector<std::filesystem::path> Inputs(const std::string& harness) {
  std::vector<std::filesystem::path> files;
  const std::filesystem::path dir = std::filesystem::path(VORNE_FUZZ_CORPUS) / harness;
  if (std::filesystem::is_directory(dir))
    for (const auto& e : std::filesystem::directory_iterator(dir))
      if (e.is_regular_file()) files.push_back(e.path());
  std::sort(files.begin(), files.end());
  return files;
}

std::string Bytes(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Replay(const std::string& harness, void (*run)(const uint8_t*, size_t)) {
  const auto inputs = Inputs(harness);
  ASSERT_FALSE(inputs.empty()) << "no corpus for " << harness;
  for (const auto& p : inputs) {
    SCOPED_TRACE(p.filename().string());
    const std::string b = Bytes(p);
    run(reinterpret_cast<const uint8_t*>(b.data()), b.size());
  }
}

TEST(FuzzCorpus, LibrariesReadInBothForms) { Replay("fuzz_library", FuzzLibrary); }

TEST(FuzzCorpus, FilingsImportAndReadBack) { Replay("fuzz_filing", FuzzFiling); }

}  // namespace
}  // namespace vorne::fuzz
