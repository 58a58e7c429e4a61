// vorne-batch ... COMPARE TO f.diff: what changed in each selected sheet
// since its older version, as unified diffs that patch applies to the older
// text to give the newer, in UTF-8; the exit status when nothing pairs, on a
// usage problem and when the file cannot be written.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "platform/FileSystem.h"
#include "store/Common.h"
#include "support/BatchRunner.h"
#include "support/LibraryBuilder.h"
#include "support/ScriptedPort.h"

namespace vorne::testing {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

TSheetPlan Version(const std::string& no, int rev, uint8_t status, Lines body) {
  TSheetPlan s;
  s.sheetNo = no;
  s.rev = rev;
  s.status = status;
  s.lines = {(rev == 0 ? std::string("Original") : RevisionWord(rev) + " Revised") + " Sheet No. " + no,
             rev == 0 ? "Original Volume No. 1" : "Original Sheet No. " + no};
  for (auto& l : body) s.lines.push_back(l);
  return s;
}

// The text a reader sees in the sheet text window, in UTF-8, one line each.
std::string Shown(const TSheetPlan& s) {
  std::string out;
  for (size_t i = 1; i < s.lines.size(); ++i)
    out += Utf8From1252(TrimRight((i == 1 && s.rev >= 1 ? "Superseding: " : "") + s.lines[i])) + "\n";
  return out;
}

Lines Rates(const std::string& reservation, int extra) {
  Lines l = {"FIRM TRANSPORTATION SERVICE", "Rate Schedule FT-1", "", "Zone 1 to Zone 1"};
  for (int i = 0; i < 12; ++i) l.push_back("  Line " + std::to_string(i) + "   0.0" + std::to_string(100 + i) + "   ");
  l.push_back("  Reservation   " + reservation);
  l.push_back("  Commodity     0.0210");
  for (int i = 0; i < extra; ++i) l.push_back("  Fuel \x93retention\x94 " + std::to_string(i) + ".5%");
  return l;
}

class CompareBatchTest : public ::testing::Test {
 protected:
  CompareBatchTest() {
    dir_ = TestTempDir("vorne-compare-");
    lib_ = (dir_ / "lib").string();
    TScriptedPort port;
    TEnv env{RealFileSystem(), port};
    TVolumePlan a;
    a.company = "Kestrel Gas Transmission";
    a.volumeName = " Second Revised Volume No. 1 ";
    // Sheet 5: revisions 0 and 2 (there is no 1); 6 has one version.
    five0_ = Version("5", 0, kSuperseded, Rates("6.8783", 0));
    five2_ = Version("5", 2, kEffective, Rates("6.9012", 1));
    a.sheets = {five2_, five0_, Version("6", 0, kEffective, {"GENERAL TERMS AND CONDITIONS"})};
    TVolumePlan b;
    b.companyCode = 2218;
    b.company = "Osprey Pipeline";
    b.volumeName = "Original Volume No. 1";
    one0_ = Version("1", 0, kSuperseded, {"TABLE OF CONTENTS", "Rate Schedules ....... 5", "Old Index ..... 9"});
    one1_ = Version("1", 1, kPending, {"TABLE OF CONTENTS", "Rate Schedules ....... 5", "General Terms ..... 7"});
    b.sheets = {one1_, one0_};
    TVolumePlan c;
    c.companyCode = 3;
    c.company = "Plover Gas";
    c.sheets = {Version("1", 0, kEffective, {"only an original"})};
    BuildLibrary(env, lib_, true, {a, b, c});
  }
  ~CompareBatchTest() override { fs::remove_all(dir_); }

  // The diffs of the file, one per pair.
  std::vector<std::string> Diffs(const fs::path& file) {
    const std::string text = Slurp(file);
    std::vector<std::string> out;
    for (size_t at = text.find("--- "); at != std::string::npos;) {
      const size_t next = text.find("\n--- ", at);
      out.push_back(text.substr(at, next == std::string::npos ? std::string::npos : next + 1 - at));
      at = next == std::string::npos ? next : next + 1;
    }
    return out;
  }
  // What patch makes of the older text with the diff.
  std::string Patched(const std::string& older, const std::string& diff) {
    const fs::path o = dir_ / "older.txt", d = dir_ / "one.diff", n = dir_ / "newer.txt";
    std::ofstream(o, std::ios::binary) << older;
    std::ofstream(d, std::ios::binary) << diff;
    fs::remove(n);
    const std::string cmd = "patch -s -o '" + n.string() + "' '" + o.string() + "' '" + d.string() + "' 2>&1";
    EXPECT_EQ(std::system(cmd.c_str()), 0) << diff;
    return Slurp(n);
  }

