// The import of filings into a library: record checks and their log lines,
// the order rules, title and layout checks, duplicates, and the records and
// text the library holds afterwards (read back through the store's readers).
#include <gtest/gtest.h>

#include <set>

#include "filings/FilingImport.h"
#include "filings/Type0Dialog.h"
#include "store/Cluster.h"
#include "store/Common.h"
#include "store/Headers.h"
#include "store/TextReader.h"
#include "support/BothWriters.h"
#include "support/MemFileSystem.h"
#include "support/ScriptedPort.h"

namespace vorne::testing {
namespace {

std::string R(std::string s, size_t w) {
  s.resize(w, ' ');
  return s;
}
std::string Num(const std::string& s, size_t w) { return s.size() >= w ? s : std::string(w - s.size(), ' ') + s; }

std::string T0(const std::string& docket, const std::string& date) { return "TF00" + R(docket, 20) + date; }
std::string T1(const std::string& code, const std::string& name) { return "TF01" + code + "010105" + name; }
std::string T2(const std::string& id, const std::string& rev, const std::string& name) {
  return "TF02" + R(id, 4) + R(rev, 3) + name;
}
std::string T3(const std::string& no, int rev, const std::string& title, char orient = 'P', const std::string& cpi = "10",
               char lpi = '6', const std::string& alt = " 0", const std::string& type = " 1") {
  return "TF03" + Num(no, 8) + Num(std::to_string(rev), 3) + alt + type + std::string(1, orient) + cpi +
         std::string(1, lpi) + title;
}
std::string T4(const std::string& from, const std::string& to, const std::string& second = "") {
  return "TF04" + Num(from, 8) + Num(to, 8) + second;
}
std::string T5(const std::string& issuer) { return "TF05" + issuer; }
std::string T6(const std::string& issue, const std::string& comply, const std::string& complyDkt, const std::string& eff) {
  return "TF06" + issue + comply + R(complyDkt, 20) + eff;
}

std::string Join(const std::vector<std::string>& lines) {
  std::string t;
  for (auto& l : lines) t += l + "\r\n";
  return t;
}

// The usual head of a filing: filing, company, volume, issuer, docket.
std::vector<std::string> Head(const std::string& volName = "ORIGINAL VOLUME NO. 1", const std::string& id = "1") {
  return {T0("RP05-12-000", "010505"), T1("000123", "ZETA GAS PIPELINE COMPANY"), T2(id, "000", volName),
          T5("John Q. Public, President"), T6("010505", "000000", "", "020105")};
}

class AddFilingsTest : public ::testing::Test {
 protected:
  AddFilingsTest() { SetTodayForTesting(TDate{2006, 3, 4}); }
  ~AddFilingsTest() override { SetTodayForTesting(std::nullopt); }

  // Imports the lines into /lib (created on the first import, added to after).
  TAddFilings& Import(const std::vector<std::string>& lines) {
    TFileCluster out(env_, false);
    TOutputMode mode;
    if (fs_.Exists("/lib/Prime4")) mode.append = true; else mode.rewrite = true;
    out.SetOutputMode(&mode);
    EXPECT_TRUE(out.Open("/lib/Prime4", true));
    out.ReadAll();
    toDisplay_.SetOutput(out);
    run_ = std::make_unique<TAddFilings>(env_, nullptr, &toDisplay_, nullptr);
    run_->ImportText(out, Join(lines), "TEST.ASC");
    out.CloseBuffer();
    out.CloseHdr();
    out.FlushNew();
    return *run_;
  }
  const std::vector<std::string>& Log() { return run_->ErrorBox(); }
  bool Logged(const std::string& line) {
    for (auto& l : Log())
      if (l == line) return true;
    return false;
  }

  // The library read back: its volumes and every record of each chain.
  struct TRead {
    TPrimeRecord prime;
    std::vector<THdrRecord> chain;
    std::vector<std::vector<std::string>> texts;  // per SheetRecord
  };
  std::vector<TRead> ReadBack() {
    std::vector<TRead> result;
    TFileCluster in(env_, false);
    EXPECT_TRUE(in.Open("/lib/Prime4", false));
    in.ReadAll();
    auto text = TDataBuffer::Create(env_, in.TextPath(), false);
    for (auto& v : in.Volumes()) {
      TRead r;
      r.prime = v->record;
      in.WalkChain(
          *v,
          [&](int32_t, const THdrRecord& rec) {
            r.chain.push_back(rec);
            if (rec[0] == kSheetRecord) {
              std::vector<std::string> lines;
              int32_t maxLen = 0, count = 0;
              text->SheetText(TSheetBody::Decode(rec).text, lines, maxLen, count);
              r.texts.push_back(lines);
            }
            return true;
          },
          false);
      result.push_back(r);
    }
    return result;
  }
  static std::vector<uint8_t> Types(const TRead& r) {
    std::vector<uint8_t> t;
    for (auto& rec : r.chain) t.push_back(rec[0]);
    return t;
  }

