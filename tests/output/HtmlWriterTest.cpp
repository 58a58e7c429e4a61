// The HTML site writer: the exact lines of every page kind for small
// libraries, the sheet page files of a large volume and their links across
// files, the docket page, templates, escaping and the file stems.
#include "output/HtmlWriter.h"

#include "output/PublishFixture.h"

#include <set>

namespace vorne::testing {
namespace {

using Lines = std::vector<std::string>;

const Lines kHead = {"<HTML><HEAD><TITLE>Test Pipeline Company</title></head>", "<BODY>",
                     "<A NAME=\"TopAnchor\"></A>", "<H1>Test Pipeline Company</H1>"};

Lines Concat(Lines a, const Lines& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TVolumePlan SmallVolume() {
  TVolumePlan v;
  v.companyCode = 12345;
  TSheetPlan one = Sheet("1", {"original sheet no. 1", "", "  Rates <b>"});
  TSheetPlan two = Sheet("2", {"original sheet no. 2", "first revised sheet no. 2", "Body & \"q\"\xB6"}, kPending);
  two.sheetType = 3;
  v.sheets = {one, two};
  return v;
}

class HtmlWriterTest : public PublishFixture {};

TEST_F(HtmlWriterTest, OneVolumeWritesEveryPageExactly) {
  Build({SmallVolume()});
  Publish();
  EXPECT_EQ(Page("123450.HTM"),
            Concat(kHead, {"<H2>ZOAK Gas Tariff</H2>",
                           "<A HREF=index.htm>Return to Master List</A>",
                           "<br><A NAME=\"Sht1\"> </A><hr><A HREF=\"T12345.HTM#Index1\"> Sheet Index Table </A>",
                           "<A HREF=\"#TopAnchor\"><img src=\"top.png\" alt=\"top\"></A>",
                           "<A HREF=\"#Sht2\"><IMG src=\"down.png\" alt=\"Next \"></A>",
                           "<A HREF=\"K12345.HTM\">RP96-  1-000 </A>",
                           "<H3> Original Sheet No. 1 :  Effective </H3>",
                           "<PRE>",
                           "  Rates &lt;b&gt;",
                           "</PRE>",
                           "<br><A NAME=\"Sht2\"> </A><hr><A HREF=\"T12345.HTM#Index2\"> Sheet Index Table </A>",
                           "<A HREF=\"#TopAnchor\"><img src=\"top.png\" alt=\"top\"></A>",
                           "<IMG src=\"stop.png\" alt=\"Stop\">",
                           "<A HREF=\"#Sht1\"><IMG src=\"up.png\" alt=\"Previous\"></A>",
                           "<A HREF=\"K12345.HTM\">RP96-  1-000 </A>",
                           "<H3> Original Sheet No. 2 :  Pending </H3>",
                           "<H3><I> Superseding: first revised sheet no. 2</I> </H3>",
                           "<PRE>",
                           "Body &amp; &quot;q&quot;&para;",
                           "</PRE>",
                           "</BODY> </HTML>"}));
  const Lines volumeHeading = {"<A NAME=\"Vol_1\"></A>", "<H2>ZOAK Gas Tariff</H2><br>",
                               "<I> click on the sheet name to view the sheet text. <br>",
                               " click on the docket number for its associated information</I>"};
  EXPECT_EQ(Page("T12345.HTM"),
            Concat(Concat(kHead, {"<H2>Tariff Sheet Table</H2>", "<A HREF=index.htm>Return to Master List</A>"}),
                   Concat(volumeHeading,
                          {"<table border=\"1\" width=\"100%\">",
                           "<TR><td><A NAME=\"Index1\"></A><A HREF= \"123450.HTM#Sht1\">Original Sheet No. 1</A></td>"
                           "<td>Effective</td>",
                           "<td>&nbsp</td>",
                           "<td><A HREF=\"K12345.HTM\">RP96-  1-000 </A></td></TR>",
                           "<TR><td><A NAME=\"Index2\"></A><A HREF= \"123450.HTM#Sht2\">Original Sheet No. 2</A></td>"
                           "<td>Pending</td>",
                           "<td>Rate Sheet</td>",
                           "<td><A HREF=\"K12345.HTM\">RP96-  1-000 </A></td></TR>",
                           "</table>",
                           "</BODY> </HTML>"})));
  EXPECT_EQ(Page("L12345.HTM"),
            Concat(Concat(kHead, {"<H2>Tariff Sheet list</H2>", "<A HREF=index.htm>Return to Master List</A>"}),
                   Concat(volumeHeading,
                          {"<UL>",
                           "<LI><A NAME=\"Index1\"></A><A HREF= \"123450.HTM#Sht1\">Original Sheet No. 1</A> ;     "
                           "Effective......",
                           "<A HREF=\"K12345.HTM\">RP96-  1-000 </A>",
                           "<LI><A NAME=\"Index2\"></A><A HREF= \"123450.HTM#Sht2\">Original Sheet No. 2</A> ;     "
                           "Pending......",
                           "Rate Sheet",
                           "<A HREF=\"K12345.HTM\">RP96-  1-000 </A>",
                           "</UL> ",
                           "</BODY> </HTML>"})));
  EXPECT_EQ(Page("K12345.HTM"),
            Concat(kHead, {"<H2>ZOAK Gas Tariff</H2>",
                           "<A HREF=index.htm>Return to Master List</A>",
                           "<UL>",
                           "<LI><A NAME=\"0\"></A><H3>RP96-  1-000          Missing </H3>",
                           "<A HREF=\"#TopAnchor\"><img src=\"top.png\" alt=\"top\"></A>",
                           "<IMG src=\"stop.png\" alt=\"Stop\">",
                           "<br> Effective Date:  Missing <br> Filing Date:     Missing <br> Issued:   Missing ",
                           "<br> by John Smith",
                           "<br> <UL>",
                           "<LI><A HREF=\"123450.HTM#Sht1\">Original Sheet No. 1</A></LI>",
                           "<LI><A HREF=\"123450.HTM#Sht2\">Original Sheet No. 2</A></LI>",
                           "</UL><br></LI>",
                           "</UL>",
                           "</BODY> </HTML>"}));
  EXPECT_EQ(Page("index.htm"), (Lines{"<HTML><HEAD><TITLE></title></head>", "<BODY>", "<A NAME=\"TopAnchor\"></A>",
                                      "<br><I> Updated Wednesday December 9,2026 </I><br>",
                                      "<A HREF=\"#TextOnly\">Text Only Version</A>", "<UL>",
                                      "<LI><A HREF=\"T12345.HTM\"> Test Pipeline Company </A>", "</UL>",
                                      "<H3><A name=\"TextOnly\">Text Only Version</A></H3>", "<UL>",
                                      "<LI><A HREF=\"L12345.HTM\">Test Pipeline Company</A>", "</UL>",
                                      "</BODY> </HTML>"}));
  for (const char* image : kNavImages) EXPECT_EQ(mem_.ReadAll(std::string("/site/") + image), NavImagePng(image));
  EXPECT_TRUE(port_.messages.empty()) << port_.messages.front();
  EXPECT_EQ(writer_->WrittenCompanies().at("012345"), "12345");
}

TEST_F(HtmlWriterTest, LargeVolumeFillsPageFilesOf100And101Sheets) {
  TVolumePlan v;
  v.companyCode = 12345;
  for (int i = 1; i <= 250; ++i) v.sheets.push_back(Sheet(std::to_string(i), {"sheet " + std::to_string(i), "", "x"}));
  Build({v});
  Publish();
  EXPECT_EQ(CountLines("123450.HTM", "<br><A NAME=\"Sht"), 100u);
  EXPECT_EQ(CountLines("123451.HTM", "<br><A NAME=\"Sht"), 101u);
  EXPECT_EQ(CountLines("123452.HTM", "<br><A NAME=\"Sht"), 49u);
  EXPECT_FALSE(Exists("123453.HTM"));
  // Links across files, both ways.
  EXPECT_TRUE(HasLine("123450.HTM", "<A HREF=\"123451.HTM#Sht101\"><IMG src=\"down.png\" alt=\"Next \"></A>"));
  EXPECT_TRUE(HasLine("123451.HTM", "<A HREF=\"123450.HTM#Sht100\"><IMG src=\"up.png\" alt=\"Previous\"></A>"));
  EXPECT_TRUE(HasLine("123451.HTM", "<A HREF=\"123452.HTM#Sht202\"><IMG src=\"down.png\" alt=\"Next \"></A>"));
  EXPECT_TRUE(HasLine("123452.HTM", "<A HREF=\"123451.HTM#Sht201\"><IMG src=\"up.png\" alt=\"Previous\"></A>"));
  EXPECT_TRUE(HasLine("123452.HTM", "<br><A NAME=\"Sht202\"> </A><hr><A HREF=\"T12345.HTM#Index202\"> Sheet Index Table </A>"));
  EXPECT_TRUE(HasLine("T12345.HTM", "<TR><td><A NAME=\"Index202\"></A><A HREF= \"123452.HTM#Sht202\">Sheet 202</A></td>"
                                    "<td>Effective</td>"));
  // The page after 36 files keeps a distinct name.
  EXPECT_EQ(PageFileSuffix(35), "Z");
  EXPECT_EQ(PageFileSuffix(36), "_036");
}

TEST_F(HtmlWriterTest, VolumesOfOneCompanyShareItsPagesAndNumberDocketsOnward) {
  TVolumePlan first;
  first.companyCode = 12345;
  first.volumeName = "Original Volume No. 1";
  TSheetPlan a = Sheet("1", {"sheet a", "", "x"});
  a.docket = "RP01-1-000";
  a.complianceDkt = "RP88-1-000";
  a.orderType = 1;
  a.orderDate = PackDate(2001, 3, 4);
  a.issueDate = PackDate(2001, 1, 2);
  a.effectiveDate = PackDate(2001, 2, 1);
  a.filingDate = PackDate(2000, 12, 1);
  TSheetPlan b = Sheet("2", {"sheet b", "", "x"});
  b.docket = "RP02-2-000";
  b.issuer = "";  // no issuing officer
  first.sheets = {a, b};
  TVolumePlan second = first;
  second.volId = "2";
  second.volumeName = "Original Volume No. 2";
  TSheetPlan c = Sheet("5", {"sheet c", "", "x"});
  c.docket = "RP03-3-000";
  c.issueDate = uint16_t(((55 * 16) + 13) * 32 + 1);  // month 13
  second.sheets = {c};
  TVolumePlan other;
  other.companyCode = 7;
  other.company = "Alpha Gas Company";
  other.sheets = {Sheet("1", {"alpha sheet", "", "x"})};
  Build({first, second, other});
  Publish();

  // The second company (code 12345) comes after code 7; its volumes share
  // one set of pages with page files 0 and 1.
  EXPECT_TRUE(Exists("123450.HTM"));
  EXPECT_TRUE(Exists("123451.HTM"));
  EXPECT_TRUE(HasLine("123451.HTM", "<A HREF=\"K12345.HTM#2\">RP03-  3-000 </A>"));
  const Lines k = Page("K12345.HTM");
  auto at = [&](const std::string& line) { return std::find(k.begin(), k.end(), line) != k.end(); };
  EXPECT_TRUE(at("<LI><A NAME=\"0\"></A><H3>RP01-  1-000          2/1/2001</H3>"));
  EXPECT_TRUE(at("<A HREF=\"#1\"> <IMG src=\"down.png\" alt=\"Next \"></A>"));
  EXPECT_TRUE(at("<A HREF=\"#0\"><IMG src=\"up.png\" alt=\"Previous\"></A>"));
  EXPECT_TRUE(at("<br> Effective Date:  2/1/2001<br> Filing Date:    12/1/2000<br> Issued:   1/2/2001"));
  EXPECT_TRUE(at("<br> to comply with:RP88-1-000          "));
  EXPECT_TRUE(at("<br> " + OrderTypeName(1) + "<br> ZOAK Order Date:  3/4/2001"));
  EXPECT_TRUE(at("<H2>Original Volume No. 2</H2>"));
  EXPECT_TRUE(at("<LI><A NAME=\"2\"></A><H3>RP03-  3-000          Missing </H3>"));
  EXPECT_TRUE(at("<br> Effective Date:  Missing <br> Filing Date:     Missing <br> Issued: 00/00/19**"));
  EXPECT_TRUE(at("<LI><A HREF=\"123451.HTM#Sht4\">Sheet C</A></LI>"));
  // The sheet of docket number 1 and the company's first docket links to
  // the page itself.
  EXPECT_TRUE(HasLine("123450.HTM", "<A HREF=\"K12345.HTM\">RP01-  1-000 </A>"));
  EXPECT_TRUE(HasLine("123450.HTM", "<A HREF=\"K12345.HTM#1\">RP02-  2-000 </A>"));

  // Two volumes: a table of contents, volume anchors, the way back.
  const Lines t = Page("T12345.HTM");
  const Lines toc = {"<UL>", "<LI><A HREF=\"#Vol_1\">", "Test Pipeline Company:Original Volume No. 1</A></LI>",
                     "<LI><A HREF=\"#Vol_3\">", "Test Pipeline Company:Original Volume No. 2</A></LI>", "</UL>"};
  EXPECT_TRUE(std::search(t.begin(), t.end(), toc.begin(), toc.end()) != t.end());
  EXPECT_TRUE(HasLine("T12345.HTM", "<A NAME=\"Vol_3\"></A>"));
  EXPECT_TRUE(HasLine("T12345.HTM", "<A HREF=\"index.htm\">Return to Master List</A>"));
  // One volume: none.
  EXPECT_FALSE(HasLine("T00007.HTM", "<UL>"));

  // The docket without an issuer is logged and the log saved.
  ASSERT_GE(log_.Log().size(), 2u);
  EXPECT_EQ(log_.Log()[0], "1 Type 5 records missing in Test Pipeline Company:Original Volume No. 1");
  EXPECT_EQ(log_.Log()[1], "RP02-  2-000          Missing ");
  EXPECT_TRUE(mem_.Exists("/drives/D/WebVorne/TF05.txt"));
  EXPECT_TRUE(mem_.Exists("/drives/C/zip/HTMLBugs.txt"));

  const Lines index = Page("index.htm");
  EXPECT_EQ(index[6], "<LI><A HREF=\"T00007.HTM\"> Alpha Gas Company </A>");
  EXPECT_EQ(index[7], "<LI><A HREF=\"T12345.HTM\"> Test Pipeline Company </A>");
}

TEST_F(HtmlWriterTest, TemplateGivesPrologueTitleAndEpilogue) {
  Build({SmallVolume()});
  mem_.MakeDir("/site");
  mem_.WriteAll("/site/Template.htm",
                "<html><head>\r\n<title>Our tariffs</title>\r\n</head><body>\r\n<!-- end of prefix -->\r\n"
                "<p>footer</p>\r\n</body></html>\r\n");
  Publish();
  EXPECT_EQ(Page("T12345.HTM")[0], "<html><head>");
  EXPECT_EQ(Page("T12345.HTM")[1], "<title>Test Pipeline Company</title>");
  EXPECT_EQ(Page("T12345.HTM")[3], "<A NAME=\"TopAnchor\"></A>");
  // The master list has no heading: the template's title stays.
  EXPECT_EQ(Page("index.htm")[1], "<title>Our tariffs</title>");
  const Lines k = Page("K12345.HTM");
  EXPECT_EQ(Lines(k.end() - 3, k.end()), (Lines{"<!-- end of prefix -->", "<p>footer</p>", "</body></html>"}));

  // A template that defines the anchor itself gets no second one.
  mem_.WriteAll("/site/Template.htm", "<body><a name=\"TopAnchor\"></a>\r\nend of prefix\r\n</body>\r\n");
  Publish();
  EXPECT_EQ(CountLines("123450.HTM", "TopAnchor\"></"), 1u);
}

TEST_F(HtmlWriterTest, LibraryTextCannotInjectMarkup) {
  TVolumePlan v;
  v.companyCode = 12345;
  v.company = "Evil <script> & Sons";
  v.volumeName = "Vol <b>";
  TSheetPlan s = Sheet("1", {"<script>alert(1)</script>", "<i>", "<img src=x onerror=alert(1)>"});
  s.issuer = "Smith & <Jones>";
  v.sheets = {s};
  Build({v});
  Publish();
  for (const char* page : {"123450.HTM", "T12345.HTM", "L12345.HTM", "K12345.HTM", "index.htm"})
    for (const std::string& line : Page(page)) {
      EXPECT_EQ(line.find("<script"), std::string::npos) << page << ": " << line;
      EXPECT_EQ(line.find("<img src=x"), std::string::npos) << page << ": " << line;
      EXPECT_EQ(line.find("<b>"), std::string::npos) << page << ": " << line;
    }
  EXPECT_TRUE(HasLine("123450.HTM", "&lt;img src=x onerror=alert(1)&gt;"));
  EXPECT_TRUE(HasLine("K12345.HTM", "<br> by Smith &amp;  &lt;jones&gt;"));
}

TEST_F(HtmlWriterTest, SheetWithoutReadableLinesGetsAnEmptyBlock) {
  TVolumePlan v;
  v.companyCode = 12345;
  v.sheets = {Sheet("1", {"\x01hidden"}), Sheet("2", {"only a title"})};
  Build({v});
  Publish();
  EXPECT_TRUE(HasLine("123450.HTM", "<H3>  :  Effective </H3>"));
  EXPECT_TRUE(HasLine("123450.HTM", "<H3> only a title :  Effective </H3>"));
  EXPECT_EQ(CountLines("123450.HTM", "Superseding"), 0u);
}

TEST_F(HtmlWriterTest, CompaniesSharingAStemGetTheirOwnPages) {
  TVolumePlan a;
  a.companyCode = 112345;
  a.company = "First Gas Company";
  a.sheets = {Sheet("1", {"first", "", "x"})};
  TVolumePlan b;
  b.companyCode = 212345;
  b.company = "Second Gas Company";
  b.sheets = {Sheet("1", {"second", "", "x"})};
  Build({a, b});
  Publish();
  EXPECT_EQ(writer_->WrittenCompanies().at("112345"), "12345");
  EXPECT_EQ(writer_->WrittenCompanies().at("212345"), "X212345");
  EXPECT_EQ(Page("T12345.HTM")[0], "<HTML><HEAD><TITLE>First Gas Company</title></head>");
  EXPECT_EQ(Page("TX212345.HTM")[0], "<HTML><HEAD><TITLE>Second Gas Company</title></head>");
  EXPECT_TRUE(HasLine("X2123450.HTM", "<H3> First :  Effective </H3>") ||
              HasLine("X2123450.HTM", "<H3> Second :  Effective </H3>"));
  ASSERT_FALSE(log_.Log().empty());
  EXPECT_NE(log_.Log()[0].find("X212345"), std::string::npos);
}

// The images come with the program: four distinct 24 by 24 PNG files; an
// image the site already has (one the webmaster replaced) is kept.
TEST_F(HtmlWriterTest, NavigationImagesComeWithTheProgram) {
  Build({SmallVolume()});
  mem_.MakeDir("/site");
  mem_.WriteAll("/site/up.png", "the site's own arrow");
  Publish();
  EXPECT_TRUE(port_.messages.empty()) << port_.messages.front();
  EXPECT_EQ(mem_.ReadAll("/site/up.png"), "the site's own arrow");
  std::set<std::string> distinct;
  for (const char* image : {"top.png", "down.png", "stop.png"}) {
    const std::string png = mem_.ReadAll(std::string("/site/") + image);
    ASSERT_GT(png.size(), 33u) << image;
    EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1a\n") << image;
    // IHDR: width and height 24, 8 bits, RGBA.
    EXPECT_EQ(png.substr(12, 14), std::string("IHDR\0\0\0\x18\0\0\0\x18\x08\x06", 14)) << image;
    distinct.insert(png);
  }
  EXPECT_EQ(distinct.size(), 3u);
  EXPECT_TRUE(NavImagePng("left.png").empty());
}

}  // namespace
}  // namespace vorne::testing
