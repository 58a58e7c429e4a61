#include "shell/FindInLibrary.h"

#include "sheets/SheetList.h"
#include "shell/Main.h"
#include "store/Cluster.h"
#include "store/Common.h"
#include "store/Headers.h"

namespace vorne {

TFindInLibrary::TFindInLibrary(TMain& main) : main_(main) {}
TFindInLibrary::~TFindInLibrary() = default;

const TSheetFilter* TFindInLibrary::Filter() {
  if (!useCriteria_) return nullptr;
  // The status and date parts of the criteria alone.
  const TSelection& s = main_.State().Selection;
  criteria_ = TSelection();
  criteria_.StatusSelect = s.StatusSelect;
  criteria_.StatusSet = s.StatusSet;
  criteria_.FilingUpdatedDates = s.FilingUpdatedDates;
  criteria_.EffectiveOrderDates = s.EffectiveOrderDates;
  criteria_.DateRanges = s.DateRanges;
  return &criteria_;
}

void TFindInLibrary::Search() {
  // Typed on while the index is built (the progress lets events run): the
  // newest query is searched once it is, unless the building was cancelled.
  if (searching_) {
    again_ = true;
    return;
  }
  searching_ = true;
  do {
    again_ = false;
    SearchOnce();
  } while (again_ && !cancel_);
  again_ = false;
  searching_ = false;
}

void TFindInLibrary::SearchOnce() {
  hits_.clear();
  snippets_.clear();
  countText_.clear();
  countIsError_ = false;
  parsed_.reset();
  if (TrimBoth(query_).empty()) return Changed();
  TFileCluster* cluster = main_.Input();
  if (!main_.State().Loaded || !cluster) {
    countText_ = "No library is open";
    countIsError_ = true;
    return Changed();
  }
  if (!index_ || indexedPrime_ != cluster->PrimePath()) {
    index_ = std::make_unique<TLibraryIndex>(main_.Env(), cluster->PrimePath(), cluster->IsCompressed());
    indexedPrime_ = cluster->PrimePath();
  }
  TFindRequest request;
  request.query = query_;
  request.filter = Filter();
  if (markedOnly_) {
    for (TPrimeRef* v : main_.VolumeList().MarkedVolumes()) request.volumes.push_back(v->record.firstHdr);
  } else {
    for (const TVolumeRow& row : main_.VolumeList().Rows())
      if (row.volume) request.volumes.push_back(row.volume->record.firstHdr);
  }
  cancel_ = false;
  TFindAnswer answer = FindInLibrary(*index_, request, [this](size_t done, size_t total) {
    if (total == 0) return true;
    indexing_ = done < total;
    progress_ = {done, total};
    Changed();
    main_.Env().port.ProcessEvents();  // where Cancel is noticed
    return !cancel_;
  });
  indexing_ = false;
  if (answer.cancelled) {
    countText_ = "Indexing cancelled: the library is searched once its index is built";
    countIsError_ = true;
  } else if (!answer.error.empty()) {
    countText_ = answer.error;
    countIsError_ = true;
  } else {
    std::string error;
    parsed_ = TQuery::Parse(query_, error);
    hits_ = std::move(answer.hits);
    snippets_.resize(hits_.size());
    countText_ = std::to_string(hits_.size()) + (hits_.size() == 1 ? " sheet" : " sheets") + " found in " +
                 std::to_string(answer.time.count()) + " ms";
  }
  Changed();
}

const TSnippetParts& TFindInLibrary::SnippetOf(size_t i) {
  static const TSnippetParts kNone;
  if (i >= hits_.size() || !parsed_) return kNone;
  if (!snippets_[i]) snippets_[i] = SnippetParts(*parsed_, index_->Text(*hits_[i]), 80);
  return *snippets_[i];
}

bool TFindInLibrary::Open(size_t i) {
  TFileCluster* cluster = main_.Input();
  if (i >= hits_.size() || !cluster) return false;
  const TIndexedSheet& hit = *hits_[i];
  TPrimeRef* volume = nullptr;
  for (const auto& v : cluster->Volumes())
    if (v->record.firstHdr == hit.volumeRecord) volume = v.get();
  if (!volume) return false;
  THdrForm& list = main_.SheetList();
  THdrList sheets(*volume, Filter());
  sheets.Load();
  list.ClearList();
  list.SetCluster(cluster);
  list.FillList(sheets);
  const TNamedSheets& entries = list.Entries();
  for (size_t e = 0; e < entries.size(); ++e) {
    if (entries[e].second && entries[e].second->position == hit.position) {
      list.Show();
      list.Select(int(e));
      return true;
    }
  }
  return false;
}

std::vector<int> TFindInLibrary::LinesToMark(const std::vector<std::string>& lines) const {
  return parsed_ ? HitLines(*parsed_, lines) : std::vector<int>();
}

}  // namespace vorne
