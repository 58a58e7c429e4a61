#include "gui/FilingDialogs.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "filings/CompanyCheck.h"
#include "filings/Type0Dialog.h"
#include "gui/QtUserPort.h"
#include "gui/Text1252.h"

namespace vorne {

namespace {

// OK hands the fields to the model; the dialog closes only when it accepts.
bool RunType0(TType0Dialog& model, QWidget* parent) {
  QDialog dialog(parent);
  dialog.setObjectName("type0Dialog");
  dialog.setWindowTitle(ToQt(model.Caption()));
  auto* form = new QFormLayout;
  auto* docket = new QLineEdit(ToQt(model.DocketField));
  auto* date = new QLineEdit(ToQt(model.FilingDateField));
  docket->setMaxLength(20);
  form->addRow(new QLabel(ToQt(model.Pipeline)));
  form->addRow("Docket:", docket);
  form->addRow("Filing date:", date);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addLayout(form);
  layout->addWidget(buttons);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
    model.DocketField = FromQt(docket->text());
    model.FilingDateField = FromQt(date->text());
    if (model.OK()) dialog.accept();
  });
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  return dialog.exec() == QDialog::Accepted;
}

// OK confirms the chosen or typed company with FoundID; "Use This" keeps
// the filing's own name and code.
bool RunVerify(TVerifyDlg& model, QWidget* parent) {
  QDialog dialog(parent);
  dialog.setObjectName("verifyCompanyDialog");
  dialog.setWindowTitle(ToQt(model.Caption()));
  dialog.setMinimumWidth(520);  // company names run to 60 characters
  auto* name = new QLineEdit(ToQt(model.BufferName));
  auto* id = new QLineEdit(ToQt(model.BufferID));
  name->setReadOnly(true);
  id->setReadOnly(true);
  auto* choice = new QComboBox;
  choice->setEditable(true);
  for (const TCompanyChoice& c : model.ChoiceBox()) choice->addItem(ToQt(c.name));
  choice->setCurrentIndex(model.Selected);
  choice->setEditText(ToQt(model.Selected >= 0 ? model.ChoiceBox()[size_t(model.Selected)].name : model.ChoiceText));
  auto* found = new QLineEdit(ToQt(model.FoundID));
  QObject::connect(choice, &QComboBox::activated, &dialog, [&](int index) {
    model.Selected = index;
    model.ChoiceExit();
    found->setText(ToQt(model.FoundID));
  });
  auto* form = new QFormLayout;
  form->addRow("Company in the filing:", name);
  form->addRow("Its ID:", id);
  form->addRow("Known company:", choice);
  form->addRow("ID to use:", found);
  auto* buttons = new QDialogButtonBox;
  buttons->addButton(QDialogButtonBox::Ok);
  QPushButton* useThis = buttons->addButton("Use This", QDialogButtonBox::RejectRole);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addLayout(form);
  layout->addWidget(buttons);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
    model.ChoiceText = FromQt(choice->currentText());
    // Text typed over a listed name is a new company, not that entry.
    if (model.Selected >= 0 && model.ChoiceText != model.ChoiceBox()[size_t(model.Selected)].name) model.Selected = -1;
    model.FoundID = FromQt(found->text());
    if (model.OK()) dialog.accept();
  });
  QObject::connect(useThis, &QPushButton::clicked, &dialog, &QDialog::reject);
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace

void AddFilingDialogViews(QtUserPort& port) {
  port.AddDialogView([](TDialogModel& d, QWidget* parent) -> std::optional<bool> {
    if (auto* m = dynamic_cast<TType0Dialog*>(&d)) return RunType0(*m, parent);
    return std::nullopt;
  });
  port.AddDialogView([](TDialogModel& d, QWidget* parent) -> std::optional<bool> {
    if (auto* m = dynamic_cast<TVerifyDlg*>(&d)) return RunVerify(*m, parent);
    return std::nullopt;
  });
}

}  // namespace vorne
