// Edits of header records in place: an edit of several records reaches the
// header file whole or not at all — after a failed write, after a failed
// repair, and on a disk left by a process that died at any change.
#include <gtest/gtest.h>

#include <cstring>

#include "store/Cluster.h"
#include "support/LibraryBuilder.h"
#include "support/MemFileSystem.h"
#include "support/ScriptedPort.h"

namespace vorne::testing {
namespace {

TSheetPlan Sheet(const char* no, const char* docket) {
  TSheetPlan s;
  s.sheetNo = no;
  s.lines = {std::string("sheet no. ") + no, "  body"};
  s.docket = docket;
  return s;
}

std::vector<TVolumePlan> OneVolume() {
  TVolumePlan v;
  v.sheets = {Sheet("1", "RP01-1-000"), Sheet("2", "RP02-2-000"), Sheet("3", "RP03-3-000"),
              Sheet("4", "RP04-4-000")};
  return {v};
}

class HdrEditTest : public ::testing::Test {
 protected:
  HdrEditTest() {
    mem_.MakeDir("/lib");
    prime_ = BuildLibrary(env_, "/lib/a", true, OneVolume());
    hdr_ = "/lib/a/GZipHdr";
    before_ = mem_.ReadAll(hdr_);
    primeBefore_ = mem_.ReadAll(prime_);
  }

  // Every SheetRecord's number and status.
  std::vector<std::pair<int32_t, THdrRecord>> SheetRecords(const std::string& bytes) const {
    std::vector<std::pair<int32_t, THdrRecord>> out;
    for (size_t at = 0; at + kHdrRecordSize <= bytes.size(); at += kHdrRecordSize) {
      THdrRecord r;
      std::memcpy(r.data(), bytes.data() + at, kHdrRecordSize);
      if (r[0] == kSheetRecord) out.emplace_back(int32_t(at / kHdrRecordSize), r);
    }
    return out;
  }

  // Marks every sheet withdrawn and appends one record, in one edit; with
  // recount, the volume's count in the prime file drops to zero in it too.
  bool WithdrawAll(TFileCluster& c, bool recount = false) {
    c.BeginHdrEdit();
    if (recount) {
      c.ReadAll();
      c.Volumes()[0]->AddToCount(-4);
    }
    for (auto& [pos, rec] : SheetRecords(before_)) {
      TSheetBody b = TSheetBody::Decode(rec);
      b.status = kWithdrawn;
      c.WriteHdr(pos, b.Encode());
    }
    appendedAt_ = c.AppendHdr(EncodeIssuer("Someone Else"));
    return c.CommitHdrEdit();
  }

  std::string Expected() const {
    std::string after = before_;
    for (auto& [pos, rec] : SheetRecords(before_)) after[size_t(pos) * kHdrRecordSize + 50] = char(kWithdrawn);
    THdrRecord extra = EncodeIssuer("Someone Else");
    after.append(reinterpret_cast<const char*>(extra.data()), extra.size());
    return after;
  }

  // The prime file with the volume's sheet count at zero.
  std::string PrimeWithoutSheets() const {
    std::string p = primeBefore_;
    p[6] = p[7] = '\0';
    return p;
  }

