#include "gui/EditDialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>

#include "gui/SheetListView.h"
#include "gui/Text1252.h"
#include "sheets/Superseder.h"
#include "store/Records.h"

namespace vorne {

using TBox = TEditForm::TBox;
using TFlag = TEditForm::TFlag;

namespace {

void SetTextKeepingCursor(QLineEdit* e, const QString& text) {
  if (e->text() != text) e->setText(text);
}

}  // namespace

// ---- the editing dialog ----------------------------------------------------------------

TEditDialog::TEditDialog(TEditForm& form, QWidget* parent) : QDialog(parent), form_(form) {
  setObjectName("editDialog");
  setWindowTitle(TEditForm::kCaption);
  auto* top = new QVBoxLayout(this);

  // Which sheets: the chosen lines, their count and the count of docket records.
  auto* which = new QHBoxLayout;
  sheets_ = new QComboBox;
  sheets_->setMinimumContentsLength(30);
  sheets_->setToolTip("The marked sheets");
  sheetCount_ = new QLabel;
  type6Count_ = new QLabel;
  which->addWidget(sheets_, 1);
  which->addWidget(sheetCount_);
  which->addWidget(type6Count_);
  top->addLayout(which);

  auto* grid = new QGridLayout;
  int row = 0;
  auto add = [&](const QString& label, QWidget* control, QComboBox* flag) {
    auto* caption = new QLabel(label);
    grid->addWidget(caption, row, 0);
    grid->addWidget(control, row, 1);
    if (flag) grid->addWidget(flag, row, 2);
    ++row;
    return caption;
  };

  auto* sheetBox = new QGroupBox("Sheets");
  sheetBox->setLayout(grid);
  status_ = new QComboBox;
  for (const char* s : TEditForm::kStatusItems) status_->addItem(s);
  add("Status", status_, AddFlag(TFlag::statflag));
  refund_ = new QCheckBox(" Subject To Refund");
  add("Refund", refund_, AddFlag(TFlag::SubjectFlag));
  type_ = new QComboBox;
  for (int t = 1; t <= 10; ++t) type_->addItem(ToQt(SheetTypeName(t)));
  add("Sheet type", type_, AddFlag(TFlag::SheetTypeFlag));
  add("Filing date", AddBox(TBox::FilingDate), AddFlag(TFlag::FilingFlag));
  orderType_ = new QComboBox;
  for (const char* s : TEditForm::kOrderTypeItems) orderType_->addItem(s);
  add("Order type", orderType_, AddFlag(TFlag::OrderTypeFlag));
  add("Order citation", AddBox(TBox::ZoakCite), nullptr);
  sheetNoPanel_ = new QWidget;
  {
    auto* l = new QHBoxLayout(sheetNoPanel_);
    l->setContentsMargins(0, 0, 0, 0);
    QLineEdit* no = AddBox(TBox::SheetNo);
    no->setFont(FixedPitchFont());
    no->setMaxLength(8);
    no->setToolTip("The first 6 characters replace the sheet's number");
    l->addWidget(no);
  }
  sheetNoLabel_ = add("Sheet number", sheetNoPanel_, nullptr);

  auto* docketGrid = new QGridLayout;
  auto* docketBox = new QGroupBox("Docket records");
  docketBox->setLayout(docketGrid);
  row = 0;
  auto addDocket = [&](const QString& label, QWidget* control, QComboBox* flag) {
    docketGrid->addWidget(new QLabel(label), row, 0);
    docketGrid->addWidget(control, row, 1);
    if (flag) docketGrid->addWidget(flag, row, 2);
    ++row;
  };
  addDocket("Docket", AddBox(TBox::Docket), AddFlag(TFlag::DocketFlag));
  addDocket("Effective date", AddBox(TBox::Effectivedate), AddFlag(TFlag::EffDateFlag));
  addDocket("Order date", AddBox(TBox::OrderDate), AddFlag(TFlag::OrderDateFlag));
  addDocket("Compliance docket", AddBox(TBox::CmpDktBox), AddFlag(TFlag::CompCiteFlag));
  addDocket("Compliance citation", AddBox(TBox::CmplCiteBox), nullptr);
  Box(TBox::Docket)->setMaxLength(20);
  Box(TBox::CmpDktBox)->setMaxLength(20);
  for (TBox b : {TBox::ZoakCite, TBox::CmplCiteBox, TBox::CmpDktBox}) {
    Box(b)->installEventFilter(this);
    Box(b)->setToolTip("Type the citation as one number: volume, series (3 digits), paragraph (3 digits)");
  }

  auto* fields = new QHBoxLayout;
  fields->addWidget(sheetBox);
  fields->addWidget(docketBox);
  top->addLayout(fields);

  // "Type 5 Edit": the issuer names and the name to give.
  names5Panel_ = new QGroupBox("Issuer records");
  {
    auto* l = new QVBoxLayout(names5Panel_);
    names5_ = new QListWidget;
    names5_->setObjectName("Names5Box");
    names5_->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    l->addWidget(names5_);
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(new QLabel("Name"));
    QLineEdit* name = AddBox(TBox::NameEdit);
    name->setMaxLength(54);
    nameRow->addWidget(name, 1);
    l->addLayout(nameRow);
    connect(names5_, &QListWidget::currentRowChanged, this, [this](int r) {
      if (!syncing_ && r >= 0) form_.Names5Click(r);
    });
  }
  top->addWidget(names5Panel_);

  auto* buttons = new QHBoxLayout;
  ok_ = new QPushButton("OK");
  ok_->setDefault(true);
  cancel_ = new QPushButton("Cancel");
  clone_ = new QPushButton("Clone Type 6");
  auto* link5 = new QPushButton("Link Type5");
  auto* change5 = new QPushButton("Change Type5");
  for (QPushButton* b : {clone_, link5, change5}) buttons->addWidget(b);
  buttons->addStretch(1);
  buttons->addWidget(ok_);
  buttons->addWidget(cancel_);
  top->addLayout(buttons);

  connect(ok_, &QPushButton::clicked, this, [this] { form_.OKBtnClick(); });
  connect(cancel_, &QPushButton::clicked, this, [this] { form_.CancelClick(); });
  connect(clone_, &QPushButton::clicked, this, [this] { form_.Clone6BtnClick(); });
  connect(link5, &QPushButton::clicked, this, [this] { form_.Link5BtnClick(); });
  connect(change5, &QPushButton::clicked, this, [this] { form_.Change5BtnClick(); });
  connect(status_, &QComboBox::currentIndexChanged, this, [this](int i) {
    if (!syncing_) form_.SetStatusIndex(i);
  });
  connect(type_, &QComboBox::currentIndexChanged, this, [this](int i) {
    if (!syncing_) form_.SetTypeIndex(i);
  });
  connect(orderType_, &QComboBox::currentIndexChanged, this, [this](int i) {
    if (!syncing_) form_.SetOrderTypeIndex(i);
  });
  connect(refund_, &QCheckBox::toggled, this, [this](bool on) {
    if (!syncing_) form_.SetRefundChecked(on);
  });

  form_.onChanged = [this] { refresh(); };
  refresh();
}

TEditDialog::~TEditDialog() { form_.onChanged = nullptr; }

QLineEdit* TEditDialog::AddBox(TBox box) {
  auto* e = new QLineEdit;
  // Room for a docket or a citation as the records hold them.
  e->setMinimumWidth(e->fontMetrics().horizontalAdvance(QString(24, 'M')) * 2 / 3);
  boxes_[size_t(box)] = e;
  connect(e, &QLineEdit::textEdited, this, [this, box](const QString& t) { form_.SetText(box, FromQt(t)); });
  return e;
}

QComboBox* TEditDialog::AddFlag(TFlag flag) {
  auto* c = new QComboBox;
  for (const char* s : TFlagBox::kChoices) c->addItem(s);
  c->setToolTip("The sheets disagree: keep each sheet's own value, or override it with this one");
  flags_[size_t(flag)] = c;
  connect(c, &QComboBox::currentIndexChanged, this, [this, flag](int i) {
    if (!syncing_ && i >= 0) form_.SetFlagChoice(flag, TFlagBox::TChoice(i));
  });
  return c;
}

bool TEditDialog::eventFilter(QObject* watched, QEvent* event) {
  for (TBox b : {TBox::ZoakCite, TBox::CmplCiteBox, TBox::CmpDktBox}) {
    if (watched != Box(b)) continue;
    if (event->type() == QEvent::FocusIn) form_.EnterCite(b);
    if (event->type() == QEvent::FocusOut) form_.LeaveCite(b);
  }
  return QDialog::eventFilter(watched, event);
}

void TEditDialog::reject() { form_.CancelClick(); }

void TEditDialog::refresh() {
  if (syncing_) return;
  syncing_ = true;
  for (size_t b = 0; b < boxes_.size(); ++b)
    if (boxes_[b]) SetTextKeepingCursor(boxes_[b], ToQt(form_.Text(TBox(b))));
  for (size_t f = 0; f < flags_.size(); ++f) {
    if (!flags_[f]) continue;
    const TFlagBox& flag = form_.Flag(TFlag(f));
    flags_[f]->setVisible(flag.visible);
    flags_[f]->setCurrentIndex(int(flag.choice));
  }
  status_->setCurrentIndex(form_.StatusIndex());
  type_->setCurrentIndex(form_.TypeIndex());
  orderType_->setCurrentIndex(form_.OrderTypeIndex());
  refund_->setChecked(form_.RefundChecked());
  if (sheets_->count() != int(form_.SheetItems().size())) {
    sheets_->clear();
    for (const std::string& s : form_.SheetItems()) sheets_->addItem(ToQt(s));
  }
  sheetCount_->setText(ToQt(form_.SheetCount()));
  type6Count_->setText(ToQt(form_.Type6Count()));
  sheetNoPanel_->setVisible(form_.SheetNoVisible());
  sheetNoLabel_->setVisible(form_.SheetNoVisible());
  names5Panel_->setVisible(form_.Type5Mode());
  if (shownNames_ != form_.Names5().size() || form_.Names5Index() < 0) {
    names5_->clear();
    for (size_t i = 0; i < form_.Names5().size(); ++i) names5_->addItem(ToQt(form_.Names5Line(i)));
    shownNames_ = form_.Names5().size();
  } else {
    for (int i = 0; i < names5_->count(); ++i) names5_->item(i)->setText(ToQt(form_.Names5Line(size_t(i))));
  }
  names5_->setCurrentRow(form_.Names5Index());
  names5_->setStyleSheet(form_.Names5Flash() ? "QListWidget { background: yellow; }" : QString());
  if (form_.Names5Flash()) QTimer::singleShot(400, this, [this] { form_.EndFlash(); });
  ok_->setEnabled(form_.OKEnabled());
  cancel_->setEnabled(form_.CancelEnabled());
  clone_->setEnabled(form_.CloneEnabled());
  syncing_ = false;
  if (form_.Result() == TEditForm::TResult::OK)
    QDialog::accept();
  else if (form_.Result() == TEditForm::TResult::Cancel)
    QDialog::done(QDialog::Rejected);
}

// ---- the superseder ------------------------------------------------------------------------

TDependentsModel::TDependentsModel(TSheetSuperseder& s, QObject* parent)
    : QAbstractListModel(parent), s_(s), shown_(int(s.Dependents().size())) {}

int TDependentsModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : shown_; }

