// THdrForm: the sheet list window ("Tariff Sheet List") as a model. It lists
// the sheet versions of the volumes a run works on, one entry per version,
// appended volume after volume in header-list order, and is the hub from
// which the sheet text, header info, printing and editing windows take their
// sheets. It also marks listed sheets deleted in the Delete run for selected
// sheets, and feeds the Database export.
//
// The view shows the state held here (caption, entries, selection, marks,
// status texts, button captions and visibility) and calls the operations;
// it learns of changes through onChanged. Messages go through the user port.
//
// Ownership: the window owns its entries; the sheets are shared with the
// header list they came from. The cluster given by SetCluster is borrowed and
// must outlive the window or be replaced.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/UserPort.h"
#include "store/Headers.h"

namespace vorne {

class TFileCluster;
class TPrimeRef;

struct TRgb {
  uint8_t r = 0, g = 0, b = 0;
  bool operator==(const TRgb&) const = default;
};

struct TFontStyle {
  bool bold = false;
  bool italic = false;
  bool strikeOut = false;
  bool operator==(const TFontStyle&) const = default;
};

// How the view draws one line of the fancy (owner-drawn) list.
struct TLineStyle {
  TRgb background;
  TFontStyle font;
  // The sheet type's colour; black for a type without one, so that a line
  // looks the same whichever line was drawn before it.
  TRgb colour;
  int indent = 2;  // pixels right of the line's left edge
  std::string statusName;
  // Marked: a command of the window acts on this line. Views draw it in the
  // platform's selection colours, so that a mark reads the same everywhere.
  bool marked = false;
  // Current: the line the window's labels and other windows show; views draw
  // a focus frame around it, which never looks like a mark.
  bool current = false;
};

// Strike-out for superseded, rejected and withdrawn sheets, bold for
// effective, italic for pending, italic strike-out for deleted.
TFontStyle StatusFontStyle(int status);
// The colour of sheet types 1-10; nullopt for any other code.
std::optional<TRgb> SheetTypeColour(int sheetType);

class THdrForm {
 public:
  // RunMode values the window lays itself out by; the shell owns the byte.
  static constexpr uint8_t kBrowse = 0, kCopy = 1, kAddFiling = 2, kVerify = 3, kScanUpdates = 4,
                           kDatabase = 5, kHtml = 6, kPrintToFile = 7, kTest = 8, kErrorsOnly = 9,
                           kDeleteVolumes = 10, kDeleteSheets = 11;

  enum class TPage { SheetList, TechStuff };

  // restoreSelectionDefaults is called once, now: creating the window puts
  // the selection's orientation and refund criteria back to their defaults
  // (pass [&sel] { sel.RestoreListDefaults(); }). It may be empty.
  THdrForm(TEnv& env, uint8_t runMode, const std::function<void()>& restoreSelectionDefaults);

  // ---- callbacks to the view and the neighbouring windows ----
  std::function<void()> onChanged;
  // "Enough!" was pressed: the volume list stops loading volumes.
  std::function<void()> onEnough;
  // A sheet became current (selected or drawn selected): the header info and
  // sheet text windows, when they exist, show it.
  std::function<void(const TSheetPtr&)> onSheetCurrent;

  // ---- layout ----
  // Lays the window out for the mode (at creation and on a mode change).
  void SetRunMode(uint8_t mode);
  uint8_t RunMode() const { return runMode_; }
  // The window became active: the layout again, and in Browse a valid
  // selection and the caption of the selected sheet's volume.
  void Activate();

  // ---- operations the run calls ----
  void ClearList();
  // Borrowed; nullptr forgets it. Empties the issuer and docket entries.
  void SetCluster(TFileCluster* cluster);
  // Appends the list's sheet names. Raises what FillNames raises
  // (EListNotAdded, EUnzipError); the names read so far stay listed.
  void FillList(THdrList& list);
  // Copy and import runs: a line without a sheet, cut to 40 characters.
  void AddCopiedLine(const std::string& text);
  // The label left of the status texts, cut to 20 characters.
  void ShowRunLabel(const std::string& text);
  // Status panel 0: count + " Sheets", or "\tNo Sheets" below 1.
  void ShowCount(int count);
  // The sheet of the selected entry; nullptr with a message when the list is
  // empty, nothing is selected or the entry has no sheet.
  TSheetPtr GetSelectedSheet();
  bool SelectNext();
  bool SelectPrevious();
  // The marked entries in list order (the selected one when multi-select is
  // off); fewer than 2 also tells how to select more.
  TNamedSheets SelectedSheets();
  // Delete run for selected sheets: asks, then marks every listed sheet
  // Deleted on disk and lowers its volume's sheet count, as one header edit.
  // Returns whether the run goes on (false on Abort, or when the records
  // could not be written: the failure has been shown, and every record,
  // sheet and count is as it was before).
  bool MarkDeleted();
  void SetVolumeCaption(const std::string& text);
  // Before every Edit menu command: chooses the sheets to process (multi-
  // select is switched on; with fewer than 2 marked the person is asked
  // whether to take all, or the one). true: the marked entries are the ones.
  bool ChooseSheetsToProcess();
  // Sheets written by an editing window: the listed versions at those record
  // numbers of the current cluster take the new bodies, and the lines redraw.
  void SheetsRewritten(const std::vector<std::pair<int32_t, TSheetBody>>& records);
  // Database run: lists the header list afresh, then writes one line per
  // entry: a double quote, company, "\",\"", volume, "\",\"", then what
  // restOfLine makes of the entry's text and sheet.
  using TLineWriter = std::function<void(const std::string& line)>;
  using TRestOfLine = std::function<std::string(const std::string& text, const TSheet& sheet)>;
  void ExportList(THdrList& list, const std::string& company, const TLineWriter& file,
                  const std::string& volume, const TRestOfLine& restOfLine);
  // The text the view puts on the clipboard: a volume line before the first
  // sheet of each company, then the entries, each line ended by "\n".
  std::string CopySheetListClick() const;

