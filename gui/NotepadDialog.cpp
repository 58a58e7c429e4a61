#include "gui/NotepadDialog.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "gui/Text1252.h"
#include "sheets/Notepad.h"

namespace vorne {

TNotepadDialog::TNotepadDialog(TNoteDialog& note, QWidget* parent) : QDialog(parent), note_(note) {
  setObjectName("notepad");
  setWindowTitle(TNoteDialog::kCaption);
  pad_ = new QPlainTextEdit;
  pad_->setObjectName("NotePad");
  pad_->setToolTip("Add free form comments in space below sheet names.");
  QFont f("Liberation Mono");
  f.setStyleHint(QFont::TypeWriter);
  pad_->setFont(f);
  QStringList lines;
  for (const std::string& l : note_.lines) lines << ToQt(l);
  pad_->setPlainText(lines.join('\n') + '\n');
  pad_->moveCursor(QTextCursor::End);

  auto* ok = new QPushButton("OK");
  ok->setToolTip("Save and exit");
  auto* copy = new QPushButton("Copy");
  copy->setToolTip("Copy to clipboard");
  copy->setDefault(true);
  auto* cancel = new QPushButton("Cancel");
  cancel->setToolTip("Don't save");
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(copy);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pad_, 1);
  layout->addLayout(buttons);
  resize(560, 420);

  connect(ok, &QPushButton::clicked, this, [this] {
    TakeText();
    note_.OKClick();
    accept();
  });
  connect(copy, &QPushButton::clicked, this, [this] {
    TakeText();
    pad_->selectAll();
    QApplication::clipboard()->setText(ToQt(note_.CopyText()));
    accept();
  });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TNotepadDialog::TakeText() {
  QStringList lines = pad_->toPlainText().split('\n');
  if (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast();
  note_.lines.clear();
  for (const QString& l : lines) note_.lines.push_back(FromQt(l));
}

TFindTextDialog::TFindTextDialog(QWidget* parent) : QDialog(parent) {
  setObjectName("findText");
  setWindowTitle("Find");
  edit_ = new QLineEdit;
  edit_->setMaxLength(255);
  auto* up = new QRadioButton("Up");
  down_ = new QRadioButton("Down");
  down_->setChecked(true);
  auto* direction = new QGroupBox("Direction");
  auto* d = new QHBoxLayout(direction);
  d->addWidget(up);
  d->addWidget(down_);
  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel("Find what:"));
  row->addWidget(edit_, 1);
  auto* box = new QDialogButtonBox;
  box->addButton("Find", QDialogButtonBox::AcceptRole);
  box->addButton(QDialogButtonBox::Cancel);
  connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(row);
  layout->addWidget(direction);
  layout->addWidget(box);
}

QString TFindTextDialog::Phrase() const { return edit_->text(); }

bool TFindTextDialog::Down() const { return down_->isChecked(); }

}  // namespace vorne
