// The keyword table is the one list of the command line's words that the help,
// the manual pages and the shell completion are made from or checked against:
// every word the parsers compare is in it, and every word in it is explained
// by vorne-batch --help and the manual pages.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>

#include "shell/CommandLine.h"
#include "support/BatchRunner.h"

namespace vorne::testing {
namespace {

namespace fs = std::filesystem;

const fs::path kSource = VORNE_SOURCE_DIR;

// The whole words of text, upper case ones only.
std::set<std::string> Words(const std::string& text) {
  std::set<std::string> words;
  static const std::regex word("[A-Z][A-Z0-9]+");
  for (std::sregex_iterator it(text.begin(), text.end(), word), end; it != end; ++it) words.insert(it->str());
  return words;
}

TEST(KeywordDocsTest, EveryWordTheParsersCompareIsInTheTable) {
  std::set<std::string> table;
  for (const TKeywordInfo& k : CommandLineKeywords()) {
    table.insert(k.word);
    if (k.value)  // the literal words a value may be ("VOLUMES" of DELETE, "ALL" of RECENT)
      for (const std::string& w : Words(k.value)) table.insert(w);
  }
  static const std::regex compared(R"([!=]= "([A-Z][A-Z0-9]+)\")");
  for (const char* file : {"shell/CommandLine.cpp", "app/BatchMain.cpp", "volumes/Selection.cpp"}) {
    const std::string text = Slurp(kSource / file);
    ASSERT_FALSE(text.empty()) << file;
    for (std::sregex_iterator it(text.begin(), text.end(), compared), end; it != end; ++it)
      EXPECT_TRUE(table.count((*it)[1].str())) << (*it)[1].str() << " of " << file << " is not in CommandLineKeywords";
  }
}

TEST(KeywordDocsTest, HelpAndManualPagesExplainEveryKeyword) {
  const TBatchResult help = RunBatch(fs::temp_directory_path(), {"--help"});
  ASSERT_EQ(help.status, 0);
  const std::set<std::string> inHelp = Words(help.out);
  // The manual pages as read: without their font changes (\fB, \fP ...).
  auto page = [](const char* file) { return Words(std::regex_replace(Slurp(kSource / file), std::regex(R"(\\f[BIRP])"), " ")); };
  const std::set<std::string> inBatchPage = page("dist/vorne-batch.1");
  const std::set<std::string> inDesktopPage = page("dist/vorne.1");
  for (const TKeywordInfo& k : CommandLineKeywords()) {
    EXPECT_TRUE(inHelp.count(k.word)) << k.word << " is missing from vorne-batch --help";
    EXPECT_TRUE(inBatchPage.count(k.word)) << k.word << " is missing from dist/vorne-batch.1";
    if (!k.batchOnly) {
      EXPECT_TRUE(inDesktopPage.count(k.word)) << k.word << " is missing from dist/vorne.1";
    }
  }
  // The help is grouped by purpose and shows one example of each mode.
  for (const char* group : {"Library and output:", "Modes:", "Volumes and sheets:", "Answers and options:",
                            "Examples, one a mode:", "Exit status:"})
    EXPECT_NE(help.out.find(group), std::string::npos) << group;
  std::set<std::string> examples;
  std::istringstream lines(help.out);
  for (std::string line; std::getline(lines, line);)
    if (line.rfind("  vorne-batch ", 0) == 0)
      for (const std::string& w : Words(line)) examples.insert(w);
  for (const char* mode : {"ADDFROM", "BROWSE", "COPY", "SCAN", "NAMES", "TEST", "ERRORS", "DATA", "HTML", "PRINT",
                           "PDF", "DELETE"})
    EXPECT_TRUE(examples.count(mode)) << "no example of " << mode;
}

}  // namespace
}  // namespace vorne::testing
