// vorne-batch run as a person runs it: on libraries the test writes to a
// temporary folder, checking exit status, stdout, stderr and the files made.
#include <gtest/gtest.h>

#include "support/BatchRunner.h"
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <zlib.h>

#include "platform/FileSystem.h"
#include "store/Bytes.h"
#include "store/Common.h"
#include "support/LibraryBuilder.h"
#include "support/ScriptedPort.h"

namespace vorne::testing {
namespace {

namespace fs = std::filesystem;

using TResult = TBatchResult;

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
    TVolumePlan a;
    a.companyCode = 123;
    a.company = "Zeta Gas Company";
    a.volumeName = "Original Volume No. 1";
    TSheetPlan s1;
    s1.sheetNo = "1";
    s1.lines = {"original sheet no. 1", "  Rates"};
    s1.filingDate = PackDate(2001, 1, 2);
    s1.updDate = PackDate(2001, 2, 3);
    TSheetPlan s2 = s1;
    s2.sheetNo = "2";
    s2.lines = {"original sheet no. 2", "  Terms"};
    s2.status = kPending;
    a.sheets = {s1, s2};
    TVolumePlan b;
    b.companyCode = 7;
    b.company = "Alpha Pipeline Company";
    TSheetPlan s3 = s1;
    s3.sheetNo = "10";
    s3.lines = {"first revised sheet no. 10", "text"};
    s3.rev = 1;
    b.sheets = {s3};
    std::string lib = (dir_ / (compressed ? "zipped" : "plain")).string();
    BuildLibrary(env, lib, compressed, {a, b});
    return lib;
  }

  TResult Batch(const std::vector<std::string>& args) { return RunBatch(dir_, args); }

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

// A name longer than 20 characters with its "." after the 20th is a file,
// not a folder the export cannot write to.
TEST_F(BatchTest, DatabaseExportToALongFileName) {
  std::string lib = Library(true);
  std::string out = (dir_ / "quarterly_database_export.csv").string();
  TResult r = Batch({"FROM", lib, "DATA", "TO", out, "ALL"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(Slurp(out).find("Original Sheet No. 2"), std::string::npos);
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
  EXPECT_NE(r.out.find("Alpha Pipeline Company: ZOAK Gas Tariff"), std::string::npos) << r.out;
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

// A library assembled byte by byte from the file layouts, as another program
// following them would write it.
void WriteHandMadeLibrary(const fs::path& dir, bool compressed) {
  fs::create_directories(dir);
  auto put = [](const fs::path& p, const std::string& bytes) {
    std::ofstream f(p, std::ios::binary);
    f << bytes;
  };
  std::string prime(96, '\0');
  auto* p = reinterpret_cast<uint8_t*>(prime.data());
  PutI32(p, 0);
  PutU16(p + 6, 1);
  PutU32(p + 8, 42);
  PutChars(p + 12, 8, "12A");
  PutChars(p + 20, 8, "12A");
  PutPString(p + 32, 2, "1");
  PutPString(p + 35, 60, "HAND MADE GAS CO. ");
  std::string hdr(5 * 58, '\0');
  auto* h = reinterpret_cast<uint8_t*>(hdr.data());
  h[0] = 0;  // volume record
  PutChars(h + 1, 6, "000042");
  PutChars(h + 7, 4, "1");
  PutChars(h + 11, 3, "000");
  PutPString(h + 14, 40, "  Volume One ");
  h[58] = 5;  // issuer
  PutPString(h + 59, 54, "A. SMITH");
  uint8_t* d = h + 116;  // docket
  d[0] = 6;
  PutU16(d + 3, PackDate(2003, 1, 2));
  PutU16(d + 5, uint16_t((53 * 16 + 13) * 32 + 1));  // month 13: not a date
  std::memcpy(d + 9, "RP03-7-000", 10);
  PutChars(d + 29, 20, "");
  PutI16(d + 51, -1);
  uint8_t* sh = h + 174;  // sheet
  sh[0] = 1;
  PutChars(sh + 1, 8, "    12A ");
  PutI16(sh + 9, 1);
  PutU16(sh + 14, PackDate(2003, 5, 6));
  sh[16] = 1;
  sh[17] = 3;
  sh[18] = 'P';
  sh[19] = 1;
  sh[21] = '6';
  PutChars(sh + 22, 16, "");
  PutI32(sh + 42, 1);
  PutI32(sh + 46, 2);
  sh[50] = 3;
  PutI16(sh + 54, -1);
  sh[57] = 1;
  h[232] = 8;  // end record
  std::string page(256, '\0');
  std::string title = "first revised sheet no. 12a";
  size_t at = 0;
  for (const std::string& line : {title, std::string("  Rates")}) {
    page[at++] = char(line.size());
    page.replace(at, line.size(), line);
    at += line.size();
  }
  page[at] = 2;
  page[at + 1] = 13;
  page[at + 2] = 12;
  page[255] = 12;
  std::string text = page;
  if (compressed) {
    uLongf n = compressBound(page.size());
    std::string z(n, '\0');
    compress2(reinterpret_cast<Bytef*>(z.data()), &n, reinterpret_cast<const Bytef*>(page.data()), page.size(), 9);
    z.resize(n);
    text = std::string(4, '\0');
    PutU32(reinterpret_cast<uint8_t*>(text.data()), uint32_t(n));
    text += z;
  }
  put(dir / (compressed ? "GZPRIME" : "PRIME4"), prime);
  put(dir / (compressed ? "gziphdr" : "tarhdr"), hdr);
  put(dir / (compressed ? "GZIPDBF" : "TARDBF"), text);
}

TEST_F(BatchTest, ALibraryWrittenByAnotherProgramExportsExactly) {
  for (bool compressed : {true, false}) {
    fs::path lib = dir_ / (compressed ? "hand-z" : "hand-p");
    WriteHandMadeLibrary(lib, compressed);
    std::string out = (lib.string() + ".txt");
    std::vector<std::string> args = {"FROM", lib.string()};
    if (!compressed) args.push_back("UNZIP");
    for (std::string w : {"DATA", "TO", out.c_str(), "ALL"}) args.push_back(w);
    TResult r = Batch(args);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Slurp(out),
              "\"CompanyName\",\"Volume_Rev\",\"CRDate\",\"SheetNo\",\"Sheet_Rev\",\"SheetName\",\"YN\","
              "\"FilingDate\",\"Status\",\"EffectiveDate\",\"OrderDate\",\"ComplianceCite\",\"Docket\"\r\n"
              "\"HAND MADE GAS CO.\",\"Volume One\",\"  Missing \",\"    12A \",3,"
              "\"First Revised Sheet No. 12A\",\"Y\",\"  5/6/2003\",\"Effective\",\"  1/2/2003\","
              "\"00/00/19**\",\" \",\"RP03-  7-000\"\r\n");
  }
}

TEST_F(BatchTest, ADeclinedQuestionNamesItsKeywordAndTouchesNothing) {
  std::string lib = Library(true);
  std::string before = Slurp(fs::path(lib) / "GZPrime");
  TResult r = Batch({"FROM", lib, "COPY", "TO", lib, "ALL"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("declined: \"Add to existing file\" answered Cancel (give ADD or REPLACE to answer it)"),
            std::string::npos)
      << r.err;
  EXPECT_EQ(Slurp(fs::path(lib) / "GZPrime"), before);
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
