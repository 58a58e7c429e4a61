// The volume list window as a model: its rows and their columns, the
// exclusion list, the three sort orders, marking and the counts, the volume
// list export, and the run loop over the marked volumes.
#include "volumes/VolumeList.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "store/Errors.h"
#include "support/LibraryBuilder.h"
#include "support/MemFileSystem.h"
#include "support/ScriptedPort.h"
#include "volumes/Selection.h"
#include "volumes/Selectors.h"

namespace vorne::testing {
namespace {

struct TVol {
  const char* company;
  uint32_t code;
  int sheets;          // how many sheets the volume holds
  uint16_t updated;    // their update date
  const char* volId = "1";
  int16_t revision = 0;
};

TVolumePlan Volume(const TVol& v) {
  TVolumePlan plan;
  plan.company = v.company;
  plan.companyCode = v.code;
  plan.volId = v.volId;
  plan.volRevNo = v.revision;
  for (int i = 0; i < v.sheets; ++i) {
    TSheetPlan s;
    s.sheetNo = i == 0 ? "1" : std::to_string(10 + i) + "A";
    s.lines = {"original sheet no. " + s.sheetNo, "text"};
    s.updDate = v.updated;
    plan.sheets.push_back(s);
  }
  return plan;
}

uint16_t Day(int y, int m, int d) { return PackDate(y, m, d); }

// Run steps that record what the loop asks of them.
class TRecordingSteps : public TRunSteps {
 public:
  bool prepareResult = true;
  bool needsMarked = true;
  std::function<void()> onPrepare;
  std::function<bool(TFromDisplay&, size_t, TPrimeRef&)> step;
  std::vector<std::string> calls;
  int uncheckAll = 0;

  void BeforeGo(TFromDisplay&) override { calls.push_back("before"); }
  bool NeedsMarkedRows() const override { return needsMarked; }
  void UncheckAllBox() override { ++uncheckAll; }
  bool Prepare(TFromDisplay& list) override {
    calls.push_back("prepare");
    if (onPrepare) onPrepare();
    return prepareResult;
  }
  bool EachVolume(TFromDisplay& list, size_t row, TPrimeRef& volume) override {
    calls.push_back(volume.record.companyName);
    return step ? step(list, row, volume) : true;
  }
  void Finish(TFromDisplay& list) override { calls.push_back("finish"); }
};

class VolumeListTest : public ::testing::TestWithParam<bool> {
 protected:
  VolumeListTest() {
    mem_.MakeDir("/lib");
    mem_.MakeDir("/out");
    list_.SetRunSteps(&steps_);
  }

  // Builds the library with the volumes in this prime-file order and fills the list.
  void Fill(const std::vector<TVol>& vols, TFillOptions options = {}) {
    std::vector<TVolumePlan> plans;
    for (const TVol& v : vols) plans.push_back(Volume(v));
    std::string prime = BuildLibrary(env_, "/lib/v", GetParam(), plans);
    cluster_ = std::make_unique<TFileCluster>(env_, GetParam());
    ASSERT_TRUE(cluster_->Open(prime, false));
    list_.Fill(*cluster_, options);
  }

  // The ID column of the rows in list order.
  std::vector<std::string> Ids() const {
    std::vector<std::string> ids;
    for (const TVolumeRow& r : list_.Rows()) ids.push_back(r.columns[kColId]);
    return ids;
  }

