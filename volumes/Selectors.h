// Models of the selection controls: the main window's "    Select Sheets"
// panel with its orientation/refund sub-panel, the five criteria dialogs and
// the read-only summary window. They hold no widgets; the views show their
// state and forward clicks, and the batch program needs none of them.
//
// Every model works on the one TSelection of the run state, which must
// outlive it. The panel's criteria boxes show the selection's flags, so a
// command-line word or a mode change that sets a flag is shown without
// further bookkeeping. A dialog is created anew each time its box is
// checked and lives until one of its actions says it closes.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "volumes/Selection.h"

namespace vorne {

class TUserPort;
class TFromDisplay;

// What a dialog action asks of its caller.
struct TDialogResult {
  bool close = false;          // the dialog closes
  bool runNow = false;         // start the volume list's Go now
  bool emptyNameList = false;  // running now with the Xcpt box unchecked: empty NameList first
};

struct TCheckBox {
  std::string caption;
  uint8_t code = 0;  // the status or sheet-type code the box stands for
  bool checked = false;
  bool visible = true;
};

// The status boxes in dialog order: Effective, Proposed, Superseded,
// Rejected, Suspended, Withdrawn, Deleted.
const std::vector<TCheckBox>& StatusBoxes();
// The sheet-type boxes, codes 1 to 10 in order.
const std::vector<TCheckBox>& TypeBoxes();

// ---- the panel ----------------------------------------------------------

class TSelectorPanel {
 public:
  static constexpr const char* kCaption = "    Select Sheets";
  static constexpr const char* kOtherHint = "Esoteric selectors. Page orientation and subject-to-refund";

  explicit TSelectorPanel(TSelection& selection) : sel_(selection) {}

  // Called after the panel changed a box or the selection behind one. The
  // dialogs, the command line and the mode changes set the selection
  // directly; a view refreshes after those itself.
  std::function<void()> onChanged;

  bool StatusChecked() const { return sel_.StatusSelect; }
  bool DateChecked() const { return sel_.EffectiveOrderDates; }
  bool TypeChecked() const { return sel_.TypeSelect; }
  bool SheetNoChecked() const { return sel_.SheetNoSelect; }
  bool DocketChecked() const { return sel_.DocketSelect; }
  bool DocketEnabled() const { return docketEnabled_; }

  // A box was clicked into the given state. Checking answers true: the
  // caller creates the box's dialog and shows it. Unchecking turns the
  // criterion off (for "by Date" only the effective/order ranges).
  bool StatusBoxClick(bool checked);
  bool DateBoxClick(bool checked);
  bool TypeBoxClick(bool checked);
  bool SheetNoBoxClick(bool checked);
  // True: the caller creates TDocketDialog from the docket lines of the
  // marked volumes. Without a focused volume row the person is told
  // "Select a pipeline company first" and the criterion stays off.
  bool DocketBoxClick(bool checked, bool rowFocused, TUserPort& port);

  // Another volume was clicked (or volumes chosen by id): no docket
  // criterion, and the box enabled again.
  void ResetDocketSelection();
  // Browse, Copy, Verify and "Unselect" disable the docket box.
  void DisableDocketBox();
  // Browse, Copy and Verify turn status selection off; its set is kept.
  void StatusSelectOff();

  // "Other" opens the orientation/refund panel, its small button closes it.
  bool OtherShown() const { return otherShown_; }
  void OtherClick();
  void OtherCloseClick();

  bool PortraitChecked() const { return sel_.OrientationSet.Has('P'); }
  bool LandscapeChecked() const { return sel_.OrientationSet.Has('L'); }
  bool SubjectChecked() const { return sel_.RefundAny || sel_.RefundWanted != 0; }
  bool NotSubjectChecked() const { return sel_.RefundAny || sel_.RefundWanted == 0; }
  void PortraitClick(bool checked);
  void LandscapeClick(bool checked);
  // Unchecking one refund box checks the other, so one always stays checked.
  void SubjectClick(bool checked);
  void NotSubjectClick(bool checked);

 private:
  void Changed() {
    if (onChanged) onChanged();
  }
  void SetRefundBoxes(bool subject, bool notSubject);

  TSelection& sel_;
  bool docketEnabled_ = false;
  bool otherShown_ = false;
};

// ---- the dialogs ----------------------------------------------------------

// "Status Dialog": opens with Effective, Proposed and Suspended checked;
// "Deleted" is shown only in ExpertMode.
class TStatusDialog {
 public:
  static constexpr const char* kCaption = "Status Dialog";
  static constexpr const char* kCurrentCaption = "Current";
  static constexpr const char* kArchiveCaption = "&Archive";
  static constexpr const char* kClearCaption = "Clear";

  TStatusDialog(TSelection& selection, bool expertMode);

  const std::vector<TCheckBox>& Boxes() const { return boxes_; }
  void Check(size_t box, bool on);  // a hidden box stays unchecked
  void CurrentClick();              // Proposed, Effective, Suspended only
  void ArchiveClick();              // Superseded, Rejected, Withdrawn only
  void ClearClick();
  TByteSet CheckedCodes() const;

  TDialogResult OK();
  TDialogResult Go(bool xcptChecked);
  // Unchecks "by Status" and "by Docket" (so both criteria go off).
  TDialogResult Cancel();

