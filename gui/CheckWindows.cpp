#include "gui/CheckWindows.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "filings/Verifier.h"
#include "gui/Text1252.h"
#include "sheets/Listing.h"
#include "shell/ScanUpdates.h"

namespace vorne {

namespace {

// Brings the list's lines to those given, appending when only new lines
// came. Each item keeps the bytes it shows, so that the comparison, made on
// every change of a long listing, costs no conversion; lines changed in
// place (a record marked referenced) are caught too.
template <typename Lines, typename Bytes>
void SyncLines(QListWidget* list, const Lines& lines, Bytes bytes) {
  const int n = int(lines.size());
  bool same = list->count() <= n;
  for (int i = 0; same && i < list->count(); ++i) {
    const std::string& b = bytes(lines[size_t(i)]);
    const QByteArray shown = list->item(i)->data(Qt::UserRole).toByteArray();
    same = shown.size() == qsizetype(b.size()) && std::equal(b.begin(), b.end(), shown.begin());
  }
  if (!same) list->clear();
  for (int i = list->count(); i < n; ++i) {
    const std::string& b = bytes(lines[size_t(i)]);
    auto* item = new QListWidgetItem(ToQt(b));
    item->setData(Qt::UserRole, QByteArray(b.data(), qsizetype(b.size())));
    list->addItem(item);
  }
}

const std::string& Same(const std::string& s) { return s; }

}  // namespace

// ---- "Verification failures" ----------------------------------------------------------------

TVerifyView::TVerifyView(TverifyW& model, QWidget* parent) : QWidget(parent), model_(&model) {
  setObjectName("verification");
  list_ = new QListWidget;
  list_->setObjectName("FlawList");
  list_->setFont(FixedPitchFont());
  counter_ = new QLabel;
  counter_->setObjectName("counter");
  save_ = new QPushButton("Save");
  save_->setToolTip("Save the lines as Verify.Txt in the current folder");
  auto* ok = new QPushButton("OK");
  auto* bar = new QHBoxLayout;
  bar->addWidget(counter_, 1);
  bar->addWidget(save_);
  bar->addWidget(ok);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addWidget(list_, 1);
  layout->addLayout(bar);
  connect(save_, &QPushButton::clicked, this, [this] {
    if (model_) model_->SaveClick();
  });
  connect(ok, &QPushButton::clicked, this, &TVerifyView::closeRequested);
  model_->onChanged = [this] {
    refresh();
    emit changed();
  };
  refresh();
}

TVerifyView::~TVerifyView() { Detach(); }

void TVerifyView::Detach() {
  if (model_) model_->onChanged = nullptr;
  model_ = nullptr;
  save_->setEnabled(false);
}

void TVerifyView::refresh() {
  if (!model_) return;
  setWindowTitle(ToQt(model_->Caption()));
  SyncLines(list_, model_->FlawList, Same);
  list_->scrollToBottom();
  counter_->setText(ToQt(model_->Counter()));
}

// ---- the scanner -------------------------------------------------------------------------------

TScannerView::TScannerView(TTimeScanner& model, QWidget* parent) : QWidget(parent), model_(&model) {
  setObjectName("scanner");
  setWindowTitle("Date Last Updated");
  list_ = new QListWidget;
  list_->setObjectName("ShowList");
  list_->setFont(FixedPitchFont());
  quit_ = new QPushButton("Quit");
  save_ = new QPushButton("Save");
  copy_ = new QPushButton("Copy to Main");
  copy_->setToolTip("Flag all recently changed volumes on Prime list");
  go_ = new QPushButton("Go");
  stop_ = new QPushButton("Stop");
  auto* bar = new QHBoxLayout;
  for (QPushButton* b : {quit_, save_, copy_, go_, stop_}) bar->addWidget(b);
  bar->insertStretch(3, 1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addWidget(list_, 1);
  layout->addLayout(bar);
  connect(quit_, &QPushButton::clicked, this, [this] {
    if (!model_) return;
    model_->QuitClick();
    if (!model_->Visible()) emit closeRequested();
  });
  connect(save_, &QPushButton::clicked, this, [this] {
    if (model_) model_->SaveClick();
  });
  connect(copy_, &QPushButton::clicked, this, &TScannerView::copyToMainRequested);
  connect(go_, &QPushButton::clicked, this, &TScannerView::goRequested);
  connect(stop_, &QPushButton::clicked, this, [this] {
    if (model_) model_->StopClick();
  });
  model_->onChanged = [this] {
    refresh();
    emit changed();
  };
  refresh();
}

TScannerView::~TScannerView() { Detach(); }

void TScannerView::Detach() {
  if (model_) model_->onChanged = nullptr;
  model_ = nullptr;
}

QPushButton* TScannerView::Button(const QString& caption) const {
  for (QPushButton* b : {quit_, save_, copy_, go_, stop_})
    if (b->text() == caption) return b;
  return nullptr;
}

void TScannerView::refresh() {
  if (!model_) return;
  SyncLines(list_, model_->Lines(), Same);
  if (model_->CurrentLine() >= 0 && model_->CurrentLine() < list_->count()) list_->setCurrentRow(model_->CurrentLine());
  quit_->setEnabled(model_->QuitEnabled());
  save_->setEnabled(model_->SaveEnabled());
  copy_->setEnabled(model_->CopyEnabled());
  // Stop works while the scan goes; at its end the buttons of the person take over.
  stop_->setEnabled(!model_->Stop && !model_->QuitEnabled());
}

// ---- "Tech Stuff" ------------------------------------------------------------------------------

TTechStuffPage::TTechStuffPage(TRecordListing& model, QWidget* parent) : QWidget(parent), model_(model) {
  setObjectName("techStuff");
  list_ = new QListWidget;
  list_->setObjectName("listing");
  list_->setFont(FixedPitchFont());
  details_ = new QCheckBox("Details");
  type5_ = new QCheckBox("type 5");
  type6_ = new QCheckBox("type 6");
  showDockets_ = new QCheckBox("Show Dockets");
  // Over the dates of a docket line: "6: " and the docket take 24 characters.
  heads_ = new QLabel(QString(24, ' ') +
                      QString("%1%2%3%4").arg("Order", -11).arg("Issued", -11).arg("Eff.", -11).arg("Compliance"));
  heads_->setFont(FixedPitchFont());
  whoops_ = new QLabel("Whoops!");
  whoops_->setStyleSheet("color: red; font-weight: bold");
  status_ = new QLabel;
  eliminate_ = new QPushButton("Eliminate");
  eliminate_->setToolTip("Remove the issuer and docket lines no sheet refers to");
  auto* options = new QHBoxLayout;
  for (QWidget* w : std::initializer_list<QWidget*>{details_, type5_, type6_, showDockets_, whoops_}) options->addWidget(w);
  options->addStretch(1);
  options->addWidget(eliminate_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addLayout(options);
  layout->addWidget(heads_);
  layout->addWidget(list_, 1);
  layout->addWidget(status_);
  connect(details_, &QCheckBox::toggled, this, [this](bool on) {
    if (!syncing_) model_.SetDetails(on);
  });
  connect(type5_, &QCheckBox::toggled, this, [this](bool on) {
    if (!syncing_) model_.Type5Click(on);
  });
  connect(type6_, &QCheckBox::toggled, this, [this](bool on) {
    if (!syncing_) model_.Type6Click(on);
  });
  connect(showDockets_, &QCheckBox::toggled, this, [this](bool on) {
    if (!syncing_) model_.SetShowDockets(on);
  });
  connect(eliminate_, &QPushButton::clicked, this, [this] { model_.AbbrevBtnClick(); });
  model_.onChanged = [this] { refresh(); };
  refresh();
}

TTechStuffPage::~TTechStuffPage() { model_.onChanged = nullptr; }

void TTechStuffPage::refresh() {
  syncing_ = true;
  details_->setChecked(model_.Details());
  type5_->setChecked(model_.Type5());
  type6_->setChecked(model_.Type6());
  showDockets_->setChecked(model_.ShowDockets());
  showDockets_->setVisible(model_.ShowDocketsVisible());
  heads_->setVisible(model_.ColumnHeadsVisible());
  whoops_->setVisible(model_.WhoopsVisible());
  status_->setText(ToQt(model_.StatusText()));
  SyncLines(list_, model_.Lines(), [](const TListingLine& l) -> const std::string& { return l.text; });
  if (model_.TopIndex() >= 0 && model_.TopIndex() < list_->count())
    list_->scrollToItem(list_->item(model_.TopIndex()), QAbstractItemView::PositionAtTop);
  syncing_ = false;
}

}  // namespace vorne