  TMemFileSystem mem_;
  TScriptedPort port_;
  TEnv env_{mem_, port_};
  std::unique_ptr<TFileCluster> cluster_;
  TFromDisplay list_{env_};
  TRecordingSteps steps_;
};

using TIds = std::vector<std::string>;

// ---- rows ------------------------------------------------------------------------------

TEST_P(VolumeListTest, EachVolumeIsARowWithItsSixColumnTexts) {
  Fill({{"anr pipeline company", 42, 3, Day(2005, 1, 5), "2", 1}});
  ASSERT_EQ(list_.RowCount(), 1u);
  const TVolumeRow& r = list_.Rows()[0];
  EXPECT_EQ(r.caption, "ANR Pipeline Company");
  EXPECT_EQ(r.columns[kColVolume], "First Vol 2");
  EXPECT_EQ(r.columns[kColId], "000042");
  EXPECT_EQ(r.columns[kColSheets], "3");
  EXPECT_EQ(r.columns[kColFrom], "1");
  EXPECT_EQ(r.columns[kColTo], "12A");
  EXPECT_EQ(r.columns[kColUpdated], "1/5/2005");
  EXPECT_EQ(r.volume, cluster_->Volumes()[0].get());
  EXPECT_FALSE(r.marked);
  EXPECT_EQ(list_.StatusText(1), "1 vols; 0 Sheets, out of 3");
}

TEST(FromDisplayTexts, UpdatedElapsedAndColumns) {
  EXPECT_EQ(UpdatedText(Day(2005, 12, 31)), "12/31/2005");
  EXPECT_EQ(UpdatedText(0), "1/1/1950");
  EXPECT_EQ(UpdatedText(uint16_t(((55 * 16) + 13) * 32 + 1)), "00/00/19**");
  EXPECT_EQ(ElapsedText(std::chrono::seconds(3723)), "1:2:3 Elapsed");
  EXPECT_EQ(ElapsedText(std::chrono::seconds(59)), "0:0:59 Elapsed");
  const auto& cols = VolumeListColumns();
  EXPECT_STREQ(cols[0].caption, "Company Name");
  EXPECT_STREQ(cols[2].caption, "ID");
  EXPECT_STREQ(cols[6].caption, "Updated");
  EXPECT_TRUE(cols[3].rightAligned);
  EXPECT_EQ(ListHint(0), "Select a line and double-click, or several and press Go");
  EXPECT_EQ(ListHint(4), "");
  EXPECT_EQ(ListHint(10), "Highlight this line to delete it");
  EXPECT_EQ(ListHint(11), "Highlight this line to delete selected sheets");
}

TEST_P(VolumeListTest, ACompanyInNameListHasNoRowAndItsSheetsAreNotCounted) {
  TFillOptions options;
  options.nameList = {"BETA GAS COMPANY"};  // letter case ignored
  Fill({{"alpha gas company", 1, 2, Day(2005, 1, 1)},
        {"beta gas company", 2, 5, Day(2005, 1, 1)},
        {"gamma gas company", 3, 1, Day(2005, 1, 1)}},
       options);
  EXPECT_EQ(Ids(), (TIds{"000001", "000003"}));
  EXPECT_EQ(list_.SheetTotal(), 3);
  EXPECT_EQ(list_.StatusText(1), "2 vols; 0 Sheets, out of 3");
  // The cluster still knows every volume, so a rewrite from it loses none.
  EXPECT_EQ(cluster_->Volumes().size(), 3u);
}

TEST_P(VolumeListTest, TheKeepHookLeavesOutRefusedRecords) {
  TFillOptions options;
  options.keep = [](const TPrimeRecord& r) { return r.updated >= PackDate(2005, 1, 1); };
  Fill({{"old gas", 1, 1, Day(2004, 12, 31)}, {"new gas", 2, 1, Day(2005, 1, 1)}}, options);
  EXPECT_EQ(Ids(), (TIds{"000002"}));
}

TEST_P(VolumeListTest, RefillingForgetsMarks) {
  Fill({{"a gas", 1, 1, Day(2005, 1, 1)}, {"b gas", 2, 1, Day(2005, 1, 1)}});
  list_.SelectAll();
  list_.Fill(*cluster_);
  EXPECT_EQ(list_.MarkedCount(), 0u);
  EXPECT_EQ(list_.RowCount(), 2u);
}

// ---- sorting -----------------------------------------------------------------------------

TEST_P(VolumeListTest, RowsAreSortedByNameAndEqualNamesKeepPrimeFileOrder) {
  Fill({{"same gas", 5, 1, Day(2005, 1, 1)},
        {"alpha gas", 9, 1, Day(2005, 1, 1)},
        {"same gas", 3, 1, Day(2006, 1, 1)},
        {"same gas", 7, 1, Day(2004, 1, 1)}});
  EXPECT_EQ(list_.SortKey(), kSortByName);
  EXPECT_EQ(Ids(), (TIds{"000009", "000005", "000003", "000007"}));
  // Another order in between does not disturb the prime-file order of equal names.
  list_.ColumnClick(2);
  EXPECT_EQ(Ids(), (TIds{"000003", "000005", "000007", "000009"}));
  list_.ColumnClick(0);
  EXPECT_EQ(Ids(), (TIds{"000009", "000005", "000003", "000007"}));
  list_.ColumnClick(6);
  list_.ColumnClick(1);  // "Tariff Volume": by company name
  EXPECT_EQ(list_.StatusText(0), "Sorted by company name");
  EXPECT_EQ(Ids(), (TIds{"000009", "000005", "000003", "000007"}));
}

TEST_P(VolumeListTest, ByCodeEqualIdsPutTheLaterUpdateFirstAndEqualDatesKeepTheirOrder) {
  Fill({{"zed gas", 4, 1, Day(2005, 1, 1)},
        {"zed gas", 4, 1, Day(2006, 1, 1)},
        {"b gas", 2, 1, Day(2005, 1, 1), "2"},
        {"a gas", 2, 1, Day(2005, 1, 1), "1"}});
  list_.ColumnClick(2);
  EXPECT_EQ(list_.SortKey(), kSortByCode);
  EXPECT_EQ(list_.StatusText(0), "Sorted by company code");
  ASSERT_EQ(Ids(), (TIds{"000002", "000002", "000004", "000004"}));
  // Same ID, same date: they compare equal and keep the order they had (by name).
  EXPECT_EQ(list_.Rows()[0].caption, "A Gas");
  EXPECT_EQ(list_.Rows()[1].caption, "B Gas");
  EXPECT_EQ(list_.Rows()[2].columns[kColUpdated], "1/1/2006");
  EXPECT_EQ(list_.Rows()[3].columns[kColUpdated], "1/1/2005");
}

TEST_P(VolumeListTest, ByUpdateTheLaterFirstAndEqualDatesByName) {
  Fill({{"c gas", 1, 1, Day(2005, 3, 1)},
        {"b gas", 2, 1, Day(2005, 12, 1)},
        {"a gas", 3, 1, Day(2005, 3, 1)},
        {"d gas", 4, 1, Day(2005, 10, 30)}});
  list_.ColumnClick(6);
  EXPECT_EQ(list_.SortKey(), kSortByUpdate);
  EXPECT_EQ(list_.StatusText(0), "Sorted by last update");
  // 12/1 before 10/30 (dates, not texts), then the equal 3/1 dates by name.
  EXPECT_EQ(Ids(), (TIds{"000002", "000004", "000003", "000001"}));
}

TEST_P(VolumeListTest, ClickingTheNameColumnWhileSortedByNameChangesNothing) {
  Fill({{"b gas", 1, 1, Day(2005, 1, 1)}, {"a gas", 2, 1, Day(2005, 1, 1)}});
  list_.ColumnClick(0);
  list_.ColumnClick(4);
  EXPECT_EQ(list_.StatusText(0), "");
  EXPECT_EQ(Ids(), (TIds{"000002", "000001"}));
}

TEST_P(VolumeListTest, WithSplitFlagAFreshLibraryIsSortedByCode) {
  TFillOptions options;
  options.splitFlag = true;
  Fill({{"a gas", 9, 1, Day(2005, 1, 1)}, {"b gas", 3, 1, Day(2005, 1, 1)}}, options);
  EXPECT_EQ(list_.SortKey(), kSortByCode);
  EXPECT_EQ(Ids(), (TIds{"000003", "000009"}));
}

// ---- marking and counts --------------------------------------------------------------------

TEST_P(VolumeListTest, ClickingMarksAndCounts) {
  Fill({{"a gas", 1, 2, Day(2005, 1, 1)}, {"b gas", 2, 3, Day(2005, 1, 1)}, {"c gas", 3, 7, Day(2005, 1, 1)}});
  EXPECT_FALSE(list_.UnselectVisible());
  list_.RowClick(std::nullopt);  // nothing focused: row 0
  EXPECT_TRUE(list_.IsMarked(0));
  EXPECT_TRUE(list_.UnselectVisible());
  EXPECT_EQ(list_.StatusText(1), "3 vols; 2 Sheets, out of 12");
  list_.RowClick(2);
  EXPECT_EQ(list_.StatusText(1), "3 vols; 9 Sheets, out of 12");
  EXPECT_EQ(list_.MarkedSheetSum(), 9);
  EXPECT_EQ(list_.MarkedVolumes(), (std::vector<TPrimeRef*>{list_.Rows()[0].volume, list_.Rows()[2].volume}));

  list_.Unselect();
  EXPECT_EQ(list_.MarkedCount(), 0u);
  EXPECT_EQ(list_.StatusText(1), "No Sheets, out of 12");

  list_.SelectAll();
  EXPECT_EQ(list_.MarkedCount(), 3u);
  EXPECT_EQ(list_.StatusText(1), "3 vols; 12 Sheets, out of 12");
}

TEST_P(VolumeListTest, ClickingAnotherVolumeResetsTheDocketSelection) {
  TSelection selection;
  TSelectorPanel panel(selection);
  list_.SetSelectorPanel(&panel);
  Fill({{"a gas", 1, 1, Day(2005, 1, 1)}, {"b gas", 2, 1, Day(2005, 1, 1)}});
  list_.RowClick(0);
  EXPECT_TRUE(panel.DocketEnabled());

  selection.DocketSelect = true;
  selection.ChosenDockets = {"RP96-  1-000"};
  list_.RowClick(0);  // the same volume: the chosen dockets stay
  EXPECT_TRUE(selection.DocketSelect);
  list_.RowClick(1);
  EXPECT_FALSE(selection.DocketSelect);
  EXPECT_TRUE(selection.ChosenDockets.empty());
  EXPECT_TRUE(panel.DocketEnabled());

  list_.Unselect();
  EXPECT_FALSE(panel.DocketEnabled());
}

TEST_P(VolumeListTest, SelectByIdMarksEveryRowOfThatSixDigitId) {
  TSelection selection;
  TSelectorPanel panel(selection);
  list_.SetSelectorPanel(&panel);
  Fill({{"a gas", 123456, 1, Day(2005, 1, 1)},
        {"b gas", 42, 2, Day(2005, 1, 1)},
        {"c gas", 123456, 4, Day(2005, 1, 1), "2"},
        {"d gas", 420, 8, Day(2005, 1, 1)}});
  selection.DocketSelect = true;
  EXPECT_EQ(list_.SelectById(123456), 2u);
  EXPECT_EQ(list_.MarkedCount(), 2u);
  EXPECT_EQ(list_.MarkedSheetSum(), 5);
  EXPECT_FALSE(selection.DocketSelect);
  list_.SelectById(42);  // "000042", not "000420"
  EXPECT_EQ(list_.MarkedCount(), 3u);
  EXPECT_EQ(list_.StatusText(1), "4 vols; 7 Sheets, out of 15");
  EXPECT_EQ(list_.SelectById(999), 0u);  // the caller says that no volume has it
  EXPECT_EQ(list_.MarkedCount(), 3u);
}

TEST_P(VolumeListTest, ExpertModeShowsTheIdColumnAndMakeHtml) {
  EXPECT_EQ(list_.IdColumnWidth(), 1);
  EXPECT_FALSE(list_.MakeHtmlVisible());
  list_.ApplyExpertMode(true);
  EXPECT_EQ(list_.IdColumnWidth(), 60);
  EXPECT_TRUE(list_.MakeHtmlVisible());
}

TEST_P(VolumeListTest, UpdateCodesEditsTheFocusedRowAndRenamesIt) {
  EXPECT_FALSE(list_.UpdateCodes(nullptr));
  EXPECT_EQ(port_.messages.back(), "No Volumes Listed");
  Fill({{"a gas", 1, 1, Day(2005, 1, 1)}, {"b gas", 2, 1, Day(2005, 1, 1)}});
  list_.SetFocused(1);
  EXPECT_TRUE(list_.UpdateCodes([](TPrimeRef& v) {
    v.record.companyName = "anr new name";
    v.record.companyCode = 77;
  }));
  EXPECT_EQ(list_.Rows()[1].caption, "ANR New Name");
  EXPECT_EQ(list_.Rows()[1].columns[kColId], "000077");  // every column follows the record
  EXPECT_EQ(list_.Rows()[0].caption, "A Gas");
}

// ---- the volume list export ---------------------------------------------------------------

TEST_P(VolumeListTest, SendListToFileWritesCaptionIdAndUpdatedPerRowInListOrder) {
  Fill({{"zeta gas company", 123, 1, Day(2005, 1, 5)}, {"anr pipeline company", 7, 1, Day(1999, 9, 9)}});
  list_.SendListToFile("/out/TVolumes.tab");
  EXPECT_EQ(mem_.Bytes("/out/TVolumes.tab"),
            "ANR Pipeline Company\t000007\t9/9/1999\r\n"
            "Zeta Gas Company\t000123\t1/5/2005\r\n");
  EXPECT_FALSE(mem_.Exists("/out/TVolumes.tab.tmp~"));
}

TEST_P(VolumeListTest, SendListUsesVolsToOrTheSaveDialog) {
  Fill({{"a gas", 1, 1, Day(2005, 1, 5)}});
  EXPECT_TRUE(list_.SendList("/out/given.tab"));
  EXPECT_EQ(port_.messages.back(), "Saved to /out/given.tab");
  EXPECT_EQ(mem_.Bytes("/out/given.tab"), "A Gas\t000001\t1/5/2005\r\n");

  port_.QueueFile("");  // cancelled: nothing written, nothing said
  size_t said = port_.messages.size();
  EXPECT_FALSE(list_.SendList(""));
  EXPECT_EQ(port_.messages.size(), said);
  EXPECT_NE(port_.transcript.back().find("[TVolumes.tab]"), std::string::npos);

  port_.QueueFile("/out/chosen.tab");
  EXPECT_TRUE(list_.SendList(""));
  EXPECT_EQ(port_.messages.back(), "Saved to /out/chosen.tab");
  EXPECT_TRUE(mem_.Exists("/out/chosen.tab"));
}

TEST_P(VolumeListTest, AFailedListExportLeavesTheOldFile) {
  Fill({{"a gas", 1, 1, Day(2005, 1, 5)}});
  mem_.WriteAll("/out/TVolumes.tab", "old");
  TFaultyFileSystem faulty(mem_);
  faulty.Inject({TFault::DiskFullAfter, "/out/TVolumes.tab.tmp~", 3, 0});
  TEnv env{faulty, port_};
  TFromDisplay list(env);
  list.Fill(*cluster_);
  EXPECT_FALSE(list.SendList("/out/TVolumes.tab"));
  EXPECT_EQ(port_.transcript.back().rfind("error: ", 0), 0u);
  EXPECT_EQ(mem_.Bytes("/out/TVolumes.tab"), "old");
}

// ---- the run loop ---------------------------------------------------------------------------

TEST_P(VolumeListTest, RunPreparesStepsThroughMarkedRowsInListOrderAndFinishes) {
  Fill({{"c gas", 1, 1, Day(2005, 1, 1)}, {"a gas", 2, 2, Day(2005, 1, 1)}, {"b gas", 3, 4, Day(2005, 1, 1)}});
  list_.SetMarked(2, true);
  list_.SetMarked(0, true);
  std::vector<std::string> panel0;
  steps_.step = [&](TFromDisplay& list, size_t row, TPrimeRef& v) {
    EXPECT_EQ(list.CurrentVolume(), &v);
    EXPECT_TRUE(list.EnoughVisible());
    EXPECT_TRUE(list.Running());
    panel0.push_back(list.StatusText(0));
    return true;
  };
  const int eventsBefore = port_.eventsProcessed;
  EXPECT_EQ(list_.Go(), TGoResult::Ran);
  EXPECT_EQ(steps_.calls, (std::vector<std::string>{"before", "prepare", "A Gas", "C Gas", "finish"}));
  EXPECT_EQ(panel0, (std::vector<std::string>{"A Gas", "C Gas"}));
  EXPECT_EQ(steps_.uncheckAll, 1);
  EXPECT_FALSE(list_.EnoughVisible());
  EXPECT_FALSE(list_.Running());
  EXPECT_EQ(list_.GaugeMax(), 3);
  EXPECT_EQ(port_.eventsProcessed - eventsBefore, 3);  // once per row
}

TEST_P(VolumeListTest, GoWithoutMarkedRowsRefusesUnlessTheModeNeedsNone) {
  Fill({{"a gas", 1, 1, Day(2005, 1, 1)}});
  EXPECT_EQ(list_.Go(), TGoResult::NothingMarked);
  EXPECT_EQ(port_.messages.back(), "No tariff volumes are selected");
  EXPECT_EQ(steps_.calls, (std::vector<std::string>{"before"}));
  EXPECT_EQ(steps_.uncheckAll, 1);

  steps_.calls.clear();
  steps_.needsMarked = false;
  EXPECT_EQ(list_.Go(), TGoResult::Ran);
  EXPECT_EQ(steps_.calls, (std::vector<std::string>{"before", "prepare", "finish"}));
}

TEST_P(VolumeListTest, ARefusedPrepareRunsNothingElse) {
  Fill({{"a gas", 1, 1, Day(2005, 1, 1)}});
  list_.SelectAll();
  steps_.prepareResult = false;
  EXPECT_EQ(list_.Go(), TGoResult::NotPrepared);
  EXPECT_EQ(steps_.calls, (std::vector<std::string>{"before", "prepare"}));
}

TEST_P(VolumeListTest, EnoughDuringTheFirstOfThreeStopsAfterIt) {
  Fill({{"a gas", 1, 1, Day(2005, 1, 1)}, {"b gas", 2, 1, Day(2005, 1, 1)}, {"c gas", 3, 1, Day(2005, 1, 1)}});
  list_.SelectAll();
  steps_.step = [](TFromDisplay& list, size_t, TPrimeRef&) {
    list.EnoughClick();
    return true;
  };
  EXPECT_TRUE(list_.Run());
  EXPECT_EQ(steps_.calls, (std::vector<std::string>{"prepare", "A Gas", "finish"}));
  EXPECT_TRUE(list_.StopRequested());
  // The next run starts afresh.
  steps_.calls.clear();
  steps_.step = nullptr;
  EXPECT_TRUE(list_.Run());
  EXPECT_EQ(steps_.calls.size(), 5u);
}

TEST_P(VolumeListTest, AStepThatAsksToStopEndsTheLoop) {
  Fill({{"a gas", 1, 1, Day(2005, 1, 1)}, {"b gas", 2, 1, Day(2005, 1, 1)}});
  list_.SelectAll();
  steps_.step = [](TFromDisplay&, size_t, TPrimeRef&) { return false; };
  list_.Run();
  EXPECT_EQ(steps_.calls, (std::vector<std::string>{"prepare", "A Gas", "finish"}));
}

TEST_P(VolumeListTest, StepsThatRemoveOrUnmarkRowsDoNotSkipTheNextRow) {
  Fill({{"a gas", 1, 1, Day(2005, 1, 1)},
        {"b gas", 2, 1, Day(2005, 1, 1)},
        {"c gas", 3, 1, Day(2005, 1, 1)},
        {"d gas", 4, 1, Day(2005, 1, 1)}});
  list_.SelectAll();
  list_.SetMarked(3, false);
  steps_.step = [](TFromDisplay& list, size_t row, TPrimeRef&) {
    list.RemoveRow(row);
    return true;
  };
  list_.Run();
  EXPECT_EQ(steps_.calls, (std::vector<std::string>{"prepare", "A Gas", "B Gas", "C Gas", "finish"}));
  ASSERT_EQ(list_.RowCount(), 1u);
  EXPECT_EQ(list_.Rows()[0].caption, "D Gas");

  steps_.calls.clear();
  list_.SelectAll();
  steps_.step = [](TFromDisplay& list, size_t row, TPrimeRef&) {
    list.SetMarked(row, false);
    return true;
  };
  list_.Run();
  EXPECT_EQ(list_.MarkedCount(), 0u);
}

TEST_P(VolumeListTest, AfterARunTheRowsAndCountsShowTheVolumesAsTheyAreNow) {
  Fill({{"a gas", 1, 52, Day(2005, 1, 1)}, {"b gas", 2, 10, Day(2005, 1, 1)}});
  list_.SelectAll();
  EXPECT_EQ(list_.StatusText(1), "2 vols; 62 Sheets, out of 62");
  // Sheets deleted from the first volume, the second unmarked as done.
  steps_.step = [](TFromDisplay& list, size_t row, TPrimeRef& v) {
    if (row == 0) v.record.sheetCount = 50;
    list.SetMarked(row, row == 0);
    return true;
  };
  EXPECT_EQ(list_.Go(), TGoResult::Ran);
  EXPECT_EQ(list_.Rows()[0].columns[kColSheets], "50");
  EXPECT_EQ(list_.StatusText(1), "2 vols; 50 Sheets, out of 60");
  // Every mark gone: the count says so too.
  steps_.step = [](TFromDisplay& list, size_t row, TPrimeRef&) {
    list.SetMarked(row, false);
    return true;
  };
  list_.Go();
  EXPECT_EQ(list_.StatusText(1), "No Sheets, out of 60");
  EXPECT_EQ(list_.StatusText(0), "B Gas");  // the last volume of the run
  list_.Clear();                            // another library is opened
  EXPECT_EQ(list_.StatusText(0), "");
}

TEST_P(VolumeListTest, AStoreErrorInAStepIsReportedAndTheModeStillFinishes) {
  Fill({{"a gas", 1, 1, Day(2005, 1, 1)}, {"b gas", 2, 1, Day(2005, 1, 1)}});
  list_.SelectAll();
  steps_.step = [](TFromDisplay&, size_t, TPrimeRef&) -> bool { throw EInOutError(101, "disk full"); };
  EXPECT_EQ(list_.Go(), TGoResult::Ran);
  EXPECT_EQ(steps_.calls, (std::vector<std::string>{"before", "prepare", "A Gas", "finish"}));
  EXPECT_EQ(port_.messages.back(), "disk full");
}

TEST_P(VolumeListTest, AnInternalFaultEndsTheProgramWithTheFaultMessage) {
  Fill({{"a gas", 1, 1, Day(2005, 1, 1)}});
  list_.SelectAll();
  steps_.step = [](TFromDisplay&, size_t, TPrimeRef&) -> bool { throw std::out_of_range("bad index"); };
  EXPECT_EQ(list_.Go(), TGoResult::Fatal);
  EXPECT_EQ(port_.messages.back(), "Memory protection fault, WinVORNE error, closing");
  EXPECT_FALSE(list_.Running());
  // While the application is ending the fault is passed on.
  list_.SetApplicationEnding(true);
  steps_.onPrepare = [] { throw std::out_of_range("bad index"); };
  EXPECT_THROW(list_.Go(), std::out_of_range);
}

TEST_P(VolumeListTest, ElapsedShowsTheTimeSinceTheRunStarted) {
  Fill({{"a gas", 1, 1, Day(2005, 1, 1)}});
  list_.SelectAll();
  auto now = std::chrono::steady_clock::time_point{} + std::chrono::hours(5);
  list_.SetClock([&] { return now; });
  steps_.step = [&](TFromDisplay& list, size_t, TPrimeRef&) {
    now += std::chrono::seconds(3723);
    list.ShowElapsed();
    return true;
  };
  list_.Run();
  EXPECT_EQ(list_.StatusText(2), "1:2:3 Elapsed");
}

TEST_P(VolumeListTest, TheGaugeCountsSheetsOfEveryRowPassed) {
  Fill({{"a gas", 1, 2, Day(2005, 1, 1)}, {"b gas", 2, 3, Day(2005, 1, 1)}, {"c gas", 3, 4, Day(2005, 1, 1)}});
  list_.SetMarked(0, true);
  list_.SetMarked(2, true);
  std::vector<int64_t> seen;
  steps_.step = [&](TFromDisplay& list, size_t, TPrimeRef&) {
    seen.push_back(list.GaugePosition());
    return true;
  };
  list_.Run();
  EXPECT_EQ(list_.GaugeMax(), 6);
  EXPECT_EQ(seen, (std::vector<int64_t>{0, 5}));
  EXPECT_EQ(list_.GaugePosition(), 6);  // held at its maximum
}

INSTANTIATE_TEST_SUITE_P(BothForms, VolumeListTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Compressed" : "Uncompressed"; });

}  // namespace
}  // namespace vorne::testing
