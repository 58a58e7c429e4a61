// TSelectorSummaryView: the read-only window "Select Sheets by:", a picture
// of the criteria at the moment it is made (TSelectorSummary). A part is
// shown only when its criterion is on; "Close" closes the window.
//
// It is made anew each time it is shown ("Show Selectors", "RECENT"); the
// caller shows it beside the main window and may set Qt::WA_DeleteOnClose.
#pragma once

#include <QDialog>

class QGroupBox;
class QPushButton;
class QScrollArea;

namespace vorne {

class TMain;

class TSelectorSummaryView : public QDialog {
  Q_OBJECT

 public:
  explicit TSelectorSummaryView(TMain& main, QWidget* parent = nullptr);

  // Room for every part whole; smaller, the parts scroll.
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

  // The parts, for tests; each is hidden when its criterion is off.
  QGroupBox* DocketsPart() const { return dockets_; }
  QGroupBox* TypesPart() const { return types_; }
  QGroupBox* DatesPart() const { return dates_; }
  QGroupBox* StatusesPart() const { return statuses_; }
  QGroupBox* SheetNoPart() const { return sheetNo_; }

 private:
  QGroupBox* dockets_;
  QGroupBox* types_;
  QGroupBox* dates_;
  QGroupBox* statuses_;
  QGroupBox* sheetNo_;
  QWidget* content_;
  QScrollArea* scroll_;
  QPushButton* close_;
};

}  // namespace vorne
