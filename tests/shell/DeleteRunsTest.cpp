// The Delete runs: whole volumes leave the prime file (and nothing else of
// the library changes), hidden volumes survive, a failed rewrite changes
// nothing; selected sheets are marked Deleted per volume with OK, Cancel and
// Abort, and a failure while writing them leaves every record and count as
// it was.
#include <gtest/gtest.h>

#include <algorithm>

#include "shell/DeleteRuns.h"
#include "shell/Main.h"
#include "shell/Modes.h"
#include "store/Bytes.h"
#include "store/Headers.h"
#include "support/LibraryBuilder.h"
#include "support/MemFileSystem.h"
#include "support/ScriptedPort.h"

namespace vorne::testing {
namespace {

TSheetPlan Sheet(const char* no, uint8_t status = kEffective) {
  TSheetPlan s;
  s.sheetNo = no;
  s.lines = {std::string("Original Sheet No. ") + no, "text"};
  s.status = status;
  return s;
}

TVolumePlan Volume(uint32_t code, const char* company, std::vector<TSheetPlan> sheets) {
  TVolumePlan v;
  v.companyCode = code;
  v.company = company;
  v.sheets = std::move(sheets);
  return v;
}

class DeleteRunsTest : public ::testing::Test {
 protected:
  DeleteRunsTest() {
    mem_.MakeDir("/w");
    Rebuild();
  }

  // Four volumes; the third is stored under a name the list shows otherwise.
  void Rebuild() {
    prime_ = BuildLibrary(env_, "/w/lib", true,
                          {Volume(10, "Alpha Pipeline Company", {Sheet("1"), Sheet("2", kPending), Sheet("3")}),
                           Volume(20, "Beta Gas Company", {Sheet("5")}),
                           Volume(30, "GAMMA STORAGE CO", {Sheet("7"), Sheet("8")}),
                           Volume(40, "Delta Transmission Company", {Sheet("9")})});
    // The third company as an older library holds it, not in the form the list shows.
    PutPString(reinterpret_cast<uint8_t*>(mem_.Bytes(prime_).data()) + 2 * kPrimeRecordSize + 35, 60,
               "GAMMA STORAGE CO");
  }
  TMain& Open(std::vector<std::string> args) {
    main_ = std::make_unique<TMain>(env_);
    args.insert(args.begin(), {"FROM", "/w/lib"});
    EXPECT_TRUE(main_->ParseCommandLine(args));
    main_->Start();
    return *main_;
  }
  TGoResult Delete(TMain& m, bool volumes, std::vector<uint32_t> ids) {
    if (!volumes) m.SetExpertMode(true);
    m.ModeChanged(ChooseDelete(m.State(), volumes));
    for (uint32_t id : ids) m.VolumeList().SelectById(id);
    return m.RunNow();
  }
  // The Database export of every volume, as a fresh program writes it.
  std::vector<std::string> Export() {
    TMain m(env_);
    EXPECT_TRUE(m.ParseCommandLine({"FROM", "/w/lib", "DATA", "ALL", "TO", "/w/out.txt"}));
    m.Start();
    EXPECT_EQ(m.RunNow(), TGoResult::Ran);
    return SplitLines(mem_.Bytes("/w/out.txt"));
  }
  std::vector<std::string> StoredNames() {
    std::vector<std::string> names;
    const std::string& bytes = mem_.Bytes(prime_);
    for (size_t at = 0; at + kPrimeRecordSize <= bytes.size(); at += kPrimeRecordSize)
      names.push_back(TPrimeRecord::Decode(reinterpret_cast<const uint8_t*>(bytes.data()) + at).companyName);
    return names;
  }
  std::vector<std::string> Captions(TMain& m) {
    std::vector<std::string> out;
    for (const TVolumeRow& r : m.VolumeList().Rows()) out.push_back(r.caption);
    return out;
  }
  // Statuses in sheet order and the sheet count of the volume of code, as a
  // fresh open of the library reads them.
  std::pair<std::vector<int>, int> OnDisk(uint32_t code) { return OnDisk(env_, code); }
  std::pair<std::vector<int>, int> OnDisk(TEnv& env, uint32_t code) {
    TFileCluster c(env, true);
    EXPECT_TRUE(c.Open(prime_, false));
    c.ReadAll();
    for (auto& v : c.Volumes()) {
      if (v->record.companyCode != code) continue;
      THdrList list(*v, nullptr);
      list.Load();
      std::vector<int> statuses;
      for (auto& g : list.Groups())
        for (auto& s : g.versions) statuses.push_back(s->body.status);
      return {statuses, v->record.sheetCount};
    }
    return {};
  }

