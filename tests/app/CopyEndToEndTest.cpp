// vorne-batch COPY on libraries the test writes: a full copy must reproduce
// the source's Database export line for line in every combination of
// compressed and uncompressed source and output; merges, split output,
// Multiple In and the false-duplicate report as a person would run them.
#include <gtest/gtest.h>

#include "support/BatchRunner.h"
#include <fcntl.h>
#include <sys/file.h>
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

TSheetPlan Sheet(const std::string& no, int rev, const std::string& title, uint8_t status, uint16_t filed,
                 const std::string& docket = "RP96-1-000") {
  TSheetPlan s;
  s.sheetNo = no;
  s.rev = rev;
  s.lines = {title, "  Rates and charges", std::string(200, 'x'), ""};
  for (size_t i = 0; i < no.size() * 20; ++i) s.lines.push_back("line " + std::to_string(i) + " of " + title);
  s.status = status;
  s.filingDate = filed;
  s.updDate = uint16_t(filed + 40);
  s.docket = docket;
  s.effectiveDate = uint16_t(filed + 30);
  return s;
}

class CopyBatchTest : public ::testing::Test {
 protected:
  CopyBatchTest() {
    dir_ = fs::temp_directory_path() / ("vorne-copy-" + std::to_string(::getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  ~CopyBatchTest() override { fs::remove_all(dir_); }

  std::vector<TVolumePlan> Volumes() {
    TVolumePlan a;
    a.companyCode = 123;
    a.company = "Zeta Gas Company";
    a.volumeName = "Original Volume No. 1";
    a.sheets = {Sheet("10", 1, "First Revised Sheet No. 10", kEffective, PackDate(2001, 1, 2)),
                Sheet("10", 0, "Original Sheet No. 10", kSuperseded, PackDate(2000, 1, 2)),
                Sheet("2", 0, "Original Sheet No. 2", kPending, PackDate(2002, 3, 4), "RP02-15-000"),
                Sheet("0", 0, "Title Page", kEffective, PackDate(2000, 1, 2))};
    TVolumePlan b;
    b.companyCode = 7;
    b.company = "Alpha Pipeline Company";
    b.sheets = {Sheet("1", 0, "Original Sheet No. 1", kEffective, PackDate(1999, 5, 6), "CP99-3-001")};
    TVolumePlan c = b;
    c.volId = "2";
    c.sheets = {Sheet("5A", 0, "Original Sheet No. 5A", kEffective, PackDate(2003, 5, 6))};
    return {a, b, c};
  }

  std::string Library(const std::string& name, bool compressed, const std::vector<TVolumePlan>& volumes) {
    TScriptedPort port;
    TEnv env{RealFileSystem(), port};
    std::string lib = (dir_ / name).string();
    BuildLibrary(env, lib, compressed, volumes);
    return lib;
  }

  using TResult = TBatchResult;
  TResult Batch(const std::vector<std::string>& args) { return RunBatch(dir_, args); }

  std::string Export(const std::string& lib, bool compressed) {
    std::string file = (dir_ / "export.txt").string();
    std::vector<std::string> args = {"FROM", lib};
    if (!compressed) args.push_back("UNZIP");
    for (std::string w : {"DATA", "TO", file.c_str(), "ALL"}) args.push_back(w);
    TResult r = Batch(args);
    EXPECT_EQ(r.status, 0) << r.err;
    return Slurp(file);
  }

  TResult Copy(const std::string& from, bool fromZipped, const std::string& to, bool toZipped,
               std::vector<std::string> more = {"ALL"}) {
    std::vector<std::string> args = {"FROM", from};
    if (!fromZipped) args.push_back("UNZIP");
    args.push_back("COPY");
    args.push_back("TO");
    args.push_back(to);
    if (!toZipped) args.push_back("UNZIP");
    args.insert(args.end(), more.begin(), more.end());
    return Batch(args);
  }

  fs::path dir_;
};

TEST_F(CopyBatchTest, FullCopyReproducesTheDatabaseExportInEveryForm) {
  for (bool fromZipped : {true, false}) {
    std::string src = Library(fromZipped ? "src-z" : "src-p", fromZipped, Volumes());
    const std::string expected = Export(src, fromZipped);
    ASSERT_NE(expected.find("Title Page"), std::string::npos);
    for (bool toZipped : {true, false}) {
      SCOPED_TRACE(std::string(fromZipped ? "compressed" : "uncompressed") + " to " +
                   (toZipped ? "compressed" : "uncompressed"));
      std::string out = (dir_ / ("out-" + std::to_string(fromZipped) + std::to_string(toZipped))).string();
      TResult r = Copy(src, fromZipped, out, toZipped);
      ASSERT_EQ(r.status, 0) << r.err;
      EXPECT_TRUE(fs::exists(fs::path(out) / (toZipped ? "GZPrime" : "Prime4")));
      EXPECT_EQ(Export(out, toZipped), expected);
      // Merging the same library again appends nothing.
      r = Copy(src, fromZipped, out, toZipped, {"ALL", "ADD"});
      ASSERT_EQ(r.status, 0) << r.err;
      EXPECT_EQ(Export(out, toZipped), expected);
      std::string log = Slurp(fs::path(out) / "Copylog.csv");
      EXPECT_EQ(log.rfind("\"Pipeline Company\",\"Volume\",\"New\",\"Old\",\"Replaced\",\"Added\",\"Total Out\"\r\n", 0), 0u);
      // The title page (sheet 0) filed on the stored date is rewritten in place.
      EXPECT_NE(log.find("\"Zeta Gas Company\",\"1:000\",4, 4, 1, 0, 4, "), std::string::npos) << log;
    }
  }
}

TEST_F(CopyBatchTest, CopyOfTheImportedSamplesReproducesTheirExport) {
  const char* data = std::getenv("VORNE_TEST_DATA");
  if (!data) GTEST_SKIP() << "VORNE_TEST_DATA is not set";
  const fs::path samples = fs::path(data).parent_path().parent_path() / "samples";
  std::string lib = (dir_ / "imported").string();
  TResult r = Batch({"ADDFROM", samples.string(), "TO", lib});
  ASSERT_EQ(r.status == 0 || r.status == 1, true) << r.err;
  ASSERT_TRUE(fs::exists(fs::path(lib) / "Prime4")) << r.err;
  const std::string expected = Export(lib, false);
  std::string out = (dir_ / "copy").string();
  r = Copy(lib, false, out, true);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Export(out, true), expected);
}

TEST_F(CopyBatchTest, SplitWritesOneLibraryPerCompanyTheBatchFileAndTheIncludesPage) {
  std::string src = Library("src", true, Volumes());
  std::string out = (dir_ / "split").string();
  TResult r = Copy(src, true, out, true, {"ALL", "SPLIT"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(fs::exists(fs::path(out) / "000007" / "GZPrime"));
  EXPECT_TRUE(fs::exists(fs::path(out) / "000123" / "GZPrime"));
  EXPECT_EQ(Slurp(fs::path(out) / "zippem.bat"),
            "Echo off\r\ncall zippit 000007 Alpha Pipeline Company\r\ncall zippit 000123 Zeta Gas Company\r\n");
  std::string page = Slurp(fs::path(out) / "index.htm");
  EXPECT_NE(page.find("<a href=\"000123.zip\">Zeta Gas Company</a>"), std::string::npos) << page;
  EXPECT_NE(r.out.find((fs::path(out) / "index.htm").string()), std::string::npos);
  // Each company library holds its own volumes only.
  std::string alpha = Export((fs::path(out) / "000007").string(), true);
  EXPECT_NE(alpha.find("Original Sheet No. 5A"), std::string::npos);
  EXPECT_EQ(alpha.find("Zeta"), std::string::npos);
  // A second split run with REPLACE recreates every company library.
  r = Copy(src, true, out, true, {"ALL", "SPLIT", "REPLACE"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Export((fs::path(out) / "000007").string(), true), alpha);
}

TEST_F(CopyBatchTest, ACopyIntoALibraryAnotherRunWritesSaysSoOnceAndFails) {
  std::string src = Library("src", true, Volumes());
  std::string out = Library("out", true, {Volumes()[1]});
  const std::string before = Slurp(fs::path(out) / "GZPrime");
  // Another run writing the library holds the lock on its header file.
  int held = ::open((fs::path(out) / "GZipHdr").c_str(), O_RDWR);
  ASSERT_GE(held, 0);
  ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
  TResult r = Copy(src, true, out, true, {"ALL", "ADD"});
  ::close(held);
  EXPECT_EQ(r.status, 1);
  const std::string refusal = "is being written by another run; nothing was changed";
  const size_t first = r.err.find(refusal);
  ASSERT_NE(first, std::string::npos) << r.err;
  EXPECT_EQ(r.err.find(refusal, first + 1), std::string::npos) << "said more than once:\n" << r.err;
  EXPECT_EQ(r.err.find("System error, no output file"), std::string::npos) << r.err;
  EXPECT_EQ(Slurp(fs::path(out) / "GZPrime"), before);
}

TEST_F(CopyBatchTest, MultipleInCopiesEveryLibraryBelowTheRoot) {
  auto v = Volumes();
  fs::create_directories(dir_ / "root");
  Library("root/lib1", true, {v[0]});
  Library("root/lib2", false, {v[1], v[2]});
  std::string out = (dir_ / "merged").string();
  TResult r = Batch({"FROMFOLDER", (dir_ / "root").string(), "COPY", "TO", out});
  ASSERT_EQ(r.status, 0) << r.err;
  std::string all = Export(out, true);
  std::string whole = Export(Library("whole", true, v), true);
  EXPECT_EQ(all, whole);

  // One library below the root is simply copied; a root without one says so and fails.
  fs::create_directories(dir_ / "single");
  Library("single/lib1", true, {v[0]});
  r = Batch({"FROMFOLDER", (dir_ / "single").string(), "COPY", "TO", (dir_ / "one").string()});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Export((dir_ / "one").string(), true), Export((dir_ / "single/lib1").string(), true));
  fs::create_directories(dir_ / "empty");
  r = Batch({"FROMFOLDER", (dir_ / "empty").string(), "COPY", "TO", (dir_ / "none").string()});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("No library found below " + (dir_ / "empty").string()), std::string::npos) << r.err;
}

TEST_F(CopyBatchTest, FalseDuplicatesAreSavedAndAMismatchedDocketIsAborted) {
  auto v = Volumes();
  std::string src = Library("src", true, v);
  std::string out = (dir_ / "out").string();
  ASSERT_EQ(Copy(src, true, out, true).status, 0);
  // A pending sheet filed on another date, and an update under another docket.
  auto w = v;
  w[0].sheets[2].filingDate = PackDate(2004, 4, 4);
  w[1].sheets[0].status = kSuperseded;
  w[1].sheets[0].updDate = PackDate(2009, 9, 9);
  w[1].sheets[0].docket = "RP09-1-000";
  std::string changed = Library("changed", true, w);
  TResult r = Copy(changed, true, out, true, {"ALL", "ADD"});
  std::string dup = (fs::path(out) / "DupLogs.txt").string();
  EXPECT_NE(r.out.find(dup), std::string::npos) << r.out << r.err;
  std::string text = Slurp(dup);
  EXPECT_EQ(text.rfind("The following tariff sheets are false duplicates\r\n", 0), 0u) << text;
  EXPECT_NE(text.find("      sheet:  Original Sheet No. 2"), std::string::npos);
  EXPECT_NE(text.find("already used in : RP02- 15-000"), std::string::npos) << text;
  // The mismatch is answered Abort: stderr names the sheet and the volume.
  EXPECT_NE(r.err.find("Original Sheet No. 1"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("Alpha Pipeline Company"), std::string::npos) << r.err;
  EXPECT_EQ(Export(out, true), Export(src, true));  // the stored sheets are kept
}

}  // namespace
}  // namespace vorne::testing
