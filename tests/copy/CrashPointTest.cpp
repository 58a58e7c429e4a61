// Crash points: an import into an existing library and a copy merging into
// existing volumes are run once while every change that reaches the disk is
// recorded; the disk as it stood after each change is what a process killed
// right there leaves behind (every later write and flush lost). Each of those
// disks must open, read without a message, give every sheet its text, and
// export exactly as the library did before the run or as it does once some
// of the run's volumes are complete, in the order the run completes them.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>

#include "copy/CopyErrors.h"
#include "copy/OutputVolumes.h"
#include "filings/FilingImport.h"
#include "store/Common.h"
#include "store/Headers.h"
#include "store/TextReader.h"
#include "support/BothWriters.h"
#include "support/LibraryBuilder.h"
#include "support/MemFileSystem.h"
#include "support/ScriptedPort.h"
#include "volumes/Export.h"

namespace vorne::testing {
namespace {

// ---- what a disk holds -----------------------------------------------------------

struct TDiskState {
  std::string exported;               // the Database export of every volume, in key order
  std::vector<std::string> problems;  // messages while reading, and sheets without text
};

TDiskState Inspect(TFileSystem& fs, const std::string& prime, bool compressed) {
  TDiskState state;
  TScriptedPort port;
  TEnv env{fs, port};
  TFileCluster in(env, compressed);
  if (!in.Open(prime, false)) {
    state.problems.push_back("the library does not open");
    return state;
  }
  in.ReadAll();
  std::string path = "/export.txt";
  TDatabaseExport db(env);
  if (!db.OpenExport(path, "/")) {
    state.problems.push_back("no export");
    return state;
  }
  for (const auto& v : in.Volumes()) db.ExportVolume(*v, nullptr);
  db.Close();
  state.exported = fs.ReadAll(path);
  // Every sheet the chains hold has its text.
  auto text = TDataBuffer::Create(env, in.TextPath(), compressed);
  for (const auto& v : in.Volumes()) {
    in.WalkChain(
        *v,
        [&](int32_t n, const THdrRecord& rec) {
          if (rec[0] != kSheetRecord) return true;
          std::vector<std::string> lines;
          int32_t longest = 0, count = 0;
          if (!text->SheetText(TSheetBody::Decode(rec).text, lines, longest, count) || lines.empty() ||
              TrimRight(lines[0]).empty())
            state.problems.push_back("record " + std::to_string(n) + " has no text");
          return true;
        },
        false);
  }
  for (const std::string& m : port.messages) state.problems.push_back(m);
  return state;
}

// Runs the work on a disk recorded change by change; returns the disks after
// change 1, 2, … (the disk before the run is not among them).
template <class TWork>
std::vector<std::unique_ptr<TMemFileSystem>> RecordCrashPoints(TMemFileSystem& disk, TWork&& work) {
  std::vector<std::unique_ptr<TMemFileSystem>> images;
  TFaultyFileSystem faulty(disk);
  faulty.afterChange = [&](uint64_t) { images.push_back(disk.Snapshot()); };
  work(static_cast<TFileSystem&>(faulty));
  return images;
}

// Checks every crash image against the states the run may leave: expected[0]
// is the library before the run, then each state in which more of its
// volumes are complete. A crash may never go back to an earlier state.
void CheckCrashPoints(const std::vector<std::unique_ptr<TMemFileSystem>>& images,
                      const std::vector<std::string>& expected, const std::string& prime, bool compressed,
                      const char* what) {
  ASSERT_GE(expected.size(), 2u);
  for (size_t i = 1; i < expected.size(); ++i) ASSERT_NE(expected[i], expected[i - 1]) << "state " << i;
  size_t reached = 0;
  std::vector<bool> seen(expected.size(), false);
  for (size_t k = 0; k < images.size(); ++k) {
    TDiskState s = Inspect(*images[k], prime, compressed);
    EXPECT_TRUE(s.problems.empty()) << "crash after change " << k + 1 << ": " << s.problems.front();
    size_t found = expected.size();
    for (size_t i = reached; i < expected.size(); ++i)
      if (s.exported == expected[i]) found = i;
    ASSERT_LT(found, expected.size()) << "crash after change " << k + 1
                                      << " leaves a library in none of the states the run may leave:\n"
                                      << s.exported;
    reached = found;
    seen[found] = true;
  }
  EXPECT_EQ(reached, expected.size() - 1) << "the run did not end complete";
  for (size_t i = 1; i < expected.size(); ++i) EXPECT_TRUE(seen[i]) << "state " << i << " never on disk";
  std::printf("[ crash points ] %s: %zu tried\n", what, images.size());
  ::testing::Test::RecordProperty("crash_points", int(images.size()));
}

// ---- the import ------------------------------------------------------------------------

std::string R(std::string s, size_t w) {
  s.resize(w, ' ');
  return s;
}

std::vector<std::string> FilingVolume(const std::string& code, const std::string& company,
                                      const std::vector<std::string>& numbers) {
  std::vector<std::string> lines = {"TF01" + code + "010105" + company, "TF02" + R("1", 4) + "000" + "VOLUME NO. 1",
                                    "TF05Jane Doe, Vice President", "TF06010505000000" + R("", 20) + "020105"};
  for (const std::string& no : numbers) {
    lines.push_back("TF03" + std::string(8 - no.size(), ' ') + no + "  1 0 1P106" + "1st Revised Sheet No. " + no);
    lines.push_back("   text of sheet " + no);
    lines.push_back("   more text of sheet " + no);
  }
  return lines;
}

std::string Join(const std::vector<std::vector<std::string>>& parts) {
  std::string t = "TF00" + R("RP05-12-000", 20) + "010505\r\n";
  for (const auto& part : parts)
    for (const std::string& l : part) t += l + "\r\n";
  return t;
}

TSheetPlan Sheet(const std::string& no, uint8_t status = kEffective, uint16_t upd = PackDate(2001, 2, 3)) {
  TSheetPlan s;
  s.sheetNo = no;
  s.rev = 1;
  s.lines = {"1st Revised Sheet No. " + no, "  stored text of " + no};
  s.status = status;
  s.filingDate = PackDate(2001, 1, 2);
  s.updDate = upd;
  return s;
}

TVolumePlan Volume(uint32_t code, const std::string& company, const std::vector<TSheetPlan>& sheets) {
  TVolumePlan v;
  v.companyCode = code;
  v.company = company;
  v.volumeName = "Volume No. 1";
  v.sheets = sheets;
  return v;
}

class CrashPointBase : public ::testing::Test {
 protected:
  CrashPointBase() { SetTodayForTesting(TDate{2006, 3, 4}); }
  ~CrashPointBase() override { SetTodayForTesting(std::nullopt); }

