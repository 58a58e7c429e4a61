// The header record listing: the line of every record type, the Test
// listing's referenced marks, Errors Only's suspicious records, "Eliminate"
// and the options' rules.
#include <gtest/gtest.h>

#include "sheets/Listing.h"
#include "store/Bytes.h"
#include "support/LibraryBuilder.h"
#include "support/MemFileSystem.h"
#include "support/ScriptedPort.h"

namespace vorne::testing {
namespace {

TEST(ListingLines, EveryRecordType) {
  EXPECT_EQ(ListJumpLine(120, EncodeJump(480)), "9: 120 , 480");
  EXPECT_EQ(ListEndLine(7), "8: 7");
  EXPECT_EQ(ListVolumeLine(3, TVolumeBody{"000042", "1   ", "000", "Original Volume No. 1"}.Encode()),
            "0:3 000042 Original Volume No. 1");
  EXPECT_EQ(ListIssuerLine(12, EncodeIssuer("JOHN SMITH")), "5: 12 John Smith");

  TDocketBody d;
  d.docket = "RP96-1-000";
  d.effectiveDate = PackDate(1997, 11, 1);
  d.orderDate = 0xFFFF;  // impossible: shown, never stops the listing
  EXPECT_EQ(ListDocketLine(40, d), "6: 40 RP96-  1-000      00/00/19**   Missing   11/1/1997   Missing   ");

  TSheetBody s;
  s.sheetNo = "12A     ";
  s.filingDate = PackDate(2001, 1, 2);
  s.text = {1536, 2, 3};
  s.issuePos = 5;
  s.docketPos = 6;
  EXPECT_EQ(ListSheetLine(9, s, "Original Sheet No. 12A", false), "1:  12A     Original Sheet No. 12A");
  EXPECT_EQ(ListSheetLine(9, s, "Original Sheet No. 12A", true),
            "1:  12A          9   1/2/2001   1536      2      3 5:       5 6:       6 Original Sheet No. 12A");

  EXPECT_EQ(ListHeadingLine("Gas Co: Volume 1", false), "Gas Co:");
  EXPECT_EQ(ListHeadingLine("Gas Co: Volume 1", true), "Gas Co: Volume 1");
  EXPECT_EQ(ListHeadingLine("No colon", false), "");
}

TEST(ListingLines, UnknownRecordTypeStaysInsideTheRecord) {
  THdrRecord r{};
  r[0] = 3;
  PutPString(r.data() + 1, 56, "odd");
  EXPECT_EQ(ListOtherLine(r), "3: odd");
  r.fill('x');
  r[0] = 7;
  r[1] = 250;  // claims more than the record holds
  EXPECT_EQ(ListOtherLine(r), "7: " + std::string(56, 'x'));
}

TEST(ListingLines, SuspiciousIssuersAndDockets) {
  EXPECT_TRUE(SuspiciousIssuer(EncodeIssuer("")));
  EXPECT_TRUE(SuspiciousIssuer(EncodeIssuer("Missing")));
  EXPECT_FALSE(SuspiciousIssuer(EncodeIssuer("John Smith")));
  TDocketBody d;
  EXPECT_TRUE(SuspiciousDocket(d.Encode()));  // NUL
  d.docket = " RP96";
  EXPECT_TRUE(SuspiciousDocket(d.Encode()));
  d.docket = "RP96-1-000";
  EXPECT_FALSE(SuspiciousDocket(d.Encode()));
}

TEST(ListingOptions, ShowDocketsOnlyWithType5AloneAndClicksUncheckIt) {
  TMemFileSystem mem;
  TScriptedPort port;
  TEnv env{mem, port};
  TRecordListing l(env);
  EXPECT_TRUE(l.Type5());
  EXPECT_TRUE(l.Type6());
  l.SetShowDockets(true);
  EXPECT_FALSE(l.ShowDockets());  // not visible with both types checked
  l.Type6Click(false);
  EXPECT_TRUE(l.ShowDocketsVisible());
  l.SetShowDockets(true);
  EXPECT_TRUE(l.ShowDockets());
  l.Type5Click(true);
  EXPECT_FALSE(l.ShowDockets());
  l.SetShowDockets(true);
  l.Type6Click(true);
  EXPECT_FALSE(l.ShowDockets());
}

// Library: one volume with two sheets; records 0 volume, 1 issuer, 2 docket,
// 3 sheet 1, 4 sheet 2 (same issuer and docket), 5 end.
class ListingTest : public ::testing::Test {
 protected:
  ListingTest() {
    mem_.MakeDir("/w");
    TVolumePlan v;
    v.companyCode = 42;
    v.company = "Gas Co";
    TSheetPlan s1;
    s1.sheetNo = "1";
    s1.lines = {"original sheet no. 1", "text"};
    TSheetPlan s2 = s1;
    s2.sheetNo = "2";
    s2.lines = {"original sheet no. 2", "text"};
    v.sheets = {s1, s2};
    TVolumePlan w = v;
    w.companyCode = 66;
    w.company = "66 Gas Co";
    BuildLibrary(env_, "/w/lib", true, {v, w});
  }
  THdrRecord& Hdr(int32_t n) {
    return *reinterpret_cast<THdrRecord*>(mem_.Bytes("/w/lib/GZipHdr").data() + size_t(n) * kHdrRecordSize);
  }
  int32_t HdrCount() { return int32_t(mem_.Bytes("/w/lib/GZipHdr").size() / kHdrRecordSize); }
  // The volume of the given company code, after opening the library.
  TPrimeRef& Vol(uint32_t code) {
    if (!cluster_) {
      cluster_ = std::make_unique<TFileCluster>(env_, true);
      EXPECT_TRUE(cluster_->Open("/w/lib/GZPrime", false));
      cluster_->ReadAll();
    }
    for (auto& v : cluster_->Volumes())
      if (v->record.companyCode == code) return *v;
    throw std::runtime_error("no volume");
  }
  std::vector<std::string> Texts() {
    std::vector<std::string> t;
    for (auto& l : listing_.Lines()) t.push_back(l.text);
    return t;
  }
  int32_t First(uint32_t code) { return Vol(code).record.firstHdr; }

