#include "sheets/Superseder.h"

#include <algorithm>
#include <set>

#include "platform/Errors.h"
#include "store/Cluster.h"
#include "store/Common.h"

namespace vorne {

bool TSheetSuperseder::Run(THdrMatch& matchList, std::vector<TSheetPtr>& editSet, const std::string& docketText) {
  volume_ = &matchList.Volume();
  cluster_ = &matchList.Cluster();
  editSet_ = &editSet;
  dependents_.clear();
  issuers_ = {};
  dockets_ = {};
  matchList.FillNames(dependents_, issuers_, dockets_);
  // The sheets being edited are pending versions of these numbers too; they
  // are what the edit decides about, never what it supersedes.
  std::set<int32_t> edited;
  for (const TSheetPtr& s : editSet)
    if (s) edited.insert(s->position);
  for (size_t i = dependents_.size(); i-- > 0;) {
    const TSheetPtr& s = dependents_[i].second;
    const auto docket = s ? s->Docket() : nullptr;
    const std::string text = docket ? docket->docketText : "";
    if (!s || edited.count(s->position) || text == docketText) dependents_.erase(dependents_.begin() + long(i));
  }
  marks_.assign(dependents_.size(), false);
  result_.reset();
  ShowCounter();
  Select(dependents_.empty() ? -1 : 0);
  if (!showModal) {
    // Nobody can be asked: going on is safe only when nothing is in force.
    result_ = dependents_.empty() ? TAnswer::OK : TAnswer::Cancel;
  } else {
    result_ = showModal(*this) ? TAnswer::OK : TAnswer::Cancel;
  }
  return result_ == TAnswer::OK;
}

bool TSheetSuperseder::SupeBtnClick() {
  std::vector<size_t> chosen;
  for (size_t i = dependents_.size(); i-- > 0;)
    if (IsMarked(i) && dependents_[i].second) chosen.push_back(i);
  if (chosen.empty() || !cluster_) return true;
  if (!cluster_->ReopenHdrForWrite()) return false;
  const uint16_t today = TodayPacked();
  std::vector<std::pair<int32_t, TSheetBody>> written;
  try {
    cluster_->BeginHdrEdit();
    for (size_t i : chosen) {
      const TSheetPtr& s = dependents_[i].second;
      // Read again under the lock: only the status and date change in what
      // the file holds now.
      THdrRecord rec;
      TSheetBody body = s->body;
      if (cluster_->ReadHdr(s->position, rec) && rec[0] == kSheetRecord) body = TSheetBody::Decode(rec);
      body.status = kSuperseded;
      body.updDate = today;
      cluster_->WriteHdr(s->position, body.Encode());
      written.emplace_back(s->position, body);
    }
  } catch (const EInOutError& e) {
    cluster_->AbandonHdrEdit();
    cluster_->CloseHdr();
    env_.port.Error("Update failed, code=" + std::to_string(e.Code()));
    return false;
  }
  const bool ok = cluster_->CommitHdrEdit();
  cluster_->CloseHdr();
  if (!ok) return false;  // the cluster has said why; the records are as they were
  for (size_t k = 0; k < chosen.size(); ++k) {
    const TSheetPtr& s = dependents_[chosen[k]].second;
    s->body = written[k].second;
    if (s->prime && s->prime->record.updated < today) s->prime->record.updated = today;
    superseded_.push_back(written[k]);
    Remove(chosen[k]);  // from the last to the first: the indexes below stay valid
  }
  ShowCounter();
  Select(dependents_.empty() ? -1 : std::min<int>(std::max(selected_, 0), int(dependents_.size()) - 1));
  return true;
}

void TSheetSuperseder::RevertBtnClick() {
  for (size_t i = dependents_.size(); i-- > 0;) {
    if (!IsMarked(i)) continue;
    const TSheetPtr& d = dependents_[i].second;
    if (d && editSet_) {
      const std::string key = MakeSheetKey(d->body.sheetNo);
      std::erase_if(*editSet_, [&](const TSheetPtr& s) { return s && MakeSheetKey(s->body.sheetNo) == key; });
    }
    Remove(i);
  }
  ShowCounter();
  Select(dependents_.empty() ? -1 : std::min<int>(std::max(selected_, 0), int(dependents_.size()) - 1));
}

void TSheetSuperseder::Remove(size_t index) {
  dependents_.erase(dependents_.begin() + long(index));
  marks_.erase(marks_.begin() + long(index));
}

void TSheetSuperseder::ShowCounter() { counter_ = std::to_string(dependents_.size()) + " sheets"; }

void TSheetSuperseder::Select(int index) {
  selected_ = index >= 0 && size_t(index) < dependents_.size() ? index : -1;
  statusField_.clear();
  docketField_.clear();
  if (selected_ >= 0) {
    if (const TSheetPtr& s = dependents_[size_t(selected_)].second) {
      statusField_ = StatusName(s->body.status);
      if (auto d = s->Docket()) docketField_ = d->docketText;
    }
  }
  Changed();
}

void TSheetSuperseder::SetMarked(size_t index, bool on) {
  if (index >= dependents_.size()) return;
  marks_.resize(dependents_.size(), false);
  marks_[index] = on;
  Changed();
}

std::optional<TLineStyle> TSheetSuperseder::LineStyle(int index) const {
  if (index < 0 || size_t(index) >= dependents_.size()) return std::nullopt;
  TLineStyle style;
  // Supersede and Don't Supersede act on the marks alone; the current line only shows its labels.
  const bool lit = IsMarked(size_t(index));
  style.marked = lit;
  style.current = index == selected_;
  style.background = lit ? TRgb{128, 128, 128} : TRgb{255, 255, 255};
  if (const TSheetPtr& s = dependents_[size_t(index)].second) {
    style.font = StatusFontStyle(s->body.status);
    style.colour = SheetTypeColour(s->body.sheetType).value_or(TRgb{0, 0, 0});
    style.statusName = StatusName(s->body.status);
  }
  return style;
}

}  // namespace vorne