QVariant TDependentsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= shown_ || size_t(index.row()) >= s_.Dependents().size()) return {};
  if (role == Qt::DisplayRole) return ToQt(s_.Dependents()[size_t(index.row())].first);
  if (role == TSheetListModel::kOwnerDrawnRole) return true;
  return TSheetListModel::StyleData(s_.LineStyle(index.row()), role, QFont());
}

void TDependentsModel::Refresh() {
  const int now = int(s_.Dependents().size());
  if (now != shown_) {
    beginResetModel();
    shown_ = now;
    endResetModel();
  } else if (shown_ > 0) {
    emit dataChanged(index(0), index(shown_ - 1));
  }
}

TSupersederDialog::TSupersederDialog(TSheetSuperseder& s, QWidget* parent) : QDialog(parent), s_(s) {
  setObjectName("supersederDialog");
  setWindowTitle(TSheetSuperseder::kCaption);
  auto* top = new QVBoxLayout(this);
  top->addWidget(new QLabel("Versions still in force under another docket. Mark the ones to supersede, or the "
                            "ones whose pending sheets should stay pending."));
  model_ = new TDependentsModel(s_, this);
  list_ = new QListView;
  list_->setModel(model_);
  list_->setItemDelegate(new TSheetLineDelegate(list_));
  list_->setSelectionMode(QAbstractItemView::MultiSelection);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  top->addWidget(list_, 1);
  auto* labels = new QHBoxLayout;
  status_ = new QLabel;
  docket_ = new QLabel;
  counter_ = new QLabel;
  labels->addWidget(status_);
  labels->addWidget(docket_, 1);
  labels->addWidget(counter_);
  top->addLayout(labels);
  auto* buttons = new QHBoxLayout;
  auto* supe = new QPushButton("Supersede");
  supe->setToolTip("Write the marked versions Superseded now");
  auto* revert = new QPushButton("Don't Supersede");
  revert->setToolTip("Leave the pending sheets of the marked numbers out of the edit");
  auto* ok = new QPushButton("OK");
  ok->setDefault(true);
  auto* cancel = new QPushButton("Cancel");
  for (QPushButton* b : {supe, revert}) buttons->addWidget(b);
  buttons->addStretch(1);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  top->addLayout(buttons);
  connect(supe, &QPushButton::clicked, this, [this] { s_.SupeBtnClick(); });
  connect(revert, &QPushButton::clicked, this, [this] { s_.RevertBtnClick(); });
  connect(ok, &QPushButton::clicked, this, [this] {
    s_.OKClick();
    accept();
  });
  connect(cancel, &QPushButton::clicked, this, [this] {
    s_.CancelClick();
    reject();
  });
  connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this, &TSupersederDialog::ViewToModel);
  connect(list_->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& i) {
    if (!syncing_) s_.Select(i.row());
  });
  s_.onChanged = [this] { refresh(); };
  resize(480, 320);
  refresh();
}

