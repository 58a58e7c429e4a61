// TDebugLog: the debug log window ("Log") that the output writers fill with
// the problems they meet and save to a file at the end of a run.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace vorne {

class TFileSystem;

class TDebugLog {
 public:
  explicit TDebugLog(TFileSystem& fs) : fs_(fs) {}

  std::function<void()> onChanged;

  // Appends a line; the view scrolls to the end.
  void AddLine(const std::string& text);
  // Shows the window and writes every line, each ended by "\n", to path,
  // replacing the file whole (a failed save leaves the old file as it was).
  // A typed path ("C:\zip\HTMLBugs.txt") is mapped to this platform, and
  // missing folders on the way are made. Raises EInOutError when the file
  // cannot be written.
  void SaveAs(const std::string& path);

  const std::string& Caption() const { return caption_; }
  const std::vector<std::string>& Log() const { return log_; }
  const std::string& Status() const { return status_; }
  bool Visible() const { return visible_; }
  // The line the view keeps in sight: the last one, or -1 when empty.
  int TopLine() const { return int(log_.size()) - 1; }

 private:
  void Changed() {
    if (onChanged) onChanged();
  }

  TFileSystem& fs_;
  std::string caption_ = "Log";
  std::vector<std::string> log_;
  std::string status_ = "Starting";
  bool visible_ = false;
};

}  // namespace vorne
