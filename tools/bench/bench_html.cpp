// HTML publishing benchmark: publishes a generated library of 20,000 sheets
// (20 companies of 1,000 sheets, about 40 lines each) as a web site and
// compares it with the raw work underneath, measured in the same run: stock
// zlib inflating the same text blocks on one thread, plus writing as many
// files of the same sizes as the site holds (so that the cost of making files
// on this machine weighs on both sides alike). Target: at most 1.5x. Runs a
// minute apart measure best: files deleted by a run just before are slow to
// replace (see the run loop).
#include <zlib.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "output/DebugLog.h"
#include "output/HtmlWriter.h"
#include "platform/FileSystem.h"
#include "platform/Workers.h"
#include "store/Bytes.h"
#include "store/Cluster.h"
#include "tests/support/LibraryBuilder.h"
#include "volumes/ExportDockets.h"

#include "BenchPort.h"

using namespace vorne;
namespace stdfs = std::filesystem;

namespace {

constexpr int kCompanies = 20;
constexpr int kSheetsEach = 1000;
constexpr int kRuns = 5;

std::vector<testing::TVolumePlan> MakeVolumes() {
  std::mt19937 rng(20261209);
  const char* prose[] = {"Transporter shall receive gas at the Point(s) of Receipt and deliver",
                         "thermally equivalent quantities at the Point(s) of Delivery, subject to",
                         "the General Terms & Conditions of this ZOAK Gas Tariff.",
                         "Rates are stated in dollars per Dth and exclude applicable surcharges.", ""};
  std::vector<testing::TVolumePlan> volumes;
  for (int c = 0; c < kCompanies; ++c) {
    testing::TVolumePlan v;
    v.companyCode = uint32_t(1000 + c);
    v.company = "Company " + std::to_string(c) + " Pipeline";
    for (int s = 0; s < kSheetsEach; ++s) {
      testing::TSheetPlan sheet;
      sheet.sheetNo = std::to_string(s + 1);
      sheet.lines = {"original sheet no. " + sheet.sheetNo, s % 4 ? "" : "first revised sheet"};
      for (int l = 0; l < 40; ++l) {
        if (l % 5 == 0)
          sheet.lines.push_back("     Reservation Charge        $" + std::to_string(rng() % 1000) + "." +
                                std::to_string(rng() % 100) + "    \"max\"");
        else
          sheet.lines.push_back(prose[rng() % 5]);
      }
      sheet.docket = "RP0" + std::to_string(s % 7) + "-" + std::to_string(s % 50) + "-000";
      v.sheets.push_back(std::move(sheet));
    }
    volumes.push_back(std::move(v));
  }
  return volumes;
}

// The sizes of the files in a folder.
std::vector<uint64_t> FileSizes(const stdfs::path& dir) {
  std::vector<uint64_t> sizes;
  for (const auto& e : stdfs::directory_iterator(dir)) sizes.push_back(e.file_size());
  return sizes;
}

double Seconds(std::chrono::steady_clock::time_point from) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
}

// Inflates every block of the compressed text file and writes one file of
// each size into dir.
double Baseline(const std::string& textPath, const std::vector<uint64_t>& sizes, const stdfs::path& dir) {
  auto t = std::chrono::steady_clock::now();
  std::string file = RealFileSystem().ReadAll(textPath);
  std::vector<uint8_t> pages(101 * 256);
  uint64_t inflated = 0;
  for (size_t at = 0; at + 4 <= file.size();) {
    uint32_t len = uint32_t(uint8_t(file[at])) | uint32_t(uint8_t(file[at + 1])) << 8 |
                   uint32_t(uint8_t(file[at + 2])) << 16 | uint32_t(uint8_t(file[at + 3])) << 24;
    uLongf size = uLongf(pages.size());
    uncompress(pages.data(), &size, reinterpret_cast<const Bytef*>(file.data() + at + 4), len);
    inflated += size;
    at += 4 + len;
  }
  std::string chunk(1 << 16, 'x');
  for (size_t i = 0; i < sizes.size(); ++i) {
    std::ofstream out(dir / ("F" + std::to_string(i) + ".HTM"), std::ios::binary);
    for (uint64_t left = sizes[i]; left > 0;) {
      size_t n = size_t(std::min<uint64_t>(left, chunk.size()));
      out.write(chunk.data(), std::streamsize(n));
      left -= n;
    }
  }
  if (inflated == 0) std::fprintf(stderr, "nothing inflated\n");
  return Seconds(t);
}

}  // namespace

int main() {
  const stdfs::path root = stdfs::temp_directory_path() / ("vorne-bench-html-" + std::to_string(::getpid()));
  stdfs::remove_all(root);
  stdfs::create_directories(root);
  TQuietPort port;
  TEnv env{RealFileSystem(), port};
  const std::string lib = (root / "lib").string();
  std::printf("building a library of %d sheets ...\n", kCompanies * kSheetsEach);
  testing::BuildLibrary(env, lib, true, MakeVolumes());

  double bestHtml = 1e9, bestBase = 1e9;
  std::vector<uint64_t> sizes;
  for (int run = 0; run < kRuns; ++run) {
    const stdfs::path site = root / ("site" + std::to_string(run));
    stdfs::create_directories(site);
    TFileCluster cluster(env, true);
    cluster.Open(lib + "/GZPrime", false);
    cluster.ReadAll();
    TDebugLog log(env.fs);
    Settle();
    auto t = std::chrono::steady_clock::now();
    {
      HTMLPrintThing writer(env, cluster, log, site.string());
      writer.Create();
      TExportDockets window(true);
      cluster.OpenBuffer();
      for (const auto& v : cluster.Volumes()) ExportHtml(env, *v, writer, window, nullptr);
      writer.Close();
      cluster.CloseBuffer();
    }
    bestHtml = std::min(bestHtml, Seconds(t));
    sizes = FileSizes(site);
    const stdfs::path base = root / ("base" + std::to_string(run));
    stdfs::create_directories(base);
    Settle();
    bestBase = std::min(bestBase, Baseline(cluster.TextPath(), sizes, base));
    // Sites stay until the end: ext4 passes over inodes deleted within the
    // last minute when it makes new files, so a run after a deleted site
    // would time the file system's bookkeeping, not the publishing.
  }
  uint64_t siteBytes = 0;
  for (uint64_t n : sizes) siteBytes += n;
  std::printf("threads: %d\n", WorkerThreads());
  std::printf("site: %zu files, %.1f MB; HTML %.3f s; inflate + the same files %.3f s\n", sizes.size(),
              double(siteBytes) / 1e6, bestHtml, bestBase);
  std::printf("ratio %.2fx (target <= 1.5x)\n", bestHtml / bestBase);
  stdfs::remove_all(root);
  return 0;
}
