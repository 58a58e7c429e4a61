// The run of one mode and what it may use of the main window. A run sees the
// main window only through TRunContext, so that it depends on the windows and
// state it works with rather than on the whole main window model; the mode
// table (shell/ModeTable.h) is the one place that names every run.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "platform/UserPort.h"
#include "shell/Modes.h"

namespace vorne {

class TAddFilings;
class TCopyErrors;
class TDebugLog;
class TExportDockets;
class TFileCluster;
class TFilePrintDialog;
class TFromDisplay;
class TIncludes;
class THdrForm;
class TPrimeRef;
class TRecordListing;
class TTimeScanner;
class TToDisplay;
class TVerifyDlg;
class TverifyW;
struct TOutputMode;
struct TRunState;

inline constexpr char kNoOutputFile[] = "System error, no output file";
inline constexpr char kNotSafe[] = "Sorry, this doesn't look safe";
inline constexpr char kRunFault[] = "Memory protection fault, WinVORNE error, closing";

// The presets of the print-to-file dialog that HTML and Print to File open
// before their run, and what the person chose in it.
struct TPrintSetup {
  std::string folder;         // the dialog's folder (the remembered one, else ToDir)
  char drive = 0;             // its drive letter, 0 for none
  bool noSheetsShown = false; // the group "No Sheets Selected"
  bool fewerThanTwo = false;  // the group "Fewer than two Volumes Selected"
  bool allVolumes = false;    // its box "Print-to-file all volumes"
};

// The windows the runs open, where the views and the batch program find
// them. The run that owns a window sets its entry when it creates it and
// clears it when the window goes, then calls Changed().
struct TRunWindows {
  TRecordListing* listing = nullptr;     // Test and Errors Only ("Tech Stuff")
  TverifyW* verification = nullptr;      // Verify: "Verification failures"
  TTimeScanner* scanner = nullptr;       // Scan Updates: "Date Last Updated"
  TToDisplay* copyOutput = nullptr;      // Copy: the output volumes
  TToDisplay* importOutput = nullptr;    // Add New Filing: the output volumes
  TVerifyDlg* companyCheck = nullptr;    // Add New Filing: the company dialog
  TExportDockets* publishing = nullptr;  // HTML and Print to File, while they run
  TCopyErrors* duplicates = nullptr;     // Copy: the false-duplicate report, while shown
  TAddFilings* errorLog = nullptr;       // Add New Filing: a filing's "Error Log", at its end
  TIncludes* includesPage = nullptr;     // Copy: a split copy's download page, to be shown

  // Shows the "Print To File" dialog of HTML and Print to File and returns
  // when it has ended (its Result() set). Without it the dialog's timer
  // answers an unattended run and nobody else does.
  std::function<void(TFilePrintDialog&)> showPrintDialog;

  // What the last runs left to report.
  int updatedDates = 0;                        // prime dates updated (RunMode 13)
  int deletedVolumes = 0;                      // volumes the last delete run removed (RunMode 10)
  int deletedSheets = 0;                       // sheets the last delete run marked Deleted (RunMode 11)
  bool deleteFailed = false;                   // the last delete run changed nothing after a failure
  std::vector<std::string> reportedDuplicates; // false duplicates of every copy, in order
  std::vector<std::string> savedLogs;          // error logs saved by the import
  int sheetsAdded = 0;                         // sheets the last import added

  std::function<void()> onChanged;
  void Changed() const {
    if (onChanged) onChanged();
  }
};

// What a run may use of the main window.
class TRunContext {
 public:
  virtual ~TRunContext() = default;
  virtual TEnv& Env() = 0;
  virtual TRunState& State() = 0;
  virtual TFromDisplay& VolumeList() = 0;
  virtual THdrForm& SheetList() = 0;
  virtual TDebugLog& Log() = 0;
  virtual TRunWindows& Windows() = 0;
  // The input library, or nullptr.
  virtual TFileCluster* Input() = 0;
  // The command line as given (the company check reads "VPATH" from it).
  virtual const std::vector<std::string>& Args() const = 0;

  // The output library of Copy and Add New Filing.
  virtual bool OpenOutput() = 0;
  // The output was refused because another run writes it: the refusal has
  // been said, and nothing tries again (nor says more) until the next Go.
  virtual bool OutputLockedOut() const = 0;
  virtual TOutputMode& OutputMode() = 0;
  // The window work of a change of mode.
  virtual void ModeChanged(const TModeActions& actions) = 0;
  // The import has ended and released the output: Browse mode, and the
  // library just written opens for browsing.
  virtual void EndImport() = 0;

  // HTML and Print to File: the dialog's presets, what was chosen, and the
  // folder remembered between runs.
  virtual TPrintSetup BeginPrintSetup(bool html) = 0;
  virtual void EndPrintSetup(const TPrintSetup& chosen) = 0;
  virtual const std::string& OutputFolder() const = 0;
  virtual void ForgetOutputFolder() = 0;
};

// What one mode does in the three phases of a run. The main window does the
// part every mode shares before and after.
class TModeRun {
 public:
  virtual ~TModeRun() = default;
  virtual bool NeedsMarkedRows() const { return true; }
  virtual bool StepsThroughVolumes() const { return true; }
  virtual bool ArmsStopButton() const { return true; }
  virtual bool Prepare(TRunContext& main, TFromDisplay& list) = 0;
  // false ends the loop.
  virtual bool EachVolume(TRunContext& main, TFromDisplay& list, size_t row, TPrimeRef& volume) = 0;
  virtual void Finish(TRunContext& main, TFromDisplay& list) {}
  // The command line's "RECENT" named this mode's since date and report file.
  virtual void Recent(TRunContext& main, double sinceDate, const std::string& fileName) {}
};

}  // namespace vorne
