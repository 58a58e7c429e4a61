// The prime file's records and the texts derived from them.
//
// PrimeRecord, 96 bytes, record n at byte 96 * n ("GZPrime", "Prime4"):
//   0 FirstHdr i32, 4 VolRevNo i16, 6 SheetCount u16, 8 CompanyCode u32,
//   12 FromSheet char[8], 20 ToSheet char[8], 28 Updated (packed date),
//   30 reserved (2, carried unchanged), 32 VolID string[2],
//   35 CompanyName string[60]
// LegacyPrimeRecord, 91 bytes, beside an uncompressed output ("Prime"):
//   0 SheetCount, 2 FirstHdr, 6 VolID string[2], 9 low byte of VolRevNo,
//   10 CompanyCode as 6 digits, 16 FromSheet and ToSheet, 32 a space, 33 zero,
//   34 reserved zeros (11), 45 CompanyName string[45]
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vorne {

inline constexpr int kPrimeRecordSize = 96;
inline constexpr int kLegacyPrimeRecordSize = 91;

// File names of the two storage forms (their own spelling for new files).
struct TFormNames {
  const char* prime;
  const char* header;
  const char* text;
};
inline constexpr TFormNames kCompressedNames{"GZPrime", "GZipHdr", "GZipDBF"};
inline constexpr TFormNames kUncompressedNames{"Prime4", "TarHdr", "TarDBF"};
inline constexpr const char* kLegacyPrimeName = "Prime";
// The prime file names as typed after a library folder.
inline constexpr char kZippedPrime[] = "GZPrime";
inline constexpr char kPlainPrime[] = "Prime4";

struct TPrimeRecord {
  int32_t firstHdr = -1;
  int16_t volRevNo = 0;
  uint16_t sheetCount = 0;
  uint32_t companyCode = 0;
  std::string fromSheet = std::string(8, ' ');  // char[8]
  std::string toSheet = std::string(8, ' ');    // char[8]
  uint16_t updated = 0;
  uint16_t reserved = 0;
  std::string volId;        // string[2]
  std::string companyName;  // string[60]

  static TPrimeRecord Decode(const uint8_t* p);
  std::array<uint8_t, kPrimeRecordSize> Encode() const;
  std::array<uint8_t, kLegacyPrimeRecordSize> EncodeLegacy() const;
  bool operator==(const TPrimeRecord&) const = default;
};

// "Original Vol 1".
std::string VolumeCaption(const TPrimeRecord& r);
// ZeroPad(CompanyCode, 6).
std::string CompanyCodeText(const TPrimeRecord& r);
// Normalised company name padded to 60, VolID, ":", VolRevNo in 3 digits:
// equal keys denote the same volume in any two clusters.
std::string VolumeKey(const TPrimeRecord& r);
// "1:000".
std::string ShortVolumeLabel(const TPrimeRecord& r);
// CompanyName + ": " + VolumeName, at most 102 characters.
std::string DisplayLine(const TPrimeRecord& r, const std::string& volumeName);

void ResetTotals(TPrimeRecord& r);
// Counts the sheets just added and widens the range to the lowest and highest
// of their numbers; a blank end of the range takes the new value.
void ExtendRange(TPrimeRecord& r, const std::vector<std::string>& sheetNos);
// The same for count sheets whose lowest and highest numbers are known.
void ExtendRange(TPrimeRecord& r, size_t count, const std::string& low, const std::string& high);
// A new output volume made from an input volume's record.
TPrimeRecord NewVolumeRecord(const TPrimeRecord& input);

}  // namespace vorne
