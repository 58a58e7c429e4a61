// The reading rules of filing record fields, on their boundaries.
#include <gtest/gtest.h>

#include "filings/FilingFields.h"
#include "store/Common.h"

namespace vorne {
namespace {

TEST(SixDigitDate, ReadsMonthDayYearWithTheCenturyWindow) {
  EXPECT_EQ(SixDigitDate("010105"), PackDate(2005, 1, 1));
  EXPECT_EQ(SixDigitDate("123199"), PackDate(1999, 12, 31));
  EXPECT_EQ(SixDigitDate("010180"), PackDate(1980, 1, 1));
  EXPECT_EQ(SixDigitDate("123177"), PackDate(2077, 12, 31));
}

TEST(SixDigitDate, NoneForWhatCannotBeADate) {
  EXPECT_EQ(SixDigitDate("  0105"), 0);  // blank month
  EXPECT_EQ(SixDigitDate("130105"), 0);  // month 13
  EXPECT_EQ(SixDigitDate("023105"), 0);  // 31 February
  EXPECT_EQ(SixDigitDate("01A105"), 0);  // a letter anywhere
  EXPECT_EQ(SixDigitDate("000000"), 0);
  EXPECT_EQ(SixDigitDate("      "), 0);
  EXPECT_EQ(SixDigitDate(""), 0);
  // 2078 and 2079 do not fit the packed date: none rather than 1950/1951.
  EXPECT_EQ(SixDigitDate("010178"), 0);
  EXPECT_EQ(SixDigitDate("123179"), 0);
}

TEST(SixDigitDate, BlanksStandForMissingDigits) {
  EXPECT_EQ(SixDigitDate(" 1 105"), PackDate(2005, 1, 1));
}

TEST(NumberFields, TwoDigitsUseWhicheverPositionsAreGiven) {
  EXPECT_EQ(TwoDigitNumber('1', '2'), 12);
  EXPECT_EQ(TwoDigitNumber(' ', '7'), 7);
  EXPECT_EQ(TwoDigitNumber('7', ' '), 7);
  EXPECT_EQ(TwoDigitNumber(' ', ' '), 0);
  EXPECT_EQ(TwoDigitNumber('0', '5'), 5);
}

TEST(NumberFields, ThreeDigitsSkipNonDigits) {
  EXPECT_EQ(ThreeDigitNumber(" 12"), 12);
  EXPECT_EQ(ThreeDigitNumber("1 2"), 12);
  EXPECT_EQ(ThreeDigitNumber("   "), 0);
  EXPECT_EQ(ThreeDigitNumber("123"), 123);
  EXPECT_EQ(ThreeDigitNumber("A7B"), 7);
}

TEST(NumberFields, PitchMapsToTheFirstPitchAtLeastAsWide) {
  EXPECT_EQ(PitchCodeFor(0), 1);
  EXPECT_EQ(PitchCodeFor(10), 1);
  EXPECT_EQ(PitchCodeFor(11), 2);
  EXPECT_EQ(PitchCodeFor(12), 2);
  EXPECT_EQ(PitchCodeFor(15), 3);
  EXPECT_EQ(PitchCodeFor(17), 4);
  EXPECT_EQ(PitchCodeFor(20), 4);
}

TEST(NumberFields, DecimalNumbersAreDigitsOnly) {
  EXPECT_EQ(DecimalNumber("000123"), 123);
  EXPECT_EQ(DecimalNumber("  42  "), 42);
  EXPECT_FALSE(DecimalNumber("12A456"));
  EXPECT_FALSE(DecimalNumber("      "));
  EXPECT_FALSE(DecimalNumber("-12"));
}

TEST(FilingCitation, ShortRecordsCarryItAtPosition5) {
  TZoakCite c = FilingCitation("TF076101123");  // volume 61, series 01, item 123
  EXPECT_EQ(c.volume, 61);
  EXPECT_EQ(c.series, 1);
  EXPECT_EQ(c.paragraph, 123);
  EXPECT_EQ(c.year, (61 - 50) / 4 + 90);
}

TEST(FilingCitation, FortyTwoCharactersMoveItToPosition44) {
  std::string rec41 = "TF07" + std::string("90021234 ") + std::string(28, 'x');
  ASSERT_EQ(rec41.size(), 41u);
  EXPECT_EQ(FilingCitation(rec41).volume, 90);
  std::string rec42 = "TF07" + std::string(39, 'x') + "91031235";
  ASSERT_EQ(rec42.size(), 51u);
  TZoakCite c = FilingCitation(rec42);
  EXPECT_EQ(c.volume, 91);
  EXPECT_EQ(c.series, 3);
  EXPECT_EQ(c.paragraph, 123);  // item 123, position 51 is the year (not read)
  std::string exactly42 = "TF07" + std::string(38, 'x');
  EXPECT_EQ(FilingCitation(exactly42).volume, 100);  // blank field at 44: volume 0 + 100
}

// The year follows the two-digit volume as written, before a volume below
// 50 gains its century: volume 30 gives 85 (1985), volume 90 gives 100 (2000).
TEST(FilingCitation, VolumeBelow50GainsACenturyAndYearFollowsTheWrittenVolume) {
  TZoakCite c = FilingCitation("TF0705010010");
  EXPECT_EQ(c.volume, 105);
  EXPECT_EQ(c.year, (5 - 50) / 4 + 90);  // 79: truncated toward zero
  EXPECT_EQ(FilingCitation("TF0790000001").year, 100);
  TZoakCite thirty = FilingCitation("TF0730000001");
  EXPECT_EQ(thirty.volume, 130);
  EXPECT_EQ(thirty.year, 85);
  EXPECT_EQ(thirty.Display(), "  130 ZOAK \xB6 0,000 (1985)");
}

TEST(FilingCitation, MinusOneClearsIt) {
  TZoakCite c = FilingCitation("TF076101 -1");
  EXPECT_EQ(c.volume, 0);
  EXPECT_EQ(c.series, 0);
  EXPECT_EQ(c.paragraph, -1);
  EXPECT_EQ(c.year, 0);
}

TEST(LogFileName, ReplacesTheExtension) {
  EXPECT_EQ(LogFileName("/in/RP051234.ASC"), "RP051234.TXT");
  EXPECT_EQ(LogFileName("clean.ASC"), "clean.TXT");
  EXPECT_EQ(LogFileName("D:\\filings\\a.b.dsc"), "a.b.TXT");
  EXPECT_EQ(LogFileName("noext"), "noext.TXT");
}

TEST(WordWrap, BreaksAtTheLastBlankAndRepeatsTheIndent) {
  auto pieces = WordWrap("  aaaa bbbb cccc", 12);
  ASSERT_EQ(pieces.size(), 2u);
  EXPECT_EQ(pieces[0], "  aaaa bbbb");
  EXPECT_EQ(pieces[1], "  cccc");
}

TEST(WordWrap, ALineWithoutBlanksLosesNoCharacter) {
  std::string line(300, 'x');
  line[123] = 'y';
  auto pieces = WordWrap(line, 168);
  std::string joined;
  for (auto& p : pieces) {
    EXPECT_LE(p.size(), 168u);
    joined += p;
  }
  EXPECT_EQ(joined, line.substr(0, 255));  // cut to 255, then nothing lost
}

TEST(WordWrap, IndentIsAtMostTwenty) {
  std::string line = std::string(25, ' ') + "alpha beta gamma delta";
  auto pieces = WordWrap(line, 40);
  ASSERT_EQ(pieces.size(), 2u);
  EXPECT_EQ(pieces[0], std::string(20, ' ') + "     alpha beta");
  EXPECT_EQ(pieces[1], std::string(20, ' ') + "gamma delta");
}

TEST(RecordShape, RecognitionAndMinimumLengths) {
  EXPECT_TRUE(IsFilingRecord("TF0"));
  EXPECT_FALSE(IsFilingRecord("TF"));
  EXPECT_FALSE(IsFilingRecord("tf03"));
  EXPECT_EQ(MinimumRecordLength('0'), 20u);
  EXPECT_EQ(MinimumRecordLength('3'), 23u);
  EXPECT_EQ(MinimumRecordLength('9'), 28u);
  EXPECT_EQ(MinimumRecordLength('X'), 0u);
  EXPECT_EQ(FieldAt("TF01", 5, 3), "   ");
  EXPECT_EQ(TextField("TF05abc", 5, 2), "ab");
}

}  // namespace
}  // namespace vorne
