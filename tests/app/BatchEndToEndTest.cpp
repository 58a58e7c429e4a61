// vorne-batch run as a person runs it: on libraries the test writes to a
// temporary folder, checking exit status, stdout, stderr and the files made.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "store/Common.h"
#include "store/FileSystem.h"
#include "support/LibraryBuilder.h"
#include "support/ScriptedPort.h"

namespace vorne::testing {
namespace {

namespace fs = std::filesystem;

struct TResult {
  int status = -1;
  std::string out, err;
};

std::string Slurp(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

class BatchTest : public ::testing::Test {
 protected:
  BatchTest() {
    dir_ = fs::temp_directory_path() / ("vorne-batch-" + std::to_string(::getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  ~BatchTest() override { fs::remove_all(dir_); }

  std::string Library(bool compressed) {
    TScriptedPort port;
    TEnv env{RealFileSystem(), port};
    TVolumeSpec a;
    a.companyCode = 123;
    a.company = "Zeta Gas Company";
    a.volumeName = "Original Volume No. 1";
    TSheetSpec s1;
    s1.sheetNo = "1";
    s1.lines = {"original sheet no. 1", "  Rates"};
    s1.filingDate = PackDate(2001, 1, 2);
    s1.updDate = PackDate(2001, 2, 3);
    TSheetSpec s2 = s1;
    s2.sheetNo = "2";
    s2.lines = {"original sheet no. 2", "  Terms"};
    s2.status = kPending;
    a.sheets = {s1, s2};
    TVolumeSpec b;
    b.companyCode = 7;
    b.company = "Alpha Pipeline Company";
    TSheetSpec s3 = s1;
    s3.sheetNo = "10";
    s3.lines = {"first revised sheet no. 10", "text"};
    s3.rev = 1;
    b.sheets = {s3};
    std::string lib = (dir_ / (compressed ? "zipped" : "plain")).string();
    BuildLibrary(env, lib, compressed, {a, b});
    return lib;
  }

  TResult Batch(const std::vector<std::string>& args) {
    std::string cmd = std::string(VORNE_BATCH);
    for (const auto& a : args) cmd += " '" + a + "'";
    cmd += " >" + (dir_ / "out.txt").string() + " 2>" + (dir_ / "err.txt").string() + " </dev/null";
    TResult r;
    int raw = std::system(cmd.c_str());
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = Slurp(dir_ / "out.txt");
    r.err = Slurp(dir_ / "err.txt");
    return r;
  }

  fs::path dir_;
};

TEST_F(BatchTest, DatabaseExportOfBothForms) {
  for (bool compressed : {true, false}) {
    std::string lib = Library(compressed);
    std::string out = (dir_ / (compressed ? "z.txt" : "p.txt")).string();
    std::vector<std::string> args = {"FROM", lib};
    if (!compressed) args.push_back("UNZIP");
    for (const char* w : {"DATA", "TO"}) args.push_back(w);
    args.push_back(out);
    args.push_back("ALL");
    TResult r = Batch(args);
    EXPECT_EQ(r.status, 0) << r.err;
    std::string text = Slurp(out);
    EXPECT_NE(text.find("\"Alpha Pipeline Company\""), std::string::npos) << text;
    EXPECT_NE(text.find("Original Sheet No. 2"), std::string::npos);
    size_t lines = 0;
    for (char c : text) lines += c == '\n';
    EXPECT_EQ(lines, 4u);  // the header line and three sheets
  }
}

TEST_F(BatchTest, StatusWordsNarrowTheExport) {
  std::string lib = Library(true);
  std::string out = (dir_ / "pending.txt").string();
  TResult r = Batch({"FROM", lib, "DATA", "TO", out, "ALL", "PENDING"});
  EXPECT_EQ(r.status, 0) << r.err;
  std::string text = Slurp(out);
  EXPECT_EQ(text.find("Original Sheet No. 1"), std::string::npos);
  EXPECT_NE(text.find("Original Sheet No. 2"), std::string::npos);
}

TEST_F(BatchTest, BrowsePrintsTheSheetLists) {
  std::string lib = Library(true);
  TResult r = Batch({"FROM", lib, "BROWSE", "ALL"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("Alpha Pipeline Company: FERC Gas Tariff"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("First Revised Sheet No. 10"), std::string::npos);
  EXPECT_NE(r.out.find("Zeta Gas Company: Original Volume No. 1"), std::string::npos);
}

TEST_F(BatchTest, IdSelectsOneCompanyAndVolstoWritesTheList) {
  std::string lib = Library(true);
  std::string vols = (dir_ / "TVolumes.tab").string();
  TResult r = Batch({"FROM", lib, "BROWSE", "ID", "7", "VOLSTO", vols});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("Alpha Pipeline Company"), std::string::npos);
  EXPECT_EQ(r.out.find("Zeta Gas Company"), std::string::npos);
  std::string list = Slurp(vols);
  EXPECT_NE(list.find("Alpha Pipeline Company\t000007"), std::string::npos) << list;
}

TEST_F(BatchTest, UsageProblemsExitTwo) {
  EXPECT_EQ(Batch({"DATA", "ALL"}).status, 2);
  std::string lib = Library(true);
  TResult r = Batch({"FROM", lib, "DATA", "ALL"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("TO <file>"), std::string::npos);
  EXPECT_EQ(Batch({"FROM", lib, "BROWSE", "RECENT", "soon"}).status, 2);
}

TEST_F(BatchTest, AMissingLibraryFails) {
  TResult r = Batch({"FROM", (dir_ / "nowhere").string(), "BROWSE", "ALL"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Can't find "), std::string::npos) << r.err;
}

TEST_F(BatchTest, HelpNamesEveryKeyword) {
  TResult r = Batch({"--help"});
  EXPECT_EQ(r.status, 0);
  for (const char* w : {"FROM", "TO", "ADDFROM", "RECENT", "VOLSTO", "EXCEPT", "FROMFOLDER", "FROMALL", "FROMDIR",
                        "ID", "UNZIP", "BROWSE", "COPY", "SCAN", "WHEN", "TEST", "ERRORS", "QARLMIDEX", "GO",
                        "EXPRESS", "DATA", "PRINT", "HTML", "HTMLALL", "ADD", "REPLACE", "SPLIT", "ALL",
                        "EFFECTIVE", "PENDING", "CURRENT", "ARCHIVE", "DRIVES"})
    EXPECT_NE(r.out.find(w), std::string::npos) << w;
  EXPECT_EQ(Batch({"--version"}).status, 0);
}

}  // namespace
}  // namespace vorne::testing
