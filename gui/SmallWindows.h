// The small windows of the main window: the splash of the start sequence,
// the help window "WinVORNE2", the toolbox dialog that switches ExpertMode,
// the notices of the other libraries, and the panes of What's New and of
// the compression library's licence (a click hides them).
#pragma once

#include <QDialog>
#include <QFrame>
#include <QString>

class QLabel;
class QListWidget;

namespace vorne {

// The program's date as the title bar and the splash show it ("March 4, 2025").
QString ProgramDate();
// The help window's text, the version notes and the licence text.
QString HelpText();
QString WhatsNewText();
QString LicenceText();

class TSplash : public QFrame {
  Q_OBJECT

 public:
  explicit TSplash(QWidget* parent = nullptr);
  void ShowPictures(bool december, bool january);

 signals:
  // A click or a key while the splash shows: start at once.
  void startRequested();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QLabel* season_;
};

// The notices of the libraries VORNE is built with, as installed beside its docs.
QString NoticesText();

// "WinVORNE2": the help text and OK, modal.
class THelpWindow : public QDialog {
  Q_OBJECT

 public:
  explicit THelpWindow(QWidget* parent = nullptr);
};

// The other libraries' licences (zlib's has its own pane), and OK.
class TNoticesWindow : public QDialog {
  Q_OBJECT

 public:
  explicit TNoticesWindow(QWidget* parent = nullptr);
};

// The toolbox: OK switches ExpertMode on, Cancel off. The character table
// FontBox shows the 256 character codes; "font" shows it in another font.
class TToolboxDialog : public QDialog {
  Q_OBJECT

 public:
  explicit TToolboxDialog(QWidget* parent = nullptr);
  QListWidget* FontBox() const { return fontBox_; }
  void SetFontBoxFont(const QFont& font);

 private:
  QListWidget* fontBox_;
};

// A pane of text over the main window that hides when clicked.
class TNotePane : public QFrame {
  Q_OBJECT

 public:
  TNotePane(const QString& objectName, const QString& text, QWidget* parent);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
};

}  // namespace vorne
