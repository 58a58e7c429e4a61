// The control panel of the main window: the Mode panel, From and To, Show,
// Merge/Replace, Multiple In and Multiple Out, All, ID, Go, Stop and Quit,
// the credits panel, and the place of the criteria panel ("criteriaHost").
// It shows TControls of the run state and reports the person's choices as
// signals; the main window carries them out on TMain.
#pragma once

#include <QWidget>

class QButtonGroup;
class QCheckBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace vorne {

class TMain;

// The items of the Mode panel in order; the last three only in ExpertMode.
const QStringList& ModePanelItems();

class TControlPanel : public QWidget {
  Q_OBJECT

 public:
  TControlPanel(TMain& main, QWidget* parent = nullptr);

  // The criteria panel goes into criteriaHost; the panel takes ownership.
  void SetCriteriaPanel(QWidget* panel);
  QWidget* CriteriaHost() const { return criteriaHost_; }

  // Shows the run state's controls; during a run every control that would
  // start another run or change its input is disabled and Stop enabled.
  void refresh(bool running);

  QPushButton* GoButton() const { return go_; }
  QPushButton* StopButton() const { return stop_; }
  QPushButton* FromButton() const { return from_; }
  QGroupBox* ModeGroup() const { return modeGroup_; }
  QCheckBox* AllBox() const { return all_; }
  QCheckBox* MultipleInBox() const { return multiIn_; }
  QPushButton* ShowButton() const { return show_; }
  QPushButton* GetLibrariesButton() const { return getLibraries_; }

 signals:
  void modeChosen(int index);
  void fromClicked();
  void toClicked();
  void goClicked();
  void stopClicked();
  void quitClicked();
  void mergeChosen(int choice);  // 1 Merge, 2 Replace
  void splitToggled(bool on);
  void allToggled(bool on);
  void idEntered(const QString& ids);
  void creditsClicked();
  void hideClicked();
  void showClicked();
  void multipleInToggled(bool on);
  void getLibrariesClicked();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildModeItems(int count);

  TMain& main_;
  QToolButton* close_;
  QGroupBox* modeGroup_;
  QGridLayout* modeGrid_;
  QButtonGroup* modeButtons_;
  QPushButton* from_;
  QPushButton* to_;
  QPushButton* show_;
  QGroupBox* mergeGroup_;
  QRadioButton* merge_;
  QRadioButton* replace_;
  QCheckBox* multiIn_;
  QPushButton* getLibraries_;
  QCheckBox* split_;
  QCheckBox* all_;
  QLineEdit* id_;
  QPushButton* go_;
  QPushButton* stop_;
  QPushButton* quit_;
  QLabel* credits_;
  QWidget* criteriaHost_;
  int modeItems_ = 0;
};

}  // namespace vorne
