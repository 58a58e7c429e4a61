// The page rules of the text buffers, byte for byte, and round trips through
// the writer and the reader in both forms.
#include <random>

#include "store/Errors.h"
#include "ZipFixture.h"

namespace vorne::testing {
namespace {

std::string Str(size_t n, char c) { return std::string(n, c); }

// ---- page rules -----------------------------------------------------------

TEST_P(ZipForms, A253CharacterLinePutsTheNextLengthByteAtOffset254) {
  TLines sheet = {Str(253, 'A'), "B"};
  TTextPos pos = WriteFile(Compressed(), {sheet})[0];
  EXPECT_EQ(pos.pageCount, 2);
  EXPECT_EQ(PageBytes(Compressed(), 0, 0, 1), Bytes({253, 'A'}));
  EXPECT_EQ(PageBytes(Compressed(), 0, 253, 255), Bytes({'A', 1, 'B'}));
  // The end on an empty page: end line, a filler of 250 spaces, FF.
  EXPECT_EQ(PageBytes(Compressed(), 1, 0, 4), Bytes({2, 13, 12, 250, ' '}));
  EXPECT_EQ(PageBytes(Compressed(), 1, 252, 255), Bytes({' ', ' ', 0, 12}));
  EXPECT_EQ(Read(*Reader(Compressed()), pos), Expected(sheet));
}

TEST_P(ZipForms, A254CharacterLineGetsATrailingSpaceAndTheNextLineANewPage) {
  TLines sheet = {Str(254, 'A'), "C"};
  TTextPos pos = WriteFile(Compressed(), {sheet})[0];
  EXPECT_EQ(pos.pageCount, 2);
  EXPECT_EQ(PageBytes(Compressed(), 0, 0, 1), Bytes({255, 'A'}));
  EXPECT_EQ(PageBytes(Compressed(), 0, 254, 255), Bytes({'A', ' '}));
  EXPECT_EQ(PageBytes(Compressed(), 1, 0, 4), Bytes({1, 'C', 2, 13, 12}));
  TLines got = Read(*Reader(Compressed()), pos);
  EXPECT_EQ(got, (TLines{TitleCase(Str(254, 'A')), "C"}));
}

TEST_P(ZipForms, SheetEndsForEachNumberOfFreeBytes) {
  // After the title "T" (2 bytes) a body line of 252 - r characters leaves r
  // bytes free at the end of the page.
  const std::string kEnds[] = {
      "",
      Bytes({'x', 'x', 'x', 'x', 1, 12}),   // r = 1: 1, FF at 254-255
      Bytes({'x', 'x', 'x', 2, 13, 12}),    // r = 2: end line at 253-255
      Bytes({'x', 'x', 2, 13, 12, 12}),     // r = 3: end line at 252-254, FF
      Bytes({'x', 2, 13, 12, 0, 12}),       // r = 4: end line at 251-253, 254 unwritten
      Bytes({2, 13, 12, 0, 0, 12}),         // r = 5: end line, empty filler at 253
  };
  for (int r = 1; r <= 5; ++r) {
    SCOPED_TRACE(r);
    TLines sheet = {"T", Str(size_t(252 - r), 'x'), };
    TTextPos pos = WriteFile(Compressed(), {sheet, {"Next", "sheet"}})[0];
    EXPECT_EQ(pos.pageCount, 1);
    EXPECT_EQ(PageBytes(Compressed(), 0, 250, 255), kEnds[r]);
    EXPECT_EQ(PageBytes(Compressed(), 1, 0, 4), Bytes({4, 'N', 'e', 'x', 't'}));
    EXPECT_EQ(Read(*Reader(Compressed()), pos), sheet);
  }
}

TEST_P(ZipForms, LinesRunContiguouslyAcrossPages) {
  TLines sheet = {"T", Str(100, 'a'), Str(100, 'b'), Str(100, 'c'), "tail"};
  TTextPos pos = WriteFile(Compressed(), {sheet})[0];
  EXPECT_EQ(pos.pageCount, 2);
  // The third body line's length byte at 204, 51 characters on page 0, 49 on page 1.
  EXPECT_EQ(PageBytes(Compressed(), 0, 203, 206), Bytes({'b', 100, 'c', 'c'}));
  EXPECT_EQ(PageBytes(Compressed(), 1, 48, 50), Bytes({'c', 4, 't'}));
  EXPECT_EQ(PageBytes(Compressed(), 1, 54, 57), Bytes({2, 13, 12, 196}));
  EXPECT_EQ(Read(*Reader(Compressed()), pos), sheet);
}

TEST_P(ZipForms, UnwrittenBytesAreZeroEvenWhenTheWindowWasUsedBefore) {
  auto w = Writer(Compressed());
  ASSERT_TRUE(w->WriteSheet(TLines{"T", Str(251, 'Z')}));  // 1, FF at 254-255
  ASSERT_TRUE(w->Flush());
  ASSERT_TRUE(w->WriteSheet(TLines{"T", Str(248, 'y')}));  // offset 254 left unwritten
  ASSERT_TRUE(w->Close());
  EXPECT_EQ(PageBytes(Compressed(), 1, 251, 255), Bytes({2, 13, 12, 0, 12}));
}

// ---- sheet sizes ----------------------------------------------------------

TLines FullPageLines(int count) {
  TLines lines;
  for (int i = 0; i < count; ++i) lines.push_back(Str(255, char('a' + i % 26)));
  return lines;
}

TEST_P(ZipForms, SheetsOf99And100PagesRoundTrip) {
  TLines s99 = FullPageLines(98);             // 98 pages of lines, the end on page 99
  TLines s100 = FullPageLines(99);
  s100.push_back("last");                     // the end shares page 100
  std::vector<TTextPos> pos = WriteFile(Compressed(), {s99, s100});
  EXPECT_EQ(pos[0].pageCount, 99);
  EXPECT_EQ(pos[1].pageCount, 100);
  auto r = Reader(Compressed());
  ExpectSameText(Read(*r, pos[1]), Expected(s100));
  ExpectSameText(Read(*r, pos[0]), Expected(s99));
}

TEST_P(ZipForms, ASheetNeedingMoreThan100PagesIsNotStored) {
  auto w = Writer(Compressed());
  std::optional<TTextPos> small = w->WriteSheet(TLines{"Small", "one"});
  ASSERT_TRUE(small);
  EXPECT_FALSE(w->WriteSheet(FullPageLines(100)));  // its lines fill 100 pages; no room for the end
  EXPECT_EQ(port.messages, TLines{"Won't fit, Page too large"});
  std::optional<TTextPos> after = w->WriteSheet(TLines{"After", "two"});
  ASSERT_TRUE(after);
  ASSERT_TRUE(w->Close());
  // Only the two small sheets are in the file: nothing of the big one is kept.
  EXPECT_EQ(Pages(Compressed()).size(), 2u * kPageSize);
  auto r = Reader(Compressed());
  EXPECT_EQ(Read(*r, *small), (TLines{"Small", "one"}));
  EXPECT_EQ(Read(*r, *after), (TLines{"After", "two"}));
}

TEST_P(ZipForms, ASheetThatDoesNotFitBehindOthersStartsAnEmptyWindow) {
  TLines a = FullPageLines(59), b = FullPageLines(49);  // 60 and 50 pages
  std::vector<TTextPos> pos = WriteFile(Compressed(), {a, b});
  EXPECT_EQ(pos[0], (TTextPos{0, 0, 60}));
  if (Compressed()) {
    std::vector<std::string> blocks = Blocks();
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(blocks[0].size(), 60u * kPageSize);  // the abandoned attempt was dropped
    EXPECT_EQ(pos[1], (TTextPos{int32_t(4 + GetU32(reinterpret_cast<const uint8_t*>(File().data()))), 0, 50}));
  } else {
    EXPECT_EQ(pos[1].dbfPos, 60);
    EXPECT_EQ(File().size(), 110u * kPageSize);
  }
  auto r = Reader(Compressed());
  ExpectSameText(Read(*r, pos[1]), Expected(b));
  ExpectSameText(Read(*r, pos[0]), Expected(a));
}

TEST_F(ZipFixture, SheetsWrittenWithoutFlushShareACompressedBlock) {
  std::vector<TTextPos> pos = WriteFile(true, {{"One", Str(300, 'x')}, {"Two", "b"}, {"Three", "c"}});
  EXPECT_EQ(pos[0], (TTextPos{0, 0, 2}));
  EXPECT_EQ(pos[1], (TTextPos{0, 2, 1}));
  EXPECT_EQ(pos[2], (TTextPos{0, 3, 1}));
  std::vector<std::string> blocks = Blocks();
  ASSERT_EQ(blocks.size(), 1u);
  EXPECT_EQ(File().substr(4, 2), Bytes({0x78, 0xDA}));
  EXPECT_EQ(blocks[0].size(), 4u * kPageSize);  // stock zlib inflates it to the four pages
  auto r = Reader(true);
  EXPECT_EQ(Read(*r, pos[2]), (TLines{"Three", "c"}));
  EXPECT_EQ(Read(*r, pos[1]), (TLines{"Two", "b"}));
}

// ---- what SheetText makes of the lines --------------------------------------

TEST_P(ZipForms, SheetTextSkipsControlLinesAndFixesTheTitle) {
  std::vector<TTextPos> pos = WriteFile(Compressed(), {{"", "\x01hidden", "shown", "", Str(300, 'w')},
                                                       {"rate schedule ft-1", "x"},
                                                       {"lonely title"}});
  auto r = Reader(Compressed());
  TLines lines = {"stale", "stale", "stale", "stale", "stale", "stale"};
  int32_t maxLength = 99, count = 77;
  ASSERT_TRUE(r->SheetText(pos[0], lines, maxLength, count));
  EXPECT_EQ(lines, (TLines{"Title Page", "shown", "", Str(255, 'w')}));
  EXPECT_EQ(maxLength, 255);
  EXPECT_EQ(count, 4);
  ASSERT_TRUE(r->SheetText(pos[1], lines, maxLength, count));
  EXPECT_EQ(lines[0], TitleCase("rate schedule ft-1"));
  EXPECT_EQ(maxLength, 18);
  // A single line is left as it is, and the line count is not touched.
  count = 77;
  ASSERT_TRUE(r->SheetText(pos[2], lines, maxLength, count));
  EXPECT_EQ(lines, TLines{"lonely title"});
  EXPECT_EQ(count, 77);
}

// ---- the uncompressed reader's window ---------------------------------------

class ZipWindow : public ZipFixture {
 protected:
  // One-page sheets "Sheet n" on pages 0..n-1, except a long sheet at longAt.
  std::vector<TTextPos> WriteBook(int pages, int longAt = -1, int longPages = 0) {
    std::vector<TLines> sheets;
    for (int p = 0; p < pages;) {
      if (p == longAt) {
        TLines l = FullPageLines(longPages - 1);
        l.insert(l.begin(), "Long");
        l.push_back("end");
        sheets.push_back(l);
        p += longPages;
      } else {
        sheets.push_back({"Sheet " + std::to_string(p), "body"});
        ++p;
      }
    }
    return WriteFile(false, sheets);
  }
  // Reads the one-page sheet on page n; true when the window served it
  // without reading the file.
  bool ReadPageFromWindow(TDataBuffer& r, int n) {
    uint64_t before = fs.read_;
    EXPECT_EQ(Read(r, TTextPos{n, 0, 1}), (TLines{TitleCase("Sheet " + std::to_string(n)), "body"}));
    return fs.read_ == before;
  }
};

TEST_F(ZipWindow, BackwardJumpsReloadSixtyPagesBeforeTheTarget) {
  WriteBook(300);
  auto r = Reader(false);
  EXPECT_TRUE(ReadPageFromWindow(*r, 50));    // the first window, read by Open
  EXPECT_FALSE(ReadPageFromWindow(*r, 250));  // forwards: the window starts at 250
  EXPECT_TRUE(ReadPageFromWindow(*r, 280));
  EXPECT_FALSE(ReadPageFromWindow(*r, 200));  // backwards: the window starts at 140
  EXPECT_TRUE(ReadPageFromWindow(*r, 140));
  EXPECT_TRUE(ReadPageFromWindow(*r, 238));
  EXPECT_FALSE(ReadPageFromWindow(*r, 139));  // before the window
  EXPECT_FALSE(ReadPageFromWindow(*r, 20));   // below page 100: the window starts at 0
  EXPECT_TRUE(ReadPageFromWindow(*r, 0));
  EXPECT_TRUE(ReadPageFromWindow(*r, 98));
  EXPECT_TRUE(port.messages.empty());
}

TEST_F(ZipWindow, ASheetRunningPastTheWindowIsReadOnFromTheFile) {
  std::vector<TTextPos> pos = WriteBook(300, 90, 30);
  ASSERT_EQ(pos[90], (TTextPos{90, 0, 30}));  // it began a new window
  auto r = Reader(false);
  EXPECT_FALSE(ReadPageFromWindow(*r, 250));
  // Backwards below page 100: the window holds pages 0-100, the sheet 90-119.
  TLines want = FullPageLines(29);
  want.insert(want.begin(), "Long");
  want.push_back("end");
  ExpectSameText(Read(*r, pos[90]), Expected(want));
  // The refilled window starts at page 100.
  EXPECT_TRUE(ReadPageFromWindow(*r, 150));
  EXPECT_FALSE(ReadPageFromWindow(*r, 89));
}

TEST_F(ZipWindow, SheetPagesAreWholeEvenWhenTheWindowHeldOnlyPart) {
  std::vector<TTextPos> pos = WriteBook(300, 90, 30);
  auto r = Reader(false);
  ReadPageFromWindow(*r, 250);
  std::span<const uint8_t> pages = r->SheetPages(pos[90]);
  ASSERT_EQ(pages.size(), 30u * kPageSize);
  EXPECT_EQ(std::string(pages.begin(), pages.end()), File().substr(90 * kPageSize, 30 * kPageSize));
}

// ---- copying pages ----------------------------------------------------------

TEST_P(ZipForms, PagesCopiedToAnotherFileReadTheSame) {
  std::vector<TLines> sheets = {{"First", "a"}, FullPageLines(59), FullPageLines(59), {"Last", "z"}};
  std::vector<TTextPos> from = WriteFile(Compressed(), sheets);
  auto r = Reader(Compressed());
  const std::string copyPath = "copy/TarDBF";
  ASSERT_TRUE(mem.MakeDir("copy"));
  auto w = OutDataBuffer::Create(env, copyPath, !Compressed());
  std::vector<TTextPos> to;
  for (const TTextPos& p : from) {
    std::span<const uint8_t> pages = r->SheetPages(p);
    ASSERT_EQ(pages.size(), size_t(p.pageCount) * kPageSize);
    std::optional<TTextPos> q = w->WritePages(pages);
    ASSERT_TRUE(q);
    EXPECT_EQ(q->pageCount, p.pageCount);
    to.push_back(*q);
  }
  EXPECT_FALSE(w->WritePages({}));
  ASSERT_TRUE(w->Close());
  // The second 60-page sheet did not fit behind the first: a new window.
  EXPECT_EQ(to[2].pageIndex, 0);
  auto copy = TDataBuffer::Create(env, copyPath, !Compressed());
  for (size_t i = 0; i < from.size(); ++i) ExpectSameText(Read(*copy, to[i]), Expected(sheets[i]));
}

// ---- round trips ----------------------------------------------------------

std::vector<TLines> RandomSheets(int count, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<TLines> sheets;
  for (int s = 0; s < count; ++s) {
    TLines lines;
    int n = 1 + int(rng() % 40);
    for (int i = 0; i < n; ++i) {
      size_t length = rng() % 8 == 0 ? rng() % 300 : rng() % 90;
      std::string line(length, ' ');
      for (char& c : line) c = char(32 + rng() % 224);  // Windows-1252 text
      if (length && rng() % 15 == 0) line[0] = char(rng() % 32);  // a control line
      lines.push_back(line);
    }
    sheets.push_back(lines);
  }
  return sheets;
}

TEST_P(ZipForms, ManySheetsReadBackInAnyOrder) {
  std::vector<TLines> sheets = RandomSheets(400, 11);
  // Written in two runs, the second appending to the first.
  std::vector<TLines> first(sheets.begin(), sheets.begin() + 150), second(sheets.begin() + 150, sheets.end());
  std::vector<TTextPos> pos = WriteFile(Compressed(), first);
  {
    auto w = Writer(Compressed());
    EXPECT_EQ(w->OutGetEof(), int64_t(Compressed() ? File().size() : File().size() / kPageSize));
    for (const TLines& s : second) pos.push_back(w->WriteSheet(s).value_or(TTextPos{}));
    ASSERT_TRUE(w->Close());
  }
  auto r = Reader(Compressed());
  for (size_t i = 0; i < sheets.size(); ++i) {
    SCOPED_TRACE(i);
    ExpectSameText(Read(*r, pos[i]), Expected(sheets[i]));
  }
  std::mt19937 rng(5);
  for (int k = 0; k < 400; ++k) {
    size_t i = rng() % sheets.size();
    SCOPED_TRACE(i);
    ExpectSameText(Read(*r, pos[i]), Expected(sheets[i]));
  }
  EXPECT_TRUE(port.messages.empty());
}

// ---- opening and closing ----------------------------------------------------

TEST_P(ZipForms, OutGetEofIsWhereTheNextSheetGoes) {
  WriteFile(Compressed(), {{"A", "b"}, {"C", "d"}});
  const size_t size = File().size();
  auto w = Writer(Compressed());
  const int64_t eof = w->OutGetEof();
  EXPECT_EQ(eof, int64_t(Compressed() ? size : size / kPageSize));
  EXPECT_EQ(w->CurrentPos(), eof);
  std::optional<TTextPos> pos = w->WriteSheet(TLines{"E", "f"});
  ASSERT_TRUE(pos);
  EXPECT_EQ(pos->dbfPos, eof);
  ASSERT_TRUE(w->Close());
  EXPECT_EQ(Read(*Reader(Compressed()), *pos), (TLines{"E", "f"}));
}

TEST_F(ZipFixture, ClosingAnEmptyWindowAddsAnEmptyBlockOnlyWhenCompressed) {
  ASSERT_TRUE(Writer(false)->Close());
  EXPECT_EQ(File().size(), 0u);
  ASSERT_TRUE(Writer(true)->Close());
  // libdeflate ends an empty stream with an empty stored block.
  EXPECT_EQ(File(), Bytes({11, 0, 0, 0, 0x78, 0xDA, 0x01, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x01}));
  // Such a file still opens, and nothing in it is a sheet.
  auto r = Reader(true);
  EXPECT_TRUE(r->IsOpen());
  TLines lines;
  int32_t m = 0, c = 0;
  EXPECT_FALSE(r->SheetText(TTextPos{0, 0, 1}, lines, m, c));
  EXPECT_EQ(port.messages, TLines{"I/O error: File seek failed for this sheet"});
}

TEST_F(ZipFixture, AReaderHasNoEndAndAWriterNoPages) {
  WriteFile(false, {{"A", "b"}});
  auto r = Reader(false);
  EXPECT_EQ(r->OutGetEof(), -1);
  EXPECT_EQ(port.messages, TLines{"OutGetEof called in input cluster. System error"});
  auto w = Writer(false);
  EXPECT_EQ(w->GetPage(TTextPos{0, 0, 1}), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Forms, ZipForms, ::testing::Bool(), FormName);

}  // namespace
}  // namespace vorne::testing
