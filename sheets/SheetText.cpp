#include "sheets/SheetText.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "sheets/TextSearch.h"
#include "store/Cluster.h"
#include "store/Common.h"
#include "store/TextReader.h"

namespace vorne {

namespace {

std::string Cut(const std::string& s, size_t n) { return s.substr(0, std::min(s.size(), n)); }

std::string Joined(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& l : lines) out += l + "\n";
  return out;
}

}  // namespace

TSheetDisplay::TSheetDisplay(THdrForm& list) : list_(list) {}

// ---- showing a sheet ----------------------------------------------------------

void TSheetDisplay::SetSheet(const TSheetPtr& sheet) {
  if (!sheet || sheet == sheet_) return;
  const std::string volume = DisplayVolume(*sheet);
  company_ = Cut(volume.substr(0, volume.find(':')), 45);
  enye_ = volume.find('\xF1') != std::string::npos;
  sheet_ = sheet;
  Show();
}

bool ReadSheetLines(TFileCluster& cluster, TSheet& sheet, std::vector<std::string>& lines, std::string& title,
                    TUserPort& port) {
  lines.clear();
  const bool wasOpen = cluster.BufferOpen();
  if (!wasOpen && !cluster.OpenBuffer()) return false;
  bool ok = false;
  try {
    ok = cluster.Buffer()->SheetText(sheet.body.text, lines, sheet.maxLineLength, sheet.lineCount);
  } catch (const std::exception& e) {
    // A damaged block: the reader names it; nothing is shown.
    port.Error(e.what());
    lines.clear();
  }
  if (!wasOpen) cluster.CloseBuffer();
  if (!ok) return false;
  title = lines.empty() ? std::string() : lines.front();
  if (!lines.empty()) lines.erase(lines.begin());
  if (sheet.body.revNo >= 1 && !lines.empty()) lines.front() = "Superseding: " + lines.front();
  return true;
}

bool TSheetDisplay::LoadText(std::vector<std::string>& lines) {
  lines.clear();
  if (!sheet_) return false;
  TFileCluster* cluster = list_.Cluster();
  std::string title;
  if (!cluster || !ReadSheetLines(*cluster, *sheet_, lines, title, list_.Env().port)) return false;
  caption_ = Cut(MakeSheetKey(sheet_->body.sheetNo) + ": ", 22) + title;
  return true;
}

void TSheetDisplay::Show() {
  if (!sheet_) return;
  if (onSheetShown) onSheetShown(sheet_);
  if (minimized_) {
    // Read when the window is restored; a minimised window reads nothing.
    stale_ = true;
    Changed();
    return;
  }
  stale_ = false;
  std::vector<std::string> lines;
  if (!LoadText(lines)) {
    lines_.clear();
    SetDisplayed({});
    Changed();
    return;
  }
  ShowLines(std::move(lines));
  enabled_ = true;
  TSheetBody& b = sheet_->body;
  statusLabel_ = StatusName(b.status);
  if (b.pitchCode > 4) b.pitchCode = 4;
  if (b.pitchCode == 0) b.pitchCode = 1;
  pitchLabel_ = std::to_string(PitchCpi(b.pitchCode)) + " cpi";
  orientationLabel_ = b.orientation == 'P' ? "Portrait" : "Landscape";
  Changed();
}

void TSheetDisplay::MarkLines(const std::vector<int>& lines) {
  marked_.clear();
  for (int l : lines)
    if (l >= 0 && l < int(shown_.size())) marked_.insert(l);
  topLine_ = marked_.empty() ? 0 : *marked_.begin();
  Changed();
}

void TSheetDisplay::ShowLines(std::vector<std::string> lines) {
  sheet_->lineCount = int32_t(lines.size());
  for (const std::string& l : lines) sheet_->maxLineLength = std::max(sheet_->maxLineLength, int32_t(l.size()));
  maxLineLength_ = sheet_->maxLineLength;
  lines_ = std::move(lines);
  marked_.clear();
  topLine_ = 0;
  SetDisplayed(lines_);
}

void TSheetDisplay::SetDisplayed(const std::vector<std::string>& lines) {
  shown_ = lines;
  if (enye_)
    for (std::string& l : shown_) std::replace(l.begin(), l.end(), '\xA4', '\xF1');
}

// ---- the window ------------------------------------------------------------------

void TSheetDisplay::Minimize() {
  minimized_ = true;
  Changed();
}

void TSheetDisplay::Restore() {
  minimized_ = false;
  if (stale_) Show();
  Changed();
}

// ---- commands -----------------------------------------------------------------------

void TSheetDisplay::DownBtnClick() {
  nextEnabled_ = list_.SelectNext();
  prevEnabled_ = true;
  copyView_ = false;
  if (TSheetPtr s = list_.GetSelectedSheet()) SetSheet(s);
  Changed();
}

