// Find in Library's index against a plain scan of every sheet's text: the
// query language, agreement on generated libraries of both forms, the
// refresh after each kind of change, and a damaged index file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <set>

#include "search/Find.h"
#include "search/LibraryIndex.h"
#include "search/Query.h"
#include "platform/Workers.h"
#include "store/Cluster.h"
#include "store/Headers.h"
#include "store/TextReader.h"
#include "support/BatchRunner.h"
#include "support/LibraryBuilder.h"
#include "support/ScriptedPort.h"
#include "support/SheetTexts.h"
#include "volumes/Selection.h"

namespace vorne {
namespace {

using testing::TSheetPlan;
using testing::TVolumePlan;

TQuery Q(const std::string& text) {
  std::string error;
  auto q = TQuery::Parse(text, error);
  EXPECT_TRUE(q) << text << ": " << error;
  return q ? *q : TQuery();
}

bool Holds(const std::string& query, const std::string& text) { return Q(query).Matches(SplitWords(text)); }

std::string ErrorOf(const std::string& text) {
  std::string error;
  EXPECT_FALSE(TQuery::Parse(text, error)) << text;
  return error;
}

TEST(FindQueryLanguage, WordsPhrasesPrefixesOrAndCase) {
  const std::string sheet = "FIRM TRANSPORTATION SERVICE\nRate Schedule FT-1 applies to\n  fuel retention of 2.5%";
  EXPECT_TRUE(Holds("schedule rate", sheet));       // any order
  EXPECT_FALSE(Holds("schedule interruptible", sheet));
  EXPECT_TRUE(Holds("\"service rate schedule\"", sheet));  // across a line end
  EXPECT_FALSE(Holds("\"rate service\"", sheet));
  EXPECT_TRUE(Holds("transport*", sheet));
  EXPECT_FALSE(Holds("port*", sheet));               // a prefix begins a word
  EXPECT_FALSE(Holds("transport", sheet));
  EXPECT_TRUE(Holds("interruptible OR firm", sheet));
  EXPECT_TRUE(Holds("interruptible OR \"fuel retention\" applies", sheet));
  EXPECT_FALSE(Holds("interruptible OR storage", sheet));
  EXPECT_TRUE(Holds("ft-1", sheet));                 // a bare part of two words is a phrase of them
  EXPECT_TRUE(Holds("\"2 5\"", sheet));
  EXPECT_TRUE(Holds("or firm", sheet + " or"));      // lower-case or is a word
  EXPECT_FALSE(Holds("or firm", sheet));
  // Windows-1252 letters fold by the program's case rules.
  const std::string accented = "Compa\xF1\xED" "a de Gas del Ni\xD1O, \xC9TAT\n\x8Aindel";
  EXPECT_TRUE(Holds("COMPA\xD1\xCD" "A", accented));
  EXPECT_TRUE(Holds("ni\xF1o \xE9tat", accented));
  EXPECT_TRUE(Holds("\x9Aind*", accented));
  EXPECT_FALSE(Holds("compana", accented));

  EXPECT_EQ(ErrorOf("rate \"firm service"), "character 6: the quote is not closed");
  EXPECT_EQ(ErrorOf("OR rate"), "character 1: OR needs a part before it");
  EXPECT_EQ(ErrorOf("rate OR"), "character 6: OR needs a part after it");
  EXPECT_EQ(ErrorOf("ra*te"), "character 3: * may only end a word");
  EXPECT_EQ(ErrorOf("rate \"\""), "character 6: the quotes hold no word");
  EXPECT_EQ(ErrorOf("   "), "the query holds no word to find");
  EXPECT_EQ(ErrorOf("rate --"), "character 6: \"--\" holds no letter or digit");
  // What reaches the full-text engine is only quoted index terms.
  EXPECT_EQ(Q("Rate NEAR(x) OR fu* \"a b\"").MatchExpression(),
            "(\"rate\") AND (\"near x\" OR \"fu\" *) AND (\"a b\")");

  EXPECT_EQ(Snippet(Q("schedule OR fuel"), sheet),
            "SERVICE Rate [Schedule] FT-1 applies to [fuel] retention of 2.5%");
  const std::string longText = std::string(200, 'x') + " the rate is " + std::string(200, 'y');
  const std::string snip = Snippet(Q("rate"), longText);
  EXPECT_LE(snip.size(), 80u);
  EXPECT_NE(snip.find("the [rate] is"), std::string::npos);
}

// A library of generated sheets, a temporary cache folder for its index, and
// the plain scan the index must agree with.
class LibraryIndexTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = testing::TestTempDir("vorne-index-");
    cache_ = (dir_ / "cache").string();
  }
  void TearDown() override {
    SetWorkerThreadsForTesting(std::nullopt);
    std::filesystem::remove_all(dir_);
  }

