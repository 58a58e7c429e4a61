#include "gui/SelectorSummary.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include "gui/CriteriaDialogs.h"
#include "gui/Text1252.h"
#include "shell/Main.h"
#include "volumes/Selectors.h"

namespace vorne {

namespace {

// A box that shows a tick but takes no clicks and no focus.
QCheckBox* ShownBox(const TCheckBox& b) {
  auto* box = new QCheckBox(ToQt(b.caption));
  box->setChecked(b.checked);
  box->setAttribute(Qt::WA_TransparentForMouseEvents);
  box->setFocusPolicy(Qt::NoFocus);
  return box;
}

QLineEdit* ShownText(const std::string& text, int chars) {
  auto* field = new QLineEdit(ToQt(text));
  field->setReadOnly(true);
  field->setFocusPolicy(Qt::NoFocus);
  const QFontMetrics fm(field->font());
  field->setMinimumWidth(fm.horizontalAdvance(QString(chars, QLatin1Char('0'))) + 12);
  return field;
}

}  // namespace

TSelectorSummaryView::TSelectorSummaryView(TMain& main, QWidget* parent) : QDialog(parent) {
  const TSelectorSummary s(main.State().Selection);
  setWindowTitle(ToQt(TSelectorSummary::kCaption));

  dockets_ = new QGroupBox(ToQt(TSelectorSummary::kDocketsHeading));
  {
    auto* layout = new QVBoxLayout(dockets_);
    auto* list = new QListWidget;
    list->setFont(FixedPitchFont());
    list->setSelectionMode(QAbstractItemView::NoSelection);
    list->setFocusPolicy(Qt::NoFocus);
    for (const std::string& line : s.dockets) list->addItem(ToQt(line));
    const QFontMetrics fm(list->font());
    list->setMinimumWidth(fm.horizontalAdvance(QString(40, QLatin1Char('0'))) + 40);
    list->setMaximumHeight(fm.height() * 8);
    layout->addWidget(list);
  }

  types_ = new QGroupBox;
  {
    auto* layout = new QVBoxLayout(types_);
    for (const TCheckBox& b : s.types) layout->addWidget(ShownBox(b));
  }

  dates_ = new QGroupBox;
  {
    auto* grid = new QGridLayout(dates_);
    for (size_t row = 0; row < 4; ++row) {
      grid->addWidget(new QLabel(ToQt(TDateDialog::kRowCaptions[row])), int(row), 0);
      grid->addWidget(new QLabel(ToQt(TDateDialog::kFromLabel)), int(row), 1, Qt::AlignRight);
      grid->addWidget(ShownText(s.dates[row][0], 10), int(row), 2);
      grid->addWidget(new QLabel(ToQt(TDateDialog::kToLabel)), int(row), 3, Qt::AlignRight);
      grid->addWidget(ShownText(s.dates[row][1], 10), int(row), 4);
    }
  }

  statuses_ = new QGroupBox;
  {
    auto* layout = new QVBoxLayout(statuses_);
    for (const TCheckBox& b : s.statuses) layout->addWidget(ShownBox(b));
  }

  sheetNo_ = new QGroupBox(ToQt(TSelectorSummary::kSheetNoHeading));
  {
    auto* form = new QFormLayout(sheetNo_);
    QLineEdit* from = ShownText(s.fromText, 10);
    QLineEdit* to = ShownText(s.toText, 10);
    from->setFont(FixedPitchFont());
    to->setFont(FixedPitchFont());
    form->addRow(ToQt(TSheetNoDialog::kFromLabel), from);
    form->addRow(ToQt(TSheetNoDialog::kToLabel), to);
  }

  dockets_->setVisible(s.showDockets);
  types_->setVisible(s.showTypes);
  dates_->setVisible(s.showDates);
  statuses_->setVisible(s.showStatuses);
  sheetNo_->setVisible(s.showSheetNo);

  // Two columns keep the window no taller than the screen with every part on.
  auto* columns = new QHBoxLayout;
  auto* left = new QVBoxLayout;
  auto* right = new QVBoxLayout;
  left->addWidget(dockets_);
  left->addWidget(types_);
  left->addStretch();
  right->addWidget(dates_);
  right->addWidget(statuses_);
  right->addWidget(sheetNo_);
  right->addStretch();
  columns->addLayout(left);
  columns->addLayout(right);

  // The parts keep the room their texts need: a window made smaller than
  // that (tiled, shrunk by hand, a large font) scrolls them rather than
  // squeezing one part's lines into the next one's heading.
  content_ = new QWidget;
  auto* inner = new QVBoxLayout(content_);
  inner->setContentsMargins(0, 0, 0, 0);
  inner->addLayout(columns);
  if (!(s.showDockets || s.showTypes || s.showDates || s.showStatuses || s.showSheetNo))
    inner->addWidget(new QLabel(QStringLiteral("No status, date, type, sheet number or docket criteria are set.")));
  inner->addStretch(1);
  scroll_ = new QScrollArea;
  scroll_->setObjectName("summaryParts");
  scroll_->setWidget(content_);
  scroll_->setWidgetResizable(true);
  scroll_->setFrameShape(QFrame::NoFrame);

  auto* outer = new QVBoxLayout(this);
  outer->addWidget(scroll_, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  close_ = new QPushButton(ToQt(TSelectorSummary::kCloseCaption));
  close_->setDefault(true);
  buttons->addWidget(close_);
  outer->addLayout(buttons);
  connect(close_, &QPushButton::clicked, this, &QDialog::close);
}

QSize TSelectorSummaryView::sizeHint() const {
  // Every part whole, without scroll bars; the caller keeps it inside the screen.
  content_->ensurePolished();
  for (QWidget* w : content_->findChildren<QWidget*>()) w->ensurePolished();
  const QSize parts = content_->sizeHint().expandedTo(content_->minimumSizeHint());
  const QMargins m = layout()->contentsMargins();
  return {parts.width() + m.left() + m.right(),
          parts.height() + layout()->spacing() + close_->sizeHint().height() + m.top() + m.bottom()};
}

QSize TSelectorSummaryView::minimumSizeHint() const {
  const QMargins m = layout()->contentsMargins();
  return {close_->sizeHint().width() + m.left() + m.right(),
          close_->sizeHint().height() * 3 + m.top() + m.bottom()};
}

}  // namespace vorne
