#include "gui/CriteriaDialogs.h"

#include <algorithm>

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFontMetrics>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/Text1252.h"
#include "shell/Main.h"

namespace vorne {

namespace {

// A field wide enough for `sample` in its own font.
void FitWidth(QLineEdit* field, const QString& sample) {
  const int text = QFontMetrics(field->font()).horizontalAdvance(sample);
  field->setMinimumWidth(text + 2 * field->fontMetrics().averageCharWidth() + 8);
}

}  // namespace

// ---- the shared frame ------------------------------------------------------------------

TCriteriaDialog::TCriteriaDialog(TMain& main, const char* caption, QWidget* parent) : QDialog(parent), main_(main) {
  setWindowTitle(ToQt(caption));
  auto* outer = new QVBoxLayout(this);
  body_ = new QVBoxLayout;
  outer->addLayout(body_);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  ok_ = new QPushButton(QStringLiteral("OK"));
  go_ = new QPushButton(QStringLiteral("Go"));
  cancel_ = new QPushButton(QStringLiteral("Cancel"));
  ok_->setDefault(true);
  go_->setToolTip(QStringLiteral("Use these values and start the run at once"));
  for (QPushButton* b : {ok_, go_, cancel_}) buttons->addWidget(b);
  outer->addSpacing(6);
  outer->addLayout(buttons);

  connect(ok_, &QPushButton::clicked, this, [this] { Act(false); });
  connect(go_, &QPushButton::clicked, this, [this] { Act(true); });
  connect(cancel_, &QPushButton::clicked, this, &TCriteriaDialog::reject);
}

void TCriteriaDialog::Act(bool runNow) {
  StoreFields();
  const TDialogResult r = runNow ? ModelGo(main_.State().Controls.XcptChecked) : ModelOK();
  // A refused value has been reported by the model; the person corrects it here.
  if (!r.close) return;
  result_ = r;
  done(QDialog::Accepted);
}

void TCriteriaDialog::reject() {
  result_ = ModelCancel();
  QDialog::reject();
}

// ---- "Status Dialog" -----------------------------------------------------------------------

TStatusDialogView::TStatusDialogView(TMain& main, QWidget* parent)
    : TModelDialog(main, parent, main.State().Selection, main.State().ExpertMode) {
  auto* row = new QHBoxLayout;
  auto* group = new QGroupBox;
  auto* boxes = new QVBoxLayout(group);
  for (size_t i = 0; i < model_.Boxes().size(); ++i) {
    const TCheckBox& b = model_.Boxes()[i];
    auto* box = new QCheckBox(ToQt(b.caption));
    box->setVisible(b.visible);
    boxes->addWidget(box);
    boxes_.push_back(box);
    connect(box, &QCheckBox::clicked, this, [this, i](bool on) {
      model_.Check(i, on);
      Refresh();
    });
  }
  row->addWidget(group);

  auto* commands = new QVBoxLayout;
  auto* current = new QPushButton(ToQt(TStatusDialog::kCurrentCaption));
  auto* archive = new QPushButton(ToQt(TStatusDialog::kArchiveCaption));
  auto* clear = new QPushButton(ToQt(TStatusDialog::kClearCaption));
  current->setToolTip(QStringLiteral("Effective, Proposed and Suspended sheets"));
  archive->setToolTip(QStringLiteral("Superseded, Rejected and Withdrawn sheets"));
  // Enter in the dialog means OK, never one of these.
  for (QPushButton* b : {current, archive, clear}) {
    b->setAutoDefault(false);
    commands->addWidget(b);
  }
  commands->addStretch();
  connect(current, &QPushButton::clicked, this, [this] {
    model_.CurrentClick();
    Refresh();
  });
  connect(archive, &QPushButton::clicked, this, [this] {
    model_.ArchiveClick();
    Refresh();
  });
  connect(clear, &QPushButton::clicked, this, [this] {
    model_.ClearClick();
    Refresh();
  });
  row->addLayout(commands);
  Body()->addLayout(row);
  Refresh();
}

void TStatusDialogView::Refresh() {
  for (size_t i = 0; i < boxes_.size(); ++i) boxes_[i]->setChecked(model_.Boxes()[i].checked);
}

// ---- "Select Sheets by Date" -----------------------------------------------------------

TDateDialogView::TDateDialogView(TMain& main, QWidget* parent)
    : TModelDialog(main, parent, main.State().Selection, main.Env().port) {
  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(8);
  for (int k = 1; k <= 4; ++k) {
    const int row = k - 1;
    grid->addWidget(new QLabel(ToQt(TDateDialog::kRowCaptions[size_t(row)])), row, 0);
    for (TDateEnd end : {TDateEnd::From, TDateEnd::To}) {
      const int col = end == TDateEnd::From ? 1 : 3;
      auto* label = new QLabel(ToQt(end == TDateEnd::From ? TDateDialog::kFromLabel : TDateDialog::kToLabel));
      auto* field = new QLineEdit(ToQt(model_.Field(TDateKind(k), end)));
      FitWidth(field, QStringLiteral("12/31/2000"));
      field->setToolTip(QStringLiteral("A date as M/D/YYYY, or ... for no limit"));
      label->setBuddy(field);
      grid->addWidget(label, row, col, Qt::AlignRight);
      grid->addWidget(field, row, col + 1);
      fields_[size_t(row)][size_t(end)] = field;
    }
  }
  Body()->addLayout(grid);
}

void TDateDialogView::StoreFields() {
  for (int k = 1; k <= 4; ++k)
    for (TDateEnd end : {TDateEnd::From, TDateEnd::To})
      model_.Field(TDateKind(k), end) = FromQt(Field(TDateKind(k), end)->text());
}

// ---- "Sheet Type (Text ID field)" --------------------------------------------------------

TTypeDialogView::TTypeDialogView(TMain& main, QWidget* parent)
    : TModelDialog(main, parent, main.State().Selection) {
  auto* group = new QGroupBox;
  auto* boxes = new QVBoxLayout(group);
  for (size_t i = 0; i < model_.Boxes().size(); ++i) {
    auto* box = new QCheckBox(ToQt(model_.Boxes()[i].caption));
    box->setChecked(model_.Boxes()[i].checked);
    boxes->addWidget(box);
    boxes_.push_back(box);
    connect(box, &QCheckBox::clicked, this, [this, i](bool on) { model_.Check(i, on); });
  }
  Body()->addWidget(group);
}

// ---- "PickSheetno" -------------------------------------------------------------------------

TSheetNoDialogView::TSheetNoDialogView(TMain& main, QWidget* parent)
    : TModelDialog(main, parent, main.State().Selection, main.Env().port) {
  auto* form = new QFormLayout;
  from_ = new QLineEdit(ToQt(model_.FromField()));
  to_ = new QLineEdit(ToQt(model_.ToField()));
  for (QLineEdit* f : {from_, to_}) {
    f->setMaxLength(int(TSheetNoDialog::kFieldWidth));
    f->setFont(FixedPitchFont());
    FitWidth(f, QString(int(TSheetNoDialog::kFieldWidth), QLatin1Char('W')));
  }
  from_->setToolTip(QStringLiteral("Lowest sheet number, e.g. 12A; [... for no lower limit"));
  to_->setToolTip(QStringLiteral("Highest sheet number; ...] for no upper limit"));
  form->addRow(ToQt(TSheetNoDialog::kFromLabel), from_);
  form->addRow(ToQt(TSheetNoDialog::kToLabel), to_);
  Body()->addLayout(form);
}

void TSheetNoDialogView::StoreFields() {
  model_.SetFrom(FromQt(from_->text()));
  model_.SetTo(FromQt(to_->text()));
}

// ---- "Available dockets" --------------------------------------------------------------------

TDocketDialogView::TDocketDialogView(TMain& main, const std::vector<std::string>& docketLines, QWidget* parent)
    : TModelDialog(main, parent, main.State().Selection, docketLines) {
  const QFont fixed = FixedPitchFont();
  list_ = new QListWidget;
  list_->setFont(fixed);
  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list_->setToolTip(QStringLiteral("Select one or more dockets (Ctrl or Shift for several)"));
  for (const std::string& line : model_.Lines()) list_->addItem(ToQt(line));
  // Room for the longest docket line (docket number and effective date) and
  // a dozen lines without scrolling sideways.
  const QFontMetrics fm(fixed);
  int longest = 30;
  for (const std::string& line : model_.Lines()) longest = std::max(longest, int(line.size()));
  list_->setMinimumWidth(fm.horizontalAdvance(QString(longest, QLatin1Char('0'))) + 40);
  list_->setMinimumHeight(fm.height() * 12);

  combo_ = new QComboBox;
  combo_->setFont(fixed);
  for (const std::string& line : model_.ComboLines()) combo_->addItem(ToQt(line));
  combo_->setCurrentIndex(-1);  // nothing chosen until the person picks a line
  combo_->setPlaceholderText(QStringLiteral("Dockets in volume order"));
  combo_->setToolTip(QStringLiteral("The dockets in volume order; the one chosen is selected in the list"));
  combo_->installEventFilter(this);

  Body()->addWidget(list_);
  Body()->addWidget(combo_);
  connect(list_, &QListWidget::itemSelectionChanged, this, [this] { StoreFields(); });
}

bool TDocketDialogView::eventFilter(QObject* watched, QEvent* event) {
  if (watched == combo_ && event->type() == QEvent::FocusOut) {
    StoreFields();
    model_.LeaveCombo(combo_->currentIndex());
    ShowSelection();
  }
  return TCriteriaDialog::eventFilter(watched, event);
}

void TDocketDialogView::StoreFields() {
  for (int i = 0; i < list_->count(); ++i) model_.Select(size_t(i), list_->item(i)->isSelected());
}

void TDocketDialogView::ShowSelection() {
  QSignalBlocker quiet(list_);
  for (int i = 0; i < list_->count(); ++i) list_->item(i)->setSelected(model_.Selected(size_t(i)));
  list_->viewport()->update();
}

}  // namespace vorne
