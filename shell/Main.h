// TMain: the main window as a model. It owns the run state, the volume list,
// the sheet list and the criteria panel; it opens the input and output
// libraries, carries out the start sequence the command line asks for, and
// dispatches a run to the mode that does the work (Prepare, each marked
// volume, Finish). The desktop view and the batch program drive the same
// object; neither owns any of this state. Runs see it only as TRunContext.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "output/DebugLog.h"
#include "sheets/Listing.h"
#include "sheets/SheetList.h"
#include "shell/CommandLine.h"
#include "shell/ModeRun.h"
#include "shell/RunState.h"
#include "store/Cluster.h"
#include "volumes/Selectors.h"
#include "volumes/VolumeList.h"

namespace vorne {

// One library of the Multiple In list.
struct TLibraryEntry {
  std::string companyName;  // of its first prime record
  std::string folder;       // below LibraryRoot
  bool selected = false;
};


class TMain : public TStartHooks, public TRunContext, private TRunSteps {
 public:
  explicit TMain(TEnv& env);
  ~TMain() override;

  // ---- TRunContext ----
  TEnv& Env() override { return env_; }
  TRunState& State() override { return state_; }
  TFromDisplay& VolumeList() override { return volumes_; }
  THdrForm& SheetList() override { return *sheets_; }
  TDebugLog& Log() override { return log_; }
  TRunWindows& Windows() override { return windows_; }
  TFileCluster* Input() override { return state_.InputCluster.get(); }
  const std::vector<std::string>& Args() const override { return args_; }

  TSelectorPanel& Selectors() { return panel_; }

  // A mode's run, replacing the one of the mode table; modes without one
  // cannot run yet.
  void SetModeRun(TRunMode mode, std::unique_ptr<TModeRun> run);
  // The run registered for a mode, or nullptr.
  TModeRun* ModeRun(TRunMode mode) const;
  // Called before each marked volume's step (the batch program's progress).
  std::function<void(size_t index, size_t count, TPrimeRef& volume)> onVolume;
  // Where a command-line word that was ignored is told; unset, the debug log.
  std::function<void(const std::string& message)> onWordIgnored;

  // ---- start-up ----
  bool ParseCommandLine(const std::vector<std::string>& args);
  // Start and ReadyToGo: opens the output of Copy / Add New Filing when a
  // folder was given and runs FinishParameters. True when the run should
  // start at once (AutoGo with Go shown and enabled): call RunNow.
  bool Start();
  // The automatic start: the run without the check for marked volumes. A
  // failure no step reported is shown; an unexpected fault gives Fatal.
  TGoResult RunNow();

  // ---- the From side ----
  bool OpenPrimeFile(const std::string& typedPath) override;
  void AfterOpen() override;
  void SelectIds() override;
  void ApplyAllBox() override;
  void ModeChanged(const TModeActions& actions) override;
  void ShowSelectorSummary() override { summaryShown_ = true; }
  void StartScanner(double sinceDate, const std::string& fileName) override;
  void ShowLibrariesPanel() override { state_.Controls.LibrariesPanelVisible = true; }
  void WordIgnored(const std::string& message) override;
  bool SummaryShown() const { return summaryShown_; }

  // ---- the To side ----
  bool OpenOutput() override;
  TOutputMode& OutputMode() override { return outputMode_; }
  bool OutputLockedOut() const override { return outputLockedOut_; }
  bool SafeOpen(const std::string& typedPath);
  bool ChooseOutput();

  // ---- Multiple In ----
  bool DetectPrimeName(const std::string& typedDir);
  void AddLibrary(const std::string& folder);
  // Every folder below LibraryRoot that holds a library.
  void FillLibraries();
  std::vector<TLibraryEntry>& Libraries() { return libraries_; }
  bool LibrariesMultiSelect() const { return multiSelectLibraries_; }
  void SetLibrariesMultiSelect(bool on) { multiSelectLibraries_ = on; }
  bool MultiSourceOn() const { return multiSource_; }
  void SetMultiSource(bool on) { multiSource_ = on; }

  // ---- HTML and Print to File ----
  // The state part of their Prepare before the dialog: HTML lists the rows
  // in company-code order; the gauge counts the marked sheets; the dialog's
  // presets.
  TPrintSetup BeginPrintSetup(bool html) override;
  // After the dialog's OK: the chosen folder is remembered for the run, and
  // with "Print-to-file all volumes" every row is marked.
  void EndPrintSetup(const TPrintSetup& chosen) override;
  const std::string& OutputFolder() const override { return outputFolder_; }
  void ForgetOutputFolder() override { outputFolder_.clear(); }

  // ---- running ----
  // The main Go button.
  TGoResult GoDoIt();
  // The import run has ended and released the output: Browse mode, and the
  // library just written opens for browsing.
  void EndImport() override;
  void SetExpertMode(bool on);
  bool SheetListShown() const { return sheetListShown_; }

 private:
  // TRunSteps
  void BeforeGo(TFromDisplay& list) override;
  bool NeedsMarkedRows() const override;
  void UncheckAllBox() override { state_.Controls.AllChecked = false; }
  bool Prepare(TFromDisplay& list) override;
  bool ArmsStopButton() const override;
  bool StepsThroughVolumes() const override;
  bool EachVolume(TFromDisplay& list, size_t row, TPrimeRef& volume) override;
  void Finish(TFromDisplay& list) override;

  TModeRun* CurrentRun() const;
  bool OpenOutputAt(const std::string& typedPrime, bool compressed);

  TEnv& env_;
  TRunState state_;
  TFromDisplay volumes_;
  TSelectorPanel panel_;
  std::unique_ptr<THdrForm> sheets_;
  TDebugLog log_;
  std::unique_ptr<TRecordListing> listing_;
  TRunWindows windows_;
  TOutputMode outputMode_;
  std::map<TRunMode, std::unique_ptr<TModeRun>> runs_;
  std::vector<TLibraryEntry> libraries_;
  std::vector<std::string> args_;
  std::string outputFolder_;  // remembered by HTML and Print to File
  bool multiSelectLibraries_ = false;
  bool multiSource_ = false;
  bool summaryShown_ = false;
  bool sheetListShown_ = false;
  bool outputLockedOut_ = false;
  size_t stepIndex_ = 0;
};

}  // namespace vorne
