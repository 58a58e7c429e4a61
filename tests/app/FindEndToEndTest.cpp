// vorne-batch FIND: the demo library searched through its index in the
// user's cache folder, against a plain scan of every sheet; the lines, the
// exit statuses, a query it cannot read, and a library that another run
// changed between two searches.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "search/LibraryIndex.h"
#include "search/Query.h"
#include "store/Cluster.h"
#include "store/Common.h"
#include "store/Headers.h"
#include "store/TextReader.h"
#include "support/BatchRunner.h"
#include "support/SheetTexts.h"
#include "support/ScriptedPort.h"

namespace vorne {
namespace {

namespace fs = std::filesystem;
using testing::RunBatch;
using testing::TBatchResult;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  return lines;
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  size_t from = 0;
  for (size_t tab; (tab = line.find('\t', from)) != std::string::npos; from = tab + 1)
    fields.push_back(line.substr(from, tab - from));
  fields.push_back(line.substr(from));
  return fields;
}

class FindEndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = testing::TestTempDir("vorne-find-");
    ::setenv("XDG_CACHE_HOME", (dir_ / "cache").c_str(), 1);
    const char* data = std::getenv("VORNE_TEST_DATA");
    ASSERT_NE(data, nullptr);
    const fs::path samples = fs::path(data).parent_path().parent_path() / "samples";
    lib_ = (dir_ / "lib").string();
    ASSERT_EQ(RunBatch(dir_, {"ADDFROM", samples.string(), "TO", lib_}).status, 0);
  }
  void TearDown() override {
    ::unsetenv("XDG_CACHE_HOME");
    fs::remove_all(dir_);
  }

  TBatchResult Find(std::vector<std::string> more) {
    std::vector<std::string> args = {"FROM", lib_, "UNZIP", "FIND"};
    args.insert(args.end(), more.begin(), more.end());
    return RunBatch(dir_, args);
  }

  // code, sheet name and status of every sheet whose text holds the query.
  std::multiset<std::string> Scan(const std::string& query) {
    std::string error;
    const TQuery q = *TQuery::Parse(query, error);
    std::multiset<std::string> found;
    TFileCluster cluster(env_, false);
    EXPECT_TRUE(cluster.Open(lib_ + "/Prime4", false));
    testing::ForEachSheetText(cluster, [&](const auto& v, const std::string& name, const auto& s, const std::string& text) {
      if (q.Matches(SplitWords(text)))
        found.insert(ZeroPad(v.record.companyCode, 6) + "|" + name + "|" + StatusName(s->body.status));
    });
    return found;
  }

  static std::multiset<std::string> Keys(const std::string& out) {
    std::multiset<std::string> keys;
    for (const std::string& line : Lines(out)) {
      const auto f = Fields(line);
      EXPECT_EQ(f.size(), 7u) << line;
      if (f.size() == 7) keys.insert(f[0] + "|" + f[3] + "|" + f[4]);
    }
    return keys;
  }

  std::set<std::string> LibraryFiles() {
    std::set<std::string> files;
    for (const auto& e : fs::directory_iterator(lib_))
      files.insert(e.path().filename().string() + ":" + std::to_string(fs::file_size(e.path())));
    return files;
  }

  fs::path dir_;
  std::string lib_;
  testing::TScriptedPort port_;
  TEnv env_{RealFileSystem(), port_};
};

