// The 58-byte records of the header file and their in-memory objects:
// volume, sheet, issuer, docket, end and jump records; the packed order
// citation; the shared issuer and docket entries and the sheet version.
//
// Layout of a header record (little-endian, record n at byte 58 * n):
//   0      type (values below; never renumber)
//   1..57  body, by type:
//   VolumeRecord  1 company id char[6], 7 volume id char[4],
//                 11 volume revision char[3], 14 VolumeName string[40]
//   SheetRecord   1 SheetNo char[8], 9 RevNo i16, 11 AltId, 12 UpdDate,
//                 14 FilingDate, 16 page count, 17 SheetType, 18 Orientation,
//                 19 PitchCode, 20 page index, 21 LinesPerInch,
//                 22 FromSheetNo char[8], 30 ToSheetNo char[8], 38 DBF position i32,
//                 42 IssuePos i32, 46 DocketPos i32, 50 Status, 51 OrderType,
//                 52 order citation (5), 57 RefundFlag
//   IssuerRecord  1 Issuer string[54]
//   DocketRecord  1 IssueDate, 3 EffectiveDate, 5 OrderDate, 7 ComplianceDate,
//                 9 Docket char[20], 29 ComplianceDkt char[20], 49 Citevalue (5)
//   JumpRecord    1 target record number i32
// Bytes not listed are written as zero and never read.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/TextPos.h"

namespace vorne {

class TFileCluster;
class TPrimeRef;
class TDataBuffer;
class OutDataBuffer;

inline constexpr int kHdrRecordSize = 58;
using THdrRecord = std::array<uint8_t, kHdrRecordSize>;

// Record types; stored on disk, never renumber.
enum : uint8_t {
  kVolumeRecord = 0,
  kSheetRecord = 1,
  kIssuerRecord = 5,
  kDocketRecord = 6,
  kEndRecord = 8,
  kJumpRecord = 9,
};

// Status codes; stored on disk, never renumber.
enum : uint8_t {
  kSuperseded = 0,
  kRejected = 1,
  kSuspended = 2,
  kEffective = 3,
  kPending = 4,
  kDeleted = 5,
  kWithdrawn = 6,
};

// Display names of the code tables; an unknown code gives "".
std::string StatusName(int code);     // 0-6
std::string OrderTypeName(int code);  // 0-5, 0 is "***"
std::string SheetTypeName(int code);  // 1-10; 0 has no text
int PitchCpi(int code);               // 1-4 -> 10, 12, 15, 17; else 0

// ---- the packed order citation -----------------------------------------

// A new record's citation is all zero bytes; "no citation" (paragraph -1,
// stored as 65535) is set where it is meant: None().
struct TZoakCite {
  uint8_t volume = 0;
  uint8_t series = 0;
  int16_t paragraph = 0;  // -1: no citation
  uint8_t year = 0;       // year - 1900

  static constexpr int kSize = 5;
  static constexpr TZoakCite None() { return {0, 0, -1, 0}; }
  static TZoakCite Decode(const uint8_t* p);
  void Encode(uint8_t* p) const;
  bool IsEmpty() const { return paragraph < 0; }
  // "  61 ZOAK ¶ 1,123 (1992)", or a single space for no citation.
  std::string Display() const;
  // The 9-character citation text of a filing.
  static TZoakCite FromFilingText(std::string_view text9);
  // A typed citation "61 ZOAK ¶ 1,123 (1992)"; nullopt when unreadable.
  static std::optional<TZoakCite> FromTypedText(std::string_view text);
  bool operator==(const TZoakCite&) const = default;
};

// The year (minus 1900) a citation without one is given: from the two-digit
// volume as written, before 100 is added to a volume below 50 (volume 30
// gives 85, volume 90 gives 100).
uint8_t CitationYear(int twoDigitVolume);

// ---- record bodies --------------------------------------------------------

struct TVolumeBody {
  std::string companyId;  // char[6]
  std::string volumeId;   // char[4]
  std::string revision;   // char[3]
  std::string volumeName; // string[40]

