// The run state of the program: the variables every window reads (mode,
// Merge/Replace, output path, ...) and the fields of the main window, as
// plain data. One TRunState lives for the whole program run; the main window
// model owns it and hands references to the windows that read it.
//
// Paths are kept as the person typed them (either separator, drive letters,
// original letter case) and are mapped to this platform with MapPath only
// where a file is opened; rules on paths compare them upper-cased.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/UserPort.h"
#include "volumes/Selection.h"

namespace vorne {

struct TFillOptions;

class TFileCluster;

// Never renumber: other windows and the batch program test these values.
enum class TRunMode : uint8_t {
  Browse = 0,
  Copy = 1,
  AddNewFiling = 2,
  Verify = 3,
  ScanUpdates = 4,
  Database = 5,
  Html = 6,
  PrintToFile = 7,
  Test = 8,
  ErrorsOnly = 9,
  DeleteVolumes = 10,
  DeleteSheets = 11,
  UpdatePrimeDates = 13,
};

// The Merge/Replace group; None is "no item selected".
enum class TMergeChoice { None, Merge, Replace };

inline constexpr char kDefaultLibraryRoot[] = "D:\\GSplit";
inline constexpr char kReadHint[] = "Read in the selected sheets";
// The Mode panel holds eight items, eleven in ExpertMode.
inline constexpr int kPlainModeItems = 8;
inline constexpr int kExpertModeItems = 11;

// What the control panel shows; the view draws it, the batch program ignores it.
struct TControls {
  bool FromVisible = true;
  bool FromDefault = true;  // the From button is the default button
  bool ToVisible = false;
  bool ShowVisible = false;
  bool ShowEnabled = true;
  bool SplitVisible = false;  // "Multiple Out"
  bool SplitChecked = false;
  bool AllVisible = true;
  bool AllChecked = false;
  bool XcptChecked = false;  // not on screen; keeps NameList between runs
  bool SelectorsVisible = true;
  bool GoVisible = true;
  bool GoEnabled = false;
  std::string GoHint = kReadHint;
  bool ModePanelVisible = true;
  int ModeItems = kPlainModeItems;
  int ModeIndex = 0;          // selected item of the Mode panel
  bool MergeVisible = false;  // only in Copy and Add New Filing
  TMergeChoice Merge = TMergeChoice::None;
  std::string CheckedMenu = "&Browse";  // the Mode menu item shown checked
  bool LibrariesPanelVisible = false;
  bool CreditsVisible = false;
};

struct TRunState {
  TRunState();
  ~TRunState();
  TRunState(const TRunState&) = delete;
  TRunState& operator=(const TRunState&) = delete;

  // ---- shared by all windows ----
  TRunMode RunMode = TRunMode::Browse;
  bool AddFlag = false;      // Merge
  bool ReplaceFlag = false;  // Replace
  bool SplitFlag = false;    // one output library per company ID
  std::string LibraryDir;    // folder of the library last opened
  std::string OutputPath;    // file named by "TO" or the To dialog
  std::string AddFromDir;    // folder of filings, always ending in a separator
  std::vector<std::string> NameList;  // company names left out of the volume list
  TSelection Selection;      // the criteria; ChosenDockets lives in it

  // ---- fields of the main window ----
  bool LibraryZipped = false;
  bool MultiSourceRequested = false;
  std::string LibraryRoot = kDefaultLibraryRoot;
  std::string PrimeName;     // "\GZPrime", "\Prime4" or empty
  bool Started = false;
  bool RecentGiven = false;
  bool HtmlAll = false;
  bool Zipped = false;
  bool Loaded = false;
  bool AutoGo = false;
  bool ExpertMode = false;
  bool IdGiven = false;
  double RecentDate = 0;     // day count, 0 for "ALL"
  std::string IdList;        // at most 80 characters
  std::unique_ptr<TFileCluster> InputCluster;
  std::unique_ptr<TFileCluster> OutputCluster;
  std::string ToDir;
  std::string FromPrimePath;
  std::string VolsToPath;
  std::string FromDir;
  bool ToolboxArmed = false;
  int Ticks = 0;
  bool OutputExists = false;
  bool AutoSelectAll = false;
  std::string ToPrimePath;

  TControls Controls;
};

// The defaults of a fresh start (also used when the state is reset):
// Browse, no From/To paths, the default library root, no RECENT or HTMLALL,
// open date ranges, the standard controls, no automatic start.
void ResetState(TRunState& state);

// The Mode panel item of a mode (both delete modes share the "Delete" item).
int ModePanelIndex(TRunMode mode);
bool IsCopyOrAdd(TRunMode mode);
// How the volume list is filled from the input library: the names left out
// (EXCEPT) and the order (SPLIT sorts by company code).
TFillOptions VolumeListOptions(const TRunState& state);
// The answers the command line's ADD or REPLACE give to the questions an
// output library that exists already is opened with (none without either).
std::vector<std::pair<std::string, TAnswer>> OutputLibraryAnswers(const TRunState& state);

}  // namespace vorne
