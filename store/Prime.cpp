#include "store/Prime.h"

#include "store/Bytes.h"
#include "store/Common.h"

namespace vorne {

TPrimeRecord TPrimeRecord::Decode(const uint8_t* p) {
  TPrimeRecord r;
  r.firstHdr = GetI32(p + 0);
  r.volRevNo = GetI16(p + 4);
  r.sheetCount = GetU16(p + 6);
  r.companyCode = GetU32(p + 8);
  r.fromSheet = GetChars(p + 12, 8);
  r.toSheet = GetChars(p + 20, 8);
  r.updated = GetU16(p + 28);
  r.reserved = GetU16(p + 30);
  r.volId = GetPString(p + 32, 2);
  r.companyName = GetPString(p + 35, 60);
  return r;
}

std::array<uint8_t, kPrimeRecordSize> TPrimeRecord::Encode() const {
  std::array<uint8_t, kPrimeRecordSize> b{};
  PutI32(&b[0], firstHdr);
  PutI16(&b[4], volRevNo);
  PutU16(&b[6], sheetCount);
  PutU32(&b[8], companyCode);
  PutChars(&b[12], 8, fromSheet);
  PutChars(&b[20], 8, toSheet);
  PutU16(&b[28], updated);
  PutU16(&b[30], reserved);
  PutPString(&b[32], 2, volId);
  PutPString(&b[35], 60, companyName);
  return b;
}

std::array<uint8_t, kLegacyPrimeRecordSize> TPrimeRecord::EncodeLegacy() const {
  std::array<uint8_t, kLegacyPrimeRecordSize> b{};
  PutU16(&b[0], sheetCount);
  PutI32(&b[2], firstHdr);
  PutPString(&b[6], 2, volId);
  b[9] = uint8_t(volRevNo & 0xFF);
  std::string code = std::to_string(companyCode);
  if (code.size() < 6) code.insert(0, 6 - code.size(), '0');
  PutChars(&b[10], 6, code.substr(0, 6));
  PutChars(&b[16], 8, fromSheet);
  PutChars(&b[24], 8, toSheet);
  b[32] = ' ';
  b[33] = 0;
  PutPString(&b[45], 45, companyName);
  return b;
}

std::string VolumeCaption(const TPrimeRecord& r) { return RevisionWord(r.volRevNo) + " Vol " + r.volId; }

std::string CompanyCodeText(const TPrimeRecord& r) { return ZeroPad(r.companyCode, 6); }

std::string VolumeKey(const TPrimeRecord& r) {
  return PadRight(NormalizeCompanyName(r.companyName), 60) + TrimRight(r.volId) + ":" + ZeroPad(r.volRevNo, 3);
}

std::string ShortVolumeLabel(const TPrimeRecord& r) {
  std::string s = TrimRight(r.volId) + ":" + ZeroPad(r.volRevNo, 3);
  if (s.size() > 20) s.resize(20);
  return s;
}

std::string DisplayLine(const TPrimeRecord& r, const std::string& volumeName) {
  std::string s = r.companyName + ": " + volumeName;
  if (s.size() > 102) s.resize(102);
  return s;
}

void ResetTotals(TPrimeRecord& r) {
  r.sheetCount = 0;
  r.fromSheet = std::string(8, ' ');
  r.toSheet = std::string(8, ' ');
}

static bool IsBlank(const std::string& s) { return TrimRight(s).empty(); }

void ExtendRange(TPrimeRecord& r, const std::vector<std::string>& sheetNos) {
  if (sheetNos.empty()) return;
  // The lowest and highest numbers, whatever order the caller's list has.
  const std::string* low = &sheetNos.front();
  const std::string* high = &sheetNos.front();
  for (const std::string& s : sheetNos) {
    if (CompareSheetNo(s, *low) < 0) low = &s;
    if (CompareSheetNo(s, *high) > 0) high = &s;
  }
  ExtendRange(r, sheetNos.size(), *low, *high);
}

void ExtendRange(TPrimeRecord& r, size_t count, const std::string& low, const std::string& high) {
  if (count == 0) return;
  r.sheetCount = uint16_t(r.sheetCount + count);
  if (IsBlank(r.fromSheet) || CompareSheetNo(r.fromSheet, low) > 0) r.fromSheet = PadRight(low.substr(0, 8), 8);
  if (IsBlank(r.toSheet) || CompareSheetNo(r.toSheet, high) < 0) r.toSheet = PadRight(high.substr(0, 8), 8);
}

TPrimeRecord NewVolumeRecord(const TPrimeRecord& input) {
  TPrimeRecord r = input;
  ResetTotals(r);
  r.updated = 0;
  r.firstHdr = -1;
  return r;
}

}  // namespace vorne
