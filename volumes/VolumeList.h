// TFromDisplay: the volume list window "Tariff Volumes" as a model. One row
// per volume of the open input library, its sort orders, the marking of
// rows, the counts in the status bar, the volume list export and the run
// loop that hands every marked volume to the current mode.
//
// Ownership and lifetime: the window keeps a pointer to the input cluster it
// shows and to that cluster's TPrimeRefs; the cluster must outlive the rows
// (Fill again, or Clear, before the cluster is released). Fill re-reads the
// prime file, so TPrimeRefs taken from the cluster before Fill are replaced.
// The run steps and the selector panel are borrowed and must outlive the
// window or be unset.
//
// Failure channels: messages with the system's texts go through the user
// port; SendListToFile raises EInOutError; Run reports an EVorneError raised
// by a mode's step through the port and ends the loop (Finish still runs);
// Go turns any other exception escaping a run into the fatal message.
#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/UserPort.h"
#include "store/Prime.h"

namespace vorne {

class TFileCluster;
class TPrimeRef;
class TSelectorPanel;
class TFromDisplay;

// ---- the run-loop interface ------------------------------------------------------

// What a mode does in the three phases of a run. The mode
// dispatch of the shell implements it and hands it to the volume list once
// (SetRunSteps); it reads RunMode itself on every call. The loop around it
// (TFromDisplay::Run) owns only the list's share of the run: the start time,
// "Enough!", StopRequested, the gauge, the busy cursor, status panel 0.
class TRunSteps {
 public:
  virtual ~TRunSteps() = default;

  // Go step 1: create the sheet list window if needed and empty it.
  virtual void BeforeGo(TFromDisplay& list) {}
  // Go step 2: false in the modes that may run with no marked row (Add New
  // Filing, Scan Updates, HTML).
  virtual bool NeedsMarkedRows() const { return true; }
  // Go unchecks the main window's All box after a refused or finished run.
  virtual void UncheckAllBox() {}

  // Prepare of the run. The loop has noted the start time; Prepare does the
  // common part the shell owns first (empty the sheet text window, create the
  // sheet list window, AutoSelectAll -> list.SelectAll(), with SplitFlag
  // ReplaceFlag := not AddFlag), then the mode's own preparation, then tiles
  // the windows. false: nothing more happens (no Finish).
  virtual bool Prepare(TFromDisplay& list) = 0;
  // After a successful Prepare the loop shows "Enough!" and clears
  // StopRequested, except when this says no (delete-volumes mode).
  virtual bool ArmsStopButton() const { return true; }
  // false in Add New Filing: the run prepares and finishes only.
  virtual bool StepsThroughVolumes() const { return true; }
  // The mode's step for the marked row `row`, whose volume is also
  // list.CurrentVolume(). It may unmark, mark or remove rows (removing
  // `row` itself is expected: the loop then stays at that index). false
  // ends the loop (the scanner stopped, MarkDeleted asked to stop).
  virtual bool EachVolume(TFromDisplay& list, size_t row, TPrimeRef& volume) = 0;
  // Finish of the run, after the loop hid "Enough!". The shell clears
  // AutoSelectAll here. Runs also after a step failed.
  virtual void Finish(TFromDisplay& list) = 0;
};

// ---- rows ---------------------------------------------------------------------------

// Columns after the caption column ("Company Name"), in order.
enum TColumn : size_t {
  kColVolume = 0,   // "Tariff Volume"
  kColId = 1,       // "ID"
  kColSheets = 2,   // "sheets"
  kColFrom = 3,     // "From"
  kColTo = 4,       // "To"
  kColUpdated = 5,  // "Updated"
};

struct TVolumeRow {
  std::string caption;                 // normalised company name
  std::array<std::string, 6> columns;  // see TColumn
  TPrimeRef* volume = nullptr;         // owned by the cluster
  bool marked = false;
  size_t fileOrder = 0;                // record number in the prime file
};

struct TColumnInfo {
  const char* caption;
  int width;
  bool rightAligned;
};
// The seven columns of the list view, caption column first. The ID column's
// width here is its ExpertMode width (see IdColumnWidth).
const std::array<TColumnInfo, 7>& VolumeListColumns();

// The "Updated" column text of a packed date: M/D/YYYY; 0 shows as the date
// it unpacks to (1/1/1950); an impossible value as "00/00/19**".
std::string UpdatedText(uint16_t packed);
// "h:m:s Elapsed", no leading zeros.
std::string ElapsedText(std::chrono::seconds elapsed);
// The hint of the list for a RunMode.
std::string ListHint(int runMode);

// ---- the window ----------------------------------------------------------------------

// Sort keys (the number is the column it sorts).
enum : int { kSortByName = 0, kSortByCode = 2, kSortByUpdate = 6 };

struct TFillOptions {
  std::vector<std::string> nameList;  // company names left out (letter case ignored)
  bool splitFlag = false;             // sort by company code
  // Optional: a further test on each prime record (e.g. by its Updated
  // date); a record it refuses has no row. The cluster's own volume list
  // keeps every volume either way.
  std::function<bool(const TPrimeRecord&)> keep;
};

enum class TGoResult {
  Ran,            // the run was prepared (it may have done nothing)
  NotPrepared,    // Prepare refused
  NothingMarked,  // "No tariff volumes are selected"
  NoSteps,        // no run steps set
  Fatal,          // "Memory protection fault, WinVORNE error, closing": end the program
};

class TFromDisplay {
 public:
  static constexpr const char* kCaption = "Tariff Volumes";
  using TClock = std::function<std::chrono::steady_clock::time_point()>;

