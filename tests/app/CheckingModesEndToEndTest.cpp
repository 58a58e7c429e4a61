// vorne-batch in the checking modes: Scan Updates (report and packing batch
// file), Verify ("NAMES"), Test and Errors Only, on libraries of both forms
// that the test writes.
#include <gtest/gtest.h>

#include "support/BatchRunner.h"
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/FileSystem.h"
#include "store/Common.h"
#include "support/LibraryBuilder.h"
#include "support/ScriptedPort.h"

namespace vorne::testing {
namespace {

namespace fs = std::filesystem;

class CheckingBatchTest : public ::testing::TestWithParam<bool> {
 protected:
  CheckingBatchTest() {
    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    for (char& c : name)
      if (c == '/') c = '-';
    dir_ = fs::temp_directory_path() / ("vorne-check-" + std::to_string(::getpid()) + "-" + name);
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "web");
    Build();
  }
  ~CheckingBatchTest() override { fs::remove_all(dir_); }

  void Build() {
    TScriptedPort port;
    TEnv env{RealFileSystem(), port};
    TVolumePlan a;
    a.companyCode = 123;
    a.company = "Zeta Gas Company";
    TSheetPlan s1;
    s1.sheetNo = "1";
    s1.lines = {"original sheet no. 1", "text"};
    s1.updDate = PackDate(2001, 2, 3);
    TSheetPlan s2 = s1;
    s2.sheetNo = "2";
    s2.lines = {"original sheet no. 9", "text"};  // disagrees with its number
    a.sheets = {s1, s2};
    TVolumePlan b;
    b.companyCode = 7;
    b.company = "Alpha Pipeline Company";
    TSheetPlan s3 = s1;
    s3.updDate = TodayPacked();
    b.sheets = {s3};
    lib_ = (dir_ / "lib").string();
    BuildLibrary(env, lib_, GetParam(), {a, b});
  }

  std::vector<std::string> From() {
    std::vector<std::string> args = {"FROM", lib_};
    if (!GetParam()) args.push_back("UNZIP");
    return args;
  }

  int Batch(const std::vector<std::string>& args) {
    TBatchResult r = RunBatch(dir_, args);
    out_ = r.out;
    err_ = r.err;
    return r.status;
  }

  fs::path dir_;
  std::string lib_, out_, err_;
};

TEST_P(CheckingBatchTest, ScanSavesTheReportBesideTheNamedPrimeFile) {
  auto args = From();
  for (const char* w : {"SCAN", "RECENT", "10", "TO"}) args.push_back(w);
  args.push_back((dir_ / "web" / "PRIME4").string());
  args.push_back("GO");
  ASSERT_EQ(Batch(args), 0) << err_;
  const std::string report = Slurp(dir_ / "web" / "AllUpdts.txt");
  EXPECT_EQ(report.substr(0, 7), "000007 ") << report;
  EXPECT_EQ(report.find("000123"), std::string::npos);  // not updated in the last 10 days
  EXPECT_EQ(out_, report.substr(0, report.size() - 2) + "\n");
}

TEST_P(CheckingBatchTest, ScanSavesTheReportUnderALongFileName) {
  auto args = From();
  for (const char* w : {"SCAN", "RECENT", "10", "TO"}) args.push_back(w);
  const fs::path report = dir_ / "web" / "volumes_updated_lately.txt";
  args.push_back(report.string());
  args.push_back("GO");
  ASSERT_EQ(Batch(args), 0) << err_;
  ASSERT_TRUE(fs::is_regular_file(report));
  EXPECT_EQ(Slurp(report).substr(0, 7), "000007 ");
}

TEST_P(CheckingBatchTest, HtmlAllScanWritesThePackingBatchFile) {
  auto args = From();
  for (const char* w : {"HTMLALL", "SCAN", "RECENT", "ALL", "TO"}) args.push_back(w);
  args.push_back((dir_ / "web").string());
  ASSERT_EQ(Batch(args), 0) << err_;
  EXPECT_EQ(Slurp(dir_ / "web" / "ZIPPEM.Bat"),
            "Echo off\r\ncall Zippit 000007 Alpha Pipeline Company\r\ncall Zippit 000123 Zeta Gas Company\r\n");
  EXPECT_NE(err_.find("Saved 3 lines"), std::string::npos) << err_;
}

TEST_P(CheckingBatchTest, NamesPrintsAndSavesTheFailures) {
  auto args = From();
  args.push_back("NAMES");
  args.push_back("ALL");
  ASSERT_EQ(Batch(args), 0) << err_;
  EXPECT_EQ(out_, "Zeta Gas Company\n2       :0; Original Sheet No. 9\n*******\n");
  EXPECT_EQ(Slurp(dir_ / "Verify.Txt"), "Zeta Gas Company\r\n2       :0; Original Sheet No. 9\r\n*******\r\n");
  EXPECT_NE(err_.find("Saved in: "), std::string::npos);
}

TEST_P(CheckingBatchTest, TestListsEveryRecordAndErrorsOnlyTheHeadingsOfCleanVolumes) {
  auto args = From();
  for (const char* w : {"TEST", "ALL", "DETAILS"}) args.push_back(w);
  ASSERT_EQ(Batch(args), 0) << err_;
  EXPECT_NE(out_.find("Alpha Pipeline Company: ZOAK Gas Tariff\n0:"), std::string::npos) << out_;
  EXPECT_NE(out_.find("\n5:*"), std::string::npos) << out_;
  EXPECT_NE(out_.find("\n6:*"), std::string::npos) << out_;
  EXPECT_NE(out_.find("\n8: "), std::string::npos) << out_;

  args = From();
  for (const char* w : {"ERRORS", "ALL"}) args.push_back(w);
  ASSERT_EQ(Batch(args), 0) << err_;
  EXPECT_EQ(out_, "Alpha Pipeline Company:\nZeta Gas Company:\n");
}

INSTANTIATE_TEST_SUITE_P(BothForms, CheckingBatchTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Compressed" : "Uncompressed"; });

}  // namespace
}  // namespace vorne::testing
