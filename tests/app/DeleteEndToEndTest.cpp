// vorne-batch deleting: only with the keyword pair DELETE VOLUMES / DELETE
// SHEETS, and only when YES answers the confirmation; otherwise the library
// is left byte for byte as it was.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/FileSystem.h"
#include "store/Cluster.h"
#include "store/Headers.h"
#include "support/BatchRunner.h"
#include "support/LibraryBuilder.h"
#include "support/ScriptedPort.h"

namespace vorne::testing {
namespace {

namespace fs = std::filesystem;

class DeleteBatchTest : public ::testing::Test {
 protected:
  DeleteBatchTest() : dir_(TestTempDir("vorne-delete-")) {
    TScriptedPort port;
    TEnv env{RealFileSystem(), port};
    lib_ = (dir_ / "lib").string();
    prime_ = BuildLibrary(env, lib_, true,
                          {VolumeWithStatuses(10, "Alpha Pipeline Company", {kEffective, kPending}),
                           VolumeWithStatuses(20, "Beta Gas Company", {kEffective}),
                           VolumeWithStatuses(30, "Gamma Storage Company", {kEffective, kEffective})});
  }
  ~DeleteBatchTest() override { fs::remove_all(dir_); }

  std::string Library() {
    std::string all;
    for (const char* f : {"GZPrime", "GZipHdr", "GZipDBF"}) all += Slurp(fs::path(lib_) / f);
    return all;
  }
  // Company codes and, per volume, its statuses, as a fresh open reads them.
  std::vector<std::pair<uint32_t, std::vector<int>>> Read() {
    TScriptedPort port;
    TEnv env{RealFileSystem(), port};
    TFileCluster c(env, true);
    EXPECT_TRUE(c.Open(prime_, false));
    c.ReadAll();
    std::vector<std::pair<uint32_t, std::vector<int>>> out;
    for (auto& v : c.Volumes()) {
      THdrList list(*v, nullptr);
      list.Load();
      std::vector<int> statuses;
      for (auto& g : list.Groups())
        for (auto& s : g.versions) statuses.push_back(s->body.status);
      out.emplace_back(v->record.companyCode, statuses);
    }
    std::sort(out.begin(), out.end());
    return out;
  }

  fs::path dir_;
  std::string lib_, prime_;
};

TEST_F(DeleteBatchTest, DeleteVolumesWithYesDeletesTheNamedVolumes) {
  TBatchResult r = RunBatch(dir_, {"FROM", lib_, "DELETE", "VOLUMES", "ID", "20", "YES"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Read(), (std::vector<std::pair<uint32_t, std::vector<int>>>{{10, {kEffective, kPending}},
                                                                          {30, {kEffective, kEffective}}}));
  EXPECT_NE(r.err.find("Deleted 1 volumes"), std::string::npos) << r.err;
  EXPECT_EQ(r.out.find("Beta"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Gamma Storage Company"), std::string::npos) << r.out;
}

TEST_F(DeleteBatchTest, WithoutYesNothingChangesAndTheKeywordIsNamed) {
  const std::string before = Library();
  for (const char* what : {"VOLUMES", "SHEETS"}) {
    TBatchResult r = RunBatch(dir_, {"FROM", lib_, "DELETE", what, "ALL"});
    EXPECT_EQ(r.status, 1) << what << "\n" << r.err;
    EXPECT_NE(r.err.find("give YES"), std::string::npos) << r.err;
    EXPECT_EQ(Library(), before) << what;
  }
  // DELETE alone is not understood, and nothing is touched either.
  TBatchResult r = RunBatch(dir_, {"FROM", lib_, "DELETE", "ALL", "YES"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("VOLUMES or SHEETS"), std::string::npos) << r.err;
  EXPECT_EQ(Library(), before);
}

TEST_F(DeleteBatchTest, DeleteSheetsMarksOnlyTheSelectedSheetsOfTheMarkedVolumes) {
  TBatchResult r = RunBatch(dir_, {"FROM", lib_, "DELETE", "SHEETS", "ID", "10,30", "EFFECTIVE", "YES"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Read(), (std::vector<std::pair<uint32_t, std::vector<int>>>{{10, {kDeleted, kPending}},
                                                                          {20, {kEffective}},
                                                                          {30, {kDeleted, kDeleted}}}));
  EXPECT_NE(r.err.find("Marked 3 sheets Deleted"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace vorne::testing
