#include "shell/MultipleIn.h"

#include <algorithm>
#include <cctype>

#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "shell/Main.h"
#include "store/Common.h"

namespace vorne {

namespace {

// Opens one library of the list and runs the volume list's Go over all its volumes.
TGoResult RunLibrary(TMain& main, const TLibraryEntry& lib) {
  TRunState& st = main.State();
  const std::string dir = AppendName(st.LibraryRoot, lib.folder);
  main.DetectPrimeName(dir);
  if (st.PrimeName.empty() || !main.OpenPrimeFile(dir + st.PrimeName)) return TGoResult::NotPrepared;
  main.VolumeList().SelectAll();  // every volume of a library in the list counts as selected
  return main.VolumeList().Go();
}

}  // namespace

TGoResult GoMultipleIn(TMain& main) {
  TRunState& st = main.State();
  std::vector<TLibraryEntry>& libs = main.Libraries();
  const auto first = std::find_if(libs.begin(), libs.end(), [](const TLibraryEntry& l) { return l.selected; });
  const size_t selected = size_t(std::count_if(libs.begin(), libs.end(), [](const TLibraryEntry& l) { return l.selected; }));
  if (!main.LibrariesMultiSelect() || selected < 2) {
    main.Env().port.Warn(kTwoLibrariesNeeded);
    return TGoResult::NothingMarked;
  }
  st.LibraryZipped = main.DetectPrimeName(AppendName(st.LibraryRoot, first->folder));
  TGoResult last = TGoResult::NothingMarked;
  for (TLibraryEntry& lib : libs) {
    if (!lib.selected) continue;
    last = RunLibrary(main, lib);
    if (last == TGoResult::Fatal) return last;
    const bool stopped = main.VolumeList().StopRequested();
    lib.selected = false;
    // Every later library goes into the same output.
    main.ModeChanged(ChooseMode(st, TRunMode::Copy));
    if (stopped) break;
  }
  return last;
}

TGoResult CopyEveryLibrary(TMain& main) {
  TRunState& st = main.State();
  main.FillLibraries();
  for (TLibraryEntry& l : main.Libraries()) l.selected = true;
  main.SetLibrariesMultiSelect(true);
  main.SetMultiSource(true);
  st.Controls.LibrariesPanelVisible = true;
  if (main.Libraries().empty()) {
    main.Env().port.Error(kNoLibrariesBelow + st.LibraryRoot);
    return TGoResult::NotPrepared;
  }
  if (main.Libraries().size() == 1) return RunLibrary(main, main.Libraries().front());
  return main.GoDoIt();
}

// ---- the libraries panel -------------------------------------------------------------------

TLibrariesPanel::TLibrariesPanel(TMain& main) : main_(main) {}

void TLibrariesPanel::Open() {
  main_.State().Controls.LibrariesPanelVisible = true;
  SetFolder(main_.State().LibraryRoot);
}

void TLibrariesPanel::Hide() {
  main_.State().Controls.LibrariesPanelVisible = false;
  Changed();
}

bool TLibrariesPanel::Visible() const { return main_.State().Controls.LibrariesPanelVisible; }

std::vector<std::string> TLibrariesPanel::Drives() const {
  std::vector<std::string> out{"/"};
  TFileSystem& fs = main_.Env().fs;
  std::vector<std::string> names = fs.List(DriveRoot());
  std::sort(names.begin(), names.end());
  for (const std::string& n : names)
    if (n.size() == 1 && std::isalpha(uint8_t(n[0])) && fs.IsDirectory(JoinPath(DriveRoot(), n)))
      out.push_back(std::string(1, char(std::toupper(uint8_t(n[0])))) + ":");
  const std::string current = Drive();
  if (std::find(out.begin(), out.end(), current) == out.end()) out.push_back(current);
  return out;
}

std::string TLibrariesPanel::Drive() const {
  const char d = DriveLetter(folder_);
  return d ? std::string(1, d) + ":" : std::string("/");
}

void TLibrariesPanel::ChangeDrive(const std::string& drive) { SetFolder(drive == "/" ? drive : drive + "\\"); }

void TLibrariesPanel::ChangeFolder(const std::string& name) {
  std::string next;
  if (name == "..") {
    next = TypedFolder(TypedWithoutSeparator(folder_));
    if (next.empty()) return;
    if (next.back() == ':') next += '\\';
  } else {
    next = AppendName(folder_, name);
  }
  SetFolder(next);
}

void TLibrariesPanel::SetFolder(const std::string& typed) {
  folder_ = typed;
  main_.State().LibraryRoot = folder_;
  List();
  Changed();
}

void TLibrariesPanel::List() {
  folders_.clear();
  entries_.clear();
  TFileSystem& fs = main_.Env().fs;
  const std::string dir = MapPath(folder_);
  const std::string top = TypedWithoutSeparator(folder_);
  if (!(top == "/" || (top.size() == 2 && top[1] == ':') || top.empty())) folders_.push_back("..");
  std::vector<std::string> names = fs.IsDirectory(dir) ? fs.List(dir) : std::vector<std::string>{};
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) { return CompareNoCase(a, b) < 0; });
  std::vector<std::string> files;
  for (const std::string& n : names) {
    if (n.empty() || n[0] == '.') continue;
    if (fs.IsDirectory(JoinPath(dir, n))) {
      folders_.push_back(n);
      entries_.push_back("[" + n + "]");
    } else {
      files.push_back(n);
    }
  }
  entries_.insert(entries_.end(), files.begin(), files.end());
}

void TLibrariesPanel::MultipleInClick(bool on) {
  main_.SetMultiSource(on);
  if (on) {
    main_.State().Controls.LibrariesPanelVisible = true;
    if (folder_.empty()) SetFolder(main_.State().LibraryRoot);
    main_.State().LibraryRoot = folder_;
    main_.FillLibraries();
  }
  Changed();
}

std::vector<std::string> TLibrariesPanel::NameBox() const {
  std::vector<std::string> out;
  for (const TLibraryEntry& l : main_.Libraries()) out.push_back(l.companyName + "  [" + l.folder + "]");
  return out;
}

bool TLibrariesPanel::MultiSelect() const { return main_.LibrariesMultiSelect(); }

void TLibrariesPanel::SetSelected(size_t index, bool on) {
  auto& libs = main_.Libraries();
  if (index >= libs.size()) return;
  if (on && !MultiSelect())
    for (TLibraryEntry& l : libs) l.selected = false;
  libs[index].selected = on;
}

bool TLibrariesPanel::Selected(size_t index) const {
  const auto& libs = main_.Libraries();
  return index < libs.size() && libs[index].selected;
}

bool TLibrariesPanel::LibraryClick(size_t index) {
  auto& libs = main_.Libraries();
  if (index >= libs.size()) return false;
  if (MultiSelect()) return true;
  SetSelected(index, true);
  // The library's own prime file, whichever form it is kept in.
  TRunState& st = main_.State();
  const std::string dir = AppendName(st.LibraryRoot, libs[index].folder);
  st.LibraryZipped = main_.DetectPrimeName(dir);
  if (!st.PrimeName.empty()) main_.OpenPrimeFile(dir + st.PrimeName);
  Changed();
  return false;
}

}  // namespace vorne