  std::string Build(const std::vector<TVolumePlan>& volumes, bool compressed = true) {
    return testing::BuildLibrary(env_, (dir_ / "lib").string(), compressed, volumes);
  }

  static std::vector<TVolumePlan> Generated(unsigned seed, int volumes, int sheets) {
    static const char* kWords[] = {"rate",  "schedule", "firm",       "interruptible", "fuel", "retention",
                                   "gas",   "storage",  "transport",  "transportation", "service", "ZOAK",
                                   "docket", "RP96-1-000", "Compa\xF1\xED" "a", "COMPA\xD1\xCD" "A", "\xE9tat", "tariff",
                                   "volume", "pipeline", "2.5%", "shipper", "point", "receipt", "delivery"};
    std::mt19937 rng(seed);
    std::vector<TVolumePlan> out;
    for (int v = 0; v < volumes; ++v) {
      TVolumePlan plan;
      plan.companyCode = uint32_t(100 + v * 7);
      plan.company = "Pipeline Company " + std::to_string(v);
      plan.volId = std::to_string(v % 3 + 1);
      for (int s = 0; s < sheets; ++s) {
        TSheetPlan sheet;
        sheet.sheetNo = std::to_string(s / 2 + 1);
        sheet.rev = s % 2;
        sheet.status = uint8_t(rng() % 7);
        sheet.effectiveDate = uint16_t((55 << 9) | (uint16_t(rng() % 12 + 1) << 5) | uint16_t(rng() % 28 + 1));
        sheet.lines = {"Sheet No. " + sheet.sheetNo};
        const int lines = int(rng() % 8) + 1;
        for (int l = 0; l < lines; ++l) {
          std::string line;
          const int n = int(rng() % 9);
          for (int w = 0; w < n; ++w) line += std::string(w ? (rng() % 5 ? " " : "  ") : "") + kWords[rng() % 25];
          sheet.lines.push_back(line);
        }
        plan.sheets.push_back(sheet);
      }
      out.push_back(plan);
    }
    return out;
  }

  // Every sheet of the library (volume FirstHdr, SheetRecord position) whose
  // text holds the query, read sheet by sheet.
  std::set<std::pair<int32_t, int32_t>> Scan(const std::string& prime, bool compressed, const TQuery& q) {
    std::set<std::pair<int32_t, int32_t>> found;
    TFileCluster cluster(env_, compressed);
    EXPECT_TRUE(cluster.Open(prime, false));
    testing::ForEachSheetText(cluster, [&](const auto& v, const std::string&, const auto& s, const std::string& text) {
      if (q.Matches(SplitWords(text))) found.emplace(v.record.firstHdr, s->position);
    });
    return found;
  }

  std::set<std::string> LibraryFiles() {
    std::set<std::string> files;
    for (const auto& e : std::filesystem::directory_iterator(dir_ / "lib"))
      files.insert(e.path().filename().string() + ":" + std::to_string(std::filesystem::file_size(e.path())) + ":" +
                   std::to_string(std::filesystem::last_write_time(e.path()).time_since_epoch().count()));
    return files;
  }