  // ---- the list ----
  const TNamedSheets& Entries() const { return entries_; }
  size_t Count() const { return entries_.size(); }
  int SelectedIndex() const { return selected_; }
  int TopIndex() const { return top_; }
  // Selects the entry (-1: none) and makes its sheet current.
  void Select(int index);
  // A click on the list: as Select, and the caption follows the sheet.
  void ListClick(int index);
  bool IsMarked(size_t index) const;
  void SetMarked(size_t index, bool on);
  // nullopt for an index outside the list.
  std::optional<TLineStyle> LineStyle(int index) const;

  // ---- buttons ----
  void multiBtnClick();
  void SetMultiSelect(bool on);
  void AllBtnClick();
  void PlainClick();
  void SetPlainStyle();
  void EnoughClick();
  bool StopRequested() const { return stop_; }
  void ClearStop() { stop_ = false; }
  // "Halt" and "Stop search": the Stop flag alone (the volume list goes on).
  void SetStop() { stop_ = true; }

  // ---- window state for the view ----
  const std::string& Caption() const { return caption_; }
  bool Visible() const { return visible_; }
  void Show();
  const std::string& StatusText() const { return statusText_; }  // panel 0
  const std::string& TypeLabel() const { return typeLabel_; }
  const std::string& StatusLabel() const { return statusLabel_; }
  bool StatusLabelVisible() const { return statusLabelVisible_; }
  const std::string& RunLabel() const { return runLabel_; }
  bool RunLabelVisible() const { return runLabelVisible_; }
  int Gauge() const { return gauge_; }
  bool GaugeVisible() const { return gaugeVisible_; }
  bool EnoughVisible() const { return enoughVisible_; }
  void HideEnough();
  bool HintsOn() const { return hints_; }
  bool ListVisible() const { return listVisible_; }
  bool MultiColumn() const { return multiColumn_; }
  bool OwnerDrawn() const { return ownerDrawn_; }
  bool MultiSelect() const { return multiSelect_; }
  const std::string& PlainCaption() const { return plainCaption_; }
  const std::string& MultiCaption() const { return multiCaption_; }
  const std::string& MultiHint() const { return multiHint_; }
  bool AnnotateVisible() const { return annotateVisible_; }
  bool EliminateVisible() const { return eliminateVisible_; }
  TPage Page() const { return page_; }

  // ---- what the editing and record-listing windows take over ----
  TFileCluster* Cluster() const { return cluster_; }
  TPrimeRef* Volume() const { return volume_; }
  int32_t EndPos() const { return endPos_; }
  // The chain's end of a listed volume (-1 when it is not listed): an edit of
  // its sheets moves that chain's end, not the last loaded volume's.
  int32_t EndPosOf(const TPrimeRef* volume) const;
  // A command moved the end of the volume's chain (Clone Type 6).
  void SetEndPosOf(const TPrimeRef* volume, int32_t pos);
  TAuxList<T5Entry>& Issuers() { return issuers_; }
  TAuxList<T6Entry>& Dockets() { return dockets_; }
  int SearchPosition() const { return searchPos_; }
  void SetSearchPosition(int pos) { searchPos_ = pos; }
  TEnv& Env() const { return env_; }

 private:
  void Changed() {
    if (onChanged) onChanged();
  }
  void RefreshMultiState();
  void SetFancyStyle();
  bool DrawnMode() const { return runMode_ == kTest || runMode_ == kErrorsOnly; }
  // The first entry's volume line, or nullopt when it has no sheet.
  std::optional<std::string> FirstVolumeLine() const;

  TEnv& env_;
  uint8_t runMode_;
  TNamedSheets entries_;
  std::vector<bool> marks_;  // may be shorter than entries_: missing is unmarked
  int selected_ = -1;
  int top_ = 0;
  int searchPos_ = 0;

  TFileCluster* cluster_ = nullptr;
  TPrimeRef* volume_ = nullptr;
  int32_t endPos_ = -1;
  std::vector<std::pair<const TPrimeRef*, int32_t>> endPositions_;  // per listed volume
  TAuxList<T5Entry> issuers_;
  TAuxList<T6Entry> dockets_;

  std::string caption_ = "Tariff Sheet List";
  bool visible_ = false;
  std::string statusText_;
  std::string typeLabel_;
  std::string statusLabel_;
  bool statusLabelVisible_ = true;
  std::string runLabel_ = "Adding";
  bool runLabelVisible_ = false;
  int gauge_ = 0;
  bool gaugeVisible_ = false;
  bool enoughVisible_ = false;
  bool stop_ = false;
  bool hints_ = false;
  bool listVisible_ = true;
  bool multiColumn_ = false;
  bool ownerDrawn_ = false;
  bool multiSelect_ = false;
  std::string plainCaption_ = "Plain Text";
  std::string multiCaption_ = "Multi";
  std::string multiHint_;
  bool annotateVisible_ = false;
  bool eliminateVisible_ = false;
  TPage page_ = TPage::SheetList;
};

}  // namespace vorne
