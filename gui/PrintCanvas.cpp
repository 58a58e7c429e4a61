#include "gui/PrintCanvas.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QHash>
#include <cstdio>
#include <memory>
#include <QFontMetrics>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPdfWriter>

#include "gui/Text1252.h"
#include "store/Cluster.h"

namespace vorne {

namespace {

bool HasFamily(const QString& family) {
  static QHash<QString, bool> known;
  auto it = known.find(family);
  if (it == known.end()) it = known.insert(family, QFontDatabase::hasFamily(family));
  return *it;
}

}  // namespace

QFont ResolvedFont(const TCanvasFont& f) {
  QString family = ToQt(f.name);
  if (!HasFamily(family)) {
    if (family.compare("Courier New", Qt::CaseInsensitive) == 0 || family.compare("Courier", Qt::CaseInsensitive) == 0)
      family = "Liberation Mono";
    else if (family.compare("Times New Roman", Qt::CaseInsensitive) == 0)
      family = "Liberation Serif";
    else if (family.compare("Arial", Qt::CaseInsensitive) == 0)
      family = "Liberation Sans";
  }
  QFont font(family);
  font.setPointSize(std::max(1, f.size));
  font.setBold(f.bold);
  font.setItalic(f.italic);
  if (family == "Liberation Mono") font.setStyleHint(QFont::TypeWriter);
  return font;
}

// ---- the canvas ---------------------------------------------------------------

const QFont& TQtCanvas::Font() {
  if (cachedFor_ != font) {
    cachedFor_ = font;
    font_ = ResolvedFont(font);
    metrics_.emplace(font_, painter_.device());
  }
  return font_;
}

const QFontMetrics& TQtCanvas::Metrics() {
  Font();
  return *metrics_;
}

int TQtCanvas::PixelsPerInch() const { return painter_.device() ? painter_.device()->logicalDpiY() : 96; }

int TQtCanvas::TextWidth(const std::string& text) { return Metrics().horizontalAdvance(ToQt(text)); }

int TQtCanvas::TextHeight(const std::string&) { return Metrics().height(); }

void TQtCanvas::TextOut(int x, int y, const std::string& text) {
  if (painter_.font() != Font()) painter_.setFont(Font());
  painter_.setPen(Qt::black);
  painter_.drawText(x, y + Metrics().ascent(), ToQt(text));
}

void TQtCanvas::FillWhite(const TRect& r) { painter_.fillRect(QRect(QPoint(r.left, r.top), QPoint(r.right, r.bottom)), Qt::white); }

void TQtCanvas::Frame(const TRect& r) {
  painter_.save();
  painter_.setPen(QPen(Qt::black, 2));
  painter_.setBrush(Qt::NoBrush);
  painter_.drawRect(QRect(r.left, r.top, r.right - r.left, r.bottom - r.top));
  painter_.restore();
}

// ---- the printer port -----------------------------------------------------------------

TQtPrinter::TQtPrinter(QPagedPaintDevice& device) : device_(device), canvas_(painter_) {}

TQtPrinter::~TQtPrinter() { Finish(); }

void TQtPrinter::SetLandscape(bool on) {
  landscape_ = on;
  device_.setPageOrientation(on ? QPageLayout::Landscape : QPageLayout::Portrait);
}

bool TQtPrinter::BeginDoc() {
  if (painter_.isActive()) {
    NewPage();
    return true;
  }
  if (!painter_.begin(&device_)) return false;
  pages_ = 1;
  return true;
}

void TQtPrinter::NewPage() {
  device_.newPage();
  ++pages_;
}

TRect TQtPrinter::PageRect() { return {0, 0, device_.width(), device_.height()}; }

void TQtPrinter::Finish() {
  if (painter_.isActive()) painter_.end();
}

TPrintCount WriteSheetsPdf(TFileCluster* cluster, const std::vector<TSheetPtr>& sheets, const std::string& path,
                           std::string& error) {
  QPdfWriter pdf(QString::fromLocal8Bit(path.c_str()));
  pdf.setResolution(600);
  pdf.setCreator("vorne");
  pdf.setTitle("Tariff sheets");
  pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
  const bool opened = cluster && !cluster->BufferOpen() && cluster->OpenBuffer();
  TQtPrinter printer(pdf);
  TPrintCount count = PrintSheets(cluster, sheets, printer);
  printer.Finish();
  if (opened) cluster->CloseBuffer();
  if (!sheets.empty() && printer.Pages() == 0) {
    error = "Cannot write " + path;
    return {};
  }
  return count;
}

TPrintCount WritePdfFile(TFileCluster* cluster, const std::vector<TSheetPtr>& sheets, const std::string& path,
                         std::string& error) {
  std::unique_ptr<QGuiApplication> app;
  if (!QCoreApplication::instance()) {
    // Qt's notes about its runtime folder are no concern of a batch print.
    static QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext& context, const QString& message) {
          if (message.startsWith("QStandardPaths:")) return;
          if (previous)
            previous(type, context, message);
          else
            std::fprintf(stderr, "%s\n", qPrintable(message));
        });
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "vorne-batch";
    static char* argv[] = {name, nullptr};
    app = std::make_unique<QGuiApplication>(argc, argv);
  }
  return WriteSheetsPdf(cluster, sheets, path, error);
}

}  // namespace vorne
