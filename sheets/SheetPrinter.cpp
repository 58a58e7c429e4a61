#include "sheets/SheetPrinter.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "platform/Clock.h"
#include "store/Cluster.h"
#include "store/Common.h"
#include "store/TextReader.h"
#include "volumes/Selection.h"

namespace vorne {

namespace {

// The docket text of the placeholder a sheet without a docket record is given.
constexpr const char* kMissingDocket = "Docket missing";

std::string Cut(const std::string& s, size_t n) { return s.substr(0, std::min(s.size(), n)); }

// The size a printer sets a sheet's text in when its longest line is empty:
// that of a full 81-character line.
constexpr int kEmptySheetSize = 10;
// Above this the text's lines would run into each other at 6 lines per inch.
constexpr int kLargestTextSize = 12;

}  // namespace

std::string& PrinterFontName() {
  static std::string name = "Courier New";
  return name;
}

std::string PrintDate(uint16_t packed) {
  static const char* const kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                                        "July",    "August",   "September", "October", "November", "December"};
  const TDate d = UnpackDate(packed);
  const char* month = d.month >= 1 && d.month <= 12 ? kMonths[d.month - 1] : "";
  return std::string(month) + " " + std::to_string(d.day) + ", " + std::to_string(d.year);
}

TSheetPrinter::TSheetPrinter(TFileCluster* cluster, TPrintCanvas& canvas) : cluster_(cluster), canvas_(canvas) {
  canvas_.font.name = PrinterFontName();
}

void TSheetPrinter::Layout(const TRect& rect) {
  const int w = rect.right - rect.left;
  const int h = rect.bottom - rect.top;
  landscape_ = w > h;
  unit_ = (landscape_ ? h : w) / 8;  // the shorter side is 8 inches
  if (unit_ < 1) unit_ = 72;
  const int q = unit_ / 40;
  if (!landscape_) {
    textWidth_ = unit_ * 68 / 10;
    left_ = unit_;
    top_ = unit_ * 7 / 10 + 2 * q;
    boxHeight_ = unit_ * 88 / 10;
  } else {
    textWidth_ = unit_ * 99 / 10 + q;
    left_ = unit_ * 4 / 10 - q;
    top_ = unit_ * 14 / 10 - q;
    boxHeight_ = unit_ * 55 / 10;
  }
  right_ = left_ + textWidth_;
  canvas_.font.name = PrinterFontName();
}

bool TSheetPrinter::PrintSheet(TSheet& sheet, const TRect& rect) {
  Layout(rect);
  volumeTitle_ = DisplayVolume(sheet);
  if (!cluster_) return false;
  std::vector<std::string> lines;
  const bool wasOpen = cluster_->BufferOpen();
  if (!wasOpen && !cluster_->OpenBuffer()) return false;
  bool ok = false;
  try {
    ok = cluster_->Buffer()->SheetText(sheet.body.text, lines, sheet.maxLineLength, sheet.lineCount);
  } catch (const std::exception&) {
    ok = false;  // a damaged block: this sheet's page stays blank
  }
  if (!wasOpen) cluster_->CloseBuffer();
  if (!ok) return false;
  DrawSheet(sheet, std::move(lines), rect);
  return true;
}

int TSheetPrinter::FitTextSize(const TSheet& sheet) {
  const bool portrait = sheet.body.orientation == 'P';
  const int longest = sheet.maxLineLength;
  if (canvas_.PixelsPerInch() > 120) {
    if (longest <= 0) return kEmptySheetSize;
    return std::min((portrait ? 810 : 1190) / longest, kLargestTextSize);
  }
  // A screen: from the requested pitch, fitted so that a ruler of the longest
  // line's length fills the text width.
  const int cpi = PitchCpi(sheet.body.pitchCode);
  int size = 120 / (cpi > 0 ? cpi : 10);
  std::string ruler;
  for (int i = 0; i < std::max(1, longest / 10); ++i) ruler += "0123456789";
  if (int(ruler.size()) < longest) ruler += std::string("0123456789").substr(0, size_t(longest) - ruler.size());
  canvas_.font.size = size;
  while (canvas_.TextWidth(ruler) < textWidth_ && size < 200) canvas_.font.size = ++size;
  while (canvas_.TextWidth(ruler) > textWidth_ && size > 1) canvas_.font.size = --size;
  if (size > 12) size = 12;
  fontSize_ = size;
  return size;
}

