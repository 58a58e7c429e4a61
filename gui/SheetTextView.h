// The sheet text window "Tariff Sheet Text" over TSheetDisplay: the sheet's
// lines (the line list, with the hits of a search marked) or, after a click
// on them, the read-only text box of the copy view with its copy menu; the
// labels of status, orientation, pitch and width; Previous, Next, Print,
// Image, Info, Font, "Stop search" and Exit ("Find Next" during a search).
// It is minimised rather than closed.
#pragma once

#include <QWidget>

class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace vorne {

class TSheetDisplay;

class TSheetTextView : public QWidget {
  Q_OBJECT

 public:
  explicit TSheetTextView(TSheetDisplay& display, QWidget* parent = nullptr);
  ~TSheetTextView() override;

  void refresh();
  QListWidget* LineList() const { return lines_; }
  QPlainTextEdit* TextBox() const { return box_; }
  // ExpertMode, after "Print": the printer page's width and height (device
  // pixels) in the window's two labels, hidden until then.
  void ShowPageSize(int width, int height);
  QLabel* PageWidthLabel() const { return pageWidth_; }
  QLabel* PageHeightLabel() const { return pageHeight_; }

 signals:
  void printRequested();
  void imageRequested();
  void infoRequested();
  // The model's window state changed: the frame follows it.
  void minimiseRequested(bool minimised);

 private:
  void Copy(const QString& text);

  TSheetDisplay& display_;
  QListWidget* lines_;
  QPlainTextEdit* box_;
  QPushButton *prev_, *next_, *print_, *image_, *info_, *font_, *stop_, *exit_;
  QLabel *status_, *orientation_, *pitch_, *width_;
  QLabel *pageWidth_, *pageHeight_;
  bool syncing_ = false;
  bool lastMinimised_ = true;
};

}  // namespace vorne
