// vorne-batch publishing a library it did not write itself: the HTML site
// with every local link checked (file and anchor), and Print to File into a
// folder and into one file.
#include <gtest/gtest.h>

#include "support/BatchRunner.h"
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "platform/FileSystem.h"
#include "store/Common.h"
#include "support/LibraryBuilder.h"
#include "support/ScriptedPort.h"

namespace vorne::testing {
namespace {

namespace fs = std::filesystem;

class PublishBatchTest : public ::testing::Test {
 protected:
  PublishBatchTest() {
    dir_ = fs::temp_directory_path() / ("vorne-publish-" + std::to_string(::getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    lib_ = (dir_ / "lib").string();
    TScriptedPort port;
    TEnv env{RealFileSystem(), port};
    TVolumePlan a;
    a.companyCode = 123;
    a.company = "Zeta & Sons <Gas> Company";
    for (int i = 1; i <= 130; ++i) {
      TSheetPlan s;
      s.sheetNo = std::to_string(i);
      s.lines = {"original sheet no. " + std::to_string(i), i % 2 ? "" : "first sheet", "rate <b> & \"x\""};
      s.docket = "RP0" + std::to_string(i % 3) + "-1-000";
      s.complianceDkt = i % 3 == 0 ? "RP88-1-000" : "";
      a.sheets.push_back(s);
    }
    TVolumePlan a2 = a;
    a2.volId = "2";
    a2.sheets.resize(5);
    TVolumePlan b;
    b.companyCode = 1001230;  // the same code stem as 123
    b.company = "Alpha Pipeline Company";
    b.sheets = {a.sheets[0]};
    BuildLibrary(env, lib_, true, {a, a2, b});
  }
  ~PublishBatchTest() override { fs::remove_all(dir_); }

  int Batch(const std::vector<std::string>& args) {
    TBatchResult r = RunBatch(dir_, args);
    out_ = r.out;
    err_ = r.err;
    return r.status;
  }

  fs::path dir_;
  std::string lib_, out_, err_;
};

// Every local href and src of every page names an existing file, and every
// fragment an anchor that page defines.
std::vector<std::string> BrokenLinks(const fs::path& site) {
  std::vector<std::string> broken;
  const std::regex link(R"re((?:HREF|href|src)=\s*(?:"([^"]*)"|([^ >"]+)))re");
  const std::regex anchor(R"re((?:NAME|name|Name)="([^"]*)")re");
  auto anchorsOf = [&](const fs::path& page) {
    std::set<std::string> names;
    std::string text = Slurp(page);
    for (std::sregex_iterator it(text.begin(), text.end(), anchor), end; it != end; ++it) names.insert((*it)[1]);
    return names;
  };
  for (const auto& entry : fs::directory_iterator(site)) {
    const std::string ext = entry.path().extension().string();
    if (ext != ".htm" && ext != ".HTM") continue;
    const std::string text = Slurp(entry.path());
    for (std::sregex_iterator it(text.begin(), text.end(), link), end; it != end; ++it) {
      std::string target = (*it)[1].matched ? (*it)[1].str() : (*it)[2].str();
      const size_t hash = target.find('#');
      const std::string file = target.substr(0, hash);
      const fs::path page = file.empty() ? entry.path() : site / file;
      if (!fs::exists(page)) {
        broken.push_back(entry.path().filename().string() + " -> " + target);
        continue;
      }
      if (hash != std::string::npos && !anchorsOf(page).count(target.substr(hash + 1)))
        broken.push_back(entry.path().filename().string() + " -> " + target);
    }
  }
  return broken;
}

TEST_F(PublishBatchTest, HtmlSiteHasNoBrokenLocalLink) {
  const fs::path site = dir_ / "new" / "site";  // made when missing
  ASSERT_EQ(Batch({"FROM", lib_, "HTML", "TO", site.string(), "ALL"}), 0) << err_;
  EXPECT_EQ(out_, (site / "index.htm").string() + "\n");
  for (const char* f : {"index.htm", "T00123.HTM", "L00123.HTM", "K00123.HTM", "001230.HTM", "001231.HTM",
                        "001232.HTM", "TX1001230.HTM", "X10012300.HTM", "top.png", "down.png", "up.png", "stop.png"})
    EXPECT_TRUE(fs::exists(site / f)) << f;
  EXPECT_EQ(BrokenLinks(site), std::vector<std::string>{});
  const std::string index = Slurp(site / "index.htm");
  EXPECT_NE(index.find("<LI><A HREF=\"T00123.HTM\"> Zeta &amp;  Sons &lt;gas&gt; Company </A>"), std::string::npos)
      << index;
  EXPECT_NE(index.find("<LI><A HREF=\"TX1001230.HTM\"> Alpha Pipeline Company </A>"), std::string::npos);
  EXPECT_EQ(Slurp(site / "top.png").substr(1, 3), "PNG");
}

TEST_F(PublishBatchTest, HtmlAllAndMissingOutput) {
  EXPECT_EQ(Batch({"FROM", lib_, "HTMLALL", "ALL"}), 2);
  EXPECT_NE(err_.find("TO <folder>"), std::string::npos);
  const fs::path site = dir_ / "all";
  EXPECT_EQ(Batch({"FROM", lib_, "HTMLALL", "TO", site.string(), "ALL"}), 0) << err_;
  EXPECT_EQ(BrokenLinks(site), std::vector<std::string>{});
}

TEST_F(PublishBatchTest, PrintWritesOneFilePerCompanyOrOneFile) {
  const fs::path folder = dir_ / "prn";
  ASSERT_EQ(Batch({"FROM", lib_, "PRINT", "TO", folder.string(), "ALL"}), 0) << err_;
  const std::string zeta = Slurp(folder / "000123.PRN");
  EXPECT_EQ(zeta.substr(0, 7), "1:000\r\n");
  EXPECT_NE(zeta.find("Original Sheet No. 2 :  Effective\r\nSuperseding: first sheet\r\nrate <b> & \"x\"\r\n\f\r\n"),
            std::string::npos);
  EXPECT_TRUE(fs::exists(folder / "1001230.PRN"));

  const fs::path one = dir_ / "one" / "all.prn";
  fs::create_directories(one.parent_path());
  ASSERT_EQ(Batch({"FROM", lib_, "PRINT", "TO", one.string(), "ALL"}), 0) << err_;
  const std::string all = Slurp(one);
  size_t sheets = 0;
  for (size_t at = all.find('\f'); at != std::string::npos; at = all.find('\f', at + 1)) ++sheets;
  EXPECT_EQ(sheets, 136u);
  EXPECT_FALSE(fs::exists(one.parent_path() / "000123.PRN"));
}

// A file name longer than 20 characters whose "." comes later is a file.
TEST_F(PublishBatchTest, PrintToALongFileNameWritesThatFile) {
  const fs::path one = dir_ / "one" / "every_sheet_of_the_library.prn";
  fs::create_directories(one.parent_path());
  ASSERT_EQ(Batch({"FROM", lib_, "PRINT", "TO", one.string(), "ALL"}), 0) << err_;
  ASSERT_TRUE(fs::is_regular_file(one));
  EXPECT_EQ(Slurp(one).substr(0, 7), "1:000\r\n");
  EXPECT_FALSE(fs::exists(one / "000123.PRN"));
}

}  // namespace
}  // namespace vorne::testing
