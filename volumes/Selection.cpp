#include "volumes/Selection.h"

#include <algorithm>
#include <cmath>

#include "store/Common.h"
#include "store/Records.h"

namespace vorne {

TByteSet CurrentStatuses() { return {kSuspended, kEffective, kPending}; }
TByteSet ArchiveStatuses() { return {kSuperseded, kRejected, kWithdrawn}; }

namespace {

// Calendar dates are compared, so a bound carrying a time of day still
// takes in the whole of its day.
bool InDateRange(uint16_t packed, const TDateRange& r) {
  double day = PackedToSerial(packed);
  return std::floor(r.From) <= day && day <= r.To;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

// ---- acceptance ------------------------------------------------------------

bool TSelection::AcceptSheet(const TSheetBody& body) const {
  if (!OrientationSet.Has(body.orientation)) return false;
  // Any non-zero flag is shown as subject to refund, so it is selected as such.
  if (!RefundAny && (body.refundFlag != 0) != (RefundWanted != 0)) return false;
  if (SheetNoSelect && !InRange(body.sheetNo)) return false;
  // Deleted sheets stay out unless the status set asks for them, even with
  // status selection off.
  if (StatusSelect || body.status == kDeleted) {
    if (body.status > 7 || !StatusSet.Has(body.status)) return false;
  }
  if (TypeSelect && !TypeSet.Has(body.sheetType)) return false;
  if (FilingUpdatedDates) {
    if (!InDateRange(body.filingDate, Range(TDateKind::Filing))) return false;
    if (!InDateRange(body.updDate, Range(TDateKind::Updated))) return false;
  }
  return true;
}

bool TSelection::AcceptDocket(const TDocketBody& body) const {
  if (EffectiveOrderDates) {
    if (!InDateRange(body.effectiveDate, Range(TDateKind::Effective))) return false;
    if (!InDateRange(body.orderDate, Range(TDateKind::Order))) return false;
  }
  if (!DocketSelect) return true;
  std::string line = DocketLine(body);
  return std::any_of(ChosenDockets.begin(), ChosenDockets.end(),
                     [&](const std::string& chosen) { return EqualNoCase(chosen, line); });
}

bool TSelection::InRange(std::string_view sheetNo) const {
  TSheetNo s = ParseSheetNo(sheetNo);
  if (FromText != kOpenFromText) {
    if (s.number < FromNumber) return false;
    if (s.number == FromNumber && FromSuffix > s.suffix) return false;
  }
  if (ToText != kOpenToText) {
    if (s.number > ToNumber) return false;
    if (s.number == ToNumber && ToSuffix < s.suffix) return false;
  }
  return true;
}

// ---- dialog fields -------------------------------------------------------------

bool TSelection::ParseBound(std::string_view field, TBound which) {
  const bool from = which == TBound::From;
  const std::string open = from ? kOpenFromText : kOpenToText;
  std::string text = UpperCase(field.substr(0, std::min<size_t>(field.size(), 8)));
  if (TrimBoth(text).empty()) text = open;

  int32_t number = 0;
  std::string suffix;
  if (text != open) {
    size_t i = text.find_first_not_of(' ');
    bool negative = false;
    if (text[i] == '+' || text[i] == '-') {
      // A sign promises a number; without one the text cannot be used.
      negative = text[i] == '-';
      ++i;
      if (i == text.size() || !IsDigit(text[i])) return false;
    }
    // A bound is a number with an optional suffix ("12", "12A"): a text
    // without a leading number ("abc") would let every numbered sheet pass,
    // so it is refused and the dialog says so.
    if (!IsDigit(text[i])) return false;
    while (i < text.size() && IsDigit(text[i])) number = number * 10 + (text[i++] - '0');
    if (negative) number = -number;
    suffix = TrimRight(std::string_view(text).substr(i));
  }
  (from ? FromText : ToText) = text;
  (from ? FromNumber : ToNumber) = number;
  (from ? FromSuffix : ToSuffix) = suffix;
  return true;
}

bool TSelection::ParseDateField(std::string_view field, TDateKind kind, TDateEnd end) {
  std::string text = TrimBoth(field);
  double& slot = end == TDateEnd::From ? Range(kind).From : Range(kind).To;
  if (text.empty() || text.compare(0, 3, "...") == 0) {
    slot = end == TDateEnd::From ? kNoDateFrom : kNoDateTo;
    return true;
  }
  std::optional<TDate> date = ParseShortDate(text);
  if (!date) return false;
  slot = DateToSerial(*date);
  if (kind == TDateKind::Effective || kind == TDateKind::Order)
    EffectiveOrderDates = true;
  else
    FilingUpdatedDates = true;
  return true;
}

std::string TSelection::ShowDate(TDateKind kind, TDateEnd end) const {
  double v = end == TDateEnd::From ? Range(kind).From : Range(kind).To;
  if (v == kNoDateFrom || v == kNoDateTo) return "...";
  return ShortDate(SerialToDate(v));
}

// ---- resets and shortcuts ------------------------------------------------------

void TSelection::ResetDocketSelection() {
  ChosenDockets.clear();
  DocketSelect = false;
}

void TSelection::ResetDates() {
  DateRanges.fill(TDateRange{});
  EffectiveOrderDates = false;
}

void TSelection::RestoreListDefaults() {
  OrientationSet = {'L', 'P'};
  RefundWanted = 1;
  RefundAny = true;
}

void TSelection::SelectStatuses(const TByteSet& codes) {
  StatusSet = codes;
  StatusSelect = true;
}

bool TSelection::ApplyStatusWord(std::string_view word) {
  if (word == "EFFECTIVE")
    SelectStatuses({kEffective});
  else if (word == "PENDING")
    SelectStatuses({kPending});
  else if (word == "CURRENT")
    SelectStatuses(CurrentStatuses());
  else if (word == "ARCHIVE")
    SelectStatuses(ArchiveStatuses());
  else
    return false;
  return true;
}

void TSelection::ApplyRecent(double serial) {
  FilingUpdatedDates = true;
  Range(TDateKind::Updated).From = serial;
}

}  // namespace vorne
