// The sheet printer's canvas on Qt: a QPainter on a printer, a PDF writer
// or a widget; the printer port over a paged device (QPrinter or
// QPdfWriter); and the PDF of many sheets that vorne-batch writes. This
// part needs QtGui alone, so the batch program can link it without widgets.
//
// Fonts: the Windows names the sheets were laid out for resolve to their
// metric-compatible twins ("Courier New" to Liberation Mono, "Times New
// Roman" to Liberation Serif), so lines land where they would on the filed page.
#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <optional>
#include <string>
#include <vector>

#include "sheets/SheetPrinter.h"

class QPagedPaintDevice;

namespace vorne {

QFont ResolvedFont(const TCanvasFont& font);

class TQtCanvas : public TPrintCanvas {
 public:
  // The painter must be active on its device for the canvas's whole use.
  explicit TQtCanvas(QPainter& painter) : painter_(painter) {}
  int PixelsPerInch() const override;
  int TextWidth(const std::string& text) override;
  int TextHeight(const std::string& text) override;
  void TextOut(int x, int y, const std::string& text) override;
  void FillWhite(const TRect& r) override;
  void Frame(const TRect& r) override;

 private:
  // The resolved font and its metrics, made again only when the font changes:
  // resolving a family and measuring it cost more than drawing a line.
  const QFont& Font();
  const QFontMetrics& Metrics();
  QPainter& painter_;
  std::optional<TCanvasFont> cachedFor_;
  QFont font_;
  std::optional<QFontMetrics> metrics_;
};

// A document over a paged device: BeginDoc after an EndDoc goes on with a new
// page in the orientation set meanwhile (one file or job holds all of them).
// The device's page margins are taken as they are: the page rectangle is its
// paint area.
class TQtPrinter : public TPrinterPort {
 public:
  explicit TQtPrinter(QPagedPaintDevice& device);
  ~TQtPrinter() override;
  void SetLandscape(bool on) override;
  bool Landscape() const override { return landscape_; }
  bool BeginDoc() override;
  void EndDoc() override {}
  void NewPage() override;
  TPrintCanvas& Canvas() override { return canvas_; }
  TRect PageRect() override;
  // Ends the painting; the file or job is complete afterwards.
  void Finish();
  int Pages() const { return pages_; }

 private:
  QPagedPaintDevice& device_;
  QPainter painter_;
  TQtCanvas canvas_;
  bool landscape_ = false;
  int pages_ = 0;
};

// Every sheet on a letter page of its orientation at 600 pixels per inch,
// into one PDF file. The cluster's text buffer is opened for the whole print.
// error is set (and nothing counted) when the file cannot be written.
TPrintCount WriteSheetsPdf(TFileCluster* cluster, const std::vector<TSheetPtr>& sheets, const std::string& path,
                           std::string& error);
// As WriteSheetsPdf, for a program without a Qt application (vorne-batch):
// one is made for the print, on the offscreen platform unless QT_QPA_PLATFORM
// names another, so no display is needed.
TPrintCount WritePdfFile(TFileCluster* cluster, const std::vector<TSheetPtr>& sheets, const std::string& path,
                         std::string& error);

}  // namespace vorne
