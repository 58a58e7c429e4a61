// The main window's commands around the person: the From dialog loop, the
// splash timer's start, Show Version and the toolbox's door.
#include <gtest/gtest.h>

#include "shell/Main.h"
#include "shell/MainCommands.h"
#include "support/LibraryBuilder.h"
#include "support/MemFileSystem.h"
#include "support/ScriptedPort.h"

namespace vorne::testing {
namespace {

// The tick on which the start sequence runs.
int StartTick(TRunState& st, bool hasArgs, int month, int day = 10) {
  for (int i = 0; i < 40; ++i)
    if (InitTimerTick(st, hasArgs, month, day).start) return st.Ticks;
  return -1;
}

TEST(SplashTimerTest, TheStartComesAfterFiveAndAHalfSecondsOrEightAndAHalfInDecember) {
  TRunState plain, december, express;
  EXPECT_EQ(StartTick(plain, false, 6), 11);
  EXPECT_EQ(StartTick(december, true, 12), 17);
  express.Ticks = 10;  // "EXPRESS"
  EXPECT_EQ(StartTick(express, true, 3), 11);
  EXPECT_EQ(express.Ticks, 11);  // the first tick
}

TEST(SplashTimerTest, SeasonalPicturesFromTheThirdTick) {
  TRunState st;
  EXPECT_FALSE(InitTimerTick(st, false, 12, 27).decemberPicture);
  EXPECT_FALSE(InitTimerTick(st, false, 12, 27).decemberPicture);
  TSplashTick third = InitTimerTick(st, false, 12, 27);
  EXPECT_TRUE(third.decemberPicture);
  EXPECT_FALSE(third.januaryPicture);  // late December adds it from the fourth
  EXPECT_TRUE(InitTimerTick(st, false, 12, 27).januaryPicture);
  TRunState jan;
  jan.Ticks = 5;
  TSplashTick t = InitTimerTick(jan, false, 1, 6);
  EXPECT_TRUE(t.januaryPicture);
  EXPECT_FALSE(t.decemberPicture);
}

TEST(SplashTimerTest, ShowVersionRestartsTheSplashAndTellsTheRecordSizeToExperts) {
  TRunState st;
  st.Ticks = 30;
  EXPECT_EQ(ShowVersion(st), "");
  EXPECT_EQ(st.Ticks, -4);
  st.ExpertMode = true;
  EXPECT_EQ(ShowVersion(st), "Prime Record is 96 Bytes");
}

TEST(ToolboxTest, TheDoorOpensOnlyAfterADoubleClickOrInExpertMode) {
  TRunState st;
  EXPECT_EQ(CreditsClick(st, false), TToolboxDoor::Contact);
  st.ToolboxArmed = true;
  EXPECT_EQ(CreditsClick(st, false), TToolboxDoor::ShowDialog);
  EXPECT_EQ(CreditsClick(st, true), TToolboxDoor::ExpertAtOnce);
  st.ToolboxArmed = false;
  st.ExpertMode = true;
  EXPECT_EQ(CreditsClick(st, false), TToolboxDoor::ShowDialog);
}

TEST(ToolboxTest, FontBoxListsEveryCharacterCode) {
  std::vector<std::string> lines = FontBoxLines();
  ASSERT_EQ(lines.size(), 16u);
  EXPECT_EQ(lines[4], "4 : @ABCDEFGHIJKLMNO");
  EXPECT_EQ(lines[15].substr(0, 5), "15 : ");
  EXPECT_EQ(static_cast<unsigned char>(lines[15].back()), 0xFF);
}

class FromClickTest : public ::testing::Test {
 protected:
  FromClickTest() {
    mem_.MakeDir("/w");
    TVolumePlan v;
    v.company = "Alpha Pipeline Company";
    TSheetPlan s;
    s.sheetNo = "1";
    s.lines = {"original sheet no. 1", "text"};
    v.sheets = {s};
    prime_ = BuildLibrary(env_, "/w/lib", true, {v});
  }
  TMemFileSystem mem_;
  TScriptedPort port_;
  TEnv env_{mem_, port_};
  TMain main_{env_};
  std::string prime_;
};

TEST_F(FromClickTest, TheDialogComesBackUntilALibraryOpens) {
  port_.QueueFile("/w/nothing/GZPrime");
  port_.QueueFile(prime_);
  EXPECT_TRUE(FromClick(main_));
  EXPECT_EQ(main_.VolumeList().RowCount(), 1u);
  EXPECT_EQ(main_.State().FromDir, "/w/lib");
  ASSERT_GE(port_.transcript.size(), 2u);
  EXPECT_EQ(port_.transcript.front(), "open: FROM what Prime file: [./GZPrime] -> /w/nothing/GZPrime");
  EXPECT_EQ(port_.transcript.back(), "open: FROM what Prime file: [/w/nothing/GZPrime] -> " + prime_);
}

TEST_F(FromClickTest, ACancelKeepsTheOpenLibrary) {
  ASSERT_TRUE(main_.OpenPrimeFile(prime_));
  EXPECT_FALSE(FromClick(main_));  // nothing queued: cancelled
  EXPECT_EQ(main_.VolumeList().RowCount(), 1u);
  EXPECT_TRUE(main_.State().Loaded);
  EXPECT_EQ(port_.transcript.back(), "open: FROM what Prime file: [/w/lib/GZPrime] -> ");
}

}  // namespace
}  // namespace vorne::testing
