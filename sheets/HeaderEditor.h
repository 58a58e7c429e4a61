// TEditForm: the header editing dialog (" For all marked sheets:  ") as a
// model. It changes header fields of a set of marked sheets in place: the
// sheet fields, the fields of their shared docket records, a fresh copy of
// the set's docket record ("Clone Type 6"), the issuer of every sheet ("Link
// Type5") or an issuer's name ("Change Type5").
//
// Every control of the dialog is state here: its text, item index or check,
// and beside each field a flag box that shows when the sheets disagree. Each
// command writes its records as one header edit of the cluster: it lands
// whole or not at all, and when it fails the sheets and entries in memory
// are put back as they were and the dialog stays open.
//
// Ownership: the sheets are shared with the window that chose them; the
// cluster is borrowed and must outlive the dialog.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/UserPort.h"
#include "store/Headers.h"
#include "store/Records.h"

namespace vorne {

class TFileCluster;
class TSheetSuperseder;

// The flag box beside a field: hidden while the sheets agree on it.
struct TFlagBox {
  enum TChoice { NotConsistent, Ignore, Override };
  static constexpr const char* kChoices[] = {"Not consistent", "Ignore", "Override"};
  bool visible = false;
  TChoice choice = NotConsistent;
  void Show() {
    visible = true;
    choice = NotConsistent;
  }
  // Whether the field's control is applied to every sheet.
  bool Applies() const { return !visible || choice == Override; }
};

class TEditForm {
 public:
  static constexpr const char* kCaption = " For all marked sheets:  ";
  static const std::array<const char*, 7> kStatusItems;
  static const std::array<const char*, 6> kOrderTypeItems;

  // The text boxes; changing those of the docket record sets the
  // docket-changed flag.
  enum class TBox { Docket, Effectivedate, OrderDate, FilingDate, ZoakCite, CmpDktBox, CmplCiteBox, SheetNo, NameEdit, Count };
  enum class TFlag { statflag, SubjectFlag, SheetTypeFlag, FilingFlag, OrderTypeFlag, DocketFlag, EffDateFlag, OrderDateFlag, CompCiteFlag, Count };
  enum class TResult { None, OK, Cancel };

  explicit TEditForm(TEnv& env);
  ~TEditForm();

  std::function<void()> onChanged;
  // Shows the superseding dialog modally (the view sets it). Without it an
  // edit that would leave other versions in force is refused.
  std::function<bool(TSheetSuperseder&)> runSuperseder;

  // ---- set-up, in this order ----
  void SetCluster(TFileCluster* cluster) { cluster_ = cluster; }
  void SetEndPos(int32_t pos);
  void AddSheet(const std::string& text, const TSheetPtr& sheet);
  void SetIssuers(const TAuxList<T5Entry>& entries);  // "Type 5 Edit"
  // "Type 5 Edit" on the sheets added: the issuer records of their own
  // volumes' chains, each record once. An entry of known at the same record
  // number is taken instead of the one read, so that a renamed issuer shows
  // in every listed sheet that uses it.
  void SetChainIssuers(const TAuxList<T5Entry>& known);
  void Activate();                                     // the labels

  // ---- the controls ----
  const std::string& Text(TBox box) const { return texts_[size_t(box)]; }
  void SetText(TBox box, const std::string& text);
  int StatusIndex() const { return statusIndex_; }
  void SetStatusIndex(int i) {
    statusIndex_ = i;
    Changed();
  }
  int OrderTypeIndex() const { return orderTypeIndex_; }
  void SetOrderTypeIndex(int i) {
    orderTypeIndex_ = i;
    Changed();
  }
  int TypeIndex() const { return typeIndex_; }  // SheetType - 1; -1 none
  void SetTypeIndex(int i) {
    typeIndex_ = i;
    Changed();
  }
  bool RefundChecked() const { return refundChecked_; }
  void SetRefundChecked(bool on) {
    refundChecked_ = on;
    Changed();
  }
  const TFlagBox& Flag(TFlag f) const { return flags_[size_t(f)]; }
  void SetFlagChoice(TFlag f, TFlagBox::TChoice c) {
    flags_[size_t(f)].choice = c;
    Changed();
  }
  // Entering and leaving the citation boxes (ZoakCite, CmpDktBox, CmplCiteBox).
  void EnterCite(TBox box);
  void LeaveCite(TBox box);
  const std::vector<std::string>& SheetItems() const { return sheetItems_; }

  // ---- labels and panels ----
  const std::string& SheetCount() const { return sheetCount_; }
  const std::string& Type6Count() const { return type6Count_; }
  bool SheetNoVisible() const { return sheetNoVisible_; }
  bool OKEnabled() const { return okEnabled_; }
  bool CancelEnabled() const { return cancelEnabled_; }
  bool CloneEnabled() const { return cloneEnabled_; }
  bool Type5Mode() const { return type5Mode_; }
  // "Type 5 Edit": the issuer names, sorted, and the chosen line (-1 none).
  const std::vector<std::pair<std::string, std::shared_ptr<T5Entry>>>& Names5() const { return names5_; }
  int Names5Index() const { return names5Index_; }
  // The line of the list: the name and its record number, which tells apart
  // records that carry the same name.
  std::string Names5Line(size_t index) const;
  void Names5Click(int index);
  // The list flashes yellow when a command needs a line first.
  bool Names5Flash() const { return names5Flash_; }
  void EndFlash() {
    names5Flash_ = false;
    Changed();
  }

