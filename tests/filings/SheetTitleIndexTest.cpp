// The sheet list of an import's output volume answers "is this title
// listed?" without regard to letter case, across the growth of its index,
// and forgets every title when its sheets are dropped.
#include <gtest/gtest.h>

#include "copy/OutputVolumes.h"
#include "support/MemFileSystem.h"
#include "support/ScriptedPort.h"

namespace vorne::testing {
namespace {

class SheetTitleIndexTest : public ::testing::Test {
 protected:
  TMemFileSystem fs_;
  TScriptedPort port_;
  TEnv env_{fs_, port_};
  TFileCluster cluster_{env_, false};
  TNewHdrObject hdr_{cluster_, nullptr, TPrimeRecord{}, TVolumeBody{}};

  void Add(const std::string& title) { hdr_.AddSheet(title, TSheetBody{}, nullptr, nullptr); }
};

TEST_F(SheetTitleIndexTest, TitlesMatchWithoutRegardToLetterCaseOnly) {
  Add("Original Sheet No. 1");
  EXPECT_TRUE(hdr_.HoldsTitle("ORIGINAL SHEET NO. 1"));
  EXPECT_TRUE(hdr_.HoldsTitle("original sheet no. 1"));
  EXPECT_FALSE(hdr_.HoldsTitle("Original Sheet No. 1 "));
  EXPECT_FALSE(hdr_.HoldsTitle("Original Sheet No. 10"));
  EXPECT_FALSE(hdr_.HoldsTitle(""));
  Add("");
  EXPECT_TRUE(hdr_.HoldsTitle(""));
}

TEST_F(SheetTitleIndexTest, AKeyFoldsOnlyAsciiLetterCaseAtEveryLength) {
  // Titles of every length a filing's title field allows, letters in each place.
  std::string lower, upper;
  for (size_t n = 0; n <= 40; ++n) {
    EXPECT_EQ(TNewHdrObject::TitleKey(lower), TNewHdrObject::TitleKey(upper)) << n;
    std::string other = upper;
    if (n > 0) {
      other[n - 1] = '#';
      EXPECT_NE(TNewHdrObject::TitleKey(other), TNewHdrObject::TitleKey(upper)) << n;
    }
    lower += char('a' + n % 26);
    upper += char('A' + n % 26);
  }
  // Windows-1252 letters beyond ASCII keep their case, as do the bytes next to the letters.
  EXPECT_NE(TNewHdrObject::TitleKey("Sheet \xe9"), TNewHdrObject::TitleKey("Sheet \xc9"));
  EXPECT_NE(TNewHdrObject::TitleKey("Sheet `{"), TNewHdrObject::TitleKey("Sheet @["));
}

TEST_F(SheetTitleIndexTest, ATitleLookedUpWithItsKeyIsListedWithIt) {
  const std::string title = "Second Revised Sheet No. 7";
  const uint64_t key = TNewHdrObject::TitleKey(title);
  EXPECT_FALSE(hdr_.HoldsTitle(title, key));
  hdr_.AddSheet(title, key, TSheetBody{}, nullptr, nullptr);
  EXPECT_TRUE(hdr_.HoldsTitle("SECOND REVISED SHEET NO. 7"));
  EXPECT_EQ(hdr_.Title(hdr_.Sheets().at(0)), title);
}

TEST_F(SheetTitleIndexTest, EveryTitleStaysFoundAsTheListGrows) {
  for (int i = 0; i < 5000; ++i) {
    Add("Sheet No. " + std::to_string(i));
    ASSERT_TRUE(hdr_.HoldsTitle("SHEET NO. " + std::to_string(i))) << i;
  }
  for (int i = 0; i < 5000; ++i) ASSERT_TRUE(hdr_.HoldsTitle("sheet no. " + std::to_string(i))) << i;
  for (int i = 5000; i < 5100; ++i) EXPECT_FALSE(hdr_.HoldsTitle("Sheet No. " + std::to_string(i)));
  EXPECT_EQ(hdr_.Sheets().size(), 5000u);
}

TEST_F(SheetTitleIndexTest, DroppedSheetsAreNoLongerListed) {
  for (int i = 0; i < 100; ++i) Add("Sheet " + std::to_string(i));
  hdr_.DropSheets();
  EXPECT_TRUE(hdr_.Sheets().empty());
  EXPECT_FALSE(hdr_.HoldsTitle("Sheet 1"));
  Add("Sheet 1");
  EXPECT_TRUE(hdr_.HoldsTitle("SHEET 1"));
  EXPECT_FALSE(hdr_.HoldsTitle("Sheet 2"));
}

}  // namespace
}  // namespace vorne::testing
