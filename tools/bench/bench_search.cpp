// Find in Library benchmark: a generated library of 100,000 sheets (87,500
// and an imported company of 12,500), each measure against its baseline:
//   full index build       / reading every sheet's text once    (target <= 3x)
//   refresh after importing one volume / reading that volume    (target <= 2x)
// in both library forms, each the best of three rounds (wall time, with the
// processor time of all threads beside it: the index is written on as many
// threads as there are processors, the reads use read-ahead), and
//   query latency p50, p95 over 20 queries (index made current, hits chosen
//   and ordered, the snippets of the first 50)  / the existing sequential
//   find of the sheet list over the same sheets for the same words (target
//   p95 at least 200x faster and under 50 ms)
// on the uncompressed library (the faster one to read sequentially).
// The sequential find is run as the desktop runs Find in Text: each volume
// listed in the sheet list, the find started at its first sheet and Find Next
// pressed at once after every hit until "End of Search". A plain scan
// (every text read once with read-ahead and searched the same way) is shown
// beside it: no sequential find can be faster.
// Also the index's size per 1,000 sheets and the process's memory (max RSS,
// and the RSS after the first and the last round of searches).
// --index measures the index alone, --queries the searches without the
// sequential finds (for profiling).
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "FilingGenerator.h"
#include "filings/FilingImport.h"
#include "platform/FileSystem.h"
#include "platform/Workers.h"
#include "search/Find.h"
#include "sheets/SheetList.h"
#include "sheets/SheetText.h"
#include "sheets/TextSearch.h"
#include "store/Cluster.h"
#include "store/Headers.h"
#include "store/TextReader.h"

#include "BenchPort.h"

using namespace vorne;
namespace fsys = std::filesystem;

namespace {

// The prime file of a library of either form.
std::string PrimeOf(const fsys::path& lib, bool compressed) { return (lib / (compressed ? "GZPrime" : "Prime4")).string(); }

void Import(TEnv& env, const fsys::path& lib, bool compressed, const std::string& filing, bool rewrite) {
  TFileCluster cluster(env, compressed);
  TOutputMode mode;
  mode.rewrite = rewrite;
  mode.append = !rewrite;
  cluster.SetOutputMode(&mode);
  cluster.Open(PrimeOf(lib, compressed), true);
  cluster.ReadAll();
  TAddFilings add(env, nullptr, nullptr, nullptr);
  add.ImportText(cluster, filing, "BENCH.ASC");
  cluster.CloseBuffer();
  cluster.CloseHdr();
  cluster.FlushNew();
}

// Every sheet's text of the volumes accepted, read once as a reader of the
// library reads it; visit(lines) for each sheet. Returns the sheet count.
template <class TVisit>
size_t ReadSheets(TEnv& env, const fsys::path& lib, bool compressed,
                  const std::function<bool(const TPrimeRef&)>& accept, TVisit&& visit) {
  TFileCluster cluster(env, compressed);
  cluster.Open(PrimeOf(lib, compressed), false);
  cluster.ReadAll();
  cluster.OpenBuffer();
  cluster.Buffer()->ReadAhead(true);
  size_t n = 0;
  std::vector<std::string> lines;
  for (const auto& v : cluster.Volumes()) {
    if (!accept(*v)) continue;
    THdrList list(*v, nullptr);
    list.Load();
    TNamedSheets sheets;
    TAuxList<T5Entry> issuers;
    TAuxList<T6Entry> dockets;
    list.FillSheets(sheets, issuers, dockets);
    for (auto& [name, sheet] : sheets) {
      int32_t longest = 0, count = 0;
      cluster.Buffer()->SheetText(sheet->body.text, lines, longest, count);
      visit(lines);
      ++n;
    }
  }
  return n;
}

// The sheets of every volume in which the sheet list's Find in Text stops,
// Find Next pressed after each hit.
size_t ExistingFind(TEnv& env, TFileCluster& cluster, const std::string& phrase) {
  size_t hits = 0;
  for (const auto& v : cluster.Volumes()) {
    THdrList list(*v, nullptr);
    list.Load();
    THdrForm form(env, THdrForm::kBrowse, nullptr);
    form.SetCluster(&cluster);
    form.FillList(list);
    TSheetDisplay display(form);
    form.Select(0);
    display.FindDialogFind(phrase, true);
    while (display.FindRunning()) {
      if (display.FindWaiting()) ++hits;
      display.ExitBtnClick();
    }
  }
  return hits;
}

long RssKb() {
  long pages = 0, resident = 0;
  if (FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

// Processor time of the whole process (every thread), in seconds.
double CpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// The wall time of f and the processor time it took.
struct TTimes {
  double wall = 1e9, cpu = 1e9;
};
TTimes Measure(const std::function<void()>& f) {
  const double cpu = CpuSeconds();
  TTimes t;
  t.wall = Seconds(f);
  t.cpu = CpuSeconds() - cpu;
  return t;
}
void KeepBest(TTimes& best, const TTimes& t) {
  if (t.wall < best.wall) best = t;
}

long MaxRssKb() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}

double Percentile(std::vector<double> v, double p) {
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, size_t(p * double(v.size() - 1) + 0.5))];
}

}  // namespace