  TMemFileSystem mem_;
  TFaultyFileSystem faulty_{mem_};
  TScriptedPort port_;
  TEnv env_{faulty_, port_};
  std::string prime_;
  std::unique_ptr<TMain> main_;
};

// ---- whole volumes ---------------------------------------------------------------------

TEST_F(DeleteRunsTest, DeletedVolumesLeaveTheExportAndNothingElseChanges) {
  const std::vector<std::string> before = Export();
  const size_t hdrSize = mem_.Bytes("/w/lib/GZipHdr").size(), textSize = mem_.Bytes("/w/lib/GZipDBF").size();
  // What killed runs left of their temporary files goes once the library is written.
  mem_.WriteAll(prime_ + ".tmp~", "half a prime file");
  mem_.WriteAll("/w/lib/GZipHdr.undo~.tmp~", "half an undo file");
  TMain& m = Open({});
  port_.QueueAnswer(TAnswer::OK);
  ASSERT_EQ(Delete(m, true, {20, 40}), TGoResult::Ran);
  EXPECT_EQ(port_.questions, (std::vector<std::string>{kDeleteVolumesWarning}));
  EXPECT_EQ(m.Windows().deletedVolumes, 2);
  EXPECT_EQ(Captions(m), (std::vector<std::string>{"Alpha Pipeline Company", "Gamma Storage Co"}));

  std::vector<std::string> expected;
  for (const std::string& l : before)
    if (l.rfind("\"Beta", 0) != 0 && l.rfind("\"Delta", 0) != 0) expected.push_back(l);
  EXPECT_EQ(Export(), expected);
  // The prime file keeps its order and its names as stored; the other files keep every record.
  EXPECT_EQ(StoredNames(), (std::vector<std::string>{"Alpha Pipeline Company", "GAMMA STORAGE CO"}));
  EXPECT_EQ(mem_.Bytes("/w/lib/GZipHdr").size(), hdrSize);
  EXPECT_EQ(mem_.Bytes("/w/lib/GZipDBF").size(), textSize);
  EXPECT_FALSE(mem_.Exists(prime_ + ".tmp~"));
  EXPECT_FALSE(mem_.Exists("/w/lib/GZipHdr.undo~.tmp~"));
  EXPECT_FALSE(m.Windows().deleteFailed);
}

TEST_F(DeleteRunsTest, VolumesTheExclusionListHidesAreKept) {
  const std::string except = "Gamma Storage Co\r\nAlpha Pipeline Company\r\n";
  mem_.Open("/w/except.txt", TOpenMode::Create)->Write(0, except.data(), except.size());
  TMain& m = Open({"EXCEPT", "/w/except.txt"});
  ASSERT_EQ(Captions(m), (std::vector<std::string>{"Beta Gas Company", "Delta Transmission Company"}));
  port_.QueueAnswer(TAnswer::OK);
  ASSERT_EQ(Delete(m, true, {40}), TGoResult::Ran);
  EXPECT_EQ(StoredNames(), (std::vector<std::string>{"Alpha Pipeline Company", "Beta Gas Company", "GAMMA STORAGE CO"}));
  EXPECT_EQ(Captions(m), (std::vector<std::string>{"Beta Gas Company"}));
}

TEST_F(DeleteRunsTest, CancelOrAFailedRewriteLeavesThePrimeFileAsItWas) {
  const std::string before = mem_.Bytes(prime_);
  TMain& m = Open({});
  port_.QueueAnswer(TAnswer::Cancel);
  EXPECT_EQ(Delete(m, true, {20}), TGoResult::NotPrepared);
  EXPECT_EQ(m.VolumeList().RowCount(), 4u);
  EXPECT_EQ(mem_.Bytes(prime_), before);

  faulty_.written_ = 0;
  faulty_.Inject({TFault::DiskFullAfter, prime_ + ".tmp~", kPrimeRecordSize});
  port_.QueueAnswer(TAnswer::OK);
  EXPECT_EQ(m.RunNow(), TGoResult::Ran);
  faulty_.Clear();
  EXPECT_EQ(mem_.Bytes(prime_), before);
  EXPECT_EQ(port_.messages.back(), "Error in writing out Prime file");
  EXPECT_EQ(m.Windows().deletedVolumes, 0);
  EXPECT_TRUE(m.Windows().deleteFailed);  // the run says that nothing was deleted
  EXPECT_EQ(m.VolumeList().RowCount(), 4u);  // the list shows the library as it is
}

// Another run (a merging copy) commits after the delete run has read the
// library and before it writes: both changes are there afterwards.
TEST_F(DeleteRunsTest, ADeleteKeepsWhatAnotherRunWroteAfterTheListWasRead) {
  BuildLibrary(env_, "/w/src", true,
               {Volume(10, "Alpha Pipeline Company", {Sheet("4")}), Volume(50, "Epsilon Gas Company", {Sheet("1")})});
  auto copyIn = [&] {
    TScriptedPort port;
    port.QueueAnswer(TAnswer::Yes);  // "Add to existing file"
    TEnv env{faulty_, port};
    TMain other(env);
    ASSERT_TRUE(other.ParseCommandLine({"FROM", "/w/src", "COPY", "TO", "/w/lib", "ALL"}));
    other.Start();
    std::string said;
    for (const std::string& t : port.transcript) said += t + "\n";
    ASSERT_EQ(other.RunNow(), TGoResult::Ran) << said;
    ASSERT_TRUE(port.messages.empty()) << port.messages[0];
  };
  auto codes = [&] {
    std::vector<uint32_t> out;
    const std::string& bytes = mem_.Bytes(prime_);
    for (size_t at = 0; at + kPrimeRecordSize <= bytes.size(); at += kPrimeRecordSize)
      out.push_back(TPrimeRecord::Decode(reinterpret_cast<const uint8_t*>(bytes.data()) + at).companyCode);
    std::sort(out.begin(), out.end());
    return out;
  };

  TMain& m = Open({});
  copyIn();
  port_.QueueAnswer(TAnswer::OK);
  ASSERT_EQ(Delete(m, true, {20}), TGoResult::Ran);
  EXPECT_EQ(codes(), (std::vector<uint32_t>{10, 30, 40, 50}));
  EXPECT_EQ(OnDisk(10), (std::pair<std::vector<int>, int>{{kEffective, kPending, kEffective, kEffective}, 4}));
  EXPECT_EQ(m.Windows().deletedVolumes, 1);
  EXPECT_EQ(m.VolumeList().RowCount(), 4u);

  Rebuild();
  TMain& sheets = Open({"PENDING"});
  copyIn();
  port_.QueueAnswer(TAnswer::OK);
  ASSERT_EQ(Delete(sheets, false, {10}), TGoResult::Ran);
  EXPECT_EQ(OnDisk(10), (std::pair<std::vector<int>, int>{{kEffective, kDeleted, kEffective, kEffective}, 3}));
  EXPECT_EQ(codes(), (std::vector<uint32_t>{10, 20, 30, 40, 50}));
}

// ---- selected sheets -------------------------------------------------------------------

TEST_F(DeleteRunsTest, OKMarksTheSelectedSheetsOfEachVolumeAndLowersTheCounts) {
  TMain& m = Open({"EFFECTIVE"});
  port_.QueueAnswer(TAnswer::OK);
  port_.QueueAnswer(TAnswer::OK);
  ASSERT_EQ(Delete(m, false, {10, 30}), TGoResult::Ran);
  EXPECT_EQ(port_.questions, (std::vector<std::string>{"Mark these 2 sheets Deleted", "Mark these 2 sheets Deleted"}));
  EXPECT_EQ(OnDisk(10), (std::pair<std::vector<int>, int>{{kDeleted, kPending, kDeleted}, 1}));
  EXPECT_EQ(OnDisk(30), (std::pair<std::vector<int>, int>{{kDeleted, kDeleted}, 0}));
  EXPECT_EQ(OnDisk(20), (std::pair<std::vector<int>, int>{{kEffective}, 1}));
  EXPECT_EQ(m.Windows().deletedSheets, 4);
  // Lowering a count rewrites the prime record with the name as stored.
  EXPECT_EQ(StoredNames()[2], "GAMMA STORAGE CO");
}

TEST_F(DeleteRunsTest, CancelSkipsAVolumeAndAbortStopsTheRun) {
  TMain& m = Open({});
  port_.QueueAnswer(TAnswer::Cancel);
  port_.QueueAnswer(TAnswer::OK);
  ASSERT_EQ(Delete(m, false, {10, 20}), TGoResult::Ran);
  EXPECT_EQ(OnDisk(10), (std::pair<std::vector<int>, int>{{kEffective, kPending, kEffective}, 3}));
  EXPECT_EQ(OnDisk(20), (std::pair<std::vector<int>, int>{{kDeleted}, 0}));

  const std::string before = mem_.Bytes("/w/lib/GZipHdr");
  TMain& again = Open({});
  port_.questions.clear();
  port_.QueueAnswer(TAnswer::Abort);
  ASSERT_EQ(Delete(again, false, {30, 40}), TGoResult::Ran);
  EXPECT_EQ(port_.questions.size(), 1u);  // the later volume is never asked about
  EXPECT_EQ(mem_.Bytes("/w/lib/GZipHdr"), before);
}

TEST_F(DeleteRunsTest, OutsideExpertModeNoSheetIsDeleted) {
  TMain& m = Open({});
  m.ModeChanged(ChooseDelete(m.State(), false));
  m.VolumeList().SelectAll();
  EXPECT_EQ(m.RunNow(), TGoResult::NotPrepared);
  EXPECT_TRUE(port_.questions.empty());
}

// Marking the sheets of several volumes is one change: a process killed
// after any write of the run leaves all of them marked or none.
TEST_F(DeleteRunsTest, DeletingSheetsOfSeveralVolumesLandsWholeAtEveryCrashPoint) {
  using TState = std::pair<std::vector<int>, int>;
  const TState oldA{{kEffective, kPending, kEffective}, 3}, doneA{{kDeleted, kPending, kDeleted}, 1};
  const TState oldC{{kEffective, kEffective}, 2}, doneC{{kDeleted, kDeleted}, 0};
  std::vector<std::unique_ptr<TMemFileSystem>> disks;
  TMain& m = Open({"EFFECTIVE"});
  faulty_.afterChange = [&](uint64_t) { disks.push_back(mem_.Snapshot()); };
  port_.QueueAnswer(TAnswer::OK);
  port_.QueueAnswer(TAnswer::OK);
  ASSERT_EQ(Delete(m, false, {10, 30}), TGoResult::Ran);
  faulty_.afterChange = nullptr;
  EXPECT_EQ(m.Windows().deletedSheets, 4);
  ASSERT_GE(disks.size(), 3u);
  int old = 0, done = 0;
  for (size_t i = 0; i < disks.size(); ++i) {
    SCOPED_TRACE("killed after change " + std::to_string(i + 1));
    TScriptedPort port;
    TEnv env{*disks[i], port};
    const TState a = OnDisk(env, 10), c = OnDisk(env, 30);
    EXPECT_TRUE((a == oldA && c == oldC) || (a == doneA && c == doneC));
    (a == oldA ? old : done)++;
  }
  EXPECT_GT(old, 0);
  EXPECT_GT(done, 0);
}

// A fault at any point of the header writes leaves the library either as it
// was or with every sheet marked: never some of them, never a count that
// disagrees with the records.
TEST_F(DeleteRunsTest, AHeaderWriteFailureMidwayLeavesEveryRecordAndCountAsItWas) {
  using TState = std::pair<std::vector<int>, int>;
  const TState oldA{{kEffective, kPending, kEffective}, 3}, doneA{{kDeleted, kDeleted, kDeleted}, 0};
  const TState oldB{{kEffective}, 1}, doneB{{kDeleted}, 0};
  bool landed = false;
  for (uint64_t after = 0; !landed && after < 40 * kHdrRecordSize; after += kHdrRecordSize / 2) {
    Rebuild();
    TMain& m = Open({});
    faulty_.written_ = 0;
    faulty_.Inject({TFault::WriteErrorAfter, "/w/lib/GZipHdr", after, 5, true});
    port_.messages.clear();
    port_.QueueAnswer(TAnswer::OK);
    port_.QueueAnswer(TAnswer::OK);
    Delete(m, false, {10, 20});
    faulty_.Clear();
    const TState a = OnDisk(10), b = OnDisk(20);
    EXPECT_TRUE(a == oldA || a == doneA) << "fault after " << after << " bytes";
    EXPECT_TRUE(b == oldB || b == doneB) << "fault after " << after << " bytes";
    if (a == oldA) {
      EXPECT_EQ(b, oldB) << "the run must stop at a failed volume";
    }
    landed = a == doneA && b == doneB;
    if (!landed) {
      EXPECT_FALSE(port_.messages.empty()) << "a failure nobody was told of";
      // The listed sheets of the failed volume are not Deleted in memory either.
      for (const auto& entry : m.SheetList().Entries()) EXPECT_NE(entry.second->body.status, kDeleted);
    }
  }
  EXPECT_TRUE(landed);
}

}  // namespace
}  // namespace vorne::testing
