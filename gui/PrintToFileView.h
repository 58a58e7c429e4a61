// The "Print To File" dialog of HTML and Print to File: the drive box and
// the folder tree choose the output folder (drive letters are folders under
// the drive map's root; "/" is the whole file system), the line under
// "Outputting text to:" shows it as typed and may be edited; the three
// groups appear as the run asks; "Go" and Cancel end it. When the run turns
// the model's timer on (an unattended start), "Go" is pressed after 5
// seconds unless the person has started using the dialog.
#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QFileSystemModel;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QTimer;
class QTreeView;

namespace vorne {

class TFilePrintDialog;

class TPrintToFileView : public QDialog {
  Q_OBJECT

 public:
  explicit TPrintToFileView(TFilePrintDialog& model, QWidget* parent = nullptr);
  ~TPrintToFileView() override;

  // Shows the dialog modally; the model's Result() is set when it returns.
  static void Run(TFilePrintDialog& model, QWidget* parent);

  QComboBox* DriveBox() const { return drive_; }
  QTreeView* FolderTree() const { return tree_; }
  QLineEdit* FolderLine() const { return folder_; }
  QPushButton* GoButton() const { return go_; }
  QTimer* Timer() const { return timer_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void DriveChosen();
  void FolderClicked();
  void TimerFired();
  void Finish(bool ok);
  void PersonTookOver();

  TFilePrintDialog& model_;
  QComboBox* drive_;
  QTreeView* tree_;
  QFileSystemModel* folders_;
  QLineEdit* folder_;
  QGroupBox* fewerThanTwo_;
  QCheckBox* allVolumes_;
  QGroupBox* noSheets_;
  QCheckBox* allSheets_;
  QGroupBox* manySheets_;
  QCheckBox* multipleFiles_;
  QPushButton* go_;
  QTimer* timer_;
  bool filling_ = false;
};

}  // namespace vorne
