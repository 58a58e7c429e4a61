// Scan Updates: which volumes a scan lists (the chain's latest sheet update,
// never the prime record's date), the report line and file, "Copy to Main"
// back to company IDs, and the prime-date update of ExpertMode.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "platform/Paths.h"
#include "shell/Main.h"
#include "shell/ScanUpdates.h"
#include "store/Bytes.h"
#include "support/LibraryBuilder.h"
#include "support/MemFileSystem.h"
#include "support/ScriptedPort.h"
#include "volumes/HtmlIncludes.h"

namespace vorne::testing {
namespace {

TVolumePlan Volume(uint32_t code, const std::string& company, uint16_t updDate) {
  TVolumePlan v;
  v.companyCode = code;
  v.company = company;
  TSheetPlan s;
  s.sheetNo = "1";
  s.lines = {"original sheet no. 1", "text"};
  s.updDate = updDate;
  v.sheets = {s};
  return v;
}

class ScanTest : public ::testing::Test {
 protected:
  ScanTest() {
    SetTodayForTesting(TDate{2005, 3, 1});
    mem_.MakeDir("/w");
    mem_.MakeDir("/w/web");
    BuildLibrary(env_, "/w/lib", true,
                 {Volume(123, "Old Pipeline Company", PackDate(2004, 1, 10)),
                  Volume(77, "New Gas Company", PackDate(2005, 2, 20)),
                  Volume(5, "Third Transmission Corp", PackDate(2005, 2, 25))});
  }
  ~ScanTest() override { SetTodayForTesting(std::nullopt); }

  TGoResult Run(std::vector<std::string> args) {
    EXPECT_TRUE(main_.ParseCommandLine(args));
    EXPECT_TRUE(main_.Start());
    return main_.RunNow();
  }
  TTimeScanner* Scanner() {
    return main_.Windows().scanner;
  }
  std::vector<std::string> Companies() {
    std::vector<std::string> ids;
    for (const std::string& l : Scanner()->Lines()) ids.push_back(l.substr(0, 6));
    return ids;
  }