  TMemFileSystem fs_;
  TFaultyFileSystem faulty_{fs_};  // passes everything on unless a test injects a fault
  TScriptedPort port_;
  TEnv env_{faulty_, port_};
  TToDisplay toDisplay_;
  std::unique_ptr<TAddFilings> run_;
};

TEST_F(AddFilingsTest, AFilingBecomesAVolumeWithItsRecordsAndText) {
  auto lines = Head();
  lines.push_back("TF076101123");
  lines.push_back(T3("1", 1, "FIRST REVISED SHEET NO. 1"));
  lines.push_back(T4("1", "9", "RATES"));
  lines.push_back("  Rate Schedule FT   ");
  lines.push_back("");
  lines.push_back(T3("2A", 0, "ORIGINAL SHEET NO. 2a", 'L', "15", '8', " 0", "10"));
  lines.push_back("\fTerms");
  Import(lines);
  EXPECT_TRUE(Log().empty()) << Log().front();
  EXPECT_EQ(run_->SheetsAdded(), 2);

  auto lib = ReadBack();
  ASSERT_EQ(lib.size(), 1u);
  const TRead& v = lib[0];
  EXPECT_EQ(v.prime.companyName, "Zeta Gas Pipeline Company");
  EXPECT_EQ(v.prime.companyCode, 123u);
  EXPECT_EQ(v.prime.volId, "1");
  EXPECT_EQ(v.prime.volRevNo, 0);
  EXPECT_EQ(v.prime.sheetCount, 2);
  EXPECT_EQ(v.prime.fromSheet, "       1");
  EXPECT_EQ(v.prime.toSheet, "      2A");
  EXPECT_EQ(v.prime.updated, PackDate(2006, 3, 4));
  EXPECT_EQ(Types(v), (std::vector<uint8_t>{kVolumeRecord, kIssuerRecord, kDocketRecord, kSheetRecord, kSheetRecord,
                                            kEndRecord}));

  TVolumeBody vol = TVolumeBody::Decode(v.chain[0]);
  EXPECT_EQ(vol.companyId, "000123");
  EXPECT_EQ(vol.volumeId, "1   ");
  EXPECT_EQ(vol.revision, "000");
  EXPECT_EQ(vol.volumeName, "ORIGINAL VOLUME NO. 1");
  EXPECT_EQ(DecodeIssuer(v.chain[1]), "John Q. Public, President");
  TDocketBody d = TDocketBody::Decode(v.chain[2]);
  EXPECT_EQ(d.docket, R("RP05-12-000", 20));
  EXPECT_EQ(d.issueDate, PackDate(2005, 1, 5));
  EXPECT_EQ(d.complianceDate, 0);
  EXPECT_EQ(d.effectiveDate, PackDate(2005, 2, 1));
  EXPECT_EQ(d.citevalue.volume, 61);
  EXPECT_EQ(d.citevalue.paragraph, 123);

  TSheetBody s1 = TSheetBody::Decode(v.chain[3]);
  EXPECT_EQ(s1.sheetNo, "       1");
  EXPECT_EQ(s1.revNo, 1);
  EXPECT_EQ(s1.status, kPending);
  EXPECT_EQ(s1.filingDate, PackDate(2005, 1, 5));
  EXPECT_EQ(s1.updDate, PackDate(2006, 3, 4));
  EXPECT_EQ(s1.fromSheetNo, "       1");
  EXPECT_EQ(s1.toSheetNo, "       9");
  EXPECT_EQ(s1.issuePos, 1);
  EXPECT_EQ(s1.docketPos, 2);
  EXPECT_EQ(s1.orientation, 'P');
  EXPECT_EQ(s1.pitchCode, 1);
  EXPECT_EQ(s1.linesPerInch, '6');
  TSheetBody s2 = TSheetBody::Decode(v.chain[4]);
  EXPECT_EQ(s2.sheetNo, "      2A");
  EXPECT_EQ(s2.orientation, 'L');
  EXPECT_EQ(s2.pitchCode, 3);
  EXPECT_EQ(s2.linesPerInch, '8');
  EXPECT_EQ(s2.sheetType, 10);
  EXPECT_EQ(s2.fromSheetNo, "        ");

  // Text: the title, the second title line, the lines (right-trimmed, empty
  // ones as three blanks, a leading form feed removed).
  EXPECT_EQ(v.texts[0], (std::vector<std::string>{"First Revised Sheet No. 1", "Rates", "  Rate Schedule FT"}));
  EXPECT_EQ(v.texts[1], (std::vector<std::string>{"Original Sheet No. 2A", "   ", "Terms"}));
  ASSERT_EQ(toDisplay_.Rows().size(), 1u);
  EXPECT_EQ(toDisplay_.Rows()[0].columns[2], "2");
}

TEST_F(AddFilingsTest, ASecondImportMergesIntoTheStoredVolumeAndSkipsStoredSheets) {
  auto first = Head();
  first.push_back(T3("5", 0, "ORIGINAL SHEET NO. 5"));
  first.push_back("five");
  Import(first);
  auto second = Head();
  second.push_back(T3("5", 0, "original sheet no. 5"));  // stored already
  second.push_back("five again");
  second.push_back(T3("3", 0, "ORIGINAL SHEET NO. 3"));
  second.push_back("three");
  second.push_back(T3("8", 0, "ORIGINAL SHEET NO. 8"));
  second.push_back("eight");
  Import(second);
  EXPECT_TRUE(Logged("   Duplicate Sheet on Disk: Original Sheet No. 5"));
  EXPECT_EQ(run_->SheetsAdded(), 2);

  auto lib = ReadBack();
  ASSERT_EQ(lib.size(), 1u);
  EXPECT_EQ(lib[0].prime.sheetCount, 3);
  EXPECT_EQ(lib[0].prime.fromSheet, "       3");
  EXPECT_EQ(lib[0].prime.toSheet, "       8");
  // The old end became a jump; the issuer and docket equal to stored ones are
  // written again for the new records (one each), then the two sheets.
  EXPECT_EQ(Types(lib[0]), (std::vector<uint8_t>{kVolumeRecord, kIssuerRecord, kDocketRecord, kSheetRecord, kJumpRecord,
                                                 kIssuerRecord, kDocketRecord, kSheetRecord, kSheetRecord, kEndRecord}));
  ASSERT_EQ(lib[0].texts.size(), 3u);
  EXPECT_EQ(lib[0].texts[1], (std::vector<std::string>{"Original Sheet No. 3", "   ", "three"}));
  EXPECT_EQ(lib[0].texts[2][2], "eight");
}

TEST_F(AddFilingsTest, AFileWithoutFilingRecordsIsNamedInTheLogAndToThePerson) {
  const std::vector<std::pair<std::string, std::string>> files = {
      {"empty", ""},
      {"binary", std::string("\x00\x01\xFF TF", 6) + std::string(200, '\x80')},
      {"text only", "Rates\r\nTerms\r\n"},
      {"lone CR", T0("RP05-12-000", "010505") + "\r" + T1("000123", "ZETA GAS PIPELINE COMPANY") + "\r"}};
  for (const auto& [what, text] : files) {
    SCOPED_TRACE(what);
    port_.messages.clear();
    TFileCluster out(env_, false);
    TOutputMode mode;
    mode.rewrite = true;
    out.SetOutputMode(&mode);
    ASSERT_TRUE(out.Open("/lib/Prime4", true));
    TAddFilings run(env_, nullptr, nullptr, nullptr);
    run.ImportText(out, text, "EMPTY.ASC");
    EXPECT_EQ(run.RecordsRead(), 0u);
    EXPECT_EQ(run.SheetsAdded(), 0);
    EXPECT_EQ(run.ErrorBox(), std::vector<std::string>{"No filing records found in EMPTY.ASC"});
    EXPECT_EQ(port_.messages, std::vector<std::string>{"No filing records found in EMPTY.ASC"});
  }
  // A filing whose records add nothing is not one without records.
  port_.messages.clear();
  TAddFilings& run = Import({T0("RP05-12-000", "010505")});
  EXPECT_EQ(run.RecordsRead(), 1u);
  EXPECT_TRUE(port_.messages.empty());
}

TEST_F(AddFilingsTest, AnEmptyTitleIsComparedAsTitlePageOnDisk) {
  auto lines = Head();
  lines.push_back(T3("1", 0, ""));
  lines.push_back("cover");
  Import(lines);
  Import(lines);
  EXPECT_TRUE(Logged("   Duplicate Sheet on Disk: ")) << (Log().empty() ? "" : Log().back());
  EXPECT_EQ(ReadBack()[0].prime.sheetCount, 1);
}

TEST_F(AddFilingsTest, DuplicatesInInputAreDroppedWithTheirText) {
  auto lines = Head();
  lines.push_back(T3("1", 0, "ORIGINAL SHEET NO. 1"));
  lines.push_back("one");
  lines.push_back(T3("1", 0, "Original Sheet No. 1"));
  lines.push_back("one again");
  Import(lines);
  EXPECT_TRUE(Logged("   Duplicate Sheet in input: Original Sheet No. 1"));
  auto lib = ReadBack();
  ASSERT_EQ(lib[0].texts.size(), 1u);
  EXPECT_EQ(lib[0].texts[0].back(), "one");
}

// Sheet objects and their lines are reused from sheet to sheet: nothing of a
// written or rejected sheet may reach the next one.
TEST_F(AddFilingsTest, EverySheetStartsFromABlankHeader) {
  auto lines = Head();
  lines.push_back(T3("1", 2, "Second Revised Sheet No. 1 Alt", 'L', "17", '8', " 1", " 3"));
  lines.push_back(T4("1", "9", "rate schedule ft"));
  for (int i = 0; i < 40; ++i) lines.push_back("first sheet line " + std::to_string(i));
  lines.push_back(T3("1", 2, "SECOND REVISED SHEET NO. 1 ALT"));  // rejected as a duplicate
  lines.push_back(T4("1", "5"));
  lines.push_back("dropped");
  lines.push_back(T3("2", 0, "Original Sheet No. 2"));
  lines.push_back("second");
  Import(lines);
  auto lib = ReadBack();
  ASSERT_EQ(lib.size(), 1u);
  std::vector<TSheetBody> sheets;
  for (auto& rec : lib[0].chain)
    if (rec[0] == kSheetRecord) sheets.push_back(TSheetBody::Decode(rec));
  ASSERT_EQ(sheets.size(), 2u);
  const TSheetBody& first = sheets[0];
  EXPECT_EQ(first.fromSheetNo, "       1");
  EXPECT_EQ(first.toSheetNo, "       9");
  EXPECT_EQ(first.orientation, 'L');
  EXPECT_EQ(first.linesPerInch, '8');
  const TSheetBody& second = sheets[1];
  EXPECT_EQ(second.sheetNo, "       2");
  EXPECT_EQ(second.revNo, 0);
  EXPECT_EQ(second.altId, 0);
  EXPECT_EQ(second.sheetType, 1);
  EXPECT_EQ(second.pitchCode, 1);
  EXPECT_EQ(second.orientation, 'P');
  EXPECT_EQ(second.linesPerInch, '6');
  EXPECT_EQ(second.fromSheetNo, std::string(8, ' '));
  EXPECT_EQ(second.toSheetNo, std::string(8, ' '));
  EXPECT_EQ(second.updDate, PackDate(2006, 3, 4));
  // Both sheets point at the volume's one issuer and one docket record.
  EXPECT_EQ(first.issuePos, second.issuePos);
  EXPECT_EQ(first.docketPos, second.docketPos);
  EXPECT_GE(second.issuePos, 0);
  EXPECT_GE(second.docketPos, 0);
  EXPECT_EQ(lib[0].texts[1], (std::vector<std::string>{"Original Sheet No. 2", "   ", "second"}));
  EXPECT_EQ(lib[0].texts[0].size(), 42u);  // title, the second title line, 40 lines
  EXPECT_EQ(lib[0].texts[0][1], "Rate Schedule Ft");
  EXPECT_EQ(lib[0].prime.fromSheet, "       1");
  EXPECT_EQ(lib[0].prime.toSheet, "       2");
  EXPECT_EQ(lib[0].prime.updated, PackDate(2006, 3, 4));
}

TEST_F(AddFilingsTest, AVolumeThatEndsEmptyLeavesNothing) {
  auto lines = Head("EMPTY VOLUME", "7");
  lines.push_back(T3("1", 0, "ORIGINAL SHEET NO. 1"));  // no text: never completed
  lines.push_back(T2("1", "000", "REAL VOLUME"));
  lines.push_back(T3("1", 0, "ORIGINAL SHEET NO. 1"));
  lines.push_back("text");
  Import(lines);
  auto lib = ReadBack();
  ASSERT_EQ(lib.size(), 1u);
  EXPECT_EQ(TVolumeBody::Decode(lib[0].chain[0]).volumeName, "REAL VOLUME");
  EXPECT_EQ(fs_.Bytes("/lib/TarHdr").size(), size_t(kHdrRecordSize) * lib[0].chain.size());
  EXPECT_EQ(toDisplay_.Rows().size(), 1u);
}

TEST_F(AddFilingsTest, EachNewVolumeStartsFromAFreshPrimeRecord) {
  auto first = Head();
  first.push_back(T3("40", 0, "ORIGINAL SHEET NO. 40"));
  first.push_back("forty");
  Import(first);
  auto second = Head();
  second.push_back(T3("41", 0, "ORIGINAL SHEET NO. 41"));
  second.push_back("forty-one");
  second.push_back(T2("2", "000", "ORIGINAL VOLUME NO. 2"));
  second.push_back(T3("3", 0, "ORIGINAL SHEET NO. 3"));
  second.push_back("three");
  Import(second);
  auto lib = ReadBack();
  ASSERT_EQ(lib.size(), 2u);
  const TRead& v2 = lib[0].prime.volId == "2" ? lib[0] : lib[1];
  const TRead& v1 = lib[0].prime.volId == "2" ? lib[1] : lib[0];
  EXPECT_EQ(v1.prime.sheetCount, 2);
  EXPECT_EQ(v2.prime.sheetCount, 1);
  EXPECT_EQ(v2.prime.fromSheet, "       3");
  EXPECT_EQ(v2.prime.toSheet, "       3");
  EXPECT_NE(v2.prime.firstHdr, v1.prime.firstHdr);
  // Issuer and docket do not carry over from the volume before.
  EXPECT_EQ(Types(v2), (std::vector<uint8_t>{kVolumeRecord, kSheetRecord, kEndRecord}));
}

TEST_F(AddFilingsTest, TheRangeTakesTheLowestAndHighestSheetNumbers) {
  auto lines = Head();
  for (const char* n : {"5", "2", "12", "9"}) {
    lines.push_back(T3(n, 0, std::string("ORIGINAL SHEET NO. ") + n));
    lines.push_back("x");
  }
  Import(lines);
  auto lib = ReadBack();
  EXPECT_EQ(lib[0].prime.fromSheet, "       2");
  EXPECT_EQ(lib[0].prime.toSheet, "      12");
}

TEST_F(AddFilingsTest, RecordsBeforeAnyCompanyAreOutOfOrder) {
  Import({T2("1", "000", "VOL"), T3("1", 0, "ORIGINAL SHEET NO. 1"), T5("Nobody"), "text"});
  EXPECT_EQ(Log(), (std::vector<std::string>{"   " + T2("1", "000", "VOL") + " *** out of order **",
                                             "   " + T3("1", 0, "ORIGINAL SHEET NO. 1") + " *** out of order **",
                                             "   TF05Nobody"}));
  EXPECT_TRUE(fs_.Bytes("/lib/TarHdr").empty());
}

TEST_F(AddFilingsTest, RecordTypeAndLengthRejections) {
  auto lines = Head();
  lines.insert(lines.end(), {"TF0", "TF08 never valid", "TF03", "TF04", "TF07", "TF02ABC", "TF0X"});
  Import(lines);
  EXPECT_EQ(Log(), (std::vector<std::string>{
                       "", "000123 Zeta Gas Pipeline Company", "        ORIGINAL VOLUME NO. 1",
                       "   ******* This is not a tariff record *******", "   ******* Error is in Record Type field *******",
                       "   TF0", "   ******* This is not a tariff record *******",
                       "   ******* Error is in Record Type field *******", "   TF08 never valid", "   Null TF: TF03",
                       "   Wrong Length Record", "   TF02ABC", "   ******* This is not a tariff record *******",
                       "   ******* Error is in Record Type field *******", "   TF0X"}));
}

TEST_F(AddFilingsTest, AWrongLengthVolumeRecordDropsTheSheetBeingBuilt) {
  auto lines = Head();
  lines.push_back(T3("1", 0, "ORIGINAL SHEET NO. 1"));
  lines.push_back(T4("1", "2"));
  lines.push_back("TF02XY");
  lines.push_back("orphan text");
  lines.push_back(T3("2", 0, "ORIGINAL SHEET NO. 2"));
  lines.push_back("two");
  Import(lines);
  auto lib = ReadBack();
  ASSERT_EQ(lib[0].texts.size(), 1u);
  EXPECT_EQ(lib[0].texts[0].front(), "Original Sheet No. 2");
}

TEST_F(AddFilingsTest, ACompanyCodeThatIsNotANumberSkipsTheCompany) {
  Import({T0("RP05-1-000", "010105"), T1("12A456", "BAD CODE GAS COMPANY"), T2("1", "000", "VOL"),
          T3("1", 0, "ORIGINAL SHEET NO. 1"), "text", T1("000777", "GOOD GAS COMPANY"), T2("1", "000", "VOL"),
          T3("1", 0, "ORIGINAL SHEET NO. 1"), "text"});
  EXPECT_EQ(Log()[0], "   Company code \"12A456\" is not a number; the company's records are skipped");
  EXPECT_EQ(Log()[2], "   " + T2("1", "000", "VOL") + " *** out of order **");
  auto lib = ReadBack();
  ASSERT_EQ(lib.size(), 1u);
  EXPECT_EQ(lib[0].prime.companyCode, 777u);
  EXPECT_EQ(lib[0].prime.companyName, "Good Gas Company");
}

TEST_F(AddFilingsTest, ACompanyWithoutFilingRecordAsksForTheDocket) {
  // Cancelled: the log says so and the docket is asterisks.
  Import({T1("000123", "ZETA GAS"), T2("1", "000", "VOL"), T6("010505", "000000", "", "020105"),
          T3("1", 0, "ORIGINAL SHEET NO. 1"), "text"});
  EXPECT_EQ(Log().front(), "**** Missing type 0 record ****");
  EXPECT_EQ(port_.transcript.front(), "dialog: Please supply Docket and Filing date -> Cancel");
  auto lib = ReadBack();
  // No issuer was given: none is written, the docket follows the VolumeRecord.
  EXPECT_EQ(Types(lib[0]), (std::vector<uint8_t>{kVolumeRecord, kDocketRecord, kSheetRecord, kEndRecord}));
  EXPECT_EQ(TDocketBody::Decode(lib[0].chain[1]).docket, R(std::string(17, '*'), 20));
  EXPECT_EQ(TSheetBody::Decode(lib[0].chain[2]).filingDate, 0);
}

TEST_F(AddFilingsTest, TheDocketDialogSuppliesDocketAndDate) {
  port_.QueueDialog([](TDialogModel& m) {
    auto& d = dynamic_cast<TType0Dialog&>(m);
    EXPECT_EQ(d.Pipeline, "Zeta Gas");
    EXPECT_EQ(d.DocketField, "Missing Docket");
    EXPECT_EQ(d.FilingDateField, "3/4/2006");
    d.FilingDateField = "13/1/2005";
    EXPECT_FALSE(d.OK());  // "Error in date field", the dialog stays
    d.FilingDateField = "020305";
    d.DocketField = "CP06-77-000";
    return d.OK();
  });
  Import({T1("000123", "ZETA GAS"), T2("1", "000", "VOL"), T6("010505", "000000", "", "020105"),
          T3("1", 0, "ORIGINAL SHEET NO. 1"), "text"});
  EXPECT_EQ(port_.messages, (std::vector<std::string>{"Error in date field"}));
  auto lib = ReadBack();
  EXPECT_EQ(TDocketBody::Decode(lib[0].chain[1]).docket, R("CP06-77-000", 20));  // no issuer record before it
  EXPECT_EQ(TSheetBody::Decode(lib[0].chain[2]).filingDate, PackDate(2005, 2, 3));
}

TEST_F(AddFilingsTest, TitleChecksReportMismatchesUnderTheSheet) {
  auto lines = Head();
  lines.push_back(T3("12", 2, "FIRST REVISED SHEET NO. 13", 'P', "10", '6', " 1"));
  lines.push_back("text");
  lines.push_back(T3("14", 3, "THIRD REVISED SHEET NO. 14"));
  lines.push_back("fine");
  Import(lines);
  EXPECT_EQ(Log(), (std::vector<std::string>{"", "000123 Zeta Gas Pipeline Company", "        ORIGINAL VOLUME NO. 1", "",
                                             "First Revised Sheet No. 13",
                                             "12 does not match First Revised Sheet No. 13", "   No match for: Sheet No. 12",
                                             "2 does not match First Revised Sheet No. 13",
                                             "   No match for: Sheet Rev. No. 2",
                                             "1 does not match First Revised Sheet No. 13",
                                             "   No match for: Alt sheet ID 1"}));
}

TEST(SheetNoInTitle, TokensAndTheirBoundaries) {
  EXPECT_TRUE(SheetNoInTitle("       5", "ORIGINAL SHEET NO. 5"));
  EXPECT_TRUE(SheetNoInTitle("       5", "ORIGINAL SHEET NO.5"));
  EXPECT_TRUE(SheetNoInTitle("      5A", "SHEET #5A-1"));
  EXPECT_TRUE(SheetNoInTitle("       5", "SHEET NO. 15 AND 5"));  // the failing "5" of 15 is taken out
  EXPECT_FALSE(SheetNoInTitle("       5", "SHEET NO. 15"));
  EXPECT_FALSE(SheetNoInTitle("       5", "SHEET NO. 5A"));
}

TEST(SheetNoInTitle, TakingOutAFailedOccurrenceJoinsItsNeighbours) {
  // "12" inside "1122" is no token; once it is taken out, "SHEET 12" holds one.
  EXPECT_TRUE(SheetNoInTitle("      12", "SHEET 1122"));
  EXPECT_TRUE(SheetNoInTitle("       5", "SHEET 55"));  // "5" then stands alone
  EXPECT_FALSE(SheetNoInTitle("      12", "SHEET 11223"));
  // The title itself is left as it was.
  const std::string title = "SHEET NO. 15 AND 5";
  EXPECT_TRUE(SheetNoInTitle("       5", title));
  EXPECT_EQ(title, "SHEET NO. 15 AND 5");
  EXPECT_FALSE(SheetNoInTitle("        ", "SHEET NO. 5"));
}

TEST_F(AddFilingsTest, BadFieldsOfASheetHeaderAreSubstituted) {
  auto lines = Head();
  lines.push_back(T3("1", 0, "ORIGINAL SHEET NO. 1", 'X', "10", '7'));
  lines.push_back("text");
  Import(lines);
  EXPECT_TRUE(Logged("   Orientation of X is in error, Portrait assumed"));
  EXPECT_TRUE(Logged("   7 Lines per inch is not valid, 6 substituted"));
  TSheetBody s = TSheetBody::Decode(ReadBack()[0].chain[3]);
  EXPECT_EQ(s.orientation, 'P');
  EXPECT_EQ(s.linesPerInch, '6');
}

TEST_F(AddFilingsTest, OtherRecordRulesAndTheirMessages) {
  Import({T0("RP05-1-000", "010105"), T1("000123", "ZETA GAS"), T2("1", "1A", " "), "TF076101123",
          T3("        ", 0, "NO NUMBER"), "text", T6("", "", "", ""), "TF06", T3("9", 0, "ORIGINAL SHEET NO. 9"),
          T4("1", "5", " "), "text"});
  EXPECT_TRUE(Logged("   Volume ID string is required"));
  EXPECT_TRUE(Logged("   Conversion error in TF021   1A"));
  EXPECT_TRUE(Logged("Type 6 record must precede type 7"));
  EXPECT_TRUE(Logged("   Blank SheetNo field, sheet rejected "));
  EXPECT_TRUE(Logged("   ** Bad TF04 **"));
  EXPECT_TRUE(Logged("          9 not in range:       1..       5"));
  auto lib = ReadBack();
  EXPECT_EQ(TVolumeBody::Decode(lib[0].chain[0]).volumeName, "Zeroth Bozotic Volume No. 1");
  // The 4-character type 6 record is the empty docket record the sheet uses.
  TSheetBody s = TSheetBody::Decode(lib[0].chain.at(lib[0].chain.size() - 2));
  THdrRecord docket = lib[0].chain.at(size_t(s.docketPos - lib[0].prime.firstHdr));
  EXPECT_EQ(docket[0], kDocketRecord);
  EXPECT_EQ(TDocketBody::Decode(docket).docket.substr(0, 8), std::string(8, '\0'));
}

TEST_F(AddFilingsTest, LongLinesAreWrappedAndTooManyLinesAreCut) {
  auto lines = Head();
  lines.push_back(T3("1", 0, "ORIGINAL SHEET NO. 1"));
  lines.push_back(std::string(100, 'a') + " " + std::string(100, 'b'));
  lines.push_back(T3("2", 0, "ORIGINAL SHEET NO. 2", 'P', "10", '8'));
  for (int i = 1; i <= 130; ++i) lines.push_back("line " + std::to_string(i));
  Import(lines);
  EXPECT_TRUE(Logged("   Word Wrap performed, line too long"));
  for (int i = 117; i <= 130; ++i) EXPECT_TRUE(Logged("   line " + std::to_string(i) + " Lost")) << i;
  EXPECT_FALSE(Logged("   line 116 Lost"));
  auto lib = ReadBack();
  EXPECT_EQ(lib[0].texts[0], (std::vector<std::string>{"Original Sheet No. 1", "   ", std::string(100, 'a'),
                                                       std::string(100, 'b')}));
  ASSERT_EQ(lib[0].texts[1].size(), 118u);
  EXPECT_EQ(lib[0].texts[1].back(), "line 116");
}

// The layout is judged by the longest line wherever it stands: the title,
// the second title of a type 4 record, a wrapped piece or the text.
TEST_F(AddFilingsTest, TheLongestLineOfEachSheetDecidesItsLayout) {
  auto lines = Head();
  lines.push_back(T3("1", 0, "ORIGINAL SHEET NO. 1"));
  lines.push_back(std::string(70, 'a'));
  lines.push_back("short");
  lines.push_back(T3("2", 0, "ORIGINAL SHEET NO. 2"));
  lines.push_back(T4("", "", std::string(40, 'w')));
  lines.push_back("short");
  lines.push_back(T3("3", 0, "ORIGINAL SHEET NO. 3"));
  lines.push_back(std::string(150, 'c') + " " + std::string(30, 'd'));
  lines.push_back(T3("4", 0, "ORIGINAL SHEET NO. 4"));
  lines.push_back(std::string(65, 'e') + std::string(20, ' '));  // trailing blanks do not count
  Import(lines);
  EXPECT_TRUE(Logged("   70 chars is too long for Portrait  at 10 c.p.i."));
  EXPECT_TRUE(Logged("   150 chars is too long for Portrait  at 10 c.p.i."));
  EXPECT_FALSE(Logged("   85 chars is too long for Portrait  at 10 c.p.i."));
  auto lib = ReadBack();
  const auto& chain = lib[0].chain;
  std::vector<uint8_t> orientation;
  for (const THdrRecord& r : chain)
    if (r[0] == kSheetRecord) orientation.push_back(TSheetBody::Decode(r).orientation);
  // The 40-character second title fits a portrait page at 10 c.p.i.
  EXPECT_EQ(orientation, (std::vector<uint8_t>{'L', 'P', 'L', 'P'}));
}

// ---- the layout check ----------------------------------------------------------------

TOutSheet Sheet(int longest, int count, char orientation = 'P', int pitch = 1, char lpi = '6') {
  TOutSheet s;
  s.body.orientation = uint8_t(orientation);
  s.body.pitchCode = uint8_t(pitch);
  s.body.linesPerInch = uint8_t(lpi);
  s.SetLayout();
  s.AddMadeLine(std::string(size_t(longest), 'x'));
  for (int i = 1; i < count; ++i) s.lines.push_back("text");
  return s;
}

// A text write failing in the middle of a volume: the run says so, and the
// library it leaves lists only sheets that read back as imported, whether
// full windows of text are written in place or behind.
class AddFilingsWriteFailure : public TBothWriters<AddFilingsTest> {};

INSTANTIATE_TEST_SUITE_P(Writer, AddFilingsWriteFailure, ::testing::Values(false, true), WriterName);

TEST_P(AddFilingsWriteFailure, TheLibraryListsOnlySheetsItCanRead) {
  auto body = [](int n) {
    std::vector<std::string> lines;
    for (int i = 0; i < 30; ++i) lines.push_back("Sheet " + std::to_string(n) + " line " + std::to_string(i) + std::string(40, '.'));
    return lines;
  };
  // About eight pages a sheet: the first volume fills some 80 windows, more
  // than a writer hands over before it must wait for the worker, so the
  // failure in the tenth is seen within the volume either way.
  auto lines = Head();
  for (int n = 1; n <= 1000; ++n) {
    lines.push_back(T3(std::to_string(n), 0, "ORIGINAL SHEET NO. " + std::to_string(n)));
    for (auto& l : body(n)) lines.push_back(l);
  }
  lines.push_back(T2("2", "000", "ORIGINAL VOLUME NO. 2"));
  for (int n = 1; n <= 20; ++n) {
    lines.push_back(T3(std::to_string(n), 0, "ORIGINAL SHEET NO. " + std::to_string(n)));
    for (auto& l : body(n)) lines.push_back(l);
  }
  faulty_.Inject({TFault::WriteErrorAfter, "/lib/TarDBF", 10 * 100 * kPageSize, 13, true});
  Import(lines);
  // The first volume takes no sheet after the failure (it would have a gap),
  // so it is left out, and every sheet of it is named.
  ASSERT_EQ(port_.messages.size(), 2u);
  EXPECT_EQ(port_.messages[0], "Write error,probably hardware; code=13");
  EXPECT_EQ(port_.messages[1].rfind("The text file could not be written: 1000 sheets of Original Vol 1 were not "
                                    "added (1, 2, 3, ", 0),
            0u);
  EXPECT_TRUE(Logged("   The text could not be written; the sheets of this volume are not added"));

  auto lib = ReadBack();
  ASSERT_EQ(lib.size(), 1u);
  int listed = 0;
  for (const TRead& v : lib) {
    size_t t = 0;
    for (const THdrRecord& rec : v.chain) {
      if (rec[0] != kSheetRecord) continue;
      const int n = std::stoi(TSheetBody::Decode(rec).sheetNo);
      ASSERT_LT(t, v.texts.size());
      const auto& text = v.texts[t++];
      ASSERT_GE(text.size(), 30u) << n;
      std::vector<std::string> tail(text.end() - 30, text.end());
      // A line ending at a page's last byte but one is read with a blank.
      for (auto& l : tail)
        if (!l.empty() && l.back() == ' ') l.pop_back();
      EXPECT_EQ(tail, body(n)) << n;
      ++listed;
    }
  }
  // The second volume is whole.
  EXPECT_EQ(lib[0].prime.sheetCount, 20);
  EXPECT_EQ(run_->SheetsAdded(), listed);
  EXPECT_EQ(listed, 20);
}

TEST_P(AddFilingsWriteFailure, AFailureAtTheVolumesEndIsLoggedToo) {
  auto lines = Head();
  for (int n = 1; n <= 30; ++n) {
    lines.push_back(T3(std::to_string(n), 0, "ORIGINAL SHEET NO. " + std::to_string(n)));
    for (int i = 0; i < 30; ++i) lines.push_back("line " + std::to_string(i) + std::string(50, '.'));
  }
  // Thirty sheets of eight pages: the fault is in the last, partly filled
  // window, which only the volume's end writes.
  faulty_.Inject({TFault::WriteErrorAfter, "/lib/TarDBF", 200 * kPageSize, 13, true});
  Import(lines);
  ASSERT_EQ(port_.messages.size(), 2u);
  EXPECT_EQ(port_.messages[0], "Write error,probably hardware; code=13");
  EXPECT_EQ(port_.messages[1].rfind("The text file could not be written: 30 sheets of Original Vol 1 were not added", 0),
            0u);
  EXPECT_TRUE(Logged("   The text could not be written; the sheets of this volume are not added"));
  EXPECT_EQ(run_->SheetsAdded(), 0);
  EXPECT_TRUE(ReadBack().empty());
}

// ---- the records an import writes, and no others ----------------------------

// A volume without a type 5 record has no issuer, one without a type 6 no
// docket: nothing is invented for them on disk, and readers see the
// placeholders.
TEST_F(AddFilingsTest, WithoutTypes5Or6NoIssuerOrDocketRecordIsWritten) {
  Import({T0("RP05-12-000", "010505"), T1("000123", "ZETA GAS PIPELINE COMPANY"),
          T2("1", "000", "NO ISSUER"), T6("010505", "000000", "", "020105"), T3("1", 0, "ORIGINAL SHEET NO. 1"),
          "text", T2("2", "000", "NO DOCKET"), T5("John Q. Public"), T3("1", 0, "ORIGINAL SHEET NO. 1"), "text",
          T2("3", "000", "NEITHER"), T3("1", 0, "ORIGINAL SHEET NO. 1"), "text"});
  EXPECT_TRUE(Log().empty()) << Log().front();
  auto lib = ReadBack();
  ASSERT_EQ(lib.size(), 3u);
  EXPECT_EQ(Types(lib[0]), (std::vector<uint8_t>{kVolumeRecord, kDocketRecord, kSheetRecord, kEndRecord}));
  EXPECT_EQ(Types(lib[1]), (std::vector<uint8_t>{kVolumeRecord, kIssuerRecord, kSheetRecord, kEndRecord}));
  EXPECT_EQ(Types(lib[2]), (std::vector<uint8_t>{kVolumeRecord, kSheetRecord, kEndRecord}));
  const TSheetBody noIssuer = TSheetBody::Decode(lib[0].chain[2]);
  EXPECT_EQ(noIssuer.issuePos, -1);
  EXPECT_EQ(noIssuer.docketPos, lib[0].prime.firstHdr + 1);
  const TSheetBody noDocket = TSheetBody::Decode(lib[1].chain[2]);
  EXPECT_EQ(noDocket.issuePos, lib[1].prime.firstHdr + 1);
  EXPECT_EQ(noDocket.docketPos, -1);
  const TSheetBody neither = TSheetBody::Decode(lib[2].chain[1]);
  EXPECT_EQ(neither.issuePos, -1);
  EXPECT_EQ(neither.docketPos, -1);

  // Through the store: the placeholders, in memory only.
  TFileCluster in(env_, false);
  ASSERT_TRUE(in.Open("/lib/Prime4", false));
  in.ReadAll();
  ASSERT_EQ(in.Volumes().size(), 3u);
  for (auto& v : in.Volumes()) {
    THdrList list(*v, nullptr);
    ASSERT_GE(list.Load(), 0);
    ASSERT_EQ(list.VersionCount(), 1u);
    const TSheet& sheet = *list.Groups()[0].versions[0];
    const bool hasIssuer = v->record.volId == "2", hasDocket = v->record.volId == "1";
    EXPECT_EQ(sheet.Issuer()->IsMissing(), !hasIssuer) << v->record.volId;
    EXPECT_EQ(sheet.Issuer()->position < 0, !hasIssuer) << v->record.volId;
    EXPECT_EQ(sheet.Docket()->IsMissing(), !hasDocket) << v->record.volId;
    EXPECT_EQ(sheet.Docket()->position < 0, !hasDocket) << v->record.volId;
    EXPECT_EQ(sheet.Issuer()->name, hasIssuer ? "John Q.Public" : "Name Missing");
    EXPECT_EQ(sheet.Docket()->docketText, hasDocket ? "RP05- 12-000" : "Docket missing");
  }
}

// The order citation of a new SheetRecord is five zero bytes; the docket's
// citation stays "none" (65535) until a type 7 record sets it.
TEST_F(AddFilingsTest, ANewSheetRecordsOrderCitationIsZeroBytes) {
  auto lines = Head();
  lines.push_back(T3("1", 0, "ORIGINAL SHEET NO. 1"));
  lines.push_back("text");
  Import(lines);
  auto lib = ReadBack();
  ASSERT_EQ(Types(lib[0]), (std::vector<uint8_t>{kVolumeRecord, kIssuerRecord, kDocketRecord, kSheetRecord,
                                                 kEndRecord}));
  const THdrRecord& sheet = lib[0].chain[3];
  EXPECT_EQ(std::vector<uint8_t>(sheet.begin() + 52, sheet.begin() + 57), std::vector<uint8_t>(5, 0));
  EXPECT_EQ(sheet[51], 0);  // no order type
  const THdrRecord& docket = lib[0].chain[2];
  EXPECT_EQ(std::vector<uint8_t>(docket.begin() + 49, docket.begin() + 54),
            (std::vector<uint8_t>{0, 0, 0xFF, 0xFF, 0}));
  EXPECT_EQ(TDocketBody::Decode(docket).citevalue.Display(), " ");
}

// A type 5 issuer is the text as it stands: trailing blanks make another
// issuer, and a record of exactly five characters an empty one. Readers
// show the names trimmed.
TEST_F(AddFilingsTest, AType5IssuerIsTakenAsItStands) {
  Import({T0("RP05-12-000", "010505"), T1("000123", "ZETA GAS"), T2("1", "000", "VOL"),
          T5("John Q. Public  "), T6("010505", "000000", "", "020105"), T3("1", 0, "ORIGINAL SHEET NO. 1"), "text",
          T5("John Q. Public"), T3("2", 0, "ORIGINAL SHEET NO. 2"), "text", "TF05X",
          T3("3", 0, "ORIGINAL SHEET NO. 3"), "text"});
  EXPECT_TRUE(Log().empty()) << Log().front();
  auto lib = ReadBack();
  std::vector<std::string> issuers;
  for (const THdrRecord& rec : lib[0].chain)
    if (rec[0] == kIssuerRecord) issuers.push_back(DecodeIssuer(rec));
  EXPECT_EQ(issuers, (std::vector<std::string>{"John Q. Public  ", "John Q. Public", ""}));
  std::set<int32_t> issuePos;
  for (const THdrRecord& rec : lib[0].chain)
    if (rec[0] == kSheetRecord) issuePos.insert(TSheetBody::Decode(rec).issuePos);
  EXPECT_EQ(issuePos.size(), 3u);
  TFileCluster in(env_, false);
  ASSERT_TRUE(in.Open("/lib/Prime4", false));
  in.ReadAll();
  THdrList list(*in.Volumes()[0], nullptr);
  list.Load();
  EXPECT_EQ(list.Groups()[0].versions[0]->Issuer()->name, "John Q.Public");  // IssuerName's form
}

// A new library lists its volumes in the order the import made them.
TEST_F(AddFilingsTest, ANewLibraryKeepsTheOrderItsVolumesWereMadeIn) {
  Import({T0("RP05-12-000", "010505"), T1("000123", "ZETA GAS PIPELINE COMPANY"), T2("1", "000", "VOL"),
          T3("1", 0, "ORIGINAL SHEET NO. 1"), "text", T0("RP05-13-000", "010505"), T1("000007", "ALPHA GAS COMPANY"), T2("2", "000", "VOL"),
          T3("1", 0, "ORIGINAL SHEET NO. 1"), "text", T2("1", "000", "VOL"), T3("1", 0, "ORIGINAL SHEET NO. 1"),
          "text"});
  const std::string bytes = fs_.ReadAll("/lib/Prime4");
  ASSERT_EQ(bytes.size(), 3 * size_t(kPrimeRecordSize));
  std::vector<std::string> order;
  for (size_t i = 0; i < 3; ++i) {
    TPrimeRecord r = TPrimeRecord::Decode(reinterpret_cast<const uint8_t*>(bytes.data()) + i * kPrimeRecordSize);
    order.push_back(std::to_string(r.companyCode) + ":" + r.volId);
  }
  EXPECT_EQ(order, (std::vector<std::string>{"123:1", "7:2", "7:1"}));
}

TEST(LayoutCheck, ASeventyCharacterLineTurnsASmallSheetLandscape) {
  Logger log;
  TOutSheet s = Sheet(70, 20);
  LayoutCheck(s, log);
  EXPECT_EQ(s.body.orientation, 'L');
  EXPECT_EQ(s.body.pitchCode, 1);
  EXPECT_EQ(s.maxChars, 98);
  EXPECT_EQ(log.Lines(), (std::vector<std::string>{"   70 chars is too long for Portrait  at 10 c.p.i.",
                                                   "     Landscape Orientation Substituted"}));
}

TEST(LayoutCheck, AHundredCharacterLineOnALongSheetGetsSmallerPitchAndLines) {
  Logger log;
  TOutSheet s = Sheet(100, 60);
  LayoutCheck(s, log);
  EXPECT_EQ(s.body.orientation, 'P');
  EXPECT_EQ(s.body.pitchCode, 4);
  EXPECT_EQ(s.body.linesPerInch, '8');
  EXPECT_EQ(log.Lines(), (std::vector<std::string>{"   100 chars is too long for Portrait  at 10 c.p.i.",
                                                   "     17 c.p.i. substituted for pitch",
                                                   "   60 lines is too many for Portrait  at 6 lines per inch.",
                                                   "     8 lines per inch substituted"}));
}

TEST(LayoutCheck, ALongLandscapeSheetTurnsPortraitWhenItsLinesFit) {
  Logger log;
  TOutSheet s = Sheet(60, 40, 'L');
  LayoutCheck(s, log);
  EXPECT_EQ(s.body.orientation, 'P');
  EXPECT_EQ(log.Lines().back(), "     Portrait Orientation Substituted");
}

TEST(LayoutCheck, TwoExtraLinesAndTrailingBlanksPassQuietly) {
  Logger log;
  TOutSheet s = Sheet(65, 52);
  for (int i = 0; i < 5; ++i) s.lines.push_back("   ");
  LayoutCheck(s, log);
  EXPECT_TRUE(log.Lines().empty());
  EXPECT_EQ(s.lines.size(), 52u);
}

}  // namespace
}  // namespace vorne::testing
