// TSheetSuperseder: the "Sheet Superseder" dialog as a model. Before pending
// sheets are made effective it lists the other versions of their sheet
// numbers still in force under another docket, so that the person can mark
// them superseded at once ("Supersede") or leave the matching pending sheets
// out of the edit ("Don't Supersede").
//
// Ownership: the dependents are sheets of the match list given to Run, which
// must outlive this object; the edit set is the editing dialog's, changed in
// place. Messages go through the user port.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/UserPort.h"
#include "sheets/SheetList.h"
#include "store/Headers.h"

namespace vorne {

class TFileCluster;

class TSheetSuperseder {
 public:
  static constexpr const char* kCaption = "Sheet Superseder";

  explicit TSheetSuperseder(TEnv& env) : env_(env) {}

  std::function<void()> onChanged;
  // Shows the dialog modally; true when it closed with OK. Without it Run
  // answers OK only when there is nothing to decide (no dependents).
  std::function<bool(TSheetSuperseder&)> showModal;

  // Lists the versions of matchList (loaded) with another docket than
  // docketText, leaving out the sheets of the edit set themselves, then shows
  // the dialog. Returns whether it closed with OK.
  bool Run(THdrMatch& matchList, std::vector<TSheetPtr>& editSet, const std::string& docketText);

  // ---- commands ----
  // Writes every marked dependent as Superseded with today's UpdDate, in one
  // header edit of its own, and takes them off the list. false when nothing
  // could be written (the message has been shown; nothing changed).
  bool SupeBtnClick();
  // Leaves the pending sheets of every marked dependent's number out of the edit.
  void RevertBtnClick();
  void OKClick() { result_ = TAnswer::OK; }
  void CancelClick() { result_ = TAnswer::Cancel; }
  std::optional<TAnswer> Result() const { return result_; }

  // ---- the list ----
  const TNamedSheets& Dependents() const { return dependents_; }
  int SelectedIndex() const { return selected_; }
  void Select(int index);  // a click: its labels are shown
  bool IsMarked(size_t index) const { return index < marks_.size() && marks_[index]; }
  void SetMarked(size_t index, bool on);
  std::optional<TLineStyle> LineStyle(int index) const;

  // ---- labels ----
  const std::string& StatusField() const { return statusField_; }
  const std::string& docketfield() const { return docketField_; }
  const std::string& Counter() const { return counter_; }

  // Records written Superseded by this dialog (record number, new body), so
  // that other windows holding copies of those sheets can follow.
  const std::vector<std::pair<int32_t, TSheetBody>>& Superseded() const { return superseded_; }

 private:
  void Changed() {
    if (onChanged) onChanged();
  }
  void Remove(size_t index);
  void ShowCounter();

  TEnv& env_;
  TPrimeRef* volume_ = nullptr;
  TFileCluster* cluster_ = nullptr;
  TNamedSheets dependents_;
  std::vector<bool> marks_;
  TAuxList<T5Entry> issuers_;
  TAuxList<T6Entry> dockets_;
  std::vector<TSheetPtr>* editSet_ = nullptr;
  int selected_ = -1;
  std::string statusField_, docketField_, counter_;
  std::optional<TAnswer> result_;
  std::vector<std::pair<int32_t, TSheetBody>> superseded_;
};

}  // namespace vorne
