#include "shell/DeleteRuns.h"

#include <algorithm>

#include "platform/Errors.h"
#include "sheets/SheetList.h"
#include "shell/BasicRuns.h"
#include "shell/RunState.h"
#include "store/Cluster.h"
#include "store/Records.h"
#include "volumes/VolumeList.h"

namespace vorne {

// ---- whole volumes -------------------------------------------------------------------

bool TDeleteVolumesRun::Prepare(TRunContext& main, TFromDisplay&) {
  removed_.clear();
  main.Windows().deletedVolumes = 0;
  main.Windows().deleteFailed = false;
  return main.Env().port.Ask(kDeleteVolumesWarning, TButtons::OKCancel) == TAnswer::OK;
}

bool TDeleteVolumesRun::EachVolume(TRunContext&, TFromDisplay& list, size_t row, TPrimeRef& volume) {
  removed_.push_back(&volume);
  list.RemoveRow(row);
  return true;
}

void TDeleteVolumesRun::Finish(TRunContext& main, TFromDisplay& list) {
  TFileCluster* cluster = list.Cluster();
  if (!cluster || removed_.empty()) return;
  TEnv& env = main.Env();
  // The sheets a window still lists belong to references about to be replaced.
  main.SheetList().ClearList();
  main.Windows().deleteFailed = true;
  if (cluster->LockForChange()) {
    struct TUnlock {
      TFileCluster& c;
      ~TUnlock() { c.Unlock(); }
    } unlock{*cluster};
    try {
      // What another run wrote since the list was read stays: the prime file
      // is read again under the lock and only the removed volumes leave it.
      cluster->Reload();
      // The library's own volume list, not the rows: volumes the exclusion
      // list keeps off the list are volumes of the library all the same.
      std::vector<TPrimeRef*> keep;
      for (const auto& v : cluster->Volumes())
        if (std::find(removed_.begin(), removed_.end(), v.get()) == removed_.end()) keep.push_back(v.get());
      std::stable_sort(keep.begin(), keep.end(),
                       [](const TPrimeRef* a, const TPrimeRef* b) { return a->recNo < b->recNo; });
      const int removed = int(cluster->Volumes().size() - keep.size());
      if (cluster->RewriteInOrder(keep)) {
        main.Windows().deletedVolumes = removed;
        main.Windows().deleteFailed = false;
      }
    } catch (const EInOutError& e) {
      env.port.Error(e.what());
    }
  }
  removed_.clear();
  // The list shows what the prime file now holds (all of it again when the
  // rewrite failed).
  try {
    list.Fill(*cluster, VolumeListOptions(main.State()));
  } catch (const EInOutError& e) {
    env.port.Error(e.what());
  }
  main.Windows().Changed();
}

// ---- selected sheets -----------------------------------------------------------------

bool TDeleteSheetsRun::Prepare(TRunContext& main, TFromDisplay& list) {
  main.Windows().deletedSheets = 0;
  main.Windows().deleteFailed = false;
  cluster_ = nullptr;
  counts_.clear();
  if (!main.State().ExpertMode) {
    main.Env().port.Warn("Deleting sheets needs ExpertMode");
    return false;
  }
  TFileCluster* cluster = list.Cluster();
  if (!cluster) return true;
  if (!cluster->LockForChange()) return false;  // it has said why
  try {
    cluster->Reload();  // the counts the edit lowers are the stored ones
  } catch (const EInOutError& e) {
    cluster->Unlock();
    main.Env().port.Error(e.what());
    return false;
  }
  for (const auto& v : cluster->Volumes()) counts_.emplace_back(v.get(), v->record.sheetCount);
  cluster->BeginHdrEdit();
  cluster_ = cluster;
  return true;
}

static size_t LiveSheets(const THdrForm& form) {
  size_t n = 0;
  for (const auto& entry : form.Entries())
    if (entry.second && entry.second->body.status != kDeleted) ++n;
  return n;
}

bool TDeleteSheetsRun::EachVolume(TRunContext& main, TFromDisplay&, size_t, TPrimeRef& volume) {
  THdrForm& form = main.SheetList();
  form.ClearList();
  form.Show();
  if (!LoadSelectedSheets(main, volume)) return true;
  const size_t before = LiveSheets(form);
  const bool goOn = form.MarkDeleted();
  main.Windows().deletedSheets += int(before - LiveSheets(form));
  main.Windows().Changed();
  return goOn;
}

void TDeleteSheetsRun::Finish(TRunContext& main, TFromDisplay& list) {
  TFileCluster* cluster = std::exchange(cluster_, nullptr);
  if (!cluster) return;
  bool landed = false;
  if (cluster->InHdrEdit()) {
    try {
      landed = cluster->CommitHdrEdit();  // it says why when it fails
    } catch (const EInOutError& e) {
      cluster->AbandonHdrEdit();
      main.Env().port.Error(e.what());
    }
  }
  cluster->CloseHdr();
  cluster->Unlock();
  if (!landed) {
    // Nothing of the run reached the library: what the windows show goes back with it.
    for (auto& [ref, n] : counts_) ref->record.sheetCount = n;
    main.SheetList().ClearList();
    main.Windows().deleteFailed = main.Windows().deletedSheets > 0;
    main.Windows().deletedSheets = 0;
  }
  counts_.clear();
  list.RefreshRows();
  main.Windows().Changed();
}

}  // namespace vorne