  static std::set<std::pair<int32_t, int32_t>> Keys(const THits& hits) {
    std::set<std::pair<int32_t, int32_t>> keys;
    for (const TIndexedSheet* h : hits) keys.emplace(h->volumeRecord, h->position);
    return keys;
  }

  THits Search(TLibraryIndex& index, const std::string& query) {
    EXPECT_NE(index.Refresh(), TLibraryIndex::TRefresh::Failed) << index.Error();
    return index.Search(Q(query));
  }

  testing::TScriptedPort port_;
  TEnv env_{RealFileSystem(), port_};
  std::filesystem::path dir_;
  std::string cache_;
};

const char* kQueries[] = {"rate",          "rate schedule",       "\"rate schedule\"",  "transport*",
                          "firm OR storage fuel", "compa\xF1\xED" "a",  "\xC9TAT OR ZOAK",   "rp96-1-000",
                          "\"fuel retention gas\"", "sh*",             "\"schedule firm\"*", "2.5",
                          "pipeline delivery receipt point", "t*",     "volume OR tariff OR docket", "nothing"};

TEST_F(LibraryIndexTest, AgreesWithAPlainScanInBothFormsOnAnyNumberOfThreads) {
  // Compressed on three threads (three term tables written at once),
  // uncompressed on one (one table, written by the reading thread).
  for (bool compressed : {true, false}) {
    SetWorkerThreadsForTesting(compressed ? 3 : 1);
    const std::string prime = Build(Generated(compressed ? 7 : 8, 6, 40), compressed);
    const auto filesBefore = LibraryFiles();
    TLibraryIndex index(env_, prime, compressed, cache_);
    std::vector<std::pair<size_t, size_t>> progress;
    ASSERT_EQ(index.Refresh([&](size_t done, size_t total) {
      progress.emplace_back(done, total);
      // Called again from its own progress: busy, and nothing is disturbed.
      EXPECT_EQ(index.Refresh(), TLibraryIndex::TRefresh::Failed);
      EXPECT_TRUE(index.Search(Q("rate")).empty());
      return true;
    }), TLibraryIndex::TRefresh::Updated);
    EXPECT_EQ(progress.front(), std::make_pair(size_t(0), size_t(6)));
    EXPECT_EQ(progress.back(), std::make_pair(size_t(6), size_t(6)));
    EXPECT_EQ(index.SheetCount(), 240u);
    EXPECT_TRUE(index.FilePath().starts_with(cache_));
    size_t total = 0;
    for (const char* query : kQueries) {
      const auto hits = index.Search(Q(query));
      EXPECT_EQ(Keys(hits), Scan(prime, compressed, Q(query))) << query;
      total += hits.size();
    }
    EXPECT_GT(total, 500u);
    // Nothing was written into the library folder.
    EXPECT_EQ(LibraryFiles(), filesBefore);
    EXPECT_EQ(index.Files().size(), compressed ? 3u : 1u);
    // Current: a second refresh reads no volume.
    EXPECT_EQ(index.Refresh(), TLibraryIndex::TRefresh::Current);
    // Opened again with the threads switched the other way: the same answers.
    SetWorkerThreadsForTesting(compressed ? 1 : 3);
    TLibraryIndex again(env_, prime, compressed, cache_);
    EXPECT_EQ(again.Refresh(), TLibraryIndex::TRefresh::Current);
    for (const char* query : {"rate schedule", "\"schedule firm\"*", "\xC9TAT OR ZOAK"})
      EXPECT_EQ(Keys(again.Search(Q(query))), Scan(prime, compressed, Q(query))) << query;
    std::filesystem::remove_all(dir_ / "lib");
    std::filesystem::remove_all(cache_);
  }
}

