// The compressed reader reads the file ahead of the block asked for. Sheets
// must read the same in any order, from files larger than one read-ahead,
// from a file that grows while the reader is open, and a block that the
// file ends inside must still be an unexpected end, wherever the read-ahead
// happens to stop.
#include "store/Errors.h"
#include "store/ZipFixture.h"

namespace vorne::testing {
namespace {

class ZipReadAheadTest : public ZipFixture {
 protected:
  // Sheets of varied text, enough for several read-ahead pieces.
  std::vector<TLines> ManySheets(int count) {
    std::vector<TLines> sheets;
    uint32_t seed = 7;
    for (int s = 0; s < count; ++s) {
      TLines lines{"Sheet " + std::to_string(s)};
      for (int l = 0; l < 20 + s % 30; ++l) {
        seed = seed * 1103515245u + 12345u;
        lines.push_back("line " + std::to_string(l) + " of " + std::to_string(s) + " #" + std::to_string(seed));
      }
      sheets.push_back(lines);
    }
    return sheets;
  }
};

TEST_F(ZipReadAheadTest, SheetsReadTheSameInAnyOrder) {
  const std::vector<TLines> sheets = ManySheets(900);
  const std::vector<TTextPos> pos = WriteFile(true, sheets);
  ASSERT_GT(File().size(), 3 * TDataBuffer::kReadAhead);
  // Each sheet on its own, by a reader that has read nothing before it. (The
  // writer may pad a line with a blank; that is the text.)
  std::vector<TLines> alone;
  for (size_t i = 0; i < pos.size(); ++i) {
    alone.push_back(Read(*Reader(true), pos[i]));
    ASSERT_EQ(alone[i].size(), sheets[i].size());
    for (size_t l = 0; l < sheets[i].size(); ++l) ASSERT_EQ(TrimRight(alone[i][l]), sheets[i][l]);
  }
  auto r = Reader(true);
  for (size_t i = 0; i < pos.size(); ++i) EXPECT_EQ(Read(*r, pos[i]), alone[i]) << i;
  for (size_t i = pos.size(); i-- > 0;) EXPECT_EQ(Read(*r, pos[i]), alone[i]) << i;
  for (size_t i = 0; i < pos.size(); i += 37) {
    EXPECT_EQ(Read(*r, pos[pos.size() - 1 - i]), alone[pos.size() - 1 - i]);
    EXPECT_EQ(Read(*r, pos[i]), alone[i]);
  }
  EXPECT_TRUE(port.messages.empty());
}

TEST_F(ZipReadAheadTest, SheetsAddedAfterTheReaderReadTheEndAreFound) {
  std::vector<TLines> sheets = ManySheets(3);
  std::vector<TTextPos> pos = WriteFile(true, sheets);
  auto r = Reader(true);
  EXPECT_EQ(Read(*r, pos[2]), sheets[2]);  // the read-ahead now ends at the end of the file
  auto w = OutDataBuffer::Create(env, kPath, true);
  const TLines added{"Added", "after the reader opened"};
  std::optional<TTextPos> at = w->WriteSheet(added);
  ASSERT_TRUE(at);
  ASSERT_TRUE(w->Close());
  EXPECT_EQ(Read(*r, *at), Read(*Reader(true), *at));
  EXPECT_EQ(Read(*r, *at)[0], "Added");
  EXPECT_EQ(Read(*r, pos[0]), sheets[0]);
}

TEST_F(ZipReadAheadTest, AFileCutInsideABlockIsAnUnexpectedEndWhereverItIsCut) {
  const std::vector<TLines> sheets = ManySheets(60);
  const std::vector<TTextPos> pos = WriteFile(true, sheets);
  const std::string whole = File();
  const int64_t last = pos.back().dbfPos;
  ASSERT_NE(pos[1].dbfPos, last);
  for (size_t cut : {size_t(last) + 2, size_t(last) + 4, size_t(last) + 9, whole.size() - 1}) {
    File() = whole.substr(0, cut);
    auto r = Reader(true);
    EXPECT_EQ(Read(*r, pos[0]), sheets[0]);  // reads ahead up to the cut
    TLines lines;
    int32_t m = 0, c = 0;
    try {
      r->SheetText(pos.back(), lines, m, c);
      ADD_FAILURE() << "no exception at cut " << cut;
    } catch (const EUnzipError& e) {
      EXPECT_STREQ(e.what(), "Unexpected end of file in decompress");
    }
    // Sheets before the cut block still read.
    EXPECT_EQ(Read(*r, pos[1]), sheets[1]);
  }
  File() = whole;
}

}  // namespace
}  // namespace vorne::testing
