#include "shell/CopyRuns.h"

#include <chrono>

#include "shell/RunState.h"
#include "store/Common.h"
#include "store/Errors.h"
#include "store/Headers.h"
#include "store/TextWriter.h"
#include "volumes/HtmlIncludes.h"
#include "volumes/VolumeList.h"

namespace vorne {

bool TCopyRun::Prepare(TRunContext& main, TFromDisplay& list) {
  TEnv& env = main.Env();
  TRunState& st = main.State();
  dups_ = std::make_unique<TCopyErrors>();
  copied_ = failed_ = 0;
  if (!st.OutputCluster) main.OpenOutput();
  if (!st.OutputCluster) {
    if (!main.OutputLockedOut()) env.port.Error(kNoOutputFile);  // else the refusal said why
    return false;
  }
  TFileCluster& out = *st.OutputCluster;
  if (!env.fs.Exists(out.PrimePath())) return false;
  if (st.SplitFlag && st.ReplaceFlag) {
    // Every company library of the run is recreated, not only the first.
    TOutputMode& mode = main.OutputMode();
    mode.keepRewrite = true;
    mode.rewrite = true;
    mode.append = false;
  }
  list.SetGaugeMax(list.MarkedSheetSum());
  list.SetGaugeVisible(true);
  if (!toDisplay_) {
    toDisplay_ = std::make_unique<TToDisplay>();
    main.Windows().copyOutput = toDisplay_.get();
    main.Windows().Changed();
  }
  try {
    out.ReadAll();
  } catch (const EInOutError& e) {
    env.port.Error(e.what());
    return false;
  }
  toDisplay_->SetOutput(out);
  return true;
}

bool TCopyRun::SwitchCompany(TRunContext& main, TFileCluster& out, const std::string& name) {
  out.FlushNew();
  TOutputMode& mode = main.OutputMode();
  const TOutputMode saved = mode;
  // A company library this program run has already written (Multiple In) is
  // added to, never recreated: its first volumes would be lost.
  const bool written = companiesWritten_.count(name) > 0;
  if (written) {
    mode.append = true;
    mode.rewrite = false;
    mode.keepRewrite = false;
  }
  const bool ok = out.SetOutputName(name);
  if (written) mode = saved;
  if (!ok) return false;
  companiesWritten_.insert(name);
  out.ReadAll();
  toDisplay_->ListNewVolumes();
  return true;
}

bool TCopyRun::EachVolume(TRunContext& main, TFromDisplay& list, size_t row, TPrimeRef& volume) {
  TRunState& st = main.State();
  TFileCluster* out = st.OutputCluster.get();
  if (!out || !toDisplay_) return false;
  const auto start = std::chrono::steady_clock::now();
  if (st.SplitFlag) {
    const std::string name = ZeroPad(volume.record.companyCode, 6);
    if (out->Name() != name && !SwitchCompany(main, *out, name)) {
      ++failed_;
      return true;
    }
  }
  THdrList selected(volume, &st.Selection);
  selected.Load();
  const bool ok = toDisplay_->CopyVolume(volume, selected, *dups_, start);
  list.ShowElapsed();
  if (ok) {
    ++copied_;
    list.SetMarked(row, false);
  } else {
    ++failed_;
  }
  return !toDisplay_->WriteFailed();
}

void TCopyRun::Finish(TRunContext& main, TFromDisplay& list) {
  TRunState& st = main.State();
  if (dups_ && dups_->HasEntries()) {
    dups_->Show();
    reported_.insert(reported_.end(), dups_->Lines().begin(), dups_->Lines().end());
    main.Windows().reportedDuplicates = reported_;
    // The view shows the report while it is registered (and saves it on OK).
    main.Windows().duplicates = dups_.get();
    main.Windows().Changed();
    main.Windows().duplicates = nullptr;
  }
  dups_.reset();
  if (TFileCluster* out = st.OutputCluster.get()) {
    try {
      out->CloseBuffer();
      out->CloseHdr();
    } catch (const EVorneError& e) {
      main.Env().port.Error(e.what());
    }
    // The prime file in list order, with the short records beside an
    // uncompressed output.
    out->FlushNew();
    if (st.SplitFlag && toDisplay_ && toDisplay_->WriteZipBatch(list)) SaveIncludesPage(main);
  }
  if (toDisplay_) toDisplay_->ReleaseOutput();
  st.OutputCluster.reset();
  main.ModeChanged(ChooseMode(st, TRunMode::Browse));
}

bool TCopyRun::ShowOutput(TRunContext& main) {
  TFileCluster* out = main.State().OutputCluster.get();
  if (!toDisplay_ && !out) return false;
  if (!toDisplay_) {
    toDisplay_ = std::make_unique<TToDisplay>();
    main.Windows().copyOutput = toDisplay_.get();
  }
  if (out && toDisplay_->Output() != out) {
    try {
      out->ReadAll();
      toDisplay_->SetOutput(*out);
    } catch (const EInOutError& e) {
      main.Env().port.Error(e.what());
    }
  }
  main.Windows().Changed();
  return true;
}

// The download page of a split copy is saved where the output-volume window
// says ("wheresaved"), as soon as it is made.
void TCopyRun::SaveIncludesPage(TRunContext& main) {
  TIncludes* page = toDisplay_->Includes();
  if (!page) return;
  try {
    page->Save(main.Env(), toDisplay_->Wheresaved());
  } catch (const EInOutError& e) {
    main.Env().port.Error(e.what());
  }
  // The desktop shows the page in "HTML Includes".
  main.Windows().includesPage = page;
  main.Windows().Changed();
  main.Windows().includesPage = nullptr;
}

}  // namespace vorne