  TMemFileSystem mem_;
  TScriptedPort port_;
  TEnv env_{mem_, port_};
  TMain main_{env_};
};

TEST_F(ScanTest, ReportLineCarriesTheCompanyCodeKeyAndDate) {
  ASSERT_TRUE(main_.OpenPrimeFile("/w/lib/GZPrime"));
  TPrimeRef& v = *main_.Input()->Volumes()[0];
  const std::string line = ScanReportLine(v, PackDate(2005, 1, 5));
  EXPECT_EQ(line, ZeroPad(v.record.companyCode, 6) + " " + v.Key().substr(0, 61) + " 1/5/2005");
  EXPECT_EQ(line.substr(7, 61).size(), 61u);
  // A damaged date never stops the report.
  EXPECT_EQ(ScanReportLine(v, 0xFFFF).substr(69), "00/00/19**");
}

TEST_F(ScanTest, RecentDaysUseTheChainsLatestUpdateNotThePrimeDate) {
  // The prime record of the old volume claims a recent update; its sheets say otherwise.
  ASSERT_TRUE(main_.OpenPrimeFile("/w/lib/GZPrime"));
  for (auto& v : main_.Input()->Volumes())
    if (v->record.companyCode == 123) {
      v->record.updated = PackDate(2005, 2, 28);
      v->Update();
    }
  main_.VolumeList().Clear();
  ASSERT_EQ(Run({"FROM", "/w/lib", "SCAN", "RECENT", "30", "TO", "/w/web/PRIME4", "GO"}), TGoResult::Ran);
  EXPECT_EQ(Companies(), (std::vector<std::string>{"000077", "000005"}));
  // The "Pick a Date" dialog showed the date 30 days back.
  EXPECT_NE(std::find(port_.transcript.begin(), port_.transcript.end(),
                      "dialog: Pick a Date [Include tariff volumes updated since: 1/30/2005] -> 1/30/2005"),
            port_.transcript.end());
  // The report went beside the named prime file, under its own name.
  EXPECT_EQ(Scanner()->FileName(), "/w/web/AllUpdts.txt");
  const std::string text = mem_.Bytes("/w/web/AllUpdts.txt");
  EXPECT_EQ(text, Scanner()->Lines()[0] + "\r\n" + Scanner()->Lines()[1] + "\r\n");
  EXPECT_TRUE(main_.VolumeList().RowsHidden());
  EXPECT_EQ(main_.VolumeList().StatusText(1), "Report saved to " + TitleCase("/w/web/AllUpdts.txt"));
  EXPECT_FALSE(Scanner()->Visible());
}

TEST_F(ScanTest, RecentAllListsEveryVolumeWithoutADialog) {
  ASSERT_EQ(Run({"FROM", "/w/lib", "SCAN", "RECENT", "ALL", "TO", "/w/web/PRIME4", "GO"}), TGoResult::Ran);
  EXPECT_EQ(Scanner()->Lines().size(), 3u);
  for (const std::string& t : port_.transcript) EXPECT_EQ(t.find("dialog:"), std::string::npos) << t;
}

TEST_F(ScanTest, ADamagedTextFileOrVolumeEntryDoesNotStopTheScan) {
  mem_.Bytes("/w/lib/GZipDBF") = "not a text file";
  // The second prime record points past the end of the header file.
  std::string& prime = mem_.Bytes("/w/lib/GZPrime");
  PutI32(reinterpret_cast<uint8_t*>(prime.data()) + kPrimeRecordSize, 100000);
  ASSERT_EQ(Run({"FROM", "/w/lib", "SCAN", "RECENT", "ALL", "TO", "/w/web/PRIME4", "GO"}), TGoResult::Ran);
  EXPECT_EQ(Scanner()->Lines().size(), 3u);  // the bad entry is listed with no date
  EXPECT_EQ(std::count(port_.messages.begin(), port_.messages.end(),
                       "Bad PRIME file entry. Can't find Volume record"),
            1);
  EXPECT_TRUE(mem_.Exists("/w/web/AllUpdts.txt"));
}

TEST_F(ScanTest, UnreadableOrCancelledSinceDateRunsNothing) {
  port_.QueueText("13/45/2005");
  EXPECT_EQ(Run({"FROM", "/w/lib", "SCAN", "RECENT", "7", "GO"}), TGoResult::NotPrepared);
  EXPECT_EQ(port_.messages.back(), "\"13/45/2005\" is not a valid date");
  EXPECT_FALSE(Scanner()->Started);
}

TEST_F(ScanTest, TypedSinceDateReplacesThePreset) {
  port_.QueueText("2/22/2005");
  ASSERT_EQ(Run({"FROM", "/w/lib", "SCAN", "RECENT", "7", "TO", "/w/web/PRIME4", "GO"}), TGoResult::Ran);
  EXPECT_EQ(Companies(), (std::vector<std::string>{"000005"}));
}

TEST_F(ScanTest, CopyToMainTurnsTheLinesBackIntoCompanyIds) {
  ASSERT_EQ(Run({"FROM", "/w/lib", "SCAN", "RECENT", "ALL", "TO", "/w/web/PRIME4", "GO"}), TGoResult::Ran);
  EXPECT_EQ(Scanner()->RecentIds(), (std::vector<std::string>{"000005", "000077", "000123"}));
  auto* scan = static_cast<TScanRun*>(main_.ModeRun(TRunMode::ScanUpdates));
  main_.State().ToDir = "/w/web";
  port_.QueueFile("/w/web/ZIPPEM.Bat");
  ASSERT_TRUE(scan->FlagRecent(main_));
  EXPECT_EQ(mem_.Bytes("/w/web/ZIPPEM.Bat"),
            "Echo off\r\ncall Zippit 000005 Third Transmission Corp\r\ncall Zippit 000077 New Gas Company\r\n"
            "call Zippit 000123 Old Pipeline Company\r\n");
  EXPECT_EQ(port_.messages.back(), "Saved 4 lines\nto /w/web/ZIPPEM.Bat");
  EXPECT_EQ(main_.VolumeList().MarkedCount(), 3u);
}

TEST_F(ScanTest, ZippemBatchMarksOnlyTheListedIdsAndCancelSavesNothing) {
  ASSERT_TRUE(main_.OpenPrimeFile("/w/lib/GZPrime"));
  main_.VolumeList().SelectAll();
  std::vector<std::string> lines = ZippemLines(main_.VolumeList(), {"000077", "999999"});
  EXPECT_EQ(lines, (std::vector<std::string>{"Echo off", "call Zippit 000077 New Gas Company"}));
  EXPECT_EQ(main_.VolumeList().MarkedCount(), 1u);
  // Without ToDir the dialog starts in the library folder; a cancel writes nothing.
  EXPECT_FALSE(WriteZippemBatch(env_, main_.VolumeList(), {"000077"}, "/w/lib", ""));
  EXPECT_EQ(port_.transcript.back(), "save: save pkzip bat file as: [/w/lib/ZIPPEM.Bat] -> ");
  EXPECT_FALSE(mem_.Exists("/w/lib/ZIPPEM.Bat"));
}

TEST_F(ScanTest, ExpertModeCanStoreTheLatestUpdateInThePrimeRecords) {
  // Every prime record claims no update at all.
  std::string& prime = mem_.Bytes("/w/lib/GZPrime");
  for (size_t at = 0; at + kPrimeRecordSize <= prime.size(); at += kPrimeRecordSize) prime[at + 28] = prime[at + 29] = 0;
  port_.QueueAnswer(TAnswer::Yes);
  ASSERT_EQ(Run({"FROM", "/w/lib", "QARLMIDEX", "SCAN", "GO"}), TGoResult::Ran);
  EXPECT_EQ(port_.questions.front(), "Update primerec dates");
  EXPECT_EQ(main_.State().RunMode, TRunMode::ScanUpdates);
  TFileCluster check(env_, true);
  ASSERT_TRUE(check.Open("/w/lib/GZPrime", false));
  check.ReadAll();
  std::map<uint32_t, uint16_t> updated;
  for (auto& v : check.Volumes()) updated[v->record.companyCode] = v->record.updated;
  EXPECT_EQ(updated[123], PackDate(2004, 1, 10));
  EXPECT_EQ(updated[77], PackDate(2005, 2, 20));
  EXPECT_EQ(updated[5], PackDate(2005, 2, 25));
  // The volume list shows the dates just stored.
  for (const TVolumeRow& row : main_.VolumeList().Rows())
    EXPECT_EQ(row.columns[5], UpdatedText(row.volume->record.updated)) << row.caption;
  EXPECT_TRUE(std::any_of(main_.VolumeList().Rows().begin(), main_.VolumeList().Rows().end(),
                          [](const TVolumeRow& r) { return r.columns[5] == "2/25/2005"; }));
  // The names are written back as they were stored.
  std::set<std::string> names;
  for (auto& v : check.Volumes()) names.insert(v->storedName);
  EXPECT_EQ(names, (std::set<std::string>{"New Gas Company", "Old Pipeline Company", "Third Transmission Corp"}));
}

}  // namespace
}  // namespace vorne::testing
