// Text buffer benchmark: writes a library's worth of tariff-like sheets in both
// forms, reads them back, and compares the compressed form with stock zlib on
// one thread doing the same work on the same bytes, measured in the same run:
//   (a) reading every sheet in order vs. inflating the same blocks, target <= 0.8x
//   (b) writing compressed vs. deflating the same pages at level 9, target <= 0.5x
// and the compressed file's size against level 9's. The writer compresses
// ahead and the reader inflates ahead on the pool; VORNE_THREADS=1 shows the
// codec alone.
#include <unistd.h>
#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/UserPort.h"
#include "platform/Workers.h"
#include "store/Bytes.h"
#include "store/TextReader.h"
#include "store/TextWriter.h"
#include "store/Zlib.h"

#include "BenchPort.h"
#include "TariffText.h"

using namespace vorne;

namespace {

constexpr int kSheets = 20000;
constexpr int kRuns = 3;

// About 40 lines of rate-sheet text per sheet, the same every run.
std::vector<std::vector<std::string>> MakeLibrary() {
  std::mt19937 rng(20050105);
  std::vector<std::vector<std::string>> sheets;
  sheets.reserve(kSheets);
  for (int s = 0; s < kSheets; ++s)
    sheets.push_back(TariffLines("Sheet No. " + std::to_string(1 + s % 900) + (s % 3 ? "A" : ""), rng));
  return sheets;
}

struct TBlocks {
  std::vector<std::vector<uint8_t>> deflated;  // each block's zlib stream
  std::vector<std::vector<uint8_t>> pages;     // each block's pages
};

TBlocks SplitBlocks(const std::string& file) {
  TBlocks b;
  std::vector<uint8_t> out;
  for (size_t at = 0; at + 4 <= file.size();) {
    const uint32_t n = GetU32(reinterpret_cast<const uint8_t*>(file.data() + at));
    const uint8_t* z = reinterpret_cast<const uint8_t*>(file.data() + at + 4);
    b.deflated.emplace_back(z, z + n);
    const int pages = InflatePages(b.deflated.back(), out);
    b.pages.emplace_back(out.begin(), out.begin() + size_t(pages) * kPageSize);
    at += 4 + n;
  }
  return b;
}

// Raw zlib, no wrapper: the baselines.
void RawInflate(const TBlocks& b, std::vector<uint8_t>& area) {
  for (const auto& z : b.deflated) {
    z_stream s{};
    inflateInit(&s);
    s.next_in = const_cast<Bytef*>(z.data());
    s.avail_in = uInt(z.size());
    s.next_out = area.data();
    s.avail_out = uInt(area.size());
    if (inflate(&s, Z_FINISH) != Z_STREAM_END) std::abort();
    inflateEnd(&s);
  }
}

// Returns the bytes level 9 makes of the file, length fields included.
size_t RawDeflate(const TBlocks& b, std::vector<uint8_t>& area) {
  size_t bytes = 0;
  for (const auto& p : b.pages) {
    z_stream s{};
    deflateInit2(&s, 9, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY);
    s.next_in = const_cast<Bytef*>(p.data());
    s.avail_in = uInt(p.size());
    s.next_out = area.data();
    s.avail_out = uInt(area.size());
    if (deflate(&s, Z_FINISH) != Z_STREAM_END) std::abort();
    bytes += 4 + s.total_out;
    deflateEnd(&s);
  }
  return bytes;
}

}  // namespace

int main() {
  namespace fsys = std::filesystem;
  const fsys::path dir = fsys::temp_directory_path() / ("vorne-bench-" + std::to_string(::getpid()));
  fsys::create_directories(dir);
  TQuietPort port;
  TEnv env{RealFileSystem(), port};
  const auto library = MakeLibrary();
  size_t lineCount = 0, textBytes = 0;
  for (const auto& s : library)
    for (const auto& l : s) ++lineCount, textBytes += l.size() + 1;
  std::printf("library: %d sheets, %zu lines, %.1f MB of line bytes\n", kSheets, lineCount, textBytes / 1e6);

  std::string paths[2];
  std::vector<TTextPos> positions[2];
  auto write = [&](int compressed) {
    fsys::remove(paths[compressed]);
    auto w = OutDataBuffer::Create(env, paths[compressed], compressed);
    w->CompressAhead(true);
    positions[compressed].clear();
    for (const auto& s : library) positions[compressed].push_back(w->WriteSheet(s).value());
    if (!w->Close()) std::abort();
    for (TTextPos& pos : positions[compressed]) pos = w->Settled(pos).value();
  };
  auto read = [&](int compressed) {
    auto r = TDataBuffer::Create(env, paths[compressed], compressed);
    r->ReadAhead(true);
    std::vector<std::string> lines;
    int32_t maxLength = 0, count = 0;
    for (const TTextPos& pos : positions[compressed])
      if (!r->SheetText(pos, lines, maxLength, count)) std::abort();
  };
  for (int compressed = 0; compressed < 2; ++compressed) {
    paths[compressed] = (dir / (compressed ? "GZipDBF" : "TarDBF")).string();
    write(compressed);
  }
  const TBlocks blocks = SplitBlocks(RealFileSystem().ReadAll(paths[1]));
  std::vector<uint8_t> area(kZipArea);

  // Each figure and its baseline are measured in turn, so that a busy machine
  // slows both alike; the best of the runs counts.
  double writeSecs[2] = {1e30, 1e30}, readSecs[2] = {1e30, 1e30}, inflateSecs = 1e30, deflateSecs = 1e30;
  size_t level9Bytes = 0;
  for (int run = 0; run < kRuns; ++run) {
    for (int compressed = 0; compressed < 2; ++compressed) {
      writeSecs[compressed] = std::min(writeSecs[compressed], Seconds([&] { write(compressed); }));
      readSecs[compressed] = std::min(readSecs[compressed], Seconds([&] { read(compressed); }));
    }
    deflateSecs = std::min(deflateSecs, Seconds([&] { level9Bytes = RawDeflate(blocks, area); }));
    inflateSecs = std::min(inflateSecs, Seconds([&] { RawInflate(blocks, area); }));
  }
  for (int compressed = 0; compressed < 2; ++compressed)
    std::printf("%-12s  file %7.1f MB   write %8.0f sheets/s   read %8.0f sheets/s\n",
                compressed ? "compressed" : "uncompressed", fsys::file_size(paths[compressed]) / 1e6,
                kSheets / writeSecs[compressed], kSheets / readSecs[compressed]);

  const double readRatio = readSecs[1] / inflateSecs;
  const double writeRatio = writeSecs[1] / deflateSecs;
  const double sizeRatio = double(fsys::file_size(paths[1])) / double(level9Bytes);
  std::printf("threads: %d; blocks: %zu; raw inflate %.3f s, raw deflate %.3f s\n", WorkerThreads(),
              blocks.deflated.size(), inflateSecs, deflateSecs);
  std::printf("compressed file / zlib level 9 : %+.2f%%  (target <= +1%%) %s\n", (sizeRatio - 1) * 100,
              sizeRatio <= 1.01 ? "ok" : "MISSED");
  std::printf("(a) compressed sequential read / raw zlib inflate : %.2fx  (target <= 0.8x) %s\n", readRatio,
              readRatio <= 0.8 ? "ok" : "MISSED");
  std::printf("(b) compressed write / raw deflate level 9 : %.2fx  (target <= 0.5x) %s\n", writeRatio,
              writeRatio <= 0.5 ? "ok" : "MISSED");
  fsys::remove_all(dir);
  return 0;
}
