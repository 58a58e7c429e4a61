#include "gui/PrintImageView.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>

#include "gui/PrintCanvas.h"
#include "gui/Text1252.h"
#include "sheets/PrintImage.h"
#include "sheets/SheetText.h"

namespace vorne {

namespace {

// Shown once in a run, before the first print.
bool printerSetUp = false;

void SetUpPrinter(QWidget* parent, QPrinter& printer) {
  if (printerSetUp) return;
  QPageSetupDialog setup(&printer, parent);
  setup.exec();
  printerSetUp = true;
}

}  // namespace

// ---- the print image ----------------------------------------------------------

TPrintBox::TPrintBox(TPrintImage& image, QWidget* parent) : QWidget(parent), image_(image) {
  setObjectName("printBox");
  Resize();
}

void TPrintBox::Resize() {
  const TRect box = image_.Box(logicalDpiY());
  setFixedSize(box.right, box.bottom);
}

void TPrintBox::paintEvent(QPaintEvent*) {
  Resize();
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  TQtCanvas canvas(painter);
  image_.Draw(canvas);
  emit drawn();
}

TPrintImageView::TPrintImageView(TPrintImage& image, QWidget* parent) : QWidget(parent), image_(image) {
  setObjectName("printImage");
  box_ = new TPrintBox(image_);
  auto* scroll = scroll_ = new QScrollArea;
  scroll->setWidget(box_);
  scroll->setBackgroundRole(QPalette::Dark);
  pitch_ = new QLabel;
  fontSize_ = new QLabel;
  auto* prev = new QPushButton("Previous");
  prev->setToolTip("Show the previous sheet");
  auto* next = new QPushButton("Next");
  next->setToolTip("Show the next sheet");
  auto* print = new QPushButton("Print It");
  print->setToolTip("send this page to the printer");
  auto* close = new QPushButton("Close");
  close->setToolTip("Return to ordinary sheet display");
  auto* buttons = new QHBoxLayout;
  for (QWidget* w : {static_cast<QWidget*>(prev), static_cast<QWidget*>(next), static_cast<QWidget*>(print),
                     static_cast<QWidget*>(close)})
    buttons->addWidget(w);
  buttons->addSpacing(12);
  buttons->addWidget(pitch_);
  buttons->addWidget(fontSize_);
  buttons->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addLayout(buttons);
  layout->addWidget(scroll, 1);

  connect(prev, &QPushButton::clicked, this, [this] { image_.PreviousClick(); });
  connect(next, &QPushButton::clicked, this, [this] { image_.NextClick(); });
  connect(print, &QPushButton::clicked, this, &TPrintImageView::printRequested);
  connect(close, &QPushButton::clicked, this, &TPrintImageView::closeRequested);
  connect(box_, &TPrintBox::drawn, this, [this] {
    pitch_->setText(ToQt(image_.PitchLabel()));
    fontSize_->setText(ToQt(image_.FontLabel()));
    setWindowTitle(ToQt(image_.Caption()));
  });
  image_.onChanged = [this] { refresh(); };
  refresh();
}

TPrintImageView::~TPrintImageView() { image_.onChanged = nullptr; }

void TPrintImageView::refresh() {
  const bool wide = box_->width() > box_->height();
  box_->Resize();
  box_->update();
  if ((box_->width() > box_->height()) != wide) emit pageTurned();
}

QSize TPrintImageView::sizeHint() const {
  const int frame = 2 * scroll_->frameWidth();
  const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  const QMargins m = layout()->contentsMargins();
  const int buttons = layout()->itemAt(0)->sizeHint().height() + layout()->spacing();
  return {box_->width() + frame + bar + m.left() + m.right(), box_->height() + frame + buttons + m.top() + m.bottom()};
}

// ---- "Printer fonts" ------------------------------------------------------------

TPrinterFontsDialog::TPrinterFontsDialog(QWidget* parent) : QDialog(parent) {
  setObjectName("printerFonts");
  setWindowTitle("Printer fonts");
  fonts_ = new QFontComboBox;
  fonts_->setEditable(true);
  fonts_->setCurrentText(ToQt(PrinterFontName()));
  printers_ = new QComboBox;
  printers_->addItems(QPrinterInfo::availablePrinterNames());
  if (printers_->count() == 0) printers_->addItem("Print to PDF file");
  auto* form = new QFormLayout;
  form->addRow("Font of the sheet text", fonts_);
  form->addRow("Printers", printers_);
  auto* ok = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(ok, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(ok, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(ok);
}

void TPrinterFontsDialog::accept() {
  PrinterFontName() = FromQt(fonts_->currentText()).substr(0, 255);
  QDialog::accept();
}

// ---- printing ------------------------------------------------------------------------

void PrintMainClick(QWidget* parent, THdrForm& list, const TSelection& selection, TSheetDisplay* display,
                    bool expert) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setPageSize(QPageSize(QPageSize::Letter));  // tariff sheets are letter pages, whatever the locale
  SetUpPrinter(parent, printer);
  if (expert) TPrinterFontsDialog(parent).exec();
  if (list.RunMode() == THdrForm::kTest || list.RunMode() == THdrForm::kErrorsOnly) {
    // The listing modes print the list's lines as they stand, on one page.
    QPrintDialog plain(&printer, parent);
    if (plain.exec() != QDialog::Accepted) return;
    std::vector<std::string> lines;
    for (const auto& entry : list.Entries()) lines.push_back(entry.first);
    TQtPrinter port(printer);
    PrintEntryLines(port, list.Caption(), lines);
    return;
  }
  QPrintDialog dialog(&printer, parent);
  dialog.setOption(QAbstractPrintDialog::PrintSelection, true);
  printer.setPrintRange(QPrinter::Selection);
  if (dialog.exec() != QDialog::Accepted) return;
  std::vector<TSheetPtr> sheets;
  if (printer.printRange() == QPrinter::Selection) {
    for (const auto& entry : list.SelectedSheets())
      if (entry.second) sheets.push_back(entry.second);
  } else {
    for (const auto& entry : list.Entries())
      if (entry.second) sheets.push_back(entry.second);
  }
  if (std::optional<std::string> refused = PrintLimitMessage(sheets.size(), selection)) {
    list.Env().port.Info(*refused);
    return;
  }
  if (sheets.empty()) return;
  const bool minimised = display && display->Minimized();
  TPrintCount count;
  {
    TQtPrinter port(printer);
    count = PrintSheets(list.Cluster(), sheets, port);
  }
  list.Env().port.Info(count.Message());
  if (display && !minimised) display->Restore();
}

void PrintOneSheet(QWidget* parent, THdrForm& list, const std::function<void(int, int)>& pageSize) {
  TSheetPtr sheet = list.GetSelectedSheet();
  if (!sheet) return;
  QPrinter printer(QPrinter::HighResolution);
  printer.setPageSize(QPageSize(QPageSize::Letter));
  printer.setPageOrientation(sheet->body.orientation == 'P' ? QPageLayout::Portrait : QPageLayout::Landscape);
  QPrintDialog dialog(&printer, parent);
  printerSetUp = true;
  if (dialog.exec() != QDialog::Accepted) return;
  TQtPrinter port(printer);
  port.SetLandscape(sheet->body.orientation != 'P');
  if (!port.BeginDoc()) {
    list.Env().port.Error("The printer could not start the page");
    return;
  }
  if (pageSize) {
    const TRect page = port.PageRect();
    pageSize(page.right - page.left, page.bottom - page.top);
  }
  TSheetPrinter engine(list.Cluster(), port.Canvas());
  engine.PrintSheet(*sheet, port.PageRect());
  port.Finish();
}

}  // namespace vorne
