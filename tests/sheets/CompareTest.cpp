// Comparing two versions of a sheet: the line diff with the changed words,
// its summary and unified form, which versions pair up in a library, and the
// sheet list's "Compare" with the window's stepping through the changes.
#include <gtest/gtest.h>

#include <chrono>

#include "sheets/Compare.h"
#include "sheets/SheetList.h"
#include "store/Cluster.h"
#include "support/LibraryBuilder.h"
#include "support/MemFileSystem.h"
#include "support/ScriptedPort.h"

namespace vorne::testing {
namespace {

using Lines = std::vector<std::string>;

std::vector<TRowKind> Kinds(const TSheetDiff& d) {
  std::vector<TRowKind> out;
  for (const TDiffRow& r : d.Rows()) out.push_back(r.kind);
  return out;
}

std::string Marked(const std::string& line, const std::vector<TCharSpan>& spans) {
  std::string out;
  for (const TCharSpan& s : spans) out += "[" + line.substr(s.start, s.length) + "]";
  return out;
}

TEST(SheetDiffTest, EmptyTextsAndTextsWithOneSideEmpty) {
  const TSheetDiff none = TSheetDiff::Compare({}, {});
  EXPECT_TRUE(none.Identical());
  EXPECT_TRUE(none.Rows().empty());
  EXPECT_EQ(none.Summary(), "No differences");
  EXPECT_EQ(UnifiedDiff({}, {}, "a", "b"), "");

  const TSheetDiff added = TSheetDiff::Compare({}, {"FIRM SERVICE", "Rate FT-1"});
  EXPECT_EQ(Kinds(added), (std::vector<TRowKind>{TRowKind::Added, TRowKind::Added}));
  EXPECT_EQ(added.Rows()[1].newer, 1);
  EXPECT_EQ(added.Rows()[1].older, -1);
  EXPECT_EQ(added.Summary(), "2 lines added");
  EXPECT_EQ(UnifiedDiff({}, {"FIRM SERVICE", "Rate FT-1"}, "old", "new"),
            "--- old\n+++ new\n@@ -0,0 +1,2 @@\n+FIRM SERVICE\n+Rate FT-1\n");

  const TSheetDiff removed = TSheetDiff::Compare({"Reserved for future use"}, {});
  EXPECT_EQ(Kinds(removed), std::vector<TRowKind>{TRowKind::Removed});
  EXPECT_EQ(removed.Summary(), "1 line removed");
  EXPECT_EQ(UnifiedDiff({"Reserved for future use"}, {}, "old", "new"),
            "--- old\n+++ new\n@@ -1 +0,0 @@\n-Reserved for future use\n");
  EXPECT_EQ(removed.ChangeStarts(), std::vector<size_t>{0});
}

TEST(SheetDiffTest, AChangedFigureIsMarkedWholeOnBothSides) {
  const Lines older = {"RATE SCHEDULE FT-1", "  Reservation   6.8783   per Dth", "  Commodity     0.0210"};
  const Lines newer = {"RATE SCHEDULE FT-1", "  Reservation   6.9012   per Dth", "  Commodity     0.0210"};
  const TSheetDiff d = TSheetDiff::Compare(older, newer);
  ASSERT_EQ(Kinds(d), (std::vector<TRowKind>{TRowKind::Same, TRowKind::Changed, TRowKind::Same}));
  const TDiffRow& row = d.Rows()[1];
  EXPECT_EQ(Marked(older[1], row.olderSpans), "[6.8783]");
  EXPECT_EQ(Marked(newer[1], row.newerSpans), "[6.9012]");
  EXPECT_EQ(row.olderSpans, (std::vector<TCharSpan>{TCharSpan{16, 6}}));
  EXPECT_EQ(d.Summary(), "1 line changed");

  // Words added inside a sentence are marked on the newer side only; the
  // blank before each of them goes with it.
  const TSheetDiff words =
      TSheetDiff::Compare({"Service under this schedule is firm."}, {"Service under this rate schedule is firm and daily."});
  EXPECT_EQ(Marked("Service under this rate schedule is firm and daily.", words.Rows()[0].newerSpans),
            "[rate ][firm and daily.]");
  EXPECT_EQ(Marked("Service under this schedule is firm.", words.Rows()[0].olderSpans), "[firm.]");
}

TEST(SheetDiffTest, ReorderedLinesAndMixedRunsSummariseAsAReaderCountsThem) {
  // Moving a line shows as removed where it was and added where it is.
  const Lines older = {"Zone 1", "Zone 2", "Zone 3", "Zone 4"};
  const Lines newer = {"Zone 3", "Zone 1", "Zone 2", "Zone 4"};
  const TSheetDiff moved = TSheetDiff::Compare(older, newer);
  EXPECT_EQ(Kinds(moved), (std::vector<TRowKind>{TRowKind::Added, TRowKind::Same, TRowKind::Same,
                                                 TRowKind::Removed, TRowKind::Same}));
  EXPECT_EQ(moved.Summary(), "1 line added, 1 removed");
  EXPECT_EQ(moved.ChangeStarts(), (std::vector<size_t>{0, 3}));

  // Three lines rewritten and one more added in the same place.
  const TSheetDiff mixed = TSheetDiff::Compare({"a 1", "b 1", "c 1", "end"}, {"a 2", "b 2", "c 2", "d 2", "end"});
  EXPECT_EQ(mixed.Summary(), "3 lines changed, 1 added");
  EXPECT_EQ(mixed.ChangedCount(), 3);
  EXPECT_EQ(mixed.AddedCount(), 1);
  EXPECT_EQ(mixed.ChangeStarts(), std::vector<size_t>{0});
}

TEST(SheetDiffTest, UnifiedHunksKeepThreeLinesOfContextAndMergeCloseChanges) {
  Lines older, newer;
  for (int i = 1; i <= 20; ++i) older.push_back("line " + std::to_string(i));
  newer = older;
  newer[4] = "line 5 changed";   // changes 6 lines apart share one hunk
  newer[10] = "line 11 changed";
  newer.erase(newer.begin() + 18);  // far from them: a hunk of its own
  const std::string diff = UnifiedDiff(older, newer, "x", "y");
  EXPECT_EQ(diff,
            "--- x\n+++ y\n"
            "@@ -2,13 +2,13 @@\n line 2\n line 3\n line 4\n-line 5\n+line 5 changed\n line 6\n line 7\n line 8\n"
            " line 9\n line 10\n-line 11\n+line 11 changed\n line 12\n line 13\n line 14\n"
            "@@ -16,5 +16,4 @@\n line 16\n line 17\n line 18\n-line 19\n line 20\n");
}

TEST(SheetDiffTest, TwoThousandLineTextsCompareFastAndCountEveryChange) {
  Lines older, newer;
  for (int i = 0; i < 2000; ++i) older.push_back("  Zone " + std::to_string(i) + "   Reservation   6." + std::to_string(1000 + i));
  newer = older;
  for (int i = 0; i < 2000; i += 100) newer[size_t(i)] += " (revised)";
  newer.insert(newer.begin() + 1000, "  Zone new");
  const auto start = std::chrono::steady_clock::now();
  const TSheetDiff d = TSheetDiff::Compare(older, newer);
  // A sheet rewritten from top to bottom.
  Lines other;
  for (int i = 0; i < 2000; ++i) other.push_back("other " + std::to_string(i));
  const TSheetDiff all = TSheetDiff::Compare(older, other);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_EQ(d.Summary(), "20 lines changed, 1 added");
  EXPECT_EQ(all.Summary(), "2000 lines changed");
  // A sanity bound only (both take milliseconds); tools/bench/bench_diff measures.
  EXPECT_LT(seconds, 5.0);
}

// ---- versions in a library ------------------------------------------------------------

TSheetPlan Version(const std::string& no, int rev, uint8_t status, Lines body, uint16_t effective = 0) {
  TSheetPlan s;
  s.sheetNo = no;
  s.rev = rev;
  s.status = status;
  s.effectiveDate = effective;
  s.docket = "RP0" + std::to_string(rev) + "-1-000";
  s.lines = {(rev == 0 ? std::string("Original") : RevisionWord(rev) + " Revised") + " Sheet No. " + no,
             rev == 0 ? "Original Volume" : "Sheet No. " + no};
  for (auto& l : body) s.lines.push_back(l);
  return s;
}

class VersionPairsTest : public ::testing::Test {
 protected:
  VersionPairsTest() {
    mem_.MakeDir("/lib");
    TVolumePlan one;
    one.company = "Kestrel Gas Transmission";
    one.volumeName = "  Second Revised Volume No. 1  ";
    // Sheet 5: revisions 0, 1 (Deleted) and 3; no revision 2.
    one.sheets = {Version("5", 3, kEffective, {"  Reservation   6.9012"}, PackDate(2005, 3, 1)),
                  Version("5", 1, kDeleted, {"  Reservation   7.0000"}),
                  Version("5", 0, kSuperseded, {"  Reservation   6.8783"}, PackDate(2004, 1, 1)),
                  Version("6", 0, kEffective, {"GENERAL TERMS"})};
    TVolumePlan two;
    two.company = "Kestrel Gas Transmission";
    two.volId = "2";
    two.volumeName = "Original Volume No. 2";
    two.sheets = {Version("5", 2, kEffective, {"Volume two's own sheet 5"})};
    prime_ = BuildLibrary(env_, "/lib/a", false, {one, two});
    cluster_ = std::make_unique<TFileCluster>(env_, false);
    EXPECT_TRUE(cluster_->Open(prime_, false));
    cluster_->ReadAll();
  }

