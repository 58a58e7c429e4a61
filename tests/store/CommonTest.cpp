#include "store/Common.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace vorne {
namespace {

TEST(SheetNumbers, ParseSkipsLeadingBlanksAndKeepsSuffixFromFirstNonDigit) {
  TSheetNo a = ParseSheetNo("  12A   ");
  EXPECT_EQ(a.number, 12);
  EXPECT_EQ(a.suffix, "A");
  TSheetNo b = ParseSheetNo("12 B    ");
  EXPECT_EQ(b.number, 12);
  EXPECT_EQ(b.suffix, " B");
  TSheetNo c = ParseSheetNo("abc     ");
  EXPECT_EQ(c.number, 0);
  EXPECT_EQ(c.suffix, "ABC");
  TSheetNo d = ParseSheetNo("00000005");
  EXPECT_EQ(d.number, 5);
  EXPECT_EQ(d.suffix, "");
}

TEST(SheetNumbers, CompareAndKeysAgree) {
  EXPECT_LT(CompareSheetNo("5       ", "5A      "), 0);
  EXPECT_LT(CompareSheetNo("5A      ", "5B      "), 0);
  EXPECT_LT(CompareSheetNo("5B      ", "10      "), 0);
  EXPECT_EQ(CompareSheetNo("005a    ", "5A      "), 0);
  EXPECT_EQ(MakeSheetKey("5A      "), "       5A");
  std::vector<std::string> nos = {"10      ", "9       ", "5B      ", "5       ", "5A      "};
  std::vector<std::string> keys;
  for (auto& n : nos) keys.push_back(MakeSheetKey(n));
  std::sort(keys.begin(), keys.end());
  EXPECT_EQ(keys, (std::vector<std::string>{"       5", "       5A", "       5B", "       9", "      10"}));
}

TEST(Text, TrimStripPad) {
  EXPECT_EQ(TrimRight(std::string("ab  \0\0", 6)), "ab");
  EXPECT_EQ(TrimBoth("  ab  "), "ab");
  EXPECT_EQ(StripLead("00012A"), "12A");
  EXPECT_EQ(StripLead("0"), "0");
  EXPECT_EQ(StripLead("000"), "0");
  EXPECT_EQ(PadLeft("abc", 2), "abc");
  EXPECT_EQ(PadLeft("7", 3), "  7");
  EXPECT_EQ(PadRight("7", 3), "7  ");
  EXPECT_EQ(ZeroPad(123, 6), "000123");
  EXPECT_EQ(ZeroPad(1234567890, 6), "12345678");
}

TEST(Dates, PackAndText) {
  EXPECT_EQ(PackDate(1950, 1, 1), 33);
  EXPECT_EQ(PackedToText(0), "  Missing ");
  EXPECT_EQ(PackedToText(PackDate(2005, 1, 5)), "  1/5/2005");
  EXPECT_EQ(PackedToText(PackDate(2005, 12, 25)), "12/25/2005");
  EXPECT_EQ(SafePackedToText(uint16_t((5 * 16 + 13) * 32 + 1)), "00/00/19**");
  EXPECT_EQ(SafePackedToText(PackDate(2001, 4, 31)), "00/00/19**");
  TDate d = UnpackDate(0);
  EXPECT_EQ(d, (TDate{1950, 1, 1}));
  EXPECT_EQ(DateToPacked("2/29/2004"), PackDate(2004, 2, 29));
  EXPECT_FALSE(DateToPacked("2/29/2003"));
  EXPECT_FALSE(DateToPacked("1/1/2078"));
  EXPECT_FALSE(DateToPacked("garbage"));
}

TEST(Dates, SerialDaysAndLongForm) {
  EXPECT_EQ(DateToSerial({1899, 12, 31}), 1.0);
  EXPECT_EQ(SerialToDate(1.0), (TDate{1899, 12, 31}));
  TDate t{2026, 12, 9};
  EXPECT_EQ(SerialToDate(DateToSerial(t)), t);
  EXPECT_EQ(LongDate(t), "Wednesday December 9,2026");
  SetTodayForTesting(TDate{2005, 1, 5});
  EXPECT_EQ(TodayPacked(), PackDate(2005, 1, 5));
  SetTodayForTesting(std::nullopt);
}

TEST(Words, RevisionWord) {
  EXPECT_EQ(RevisionWord(0), "Original");
  EXPECT_EQ(RevisionWord(12), "Twelfth");
  EXPECT_EQ(RevisionWord(13), "13'th");
  EXPECT_EQ(RevisionWord(123456), "123456't");  // at most 8 characters
}

TEST(Names, TitleCaseIntoReplacesWhateverTheStringHeld) {
  std::string out = "a much longer title left over from the sheet before it";
  TitleCaseInto("original sheet no. 5a", out);
  EXPECT_EQ(out, "Original Sheet No. 5A");
  TitleCaseInto("   ", out);
  EXPECT_EQ(out, "");
  TitleCaseInto(std::string(60, 'x'), out);
  EXPECT_EQ(out, TitleCase(std::string(60, 'x')));
}

TEST(Names, TitleCaseSwitchesToSheetModeAtSheet) {
  EXPECT_EQ(TitleCase("first revised sheet no. 5a"), "First Revised Sheet No. 5A");
  EXPECT_EQ(TitleCase("  RATE SCHEDULE (FT-1) "), "Rate Schedule (Ft-1)");
  EXPECT_EQ(TitleCase("sheet (a)b"), "Sheet (a)b");
  EXPECT_EQ(TitleCase(std::string(60, 'x')).size(), 54u);
}

TEST(Names, IssuerAndCompanyNames) {
  EXPECT_EQ(IssuerName("john  mcdonald, jr."), "John McDonald, Jr.");
  EXPECT_EQ(IssuerName("j. r. smith"), "J.R.Smith");
  EXPECT_EQ(NormalizeCompanyName("anr pipeline company"), "ANR Pipeline Company");
  EXPECT_EQ(NormalizeCompanyName("foo lp"), "Foo LP");
  EXPECT_EQ(NormalizeCompanyName("help gas"), "Help Gas");
  EXPECT_EQ(NormalizeCompanyName("TRUNKLINE LNG COMPANY, LLC"), "Trunkline LNG Company, LLC");
  EXPECT_EQ(NormalizeCompanyName("pe\xA4" "a gas"), "Pe\xF1" "a Gas");
  EXPECT_EQ(EscapeAmp("A & B & C"), "A &amp;  B & C");
}

TEST(Lists, LongChain) {
  TLongChain c;
  c.Add(3);
  c.Add(3);
  c.Add(-1);
  EXPECT_EQ(c.Count(), 3u);
  EXPECT_TRUE(c.Contains(-1));
  EXPECT_FALSE(c.Contains(4));
}

}  // namespace
}  // namespace vorne
