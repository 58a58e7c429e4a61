// Verify mode: the failure lines of a volume, the removal of clean volumes,
// the window's counter and Save, and the run that does nothing while the
// window is still open.
#include <gtest/gtest.h>

#include "filings/Verifier.h"
#include "shell/CheckRuns.h"
#include "shell/Main.h"
#include "support/LibraryBuilder.h"
#include "support/MemFileSystem.h"
#include "support/ScriptedPort.h"

namespace vorne::testing {
namespace {

TSheetPlan Sheet(const std::string& no, int rev, const std::string& title) {
  TSheetPlan s;
  s.sheetNo = no;
  s.rev = rev;
  s.lines = {title, "text"};
  return s;
}

class VerifyTest : public ::testing::Test {
 protected:
  VerifyTest() {
    mem_.MakeDir("/w");
    TVolumePlan good;
    good.companyCode = 1;
    good.company = "Good Gas Company";
    good.sheets = {Sheet("1", 0, "original sheet no. 1"), Sheet("2", 1, "first revised sheet no. 2"),
                   Sheet("3", 2, "second revised sheet no. 3")};
    TVolumePlan bad;
    bad.companyCode = 2;
    bad.company = "Bad Gas Company";
    bad.sheets = {Sheet("1", 0, "original sheet no. 1"), Sheet("5", 0, "original sheet no. 6"),
                  Sheet("7", 2, "first revised sheet no. 7")};
    BuildLibrary(env_, "/w/lib", true, {good, bad});
    EXPECT_TRUE(main_.OpenPrimeFile("/w/lib/GZPrime"));
    ChooseMode(main_.State(), TRunMode::Verify);
  }
  TVerifyRun& Run() { return *static_cast<TVerifyRun*>(main_.ModeRun(TRunMode::Verify)); }

  TMemFileSystem mem_;
  TScriptedPort port_;
  TEnv env_{mem_, port_};
  TMain main_{env_};
};

TEST_F(VerifyTest, OnlyVolumesWithDisagreeingNamesLeaveLines) {
  main_.VolumeList().SelectAll();
  ASSERT_EQ(main_.VolumeList().Go(), TGoResult::Ran);
  TverifyW* w = Run().Window();
  ASSERT_NE(w, nullptr);
  // Every sheet of the good volume agrees, not only its first one.
  EXPECT_EQ(w->FlawList, (std::vector<std::string>{"Bad Gas Company", "5       :0; Original Sheet No. 6",
                                                   "7       :2; First Revised Sheet No. 7", "*******"}));
  EXPECT_EQ(w->Counter(), "4 Lines");
  EXPECT_EQ(main_.VolumeList().MarkedCount(), 0u);  // each checked row is unmarked
  EXPECT_TRUE(main_.SheetList().Visible());
}

TEST_F(VerifyTest, SaveWritesVerifyTxtAndSaysWhere) {
  main_.VolumeList().SelectAll();
  main_.VolumeList().Go();
  ASSERT_TRUE(Run().Window()->Save("/w"));
  EXPECT_EQ(mem_.Bytes("/w/Verify.Txt").substr(0, 17), "Bad Gas Company\r\n");
  EXPECT_EQ(port_.messages.back(), "Saved in: /w/Verify.Txt");
}

TEST_F(VerifyTest, EveryRunShowsItsOwnResultsInAFreshWindow) {
  main_.VolumeList().SelectAll();
  main_.VolumeList().Go();
  const std::vector<std::string> first = Run().Window()->FlawList;
  main_.VolumeList().SelectAll();
  EXPECT_EQ(main_.VolumeList().Go(), TGoResult::Ran);  // the window of the first run still stands
  EXPECT_EQ(Run().Window()->FlawList, first);          // this run's lines, not appended to the last
  EXPECT_EQ(main_.VolumeList().MarkedCount(), 0u);
  EXPECT_EQ(main_.Windows().verification, Run().Window());
  Run().CloseWindow(main_);
  EXPECT_EQ(main_.Windows().verification, nullptr);
}

TEST_F(VerifyTest, NegativeRevisionNeverMatches) {
  EXPECT_FALSE(RevisionMatches(-1, "FIRST REVISED SHEET NO. 1"));
  EXPECT_FALSE(RevisionMatches(-30000, "ORIGINAL SHEET NO. 1"));
}

}  // namespace
}  // namespace vorne::testing
