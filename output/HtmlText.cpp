#include "output/HtmlText.h"

#include <algorithm>
#include <array>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "store/Common.h"

namespace vorne {

namespace {

constexpr size_t kMaxBodyLine = 255;

// What each byte of a body line becomes.
const std::array<std::string_view, 256>& BodyTable() {
  static const std::array<std::string_view, 256> table = [] {
    static char singles[256];
    std::array<std::string_view, 256> t{};
    for (int c = 0; c < 256; ++c) {
      singles[c] = char(c);
      if (c < 32 || c >= 128)
        t[size_t(c)] = " ";
      else
        t[size_t(c)] = std::string_view(&singles[c], 1);
    }
    t['"'] = "&quot;";
    t['&'] = "&amp;";
    t['<'] = "&lt;";
    t['>'] = "&gt;";
    t[127] = "";
    t[162] = "&cent;";
    t[167] = "&sect;";
    t[169] = "&copy;";
    t[178] = "&sup2;";
    t[179] = "&sup3;";
    t[182] = "&para;";
    t[188] = "&frac14;";
    t[189] = "&frac12;";
    t[190] = "&frac34;";
    t[209] = "&Ntilde;";
    t[241] = "&ntilde;";
    return t;
  }();
  return table;
}

// The bytes a body line keeps unchanged; the rest go through BodyTable.
constexpr std::array<bool, 256> kKeptAsIs = [] {
  std::array<bool, 256> t{};
  for (int c = 32; c < 127; ++c) t[size_t(c)] = c != '"' && c != '&' && c != '<' && c != '>';
  return t;
}();

// Index of the first byte from i on that is not kept as is; line.size() when none.
size_t NextEscaped(std::string_view line, size_t i) {
#if defined(__SSE2__)
  // Sixteen bytes at a time: every byte of every published sheet passes here.
  // Shifted by 96, the printable 32..126 become -128..-34 as signed bytes and
  // every other byte lies above. '"' and '&' differ only in bit 2, '<' and
  // '>' only in bit 1: one comparison finds each pair.
  const __m128i shift = _mm_set1_epi8(96), printableEnd = _mm_set1_epi8(-34), bit2 = _mm_set1_epi8(4),
                quoteAmp = _mm_set1_epi8('&'), bit1 = _mm_set1_epi8(2), angles = _mm_set1_epi8('>');
  auto toEscape = [&](__m128i v) {
    __m128i m = _mm_cmpgt_epi8(_mm_add_epi8(v, shift), printableEnd);
    m = _mm_or_si128(m, _mm_cmpeq_epi8(_mm_or_si128(v, bit2), quoteAmp));
    m = _mm_or_si128(m, _mm_cmpeq_epi8(_mm_or_si128(v, bit1), angles));
    return unsigned(_mm_movemask_epi8(m));
  };
  for (; i + 16 <= line.size(); i += 16) {
    const unsigned mask = toEscape(_mm_loadu_si128(reinterpret_cast<const __m128i*>(line.data() + i)));
    if (mask != 0) return i + size_t(__builtin_ctz(mask));
  }
  if (i == line.size()) return i;
  if (line.size() >= 16) {
    // The last sixteen bytes, overlapping those already looked at.
    const size_t from = line.size() - 16;
    const unsigned mask = toEscape(_mm_loadu_si128(reinterpret_cast<const __m128i*>(line.data() + from))) >>
                          (i - from);
    return mask != 0 ? i + size_t(__builtin_ctz(mask)) : line.size();
  }
  while (i < line.size() && kKeptAsIs[uint8_t(line[i])]) ++i;
  return i;
#else
  while (i < line.size() && kKeptAsIs[uint8_t(line[i])]) ++i;
  return i;
#endif
}

bool IsDocketRunChar(char c) { return c == ' ' || c == '-' || (c >= '0' && c <= '9'); }

}  // namespace

std::string HtmlBodyLine(std::string_view line) {
  std::string out;
  out.reserve(std::min(line.size(), kMaxBodyLine));
  AppendHtmlBodyLine(out, line);
  return out;
}

void AppendHtmlBodyLine(std::string& out, std::string_view line) {
  const auto& table = BodyTable();
  // Most of a line is printable ASCII that stays as it is: such runs go in
  // whole, the other bytes piece by piece. A piece goes in only if it fits.
  size_t room = kMaxBodyLine;
  size_t i = 0;
  while (i < line.size()) {
    const size_t j = NextEscaped(line, i);
    const size_t run = std::min(j - i, room);
    out.append(line.data() + i, run);
    room -= run;
    if (run < j - i || j == line.size()) return;
    const std::string_view piece = table[uint8_t(line[j])];
    if (piece.size() > room) return;
    out.append(piece);
    room -= piece.size();
    i = j + 1;
  }
}

std::string HtmlText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  AppendHtmlText(out, text);
  return out;
}

void AppendHtmlText(std::string& out, std::string_view text) {
  // Titles and names are short: a plain pass beats searching for either mark.
  size_t from = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '<' && text[i] != '>') continue;
    out.append(text.data() + from, i - from);
    out.append(text[i] == '<' ? "&lt;" : "&gt;", 4);
    from = i + 1;
  }
  out.append(text.data() + from, text.size() - from);
}

std::string HtmlName(std::string_view name) { return HtmlText(EscapeAmp(name)); }

bool IsBlankField(std::string_view field) {
  for (char c : field)
    if (c != ' ' && c != '\0') return false;
  return true;
}

std::string ComplianceText(std::string_view dkt) {
  dkt = dkt.substr(0, 20);
  size_t end = dkt.size() < 2 ? dkt.size() : 2;
  while (end < dkt.size() && IsDocketRunChar(dkt[end])) ++end;
  return std::string(dkt.substr(0, end));
}

std::string CodeStem(std::string_view codeText) {
  return std::string(codeText.size() > 1 ? codeText.substr(1, 5) : codeText);
}

std::string CollisionStem(std::string_view codeText) { return "X" + std::string(codeText); }

std::string PageFileSuffix(int pageFile) {
  static constexpr char kChars[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  if (pageFile >= 0 && pageFile < 36) return std::string(1, kChars[pageFile]);
  return "_" + ZeroPad(pageFile, 3);
}

}  // namespace vorne