  // Imports the filing text into /lib on disk, as the import run does.
  static void Import(TFileSystem& fs, const std::string& filing) {
    TScriptedPort port;
    TEnv env{fs, port};
    TFileCluster out(env, false);
    TOutputMode mode;
    mode.append = true;
    out.SetOutputMode(&mode);
    ASSERT_TRUE(out.Open("/lib/Prime4", true));
    out.ReadAll();
    TToDisplay display;
    display.SetOutput(out);
    TAddFilings run(env, nullptr, &display, nullptr);
    run.ImportText(out, filing, "CRASH.ASC");
    out.CloseBuffer();
    out.CloseHdr();
    out.FlushNew();
  }

  // Copies the first volumes of /src into /out (the last of them only with
  // the sheets lastFilter accepts); the run's messages into messages.
  static void Copy(TFileSystem& fs, bool compressedOut, size_t volumes, const TSheetFilter* lastFilter = nullptr,
                   std::vector<std::string>* messages = nullptr) {
    TScriptedPort port;
    TEnv env{fs, port};
    struct TKeep {
      TScriptedPort& port;
      std::vector<std::string>* to;
      ~TKeep() {
        if (to) *to = port.transcript;
      }
    } keep{port, messages};
    TFileCluster src(env, true);
    ASSERT_TRUE(src.Open("/src/GZPrime", false));
    src.ReadAll();
    TFileCluster out(env, compressedOut);
    TOutputMode mode;
    mode.append = true;
    out.SetOutputMode(&mode);
    ASSERT_TRUE(out.Open(PrimePathFor("/out", compressedOut), true));
    out.ReadAll();
    TToDisplay display;
    display.SetOutput(out);
    TCopyErrors dups;
    for (size_t i = 0; i < volumes && i < src.Volumes().size(); ++i) {
      TPrimeRef& v = *src.Volumes()[i];
      THdrList list(v, i + 1 == volumes ? lastFilter : nullptr);
      list.Load();
      display.CopyVolume(v, list, dups, std::chrono::steady_clock::now());
    }
    out.CloseBuffer();
    out.CloseHdr();
    out.FlushNew();
  }

