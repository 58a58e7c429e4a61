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
  // The library's own volume list, not the rows: volumes the exclusion list
  // keeps off the list are volumes of the library all the same.
  std::vector<TPrimeRef*> keep;
  for (const auto& v : cluster->Volumes())
    if (std::find(removed_.begin(), removed_.end(), v.get()) == removed_.end()) keep.push_back(v.get());
  std::stable_sort(keep.begin(), keep.end(), [](const TPrimeRef* a, const TPrimeRef* b) { return a->recNo < b->recNo; });
  const size_t removed = removed_.size();
  removed_.clear();
  // The sheets a window still lists belong to references about to be replaced.
  main.SheetList().ClearList();
  TEnv& env = main.Env();
  try {
    if (cluster->RewriteInOrder(keep)) main.Windows().deletedVolumes = int(removed);
  } catch (const EInOutError& e) {
    env.port.Error(e.what());
  }
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

bool TDeleteSheetsRun::Prepare(TRunContext& main, TFromDisplay&) {
  main.Windows().deletedSheets = 0;
  if (main.State().ExpertMode) return true;
  main.Env().port.Warn("Deleting sheets needs ExpertMode");
  return false;
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

}  // namespace vorne