  TMemFileSystem mem_;
  TScriptedPort port_;
  TEnv env_{mem_, port_};
  // Bytes written before the header file's second write of WithdrawAll: the
  // undo file (its head with the two file names and sizes, the four sheets'
  // records with their digests, the appended records' digest, its sum), then
  // the first sheet.
  static constexpr uint64_t kUndoSize = 8 + 2 * (1 + 7) + 16 + 4 * (4 + kHdrRecordSize + 8) + 8 + 4;
  static constexpr uint64_t kMidway = kUndoSize + kHdrRecordSize + 20;
  std::string prime_, hdr_, before_, primeBefore_;
  int32_t appendedAt_ = -1;
};

TEST_F(HdrEditTest, NothingReachesTheFileBeforeTheCommitAndAllOfItAfter) {
  TFileCluster c(env_, true);
  ASSERT_TRUE(c.Open(prime_, false));
  const int32_t size = c.HdrSize();
  const auto sheets = SheetRecords(before_);
  ASSERT_EQ(sheets.size(), 4u);

  c.BeginHdrEdit();
  TSheetBody b = TSheetBody::Decode(sheets[1].second);
  b.status = kSuperseded;
  c.WriteHdr(sheets[1].first, b.Encode());
  const int32_t appended = c.AppendHdr(EncodeIssuer("New Issuer"));
  // The edit reads its own records and counts its own appends.
  EXPECT_EQ(appended, size);
  EXPECT_EQ(c.HdrSize(), size + 1);
  THdrRecord back;
  ASSERT_TRUE(c.ReadHdr(sheets[1].first, back));
  EXPECT_EQ(TSheetBody::Decode(back).status, kSuperseded);
  ASSERT_TRUE(c.ReadHdr(appended, back));
  EXPECT_EQ(DecodeIssuer(back), "New Issuer");
  EXPECT_EQ(mem_.ReadAll(hdr_), before_);

  ASSERT_TRUE(c.CommitHdrEdit());
  const std::string after = mem_.ReadAll(hdr_);
  ASSERT_EQ(after.size(), before_.size() + kHdrRecordSize);
  EXPECT_EQ(after[size_t(sheets[1].first) * kHdrRecordSize + 50], char(kSuperseded));
  EXPECT_EQ(after.compare(0, size_t(sheets[1].first) * kHdrRecordSize, before_, 0,
                          size_t(sheets[1].first) * kHdrRecordSize),
            0);
  EXPECT_FALSE(mem_.Exists(hdr_ + ".undo~"));
  EXPECT_TRUE(port_.messages.empty());
}

TEST_F(HdrEditTest, AnAbandonedEditWritesNothing) {
  TFileCluster c(env_, true);
  ASSERT_TRUE(c.Open(prime_, false));
  c.BeginHdrEdit();
  c.WriteHdr(1, EncodeEnd());
  c.AbandonHdrEdit();
  EXPECT_FALSE(c.InHdrEdit());
  EXPECT_TRUE(c.CommitHdrEdit());  // nothing left to write
  EXPECT_EQ(mem_.ReadAll(hdr_), before_);
}

TEST_F(HdrEditTest, AFailedWriteMidwayPutsEveryRecordBack) {
  for (TFault::Kind kind : {TFault::WriteErrorAfter, TFault::DiskFullAfter}) {
    SCOPED_TRACE(int(kind));
    TFaultyFileSystem faulty(mem_);
    TEnv env{faulty, port_};
    TFileCluster c(env, true);
    ASSERT_TRUE(c.Open(prime_, false));
    // The sheets lie apart, so the edit takes several writes: the second fails.
    faulty.written_ = 0;
    faulty.Inject({kind, hdr_, kMidway, 0, true});
    bool changedMidway = false;
    faulty.afterChange = [&](uint64_t) { changedMidway |= mem_.ReadAll(hdr_) != before_; };
    port_.messages.clear();
    EXPECT_FALSE(WithdrawAll(c));
    EXPECT_TRUE(changedMidway);  // the first sheet was written, then put back
    EXPECT_EQ(mem_.ReadAll(hdr_), before_);
    EXPECT_FALSE(mem_.Exists(hdr_ + ".undo~"));
    ASSERT_EQ(port_.messages.size(), 1u);
    EXPECT_NE(port_.messages[0].find("put back"), std::string::npos) << port_.messages[0];
    EXPECT_FALSE(c.InHdrEdit());
  }
}

TEST_F(HdrEditTest, WhenPuttingBackFailsTooTheNextOpenFinishesIt) {
  {
    TFaultyFileSystem faulty(mem_);
    TEnv env{faulty, port_};
    TFileCluster c(env, true);
    ASSERT_TRUE(c.Open(prime_, false));
    faulty.written_ = 0;
    faulty.Inject({TFault::WriteErrorAfter, hdr_, kMidway, 0, false});
    EXPECT_FALSE(WithdrawAll(c));
    EXPECT_NE(mem_.ReadAll(hdr_), before_);
    EXPECT_TRUE(mem_.Exists(hdr_ + ".undo~"));
  }
  port_.messages.clear();
  TFileCluster again(env_, true);
  ASSERT_TRUE(again.Open(prime_, false));
  EXPECT_EQ(mem_.ReadAll(hdr_), before_);
  EXPECT_FALSE(mem_.Exists(hdr_ + ".undo~"));
  ASSERT_EQ(port_.messages.size(), 1u);
  EXPECT_NE(port_.messages[0].find("was undone"), std::string::npos);
}

TEST_F(HdrEditTest, AnUndoFileOfARunStillCommittingIsLeftAlone) {
  // Another run holds the library: its undo file is its own business.
  TFileCluster writer(env_, true);
  ASSERT_TRUE(writer.Open(prime_, false));
  ASSERT_TRUE(writer.ReopenHdrForWrite());
  mem_.WriteAll(hdr_ + ".undo~", std::string("VHDRUNDO") + std::string(8, '\0'));
  TFileCluster reader(env_, true);
  ASSERT_TRUE(reader.Open(prime_, false));
  EXPECT_TRUE(mem_.Exists(hdr_ + ".undo~"));
  EXPECT_EQ(mem_.ReadAll(hdr_), before_);
}

TEST_F(HdrEditTest, ADamagedUndoFileIsNeverPutBack) {
  // A whole undo file of an edit of one record, as a dying commit leaves it.
  {
    TFaultyFileSystem faulty(mem_);
    TEnv env{faulty, port_};
    TFileCluster c(env, true);
    ASSERT_TRUE(c.Open(prime_, false));
    faulty.Inject({TFault::WriteErrorAfter, hdr_, 0, 0, false});
    c.BeginHdrEdit();
    c.WriteHdr(1, EncodeEnd());
    EXPECT_FALSE(c.CommitHdrEdit());
  }
  const std::string undo = mem_.ReadAll(hdr_ + ".undo~");
  // One byte changed anywhere, or the file cut short: nothing is written.
  for (size_t at : {size_t(8), size_t(24), undo.size() - 1}) {
    std::string damaged = undo;
    damaged[at] ^= 0x40;
    mem_.WriteAll(hdr_ + ".undo~", damaged);
    mem_.WriteAll(hdr_, "");
    port_.messages.clear();
    TFileCluster c(env_, true);
    ASSERT_TRUE(c.Open(prime_, false));
    EXPECT_EQ(mem_.ReadAll(hdr_), "");
    EXPECT_TRUE(mem_.Exists(hdr_ + ".undo~"));
    ASSERT_EQ(port_.messages.size(), 1u);
    EXPECT_NE(port_.messages[0].find("left alone"), std::string::npos);
  }
  mem_.WriteAll(hdr_ + ".undo~", undo.substr(0, 20));
  TFileCluster c(env_, true);
  ASSERT_TRUE(c.Open(prime_, false));
  EXPECT_EQ(mem_.ReadAll(hdr_), "");
}

TEST_F(HdrEditTest, ACommitRefusesWhenTheFileGrewUnderItsAppends) {
  TFileCluster c(env_, true);
  ASSERT_TRUE(c.Open(prime_, false));
  c.BeginHdrEdit();
  c.AppendHdr(EncodeIssuer("Mine"));
  {
    TFileCluster other(env_, true);
    ASSERT_TRUE(other.Open(prime_, false));
    other.AppendHdr(EncodeIssuer("Theirs"));
    other.CloseHdr();
  }
  const std::string grown = mem_.ReadAll(hdr_);
  EXPECT_FALSE(c.CommitHdrEdit());
  EXPECT_EQ(mem_.ReadAll(hdr_), grown);
  EXPECT_EQ(port_.messages.size(), 1u);
}

TEST_F(HdrEditTest, PrimeRecordsOfAnEditLandWithItsHeaderRecords) {
  TFileCluster c(env_, true);
  ASSERT_TRUE(c.Open(prime_, false));
  c.BeginHdrEdit();
  c.ReadAll();
  c.Volumes()[0]->AddToCount(-4);
  EXPECT_EQ(mem_.ReadAll(prime_), primeBefore_);
  c.WriteHdr(1, EncodeIssuer("Other"));
  ASSERT_TRUE(c.CommitHdrEdit());
  EXPECT_EQ(mem_.ReadAll(prime_), PrimeWithoutSheets());

  // A failure on the prime file puts the header records back as well.
  TFaultyFileSystem faulty(mem_);
  TEnv env{faulty, port_};
  TFileCluster d(env, true);
  ASSERT_TRUE(d.Open(prime_, false));
  const std::string hdrBefore = mem_.ReadAll(hdr_), primeBefore = mem_.ReadAll(prime_);
  faulty.Inject({TFault::DiskFullAfter, prime_, 0, 0, true});
  d.BeginHdrEdit();
  d.ReadAll();
  d.Volumes()[0]->AddToCount(3);
  d.WriteHdr(1, EncodeIssuer("Third"));
  EXPECT_FALSE(d.CommitHdrEdit());
  EXPECT_EQ(mem_.ReadAll(hdr_), hdrBefore);
  EXPECT_EQ(mem_.ReadAll(prime_), primeBefore);
}

// An undo file that no unfinished edit of this library could have left:
// a genuine one of another library, this library's own beside its other
// form, and one of an older kind that puts back nothing but the header
// file's size. Reading leaves it alone and warns; writing refuses.
TEST_F(HdrEditTest, AnUndoFileThatDoesNotBelongIsLeftAloneAndOnlyWritersRefuse) {
  // A genuine undo file, left by a commit whose repair failed too.
  auto leaveUndo = [&](const std::string& prime, bool compressed, const std::string& hdr) {
    TFaultyFileSystem faulty(mem_);
    TScriptedPort port;
    TEnv env{faulty, port};
    TFileCluster c(env, compressed);
    EXPECT_TRUE(c.Open(prime, false));
    faulty.Inject({TFault::WriteErrorAfter, hdr, 0, 0, false});
    c.BeginHdrEdit();
    c.WriteHdr(3, EncodeEnd());
    c.WriteHdr(5, EncodeIssuer("Nobody"));
    EXPECT_FALSE(c.CommitHdrEdit());
    std::string undo = mem_.ReadAll(hdr + ".undo~");
    mem_.Remove(hdr + ".undo~");
    return undo;
  };
  TVolumePlan b;
  b.company = "Other Gas Company";
  b.sheets = {Sheet("71", "RP71-1-000"), Sheet("72", "RP72-1-000"), Sheet("73", "RP73-1-000")};
  const std::string otherPrime = BuildLibrary(env_, "/lib/b", true, {b});
  const std::string otherLibrary = leaveUndo(otherPrime, true, "/lib/b/GZipHdr");
  const std::string ownUndo = leaveUndo(prime_, true, hdr_);
  ASSERT_EQ(mem_.ReadAll(hdr_), before_);
  // The same library in its uncompressed form, in the same folder.
  const std::string tarPrime = BuildLibrary(env_, "/lib/a", false, OneVolume());
  const std::string tarBefore = mem_.ReadAll("/lib/a/TarHdr");
  // The older kind: magic, a header size of 0, no records, and a valid sum.
  std::string older = std::string("VHDRUNDO") + std::string(12, '\0');
  uint32_t sum = 2166136261u;
  for (char ch : older) sum = (sum ^ uint8_t(ch)) * 16777619u;
  for (int i = 0; i < 4; ++i) older.push_back(char(sum >> (8 * i)));

  struct TCase {
    const char* what;
    std::string undoPath, bytes, prime, hdr;
    bool compressed;
  };
  for (const TCase& k : {TCase{"another library's", hdr_ + ".undo~", otherLibrary, prime_, hdr_, true},
                         TCase{"the other form's", "/lib/a/TarHdr.undo~", ownUndo, tarPrime, "/lib/a/TarHdr", false},
                         TCase{"an older kind", hdr_ + ".undo~", older, prime_, hdr_, true}}) {
    SCOPED_TRACE(k.what);
    const std::string hdrBefore = mem_.ReadAll(k.hdr), primeBefore = mem_.ReadAll(k.prime);
    mem_.WriteAll(k.undoPath, k.bytes);
    {
      TScriptedPort port;
      TEnv env{mem_, port};
      TFileCluster reader(env, k.compressed);
      ASSERT_TRUE(reader.Open(k.prime, false));
      reader.ReadAll();
      EXPECT_EQ(reader.Volumes().size(), 1u);
      ASSERT_EQ(port.transcript.size(), 1u);
      EXPECT_EQ(port.transcript[0].rfind("warning: The undo file " + k.undoPath + " does not belong", 0), 0u)
          << port.transcript[0];
      EXPECT_NE(port.transcript[0].find("left alone"), std::string::npos);

      // A change refuses to write past it.
      port.transcript.clear();
      reader.BeginHdrEdit();
      reader.WriteHdr(1, EncodeIssuer("Changed"));
      EXPECT_FALSE(reader.CommitHdrEdit());
      ASSERT_FALSE(port.transcript.empty());
      EXPECT_EQ(port.transcript[0].rfind("error: The undo file " + k.undoPath, 0), 0u) << port.transcript[0];
      EXPECT_NE(port.transcript[0].find("nothing was changed"), std::string::npos);
      EXPECT_FALSE(reader.LockForChange());
    }
    EXPECT_EQ(mem_.ReadAll(k.hdr), hdrBefore);
    EXPECT_EQ(mem_.ReadAll(k.prime), primeBefore);
    EXPECT_TRUE(mem_.Exists(k.undoPath));
    mem_.Remove(k.undoPath);
  }
  EXPECT_EQ(mem_.ReadAll(hdr_), before_);
  EXPECT_EQ(mem_.ReadAll("/lib/a/TarHdr"), tarBefore);

  // The genuine undo file in its own place is this library's: its old records
  // (here the same as now) go back, and it is gone.
  mem_.WriteAll(hdr_ + ".undo~", ownUndo);
  port_.messages.clear();
  TFileCluster own(env_, true);
  ASSERT_TRUE(own.Open(prime_, false));
  EXPECT_FALSE(mem_.Exists(hdr_ + ".undo~"));
  EXPECT_EQ(mem_.ReadAll(hdr_), before_);
  ASSERT_EQ(port_.messages.size(), 1u);
  EXPECT_NE(port_.messages[0].find("was undone"), std::string::npos);
}

// A commit that returned has its records on the disk: a power cut right
// after it keeps them (every change not flushed is lost in the model).
TEST_F(HdrEditTest, ACommittedEditSurvivesAPowerCut) {
  mem_.SyncAll();
  TFileCluster c(env_, true);
  ASSERT_TRUE(c.Open(prime_, false));
  ASSERT_TRUE(WithdrawAll(c, true));
  auto cut = mem_.PowerCut();
  EXPECT_EQ(cut->ReadAll(hdr_), Expected());
  EXPECT_EQ(cut->ReadAll(prime_), PrimeWithoutSheets());
}

// An edit that landed but whose undo file could not be removed is never
// undone later: the next open sees every new record in place.
TEST_F(HdrEditTest, ALandedEditWhoseUndoFileStayedIsNeverUndone) {
  {
    TFaultyFileSystem faulty(mem_);
    TEnv env{faulty, port_};
    TFileCluster c(env, true);
    ASSERT_TRUE(c.Open(prime_, false));
    faulty.Inject({TFault::RemoveFails, hdr_ + ".undo~", 0, 0, false});
    EXPECT_TRUE(WithdrawAll(c, true));
  }
  ASSERT_TRUE(mem_.Exists(hdr_ + ".undo~"));
  ASSERT_EQ(port_.transcript.size(), 1u);
  EXPECT_EQ(port_.transcript[0].rfind("warning: The change was written, but its undo file", 0), 0u)
      << port_.transcript[0];
  port_.transcript.clear();
  TFileCluster again(env_, true);
  ASSERT_TRUE(again.Open(prime_, false));
  EXPECT_EQ(mem_.ReadAll(hdr_), Expected());
  EXPECT_EQ(mem_.ReadAll(prime_), PrimeWithoutSheets());
  EXPECT_FALSE(mem_.Exists(hdr_ + ".undo~"));
  EXPECT_TRUE(port_.transcript.empty()) << port_.transcript[0];
}

// A process killed after any change of the commit leaves a library that
// reads exactly as before the edit or exactly as after it.
TEST_F(HdrEditTest, EveryCrashPointOpensAsTheOldOrTheNewLibrary) {
  std::vector<std::unique_ptr<TMemFileSystem>> disks;
  {
    TFaultyFileSystem faulty(mem_);
    faulty.afterChange = [&](uint64_t) { disks.push_back(mem_.Snapshot()); };
    TEnv env{faulty, port_};
    TFileCluster c(env, true);
    ASSERT_TRUE(c.Open(prime_, false));
    ASSERT_TRUE(WithdrawAll(c, true));
  }
  const std::string after = Expected();
  EXPECT_EQ(mem_.ReadAll(hdr_), after);
  EXPECT_EQ(mem_.ReadAll(prime_), PrimeWithoutSheets());
  ASSERT_GE(disks.size(), 5u);  // undo file, the header and prime writes, its removal
  int old = 0, now = 0;
  for (size_t i = 0; i < disks.size(); ++i) {
    SCOPED_TRACE("change " + std::to_string(i + 1));
    TScriptedPort port;
    TEnv env{*disks[i], port};
    TFileCluster c(env, true);
    ASSERT_TRUE(c.Open(prime_, false));
    const std::string bytes = disks[i]->ReadAll(hdr_), prime = disks[i]->ReadAll(prime_);
    const bool isOld = bytes == before_ && prime == primeBefore_;
    EXPECT_TRUE(isOld || (bytes == after && prime == PrimeWithoutSheets()));
    EXPECT_FALSE(disks[i]->Exists(hdr_ + ".undo~"));
    (isOld ? old : now)++;
  }
  EXPECT_GT(old, 0);
  EXPECT_GT(now, 0);
}

}  // namespace
}  // namespace vorne::testing
