// The files a copy writes, byte for byte: a sample library is added to an
// empty output and a second one merged into it, and the output's prime,
// header and text files must hash to the values recorded from a known-good
// copy. Any change to what the copy engine reads or writes shows here.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <span>

#include "copy/CopyErrors.h"
#include "copy/OutputVolumes.h"
#include "platform/Workers.h"
#include "store/Bytes.h"
#include "store/Zlib.h"
#include "store/Common.h"
#include "store/Headers.h"
#include "store/Errors.h"
#include "store/TextReader.h"
#include "support/LibraryBuilder.h"
#include "support/MemFileSystem.h"
#include "support/ScriptedPort.h"
#include "support/SheetTexts.h"

namespace vorne::testing {
namespace {

uint64_t Fnv1a(const std::string& bytes) {
  uint64_t h = 1469598103934665603ull;
  for (unsigned char c : bytes) {
    h ^= c;
    h *= 1099511628211ull;
  }
  return h;
}

std::string Hex(uint64_t v) {
  char s[24];
  std::snprintf(s, sizeof s, "%016llx", static_cast<unsigned long long>(v));
  return s;
}

TSheetPlan Sheet(const std::string& no, std::vector<std::string> lines, uint16_t filed, uint16_t upd,
                 uint8_t status = kEffective, const std::string& docket = "RP96-1-000") {
  TSheetPlan s;
  s.sheetNo = no;
  s.lines = std::move(lines);
  s.filingDate = filed;
  s.updDate = upd;
  s.status = status;
  s.docket = docket;
  return s;
}

// Titles whose sorted order is not their file order, sheets of one page and
// of many (several text blocks in all), an empty title, an over-long one,
// one in lower case and two versions of one title.
TVolumePlan First(uint32_t code, const std::string& company, int sheets) {
  TVolumePlan v;
  v.companyCode = code;
  v.company = company;
  for (int i = 0; i < sheets; ++i) {
    const std::string no = std::to_string(i + 1);
    std::vector<std::string> lines;
    switch (i % 7) {
      case 0: lines.push_back(""); break;
      case 1: lines.push_back("rate schedule ft-" + no + " firm transportation service of the pipeline"); break;
      default: lines.push_back("Original Sheet No. " + std::to_string((i * 13) % 31)); break;
    }
    const int body = 3 + (i * 17) % 45;
    for (int l = 0; l < body; ++l)
      lines.push_back("  line " + std::to_string(l) + " of sheet " + no + std::string(size_t(l * 7 % 90), '.'));
    v.sheets.push_back(Sheet(no, lines, uint16_t(PackDate(2001, 1 + i % 12, 1 + i % 27)),
                             uint16_t(PackDate(2002, 1 + i % 12, 2)), i % 5 == 4 ? kPending : kEffective,
                             "RP0" + std::to_string(i % 3) + "-1-000"));
  }
  return v;
}

// Some titles of First again, updated later (replaced) or filed on other
// dates, and some new ones.
TVolumePlan Second(uint32_t code, const std::string& company) {
  TVolumePlan v = First(code, company, 12);
  for (size_t i = 0; i < v.sheets.size(); ++i) {
    TSheetPlan& s = v.sheets[i];
    if (i % 3 == 0) s.updDate = uint16_t(PackDate(2003, 5, 5));
    if (i % 3 == 1) s.filingDate = uint16_t(PackDate(1999, 3, 3));
    s.lines.push_back("  amended");
  }
  for (int i = 0; i < 5; ++i)
    v.sheets.push_back(Sheet("9" + std::to_string(i), {"Added Sheet " + std::to_string(i), "  new text"},
                             uint16_t(PackDate(2004, 2, 2)), uint16_t(PackDate(2004, 2, 3))));
  return v;
}

class CopyOutputBytesTest : public ::testing::Test {
 protected:
  CopyOutputBytesTest() { mem_.MakeDir("/w"); }

  void Copy(const std::string& srcDir, bool srcCompressed, const std::vector<TVolumePlan>& volumes,
            bool outCompressed) {
    std::string prime = BuildLibrary(env_, srcDir, srcCompressed, volumes);
    for (const std::string& outcome : CopyEveryVolume(prime, srcCompressed, outCompressed))
      EXPECT_EQ(outcome, "copied");
  }

  // Copies every volume of the library at prime into /w/out (merging), and
  // says of each "copied", "not copied" or the error it raised.
  std::vector<std::string> CopyEveryVolume(const std::string& prime, bool srcCompressed, bool outCompressed) {
    std::vector<std::string> outcomes;
    TFileCluster src(env_, srcCompressed);
    EXPECT_TRUE(src.Open(prime, false));
    src.ReadAll();
    TOutputMode mode;
    mode.append = true;
    TFileCluster out(env_, outCompressed);
    out.SetOutputMode(&mode);
    EXPECT_TRUE(out.Open(PrimePathFor("/w/out", outCompressed), true));
    out.ReadAll();
    TToDisplay display;
    display.SetClock([] { return std::chrono::steady_clock::time_point{}; });
    display.SetOutput(out);
    TCopyErrors dups;
    for (const auto& v : src.Volumes()) {
      THdrList list(*v, nullptr);
      list.Load();
      try {
        outcomes.push_back(display.CopyVolume(*v, list, dups, {}) ? "copied" : "not copied");
      } catch (const EVorneError& e) {
        outcomes.push_back(e.what());
      }
    }
    out.CloseBuffer();
    out.CloseHdr();
    out.FlushNew();
    return outcomes;
  }

