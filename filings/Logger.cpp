#include "filings/Logger.h"

#include <algorithm>
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

std::string& Logger::NewLine() {
  starts_.push_back(text_.size());
  return text_;
}

const std::vector<std::string>& Logger::Lines() const {
  for (size_t i = lines_.size(); i < starts_.size(); ++i) {
    const size_t end = i + 1 < starts_.size() ? starts_[i + 1] : text_.size();
    lines_.emplace_back(text_, starts_[i], end - starts_[i]);
  }
  return lines_;
}

void Logger::Clear() {
  text_.clear();
  starts_.clear();
  lines_.clear();
}

void Logger::WriteContexts() {
  if (volumePending_) {
    NewLine();
    NewLine().append(code_).append(" ").append(company_);
    NewLine().append(8, ' ').append(volume_);
    volumePending_ = false;
  }
  if (sheetPending_) {
    NewLine();
    // StripLead without a copy: trailing blanks and NULs, then leading blanks
    // and zeros (never the last character).
    std::string_view t(title_);
    while (!t.empty() && (t.back() == ' ' || t.back() == '\0')) t.remove_suffix(1);
    while (t.size() > 1 && (t.front() == ' ' || t.front() == '0')) t.remove_prefix(1);
    NewLine().append(t);
    sheetPending_ = false;
  }
}

void Logger::Add(std::string_view message) { Add({message}); }

void Logger::Add(std::initializer_list<std::string_view> pieces) {
  WriteContexts();
  size_t room = 80;  // a message is cut to 80 characters
  std::string& line = NewLine();
  line.append("   ");
  for (std::string_view p : pieces) {
    p = p.substr(0, room);
    line.append(p);
    room -= p.size();
  }
}

void Logger::Mismatch(const std::string& value, const std::string& label) {
  WriteContexts();
  NewLine().append(value).append(" does not match ").append(title_);
  NewLine().append("   No match for: ").append(label).append(value);
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

// True when no occurs in the title as a token (see TokenAt).
static bool TokenIn(std::string_view no, const std::string& upperTitle) {
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

// hay.find(needle) != npos, keyed on the needle's last character: a sheet
// number field starts with blanks, which a general search tries everywhere.
static bool HoldsBytes(std::string_view hay, std::string_view needle) {
  if (needle.empty()) return true;
  const char last = needle.back();
  for (size_t i = needle.size() - 1; i < hay.size(); ++i)
    if (hay[i] == last && hay.compare(i + 1 - needle.size(), needle.size(), needle) == 0) return true;
  return false;
}

bool SheetNoInTitle(const std::string& sheetNo8, const std::string& upperTitle) {
  if (HoldsBytes(upperTitle, sheetNo8)) return true;
  // The number as StripLead gives it, upper-cased without a copy: this runs
  // once per imported sheet.
  std::string_view no(sheetNo8);
  while (!no.empty() && (no.back() == ' ' || no.back() == '\0')) no.remove_suffix(1);
  while (no.size() > 1 && (no.front() == ' ' || no.front() == '0')) no.remove_prefix(1);
  if (no.empty()) return false;
  char upper[8];
  if (no.size() > sizeof upper) return TokenIn(UpperCase(no), upperTitle);
  for (size_t i = 0; i < no.size(); ++i) upper[i] = UpperChar(no[i]);
  return TokenIn(std::string_view(upper, no.size()), upperTitle);
}

void Logger::SetSheet(const TSheetBody& header, const std::string& title) {
  title_.assign(title.data(), std::min<size_t>(title.size(), 40));
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
