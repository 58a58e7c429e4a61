// The character table of sheet body lines, the escaping of library text,
// the compliance docket text and the page file names.
#include "output/HtmlText.h"

#include <gtest/gtest.h>

namespace vorne {
namespace {

TEST(HtmlTextTest, BodyLineCharacterTable) {
  EXPECT_EQ(HtmlBodyLine("a\tb\x01"), "a b ");
  EXPECT_EQ(HtmlBodyLine("\"x\" & y"), "&quot;x&quot; &amp; y");
  EXPECT_EQ(HtmlBodyLine("a\x7F" "b"), "ab");
  EXPECT_EQ(HtmlBodyLine("<tag>"), "&lt;tag&gt;");
  EXPECT_EQ(HtmlBodyLine("\xA2\xA7\xA9\xB2\xB3\xB6\xBC\xBD\xBE\xD1\xF1"),
            "&cent;&sect;&copy;&sup2;&sup3;&para;&frac14;&frac12;&frac34;&Ntilde;&ntilde;");
  EXPECT_EQ(HtmlBodyLine("\x80\xE9\xFF"), "   ");
}

TEST(HtmlTextTest, BodyLineIsCutWithoutSplittingAnEntity) {
  EXPECT_EQ(HtmlBodyLine(std::string(300, 'a')).size(), 255u);
  std::string line = std::string(253, 'a') + "&b";
  EXPECT_EQ(HtmlBodyLine(line), std::string(253, 'a'));
}

// The character table applied one byte at a time, as the rule reads.
std::string BodyLineByTheRule(std::string_view line) {
  std::string out;
  for (unsigned char c : line) {
    std::string piece;
    switch (c) {
      case '"': piece = "&quot;"; break;
      case '&': piece = "&amp;"; break;
      case '<': piece = "&lt;"; break;
      case '>': piece = "&gt;"; break;
      case 127: piece = ""; break;
      case 162: piece = "&cent;"; break;
      case 167: piece = "&sect;"; break;
      case 169: piece = "&copy;"; break;
      case 178: piece = "&sup2;"; break;
      case 179: piece = "&sup3;"; break;
      case 182: piece = "&para;"; break;
      case 188: piece = "&frac14;"; break;
      case 189: piece = "&frac12;"; break;
      case 190: piece = "&frac34;"; break;
      case 209: piece = "&Ntilde;"; break;
      case 241: piece = "&ntilde;"; break;
      default: piece = c < 32 || c >= 128 ? " " : std::string(1, char(c));
    }
    if (out.size() + piece.size() > 255) break;
    out += piece;
  }
  return out;
}

TEST(HtmlTextTest, BodyLinesFollowTheRuleForAnyBytesAndLength) {
  uint32_t seed = 12345;
  auto next = [&] { return seed = seed * 1664525u + 1013904223u; };
  const std::string often = "ab \"&<>\x7F\xA2\xBE\xD1\x09\xE9";
  for (int round = 0; round < 3000; ++round) {
    std::string line(next() % 320, ' ');
    for (char& c : line) c = next() % 3 ? char('a' + next() % 26) : next() % 2 ? often[next() % often.size()] : char(next());
    ASSERT_EQ(HtmlBodyLine(line), BodyLineByTheRule(line)) << round;
    std::string appended = "kept|";
    AppendHtmlBodyLine(appended, line);
    ASSERT_EQ(appended, "kept|" + BodyLineByTheRule(line)) << round;
  }
  // Entities right at the limit.
  for (size_t n = 245; n <= 256; ++n)
    for (const char* tail : {"\xBD", "\"", "\x7F" "a", "&b", "ab"}) {
      const std::string line = std::string(n, 'q') + tail;
      EXPECT_EQ(HtmlBodyLine(line), BodyLineByTheRule(line)) << n << tail;
    }
}

TEST(HtmlTextTest, MarkupTextAppendsLikeItReturns) {
  std::string out = "x";
  AppendHtmlText(out, "<a> & <<b>>");
  EXPECT_EQ(out, "x&lt;a&gt; & &lt;&lt;b&gt;&gt;");
  EXPECT_EQ(HtmlText(""), "");
  EXPECT_EQ(HtmlText("plain"), "plain");
}

TEST(HtmlTextTest, NamesKeepTheFirstAmpersandRule) {
  EXPECT_EQ(HtmlName("A & B & C"), "A &amp;  B & C");
  EXPECT_EQ(HtmlName("A <B>"), "A &lt;B&gt;");
  EXPECT_EQ(HtmlText("x&y<z"), "x&y&lt;z");
}

TEST(HtmlTextTest, ComplianceTextKeepsTwoLettersAndTheNumberRun) {
  EXPECT_EQ(ComplianceText("RP88-1-000          "), "RP88-1-000          ");
  EXPECT_EQ(ComplianceText("RP88-1-000 A        "), "RP88-1-000 ");
  EXPECT_EQ(ComplianceText("CP9X"), "CP9");
  EXPECT_TRUE(IsBlankField(std::string(20, ' ')));
  EXPECT_FALSE(IsBlankField("  x "));
}

TEST(HtmlTextTest, StemsAndPageFileNames) {
  EXPECT_EQ(CodeStem("012345"), "12345");
  EXPECT_EQ(CodeStem("1234567"), "23456");
  EXPECT_EQ(CollisionStem("1234567"), "X1234567");
  EXPECT_EQ(PageFileSuffix(0), "0");
  EXPECT_EQ(PageFileSuffix(10), "A");
  EXPECT_EQ(PageFileSuffix(35), "Z");
  EXPECT_EQ(PageFileSuffix(36), "_036");
  EXPECT_EQ(PageFileSuffix(1000), "_1000");
}

}  // namespace
}  // namespace vorne