  fs::path dir_;
  std::string lib_;
  TSheetPlan five0_, five2_, one0_, one1_;
};

TEST_F(CompareBatchTest, EverySelectedSheetWithAnOlderVersionGivesADiffThatPatchApplies) {
  ASSERT_EQ(std::system("command -v patch >/dev/null"), 0) << "patch is needed";
  const TBatchResult r = RunBatch(dir_, {"FROM", lib_, "ALL", "COMPARE", "TO", "changes.diff"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("2 sheets compared with their older versions, 2 changed; written to changes.diff"),
            std::string::npos)
      << r.err;
  const std::vector<std::string> diffs = Diffs(dir_ / "changes.diff");
  ASSERT_EQ(diffs.size(), 2u) << Slurp(dir_ / "changes.diff");

  // Sheet 5: revision 2 against revision 0; the rate changed, a line was
  // added, and the curly quotes of the new line are UTF-8.
  EXPECT_EQ(diffs[0].substr(0, diffs[0].find("@@")),
            "--- 000001 Second Revised Volume No. 1 | Original Sheet No. 5\n"
            "+++ 000001 Second Revised Volume No. 1 | Second Revised Sheet No. 5\n");
  EXPECT_NE(diffs[0].find("-  Reservation   6.8783\n+  Reservation   6.9012\n"), std::string::npos) << diffs[0];
  EXPECT_NE(diffs[0].find("+  Fuel \u201Cretention\u201D 0.5%\n"), std::string::npos) << diffs[0];
  EXPECT_EQ(diffs[0].find("Line 0"), std::string::npos) << "more than 3 lines of context:\n" << diffs[0];
  EXPECT_EQ(Patched(Shown(five0_), diffs[0]), Shown(five2_));

  EXPECT_EQ(diffs[1].substr(0, diffs[1].find("@@")),
            "--- 002218 Original Volume No. 1 | Original Sheet No. 1\n"
            "+++ 002218 Original Volume No. 1 | First Revised Sheet No. 1\n");
  EXPECT_EQ(Patched(Shown(one0_), diffs[1]), Shown(one1_));

  // Only the effective sheets: sheet 5's revision 2 is still compared with
  // its superseded revision 0, which the selection does not list.
  const TBatchResult eff = RunBatch(dir_, {"FROM", lib_, "ALL", "EFFECTIVE", "COMPARE", "TO", "effective.diff"});
  ASSERT_EQ(eff.status, 0) << eff.err;
  const std::vector<std::string> effective = Diffs(dir_ / "effective.diff");
  ASSERT_EQ(effective.size(), 1u);
  EXPECT_EQ(effective[0], diffs[0]);
}

TEST_F(CompareBatchTest, NoPairWritesAnEmptyFileAndProblemsGiveTheirExitStatus) {
  const TBatchResult none = RunBatch(dir_, {"FROM", lib_, "ID", "3", "COMPARE", "TO", "none.diff"});
  EXPECT_EQ(none.status, 0) << none.err;
  ASSERT_TRUE(fs::exists(dir_ / "none.diff"));
  EXPECT_EQ(fs::file_size(dir_ / "none.diff"), 0u);
  EXPECT_NE(none.err.find("0 sheets compared with their older versions, 0 changed"), std::string::npos) << none.err;

  const TBatchResult noFile = RunBatch(dir_, {"FROM", lib_, "ALL", "COMPARE"});
  EXPECT_EQ(noFile.status, 2);
  EXPECT_NE(noFile.err.find("COMPARE needs the file to write: give TO <file>"), std::string::npos) << noFile.err;
  EXPECT_EQ(RunBatch(dir_, {"FROM", lib_, "ALL", "COMPARE", "PDF", "TO", "x"}).status, 2);

  const TBatchResult unwritable = RunBatch(dir_, {"FROM", lib_, "ALL", "COMPARE", "TO", "missing/folder/x.diff"});
  EXPECT_EQ(unwritable.status, 1) << unwritable.err;
  EXPECT_NE(unwritable.err.find("Could not write"), std::string::npos) << unwritable.err;
}

}  // namespace
}  // namespace vorne::testing
