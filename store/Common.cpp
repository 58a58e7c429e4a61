#include "store/Common.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>

namespace vorne {

bool TLongChain::Contains(int32_t n) const {
  for (const TLongInt& i : items_)
    if (i.value == n) return true;
  return false;
}

// ---- text helpers -------------------------------------------------------

std::string TrimRight(std::string_view s) {
  size_t n = s.size();
  while (n > 0 && (s[n - 1] == ' ' || s[n - 1] == '\0')) --n;
  return std::string(s.substr(0, n));
}

std::string TrimBoth(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  return TrimRight(s.substr(i));
}

char16_t UnicodeOf1252(uint8_t b) {
  // Bytes 0x80-0x9F; the rest of the code page is Latin-1.
  static constexpr char16_t kHigh[32] = {
      0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  return b >= 0x80 && b < 0xA0 ? kHigh[b - 0x80] : char16_t(b);
}

std::string Utf8From1252(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (char ch : s) {
    const char16_t u = UnicodeOf1252(static_cast<uint8_t>(ch));
    if (u < 0x80) {
      out += char(u);
    } else if (u < 0x800) {
      out += char(0xC0 | (u >> 6));
      out += char(0x80 | (u & 0x3F));
    } else {
      out += char(0xE0 | (u >> 12));
      out += char(0x80 | ((u >> 6) & 0x3F));
      out += char(0x80 | (u & 0x3F));
    }
  }
  return out;
}

std::string StripLead(std::string_view s) {
  std::string t = TrimRight(s);
  size_t i = 0;
  while (t.size() - i > 1 && (t[i] == ' ' || t[i] == '0')) ++i;
  return t.substr(i);
}

std::string PadRight(std::string_view s, size_t w) {
  std::string t(s);
  if (t.size() < w) t.append(w - t.size(), ' ');
  return t;
}

std::string PadLeft(std::string_view s, size_t w) {
  if (s.size() >= w) return std::string(s);
  return std::string(w - s.size(), ' ') + std::string(s);
}

std::string ZeroPad(int64_t n, size_t w) {
  std::string t = std::to_string(n);
  if (t.size() < w) t.insert(0, w - t.size(), '0');
  if (t.size() > 8) t.resize(8);
  return t;
}

std::string CharsToString(std::string_view chars, size_t n) {
  return std::string(chars.substr(0, n < chars.size() ? n : chars.size()));
}

namespace {

// The letter-case rules by table: they run on every character of every title.
constexpr char UpperOf(unsigned char u) {
  if (u >= 'a' && u <= 'z') return char(u - 32);
  if (u >= 0xE0 && u <= 0xFE && u != 0xF7) return char(u - 32);
  if (u == 0x9A || u == 0x9C || u == 0x9E) return char(u - 16);
  if (u == 0xFF) return char(0x9F);
  return char(u);
}

constexpr char LowerOf(unsigned char u) {
  if (u >= 'A' && u <= 'Z') return char(u + 32);
  if (u >= 0xC0 && u <= 0xDE && u != 0xD7) return char(u + 32);
  if (u == 0x8A || u == 0x8C || u == 0x8E) return char(u + 16);
  if (u == 0x9F) return char(0xFF);
  return char(u);
}

// What ends a word for title case: always, outside sheet numbers, or only in them.
enum TWordEnd : uint8_t { kNoEnd, kAlwaysEnds, kEndsBeforeSheet, kEndsInSheet };

struct TCaseTables {
  char upper[256];
  char lower[256];
  uint8_t wordEnd[256];
};

constexpr TCaseTables MakeCaseTables() {
  TCaseTables t{};
  for (unsigned i = 0; i < 256; ++i) {
    t.upper[i] = UpperOf((unsigned char)i);
    t.lower[i] = LowerOf((unsigned char)i);
    t.wordEnd[i] = kNoEnd;
  }
  for (unsigned char c : {' ', '&', ',', '-', '/'}) t.wordEnd[c] = kAlwaysEnds;
  for (unsigned char c : {'(', '.'}) t.wordEnd[c] = kEndsBeforeSheet;
  for (unsigned char c = '0'; c <= '9'; ++c) t.wordEnd[c] = kEndsInSheet;
  return t;
}

constexpr TCaseTables kCase = MakeCaseTables();

}  // namespace

char UpperChar(char c) { return kCase.upper[uint8_t(c)]; }

char LowerChar(char c) { return kCase.lower[uint8_t(c)]; }

std::string UpperCase(std::string_view s) {
  std::string t(s);
  for (char& c : t) c = UpperChar(c);
  return t;
}

std::string LowerCase(std::string_view s) {
  std::string t(s);
  for (char& c : t) c = LowerChar(c);
  return t;
}

static unsigned char AsciiUpper(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return (u >= 'a' && u <= 'z') ? u - 32 : u;
}

int CompareNoCase(std::string_view a, std::string_view b) {
  size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = AsciiUpper(a[i]), y = AsciiUpper(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

bool EqualNoCase(std::string_view a, std::string_view b) { return CompareNoCase(a, b) == 0; }

bool Contains(std::string_view hay, std::string_view needle) {
  return hay.find(needle) != std::string_view::npos;
}

std::vector<std::string> SplitLines(std::string_view bytes) {
  std::vector<std::string> lines;
  size_t at = 0;
  while (at < bytes.size()) {
    size_t nl = bytes.find('\n', at);
    if (nl == std::string_view::npos) nl = bytes.size();
    std::string line(bytes.substr(at, nl - at));
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    at = nl + 1;
  }
  return lines;
}

// ---- sheet numbers ------------------------------------------------------

TSheetNoView SplitSheetNo(std::string_view chars8) {
  std::string_view s = chars8.substr(0, chars8.size() < 8 ? chars8.size() : 8);
  TSheetNoView r;
  size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
    r.number = r.number * 10 + (s[i] - '0');
    ++i;
  }
  size_t n = s.size();
  while (n > i && (s[n - 1] == ' ' || s[n - 1] == '\0')) --n;
  r.suffix = s.substr(i, n - i);
  return r;
}

int CompareSheetNo(const TSheetNoView& x, const TSheetNoView& y) {
  if (x.number != y.number) return x.number < y.number ? -1 : 1;
  // Suffixes compare upper-cased, byte by byte as unsigned, then by length.
  const size_t n = std::min(x.suffix.size(), y.suffix.size());
  for (size_t i = 0; i < n; ++i) {
    const uint8_t p = uint8_t(kCase.upper[uint8_t(x.suffix[i])]);
    const uint8_t q = uint8_t(kCase.upper[uint8_t(y.suffix[i])]);
    if (p != q) return p < q ? -1 : 1;
  }
  if (x.suffix.size() != y.suffix.size()) return x.suffix.size() < y.suffix.size() ? -1 : 1;
  return 0;
}

TSheetNo ParseSheetNo(std::string_view chars8) {
  const TSheetNoView v = SplitSheetNo(chars8);
  return TSheetNo{v.number, UpperCase(v.suffix)};
}

// Sorting and range checks compare sheet numbers by the million: no copies.
int CompareSheetNo(std::string_view a, std::string_view b) { return CompareSheetNo(SplitSheetNo(a), SplitSheetNo(b)); }

std::string MakeSheetKey(std::string_view chars8) {
  // The number right-aligned in 8 places, then the suffix upper-cased: made
  // in one buffer, as every sheet of a loaded volume gets its key.
  const TSheetNoView n = SplitSheetNo(chars8);
  char digits[16];
  const size_t length = size_t(std::to_chars(digits, digits + sizeof digits, n.number).ptr - digits);
  std::string key;
  key.reserve(16);
  if (length < 8) key.append(8 - length, ' ');
  key.append(digits, length);
  for (char c : n.suffix) {
    if (key.size() >= 16) break;
    key.push_back(kCase.upper[uint8_t(c)]);
  }
  if (key.size() > 16) key.resize(16);
  return key;
}

// ---- dates --------------------------------------------------------------

static int DaysInMonth(int y, int m) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (m == 2 && ((y % 4 == 0 && y % 100 != 0) || y % 400 == 0)) return 29;
  return kDays[m - 1];
}

bool IsValidDate(int y, int m, int d) {
  return y >= 1 && y <= 9999 && m >= 1 && m <= 12 && d >= 1 && d <= DaysInMonth(y, m);
}

uint16_t PackDate(int y, int m, int d) { return uint16_t(((y - 1950) * 16 + m) * 32 + d); }

TDate UnpackDate(uint16_t v) {
  if (v == 0) return {1950, 1, 1};
  return {1950 + (v >> 9), (v >> 5) & 15, v & 31};
}

bool IsValidPacked(uint16_t v) {
  TDate d = UnpackDate(v);
  return IsValidDate(d.year, d.month, d.day);
}

uint16_t TodayPacked() {
  TDate d = Today();
  return PackDate(d.year, d.month, d.day);
}

std::string ShortDate(const TDate& d) {
  return std::to_string(d.month) + "/" + std::to_string(d.day) + "/" + std::to_string(d.year);
}

std::optional<TDate> ParseShortDate(std::string_view text) {
  std::string t = TrimBoth(text);
  int parts[3] = {0, 0, 0};
  int digits[3] = {0, 0, 0};
  int k = 0;
  for (char c : t) {
    if (c >= '0' && c <= '9') {
      if (digits[k] >= 4) return std::nullopt;
      parts[k] = parts[k] * 10 + (c - '0');
      ++digits[k];
    } else if (c == '/' && k < 2 && digits[k] > 0) {
      ++k;
    } else {
      return std::nullopt;
    }
  }
  if (k != 2 || digits[2] == 0) return std::nullopt;
  int y = parts[2];
  if (digits[2] <= 2) y += (y < 50 ? 2000 : 1900);  // two-digit years, as the platform reads them
  if (!IsValidDate(y, parts[0], parts[1])) return std::nullopt;
  return TDate{y, parts[0], parts[1]};
}

std::optional<uint16_t> DateToPacked(std::string_view text) {
  std::optional<TDate> d = ParseShortDate(text);
  if (!d || d->year < 1950 || d->year > 2077) return std::nullopt;
  return PackDate(d->year, d->month, d->day);
}

std::string PackedToText(uint16_t v) {
  if (v == 0) return "  Missing ";
  // An impossible value shows as the listings show it rather than stopping a run.
  if (!IsValidPacked(v)) return "00/00/19**";
  return PadLeft(ShortDate(UnpackDate(v)), 10);
}

std::string SafePackedToText(uint16_t v) { return PackedToText(v); }

std::string LongDate(const TDate& d) {
  static const char* kDays[] = {"Sunday", "Monday", "Tuesday", "Wednesday",
                                "Thursday", "Friday", "Saturday"};
  static const char* kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                                  "July",    "August",   "September", "October", "November", "December"};
  // 30 December 1899 was a Saturday.
  long serial = long(DateToSerial(d));
  int wd = int(((serial % 7) + 7 + 6) % 7);
  return std::string(kDays[wd]) + " " + kMonths[d.month - 1] + " " + std::to_string(d.day) + "," +
         std::to_string(d.year);
}

static long DaysFromCivil(int y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = unsigned(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + long(doe) - 719468;
}

static const long kSerialEpoch = DaysFromCivil(1899, 12, 30);

double DateToSerial(const TDate& d) {
  return double(DaysFromCivil(d.year, unsigned(d.month), unsigned(d.day)) - kSerialEpoch);
}

TDate SerialToDate(double serial) {
  long z = long(serial) + kSerialEpoch + 719468;
  const long era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = unsigned(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long y = long(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  return {int(y + (m <= 2)), int(m), int(d)};
}

double PackedToSerial(uint16_t v) {
  TDate d = UnpackDate(v);
  if (!IsValidDate(d.year, d.month, d.day)) d = {d.year, 1, 1};
  return DateToSerial(d);
}

// ---- words and names ----------------------------------------------------

std::string RevisionWord(int n) {
  static const char* kWords[] = {"Original", "First", "Second", "Third",  "Fourth",   "Fifth",  "Sixth",
                                 "Seventh",  "Eighth", "Ninth", "Tenth", "Eleventh", "Twelfth"};
  if (n >= 0 && n <= 12) return kWords[n];
  std::string t = n < 0 ? std::to_string(n) : std::to_string(n) + "'th";
  if (t.size() > 8) t.resize(8);
  return t;
}

std::string TitleCase(std::string_view s) {
  std::string t;
  TitleCaseInto(s, t);
  return t;
}

void TitleCaseInto(std::string_view s, std::string& t) {
  std::string_view v = s.substr(0, s.size() < 54 ? s.size() : 54);
  while (!v.empty() && v.front() == ' ') v.remove_prefix(1);
  while (!v.empty() && (v.back() == ' ' || v.back() == '\0')) v.remove_suffix(1);
  t.resize(v.size());
  char* out = t.data();
  // Every letter lower case but the first of each word; from the word
  // "sheet" on, digits also end a word and "(" and "." no longer do.
  bool sheetMode = false;
  bool wordStart = true;
  for (size_t i = 0; i < v.size(); ++i) {
    char c = kCase.lower[uint8_t(v[i])];
    if (wordStart) {
      if (!sheetMode && c == 's' && v.size() - i >= 5 && kCase.lower[uint8_t(v[i + 1])] == 'h' &&
          kCase.lower[uint8_t(v[i + 2])] == 'e' && kCase.lower[uint8_t(v[i + 3])] == 'e' &&
          kCase.lower[uint8_t(v[i + 4])] == 't')
        sheetMode = true;
      c = kCase.upper[uint8_t(c)];
    }
    out[i] = c;
    // Letter case never turns a byte into one that ends a word, or back.
    const uint8_t end = kCase.wordEnd[uint8_t(c)];
    wordStart = end == kAlwaysEnds || (end == (sheetMode ? kEndsInSheet : kEndsBeforeSheet));
  }
}

static void ReplaceAll(std::string& t, std::string_view from, std::string_view to) {
  for (size_t p; (p = t.find(from)) != std::string::npos;) t.replace(p, from.size(), to);
}

std::string IssuerName(std::string_view s) {
  std::string t = TitleCase(s);
  size_t mc = t.find("Mc");
  if (mc != std::string::npos && mc + 2 < t.size()) t[mc + 2] = UpperChar(t[mc + 2]);
  ReplaceAll(t, ". ", ".");
  ReplaceAll(t, "  ", " ");
  return t;
}

std::string NormalizeCompanyName(std::string_view s) {
  std::string t = TitleCase(s);
  const std::string u = UpperCase(t);
  auto restore = [&](size_t p, size_t n) {
    for (size_t i = p; i < p + n && i < t.size(); ++i) t[i] = UpperChar(t[i]);
  };
  bool prefixed = false;
  for (const char* prefix : {"ANR", "CMS", "MIGC"}) {
    if (u.rfind(prefix, 0) == 0) {
      restore(0, std::string_view(prefix).size());
      prefixed = true;
      break;
    }
  }
  if (!prefixed) {
    // n with tilde in the older code page, mapped to Windows-1252.
    size_t p = t.find('\xA4');
    if (p != std::string::npos) t[p] = '\xF1';
    p = t.find('\xA5');
    if (p != std::string::npos) t[p] = '\xD1';
  }
  for (const char* word : {"LNG", "LLC"}) {
    size_t p = u.find(word);
    if (p != std::string::npos) restore(p, 3);
  }
  size_t lp = u.find("LP");
  if (lp != std::string::npos && lp + 1 > 2 && (t[lp - 1] == ' ' || t[lp - 1] == ',')) restore(lp, 2);
  if (t.size() > 60) t.resize(60);
  return t;
}

std::string EscapeAmp(std::string_view s) {
  std::string t(s);
  size_t p = t.find('&');
  if (p != std::string::npos) t.insert(p + 1, "amp; ");
  return t;
}

}  // namespace vorne
