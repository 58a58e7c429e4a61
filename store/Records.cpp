#include "store/Records.h"

#include <cstdio>

#include "store/Bytes.h"
#include "store/Cluster.h"
#include "store/Common.h"
#include "store/TextReader.h"
#include "store/TextWriter.h"

namespace vorne {

std::string StatusName(int code) {
  static const char* kNames[] = {"Superseded", "Rejected", "Suspended", "Effective",
                                 "Pending",    "Deleted",  "Withdrawn"};
  return code >= 0 && code <= 6 ? kNames[code] : "";
}

std::string OrderTypeName(int code) {
  static const char* kNames[] = {"***", "Dir Letter", "OPR Letter", "OPR Formal", "Comm Letter", "Comm Formal"};
  return code >= 0 && code <= 5 ? kNames[code] : "";
}

std::string SheetTypeName(int code) {
  static const char* kNames[] = {"",
                                 "Table of Contents",
                                 "Preliminary Statement",
                                 "Rate Sheet",
                                 "Rate Schedule Text",
                                 "General Terms",
                                 "Form of Service Agreement",
                                 "Index of Purchasers",
                                 "Other Indices",
                                 "Other Sheets",
                                 "Reserved"};
  return code >= 0 && code <= 10 ? kNames[code] : "";
}

int PitchCpi(int code) {
  static const int kCpi[] = {10, 12, 15, 17};
  return code >= 1 && code <= 4 ? kCpi[code - 1] : 0;
}

// ---- ZoakCite ---------------------------------------------------------------

TZoakCite TZoakCite::Decode(const uint8_t* p) { return {p[0], p[1], GetI16(p + 2), p[4]}; }

void TZoakCite::Encode(uint8_t* p) const {
  p[0] = volume;
  p[1] = series;
  PutI16(p + 2, paragraph);
  p[4] = year;
}

std::string TZoakCite::Display() const {
  if (paragraph < 0) return " ";
  std::string par = std::to_string(paragraph);
  if (par.size() < 3) par.insert(0, 3 - par.size(), '0');
  return "  " + std::to_string(volume) + " ZOAK \xB6 " + std::to_string(series) + "," + par + " (" +
         std::to_string(int(year) + 1900) + ")";
}

// The value of the digits of s, blanks and other characters passed over.
static int DigitsValue(std::string_view s) {
  int v = 0;
  for (char c : s)
    if (c >= '0' && c <= '9') v = v * 10 + (c - '0');
  return v;
}

uint8_t CitationYear(int twoDigitVolume) { return uint8_t((twoDigitVolume - 50) / 4 + 90); }

TZoakCite TZoakCite::FromFilingText(std::string_view text9) {
  std::string t = PadRight(text9.substr(0, text9.size() < 9 ? text9.size() : 9), 9);
  if (t.compare(4, 3, " -1") == 0) return None();
  TZoakCite c;
  const int volume = DigitsValue(t.substr(0, 2));
  c.volume = uint8_t(volume < 50 ? volume + 100 : volume);
  c.series = uint8_t(DigitsValue(t.substr(2, 2)));
  c.paragraph = int16_t(DigitsValue(t.substr(4, 3)));
  if (t[7] == ' ')
    c.year = CitationYear(volume);
  else
    c.year = uint8_t(DigitsValue(t.substr(7, 2)));
  return c;
}

std::optional<TZoakCite> TZoakCite::FromTypedText(std::string_view text) {
  std::string t(text);
  size_t zoak = UpperCase(t).find("ZOAK");
  size_t comma = t.find(',', zoak == std::string::npos ? 0 : zoak);
  size_t open = t.find('(', comma == std::string::npos ? 0 : comma);
  size_t close = t.find(')', open == std::string::npos ? 0 : open);
  if (zoak == std::string::npos || comma == std::string::npos || open == std::string::npos ||
      close == std::string::npos)
    return std::nullopt;
  std::string vol = TrimBoth(t.substr(0, zoak));
  std::string ser = TrimBoth(t.substr(zoak + 4, comma - zoak - 4));
  if (!ser.empty() && ser[0] == '\xB6') ser = TrimBoth(ser.substr(1));
  std::string par = t.substr(comma + 1, 3);
  std::string yr = TrimBoth(t.substr(open + 1, close - open - 1));
  auto isNumber = [](const std::string& s) {
    if (s.empty()) return false;
    for (char c : s)
      if (c < '0' || c > '9') return false;
    return true;
  };
  if (!isNumber(vol) || !isNumber(ser) || !isNumber(TrimBoth(par)) || !isNumber(yr)) return std::nullopt;
  int year = std::stoi(yr);
  if (year >= 101) year -= 1900;
  int volume = std::stoi(vol), series = std::stoi(ser);
  if (volume > 255 || series > 255 || year < 0 || year > 255) return std::nullopt;
  return TZoakCite{uint8_t(volume), uint8_t(series), int16_t(std::stoi(TrimBoth(par))), uint8_t(year)};
}

// ---- record bodies ------------------------------------------------------------

static THdrRecord BlankRecord(uint8_t type) {
  THdrRecord r{};
  r[0] = type;
  return r;
}

TVolumeBody TVolumeBody::Decode(const THdrRecord& r) {
  return {GetChars(&r[1], 6), GetChars(&r[7], 4), GetChars(&r[11], 3), GetPString(&r[14], 40)};
}

THdrRecord TVolumeBody::Encode() const {
  THdrRecord r = BlankRecord(kVolumeRecord);
  PutChars(&r[1], 6, companyId);
  PutChars(&r[7], 4, volumeId);
  PutChars(&r[11], 3, revision);
  PutPString(&r[14], 40, volumeName);
  return r;
}

TSheetBody TSheetBody::Decode(const THdrRecord& r) {
  TSheetBody b;
  b.sheetNo = GetChars(&r[1], 8);
  b.revNo = GetI16(&r[9]);
  b.altId = r[11];
  b.updDate = GetU16(&r[12]);
  b.filingDate = GetU16(&r[14]);
  b.text.pageCount = r[16];
  b.sheetType = r[17];
  b.orientation = r[18];
  b.pitchCode = r[19];
  b.text.pageIndex = r[20];
  b.linesPerInch = r[21];
  b.fromSheetNo = GetChars(&r[22], 8);
  b.toSheetNo = GetChars(&r[30], 8);
  b.text.dbfPos = GetI32(&r[38]);
  b.issuePos = GetI32(&r[42]);
  b.docketPos = GetI32(&r[46]);
  b.status = r[50];
  b.orderType = r[51];
  b.orderCite = TZoakCite::Decode(&r[52]);
  b.refundFlag = r[57];
  return b;
}

THdrRecord TSheetBody::Encode() const {
  THdrRecord r = BlankRecord(kSheetRecord);
  PutChars(&r[1], 8, sheetNo);
  PutI16(&r[9], revNo);
  r[11] = altId;
  PutU16(&r[12], updDate);
  PutU16(&r[14], filingDate);
  r[16] = text.pageCount;
  r[17] = sheetType;
  r[18] = orientation;
  r[19] = pitchCode;
  r[20] = text.pageIndex;
  r[21] = linesPerInch;
  PutChars(&r[22], 8, fromSheetNo);
  PutChars(&r[30], 8, toSheetNo);
  PutI32(&r[38], text.dbfPos);
  EncodeLinks(r, issuePos, docketPos);
  r[50] = status;
  r[51] = orderType;
  orderCite.Encode(&r[52]);
  r[57] = refundFlag;
  return r;
}

void TSheetBody::EncodeLinks(THdrRecord& r, int32_t issuePos, int32_t docketPos) {
  PutI32(&r[42], issuePos);
  PutI32(&r[46], docketPos);
}

TDocketBody TDocketBody::Decode(const THdrRecord& r) {
  TDocketBody b;
  b.issueDate = GetU16(&r[1]);
  b.effectiveDate = GetU16(&r[3]);
  b.orderDate = GetU16(&r[5]);
  b.complianceDate = GetU16(&r[7]);
  b.docket = GetChars(&r[9], 20);
  b.complianceDkt = GetChars(&r[29], 20);
  b.citevalue = TZoakCite::Decode(&r[49]);
  return b;
}

THdrRecord TDocketBody::Encode() const {
  THdrRecord r = BlankRecord(kDocketRecord);
  PutU16(&r[1], issueDate);
  PutU16(&r[3], effectiveDate);
  PutU16(&r[5], orderDate);
  PutU16(&r[7], complianceDate);
  // The docket keeps its own padding (NUL or space); pad a short value with NULs.
  for (int i = 0; i < 20; ++i) r[9 + i] = i < int(docket.size()) ? uint8_t(docket[size_t(i)]) : 0;
  PutChars(&r[29], 20, complianceDkt);
  citevalue.Encode(&r[49]);
  return r;
}

std::string DecodeIssuer(const THdrRecord& r) { return GetPString(&r[1], 54); }

THdrRecord EncodeIssuer(std::string_view name) {
  THdrRecord r = BlankRecord(kIssuerRecord);
  PutPString(&r[1], 54, name);
  return r;
}

int32_t DecodeJump(const THdrRecord& r) { return GetI32(&r[1]); }

THdrRecord EncodeJump(int32_t target) {
  THdrRecord r = BlankRecord(kJumpRecord);
  PutI32(&r[1], target);
  return r;
}

THdrRecord EncodeEnd() { return BlankRecord(kEndRecord); }

std::string FormatDocket(const TDocketBody& body) {
  std::string d = body.docket.substr(0, 20);
  size_t nul = d.find('\0');
  if (nul != std::string::npos) d.resize(nul);
  d = TrimRight(d);
  if (d.size() == 10)
    d.insert(5, "  ");
  else if (d.size() == 11)
    d.insert(5, " ");
  return d;
}

std::string DocketLine(const TDocketBody& body) {
  std::string line = PadRight(FormatDocket(body), 20) + PackedToText(body.effectiveDate);
  if (line.size() > 40) line.resize(40);
  return line;
}

// ---- entries ------------------------------------------------------------------------

int32_t TPosAux::Write(TFileCluster& cluster) {
  if (stored && !modified) return position;
  THdrRecord rec = BuildRecord();
  if (stored && position >= 0)
    cluster.WriteHdr(position, rec);
  else
    position = cluster.AppendHdr(rec);
  stored = true;
  modified = false;
  return position;
}

void TPosAux::SetNumber(int32_t n) {
  // A replacement chain is short; the bound only guards against a cycle.
  TPosAux* e = this;
  for (int i = 0; e && i < 64; ++i, e = e->replacement.get()) e->number = n;
}

std::shared_ptr<T5Entry> T5Entry::FromRecord(const THdrRecord& r, int32_t pos) {
  auto e = std::make_shared<T5Entry>();
  e->name = IssuerName(DecodeIssuer(r));
  e->position = pos;
  return e;
}

std::shared_ptr<T5Entry> T5Entry::Placeholder() {
  auto e = std::make_shared<T5Entry>();
  e->name = "Name Missing";
  return e;
}

bool T5Entry::IsMissing() const { return name.empty() || name == "Name Missing"; }

bool T5Entry::Equals(const TPosAux& other) const {
  auto* o = dynamic_cast<const T5Entry*>(&other);
  return o && o->name == name;
}

THdrRecord T5Entry::BuildRecord() const { return EncodeIssuer(name); }

std::shared_ptr<T6Entry> T6Entry::FromRecord(const THdrRecord& r, int32_t pos) {
  auto e = std::make_shared<T6Entry>();
  e->body = TDocketBody::Decode(r);
  if (e->body.complianceDkt != std::string(20, ' ') && e->body.citevalue.year < 90)
    e->body.citevalue.paragraph = -1;
  e->docketText = FormatDocket(e->body).substr(0, 20);
  e->position = pos;
  return e;
}

std::shared_ptr<T6Entry> T6Entry::Placeholder() {
  auto e = std::make_shared<T6Entry>();
  e->docketText = "Docket missing";
  e->body.complianceDkt = std::string(20, '\0');
  e->body.citevalue = TZoakCite::None();  // no citation, so it never reads as a real one
  return e;
}

bool T6Entry::IsMissing() const {
  if (docketText == "Docket missing") return true;
  for (int i = 0; i < 8; ++i)
    if (body.docket[size_t(i)] != '\0') return false;
  return true;
}

bool T6Entry::Equals(const TPosAux& other) const {
  auto* o = dynamic_cast<const T6Entry*>(&other);
  if (!o || o->docketText != docketText) return false;
  THdrRecord a = body.Encode(), b = o->body.Encode();
  return std::equal(a.begin() + 1, a.begin() + 49, b.begin() + 1);  // all but the citation
}

THdrRecord T6Entry::BuildRecord() const { return body.Encode(); }

// ---- sheets ---------------------------------------------------------------------------

void TSheet::AttachIssuer(std::shared_ptr<T5Entry> e) {
  issuer_ = e ? std::move(e) : T5Entry::Placeholder();
  issuer_->linked = true;
}

void TSheet::AttachDocket(std::shared_ptr<T6Entry> e) {
  docket_ = e ? std::move(e) : T6Entry::Placeholder();
  docket_->linked = true;
}

int CompareVersions(const TSheet& a, const TSheet& b) {
  if (int c = CompareSheetNo(a.body.sheetNo, b.body.sheetNo)) return c;
  if (a.body.revNo != b.body.revNo) return a.body.revNo > b.body.revNo ? -1 : 1;
  if (a.body.altId != b.body.altId) return a.body.altId < b.body.altId ? -1 : 1;
  auto da = a.Docket(), db = b.Docket();
  if (da != db && da && db && da->body.effectiveDate > 0 && db->body.effectiveDate > 0 &&
      da->body.effectiveDate != db->body.effectiveDate)
    return da->body.effectiveDate > db->body.effectiveDate ? -1 : 1;
  if (a.body.filingDate != b.body.filingDate) return a.body.filingDate > b.body.filingDate ? -1 : 1;
  return 0;
}

bool IsDuplicateVersion(const TSheet& a, const std::string& nameA, const TSheet& b,
                        const std::string& nameB) {
  if (CompareSheetNo(a.body.sheetNo, b.body.sheetNo) != 0 || a.body.revNo != b.body.revNo ||
      a.body.altId != b.body.altId || nameA != nameB)
    return false;
  auto da = a.Docket(), db = b.Docket();
  return (da ? da->docketText : "") == (db ? db->docketText : "");
}

// ---- operations on the cluster -------------------------------------------------------------

std::shared_ptr<T5Entry> ReadEntry5(TFileCluster& cluster, int32_t pos) {
  THdrRecord r;
  if (cluster.ReadHdrKeepingPlace(pos, r) && r[0] == kIssuerRecord) return T5Entry::FromRecord(r, pos);
  return T5Entry::Placeholder();
}

std::shared_ptr<T6Entry> ReadEntry6(TFileCluster& cluster, int32_t pos) {
  THdrRecord r;
  if (cluster.ReadHdrKeepingPlace(pos, r) && r[0] == kDocketRecord) return T6Entry::FromRecord(r, pos);
  return T6Entry::Placeholder();
}

namespace {

// The title of the sheet the buffer was just positioned at: its first line,
// at most 40 characters.
std::string TitleAtSheetStart(TDataBuffer& buffer) {
  std::string_view line = buffer.NextLine();
  if (buffer.AtSheetEnd()) line = {};
  if (line.empty()) return "Title Page";
  std::string title;
  TitleCaseInto(line.substr(0, 40), title);
  return title;
}

}  // namespace

std::string SheetName(TSheet& sheet, TDataBuffer* buffer) {
  if (buffer && buffer->IsOpen() && buffer->GetPage(sheet.body.text)) return TitleAtSheetStart(*buffer);
  char diag[64];
  std::snprintf(diag, sizeof diag, "%3d%10d%4d%4d", int(sheet.body.revNo), int(sheet.body.text.dbfPos),
                int(sheet.body.text.pageCount), int(sheet.body.text.pageIndex));
  std::string s = MakeSheetKey(sheet.body.sheetNo) + ": " + diag;
  if (s.size() > 40) s.resize(40);
  return s;
}

std::string SheetNameKeepingPages(TSheet& sheet, TDataBuffer* buffer, std::vector<uint8_t>& pages) {
  if (buffer && buffer->IsOpen() && buffer->IsCompressed()) {
    // SheetPages leaves the buffer at the sheet's start, as GetPage does, and
    // a compressed buffer never moves its window while reading lines.
    std::span<const uint8_t> text = buffer->SheetPages(sheet.body.text);
    if (!text.empty()) {
      pages.insert(pages.end(), text.begin(), text.end());
      return TitleAtSheetStart(*buffer);
    }
  }
  return SheetName(sheet, buffer);
}

std::optional<TTextPos> CopyText(const TSheet& sheet, TDataBuffer& in, OutDataBuffer& out) {
  std::span<const uint8_t> pages = in.SheetPages(sheet.body.text);
  if (pages.empty()) return std::nullopt;
  return out.WritePages(pages);
}

std::string DisplayVolume(const TSheet& sheet) {
  if (sheet.prime) return sheet.prime->DisplayLine();
  return sheet.volumeName;
}

std::string CompanyCodeText(const TSheet& sheet) {
  if (!sheet.prime) return "";
  return ZeroPad(sheet.prime->record.companyCode, 6).substr(0, 8);
}

void SaveSheet(TSheet& sheet, TFileCluster& cluster, int32_t pos, bool stamp) {
  if (!sheet.Issuer()) sheet.AttachIssuer(nullptr);
  if (!sheet.Docket()) sheet.AttachDocket(nullptr);
  sheet.body.issuePos = sheet.Issuer()->Write(cluster);
  sheet.body.docketPos = sheet.Docket()->Write(cluster);
  if (stamp) sheet.body.updDate = TodayPacked();
  if (sheet.prime && sheet.prime->record.updated < sheet.body.updDate)
    sheet.prime->record.updated = sheet.body.updDate;
  cluster.WriteHdr(pos, sheet.body.Encode());
  sheet.position = pos;
}

void ApplyEdit(TSheet& sheet, const THeaderEdit& edit, TFileCluster& cluster, bool stamp) {
  if (!sheet.Issuer()) sheet.AttachIssuer(nullptr);
  if (!sheet.Docket()) sheet.AttachDocket(nullptr);
  auto issuer = sheet.Issuer();
  auto docket = sheet.Docket();
  // Marking an unwritten entry stored would leave the sheet pointing at
  // record -1; only entries that have a record are taken as they are.
  if (issuer->position >= 0) issuer->MarkStored(issuer->position);
  if (docket->position >= 0) docket->MarkStored(docket->position);
  if (edit.orderCite) sheet.body.orderCite = *edit.orderCite;
  if (edit.status < 7) {
    sheet.body.status = edit.status;
    if (!edit.keepRefund) sheet.body.refundFlag = edit.refundFlag;
  }
  if (edit.orderType != 0) sheet.body.orderType = edit.orderType;
  if (edit.filingDate != 0) sheet.body.filingDate = edit.filingDate;
  if (edit.sheetType > 0) sheet.body.sheetType = edit.sheetType;
  // A placeholder stands for a record that is missing on disk; writing it
  // would invent an empty record.
  auto placeholder = [](const TPosAux& e) { return e.position < 0 && e.IsMissing(); };
  if (!placeholder(*issuer)) sheet.body.issuePos = issuer->Write(cluster);
  if (!placeholder(*docket)) sheet.body.docketPos = docket->Write(cluster);
  if (stamp) sheet.body.updDate = TodayPacked();
  if (sheet.prime && sheet.prime->record.updated < sheet.body.updDate)
    sheet.prime->record.updated = sheet.body.updDate;
  cluster.WriteHdr(sheet.position, sheet.body.Encode());
}

}  // namespace vorne
