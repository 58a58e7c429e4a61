#include "gui/PrimeEditorView.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/Text1252.h"

namespace vorne {

TPrimeEditorView::TPrimeEditorView(TPrimeEditor& editor, QWidget* parent) : QDialog(parent), editor_(editor) {
  setObjectName("primeEditor");
  setWindowTitle(kPrimeEditorCaption);
  setModal(true);

  update_ = new QPushButton("Update");
  update_->setObjectName("primeUpdate");
  update_->setAutoDefault(false);
  auto* close = new QPushButton("Close");
  close->setAutoDefault(false);
  auto* bar = new QHBoxLayout;
  bar->addWidget(update_);
  bar->addStretch();
  bar->addWidget(close);

  for (size_t i = 0; i < kPrimeBoxCount; ++i) {
    auto* edit = new QLineEdit;
    const TPrimeBox box = TPrimeBox(i);
    edit->setObjectName(QString("primeBox%1").arg(i));
    if (TPrimeEditor::ReadOnly(box)) {
      // What the volume record holds, to compare with: not to be typed into.
      edit->setReadOnly(true);
      edit->setFocusPolicy(Qt::NoFocus);
      QFont italic = FixedPitchFont();
      italic.setItalic(true);
      edit->setFont(italic);
      QPalette p = edit->palette();
      p.setColor(QPalette::Text, Qt::red);
      edit->setPalette(p);
    } else {
      edit->setFont(FixedPitchFont());
      connect(edit, &QLineEdit::textEdited, this,
              [this, box](const QString& text) { editor_.SetText(box, FromQt(text)); });
    }
    boxes_[i] = edit;
  }
  Box(TPrimeBox::CompanyName)->setMaxLength(60);
  Box(TPrimeBox::VolumeName)->setMaxLength(40);
  Box(TPrimeBox::CompanyName)->setMinimumWidth(420);

  auto* names = new QFormLayout;
  names->addRow("Company Name", Box(TPrimeBox::CompanyName));
  names->addRow("Volume Name", Box(TPrimeBox::VolumeName));

  auto* codes = new QGridLayout;
  codes->addWidget(new QLabel("Prime record"), 0, 1);
  auto* stored = new QLabel("Volume record");
  codes->addWidget(stored, 0, 2);
  const std::array<std::pair<TPrimeBox, TPrimeBox>, 3> rows = {{{TPrimeBox::CompanyCode, TPrimeBox::CompID2},
                                                               {TPrimeBox::VolID, TPrimeBox::VolID2},
                                                               {TPrimeBox::VolRevNo, TPrimeBox::VolRev2}}};
  int r = 1;
  for (const auto& [editable, shown] : rows) {
    codes->addWidget(new QLabel(TPrimeEditor::Label(editable)), r, 0);
    codes->addWidget(Box(editable), r, 1);
    codes->addWidget(Box(shown), r, 2);
    ++r;
  }
  codes->setColumnStretch(3, 1);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(bar);
  layout->addLayout(names);
  layout->addLayout(codes);
  layout->addStretch();

  connect(update_, &QPushButton::clicked, this, [this] { editor_.Update(); });
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  editor_.onChanged = [this] { refresh(); };
  refresh();
}

TPrimeEditorView::~TPrimeEditorView() { editor_.onChanged = nullptr; }

void TPrimeEditorView::refresh() {
  for (size_t i = 0; i < kPrimeBoxCount; ++i) {
    const QString text = ToQt(editor_.Text(TPrimeBox(i)));
    if (boxes_[i]->text() != text) boxes_[i]->setText(text);
  }
  update_->setEnabled(editor_.UpdateEnabled() && editor_.Volume());
}

}  // namespace vorne
