// The printed page of a sheet through a recording canvas: the layout values
// for portrait and landscape pages, lines per inch, the text size on a
// printer and on a screen, the heading of pending and effective sheets, the
// issuing block with its compliance lines and citation, the print limits,
// and the documents and pages of a print of many sheets.
#include <gtest/gtest.h>

#include "sheets/SheetPrinter.h"
#include "store/Common.h"
#include "volumes/Selection.h"

namespace vorne::testing {
namespace {

struct Op {
  std::string what;  // "text", "fill", "frame"
  int x = 0, y = 0;
  std::string text;
  TCanvasFont font;
  TRect rect;
};

// Text is as wide as a fixed-pitch font: 0.6 em a character.
class RecordingCanvas : public TPrintCanvas {
 public:
  explicit RecordingCanvas(int ppi) : ppi_(ppi) {}
  int PixelsPerInch() const override { return ppi_; }
  int TextWidth(const std::string& text) override { return int(text.size()) * font.size * ppi_ / 120; }
  int TextHeight(const std::string&) override { return font.size * ppi_ / 72; }
  void TextOut(int x, int y, const std::string& text) override { ops.push_back({"text", x, y, text, font, {}}); }
  void FillWhite(const TRect& r) override { ops.push_back({"fill", 0, 0, "", font, r}); }
  void Frame(const TRect& r) override { ops.push_back({"frame", 0, 0, "", font, r}); }

  const Op* Find(const std::string& text) const {
    for (const Op& op : ops)
      if (op.what == "text" && op.text == text) return &op;
    return nullptr;
  }
  std::vector<Op> ops;

