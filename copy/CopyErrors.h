// TCopyErrors: the "CopyErrors" window in which a copy run lists the sheets
// it found to be false duplicates (same title as a stored sheet, another
// filing date), grouped by volume and docket, for the person to read, save
// or copy.
//
// Failure channel: Save raises EInOutError when the file cannot be written
// (the old file is left as it was).
#pragma once

#include <string>
#include <vector>

#include "platform/UserPort.h"

namespace vorne {

inline constexpr char kDupLogName[] = "DupLogs.txt";
inline constexpr char kDupFirstLine[] = "The following tariff sheets are false duplicates";

class TCopyErrors {
 public:
  static constexpr const char* kCaption = "CopyErrors";

  // The volume whose sheets are reported next; its heading is written
  // before its first line.
  void SetVolume(const std::string& title);
  // "  in Docket: " + docket, only when it differs from the last one reported.
  void ReportDocket(const std::string& docket);
  void ReportSheet(const std::string& name);
  void ReportUsedIn(const std::string& docket);
  bool HasEntries() const { return !lines_.empty(); }
  // Puts the first line in front of the report (once), as the window does
  // when it is shown.
  void Show();
  const std::vector<std::string>& Lines() const { return lines_; }
  // The memo's lines, each ended by CR LF, through a temporary file.
  void Save(TEnv& env, const std::string& typedPath) const;
  // The text the "Copy" button puts on the clipboard (all of it when
  // nothing is selected).
  std::string CopyText() const;

 private:
  void Heading();

  std::string title_;
  bool headed_ = false;
  std::string lastDocket_;
  bool docketReported_ = false;
  bool shown_ = false;
  std::vector<std::string> lines_;
};

}  // namespace vorne