void TSheetPrinter::RightAligned(int y, const std::string& text) {
  x_ = right_ - canvas_.TextWidth(text);
  canvas_.TextOut(x_, y, text);
}

void TSheetPrinter::DrawSheet(TSheet& sheet, std::vector<std::string> lines, const TRect& rect) {
  Layout(rect);
  volumeTitle_ = DisplayVolume(sheet);
  canvas_.FillWhite(rect);
  canvas_.Frame({left_, top_, right_, top_ + boxHeight_});

  const bool portrait = sheet.body.orientation == 'P';
  const bool eight = portrait ? sheet.lineCount >= 51 : sheet.lineCount >= 33;
  sheet.body.linesPerInch = eight ? '8' : '6';
  lineHeight_ = eight ? unit_ / 8 : unit_ / 6;

  canvas_.font = {PrinterFontName(), 10, false, false};
  int size = FitTextSize(sheet);
  if (eight && size > 10) size = 10;
  canvas_.font.size = textSize_ = size;
  canvas_.font.bold = canvas_.font.italic = false;
  x_ = left_ + 2;
  y_ = top_ + 2;
  for (size_t i = 2; i < lines.size(); ++i) {
    canvas_.TextOut(x_, y_, lines[i]);
    y_ += lineHeight_;
  }

  Heading(sheet, lines);
  IssuingBlock(sheet);
}

void TSheetPrinter::Heading(TSheet& sheet, std::vector<std::string>& lines) {
  canvas_.font = {kHeadingFont, 10, true, false};
  const int lh = canvas_.TextHeight(volumeTitle_);
  y_ = top_ - 4 * lh - 4;
  const size_t colon = volumeTitle_.find(':');
  canvas_.TextOut(left_, y_, colon == std::string::npos ? std::string() : volumeTitle_.substr(0, colon));

  y_ += lh;
  canvas_.TextOut(left_, y_, "ZOAK Gas Tariff");
  if (!lines.empty()) {
    RightAligned(y_, Cut(lines.front(), 54));
    lines.erase(lines.begin());
  }

  y_ += lh;
  canvas_.TextOut(left_, y_, sheet.volumeName);
  const std::string s = lines.empty() ? std::string() : Cut(TrimBoth(lines.front()), 54);
  if (sheet.body.status != kPending) {
    canvas_.font.italic = true;
    RightAligned(y_, Cut("Currently " + StatusName(sheet.body.status), 20));
    canvas_.font.italic = false;
    y_ += lh;
    if (!s.empty()) RightAligned(y_, "Superseding " + s);
  } else if (!s.empty()) {
    RightAligned(y_, "Superseding");
    y_ += lh;
    RightAligned(y_, s);
  }
}

