// Logger: the error log of a filing import. Messages are written under the
// volume and sheet they concern: the first message after SetVolume or
// SetSheet writes that context first, once.
//
//   Add(m)          [volume context] [sheet context] "   " + m (m cut to 80)
//   volume context  "", code + " " + company name, 8 blanks + volume name
//   sheet context   "", the title (stripped)
//   Mismatch(v, l)  [contexts] v + " does not match " + title,
//                   "   No match for: " + l + v
//   Direct(line)    the line alone, no context
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "store/Tarifdef.h"

namespace vorne {

class Logger {
 public:
  void SetVolume(const std::string& companyCode, const std::string& companyName, const std::string& volumeName);
  // Marks the sheet context pending and runs the title checks of the header
  // against its title: sheet number, revision, alternate sheet id.
  void SetSheet(const TSheetBody& header, const std::string& title);
  void Add(std::string_view message);
  void Mismatch(const std::string& value, const std::string& label);
  void Direct(const std::string& line) { lines_.push_back(line); }

  const std::vector<std::string>& Lines() const { return lines_; }
  bool Empty() const { return lines_.empty(); }
  void Clear() { lines_.clear(); }

 private:
  void WriteContexts();

  std::vector<std::string> lines_;
  std::string code_, company_, volume_;
  bool volumePending_ = false;
  std::string title_;
  std::string upper_;  // title_ upper-cased, for the title checks
  bool sheetPending_ = false;
};

// The title checks on their own (for tests and the log): true when the
// sheet number occurs in the (upper-cased) title as the rules require.
bool SheetNoInTitle(const std::string& sheetNo8, const std::string& upperTitle);

}  // namespace vorne
