#include "gui/SheetTextView.h"

#include <QApplication>
#include <QClipboard>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/Text1252.h"
#include "sheets/SheetText.h"

namespace vorne {

namespace {

QFont DisplayFont() {
  QFont f("Liberation Mono");
  f.setStyleHint(QFont::TypeWriter);
  f.setPointSize(10);
  return f;
}

}  // namespace

TSheetTextView::TSheetTextView(TSheetDisplay& display, QWidget* parent) : QWidget(parent), display_(display) {
  setObjectName("sheetText");
  lines_ = new QListWidget;
  lines_->setObjectName("sheetTextLines");
  lines_->setSelectionMode(QAbstractItemView::MultiSelection);
  lines_->setFont(DisplayFont());
  // Each line as wide as it is: a landscape sheet's long lines scroll sideways, never cut with an ellipsis.
  lines_->setUniformItemSizes(false);
  lines_->setTextElideMode(Qt::ElideNone);
  lines_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  lines_->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  box_ = new QPlainTextEdit;
  box_->setObjectName("sheetTextBox");
  box_->setReadOnly(true);
  box_->setLineWrapMode(QPlainTextEdit::NoWrap);
  box_->setFont(DisplayFont());

  prev_ = new QPushButton("Previous");
  prev_->setToolTip("Go to previous sheet");
  next_ = new QPushButton("Next");
  next_->setToolTip("Go to next sheet");
  print_ = new QPushButton("Print");
  print_->setToolTip("Print this one sheet");
  image_ = new QPushButton("Image");
  image_->setToolTip("Show what the printed sheet will look like");
  info_ = new QPushButton("Info");
  font_ = new QPushButton(" Font");
  font_->setToolTip("Change the display font or its size");
  stop_ = new QPushButton("Stop search");
  stop_->setToolTip("Stop search at this sheet.");
  exit_ = new QPushButton("Exit");
  auto* buttons = new QHBoxLayout;
  for (QPushButton* b : {prev_, next_, print_, image_, info_, font_, stop_, exit_}) buttons->addWidget(b);
  buttons->addStretch();

  status_ = new QLabel;
  orientation_ = new QLabel;
  pitch_ = new QLabel;
  width_ = new QLabel;
  pageWidth_ = new QLabel;
  pageWidth_->setObjectName("pageWidth");
  pageWidth_->hide();
  pageHeight_ = new QLabel;
  pageHeight_->setObjectName("pageHeight");
  pageHeight_->hide();
  auto* labels = new QHBoxLayout;
  labels->setSpacing(16);
  for (QLabel* l : {status_, orientation_, pitch_, width_, pageWidth_, pageHeight_}) labels->addWidget(l);
  labels->addStretch();

  auto* bar = new QMenuBar;
  QMenu* copy = bar->addMenu("&Copy");
  connect(copy->addAction("Copy selected text"), &QAction::triggered, this, [this] {
    if (display_.CopyView()) {
      box_->copy();
    } else {
      QStringList picked;
      for (int i = 0; i < lines_->count(); ++i)
        if (lines_->item(i)->isSelected()) picked << lines_->item(i)->text();
      QApplication::clipboard()->setText(picked.join('\n'));
    }
  });
  connect(copy->addAction("Copy Tariff Volume Name"), &QAction::triggered, this,
          [this] { Copy(ToQt(display_.VolumeNameText())); });
  connect(copy->addAction("Copy Sheet Name"), &QAction::triggered, this, [this] { Copy(ToQt(display_.SheetNameText())); });
  connect(copy->addAction("Copy all text"), &QAction::triggered, this, [this] { Copy(ToQt(display_.AllText())); });
  connect(copy->addAction("Copy entire sheet"), &QAction::triggered, this, [this] {
    Copy(ToQt(display_.EntireSheetText()));
    display_.LineListClick();
  });

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 0, 2, 2);
  layout->setSpacing(2);
  layout->setMenuBar(bar);
  layout->addLayout(buttons);
  layout->addLayout(labels);
  layout->addWidget(lines_, 1);
  layout->addWidget(box_, 1);

  connect(prev_, &QPushButton::clicked, this, [this] { display_.UpBtnClick(); });
  connect(next_, &QPushButton::clicked, this, [this] { display_.DownBtnClick(); });
  connect(print_, &QPushButton::clicked, this, &TSheetTextView::printRequested);
  connect(image_, &QPushButton::clicked, this, [this] {
    display_.Minimize();
    emit imageRequested();
  });
  connect(info_, &QPushButton::clicked, this, &TSheetTextView::infoRequested);
  connect(font_, &QPushButton::clicked, this, [this] {
    bool ok = false;
    QFont f = QFontDialog::getFont(&ok, box_->font(), this, "Font of the sheet text");
    if (ok) {
      box_->setFont(f);
      lines_->setFont(f);
    }
  });
  connect(stop_, &QPushButton::clicked, this, [this] { display_.StopBtnClick(); });
  connect(exit_, &QPushButton::clicked, this, [this] { display_.ExitBtnClick(); });
  connect(lines_, &QListWidget::itemClicked, this, [this] {
    if (!display_.InSearch()) display_.LineListClick();
  });

  display_.onChanged = [this] { refresh(); };
  refresh();
}

TSheetTextView::~TSheetTextView() { display_.onChanged = nullptr; }

void TSheetTextView::Copy(const QString& text) { QApplication::clipboard()->setText(text); }

void TSheetTextView::refresh() {
  if (syncing_) return;
  syncing_ = true;
  setWindowTitle(ToQt(display_.Caption()));
  QStringList shown;
  for (const std::string& l : display_.Lines()) shown << ToQt(l);
  bool same = lines_->count() == shown.size();
  for (int i = 0; same && i < shown.size(); ++i) same = lines_->item(i)->text() == shown[i];
  if (!same) {
    lines_->clear();
    lines_->addItems(shown);
    box_->setPlainText(shown.join('\n'));
  }
  lines_->clearSelection();
  for (int i : display_.MarkedLines())
    if (i >= 0 && i < lines_->count()) lines_->item(i)->setSelected(true);
  if (display_.TopLine() > 0 && display_.TopLine() < lines_->count())
    lines_->scrollToItem(lines_->item(display_.TopLine()), QAbstractItemView::PositionAtTop);
  lines_->setVisible(!display_.CopyView());
  box_->setVisible(display_.CopyView());
  status_->setText(ToQt(display_.StatusLabel()));
  orientation_->setText(ToQt(display_.OrientationLabel()));
  pitch_->setText(ToQt(display_.PitchLabel()));
  width_->setText(QString("Longest line: %1  (%2 pixels)").arg(display_.MaxLineLength()).arg(display_.TextWidthPixels()));
  prev_->setEnabled(display_.PrevEnabled());
  next_->setEnabled(display_.NextEnabled());
  exit_->setText(ToQt(display_.ExitCaption()));
  stop_->setVisible(display_.StopVisible());
  setEnabled(display_.Enabled() || display_.InSearch());
  if (display_.Minimized() != lastMinimised_) {
    lastMinimised_ = display_.Minimized();
    emit minimiseRequested(lastMinimised_);
  }
  syncing_ = false;
}

void TSheetTextView::ShowPageSize(int width, int height) {
  pageWidth_->setText(QString("Page width: %1").arg(width));
  pageHeight_->setText(QString("Page height: %1").arg(height));
  pageWidth_->show();
  pageHeight_->show();
}

}  // namespace vorne
