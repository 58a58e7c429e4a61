#include "sheets/HeaderEditor.h"

#include <algorithm>
#include <cctype>
#include <set>

#include "platform/Errors.h"
#include "sheets/Superseder.h"
#include "store/Cluster.h"
#include "store/Common.h"

namespace vorne {

const std::array<const char*, 7> TEditForm::kStatusItems = {"Superseded,", "Rejected", "Suspended", "Effective",
                                                            "Pending",     "Deleted",  "Withdrawn"};
const std::array<const char*, 6> TEditForm::kOrderTypeItems = {"",           "Dir Letter",  "OPR Letter",
                                                               "OPR Formal", "Comm Letter", "Comm Formal"};

namespace {

constexpr const char* kNone = "(none)";

std::string Cut(const std::string& s, size_t n) { return s.substr(0, std::min(s.size(), n)); }

// A date box: empty or "Missing" is no date (0); nullopt when unreadable.
std::optional<uint16_t> ReadDateBox(const std::string& text) {
  const std::string t = TrimBoth(text);
  if (t.empty() || t == "Missing") return uint16_t(0);
  return DateToPacked(t);
}

}  // namespace

long CompactCite(const TZoakCite& cite) {
  return long(cite.volume) * 100000 + long(cite.series) * 1000 + long(cite.paragraph);
}

std::optional<TZoakCite> CiteFromNumber(const std::string& text) {
  const std::string t = TrimBoth(text);
  if (t.empty() || t.size() > 9 || !std::all_of(t.begin(), t.end(), [](char c) { return std::isdigit(uint8_t(c)); }))
    return std::nullopt;
  const long n = std::stol(t);
  long volume = n / 100000;
  if (volume < 20) volume += 100;
  if (volume > 255) return std::nullopt;  // does not fit the citation's volume byte
  TZoakCite c;
  c.volume = uint8_t(volume);
  c.series = uint8_t((n % 100000) / 1000);
  c.paragraph = int16_t(n % 1000);
  c.year = uint8_t((volume - 50) / 4 + 90);
  return c;
}

// ---- the sheets and entries before a command, to put back when it fails ----

struct TEditForm::TSaved {
  struct TSheetState {
    TSheetPtr sheet;
    TSheetBody body;
    std::shared_ptr<T5Entry> issuer;
    std::shared_ptr<T6Entry> docket;
  };
  std::vector<TSheetState> sheets;
  std::vector<std::pair<std::shared_ptr<T5Entry>, T5Entry>> issuers;
  std::vector<std::pair<std::shared_ptr<T6Entry>, T6Entry>> dockets;
  std::vector<std::pair<TPrimeRef*, uint16_t>> updated;
  std::vector<TSheetPtr> set;
  std::vector<std::shared_ptr<T6Entry>> dockets6;
};

TEditForm::TSaved TEditForm::Save() const {
  TSaved s;
  std::set<const void*> seen;
  auto issuer = [&](const std::shared_ptr<T5Entry>& e) {
    if (e && seen.insert(e.get()).second) s.issuers.emplace_back(e, *e);
  };
  auto docket = [&](const std::shared_ptr<T6Entry>& e) {
    if (e && seen.insert(e.get()).second) s.dockets.emplace_back(e, *e);
  };
  for (const TSheetPtr& sh : sheets_) {
    s.sheets.push_back({sh, sh->body, sh->Issuer(), sh->Docket()});
    issuer(sh->Issuer());
    docket(sh->Docket());
    if (sh->prime && seen.insert(sh->prime).second) s.updated.emplace_back(sh->prime, sh->prime->record.updated);
  }
  for (const auto& e : dockets6_) docket(e);
  for (const auto& [name, e] : names5_) issuer(e);
  s.set = sheets_;
  s.dockets6 = dockets6_;
  return s;
}

std::string TEditForm::ChangedSince(const TSaved& saved) {
  // Where a record points is the window's business (a cloned docket is
  // attached before it is written); every other field must be as listed.
  auto unlinked = [](TSheetBody b) {
    b.issuePos = b.docketPos = -1;
    return b;
  };
  THdrRecord rec;
  for (const auto& st : saved.sheets) {
    if (st.sheet->position < 0) continue;
    if (!cluster_->ReadHdr(st.sheet->position, rec) || rec[0] != kSheetRecord ||
        unlinked(TSheetBody::Decode(rec)) != unlinked(st.body))
      return "Sheet " + TrimRight(st.sheet->body.sheetNo);
  }
  for (const auto& [entry, was] : saved.dockets) {
    if (was.position < 0) continue;
    if (!cluster_->ReadHdr(was.position, rec) || rec[0] != kDocketRecord || TDocketBody::Decode(rec) != was.body)
      return "The docket record of " + TrimRight(FormatDocket(was.body));
  }
  return "";
}

void TEditForm::Restore(const TSaved& s) {
  for (const auto& [e, was] : s.issuers) *e = was;
  for (const auto& [e, was] : s.dockets) *e = was;
  for (const auto& st : s.sheets) {
    st.sheet->body = st.body;
    st.sheet->AttachIssuer(st.issuer);
    st.sheet->AttachDocket(st.docket);
  }
  for (const auto& [prime, updated] : s.updated) prime->record.updated = updated;
  sheets_ = s.set;
  dockets6_ = s.dockets6;
}

bool TEditForm::WriteAsOneEdit(const TSaved& saved, const std::function<void()>& write) {
  if (!cluster_ || !cluster_->ReopenHdrForWrite()) return false;  // the cluster has said why
  // Read again under the lock: records another run changed since the sheets
  // were listed are not written over with what this window holds.
  if (const std::string changed = ChangedSince(saved); !changed.empty()) {
    cluster_->CloseHdr();
    env_.port.Error(changed + " was changed by another run since the sheets were listed; nothing was changed. "
                    "List the sheets again and repeat the edit");
    return false;
  }
  try {
    cluster_->BeginHdrEdit();
    write();
  } catch (const EInOutError& e) {
    cluster_->AbandonHdrEdit();
    cluster_->CloseHdr();
    Restore(saved);
    env_.port.Error("Update failed, code=" + std::to_string(e.Code()));
    Changed();
    return false;
  }
  const bool ok = cluster_->CommitHdrEdit();
  cluster_->CloseHdr();
  if (!ok) {
    Restore(saved);  // the cluster has put the records back and said so
    Changed();
  }
  return ok;
}

// ---- set-up -----------------------------------------------------------------------

TEditForm::TEditForm(TEnv& env) : env_(env) {
  texts_[size_t(TBox::CmpDktBox)] = kNone;
  texts_[size_t(TBox::CmplCiteBox)] = kNone;
}

TEditForm::~TEditForm() = default;

void TEditForm::SetEndPos(int32_t pos) {
  if (pos < 0) {
    env_.port.Error("Corrupted chain: Bad continuation position");
    return;
  }
  endPos_ = pos;
}

void TEditForm::AddSheet(const std::string& text, const TSheetPtr& sheet) {
  if (!sheet) {
    env_.port.Error("System error:-Memory Protection fault in Info window");
    return;
  }
  loading_ = true;
  std::shared_ptr<T6Entry> entry = sheet->Docket();
  if (!entry) {
    sheet->AttachDocket(nullptr);
    entry = sheet->Docket();
  }
  const TSheetBody& b = sheet->body;
  if (sheetItems_.empty()) {
    status_ = b.status;
    refund_ = b.refundFlag;
    sheetType_ = b.sheetType;
    filingDate_ = b.filingDate;
    orderType_ = b.orderType;
    statusIndex_ = b.status < 7 ? b.status : 0;
    refundChecked_ = b.refundFlag != 0;
    typeIndex_ = b.sheetType >= 1 && b.sheetType <= 10 ? b.sheetType - 1 : -1;
    orderTypeIndex_ = b.orderType <= 5 ? b.orderType : 0;
    SetOwnText(TBox::FilingDate, PackedToText(b.filingDate));
    if (b.orderType != 0) {
      orderCite_ = b.orderCite;
      SetOwnText(TBox::ZoakCite, orderCite_.Display());
    }
    docket6_ = entry;
    docketText_ = entry->docketText;
    SetOwnText(TBox::Docket, UpperCase(docketText_));
    effDate_ = entry->body.effectiveDate;
    SetOwnText(TBox::Effectivedate, PackedToText(effDate_));
    if (b.orderType != 0) {
      SetOwnText(TBox::OrderDate, PackedToText(entry->body.orderDate));
      orderDate_ = entry->body.orderDate;
    }
    cmpCite_ = entry->body.citevalue;
    if (!entry->body.complianceDkt.empty() && entry->body.complianceDkt[0] != '\0') {
      SetOwnText(TBox::CmpDktBox, entry->body.complianceDkt);
      SetOwnText(TBox::CmplCiteBox, cmpCite_.Display());
    }
    dockets6_.push_back(entry);
    docketChanged_ = false;
  } else {
    if (std::find(dockets6_.begin(), dockets6_.end(), entry) == dockets6_.end()) {
      const std::string& docketBox = Text(TBox::Docket);
      if (!docketBox.empty() && docketBox != UpperCase(entry->docketText)) {
        FlagRef(TFlag::DocketFlag).Show();
        loading_ = false;
        Changed();
        return;  // a sheet of another docket stays out of the set
      }
      if (entry->body.effectiveDate != effDate_) {
        FlagRef(TFlag::EffDateFlag).Show();
        loading_ = false;  // the dialog's own change of a docket box counts
        SetOwnText(TBox::Effectivedate, "");
        loading_ = true;
        effDate_ = 0;
      }
      dockets6_.push_back(entry);
    }
    if (status_ != 7 && b.status != status_) {
      status_ = 7;  // mixed
      FlagRef(TFlag::statflag).Show();
      statusIndex_ = 0;
    }
    if (b.refundFlag != refund_ && !Flag(TFlag::SubjectFlag).visible) FlagRef(TFlag::SubjectFlag).Show();
    if (filingDate_ != 0 && b.filingDate != filingDate_) {
      SetOwnText(TBox::FilingDate, "");
      FlagRef(TFlag::FilingFlag).Show();
      filingDate_ = 0;
    }
    if (orderType_ != 0 && b.orderType != orderType_) {
      FlagRef(TFlag::OrderTypeFlag).Show();
      orderType_ = 0;
    }
    if (sheetType_ > 0 && b.sheetType != sheetType_) {
      FlagRef(TFlag::SheetTypeFlag).Show();
      sheetType_ = 0;
    }
  }
  sheetItems_.push_back(text);
  sheets_.push_back(sheet);
  loading_ = false;
  Changed();
}

void TEditForm::SetIssuers(const TAuxList<T5Entry>& entries) {
  names5_.clear();
  for (const auto& e : entries)
    if (e && e->position >= 0) names5_.emplace_back(e->name, e);  // a missing record has no record to link to
  std::stable_sort(names5_.begin(), names5_.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  names5Index_ = -1;
  type5Mode_ = true;
  okEnabled_ = false;
  cloneEnabled_ = false;
  Changed();
}

std::string SharedDocketsQuestion(size_t unmarkedSheets) {
  return "The docket record is shared with " + std::to_string(unmarkedSheets) +
         (unmarkedSheets == 1 ? " sheet that is not marked; it" : " sheets that are not marked; they") +
         " would change too.\nUpdate anyway? (Cancel, then Clone Type 6, "
         "changes the marked sheets alone.)";
}

std::vector<std::unique_ptr<THdrList>> TEditForm::LoadOwnChains() const {
  std::vector<std::unique_ptr<THdrList>> chains;
  std::set<TPrimeRef*> volumes;
  for (const TSheetPtr& s : sheets_) {
    if (!s || !s->prime || !volumes.insert(s->prime).second) continue;
    auto chain = std::make_unique<THdrList>(*s->prime, nullptr);
    chain->Load();  // a chain that cannot be read has been reported and lists nothing
    chains.push_back(std::move(chain));
  }
  return chains;
}

void TEditForm::SetChainIssuers(const TAuxList<T5Entry>& known) {
  TAuxList<T5Entry> own;
  std::set<int32_t> taken;
  for (const auto& chain : LoadOwnChains()) {
    for (const auto& e : chain->Issuers()) {
      if (!e || !taken.insert(e->position).second) continue;
      const int at = known.IndexOfPos(e->position);
      own.Add(at >= 0 ? known[size_t(at)] : e);
    }
  }
  SetIssuers(own);
}

std::string TEditForm::Names5Line(size_t index) const {
  if (index >= names5_.size()) return {};
  const auto& [name, entry] = names5_[index];
  return entry ? name + "   (record " + std::to_string(entry->position) + ")" : name;
}

bool TEditForm::ConfirmSharedDockets() {
  std::set<int32_t> records, edited;
  for (const TSheetPtr& s : sheets_) {
    edited.insert(s->position);
    if (auto d = s->Docket(); d && d->position >= 0) records.insert(d->position);
  }
  if (records.empty()) return true;
  size_t others = 0;
  for (const auto& chain : LoadOwnChains())
    for (const THdrList::TGroup& g : chain->Groups())
      for (const TSheetPtr& v : g.versions)
        if (auto d = v->Docket(); d && records.count(d->position) && !edited.count(v->position)) ++others;
  if (others == 0) return true;
  return env_.port.Ask(SharedDocketsQuestion(others), TButtons::OKCancel) == TAnswer::OK;
}

void TEditForm::Activate() {
  sheetCount_ = std::to_string(sheets_.size()) + " Sheets";
  type6Count_ = std::to_string(dockets6_.size()) + " Type 6 records";
  sheetNoVisible_ = sheets_.size() == 1;
  numberedSheet_ = sheetNoVisible_ ? sheets_.front() : nullptr;
  if (numberedSheet_) {
    loading_ = true;
    SetOwnText(TBox::SheetNo, PadRight(numberedSheet_->body.sheetNo, 8));
    loading_ = false;
  }
  Changed();
}

// ---- the controls ---------------------------------------------------------------

bool TEditForm::IsDocketBox(TBox box) const {
  return box == TBox::OrderDate || box == TBox::Docket || box == TBox::Effectivedate || box == TBox::CmpDktBox ||
         box == TBox::CmplCiteBox;
}

void TEditForm::SetOwnText(TBox box, const std::string& text) {
  std::string& t = texts_[size_t(box)];
  if (t == text) return;
  t = text;
  if (!loading_ && IsDocketBox(box)) docketChanged_ = true;
}

void TEditForm::SetText(TBox box, const std::string& text) {
  if (texts_[size_t(box)] == text) return;
  SetOwnText(box, text);
  edited_[size_t(box)] = true;
  Changed();
}

void TEditForm::EnterCite(TBox box) {
  if (box == TBox::ZoakCite) {
    if (orderCite_.paragraph > 0) SetOwnText(TBox::ZoakCite, std::to_string(CompactCite(orderCite_)));
  } else if (cmpCite_.paragraph > 0) {
    SetOwnText(TBox::CmplCiteBox, std::to_string(CompactCite(cmpCite_)));
  }
  Changed();
}

void TEditForm::LeaveCite(TBox box) {
  const bool order = box == TBox::ZoakCite;
  const TBox citeBox = order ? TBox::ZoakCite : TBox::CmplCiteBox;
  TZoakCite& cite = order ? orderCite_ : cmpCite_;
  const std::string text = TrimBoth(Text(citeBox));
  std::optional<TZoakCite> read;
  if (text.empty() || text == kNone) {
    read = TZoakCite::None();
  } else if (text.find("ZOAK") == std::string::npos) {
    read = CiteFromNumber(text);
    if (!read) env_.port.Info("You need only type numbers into Cite");
  } else {
    read = TZoakCite::FromTypedText(text);
  }
  if (read && !(*read == cite)) {
    cite = *read;
    if (order) orderCiteRead_ = true;
    edited_[size_t(citeBox)] = true;
  }
  // A compliance box that still says there is none keeps saying so.
  if (order || text != kNone) SetOwnText(citeBox, cite.Display());
  okEnabled_ = !type5Mode_;
  cancelEnabled_ = true;
  Changed();
}

void TEditForm::Names5Click(int index) {
  if (index < 0 || size_t(index) >= names5_.size()) return;
  names5Index_ = index;
  names5Flash_ = false;
  texts_[size_t(TBox::NameEdit)] = names5_[size_t(index)].first;
  Changed();
}

// ---- OK -------------------------------------------------------------------------------

bool TEditForm::Collect(THeaderEdit& edit, std::optional<uint16_t>& effDate, std::optional<uint16_t>& orderDate,
                        std::string& docketText) {
  auto applies = [this](TFlag f) { return Flag(f).Applies(); };
  auto dateOf = [this](TBox box, const char* name, std::optional<uint16_t>& out) {
    out = ReadDateBox(Text(box));
    if (!out) env_.port.Error(std::string(name) + "\n Date invalid");
    return out.has_value();
  };
  edit.status = applies(TFlag::statflag) && statusIndex_ >= 0 && statusIndex_ < 7 ? uint8_t(statusIndex_) : status_;
  docketText = applies(TFlag::DocketFlag) ? Cut(UpperCase(TrimBoth(Text(TBox::Docket))), 20) : docketText_;
  edit.orderType = applies(TFlag::OrderTypeFlag) && orderTypeIndex_ >= 0 && orderTypeIndex_ <= 5
                       ? uint8_t(orderTypeIndex_)
                       : orderType_;
  edit.sheetType = applies(TFlag::SheetTypeFlag) ? uint8_t(std::max(typeIndex_ + 1, 0)) : uint8_t(sheetType_);
  edit.refundFlag = refundChecked_ ? 1 : 0;
  edit.keepRefund = Flag(TFlag::SubjectFlag).visible && Flag(TFlag::SubjectFlag).choice != TFlagBox::Override;
  edit.filingDate = filingDate_;
  if (applies(TFlag::FilingFlag)) {
    std::optional<uint16_t> filing;
    if (!dateOf(TBox::FilingDate, "Filing", filing)) return false;
    edit.filingDate = *filing;
  }
  // The docket record's dates change only where the person typed them.
  orderDate.reset();
  effDate.reset();
  if (edited_[size_t(TBox::OrderDate)] && !dateOf(TBox::OrderDate, "Order", orderDate)) return false;
  if (edited_[size_t(TBox::Effectivedate)] && applies(TFlag::EffDateFlag) &&
      !dateOf(TBox::Effectivedate, "Effective", effDate))
    return false;
  if (orderCiteRead_) edit.orderCite = orderCite_;
  if (edited_[size_t(TBox::Docket)] && applies(TFlag::DocketFlag) && docketText.empty()) {
    env_.port.Error("The docket can't be empty");
    return false;
  }
  if (SheetNoApplies() && TrimBoth(Text(TBox::SheetNo)).empty()) {
    env_.port.Error("The sheet number can't be empty");
    return false;
  }
  return true;
}

bool TEditForm::SheetNoApplies() const {
  // The box holds the number of the one sheet it was filled for; a set that
  // shrank to one sheet later has nothing typed for that sheet.
  return numberedSheet_ && sheets_.size() == 1 && sheets_.front() == numberedSheet_;
}

void TEditForm::UpdateDockets(const std::string& docketText, std::optional<uint16_t> effDate,
                              std::optional<uint16_t> orderDate) {
  // Only the docket records of the sheets that are written: a record whose
  // sheets all left the edit stays as it is on disk and in memory.
  std::set<const T6Entry*> used;
  for (const TSheetPtr& s : sheets_)
    if (auto d = s->Docket()) used.insert(d.get());
  const bool docketTyped = edited_[size_t(TBox::Docket)] && Flag(TFlag::DocketFlag).Applies();
  for (const auto& e : dockets6_) {
    if (!used.count(e.get())) continue;
    TDocketBody body = e->body;
    if (docketTyped && docketText != UpperCase(e->docketText)) body.docket = PadRight(docketText, 20);
    if (effDate) body.effectiveDate = *effDate;
    if (orderDate) body.orderDate = *orderDate;
    if (edited_[size_t(TBox::CmpDktBox)]) {
      const std::string t = TrimBoth(Text(TBox::CmpDktBox));
      body.complianceDkt = t.empty() || t == kNone ? std::string(20, ' ') : PadRight(Cut(t, 20), 20);
    }
    if (edited_[size_t(TBox::CmplCiteBox)]) body.citevalue = cmpCite_;
    if (body == e->body) continue;
    e->body = body;
    e->docketText = FormatDocket(body);
    e->modified = true;
  }
}

std::optional<bool> TEditForm::CheckSuperseding(uint8_t status, const std::string& docketText) {
  if (status != kEffective || sheets_.empty()) return true;
  std::vector<std::string> keys;
  for (const TSheetPtr& s : sheets_)
    if (s->body.status == kPending) keys.push_back(MakeSheetKey(s->body.sheetNo));
  if (keys.empty()) return true;
  std::sort(keys.begin(), keys.end());
  keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
  if (!sheets_.front()->prime) return true;
  THdrMatch match(*sheets_.front()->prime, nullptr);
  match.SetMatchList(keys);
  if (const int32_t end = match.Load(); end >= 0) endPos_ = end;
  TSheetSuperseder superseder(env_);
  superseder.showModal = runSuperseder;
  TDocketBody typed;
  typed.docket = PadRight(docketText, 20);
  const bool ok = superseder.Run(match, sheets_, FormatDocket(typed));
  superseded_.insert(superseded_.end(), superseder.Superseded().begin(), superseder.Superseded().end());
  if (!ok && !runSuperseder) {
    env_.port.Error("Other versions of these sheets are still in force: they can be superseded only in the "
                    "Sheet Superseder. Nothing was written.");
    return std::nullopt;
  }
  return ok;
}

void TEditForm::OKBtnClick() {
  THeaderEdit edit;
  std::optional<uint16_t> effDate, orderDate;
  std::string docketText;
  if (!Collect(edit, effDate, orderDate, docketText)) return;  // stays open, nothing written
  if (docketChanged_ && !ConfirmSharedDockets()) return;  // stays open, nothing written
  const std::optional<bool> proceed = CheckSuperseding(edit.status, docketText);
  if (!proceed) return;  // refused with a message: stays open
  if (!*proceed) {
    PutBackClone();
    result_ = TResult::Cancel;
    Changed();
    return;
  }
  const TSaved saved = Save();
  const bool ok = WriteAsOneEdit(saved, [&] {
    if (docketChanged_) UpdateDockets(docketText, effDate, orderDate);
    if (SheetNoApplies()) {
      std::string& no = sheets_.front()->body.sheetNo;
      no = PadRight(Cut(Text(TBox::SheetNo), 6), 6) + PadRight(no, 8).substr(6, 2);
    }
    for (const TSheetPtr& s : sheets_) ApplyEdit(*s, edit, *cluster_);
  });
  if (!ok) return;  // put back; the dialog stays open
  result_ = TResult::OK;
  Changed();
}

// ---- the other commands ------------------------------------------------------------

void TEditForm::PutBackClone() {
  for (auto it = beforeClone_.rbegin(); it != beforeClone_.rend(); ++it) it->first->AttachDocket(it->second);
  beforeClone_.clear();
}

void TEditForm::CancelClick() {
  PutBackClone();
  result_ = TResult::Cancel;
  Changed();
}

void TEditForm::Clone6BtnClick() {
  if (dockets6_.size() >= 2) {
    env_.port.Error("Can't clone multiple type 6 records");
    return;
  }
  if (sheets_.empty() || dockets6_.empty()) return;
  if (endPos_ < 0) {
    // Without the chain's end the new record could not be kept in the chain.
    env_.port.Error("Corrupted chain: Bad continuation position");
    return;
  }
  if (!cluster_ || !cluster_->ReopenHdrForWrite()) {
    env_.port.Error("Can't open Hdrfile to clone type 6");
    return;
  }
  // Read again under the lock: a chain another run continued since the
  // sheets were listed no longer ends there.
  if (THdrRecord end; !cluster_->ReadHdr(endPos_, end) || end[0] != kEndRecord) {
    cluster_->CloseHdr();
    env_.port.Error("The chain of this volume was changed by another run since the sheets were listed; nothing "
                    "was changed. List the sheets again and repeat the edit");
    return;
  }
  auto entry = std::make_shared<T6Entry>();
  entry->body = dockets6_.front()->body;
  entry->docketText = dockets6_.front()->docketText;
  entry->position = -1;
  int32_t end = -1;
  bool ok = false;
  try {
    cluster_->BeginHdrEdit();
    std::optional<THdrRecord> displaced;
    const int32_t start = cluster_->ExtendChain(endPos_, displaced);
    if (displaced) cluster_->AppendHdr(*displaced);
    end = cluster_->AppendHdr(EncodeEnd());
    cluster_->LinkChain(endPos_, start);
    ok = cluster_->CommitHdrEdit();
  } catch (const EVorneError&) {
    cluster_->AbandonHdrEdit();
    env_.port.Error("Failed to clone type6 record");
  }
  cluster_->CloseHdr();
  if (!ok) return;
  endPos_ = end;
  for (const TSheetPtr& s : sheets_) {
    beforeClone_.emplace_back(s, s->Docket());
    s->AttachDocket(entry);
  }
  dockets6_.push_back(entry);
  Activate();
}

void TEditForm::Link5BtnClick() {
  if (names5Index_ < 0 || size_t(names5Index_) >= names5_.size()) {
    names5Flash_ = true;
    Changed();
    env_.port.Info("First choose a line for the name");
    return;
  }
  if (env_.port.Ask("Update all these sheets?", TButtons::OKCancel) != TAnswer::OK) return;
  const std::shared_ptr<T5Entry> chosen = names5_[size_t(names5Index_)].second;
  const TSaved saved = Save();
  const bool ok = WriteAsOneEdit(saved, [&] {
    const THeaderEdit none;  // the sheet's own fields stay as they are
    for (const TSheetPtr& s : sheets_) {
      s->AttachIssuer(chosen);
      chosen->MarkStored(chosen->position);
      ApplyEdit(*s, none, *cluster_);
    }
  });
  if (!ok) return;
  result_ = TResult::OK;
  Changed();
}

void TEditForm::Change5BtnClick() {
  if (names5Index_ < 0 || size_t(names5Index_) >= names5_.size()) {
    names5Flash_ = true;
    Changed();
    env_.port.Info("First choose a line for the name");
    return;
  }
  if (env_.port.Ask("This header record may be used by other sheets.\nUpdate anyway?", TButtons::OKCancel) !=
      TAnswer::OK)
    return;
  const std::string name = Cut(Text(TBox::NameEdit), 54);
  if (TrimBoth(name).empty()) {
    env_.port.Error("The name can't be empty");
    return;
  }
  auto& [shown, entry] = names5_[size_t(names5Index_)];
  const TSaved saved = Save();
  const bool ok = WriteAsOneEdit(saved, [&] {
    entry->name = name;
    entry->modified = true;
    entry->MarkStored(entry->position);
    entry->Write(*cluster_);
  });
  if (!ok) return;
  shown = name;
  result_ = TResult::OK;
  Changed();
}

}  // namespace vorne
