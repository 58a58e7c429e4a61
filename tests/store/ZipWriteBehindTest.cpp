// Writing behind: full windows written on the writer's second thread. The
// file must come out exactly as when every window is written in place, and a
// failed write must be reported once, at a later flush, leaving only whole
// pages that every TextPos handed out since the last good flush may trust.
#include "store/Errors.h"
#include "store/Zlib.h"
#include "ZipFixture.h"

namespace vorne::testing {
namespace {

// A sheet of about eight pages whose text says which sheet it is.
TLines Sheet(int n) {
  TLines lines{"Sheet " + std::to_string(n)};
  for (int i = 0; i < 30; ++i) lines.push_back(std::to_string(n) + "/" + std::to_string(i) + std::string(50 + i % 7, 'x'));
  return lines;
}

class ZipWriteBehind : public ZipFixture {
 protected:
  ZipWriteBehind() { OutDataBuffer::SetWriteBehindForTesting(true); }
  ~ZipWriteBehind() override { OutDataBuffer::SetWriteBehindForTesting(std::nullopt); }

  struct TWritten {
    std::string file;
    std::vector<TTextPos> positions;
  };
  // Writes sheets 0..count-1 into a new file, flushing after flushAt of them.
  TWritten WriteAll(bool compressed, bool behind, int count, int flushAt) {
    mem.Remove(kPath);
    auto w = Writer(compressed);
    w->WriteBehind(behind);
    TWritten out;
    for (int n = 0; n < count; ++n) {
      std::optional<TTextPos> pos = w->WriteSheet(Sheet(n));
      EXPECT_TRUE(pos) << n;
      out.positions.push_back(pos.value_or(TTextPos{}));
      if (n == flushAt) {
        EXPECT_TRUE(w->Flush());
        // Flush has waited for the windows handed over: all is on file.
        if (!compressed) {
          EXPECT_EQ(File().size(), size_t(w->CurrentPos()) * kPageSize);
        }
      }
    }
    EXPECT_TRUE(w->Close());
    out.file = File();
    return out;
  }

  // Writes sheets until one fails or count are written, then flushes; the
  // number of sheets that succeeded and whether the flush did. A failure of a
  // window written behind shows at whichever flush comes next.
  std::pair<int, bool> WriteUntilFailure(OutDataBuffer& w, int first, int count) {
    int n = 0;
    while (n < count && w.WriteSheet(Sheet(first + n))) ++n;
    if (n < count) return {n, true};
    return {n, w.Flush()};
  }

  // Once the fault is gone, sheet n is written where the file was cut back.
  TTextPos GoesOnAtTheCut(OutDataBuffer& w, int n) {
    fs.Clear();
    const size_t cut = File().size();
    std::optional<TTextPos> pos = w.WriteSheet(Sheet(n));
    EXPECT_TRUE(pos);
    EXPECT_EQ(size_t(pos.value_or(TTextPos{}).dbfPos), cut / kPageSize);
    return pos.value_or(TTextPos{});
  }
};

TEST_F(ZipWriteBehind, FileAndPositionsAreThoseOfWritingInPlace) {
  for (bool compressed : {false, true}) {
    SCOPED_TRACE(compressed ? "compressed" : "uncompressed");
    // 600 sheets of eight pages: about fifty windows, more than the worker
    // holds at once, so the writer also waits for clean ones.
    const TWritten inPlace = WriteAll(compressed, false, 600, 250);
    const TWritten behind = WriteAll(compressed, true, 600, 250);
    EXPECT_EQ(behind.file, inPlace.file);
    ASSERT_EQ(behind.positions.size(), inPlace.positions.size());
    for (size_t i = 0; i < behind.positions.size(); ++i) {
      EXPECT_EQ(behind.positions[i].dbfPos, inPlace.positions[i].dbfPos) << i;
      EXPECT_EQ(behind.positions[i].pageIndex, inPlace.positions[i].pageIndex) << i;
      EXPECT_EQ(behind.positions[i].pageCount, inPlace.positions[i].pageCount) << i;
    }
    auto r = Reader(compressed);
    for (int n : {0, 1, 250, 251, 599}) EXPECT_EQ(Read(*r, behind.positions[size_t(n)]), Sheet(n)) << n;
    EXPECT_TRUE(port.messages.empty());
  }
}

TEST_F(ZipWriteBehind, WriteErrorIsReportedOnceAndCutsBackToWholePages) {
  // Fails in the middle of a window written well after the first flush.
  fs.Inject({TFault::WriteErrorAfter, kPath, 30 * kZipArea + 1000, 13});
  std::vector<TTextPos> kept;
  auto w = Writer(false);
  w->WriteBehind(true);
  for (int n = 0; n < 40; ++n) kept.push_back(*w->WriteSheet(Sheet(n)));
  ASSERT_TRUE(w->Flush());
  const size_t keptSize = File().size();
  auto [written, flushed] = WriteUntilFailure(*w, 40, 2000);
  EXPECT_TRUE(written < 2000 || !flushed);
  EXPECT_EQ(port.messages, TLines{"Write error,probably hardware; code=13"});
  // Nothing from the failed window on stays: the file ends on a whole page
  // at the failed write's start, and writing goes on from there.
  EXPECT_EQ(File().size() % kPageSize, 0u);
  EXPECT_GT(File().size(), keptSize);
  EXPECT_LE(File().size(), 30 * size_t(kZipArea));
  const TTextPos again = GoesOnAtTheCut(*w, 5000);
  ASSERT_TRUE(w->Close());
  auto r = Reader(false);
  EXPECT_EQ(Read(*r, kept.front()), Sheet(0));
  EXPECT_EQ(Read(*r, kept.back()), Sheet(39));
  EXPECT_EQ(Read(*r, again), Sheet(5000));
  EXPECT_EQ(port.messages.size(), 1u);
}

TEST_F(ZipWriteBehind, FullDiskBehindRaisesDiskOverrunAtALaterWriteOrFlush) {
  fs.Inject({TFault::DiskFullAfter, kPath, 5 * kZipArea});
  auto w = Writer(false);
  w->WriteBehind(true);
  EXPECT_THROW(WriteUntilFailure(*w, 0, 2000), EDiskOverrun);
  EXPECT_EQ(File().size() % kPageSize, 0u);
  EXPECT_LE(File().size(), 5u * kZipArea);
  const TTextPos pos = GoesOnAtTheCut(*w, 1);
  ASSERT_TRUE(w->Close());
  EXPECT_EQ(Read(*Reader(false), pos), Sheet(1));
}

TEST_F(ZipWriteBehind, CloseWritesEveryWindowHandedOver) {
  std::vector<TTextPos> positions;
  {
    auto w = Writer(false);
    w->WriteBehind(true);
    for (int n = 0; n < 300; ++n) positions.push_back(*w->WriteSheet(Sheet(n)));
    // No Close: the writer's end closes it.
  }
  auto r = Reader(false);
  EXPECT_EQ(File().size(), size_t(positions.back().dbfPos + positions.back().pageCount) * kPageSize);
  for (int n : {0, 150, 299}) EXPECT_EQ(Read(*r, positions[size_t(n)]), Sheet(n));
}

}  // namespace
}  // namespace vorne::testing
