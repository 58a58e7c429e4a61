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
  EXPECT_EQ(DescribedStem("012345"), "12345");
  EXPECT_EQ(DescribedStem("1234567"), "23456");
  EXPECT_EQ(CollisionStem("1234567"), "X1234567");
  EXPECT_EQ(PageFileSuffix(0), "0");
  EXPECT_EQ(PageFileSuffix(10), "A");
  EXPECT_EQ(PageFileSuffix(35), "Z");
  EXPECT_EQ(PageFileSuffix(36), "_036");
  EXPECT_EQ(PageFileSuffix(1000), "_1000");
}

}  // namespace
}  // namespace vorne