void TSheetPrinter::IssuingBlock(const TSheet& sheet) {
  y_ = top_ + boxHeight_;
  canvas_.font = {kHeadingFont, 9, true, false};
  const std::shared_ptr<T5Entry> issuer = sheet.Issuer();
  canvas_.TextOut(left_, y_, "Issued by: " + (issuer ? issuer->name : std::string()));
  y_ += lineHeight_;

  const std::shared_ptr<T6Entry> docket = sheet.Docket();
  if (!docket || docket->docketText == kMissingDocket) {
    // No record to take dates or a compliance docket from: say so rather
    // than print the dates of an empty record as January 1, 1950.
    canvas_.TextOut(left_, y_, "Issued on: (no docket record)");
    y_ += lineHeight_;
    return;
  }
  const TDocketBody& d = docket->body;
  canvas_.TextOut(left_, y_, "Issued on: " + PrintDate(d.issueDate));
  RightAligned(y_, "Effective: " + PrintDate(d.effectiveDate));
  y_ += lineHeight_;

  // A field of blanks, or of the zero bytes a damaged record holds, names no docket.
  const std::string dkt = PadRight(d.complianceDkt, 20).substr(0, 20);
  if (dkt.find_first_not_of(std::string(" \0", 2)) == std::string::npos) return;
  canvas_.TextOut(left_, y_, "Filed to comply with order of the Ostrevan, ");
  y_ += lineHeight_;
  // The docket's first two characters, then its run of spaces, hyphens and digits.
  size_t end = 2;
  while (end < dkt.size() && (dkt[end] == ' ' || dkt[end] == '-' || (dkt[end] >= '0' && dkt[end] <= '9'))) ++end;
  canvas_.TextOut(left_, y_, " Docket No. " + dkt.substr(0, end) + ", Issued " + PrintDate(d.complianceDate));
  if (sheet.body.updDate >= 0x4501 && d.citevalue.paragraph >= 0 && d.citevalue.year >= 90)
    RightAligned(y_, d.citevalue.Display());
}

std::optional<std::string> PrintLimitMessage(size_t n, const TSelection& selection) {
  if (n < 50) return std::nullopt;
  if (n > 300) return std::to_string(n) + " sheets is far too many";
  const bool fewDockets = selection.DocketSelect && selection.ChosenDockets.size() < 5;
  const bool currentOnly = selection.StatusSelect && !selection.StatusSet.Has(kSuperseded) &&
                           !selection.StatusSet.Has(kPending);
  if (fewDockets || currentOnly) return std::nullopt;
  return std::to_string(n) + " sheets is too many";
}

std::string TPrintCount::Message() const {
  std::string m = std::to_string(printed) + " sheets printed, " + std::to_string(changes) + " orientation changes";
  if (blank > 0) m += ", " + std::to_string(blank) + " blank pages (sheet text could not be read)";
  return m;
}

TPrintCount PrintSheets(TFileCluster* cluster, const std::vector<TSheetPtr>& sheets, TPrinterPort& printer) {
  TPrintCount count;
  if (sheets.empty()) return count;
  printer.SetLandscape(sheets.front()->body.orientation != 'P');
  if (!printer.BeginDoc()) return count;
  bool pageStarted = true;  // BeginDoc starts the first page of a document
  for (const TSheetPtr& sheet : sheets) {
    const uint8_t o = sheet->body.orientation;
    if ((printer.Landscape() && o == 'P') || (!printer.Landscape() && o == 'L')) {
      printer.EndDoc();
      printer.SetLandscape(o != 'P');
      if (!printer.BeginDoc()) return count;
      ++count.changes;
      pageStarted = true;
    }
    // A new page before every sheet but the first of a document, so that no
    // document ends in an empty page.
    if (!pageStarted) printer.NewPage();
    pageStarted = false;
    TSheetPrinter engine(cluster, printer.Canvas());
    if (!engine.PrintSheet(*sheet, printer.PageRect())) ++count.blank;
    ++count.printed;
  }
  printer.EndDoc();
  return count;
}

void PrintEntryLines(TPrinterPort& printer, const std::string& caption, const std::vector<std::string>& entries) {
  if (!printer.BeginDoc()) return;
  TPrintCanvas& canvas = printer.Canvas();
  canvas.font = {PrinterFontName(), 10, false, false};
  canvas.TextOut(15, 0, caption);
  if (!entries.empty()) {
    const int h = canvas.TextHeight(entries.front());
    for (size_t i = 0; i < entries.size(); ++i) canvas.TextOut(30, int(i + 1) * h, entries[i]);
  }
  printer.EndDoc();
}

}  // namespace vorne
