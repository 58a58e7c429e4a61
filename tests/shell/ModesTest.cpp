#include "shell/Modes.h"

#include <gtest/gtest.h>

#include "support/ScriptedPort.h"

namespace vorne {
namespace {

using testing::TScriptedPort;

class ModesTest : public ::testing::Test {
 protected:
  // Status criteria set as by the "by Status" dialog.
  void SetStatusCriteria() { st.Selection.SelectStatuses(CurrentStatuses()); }

  TRunState st;
  TScriptedPort port;
};

TEST_F(ModesTest, BrowseCopyAndVerifyTurnStatusSelectionOff) {
  for (TRunMode m : {TRunMode::Browse, TRunMode::Copy, TRunMode::Verify}) {
    SetStatusCriteria();
    TModeActions act = ChooseMode(st, m);
    EXPECT_FALSE(st.Selection.StatusSelect) << int(m);
    EXPECT_EQ(st.Selection.StatusSet, CurrentStatuses()) << "the set is kept";
    EXPECT_TRUE(act.disableDocketBox) << int(m);
  }
  for (TRunMode m : {TRunMode::ScanUpdates, TRunMode::Database, TRunMode::Html, TRunMode::PrintToFile}) {
    SetStatusCriteria();
    EXPECT_FALSE(ChooseMode(st, m).disableDocketBox);
    EXPECT_TRUE(st.Selection.StatusSelect) << int(m);
  }
}

TEST_F(ModesTest, CopyShowsTheOutputControls) {
  st.OutputExists = false;
  st.Loaded = true;
  TModeActions act = ChooseMode(st, TRunMode::Copy);
  const TControls& c = st.Controls;
  EXPECT_TRUE(c.ToVisible && c.ShowVisible && c.SplitVisible && c.MergeVisible);
  EXPECT_FALSE(c.GoEnabled) << "Go waits for an output, not for the input";
  EXPECT_EQ(c.CheckedMenu, "&Copy");
  EXPECT_EQ(c.ModeIndex, 1);
  EXPECT_TRUE(act.tile && act.multiSelectLibraries);
  st.OutputExists = true;
  ChooseMode(st, TRunMode::Copy);
  EXPECT_TRUE(st.Controls.GoEnabled);
}

TEST_F(ModesTest, StandardControlsUndoAnotherModesControls) {
  ChooseMode(st, TRunMode::Copy);
  st.Loaded = true;
  ChooseMode(st, TRunMode::ScanUpdates);
  const TControls& c = st.Controls;
  EXPECT_FALSE(c.ToVisible || c.ShowVisible || c.SplitVisible || c.MergeVisible);
  EXPECT_TRUE(c.FromVisible && c.AllVisible && c.GoVisible && c.GoEnabled);
  EXPECT_FALSE(c.SelectorsVisible);  // a scan has no selectors
  EXPECT_EQ(c.GoHint, kReadHint);
  EXPECT_EQ(c.CheckedMenu, "Scan&When");
  ChooseMode(st, TRunMode::Html);
  EXPECT_TRUE(st.Controls.SelectorsVisible);
}

TEST_F(ModesTest, AddNewFilingIsPrivilegedAndForgetsTheInput) {
  st.Loaded = true;
  TModeActions act = ChooseMode(st, TRunMode::AddNewFiling);
  const TControls& c = st.Controls;
  EXPECT_TRUE(st.ExpertMode);
  EXPECT_FALSE(st.Loaded);
  EXPECT_FALSE(c.GoEnabled);
  EXPECT_FALSE(c.FromVisible || c.AllVisible || c.SelectorsVisible);
  EXPECT_TRUE(c.ToVisible && c.ShowVisible && c.MergeVisible);
  EXPECT_TRUE(act.plainSheetList);
}

TEST_F(ModesTest, TestAndErrorsOnlyTurnExpertModeOn) {
  for (TRunMode m : {TRunMode::Test, TRunMode::ErrorsOnly}) {
    TRunState s;
    s.Loaded = true;
    ChooseMode(s, m);
    EXPECT_TRUE(s.ExpertMode);
    EXPECT_EQ(s.Controls.ModeItems, kExpertModeItems);
    EXPECT_EQ(s.Controls.ModeIndex, int(m));
    EXPECT_TRUE(s.Controls.GoEnabled);
  }
}

TEST_F(ModesTest, ExpertModeOffRemovesThePrivilegedItems) {
  SetExpertMode(st, true);
  st.ToolboxArmed = true;
  SetExpertMode(st, false);
  EXPECT_FALSE(st.ExpertMode);
  EXPECT_FALSE(st.ToolboxArmed);
  EXPECT_EQ(st.Controls.ModeItems, kPlainModeItems);
}

TEST_F(ModesTest, DeleteAsksWhatToDelete) {
  SetExpertMode(st, true);
  st.Loaded = true;
  port.QueueAnswer(TAnswer::Yes);
  TModeActions act = ChooseModeIndex(st, 10, port);
  EXPECT_EQ(st.RunMode, TRunMode::DeleteVolumes);
  EXPECT_EQ(st.Controls.GoHint, kDeleteVolumesHint);
  EXPECT_FALSE(st.Controls.SelectorsVisible);
  EXPECT_TRUE(st.Controls.GoEnabled);
  EXPECT_TRUE(act.closeOutputWindow);
  EXPECT_EQ(port.questions, std::vector<std::string>{kDeleteQuestion});

  port.QueueAnswer(TAnswer::No);
  ChooseModeIndex(st, 10, port);
  EXPECT_EQ(st.RunMode, TRunMode::DeleteSheets);
  EXPECT_EQ(st.Controls.GoHint, kDeleteSheetsHint);
  EXPECT_TRUE(st.Controls.SelectorsVisible);
  EXPECT_EQ(st.Controls.ModeIndex, 10);
}

TEST_F(ModesTest, AnItemOutsideThePanelIsNotSupported) {
  ChooseMode(st, TRunMode::Copy);
  for (int index : {-1, 8, 11}) {  // 8 exists only in ExpertMode
    port.messages.clear();
    ChooseModeIndex(st, index, port);
    EXPECT_EQ(port.messages, std::vector<std::string>{kNotSupported}) << index;
    EXPECT_FALSE(st.Controls.GoVisible || st.Controls.ToVisible || st.Controls.ShowVisible);
    EXPECT_EQ(st.RunMode, TRunMode::Copy);
  }
  ChooseModeIndex(st, 3, port);
  EXPECT_EQ(st.RunMode, TRunMode::Verify);
  EXPECT_TRUE(st.Controls.GoVisible);
}

TEST_F(ModesTest, MergeAndReplaceExcludeEachOther) {
  ChooseMerge(st, TMergeChoice::Replace);
  EXPECT_TRUE(st.ReplaceFlag);
  EXPECT_FALSE(st.AddFlag);
  ChooseMerge(st, TMergeChoice::Merge);
  EXPECT_TRUE(st.AddFlag);
  EXPECT_FALSE(st.ReplaceFlag);
  ChooseMerge(st, TMergeChoice::None);
  EXPECT_TRUE(st.AddFlag);
  EXPECT_EQ(st.Controls.Merge, TMergeChoice::None);
}

TEST_F(ModesTest, ResetStateRestoresTheStartDefaults) {
  ChooseMode(st, TRunMode::Copy);
  st.FromDir = "D:\\X";
  st.FromPrimePath = "D:\\X/GZPrime";
  st.ToPrimePath = "D:\\O/GZPrime";
  st.LibraryRoot = "/libs";
  st.RecentGiven = st.HtmlAll = st.AutoGo = true;
  st.Selection.Range(TDateKind::Effective).From = 40000;
  st.Selection.EffectiveOrderDates = true;
  ResetState(st);
  EXPECT_EQ(st.RunMode, TRunMode::Browse);
  EXPECT_EQ(st.FromDir + st.FromPrimePath + st.ToPrimePath, "");
  EXPECT_EQ(st.LibraryRoot, "D:\\GSplit");
  EXPECT_FALSE(st.RecentGiven || st.HtmlAll || st.AutoGo);
  EXPECT_FALSE(st.Selection.EffectiveOrderDates);
  EXPECT_EQ(st.Selection.Range(TDateKind::Effective).From, kNoDateFrom);
  EXPECT_FALSE(st.Controls.ToVisible);
  EXPECT_EQ(st.Controls.ModeIndex, 0);
}

}  // namespace
}  // namespace vorne
