// TSheetDisplay: the sheet text window ("Tariff Sheet Text") as a model. It
// shows the text of the sheet picked in the sheet list, its caption (the
// sheet key and title) and the superseding line, steps through the list,
// gives the texts of the copy menu, and carries out the find-in-text run over
// the listed sheets.
//
// There is one window; it is minimised rather than closed. While it is
// minimised a sheet handed to it is remembered, and read when it is restored.
//
// The find-in-text run does not block: FindDialogFind searches the listed
// sheets from the selected one until a sheet holds the phrase, shows its hits
// and returns, waiting; "Find Next" goes on from the next sheet, and "Stop
// search" (or the list's "Halt") ends it. Between sheets pending events run,
// so "Halt" is noticed during a long stretch without hits.
//
// The list window and its cluster are borrowed and must outlive the display.
#pragma once

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "sheets/SheetList.h"

namespace vorne {

// Reads the sheet's text through the cluster's text buffer (opened for the
// read when it is not open): the title goes to title and is removed from the
// lines; for a revised sheet the new first line gets "Superseding: " in
// front. False when it cannot be read (a damaged block is reported on port).
bool ReadSheetLines(TFileCluster& cluster, TSheet& sheet, std::vector<std::string>& lines, std::string& title,
                    TUserPort& port);

class TSheetDisplay {
 public:
  explicit TSheetDisplay(THdrForm& list);

  std::function<void()> onChanged;
  // The sheet now shown; the header info window follows it when open.
  std::function<void(const TSheetPtr&)> onSheetShown;

  // ---- showing a sheet ----
  // Shows the sheet unless it is the current one already.
  void SetSheet(const TSheetPtr& sheet);
  // Reads the current sheet's text into lines and sets the caption; the
  // title is removed and, for a revised sheet, the next line gets
  // "Superseding: " in front. False without a sheet or when the text cannot
  // be read (the reader has said why).
  bool LoadText(std::vector<std::string>& lines);
  void Show();
  void ShowLines(std::vector<std::string> lines);

  // ---- the window ----
  bool Minimized() const { return minimized_; }
  void Minimize();
  // Restored to normal size: shows the current sheet if it came while minimised.
  void Restore();

  // ---- commands ----
  void DownBtnClick();
  void UpBtnClick();
  // "Exit", or "Find Next" during a find run.
  void ExitBtnClick();
  void StopBtnClick();
  // A click on the line list: the copy view (the text box) replaces it.
  void LineListClick();
  void ShowLineList();

  // Texts of the copy menu.
  std::string VolumeNameText() const;  // "Copy Tariff Volume Name"
  std::string SheetNameText() const { return caption_; }
  std::string AllText() const;         // "Copy all text": the lines, one per line
  std::string EntireSheetText() const; // the volume line, the caption, then the lines

  // ---- search ----
  void BeginSearch();
  void EndSearch();
  // Reads the sheet into the search lines and marks every hit of the phrase;
  // "Could not get sheet text" when it cannot be read.
  bool SearchSheet(const TSheetPtr& sheet, const std::string& phrase);
  // The list's Find dialog: searches the listed sheets from the selected one
  // (or the first, or upwards the last) until a hit. At most 255 characters
  // of text are taken.
  void FindDialogFind(const std::string& text, bool down);
  // Marks the given lines of the shown sheet (Find in Library's hits) and
  // scrolls the first of them to the top.
  void MarkLines(const std::vector<int>& lines);
  bool FindRunning() const { return findRunning_; }
  bool FindWaiting() const { return findWaiting_; }

  // ---- state for the view ----
  const TSheetPtr& Sheet() const { return sheet_; }
  const std::string& Caption() const { return caption_; }
  const std::string& CompanyName() const { return company_; }
  const std::vector<std::string>& Lines() const { return shown_; }  // as displayed (ñ mended)
  const std::set<int>& MarkedLines() const { return marked_; }
  int TopLine() const { return topLine_; }
  const std::string& StatusLabel() const { return statusLabel_; }
  const std::string& OrientationLabel() const { return orientationLabel_; }
  const std::string& PitchLabel() const { return pitchLabel_; }
  int MaxLineLength() const { return maxLineLength_; }
  int TextWidthPixels() const { return maxLineLength_ * 9; }
  const std::string& ExitCaption() const { return exitCaption_; }
  bool StopVisible() const { return stopVisible_; }
  bool CopyView() const { return copyView_; }
  bool Enabled() const { return enabled_; }
  bool NextEnabled() const { return nextEnabled_; }
  bool PrevEnabled() const { return prevEnabled_; }
  bool InSearch() const { return exitCaption_ != "Exit"; }
  THdrForm& List() const { return list_; }

 private:
  void Changed() {
    if (onChanged) onChanged();
  }
  void SetDisplayed(const std::vector<std::string>& lines);
  void ContinueFind();
  void FinishFind();

  THdrForm& list_;
  TSheetPtr sheet_;
  bool enye_ = false;
  std::string company_;
  std::string caption_ = "Tariff Sheet Text";
  std::vector<std::string> lines_;   // as read (the title removed)
  std::vector<std::string> shown_;   // as displayed
  std::set<int> marked_;
  int topLine_ = 0;
  int maxLineLength_ = 0;
  std::string statusLabel_, orientationLabel_, pitchLabel_;
  std::string exitCaption_ = "Exit";
  bool stopVisible_ = false;
  bool copyView_ = false;
  bool enabled_ = false;
  bool nextEnabled_ = true;
  bool prevEnabled_ = true;
  bool minimized_ = true;  // it starts minimised
  bool stale_ = false;     // a sheet came while minimised

  // The find run.
  bool findRunning_ = false;
  bool findWaiting_ = false;
  std::string phrase_;
  int step_ = 1, end_ = 0, start_ = 0;
};

}  // namespace vorne
