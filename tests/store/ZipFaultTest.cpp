// The text buffers on full disks, failing reads, damaged blocks and sheets
// whose end is unusual or missing.
#include <zlib.h>

#include "store/Errors.h"
#include "store/Zlib.h"
#include "ZipFixture.h"

namespace vorne::testing {
namespace {

std::string Str(size_t n, char c) { return std::string(n, c); }

std::string Block(const std::string& pages) {
  std::string z = Deflated(pages);
  std::string length(4, '\0');
  PutU32(reinterpret_cast<uint8_t*>(length.data()), uint32_t(z.size()));
  return length + z;
}

// A page from raw bytes, the rest zero.
std::string RawPage(const std::string& bytes) { return bytes + std::string(kPageSize - bytes.size(), '\0'); }

// Line stream bytes: a length byte and the characters of each line.
std::string Stream(const TLines& lines) {
  std::string s;
  for (const std::string& l : lines) s += char(l.size()) + l;
  return s;
}

// A one-page sheet ended by the end line and FF at offset 255.
std::string SheetPageOf(const TLines& lines) {
  std::string page = RawPage(Stream(lines) + Bytes({2, 13, 12}));
  page[255] = '\f';
  return page;
}

class ZipFaultForms : public ZipForms {};

// ---- writing ----------------------------------------------------------------

TEST_F(ZipFixture, UncompressedDiskFullRaisesDiskOverrunAndKeepsWholePages) {
  WriteFile(false, {{"Kept", "a"}, {"Kept", "b"}});
  fs.written_ = 0;
  fs.Inject({TFault::DiskFullAfter, kPath, 3 * kPageSize});
  auto w = Writer(false);
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(w->WriteSheet(TLines{"Lost", "x"}));
  EXPECT_THROW(w->Flush(), EDiskOverrun);
  // The half-written pages are cut off; the earlier sheets stay readable.
  EXPECT_EQ(File().size(), 2u * kPageSize);
  fs.Clear();
  std::optional<TTextPos> pos = w->WriteSheet(TLines{"Again", "y"});
  ASSERT_TRUE(pos);
  EXPECT_EQ(pos->dbfPos, 2);
  ASSERT_TRUE(w->Close());
  auto r = Reader(false);
  EXPECT_EQ(Read(*r, TTextPos{1, 0, 1}), (TLines{"Kept", "b"}));
  EXPECT_EQ(Read(*r, *pos), (TLines{"Again", "y"}));
}

TEST_F(ZipFixture, DiskFullOnCloseStillClosesTheFile) {
  fs.Inject({TFault::DiskFullAfter, kPath, 0});
  auto w = Writer(false);
  ASSERT_TRUE(w->WriteSheet(TLines{"Lost", "x"}));
  EXPECT_THROW(w->Close(), EDiskOverrun);
  EXPECT_FALSE(w->IsOpen());
}

TEST_P(ZipFaultForms, OtherWriteErrorsShowTheirCodeAndFail) {
  fs.Inject({TFault::WriteErrorAfter, kPath, 10, 13});
  auto w = Writer(Compressed());
  ASSERT_TRUE(w->WriteSheet(TLines{"Lost", "x"}));
  EXPECT_FALSE(w->Flush());
  EXPECT_EQ(port.messages, TLines{"Write error,probably hardware; code=13"});
  EXPECT_EQ(File().size(), 0u);
}

TEST_F(ZipFixture, CompressedDiskFullShowsNewDiskNeededAndKeepsWholeBlocks) {
  std::vector<TTextPos> kept = WriteFile(true, {{"Kept", "a"}});
  const size_t size = File().size();
  fs.written_ = 0;
  fs.Inject({TFault::DiskFullAfter, kPath, 6});
  auto w = Writer(true);
  ASSERT_TRUE(w->WriteSheet(TLines{"Lost", "x"}));
  EXPECT_FALSE(w->Close());
  EXPECT_EQ(port.messages, TLines{"Won't fit, new disk needed"});
  EXPECT_EQ(File().size(), size);
  fs.Clear();
  EXPECT_EQ(Read(*Reader(true), kept[0]), (TLines{"Kept", "a"}));
}

TEST_F(ZipFixture, OpenFailuresLeaveTheBuffersClosed) {
  auto r = Reader(true);  // no file yet
  EXPECT_FALSE(r->IsOpen());
  fs.Inject({TFault::OpenFails, kPath});
  auto w = Writer(false);
  EXPECT_FALSE(w->IsOpen());
  EXPECT_FALSE(w->WriteSheet(TLines{"A", "b"}));
  EXPECT_EQ(port.messages, (TLines{"Cannot open input file", "Can't create DBF file"}));
}

// ---- reading: the file --------------------------------------------------------

TEST_F(ZipFixture, UncompressedReadErrorsAreErrorReadingDbf) {
  std::vector<TTextPos> pos = WriteFile(false, std::vector<TLines>(200, TLines{"S", "t"}));
  auto r = Reader(false);
  fs.Inject({TFault::ReadError, "", 0, 5});
  // The reader opened before the fault; reopen so its file carries it.
  r->Open();
  TLines lines{"old"};
  int32_t m = 0, c = 0;
  EXPECT_FALSE(r->SheetText(pos[150], lines, m, c));
  EXPECT_TRUE(lines.empty());
  EXPECT_EQ(port.messages, (TLines{"Error reading DBF", "I/O error: File seek failed for this sheet"}));
  fs.Clear();
  EXPECT_EQ(Read(*r, pos[150]), (TLines{"S", "t"}));
}

TEST_F(ZipFixture, AShortReadInsideASheetFailsTheSheet) {
  TLines long30 = {"Long"};
  for (int i = 0; i < 29; ++i) long30.push_back(Str(255, 'q'));
  std::vector<TLines> sheets(90, TLines{"S", "t"});
  sheets.push_back(long30);
  std::vector<TTextPos> pos = WriteFile(false, sheets);
  // Open reads the first window; the reload at page 90 then gets 10 pages.
  fs.Inject({TFault::ShortRead, kPath, kZipArea + 10 * kPageSize});
  fs.read_ = 0;
  auto r = Reader(false);
  TLines lines;
  int32_t m = 0, c = 0;
  EXPECT_FALSE(r->SheetText(pos[90], lines, m, c));
  EXPECT_TRUE(lines.empty());
  EXPECT_EQ(port.messages, TLines{"Error reading DBF"});
}

TEST_F(ZipFixture, CompressedReadFailuresRaiseAndTheReaderRecovers) {
  std::vector<TTextPos> pos = WriteFile(true, {{"A", "b"}});
  fs.Inject({TFault::ReadError, kPath, 0, 5});
  auto r = Reader(true);
  TLines lines;
  int32_t m = 0, c = 0;
  EXPECT_THROW(r->SheetText(pos[0], lines, m, c), EInOutError);
  fs.Inject({TFault::ShortRead, kPath, fs.read_ + 10});
  try {
    r->SheetText(pos[0], lines, m, c);
    ADD_FAILURE() << "no exception";
  } catch (const EUnzipError& e) {
    EXPECT_STREQ(e.what(), "Unexpected end of file in decompress");
  }
  fs.Clear();
  EXPECT_EQ(Read(*r, pos[0]), (TLines{"A", "b"}));
}

// ---- reading: damaged blocks and positions ------------------------------------

class ZipDamage : public ZipFixture {
 protected:
  void ExpectUnzipError(const std::string& file, const char* what) {
    File() = file;
    auto r = Reader(true);
    ASSERT_TRUE(r->IsOpen());
    TLines lines;
    int32_t m = 0, c = 0;
    try {
      r->SheetText(TTextPos{0, 0, 1}, lines, m, c);
      ADD_FAILURE() << "no exception";
    } catch (const EUnzipError& e) {
      if (what) {
        EXPECT_STREQ(e.what(), what);
      }
    }
  }
  void SetUp() override { mem.WriteAll(kPath, ""); }
};

TEST_F(ZipDamage, CutBlocksAreAnUnexpectedEnd) {
  const std::string block = Block(SheetPageOf({"A", "b"}));
  ExpectUnzipError("", "Unexpected end of file in decompress");  // an empty file opens, then fails
  ExpectUnzipError(block.substr(0, 3), "Unexpected end of file in decompress");
  ExpectUnzipError(block.substr(0, block.size() - 1), "Unexpected end of file in decompress");
  EXPECT_TRUE(port.messages.empty());
}

TEST_F(ZipDamage, BlocksOfPartPagesOrTooManyPagesAreRefused) {
  ExpectUnzipError(Block(std::string(300, ' ')), nullptr);
  ExpectUnzipError(Block(std::string(101 * kPageSize, ' ')), nullptr);
  ExpectUnzipError(Bytes({0xFF, 0xFF, 0xFF, 0xFF}) + std::string(100, 'z'), nullptr);  // absurd length
}

TEST_F(ZipDamage, AGarbledStreamIsADecompressionError) {
  std::string block = Block(SheetPageOf({"A", "b"}));
  block[4] = 0;
  File() = block;
  auto r = Reader(true);
  TLines lines;
  int32_t m = 0, c = 0;
  EXPECT_THROW(r->SheetText(TTextPos{0, 0, 1}, lines, m, c), EDecompressionError);
}

TEST_P(ZipFaultForms, PositionsOutsideTheBlockOrFileAreSeekFailures) {
  std::string pages = SheetPageOf({"A", "b"}) + SheetPageOf({"C", "d"}) + SheetPageOf({"E", "f"});
  mem.WriteAll(kPath, Compressed() ? Block(pages) : pages + "partial page");
  auto r = Reader(Compressed());
  const int32_t at = Compressed() ? 0 : 1;  // the second sheet
  const uint8_t index = Compressed() ? 1 : 0;
  EXPECT_EQ(Read(*r, TTextPos{at, index, 1}), (TLines{"C", "d"}));
  const TTextPos bad[] = {
      Compressed() ? TTextPos{0, 2, 2} : TTextPos{2, 0, 2},    // runs past the end
      Compressed() ? TTextPos{0, 3, 1} : TTextPos{3, 0, 1},    // starts past the end
      TTextPos{at, index, 0}, TTextPos{at, index, 101}, TTextPos{-1, 0, 1},
  };
  for (const TTextPos& pos : bad) {
    TLines lines{"old"};
    int32_t m = 0, c = 0;
    EXPECT_FALSE(r->SheetText(pos, lines, m, c)) << pos.dbfPos << " " << int(pos.pageIndex) << " " << int(pos.pageCount);
    EXPECT_TRUE(lines.empty());
    EXPECT_EQ(port.messages.back(), "I/O error: File seek failed for this sheet");
  }
  EXPECT_EQ(Read(*r, TTextPos{at, index, 1}), (TLines{"C", "d"}));
}

// ---- the end of a sheet ---------------------------------------------------------

TEST_P(ZipFaultForms, AnFFAtOffset255OfAnEarlierPageIsText) {
  TLines sheet = {"T", Str(249, 'x'), "ab\xFF" "cdef", "after"};
  TTextPos pos = WriteFile(Compressed(), {sheet})[0];
  ASSERT_EQ(PageBytes(Compressed(), 0, 252, 255), Bytes({7, 'a', 'b', 0xFF}));
  EXPECT_EQ(Read(*Reader(Compressed()), pos), sheet);
}

TEST_P(ZipFaultForms, ShortLastLinesNearThePageEndAreKept) {
  struct TCase {
    TLines sheet;
    std::string end;  // offsets 252-255
    TLines read;
  } cases[] = {
      {{"T", Str(249, 'x'), ""}, Bytes({0, 2, 13, 12}), {"T", Str(249, 'x'), ""}},
      {{"T", Str(250, 'x'), ""}, Bytes({'x', 0, 1, 12}), {"T", Str(250, 'x'), ""}},
      {{"T", Str(249, 'x'), "q"}, Bytes({1, 'q', 1, 12}), {"T", Str(249, 'x'), "q"}},
      // Ending at offset 254, the line takes a trailing space and the end moves on.
      {{"T", Str(250, 'x'), "q"}, Bytes({'x', 2, 'q', ' '}), {"T", Str(250, 'x'), "q "}},
  };
  for (const TCase& c : cases) {
    TTextPos pos = WriteFile(Compressed(), {c.sheet})[0];
    EXPECT_EQ(PageBytes(Compressed(), 0, 252, 255), c.end);
    EXPECT_EQ(Read(*Reader(Compressed()), pos), c.read);
  }
}

TEST_P(ZipFaultForms, AnEndLineBeforeTheLastPageIsText) {
  TLines sheet = {"T", "\r\f", Str(255, 'y'), "after"};
  TTextPos pos = WriteFile(Compressed(), {sheet})[0];
  ASSERT_EQ(pos.pageCount, 2);
  EXPECT_EQ(Read(*Reader(Compressed()), pos), (TLines{"T", Str(255, 'y'), "after"}));
}

TEST_P(ZipFaultForms, ASheetWithoutAnEndStopsAtItsLastPage) {
  // Page 0: lines and then a line that would run into page 1, which holds
  // another sheet.
  std::string page0 = RawPage(Stream({"T", "one", "two"}) + char(255) + "never");
  std::string pages = page0 + SheetPageOf({"Other", "sheet"});
  mem.WriteAll(kPath, Compressed() ? Block(pages) : pages);
  auto r = Reader(Compressed());
  EXPECT_EQ(Read(*r, TTextPos{0, 0, 1}), (TLines{"T", "one", "two"}));
  // The same at the end of the block or file, where no next page exists.
  File() = Compressed() ? Block(page0) : page0;
  r = Reader(Compressed());
  EXPECT_EQ(Read(*r, TTextPos{0, 0, 1}), (TLines{"T", "one", "two"}));
  EXPECT_TRUE(port.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Forms, ZipFaultForms, ::testing::Bool(), FormName);

}  // namespace
}  // namespace vorne::testing
