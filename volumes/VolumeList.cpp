#include "volumes/VolumeList.h"

#include <algorithm>
#include <exception>

#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "store/Cluster.h"
#include "store/Common.h"
#include "store/Errors.h"
#include "volumes/Selectors.h"

namespace vorne {

// ---- free helpers ----------------------------------------------------------------------

const std::array<TColumnInfo, 7>& VolumeListColumns() {
  static const std::array<TColumnInfo, 7> kColumns = {{
      {"Company Name", 300, false},
      {"Tariff Volume", 100, false},
      {"ID", 60, false},
      {"sheets", 52, true},
      {"From", 58, true},
      {"To", 58, true},
      {"Updated", 76, true},
  }};
  return kColumns;
}

std::string UpdatedText(uint16_t packed) {
  if (packed != 0 && !IsValidPacked(packed)) return "00/00/19**";
  return ShortDate(UnpackDate(packed));
}

std::string ElapsedText(std::chrono::seconds elapsed) {
  long long s = elapsed.count() < 0 ? 0 : elapsed.count();
  return std::to_string(s / 3600) + ":" + std::to_string(s / 60 % 60) + ":" + std::to_string(s % 60) + " Elapsed";
}

std::string ListHint(int runMode) {
  switch (runMode) {
    case 4:
      return "";
    case 10:
      return "Highlight this line to delete it";
    case 11:
      return "Highlight this line to delete selected sheets";
    default:
      return "Select a line and double-click, or several and press Go";
  }
}

namespace {

// The date of an "Updated" text; a text that is no date sorts before every date.
double UpdatedSerial(const std::string& text) {
  std::optional<TDate> d = ParseShortDate(text);
  if (!d || !IsValidDate(d->year, d->month, d->day)) return -1.0;
  return DateToSerial(*d);
}

// Character codes compared as unsigned bytes (Windows-1252).
int CompareBytes(const std::string& a, const std::string& b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// The company-name order. Equal names keep prime-file order, so the sort
// is a valid ordering and stable across re-sorts.
bool NameBefore(const TVolumeRow& a, const TVolumeRow& b) {
  if (int c = CompareBytes(a.caption, b.caption)) return c < 0;
  return a.fileOrder < b.fileOrder;
}

// Negative when a comes first: the later date first.
int CompareUpdated(const TVolumeRow& a, const TVolumeRow& b) {
  double da = UpdatedSerial(a.columns[kColUpdated]), db = UpdatedSerial(b.columns[kColUpdated]);
  if (da == db) return 0;
  return da > db ? -1 : 1;
}

// Same ID and same date compare equal (rows then keep their current order).
bool CodeBefore(const TVolumeRow& a, const TVolumeRow& b) {
  if (int c = CompareBytes(a.columns[kColId], b.columns[kColId])) return c < 0;
  return CompareUpdated(a, b) < 0;
}

bool UpdateBefore(const TVolumeRow& a, const TVolumeRow& b) {
  if (int c = CompareUpdated(a, b)) return c < 0;
  return NameBefore(a, b);
}

TVolumeRow MakeRow(TPrimeRef& ref) {
  const TPrimeRecord& r = ref.record;  // CompanyName already normalised
  TVolumeRow row;
  row.caption = r.companyName;
  row.columns[kColVolume] = VolumeCaption(r);
  row.columns[kColId] = CompanyCodeText(r);
  row.columns[kColSheets] = std::to_string(r.sheetCount);
  row.columns[kColFrom] = StripLead(r.fromSheet);
  row.columns[kColTo] = StripLead(r.toSheet);
  row.columns[kColUpdated] = UpdatedText(r.updated);
  row.volume = &ref;
  row.fileOrder = ref.recNo < 0 ? 0 : size_t(ref.recNo);
  return row;
}

}  // namespace

// ---- TFromDisplay -------------------------------------------------------------------------

TFromDisplay::TFromDisplay(TEnv& env) : env_(env) {}

void TFromDisplay::Changed() {
  if (onChanged) onChanged();
}

void TFromDisplay::SetStatus(int panel, std::string text) { status_[size_t(panel)] = std::move(text); }

std::chrono::steady_clock::time_point TFromDisplay::Now() const {
  return clock_ ? clock_() : std::chrono::steady_clock::now();
}

void TFromDisplay::ResetDockets() {
  if (panel_) panel_->ResetDocketSelection();
}

// ---- filling ----------------------------------------------------------------------------------

void TFromDisplay::Clear() {
  rows_.clear();
  cluster_ = nullptr;
  current_ = nullptr;
  focused_.reset();
  SetStatus(0, "");  // the last volume of the library that was open names nothing here now
  Counts();
  Changed();
}

void TFromDisplay::Fill(TFileCluster& cluster, const TFillOptions& options) {
  rows_.clear();
  rowsHidden_ = false;
  focused_.reset();
  current_ = nullptr;  // the references are about to be replaced
  cluster_ = &cluster;
  // Every volume enters the cluster's lookup, so a later rewrite of the
  // prime file from the cluster's list never loses an excluded volume.
  try {
    cluster.ReadAll();
  } catch (const EInOutError&) {
    Counts();
    Changed();
    throw;
  }
  std::vector<TPrimeRef*> inFileOrder;
  for (const auto& v : cluster.Volumes()) inFileOrder.push_back(v.get());
  std::stable_sort(inFileOrder.begin(), inFileOrder.end(),
                   [](const TPrimeRef* a, const TPrimeRef* b) { return a->recNo < b->recNo; });
  for (TPrimeRef* ref : inFileOrder) {
    const std::string& name = ref->record.companyName;
    bool excluded = std::any_of(options.nameList.begin(), options.nameList.end(),
                                [&](const std::string& n) { return EqualNoCase(n, name); });
    if (excluded || (options.keep && !options.keep(ref->record))) continue;
    rows_.push_back(MakeRow(*ref));
  }
  Sort(options.splitFlag ? kSortByCode : kSortByName);
  stopRequested_ = false;
  Counts();
  Changed();
}

// ---- rows ---------------------------------------------------------------------------------------

void TFromDisplay::RemoveRow(size_t row) {
  if (row >= rows_.size()) return;
  rows_.erase(rows_.begin() + long(row));
  if (focused_) {
    if (*focused_ == row)
      focused_.reset();
    else if (*focused_ > row)
      --*focused_;
  }
  Changed();
}

void TFromDisplay::SetMarked(size_t row, bool on) {
  if (row >= rows_.size()) return;
  rows_[row].marked = on;
  Changed();
}

size_t TFromDisplay::MarkedCount() const {
  return size_t(std::count_if(rows_.begin(), rows_.end(), [](const TVolumeRow& r) { return r.marked; }));
}

std::vector<TPrimeRef*> TFromDisplay::MarkedVolumes() const {
  std::vector<TPrimeRef*> out;
  for (const TVolumeRow& r : rows_)
    if (r.marked) out.push_back(r.volume);
  return out;
}

void TFromDisplay::SetFocused(std::optional<size_t> row) {
  if (row && *row >= rows_.size()) row.reset();
  focused_ = row;
}

// ---- sorting ------------------------------------------------------------------------------------

void TFromDisplay::Sort(int sortKey) {
  sortKey_ = sortKey;
  std::optional<TPrimeRef*> focusedVolume;
  if (focused_) focusedVolume = rows_[*focused_].volume;
  switch (sortKey) {
    case kSortByCode:
      std::stable_sort(rows_.begin(), rows_.end(), CodeBefore);
      break;
    case kSortByUpdate:
      std::stable_sort(rows_.begin(), rows_.end(), UpdateBefore);
      break;
    default:
      sortKey_ = kSortByName;
      std::stable_sort(rows_.begin(), rows_.end(), NameBefore);
      break;
  }
  // The focus stays on its volume.
  if (focusedVolume) {
    focused_.reset();
    for (size_t i = 0; i < rows_.size(); ++i)
      if (rows_[i].volume == *focusedVolume) focused_ = i;
  }
  Changed();
}

void TFromDisplay::ColumnClick(size_t column) {
  const auto& columns = VolumeListColumns();
  std::string caption = column < columns.size() ? columns[column].caption : "";
  int key = caption == "ID" ? kSortByCode : caption == "Updated" ? kSortByUpdate : kSortByName;
  if (key == kSortByName && sortKey_ == kSortByName) return;
  SetStatus(0, key == kSortByCode     ? "Sorted by company code"
               : key == kSortByUpdate ? "Sorted by last update"
                                      : "Sorted by company name");
  Sort(key);
}

// ---- marking -------------------------------------------------------------------------------------

void TFromDisplay::RowClick(std::optional<size_t> row) {
  unselectVisible_ = true;
  size_t at = row.value_or(focused_.value_or(0));
  if (at < rows_.size()) {
    focused_ = at;
    rows_[at].marked = true;
    TPrimeRef* clicked = rows_[at].volume;
    if (clicked != current_) ResetDockets();
    current_ = clicked;
  }
  Counts();
  Changed();
}

void TFromDisplay::Unselect() {
  if (panel_) panel_->DisableDocketBox();
  for (TVolumeRow& r : rows_) r.marked = false;
  SetStatus(1, "No Sheets, out of " + std::to_string(sheetTotal_));
  Changed();
}

void TFromDisplay::SelectAll() {
  for (TVolumeRow& r : rows_) r.marked = true;
  Counts();
  Changed();
}

size_t TFromDisplay::SelectById(int64_t id) {
  const std::string text = ZeroPad(id, 6);
  size_t found = 0;
  for (TVolumeRow& r : rows_)
    if (r.columns[kColId] == text) r.marked = true, ++found;
  ResetDockets();
  Counts();
  Changed();
  return found;
}

int64_t TFromDisplay::MarkedSheetSum() const {
  int64_t sum = 0;
  for (const TVolumeRow& r : rows_)
    if (r.marked && r.volume) sum += r.volume->record.sheetCount;
  return sum;
}

void TFromDisplay::Counts() {
  sheetTotal_ = 0;
  for (const TVolumeRow& r : rows_)
    if (r.volume) sheetTotal_ += r.volume->record.sheetCount;
  SetStatus(1, std::to_string(rows_.size()) + " vols; " + std::to_string(MarkedSheetSum()) + " Sheets, out of " +
                   std::to_string(sheetTotal_));
}

// ---- controls ------------------------------------------------------------------------------------

void TFromDisplay::ApplyExpertMode(bool expert) {
  expertMode_ = expert;
  Changed();
}

void TFromDisplay::EnoughClick() { stopRequested_ = true; }

bool TFromDisplay::UpdateCodes(const std::function<void(TPrimeRef&)>& editPrime) {
  if (rows_.empty()) {
    env_.port.Warn("No Volumes Listed");
    return false;
  }
  size_t at = focused_.value_or(0);
  TVolumeRow& row = rows_[at];
  if (editPrime && row.volume) editPrime(*row.volume);
  if (row.volume) {
    // Every column follows the edited record, not only the name.
    RefreshRow(row);
    row.caption = NormalizeCompanyName(row.volume->record.companyName);
  }
  Counts();
  Changed();
  return true;
}

void TFromDisplay::RefreshRow(TVolumeRow& row) {
  const bool marked = row.marked;
  row = MakeRow(*row.volume);
  row.marked = marked;
}

void TFromDisplay::RefreshRows() {
  for (TVolumeRow& row : rows_)
    if (row.volume) RefreshRow(row);
  Changed();
}

void TFromDisplay::SetGaugeVisible(bool on) {
  gaugeVisible_ = on;
  Changed();
}

void TFromDisplay::SetGaugeMax(int64_t max) {
  gaugeMax_ = max;
  gaugePos_ = 0;
  Changed();
}

void TFromDisplay::AdvanceGauge(int64_t by) { gaugePos_ += by; }

// ---- the volume list export ----------------------------------------------------------------

std::string TFromDisplay::VolumeListText() const {
  std::string text;
  for (const TVolumeRow& r : rows_)
    text += r.caption + "\t" + r.columns[kColId] + "\t" + r.columns[kColUpdated] + "\r\n";
  return text;
}

void TFromDisplay::SendListToFile(const std::string& path) { env_.fs.ReplaceFile(MapPath(path), VolumeListText()); }

bool TFromDisplay::SendList(const std::string& volsToPath) {
  std::string path = volsToPath;
  if (path.empty()) {
    std::optional<std::string> chosen = env_.port.ChooseSaveFile({"Send List to File", "TVolumes.tab", "*.tab"});
    if (!chosen || chosen->empty()) return false;
    path = *chosen;
  }
  try {
    SendListToFile(path);
  } catch (const EInOutError& e) {
    env_.port.Error(e.what());
    return false;
  }
  env_.port.Info("Saved to " + path);
  return true;
}

// ---- running -----------------------------------------------------------------------------------

void TFromDisplay::ShowElapsed() {
  SetStatus(2, ElapsedText(std::chrono::duration_cast<std::chrono::seconds>(Now() - start_)));
  Changed();
}

TGoResult TFromDisplay::Go() {
  if (!steps_) return TGoResult::NoSteps;
  try {
    steps_->BeforeGo(*this);
    if (MarkedCount() == 0 && steps_->NeedsMarkedRows()) {
      env_.port.Warn("No tariff volumes are selected");
      steps_->UncheckAllBox();
      return TGoResult::NothingMarked;
    }
    bool prepared = Run();
    steps_->UncheckAllBox();
    return prepared ? TGoResult::Ran : TGoResult::NotPrepared;
  } catch (const EVorneError& e) {
    // A failure the run did not report itself (in Prepare or Finish).
    if (appEnding_) throw;
    env_.port.Error(e.what());
    steps_->UncheckAllBox();
    return TGoResult::NotPrepared;
  } catch (const std::exception&) {
    // An unexpected fault leaves the program's state in doubt.
    if (appEnding_) throw;
    env_.port.Error("Memory protection fault, WinVORNE error, closing");
    return TGoResult::Fatal;
  }
}

bool TFromDisplay::Run() {
  if (!steps_ || running_) return false;
  start_ = Now();
  if (!steps_->Prepare(*this)) return false;
  if (steps_->ArmsStopButton()) {
    enoughVisible_ = true;
    stopRequested_ = false;
  }
  running_ = true;
  gaugeVisible_ = true;
  SetGaugeMax(MarkedSheetSum());
  struct TRunning {
    TFromDisplay& list;
    ~TRunning() {
      list.running_ = false;
      list.enoughVisible_ = false;
      list.gaugeVisible_ = false;
    }
  } running{*this};
  TBusy busy(env_.port);
  if (steps_->StepsThroughVolumes()) {
    try {
      EachVolume();
    } catch (const EVorneError& e) {
      // The step's failure ends the loop; the mode still finishes.
      env_.port.Error(e.what());
    }
  }
  enoughVisible_ = false;
  // The steps may have changed the volumes (sheets deleted, copied, added)
  // and taken marks off: every row and count shows the library as it is now,
  // before Finish says what the run did.
  for (TVolumeRow& row : rows_)
    if (row.volume) RefreshRow(row);
  Counts();
  if (MarkedCount() == 0) SetStatus(1, "No Sheets, out of " + std::to_string(sheetTotal_));
  steps_->Finish(*this);
  gaugeVisible_ = false;
  Changed();
  return true;
}

void TFromDisplay::EachVolume() {
  size_t i = 0;
  while (i < rows_.size()) {
    TVolumeRow& row = rows_[i];
    TPrimeRef* volume = row.volume;
    SetStatus(0, row.caption);
    current_ = volume;
    const int64_t sheets = volume ? volume->record.sheetCount : 0;
    if (!row.marked || !volume) {
      AdvanceGauge(sheets);
      env_.port.ProcessEvents();
      ++i;
      continue;
    }
    Changed();
    bool goOn = true;
    if (!appEnding_) goOn = steps_->EachVolume(*this, i, *volume);
    env_.port.ProcessEvents();
    if (!goOn || stopRequested_ || appEnding_) break;
    AdvanceGauge(sheets);
    // A step that removed its row leaves the next row at the same index.
    if (i < rows_.size() && rows_[i].volume == volume) ++i;
  }
  Changed();
}

}  // namespace vorne
