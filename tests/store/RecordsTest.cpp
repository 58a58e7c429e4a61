// Header and prime records: exact bytes, round trips, damaged fields, and the
// rules on citations, dockets, shared entries and version order.
#include <gtest/gtest.h>

#include "store/Common.h"
#include "store/Prime.h"
#include "store/Records.h"

namespace vorne {
namespace {

TSheetBody SampleSheet() {
  TSheetBody b;
  b.sheetNo = "12A     ";
  b.revNo = 3;
  b.altId = 1;
  b.updDate = PackDate(2004, 6, 30);
  b.filingDate = PackDate(2004, 5, 1);
  b.text = {123456, 7, 2};
  b.sheetType = 4;
  b.orientation = 'L';
  b.pitchCode = 3;
  b.linesPerInch = '8';
  b.fromSheetNo = "10      ";
  b.toSheetNo = "12      ";
  b.issuePos = 17;
  b.docketPos = -1;
  b.status = kEffective;
  b.orderType = 5;
  b.orderCite = {61, 1, 123, 92};
  b.refundFlag = 1;
  return b;
}

TEST(SheetRecord, FieldsStandAtTheirOffsets) {
  THdrRecord r = SampleSheet().Encode();
  EXPECT_EQ(r[0], kSheetRecord);
  EXPECT_EQ(std::string(r.begin() + 1, r.begin() + 9), "12A     ");
  EXPECT_EQ(r[9], 3);
  EXPECT_EQ(r[10], 0);
  EXPECT_EQ(r[11], 1);
  EXPECT_EQ(r[16], 2);  // page count
  EXPECT_EQ(r[17], 4);
  EXPECT_EQ(r[18], 'L');
  EXPECT_EQ(r[19], 3);
  EXPECT_EQ(r[20], 7);  // page index
  EXPECT_EQ(r[21], '8');
  EXPECT_EQ(r[38], 0x40);  // 123456 = 0x0001E240, little-endian
  EXPECT_EQ(r[39], 0xE2);
  EXPECT_EQ(r[40], 0x01);
  EXPECT_EQ(r[42], 17);
  EXPECT_EQ(r[46], 0xFF);  // -1
  EXPECT_EQ(r[49], 0xFF);
  EXPECT_EQ(r[50], kEffective);
  EXPECT_EQ(r[52], 61);
  EXPECT_EQ(r[54], 123);
  EXPECT_EQ(r[56], 92);
  EXPECT_EQ(r[57], 1);
  EXPECT_EQ(TSheetBody::Decode(r), SampleSheet());
}

TEST(SheetRecord, LinksSetAfterEncodingGiveTheSameBytes) {
  TSheetBody b = SampleSheet();
  THdrRecord r = b.Encode();
  TSheetBody::EncodeLinks(r, 70000, -1);
  b.issuePos = 70000;
  b.docketPos = -1;
  EXPECT_EQ(r, b.Encode());
  TSheetBody::EncodeLinks(r, -1, 5);
  const TSheetBody back = TSheetBody::Decode(r);
  EXPECT_EQ(back.issuePos, -1);
  EXPECT_EQ(back.docketPos, 5);
  EXPECT_EQ(back.sheetNo, b.sheetNo);  // nothing else moves
  EXPECT_EQ(back.text, b.text);
}

// "No citation" (-1, stored as 65535) is a value set on purpose: a new
// SheetRecord's order citation is five zero bytes; a new docket's citation
// is none until one is given.
TEST(SheetRecord, ANewRecordsOrderCitationIsZeroBytes) {
  const THdrRecord r = TSheetBody{}.Encode();
  EXPECT_EQ(std::vector<uint8_t>(r.begin() + 52, r.begin() + 57), std::vector<uint8_t>(5, 0));
  EXPECT_FALSE(TSheetBody::Decode(r).orderCite.IsEmpty());
  EXPECT_TRUE(TDocketBody{}.citevalue.IsEmpty());
  const THdrRecord d = TDocketBody{}.Encode();
  EXPECT_EQ(std::vector<uint8_t>(d.begin() + 49, d.begin() + 54), (std::vector<uint8_t>{0, 0, 0xFF, 0xFF, 0}));
  EXPECT_TRUE(T6Entry::Placeholder()->body.citevalue.IsEmpty());
}

TEST(OtherRecords, RoundTripAndZeroedSpareBytes) {
  TVolumeBody v{"000123", "1   ", "000", "ZOAK Gas Tariff Original Volume No. 1"};
  THdrRecord vr = v.Encode();
  EXPECT_EQ(vr[0], kVolumeRecord);
  EXPECT_EQ(vr[14], v.volumeName.size());
  EXPECT_EQ(vr[55], 0);
  TVolumeBody back = TVolumeBody::Decode(vr);
  EXPECT_EQ(back.companyId, "000123");
  EXPECT_EQ(back.volumeName, v.volumeName);

  THdrRecord ir = EncodeIssuer(std::string(70, 'x'));
  EXPECT_EQ(ir[1], 54);  // cut to the field
  EXPECT_EQ(DecodeIssuer(ir).size(), 54u);

  EXPECT_EQ(DecodeJump(EncodeJump(98765)), 98765);
  EXPECT_EQ(EncodeEnd()[0], kEndRecord);

  TDocketBody d;
  d.issueDate = PackDate(1996, 1, 2);
  d.effectiveDate = PackDate(1996, 2, 1);
  d.docket = "RP96-1-000";
  d.complianceDkt = std::string(20, ' ');
  d.citevalue = {74, 2, 5, 96};
  THdrRecord dr = d.Encode();
  EXPECT_EQ(dr[9], 'R');
  EXPECT_EQ(dr[19], 0);  // short docket padded with NULs
  EXPECT_EQ(dr[53], 96);
  EXPECT_EQ(dr[54], 0);
  TDocketBody db = TDocketBody::Decode(dr);
  EXPECT_EQ(FormatDocket(db), "RP96-  1-000");
  EXPECT_EQ(db.citevalue, d.citevalue);
}

TEST(DamagedRecords, OverlongLengthBytesAreCutToTheField) {
  THdrRecord r{};
  r[0] = kVolumeRecord;
  r[14] = 200;  // VolumeName claims more than its 40 characters
  EXPECT_EQ(TVolumeBody::Decode(r).volumeName.size(), 40u);
  r[0] = kIssuerRecord;
  r[1] = 255;
  EXPECT_EQ(DecodeIssuer(r).size(), 54u);
}

TEST(FormatDocketRule, MiddleGroupRightAlignedInThreePlaces) {
  TDocketBody d;
  d.docket = "RP96-1-000";
  EXPECT_EQ(FormatDocket(d), "RP96-  1-000");
  d.docket = "RP96-12-000";
  EXPECT_EQ(FormatDocket(d), "RP96- 12-000");
  d.docket = "RP96-123-000";
  EXPECT_EQ(FormatDocket(d), "RP96-123-000");
  d.docket = std::string("TM99-1-00\0\0garbage\0", 20);
  EXPECT_EQ(FormatDocket(d), "TM99-1-00");
  d.docket = "RP96-1-000";
  d.effectiveDate = PackDate(1996, 2, 1);
  EXPECT_EQ(DocketLine(d), "RP96-  1-000          2/1/1996");
}

TEST(ZoakCite, DisplayAndParsing) {
  TZoakCite none = TZoakCite::FromFilingText("6101 -1  ");
  EXPECT_TRUE(none.IsEmpty());
  EXPECT_EQ(none.Display(), " ");

  TZoakCite est = TZoakCite::FromFilingText("6101123  ");
  EXPECT_EQ(est.volume, 61);
  EXPECT_EQ(est.series, 1);
  EXPECT_EQ(est.paragraph, 123);
  EXPECT_EQ(est.year, 92);
  EXPECT_EQ(est.Display(), "  61 ZOAK \xB6 1,123 (1992)");

  TZoakCite low = TZoakCite::FromFilingText("050200703");
  EXPECT_EQ(low.volume, 105);  // a volume below 50 is stored as 100 more
  EXPECT_EQ(low.paragraph, 7);
  EXPECT_EQ(low.Display(), "  105 ZOAK \xB6 2,007 (1903)");
  // A blank year follows the volume as written: 5 gives 79, 30 gives 85.
  EXPECT_EQ(TZoakCite::FromFilingText(" 502007  ").year, (5 - 50) / 4 + 90);
  EXPECT_EQ(TZoakCite::FromFilingText("3001123  ").year, 85);
  EXPECT_EQ(TZoakCite::FromFilingText("3001123  ").volume, 130);

  auto typed = TZoakCite::FromTypedText("61 ZOAK \xB6 1,123 (1992)");
  ASSERT_TRUE(typed);
  EXPECT_EQ(*typed, (TZoakCite{61, 1, 123, 92}));
  EXPECT_EQ(typed->Display().substr(2), "61 ZOAK \xB6 1,123 (1992)");
  EXPECT_FALSE(TZoakCite::FromTypedText("nonsense"));

  uint8_t raw[5];
  est.Encode(raw);
  EXPECT_EQ(TZoakCite::Decode(raw), est);
  none.Encode(raw);
  EXPECT_EQ(raw[2], 0xFF);
  EXPECT_EQ(raw[3], 0xFF);
}

TEST(Entries, DocketEntriesFromRecordsAndTheirEquality) {
  TDocketBody d;
  d.docket = "RP96-1-000";
  d.complianceDkt = "RP95-3-000          ";
  d.citevalue = {70, 1, 44, 89};  // complied-with order before 1990: no citation kept
  auto e = T6Entry::FromRecord(d.Encode(), 12);
  EXPECT_EQ(e->position, 12);
  EXPECT_EQ(e->docketText, "RP96-  1-000");
  EXPECT_TRUE(e->body.citevalue.IsEmpty());
  EXPECT_FALSE(e->IsMissing());

  TDocketBody d2 = d;
  d2.citevalue = {74, 2, 5, 96};
  auto e2 = T6Entry::FromRecord(d2.Encode(), 40);
  EXPECT_TRUE(e->Equals(*e2));  // the citation is not compared
  d2.effectiveDate = 5;
  EXPECT_FALSE(e->Equals(*T6Entry::FromRecord(d2.Encode(), 41)));

  auto missing = T6Entry::Placeholder();
  EXPECT_TRUE(missing->IsMissing());
  EXPECT_EQ(missing->position, -1);
  EXPECT_EQ(missing->body.citevalue.Display(), " ");  // no false citation

  auto issuer = T5Entry::FromRecord(EncodeIssuer("JOHN  MCDONALD, JR."), 3);
  EXPECT_EQ(issuer->name, "John McDonald, Jr.");
  EXPECT_TRUE(T5Entry::Placeholder()->IsMissing());
}

TEST(Entries, AdoptSharesOnePositionAmongEqualEntries) {
  TAuxList<T6Entry> list;
  TDocketBody d;
  d.docket = "RP96-1-000";
  auto a = T6Entry::FromRecord(d.Encode(), -1);
  auto b = T6Entry::FromRecord(d.Encode(), -1);
  d.citevalue = {74, 2, 5, 96};
  auto incoming = T6Entry::FromRecord(d.Encode(), 77);
  list.Add(a);
  list.Add(b);
  list.Adopt(*incoming);
  EXPECT_TRUE(a->stored);
  EXPECT_TRUE(b->stored);
  EXPECT_EQ(a->position, 77);
  EXPECT_EQ(b->position, 77);
  EXPECT_EQ(list.IndexOfPos(77), 0);
  EXPECT_EQ(list.IndexOfPos(5), -1);

  a->replacement = b;
  a->SetNumber(4);
  EXPECT_EQ(a->number, 4);
  EXPECT_EQ(b->number, 4);
  EXPECT_EQ(Resolve(a), b);
}

TSheet MakeSheet(const char* no, int rev, int alt = 0, uint16_t filed = 0) {
  TSheetBody b;
  b.sheetNo = PadRight(no, 8);
  b.revNo = int16_t(rev);
  b.altId = uint8_t(alt);
  b.filingDate = filed;
  TSheet s(b, nullptr, -1);
  s.AttachDocket(nullptr);
  s.AttachIssuer(nullptr);
  return s;
}

TEST(Versions, OrderAndDuplicates) {
  EXPECT_LT(CompareVersions(MakeSheet("5", 3), MakeSheet("5", 2)), 0);
  EXPECT_LT(CompareVersions(MakeSheet("5", 0), MakeSheet("5A", 9)), 0);
  EXPECT_LT(CompareVersions(MakeSheet("5", 1, 0), MakeSheet("5", 1, 2)), 0);
  EXPECT_LT(CompareVersions(MakeSheet("5", 1, 0, 900), MakeSheet("5", 1, 0, 800)), 0);

  // Different dockets with effective dates: the later effective date first.
  TSheet a = MakeSheet("5", 1, 0, 100), b = MakeSheet("5", 1, 0, 900);
  auto da = std::make_shared<T6Entry>(), db = std::make_shared<T6Entry>();
  da->body.effectiveDate = PackDate(2001, 1, 1);
  db->body.effectiveDate = PackDate(2000, 1, 1);
  a.AttachDocket(da);
  b.AttachDocket(db);
  EXPECT_LT(CompareVersions(a, b), 0);
  EXPECT_EQ(CompareVersions(a, a), 0);

  TSheet c = MakeSheet("5", 1), d = MakeSheet("005", 1);
  EXPECT_TRUE(IsDuplicateVersion(c, "Sheet 5", d, "Sheet 5"));
  EXPECT_FALSE(IsDuplicateVersion(c, "Sheet 5", d, "Sheet 5a"));
  EXPECT_TRUE(da->linked);
}

TEST(PrimeRecord, ExactBytesAndLegacyForm) {
  TPrimeRecord r;
  r.firstHdr = 1000;
  r.volRevNo = 2;
  r.sheetCount = 300;
  r.companyCode = 1234567;
  r.fromSheet = "1       ";
  r.toSheet = "99A     ";
  r.updated = PackDate(2005, 1, 5);
  r.reserved = 0xBEEF;
  r.volId = "1";
  r.companyName = "Northern Natural Gas Company";
  auto b = r.Encode();
  EXPECT_EQ(b[0], 0xE8);
  EXPECT_EQ(b[1], 0x03);
  EXPECT_EQ(b[4], 2);
  EXPECT_EQ(b[6], 0x2C);
  EXPECT_EQ(b[7], 0x01);
  EXPECT_EQ(b[30], 0xEF);  // reserved bytes carried unchanged
  EXPECT_EQ(b[32], 1);
  EXPECT_EQ(b[33], '1');
  EXPECT_EQ(b[35], r.companyName.size());
  EXPECT_EQ(TPrimeRecord::Decode(b.data()), r);

  auto l = r.EncodeLegacy();
  EXPECT_EQ(l[0], 0x2C);
  EXPECT_EQ(l[2], 0xE8);
  EXPECT_EQ(l[6], 1);
  EXPECT_EQ(l[9], 2);
  EXPECT_EQ(std::string(l.begin() + 10, l.begin() + 16), "123456");
  EXPECT_EQ(std::string(l.begin() + 16, l.begin() + 32), "1       99A     ");
  EXPECT_EQ(l[32], ' ');
  EXPECT_EQ(l[33], 0);
  EXPECT_EQ(l[45], r.companyName.size());
  r.companyCode = 42;
  auto l2 = r.EncodeLegacy();
  EXPECT_EQ(std::string(l2.begin() + 10, l2.begin() + 16), "000042");
}

TEST(PrimeRecord, VolumeTexts) {
  TPrimeRecord r;
  r.companyCode = 123;
  r.volId = "1";
  r.companyName = "anr pipeline company";
  EXPECT_EQ(CompanyCodeText(r), "000123");
  EXPECT_EQ(VolumeCaption(r), "Original Vol 1");
  EXPECT_EQ(VolumeKey(r), PadRight("ANR Pipeline Company", 60) + "1:000");
  EXPECT_EQ(ShortVolumeLabel(r), "1:000");
  EXPECT_EQ(DisplayLine(r, "Volume No. 1"), "anr pipeline company: Volume No. 1");
}

TEST(PrimeRecord, ExtendRangeByCountAndEndsMatchesTheListForm) {
  TPrimeRecord r;
  ResetTotals(r);
  ExtendRange(r, 3, "3       ", "20      ");
  EXPECT_EQ(r.sheetCount, 3);
  EXPECT_EQ(r.fromSheet, "3       ");
  EXPECT_EQ(r.toSheet, "20      ");
  ExtendRange(r, 0, "1       ", "99      ");  // nothing added, nothing widened
  EXPECT_EQ(r.sheetCount, 3);
  EXPECT_EQ(r.fromSheet, "3       ");
  EXPECT_EQ(r.toSheet, "20      ");
  ExtendRange(r, 2, "1A", "5       ");  // short numbers are padded to the field
  EXPECT_EQ(r.sheetCount, 5);
  EXPECT_EQ(r.fromSheet, "1A      ");
  EXPECT_EQ(r.toSheet, "20      ");
}

TEST(PrimeRecord, ExtendRangeWidensOnlyTheEndsItPasses) {
  TPrimeRecord r;
  ResetTotals(r);
  ExtendRange(r, {"5A      "});
  EXPECT_EQ(r.fromSheet, "5A      ");
  EXPECT_EQ(r.toSheet, "5A      ");
  EXPECT_EQ(r.sheetCount, 1);
  ExtendRange(r, {"7       ", "10      "});
  EXPECT_EQ(r.fromSheet, "5A      ");
  EXPECT_EQ(r.toSheet, "10      ");
  ExtendRange(r, {"1       ", "2       "});
  EXPECT_EQ(r.fromSheet, "1       ");
  EXPECT_EQ(r.toSheet, "10      ");
  EXPECT_EQ(r.sheetCount, 5);
  // Input order does not matter: the lowest and highest numbers count.
  TPrimeRecord s;
  ExtendRange(s, {"20      ", "3       ", "11      "});
  EXPECT_EQ(s.fromSheet, "3       ");
  EXPECT_EQ(s.toSheet, "20      ");

  TPrimeRecord n = NewVolumeRecord(r);
  EXPECT_EQ(n.sheetCount, 0);
  EXPECT_EQ(n.firstHdr, -1);
  EXPECT_EQ(n.updated, 0);
  EXPECT_EQ(n.toSheet, std::string(8, ' '));
}

}  // namespace
}  // namespace vorne
