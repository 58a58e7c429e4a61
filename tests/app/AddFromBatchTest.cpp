// vorne-batch ADDFROM ... TO ...: filings imported unattended into a library
// folder, the error logs saved beside it, the volume list printed.
#include <gtest/gtest.h>

#include "support/BatchRunner.h"
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

using vorne::testing::RunBatch;
using vorne::testing::Slurp;
using vorne::testing::TBatchResult;

namespace fs = std::filesystem;

class AddFromBatchTest : public ::testing::Test {
 protected:
  AddFromBatchTest() {
    dir_ = fs::temp_directory_path() / ("vorne-addfrom-" + std::to_string(::getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "in");
  }
  ~AddFromBatchTest() override { fs::remove_all(dir_); }

  void Write(const std::string& name, const std::string& text) { std::ofstream(dir_ / "in" / name, std::ios::binary) << text; }

  using TResult = TBatchResult;
  TResult Batch(std::vector<std::string> args) {
    args.insert(args.begin(), {"DRIVES", (dir_ / "drives").string()});
    return RunBatch(dir_, args);
  }

  fs::path dir_;
};

const char kFirst[] =
    "TF00RP05-12-000         010505\r\n"
    "TF01000123010505ZETA GAS PIPELINE COMPANY\r\n"
    "TF021   000ORIGINAL VOLUME NO. 1\r\n"
    "TF05John Q. Public\r\n"
    "TF06010505000000                    020105\r\n"
    "TF03       1  0 0 1P106ORIGINAL SHEET NO. 1\r\n"
    "Rates\r\n";
const char kSecond[] =
    "TF01000123010505ZETA GAS PIPELINE COMPANY\r\n"  // no filing record: the docket dialog is cancelled
    "TF021   000ORIGINAL VOLUME NO. 1\r\n"
    "TF03       2  0 0 1P106ORIGINAL SHEET NO. 2\r\n"
    "Terms\r\n";

TEST_F(AddFromBatchTest, ImportsEveryFilingOfAFolderInNameOrder) {
  Write("b.dsc", kSecond);
  Write("A.ASC", kFirst);
  Write("notes.txt", "TF03 not a filing\r\n");
  const std::string lib = (dir_ / "lib").string();
  auto r = Batch({"ADDFROM", (dir_ / "in").string(), "TO", lib});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Zeta Gas Pipeline Company\tOriginal Vol 1\t000123\t2\t1\t2\t" +
                       r.out.substr(r.out.rfind('\t') + 1));
  // Only the second filing has log lines; its log is saved beside the library.
  EXPECT_FALSE(fs::exists(dir_ / "lib" / "A.TXT"));
  ASSERT_TRUE(fs::exists(dir_ / "lib" / "b.TXT")) << r.err;
  EXPECT_EQ(Slurp(dir_ / "lib" / "b.TXT"), "**** Missing type 0 record ****\r\n");
  EXPECT_NE(r.err.find("Error log saved in " + (dir_ / "lib" / "b.TXT").string()), std::string::npos) << r.err;

  auto browse = Batch({"FROM", lib, "UNZIP", "BROWSE", "ALL"});
  EXPECT_EQ(browse.status, 0) << browse.err;
  EXPECT_NE(browse.out.find("Original Sheet No. 1"), std::string::npos) << browse.out;
  EXPECT_NE(browse.out.find("Original Sheet No. 2"), std::string::npos);
}

TEST_F(AddFromBatchTest, AnExistingLibraryNeedsAddOrReplace) {
  Write("A.ASC", kFirst);
  const std::string lib = (dir_ / "lib").string();
  const std::string file = (dir_ / "in" / "A.ASC").string();
  ASSERT_EQ(Batch({"ADDFROM", file, "TO", lib}).status, 0);

  auto refused = Batch({"ADDFROM", file, "TO", lib});
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("give ADD or REPLACE"), std::string::npos) << refused.err;

  // Every sheet is already stored: not one is added, and the run says so by its status.
  auto added = Batch({"ADDFROM", file, "TO", lib, "ADD"});
  EXPECT_EQ(added.status, 1) << added.err;
  EXPECT_NE(Slurp(dir_ / "lib" / "A.TXT").find("   Duplicate Sheet on Disk: Original Sheet No. 1"), std::string::npos);
  EXPECT_NE(added.out.find("\t1\t1\t1\t"), std::string::npos) << added.out;  // still one sheet

  auto replaced = Batch({"ADDFROM", file, "TO", lib, "REPLACE"});
  EXPECT_EQ(replaced.status, 0) << replaced.err;
  EXPECT_NE(replaced.out.find("\t1\t1\t1\t"), std::string::npos) << replaced.out;
}

TEST_F(AddFromBatchTest, AFilingWithoutRecordsIsNamedAndAddsNothing) {
  Write("empty.asc", "");
  Write("binary.asc", std::string("\x00\x01\xFF\x7FTF", 6) + std::string(300, '\x80'));
  Write("lonecr.asc", "TF00RP05-12-000         010505\rTF01000123010505ZETA GAS PIPELINE COMPANY\r");
  const std::string lib = (dir_ / "lib").string();
  auto r = Batch({"ADDFROM", (dir_ / "in").string(), "TO", lib});
  EXPECT_EQ(r.status, 1) << r.err;
  for (const char* name : {"empty.asc", "binary.asc", "lonecr.asc"}) {
    EXPECT_NE(r.err.find(std::string("No filing records found in ") + name), std::string::npos) << r.err;
    const std::string log = std::string(name).substr(0, std::string(name).find('.')) + ".TXT";
    EXPECT_NE(Slurp(dir_ / "lib" / log).find(std::string("No filing records found in ") + name), std::string::npos)
        << log;
  }
  // With one real filing beside them the run has added sheets, and succeeds.
  Write("A.ASC", kFirst);
  auto good = Batch({"ADDFROM", (dir_ / "in").string(), "TO", lib, "ADD"});
  EXPECT_EQ(good.status, 0) << good.err;
  EXPECT_NE(good.err.find("No filing records found in empty.asc"), std::string::npos) << good.err;
}

TEST_F(AddFromBatchTest, AMissingFilingOrLibraryIsAClearFailure) {
  auto none = Batch({"ADDFROM", (dir_ / "nowhere").string(), "TO", (dir_ / "lib").string()});
  EXPECT_EQ(none.status, 1);
  EXPECT_NE(none.err.find("not found, try again"), std::string::npos) << none.err;
  auto noTo = Batch({"ADDFROM", (dir_ / "in").string()});
  EXPECT_EQ(noTo.status, 2);
  EXPECT_NE(noTo.err.find("give TO <library folder>"), std::string::npos);
}

}  // namespace