 private:
  void CheckOnly(const TByteSet& codes);

  TSelection& sel_;
  std::vector<TCheckBox> boxes_;
};

// "Select Sheets by Date": four rows of From/To fields showing the current
// ranges. OK reads filing, effective, order and updated in turn, From
// before To; an unreadable date is reported and keeps the dialog open with
// the fields before it already stored.
class TDateDialog {
 public:
  static constexpr const char* kCaption = "Select Sheets by Date";
  static constexpr const char* kFromLabel = "From :";
  static constexpr const char* kToLabel = "To :";
  static const std::array<const char*, 4> kRowCaptions;

  TDateDialog(TSelection& selection, TUserPort& port);

  std::string& Field(TDateKind kind, TDateEnd end) { return fields_[Index(kind)][size_t(end)]; }
  const std::string& Field(TDateKind kind, TDateEnd end) const { return fields_[Index(kind)][size_t(end)]; }

  TDialogResult OK();
  TDialogResult Go(bool xcptChecked);
  TDialogResult Cancel();  // the effective/order ranges off; stored fields stay

 private:
  static size_t Index(TDateKind kind) { return size_t(kind) - 1; }

  TSelection& sel_;
  TUserPort& port_;
  std::array<std::array<std::string, 2>, 4> fields_;
};

// "Sheet Type (Text ID field)": ten boxes, none checked when it opens.
class TTypeDialog {
 public:
  static constexpr const char* kCaption = "Sheet Type (Text ID field)";

  explicit TTypeDialog(TSelection& selection);

  const std::vector<TCheckBox>& Boxes() const { return boxes_; }
  void Check(size_t box, bool on) { boxes_.at(box).checked = on; }

  TDialogResult OK();
  TDialogResult Go(bool xcptChecked);
  TDialogResult Cancel();

 private:
  TSelection& sel_;
  std::vector<TCheckBox> boxes_;
};

// "PickSheetno": From and To fields of 8 characters, opening open-ended.
class TSheetNoDialog {
 public:
  static constexpr const char* kCaption = "PickSheetno";
  static constexpr const char* kFromLabel = "From :";
  static constexpr const char* kToLabel = "To:";
  static constexpr size_t kFieldWidth = 8;

  TSheetNoDialog(TSelection& selection, TUserPort& port);

  const std::string& FromField() const { return from_; }
  const std::string& ToField() const { return to_; }
  void SetFrom(std::string_view text) { from_ = std::string(text.substr(0, std::min(text.size(), kFieldWidth))); }
  void SetTo(std::string_view text) { to_ = std::string(text.substr(0, std::min(text.size(), kFieldWidth))); }

  TDialogResult OK();  // "Can't use these values, try again" keeps it open
  TDialogResult Go(bool xcptChecked);
  TDialogResult Cancel();

 private:
  TSelection& sel_;
  TUserPort& port_;
  std::string from_ = kOpenFromText;
  std::string to_ = kOpenToText;
};

// The lines "Available dockets" offers: the docket lines of every marked
// volume of the list (DocketList of its cluster), one volume after the other
// in list order. Empty without a library.
std::vector<std::string> MarkedDocketLines(const TFromDisplay& list);

// "Available dockets": the docket lines of the marked volumes, given in
// volume order, in a sorted multi-select list (each line once) and as given
// in a combo box. Creating it empties ChosenDockets.
class TDocketDialog {
 public:
  static constexpr const char* kCaption = "Available dockets";

  TDocketDialog(TSelection& selection, const std::vector<std::string>& docketLines);

  const std::vector<std::string>& Lines() const { return lines_; }
  const std::vector<std::string>& ComboLines() const { return combo_; }
  bool Selected(size_t line) const { return selected_.at(line); }
  void Select(size_t line, bool on) { selected_.at(line) = on; }
  // Leaving the combo box selects the list line holding the combo's chosen
  // item (-1: none chosen).
  void LeaveCombo(int comboIndex);

  // The selected lines become the chosen dockets; the criterion is on when
  // there are any.
  TDialogResult OK();
  TDialogResult Go(bool xcptChecked);
  TDialogResult Cancel();

 private:
  TSelection& sel_;
  std::vector<std::string> combo_;
  std::vector<std::string> lines_;
  std::vector<bool> selected_;
};

// ---- the summary window ---------------------------------------------------

// "Select Sheets by:": a read-only picture of the criteria at the moment it
// is made; a part is shown only when its criterion is on.
struct TSelectorSummary {
  static constexpr const char* kCaption = "Select Sheets by:";
  static constexpr const char* kDocketsHeading = "Dockets";
  static constexpr const char* kSheetNoHeading = "Sheet Number:";
  static constexpr const char* kCloseCaption = "Close";

  explicit TSelectorSummary(const TSelection& selection);

  bool showDockets = false;
  std::vector<std::string> dockets;
  bool showTypes = false;
  std::vector<TCheckBox> types;  // the ten type boxes, ticked for TypeSet
  bool showDates = false;
  std::array<std::array<std::string, 2>, 4> dates;  // [kind - 1][From, To]
  bool showStatuses = false;
  std::vector<TCheckBox> statuses;  // the six status boxes, without Deleted
  bool showSheetNo = false;
  std::string fromText;
  std::string toText;
};

}  // namespace vorne
