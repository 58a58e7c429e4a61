// Import benchmark: generates one large filing (about 50,000 sheets), imports
// it into a fresh uncompressed library, and compares the import's speed with
// writing the same sheet texts straight through the store's page writer in
// the same run. Target: the import takes at most 2x the page writer's time.
//
// The import has the writer write full windows behind (on a second thread)
// while it reads on. The writer is timed both ways, writing in place as by
// default and writing behind as the import does; the ratio the target applies
// to is against the faster of the two. Both sides end with their text on the
// disk (the import flushes each volume's before linking it), so the ratio
// measures the work, not whether a flush was asked for.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "FilingGenerator.h"
#include "filings/FilingImport.h"
#include "platform/FileSystem.h"
#include "store/Cluster.h"
#include "store/Headers.h"
#include "store/TextReader.h"
#include "store/TextWriter.h"

#include "BenchPort.h"

using namespace vorne;
namespace fsys = std::filesystem;

namespace {

// Imports the filing into a new uncompressed library in dir; the number of
// sheets added.
int Import(TEnv& env, const fsys::path& dir, const std::string& filing) {
  TFileCluster cluster(env, false);
  TOutputMode mode;
  mode.rewrite = true;
  cluster.SetOutputMode(&mode);
  cluster.Open((dir / "Prime4").string(), true);
  cluster.ReadAll();
  TAddFilings add(env, nullptr, nullptr, nullptr);
  add.ImportText(cluster, filing, "BENCH.ASC");
  cluster.CloseBuffer();
  cluster.CloseHdr();
  cluster.FlushNew();
  return add.SheetsAdded();
}

// The text of every sheet as the import stored it (titles title-cased, lines
// trimmed, the type 4 title, the layout check's cuts): the page writer's
// baseline writes exactly these. The lines lie one after the other in one
// text, as the import's lie in the filing, so that the baseline is not slowed
// by reaching for scattered strings.
struct TStoredTexts {
  std::string text;
  std::vector<std::vector<std::string_view>> sheets;
};

// Imports the filing into a new library at dir and reads its sheets back.
TStoredTexts StoredTexts(TEnv& env, const fsys::path& dir, const std::string& filing) {
  fsys::create_directories(dir);
  Import(env, dir, filing);
  std::vector<std::vector<std::string>> texts;
  size_t bytes = 0;
  TFileCluster cluster(env, false);
  cluster.Open((dir / "Prime4").string(), false);
  cluster.ReadAll();
  cluster.OpenBuffer();
  for (const auto& v : cluster.Volumes()) {
    THdrList list(*v, nullptr);
    list.Load();
    TNamedSheets sheets;
    TAuxList<T5Entry> issuers;
    TAuxList<T6Entry> dockets;
    list.FillSheets(sheets, issuers, dockets);
    for (auto& [name, sheet] : sheets) {
      std::vector<std::string> lines;
      int32_t longest = 0, count = 0;
      cluster.Buffer()->SheetText(sheet->body.text, lines, longest, count);
      for (const std::string& l : lines) bytes += l.size();
      texts.push_back(std::move(lines));
    }
  }
  cluster.CloseBuffer();
  TStoredTexts stored;
  stored.text.reserve(bytes);
  std::vector<std::vector<std::pair<size_t, size_t>>> at;
  for (const auto& lines : texts) {
    auto& sheet = at.emplace_back();
    for (const std::string& l : lines) {
      sheet.emplace_back(stored.text.size(), l.size());
      stored.text += l;
    }
  }
  for (const auto& sheet : at) {
    auto& views = stored.sheets.emplace_back();
    for (auto [from, n] : sheet) views.push_back(std::string_view(stored.text).substr(from, n));
  }
  return stored;
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
  const fsys::path dir = fsys::temp_directory_path() / ("vorne-bench-import-" + std::to_string(::getpid()));
  TQuietPort port(TAnswer::No);
  TEnv env{RealFileSystem(), port};
  fsys::remove_all(dir);
  const auto texts = StoredTexts(env, dir / "texts", filing);
  std::printf("sheet texts: %zu\n", texts.sheets.size());

  double best = 1e9, bestInPlace = 1e9, bestBehind = 1e9;
  for (int run = 0; run < 7; ++run) {
    fsys::remove_all(dir);
    fsys::create_directories(dir / "base");
    fsys::create_directories(dir / "lib");
    for (bool behind : {false, true}) {
      Settle();
      double& bestBase = behind ? bestBehind : bestInPlace;
      bestBase = std::min(bestBase, Seconds([&] {
        auto out = OutDataBuffer::Create(env, (dir / "base" / (behind ? "Behind" : "InPlace")).string(), false);
        out->WriteBehind(behind);
        for (const auto& t : texts.sheets) out->WriteSheet(std::span<const std::string_view>(t));
        // On the disk, as the import leaves its text before it reports success.
        out->FlushToDisk();
        out->Close();
      }));
    }
    int added = 0;
    Settle();
    best = std::min(best, Seconds([&] {
      added = Import(env, dir / "lib", filing);
    }));
    if (run == 0) std::printf("filing: %d sheets, %zu bytes; imported %d sheets\n", sheets, filing.size(), added);
  }
  fsys::remove_all(dir);
  const double bestBase = std::min(bestInPlace, bestBehind);
  std::printf("import:                       %.3f s  %.0f sheets/s\n", best, sheets / best);
  std::printf("page writer, writing in place: %.3f s  %.0f sheets/s  (import / it: %.2fx)\n", bestInPlace,
              sheets / bestInPlace, best / bestInPlace);
  std::printf("page writer, writing behind:   %.3f s  %.0f sheets/s  (import / it: %.2fx)\n", bestBehind,
              sheets / bestBehind, best / bestBehind);
  std::printf("ratio import / page writer: %.2fx (target <= 2x)\n", best / bestBase);
  return 0;
}