  explicit TFromDisplay(TEnv& env);

  // Called after anything the view shows has changed.
  std::function<void()> onChanged;

  // ---- collaborators and view --------------------------------------------------------
  void SetRunSteps(TRunSteps* steps) { steps_ = steps; }
  // The "by Docket" box and ChosenDockets are reset through the panel.
  void SetSelectorPanel(TSelectorPanel* panel) { panel_ = panel; }
  void SetClock(TClock clock) { clock_ = std::move(clock); }

  // ---- filling -----------------------------------------------------------------------------
  // Rows of every volume of the cluster in prime-file order, minus NameList
  // and the refused ones; then sorted (by code with SplitFlag, else by
  // name); StopRequested cleared; Counts. Marks are lost. Raises
  // EInOutError when the prime file cannot be read (the list is then empty).
  void Fill(TFileCluster& cluster, const TFillOptions& options = {});
  // No library: no rows, no cluster.
  void Clear();
  TFileCluster* Cluster() const { return cluster_; }

  // ---- rows -------------------------------------------------------------------------------
  const std::vector<TVolumeRow>& Rows() const { return rows_; }
  size_t RowCount() const { return rows_.size(); }
  void RemoveRow(size_t row);
  // Every row's columns again from its volume's record (marks kept): after a
  // run changed the records in place.
  void RefreshRows();
  void SetMarked(size_t row, bool on);  // the view's selection; no Counts
  bool IsMarked(size_t row) const { return row < rows_.size() && rows_[row].marked; }
  size_t MarkedCount() const;
  std::vector<TPrimeRef*> MarkedVolumes() const;  // in list order
  std::optional<size_t> Focused() const { return focused_; }
  void SetFocused(std::optional<size_t> row);

  // ---- sorting -----------------------------------------------------------------------------
  int SortKey() const { return sortKey_; }
  // Sorts the rows by key (kSortByName, kSortByCode, kSortByUpdate); equal
  // company names keep prime-file order; equal code and date keep their
  // current order.
  void Sort(int sortKey);
  // A click on a column head: "ID" sorts by code, "Updated" by last update,
  // any other by name (nothing happens when already sorted by name). Shows
  // the order in panel 0.
  void ColumnClick(size_t column);

  // ---- marking -----------------------------------------------------------------------------
  // A click on a row (nullopt: none focused, row 0). Marks it, shows
  // "Unselect", resets the docket selection when it is another volume than
  // the current one, Counts.
  void RowClick(std::optional<size_t> row);
  void Unselect();
  void SelectAll();
  // Marks every row whose ID is ZeroPad(id, 6); resets the docket selection.
  // Returns how many rows carry the ID (none: nothing changes but the counts).
  size_t SelectById(int64_t id);
  void Counts();
  int64_t MarkedSheetSum() const;
  int64_t SheetTotal() const { return sheetTotal_; }