TEST_F(FindEndToEndTest, FindsWhatAPlainScanFindsInBrowseOrder) {
  const auto before = LibraryFiles();
  TBatchResult r = Find({"rate"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("Indexing "), std::string::npos) << r.err;  // a fresh index says so
  EXPECT_EQ(Keys(r.out), Scan("rate"));
  const auto lines = Lines(r.out);
  EXPECT_NE(r.err.find(std::to_string(lines.size()) + " sheets found in "), std::string::npos) << r.err;
  for (const std::string& line : lines) {
    const auto f = Fields(line);
    ASSERT_EQ(f.size(), 7u);
    EXPECT_EQ(f[0].size(), 6u);
    EXPECT_LE(f[6].size(), 80u);
    EXPECT_NE(UpperCase(f[6]).find("[RATE"), std::string::npos) << line;
    EXPECT_EQ(f[5], TrimBoth(f[5]));
  }
  // The index lives in the cache folder; the library folder is untouched.
  EXPECT_EQ(LibraryFiles(), before);
  // One index for the library: its file, and a term file per further thread
  // it was built with, all named after the library.
  const std::string stem = fs::path(TLibraryIndex::FileFor((dir_ / "cache" / "vorne").string(),
                                                           fs::absolute(lib_ + "/Prime4").lexically_normal().string()))
                               .stem()
                               .string();
  size_t files = 0;
  for (const auto& e : fs::directory_iterator(dir_ / "cache" / "vorne")) {
    EXPECT_TRUE(e.path().filename().string().starts_with(stem + ".")) << e.path();
    ++files;
  }
  EXPECT_GE(files, 1u);
  EXPECT_LE(files, size_t(TLibraryIndex::kMaxShards));

  for (const std::string query : {"\"rate schedule\"", "transport* OR storage", "fuel gas", "effective date"}) {
    r = Find({query, "ALL"});
    EXPECT_NE(r.status, 2) << query << r.err;
    EXPECT_EQ(Keys(r.out), Scan(query)) << query;
    EXPECT_EQ(r.err.find("Indexing"), std::string::npos);  // current: nothing read again
  }

  // The same order as Browse lists them, narrowed by the same keywords.
  r = Find({"rate", "ID", "7740,4217", "PENDING"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_LT(Lines(r.out).size(), Keys(Find({"rate"}).out).size());
  const TBatchResult browse = RunBatch(dir_, {"FROM", lib_, "UNZIP", "BROWSE", "ID", "7740,4217", "PENDING"});
  size_t at = 0;
  for (const std::string& line : Lines(r.out)) {
    const auto f = Fields(line);
    EXPECT_EQ(f[4], "Pending");
    EXPECT_TRUE(f[0] == "007740" || f[0] == "004217") << line;
    const size_t found = browse.out.find(f[3], at);
    EXPECT_NE(found, std::string::npos) << "out of Browse order: " << line;
    if (found != std::string::npos) at = found;
  }

  // Every line the same on one thread and on three, from this index and
  // from one built afresh on three threads (three term files).
  const std::string query = "\"rate schedule\" OR fuel*";
  const TBatchResult two = Find({query});
  ASSERT_EQ(two.status, 0) << two.err;
  ::setenv("VORNE_THREADS", "1", 1);
  const TBatchResult one = Find({query});
  ::setenv("VORNE_THREADS", "3", 1);
  fs::remove_all(dir_ / "cache");
  const TBatchResult three = Find({query});
  ::unsetenv("VORNE_THREADS");
  EXPECT_EQ(one.out, two.out);
  EXPECT_EQ(three.out, two.out);
  EXPECT_NE(three.err.find("Indexing "), std::string::npos) << three.err;
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "cache" / "vorne"), fs::directory_iterator()), 3);
}

TEST_F(FindEndToEndTest, ExitStatusesAndQueriesItCannotRead) {
  TBatchResult r = Find({"zyzzyvaqq"});
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(r.out.empty());
  EXPECT_NE(r.err.find("0 sheets found in "), std::string::npos) << r.err;

  r = Find({"rate \"firm"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("FIND: character 6: the quote is not closed"), std::string::npos) << r.err;
  r = Find({"OR rate"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("FIND: character 1: OR needs a part before it"), std::string::npos) << r.err;
  r = RunBatch(dir_, {"FROM", lib_, "UNZIP", "FIND"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("FIND must be followed by what to find"), std::string::npos) << r.err;
}

TEST_F(FindEndToEndTest, ALibraryChangedByAnotherRunIsSearchedAsItIsNow) {
  ASSERT_EQ(Find({"quixotic"}).status, 1);
  std::ofstream(dir_ / "QXT0101.ASC", std::ios::binary)
      << "TF00RP05-12-000         010505\r\n"
         "TF01000777010505QUIXOTIC GAS PIPELINE COMPANY\r\n"
         "TF021   000ORIGINAL VOLUME NO. 1\r\n"
         "TF05John Q. Public\r\n"
         "TF06010505000000                    020105\r\n"
         "TF03       1  0 0 1P106ORIGINAL SHEET NO. 1\r\n"
         "The quixotic rate\r\n"
         "schedule of this pipeline\r\n";
  ASSERT_EQ(RunBatch(dir_, {"ADDFROM", (dir_ / "QXT0101.ASC").string(), "TO", lib_, "ADD"}).status, 0);
  TBatchResult r = Find({"\"rate schedule\" quixotic"});
  ASSERT_EQ(r.status, 0) << r.err;
  ASSERT_EQ(Lines(r.out).size(), 1u);
  const auto f = Fields(Lines(r.out)[0]);
  EXPECT_EQ(f[0], "000777");
  EXPECT_EQ(f[6], "Sheet No. 1 The [quixotic] [rate schedule] of this pipeline");

  r = RunBatch(dir_, {"FROM", lib_, "UNZIP", "DELETE", "VOLUMES", "ID", "777", "YES"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Find({"quixotic"}).status, 1);
}

}  // namespace
}  // namespace vorne