 private:
  int ppi_;
};

TSheet MakeSheet(char orientation = 'P', uint8_t status = kEffective) {
  TSheetBody b;
  b.sheetNo = "1       ";
  b.orientation = uint8_t(orientation);
  b.status = status;
  TSheet s(b, nullptr, 0);
  s.volumeName = "First Revised Volume No. 1";
  auto issuer = std::make_shared<T5Entry>();
  issuer->name = "J. Smith, Vice President";
  s.AttachIssuer(issuer);
  auto docket = std::make_shared<T6Entry>();
  docket->body.issueDate = PackDate(1996, 3, 1);
  docket->body.effectiveDate = PackDate(1996, 4, 15);
  s.AttachDocket(docket);
  return s;
}

// Lines as read: the title, the superseding line, then n body lines of width w.
std::vector<std::string> Text(int n, int w = 60, const std::string& superseding = "Original Sheet No. 1") {
  std::vector<std::string> lines = {"First Revised Sheet No. 1", superseding};
  for (int i = 0; i < n; ++i) lines.push_back(std::string(size_t(w), char('a' + i % 26)));
  return lines;
}

void Measured(TSheet& s, const std::vector<std::string>& lines) {
  s.lineCount = int32_t(lines.size());
  s.maxLineLength = 0;
  for (const auto& l : lines) s.maxLineLength = std::max(s.maxLineLength, int32_t(l.size()));
}

const TRect kLetter600{0, 0, 5100, 6600};

TEST(SheetPrinterTest, LetterPortraitAt600PixelsPerInch) {
  RecordingCanvas canvas(600);
  TSheetPrinter p(nullptr, canvas);
  TSheet s = MakeSheet();
  auto lines = Text(10);
  Measured(s, lines);
  p.DrawSheet(s, lines, kLetter600);
  EXPECT_FALSE(p.Landscape());
  EXPECT_EQ(p.Unit(), 637);
  EXPECT_EQ(p.Left(), 637);
  EXPECT_EQ(p.TextWidth(), 4331);
  EXPECT_EQ(p.Right(), 4968);
  EXPECT_EQ(p.Top(), 475);
  EXPECT_EQ(p.BoxHeight(), 5605);
  EXPECT_EQ(p.LineHeight(), 106);
  ASSERT_GE(canvas.ops.size(), 2u);
  EXPECT_EQ(canvas.ops[0].what, "fill");
  EXPECT_EQ(canvas.ops[0].rect, kLetter600);
  EXPECT_EQ(canvas.ops[1].what, "frame");
  EXPECT_EQ(canvas.ops[1].rect, (TRect{637, 475, 4968, 475 + 5605}));
  // The body starts 2 pixels inside the frame, one line height apart, in the printer font.
  const Op* first = canvas.Find(lines[2]);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->x, 639);
  EXPECT_EQ(first->y, 477);
  EXPECT_EQ(canvas.Find(lines[3])->y, 477 + 106);
  EXPECT_EQ(first->font.name, "Courier New");
  EXPECT_FALSE(first->font.bold);
}

TEST(SheetPrinterTest, LandscapeLayoutAndTheLetterBoxAt96) {
  RecordingCanvas canvas(600);
  TSheetPrinter p(nullptr, canvas);
  p.Layout({0, 0, 6600, 5100});
  EXPECT_TRUE(p.Landscape());
  EXPECT_EQ(p.Unit(), 637);
  EXPECT_EQ(p.TextWidth(), 637 * 99 / 10 + 15);
  EXPECT_EQ(p.Left(), 637 * 4 / 10 - 15);
  EXPECT_EQ(p.Top(), 637 * 14 / 10 - 15);
  EXPECT_EQ(p.BoxHeight(), 637 * 55 / 10);
  p.Layout({0, 0, 768, 1056});
  EXPECT_EQ(p.Unit(), 96);
  EXPECT_EQ(p.Left(), 96);
  EXPECT_EQ(p.TextWidth(), 652);
  p.Layout({0, 0, 5, 3});  // too small to hold an inch: 72 pixels assumed
  EXPECT_EQ(p.Unit(), 72);
}

TEST(SheetPrinterTest, LinesPerInchFollowTheLineCount) {
  struct Case {
    char orientation;
    int lines;  // all lines read, title included
    char lpi;
  } cases[] = {{'P', 50, '6'}, {'P', 51, '8'}, {'L', 32, '6'}, {'L', 33, '8'}, {'X', 33, '8'}};
  for (const Case& c : cases) {
    RecordingCanvas canvas(600);
    TSheetPrinter p(nullptr, canvas);
    TSheet s = MakeSheet(c.orientation);
    auto lines = Text(c.lines - 2);
    Measured(s, lines);
    p.DrawSheet(s, lines, c.orientation == 'P' ? kLetter600 : TRect{0, 0, 6600, 5100});
    EXPECT_EQ(char(s.body.linesPerInch), c.lpi) << c.orientation << c.lines;
    EXPECT_EQ(p.LineHeight(), c.lpi == '8' ? 637 / 8 : 637 / 6);
  }
}

TEST(SheetPrinterTest, PrinterTextSizeFromTheLongestLine) {
  auto sizeFor = [](int width, int count, char orientation = 'P') {
    RecordingCanvas canvas(600);
    TSheetPrinter p(nullptr, canvas);
    TSheet s = MakeSheet(orientation);
    auto lines = Text(count, width);
    Measured(s, lines);
    p.DrawSheet(s, lines, kLetter600);
    return p.TextSize();
  };
  EXPECT_EQ(sizeFor(81, 10), 10);
  EXPECT_EQ(sizeFor(90, 10), 9);
  EXPECT_EQ(sizeFor(119, 10, 'L'), 10);
  EXPECT_EQ(sizeFor(70, 60), 10);  // 8 lines per inch: 11 is cut to 10
  EXPECT_EQ(sizeFor(70, 10), 11);
  EXPECT_EQ(sizeFor(30, 10), 12);  // short lines would overlap: at most 12
  // An empty sheet has no longest line: a fixed size, and nothing raises.
  RecordingCanvas canvas(600);
  TSheetPrinter p(nullptr, canvas);
  TSheet s = MakeSheet();
  p.DrawSheet(s, {}, kLetter600);
  EXPECT_EQ(p.TextSize(), 10);
}

TEST(SheetPrinterTest, ScreenTextSizeIsFittedWithTheRuler) {
  RecordingCanvas canvas(96);
  TSheetPrinter p(nullptr, canvas);
  TSheet s = MakeSheet();
  auto lines = Text(10, 70);
  Measured(s, lines);
  p.DrawSheet(s, lines, {0, 0, 768, 1056});
  // 652 pixels hold 70 characters of 0.6 em up to 11 points (70 * 12 * 96 / 120 = 672).
  EXPECT_EQ(p.FontSize(), 11);
  EXPECT_EQ(p.TextSize(), 11);
  s.maxLineLength = 0;  // the ruler is 10 digits: the size is cut to 12
  p.DrawSheet(s, lines, {0, 0, 768, 1056});
  EXPECT_EQ(p.FontSize(), 12);
}

TEST(SheetPrinterTest, HeadingOfAnEffectiveAndOfAPendingSheet) {
  RecordingCanvas canvas(600);
  TSheetPrinter p(nullptr, canvas);
  TSheet s = MakeSheet('P', kEffective);
  auto lines = Text(5);
  Measured(s, lines);
  p.DrawSheet(s, lines, kLetter600);
  const Op* current = canvas.Find("Currently Effective");
  ASSERT_TRUE(current);
  EXPECT_TRUE(current->font.italic);
  EXPECT_EQ(current->font.name, "Times New Roman");
  const Op* zoak = canvas.Find("ZOAK Gas Tariff");
  const Op* title = canvas.Find("First Revised Sheet No. 1");
  const Op* volume = canvas.Find("First Revised Volume No. 1");
  const Op* superseding = canvas.Find("Superseding Original Sheet No. 1");
  ASSERT_TRUE(zoak && title && volume && superseding);
  const int lh = 10 * 600 / 72;
  EXPECT_EQ(zoak->y, 475 - 4 * lh - 4 + lh);
  EXPECT_EQ(title->y, zoak->y);
  EXPECT_EQ(title->x, 4968 - 25 * 10 * 600 / 120);  // right-aligned in 10 points
  EXPECT_EQ(volume->y, zoak->y + lh);
  EXPECT_EQ(current->y, volume->y);
  EXPECT_EQ(superseding->y, volume->y + lh);
  EXPECT_FALSE(superseding->font.italic);
  EXPECT_TRUE(superseding->font.bold);

  RecordingCanvas pending(600);
  TSheetPrinter q(nullptr, pending);
  TSheet t = MakeSheet('P', kPending);
  q.DrawSheet(t, lines, kLetter600);
  ASSERT_TRUE(pending.Find("Superseding"));
  ASSERT_TRUE(pending.Find("Original Sheet No. 1"));
  EXPECT_EQ(pending.Find("Original Sheet No. 1")->y, pending.Find("Superseding")->y + lh);
  EXPECT_FALSE(pending.Find("Currently Pending"));
}

TEST(SheetPrinterTest, IssuingBlockWithAndWithoutCompliance) {
  RecordingCanvas canvas(600);
  TSheetPrinter p(nullptr, canvas);
  TSheet s = MakeSheet();
  auto lines = Text(5);
  Measured(s, lines);
  p.DrawSheet(s, lines, kLetter600);
  const Op* by = canvas.Find("Issued by: J. Smith, Vice President");
  ASSERT_TRUE(by);
  EXPECT_EQ(by->y, 475 + 5605);
  EXPECT_EQ(by->font.size, 9);
  ASSERT_TRUE(canvas.Find("Issued on: March 1, 1996"));
  ASSERT_TRUE(canvas.Find("Effective: April 15, 1996"));
  EXPECT_EQ(canvas.Find("Issued on: March 1, 1996")->y, by->y + 106);
  for (const Op& op : canvas.ops) EXPECT_EQ(op.text.find("Filed to comply"), std::string::npos);

  RecordingCanvas comply(600);
  TSheetPrinter q(nullptr, comply);
  TSheet c = MakeSheet();
  c.body.updDate = PackDate(1996, 1, 1);
  auto docket = std::make_shared<T6Entry>();
  docket->body.complianceDkt = PadRight("RP95-123-000 et al.", 20);
  docket->body.complianceDate = PackDate(1995, 12, 5);
  docket->body.citevalue = {73, 61, 1234, 95};
  c.AttachDocket(docket);
  q.DrawSheet(c, lines, kLetter600);
  ASSERT_TRUE(comply.Find("Filed to comply with order of the Ostrevan, "));
  const Op* no = comply.Find(" Docket No. RP95-123-000 , Issued December 5, 1995");
  ASSERT_TRUE(no);
  const Op* cite = comply.Find(docket->body.citevalue.Display());
  ASSERT_TRUE(cite);
  EXPECT_EQ(cite->y, no->y);
  EXPECT_EQ(comply.Find("Issued on: January 1, 1950")->y + 2 * 106, no->y);  // a packed 0 is 1950

  // A compliance docket of zero bytes, as a damaged record holds it, names no docket.
  docket->body.complianceDkt = std::string(20, '\0');
  RecordingCanvas zeros(600);
  TSheetPrinter z(nullptr, zeros);
  z.DrawSheet(c, lines, kLetter600);
  EXPECT_FALSE(zeros.Find("Filed to comply with order of the Ostrevan, "));
  docket->body.complianceDkt = PadRight("RP95-123-000 et al.", 20);

  // No docket record at all: no dates or compliance line made up from an empty record.
  RecordingCanvas none(600);
  TSheetPrinter n(nullptr, none);
  TSheet orphan = MakeSheet();
  orphan.AttachDocket(nullptr);
  n.DrawSheet(orphan, lines, kLetter600);
  ASSERT_TRUE(none.Find("Issued on: (no docket record)"));
  EXPECT_EQ(none.Find("Issued on: (no docket record)")->y, none.Find("Issued by: J. Smith, Vice President")->y + 106);
  for (const Op& op : none.ops) {
    EXPECT_EQ(op.text.find("1950"), std::string::npos) << op.text;
    EXPECT_EQ(op.text.find("Docket No."), std::string::npos) << op.text;
    EXPECT_EQ(op.text.find("Effective:"), std::string::npos) << op.text;
  }

  c.body.updDate = PackDate(1984, 7, 31);  // before August 1984: no citation
  RecordingCanvas early(600);
  TSheetPrinter r(nullptr, early);
  r.DrawSheet(c, lines, kLetter600);
  EXPECT_FALSE(early.Find(docket->body.citevalue.Display()));
}

TEST(PrintLimitTest, NarrowingSelectionsLiftTheLimitUpTo300) {
  TSelection none;
  EXPECT_EQ(PrintLimitMessage(49, none), std::nullopt);
  EXPECT_EQ(PrintLimitMessage(50, none), "50 sheets is too many");
  TSelection effective;
  effective.StatusSelect = true;
  effective.StatusSet = {kEffective};
  EXPECT_EQ(PrintLimitMessage(50, effective), std::nullopt);
  EXPECT_EQ(PrintLimitMessage(300, effective), std::nullopt);
  EXPECT_EQ(PrintLimitMessage(301, effective), "301 sheets is far too many");
  TSelection withPending = effective;
  withPending.StatusSet = {kEffective, kPending};
  EXPECT_EQ(PrintLimitMessage(50, withPending), "50 sheets is too many");
  TSelection dockets;
  dockets.DocketSelect = true;
  dockets.ChosenDockets = {"a", "b", "c", "d"};
  EXPECT_EQ(PrintLimitMessage(120, dockets), std::nullopt);
  dockets.ChosenDockets.push_back("e");
  EXPECT_EQ(PrintLimitMessage(120, dockets), "120 sheets is too many");
}

class RecordingPrinter : public TPrinterPort {
 public:
  void SetLandscape(bool on) override {
    landscape = on;
    log += on ? "L" : "P";
  }
  bool Landscape() const override { return landscape; }
  bool BeginDoc() override {
    log += "[";
    return true;
  }
  void EndDoc() override { log += "]"; }
  void NewPage() override { log += "|"; }
  TPrintCanvas& Canvas() override { return canvas; }
  TRect PageRect() override { return landscape ? TRect{0, 0, 6600, 5100} : kLetter600; }
  bool landscape = false;
  std::string log;
  RecordingCanvas canvas{600};
};

TEST(PrintSheetsTest, OrientationChangesEndTheDocumentAndUnreadableSheetsAreCounted) {
  std::vector<TSheetPtr> sheets;
  for (char o : std::string("PPLXP")) sheets.push_back(std::make_shared<TSheet>(MakeSheet(o)));
  RecordingPrinter printer;
  // Without a cluster no text can be read: every page stays blank.
  TPrintCount count = PrintSheets(nullptr, sheets, printer);
  EXPECT_EQ(printer.log, "P[|]L[|]P[]");
  EXPECT_EQ(count.printed, 5);
  EXPECT_EQ(count.changes, 2);
  EXPECT_EQ(count.blank, 5);
  EXPECT_EQ(count.Message(), "5 sheets printed, 2 orientation changes, 5 blank pages (sheet text could not be read)");
  EXPECT_EQ((TPrintCount{3, 0, 0}).Message(), "3 sheets printed, 0 orientation changes");

  RecordingPrinter idle;
  EXPECT_EQ(PrintSheets(nullptr, {}, idle).printed, 0);
  EXPECT_EQ(idle.log, "");
}

TEST(PrintSheetsTest, EntryLinesOfTheListingModesOnOnePage) {
  RecordingPrinter printer;
  PrintEntryLines(printer, "Listing", {"first", "second"});
  EXPECT_EQ(printer.log, "[]");
  const int h = 10 * 600 / 72;
  ASSERT_EQ(printer.canvas.ops.size(), 3u);
  EXPECT_EQ(printer.canvas.ops[0].text, "Listing");
  EXPECT_EQ(printer.canvas.ops[0].x, 15);
  EXPECT_EQ(printer.canvas.ops[2].text, "second");
  EXPECT_EQ(printer.canvas.ops[2].x, 30);
  EXPECT_EQ(printer.canvas.ops[2].y, 2 * h);
  RecordingPrinter empty;
  PrintEntryLines(empty, "Listing", {});
  EXPECT_EQ(empty.canvas.ops.size(), 1u);
}

}  // namespace
}  // namespace vorne::testing