  // The volume's sheets as a selection of Effective sheets lists them.
  TNamedSheets Effective(size_t volume) {
    struct TEffectiveOnly : TSheetFilter {
      bool AcceptSheet(const TSheetBody& b) const override { return b.status == kEffective; }
      bool AcceptDocket(const TDocketBody&) const override { return true; }
    };
    static TEffectiveOnly filter;
    lists_.push_back(std::make_unique<THdrList>(*cluster_->Volumes()[volume], &filter));
    lists_.back()->Load();
    TNamedSheets names;
    TAuxList<T5Entry> issuers;
    TAuxList<T6Entry> dockets;
    lists_.back()->FillNames(names, issuers, dockets);
    return names;
  }

  TMemFileSystem mem_;
  TScriptedPort port_;
  TEnv env_{mem_, port_};
  std::string prime_;
  std::unique_ptr<TFileCluster> cluster_;
  std::vector<std::unique_ptr<THdrList>> lists_;
};

TEST_F(VersionPairsTest, OlderVersionSkipsGapsAndDeletedVersionsAndStaysInItsVolume) {
  const TNamedSheets one = Effective(0), two = Effective(1);
  ASSERT_EQ(one.size(), 2u);  // 5 revision 3 and 6; the older versions are not listed
  TVersionPairs pairs;
  const TSheetPtr older = pairs.OlderVersion(*one[0].second);
  ASSERT_TRUE(older);
  EXPECT_EQ(older->body.revNo, 0);  // not the Deleted revision 1, nor volume 2's revision 2
  EXPECT_EQ(older->body.status, kSuperseded);
  EXPECT_FALSE(pairs.OlderVersion(*older));            // an original has none
  EXPECT_FALSE(pairs.OlderVersion(*one[1].second));    // sheet 6 has one version
  EXPECT_FALSE(pairs.OlderVersion(*two[0].second));    // volume 2's sheet 5 has no older one there

  TCompareSide a, b;
  ASSERT_TRUE(ReadCompareSide(older, pairs, a));
  ASSERT_TRUE(ReadCompareSide(one[0].second, pairs, b));
  EXPECT_EQ(a.CaptionLine(), "Kestrel Gas Transmission | Second Revised Volume No. 1 | Original Sheet No. 5 | "
                             "Superseded | 1/1/2004");
  EXPECT_EQ(b.CaptionLine(), "Kestrel Gas Transmission | Second Revised Volume No. 1 | Third Revised Sheet No. 5 | "
                             "Effective | 3/1/2005");
  EXPECT_EQ(b.DiffName(), "000001 Second Revised Volume No. 1 | Third Revised Sheet No. 5");
  EXPECT_EQ(a.lines, (Lines{"Original Volume", "  Reservation   6.8783"}));
  EXPECT_EQ(b.lines, (Lines{"Superseding: Sheet No. 5", "  Reservation   6.9012"}));
}

TEST_F(VersionPairsTest, SheetListCompareTakesTheSelectedSheetOrTwoMarkedOnesAndSaysWhenThereIsNothing) {
  THdrForm form(env_, THdrForm::kBrowse, nullptr);
  form.SetCluster(cluster_.get());
  for (size_t v : {0u, 1u}) {
    lists_.push_back(std::make_unique<THdrList>(*cluster_->Volumes()[v], nullptr));
    lists_.back()->Load();
    form.FillList(*lists_.back());
  }
  // Listed: 5 r3, 5 r1 (Deleted), 5 r0, 6 r0, then volume 2's 5 r2.
  ASSERT_EQ(form.Count(), 5u);
  TVersionPairs pairs;
  TCompareWindow window;
  int changes = 0;
  window.onChanged = [&] { ++changes; };

  form.Select(0);
  std::optional<TVersionPick> pick = PickVersions(form, pairs);
  ASSERT_TRUE(pick);
  ASSERT_TRUE(window.Compare(*pick, pairs));
  EXPECT_EQ(window.Caption(), "Compare Versions: Third Revised Sheet No. 5");
  EXPECT_EQ(window.Older().sheetName, "Original Sheet No. 5");
  EXPECT_EQ(window.Summary(), "2 lines changed");
  EXPECT_EQ(window.CurrentRow(), 0);
  EXPECT_FALSE(window.PreviousEnabled());
  EXPECT_FALSE(window.NextEnabled());  // both changed lines are one run

  form.Select(3);  // sheet 6, an original
  EXPECT_FALSE(PickVersions(form, pairs));
  ASSERT_FALSE(port_.messages.empty());
  EXPECT_EQ(port_.messages.back(), "Nothing to compare: sheet 6 revision 0 has no older version in its volume");

  // Two marked sheets, in either order: the lower revision is the older.
  form.SetMultiSelect(true);  // the selected sheet starts marked
  form.SetMarked(3, false);
  form.SetMarked(4, true);
  form.SetMarked(0, true);
  pick = PickVersions(form, pairs);
  ASSERT_TRUE(pick);
  EXPECT_EQ(pick->older->body.revNo, 2);
  EXPECT_EQ(pick->newer->body.revNo, 3);
  ASSERT_TRUE(window.Compare(*pick, pairs));
  EXPECT_EQ(window.Older().volume, "Original Volume No. 2");
  EXPECT_EQ(window.Summary(), "1 line changed");

  form.SetMarked(3, true);
  const size_t before = port_.messages.size();
  EXPECT_FALSE(PickVersions(form, pairs));
  ASSERT_EQ(port_.messages.size(), before + 1);
  EXPECT_EQ(port_.messages.back(), "Mark exactly two sheets to compare them with each other");
  EXPECT_GE(changes, 2);
}

TEST(CompareWindowTest, NextAndPreviousStepThroughTheRunsOfChanges) {
  TCompareWindow w;
  TCompareSide a, b;
  a.lines = {"1", "2", "3", "4", "5", "6", "7"};
  b.lines = {"1", "two", "3", "4", "5", "6", "seven", "eight"};
  w.SetSides(a, b);
  EXPECT_EQ(w.Summary(), "2 lines changed, 1 added");
  EXPECT_EQ(w.ChangeCount(), 2);
  EXPECT_EQ(w.CurrentRow(), 1);
  EXPECT_TRUE(w.NextEnabled());
  w.NextChange();
  EXPECT_EQ(w.CurrentRow(), 6);
  EXPECT_FALSE(w.NextEnabled());
  w.NextChange();  // stays at the last
  EXPECT_EQ(w.CurrentChange(), 1);
  w.PreviousChange();
  EXPECT_EQ(w.CurrentRow(), 1);
  EXPECT_FALSE(w.PreviousEnabled());

  w.SetSides(a, a);
  EXPECT_EQ(w.Summary(), "No differences");
  EXPECT_EQ(w.CurrentRow(), -1);
  EXPECT_FALSE(w.NextEnabled());
}

}  // namespace
}  // namespace vorne::testing