// Texts of every byte from blank up, words of any length among them: what
// the index finds of words, prefixes and phrases taken from those texts is
// what the scan finds (the folding and the bytes above 0x7F written for the
// full-text engine must not change a word's letters or its prefixes).
TEST_F(LibraryIndexTest, AgreesWithAPlainScanOnTextsOfEveryByte) {
  std::mt19937 rng(1252);
  auto byte = [&](bool letter) {
    for (;;) {
      const char c = char(0x20 + rng() % 0xE0);
      if (IsWordChar(c) == letter) return c;
    }
  };
  std::vector<TVolumePlan> volumes = Generated(31, 2, 0);
  std::vector<std::string> words, pairs;  // pairs: two words in a row somewhere
  for (auto& v : volumes) {
    for (int s = 0; s < 60; ++s) {
      TSheetPlan sheet;
      sheet.sheetNo = std::to_string(s + 1);
      sheet.lines = {"Sheet No. " + sheet.sheetNo};
      for (int l = 0; l < 4; ++l) {
        std::string line, last;
        while (line.size() < 70) {
          std::string word;
          const size_t n = rng() % 40 == 0 ? 60 : 1 + rng() % 6;  // now and then one long word
          while (word.size() < n) word += byte(true);
          if (rng() % 3 == 0) words.push_back(word);
          if (!last.empty() && rng() % 3 == 0) pairs.push_back(last + " " + word);
          line += word;
          line += byte(false);
          last = word;
        }
        sheet.lines.push_back(line);
      }
      v.sheets.push_back(sheet);
    }
  }
  const std::string prime = Build(volumes);
  TLibraryIndex index(env_, prime, true, cache_);
  ASSERT_EQ(index.Refresh(), TLibraryIndex::TRefresh::Updated);
  for (int k = 0; k < 60; ++k) {
    const std::string& w = words[rng() % words.size()];
    const std::string& next = words[rng() % words.size()];
    std::string query;
    switch (k % 4) {
      case 0: query = "\"" + w + "\""; break;
      case 1: query = "\"" + w.substr(0, 1 + rng() % w.size()) + "\"*"; break;
      case 2: query = "\"" + pairs[rng() % pairs.size()] + "\""; break;
      default: query = "\"" + w + "\" OR \"" + next.substr(0, 2) + "\"*"; break;
    }
    std::string error;
    const auto q = TQuery::Parse(query, error);
    ASSERT_TRUE(q) << error;
    EXPECT_EQ(Keys(index.Search(*q)), Scan(prime, true, *q)) << query;
  }
}

TEST_F(LibraryIndexTest, HitsShowInBrowseOrderWithTheSelection) {
  std::vector<TVolumePlan> volumes = Generated(3, 2, 0);
  for (int v = 0; v < 2; ++v) {
    for (int s : {3, 1, 2}) {
      TSheetPlan sheet;
      sheet.sheetNo = std::to_string(s);
      sheet.lines = {"Original Sheet No. " + sheet.sheetNo, "Firm rate for \tshipper " + std::to_string(v)};
      sheet.status = s == 2 ? kPending : kEffective;
      sheet.effectiveDate = uint16_t((55 << 9) | (1 << 5) | 5);
      volumes[size_t(v)].sheets.push_back(sheet);
    }
  }
  volumes[1].company = "A Company";
  const std::string prime = Build(volumes);
  TLibraryIndex index(env_, prime, true, cache_);
  auto hits = Search(index, "\"firm rate\"");
  ASSERT_EQ(hits.size(), 6u);
  std::vector<int32_t> order;
  {
    TFileCluster cluster(env_, true);
    cluster.Open(prime, false);
    cluster.ReadAll();
    for (const auto& v : cluster.Volumes()) order.push_back(v->record.firstHdr);
  }
  TSelection effective;
  effective.StatusSet = {kEffective};
  effective.StatusSelect = true;
  const auto chosen = index.Search(Q("\"firm rate\""), &order, &effective);
  std::vector<std::string> lines;
  for (const TIndexedSheet* h : chosen) lines.push_back(HitLine(*h, Snippet(Q("\"firm rate\""), index.Text(*h))));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], std::string("000107\tA Company\tZOAK Gas Tariff\tOriginal Sheet No. 1\tEffective\t1/5/2005\t") +
                          "Sheet No. 1 [Firm rate] for shipper 1");
  EXPECT_NE(lines[1].find("Sheet No. 3"), std::string::npos);
  EXPECT_EQ(lines[2].substr(0, 35), "000100\tPipeline Company 0\tZOAK Gas ");
  // The volume list in another order: the hits follow it.
  const std::vector<int32_t> reversedOrder{order[1], order[0]};
  const auto reversed = index.Search(Q("\"firm rate\""), &reversedOrder);
  ASSERT_EQ(reversed.size(), 6u);
  EXPECT_EQ(reversed[0]->Company(), "Pipeline Company 0");
  const std::vector<int32_t> second{order[1]};
  EXPECT_EQ(index.Search(Q("\"firm rate\""), &second).size(), 3u);
}

