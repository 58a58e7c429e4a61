#include "sheets/SheetList.h"

#include <algorithm>
#include <utility>

#include "store/Cluster.h"
#include "store/Errors.h"

namespace vorne {

namespace {

constexpr TRgb kWhite{255, 255, 255};
constexpr TRgb kGrey{128, 128, 128};
constexpr TRgb kBlack{0, 0, 0};
constexpr uint8_t kRateSheet = 3;

std::string Cut(const std::string& s, size_t n) { return s.substr(0, std::min(s.size(), n)); }

}  // namespace

TFontStyle StatusFontStyle(int status) {
  TFontStyle f;
  switch (status) {
    case kSuperseded:
    case kRejected:
    case kWithdrawn:
      f.strikeOut = true;
      break;
    case kEffective:
      f.bold = true;
      break;
    case kPending:
      f.italic = true;
      break;
    case kDeleted:
      f.italic = true;
      f.strikeOut = true;
      break;
    default:
      break;
  }
  return f;
}

std::optional<TRgb> SheetTypeColour(int sheetType) {
  static constexpr TRgb kColours[] = {
      {0, 0, 0},      {128, 0, 0},   {0, 128, 0},   {255, 0, 0},   {0, 0, 255},
      {0, 128, 128},  {255, 0, 255}, {0, 255, 0},   {128, 0, 128}, {128, 128, 128},
  };
  if (sheetType < 1 || sheetType > 10) return std::nullopt;
  return kColours[sheetType - 1];
}

// ---- creation and layout ------------------------------------------------------

THdrForm::THdrForm(TEnv& env, uint8_t runMode, const std::function<void()>& restoreSelectionDefaults)
    : env_(env), runMode_(runMode) {
  if (restoreSelectionDefaults) restoreSelectionDefaults();
  RefreshMultiState();
  SetRunMode(runMode);
}

void THdrForm::SetRunMode(uint8_t mode) {
  runMode_ = mode;
  switch (mode) {
    case kBrowse:
      page_ = TPage::SheetList;
      multiColumn_ = false;
      listVisible_ = true;
      eliminateVisible_ = false;
      runLabelVisible_ = false;
      gaugeVisible_ = false;
      SetFancyStyle();
      break;
    case kCopy:
    case kAddFiling:
    case kDeleteSheets:
      hints_ = false;
      SetPlainStyle();
      SetMultiSelect(false);
      if (mode == kDeleteSheets) listVisible_ = true;
      break;
    case kVerify:
    case kTest:
    case kErrorsOnly:
      page_ = TPage::TechStuff;
      eliminateVisible_ = true;
      runLabelVisible_ = false;
      break;
    case kHtml:
    case kPrintToFile:
      listVisible_ = false;
      break;
    default:
      break;
  }
  Changed();
}

void THdrForm::Activate() {
  hints_ = true;
  SetRunMode(runMode_);
  if (runMode_ == kBrowse && !entries_.empty()) {
    if (selected_ < 0 || size_t(selected_) >= entries_.size()) selected_ = 0;
    if (const TSheetPtr& sheet = entries_[size_t(selected_)].second) caption_ = DisplayVolume(*sheet);
  }
  Changed();
}

// ---- operations the run calls -----------------------------------------------

void THdrForm::ClearList() {
  entries_.clear();
  marks_.clear();
  endPositions_.clear();
  selected_ = -1;
  top_ = 0;
  searchPos_ = 0;
  multiColumn_ = false;
  hints_ = false;
  // An empty list says so: the last run's volume and count are not this run's.
  caption_ = "Tariff Sheet List";
  statusText_ = "\tNo Sheets";
  // The entries of sheets no longer listed: a new fill gathers its own, once each.
  issuers_ = {};
  dockets_ = {};
  Changed();
}

void THdrForm::SetCluster(TFileCluster* cluster) {
  cluster_ = cluster;
  issuers_ = {};
  dockets_ = {};
}

int32_t THdrForm::EndPosOf(const TPrimeRef* volume) const {
  for (const auto& [v, pos] : endPositions_)
    if (v == volume) return pos;
  return -1;
}

void THdrForm::SetEndPosOf(const TPrimeRef* volume, int32_t pos) {
  if (volume == volume_) endPos_ = pos;
  for (auto& [v, end] : endPositions_)
    if (v == volume) {
      end = pos;
      return;
    }
  endPositions_.emplace_back(volume, pos);
}

void THdrForm::FillList(THdrList& list) {
  enoughVisible_ = true;
  Changed();
  env_.port.ProcessEvents();
  const size_t first = entries_.size();
  volume_ = &list.Volume();
  endPos_ = list.EndPos();
  SetEndPosOf(volume_, endPos_);
  try {
    list.FillNames(entries_, issuers_, dockets_);
  } catch (...) {
    // Keep what was read listed and counted, so the list stays consistent.
    marks_.resize(entries_.size(), false);
    ShowCount(int(entries_.size()));
    throw;
  }
  marks_.resize(entries_.size(), false);
  if (!entries_.empty()) hints_ = true;
  if (entries_.size() > first) {
    top_ = int(first);
    Select(int(first));
  }
  if (auto line = FirstVolumeLine()) caption_ = *line;
  ShowCount(int(entries_.size()));
  multiColumn_ = runMode_ == kTest;
  Changed();
}

void THdrForm::AddCopiedLine(const std::string& text) {
  entries_.emplace_back(Cut(text, 40), nullptr);
  marks_.resize(entries_.size(), false);
  ++gauge_;
  ShowCount(int(entries_.size()));
}

void THdrForm::ShowRunLabel(const std::string& text) {
  runLabel_ = Cut(text, 20);
  runLabelVisible_ = true;
  Changed();
}

void THdrForm::ShowCount(int count) {
  statusText_ = count < 1 ? "\tNo Sheets" : std::to_string(count) + " Sheets";
  Changed();
}

TSheetPtr THdrForm::GetSelectedSheet() {
  if (entries_.empty()) {
    env_.port.Info("Sheet header list is empty");
    return nullptr;
  }
  if (selected_ < 0 || size_t(selected_) >= entries_.size() || !entries_[size_t(selected_)].second) {
    env_.port.Info("No sheet selected");
    return nullptr;
  }
  return entries_[size_t(selected_)].second;
}

bool THdrForm::SelectNext() {
  bool moved = false;
  if (selected_ < int(entries_.size()) - 1) {
    Select(selected_ + 1);
    moved = true;
  }
  searchPos_ = selected_;
  return moved;
}

bool THdrForm::SelectPrevious() {
  bool moved = false;
  if (selected_ > 0 && size_t(selected_) < entries_.size()) {
    Select(selected_ - 1);
    moved = true;
  }
  searchPos_ = selected_;
  return moved;
}

TNamedSheets THdrForm::SelectedSheets() {
  TNamedSheets chosen;
  for (size_t i = 0; i < entries_.size(); ++i)
    if (IsMarked(i)) chosen.push_back(entries_[i]);
  if (chosen.size() < 2) env_.port.Info("press Go Multi button to select more than one sheet");
  return chosen;
}

bool THdrForm::MarkDeleted() {
  // An empty list counts as Cancel.
  if (entries_.empty()) return true;
  TAnswer a = env_.port.Ask("Mark these " + std::to_string(entries_.size()) + " sheets Deleted",
                            TButtons::OKCancelAbort);
  if (a == TAnswer::Abort) return false;
  if (a != TAnswer::OK) return true;

  TFileCluster* cluster = cluster_;
  for (size_t i = 0; !cluster && i < entries_.size(); ++i)
    if (const TSheetPtr& s = entries_[i].second; s && s->prime) cluster = s->prime->cluster;
  if (!cluster) return true;  // only copied lines: nothing on disk to mark
  // A run that marks several volumes has begun one edit under the lock for
  // all of them and commits it at its end; alone, this is an edit of its own.
  const bool ownEdit = !cluster->InHdrEdit();
  if (ownEdit) {
    if (!cluster->LockForChange()) return false;  // the cluster has said why
    try {
      cluster->Reload();  // the counts lowered below are the stored ones
    } catch (const EInOutError& e) {
      cluster->Unlock();
      env_.port.Error(e.what());
      return false;
    }
    cluster->BeginHdrEdit();
  }

  // Each record is read again under the lock and only its status changes:
  // what another run wrote into it since the list was loaded stays. A sheet
  // that was already Deleted is not counted again, so the volume's count
  // never drops below its live sheets.
  std::vector<TSheet*> marked;
  std::vector<std::pair<TPrimeRef*, int>> counts;
  std::vector<std::pair<TPrimeRef*, uint16_t>> oldCounts;
  bool landed = false;
  try {
    for (auto& [text, sheet] : entries_) {
      THdrRecord rec;
      if (!sheet || sheet->position < 0 || !cluster->ReadHdrKeepingPlace(sheet->position, rec) ||
          rec[0] != kSheetRecord)
        continue;
      TSheetBody body = TSheetBody::Decode(rec);
      marked.push_back(sheet.get());
      if (body.status == kDeleted) continue;
      body.status = kDeleted;
      cluster->WriteHdr(sheet->position, body.Encode());
      if (!sheet->prime || !cluster->Holds(sheet->prime)) continue;
      auto at = std::find_if(counts.begin(), counts.end(), [&](const auto& c) { return c.first == sheet->prime; });
      if (at == counts.end())
        counts.emplace_back(sheet->prime, 1);
      else
        ++at->second;
    }
    for (auto& [ref, n] : counts) {
      oldCounts.emplace_back(ref, ref->record.sheetCount);
      ref->AddToCount(-std::min<int>(n, ref->record.sheetCount));
    }
    landed = !ownEdit || cluster->CommitHdrEdit();
  } catch (const EInOutError& e) {
    cluster->AbandonHdrEdit();
    env_.port.Error(e.what());
  }
  if (ownEdit) {
    cluster->CloseHdr();
    cluster->Unlock();
  }
  if (!landed) {
    for (auto& [ref, n] : oldCounts) ref->record.sheetCount = n;
    return false;  // a disk that refused these refuses the next volume too
  }
  for (TSheet* sheet : marked) sheet->body.status = kDeleted;
  Changed();
  return true;
}

void THdrForm::SetVolumeCaption(const std::string& text) {
  if (DrawnMode()) {
    caption_ = text;
  } else {
    // Lines added by a copy or import have no sheet to take the volume from.
    caption_ = FirstVolumeLine().value_or(Cut(text, 45));
  }
  Show();
}

bool THdrForm::ChooseSheetsToProcess() {
  auto markedCount = [this] {
    size_t n = 0;
    for (size_t i = 0; i < entries_.size(); ++i) n += IsMarked(i) ? 1 : 0;
    return n;
  };
  bool proceed = multiSelect_ && markedCount() > 0;
  SetMultiSelect(true);
  if (markedCount() >= 2) return proceed;
  const TAnswer all = env_.port.Ask("Process all these sheets?", TButtons::YesNoCancel);
  if (all == TAnswer::Yes) {
    AllBtnClick();
    return true;
  }
  if (all == TAnswer::No) {
    if (markedCount() == 1 && env_.port.Ask("Process this one sheet?", TButtons::YesNoCancel) == TAnswer::Yes)
      return true;
    env_.port.Info("Multiselect is on. Mark the desired sheets");
  }
  // Cancel, or No twice: an entry already marked in multi-select goes ahead.
  return proceed;
}

void THdrForm::SheetsRewritten(const std::vector<std::pair<int32_t, TSheetBody>>& records) {
  for (const auto& [pos, body] : records)
    for (auto& [text, sheet] : entries_)
      if (sheet && sheet->position == pos && sheet->prime && sheet->prime->cluster == cluster_) sheet->body = body;
  Changed();
}

void THdrForm::ExportList(THdrList& list, const std::string& company, const TLineWriter& file,
                          const std::string& volume, const TRestOfLine& restOfLine) {
  ClearList();
  SetPlainStyle();
  FillList(list);
  const std::string prefix = "\"" + company + "\",\"" + volume + "\",\"";
  for (const auto& [text, sheet] : entries_)
    if (sheet) file(prefix + restOfLine(text, *sheet));
}

std::string THdrForm::CopySheetListClick() const {
  std::string out;
  std::optional<std::string> company;
  for (const auto& [text, sheet] : entries_) {
    if (sheet) {
      std::string code = CompanyCodeText(*sheet);
      if (code != company) {
        out += DisplayVolume(*sheet) + "\n";
        company = std::move(code);
      }
    }
    out += text + "\n";
  }
  return out;
}

// ---- the list -----------------------------------------------------------------

void THdrForm::Select(int index) {
  if (index < 0 || size_t(index) >= entries_.size()) {
    selected_ = -1;
    Changed();
    return;
  }
  selected_ = index;
  if (const TSheetPtr& sheet = entries_[size_t(index)].second) {
    typeLabel_ = SheetTypeName(sheet->body.sheetType);
    statusLabel_ = StatusName(sheet->body.status);
    if (onSheetCurrent) onSheetCurrent(sheet);
  }
  Changed();
}

void THdrForm::ListClick(int index) {
  Select(index);
  if (selected_ >= 0)
    if (const TSheetPtr& sheet = entries_[size_t(selected_)].second) caption_ = DisplayVolume(*sheet);
  Changed();
}

bool THdrForm::IsMarked(size_t index) const {
  if (index >= entries_.size()) return false;
  if (!multiSelect_) return int(index) == selected_;
  return index < marks_.size() && marks_[index];
}

void THdrForm::SetMarked(size_t index, bool on) {
  if (index >= entries_.size()) return;
  if (!multiSelect_) {
    if (on) Select(int(index));
    return;
  }
  marks_.resize(entries_.size(), false);
  marks_[index] = on;
  Changed();
}

std::optional<TLineStyle> THdrForm::LineStyle(int index) const {
  if (index < 0 || size_t(index) >= entries_.size()) return std::nullopt;
  TLineStyle style;
  // In multi-select only the marks are lit: the current line is no mark.
  const bool lit = IsMarked(size_t(index));
  style.marked = lit;
  style.current = index == selected_;
  style.background = lit ? kGrey : kWhite;
  style.colour = kBlack;
  if (const TSheetPtr& sheet = entries_[size_t(index)].second) {
    if (lit && sheet->body.sheetType == kRateSheet) style.background = kBlack;
    style.font = StatusFontStyle(sheet->body.status);
    style.colour = SheetTypeColour(sheet->body.sheetType).value_or(kBlack);
    style.statusName = StatusName(sheet->body.status);
  }
  return style;
}

// ---- buttons ----------------------------------------------------------------

void THdrForm::multiBtnClick() { SetMultiSelect(!multiSelect_); }

void THdrForm::SetMultiSelect(bool on) {
  if (on != multiSelect_) {
    // The selected line stays marked when marking starts; leaving drops the marks.
    marks_.assign(entries_.size(), false);
    if (on && selected_ >= 0 && size_t(selected_) < entries_.size()) marks_[size_t(selected_)] = true;
    multiSelect_ = on;
  }
  RefreshMultiState();
  Changed();
}

void THdrForm::AllBtnClick() {
  SetMultiSelect(true);
  marks_.assign(entries_.size(), true);
  Changed();
}

void THdrForm::PlainClick() {
  if (ownerDrawn_)
    SetPlainStyle();
  else
    SetFancyStyle();
  Changed();
}

void THdrForm::SetPlainStyle() {
  ownerDrawn_ = false;
  plainCaption_ = "Fancy";
  statusLabelVisible_ = false;
  Changed();
}

void THdrForm::SetFancyStyle() {
  ownerDrawn_ = true;
  plainCaption_ = "go Plain";
  statusLabelVisible_ = true;
  RefreshMultiState();
}

void THdrForm::RefreshMultiState() {
  annotateVisible_ = multiSelect_;
  multiHint_ = multiSelect_ ? "Turn off multiSelect" : "Press this button to select multiple sheets, e.g. for printing.";
  multiCaption_ = multiSelect_ ? "in Multi" : "go Multi";
}

void THdrForm::EnoughClick() {
  stop_ = true;
  if (onEnough) onEnough();
}

void THdrForm::HideEnough() {
  enoughVisible_ = false;
  Changed();
}

void THdrForm::Show() {
  visible_ = true;
  Changed();
}

std::optional<std::string> THdrForm::FirstVolumeLine() const {
  if (entries_.empty() || !entries_.front().second) return std::nullopt;
  return DisplayVolume(*entries_.front().second);
}

}  // namespace vorne
