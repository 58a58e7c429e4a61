#include "shell/ScanUpdates.h"

#include <set>
#include <utility>

#include "shell/RunState.h"
#include "store/Cluster.h"
#include "store/Common.h"
#include "store/Errors.h"
#include "volumes/HtmlIncludes.h"
#include "volumes/VolumeList.h"

namespace vorne {

std::string ScanReportLine(const TPrimeRef& volume, uint16_t latestUpdate) {
  std::string line = CompanyCodeText(volume.record) + " " + volume.Key().substr(0, 61);
  if (line.size() > 102) line.resize(102);
  return line + " " + UpdatedText(latestUpdate);
}

// ---- TTimeScanner ------------------------------------------------------------------

bool TTimeScanner::StartScan() {
  lines_.clear();
  current_ = -1;
  saveEnabled_ = quitEnabled_ = copyEnabled_ = false;
  Started = true;
  Changed();  // the last scan's lines go before the date is asked
  if (Since == 0) return true;  // no limit: every volume counts
  const std::string preset = ShortDate(SerialToDate(Since));
  std::optional<std::string> typed = env_.port.AskText(kPickDateCaption, kPickDateLabel, preset);
  Started = typed.has_value();
  if (!Started) return false;
  std::optional<TDate> d = ParseShortDate(*typed);
  if (!d || !IsValidDate(d->year, d->month, d->day)) {
    env_.port.Error("\"" + *typed + "\" is not a valid date");
    Started = false;
    return false;
  }
  Since = DateToSerial(*d);
  return true;
}

void TTimeScanner::ScanVolume(TPrimeRef& volume) {
  const uint16_t latest = volume.cluster->LatestUpdate(volume);
  // An impossible date cannot be compared: it is listed, so that it is seen.
  if ((latest == 0 || IsValidPacked(latest)) && PackedToSerial(latest) < Since) return;
  lines_.push_back(ScanReportLine(volume, latest));
  current_ = int(lines_.size()) - 1;
  Changed();
}

void TTimeScanner::EndByHand() {
  saveEnabled_ = quitEnabled_ = copyEnabled_ = true;
  stopVisible_ = true;
  Changed();
}

bool TTimeScanner::SaveList() {
  if (fileName_.empty()) fileName_ = kDefaultUpdatesFile;
  try {
    SaveTextLines(env_, fileName_, lines_);
  } catch (const EInOutError&) {
    env_.port.Error("could not save to " + fileName_);
    return false;
  }
  return true;
}

bool TTimeScanner::SaveClick() {
  std::optional<std::string> chosen =
      env_.port.ChooseSaveFile({"Save", fileName_.empty() ? kDefaultUpdatesFile : fileName_, "*.txt"});
  if (!chosen || chosen->empty()) return false;
  fileName_ = *chosen;
  return SaveList();
}

std::vector<std::string> TTimeScanner::RecentIds() const {
  std::set<std::string> ids;
  for (const std::string& l : lines_) ids.insert(l.substr(0, 6));
  return {ids.begin(), ids.end()};
}

void TTimeScanner::QuitClick() {
  if (quitEnabled_) Close();
}

// ---- the run -------------------------------------------------------------------------

void TScanRun::Recent(TRunContext& main, double since, const std::string& fileName) {
  OpenScanner(main);
  scanner_->SetSince(since);
  scanner_->SetFileName(fileName);
}

void TScanRun::OpenScanner(TRunContext& main) {
  if (scanner_) return;
  scanner_ = std::make_unique<TTimeScanner>(main.Env());
  main.Windows().scanner = scanner_.get();
  main.Windows().Changed();
}

bool TScanRun::Prepare(TRunContext& main, TFromDisplay& list) {
  TRunState& st = main.State();
  if (list.MarkedCount() < 3) list.SelectAll();
  if (st.ExpertMode) {
    TAnswer a = main.Env().port.Ask(kUpdateDatesQuestion, TButtons::YesNoCancel);
    if (a == TAnswer::Cancel) return false;
    if (a == TAnswer::Yes) {
      st.RunMode = TRunMode::UpdatePrimeDates;
      return true;
    }
  }
  if (!scanner_) {
    OpenScanner(main);
  } else if (!scanner_->Visible()) {
    scanner_->Stop = false;  // a new window starts without Stop
  }
  scanner_->Show();
  return scanner_->StartScan();
}

bool TScanRun::EachVolume(TRunContext& main, TFromDisplay&, size_t, TPrimeRef& volume) {
  if (!scanner_ || !scanner_->Visible() || scanner_->Stop) return false;
  scanner_->ScanVolume(volume);
  return !scanner_->Stop;
}

bool TScanRun::FlagRecent(TRunContext& main) {
  if (!scanner_) return false;
  const TRunState& st = main.State();
  return WriteZippemBatch(main.Env(), main.VolumeList(), scanner_->RecentIds(), st.LibraryDir, st.ToDir);
}

void TScanRun::Finish(TRunContext& main, TFromDisplay& list) {
  if (!scanner_) return;
  TRunState& st = main.State();
  if (st.HtmlAll) {
    FlagRecent(main);
    scanner_->Close();
  } else if (st.AutoGo) {
    if (scanner_->SaveList()) {
      std::string text = "Report saved to " + TitleCase(scanner_->FileName());
      if (text.size() > 70) text.resize(70);
      list.ShowStatus(1, text);
    }
    list.HideRows();
    scanner_->Close();
  } else {
    scanner_->EndByHand();
  }
}

// ---- RunMode 13 ----------------------------------------------------------------------

bool TUpdateDatesRun::EachVolume(TRunContext& main, TFromDisplay&, size_t, TPrimeRef& volume) {
  TFileCluster* cluster = volume.cluster;
  if (!locked_) {
    // The dates are read and stored under the lock, into the prime file as
    // it is then: volumes another run added or changed since it was read stay.
    if (!cluster->LockForChange()) return false;  // it has said why
    locked_ = cluster;
    cluster->Reload();
  }
  if (!cluster->Holds(&volume)) return true;  // gone from the library meanwhile
  volume.record.updated = cluster->LatestUpdate(volume);
  ++updated_;
  main.Windows().updatedDates = updated_;
  return true;
}

void TUpdateDatesRun::Finish(TRunContext& main, TFromDisplay& list) {
  // The cluster writes each company name as the prime file stored it.
  if (TFileCluster* cluster = std::exchange(locked_, nullptr)) {
    if (!cluster->FlushNew()) main.Windows().updatedDates = 0;
    cluster->Unlock();
  }
  list.RefreshRows();  // the Updated column shows the dates just stored
  list.Counts();
  updated_ = 0;  // the next run counts its own volumes
  main.State().RunMode = TRunMode::ScanUpdates;  // the next Go asks again
}

}  // namespace vorne
