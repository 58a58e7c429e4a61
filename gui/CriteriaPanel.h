// TCriteriaPanelView: the main window's "    Select Sheets" panel, a thin view
// over TSelectorPanel (volumes/Selectors.h) and the selection of the run
// state. Its boxes show the criteria in force; checking one opens that
// criterion's dialog, created anew (gui/CriteriaDialogs.h); unchecking turns
// the criterion off. "Other" opens the orientation and refund boxes.
//
// The panel listens to the model's onChanged (a click on another volume row
// resets the docket box through it). The command line, mode changes and
// ExpertMode change the selection without the panel model: after those the
// main window calls Refresh().
//
// The main window model must outlive the view; the view takes the panel
// model's onChanged for its lifetime.
#pragma once

#include <QPointer>
#include <QWidget>

#include "gui/CriteriaDialogs.h"

class QCheckBox;
class QFrame;
class QGroupBox;
class QPushButton;

namespace vorne {

class TMain;

class TCriteriaPanelView : public QWidget {
  Q_OBJECT

 public:
  explicit TCriteriaPanelView(TMain& main, QWidget* parent = nullptr);
  ~TCriteriaPanelView() override;

  // The dialog now open, or nullptr.
  TCriteriaDialog* OpenDialog() const { return dialog_; }

  QCheckBox* StatusBox() const { return status_; }
  QCheckBox* DateBox() const { return date_; }
  QCheckBox* TypeBox() const { return type_; }
  QCheckBox* SheetNoBox() const { return sheetNo_; }
  QCheckBox* DocketBox() const { return docket_; }
  QPushButton* OtherButton() const { return other_; }
  QPushButton* ShowSelectorsButton() const { return showSelectors_; }
  QFrame* OtherPanel() const { return otherPanel_; }

 public slots:
  // Shows the model's state again.
  void Refresh();

 signals:
  // A dialog's Go closed it: start the run now (the main window's Go).
  // NameList has already been emptied when the Xcpt box is unchecked.
  void runNowRequested();
  // "Show Selectors": show the summary window "Select Sheets by:".
  void summaryRequested();

 private:
  void Open(TCriteriaDialog* dialog, QCheckBox* box);
  void DialogFinished();
  void DocketClicked(bool checked);

  TMain& main_;
  QGroupBox* group_;
  QCheckBox* status_;
  QCheckBox* date_;
  QCheckBox* type_;
  QCheckBox* sheetNo_;
  QCheckBox* docket_;
  QPushButton* other_;
  QPushButton* showSelectors_;
  QFrame* otherPanel_;
  QCheckBox* portrait_;
  QCheckBox* landscape_;
  QCheckBox* subject_;
  QCheckBox* notSubject_;
  QPointer<TCriteriaDialog> dialog_;
  QCheckBox* dialogBox_ = nullptr;  // the box whose dialog is open
};

}  // namespace vorne
