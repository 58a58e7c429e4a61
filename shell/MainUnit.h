// TMain: the main window as a model. It owns the run state, the volume list,
// the sheet list and the criteria panel; it opens the input and output
// libraries, carries out the start sequence the command line asks for, and
// dispatches a run to the mode that does the work (Prepare, each marked
// volume, Finish). The desktop view and the batch program drive the same
// object; neither owns any of this state.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "shell/CommandLine.h"
#include "shell/Logunit.h"
#include "shell/RunState.h"
#include "sheets/Gethdrs.h"
#include "store/Cluster.h"
#include "volumes/Fromcode.h"
#include "volumes/Selectors.h"

namespace vorne {

class TMain;

// What one mode does in the three phases of a run. TMain does the part every
// mode shares before and after.
class TModeRun {
 public:
  virtual ~TModeRun() = default;
  virtual bool NeedsMarkedRows() const { return true; }
  virtual bool StepsThroughVolumes() const { return true; }
  virtual bool ArmsStopButton() const { return true; }
  virtual bool Prepare(TMain& main, TFromDisplay& list) = 0;
  // false ends the loop.
  virtual bool EachVolume(TMain& main, TFromDisplay& list, size_t row, TPrimeRef& volume) = 0;
  virtual void Finish(TMain& main, TFromDisplay& list) {}
};

// The presets of the print-to-file dialog that HTML and Print to File open
// before their run, and what the person chose in it.
struct TPrintSetup {
  std::string folder;         // the dialog's folder (the remembered one, else ToDir)
  char drive = 0;             // its drive letter, 0 for none
  bool noSheetsShown = false; // the group "No Sheets Selected"
  bool fewerThanTwo = false;  // the group "Fewer than two Volumes Selected"
  bool allVolumes = false;    // its box "Print-to-file all volumes"
};

// One library of the Multiple In list.
struct TLibraryEntry {
  std::string companyName;  // of its first prime record
  std::string folder;       // below LibraryRoot
  bool selected = false;
};

inline constexpr char kNoOutputFile[] = "System error, no output file";
inline constexpr char kNotSafe[] = "Sorry, this doesn't look safe";
inline constexpr char kRunFault[] = "Memory protection fault, WinVORNE error, closing";

class TMain : public TStartHooks, private TRunSteps {
 public:
  explicit TMain(TEnv& env);
  ~TMain() override;

  TEnv& Env() { return env_; }
  TRunState& State() { return state_; }
  TFromDisplay& VolumeList() { return volumes_; }
  THdrForm& SheetList() { return *sheets_; }
  TSelectorPanel& Selectors() { return panel_; }
  TDebugLog& Log() { return log_; }
  TFileCluster* Input() { return state_.InputCluster.get(); }

  // A mode's run; modes without one cannot run yet.
  void SetModeRun(TRunMode mode, std::unique_ptr<TModeRun> run);
  // The run registered for a mode, or nullptr.
  TModeRun* ModeRun(TRunMode mode) const;
  // Called before each marked volume's step (the batch program's progress).
  std::function<void(size_t index, size_t count, TPrimeRef& volume)> onVolume;

  // ---- start-up ----
  bool ParseCommandLine(const std::vector<std::string>& args);
  // The command line as given (the company check reads "VPATH" from it).
  const std::vector<std::string>& Args() const { return args_; }
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
  bool SummaryShown() const { return summaryShown_; }

  // ---- the To side ----
  bool OpenOutput() override;
  bool SafeOpen(const std::string& typedPath);
  bool ChooseOutput();
  TOutputMode& OutputMode() { return outputMode_; }

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
  TPrintSetup BeginPrintSetup(bool html);
  // After the dialog's OK: the chosen folder is remembered for the run, and
  // with "Print-to-file all volumes" every row is marked.
  void EndPrintSetup(const TPrintSetup& chosen);
  const std::string& OutputFolder() const { return outputFolder_; }
  void ForgetOutputFolder() { outputFolder_.clear(); }

  // ---- running ----
  // The main Go button.
  TGoResult GoDoIt();
  // The import run has ended and released the output: Browse mode, and the
  // library just written opens for browsing.
  void EndImport();
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
  TOutputMode outputMode_;
  std::map<TRunMode, std::unique_ptr<TModeRun>> runs_;
  std::vector<TLibraryEntry> libraries_;
  std::vector<std::string> args_;
  std::string outputFolder_;  // remembered by HTML and Print to File
  bool multiSelectLibraries_ = false;
  bool multiSource_ = false;
  bool summaryShown_ = false;
  bool sheetListShown_ = false;
  size_t stepIndex_ = 0;
};

// Browse: each marked volume's selected sheets go into the sheet list window.
class TBrowseRun : public TModeRun {
 public:
  bool Prepare(TMain& main, TFromDisplay& list) override;
  bool EachVolume(TMain& main, TFromDisplay& list, size_t row, TPrimeRef& volume) override;
  void Finish(TMain& main, TFromDisplay& list) override;
};

}  // namespace vorne

#include "volumes/Export.h"

namespace vorne {

// Database: one delimited line per selected sheet of each marked volume.
class TDatabaseRun : public TModeRun {
 public:
  bool Prepare(TMain& main, TFromDisplay& list) override;
  bool EachVolume(TMain& main, TFromDisplay& list, size_t row, TPrimeRef& volume) override;
  void Finish(TMain& main, TFromDisplay& list) override;

 private:
  std::unique_ptr<TDatabaseExport> export_;
};

}  // namespace vorne
