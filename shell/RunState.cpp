#include "shell/RunState.h"

#include "shell/Modes.h"
#include "store/Cluster.h"
#include "volumes/VolumeList.h"

namespace vorne {

TRunState::TRunState() = default;
TRunState::~TRunState() = default;

void ResetState(TRunState& state) {
  state.RunMode = TRunMode::Browse;
  state.FromDir.clear();
  state.FromPrimePath.clear();
  state.ToPrimePath.clear();
  state.LibraryRoot = kDefaultLibraryRoot;
  state.Controls.FromDefault = true;
  state.RecentGiven = false;
  state.HtmlAll = false;
  state.Selection.ResetDates();
  StandardControls(state);
  state.AutoGo = false;
}

int ModePanelIndex(TRunMode mode) {
  if (mode == TRunMode::DeleteSheets) return 10;
  if (mode == TRunMode::UpdatePrimeDates) return int(TRunMode::ScanUpdates);  // set by a Scan Updates run
  return int(mode);
}

bool IsCopyOrAdd(TRunMode mode) { return mode == TRunMode::Copy || mode == TRunMode::AddNewFiling; }

TFillOptions VolumeListOptions(const TRunState& state) {
  TFillOptions options;
  options.nameList = state.NameList;
  options.splitFlag = state.SplitFlag;
  return options;
}

std::vector<std::pair<std::string, TAnswer>> OutputLibraryAnswers(const TRunState& state) {
  if (state.AddFlag) return {{kAddToExistingQuestion, TAnswer::Yes}};
  if (state.ReplaceFlag) return {{kAddToExistingQuestion, TAnswer::No}, {kRewriteQuestion, TAnswer::Yes}};
  return {};
}

}  // namespace vorne
