#include "filings/FilingFields.h"

#include "store/Common.h"

namespace vorne {

size_t MinimumRecordLength(char type) {
  static constexpr size_t kMin[10] = {20, 17, 12, 23, 21, 5, 4, 7, 4, 28};
  if (type < '0' || type > '9') return 0;
  return kMin[type - '0'];
}

std::string FieldAt(std::string_view record, size_t from, size_t width) {
  std::string f;
  FieldInto(record, from, width, f);
  return f;
}

void FieldInto(std::string_view record, size_t from, size_t width, std::string& out) {
  out.clear();
  if (from >= 1 && from - 1 < record.size()) out.append(record.substr(from - 1, width));
  if (out.size() < width) out.append(width - out.size(), ' ');
}

std::string TextField(std::string_view record, size_t from, size_t width) {
  if (from < 1 || from - 1 >= record.size()) return "";
  return std::string(record.substr(from - 1, width));
}

static bool IsDigit(char c) { return c >= '0' && c <= '9'; }

uint16_t SixDigitDate(std::string_view six) {
  std::string f = PadRight(six.substr(0, six.size() < 6 ? six.size() : 6), 6);
  for (char c : f)
    if (!IsDigit(c) && c != ' ') return 0;
  if (f[0] == ' ' && f[1] == ' ') return 0;
  int month = TwoDigitNumber(f[0], f[1]);
  int day = TwoDigitNumber(f[2], f[3]);
  int yy = TwoDigitNumber(f[4], f[5]);
  int year = yy >= 80 ? 1900 + yy : 2000 + yy;
  // The packed date keeps year - 1950 in 7 bits: 2078 and later would wrap.
  if (year > 1950 + 127) return 0;
  if (!IsValidDate(year, month, day)) return 0;
  return PackDate(year, month, day);
}

uint8_t TwoDigitNumber(char a, char b) {
  const bool ha = a != ' ', hb = b != ' ';
  if (ha && hb) return uint8_t((a - '0') * 10 + (b - '0'));
  if (hb) return uint8_t(b - '0');
  if (ha) return uint8_t(a - '0');
  return 0;
}

int ThreeDigitNumber(std::string_view three) {
  int n = 0;
  for (size_t i = 0; i < 3 && i < three.size(); ++i)
    if (IsDigit(three[i])) n = n * 10 + (three[i] - '0');
  return n;
}

uint8_t PitchCodeFor(int cpi) {
  static constexpr int kCpi[4] = {10, 12, 15, 17};
  for (int i = 0; i < 4; ++i)
    if (kCpi[i] >= cpi) return uint8_t(i + 1);
  return 4;
}

std::optional<int64_t> DecimalNumber(std::string_view text) {
  std::string t = TrimBoth(text);
  if (t.empty() || t.size() > 12) return std::nullopt;
  int64_t n = 0;
  for (char c : t) {
    if (!IsDigit(c)) return std::nullopt;
    n = n * 10 + (c - '0');
  }
  return n;
}

TZoakCite FilingCitation(std::string_view record) {
  std::string f = record.size() < 42 ? FieldAt(record, 5, 9) : FieldAt(record, 44, 9);
  if (f.compare(4, 3, " -1") == 0) return TZoakCite::None();
  TZoakCite c;
  const int volume = TwoDigitNumber(f[0], f[1]);
  c.volume = uint8_t(volume < 50 ? volume + 100 : volume);
  c.series = TwoDigitNumber(f[2], f[3]);
  c.paragraph = int16_t(ThreeDigitNumber(f.substr(4, 3)));
  c.year = CitationYear(volume);
  return c;
}

std::string LogFileName(std::string_view filingPath) {
  size_t slash = filingPath.find_last_of("\\/:");
  std::string name(slash == std::string_view::npos ? filingPath : filingPath.substr(slash + 1));
  size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  return name + ".TXT";
}

std::vector<std::string> WordWrap(std::string_view line, size_t width) {
  std::string_view l = line.substr(0, line.size() < 255 ? line.size() : 255);
  size_t indent = 0;
  while (indent < l.size() && indent < 20 && l[indent] == ' ') ++indent;
  const std::string lead(indent, ' ');
  std::string rest(l.substr(indent));
  const size_t room = width > indent ? width - indent : 1;
  std::vector<std::string> pieces;
  while (rest.size() > room) {
    size_t p = room;
    while (p >= 1 && rest[p] != ' ') --p;
    if (p == 0) {
      // No blank to break at: break at the width and keep every character.
      pieces.push_back(lead + rest.substr(0, room));
      rest.erase(0, room);
    } else {
      pieces.push_back(lead + rest.substr(0, p));
      rest.erase(0, p + 1);
    }
  }
  pieces.push_back(lead + rest);
  return pieces;
}

}  // namespace vorne