TEST_F(LibraryIndexTest, RefreshFollowsEveryKindOfChange) {
  std::vector<TVolumePlan> volumes = Generated(11, 3, 10);
  const std::string prime = Build(volumes);
  TLibraryIndex index(env_, prime, true, cache_);
  ASSERT_EQ(index.Refresh(), TLibraryIndex::TRefresh::Updated);

  // An import adds a volume: only that volume is read.
  TVolumePlan added = Generated(12, 1, 4)[0];
  added.companyCode = 999;
  added.sheets[0].lines.push_back("Quagmire clause");
  added.sheets[0].status = kEffective;
  volumes.push_back(added);
  Build(volumes);
  EXPECT_EQ(Search(index, "quagmire").size(), 1u);
  EXPECT_EQ(index.LastRefresh().indexed, 1u);
  EXPECT_EQ(index.LastRefresh().dropped, 0u);

  // A sheet marked Deleted in place: its volume is read again.
  int32_t quagmireAt = Search(index, "quagmire").at(0)->position;
  {
    TFileCluster cluster(env_, true);
    ASSERT_TRUE(cluster.Open(prime, false));
    cluster.ReadAll();
    cluster.BeginHdrEdit();
    THdrRecord rec{};
    ASSERT_TRUE(cluster.ReadHdrKeepingPlace(quagmireAt, rec));
    TSheetBody body = TSheetBody::Decode(rec);
    body.status = kDeleted;
    THdrRecord changed = body.Encode();
    std::copy(rec.begin() + 42, rec.begin() + 50, changed.begin() + 42);  // its entry links as they were
    cluster.WriteHdr(quagmireAt, changed);
    ASSERT_TRUE(cluster.CommitHdrEdit());
  }
  auto hits = Search(index, "quagmire");
  ASSERT_EQ(hits.size(), 1u);
  EXPECT_EQ(hits[0]->status, kDeleted);
  EXPECT_EQ(index.LastRefresh().indexed, 1u);

  // A volume deleted from the prime file: its sheets are gone from the index.
  const size_t before = index.SheetCount();
  {
    TFileCluster cluster(env_, true);
    ASSERT_TRUE(cluster.Open(prime, false));
    cluster.ReadAll();
    std::vector<TPrimeRef*> keep;
    for (const auto& v : cluster.Volumes())
      if (v->record.companyCode != 999) keep.push_back(v.get());
    ASSERT_TRUE(cluster.RewriteInOrder(keep));
  }
  EXPECT_TRUE(Search(index, "quagmire").empty());
  EXPECT_EQ(index.LastRefresh().dropped, 1u);
  EXPECT_EQ(index.SheetCount(), before - 4);
  // The sheets of the volumes left still agree with the scan (no stale terms).
  for (const char* query : kQueries) EXPECT_EQ(Keys(Search(index, query)), Scan(prime, true, Q(query))) << query;

  // Cancelled at the start of a fresh build: nothing is trusted as current.
  TLibraryIndex other(env_, prime, true, cache_ + "2");
  EXPECT_EQ(other.Refresh([](size_t, size_t) { return false; }), TLibraryIndex::TRefresh::Cancelled);
  EXPECT_EQ(other.Refresh(), TLibraryIndex::TRefresh::Updated);

  // Cancelled after the first of three volumes: that one stays indexed.
  TLibraryIndex third(env_, prime, true, cache_ + "3");
  EXPECT_EQ(third.Refresh([](size_t done, size_t) { return done < 1; }), TLibraryIndex::TRefresh::Cancelled);
  EXPECT_EQ(third.SheetCount(), 10u);
  EXPECT_EQ(third.Refresh(), TLibraryIndex::TRefresh::Updated);
  EXPECT_EQ(third.LastRefresh().indexed, 2u);
  EXPECT_EQ(Keys(third.Search(Q("rate"))), Scan(prime, true, Q("rate")));
}

