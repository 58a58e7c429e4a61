// The index page: one line per company in name order, EscapeAmp, only
// companies whose table page exists, the text-only section and the
// template rule.
#include "volumes/IndexPage.h"

#include "output/PublishFixture.h"
#include "volumes/VolumeList.h"

namespace vorne::testing {
namespace {

class IndexPageTest : public PublishFixture {
 protected:
  void Build3() {
    TVolumePlan a;
    a.companyCode = 300;
    a.company = "A & B Pipeline Co";
    a.sheets = {Sheet("1", {"s"})};
    TVolumePlan a2 = a;
    a2.volId = "2";
    TVolumePlan similar;  // same first 25 characters, another company
    similar.companyCode = 400;
    similar.company = "A & B Pipeline Co Of Texas";
    similar.sheets = {Sheet("1", {"s"})};
    TVolumePlan unpublished;
    unpublished.companyCode = 500;
    unpublished.company = "Zed Gas";
    unpublished.sheets = {Sheet("1", {"s"})};
    Build({a, a2, similar, unpublished});
    list_.Fill(*cluster_);
    list_.Sort(kSortByCode);
  }
  std::vector<std::string> Write() {
    WriteIndexPage(env_, list_, "/site", {{"000300", "00300"}, {"000400", "X000400"}});
    return Page("index.htm");
  }
  TFromDisplay list_{env_};
};

TEST_F(IndexPageTest, OneLinePerPublishedCompanyWithTextOnlySection) {
  Build3();
  mem_.MakeDir("/site");
  EXPECT_EQ(Write(), (std::vector<std::string>{
                         "<HTML><HEAD><TITLE>Pipeline Tariffs</title></head>", "<BODY>",
                         "<H1>Current Pipeline Tariffs </H1>",
                         "<br><I> Updated Wednesday December 9,2026 </I><br>",
                         "<A HREF=\"#TextOnly\">Text Only Version</A>", "<UL>",
                         "<LI><A HREF=\"T00300.HTM\"> A &amp;  B Pipeline Co </A>",
                         "<LI><A HREF=\"TX000400.HTM\"> A &amp;  B Pipeline Co Of Texas </A>", "</UL>",
                         "<H3><A name=\"TextOnly\">Text Only Version</A></H3>", "<UL>",
                         "<LI><A HREF=\"L00300.HTM\">A &amp;  B Pipeline Co</A>",
                         "<LI><A HREF=\"LX000400.HTM\">A &amp;  B Pipeline Co Of Texas</A>",
                         "</UL></BODY></HTML>"}));
  EXPECT_EQ(port_.messages, (std::vector<std::string>{"Template File missing from /site"}));
  EXPECT_EQ(list_.SortKey(), kSortByName);
}

TEST_F(IndexPageTest, TemplateSuppliesPrologueAndEpilogue) {
  Build3();
  mem_.MakeDir("/site");
  mem_.WriteAll("/site/Template.htm",
                "<html>\n<!-- end of prologue -->\n<p>dropped</p>\n<!-- end of prefix -->\n</ul></html>\n");
  std::vector<std::string> page = Write();
  EXPECT_EQ(page.front(), "<html>");
  EXPECT_EQ(page[1], "<H1>Current Pipeline Tariffs </H1>");
  EXPECT_EQ(page.back(), "</ul></html>");
  for (const std::string& l : page) EXPECT_EQ(l.find("dropped"), std::string::npos);
  EXPECT_TRUE(port_.messages.empty());

  // The prefix marker right after the prologue marker drops nothing else.
  mem_.WriteAll("/site/Template.htm", "<html>\nend of prologue\nend of prefix\n<p>kept</p>\n");
  page = Write();
  EXPECT_EQ(page.back(), "<p>kept</p>");

  // No prefix marker: the built-in ending.
  mem_.WriteAll("/site/Template.htm", "<html>\nend of prologue\n<p>x</p>\n");
  page = Write();
  EXPECT_EQ(page.back(), "</UL></BODY></HTML>");
}

}  // namespace
}  // namespace vorne::testing
