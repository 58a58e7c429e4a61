// Import benchmark: generates one large filing (about 50,000 sheets), imports
// it into a fresh uncompressed library, and compares the import's speed with
// writing the same sheet texts straight through the store's page writer in
// the same run. Target: the import takes at most 2x the page writer's time.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "FilingGenerator.h"
#include "filings/Addsheet.h"
#include "store/Cluster.h"
#include "store/FileSystem.h"
#include "store/Zipwrite.h"

#include "BenchPort.h"

using namespace vorne;
namespace fsys = std::filesystem;

namespace {

// The text lines of every sheet of a filing, as the import would store them.
std::vector<std::vector<std::string>> SheetTexts(const std::string& text) {
  std::vector<std::vector<std::string>> sheets;
  size_t start = 0;
  bool inSheet = false;
  while (start < text.size()) {
    size_t eol = text.find('\n', start);
    if (eol == std::string::npos) eol = text.size();
    std::string line = text.substr(start, eol - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    start = eol + 1;
    if (line.rfind("TF0", 0) == 0) {
      inSheet = line.size() > 3 && line[3] == '3';
      if (inSheet) sheets.push_back({line.size() > 23 ? line.substr(23, 40) : ""});
      continue;
    }
    if (inSheet) sheets.back().push_back(line.empty() ? "   " : line);
  }
  return sheets;
}

}  // namespace

int main() {
  gen::TGenOptions o;
  o.seed = 7;
  o.companies = 6;
  o.filingsPerCompany = 1;
  o.sheetsPerFiling = 6000;
  o.withErrors = false;
  std::string filing;
  int sheets = 0;
  for (const auto& f : gen::GenerateFilings(o)) {
    filing += f.text;
    sheets += f.sheets;
  }
  const auto texts = SheetTexts(filing);
  std::printf("sheet texts: %zu\n", texts.size());
  const fsys::path dir = fsys::temp_directory_path() / ("vorne-bench-import-" + std::to_string(::getpid()));
  TQuietPort port(TAnswer::No);
  TEnv env{RealFileSystem(), port};

  double best = 1e9, bestBase = 1e9;
  for (int run = 0; run < 5; ++run) {
    fsys::remove_all(dir);
    fsys::create_directories(dir / "base");
    fsys::create_directories(dir / "lib");
    Settle();
    bestBase = std::min(bestBase, Seconds([&] {
      auto out = OutDataBuffer::Create(env, (dir / "base" / "TarDBF").string(), false);
      for (const auto& t : texts) out->WriteSheet(t);
      out->Close();
    }));
    int added = 0;
    Settle();
    best = std::min(best, Seconds([&] {
      TFileCluster cluster(env, false);
      TOutputMode mode;
      mode.rewrite = true;
      cluster.SetOutputMode(&mode);
      cluster.Open((dir / "lib" / "Prime4").string(), true);
      cluster.ReadAll();
      TAddFilings add(env, nullptr, nullptr, nullptr);
      add.ImportText(cluster, filing, "BENCH.ASC");
      cluster.CloseBuffer();
      cluster.CloseHdr();
      cluster.FlushNew();
      added = add.SheetsAdded();
    }));
    if (run == 0) std::printf("filing: %d sheets, %zu bytes; imported %d sheets\n", sheets, filing.size(), added);
  }
  fsys::remove_all(dir);
  std::printf("import:      %.3f s  %.0f sheets/s\n", best, sheets / best);
  std::printf("page writer: %.3f s  %.0f sheets/s\n", bestBase, sheets / bestBase);
  std::printf("ratio import / page writer: %.2fx (target <= 2x)\n", best / bestBase);
  return 0;
}
