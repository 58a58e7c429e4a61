#include "copy/CopyErrors.h"

#include "volumes/HtmlIncludes.h"

namespace vorne {

void TCopyErrors::SetVolume(const std::string& title) {
  title_ = title;
  headed_ = false;
}

void TCopyErrors::Heading() {
  if (headed_) return;
  lines_.emplace_back();
  const size_t colon = title_.find(':');
  lines_.push_back(colon == std::string::npos ? title_ : title_.substr(0, colon + 1));
  headed_ = true;
}

void TCopyErrors::ReportDocket(const std::string& docket) {
  const std::string d = docket.substr(0, 20);
  if (docketReported_ && d == lastDocket_) return;
  Heading();
  lastDocket_ = d;
  docketReported_ = true;
  lines_.push_back("  in Docket: " + docket);
}

void TCopyErrors::ReportSheet(const std::string& name) {
  Heading();
  lines_.push_back("      sheet:  " + name);
}

void TCopyErrors::ReportUsedIn(const std::string& docket) {
  Heading();
  lines_.push_back(std::string(30, ' ') + "already used in : " + docket);
}

void TCopyErrors::Show() {
  if (shown_) return;
  lines_.insert(lines_.begin(), kDupFirstLine);
  shown_ = true;
}

void TCopyErrors::Save(TEnv& env, const std::string& typedPath) const { SaveTextLines(env, typedPath, lines_); }

std::string TCopyErrors::CopyText() const {
  std::string text;
  for (const std::string& l : lines_) text += l + "\r\n";
  return text;
}

}  // namespace vorne