  // A merging copy into an output library of the given form, crashed after
  // every change.
  void CheckMergingCopy(bool compressedOut);

  TMemFileSystem disk_;
  TScriptedPort port_;
  TEnv env_{disk_, port_};
};

// With the text writer writing full windows behind and in place.
using CrashPointTest = TBothWriters<CrashPointBase>;

TEST_P(CrashPointTest, AnImportIntoAnExistingLibraryLeavesWholeVolumesOnly) {
  disk_.MakeDir("/lib");
  BuildLibrary(env_, "/lib", false,
               {Volume(123, "Zeta Gas Pipeline Company", {Sheet("1"), Sheet("2"), Sheet("3")}),
                Volume(77, "Alpha Pipeline Company", {Sheet("10"), Sheet("11")})});
  // Zeta's chain is extended; Beta is a new volume; Alpha's chain is extended.
  const std::vector<std::vector<std::string>> parts = {
      FilingVolume("000123", "ZETA GAS PIPELINE COMPANY", {"4", "5"}),
      FilingVolume("000055", "BETA GAS COMPANY", {"1", "2"}),
      FilingVolume("000077", "ALPHA PIPELINE COMPANY", {"12"})};

  std::vector<std::string> expected;
  for (size_t done = 0; done <= parts.size(); ++done) {
    auto copy = disk_.Snapshot();
    if (done > 0) Import(*copy, Join({parts.begin(), parts.begin() + std::ptrdiff_t(done)}));
    TDiskState s = Inspect(*copy, "/lib/Prime4", false);
    ASSERT_TRUE(s.problems.empty()) << s.problems.front();
    expected.push_back(s.exported);
  }
  ASSERT_NE(expected.back().find("\"       4\""), std::string::npos) << "the filing did not import:\n"
                                                                      << expected.back();

  auto images = RecordCrashPoints(disk_, [&](TFileSystem& fs) { Import(fs, Join(parts)); });
  ASSERT_GT(images.size(), 10u);
  CheckCrashPoints(images, expected, "/lib/Prime4", false, "import into an existing library");
}

// What a finished run wrote is on the disk when it returns: a power cut
// right after an import or a merging copy leaves the library as the run left
// it (every change not flushed is lost in the model of the disk).
TEST_P(CrashPointTest, WhatAFinishedRunWroteSurvivesAPowerCut) {
  disk_.MakeDir("/lib");
  disk_.MakeDir("/src");
  disk_.MakeDir("/out");
  BuildLibrary(env_, "/lib", false, {Volume(123, "Zeta Gas Pipeline Company", {Sheet("1"), Sheet("2")})});
  BuildLibrary(env_, "/src", true,
               {Volume(7, "Alpha Pipeline Company", {Sheet("1"), Sheet("3")}), Volume(8, "Beta Gas Company", {Sheet("1")})});
  BuildLibrary(env_, "/out", true, {Volume(7, "Alpha Pipeline Company", {Sheet("2")})});
  disk_.SyncAll();
  Import(disk_, Join({FilingVolume("000123", "ZETA GAS PIPELINE COMPANY", {"4", "5"}),
                      FilingVolume("000055", "BETA GAS COMPANY", {"1", "2"})}));
  Copy(disk_, true, 2);
  auto cut = disk_.PowerCut();
  for (const auto& [prime, compressed] : {std::pair<std::string, bool>{"/lib/Prime4", false}, {"/out/GZPrime", true}}) {
    SCOPED_TRACE(prime);
    const TDiskState now = Inspect(disk_, prime, compressed);
    ASSERT_TRUE(now.problems.empty()) << now.problems.front();
    const TDiskState after = Inspect(*cut, prime, compressed);
    EXPECT_TRUE(after.problems.empty()) << after.problems.front();
    EXPECT_EQ(after.exported, now.exported);
  }
}

void CrashPointBase::CheckMergingCopy(bool compressedOut) {
  disk_.MakeDir("/src");
  disk_.MakeDir("/out");
  const uint16_t later = PackDate(2003, 4, 5);
  // Alpha: sheet 1 comes back Superseded and newer (its header is replaced
  // in place), 2 is stored as it is, 3 and 4 are appended. Beta is added as
  // a new volume. Gamma gets one sheet appended.
  BuildLibrary(env_, "/src", true,
               {Volume(7, "Alpha Pipeline Company", {Sheet("1", kSuperseded, later), Sheet("2"), Sheet("3"), Sheet("4")}),
                Volume(8, "Beta Gas Company", {Sheet("1"), Sheet("2")}),
                Volume(9, "Gamma Transmission Company", {Sheet("8"), Sheet("9")})});
  BuildLibrary(env_, "/out", compressedOut,
               {Volume(7, "Alpha Pipeline Company", {Sheet("1"), Sheet("2")}),
                Volume(9, "Gamma Transmission Company", {Sheet("8")})});

  // Alpha's new sheets are linked into its chain before sheet 1's header is
  // replaced: that state is Alpha copied without sheet 1.
  class TWithoutSheetOne : public TSheetFilter {
   public:
    bool AcceptSheet(const TSheetBody& b) const override { return b.sheetNo != "1       "; }
    bool AcceptDocket(const TDocketBody&) const override { return true; }
  } withoutSheetOne;
  std::vector<std::string> expected;
  auto stateAfter = [&](size_t volumes, const TSheetFilter* filter) {
    auto copy = disk_.Snapshot();
    if (volumes > 0) Copy(*copy, compressedOut, volumes, filter);
    TDiskState s = Inspect(*copy, PrimePathFor("/out", compressedOut), compressedOut);
    EXPECT_TRUE(s.problems.empty()) << s.problems.front();
    expected.push_back(s.exported);
  };
  stateAfter(0, nullptr);
  stateAfter(1, &withoutSheetOne);
  stateAfter(1, nullptr);
  stateAfter(2, nullptr);
  stateAfter(3, nullptr);
  ASSERT_NE(expected.back().find("\"Superseded\""), std::string::npos) << "sheet 1 was not replaced:\n"
                                                                        << expected.back();

  auto images = RecordCrashPoints(disk_, [&](TFileSystem& fs) { Copy(fs, compressedOut, 3); });
  ASSERT_GT(images.size(), 10u);
  CheckCrashPoints(images, expected, PrimePathFor("/out", compressedOut), compressedOut,
                   compressedOut ? "merging copy, compressed output" : "merging copy, uncompressed output");
}

TEST_P(CrashPointTest, AMergingCopyIntoACompressedLibraryLeavesWholeVolumesOnly) { CheckMergingCopy(true); }

TEST_P(CrashPointTest, AMergingCopyIntoAnUncompressedLibraryLeavesWholeVolumesOnly) { CheckMergingCopy(false); }

INSTANTIATE_TEST_SUITE_P(Writer, CrashPointTest, ::testing::Bool(), WriterName);

// ---- a write of the text file that fails -------------------------------------------------

using TextWriteFailureTest = CrashPointBase;

// Sheets of 40 pages: two fill the writer's window, so a volume's text goes
// out in several writes.
TSheetPlan LongSheet(const std::string& no) {
  TSheetPlan s = Sheet(no);
  s.lines = {"Sheet No. " + no};
  for (int i = 0; i < 50; ++i) s.lines.push_back("  " + no + std::string(196, char('a' + i % 26)));
  return s;
}

// Each sheet record of the library points at its own text ("", or what is wrong).
std::string TextsOwnedBy(TFileSystem& fs, const std::string& prime, bool compressed, std::set<std::string>& numbers) {
  TScriptedPort port;
  TEnv env{fs, port};
  TFileCluster c(env, compressed);
  if (!c.Open(prime, false)) return "the library does not open";
  c.ReadAll();
  auto text = TDataBuffer::Create(env, c.TextPath(), compressed);
  std::string wrong;
  for (const auto& v : c.Volumes())
    c.WalkChain(
        *v,
        [&](int32_t, const THdrRecord& rec) {
          if (rec[0] != kSheetRecord) return true;
          const TSheetBody b = TSheetBody::Decode(rec);
          const std::string no = TrimRight(b.sheetNo);
          std::vector<std::string> lines;
          int32_t longest = 0, count = 0;
          if (!text->SheetText(b.text, lines, longest, count) || lines.empty() || lines[0] != "Sheet No. " + no)
            wrong += "sheet " + no + " does not read its own text; ";
          numbers.insert(no);
          return true;
        },
        false);
  for (const std::string& m : port.messages) wrong += m + "; ";
  return wrong;
}

// Whether the list "(a, b, c)" of a message names no.
bool Named(const std::string& said, const std::string& no) {
  for (const char* before : {"(", " "})
    for (const char* after : {",", ")"})
      if (said.find(before + no + after) != std::string::npos) return true;
  return false;
}

// A failed write at each write of the text file in turn, copying into each
// form, as a new volume and merged into a stored one: no record points at
// text that is not there (the volume ends at its last whole sheet), and the
// run names every sheet it did not copy.
TEST_F(TextWriteFailureTest, NoCopiedSheetPointsAtTextThatWasNotWritten) {
  disk_.MakeDir("/src");
  std::vector<TSheetPlan> alpha, beta;
  for (int i = 1; i <= 7; ++i) alpha.push_back(LongSheet(std::to_string(i)));
  for (int i = 21; i <= 25; ++i) beta.push_back(LongSheet(std::to_string(i)));
  BuildLibrary(env_, "/src", true,
               {Volume(7, "Alpha Pipeline Company", alpha), Volume(8, "Beta Gas Company", beta)});
  for (bool compressedOut : {true, false}) {
    for (bool merging : {false, true}) {
      SCOPED_TRACE(std::string(compressedOut ? "compressed" : "uncompressed") + (merging ? ", merging" : ", adding"));
      auto base = disk_.Snapshot();
      base->MakeDir("/out");
      {
        TScriptedPort port;
        TEnv env{*base, port};
        BuildLibrary(env, "/out", compressedOut,
                     merging ? std::vector<TVolumePlan>{Volume(7, "Alpha Pipeline Company", {LongSheet("99")})}
                             : std::vector<TVolumePlan>{});
      }
      const std::string prime = PrimePathFor("/out", compressedOut);
      const std::string textPath = compressedOut ? "/out/GZipDBF" : "/out/TarDBF";
      uint64_t writes = 0;
      {
        auto clean = base->Snapshot();
        TFaultyFileSystem counting(*clean);
        counting.Inject({TFault::WriteNumber, textPath, ~uint64_t(0)});
        Copy(counting, compressedOut, 2);
        writes = counting.writes_;
      }
      ASSERT_GE(writes, 4u);
      for (uint64_t k = 0; k < writes; ++k) {
        SCOPED_TRACE("write " + std::to_string(k) + " of " + std::to_string(writes) + " fails");
        auto d = base->Snapshot();
        std::vector<std::string> messages;
        {
          TFaultyFileSystem faulty(*d);
          faulty.Inject({TFault::WriteNumber, textPath, k});
          Copy(faulty, compressedOut, 2, nullptr, &messages);
        }
        std::set<std::string> stored;
        EXPECT_EQ(TextsOwnedBy(*d, prime, compressedOut, stored), "");
        std::string said;
        for (const std::string& m : messages) said += m + "\n";
        EXPECT_NE(said.find("error: "), std::string::npos) << "a failure nobody was told of";
        for (const auto* sheets : {&alpha, &beta})
          for (const TSheetPlan& sh : *sheets)
            if (!stored.count(sh.sheetNo)) {
              EXPECT_TRUE(Named(said, sh.sheetNo)) << sh.sheetNo << " is not copied:\n" << said;
            }
      }
    }
  }
}

}  // namespace
}  // namespace vorne::testing
