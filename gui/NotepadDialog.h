// The "Notepad" dialog over TNoteDialog (OK saves to a file, "Copy" puts the
// text on the clipboard, Cancel drops it), and the Find dialog of the sheet
// list's "in Text" (the phrase and the direction; no match-case box).
#pragma once

#include <QDialog>

class QLineEdit;
class QPlainTextEdit;
class QRadioButton;

namespace vorne {

class TNoteDialog;

class TNotepadDialog : public QDialog {
  Q_OBJECT

 public:
  TNotepadDialog(TNoteDialog& note, QWidget* parent = nullptr);
  QPlainTextEdit* Pad() const { return pad_; }

 private:
  void TakeText();

  TNoteDialog& note_;
  QPlainTextEdit* pad_;
};

class TFindTextDialog : public QDialog {
  Q_OBJECT

 public:
  explicit TFindTextDialog(QWidget* parent = nullptr);
  QString Phrase() const;
  bool Down() const;
  QLineEdit* Edit() const { return edit_; }

 private:
  QLineEdit* edit_;
  QRadioButton* down_;
};

}  // namespace vorne
