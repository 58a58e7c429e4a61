// Cluster access: opening input and output clusters, the questions and the
// lock, chain walks on sound and damaged header files, and the prime file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/Paths.h"
#include "store/Cluster.h"
#include "store/Errors.h"
#include "store/TextReader.h"
#include "support/LibraryBuilder.h"
#include "support/MemFileSystem.h"
#include "support/ScriptedPort.h"

namespace vorne::testing {
namespace {

TSheetPlan Sheet(const char* no, int rev, const char* title, uint16_t upd = 0) {
  TSheetPlan s;
  s.sheetNo = no;
  s.rev = rev;
  s.lines = {title, "  RATE SCHEDULE FT-1", "", "  Maximum rate     $0.2345"};
  s.updDate = upd;
  return s;
}

std::vector<TVolumePlan> TwoVolumes() {
  TVolumePlan a;
  a.companyCode = 123;
  a.company = "ZETA GAS COMPANY";
  a.volumeName = "Original Volume No. 1";
  a.sheets = {Sheet("1", 0, "original sheet no. 1", PackDate(2001, 1, 1)),
              Sheet("5", 2, "second revised sheet no. 5", PackDate(2003, 3, 3)),
              Sheet("5A", 0, "", PackDate(2002, 2, 2))};
  a.sheets[2].docket = "RP01-22-000";
  TVolumePlan b;
  b.companyCode = 7;
  b.company = "anr pipeline company";
  b.volumeName = "Second Volume";
  b.sheets = {Sheet("10", 1, "first revised sheet no. 10", PackDate(1999, 9, 9))};
  return {a, b};
}

class ClusterTest : public ::testing::TestWithParam<bool> {
 protected:
  ClusterTest() { mem_.MakeDir("/lib"); }
  bool Compressed() const { return GetParam(); }

  std::string Build() { return BuildLibrary(env_, "/lib/a", Compressed(), TwoVolumes()); }

  std::unique_ptr<TFileCluster> OpenInput(const std::string& prime) {
    auto c = std::make_unique<TFileCluster>(env_, Compressed());
    EXPECT_TRUE(c->Open(prime, false));
    c->ReadAll();
    return c;
  }

  std::vector<std::pair<int32_t, uint8_t>> Walk(TFileCluster& c, TPrimeRef& ref) {
    std::vector<std::pair<int32_t, uint8_t>> seen;
    c.WalkChain(ref, [&](int32_t n, const THdrRecord& r) {
      seen.push_back({n, r[0]});
      return true;
    });
    return seen;
  }

  TMemFileSystem mem_;
  TScriptedPort port_;
  TEnv env_{mem_, port_};
};

TEST_P(ClusterTest, LibraryReadsBackWhatWasWritten) {
  auto in = OpenInput(Build());
  ASSERT_EQ(in->Volumes().size(), 2u);
  // Sorted by volume key: the normalised company names.
  TPrimeRef& anr = *in->Volumes()[0];
  TPrimeRef& zeta = *in->Volumes()[1];
  EXPECT_EQ(anr.record.companyName, "ANR Pipeline Company");
  EXPECT_EQ(anr.storedName, "ANR Pipeline Company");
  EXPECT_EQ(zeta.record.companyName, "Zeta Gas Company");
  EXPECT_EQ(zeta.storedName, "Zeta Gas Company");
  EXPECT_EQ(zeta.volumeName, "Original Volume No. 1");
  EXPECT_EQ(zeta.record.sheetCount, 3);
  EXPECT_EQ(zeta.record.fromSheet, "1       ");
  EXPECT_EQ(zeta.record.toSheet, "5A      ");
  EXPECT_EQ(zeta.recNo, 0);
  EXPECT_EQ(zeta.LatestUpdate(), PackDate(2003, 3, 3));

  // One issuer record and two docket records serve the three sheets.
  auto chain = Walk(*in, zeta);
  std::vector<uint8_t> types;
  for (auto& [n, t] : chain) types.push_back(t);
  EXPECT_EQ(types, (std::vector<uint8_t>{kVolumeRecord, kIssuerRecord, kDocketRecord, kSheetRecord, kSheetRecord,
                                         kDocketRecord, kSheetRecord, kEndRecord}));

  ASSERT_TRUE(in->OpenBuffer());
  std::vector<std::string> names;
  THdrRecord rec;
  for (auto& [n, t] : chain) {
    if (t != kSheetRecord) continue;
    ASSERT_TRUE(in->ReadHdr(n, rec));
    TSheet s(TSheetBody::Decode(rec), &zeta, n);
    names.push_back(SheetName(s, in->Buffer()));
    std::vector<std::string> lines;
    int32_t maxLen = 0;
    ASSERT_TRUE(in->Buffer()->SheetText(s.body.text, lines, maxLen, s.lineCount));
    EXPECT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[3], "  Maximum rate     $0.2345");
  }
  in->CloseBuffer();
  EXPECT_EQ(names, (std::vector<std::string>{"Original Sheet No. 1", "Second Revised Sheet No. 5", "Title Page"}));

