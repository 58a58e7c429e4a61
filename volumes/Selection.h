// The selection criteria of a run: which sheet versions of the marked
// volumes a run sees. The header list asks AcceptSheet of every sheet record
// and AcceptDocket of every docket record while it loads a volume; the
// criteria dialogs (volumes/Selectors.h), the command line and the mode
// changes set the fields.
//
// One TSelection lives for the whole program run, owned by the run state and
// passed by reference; opening another library does not reset it. Nothing
// here talks to the person: parse failures are returned and the dialog
// models turn them into messages.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "store/Headers.h"

namespace vorne {

struct TSheetBody;
struct TDocketBody;

// A set of byte values (orientation bytes, sheet types, status codes).
class TByteSet {
 public:
  TByteSet() = default;
  TByteSet(std::initializer_list<uint8_t> values) {
    for (uint8_t v : values) bits_.set(v);
  }
  bool Has(uint8_t v) const { return bits_.test(v); }
  void Add(uint8_t v) { bits_.set(v); }
  void Remove(uint8_t v) { bits_.reset(v); }
  void Set(uint8_t v, bool on) { bits_.set(v, on); }
  void Clear() { bits_.reset(); }
  bool Empty() const { return bits_.none(); }
  bool operator==(const TByteSet&) const = default;

 private:
  std::bitset<256> bits_;
};

// Date-time values are day counts since 30 December 1899; these two ends
// mean "no bound", since every packed date lies between them.
inline constexpr double kNoDateFrom = 1.0;
inline constexpr double kNoDateTo = 1095000.0;

struct TDateRange {
  double From = kNoDateFrom;
  double To = kNoDateTo;
};

// The four ranges, in the order of the date dialog's rows.
enum class TDateKind { Filing = 1, Effective = 2, Order = 3, Updated = 4 };
enum class TDateEnd { From, To };
enum class TBound { From, To };

inline constexpr char kOpenFromText[] = "[...";
inline constexpr char kOpenToText[] = "...]";

// The status sets of the dialog buttons and the command-line words.
TByteSet CurrentStatuses();  // Suspended, Effective, Pending
TByteSet ArchiveStatuses();  // Superseded, Rejected, Withdrawn

// The header list applies it to every record while a volume loads.
class TSelection : public TSheetFilter {
 public:
  bool StatusSelect = false;
  bool SheetNoSelect = false;
  bool TypeSelect = false;
  TByteSet OrientationSet{'L', 'P'};
  uint8_t RefundWanted = 1;
  bool RefundAny = true;
  bool FilingUpdatedDates = false;   // filing-date and date-updated ranges on
  bool EffectiveOrderDates = false;  // effective-date and order-date ranges on
  TByteSet TypeSet;                  // sheet type codes 1-10
  TByteSet StatusSet;                // status codes 0-7; kept when StatusSelect goes off
  std::string FromText = kOpenFromText;
  std::string ToText = kOpenToText;
  std::array<TDateRange, 4> DateRanges;
  int32_t FromNumber = 0;
  int32_t ToNumber = 0;
  std::string FromSuffix;
  std::string ToSuffix;
  bool DocketSelect = false;
  std::vector<std::string> ChosenDockets;  // docket lines, matched without case

  TDateRange& Range(TDateKind kind) { return DateRanges[size_t(kind) - 1]; }
  const TDateRange& Range(TDateKind kind) const { return DateRanges[size_t(kind) - 1]; }

  // ---- the tests the header list applies ------------------------------

  // Orientation, refund, sheet number, status (a Deleted sheet is always
  // tested against StatusSet), type, then the filing and updated dates.
  bool AcceptSheet(const TSheetBody& body) const override;
  // Effective and order dates, then the chosen docket lines.
  bool AcceptDocket(const TDocketBody& body) const override;
  // The sheet-number range; an open end does not limit.
  bool InRange(std::string_view sheetNo) const;

  // ---- parsing and showing the dialog fields ----------------------------

  // Reads one bound of the sheet-number range from its field and stores the
  // upper-cased text (cut to 8) in FromText / ToText with its number and
  // suffix. "[..." (From), "...]" (To) or a blank field leave that end open
  // (a blank field stores the open text). Leading blanks are skipped; digits
  // then a suffix give number and suffix (trimmed on the right, as sheet
  // numbers are). False, with nothing stored, when the text does not start
  // with a number (an optional sign, then a digit).
  bool ParseBound(std::string_view field, TBound which);
  // A blank field or one starting "..." resets that end to its default;
  // otherwise a M/D/YYYY date sets the end and turns on the flag of its
  // kind. False for an unreadable date, with nothing changed. Never clears
  // a flag.
  bool ParseDateField(std::string_view field, TDateKind kind, TDateEnd end);
  // "..." for an end that holds one of the no-bound values, else M/D/YYYY.
  std::string ShowDate(TDateKind kind, TDateEnd end) const;

  // ---- resets and shortcuts ----------------------------------------------

  // Another volume was clicked: no docket criterion, no chosen lines.
  void ResetDocketSelection();
  // Start-up: every date range open, the effective/order flag off.
  void ResetDates();
  // The sheet list window was created: both orientations, any refund flag.
  void RestoreListDefaults();
  // Status selection on with exactly these codes.
  void SelectStatuses(const TByteSet& codes);
  // "EFFECTIVE", "PENDING", "CURRENT" or "ARCHIVE" (upper case): selects its
  // status set and returns true; any other word is not recognised.
  bool ApplyStatusWord(std::string_view word);
  // Sheets updated on or after the given day: the filing/updated flag on
  // and the lower end of the date-updated range moved there.
  void ApplyRecent(double serial);
};

}  // namespace vorne
