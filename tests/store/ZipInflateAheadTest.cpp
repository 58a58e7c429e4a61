// Blocks inflated ahead on a second thread (ReadAhead): whatever order the
// sheets are read in, they read as they do without it, a damaged block
// raises what it raises without it, and a reader can be closed, reopened
// or dropped while the worker is ahead.
#include "store/Errors.h"
#include "store/ZipFixture.h"

namespace vorne::testing {
namespace {

// Files that nobody writes while they are read may be read from two threads.
class TConcurrentMemFileSystem : public TMemFileSystem {
 public:
  bool ConcurrentReads() const override { return true; }
};

class ZipInflateAheadTest : public ::testing::Test {
 protected:
  void SetUp() override { TDataBuffer::SetPrefetchForTesting(true); }
  void TearDown() override { TDataBuffer::SetPrefetchForTesting(std::nullopt); }

  TConcurrentMemFileSystem fs;
  TScriptedPort port;
  TEnv env{fs, port};
  const std::string kPath = "GZipDBF";

  // Enough sheets for many blocks, each line telling where it belongs.
  std::vector<TTextPos> WriteSheets(int count) {
    auto w = OutDataBuffer::Create(env, kPath, true);
    std::vector<TTextPos> positions;
    for (int s = 0; s < count; ++s) {
      TLines lines{"Sheet " + std::to_string(s)};
      for (int l = 0; l < 30 + s % 40; ++l) lines.push_back("line " + std::to_string(l) + " of sheet " + std::to_string(s));
      positions.push_back(w->WriteSheet(lines).value());
    }
    EXPECT_TRUE(w->Close());
    return positions;
  }

  std::unique_ptr<TDataBuffer> Reader(bool ahead) {
    auto r = TDataBuffer::Create(env, kPath, true);
    r->ReadAhead(ahead);
    return r;
  }

  static TLines Read(TDataBuffer& r, const TTextPos& pos) {
    TLines lines;
    int32_t m = 0, c = 0;
    EXPECT_TRUE(r.SheetText(pos, lines, m, c));
    return lines;
  }

  // The sheets in the given order, by one reader.
  std::vector<TLines> ReadAll(TDataBuffer& r, const std::vector<TTextPos>& pos, const std::vector<size_t>& order) {
    std::vector<TLines> out(pos.size());
    for (size_t i : order) out[i] = Read(r, pos[i]);
    return out;
  }
};

TEST_F(ZipInflateAheadTest, SheetsReadAsWithoutItInAnyOrder) {
  const std::vector<TTextPos> pos = WriteSheets(600);
  ASSERT_GT(pos.back().dbfPos, pos.front().dbfPos);
  std::vector<size_t> forward(pos.size()), backward, jumping;
  for (size_t i = 0; i < pos.size(); ++i) forward[i] = i;
  backward.assign(forward.rbegin(), forward.rend());
  for (size_t i = 0; i < pos.size(); i += 7) jumping.push_back((i * 131) % pos.size());
  auto plain = Reader(false);
  const std::vector<TLines> expected = ReadAll(*plain, pos, forward);
  for (const auto& order : {forward, backward, jumping}) {
    auto r = Reader(true);
    const std::vector<TLines> got = ReadAll(*r, pos, order);
    for (size_t i : order) ASSERT_EQ(got[i], expected[i]) << i;
  }
  // Two passes through one reader: the worker is aimed again at the start.
  auto r = Reader(true);
  EXPECT_EQ(ReadAll(*r, pos, forward), expected);
  EXPECT_EQ(ReadAll(*r, pos, forward), expected);
  EXPECT_TRUE(port.messages.empty());
}

TEST_F(ZipInflateAheadTest, ADamagedBlockRaisesWhatItRaisesWithoutIt) {
  const std::vector<TTextPos> pos = WriteSheets(300);
  // The first sheet of a block in the middle, and its block's bytes garbled.
  size_t damaged = 0;
  for (size_t i = pos.size() / 2; i < pos.size(); ++i)
    if (pos[i].dbfPos != pos[i - 1].dbfPos) {
      damaged = i;
      break;
    }
  ASSERT_GT(damaged, 0u);
  std::string& file = fs.Bytes(kPath);
  for (size_t b = size_t(pos[damaged].dbfPos) + 10; b < size_t(pos[damaged].dbfPos) + 40; ++b) file[b] = char(~file[b]);

  auto message = [&](bool ahead) {
    auto r = Reader(ahead);
    for (size_t i = 0; i < damaged; ++i) Read(*r, pos[i]);
    TLines lines;
    int32_t m = 0, c = 0;
    try {
      r->SheetText(pos[damaged], lines, m, c);
    } catch (const EVorneError& e) {
      // The blocks after the damaged one still read.
      EXPECT_EQ(Read(*r, pos.back())[0], "Sheet " + std::to_string(pos.size() - 1));
      return std::string(typeid(e).name()) + ": " + e.what();
    }
    return std::string("no error");
  };
  const std::string without = message(false);
  EXPECT_NE(without, "no error");
  EXPECT_EQ(message(true), without);
}

TEST_F(ZipInflateAheadTest, AReaderClosedOrDroppedWhileTheWorkerIsAheadIsFine) {
  const std::vector<TTextPos> pos = WriteSheets(400);
  auto r = Reader(true);
  EXPECT_EQ(Read(*r, pos[0])[0], "Sheet 0");
  ASSERT_TRUE(r->Close());
  ASSERT_TRUE(r->Open());  // reading ahead stays on
  EXPECT_EQ(Read(*r, pos[1])[0], "Sheet 1");
  EXPECT_EQ(Read(*r, pos[200])[0], "Sheet 200");
  r->ReadAhead(false);
  EXPECT_EQ(Read(*r, pos[201])[0], "Sheet 201");
  r->ReadAhead(true);
  EXPECT_EQ(Read(*r, pos[202])[0], "Sheet 202");
  r.reset();  // the worker is stopped, whatever it was doing
}

}  // namespace
}  // namespace vorne::testing
