// Add New Filing as a run of the main window: it takes the output library
// the main window opened, imports the chosen filing file (or, unattended,
// every filing of the folder ADDFROM names), offers each error log for
// saving, rewrites the prime file and hands back to the main window's
// EndImport, which opens the library just written for browsing.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "copy/OutputVolumes.h"
#include "filings/CompanyCheck.h"
#include "shell/ModeRun.h"

namespace vorne {

class TAddFilings;

// True for a file name matching "*.?SC" without regard to case.
bool IsFilingName(const std::string& name);
// The filings of a folder (platform path), in name order.
std::vector<std::string> FilingsIn(TFileSystem& fs, const std::string& dir);

class TAddFilingRun : public TModeRun {
 public:
  // unattended (and any run the command line's GO started): ADDFROM's file,
  // or every filing of its folder, is imported without the open dialog, and
  // each error log is saved under its proposed name in the output library's
  // folder.
  explicit TAddFilingRun(bool unattended) : unattended_(unattended) {}

  bool NeedsMarkedRows() const override { return false; }
  bool StepsThroughVolumes() const override { return false; }
  bool ArmsStopButton() const override { return false; }
  bool Prepare(TRunContext& main, TFromDisplay& list) override;
  bool EachVolume(TRunContext&, TFromDisplay&, size_t, TPrimeRef&) override { return false; }
  void Finish(TRunContext& main, TFromDisplay& list) override;

  TToDisplay* OutputWindow() { return toDisplay_.get(); }
  // The error logs saved in the last run.
  const std::vector<std::string>& SavedLogs() const { return savedLogs_; }
  int SheetsAdded() const { return sheetsAdded_; }

 private:
  bool Unattended(TRunContext& main) const;
  std::vector<std::string> ChooseFilings(TRunContext& main);
  void OfferLog(TRunContext& main, TAddFilings& run, TFileCluster& out);

  bool unattended_;
  std::unique_ptr<TVerifyDlg> verifier_;
  std::unique_ptr<TToDisplay> toDisplay_;
  std::vector<std::string> savedLogs_;
  int sheetsAdded_ = 0;
  bool ran_ = false;
};

}  // namespace vorne
