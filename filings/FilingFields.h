// The fixed-position filing records that pipeline companies submit: how a
// line is recognised as a record, the minimum length of each record type,
// and the reading rules of their fields. Everything here is pure.
//
// A record is a line starting "TF0" and a type digit, cut to 76 characters.
// Positions are 1-based; a field reaching past the record reads as blanks.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/Records.h"

namespace vorne {

inline constexpr size_t kFilingRecordLength = 76;

// True for a line whose first three characters are "TF0".
inline bool IsFilingRecord(std::string_view line) {
  return line.size() >= 3 && line[0] == 'T' && line[1] == 'F' && line[2] == '0';
}
// The minimum length of a record type ('0'..'9'); 4 for type 8, which is never
// valid, and 0 for a type character that is not a digit.
size_t MinimumRecordLength(char type);

// Positions from..from+width-1 of the record, padded with blanks to width.
std::string FieldAt(std::string_view record, size_t from, size_t width);
// FieldAt into out, reusing its storage (fields read for every sheet).
void FieldInto(std::string_view record, size_t from, size_t width, std::string& out);
// The text from position `from` to the end of the record, at most width.
std::string TextField(std::string_view record, size_t from, size_t width);

// MMDDYY: none (0) for anything but digits and blanks, for blank month
// digits, for a date that does not exist, and for years 78 and 79 (2078,
// 2079), which a packed date cannot hold. 00-77 are 2000-2077, 80-99 are
// 1980-1999.
uint16_t SixDigitDate(std::string_view six);
// Two positions; blanks are absent digits, other characters are not checked.
uint8_t TwoDigitNumber(char a, char b);
// The digits among three positions, left to right; other characters skipped.
int ThreeDigitNumber(std::string_view three);
// The first pitch code (1-4 for 10, 12, 15, 17 c.p.i.) whose pitch is at
// least cpi; above 17 gives 4, 0 gives 1.
uint8_t PitchCodeFor(int cpi);
// A decimal number made only of digits (blanks around it allowed); nullopt
// for anything else, including an empty field.
std::optional<int64_t> DecimalNumber(std::string_view text);

// The citation of a type 7 record: positions 5-13 when the record is shorter
// than 42 characters, else 44-52. A volume below 50 has 100 added; the year
// is always derived from the two-digit volume (CitationYear); " -1" as item
// clears the citation.
TZoakCite FilingCitation(std::string_view record);

// The name the error log of a filing is proposed under: the filing's file
// name with its extension replaced by ".TXT" ("NAME.ASC" -> "NAME.TXT").
std::string LogFileName(std::string_view filingPath);

// Splits a line too long for width characters: the indent (leading blanks,
// at most 20) repeats on every piece; a piece ends before the last blank
// within the allowed width, or at the width itself when there is no blank,
// so no character other than the blank at a break is lost. The line is cut
// to 255 characters first.
std::vector<std::string> WordWrap(std::string_view line, size_t width);

}  // namespace vorne
