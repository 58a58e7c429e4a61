// HTML publishing benchmark: publishes a generated library of 20,000 sheets
// (20 companies of 1,000 sheets, about 40 lines each) as a web site and
// compares it with the raw work underneath, measured in the same run: zlib
// inflate of the same text blocks plus writing as many output bytes as the
// site holds. Target: at most 2x. Runs a minute apart measure best: files
// deleted by a run just before are slow to replace (see the run loop).
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

uint64_t FolderBytes(const stdfs::path& dir) {
  uint64_t n = 0;
  for (const auto& e : stdfs::directory_iterator(dir)) n += e.file_size();
  return n;
}

double Seconds(std::chrono::steady_clock::time_point from) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
}

// Inflates every block of the compressed text file and writes outBytes.
double Baseline(const std::string& textPath, uint64_t outBytes, const stdfs::path& outFile) {
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
  std::ofstream out(outFile, std::ios::binary);
  std::string chunk(1 << 16, 'x');
  for (uint64_t left = outBytes; left > 0;) {
    size_t n = size_t(std::min<uint64_t>(left, chunk.size()));
    out.write(chunk.data(), std::streamsize(n));
    left -= n;
  }
  out.close();
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
  uint64_t siteBytes = 0;
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
    siteBytes = FolderBytes(site);
    Settle();
    bestBase = std::min(bestBase, Baseline(cluster.TextPath(), siteBytes, root / "baseline.out"));
    // Sites stay until the end: ext4 passes over inodes deleted within the
    // last minute when it makes new files, so a run after a deleted site
    // would time the file system's bookkeeping, not the publishing.
  }
  std::printf("site: %.1f MB; HTML %.3f s; inflate + write %.3f s; ratio %.2fx (target <= 2x)\n",
              double(siteBytes) / 1e6, bestHtml, bestBase, bestHtml / bestBase);
  stdfs::remove_all(root);
  return 0;
}