  // ---- commands; each closes the dialog (Result) when it succeeds ----
  void OKBtnClick();
  void CancelClick();  // nothing written; what Clone Type 6 attached is put back
  void Clone6BtnClick();
  void Link5BtnClick();
  void Change5BtnClick();
  TResult Result() const { return result_; }

  // ---- what the dialog holds ----
  const std::vector<TSheetPtr>& Sheets() const { return sheets_; }
  const std::vector<std::shared_ptr<T6Entry>>& Dockets() const { return dockets6_; }
  int32_t EndPos() const { return endPos_; }
  bool DocketChanged() const { return docketChanged_; }
  // Records the superseding dialog wrote Superseded (record number, body).
  const std::vector<std::pair<int32_t, TSheetBody>>& Superseded() const { return superseded_; }

 private:
  struct TSaved;  // the sheets and entries as they were before a command
  void Changed() {
    if (onChanged) onChanged();
  }
  TFlagBox& FlagRef(TFlag f) { return flags_[size_t(f)]; }
  void SetOwnText(TBox box, const std::string& text);
  bool IsDocketBox(TBox box) const;
  // false: a message was shown and nothing may be written.
  bool Collect(THeaderEdit& edit, std::optional<uint16_t>& effDate, std::optional<uint16_t>& orderDate,
               std::string& docketText);
  // true: go on; false: the superseding dialog was cancelled; nullopt: refused.
  std::optional<bool> CheckSuperseding(uint8_t status, const std::string& docketText);
  // A docket change reaches every sheet that shares the records: when sheets
  // that are not in the edit share them, asks first. false: not confirmed.
  bool ConfirmSharedDockets();
  // Loads the whole chain of each volume the sheets belong to (every record accepted).
  std::vector<std::unique_ptr<THdrList>> LoadOwnChains() const;
  void PutBackClone();
  void UpdateDockets(const std::string& docketText, std::optional<uint16_t> effDate,
                     std::optional<uint16_t> orderDate);
  bool SheetNoApplies() const;
  TSaved Save() const;
  void Restore(const TSaved& saved);
  // The first record of saved that the file (read under the lock) no longer
  // holds as saved, named for a message; "" when none.
  std::string ChangedSince(const TSaved& saved);
  // Runs write between BeginHdrEdit and CommitHdrEdit with the header file
  // open for writing; on any failure puts saved back. true when committed.
  bool WriteAsOneEdit(const TSaved& saved, const std::function<void()>& write);

  TEnv& env_;
  TFileCluster* cluster_ = nullptr;
  int32_t endPos_ = -1;

  // The edit record.
  std::shared_ptr<T6Entry> docket6_;  // the docket entry of the first sheet
  std::string docketText_;
  uint16_t effDate_ = 0, orderDate_ = 0, filingDate_ = 0;
  uint8_t status_ = 7, orderType_ = 0, refund_ = 0;
  int sheetType_ = 0;
  TZoakCite orderCite_{};
  TZoakCite cmpCite_ = TZoakCite::None();
  bool orderCiteRead_ = false;  // the person changed the order citation

  std::vector<TSheetPtr> sheets_;
  std::vector<std::shared_ptr<T6Entry>> dockets6_;
  std::vector<std::string> sheetItems_;
  TSheetPtr numberedSheet_;  // the sheet the sheet number box shows, when alone
  bool docketChanged_ = false;
  bool loading_ = false;
  std::array<bool, size_t(TBox::Count)> edited_{};  // changed by the person

  std::array<std::string, size_t(TBox::Count)> texts_;
  int statusIndex_ = 0, orderTypeIndex_ = 0, typeIndex_ = -1;
  bool refundChecked_ = false;
  std::array<TFlagBox, size_t(TFlag::Count)> flags_{};
  std::string sheetCount_, type6Count_;
  bool sheetNoVisible_ = false;
  bool okEnabled_ = true, cancelEnabled_ = true, cloneEnabled_ = true, type5Mode_ = false;
  std::vector<std::pair<std::string, std::shared_ptr<T5Entry>>> names5_;
  int names5Index_ = -1;
  bool names5Flash_ = false;
  TResult result_ = TResult::None;
  // What Clone Type 6 changed in memory, put back on Cancel.
  std::vector<std::pair<TSheetPtr, std::shared_ptr<T6Entry>>> beforeClone_;
  std::vector<std::pair<int32_t, TSheetBody>> superseded_;
};

// The question asked before a docket change reaches sheets that are not marked.
std::string SharedDocketsQuestion(size_t unmarkedSheets);

// The compact number a citation is typed as: volume * 100000 + series * 1000
// + paragraph.
long CompactCite(const TZoakCite& cite);
// A typed compact number, or nullopt when text is not a decimal number.
std::optional<TZoakCite> CiteFromNumber(const std::string& text);

}  // namespace vorne
