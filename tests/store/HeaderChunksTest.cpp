// Header records of an input cluster come from chunks of the file read in
// one piece: every record must still be exactly the file's, a record past
// the end (or cut short) is refused, a file that grows or is written through
// the cluster is seen afresh, and a read error still reaches the caller.
#include <gtest/gtest.h>

#include <cstring>

#include "store/Cluster.h"
#include "store/Errors.h"
#include "support/LibraryBuilder.h"
#include "support/MemFileSystem.h"
#include "support/ScriptedPort.h"

namespace vorne::testing {
namespace {

class HeaderChunksTest : public ::testing::Test {
 protected:
  // One volume whose chain spans three chunks of records.
  void SetUp() override {
    mem_.MakeDir("/lib");
    TVolumePlan v;
    for (int i = 1; i <= 1200; ++i) {
      TSheetPlan s;
      s.sheetNo = std::to_string(i);
      s.lines = {"sheet " + s.sheetNo};
      s.docket = "RP0" + std::to_string(i % 9) + "-1-000";
      v.sheets.push_back(s);
    }
    BuildLibrary(env_, "/lib", true, {v});
    cluster_ = std::make_unique<TFileCluster>(env_, true);
    ASSERT_TRUE(cluster_->Open("/lib/GZPrime", false));
    cluster_->ReadAll();
    ASSERT_EQ(cluster_->Volumes().size(), 1u);
  }

  std::string& HdrBytes() { return mem_.Bytes(cluster_->HdrPath()); }
  int32_t FileRecords() { return int32_t(HdrBytes().size() / kHdrRecordSize); }
  THdrRecord FileRecord(int32_t n) {
    THdrRecord r;
    std::memcpy(r.data(), HdrBytes().data() + size_t(n) * kHdrRecordSize, kHdrRecordSize);
    return r;
  }

  TMemFileSystem mem_;
  TFaultyFileSystem fs_{mem_};
  TScriptedPort port_;
  TEnv env_{fs_, port_};
  std::unique_ptr<TFileCluster> cluster_;
};

TEST_F(HeaderChunksTest, AWalkSeesEveryRecordAsTheFileHoldsIt) {
  ASSERT_GT(FileRecords(), 1100);
  int32_t walked = 0;
  ASSERT_TRUE(cluster_->WalkChain(
      *cluster_->Volumes()[0],
      [&](int32_t n, const THdrRecord& rec) {
        EXPECT_EQ(rec, FileRecord(n)) << "record " << n;
        ++walked;
        return true;
      },
      false));
  EXPECT_GT(walked, 1200);
  EXPECT_TRUE(port_.messages.empty());
}

TEST_F(HeaderChunksTest, RecordsInAnyOrderAndThePositionAfterThem) {
  ASSERT_TRUE(cluster_->OpenHdr());
  const int32_t size = FileRecords();
  // Far apart, backwards and across chunk edges: more chunks than are kept.
  for (int32_t n : {size - 1, 0, 511, 512, 1023, 1024, 5, size - 2, 700, 100, 1500 % size, 3, size - 1}) {
    THdrRecord r;
    ASSERT_TRUE(cluster_->ReadHdr(n, r)) << n;
    EXPECT_EQ(r, FileRecord(n)) << n;
    EXPECT_EQ(cluster_->HdrPosition(), n + 1);
  }
  cluster_->CloseHdr();
}

TEST_F(HeaderChunksTest, NothingPastTheEndIsServed) {
  ASSERT_TRUE(cluster_->OpenHdr());
  const int32_t size = FileRecords();
  THdrRecord r;
  EXPECT_TRUE(cluster_->ReadHdr(size - 1, r));
  EXPECT_FALSE(cluster_->ReadHdr(size, r));
  EXPECT_FALSE(cluster_->ReadHdr(size + 600, r));
  EXPECT_FALSE(cluster_->ReadHdr(-1, r));
  cluster_->CloseHdr();

  // A last record cut short is not a record.
  HdrBytes().resize(HdrBytes().size() - 10);
  ASSERT_TRUE(cluster_->OpenHdr());
  EXPECT_TRUE(cluster_->ReadHdr(size - 2, r));
  EXPECT_FALSE(cluster_->ReadHdr(size - 1, r));
  cluster_->CloseHdr();
}

TEST_F(HeaderChunksTest, RecordsAddedWhileTheFileIsOpenAreSeen) {
  ASSERT_TRUE(cluster_->OpenHdr());
  const int32_t size = FileRecords();
  THdrRecord r;
  ASSERT_TRUE(cluster_->ReadHdr(size - 1, r));
  // Another writer appends a record to the chunk already read.
  const THdrRecord added = EncodeIssuer("Added Later");
  HdrBytes().append(reinterpret_cast<const char*>(added.data()), added.size());
  ASSERT_TRUE(cluster_->ReadHdr(size, r));
  EXPECT_EQ(r, added);
  cluster_->CloseHdr();
}

TEST_F(HeaderChunksTest, ARecordWrittenThroughTheClusterReadsBackNew) {
  ASSERT_TRUE(cluster_->OpenHdr());
  THdrRecord r;
  ASSERT_TRUE(cluster_->ReadHdr(10, r));
  const THdrRecord changed = EncodeIssuer("Changed In Place");
  cluster_->WriteHdr(10, changed);
  ASSERT_TRUE(cluster_->ReadHdr(10, r));
  EXPECT_EQ(r, changed);
  cluster_->CloseHdr();
  // And after reopening read-only.
  ASSERT_TRUE(cluster_->ReadHdrKeepingPlace(10, r));
  EXPECT_EQ(r, changed);
}

TEST_F(HeaderChunksTest, AReplacedFileIsReadAfreshOnTheNextOpen) {
  THdrRecord r;
  ASSERT_TRUE(cluster_->OpenHdr());
  ASSERT_TRUE(cluster_->ReadHdr(20, r));
  cluster_->CloseHdr();
  const THdrRecord other = EncodeIssuer("Another Library");
  std::memcpy(HdrBytes().data() + 20 * kHdrRecordSize, other.data(), kHdrRecordSize);
  ASSERT_TRUE(cluster_->OpenHdr());
  ASSERT_TRUE(cluster_->ReadHdr(20, r));
  EXPECT_EQ(r, other);
  cluster_->CloseHdr();
}

TEST_F(HeaderChunksTest, AReadErrorReachesTheCaller) {
  fs_.Inject({TFault::ReadError, cluster_->HdrPath(), fs_.read_, 5});
  ASSERT_TRUE(cluster_->OpenHdr());
  THdrRecord r;
  EXPECT_THROW(cluster_->ReadHdr(3, r), EInOutError);
  cluster_->CloseHdr();
}

}  // namespace
}  // namespace vorne::testing