void TSheetDisplay::UpBtnClick() {
  prevEnabled_ = list_.SelectPrevious();
  nextEnabled_ = true;
  copyView_ = false;
  if (TSheetPtr s = list_.GetSelectedSheet()) SetSheet(s);
  Changed();
}

void TSheetDisplay::ExitBtnClick() {
  if (exitCaption_ == "Find Next" && findWaiting_) {
    list_.Select(list_.SearchPosition());
    minimized_ = true;
    list_.SetSearchPosition(list_.SearchPosition() + step_);
    ContinueFind();
    return;
  }
  Minimize();
}

void TSheetDisplay::StopBtnClick() {
  stopVisible_ = false;
  EndSearch();
  minimized_ = true;
  list_.SetStop();
  if (findWaiting_) FinishFind();
  Changed();
}

void TSheetDisplay::LineListClick() {
  copyView_ = true;
  Changed();
}

void TSheetDisplay::ShowLineList() {
  copyView_ = false;
  Changed();
}

std::string TSheetDisplay::VolumeNameText() const { return sheet_ ? DisplayVolume(*sheet_) : std::string(); }

std::string TSheetDisplay::AllText() const { return Joined(shown_); }

std::string TSheetDisplay::EntireSheetText() const { return VolumeNameText() + "\n" + caption_ + "\n" + Joined(shown_); }

// ---- search ----------------------------------------------------------------------------

void TSheetDisplay::BeginSearch() {
  exitCaption_ = "Find Next";
  copyView_ = false;
  stopVisible_ = true;
  Changed();
}

void TSheetDisplay::EndSearch() {
  if (exitCaption_ == "Exit") return;
  exitCaption_ = "Exit";
  stopVisible_ = false;
  copyView_ = true;
  Changed();
  list_.Env().port.Info("End of Search");
}

bool TSheetDisplay::SearchSheet(const TSheetPtr& sheet, const std::string& phrase) {
  minimized_ = true;  // so that taking the sheet reads its text once, below
  SetSheet(sheet);
  std::vector<std::string> lines;
  if (!LoadText(lines)) {
    list_.Env().port.Info("Could not get sheet text");
    return false;
  }
  minimized_ = true;
  TSearchPhrase words(phrase);
  TSearchPage page(lines);
  if (!page.Search(words)) return false;
  // A hit: the window shows this sheet's text with every hit marked.
  stale_ = false;
  minimized_ = false;
  enabled_ = true;
  ShowLines(std::move(lines));
  const int last = int(lines_.size()) - 1;
  topLine_ = page.FoundLine();
  do {
    for (int i = page.FoundLine(); i <= std::min(page.EndLine(), last); ++i) marked_.insert(i);
  } while (page.FindPhrase());
  statusLabel_ = StatusName(sheet_->body.status);
  orientationLabel_ = sheet_->body.orientation == 'P' ? "Portrait" : "Landscape";
  pitchLabel_ = std::to_string(PitchCpi(std::clamp<int>(sheet_->body.pitchCode, 1, 4))) + " cpi";
  if (onSheetShown) onSheetShown(sheet_);
  Changed();
  return true;
}

void TSheetDisplay::FindDialogFind(const std::string& text, bool down) {
  if (findRunning_) return;
  phrase_ = Cut(text, 255);
  list_.ClearStop();
  BeginSearch();
  const int count = int(list_.Count());
  const int selected = list_.SelectedIndex();
  step_ = down ? 1 : -1;
  end_ = down ? count : -1;
  start_ = selected >= 0 ? selected : (down ? 0 : count - 1);
  list_.SetSearchPosition(start_);
  findRunning_ = true;
  ContinueFind();
}

void TSheetDisplay::ContinueFind() {
  findWaiting_ = false;
  TUserPort& port = list_.Env().port;
  while (findRunning_ && list_.SearchPosition() != end_ && !list_.StopRequested()) {
    const int here = list_.SearchPosition();
    bool hit = false;
    if (here >= 0 && size_t(here) < list_.Count()) {
      TBusy busy(port);
      if (const TSheetPtr sheet = list_.Entries()[size_t(here)].second) hit = SearchSheet(sheet, phrase_);
    } else {
      break;  // the list changed under the run
    }
    if (hit) {
      list_.Select(here);
      list_.SetSearchPosition(here);
      findWaiting_ = true;
      Changed();
      return;
    }
    list_.SetSearchPosition(here + step_);
    port.ProcessEvents();  // "Halt" and "Stop search" are noticed here
  }
  if (findRunning_) FinishFind();
}

void TSheetDisplay::FinishFind() {
  findRunning_ = false;
  findWaiting_ = false;
  EndSearch();
  list_.SetSearchPosition(start_);
  Changed();
}

}  // namespace vorne
