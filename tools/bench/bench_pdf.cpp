// PDF benchmark: prints 2,000 sheets (2 companies of 1,000, about 40 lines
// each, every fifth sheet landscape) into one PDF, as vorne-batch's PDF does,
// and compares it with reading the same sheets' text through the store in
// the same run. To say where the time goes it also times the sheet printer's
// layout alone (on a canvas that measures text but draws nothing). No target
// yet: it reports the ratio and the PDF's size per page.
#include <QGuiApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "gui/PrintCanvas.h"
#include "platform/FileSystem.h"
#include "sheets/SheetPrinter.h"
#include "store/Cluster.h"
#include "store/Headers.h"
#include "store/TextReader.h"
#include "tests/support/LibraryBuilder.h"

#include "BenchPort.h"

using namespace vorne;
namespace stdfs = std::filesystem;

namespace {

constexpr int kCompanies = 2;
constexpr int kSheetsEach = 1000;
constexpr int kRuns = 3;

std::vector<testing::TVolumePlan> MakeVolumes() {
  std::mt19937 rng(20261210);
  const char* prose[] = {"Transporter shall receive gas at the Point(s) of Receipt and deliver",
                         "thermally equivalent quantities at the Point(s) of Delivery, subject to",
                         "the General Terms and Conditions of this Tariff.",
                         "Rates are stated in dollars per Dth and exclude applicable surcharges.", ""};
  std::vector<testing::TVolumePlan> volumes;
  for (int c = 0; c < kCompanies; ++c) {
    testing::TVolumePlan v;
    v.companyCode = uint32_t(1000 + c);
    v.company = "Company " + std::to_string(c) + " Pipeline";
    for (int s = 0; s < kSheetsEach; ++s) {
      testing::TSheetPlan sheet;
      sheet.sheetNo = std::to_string(s + 1);
      sheet.orientation = s % 5 == 4 ? 'L' : 'P';
      sheet.lines = {"original sheet no. " + sheet.sheetNo, "first revised sheet no. " + sheet.sheetNo};
      for (int l = 0; l < 40; ++l) {
        if (l % 5 == 0)
          sheet.lines.push_back("     Reservation Charge        $" + std::to_string(rng() % 1000) + "." +
                                std::to_string(rng() % 100));
        else
          sheet.lines.push_back(prose[rng() % 5]);
      }
      sheet.complianceDkt = s % 3 ? "" : "RP04-311-001";
      v.sheets.push_back(sheet);
    }
    volumes.push_back(v);
  }
  return volumes;
}

// Measures like a fixed-pitch printer font and draws nothing.
class TMeasuringCanvas : public TPrintCanvas {
 public:
  int PixelsPerInch() const override { return 600; }
  int TextWidth(const std::string& t) override { return int(t.size()) * font.size * 5; }
  int TextHeight(const std::string&) override { return font.size * 600 / 72; }
  void TextOut(int, int, const std::string& t) override { chars += t.size(); }
  void FillWhite(const TRect&) override {}
  void Frame(const TRect&) override {}
  size_t chars = 0;
};

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const char* tmp = std::getenv("TMPDIR");
  const stdfs::path root = stdfs::path(tmp ? tmp : "/tmp") / ("vorne-bench-pdf-" + std::to_string(::getpid()));
  stdfs::remove_all(root);
  stdfs::create_directories(root);
  TQuietPort port;
  TEnv env{RealFileSystem(), port};
  const std::string lib = (root / "lib").string();
  std::printf("building a library of %d sheets ...\n", kCompanies * kSheetsEach);
  testing::BuildLibrary(env, lib, true, MakeVolumes());

  TFileCluster cluster(env, true);
  cluster.Open(lib + "/GZPrime", false);
  cluster.ReadAll();
  std::vector<std::unique_ptr<THdrList>> lists;
  std::vector<TSheetPtr> sheets;
  for (const auto& v : cluster.Volumes()) {
    lists.push_back(std::make_unique<THdrList>(*v, nullptr));
    lists.back()->Load();
    for (auto& g : lists.back()->Groups())
      for (auto& s : g.versions) sheets.push_back(s);
  }

  double bestRead = 1e9, bestLayout = 1e9, bestPdf = 1e9;
  uintmax_t pdfBytes = 0;
  TPrintCount count;
  for (int run = 0; run < kRuns; ++run) {
    size_t lines = 0;
    bestRead = std::min(bestRead, Seconds([&] {
      cluster.OpenBuffer();
      std::vector<std::string> text;
      for (const TSheetPtr& s : sheets) {
        cluster.Buffer()->SheetText(s->body.text, text, s->maxLineLength, s->lineCount);
        lines += text.size();
      }
      cluster.CloseBuffer();
    }));
    bestLayout = std::min(bestLayout, Seconds([&] {
      cluster.OpenBuffer();
      TMeasuringCanvas canvas;
      for (const TSheetPtr& s : sheets) {
        TSheetPrinter engine(&cluster, canvas);
        engine.PrintSheet(*s, {0, 0, 5100, 6600});
      }
      cluster.CloseBuffer();
    }));
    const std::string pdf = (root / ("sheets" + std::to_string(run) + ".pdf")).string();
    std::string error;
    bestPdf = std::min(bestPdf, Seconds([&] { count = WriteSheetsPdf(&cluster, sheets, pdf, error); }));
    if (!error.empty()) std::fprintf(stderr, "%s\n", error.c_str());
    pdfBytes = stdfs::file_size(pdf);
    if (lines == 0) std::fprintf(stderr, "no text read\n");
  }
  std::printf("%zu sheets: read text %.3f s; layout alone (read + lay out) %.3f s; PDF %.3f s\n", sheets.size(),
              bestRead, bestLayout, bestPdf);
  std::printf("PDF / read ratio %.1fx; %s; PDF %.2f MB, %.1f KB per page\n", bestPdf / bestRead,
              count.Message().c_str(), double(pdfBytes) / 1e6, double(pdfBytes) / 1024.0 / std::max(1, count.printed));
  stdfs::remove_all(root);
  return 0;
}
