#include "shell/Modes.h"

#include "platform/UserPort.h"

namespace vorne {

void StandardControls(TRunState& state) {
  TControls& c = state.Controls;
  c.FromVisible = true;
  c.AllVisible = true;
  c.SelectorsVisible = true;
  c.ToVisible = false;
  c.ShowVisible = false;
  c.SplitVisible = false;
  c.GoVisible = true;
  c.GoHint = kReadHint;
  c.ModeIndex = ModePanelIndex(state.RunMode);
  c.MergeVisible = IsCopyOrAdd(state.RunMode);
}

void SetExpertMode(TRunState& state, bool on) {
  state.ExpertMode = on;
  if (on) {
    if (state.Controls.ModeItems == kPlainModeItems) state.Controls.ModeItems = kExpertModeItems;
  } else {
    state.ToolboxArmed = false;
    state.Controls.ModeItems = kPlainModeItems;
  }
}

TModeActions ChooseMode(TRunState& state, TRunMode mode) {
  if (mode == TRunMode::DeleteVolumes || mode == TRunMode::DeleteSheets)
    return ChooseDelete(state, mode == TRunMode::DeleteVolumes);
  TModeActions act;
  TControls& c = state.Controls;
  state.RunMode = mode;
  // The privileged modes need their panel items before the panel selects them.
  if (mode == TRunMode::AddNewFiling || mode == TRunMode::Test || mode == TRunMode::ErrorsOnly)
    SetExpertMode(state, true);
  StandardControls(state);
  switch (mode) {
    case TRunMode::Browse:
      c.CheckedMenu = "&Browse";
      c.GoEnabled = state.Loaded;
      act.disableDocketBox = true;
      state.Selection.StatusSelect = false;
      break;
    case TRunMode::Copy:
      act.multiSelectLibraries = true;
      state.Selection.StatusSelect = false;
      c.CheckedMenu = "&Copy";
      c.GoEnabled = state.OutputExists;
      c.ToVisible = c.ShowVisible = c.SplitVisible = true;
      act.disableDocketBox = true;
      act.tile = true;
      break;
    case TRunMode::AddNewFiling:
      c.GoEnabled = false;
      c.ToVisible = c.ShowVisible = true;
      c.FromVisible = c.AllVisible = false;
      c.SelectorsVisible = false;
      c.CheckedMenu = "Add New Filing";
      state.Loaded = false;
      act.plainSheetList = true;
      break;
    case TRunMode::Verify:
      c.CheckedMenu = "&Verify";
      c.GoEnabled = state.Loaded;
      act.disableDocketBox = true;
      state.Selection.StatusSelect = false;
      break;
    case TRunMode::ScanUpdates:
      c.CheckedMenu = "Scan&When";
      c.SelectorsVisible = false;
      c.GoEnabled = state.Loaded;
      break;
    case TRunMode::Database:
      c.CheckedMenu = "Database";
      break;
    case TRunMode::Html:
      c.CheckedMenu = "HTMLprint";
      break;
    case TRunMode::Test:
    case TRunMode::ErrorsOnly:
      c.GoEnabled = state.Loaded;
      break;
    default:  // Print to File has no menu item; 13 is set only by a scan run
      break;
  }
  return act;
}

TModeActions ChooseDelete(TRunState& state, bool entireVolumes) {
  TControls& c = state.Controls;
  state.RunMode = entireVolumes ? TRunMode::DeleteVolumes : TRunMode::DeleteSheets;
  StandardControls(state);
  c.GoHint = entireVolumes ? kDeleteVolumesHint : kDeleteSheetsHint;
  c.SelectorsVisible = !entireVolumes;
  c.GoEnabled = state.Loaded;
  return {};
}

TModeActions ChooseModeIndex(TRunState& state, int index, TUserPort& port) {
  TModeActions act;
  if (index >= 0 && index < kPlainModeItems) {
    act = ChooseMode(state, TRunMode(index));
  } else if (index >= kPlainModeItems && index < state.Controls.ModeItems) {
    if (index == 10)
      act = ChooseDelete(state, port.Ask(kDeleteQuestion, TButtons::YesNo) == TAnswer::Yes);
    else
      act = ChooseMode(state, TRunMode(index));
  } else {
    TControls& c = state.Controls;
    c.ToVisible = c.ShowVisible = false;
    c.GoVisible = false;
    port.Warn(kNotSupported);
  }
  act.closeOutputWindow = true;
  return act;
}

void ChooseMerge(TRunState& state, TMergeChoice choice) {
  state.Controls.Merge = choice;
  if (choice == TMergeChoice::Merge) {
    state.AddFlag = true;
    state.ReplaceFlag = false;
  } else if (choice == TMergeChoice::Replace) {
    state.AddFlag = false;
    state.ReplaceFlag = true;
  }
}

}  // namespace vorne