  EXPECT_EQ(in->DocketList(zeta), (std::vector<std::string>{"RP01- 22-000          Missing ",
                                                              "RP96-  1-000          Missing "}));
  EXPECT_TRUE(port_.messages.empty());
}

TEST_P(ClusterTest, SheetNameWithoutBufferIsADiagnosticLine) {
  TSheetBody b;
  b.sheetNo = "12A     ";
  b.revNo = 3;
  b.text = {4096, 7, 2};
  TSheet s(b, nullptr, 0);
  EXPECT_EQ(SheetName(s, nullptr), "      12A:   3      4096   2   7");
}

TEST_P(ClusterTest, UncompressedOutputAlsoWritesTheLegacyPrimeFile) {
  std::string prime = Build();
  std::string legacy = "/lib/a/Prime";
  if (Compressed()) {
    EXPECT_FALSE(mem_.Exists(legacy));
    return;
  }
  ASSERT_TRUE(mem_.Exists(legacy));
  EXPECT_EQ(mem_.Bytes(legacy).size(), 2u * kLegacyPrimeRecordSize);
  EXPECT_EQ(mem_.Bytes(legacy).substr(10, 6), "000123");
  EXPECT_EQ(mem_.Bytes(prime).size(), 2u * kPrimeRecordSize);
}

TEST_P(ClusterTest, FilesAreFoundWithoutRegardToCase) {
  std::string prime = Build();
  const TFormNames& n = Compressed() ? kCompressedNames : kUncompressedNames;
  mem_.Rename(prime, "/lib/a/" + UpperCase(n.prime));
  mem_.Rename(std::string("/lib/a/") + n.header, "/lib/a/" + LowerCase(n.header));
  mem_.Rename(std::string("/lib/a/") + n.text, "/lib/a/" + UpperCase(n.text));
  auto in = OpenInput(prime);
  ASSERT_EQ(in->Volumes().size(), 2u);
  EXPECT_EQ(in->Volumes()[1]->volumeName, "Original Volume No. 1");
  EXPECT_EQ(Walk(*in, *in->Volumes()[1]).size(), 8u);
}

TEST_P(ClusterTest, MissingInputPrimeFileIsReported) {
  TFileCluster c(env_, Compressed());
  EXPECT_FALSE(c.Open("/lib/none/GZPrime", false));
  EXPECT_EQ(port_.messages, (std::vector<std::string>{"Can't find /lib/none/GZPrime"}));
}

TEST_P(ClusterTest, NewOutputIsCreatedWithoutAsking) {
  TFileCluster c(env_, Compressed());
  ASSERT_TRUE(c.Open(PrimePathFor("/lib/new", Compressed()), true));
  EXPECT_TRUE(port_.questions.empty());
  EXPECT_TRUE(mem_.Exists(c.PrimePath()));
  EXPECT_TRUE(mem_.Exists(c.HdrPath()));
  EXPECT_TRUE(mem_.Exists(c.TextPath()));
  EXPECT_EQ(mem_.Exists("/lib/new/Prime"), !Compressed());
  EXPECT_TRUE(c.OutputMode().append);  // later outputs of the run append
  EXPECT_EQ(port_.status[3], c.PrimePath());
}

TEST_P(ClusterTest, ExistingOutputAsksAndCancelTouchesNothing) {
  std::string prime = Build();
  std::string before = mem_.Bytes(prime) + mem_.Bytes(std::string("/lib/a/") + (Compressed() ? "GZipHdr" : "TarHdr"));
  TFileCluster c(env_, Compressed());
  port_.QueueAnswer(TAnswer::Cancel);
  EXPECT_FALSE(c.Open(prime, true));
  EXPECT_EQ(port_.questions, (std::vector<std::string>{"Add to existing file"}));
  EXPECT_EQ(mem_.Bytes(prime) + mem_.Bytes(std::string("/lib/a/") + (Compressed() ? "GZipHdr" : "TarHdr")), before);

  TFileCluster d(env_, Compressed());
  port_.QueueAnswer(TAnswer::No);
  port_.QueueAnswer(TAnswer::No);
  EXPECT_FALSE(d.Open(prime, true));
  EXPECT_EQ(mem_.Bytes(prime).size(), 2u * kPrimeRecordSize);
}

TEST_P(ClusterTest, DeleteAndRewriteEmptiesTheFiles) {
  std::string prime = Build();
  TFileCluster c(env_, Compressed());
  port_.QueueAnswer(TAnswer::No);
  port_.QueueAnswer(TAnswer::Yes);
  ASSERT_TRUE(c.Open(prime, true));
  EXPECT_EQ(port_.questions, (std::vector<std::string>{"Add to existing file", "Delete and rewrite these files?"}));
  EXPECT_EQ(mem_.Bytes(prime).size(), 0u);
  EXPECT_EQ(mem_.Bytes(c.HdrPath()).size(), 0u);
  EXPECT_EQ(mem_.Bytes(c.TextPath()).size(), 0u);
}

// A recreated library starts a new, unsorted volume list: its volumes stay
// in the order they were made, also when its prime file is read again while
// it is open; a library opened to add to is listed in key order.
TEST_P(ClusterTest, ARecreatedLibraryKeepsTheOrderItsVolumesWereMadeIn) {
  auto volume = [](uint32_t code, const char* company) {
    TPrimeRecord r;
    r.companyCode = code;
    r.companyName = company;
    r.volId = "1";
    return r;
  };
  auto codes = [](TFileCluster& c) {
    std::vector<uint32_t> v;
    for (auto& ref : c.Volumes()) v.push_back(ref->record.companyCode);
    return v;
  };
  {
    TFileCluster out(env_, Compressed());
    ASSERT_TRUE(out.Open(PrimePathFor("/lib/new", Compressed()), true));
    out.ReadAll();
    out.NewVolume(volume(123, "Zeta Gas Company"));
    out.NewVolume(volume(7, "Alpha Gas Company"));
    ASSERT_TRUE(out.FlushNew());
    out.ReadAll();
    EXPECT_EQ(codes(out), (std::vector<uint32_t>{123, 7}));
  }
  auto in = OpenInput(PrimePathFor("/lib/new", Compressed()));
  EXPECT_EQ(codes(*in), (std::vector<uint32_t>{7, 123}));
  in.reset();
  TOutputMode append;
  append.append = true;
  TFileCluster again(env_, Compressed());
  again.SetOutputMode(&append);
  ASSERT_TRUE(again.Open(PrimePathFor("/lib/new", Compressed()), true));
  again.ReadAll();
  EXPECT_EQ(codes(again), (std::vector<uint32_t>{7, 123}));
}

TEST_P(ClusterTest, AddToExistingKeepsTheFiles) {
  std::string prime = Build();
  TFileCluster c(env_, Compressed());
  port_.QueueAnswer(TAnswer::Yes);
  ASSERT_TRUE(c.Open(prime, true));
  EXPECT_EQ(mem_.Bytes(prime).size(), 2u * kPrimeRecordSize);
  EXPECT_TRUE(c.OutputMode().append);
}

TEST_P(ClusterTest, SecondWriterIsRefusedAndTouchesNothing) {
  std::string prime = Build();
  TOutputMode mode;
  mode.append = true;
  TFileCluster first(env_, Compressed());
  first.SetOutputMode(&mode);
  ASSERT_TRUE(first.Open(prime, true));
  TOutputMode rewrite;
  rewrite.rewrite = true;
  TFileCluster second(env_, Compressed());
  second.SetOutputMode(&rewrite);
  EXPECT_FALSE(second.Open(prime, true));
  ASSERT_EQ(port_.messages.size(), 1u);
  EXPECT_NE(port_.messages[0].find("being written by another run"), std::string::npos);
  EXPECT_EQ(mem_.Bytes(prime).size(), 2u * kPrimeRecordSize);
}

// Sees none of the library's files in /lib/new: a second run that looked for
// them just before the first run made them.
class TLateFs : public TFaultyFileSystem {
 public:
  using TFaultyFileSystem::TFaultyFileSystem;
  bool Exists(const std::string& p) override {
    return DirPart(p).rfind("/lib/new", 0) != 0 && TFaultyFileSystem::Exists(p);
  }
};

TEST_P(ClusterTest, TwoRunsMakingTheSameNewLibraryNeverBothEmptyIt) {
  mem_.MakeDir("/lib/new");
  const std::string prime = PrimePathFor("/lib/new", Compressed());
  TOutputMode mode;
  TFileCluster first(env_, Compressed());
  first.SetOutputMode(&mode);
  ASSERT_TRUE(first.Open(prime, true));  // a new library: made without asking
  ASSERT_TRUE(first.OpenBuffer());
  ASSERT_TRUE(first.OutBuffer()->WriteSheet(std::vector<std::string>{"Original Sheet No. 1", "text"}));
  first.CloseBuffer();
  const std::string text = mem_.Bytes(first.TextPath());
  ASSERT_FALSE(text.empty());

  // The second run looked for the files before the first made them.
  TLateFs late(mem_);
  TScriptedPort port;
  TEnv env{late, port};
  TOutputMode other;
  TFileCluster second(env, Compressed());
  second.SetOutputMode(&other);
  EXPECT_FALSE(second.Open(prime, true));
  EXPECT_TRUE(second.LockedOut());
  ASSERT_EQ(port.messages.size(), 1u);
  EXPECT_NE(port.messages[0].find("being written by another run"), std::string::npos);
  EXPECT_EQ(mem_.Bytes(first.TextPath()), text) << "the second run emptied the first run's text file";
  EXPECT_EQ(late.Changes(), 0u) << "the refused run changed the disk";
}

TEST_P(ClusterTest, ARefusedOpenLeavesNoHeaderFileItMade) {
  std::string prime = Build();
  const std::string hdr = std::string("/lib/a/") + (Compressed() ? "GZipHdr" : "TarHdr");
  mem_.Remove(hdr);  // a library missing its header file
  TFileCluster out(env_, Compressed());
  port_.QueueAnswer(TAnswer::Cancel);  // "Add to existing file"
  EXPECT_FALSE(out.Open(prime, true));
  EXPECT_FALSE(out.LockedOut());
  EXPECT_FALSE(mem_.Exists(hdr));
}

TEST_P(ClusterTest, SplitOutputMovesFromFolderToFolder) {
  TOutputMode mode;
  mode.keepRewrite = true;
  mode.rewrite = true;
  mem_.MakeDir("/lib/split");
  TFileCluster out(env_, Compressed());
  out.SetOutputMode(&mode);
  out.SetBase("/lib/split");
  ASSERT_TRUE(out.SetOutputName("000123"));
  EXPECT_EQ(out.PrimePath(), PrimePathFor("/lib/split/000123", Compressed()));
  ASSERT_TRUE(out.SetOutputName("000456"));
  EXPECT_TRUE(mem_.Exists(PrimePathFor("/lib/split/000456", Compressed())));
  EXPECT_TRUE(mode.rewrite);  // kept for the whole run
  EXPECT_TRUE(port_.questions.empty());
}

TEST_P(ClusterTest, FlushNewNeverLeavesAPartialPrimeFile) {
  std::string prime = Build();
  std::string before = mem_.Bytes(prime);
  TFaultyFileSystem faulty(mem_);
  TEnv env{faulty, port_};
  TFileCluster c(env, Compressed());
  ASSERT_TRUE(c.Open(prime, false));
  c.ReadAll();
  faulty.Inject({TFault::DiskFullAfter, prime + ".tmp~", 100});
  EXPECT_FALSE(c.FlushNew());
  EXPECT_EQ(port_.messages, (std::vector<std::string>{"Error in writing out Prime file"}));
  EXPECT_EQ(mem_.Bytes(prime), before);
  EXPECT_FALSE(mem_.Exists(prime + ".tmp~"));
}

TEST_P(ClusterTest, RewriteInOrderWritesTheGivenOrder) {
  auto in = OpenInput(Build());
  std::vector<TPrimeRef*> order = {in->Volumes()[0].get()};  // drop Zeta
  ASSERT_TRUE(in->RewriteInOrder(order));
  ASSERT_EQ(in->Volumes().size(), 1u);
  EXPECT_EQ(in->Volumes()[0]->record.companyCode, 7u);
  EXPECT_EQ(in->Volumes()[0]->recNo, 0);
}

TEST_P(ClusterTest, APrimeFileIsNotReplacedWhileAnotherRunWritesTheLibrary) {
  const std::string prime = Build();
  auto in = OpenInput(prime);
  const std::string before = mem_.Bytes(prime);
  TOutputMode mode;
  mode.append = true;
  {
    TFileCluster writer(env_, Compressed());
    writer.SetOutputMode(&mode);
    ASSERT_TRUE(writer.Open(prime, true));
    port_.messages.clear();
    EXPECT_FALSE(in->RewriteInOrder({in->Volumes()[0].get()}));
    EXPECT_FALSE(in->FlushNew());
    EXPECT_EQ(mem_.Bytes(prime), before);
    ASSERT_EQ(port_.messages.size(), 2u);
    EXPECT_NE(port_.messages[0].find("being written by another run"), std::string::npos);
  }
  // Once that run has ended the rewrite goes ahead, and lets the library go again.
  ASSERT_TRUE(in->RewriteInOrder({in->Volumes()[0].get()}));
  EXPECT_EQ(mem_.Bytes(prime).size(), size_t(kPrimeRecordSize));
  TFileCluster next(env_, Compressed());
  next.SetOutputMode(&mode);
  EXPECT_TRUE(next.Open(prime, true));
}

TEST_P(ClusterTest, UpdateAppendAndLookupByKey) {
  auto in = OpenInput(Build());
  TPrimeRecord probe;
  probe.companyName = "ZETA gas company";
  probe.volId = "1";
  TPrimeRef* zeta = in->FindVolume(probe);
  ASSERT_NE(zeta, nullptr);
  zeta->AddToCount(2);
  probe.volRevNo = 1;
  EXPECT_EQ(in->FindVolume(probe), nullptr);
  TPrimeRef extra(probe, in.get(), -1);
  extra.Append();
  EXPECT_EQ(extra.recNo, 2);
  const TPrimeRecord zetaRecord = zeta->record;  // ReadAll frees the references
  in->ReadAll();
  ASSERT_EQ(in->Volumes().size(), 3u);
  EXPECT_NE(in->FindVolume(zetaRecord), nullptr);
  TPrimeRecord zr;
  zr.companyName = "Zeta Gas Company";
  zr.volId = "1";
  EXPECT_EQ(in->FindVolume(zr)->record.sheetCount, 5);
}

TEST_P(ClusterTest, ExtendChainLinksTheEndOnlyAfterTheNewRecords) {
  std::string prime = Build();
  TFileCluster out(env_, Compressed());
  TOutputMode mode;
  mode.append = true;
  out.SetOutputMode(&mode);
  ASSERT_TRUE(out.Open(prime, true));
  out.ReadAll();
  TPrimeRecord probe;
  probe.companyName = "ANR Pipeline Company";
  probe.volId = "1";
  TPrimeRef& anr = *out.FindVolume(probe);
  ASSERT_TRUE(out.OpenHdr());
  const int32_t size = out.HdrSize();
  const int32_t endPos = size - 1;  // ANR's chain was written last
  std::optional<THdrRecord> displaced;
  int32_t next = out.ExtendChain(endPos, displaced);
  EXPECT_EQ(next, size);
  EXPECT_FALSE(displaced);  // an EndRecord is not carried over
  THdrRecord rec;
  ASSERT_TRUE(out.ReadHdr(endPos, rec));
  EXPECT_EQ(rec[0], kEndRecord) << "nothing may point at the new records before they are written";
  TSheetBody b;
  b.sheetNo = "11      ";
  out.WriteHdrRun(next, {b.Encode(), EncodeEnd()});
  out.CloseHdr();
  EXPECT_EQ(Walk(out, anr).size(), 5u) << "written but not linked: the chain is as it was";
  ASSERT_TRUE(out.OpenHdr());
  out.LinkChain(endPos, next);
  ASSERT_TRUE(out.ReadHdr(endPos, rec));
  EXPECT_EQ(rec[0], kJumpRecord);
  EXPECT_EQ(DecodeJump(rec), size);
  out.CloseHdr();
  auto chain = Walk(out, anr);
  ASSERT_EQ(chain.size(), 7u);  // volume, issuer, docket, sheet, jump, sheet, end
  EXPECT_EQ(chain[4].second, kJumpRecord);
  EXPECT_EQ(chain[5].first, size);
  EXPECT_EQ(chain[6].second, kEndRecord);

  // A chain ending in a sheet record hands that record back, to be written
  // first at the end of the file; the record itself stays until linked.
  ASSERT_TRUE(out.OpenHdr());
  int32_t sheetPos = chain[5].first;
  int32_t n = out.HdrSize();
  EXPECT_EQ(out.ExtendChain(sheetPos, displaced), n);
  ASSERT_TRUE(displaced);
  EXPECT_EQ(TSheetBody::Decode(*displaced).sheetNo, "11      ");
  ASSERT_TRUE(out.ReadHdr(sheetPos, rec));
  EXPECT_EQ(rec[0], kSheetRecord);
  EXPECT_EQ(out.HdrSize(), n);
}

// ---- damaged header files ----

class DamagedChainTest : public ClusterTest {
 protected:
  // Overwrites record pos of library a's header file.
  void Poke(int32_t pos, const THdrRecord& rec) {
    std::string& b = mem_.Bytes(std::string("/lib/a/") + (Compressed() ? "GZipHdr" : "TarHdr"));
    std::copy(rec.begin(), rec.end(), b.begin() + pos * kHdrRecordSize);
  }
};

TEST_P(DamagedChainTest, AJumpBackIntoTheWalkEndsIt) {
  auto in = OpenInput(Build());
  TPrimeRef& zeta = *in->Volumes()[1];
  Poke(7, EncodeJump(2));  // the end record now loops back
  auto chain = Walk(*in, zeta);
  EXPECT_EQ(chain.size(), 8u);
  ASSERT_EQ(port_.messages.size(), 1u);
  EXPECT_NE(port_.messages[0].find("loops back to record 2"), std::string::npos);
}

TEST_P(DamagedChainTest, AJumpOutsideTheFileEndsTheWalk) {
  auto in = OpenInput(Build());
  TPrimeRef& zeta = *in->Volumes()[1];
  Poke(7, EncodeJump(5000));
  Walk(*in, zeta);
  ASSERT_EQ(port_.messages.size(), 1u);
  EXPECT_NE(port_.messages[0].find("jumps outside the file"), std::string::npos);
  Poke(7, EncodeJump(-3));
  Walk(*in, zeta);
  EXPECT_EQ(port_.messages.size(), 2u);
}

TEST_P(DamagedChainTest, BadFirstHdrIsReported) {
  auto in = OpenInput(Build());
  TPrimeRef& zeta = *in->Volumes()[1];
  THdrRecord rec;
  for (int32_t bad : {3, -1, 100000}) {  // a sheet record, negative, past the end
    zeta.record.firstHdr = bad;
    EXPECT_EQ(in->GetVolumeRecord(zeta, rec), -1);
  }
  EXPECT_EQ(port_.messages, std::vector<std::string>(3, "Bad PRIME file entry. Can't find Volume record"));
  EXPECT_EQ(zeta.LatestUpdate(), 0);  // the scan goes on with nothing
}

TEST_P(DamagedChainTest, AVolumeOfAnotherClusterIsNotWalked) {
  auto in = OpenInput(Build());
  auto other = OpenInput(PrimePathFor("/lib/a", Compressed()));
  EXPECT_FALSE(in->WalkChain(*other->Volumes()[0], [](int32_t, const THdrRecord&) { return true; }));
  EXPECT_EQ(port_.messages, (std::vector<std::string>{"input Prime does not point at this cluster"}));
}

TEST_P(DamagedChainTest, WalkWithoutTextDoesNotNeedTheTextFile) {
  auto in = OpenInput(Build());
  mem_.Remove(in->TextPath());
  EXPECT_EQ(in->Volumes()[1]->LatestUpdate(), PackDate(2003, 3, 3));
  EXPECT_TRUE(port_.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(BothForms, ClusterTest, ::testing::Bool(),
                         [](const auto& i) { return i.param ? "Compressed" : "Uncompressed"; });
INSTANTIATE_TEST_SUITE_P(BothForms, DamagedChainTest, ::testing::Bool(),
                         [](const auto& i) { return i.param ? "Compressed" : "Uncompressed"; });

TEST(NewerCopy, TheCopyWithTheNewerHeaderFileIsUsed) {
  TMemFileSystem mem;
  for (const char* d : {"/root", "/root/GZIP1", "/root/GZIP2"}) mem.MakeDir(d);
  EXPECT_EQ(NewerLibraryCopy(mem, "/root"), "");
  mem.WriteAll("/root/GZIP1/GZipHdr", "x");
  mem.WriteAll("/root/GZIP2/GZIPHDR", "y");
  mem.SetModTime("/root/GZIP1/GZipHdr", 10);
  mem.SetModTime("/root/GZIP2/GZIPHDR", 20);
  EXPECT_EQ(NewerLibraryCopy(mem, "/root"), "/root/GZIP2");
  mem.SetModTime("/root/GZIP2/GZIPHDR", 10);
  EXPECT_EQ(NewerLibraryCopy(mem, "/root"), "/root/GZIP1");
}

TEST(RealFiles, ASecondProcessWriterIsLockedOut) {
  namespace fs = std::filesystem;
  fs::path dir = fs::temp_directory_path() / ("vorne-lock-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  TScriptedPort port;
  TEnv env{RealFileSystem(), port};
  std::string prime = (dir / "GZPrime").string();
  {
    TFileCluster first(env, true);
    ASSERT_TRUE(first.Open(prime, true));
    TFileCluster second(env, true);
    TOutputMode mode;
    mode.append = true;
    second.SetOutputMode(&mode);
    EXPECT_FALSE(second.Open(prime, true));
  }
  TFileCluster third(env, true);
  TOutputMode mode;
  mode.append = true;
  third.SetOutputMode(&mode);
  EXPECT_TRUE(third.Open(prime, true));  // the lock goes with the first writer
  fs::remove_all(dir);
}

}  // namespace
}  // namespace vorne::testing

namespace vorne::testing {
namespace {

class SheetWriteTest : public ::testing::TestWithParam<bool> {
 protected:
  SheetWriteTest() { mem_.MakeDir("/lib"); }
  TMemFileSystem mem_;
  TScriptedPort port_;
  TEnv env_{mem_, port_};
};

TEST_P(SheetWriteTest, ApplyEditRewritesTheSheetInPlaceWithoutItsEntries) {
  TVolumePlan v;
  TSheetPlan s;
  s.sheetNo = "3";
  s.lines = {"original sheet no. 3", "text"};
  s.status = kPending;
  v.sheets = {s};
  std::string prime = BuildLibrary(env_, "/lib/e", GetParam(), {v});
  TFileCluster c(env_, GetParam());
  TOutputMode mode;
  mode.append = true;
  c.SetOutputMode(&mode);
  ASSERT_TRUE(c.Open(prime, true));
  c.ReadAll();
  TPrimeRef& vol = *c.Volumes()[0];
  THdrRecord rec;
  ASSERT_TRUE(c.ReadHdr(3, rec));
  ASSERT_EQ(rec[0], kSheetRecord);
  TSheet sheet(TSheetBody::Decode(rec), &vol, 3);
  sheet.AttachIssuer(ReadEntry5(c, sheet.body.issuePos));
  sheet.AttachDocket(ReadEntry6(c, sheet.body.docketPos));
  const int32_t size = c.HdrSize();
  SetTodayForTesting(TDate{2006, 7, 8});
  THeaderEdit edit;
  edit.status = kEffective;
  edit.orderType = 3;
  edit.orderCite = TZoakCite{110, 2, 45, 106};
  edit.refundFlag = 1;
  edit.filingDate = PackDate(2006, 1, 1);
  edit.sheetType = 4;
  ApplyEdit(sheet, edit, c);
  SetTodayForTesting(std::nullopt);
  EXPECT_EQ(c.HdrSize(), size);  // nothing appended: the entries were not rewritten
  ASSERT_TRUE(c.ReadHdr(3, rec));
  TSheetBody b = TSheetBody::Decode(rec);
  EXPECT_EQ(b.status, kEffective);
  EXPECT_EQ(b.orderType, 3);
  EXPECT_EQ(b.orderCite, *edit.orderCite);
  EXPECT_EQ(b.refundFlag, 1);
  EXPECT_EQ(b.filingDate, PackDate(2006, 1, 1));
  EXPECT_EQ(b.sheetType, 4);
  EXPECT_EQ(b.updDate, PackDate(2006, 7, 8));
  EXPECT_EQ(b.issuePos, sheet.Issuer()->position);
  EXPECT_EQ(vol.record.updated, PackDate(2006, 7, 8));  // in memory; its owner writes it
}

TEST_P(SheetWriteTest, CopyTextCarriesThePagesToAClusterOfTheOtherForm) {
  TVolumePlan v;
  TSheetPlan s;
  s.sheetNo = "1";
  for (int i = 0; i < 60; ++i) s.lines.push_back("line " + std::to_string(i) + std::string(size_t(i * 3), '*'));
  v.sheets = {s};
  std::string prime = BuildLibrary(env_, "/lib/src", GetParam(), {v});
  TFileCluster in(env_, GetParam());
  ASSERT_TRUE(in.Open(prime, false));
  in.ReadAll();
  THdrRecord rec;
  ASSERT_TRUE(in.ReadHdr(3, rec));
  TSheet sheet(TSheetBody::Decode(rec), in.Volumes()[0].get(), 3);

  TFileCluster out(env_, !GetParam());
  ASSERT_TRUE(out.Open(PrimePathFor("/lib/dst", !GetParam()), true));
  ASSERT_TRUE(in.OpenBuffer());
  ASSERT_TRUE(out.OpenBuffer());
  std::optional<TTextPos> pos = CopyText(sheet, *in.Buffer(), *out.OutBuffer());
  ASSERT_TRUE(pos);
  EXPECT_EQ(pos->pageCount, sheet.body.text.pageCount);
  out.CloseBuffer();
  in.CloseBuffer();

  TFileCluster back(env_, !GetParam());
  ASSERT_TRUE(back.Open(PrimePathFor("/lib/dst", !GetParam()), false));
  ASSERT_TRUE(back.OpenBuffer());
  std::vector<std::string> lines;
  int32_t maxLen = 0, count = 0;
  ASSERT_TRUE(back.Buffer()->SheetText(*pos, lines, maxLen, count));
  ASSERT_EQ(lines.size(), 60u);
  EXPECT_EQ(lines[0], "Line 0");
  EXPECT_EQ(lines[59], s.lines[59]);
}

INSTANTIATE_TEST_SUITE_P(BothForms, SheetWriteTest, ::testing::Bool(),
                         [](const auto& i) { return i.param ? "Compressed" : "Uncompressed"; });

}  // namespace
}  // namespace vorne::testing