TSupersederDialog::~TSupersederDialog() { s_.onChanged = nullptr; }

void TSupersederDialog::ViewToModel() {
  if (syncing_) return;
  syncing_ = true;
  for (size_t i = 0; i < s_.Dependents().size(); ++i) {
    const bool on = list_->selectionModel()->isRowSelected(int(i), {});
    if (s_.IsMarked(i) != on) s_.SetMarked(i, on);
  }
  syncing_ = false;
  refresh();
}

void TSupersederDialog::refresh() {
  if (syncing_) return;
  syncing_ = true;
  model_->Refresh();
  QItemSelection sel;
  for (size_t i = 0; i < s_.Dependents().size(); ++i)
    if (s_.IsMarked(i)) sel.select(model_->index(int(i)), model_->index(int(i)));
  list_->selectionModel()->select(sel, QItemSelectionModel::ClearAndSelect);
  if (s_.SelectedIndex() >= 0)
    list_->selectionModel()->setCurrentIndex(model_->index(s_.SelectedIndex()), QItemSelectionModel::NoUpdate);
  status_->setText(ToQt(s_.StatusField()));
  docket_->setText(ToQt(s_.docketfield()));
  counter_->setText(ToQt(s_.Counter()));
  syncing_ = false;
}

}  // namespace vorne
