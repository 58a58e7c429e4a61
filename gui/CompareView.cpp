#include "gui/CompareView.h"

#include <QAbstractTextDocumentLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QVBoxLayout>
#include <algorithm>

#include "gui/Text1252.h"
#include "sheets/SheetList.h"

namespace vorne {

namespace {

// Light shades for a line, stronger ones for its changed words; they stay
// apart in grey on a black-and-white printer too.
const QColor kRemovedLine(255, 228, 228), kRemovedWords(255, 160, 160);
const QColor kAddedLine(224, 248, 224), kAddedWords(140, 220, 140);
const QColor kNoLine(238, 238, 238);

struct TSideOf {
  bool older;
  int Line(const TDiffRow& r) const { return older ? r.older : r.newer; }
  const std::vector<TCharSpan>& Spans(const TDiffRow& r) const { return older ? r.olderSpans : r.newerSpans; }
  QColor LineColour(const TDiffRow& r) const {
    if (r.kind == TRowKind::Same) return Qt::white;
    if (Line(r) < 0) return kNoLine;
    return older ? kRemovedLine : kAddedLine;
  }
  QColor WordColour() const { return older ? kRemovedWords : kAddedWords; }
  // The mark before a printed line: "-" removed, "+" added.
  QChar Mark(const TDiffRow& r) const {
    if (r.kind == TRowKind::Same || Line(r) < 0) return ' ';
    return older ? '-' : '+';
  }
};

// The caption over one text: company and volume, then the sheet, its status
// and effective date.
QString CaptionText(const TCompareSide& s) {
  return ToQt(s.company + "  -  " + s.volume) + "\n" + ToQt(s.sheetName) + "\n" +
         ToQt(s.status + ", effective " + s.effective);
}

void FillSide(QTextEdit* edit, const TCompareWindow& m, TSideOf side) {
  const TCompareSide& s = side.older ? m.Older() : m.Newer();
  edit->clear();
  QTextCursor c(edit->document());
  bool first = true;
  for (const TDiffRow& r : m.Diff().Rows()) {
    if (!first) c.insertBlock();
    first = false;
    QTextBlockFormat block;
    block.setBackground(side.LineColour(r));
    c.setBlockFormat(block);
    const int at = side.Line(r);
    if (at < 0) continue;
    const QString line = ToQt(s.lines[size_t(at)]);  // one character a byte
    QTextCharFormat plain, marked;
    marked.setBackground(side.WordColour());
    qsizetype done = 0;
    for (const TCharSpan& span : side.Spans(r)) {
      c.insertText(line.mid(done, qsizetype(span.start) - done), plain);
      c.insertText(line.mid(qsizetype(span.start), qsizetype(span.length)), marked);
      done = qsizetype(span.start + span.length);
    }
    c.insertText(line.mid(done), plain);
  }
}

QTextEdit* NewText() {
  auto* t = new QTextEdit;
  t->setReadOnly(true);
  t->setLineWrapMode(QTextEdit::NoWrap);
  t->setFont(FixedPitchFont());
  t->document()->setDocumentMargin(2);
  return t;
}

}  // namespace

TCompareView::TCompareView(TCompareWindow& model, QWidget* parent) : QWidget(parent), model_(model) {
  olderCaption_ = new QLabel;
  newerCaption_ = new QLabel;
  for (QLabel* l : {olderCaption_, newerCaption_}) {
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
  }
  older_ = NewText();
  newer_ = NewText();
  older_->setObjectName("olderText");
  newer_->setObjectName("newerText");
  // One scroll position for both texts: the rows stay side by side.
  for (auto [a, b] : {std::pair{older_, newer_}, std::pair{newer_, older_}}) {
    connect(a->verticalScrollBar(), &QScrollBar::valueChanged, b->verticalScrollBar(), &QScrollBar::setValue);
    connect(a->horizontalScrollBar(), &QScrollBar::valueChanged, b->horizontalScrollBar(), &QScrollBar::setValue);
  }

  summary_ = new QLabel;
  summary_->setObjectName("compareSummary");
  previous_ = new QPushButton("Previous change");
  next_ = new QPushButton("Next change");
  print_ = new QPushButton("Print");
  print_->setToolTip("Print both versions on one landscape page");
  close_ = new QPushButton("Close");
  connect(previous_, &QPushButton::clicked, this, [this] { model_.PreviousChange(); });
  connect(next_, &QPushButton::clicked, this, [this] { model_.NextChange(); });
  connect(print_, &QPushButton::clicked, this, &TCompareView::PrintClick);
  connect(close_, &QPushButton::clicked, this, &TCompareView::closeRequested);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(previous_);
  buttons->addWidget(next_);
  buttons->addWidget(summary_, 1);
  buttons->addWidget(print_);
  buttons->addWidget(close_);
  auto* sides = new QHBoxLayout;
  for (auto [caption, text] : {std::pair{olderCaption_, older_}, std::pair{newerCaption_, newer_}}) {
    auto* column = new QVBoxLayout;
    column->addWidget(caption);
    column->addWidget(text, 1);
    sides->addLayout(column, 1);
  }
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addLayout(buttons);
  layout->addLayout(sides, 1);

  model_.onChanged = [this] { refresh(); };
  refresh();
}

TCompareView::~TCompareView() { model_.onChanged = nullptr; }

void TCompareView::refresh() {
  setWindowTitle(ToQt(model_.Caption()));
  olderCaption_->setText(CaptionText(model_.Older()));
  newerCaption_->setText(CaptionText(model_.Newer()));
  QString summary = ToQt(model_.Summary());
  if (model_.ChangeCount() > 1)
    summary += QString("   (change %1 of %2)").arg(model_.CurrentChange() + 1).arg(model_.ChangeCount());
  summary_->setText(summary);
  previous_->setEnabled(model_.PreviousEnabled());
  next_->setEnabled(model_.NextEnabled());
  // The texts are filled again only for another comparison, not for a step.
  if (shownGeneration_ != model_.Generation()) FillTexts();
  ScrollToCurrent();
}

void TCompareView::FillTexts() {
  FillSide(older_, model_, TSideOf{true});
  FillSide(newer_, model_, TSideOf{false});
  shownGeneration_ = model_.Generation();
}

void TCompareView::ScrollToCurrent() {
  const int row = model_.CurrentRow();
  if (row < 0) return;
  // The change a few lines below the top, so that its context shows above it.
  const QTextBlock block = older_->document()->findBlockByNumber(std::max(0, row - 3));
  const qreal top = older_->document()->documentLayout()->blockBoundingRect(block).top();
  older_->verticalScrollBar()->setValue(int(top));
}

// ---- printing ---------------------------------------------------------------------

void TCompareView::PrintClick() {
  QPrinter printer(QPrinter::HighResolution);
  printer.setPageOrientation(QPageLayout::Landscape);
  QPrintDialog dialog(&printer, this);
  dialog.setWindowTitle("Print the comparison");
  if (dialog.exec() != QDialog::Accepted) return;
  PrintTo(printer);
}

void TCompareView::PrintTo(QPrinter& printer) const {
  printer.setPageOrientation(QPageLayout::Landscape);
  QPainter p;
  if (!p.begin(&printer)) return;
  const QRect page = printer.pageLayout().paintRectPixels(printer.resolution()).translated(
      -printer.pageLayout().paintRectPixels(printer.resolution()).topLeft());
  const int dpi = printer.resolution();
  const int gap = dpi / 4;
  const int columnWidth = (page.width() - gap) / 2;

  QFont heading("Liberation Sans");
  heading.setPixelSize(std::max(1, dpi * 11 / 72));
  heading.setBold(true);
  p.setFont(heading);
  const int headingHeight = QFontMetrics(heading, &printer).height();
  p.drawText(0, headingHeight, ToQt(model_.Caption()) + "   -   " + ToQt(model_.Summary()));
  QFont caption = heading;
  caption.setPixelSize(std::max(1, dpi * 8 / 72));
  p.setFont(caption);
  const int captionHeight = QFontMetrics(caption, &printer).height();
  for (const bool older : {true, false}) {
    const int x = older ? 0 : columnWidth + gap;
    const QStringList lines = CaptionText(older ? model_.Older() : model_.Newer()).split('\n');
    for (int i = 0; i < lines.size(); ++i) p.drawText(x, headingHeight + captionHeight * (i + 2), lines[i]);
  }
  const int top = headingHeight + captionHeight * 5;

  // The text size that fits every row into the page's height and the
  // longest line (with its mark) into a column's width.
  const std::vector<TDiffRow>& rows = model_.Diff().Rows();
  size_t longest = 1;
  for (const auto* side : {&model_.Older(), &model_.Newer()})
    for (const std::string& l : side->lines) longest = std::max(longest, l.size());
  QFont text = FixedPitchFont();
  const int rowCount = std::max<int>(1, int(rows.size()));
  int pixels = std::max(1, std::min((page.height() - top) / rowCount * 5 / 6, dpi * 10 / 72));
  text.setPixelSize(pixels);
  while (pixels > 1 && QFontMetrics(text, &printer).horizontalAdvance(QString(int(longest) + 2, 'M')) > columnWidth)
    text.setPixelSize(--pixels);
  p.setFont(text);
  const QFontMetrics fm(text, &printer);
  // Rows closer than the font's height rather than a second page.
  const int rowHeight = std::max(1, std::min(fm.height(), (page.height() - top) / rowCount));
  const int charWidth = fm.horizontalAdvance('M');

  for (const bool older : {true, false}) {
    const TSideOf side{older};
    const TCompareSide& s = older ? model_.Older() : model_.Newer();
    const int x = older ? 0 : columnWidth + gap;
    p.drawRect(x, top - 2, columnWidth, rowHeight * rowCount + 4);
    for (size_t i = 0; i < rows.size(); ++i) {
      const TDiffRow& r = rows[i];
      const int y = top + int(i) * rowHeight;
      if (r.kind != TRowKind::Same) p.fillRect(x + 1, y, columnWidth - 2, rowHeight, side.LineColour(r));
      const int at = side.Line(r);
      if (at < 0) continue;
      const QString line = ToQt(s.lines[size_t(at)]);
      for (const TCharSpan& span : side.Spans(r))
        p.fillRect(x + charWidth * int(span.start + 2), y, charWidth * int(span.length), rowHeight, side.WordColour());
      p.drawText(x + 2, y + fm.ascent(), QString(side.Mark(r)) + ' ' + line);
    }
  }
  p.end();
}

// ---- opening from the sheet list ---------------------------------------------------

TCompareOpener::TCompareOpener(THdrForm& form, THost host) : form_(form), host_(std::move(host)) {}

TCompareOpener::~TCompareOpener() { delete frame_.data(); }

void TCompareOpener::Compare() {
  // Read afresh each time: the library may have changed since the last one.
  pairs_ = TVersionPairs();
  const std::optional<TVersionPick> pick = PickVersions(form_, pairs_);
  if (!pick) return;
  auto window = std::make_unique<TCompareWindow>();
  if (!window->Compare(*pick, pairs_)) return;
  if (!window_) {
    window_ = std::move(window);
    view_ = new TCompareView(*window_);
    frame_ = host_ ? host_(view_, {1000, 620}) : view_;
    QObject::connect(view_, &TCompareView::closeRequested, view_, [this] {
      if (frame_) frame_->hide();
    });
  } else {
    window_->SetSides(window->Older(), window->Newer());
  }
  if (!frame_) return;
  if (frame_->isMinimized()) frame_->showNormal();
  frame_->show();
  frame_->raise();
  frame_->activateWindow();
}

}  // namespace vorne
