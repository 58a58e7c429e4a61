#include "shell/AddRun.h"

#include <algorithm>

#include "filings/FilingImport.h"
#include "platform/Paths.h"
#include "sheets/SheetList.h"
#include "shell/RunState.h"
#include "store/Common.h"
#include "store/Errors.h"
#include "volumes/VolumeList.h"

namespace vorne {

bool IsFilingName(const std::string& name) {
  const size_t n = name.size();
  return n >= 4 && name[n - 4] == '.' && UpperChar(name[n - 2]) == 'S' && UpperChar(name[n - 1]) == 'C';
}

std::vector<std::string> FilingsIn(TFileSystem& fs, const std::string& dir) {
  std::vector<std::string> names;
  for (const std::string& n : fs.List(dir))
    if (IsFilingName(n) && !fs.IsDirectory(JoinPath(dir, n))) names.push_back(n);
  std::sort(names.begin(), names.end());
  std::vector<std::string> paths;
  for (const std::string& n : names) paths.push_back(JoinPath(dir, n));
  return paths;
}

bool TAddFilingRun::Unattended(TRunContext& main) const { return unattended_ || main.State().AutoGo; }

std::vector<std::string> TAddFilingRun::ChooseFilings(TRunContext& main) {
  TEnv& env = main.Env();
  const std::string typed = main.State().AddFromDir;
  std::string mapped = typed.empty() ? "" : StripTrailingSep(MapPath(typed));
  if (Unattended(main)) {
    if (!mapped.empty() && env.fs.Exists(mapped) && !env.fs.IsDirectory(mapped)) return {mapped};
    if (mapped.empty() || !env.fs.IsDirectory(mapped)) {
      env.port.Error(typed + " not found, try again");
      return {};
    }
    std::vector<std::string> files = FilingsIn(env.fs, mapped);
    if (files.empty()) env.port.Error(std::string("No filings (") + TAddFilings::kFileMask + ") in " + typed);
    return files;
  }
  auto chosen = env.port.ChooseOpenFile({"Add New Filing", typed, TAddFilings::kFileMask});
  if (!chosen || chosen->empty()) return {};
  return {MapPath(*chosen)};
}

void TAddFilingRun::OfferLog(TRunContext& main, TAddFilings& run, TFileCluster& out) {
  if (run.ErrorBox().empty()) return;
  TEnv& env = main.Env();
  std::string path;
  const bool unattended = Unattended(main);
  if (unattended) {
    path = JoinPath(StripTrailingSep(out.Dir()), run.LogName());
  } else {
    // The log's own name, beside the library it went into; the filter keeps its extension.
    auto chosen = env.port.ChooseSaveFile(
        {"Save the Error Log", JoinPath(StripTrailingSep(out.Dir()), run.LogName()), kErrorLogFilter});
    if (!chosen || chosen->empty()) return;
    path = MapPath(*chosen);
  }
  if (run.SaveLog(path)) {
    savedLogs_.push_back(path);
    if (unattended) env.port.Info("Error log saved in " + path);
  }
}

bool TAddFilingRun::Prepare(TRunContext& main, TFromDisplay&) {
  TEnv& env = main.Env();
  ran_ = false;
  savedLogs_.clear();
  sheetsAdded_ = 0;
  TFileCluster* out = main.State().OutputCluster.get();
  if (!out) {
    if (!main.OutputLockedOut()) env.port.Error(kNoOutputFile);  // else the refusal said why
    return false;
  }
  std::vector<std::string> files = ChooseFilings(main);
  if (files.empty()) return false;
  if (!verifier_) verifier_ = std::make_unique<TVerifyDlg>(env, main.Args());
  if (!toDisplay_) toDisplay_ = std::make_unique<TToDisplay>();
  main.Windows().companyCheck = verifier_.get();
  main.Windows().importOutput = toDisplay_.get();
  main.Windows().Changed();
  try {
    out->ReadAll();
  } catch (const EInOutError& e) {
    env.port.Error(e.what());
    return false;
  }
  toDisplay_->SetOutput(*out);
  main.SheetList().ClearList();
  ran_ = true;
  for (const std::string& file : files) {
    TAddFilings run(env, verifier_.get(), toDisplay_.get(), &main.SheetList());
    bool failed = false;
    try {
      run.Import(*out, file);
    } catch (const EVorneError& e) {
      // A volume cut short by a file error leaves no records; what was
      // completed before stays, and the prime file below lists it.
      env.port.Error(e.what());
      failed = true;
    }
    if (!failed) sheetsAdded_ += run.SheetsAdded();
    // The log is on screen while it is offered for saving.
    main.Windows().errorLog = &run;
    main.Windows().Changed();
    OfferLog(main, run, *out);
    main.Windows().errorLog = nullptr;
    main.Windows().Changed();
    if (failed || run.Aborted()) break;
  }
  try {
    out->CloseBuffer();
    out->CloseHdr();
  } catch (const EVorneError& e) {
    env.port.Error(e.what());
  }
  // The prime file in list order, with the short records beside it.
  out->FlushNew();
  // The output window shows the volumes as they now stand (counts, first and last sheets).
  toDisplay_->ListNewVolumes();
  return true;
}

void TAddFilingRun::Finish(TRunContext& main, TFromDisplay&) {
  main.Windows().savedLogs = savedLogs_;
  main.Windows().sheetsAdded = sheetsAdded_;
  if (ran_) main.EndImport();
}

}  // namespace vorne
