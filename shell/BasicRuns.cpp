#include "shell/BasicRuns.h"

#include "sheets/SheetList.h"
#include "shell/RunState.h"
#include "store/Cluster.h"
#include "store/Headers.h"

namespace vorne {

// ---- Browse ---------------------------------------------------------------------------------

bool TBrowseRun::Prepare(TRunContext& main, TFromDisplay&) {
  main.SheetList().ClearList();
  return true;
}

bool LoadSelectedSheets(TRunContext& main, TPrimeRef& volume) {
  THdrList list(volume, &main.State().Selection);
  list.Load();
  if (list.VersionCount() == 0) return false;
  main.SheetList().SetCluster(volume.cluster);
  main.SheetList().FillList(list);
  return true;
}

bool TBrowseRun::EachVolume(TRunContext& main, TFromDisplay&, size_t, TPrimeRef& volume) {
  LoadSelectedSheets(main, volume);
  return true;
}

void TBrowseRun::Finish(TRunContext& main, TFromDisplay&) { main.SheetList().Show(); }

// ---- Database -------------------------------------------------------------------------------

bool TDatabaseRun::Prepare(TRunContext& main, TFromDisplay&) {
  export_ = std::make_unique<TDatabaseExport>(main.Env());
  lines_ = 0;
  return export_->OpenExport(main.State().OutputPath, main.State().LibraryDir);
}

bool TDatabaseRun::EachVolume(TRunContext& main, TFromDisplay&, size_t, TPrimeRef& volume) {
  lines_ += export_->ExportVolume(volume, &main.State().Selection);
  return true;
}

void TDatabaseRun::Finish(TRunContext& main, TFromDisplay&) {
  if (export_ && export_->IsOpen() && lines_ == 0)
    main.Env().port.Error(kNoSheetsSelected);  // the export's temporary file goes with it
  else if (export_)
    export_->Finish();
  export_.reset();
}

}  // namespace vorne
