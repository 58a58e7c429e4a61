// vorne-batch answering a command line it cannot follow as given: a mistyped
// word, a library named in the other form, a run with nothing selected, an
// output of the wrong kind, Multiple In without Copy, an ID no volume has.
// Each says what happened on stderr and exits with a status that says so.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/FileSystem.h"
#include "support/BatchRunner.h"
#include "support/LibraryBuilder.h"
#include "support/ScriptedPort.h"

namespace vorne::testing {
namespace {

namespace fs = std::filesystem;

class CommandLineAnswersTest : public ::testing::Test {
 protected:
  CommandLineAnswersTest() : dir_(TestTempDir("vorne-answers-")) {
    TScriptedPort port;
    TEnv env{RealFileSystem(), port};
    TVolumePlan v;
    v.companyCode = 42;
    v.company = "Heron Gas Storage";
    TSheetPlan s;
    s.sheetNo = "1";
    s.lines = {"original sheet no. 1", "Rates"};
    v.sheets = {s};
    BuildLibrary(env, (dir_ / "zipped").string(), true, {v});
    BuildLibrary(env, (dir_ / "plain").string(), false, {v});
  }
  ~CommandLineAnswersTest() override { fs::remove_all(dir_); }

  TBatchResult Batch(const std::vector<std::string>& args) { return RunBatch(dir_, args); }
  static bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

  fs::path dir_;
};

TEST_F(CommandLineAnswersTest, AMistypedWordIsToldAndTheRestRuns) {
  TBatchResult r = Batch({"FROM", "zipped", "ALL", "BROWZE", "BROWSE", "ID"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Has(r.err, "warning: BROWZE is not a keyword; it was ignored\n")) << r.err;
  EXPECT_TRUE(Has(r.err, "warning: ID needs a value after it; it was ignored\n")) << r.err;
  EXPECT_TRUE(Has(r.out, "Original Sheet No. 1")) << r.out;
}

TEST_F(CommandLineAnswersTest, ALibraryInTheOtherFormGetsTheKeywordThatOpensIt) {
  TBatchResult plain = Batch({"FROM", "plain", "ALL", "BROWSE"});
  EXPECT_EQ(plain.status, 1);
  EXPECT_EQ(plain.err, "error: Can't find plain/GZPrime\n"
                       "plain holds Prime4, TarHdr, TarDBF, an uncompressed library: add UNZIP after FROM plain to "
                       "open it\n");
  TBatchResult zipped = Batch({"FROM", "zipped", "UNZIP", "ALL", "BROWSE"});
  EXPECT_EQ(zipped.status, 1);
  EXPECT_TRUE(Has(zipped.err, "zipped holds GZPrime, GZipHdr, GZipDBF, a compressed library: leave out UNZIP to "
                              "open it\n"))
      << zipped.err;
  // As told, it opens.
  EXPECT_EQ(Batch({"FROM", "plain", "UNZIP", "ALL", "BROWSE"}).status, 0);
}

// An export or a copy that would hold no sheet writes nothing, replaces
// nothing and fails; an ID that no volume has is named.
TEST_F(CommandLineAnswersTest, NothingSelectedWritesNothing) {
  TBatchResult byId = Batch({"FROM", "zipped", "ID", "999", "DATA", "TO", "sheets.txt"});
  EXPECT_EQ(byId.status, 1);
  EXPECT_TRUE(Has(byId.err, "warning: No volume has the company ID 999\n")) << byId.err;
  EXPECT_TRUE(Has(byId.err, "No sheets selected; nothing written\n")) << byId.err;
  EXPECT_FALSE(Has(byId.err, "Saved to file")) << byId.err;
  EXPECT_FALSE(fs::exists(dir_ / "sheets.txt"));

  // Volumes, but no sheet in the status selection: the last export stays.
  std::ofstream(dir_ / "kept.txt") << "last week's export\n";
  TBatchResult none = Batch({"FROM", "zipped", "ALL", "ARCHIVE", "DATA", "TO", "kept.txt"});
  EXPECT_EQ(none.status, 1);
  EXPECT_TRUE(Has(none.err, "error: No sheets selected; nothing written\n")) << none.err;
  EXPECT_EQ(Slurp(dir_ / "kept.txt"), "last week's export\n");
  int kept = 0;  // no temporary file of the export is left beside it
  for (const auto& e : fs::directory_iterator(dir_)) kept += e.path().filename().string().rfind("kept", 0) == 0;
  EXPECT_EQ(kept, 1);

  TBatchResult copy = Batch({"FROM", "zipped", "COPY", "TO", "out"});
  EXPECT_EQ(copy.status, 1);
  EXPECT_TRUE(Has(copy.err, "No sheets selected; nothing written\n")) << copy.err;
  EXPECT_FALSE(fs::exists(dir_ / "out")) << "an empty library was left behind";

  // The same export with a volume selected writes the file.
  TBatchResult some = Batch({"FROM", "zipped", "ID", "42", "DATA", "TO", "sheets.txt"});
  EXPECT_EQ(some.status, 0) << some.err;
  EXPECT_TRUE(fs::exists(dir_ / "sheets.txt"));
}

TEST_F(CommandLineAnswersTest, AnOutputOrASourceOfTheWrongKindIsExplained) {
  TBatchResult file = Batch({"FROM", "zipped", "ALL", "COPY", "TO", "afile.txt"});
  EXPECT_EQ(file.status, 2);
  EXPECT_EQ(file.err, "COPY writes into a library folder, and afile.txt names a file: give TO <folder>\n");

  TBatchResult multi = Batch({"fromfolder", ".", "BROWSE", "ALL"});
  EXPECT_EQ(multi.status, 2);
  EXPECT_EQ(multi.err, "fromfolder reads the libraries below . only to copy them into one: give COPY and TO "
                       "<folder>, or open one library with FROM <folder>\n");
}

}  // namespace
}  // namespace vorne::testing
