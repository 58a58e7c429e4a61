// The copy engine on in-memory libraries: adding, merging, the decision
// rules, the docket check, the copy log and the split output's batch file.
#include <gtest/gtest.h>

#include "copy/CopyErrors.h"
#include "copy/CopyHdr.h"
#include "copy/OutputVolumes.h"
#include "store/Common.h"
#include "store/Headers.h"
#include "support/LibraryBuilder.h"
#include "support/MemFileSystem.h"
#include "support/ScriptedPort.h"
#include "volumes/HtmlIncludes.h"
#include "volumes/VolumeList.h"

namespace vorne::testing {
namespace {

TSheetPlan Sheet(const std::string& no, const std::string& title, uint8_t status = kEffective,
                 uint16_t filed = PackDate(2001, 1, 2), uint16_t upd = PackDate(2001, 2, 3)) {
  TSheetPlan s;
  s.sheetNo = no;
  s.lines = {title, "  body of " + title};
  s.status = status;
  s.filingDate = filed;
  s.updDate = upd;
  return s;
}

TVolumePlan Volume(const std::vector<TSheetPlan>& sheets, uint32_t code = 7,
                   const std::string& company = "Alpha Pipeline Company") {
  TVolumePlan v;
  v.companyCode = code;
  v.company = company;
  v.sheets = sheets;
  return v;
}

struct TStoredSheet {
  std::string title;
  TSheetBody body;
  std::string docket;
};

class CopyVolumeTest : public ::testing::Test {
 protected:
  CopyVolumeTest() {
    mem_.MakeDir("/w");
    display_.SetClock([this] { return clock_; });
  }

  // A source library of the volumes; returns its open input cluster.
  TFileCluster& Source(const std::vector<TVolumePlan>& volumes, const std::string& dir = "/w/src") {
    std::string prime = BuildLibrary(env_, dir, true, volumes);
    sources_.push_back(std::make_unique<TFileCluster>(env_, true));
    EXPECT_TRUE(sources_.back()->Open(prime, false));
    sources_.back()->ReadAll();
    return *sources_.back();
  }

  // (Re)opens the output library for appending and lists it.
  void OpenOutput() {
    out_.reset();
    mode_ = TOutputMode{};
    mode_.append = true;
    out_ = std::make_unique<TFileCluster>(env_, compressedOut_);
    out_->SetOutputMode(&mode_);
    ASSERT_TRUE(out_->Open(PrimePathFor("/w/out", compressedOut_), true));
    out_->ReadAll();
    display_.SetOutput(*out_);
  }

  // Copies every sheet of every volume of the source.
  std::vector<bool> CopyAll(TFileCluster& src) {
    std::vector<bool> results;
    for (const auto& v : src.Volumes()) {
      THdrList list(*v, nullptr);
      list.Load();
      results.push_back(display_.CopyVolume(*v, list, dups_, clock_));
    }
    out_->CloseBuffer();
    out_->CloseHdr();
    return results;
  }

  // The sheets of the output's volume of that company, in chain order.
  std::vector<TStoredSheet> Stored(const std::string& company = "Alpha Pipeline Company") {
    TFileCluster c(env_, compressedOut_);
    EXPECT_TRUE(c.Open(PrimePathFor("/w/out", compressedOut_), false));
    c.ReadAll();
    std::vector<TStoredSheet> sheets;
    for (const auto& v : c.Volumes()) {
      if (v->record.companyName != company) continue;
      c.OpenBuffer();
      c.WalkChain(*v, [&](int32_t n, const THdrRecord& r) {
        if (r[0] != kSheetRecord) return true;
        TSheet s(TSheetBody::Decode(r), v.get(), n);
        auto d = ReadEntry6(c, s.body.docketPos);
        sheets.push_back({SheetName(s, c.Buffer()), s.body, TrimRight(FormatDocket(d->body))});
        return true;
      });
      c.CloseBuffer();
    }
    return sheets;
  }

