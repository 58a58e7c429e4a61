#include "volumes/Selectors.h"

#include <algorithm>

#include "platform/UserPort.h"
#include "store/Cluster.h"
#include "store/Common.h"
#include "store/Records.h"
#include "volumes/VolumeList.h"

namespace vorne {

const std::vector<TCheckBox>& StatusBoxes() {
  static const std::vector<TCheckBox> kBoxes = {
      {"Effective", kEffective}, {"Proposed", kPending},   {"Superseded", kSuperseded}, {"Rejected", kRejected},
      {"Suspended", kSuspended}, {"Withdrawn", kWithdrawn}, {"Deleted", kDeleted},
  };
  return kBoxes;
}

const std::vector<TCheckBox>& TypeBoxes() {
  static const std::vector<TCheckBox> kBoxes = {
      {"Table of Contents", 1},   {"Preliminary Statement", 2},     {"Rate Sheets", 3},
      {"Rate Schedule Text", 4},  {"General Terms", 5},             {"Form of Service Agreement", 6},
      {"Index of Purchasers", 7}, {"Other Indices", 8},             {"Other Sheets", 9},
      {"Reserved", 10},
  };
  return kBoxes;
}

namespace {

TDialogResult Closed() { return {true, false, false}; }
TDialogResult StaysOpen() { return {}; }

// A dialog's Go: what its OK does, then the run at once if it closed.
TDialogResult RunAtOnce(TDialogResult ok, bool xcptChecked) {
  if (ok.close) {
    ok.runNow = true;
    ok.emptyNameList = !xcptChecked;
  }
  return ok;
}

}  // namespace

// ---- the panel ----------------------------------------------------------------

bool TSelectorPanel::StatusBoxClick(bool checked) {
  if (!checked) sel_.StatusSelect = false;
  Changed();
  return checked;
}

bool TSelectorPanel::DateBoxClick(bool checked) {
  // The filing and updated ranges stay in force; only "..." in their fields
  // removes them.
  if (!checked) sel_.EffectiveOrderDates = false;
  Changed();
  return checked;
}

bool TSelectorPanel::TypeBoxClick(bool checked) {
  if (!checked) sel_.TypeSelect = false;
  Changed();
  return checked;
}

bool TSelectorPanel::SheetNoBoxClick(bool checked) {
  if (!checked) sel_.SheetNoSelect = false;
  Changed();
  return checked;
}

bool TSelectorPanel::DocketBoxClick(bool checked, bool rowFocused, TUserPort& port) {
  if (!docketEnabled_) return false;
  if (!checked) {
    sel_.DocketSelect = false;
    Changed();
    return false;
  }
  if (!rowFocused) {
    // Not turned on: with no lines to match it would hide every sheet.
    port.Info("Select a pipeline company first");
    Changed();
    return false;
  }
  sel_.DocketSelect = true;
  Changed();
  return true;
}

void TSelectorPanel::ResetDocketSelection() {
  sel_.ResetDocketSelection();
  docketEnabled_ = true;
  Changed();
}

void TSelectorPanel::DisableDocketBox() {
  docketEnabled_ = false;
  Changed();
}

void TSelectorPanel::StatusSelectOff() {
  sel_.StatusSelect = false;
  Changed();
}

void TSelectorPanel::OtherClick() {
  otherShown_ = true;
  Changed();
}

void TSelectorPanel::OtherCloseClick() {
  otherShown_ = false;
  Changed();
}

void TSelectorPanel::PortraitClick(bool checked) {
  sel_.OrientationSet.Set('P', checked);
  Changed();
}

void TSelectorPanel::LandscapeClick(bool checked) {
  sel_.OrientationSet.Set('L', checked);
  Changed();
}

void TSelectorPanel::SubjectClick(bool checked) {
  SetRefundBoxes(checked, checked ? NotSubjectChecked() : true);
}

void TSelectorPanel::NotSubjectClick(bool checked) {
  SetRefundBoxes(checked ? SubjectChecked() : true, checked);
}

void TSelectorPanel::SetRefundBoxes(bool subject, bool notSubject) {
  sel_.RefundAny = subject && notSubject;
  if (!sel_.RefundAny) sel_.RefundWanted = subject ? 1 : 0;
  Changed();
}

// ---- "Status Dialog" ---------------------------------------------------------------

TStatusDialog::TStatusDialog(TSelection& selection, bool expertMode) : sel_(selection), boxes_(StatusBoxes()) {
  for (TCheckBox& b : boxes_)
    if (b.code == kDeleted) b.visible = expertMode;
  CheckOnly(CurrentStatuses());
}

void TStatusDialog::Check(size_t box, bool on) {
  TCheckBox& b = boxes_.at(box);
  b.checked = on && b.visible;
}

void TStatusDialog::CheckOnly(const TByteSet& codes) {
  for (TCheckBox& b : boxes_) b.checked = codes.Has(b.code) && b.visible;
}

void TStatusDialog::CurrentClick() { CheckOnly(CurrentStatuses()); }
void TStatusDialog::ArchiveClick() { CheckOnly(ArchiveStatuses()); }
void TStatusDialog::ClearClick() { CheckOnly({}); }

TByteSet TStatusDialog::CheckedCodes() const {
  TByteSet codes;
  for (const TCheckBox& b : boxes_)
    if (b.checked) codes.Add(b.code);
  return codes;
}

TDialogResult TStatusDialog::OK() {
  sel_.SelectStatuses(CheckedCodes());
  return Closed();
}

TDialogResult TStatusDialog::Go(bool xcptChecked) { return RunAtOnce(OK(), xcptChecked); }

TDialogResult TStatusDialog::Cancel() {
  sel_.StatusSelect = false;
  // "by Docket" is unchecked with it, and an unchecked docket box means no
  // docket criterion; the chosen lines are kept for the summary.
  sel_.DocketSelect = false;
  return Closed();
}

// ---- "Select Sheets by Date" -------------------------------------------------------

const std::array<const char*, 4> TDateDialog::kRowCaptions = {"Filing date", "Effective date", "Order date",
                                                              "Updated on"};

TDateDialog::TDateDialog(TSelection& selection, TUserPort& port) : sel_(selection), port_(port) {
  for (int k = 1; k <= 4; ++k)
    for (TDateEnd end : {TDateEnd::From, TDateEnd::To}) Field(TDateKind(k), end) = sel_.ShowDate(TDateKind(k), end);
}

TDialogResult TDateDialog::OK() {
  for (int k = 1; k <= 4; ++k) {
    for (TDateEnd end : {TDateEnd::From, TDateEnd::To}) {
      const std::string& text = Field(TDateKind(k), end);
      if (!sel_.ParseDateField(text, TDateKind(k), end)) {
        port_.Error(text + " is not a valid date");
        return StaysOpen();
      }
    }
  }
  sel_.EffectiveOrderDates = true;
  return Closed();
}

TDialogResult TDateDialog::Go(bool xcptChecked) { return RunAtOnce(OK(), xcptChecked); }

TDialogResult TDateDialog::Cancel() {
  sel_.EffectiveOrderDates = false;
  return Closed();
}

// ---- "Sheet Type (Text ID field)" --------------------------------------------------

TTypeDialog::TTypeDialog(TSelection& selection) : sel_(selection), boxes_(TypeBoxes()) {}

TDialogResult TTypeDialog::OK() {
  sel_.TypeSet.Clear();
  for (const TCheckBox& b : boxes_)
    if (b.checked) sel_.TypeSet.Add(b.code);
  sel_.TypeSelect = true;
  return Closed();
}

TDialogResult TTypeDialog::Go(bool xcptChecked) { return RunAtOnce(OK(), xcptChecked); }

TDialogResult TTypeDialog::Cancel() {
  sel_.TypeSelect = false;
  return Closed();
}

// ---- "PickSheetno" ---------------------------------------------------------------------

TSheetNoDialog::TSheetNoDialog(TSelection& selection, TUserPort& port) : sel_(selection), port_(port) {}

TDialogResult TSheetNoDialog::OK() {
  if (!sel_.ParseBound(from_, TBound::From) || !sel_.ParseBound(to_, TBound::To)) {
    port_.Error("Can't use these values, try again");
    return StaysOpen();
  }
  sel_.SheetNoSelect = true;
  return Closed();
}

TDialogResult TSheetNoDialog::Go(bool xcptChecked) { return RunAtOnce(OK(), xcptChecked); }

TDialogResult TSheetNoDialog::Cancel() {
  sel_.SheetNoSelect = false;
  return Closed();
}

// ---- "Available dockets" ---------------------------------------------------------------

std::vector<std::string> MarkedDocketLines(const TFromDisplay& list) {
  std::vector<std::string> lines;
  TFileCluster* cluster = list.Cluster();
  if (!cluster) return lines;
  for (TPrimeRef* volume : list.MarkedVolumes()) {
    std::vector<std::string> more = cluster->DocketList(*volume);
    lines.insert(lines.end(), more.begin(), more.end());
  }
  return lines;
}

TDocketDialog::TDocketDialog(TSelection& selection, const std::vector<std::string>& docketLines)
    : sel_(selection), combo_(docketLines), lines_(docketLines) {
  sel_.ChosenDockets.clear();
  // Volumes of one company share dockets; the list offers each line once.
  std::stable_sort(lines_.begin(), lines_.end(), [](const std::string& a, const std::string& b) {
    int c = CompareNoCase(a, b);
    return c != 0 ? c < 0 : a < b;
  });
  lines_.erase(std::unique(lines_.begin(), lines_.end()), lines_.end());
  selected_.assign(lines_.size(), false);
}

void TDocketDialog::LeaveCombo(int comboIndex) {
  if (comboIndex < 0 || size_t(comboIndex) >= combo_.size()) return;
  // The list is sorted and the combo is not, so the line is found by its text.
  auto it = std::lower_bound(lines_.begin(), lines_.end(), combo_[size_t(comboIndex)],
                             [](const std::string& a, const std::string& b) {
                               int c = CompareNoCase(a, b);
                               return c != 0 ? c < 0 : a < b;
                             });
  if (it != lines_.end() && *it == combo_[size_t(comboIndex)]) selected_[size_t(it - lines_.begin())] = true;
}

TDialogResult TDocketDialog::OK() {
  for (size_t i = 0; i < lines_.size(); ++i)
    if (selected_[i]) sel_.ChosenDockets.push_back(lines_[i]);
  sel_.DocketSelect = !sel_.ChosenDockets.empty();
  return Closed();
}

TDialogResult TDocketDialog::Go(bool xcptChecked) { return RunAtOnce(OK(), xcptChecked); }

TDialogResult TDocketDialog::Cancel() {
  // The list was emptied when the dialog filled; a docket criterion without
  // lines would hide every sheet.
  sel_.DocketSelect = !sel_.ChosenDockets.empty();
  return Closed();
}

// ---- "Select Sheets by:" --------------------------------------------------------------

TSelectorSummary::TSelectorSummary(const TSelection& sel) {
  showDockets = !sel.ChosenDockets.empty();
  dockets = sel.ChosenDockets;

  showTypes = sel.TypeSelect;
  types = TypeBoxes();
  for (TCheckBox& b : types) b.checked = sel.TypeSet.Has(b.code);

  showDates = sel.FilingUpdatedDates || sel.EffectiveOrderDates;
  for (int k = 1; k <= 4; ++k) {
    dates[size_t(k - 1)][0] = sel.ShowDate(TDateKind(k), TDateEnd::From);
    dates[size_t(k - 1)][1] = sel.ShowDate(TDateKind(k), TDateEnd::To);
  }

  showStatuses = sel.StatusSelect;
  for (TCheckBox b : StatusBoxes()) {
    if (b.code == kDeleted) continue;
    b.checked = sel.StatusSet.Has(b.code);
    statuses.push_back(b);
  }

  showSheetNo = sel.SheetNoSelect;
  fromText = sel.FromText;
  toText = sel.ToText;
}

}  // namespace vorne
