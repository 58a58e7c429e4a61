#include "filings/Logger.h"

#include <array>
#include <cstdint>

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

static bool TokenStartOk(std::string_view t, size_t at) {
  if (at == 0) return true;
  char c = t[at - 1];
  if (c == ' ' || c == '#' || c == '-' || c == '/' || c == '0') return true;
  return at >= 3 && t.compare(at - 3, 3, "NO.") == 0;
}

static bool TokenAt(std::string_view t, size_t at, size_t n) {
  const size_t end = at + n;
  const bool endOk = end == t.size() || t[end] == ' ' || t[end] == '-';
  return endOk && TokenStartOk(t, at);
}

bool SheetNoInTitle(const std::string& sheetNo8, const std::string& upperTitle) {
  if (upperTitle.find(sheetNo8) != std::string::npos) return true;
  const std::string no = UpperCase(StripLead(sheetNo8));  // short: no allocation
  if (no.empty()) return false;
  // Nearly every title holds the number as a token at its first occurrence:
  // that is decided without a copy of the title.
  size_t at = upperTitle.find(no);
  if (at == std::string::npos) return false;
  if (TokenAt(upperTitle, at, no.size())) return true;
  // An occurrence that is not a token is taken out and the search repeated;
  // taking it out can join what stood either side, so this works on a copy.
  std::string t = upperTitle;
  for (;;) {
    t.erase(at, no.size());
    at = t.find(no);
    if (at == std::string::npos) return false;
    if (TokenAt(t, at, no.size())) return true;
  }
}

void Logger::SetSheet(const TSheetBody& header, const std::string& title) {
  title_.assign(title, 0, 40);
  sheetPending_ = true;
  // Once per sheet: the upper-cased title reuses its buffer.
  // UpperChar by table: it runs on every character of every title.
  static const std::array<char, 256> kUpper = [] {
    std::array<char, 256> t{};
    for (size_t i = 0; i < t.size(); ++i) t[i] = UpperChar(char(i));
    return t;
  }();
  upper_.assign(title_);
  for (char& c : upper_) c = kUpper[uint8_t(c)];
  const std::string& upper = upper_;
  if (!SheetNoInTitle(header.sheetNo, upper)) Mismatch(UpperCase(StripLead(header.sheetNo)), "Sheet No. ");
  if (!RevisionMatches(header.revNo, upper)) Mismatch(std::to_string(header.revNo), "Sheet Rev. No. ");
  const bool alt = upper.find("ALT") != std::string::npos;
  if ((header.altId != 0) != alt) Mismatch(std::to_string(header.altId), "Alt sheet ID ");
}

}  // namespace vorne
