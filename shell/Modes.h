// The mode changes of the control panel, the Mode menu and the command line:
// what choosing a mode does to the run state, the control panel and the
// selection flags. Window work that goes with a change (tiling, closing the
// output-volume window, ...) is returned for the main window to carry out;
// nothing here shows a window.
#pragma once

#include "shell/RunState.h"

namespace vorne {

class TUserPort;

inline constexpr char kNotSupported[] = "Not supported yet, pick another mode";
inline constexpr char kDeleteQuestion[] = "Do you wish to delete entire tariff volumes?";
inline constexpr char kDeleteVolumesHint[] = "delete marked company tariff volumes";
inline constexpr char kDeleteSheetsHint[] = "delete sheets from marked company tariff volumes";

// Window work a mode change asks of the main window.
struct TModeActions {
  bool closeOutputWindow = false;     // chosen in the Mode panel
  bool tile = false;
  bool disableDocketBox = false;      // "by Docket" disabled
  bool plainSheetList = false;        // the sheet list window's plain style
  bool multiSelectLibraries = false;  // the libraries list, if shown
  bool operator==(const TModeActions&) const = default;
};

// Part of every mode change: From, All and the selectors shown; To, Show and
// Multiple Out hidden; Go shown with the reading hint; the Mode panel item of
// RunMode selected; Merge/Replace shown only in Copy and Add New Filing.
void StandardControls(TRunState& state);

// Sets RunMode and what the mode's row does. Delete modes are chosen with
// ChooseDelete; UpdatePrimeDates is set only by a Scan Updates run.
TModeActions ChooseMode(TRunState& state, TRunMode mode);
// "Delete": entire volumes (RunMode 10) or selected sheets only (RunMode 11).
TModeActions ChooseDelete(TRunState& state, bool entireVolumes);
// An item of the Mode panel (0 "Browse" ... 10 "Delete"): closes the
// output-volume window first; "Delete" asks kDeleteQuestion (Yes: entire
// volumes); an index outside the panel hides To, Show and Go and says
// kNotSupported.
TModeActions ChooseModeIndex(TRunState& state, int index, TUserPort& port);

// The Merge/Replace group: Merge sets AddFlag and clears ReplaceFlag,
// Replace the other way round; None only clears the group's selection.
void ChooseMerge(TRunState& state, TMergeChoice choice);

// ExpertMode on adds "Test", "Errors Only" and "Delete" to the Mode panel;
// off removes them and disarms the toolbox.
void SetExpertMode(TRunState& state, bool on);

}  // namespace vorne
