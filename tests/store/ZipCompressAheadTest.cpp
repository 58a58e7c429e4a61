// The compressed writer with its blocks compressed on the pool: the same file
// as on one thread, positions that settle only once written, and write
// failures that lose what stands behind them and nothing before.
#include <algorithm>
#include <optional>

#include "platform/Workers.h"
#include "ZipFixture.h"

namespace vorne::testing {
namespace {

// Sheets of 1-12 pages with text that differs from sheet to sheet, so that
// blocks compress to different lengths.
std::vector<TLines> Library(int sheets) {
  std::vector<TLines> library;
  for (int s = 0; s < sheets; ++s) {
    TLines lines{"Sheet " + std::to_string(s)};
    for (int l = 0; l < 3 + (s * 37) % 120; ++l)
      lines.push_back("  rate " + std::to_string((s * 31 + l * 7) % 1000) + " per Dth, line " + std::to_string(l));
    library.push_back(lines);
  }
  return library;
}

class ZipCompressAheadTest : public ZipFixture {
 protected:
  void SetUp() override { SetWorkerForTesting(TWorker::CompressAhead, true); }
  void TearDown() override {
    SetWorkerForTesting(TWorker::CompressAhead, std::nullopt);
    SetWorkerThreadsForTesting(std::nullopt);
  }

  // Writes the library with compress ahead asked for (optionally up to the
  // first sheet that fails); the positions as WriteSheet gave them.
  std::vector<std::optional<TTextPos>> WriteAhead(OutDataBuffer& w, const std::vector<TLines>& library,
                                                  bool stopAtFailure = false) {
    w.CompressAhead(true);
    std::vector<std::optional<TTextPos>> given;
    for (const TLines& s : library) {
      given.push_back(w.WriteSheet(s));
      if (stopAtFailure && !given.back()) break;
    }
    return given;
  }
};

TEST_F(ZipCompressAheadTest, TheFileIsTheOneThreadsFileAndEveryPositionSettlesAfterTheFlush) {
  const std::vector<TLines> library = Library(300);

  // One thread: no pool, final positions at once.
  SetWorkerForTesting(TWorker::CompressAhead, std::nullopt);
  SetWorkerThreadsForTesting(1);
  const std::vector<TTextPos> single = WriteFile(true, library);
  const std::string singleFile = File();

  SetWorkerForTesting(TWorker::CompressAhead, true);
  SetWorkerThreadsForTesting(4);
  mem.Remove(kPath);
  auto w = Writer(true);
  std::vector<std::optional<TTextPos>> given = WriteAhead(*w, library);
  // Provisional until written: no reader takes them, and they do not settle yet.
  ASSERT_TRUE(given[0]);
  EXPECT_LT(given[0]->dbfPos, 0);
  EXPECT_FALSE(w->Settled(*given.back()));
  ASSERT_TRUE(w->Close());
  EXPECT_EQ(File(), singleFile);

  auto r = Reader(true);
  for (size_t i = 0; i < library.size(); ++i) {
    ASSERT_TRUE(given[i]);
    std::optional<TTextPos> settled = w->Settled(*given[i]);
    ASSERT_TRUE(settled) << i;
    EXPECT_EQ(*settled, single[i]) << i;
    ExpectSameText(Read(*r, *settled), Expected(library[i]));
  }
  TLines lines;
  int32_t m = 0, c = 0;
  EXPECT_FALSE(r->SheetText(*given[0], lines, m, c));
  EXPECT_EQ(port.messages, TLines{"I/O error: File seek failed for this sheet"});

  // Every block is a zlib stream that stock zlib inflates to whole pages.
  const std::vector<std::string> blocks = Blocks();
  EXPECT_GT(blocks.size(), 10u);
  for (const std::string& b : blocks) EXPECT_EQ(b.size() % kPageSize, 0u);
}

TEST_F(ZipCompressAheadTest, AFullDiskLosesTheBlocksFromTheFailedOneOnAndKeepsThoseBefore) {
  const std::vector<TLines> library = Library(300);
  // Where the blocks end in a file written without faults.
  SetWorkerThreadsForTesting(4);
  WriteFile(true, library);
  std::vector<size_t> ends;
  for (size_t at = 0; at + 4 <= File().size();) {
    at += 4 + GetU32(reinterpret_cast<const uint8_t*>(File().data() + at));
    ends.push_back(at);
  }
  ASSERT_GT(ends.size(), 6u);

  mem.Remove(kPath);
  fs.written_ = 0;
  fs.Inject({TFault::DiskFullAfter, kPath, ends[4] + 10});  // inside the sixth block
  auto w = Writer(true);
  std::vector<std::optional<TTextPos>> given = WriteAhead(*w, library, /*stopAtFailure=*/true);
  // The failure shows once, at a later sheet or at the flush at the latest,
  // as it does without the pool; the file keeps the five whole blocks before it.
  if (given.back()) EXPECT_FALSE(w->Flush());
  EXPECT_EQ(port.messages, TLines{"Won't fit, new disk needed"});
  EXPECT_EQ(File().size(), ends[4]);

  fs.Clear();
  ASSERT_TRUE(w->Close());
  auto r = Reader(true);
  given.pop_back();  // the sheet that met the failure, or the last one
  size_t settled = 0;
  for (size_t i = 0; i < given.size(); ++i) {
    std::optional<TTextPos> pos = w->Settled(*given[i]);
    if (!pos) continue;
    EXPECT_EQ(settled++, i) << "a sheet before a lost block settles, none after it";
    EXPECT_LT(uint64_t(pos->dbfPos), ends[4]);
    ExpectSameText(Read(*r, *pos), Expected(library[i]));
  }
  EXPECT_GT(settled, 0u);
  EXPECT_LT(settled, given.size());
  EXPECT_EQ(port.messages, TLines{"Won't fit, new disk needed"});
}

}  // namespace
}  // namespace vorne::testing
