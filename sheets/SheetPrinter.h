// TSheetPrinter: one tariff sheet laid out as the filed paper page - a
// four-line heading above a framed text area, the text in a fixed-pitch font
// sized to the longest line, and the issuing block below the frame - drawn on
// any TPrintCanvas: a printer's or PDF page, or a window (the print image).
//
// Also here: the program-wide printer font name, the limits on how many
// sheets one print may hold, and the print of many sheets with its
// orientation changes, on a TPrinterPort.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "store/Headers.h"

namespace vorne {

class TFileCluster;
class TSelection;

struct TRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const TRect&) const = default;
};

struct TCanvasFont {
  std::string name = "Courier New";
  int size = 10;  // points
  bool bold = false;
  bool italic = false;
  bool operator==(const TCanvasFont&) const = default;
};

// What drawing a sheet needs from a surface. Coordinates are device pixels;
// TextOut places the top-left corner of the text at (x, y).
class TPrintCanvas {
 public:
  virtual ~TPrintCanvas() = default;
  TCanvasFont font;  // used by every text operation
  // Pixels per inch of the canvas font: above 120 is a printer.
  virtual int PixelsPerInch() const = 0;
  virtual int TextWidth(const std::string& text) = 0;
  virtual int TextHeight(const std::string& text) = 0;
  virtual void TextOut(int x, int y, const std::string& text) = 0;
  virtual void FillWhite(const TRect& r) = 0;
  // A black outline drawn with a pen 2 pixels wide.
  virtual void Frame(const TRect& r) = 0;
};

// The font of the sheet text, program-wide; "Courier New" until the
// "Printer fonts" dialog changes it (at most 255 characters).
std::string& PrinterFontName();
// The heading and issuing block are set in this font.
inline constexpr char kHeadingFont[] = "Times New Roman";

// "mmmm d, yyyy"; a packed 0 reads as January 1, 1950.
std::string PrintDate(uint16_t packed);

class TSheetPrinter {
 public:
  // The cluster holds the sheet's text; it may be null for DrawSheet alone.
  TSheetPrinter(TFileCluster* cluster, TPrintCanvas& canvas);

  // Reads the sheet's text and draws it into rect. False, with nothing
  // drawn, when the text cannot be read (the reader has said why).
  bool PrintSheet(TSheet& sheet, const TRect& rect);
  // Draws the sheet with the given lines (the title first), as read.
  void DrawSheet(TSheet& sheet, std::vector<std::string> lines, const TRect& rect);
  // The page layout for rect alone.
  void Layout(const TRect& rect);

  const std::string& VolumeTitle() const { return volumeTitle_; }
  int FontSize() const { return fontSize_; }  // the size fitted on a screen
  int TextSize() const { return textSize_; }  // the size the text was set in
  int Unit() const { return unit_; }
  int Left() const { return left_; }
  int Top() const { return top_; }
  int Right() const { return right_; }
  int TextWidth() const { return textWidth_; }
  int BoxHeight() const { return boxHeight_; }
  int LineHeight() const { return lineHeight_; }
  bool Landscape() const { return landscape_; }

 private:
  int FitTextSize(const TSheet& sheet);
  void RightAligned(int y, const std::string& text);
  void Heading(TSheet& sheet, std::vector<std::string>& lines);
  void IssuingBlock(const TSheet& sheet);

  TFileCluster* cluster_;
  TPrintCanvas& canvas_;
  std::string volumeTitle_;
  int left_ = 0, top_ = 0, right_ = 0, textWidth_ = 0, boxHeight_ = 0, lineHeight_ = 0;
  int x_ = 0, y_ = 0, unit_ = 72;
  bool landscape_ = false;
  int fontSize_ = 0;
  int textSize_ = 0;
};

// The limits of one print from the sheet list: nullopt when n sheets may be
// printed, else the message that says why not. 50 to 300 sheets need a
// narrowing selection: fewer than 5 chosen dockets, or a status selection
// without Superseded and Pending.
std::optional<std::string> PrintLimitMessage(size_t n, const TSelection& selection);

// A printer: documents of pages, each document in one orientation.
class TPrinterPort {
 public:
  virtual ~TPrinterPort() = default;
  virtual void SetLandscape(bool on) = 0;
  virtual bool Landscape() const = 0;
  // False when the document cannot be started (nothing is printed then).
  virtual bool BeginDoc() = 0;
  virtual void EndDoc() = 0;
  virtual void NewPage() = 0;
  virtual TPrintCanvas& Canvas() = 0;
  virtual TRect PageRect() = 0;  // the printable page, in device pixels
};

struct TPrintCount {
  int printed = 0;
  int changes = 0;  // orientation changes
  int blank = 0;    // pages left blank: the sheet's text could not be read
  // Printed + " sheets printed, " + Changes + " orientation changes", and
  // the blank pages when there were any.
  std::string Message() const;
};

// One page per sheet, in order; a sheet of the other orientation ("P" or
// "L") ends the document and begins one in its orientation; any other code
// keeps the current one. With no sheets nothing is printed.
TPrintCount PrintSheets(TFileCluster* cluster, const std::vector<TSheetPtr>& sheets, TPrinterPort& printer);

// The sheet list of the Test and Errors Only modes, on one page: the caption
// at (15, 0), then entry i (from 1) at (30, i * h), h the height of the
// first entry's text.
void PrintEntryLines(TPrinterPort& printer, const std::string& caption, const std::vector<std::string>& entries);

}  // namespace vorne
