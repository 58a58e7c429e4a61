#include "volumes/Selectors.h"

#include <gtest/gtest.h>

#include "store/Common.h"
#include "store/Records.h"
#include "support/LibraryBuilder.h"
#include "support/MemFileSystem.h"
#include "support/ScriptedPort.h"
#include "volumes/VolumeList.h"

namespace vorne {
namespace {

using testing::TScriptedPort;

class SelectorsTest : public ::testing::Test {
 protected:
  static std::vector<std::string> Captions(const std::vector<TCheckBox>& boxes, bool checkedOnly) {
    std::vector<std::string> out;
    for (const TCheckBox& b : boxes)
      if (b.visible && (b.checked || !checkedOnly)) out.push_back(b.caption);
    return out;
  }
  static void ExpectResult(TDialogResult r, bool close, bool runNow, bool emptyNames) {
    EXPECT_EQ(r.close, close);
    EXPECT_EQ(r.runNow, runNow);
    EXPECT_EQ(r.emptyNameList, emptyNames);
  }
  TSelection sel;
  TSelectorPanel panel{sel};
  TScriptedPort port;
};

TEST_F(SelectorsTest, StatusDialogButtonsAndResults) {
  TStatusDialog hidden(sel, false);
  EXPECT_EQ(Captions(hidden.Boxes(), false),
            (std::vector<std::string>{"Effective", "Proposed", "Superseded", "Rejected", "Suspended", "Withdrawn"}));
  EXPECT_EQ(Captions(hidden.Boxes(), true), (std::vector<std::string>{"Effective", "Proposed", "Suspended"}));
  hidden.Check(6, true);  // Deleted is not on screen outside ExpertMode
  EXPECT_FALSE(hidden.CheckedCodes().Has(kDeleted));

  TStatusDialog dlg(sel, true);
  dlg.Check(6, true);
  dlg.ArchiveClick();
  EXPECT_EQ(Captions(dlg.Boxes(), true), (std::vector<std::string>{"Superseded", "Rejected", "Withdrawn"}));
  dlg.ClearClick();
  EXPECT_TRUE(dlg.CheckedCodes().Empty());
  dlg.CurrentClick();
  dlg.Check(6, true);
  ExpectResult(dlg.OK(), true, false, false);
  EXPECT_TRUE(sel.StatusSelect);
  EXPECT_EQ(sel.StatusSet, (TByteSet{kSuspended, kEffective, kPending, kDeleted}));

  ExpectResult(TStatusDialog(sel, false).Go(false), true, true, true);
  EXPECT_EQ(sel.StatusSet, CurrentStatuses());
  ExpectResult(TStatusDialog(sel, false).Go(true), true, true, false);

  sel.DocketSelect = true;
  sel.ChosenDockets = {"X"};
  ExpectResult(TStatusDialog(sel, false).Cancel(), true, false, false);
  EXPECT_FALSE(panel.StatusChecked());
  EXPECT_FALSE(panel.DocketChecked());
  EXPECT_EQ(sel.StatusSet, CurrentStatuses());
}

TEST_F(SelectorsTest, DateDialogShowsRangesAndStopsAtTheFirstBadDate) {
  sel.ApplyRecent(DateToSerial({2005, 1, 15}));
  TDateDialog dlg(sel, port);
  EXPECT_EQ(dlg.Field(TDateKind::Updated, TDateEnd::From), "1/15/2005");
  EXPECT_EQ(dlg.Field(TDateKind::Filing, TDateEnd::To), "...");

  dlg.Field(TDateKind::Filing, TDateEnd::From) = "1/10/2005";
  dlg.Field(TDateKind::Order, TDateEnd::To) = "13/1/2005";
  dlg.Field(TDateKind::Updated, TDateEnd::From) = "...";
  ExpectResult(dlg.Go(false), false, false, false);
  EXPECT_EQ(port.messages, (std::vector<std::string>{"13/1/2005 is not a valid date"}));
  EXPECT_EQ(sel.ShowDate(TDateKind::Filing, TDateEnd::From), "1/10/2005");    // read before the bad one
  EXPECT_EQ(sel.ShowDate(TDateKind::Updated, TDateEnd::From), "1/15/2005");  // not reached
  EXPECT_FALSE(panel.DateChecked());

  dlg.Field(TDateKind::Order, TDateEnd::To) = "";
  ExpectResult(dlg.Go(true), true, true, false);
  EXPECT_TRUE(panel.DateChecked());
  EXPECT_EQ(sel.ShowDate(TDateKind::Updated, TDateEnd::From), "...");

  ExpectResult(TDateDialog(sel, port).Cancel(), true, false, false);
  EXPECT_FALSE(sel.EffectiveOrderDates);
  EXPECT_TRUE(sel.FilingUpdatedDates);
}

TEST_F(SelectorsTest, UncheckingByDateKeepsTheFilingRangeUntilItIsReopened) {
  TSheetBody early;
  early.filingDate = early.updDate = PackDate(2005, 1, 5);
  ASSERT_TRUE(panel.DateBoxClick(true));
  TDateDialog dlg(sel, port);
  dlg.Field(TDateKind::Filing, TDateEnd::From) = "1/10/2005";
  ASSERT_TRUE(dlg.OK().close);
  EXPECT_FALSE(panel.DateBoxClick(false));
  EXPECT_FALSE(sel.AcceptSheet(early));

  ASSERT_TRUE(panel.DateBoxClick(true));
  TDateDialog again(sel, port);
  again.Field(TDateKind::Filing, TDateEnd::From) = "...";
  again.Field(TDateKind::Filing, TDateEnd::To) = "...";
  ASSERT_TRUE(again.OK().close);
  EXPECT_TRUE(sel.AcceptSheet(early));
}

TEST_F(SelectorsTest, TypeAndSheetNumberDialogs) {
  TTypeDialog types(sel);
  EXPECT_EQ(Captions(types.Boxes(), false),
            (std::vector<std::string>{"Table of Contents", "Preliminary Statement", "Rate Sheets", "Rate Schedule Text",
                                      "General Terms", "Form of Service Agreement", "Index of Purchasers",
                                      "Other Indices", "Other Sheets", "Reserved"}));
  EXPECT_TRUE(Captions(types.Boxes(), true).empty());
  types.Check(0, true);
  types.Check(9, true);
  ExpectResult(types.Go(false), true, true, true);
  EXPECT_EQ(sel.TypeSet, (TByteSet{1, 10}));
  EXPECT_TRUE(panel.TypeChecked());
  TTypeDialog(sel).Cancel();
  EXPECT_FALSE(panel.TypeChecked());
  TTypeDialog again(sel);
  again.Check(1, true);
  again.OK();
  EXPECT_EQ(sel.TypeSet, TByteSet{2});  // replaced, not added to

  TSheetNoDialog nos(sel, port);
  EXPECT_EQ(nos.FromField(), "[...");
  EXPECT_EQ(nos.ToField(), "...]");
  nos.SetFrom("-x");
  nos.SetTo("123456789");
  EXPECT_EQ(nos.ToField(), "12345678");
  ExpectResult(nos.OK(), false, false, false);
  EXPECT_EQ(port.messages, (std::vector<std::string>{"Can't use these values, try again"}));
  EXPECT_FALSE(panel.SheetNoChecked());
  nos.SetFrom("12a");
  ExpectResult(nos.OK(), true, false, false);
  EXPECT_TRUE(panel.SheetNoChecked());
  EXPECT_EQ(sel.FromText, "12A");
  TSheetNoDialog(sel, port).Cancel();
  EXPECT_FALSE(panel.SheetNoChecked());
}

TEST_F(SelectorsTest, DocketBoxAndDialog) {
  EXPECT_FALSE(panel.DocketBoxClick(true, true, port));  // no volume clicked yet
  panel.ResetDocketSelection();
  EXPECT_TRUE(panel.DocketEnabled());
  EXPECT_FALSE(panel.DocketBoxClick(true, false, port));
  EXPECT_EQ(port.messages, (std::vector<std::string>{"Select a pipeline company first"}));
  EXPECT_FALSE(panel.DocketChecked());

  sel.ChosenDockets = {"OLD"};
  ASSERT_TRUE(panel.DocketBoxClick(true, true, port));
  TDocketDialog dlg(sel, {"RP96-  2-000        ", "rp95-  1-000        ", "CP01-  9-000        ",
                          "RP96-  2-000        "});
  EXPECT_TRUE(sel.ChosenDockets.empty());
  EXPECT_EQ(dlg.Lines(), (std::vector<std::string>{"CP01-  9-000        ", "rp95-  1-000        ",
                                                   "RP96-  2-000        "}));
  EXPECT_EQ(dlg.ComboLines().size(), 4u);
  dlg.LeaveCombo(2);  // the combo's third item, wherever the sorted list holds it
  EXPECT_TRUE(dlg.Selected(0));
  EXPECT_FALSE(dlg.Selected(1) || dlg.Selected(2));
  dlg.Select(1, true);
  ExpectResult(dlg.Go(false), true, true, true);
  EXPECT_EQ(sel.ChosenDockets, (std::vector<std::string>{"CP01-  9-000        ", "rp95-  1-000        "}));
  EXPECT_TRUE(panel.DocketChecked());

  ASSERT_TRUE(panel.DocketBoxClick(true, true, port));
  TDocketDialog none(sel, {"CP01-  9-000        "});
  ExpectResult(none.OK(), true, false, false);
  EXPECT_FALSE(panel.DocketChecked());
  ASSERT_TRUE(panel.DocketBoxClick(true, true, port));
  TDocketDialog(sel, {"CP01-  9-000        "}).Cancel();
  EXPECT_FALSE(panel.DocketChecked());  // a criterion without lines would hide every sheet

  panel.DisableDocketBox();
  EXPECT_FALSE(panel.DocketBoxClick(true, true, port));
}

// The docket dialog is fed from the marked rows only, a volume after the
// other in list order (each volume's lines sorted, repeats across volumes
// kept for the combo box).
TEST_F(SelectorsTest, DocketLinesComeFromTheMarkedVolumesInListOrder) {
  testing::TMemFileSystem fs;
  TEnv env{fs, port};
  TFromDisplay list(env);
  EXPECT_TRUE(MarkedDocketLines(list).empty());  // no library

  auto volume = [](const char* company, uint32_t code, std::vector<std::pair<const char*, uint16_t>> dockets) {
    testing::TVolumePlan v;
    v.company = company;
    v.companyCode = code;
    int n = 1;
    for (auto [docket, effective] : dockets) {
      testing::TSheetPlan s;
      s.sheetNo = std::to_string(n++);
      s.lines = {"sheet " + s.sheetNo};
      s.docket = docket;
      s.effectiveDate = effective;
      v.sheets.push_back(s);
    }
    return v;
  };
  fs.MakeDir("/lib");
  const std::string prime = testing::BuildLibrary(
      env, "/lib/d", false,
      {volume("Zeta Gas", 3, {{"RP05-2-000", PackDate(2005, 3, 1)}, {"CP01-9-000", 0}}),
       volume("Alpha Gas", 1, {{"RP96-1-000", PackDate(1996, 1, 2)}}),
       volume("Mid Gas", 2, {{"RP05-2-000", PackDate(2005, 3, 1)}})});
  TFileCluster cluster(env, false);
  ASSERT_TRUE(cluster.Open(prime, false));
  list.Fill(cluster);  // sorted by name: Alpha, Mid, Zeta
  list.SetMarked(0, true);
  list.SetMarked(2, true);

  std::vector<std::string> lines = MarkedDocketLines(list);
  EXPECT_EQ(lines, (std::vector<std::string>{"RP96-  1-000          1/2/1996", "CP01-  9-000          Missing ",
                                             "RP05-  2-000          3/1/2005"}));
  list.SetMarked(1, true);
  EXPECT_EQ(MarkedDocketLines(list).size(), 4u);  // Mid's line again, after Alpha's
  EXPECT_EQ(MarkedDocketLines(list)[1], "RP05-  2-000          3/1/2005");
}

// The panel's view refreshes from onChanged; a click on a volume row resets
// the docket box through the panel, so the view hears of that too.
TEST_F(SelectorsTest, PanelTellsItsViewOfEveryChange) {
  int changes = 0;
  panel.onChanged = [&] { ++changes; };
  panel.ResetDocketSelection();
  panel.OtherClick();
  panel.PortraitClick(false);
  panel.SubjectClick(false);
  panel.StatusBoxClick(false);
  panel.DocketBoxClick(true, false, port);  // refused, but the box flips back
  panel.DisableDocketBox();
  EXPECT_EQ(changes, 7);
  EXPECT_FALSE(panel.PortraitChecked());
  EXPECT_TRUE(panel.OtherShown());
}

TEST_F(SelectorsTest, PanelBoxesFollowTheCriteria) {
  sel.ApplyStatusWord("EFFECTIVE");
  EXPECT_TRUE(panel.StatusChecked());
  panel.StatusSelectOff();
  EXPECT_FALSE(panel.StatusChecked());
  EXPECT_EQ(sel.StatusSet, TByteSet{kEffective});
  EXPECT_TRUE(panel.StatusBoxClick(true));
  EXPECT_FALSE(sel.StatusSelect);  // only OK turns it on

  EXPECT_TRUE(panel.PortraitChecked() && panel.LandscapeChecked());
  panel.LandscapeClick(false);
  TSheetBody landscape;
  landscape.orientation = 'L';
  EXPECT_FALSE(sel.AcceptSheet(landscape));
}

TEST_F(SelectorsTest, OneRefundBoxAlwaysStaysChecked) {
  auto boxes = [&] { return std::pair(panel.SubjectChecked(), panel.NotSubjectChecked()); };
  EXPECT_EQ(boxes(), std::pair(true, true));
  panel.SubjectClick(false);
  EXPECT_EQ(boxes(), std::pair(false, true));
  EXPECT_FALSE(sel.RefundAny);
  EXPECT_EQ(sel.RefundWanted, 0);
  panel.NotSubjectClick(false);
  EXPECT_EQ(boxes(), std::pair(true, false));
  EXPECT_EQ(sel.RefundWanted, 1);
  panel.SubjectClick(false);
  EXPECT_EQ(boxes(), std::pair(false, true));
  panel.SubjectClick(true);
  panel.NotSubjectClick(true);
  EXPECT_TRUE(sel.RefundAny);
  panel.NotSubjectClick(false);
  sel.RestoreListDefaults();  // the sheet list window was created again
  EXPECT_EQ(boxes(), std::pair(true, true));
}

TEST_F(SelectorsTest, SummaryShowsOnlyTheCriteriaInForce) {
  TSelectorSummary quiet(sel);
  EXPECT_FALSE(quiet.showDockets || quiet.showTypes || quiet.showDates || quiet.showStatuses || quiet.showSheetNo);

  sel.ChosenDockets = {"RP96-  2-000          3/1/2005"};
  sel.TypeSelect = true;
  sel.TypeSet = {2};
  sel.ApplyRecent(DateToSerial({2005, 1, 15}));
  sel.SelectStatuses({kDeleted, kPending});
  sel.SheetNoSelect = true;
  sel.ParseBound("12a", TBound::From);
  TSelectorSummary s(sel);
  EXPECT_EQ(s.dockets, sel.ChosenDockets);
  EXPECT_EQ(Captions(s.types, true), std::vector<std::string>{"Preliminary Statement"});
  EXPECT_EQ(s.dates[3][0], "1/15/2005");
  EXPECT_EQ(s.dates[0][1], "...");
  EXPECT_EQ(s.statuses.size(), 6u);
  EXPECT_EQ(Captions(s.statuses, true), std::vector<std::string>{"Proposed"});
  EXPECT_TRUE(s.showDockets && s.showTypes && s.showDates && s.showStatuses && s.showSheetNo);
  EXPECT_EQ(s.fromText, "12A");
  EXPECT_EQ(s.toText, "...]");
}

}  // namespace
}  // namespace vorne
