// Small types and text rules shared by every part of the library store:
// fixed text fields, the packed date, sheet numbers and their sort keys,
// revision words and the casing rules for sheet, issuer and company names.
// Everything here is pure; text is Windows-1252 held in std::string as bytes.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Clock.h"

namespace vorne {

// ---- list types --------------------------------------------------------

struct TLongInt {
  explicit TLongInt(int32_t v) : value(v) {}
  int32_t value;
};

// A list of integers; duplicates allowed, insertion order kept.
class TLongChain {
 public:
  void Add(int32_t n) { items_.push_back(TLongInt(n)); }
  bool Contains(int32_t n) const;
  size_t Count() const { return items_.size(); }
  int32_t operator[](size_t i) const { return items_[i].value; }

 private:
  std::vector<TLongInt> items_;
};

// One heap copy of a string, the payload object of string lists.
struct TString {
  explicit TString(std::string s) : text(std::move(s)) {}
  std::string text;
};

// ---- text helpers -------------------------------------------------------

std::string TrimRight(std::string_view s);  // trailing spaces and NULs
std::string TrimBoth(std::string_view s);
std::string StripLead(std::string_view s);  // "00012A" -> "12A", "0" stays "0"
std::string PadRight(std::string_view s, size_t w);
std::string PadLeft(std::string_view s, size_t w);
std::string ZeroPad(int64_t n, size_t w);  // leading zeros to w; cut to 8 characters
std::string CharsToString(std::string_view chars, size_t n);
inline int32_t Min(int32_t a, int32_t b) { return a < b ? a : b; }
inline int32_t Max(int32_t a, int32_t b) { return a > b ? a : b; }

// Windows-1252 letter case (ASCII plus the accented letters of the code page).
char UpperChar(char c);
char LowerChar(char c);
std::string UpperCase(std::string_view s);
std::string LowerCase(std::string_view s);
// The Unicode character of a Windows-1252 byte; the five bytes the code page
// leaves undefined keep their C1 code points, so any byte string survives.
char16_t UnicodeOf1252(uint8_t b);
// The text in UTF-8, for files other programs read as Unicode.
std::string Utf8From1252(std::string_view s);
// ASCII letters compared without case; <0, 0, >0.
int CompareNoCase(std::string_view a, std::string_view b);
bool EqualNoCase(std::string_view a, std::string_view b);
bool Contains(std::string_view hay, std::string_view needle);
// The lines of a text file, CR LF or LF ended (a template, a list).
std::vector<std::string> SplitLines(std::string_view bytes);

// ---- sheet numbers ------------------------------------------------------

struct TSheetNo {
  int32_t number = 0;
  std::string suffix;  // upper case, trimmed on the right
};
TSheetNo ParseSheetNo(std::string_view chars8);
int CompareSheetNo(std::string_view a, std::string_view b);  // -1, 0, 1
// A sheet number split once for many comparisons; suffix views the field,
// trimmed on the right, letter case as stored.
struct TSheetNoView {
  int32_t number = 0;
  std::string_view suffix;
};
TSheetNoView SplitSheetNo(std::string_view chars8);
int CompareSheetNo(const TSheetNoView& a, const TSheetNoView& b);  // as CompareSheetNo
std::string MakeSheetKey(std::string_view chars8);

// ---- dates --------------------------------------------------------------


bool IsValidDate(int y, int m, int d);
uint16_t PackDate(int y, int m, int d);
TDate UnpackDate(uint16_t v);  // 0 gives 1 January 1950
bool IsValidPacked(uint16_t v);

uint16_t TodayPacked();

// The short date format: M/D/YYYY without leading zeros.
std::string ShortDate(const TDate& d);
std::optional<TDate> ParseShortDate(std::string_view text);
std::optional<uint16_t> DateToPacked(std::string_view text);
std::string PackedToText(uint16_t v);      // "  Missing " for 0, else padded to 10
std::string SafePackedToText(uint16_t v);  // "00/00/19**" for an impossible date
// "dddd mmmm d,yyyy" with English names, e.g. "Wednesday December 9,2026".
std::string LongDate(const TDate& d);

// Day counts since 30 December 1899 (1.0 is 31 December 1899).
double DateToSerial(const TDate& d);
TDate SerialToDate(double serial);
double PackedToSerial(uint16_t v);  // 0 counts as 1 January 1950

// ---- words and names ----------------------------------------------------

std::string RevisionWord(int n);
std::string TitleCase(std::string_view s);
// The same written into out (its storage reused): once per imported sheet.
void TitleCaseInto(std::string_view s, std::string& out);
std::string IssuerName(std::string_view s);
std::string NormalizeCompanyName(std::string_view s);
std::string EscapeAmp(std::string_view s);

}  // namespace vorne
