#include "filings/Logger.h"

#include "store/Common.h"
#include "store/Headers.h"

namespace vorne {

static std::string Cut(const std::string& s, size_t n) { return s.size() > n ? s.substr(0, n) : s; }

void Logger::SetVolume(const std::string& code, const std::string& company, const std::string& volume) {
  code_ = Cut(code, 6);
  company_ = Cut(company, 45);
  volume_ = Cut(volume, 40);
  volumePending_ = true;
  sheetPending_ = false;
}

void Logger::WriteContexts() {
  if (volumePending_) {
    lines_.push_back("");
    lines_.push_back(code_ + " " + company_);
    lines_.push_back(std::string(8, ' ') + volume_);
    volumePending_ = false;
  }
  if (sheetPending_) {
    lines_.push_back("");
    lines_.push_back(StripLead(title_));
    sheetPending_ = false;
  }
}

void Logger::Add(std::string_view message) {
  WriteContexts();
  message = message.substr(0, 80);
  std::string& line = lines_.emplace_back();
  line.reserve(3 + message.size());
  line.append("   ").append(message);
}

void Logger::Mismatch(const std::string& value, const std::string& label) {
  WriteContexts();
  lines_.push_back(value + " does not match " + title_);
  lines_.push_back("   No match for: " + label + value);
}

static bool TokenStartOk(const std::string& t, size_t at) {
  if (at == 0) return true;
  char c = t[at - 1];
  if (c == ' ' || c == '#' || c == '-' || c == '/' || c == '0') return true;
  return at >= 3 && t.compare(at - 3, 3, "NO.") == 0;
}

bool SheetNoInTitle(const std::string& sheetNo8, const std::string& upperTitle) {
  if (upperTitle.find(sheetNo8) != std::string::npos) return true;
  std::string t = upperTitle;
  const std::string no = UpperCase(StripLead(sheetNo8));
  if (no.empty()) return false;
  // An occurrence that is not a token is taken out and the search repeated.
  for (;;) {
    size_t at = t.find(no);
    if (at == std::string::npos) return false;
    size_t end = at + no.size();
    bool endOk = end == t.size() || t[end] == ' ' || t[end] == '-';
    if (endOk && TokenStartOk(t, at)) return true;
    t.erase(at, no.size());
  }
}

void Logger::SetSheet(const TSheetBody& header, const std::string& title) {
  title_.assign(title, 0, 40);
  sheetPending_ = true;
  // Once per sheet: the upper-cased title reuses its buffer.
  upper_.assign(title_);
  for (char& c : upper_) c = UpperChar(c);
  const std::string& upper = upper_;
  if (!SheetNoInTitle(header.sheetNo, upper)) Mismatch(UpperCase(StripLead(header.sheetNo)), "Sheet No. ");
  if (!RevisionMatches(header.revNo, upper)) Mismatch(std::to_string(header.revNo), "Sheet Rev. No. ");
  const bool alt = upper.find("ALT") != std::string::npos;
  if ((header.altId != 0) != alt) Mismatch(std::to_string(header.altId), "Alt sheet ID ");
}

}  // namespace vorne
