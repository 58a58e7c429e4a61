// The exports take each sheet's name from its text just before the writer
// reads that text. The names must be those the header list gives, and a
// damaged text block must cost only its own sheets, not the volume or the run.
#include "output/PublishFixture.h"
#include "output/SiteSample.h"
#include "store/Bytes.h"
#include "store/Headers.h"
#include "store/TextReader.h"
#include "volumes/ExportDockets.h"

namespace vorne::testing {
namespace {

// Records the titles a writer is given.
class TTitleWriter : public FPrintThing {
 public:
  using FPrintThing::FPrintThing;
  void Close() override {}
  void WriteSheet(TSheet& sheet, const std::string& title, bool, bool) override {
    titles.push_back(title);
    std::vector<std::string> lines;
    read.push_back(ReadSheet(sheet, lines));
  }
  std::vector<std::string> titles;
  std::vector<bool> read;
};

class ExportNamesTest : public PublishFixture {
 protected:
  std::vector<std::string> ListNames(TPrimeRef& volume) {
    THdrList list(volume, nullptr);
    list.Load();
    TNamedSheets names;
    TAuxList<T5Entry> issuers;
    TAuxList<T6Entry> dockets;
    list.FillNames(names, issuers, dockets);
    std::vector<std::string> result;
    for (const auto& [name, sheet] : names) result.push_back(name);
    return result;
  }

  // Spoils the checksum at the end of the block at offset.
  void DamageBlock(int64_t offset) {
    std::string& text = mem_.Bytes(cluster_->TextPath());
    const uint32_t n = GetU32(reinterpret_cast<const uint8_t*>(text.data()) + offset);
    text[size_t(offset) + 4 + n - 1] ^= 0x55;
  }
};

TEST_F(ExportNamesTest, NamesAreThoseOfTheHeaderList) {
  Build(SampleSite());
  for (const auto& v : cluster_->Volumes()) {
    const std::vector<std::string> expected = ListNames(*v);
    TTitleWriter w(env_, *cluster_, log_, "/out");
    TExportDockets window(false);
    ExportPlain(env_, *v, w, window, nullptr);
    EXPECT_EQ(w.titles, expected) << v->record.companyCode;
  }
  EXPECT_TRUE(port_.messages.empty());
}

TEST_F(ExportNamesTest, ADamagedBlockCostsOnlyItsOwnSheets) {
  TVolumePlan v;
  // Four pages a sheet: a block holds 25 of them.
  const std::string wide(200, 'w');
  for (int i = 1; i <= 120; ++i)
    v.sheets.push_back(Sheet(std::to_string(i), {"sheet " + std::to_string(i), "", wide, wide, wide, wide}));
  Build({v});
  TPrimeRef& volume = *cluster_->Volumes()[0];
  const std::vector<std::string> intact = ListNames(volume);

  // The sheets of the block that holds sheet 50.
  std::vector<int64_t> blocks;
  {
    THdrList list(volume, nullptr);
    list.Load();
    for (const auto& g : list.Groups()) blocks.push_back(g.versions[0]->body.text.dbfPos);
  }
  const int64_t damaged = blocks[49];
  ASSERT_NE(blocks.front(), damaged);
  ASSERT_NE(blocks.back(), damaged);
  DamageBlock(damaged);

  TTitleWriter w(env_, *cluster_, log_, "/out");
  TExportDockets window(false);
  TExportResult r = ExportPlain(env_, volume, w, window, nullptr);
  EXPECT_EQ(r.sheets, 120u);
  ASSERT_EQ(w.titles.size(), 120u);
  size_t lost = 0;
  for (size_t i = 0; i < 120; ++i) {
    if (blocks[i] == damaged) {
      ++lost;
      EXPECT_FALSE(w.read[i]);
      // The diagnostic name: the sheet's key and where its text should be.
      const std::string key = MakeSheetKey(PadRight(std::to_string(i + 1), 8)) + ": ";
      EXPECT_EQ(w.titles[i].substr(0, key.size()), key) << i;
    } else {
      EXPECT_TRUE(w.read[i]) << i;
      EXPECT_EQ(w.titles[i], intact[i]) << i;
    }
  }
  EXPECT_GT(lost, 0u);
  // The writer told the person about every sheet it could not read.
  EXPECT_EQ(port_.messages.size(), lost);
}

TEST_F(ExportNamesTest, ADamagedBlockLeavesTheRestOfTheSitePublished) {
  TVolumePlan a, b;
  a.companyCode = 1;
  b.companyCode = 2;
  const std::string wide(200, 'w');
  for (int i = 1; i <= 40; ++i)
    a.sheets.push_back(Sheet(std::to_string(i), {"a " + std::to_string(i), "", wide, wide, wide, wide}));
  b.sheets = {Sheet("1", {"b one", "", "text of b"})};
  Build({a, b});
  TPrimeRef* first = nullptr;
  for (const auto& v : cluster_->Volumes())
    if (v->record.companyCode == 1) first = v.get();
  ASSERT_TRUE(first);
  {
    THdrList list(*first, nullptr);
    list.Load();
    DamageBlock(list.Groups()[0].versions[0]->body.text.dbfPos);
  }
  Publish();
  EXPECT_FALSE(port_.messages.empty());
  // Both companies are on the site, the second with its text.
  EXPECT_TRUE(Exists("T00001.HTM"));
  EXPECT_TRUE(Exists("T00002.HTM"));
  EXPECT_TRUE(HasLine("000020.HTM", "text of b"));
  EXPECT_EQ(CountLines("index.htm", "<LI><A HREF=\"T0000"), 2u);
}

}  // namespace
}  // namespace vorne::testing