  TPrimeRecord OutPrime(const std::string& company = "Alpha Pipeline Company") {
    TFileCluster c(env_, compressedOut_);
    EXPECT_TRUE(c.Open(PrimePathFor("/w/out", compressedOut_), false));
    c.ReadAll();
    for (const auto& v : c.Volumes())
      if (v->record.companyName == company) return v->record;
    ADD_FAILURE() << "no volume of " << company;
    return {};
  }

  TMemFileSystem mem_;
  TScriptedPort port_;
  TEnv env_{mem_, port_};
  bool compressedOut_ = true;
  TOutputMode mode_;
  std::vector<std::unique_ptr<TFileCluster>> sources_;
  std::unique_ptr<TFileCluster> out_;
  TToDisplay display_;
  TCopyErrors dups_;
  std::chrono::steady_clock::time_point clock_{};
};

TEST_F(CopyVolumeTest, AddingIntoAnEmptyOutputCopiesSheetsTextsAndRange) {
  for (bool compressed : {true, false}) {
    compressedOut_ = compressed;
    mem_.Remove(PrimePathFor("/w/out", compressed));
    TFileCluster& src = Source({Volume({Sheet("10", "First Revised Sheet No. 10"), Sheet("2", "Original Sheet No. 2"),
                                        Sheet("5A", "Original Sheet No. 5A", kPending)})});
    OpenOutput();
    EXPECT_EQ(CopyAll(src), std::vector<bool>{true});
    EXPECT_EQ(display_.Modelabel(), "Adding");
    auto stored = Stored();
    ASSERT_EQ(stored.size(), 3u);
    // Written in title order; the range is by sheet number, not title order.
    EXPECT_EQ(stored[0].title, "First Revised Sheet No. 10");
    EXPECT_EQ(stored[1].title, "Original Sheet No. 2");
    EXPECT_EQ(stored[2].docket, "RP96-  1-000");
    TPrimeRecord p = OutPrime();
    EXPECT_EQ(p.sheetCount, 3);
    EXPECT_EQ(TrimRight(p.fromSheet), "2");
    EXPECT_EQ(TrimRight(p.toSheet), "10");
    EXPECT_EQ(p.updated, PackDate(2001, 2, 3));
    ASSERT_EQ(display_.Rows().size(), 1u);
    EXPECT_EQ(display_.Rows()[0].columns[2], "3");
    EXPECT_EQ(display_.Rows()[0].columns[3], "2");
    EXPECT_EQ(display_.Rows()[0].columns[4], "10");
    sources_.clear();
  }
}

TEST_F(CopyVolumeTest, MergingTheSameSelectionAgainAppendsNothing) {
  TFileCluster& src = Source({Volume({Sheet("1", "Original Sheet No. 1"), Sheet("2", "Original Sheet No. 2")})});
  OpenOutput();
  CopyAll(src);
  OpenOutput();
  EXPECT_EQ(CopyAll(src), std::vector<bool>{true});
  EXPECT_EQ(display_.Modelabel(), "Merging");
  EXPECT_EQ(Stored().size(), 2u);
  EXPECT_EQ(OutPrime().sheetCount, 2);
  ASSERT_EQ(display_.CopyLog().size(), 3u);
  EXPECT_EQ(display_.CopyLog()[0], "\"Pipeline Company\",\"Volume\",\"New\",\"Old\",\"Replaced\",\"Added\",\"Total Out\"");
  EXPECT_EQ(display_.CopyLog()[1], "\"Alpha Pipeline Company\",\"1:000\",2, 0, 0, 2, 2, 00,00,00");
  EXPECT_EQ(display_.CopyLog()[2], "\"Alpha Pipeline Company\",\"1:000\",2, 2, 0, 0, 2, 00,00,00");
  // Saved after every volume, in the output library's folder.
  std::string saved = mem_.ReadAll("/w/out/Copylog.csv");
  EXPECT_EQ(saved, display_.CopyLog()[0] + "\r\n" + display_.CopyLog()[1] + "\r\n" + display_.CopyLog()[2] + "\r\n");
  EXPECT_FALSE(dups_.HasEntries());
}

TEST_F(CopyVolumeTest, CopyLogShowsTheTimeSpentOnTheVolume) {
  TFileCluster& src = Source({Volume({Sheet("1", "Original Sheet No. 1")})});
  OpenOutput();
  display_.SetClock([&] { return clock_ + std::chrono::seconds(3725); });
  CopyAll(src);
  EXPECT_EQ(display_.CopyLog().back(), "\"Alpha Pipeline Company\",\"1:000\",1, 0, 0, 1, 1, 01,02,05");
}

TEST_F(CopyVolumeTest, MergeAppendsNewTitlesAndWidensTheRange) {
  TFileCluster& first = Source({Volume({Sheet("5", "Original Sheet No. 5")})}, "/w/a");
  OpenOutput();
  CopyAll(first);
  TFileCluster& second = Source({Volume({Sheet("5", "Original Sheet No. 5"), Sheet("12", "Original Sheet No. 12"),
                                         Sheet("3", "Original Sheet No. 3")})},
                                "/w/b");
  OpenOutput();
  CopyAll(second);
  auto stored = Stored();
  ASSERT_EQ(stored.size(), 3u);
  TPrimeRecord p = OutPrime();
  EXPECT_EQ(p.sheetCount, 3);
  EXPECT_EQ(TrimRight(p.fromSheet), "3");
  EXPECT_EQ(TrimRight(p.toSheet), "12");
  EXPECT_EQ(display_.CopyLog().back(), "\"Alpha Pipeline Company\",\"1:000\",3, 1, 0, 2, 3, 00,00,00");
  // The stored docket and issuer records are reused, not written again.
  for (const auto& s : stored) EXPECT_EQ(s.body.docketPos, stored[0].body.docketPos);
  for (const auto& s : stored) EXPECT_EQ(s.body.issuePos, stored[0].body.issuePos);
  for (const auto& s : stored) EXPECT_EQ(s.docket, "RP96-  1-000");
}

TEST_F(CopyVolumeTest, SupersededUpdatedLaterReplacesInPlace) {
  TFileCluster& first = Source({Volume({Sheet("1", "Original Sheet No. 1", kEffective)})}, "/w/a");
  OpenOutput();
  CopyAll(first);
  const auto before = Stored();
  TFileCluster& second =
      Source({Volume({Sheet("1", "Original Sheet No. 1", kSuperseded, PackDate(2001, 1, 2), PackDate(2003, 3, 3))})},
             "/w/b");
  OpenOutput();
  CopyAll(second);
  auto after = Stored();
  ASSERT_EQ(after.size(), 1u);
  EXPECT_EQ(after[0].body.status, kSuperseded);
  EXPECT_EQ(after[0].body.updDate, PackDate(2003, 3, 3));
  EXPECT_EQ(after[0].body.text, before[0].body.text);  // the text is not copied again
  EXPECT_EQ(after[0].body.issuePos, before[0].body.issuePos);
  TPrimeRecord p = OutPrime();
  EXPECT_EQ(p.sheetCount, 1);
  EXPECT_EQ(p.updated, PackDate(2003, 3, 3));
  EXPECT_EQ(display_.CopyLog().back(), "\"Alpha Pipeline Company\",\"1:000\",1, 1, 1, 0, 1, 00,00,00");
  EXPECT_TRUE(port_.questions.empty());  // same docket: no question
}

TEST_F(CopyVolumeTest, LowerStatusReplacesEvenWithoutALaterUpdate) {
  TFileCluster& first = Source({Volume({Sheet("1", "Original Sheet No. 1", kEffective)})}, "/w/a");
  OpenOutput();
  CopyAll(first);
  TFileCluster& second = Source({Volume({Sheet("1", "Original Sheet No. 1", kRejected)})}, "/w/b");
  OpenOutput();
  CopyAll(second);
  EXPECT_EQ(Stored()[0].body.status, kRejected);
}

TEST_F(CopyVolumeTest, PendingNeverReplacesAndADifferentFilingIsAFalseDuplicate) {
  TSheetPlan stored = Sheet("1", "Original Sheet No. 1", kPending, PackDate(2001, 1, 2));
  TFileCluster& first = Source({Volume({stored})}, "/w/a");
  OpenOutput();
  CopyAll(first);
  TSheetPlan later = Sheet("1", "Original Sheet No. 1", kPending, PackDate(2002, 5, 6), PackDate(2004, 1, 1));
  later.docket = "RP02-7-000";
  TSheetPlan same = Sheet("2", "Original Sheet No. 2", kPending);
  TFileCluster& second = Source({Volume({later})}, "/w/b");
  OpenOutput();
  CopyAll(second);
  auto after = Stored();
  ASSERT_EQ(after.size(), 1u);  // the stored title is not appended again
  EXPECT_EQ(after[0].body.filingDate, PackDate(2001, 1, 2));
  dups_.Show();
  EXPECT_EQ(dups_.Lines(), (std::vector<std::string>{kDupFirstLine, "", "Alpha Pipeline Company:",
                                                      "  in Docket: RP02-  7-000",
                                                      "      sheet:  Original Sheet No. 1",
                                                      std::string(30, ' ') + "already used in : RP96-  1-000"}));
}

TEST_F(CopyVolumeTest, PendingWithTheSameFilingIsNeitherReplacedNorReported) {
  TFileCluster& first = Source({Volume({Sheet("1", "Original Sheet No. 1", kPending)})}, "/w/a");
  OpenOutput();
  CopyAll(first);
  TFileCluster& second =
      Source({Volume({Sheet("1", "Original Sheet No. 1", kPending, PackDate(2001, 1, 2), PackDate(2009, 1, 1))})},
             "/w/b");
  OpenOutput();
  CopyAll(second);
  EXPECT_EQ(Stored()[0].body.updDate, PackDate(2001, 2, 3));
  EXPECT_FALSE(dups_.HasEntries());
}

TEST_F(CopyVolumeTest, SheetNumberZeroIsMatchedByFilingDate) {
  TFileCluster& first = Source({Volume({Sheet("0", "Title Page", kEffective, PackDate(2001, 1, 2))})}, "/w/a");
  OpenOutput();
  CopyAll(first);
  // Two incoming title pages: only the one filed on the stored date replaces it.
  TSheetPlan other = Sheet("0", "Title Page", kSuperseded, PackDate(2002, 2, 2), PackDate(2005, 5, 5));
  TSheetPlan match = Sheet("0", "Title Page", kSuperseded, PackDate(2001, 1, 2), PackDate(2004, 4, 4));
  TFileCluster& second = Source({Volume({other, match})}, "/w/b");
  OpenOutput();
  CopyAll(second);
  auto after = Stored();
  ASSERT_EQ(after.size(), 2u);
  EXPECT_EQ(after[0].body.filingDate, PackDate(2001, 1, 2));
  EXPECT_EQ(after[0].body.updDate, PackDate(2004, 4, 4));
  EXPECT_EQ(after[0].body.status, kSuperseded);
  // The other filing is a sheet of its own, appended once.
  EXPECT_EQ(after[1].body.filingDate, PackDate(2002, 2, 2));
}

TEST_F(CopyVolumeTest, AStoredDeletedSheetIsNotCompared) {
  TFileCluster& first = Source({Volume({Sheet("1", "Original Sheet No. 1", kDeleted)})}, "/w/a");
  OpenOutput();
  CopyAll(first);
  TFileCluster& second = Source({Volume({Sheet("1", "Original Sheet No. 1", kEffective)})}, "/w/b");
  OpenOutput();
  CopyAll(second);
  auto after = Stored();
  ASSERT_EQ(after.size(), 2u);
  EXPECT_EQ(after[0].body.status, kDeleted);
  EXPECT_EQ(after[1].body.status, kEffective);
  EXPECT_EQ(display_.CopyLog().back(), "\"Alpha Pipeline Company\",\"1:000\",1, 0, 0, 1, 1, 00,00,00");
}

class DocketCheckTest : public CopyVolumeTest {
 protected:
  // A stored Effective sheet under RP96-1-000 and an incoming Superseded
  // one, updated later, under another docket, plus a new sheet.
  void Merge() {
    TFileCluster& first = Source({Volume({Sheet("1", "Original Sheet No. 1")})}, "/w/a");
    OpenOutput();
    CopyAll(first);
    TSheetPlan in = Sheet("1", "Original Sheet No. 1", kSuperseded, PackDate(2001, 1, 2), PackDate(2006, 6, 6));
    in.docket = "RP05-9-000";
    TFileCluster& second = Source({Volume({in, Sheet("2", "Original Sheet No. 2")})}, "/w/b");
    OpenOutput();
    results_ = CopyAll(second);
  }
  std::vector<bool> results_;
};

TEST_F(DocketCheckTest, OkReplacesAllTheSameWithTheIncomingDocket) {
  port_.QueueAnswer(TAnswer::OK);
  Merge();
  ASSERT_EQ(port_.questions.size(), 1u);
  EXPECT_EQ(port_.questions[0], "Sheet Original Sheet No. 1\ndoes not match dockets");
  auto after = Stored();
  ASSERT_EQ(after.size(), 2u);
  EXPECT_EQ(after[0].body.status, kSuperseded);
  EXPECT_EQ(after[0].docket, "RP05-  9-000");  // its docket record was written, not left dangling
  EXPECT_EQ(results_, std::vector<bool>{true});
}

TEST_F(DocketCheckTest, AbortKeepsTheStoredSheetAndStopsTheVolume) {
  port_.QueueAnswer(TAnswer::Abort);
  Merge();
  auto after = Stored();
  ASSERT_EQ(after.size(), 1u);  // the sheets left are not appended
  EXPECT_EQ(after[0].body.status, kEffective);
  EXPECT_EQ(after[0].docket, "RP96-  1-000");
  EXPECT_EQ(results_, std::vector<bool>{false});
  EXPECT_EQ(OutPrime().sheetCount, 1);
}

TEST_F(CopyVolumeTest, MissingDocketRecordAsksAndKeepsTheStoredSheet) {
  // A stored sheet whose DocketPos points at no docket record.
  TFileCluster& first = Source({Volume({Sheet("1", "Original Sheet No. 1")})}, "/w/a");
  OpenOutput();
  CopyAll(first);
  out_.reset();
  {
    TFileCluster c(env_, true);
    TOutputMode m;
    m.append = true;
    c.SetOutputMode(&m);
    ASSERT_TRUE(c.Open(PrimePathFor("/w/out", true), true));
    c.ReadAll();
    auto s = Stored();
    s[0].body.docketPos = -1;
    int32_t pos = -1;
    c.WalkChain(*c.Volumes()[0], [&](int32_t n, const THdrRecord& r) {
      if (r[0] == kSheetRecord) pos = n;
      return true;
    }, false);
    c.WriteHdr(pos, s[0].body.Encode());
    c.CloseHdr();
  }
  TFileCluster& second = Source(
      {Volume({Sheet("1", "Original Sheet No. 1", kSuperseded, PackDate(2001, 1, 2), PackDate(2007, 7, 7))})}, "/w/b");
  port_.QueueAnswer(TAnswer::OK);
  OpenOutput();
  CopyAll(second);
  ASSERT_EQ(port_.questions.size(), 1u);
  EXPECT_EQ(port_.questions[0], "Old Sheet Original Sheet No. 1 is missing its type 6 record");
  EXPECT_EQ(Stored()[0].body.status, kEffective);  // kept either way
}

TEST_F(CopyVolumeTest, AVolumeWithNoSelectedSheetsWritesNothing) {
  TFileCluster& src = Source({Volume({})});
  OpenOutput();
  EXPECT_EQ(CopyAll(src), std::vector<bool>{true});
  EXPECT_TRUE(display_.Rows().empty());
  EXPECT_EQ(display_.CopyLog().size(), 1u);
  TFileCluster c(env_, true);
  ASSERT_TRUE(c.Open(PrimePathFor("/w/out", true), false));
  c.ReadAll();
  EXPECT_TRUE(c.Volumes().empty());
}

TEST(CopyErrorsTest, HeadingOncePerVolumeAndDocketLinesOnChange) {
  TCopyErrors e;
  EXPECT_FALSE(e.HasEntries());
  e.SetVolume("Alpha Pipeline Company: ZOAK Gas Tariff");
  e.ReportDocket("RP1");
  e.ReportSheet("A");
  e.ReportDocket("RP1");
  e.ReportSheet("B");
  e.SetVolume("Beta: Vol");
  e.ReportDocket("RP1");  // the same docket as last reported: no line
  e.ReportSheet("C");
  e.Show();
  e.Show();
  EXPECT_EQ(e.Lines(), (std::vector<std::string>{kDupFirstLine, "", "Alpha Pipeline Company:", "  in Docket: RP1",
                                                  "      sheet:  A", "      sheet:  B", "", "Beta:",
                                                  "      sheet:  C"}));
}

TEST_F(CopyVolumeTest, ZipBatchHasOneLinePerCompanyAndTheIncludesPage) {
  TFileCluster& src = Source({Volume({Sheet("1", "Original Sheet No. 1")}, 7, "Beta & Gamma Gas"),
                              Volume({Sheet("1", "Original Sheet No. 1")}, 3, "Alpha Pipeline Company")});
  TVolumePlan second = Volume({Sheet("9", "Original Sheet No. 9")}, 3, "Alpha Pipeline Company");
  second.volId = "2";
  OpenOutput();
  out_->SetBase("/w");
  CopyAll(src);
  TFileCluster& more = Source({second}, "/w/more");
  OpenOutput();
  out_->SetBase("/w");
  CopyAll(more);
  TFromDisplay list(env_);
  list.Fill(more);
  SetTodayForTesting(TDate{2005, 3, 4});
  ASSERT_TRUE(display_.WriteZipBatch(list));
  SetTodayForTesting(std::nullopt);
  EXPECT_EQ(mem_.ReadAll("/w/zippem.bat"),
            "Echo off\r\ncall zippit 000003 Alpha Pipeline Company\r\ncall zippit 000007 Beta & Gamma Gas\r\n");
  EXPECT_EQ(display_.Wheresaved(), "/w/index.htm");
  ASSERT_NE(display_.Includes(), nullptr);
  const auto& page = display_.Includes()->Output();
  std::vector<std::string> rows;
  for (const auto& l : page)
    if (l.rfind("<tr> <td>", 0) == 0) rows.push_back(l);
  // The previous ID carries across the two tables: one company, one row.
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0], "<tr> <td>" + UpdatedText(PackDate(2001, 2, 3)) +
                         "</td><td><a href=\"000003.zip\">Alpha Pipeline Company</a></td></tr>");
  EXPECT_NE(std::find(page.begin(), page.end(), "<i> Updated 3/4/2005</i><br>"), page.end());
  EXPECT_EQ(page.front(), "");
  EXPECT_EQ(page.back(), "</HTML>");
}

}  // namespace
}  // namespace vorne::testing