TEST_F(LibraryIndexTest, VolumesIndexedAgainAndAgainAndASecondProgram) {
  std::vector<TVolumePlan> volumes = Generated(21, 3, 12);
  volumes[0].sheets[0].lines.push_back("Quagmire clause");
  const std::string prime = Build(volumes);
  TLibraryIndex index(env_, prime, true, cache_);
  ASSERT_EQ(index.Refresh(), TLibraryIndex::TRefresh::Updated);
  // Another program with the same index file: it is kept current by both.
  TLibraryIndex second(env_, prime, true, cache_);
  ASSERT_EQ(second.Refresh(), TLibraryIndex::TRefresh::Current);

  // The first volume's first sheet flips between Effective and Pending in
  // place: each change indexes the volume again, its old rows left dead
  // until they outnumber the live ones and the index is built afresh.
  bool compacted = false;
  for (int change = 0; change < 8; ++change) {
    TFileCluster cluster(env_, true);
    ASSERT_TRUE(cluster.Open(prime, false));
    cluster.ReadAll();
    TPrimeRef& first = *cluster.Volumes().front();
    int32_t at = -1;
    cluster.WalkChain(first, [&](int32_t n, const THdrRecord& r) {
      if (r[0] == kSheetRecord && at < 0) at = n;
      return true;
    }, false);
    ASSERT_GE(at, 0);
    cluster.BeginHdrEdit();
    THdrRecord rec{};
    ASSERT_TRUE(cluster.ReadHdrKeepingPlace(at, rec));
    TSheetBody body = TSheetBody::Decode(rec);
    body.status = change % 2 ? kEffective : kPending;
    THdrRecord changed = body.Encode();
    std::copy(rec.begin() + 42, rec.begin() + 50, changed.begin() + 42);
    cluster.WriteHdr(at, changed);
    ASSERT_TRUE(cluster.CommitHdrEdit());
    cluster.CloseHdr();

    TLibraryIndex& now = change % 3 == 2 ? second : index;  // now one program, now the other
    const THits hits = Search(now, "quagmire");
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0]->status, change % 2 ? kEffective : kPending);
    compacted = compacted || now.LastRefresh().compacted;
    EXPECT_EQ(now.SheetCount(), 36u);
    for (const char* query : {"rate", "\"rate schedule\"", "t*"})
      EXPECT_EQ(Keys(now.Search(Q(query))), Scan(prime, true, Q(query))) << query << " after change " << change;
  }
  EXPECT_TRUE(compacted);
  // Both programs see the last state.
  EXPECT_EQ(Keys(Search(index, "quagmire")), Keys(Search(second, "quagmire")));
  EXPECT_EQ(Search(index, "quagmire").at(0)->status, kEffective);
}

