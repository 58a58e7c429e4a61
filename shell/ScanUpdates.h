// Scan Updates: TTimeScanner, the window "Date Last Updated" as a model,
// lists the volumes whose sheets were updated since a date, and saves the
// list as a report or turns it into the packing batch file. TScanRun plugs
// the scan into a run; TUpdateDatesRun is the run it may turn into in
// ExpertMode, which stores each volume's latest update in its prime record.
//
// Failure channel: messages through the user port; SaveList returns false
// after "could not save to " + the file name.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "shell/ModeRun.h"
#include "store/Cluster.h"

namespace vorne {

inline constexpr char kScannerCaption[] = "Date Last Updated";
inline constexpr char kDefaultUpdatesFile[] = "D:\\webvorne\\allupdts.txt";
inline constexpr char kUpdateDatesQuestion[] = "Update primerec dates";
inline constexpr char kPickDateCaption[] = "Pick a Date";
inline constexpr char kPickDateLabel[] = "Include tariff volumes updated since: ";

// One report line: the company code in 6 digits (what "Copy to Main" reads
// back), a space, the first 61 characters of the volume key, all cut to 102
// characters, then a space and the update date as short date text
// ("00/00/19**" for an impossible date).
std::string ScanReportLine(const TPrimeRef& volume, uint16_t latestUpdate);

class TTimeScanner {
 public:
  explicit TTimeScanner(TEnv& env) : env_(env) {}

  // Called after anything the window shows has changed (a line added, the
  // window shown or closed, a button enabled).
  std::function<void()> onChanged;

  // ---- state ----
  bool Started = false;  // the "since" date was confirmed
  bool Stop = false;     // "Stop" was pressed
  double Since = 0;      // day count; 0 = every volume counts

  void SetSince(double date) { Since = date; }
  // The save dialog's file name (preset from ToPrimePath with "RECENT").
  void SetFileName(const std::string& name) { fileName_ = name; }
  const std::string& FileName() const { return fileName_; }

  // Prepare of a scan: with a since date, the "Pick a Date" dialog shows it
  // and the date typed replaces it; a cancel or an unreadable date (reported)
  // gives false. Without one no dialog is shown. The list is emptied.
  bool StartScan();
  // Adds the volume's line when its latest sheet update is not before Since.
  // The scan walks only the header chain: the text file is never opened.
  void ScanVolume(TPrimeRef& volume);

  // The end of a run: unattended (the report saved, then closed), or by
  // hand (Save, Quit and Copy to Main enabled, Stop shown).
  void EndByHand();
  // Writes the lines to FileName() (the default report when none is set).
  bool SaveList();
  // "Save": asks for the file name first; a cancel saves nothing.
  bool SaveClick();
  // "Copy to Main": the company IDs of the lines, sorted, each once.
  std::vector<std::string> RecentIds() const;
  void StopClick() {
    Stop = true;
    Changed();
  }
  void QuitClick();

  // ---- window state ----
  const std::vector<std::string>& Lines() const { return lines_; }
  int CurrentLine() const { return current_; }
  bool Visible() const { return visible_; }
  void Show() {
    visible_ = true;
    Changed();
  }
  void Close() {
    visible_ = false;
    Changed();
  }
  bool SaveEnabled() const { return saveEnabled_; }
  bool QuitEnabled() const { return quitEnabled_; }
  bool CopyEnabled() const { return copyEnabled_; }
  bool StopVisible() const { return stopVisible_; }

 private:
  void Changed() {
    if (onChanged) onChanged();
  }

  TEnv& env_;
  std::string fileName_;
  std::vector<std::string> lines_;
  int current_ = -1;
  bool visible_ = false;
  bool saveEnabled_ = false;
  bool quitEnabled_ = false;
  bool copyEnabled_ = false;
  bool stopVisible_ = true;
};

class TScanRun : public TModeRun {
 public:
  bool NeedsMarkedRows() const override { return false; }
  bool Prepare(TRunContext& main, TFromDisplay& list) override;
  bool EachVolume(TRunContext& main, TFromDisplay& list, size_t row, TPrimeRef& volume) override;
  void Finish(TRunContext& main, TFromDisplay& list) override;

  // The command line's "RECENT" in Scan Updates: the scanner (created when
  // missing) gets its since date and report file.
  void Recent(TRunContext& main, double since, const std::string& fileName) override;
  // "Copy to Main" on the scanner: the packing batch file of its IDs.
  bool FlagRecent(TRunContext& main);
  // nullptr until the first scan or "RECENT".
  TTimeScanner* Scanner() const { return scanner_.get(); }

 private:
  void OpenScanner(TRunContext& main);

  std::unique_ptr<TTimeScanner> scanner_;
};

// RunMode 13: each marked volume's Updated := its latest sheet update; then
// the prime file is rewritten and the mode returns to Scan Updates.
class TUpdateDatesRun : public TModeRun {
 public:
  bool Prepare(TRunContext& main, TFromDisplay& list) override { return true; }
  bool EachVolume(TRunContext& main, TFromDisplay& list, size_t row, TPrimeRef& volume) override;
  void Finish(TRunContext& main, TFromDisplay& list) override;
  int Updated() const { return updated_; }

 private:
  int updated_ = 0;
  // The library's lock, taken before the first volume's chain is read and
  // held until the prime file is written.
  TFileCluster* locked_ = nullptr;
};

}  // namespace vorne