  // ---- the window's controls -----------------------------------------------------------
  const std::string& StatusText(int panel) const { return status_[size_t(panel)]; }
  // A mode's closing word in a status panel ("Report saved to ...").
  void ShowStatus(int panel, const std::string& text) {
    SetStatus(panel, text);
    Changed();
  }
  // The end of an unattended scan hides the rows; filling shows them again.
  void HideRows() {
    rowsHidden_ = true;
    Changed();
  }
  bool RowsHidden() const { return rowsHidden_; }
  bool UnselectVisible() const { return unselectVisible_; }
  bool EnoughVisible() const { return enoughVisible_; }
  bool MakeHtmlVisible() const { return expertMode_; }
  int IdColumnWidth() const { return expertMode_ ? 60 : 1; }
  // On activation and when ExpertMode changes.
  void ApplyExpertMode(bool expert);
  // "Enough!": the run stops after the current volume.
  void EnoughClick();
  bool StopRequested() const { return stopRequested_; }
  // The application is closing: a run stops after the current volume.
  void SetApplicationEnding(bool on) { appEnding_ = on; }
  bool ApplicationEnding() const { return appEnding_; }
  // "Update Codes": the prime editor on the focused row (row 0
  // when none), then the row's caption follows its volume's name. false and
  // "No Volumes Listed" for an empty list.
  bool UpdateCodes(const std::function<void(TPrimeRef&)>& editPrime);

  // Gauge, counted in sheets.
  bool GaugeVisible() const { return gaugeVisible_; }
  int64_t GaugeMax() const { return gaugeMax_; }
  int64_t GaugePosition() const { return gaugePos_ < gaugeMax_ ? gaugePos_ : gaugeMax_; }
  void SetGaugeVisible(bool on);
  void SetGaugeMax(int64_t max);
  void AdvanceGauge(int64_t by);

  // ---- the volume list export ----------------------------------------------------------
  // One line per row in list order: caption, tab, ID, tab, Updated, CRLF.
  std::string VolumeListText() const;
  // Writes the lines to path (temporary file renamed over it). Raises EInOutError.
  void SendListToFile(const std::string& path);
  // The main window's "Send List to File": to volsToPath when set, otherwise
  // to the file a save dialog proposing "TVolumes.tab" gives (cancel: false,
  // nothing written); then "Saved to " + path. A write failure is shown and
  // gives false.
  bool SendList(const std::string& volsToPath);

  // ---- running -------------------------------------------------------------------------------
  // Go of the window (the Go button, double-click, Enter).
  TGoResult Go();
  // Prepare, each marked volume in list order, Finish. false when nothing
  // was prepared (no steps, or Prepare refused).
  bool Run();
  bool Running() const { return running_; }
  TPrimeRef* CurrentVolume() const { return current_; }
  // Panel 2 := the time since the run started, "h:m:s Elapsed".
  void ShowElapsed();

 private:
  void RefreshRow(TVolumeRow& row);
  void Changed();
  void SetStatus(int panel, std::string text);
  void ResetDockets();
  void EachVolume();
  std::chrono::steady_clock::time_point Now() const;

  TEnv& env_;
  TRunSteps* steps_ = nullptr;
  TSelectorPanel* panel_ = nullptr;
  TClock clock_;

  TFileCluster* cluster_ = nullptr;
  TPrimeRef* current_ = nullptr;
  std::vector<TVolumeRow> rows_;
  std::optional<size_t> focused_;
  int sortKey_ = kSortByName;
  int64_t sheetTotal_ = 0;
  std::array<std::string, 3> status_;
  bool unselectVisible_ = false;
  bool enoughVisible_ = false;
  bool expertMode_ = false;
  bool stopRequested_ = false;
  bool rowsHidden_ = false;
  bool appEnding_ = false;
  bool running_ = false;
  bool gaugeVisible_ = false;
  int64_t gaugeMax_ = 0;
  int64_t gaugePos_ = 0;
  std::chrono::steady_clock::time_point start_{};
};

}  // namespace vorne
