#include "gui/CriteriaPanel.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "gui/CriteriaDialogs.h"
#include "gui/Text1252.h"
#include "shell/Main.h"
#include "store/Errors.h"

namespace vorne {

TCriteriaPanelView::TCriteriaPanelView(TMain& main, QWidget* parent) : QWidget(parent), main_(main) {
  auto* outer = new QHBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  group_ = new QGroupBox(ToQt(TSelectorPanel::kCaption));
  outer->addWidget(group_);
  auto* grid = new QGridLayout(group_);

  status_ = new QCheckBox(QStringLiteral("by Status"));
  date_ = new QCheckBox(QStringLiteral("by Date"));
  type_ = new QCheckBox(QStringLiteral("by Type"));
  sheetNo_ = new QCheckBox(QStringLiteral("by SheetNo"));
  docket_ = new QCheckBox(QStringLiteral("by Docket"));
  other_ = new QPushButton(QStringLiteral("Other"));
  showSelectors_ = new QPushButton(QStringLiteral("Show Selectors"));
  status_->setToolTip(QStringLiteral("Only sheets of the chosen statuses"));
  date_->setToolTip(QStringLiteral("Only sheets filed, effective, ordered or updated within dates"));
  type_->setToolTip(QStringLiteral("Only sheets of the chosen types"));
  sheetNo_->setToolTip(QStringLiteral("Only sheets within a range of sheet numbers"));
  docket_->setToolTip(QStringLiteral("Only sheets of the chosen dockets of the marked volumes"));
  other_->setToolTip(ToQt(TSelectorPanel::kOtherHint));
  showSelectors_->setToolTip(QStringLiteral("Show the criteria in force"));
  for (QPushButton* b : {other_, showSelectors_}) b->setAutoDefault(false);
  grid->addWidget(status_, 0, 0);
  grid->addWidget(date_, 0, 1);
  grid->addWidget(type_, 1, 0);
  grid->addWidget(sheetNo_, 1, 1);
  grid->addWidget(docket_, 2, 0);
  grid->addWidget(other_, 2, 1);
  grid->addWidget(showSelectors_, 3, 0, 1, 2);

  otherPanel_ = new QFrame;
  otherPanel_->setFrameShape(QFrame::StyledPanel);
  otherPanel_->setToolTip(ToQt(TSelectorPanel::kOtherHint));
  auto* otherGrid = new QGridLayout(otherPanel_);
  otherGrid->setContentsMargins(6, 2, 2, 6);
  otherGrid->setVerticalSpacing(2);
  portrait_ = new QCheckBox(QStringLiteral("Portrait"));
  landscape_ = new QCheckBox(QStringLiteral("Landscape"));
  subject_ = new QCheckBox(QStringLiteral("Subject to refund"));
  notSubject_ = new QCheckBox(QStringLiteral("Not subject to refund"));
  auto* close = new QToolButton;
  close->setText(QStringLiteral("x"));
  close->setAutoRaise(true);
  close->setToolTip(QStringLiteral("Close"));
  otherGrid->addWidget(close, 0, 1, Qt::AlignRight | Qt::AlignTop);
  otherGrid->addWidget(portrait_, 1, 0);
  otherGrid->addWidget(landscape_, 2, 0);
  otherGrid->addWidget(subject_, 3, 0);
  otherGrid->addWidget(notSubject_, 4, 0);
  grid->addWidget(otherPanel_, 0, 2, 4, 1);

  TSelectorPanel& panel = main_.Selectors();
  connect(status_, &QCheckBox::clicked, this, [this](bool on) {
    if (dialog_) return Refresh();
    if (main_.Selectors().StatusBoxClick(on)) Open(new TStatusDialogView(main_, this), status_);
  });
  connect(date_, &QCheckBox::clicked, this, [this](bool on) {
    if (dialog_) return Refresh();
    if (main_.Selectors().DateBoxClick(on)) Open(new TDateDialogView(main_, this), date_);
  });
  connect(type_, &QCheckBox::clicked, this, [this](bool on) {
    if (dialog_) return Refresh();
    if (main_.Selectors().TypeBoxClick(on)) Open(new TTypeDialogView(main_, this), type_);
  });
  connect(sheetNo_, &QCheckBox::clicked, this, [this](bool on) {
    if (dialog_) return Refresh();
    if (main_.Selectors().SheetNoBoxClick(on)) Open(new TSheetNoDialogView(main_, this), sheetNo_);
  });
  connect(docket_, &QCheckBox::clicked, this, &TCriteriaPanelView::DocketClicked);
  connect(other_, &QPushButton::clicked, this, [this] { main_.Selectors().OtherClick(); });
  connect(close, &QToolButton::clicked, this, [this] { main_.Selectors().OtherCloseClick(); });
  connect(portrait_, &QCheckBox::clicked, this, [this](bool on) { main_.Selectors().PortraitClick(on); });
  connect(landscape_, &QCheckBox::clicked, this, [this](bool on) { main_.Selectors().LandscapeClick(on); });
  connect(subject_, &QCheckBox::clicked, this, [this](bool on) { main_.Selectors().SubjectClick(on); });
  connect(notSubject_, &QCheckBox::clicked, this, [this](bool on) { main_.Selectors().NotSubjectClick(on); });
  connect(showSelectors_, &QPushButton::clicked, this, &TCriteriaPanelView::summaryRequested);

  panel.onChanged = [this] { Refresh(); };
  Refresh();
}

TCriteriaPanelView::~TCriteriaPanelView() { main_.Selectors().onChanged = nullptr; }

void TCriteriaPanelView::Refresh() {
  const TSelectorPanel& p = main_.Selectors();
  // A box whose dialog is open shows checked until the dialog's answer.
  status_->setChecked(p.StatusChecked() || dialogBox_ == status_);
  date_->setChecked(p.DateChecked() || dialogBox_ == date_);
  type_->setChecked(p.TypeChecked() || dialogBox_ == type_);
  sheetNo_->setChecked(p.SheetNoChecked() || dialogBox_ == sheetNo_);
  docket_->setChecked(p.DocketChecked() || dialogBox_ == docket_);
  docket_->setEnabled(p.DocketEnabled());
  otherPanel_->setVisible(p.OtherShown());
  portrait_->setChecked(p.PortraitChecked());
  landscape_->setChecked(p.LandscapeChecked());
  subject_->setChecked(p.SubjectChecked());
  notSubject_->setChecked(p.NotSubjectChecked());
}

void TCriteriaPanelView::DocketClicked(bool checked) {
  if (dialog_) return Refresh();
  TFromDisplay& list = main_.VolumeList();
  TUserPort& port = main_.Env().port;
  if (!main_.Selectors().DocketBoxClick(checked, list.Focused().has_value(), port)) return Refresh();
  std::vector<std::string> lines;
  try {
    lines = MarkedDocketLines(list);
  } catch (const EVorneError& e) {
    // A volume whose chain cannot be read offers nothing to choose from.
    port.Error(e.what());
    main_.Selectors().DocketBoxClick(false, true, port);
    return;
  }
  Open(new TDocketDialogView(main_, lines, this), docket_);
}

void TCriteriaPanelView::Open(TCriteriaDialog* dialog, QCheckBox* box) {
  dialog_ = dialog;
  dialogBox_ = box;
  connect(dialog, &QDialog::finished, this, [this, dialog] {
    const TDialogResult result = dialog->Result();
    dialog->deleteLater();
    dialog_ = nullptr;
    dialogBox_ = nullptr;
    Refresh();
    // The run starts only after the dialog has gone, so that its windows
    // are not covered by a modal dialog nobody can answer any more.
    if (result.runNow) {
      if (result.emptyNameList) main_.State().NameList.clear();
      emit runNowRequested();
    }
  });
  Refresh();
  dialog->open();
}

}  // namespace vorne
