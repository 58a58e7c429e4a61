// The whole published site of a sample library, pinned file by file (size
// and CRC-32 of every page), with and without a template. Any change to a
// single byte of any page shows here with the name of the page; the table
// of the site actually written is printed to help review such a change.
#include <zlib.h>

#include <cstdio>
#include <map>

#include "output/PublishFixture.h"
#include "output/SiteSample.h"

namespace vorne::testing {
namespace {

struct TPageDigest {
  std::string name;
  size_t size;
  uint32_t crc;
};
using TSiteDigest = std::map<std::string, std::pair<size_t, uint32_t>>;

constexpr char kTemplate[] =
    "<html><head>\r\n<title>placeholder</title>\r\n</head><body bgcolor=\"#FFFFFF\">\r\n"
    "<p>site banner</p>\r\n<!-- end of prefix -->\r\n<p>site footer</p>\r\n</body></html>\r\n";

class SiteGoldenTest : public PublishFixture {
 protected:
  TSiteDigest PublishSample(bool withTemplate) {
    Build(SampleSite());
    mem_.MakeDir("/site");
    if (withTemplate) mem_.WriteAll("/site/Template.htm", kTemplate);
    Publish();
    TSiteDigest site;
    for (const std::string& name : mem_.List("/site")) {
      if (name == "Template.htm") continue;
      const std::string bytes = mem_.ReadAll("/site/" + name);
      site[name] = {bytes.size(),
                    uint32_t(crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), uInt(bytes.size())))};
    }
    return site;
  }

  void ExpectSite(const TSiteDigest& site, const std::vector<TPageDigest>& expected) {
    TSiteDigest want;
    for (const TPageDigest& p : expected) want[p.name] = {p.size, p.crc};
    for (const auto& [name, digest] : want) {
      auto it = site.find(name);
      if (it == site.end())
        ADD_FAILURE() << name << " was not written";
      else
        EXPECT_EQ(it->second, digest) << name << " differs";
    }
    for (const auto& [name, digest] : site)
      if (!want.count(name)) ADD_FAILURE() << name << " was written but is not expected";
    if (::testing::Test::HasFailure()) {
      std::string table;
      char line[128];
      for (const auto& [name, digest] : site) {
        std::snprintf(line, sizeof line, "      {\"%s\", %zu, 0x%08xu},\n", name.c_str(), digest.first, digest.second);
        table += line;
      }
      std::printf("the site written:\n%s", table.c_str());
    }
  }
};

TEST_F(SiteGoldenTest, BuiltInPageFrameGivesTheKnownSite) {
  ExpectSite(PublishSample(false), {
      {"000070.HTM", 701, 0x80e90ebfu},
      {"123450.HTM", 58193, 0xf693588fu},
      {"123451.HTM", 58790, 0x7b1043a2u},
      {"123452.HTM", 17141, 0x277a23fdu},
      {"123453.HTM", 3021, 0xd92b76dau},
      {"K00007.HTM", 644, 0x3c42337eu},
      {"K12345.HTM", 89147, 0xf1494834u},
      {"KX112345.HTM", 1144, 0xa7fd7446u},
      {"L00007.HTM", 543, 0xf52b4215u},
      {"L12345.HTM", 37535, 0xe15e0f85u},
      {"LX112345.HTM", 877, 0x9c80163eu},
      {"T00007.HTM", 601, 0x928bc697u},
      {"T12345.HTM", 43903, 0xa7d4b91du},
      {"TX112345.HTM", 977, 0xc6cc633fu},
      {"X1123450.HTM", 1840, 0x35b8c01du},
      {"down.png", 308, 0x72b44dd7u},
      {"index.htm", 619, 0xd51a5fa5u},
      {"stop.png", 176, 0x9bf1e761u},
      {"top.png", 301, 0xdce03fc7u},
      {"up.png", 302, 0xc651df68u},
  });
}

TEST_F(SiteGoldenTest, TemplatePageFrameGivesTheKnownSite) {
  ExpectSite(PublishSample(true), {
      {"000070.HTM", 784, 0x631c03c0u},
      {"123450.HTM", 58276, 0xe49bd894u},
      {"123451.HTM", 58873, 0xdea2aa95u},
      {"123452.HTM", 17224, 0x2a540cb7u},
      {"123453.HTM", 3104, 0xb9935c22u},
      {"K00007.HTM", 727, 0x4ed427d0u},
      {"K12345.HTM", 89230, 0xad25d5c6u},
      {"KX112345.HTM", 1227, 0x2cbd6a11u},
      {"L00007.HTM", 626, 0x52c54e51u},
      {"L12345.HTM", 37618, 0x9f2a6025u},
      {"LX112345.HTM", 960, 0x1a07a7a9u},
      {"T00007.HTM", 684, 0x98aab8bcu},
      {"T12345.HTM", 43986, 0xd943d703u},
      {"TX112345.HTM", 1060, 0x5ba07716u},
      {"X1123450.HTM", 1923, 0xc48001fdu},
      {"down.png", 308, 0x72b44dd7u},
      {"index.htm", 713, 0xb99e0f23u},
      {"stop.png", 176, 0x9bf1e761u},
      {"top.png", 301, 0xdce03fc7u},
      {"up.png", 302, 0xc651df68u},
  });
}

}  // namespace
}  // namespace vorne::testing
