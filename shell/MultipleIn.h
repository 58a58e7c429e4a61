// Multiple In: several input libraries copied into one output. The
// libraries panel as a model (its folder chooser with the drive box, the
// folder list and the folder's entries; the sorted list of libraries
// NameBox, which TMain keeps), and the Go loop over the selected libraries
// that both vorne and vorne-batch run.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "shell/Modes.h"
#include "volumes/VolumeList.h"

namespace vorne {

class TMain;

inline constexpr char kTwoLibrariesNeeded[] =
    "Mark two or more libraries in the list for Multiple In (or uncheck Multiple In)";
inline constexpr char kNoLibrariesBelow[] = "No library found below ";

// The Go of Multiple In: the first selected library runs in the current
// mode, every later one in Copy into the same output. Each library is opened
// in turn, all its volumes are marked, the volume list's Go runs, and the
// library is deselected. Needs a multi-select list (Copy was chosen) and at
// least two selected libraries, else the message above and NothingMarked.
// Stop ("Enough!") ends the loop after the current library.
TGoResult GoMultipleIn(TMain& main);

// vorne-batch with FROMFOLDER: every library below LibraryRoot is selected
// and copied into the one output (a single library is simply run). A root
// without libraries gives "No library found below " + root.
TGoResult CopyEveryLibrary(TMain& main);

class TLibrariesPanel {
 public:
  explicit TLibrariesPanel(TMain& main);

  // "Get Libraries", File "MultiSource", Windows "Show directories": the
  // panel shown, its folder chooser at LibraryRoot.
  void Open();
  // "Hide Libraries".
  void Hide();
  bool Visible() const;

  // ---- the folder chooser ----
  // The folder as typed ("D:\GSplit", or a Linux path).
  const std::string& Folder() const { return folder_; }
  // The drive box: "/" (the Linux root) and a "X:" per drive folder under
  // the drive root; the current drive.
  std::vector<std::string> Drives() const;
  std::string Drive() const;
  void ChangeDrive(const std::string& drive);
  // The folder list: ".." (unless at the top), then the subfolders, sorted.
  const std::vector<std::string>& Folders() const { return folders_; }
  // The entries of the folder: subfolders as "[name]", then the files.
  const std::vector<std::string>& Entries() const { return entries_; }
  // A folder of the folder list (or ".."): it becomes the current folder
  // and LibraryRoot.
  void ChangeFolder(const std::string& name);
  void SetFolder(const std::string& typed);

  // ---- the libraries ----
  // The "Multiple In" box: checked, LibraryRoot := the chosen folder and
  // every library folder in it is listed (sorted by company name).
  void MultipleInClick(bool on);
  // NameBox, one line a library: its company name and, in brackets, its folder.
  std::vector<std::string> NameBox() const;
  bool MultiSelect() const;
  void SetSelected(size_t index, bool on);
  bool Selected(size_t index) const;
  // A click on a library. With a multi-select list it only selects, and the
  // result is true: the main Go runs. Otherwise that library is opened and
  // the result is false.
  bool LibraryClick(size_t index);

  // The panel's state changed (its view repaints).
  std::function<void()> onChanged;

 private:
  void List();
  void Changed() const {
    if (onChanged) onChanged();
  }

  TMain& main_;
  std::string folder_;
  std::vector<std::string> folders_;
  std::vector<std::string> entries_;
};

}  // namespace vorne