int main(int argc, char** argv) {
  const std::string only = argc > 1 ? argv[1] : "";
  const bool indexOnly = only == "--index", queriesOnly = only == "--queries";
  gen::TGenOptions o;
  o.seed = 25;
  o.companies = 8;
  o.filingsPerCompany = 1;
  o.sheetsPerFiling = 12500;
  o.withErrors = false;
  std::vector<gen::TGenFiling> filings = gen::GenerateFilings(o);
  const fsys::path dir = fsys::temp_directory_path() / ("vorne-bench-search-" + std::to_string(::getpid()));
  const fsys::path lib = dir / "lib";
  const std::string cache = (dir / "cache").string();
  fsys::remove_all(dir);
  TQuietPort port(TAnswer::No);
  TEnv env{RealFileSystem(), port};
  // Both forms of the library of all companies but the last: the last is
  // the import the refresh follows.
  {
    std::string most;
    for (size_t i = 0; i + 1 < filings.size(); ++i) most += filings[i].text;
    for (bool compressed : {false, true}) {
      fsys::create_directories(dir / (compressed ? "zipped" : "plain"));
      Import(env, dir / (compressed ? "zipped" : "plain"), compressed, most, true);
    }
  }
  // The memory figures below are the index's and the searches', not the filings'.
  const std::string lastFiling = std::move(filings.back().text);
  filings = {};
  const auto all = [](const TPrimeRef&) { return true; };
  const auto volumesOf = [&](bool compressed) {
    std::set<int32_t> firsts;
    TFileCluster c(env, compressed);
    c.Open(PrimeOf(lib, compressed), false);
    c.ReadAll();
    for (const auto& v : c.Volumes()) firsts.insert(v->record.firstHdr);
    return firsts;
  };

  // Each form in three rounds, each from the library as it was before the
  // import and without an index; the best round of each measure counts, so
  // that a busy moment of the machine decides no ratio. The uncompressed
  // library of the last round, imported and indexed, is searched below.
  std::unique_ptr<TLibraryIndex> index;
  for (bool compressed : {true, false}) {
    TTimes read, build, readAdded, refresh;
    size_t sheets = 0, bytes = 0, added = 0, reindexed = 0;
    for (int round = 0; round < 3; ++round) {
      index.reset();
      fsys::remove_all(lib);
      fsys::remove_all(cache);
      fsys::copy(dir / (compressed ? "zipped" : "plain"), lib, fsys::copy_options::recursive);
      Settle();
      KeepBest(read, Measure([&] {
        bytes = 0;
        sheets = ReadSheets(env, lib, compressed, all, [&](const std::vector<std::string>& lines) {
          for (const auto& l : lines) bytes += l.size();
        });
      }));
      index = std::make_unique<TLibraryIndex>(env, PrimeOf(lib, compressed), compressed, cache);
      Settle();
      KeepBest(build, Measure([&] { index->Refresh(); }));
      // One more company's filing imported: a new volume, which the refresh reads.
      const std::set<int32_t> old = volumesOf(compressed);
      Import(env, lib, compressed, lastFiling, false);
      Settle();
      KeepBest(refresh, Measure([&] { index->Refresh(); }));
      reindexed = index->LastRefresh().indexed;
      Settle();
      KeepBest(readAdded, Measure([&] {
        added = ReadSheets(env, lib, compressed, [&](const TPrimeRef& v) { return !old.count(v.record.firstHdr); },
                           [](const std::vector<std::string>&) {});
      }));
    }
    std::printf("%s library: %zu sheets, %zu bytes of text; best of 3 rounds (processor time of all threads)\n",
                compressed ? "compressed" : "uncompressed", sheets, bytes);
    std::printf("  read every sheet's text:  %.3f s (cpu %.3f s)\n", read.wall, read.cpu);
    std::printf("  full index build:         %.3f s (cpu %.3f s)  %.2fx the read; target <= 3x\n", build.wall,
                build.cpu, build.wall / read.wall);
    std::printf("  read the imported volume: %.3f s (cpu %.3f s)  %zu sheets\n", readAdded.wall, readAdded.cpu, added);
    std::printf("  refresh after the import: %.3f s (cpu %.3f s)  %.2fx the read; target <= 2x; %zu volume(s) indexed\n",
                refresh.wall, refresh.cpu, refresh.wall / readAdded.wall, reindexed);
    const size_t indexed = index->SheetCount();
    double kb = 0;
    for (const std::string& file : index->Files()) kb += double(fsys::file_size(file)) / 1024.0;
    std::printf("  index: %zu sheets, %zu file(s), %.0f KiB, %.1f KiB per 1,000 sheets\n", indexed,
                index->Files().size(), kb, kb * 1000.0 / double(indexed));
  }
  std::printf("threads: %d\n", WorkerThreads());
  if (indexOnly) {
    index.reset();
    fsys::remove_all(dir);
    return 0;
  }
  TLibraryIndex& searched = *index;
  const std::string prime = PrimeOf(lib, false);

  // Twenty queries of the kinds people type: rare and common words, phrases,
  // prefixes, OR, and a word found nowhere. The sequential find knows
  // neither OR nor prefixes: it gets the first part, or the whole word.
  const std::vector<std::pair<std::string, std::string>> queries = {
      {"fuel", "fuel"},
      {"rate schedule", "rate schedule"},
      {"\"rate schedule\"", "rate schedule"},
      {"transport*", "transporter"},
      {"firm OR interruptible", "firm"},
      {"\"fuel retention\"", "fuel retention"},
      {"gas pipeline", "gas pipeline"},
      {"storage", "storage"},
      {"curtailment", "curtailment"},
      {"shipper", "shipper"},
      {"\"general terms and conditions\"", "general terms and conditions"},
      {"delivery point", "delivery point"},
      {"receipt OR delivery", "receipt"},
      {"withdrawal", "withdrawal"},
      {"sched*", "schedule"},
      {"ZOAK", "ZOAK"},
      {"imbalance", "imbalance"},
      {"\"force majeure\"", "force majeure"},
      {"reservation charge", "reservation charge"},
      {"quagmirezzz", "quagmirezzz"},
  };
  std::vector<int32_t> volumes;
  for (int32_t v : volumesOf(false)) volumes.push_back(v);
  TSilentPort silent;
  TEnv quiet{RealFileSystem(), silent};
  TFileCluster browsed(quiet, false);
  browsed.Open(prime, false);
  browsed.ReadAll();
  std::vector<double> fast, slow, plain;
  const long rssBefore = MaxRssKb();
  long rssFirstRound = 0;
  size_t totalHits = 0;
  constexpr int kRounds = 5;
  std::vector<std::vector<double>> runs(queries.size());
  std::vector<size_t> hits(queries.size());
  for (int r = 0; r < kRounds; ++r) {
    for (size_t qi = 0; qi < queries.size(); ++qi) {
      runs[qi].push_back(Seconds([&] {
        TFindRequest request;
        request.query = queries[qi].first;
        request.volumes = volumes;
        const TFindAnswer answer = FindInLibrary(searched, request);
        std::string error;
        const TQuery q = *TQuery::Parse(request.query, error);
        for (size_t i = 0; i < answer.hits.size() && i < 50; ++i) Snippet(q, searched.Text(*answer.hits[i]));
        hits[qi] = answer.hits.size();
      }));
    }
    if (r == 0) rssFirstRound = RssKb();
  }
  for (size_t qi = 0; qi < queries.size(); ++qi) {
    const auto& [query, phrase] = queries[qi];
    totalHits += hits[qi];
    fast.push_back(Percentile(runs[qi], 0.5));
    size_t found = 0, scanned = 0;
    if (queriesOnly) {
      std::printf("  %-34s %6zu hits %7.2f ms\n", query.c_str(), hits[qi], fast.back() * 1000);
      continue;
    }
    slow.push_back(Seconds([&] { found = ExistingFind(quiet, browsed, phrase); }));
    const TSearchPhrase words(phrase);
    plain.push_back(Seconds([&] {
      ReadSheets(env, lib, false, all, [&](std::vector<std::string>& lines) {
        // The sheet text window searches the text without its title line.
        if (!lines.empty()) lines.erase(lines.begin());
        TSearchPage page(std::move(lines));
        if (page.Search(words)) ++scanned;
      });
    }));
    std::printf("  %-34s %6zu hits %7.2f ms   existing find: %6zu sheets %7.0f ms   plain scan: %6zu %5.0f ms\n",
                query.c_str(), hits[qi], fast.back() * 1000, found, slow.back() * 1000, scanned, plain.back() * 1000);
  }
  const double p50 = Percentile(fast, 0.5), p95 = Percentile(fast, 0.95);
  if (queriesOnly) {
    std::printf("query latency: p50 %.2f ms, p95 %.2f ms\n", p50 * 1000, p95 * 1000);
    index.reset();
    fsys::remove_all(dir);
    return 0;
  }
  const double s50 = Percentile(slow, 0.5), s95 = Percentile(slow, 0.95);
  const double c50 = Percentile(plain, 0.5), c95 = Percentile(plain, 0.95);
  std::printf("query latency: p50 %.2f ms, p95 %.2f ms (target p95 < 50 ms); %zu hits in all\n", p50 * 1000,
              p95 * 1000, totalHits);
  std::printf("existing find: p50 %.0f ms, p95 %.0f ms; speed-up p50 %.0fx, p95 %.0fx (target >= 200x)\n", s50 * 1000,
              s95 * 1000, s50 / p50, s95 / p95);
  std::printf("plain scan:    p50 %.0f ms, p95 %.0f ms; speed-up p50 %.0fx, p95 %.0fx\n", c50 * 1000, c95 * 1000,
              c50 / p50, c95 / p95);
  std::printf("memory: max RSS %ld KiB after the build, %ld KiB after the searches; RSS %ld KiB after the first of %d "
              "rounds of searches, %ld KiB after the last\n",
              rssBefore, MaxRssKb(), rssFirstRound, kRounds, RssKb());
  index.reset();
  fsys::remove_all(dir);
  return 0;
}