// A block of the library's text file that does not inflate: the refresh
// says so once and goes on; its sheets are listed, their words not found,
// and the other sheets are found as ever.
TEST_F(LibraryIndexTest, ADamagedTextBlockOfTheLibraryEndsNoRefresh) {
  std::vector<TVolumePlan> volumes = Generated(41, 3, 30);
  for (auto& v : volumes)
    for (auto& sheet : v.sheets) sheet.lines.push_back("Quagmire clause");
  const std::string prime = Build(volumes);
  const auto text = dir_ / "lib" / "GZipDBF";
  {
    std::fstream f(text, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(std::streamoff(std::filesystem::file_size(text) / 2));
    f << std::string(64, '\x5A');
  }
  port_.messages.clear();
  TLibraryIndex index(env_, prime, true, cache_);
  ASSERT_EQ(index.Refresh(), TLibraryIndex::TRefresh::Updated) << index.Error();
  EXPECT_EQ(index.SheetCount(), 90u);
  EXPECT_EQ(port_.messages.size(), 1u);
  const size_t found = index.Search(Q("quagmire")).size();
  EXPECT_GT(found, 0u);
  EXPECT_LT(found, 90u);
  // Every sheet found shows its snippet, read from the library.
  for (const TIndexedSheet* h : index.Search(Q("quagmire")))
    EXPECT_NE(Snippet(Q("quagmire"), index.Text(*h)).find("[Quagmire] clause"), std::string::npos) << h->name;
}

TEST_F(LibraryIndexTest, ADamagedOrForeignIndexFileIsBuiltAgain) {
  const std::string prime = Build(Generated(5, 2, 12));
  const std::string rate = "rate";
  std::string file;
  size_t expected = 0;
  {
    TLibraryIndex index(env_, prime, true, cache_);
    expected = Search(index, rate).size();
    file = index.FilePath();
  }
  ASSERT_GT(expected, 0u);
  // Garbage over the middle of the file.
  {
    std::fstream f(file, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(0);
    f << std::string(4096, '\x5A');
  }
  {
    TLibraryIndex index(env_, prime, true, cache_);
    EXPECT_EQ(Search(index, rate).size(), expected);
    EXPECT_TRUE(index.LastRefresh().rebuilt);
  }
  // Cut short.
  std::filesystem::resize_file(file, std::filesystem::file_size(file) / 3);
  {
    TLibraryIndex index(env_, prime, true, cache_);
    EXPECT_EQ(Search(index, rate).size(), expected);
    EXPECT_TRUE(index.LastRefresh().rebuilt);
  }
  // A term file damaged or missing: the whole index is built again.
  SetWorkerThreadsForTesting(2);
  std::filesystem::remove(file);
  std::string termFile;
  {
    TLibraryIndex index(env_, prime, true, cache_);
    EXPECT_EQ(Search(index, rate).size(), expected);
    ASSERT_EQ(index.Files().size(), 2u);
    termFile = index.Files()[1];
  }
  {
    std::fstream f(termFile, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(0);
    f << std::string(4096, '\x5A');
  }
  {
    TLibraryIndex index(env_, prime, true, cache_);
    EXPECT_EQ(Search(index, rate).size(), expected);
    EXPECT_TRUE(index.LastRefresh().rebuilt);
  }
  std::filesystem::remove(termFile);
  {
    TLibraryIndex index(env_, prime, true, cache_);
    EXPECT_EQ(Search(index, rate).size(), expected);
    EXPECT_TRUE(index.LastRefresh().rebuilt);
  }
  SetWorkerThreadsForTesting(std::nullopt);
  // Another library's index under this name is not used either.
  std::filesystem::copy_file(file, cache_ + "/other.sqlite");
  const std::string otherPrime = testing::BuildLibrary(env_, (dir_ / "lib2").string(), true, Generated(6, 1, 3));
  std::filesystem::rename(cache_ + "/other.sqlite", TLibraryIndex::FileFor(cache_, otherPrime));
  TLibraryIndex index(env_, otherPrime, true, cache_);
  EXPECT_EQ(Keys(Search(index, rate)), Scan(otherPrime, true, Q(rate)));
  EXPECT_TRUE(index.LastRefresh().rebuilt);
}

}  // namespace
}  // namespace vorne