  static TVolumeBody Decode(const THdrRecord& r);
  THdrRecord Encode() const;
};

struct TSheetBody {
  std::string sheetNo = std::string(8, ' ');  // char[8]
  int16_t revNo = 0;
  uint8_t altId = 0;
  uint16_t updDate = 0;
  uint16_t filingDate = 0;
  TTextPos text;  // page count at 16, page index at 20, DBF position at 38
  uint8_t sheetType = 0;
  uint8_t orientation = 'P';  // 'P' portrait, anything else landscape
  uint8_t pitchCode = 1;
  uint8_t linesPerInch = '6';
  std::string fromSheetNo = std::string(8, ' ');  // char[8]
  std::string toSheetNo = std::string(8, ' ');    // char[8]
  int32_t issuePos = -1;
  int32_t docketPos = -1;
  uint8_t status = kPending;
  uint8_t orderType = 0;
  TZoakCite orderCite;
  uint8_t refundFlag = 0;

  static TSheetBody Decode(const THdrRecord& r);
  THdrRecord Encode() const;
  // Sets IssuePos and DocketPos of an encoded SheetRecord: a writer may
  // encode a sheet before its entries have positions.
  static void EncodeLinks(THdrRecord& r, int32_t issuePos, int32_t docketPos);
  bool operator==(const TSheetBody&) const = default;
};

struct TDocketBody {
  uint16_t issueDate = 0;
  uint16_t effectiveDate = 0;
  uint16_t orderDate = 0;
  uint16_t complianceDate = 0;
  std::string docket = std::string(20, '\0');         // char[20], NUL or space padded
  std::string complianceDkt = std::string(20, ' ');   // char[20]
  TZoakCite citevalue = TZoakCite::None();

  static constexpr int kSize = 53;
  static TDocketBody Decode(const THdrRecord& r);
  THdrRecord Encode() const;
  bool operator==(const TDocketBody&) const = default;
};

std::string DecodeIssuer(const THdrRecord& r);  // string[54] at offset 1
THdrRecord EncodeIssuer(std::string_view name);
int32_t DecodeJump(const THdrRecord& r);
THdrRecord EncodeJump(int32_t target);
THdrRecord EncodeEnd();

// Docket number up to its first NUL, trimmed, its middle group right-aligned
// in three places ("RP96-1-000" -> "RP96-  1-000").
std::string FormatDocket(const TDocketBody& body);
// PadRight(FormatDocket, 20) + PackedToText(EffectiveDate), cut to 40.
std::string DocketLine(const TDocketBody& body);

// ---- shared issuer and docket entries -----------------------------------

// Base of the entries several sheets share; written once, referenced by
// record number.
class TPosAux {
 public:
  virtual ~TPosAux() = default;
  int32_t position = -1;
  bool linked = false;
  std::shared_ptr<TPosAux> replacement;
  bool modified = false;
  bool stored = false;
  int32_t number = 0;

  virtual bool IsMissing() const = 0;
  virtual bool Equals(const TPosAux& other) const = 0;
  virtual THdrRecord BuildRecord() const = 0;

  // Writes the record unless it is stored and unmodified; returns its
  // record number. Raises the file layer's EInOutError.
  int32_t Write(TFileCluster& cluster);
  void SetNumber(int32_t n);
  void MarkStored(int32_t pos) {
    position = pos;
    stored = true;
  }
};

// The entry itself, or the one standing in for it.
template <class T>
std::shared_ptr<T> Resolve(const std::shared_ptr<T>& e) {
  if (e && e->replacement) return std::static_pointer_cast<T>(e->replacement);
  return e;
}

class T5Entry : public TPosAux {
 public:
  std::string name;  // string[54]

  static std::shared_ptr<T5Entry> FromRecord(const THdrRecord& r, int32_t pos);
  static std::shared_ptr<T5Entry> Placeholder();
  bool IsMissing() const override;
  bool Equals(const TPosAux& other) const override;
  THdrRecord BuildRecord() const override;
};

class T6Entry : public TPosAux {
 public:
  std::string docketText;  // string[20]
  uint16_t lastFilingDate = 0;
  uint8_t lastOrderType = 0;
  TDocketBody body;