  TMemFileSystem mem_;
  TScriptedPort port_;
  TEnv env_{mem_, port_};
  std::unique_ptr<TFileCluster> cluster_;
  TRecordListing listing_{env_};
};

TEST_F(ListingTest, TestModeListsEveryRecordAndMarksTheReferencedOnes) {
  listing_.Start(TListingKind::Test);
  const int32_t f = First(42);
  EXPECT_TRUE(listing_.ListVolume(Vol(42), "Gas Co: ZOAK Gas Tariff", nullptr));
  auto t = Texts();
  ASSERT_EQ(t.size(), 7u);
  EXPECT_EQ(t[0], "Gas Co:");
  EXPECT_EQ(t[1], "0:" + std::to_string(f) + " 000042 ZOAK Gas Tariff");
  EXPECT_EQ(t[2].substr(0, 3), "5:*");
  EXPECT_EQ(t[3].substr(0, 3), "6:*");
  EXPECT_EQ(t[4], "1:  1       Original Sheet No. 1");
  EXPECT_EQ(t[6], "8: " + std::to_string(f + 5));
  EXPECT_EQ(listing_.StatusText(), "2 Sheets");
  EXPECT_FALSE(listing_.WhoopsVisible());
}

TEST_F(ListingTest, ARecordListedAfterItsSheetIsStillMarked) {
  const int32_t f = First(42);
  // Sheet 1 now uses the issuer and docket of the second volume's chain,
  // and sheet 2 points at records placed after it: turn the end into an
  // issuer that sheet 2 uses, and end the chain with a jump to the old end.
  THdrRecord issuer = EncodeIssuer("LATE ISSUER");
  const int32_t at = HdrCount();
  mem_.Bytes("/w/lib/GZipHdr").append(reinterpret_cast<const char*>(issuer.data()), issuer.size());
  THdrRecord end = EncodeEnd();
  mem_.Bytes("/w/lib/GZipHdr").append(reinterpret_cast<const char*>(end.data()), end.size());
  Hdr(f + 5) = EncodeJump(at);
  PutI32(Hdr(f + 4).data() + 42, at);
  listing_.Start(TListingKind::Test);
  listing_.ListVolume(Vol(42), "Gas Co: x", nullptr);
  auto t = Texts();
  ASSERT_EQ(t.size(), 9u);
  EXPECT_EQ(t[6], "9: " + std::to_string(f + 5) + " , " + std::to_string(at));
  EXPECT_EQ(t[7], "5:*" + std::to_string(at) + " Late Issuer");
  EXPECT_EQ(t[8], "8: " + std::to_string(at + 1));
}

TEST_F(ListingTest, UnknownTypeShowsWhoopsAndEliminateKeepsHeadingsAndReferences) {
  const int32_t f = First(42);
  // Sheet 2 becomes a record of type 3: only sheet 1 refers to the entries.
  Hdr(f + 4)[0] = 3;
  Hdr(f + 4)[1] = 2;
  listing_.Start(TListingKind::Test);
  listing_.ListVolume(Vol(42), "Gas Co: x", nullptr);
  listing_.ListVolume(Vol(66), "66 Gas Co: x", nullptr);
  EXPECT_TRUE(listing_.WhoopsVisible());
  auto t = Texts();
  EXPECT_EQ(t[5].substr(0, 3), "3: ");
  // An issuer no sheet uses: the second volume's chain loses its sheets' pointer.
  const int32_t g = First(66);
  PutI32(Hdr(g + 3).data() + 42, -1);
  PutI32(Hdr(g + 4).data() + 42, -1);
  listing_.Start(TListingKind::Test);
  listing_.ListVolume(Vol(66), "66 Gas Co: x", nullptr);
  t = Texts();
  ASSERT_EQ(t[0], "66 Gas Co:");
  EXPECT_EQ(t[2].substr(0, 3), "5: ");
  listing_.AbbrevBtnClick();
  t = Texts();
  EXPECT_EQ(t[0], "66 Gas Co:");  // begins "6" with a blank third character, yet a heading
  ASSERT_EQ(t.size(), 6u);
  EXPECT_EQ(t[2].substr(0, 3), "6:*");
}

TEST_F(ListingTest, ErrorsOnlyLeavesOnlyTheHeadingOfACleanVolume) {
  listing_.Start(TListingKind::ErrorsOnly);
  EXPECT_FALSE(listing_.ListVolume(Vol(42), "Gas Co: x", nullptr));
  EXPECT_EQ(Texts(), (std::vector<std::string>{"Gas Co:"}));
}

TEST_F(ListingTest, ErrorsOnlyFlagsEveryKindOfBadPointer) {
  const int32_t f = First(42);
  for (int32_t bad : {-2, HdrCount(), HdrCount() + 5, f + 2 /* a docket, not an issuer */}) {
    PutI32(Hdr(f + 3).data() + 42, bad);
    listing_.Start(TListingKind::ErrorsOnly);
    EXPECT_TRUE(listing_.ListVolume(Vol(42), "Gas Co: x", nullptr)) << bad;
    auto t = Texts();
    ASSERT_EQ(t.size(), 4u) << bad;
    EXPECT_EQ(t[2], "1:  1       Original Sheet No. 1") << bad;
  }
}

// A sheet imported from a filing without type 5 or type 6 records points at
// no issuer or docket (-1): nothing is wrong with it.
TEST_F(ListingTest, ErrorsOnlyTakesMinusOneForNoRecord) {
  const int32_t f = First(42);
  PutI32(Hdr(f + 3).data() + 42, -1);
  listing_.Start(TListingKind::ErrorsOnly);
  EXPECT_FALSE(listing_.ListVolume(Vol(42), "Gas Co: x", nullptr));
  EXPECT_EQ(Texts(), (std::vector<std::string>{"Gas Co:"}));
}

TEST_F(ListingTest, ErrorsOnlyListsAnEmptyIssuerAndItsSheets) {
  const int32_t f = First(42);
  Hdr(f + 1) = EncodeIssuer("");
  listing_.Start(TListingKind::ErrorsOnly);
  EXPECT_TRUE(listing_.ListVolume(Vol(42), "Gas Co: x", nullptr));
  auto t = Texts();
  ASSERT_EQ(t.size(), 6u);
  EXPECT_EQ(t[2], "5: " + std::to_string(f + 1) + " ");
  EXPECT_EQ(listing_.ListedIssuers(), std::vector<int32_t>{f + 1});
  // Type 5 off: the same volume is clean.
  listing_.Type5Click(false);
  listing_.Start(TListingKind::ErrorsOnly);
  EXPECT_FALSE(listing_.ListVolume(Vol(42), "Gas Co: x", nullptr));
}

TEST_F(ListingTest, ShowDocketsCollectsTheDocketsInsteadOfTheSheets) {
  const int32_t f = First(42);
  Hdr(f + 1) = EncodeIssuer("Missing");
  listing_.Type6Click(false);
  listing_.SetShowDockets(true);
  listing_.Start(TListingKind::ErrorsOnly);
  EXPECT_TRUE(listing_.ListVolume(Vol(42), "Gas Co: x", nullptr));
  EXPECT_EQ(listing_.ShowDocketNumbers(), std::vector<int32_t>{f + 2});
  listing_.End();
  auto t = Texts();
  ASSERT_EQ(t.size(), 5u);  // heading, 0:, 5:, 8:, the docket
  EXPECT_EQ(t[4].substr(0, 3 + std::to_string(f + 2).size()), "6: " + std::to_string(f + 2));
}

TEST_F(ListingTest, DamagedTextGivesDiagnosticNamesNotAFailure) {
  mem_.Bytes("/w/lib/GZipDBF") = "garbage";
  listing_.Start(TListingKind::Test);
  EXPECT_TRUE(listing_.ListVolume(Vol(42), "Gas Co: x", nullptr));
  EXPECT_EQ(Texts().size(), 7u);
  EXPECT_EQ(Texts().back().substr(0, 2), "8:");
}

// The bad entry is a message (stderr in the batch program), not a line of
// the listing: the listing goes on with the next volume's records.
TEST_F(ListingTest, BadVolumeEntryIsReportedAndTheListingGoesOn) {
  Vol(42).record.firstHdr = 999999;
  listing_.Start(TListingKind::Test);
  listing_.ListVolume(Vol(42), "Gas Co: x", nullptr);
  listing_.ListVolume(Vol(66), "66 Gas Co: x", nullptr);
  EXPECT_EQ(port_.messages, (std::vector<std::string>{"Bad PRIME file entry. Can't find Volume record"}));
  auto t = Texts();
  ASSERT_EQ(t.size(), 7u);
  EXPECT_EQ(t[0], "66 Gas Co:");
  EXPECT_EQ(t[1], "0:" + std::to_string(First(66)) + " 000066 ZOAK Gas Tariff");
}

// Sheets of each volume point at the other volume's issuer and docket: the
// records listed before their sheets (volume 42's, used by 66) and after
// them (66's, used by 42) are all marked, so "Eliminate" keeps them.
TEST_F(ListingTest, MarksHoldAcrossTheVolumesOfTheRunInBothDirections) {
  const int32_t f = First(42), g = First(66);
  for (int32_t sheet : {f + 3, f + 4}) {
    PutI32(Hdr(sheet).data() + 42, g + 1);
    PutI32(Hdr(sheet).data() + 46, g + 2);
  }
  for (int32_t sheet : {g + 3, g + 4}) {
    PutI32(Hdr(sheet).data() + 42, f + 1);
    PutI32(Hdr(sheet).data() + 46, f + 2);
  }
  listing_.Start(TListingKind::Test);
  listing_.ListVolume(Vol(42), "Gas Co: x", nullptr);
  listing_.ListVolume(Vol(66), "66 Gas Co: x", nullptr);
  auto t = Texts();
  ASSERT_EQ(t.size(), 14u);
  EXPECT_EQ(t[2], "5:*" + std::to_string(f + 1) + " John Smith");
  EXPECT_EQ(t[3].substr(0, 3), "6:*");
  EXPECT_EQ(t[9], "5:*" + std::to_string(g + 1) + " John Smith");
  EXPECT_EQ(t[10].substr(0, 3), "6:*");
  listing_.AbbrevBtnClick();
  EXPECT_EQ(Texts(), t);

  // Volume 66 alone: its own records are used by no listed sheet, and
  // "Eliminate" removes them.
  listing_.Start(TListingKind::Test);
  listing_.ListVolume(Vol(66), "66 Gas Co: x", nullptr);
  t = Texts();
  ASSERT_EQ(t.size(), 7u);
  EXPECT_EQ(t[2].substr(0, 3), "5: ");
  EXPECT_EQ(t[3].substr(0, 3), "6: ");
  listing_.AbbrevBtnClick();
  EXPECT_EQ(Texts().size(), 5u);
}

// Volume 42's end becomes a jump to volume 66's chain: the walk meets two
// VolumeRecords, and each starts with its heading. A chain that does not
// begin with a VolumeRecord gets no heading.
TEST_F(ListingTest, EveryVolumeRecordOfAChainStartsWithAHeading) {
  const int32_t f = First(42), g = First(66);
  Hdr(f + 5) = EncodeJump(g);
  listing_.Start(TListingKind::Test);
  listing_.ListVolume(Vol(42), "Gas Co: x", nullptr);
  auto t = Texts();
  ASSERT_EQ(t.size(), 14u);
  EXPECT_EQ(t[0], "Gas Co:");
  EXPECT_EQ(t[1].substr(0, 2), "0:");
  EXPECT_EQ(t[6], "9: " + std::to_string(f + 5) + " , " + std::to_string(g));
  EXPECT_EQ(t[7], "Gas Co:");
  EXPECT_EQ(t[8], "0:" + std::to_string(g) + " 000066 ZOAK Gas Tariff");
  EXPECT_EQ(t[13], "8: " + std::to_string(g + 5));

  Vol(66).record.firstHdr = g + 1;  // the issuer record
  listing_.Start(TListingKind::Test);
  listing_.ListVolume(Vol(66), "66 Gas Co: x", nullptr);
  t = Texts();
  ASSERT_EQ(t.size(), 5u);
  EXPECT_EQ(t[0].substr(0, 3), "5:*");
  EXPECT_EQ(t[4], "8: " + std::to_string(g + 5));
}

// A record of an unknown type is no error a sheet passes on: the volume's
// lines go, its heading stays, and "Whoops!" still shows.
TEST_F(ListingTest, ErrorsOnlyRemovesAVolumeWhoseOnlyOddityIsAnUnknownRecord) {
  const int32_t f = First(42);
  Hdr(f + 4)[0] = 3;
  Hdr(f + 4)[1] = 2;
  listing_.Start(TListingKind::ErrorsOnly);
  EXPECT_FALSE(listing_.ListVolume(Vol(42), "Gas Co: x", nullptr));
  EXPECT_EQ(Texts(), (std::vector<std::string>{"Gas Co:"}));
  EXPECT_TRUE(listing_.WhoopsVisible());
}

}  // namespace
}  // namespace vorne::testing
