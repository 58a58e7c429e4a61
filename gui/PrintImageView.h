// Printing on the desktop: the print image window (the letter-sized box drawn
// by the sheet printer, Previous, Next, "Print It", Close), the "Printer
// fonts" dialog, and the prints of the sheet list (many sheets, within the
// print limits) and of one sheet, through Qt Print Support. The print dialog
// always offers printing to a PDF file; real printers come through CUPS.
#pragma once

#include <functional>

#include <QDialog>
#include <QWidget>

class QComboBox;
class QFontComboBox;
class QLabel;
class QScrollArea;

namespace vorne {

class THdrForm;
class TPrintImage;
class TSelection;
class TSheetDisplay;

// The paint box: 8 x 11 inches at the screen's pixels per inch.
class TPrintBox : public QWidget {
  Q_OBJECT

 public:
  explicit TPrintBox(TPrintImage& image, QWidget* parent = nullptr);
  void Resize();

 protected:
  void paintEvent(QPaintEvent* event) override;

 signals:
  void drawn();

 private:
  TPrintImage& image_;
};

class TPrintImageView : public QWidget {
  Q_OBJECT

 public:
  explicit TPrintImageView(TPrintImage& image, QWidget* parent = nullptr);
  ~TPrintImageView() override;
  void refresh();
  TPrintBox* Box() const { return box_; }
  // The whole page with the buttons: wider than high for a landscape sheet.
  QSize sizeHint() const override;

 signals:
  void printRequested();
  void closeRequested();
  // The page turned (a landscape sheet after a portrait one, or back).
  void pageTurned();

 private:
  TPrintImage& image_;
  TPrintBox* box_;
  QScrollArea* scroll_;
  QLabel* pitch_;
  QLabel* fontSize_;
};

// "Printer fonts": the printer font name from the installed fonts; the
// printers are listed for information.
class TPrinterFontsDialog : public QDialog {
  Q_OBJECT

 public:
  explicit TPrinterFontsDialog(QWidget* parent = nullptr);
  void accept() override;

 private:
  QFontComboBox* fonts_;
  QComboBox* printers_;
};

// PrintMainClick: the print dialog (range preset to Selection), the limits,
// then every sheet on its own page; the count is shown at the end.
void PrintMainClick(QWidget* parent, THdrForm& list, const TSelection& selection, TSheetDisplay* display,
                    bool expert);
// One sheet: the selected one of the list ("Print" of the sheet text window,
// "Print It" of the print image).
// pageSize, when given, receives the printer page's width and height.
void PrintOneSheet(QWidget* parent, THdrForm& list, const std::function<void(int, int)>& pageSize = {});

}  // namespace vorne