  // "prime header text" digests of the output library.
  std::string Digests(bool compressed) {
    const TFormNames& n = compressed ? kCompressedNames : kUncompressedNames;
    std::string d;
    for (const char* f : {n.prime, n.header, n.text}) {
      const std::string bytes = mem_.ReadAll(std::string("/w/out/") + f);
      EXPECT_FALSE(bytes.empty()) << f;
      d += (d.empty() ? "" : " ") + Hex(Fnv1a(bytes));
    }
    return d;
  }

  void AddThenMerge(bool srcCompressed, bool outCompressed) {
    Copy("/w/a", srcCompressed,
         {First(7, "Alpha Pipeline Company", 40), First(9, "Beta Gas Transmission", 25)}, outCompressed);
    Copy("/w/b", srcCompressed, {Second(7, "Alpha Pipeline Company"), First(11, "Gamma Interstate", 8)},
         outCompressed);
  }

  TMemFileSystem mem_;
  TScriptedPort port_;
  TEnv env_{mem_, port_};
};

TEST_F(CopyOutputBytesTest, CompressedSourceIntoCompressedOutput) {
  AddThenMerge(true, true);
  EXPECT_EQ(Digests(true), "de89ae64ccf8685f 9df6f6e2744c8422 9f1ba6635399e0d5");
}

TEST_F(CopyOutputBytesTest, UncompressedSourceIntoCompressedOutput) {
  AddThenMerge(false, true);
  EXPECT_EQ(Digests(true), "de89ae64ccf8685f 9df6f6e2744c8422 9f1ba6635399e0d5");
}

TEST_F(CopyOutputBytesTest, CompressedSourceIntoUncompressedOutput) {
  AddThenMerge(true, false);
  EXPECT_EQ(Digests(false), "de89ae64ccf8685f dbfa349a324087ef b565be68f7aad939");
}

// Blocks compressed and inflated on the pool change nothing: an add and a
// merge write the same files on one thread as on four, and every block of the
// text file is a zlib stream that stock zlib inflates to whole pages.
TEST_F(CopyOutputBytesTest, OneThreadAndManyWriteTheSameFilesOfStockZlibBlocks) {
  std::vector<std::string> files[2];
  for (int threads : {1, 4}) {
    SetWorkerThreadsForTesting(threads);
    for (const char* dir : {"/w/a", "/w/b", "/w/out"})
      for (const std::string& f : mem_.List(dir)) mem_.Remove(std::string(dir) + "/" + f);
    AddThenMerge(true, true);
    for (const char* f : {kCompressedNames.prime, kCompressedNames.header, kCompressedNames.text})
      files[threads > 1].push_back(mem_.ReadAll(std::string("/w/out/") + f));
  }
  SetWorkerThreadsForTesting(std::nullopt);
  EXPECT_TRUE(files[0] == files[1]);
  EXPECT_TRUE(port_.messages.empty());

  const std::string& text = files[1][2];
  size_t at = 0, blocks = 0;
  while (at + 4 <= text.size()) {
    const uint32_t n = GetU32(reinterpret_cast<const uint8_t*>(text.data() + at));
    std::vector<uint8_t> pages(kMaxBlockBytes + 1);
    uLongf got = uLongf(pages.size());
    ASSERT_EQ(uncompress(pages.data(), &got, reinterpret_cast<const Bytef*>(text.data() + at + 4), n), Z_OK)
        << "block at " << at;
    EXPECT_EQ(got % kPageSize, 0u);
    EXPECT_LE(got, kMaxBlockBytes);
    at += 4 + n;
    ++blocks;
  }
  EXPECT_EQ(at, text.size());
  EXPECT_GT(blocks, 3u);
}

// A source text file with a damaged block: the copy of the volume whose sheet
// lives there fails with the codec's message, the volumes before and after it
// copy, and all of it is the same on one thread as on four, where the
// copied blocks are compressed on the pool.
TEST_F(CopyOutputBytesTest, ADamagedSourceBlockFailsItsVolumeAloneAndTheSameOnAnyThreadCount) {
  const std::string prime = BuildLibrary(
      env_, "/w/a", true,
      {First(7, "Alpha Pipeline Company", 40), First(9, "Beta Gas Transmission", 60), First(11, "Gamma Interstate", 8)});
  // What the undamaged volumes hold: company code, title and text of each sheet.
  auto texts = [&](const std::string& primePath, uint32_t skippedCode) {
    std::vector<std::string> all;
    TFileCluster c(env_, true);
    EXPECT_TRUE(c.Open(primePath, false));
    ForEachSheetText(c, [&](const TPrimeRef& v, const std::string& name, const TSheetPtr&, const std::string& text) {
      if (v.record.companyCode != skippedCode) all.push_back(std::to_string(v.record.companyCode) + name + text);
    });
    return all;
  };
  const std::vector<std::string> undamaged = texts(prime, 9);
  // The damage: bytes in the middle of a block past the first of the file.
  const std::string textPath = std::string("/w/a/") + kCompressedNames.text;
  std::string text = mem_.ReadAll(textPath);
  std::vector<size_t> blocks;
  for (size_t at = 0; at + 4 <= text.size(); at += 4 + GetU32(reinterpret_cast<const uint8_t*>(text.data() + at)))
    blocks.push_back(at);
  ASSERT_GT(blocks.size(), 6u);
  const size_t damaged = blocks[blocks.size() / 2];
  for (size_t i = 0; i < 16; ++i) text[damaged + 40 + i] = char(0xA5 ^ i);
  mem_.WriteAll(textPath, text);

  struct TRun {
    std::vector<std::string> volumes;  // "copied", "not copied" or the error raised
    std::vector<std::string> messages, files;
  };
  auto copyAll = [&](int threads) {
    SetWorkerThreadsForTesting(threads);
    for (const std::string& f : mem_.List("/w/out")) mem_.Remove("/w/out/" + f);
    port_.messages.clear();
    TRun run;
    run.volumes = CopyEveryVolume(prime, true, true);
    run.messages = port_.messages;
    for (const char* f : {kCompressedNames.prime, kCompressedNames.header, kCompressedNames.text})
      run.files.push_back(mem_.ReadAll(std::string("/w/out/") + f));
    return run;
  };
  const TRun one = copyAll(1), many = copyAll(4);
  SetWorkerThreadsForTesting(std::nullopt);

  EXPECT_EQ(one.volumes, (std::vector<std::string>{
                             "copied", "Decompression error (damaged or incomplete zlib stream)", "copied"}));
  EXPECT_EQ(many.volumes, one.volumes);
  EXPECT_EQ(many.messages, one.messages);
  EXPECT_TRUE(many.files == one.files);

  // The volumes around it were copied whole.
  EXPECT_EQ(texts(PrimePathFor("/w/out", true), 0), undamaged);
}

// Reading a sheet's title and keeping its pages in one go gives the title
// SheetName gives and the pages a copy would read.
TEST_F(CopyOutputBytesTest, KeptPagesMatchWhatACopyWouldReadAndTitlesMatchSheetName) {
  for (bool compressed : {true, false}) {
    SCOPED_TRACE(compressed ? "compressed" : "uncompressed");
    const std::string dir = compressed ? "/w/kc" : "/w/ku";
    TFileCluster src(env_, compressed);
    ASSERT_TRUE(src.Open(BuildLibrary(env_, dir, compressed, {First(7, "Alpha Pipeline Company", 30)}), false));
    src.ReadAll();
    THdrList list(*src.Volumes().front(), nullptr);
    list.Load();
    TNamedSheets sheets;
    TAuxList<T5Entry> issuers;
    TAuxList<T6Entry> dockets;
    list.FillSheets(sheets, issuers, dockets);
    ASSERT_EQ(sheets.size(), 30u);
    ASSERT_TRUE(src.OpenBuffer());
    std::vector<uint8_t> kept;
    std::set<std::string> titles;
    // Backwards, so that the reads jump between blocks.
    for (auto it = sheets.rbegin(); it != sheets.rend(); ++it) {
      TSheet& sheet = *it->second;
      const size_t before = kept.size();
      const std::string title = SheetNameKeepingPages(sheet, src.Buffer(), kept);
      EXPECT_EQ(title, SheetName(sheet, src.Buffer()));
      titles.insert(title);
      if (!compressed) {
        EXPECT_EQ(kept.size(), before);  // plain text is cheap to read again
        continue;
      }
      std::span<const uint8_t> pages = src.Buffer()->SheetPages(sheet.body.text);
      ASSERT_EQ(kept.size() - before, pages.size());
      EXPECT_TRUE(std::equal(pages.begin(), pages.end(), kept.begin() + std::ptrdiff_t(before)));
    }
    EXPECT_TRUE(titles.count("Title Page"));
    EXPECT_TRUE(titles.count("Rate Schedule Ft-2 Firm Transportation S"));  // 40 characters

    // A text position outside the file: no pages, SheetName's answer.
    TSheet& sheet = *sheets.front().second;
    sheet.body.text.pageCount = 0;
    const size_t before = kept.size();
    EXPECT_EQ(SheetNameKeepingPages(sheet, src.Buffer(), kept), SheetName(sheet, src.Buffer()));
    EXPECT_EQ(kept.size(), before);
    src.CloseBuffer();
  }
}

}  // namespace
}  // namespace vorne::testing