  static std::shared_ptr<T6Entry> FromRecord(const THdrRecord& r, int32_t pos);
  static std::shared_ptr<T6Entry> Placeholder();
  bool IsMissing() const override;
  bool Equals(const TPosAux& other) const override;
  THdrRecord BuildRecord() const override;
};

template <class T>
class TAuxList {
 public:
  size_t Count() const { return items_.size(); }
  const std::shared_ptr<T>& operator[](size_t i) const { return items_[i]; }
  void Add(std::shared_ptr<T> e) { items_.push_back(std::move(e)); }
  int IndexOfPos(int32_t pos) const {
    for (size_t i = 0; i < items_.size(); ++i)
      if (items_[i]->position == pos) return int(i);
    return -1;
  }
  int IndexOfEqual(const T& e) const {
    for (size_t i = 0; i < items_.size(); ++i)
      if (e.Equals(*items_[i])) return int(i);
    return -1;
  }
  // Identical data is written once: the first equal entry that is not yet
  // stored takes the given entry's position, and so does every later one.
  void Adopt(const T& e) {
    int first = IndexOfEqual(e);
    if (first < 0 || items_[size_t(first)]->stored) return;
    for (size_t i = size_t(first); i < items_.size(); ++i)
      if (e.Equals(*items_[i])) items_[i]->MarkStored(e.position);
  }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  std::vector<std::shared_ptr<T>> items_;
};

// ---- a sheet version ------------------------------------------------------

class TSheet {
 public:
  TSheet(const TSheetBody& b, TPrimeRef* volume, int32_t pos) : position(pos), body(b), prime(volume) {}

  int32_t position = -1;  // record number of its SheetRecord
  int32_t lineCount = 0;
  int32_t maxLineLength = 0;
  TSheetBody body;
  TPrimeRef* prime = nullptr;  // owned by its cluster
  std::string volumeName;      // string[40]

  // Attaching nullptr attaches a fresh placeholder.
  void AttachIssuer(std::shared_ptr<T5Entry> e);
  void AttachDocket(std::shared_ptr<T6Entry> e);
  std::shared_ptr<T5Entry> Issuer() const { return Resolve(issuer_); }
  std::shared_ptr<T6Entry> Docket() const { return Resolve(docket_); }

 private:
  std::shared_ptr<T5Entry> issuer_;
  std::shared_ptr<T6Entry> docket_;
};

// Negative when a comes first: number, revision (highest first), alternate
// id, effective date (latest first, when the dockets differ), filing date
// (latest first).
int CompareVersions(const TSheet& a, const TSheet& b);
// Same number, revision and alternate id, same name and docket text.
bool IsDuplicateVersion(const TSheet& a, const std::string& nameA, const TSheet& b,
                        const std::string& nameB);

// ---- operations that need the cluster -------------------------------------

// The entry at record pos, or a placeholder when that record is of another type.
std::shared_ptr<T5Entry> ReadEntry5(TFileCluster& cluster, int32_t pos);
std::shared_ptr<T6Entry> ReadEntry6(TFileCluster& cluster, int32_t pos);

// The sheet's title line from the open text buffer ("Title Page" when empty),
// or, without an open buffer, a diagnostic line of its key and text position.
std::string SheetName(TSheet& sheet, TDataBuffer* buffer);
// As SheetName; from an open compressed buffer it also appends the sheet's
// pages to pages, so that one inflate of its block serves both its title and
// its copy. pages is left as it was when they cannot be read (the name is
// then SheetName's) or the buffer is not compressed.
std::string SheetNameKeepingPages(TSheet& sheet, TDataBuffer* buffer, std::vector<uint8_t>& pages);
// Appends the sheet's pages unchanged to another cluster's text; its new
// position, or nullopt when the pages could not be read or written.
std::optional<TTextPos> CopyText(const TSheet& sheet, TDataBuffer& in, OutDataBuffer& out);
// The volume's display line, else the sheet's VolumeName.
std::string DisplayVolume(const TSheet& sheet);
std::string CompanyCodeText(const TSheet& sheet);

// Writes the issuer and docket entries as needed, then the sheet record at pos.
void SaveSheet(TSheet& sheet, TFileCluster& cluster, int32_t pos, bool stamp);

// A change of header fields for many sheets; a zero (or status 7) field is
// left as each sheet has it.
struct THeaderEdit {
  uint16_t filingDate = 0;
  uint8_t status = 7;  // 7 or more: unchanged
  uint8_t orderType = 0;
  std::optional<TZoakCite> orderCite;  // none: each sheet keeps its own
  uint8_t refundFlag = 0;
  bool keepRefund = false;
  uint8_t sheetType = 0;
};
// Applies the edit and writes the sheet at its own record. Its entries are
// not rewritten unless modified; an entry not yet written (position -1) is
// appended, except a placeholder for a missing record, which is never
// written: the sheet then keeps pointing where it did.
void ApplyEdit(TSheet& sheet, const THeaderEdit& edit, TFileCluster& cluster, bool stamp = true);

}  // namespace vorne
