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

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "store/Records.h"

namespace vorne {

class Logger {
 public:
  void SetVolume(const std::string& companyCode, const std::string& companyName, const std::string& volumeName);
  // Marks the sheet context pending and runs the title checks of the header
  // against its title: sheet number, revision, alternate sheet id.
  void SetSheet(const TSheetBody& header, const std::string& title);
  void Add(std::string_view message);
  // Add of the pieces one after the other, made in place.
  void Add(std::initializer_list<std::string_view> pieces);
  void Mismatch(const std::string& value, const std::string& label);
  void Direct(std::string_view line) { NewLine().append(line); }

  const std::vector<std::string>& Lines() const;
  bool Empty() const { return starts_.empty(); }
  void Clear();

 private:
  void WriteContexts();
  // Starts a line at the end of text_; append its characters to the result.
  std::string& NewLine();

  // A long filing logs tens of thousands of lines: they are kept as one
  // text (line i starts at starts_[i]) and made strings only when asked for.
  std::string text_;
  std::vector<size_t> starts_;
  mutable std::vector<std::string> lines_;  // the first lines_.size() lines, as strings
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
