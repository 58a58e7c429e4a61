// The volume list window "Tariff Volumes": a table of the volumes of the
// open library over TFromDisplay. The rows, their order, the marks, the
// counts and the status texts all come from the model; a click on a column
// head asks the model to sort (its own stable order, tie rules and status
// text), and selecting rows marks them in the model.
#pragma once

#include <QAbstractTableModel>
#include <QWidget>
#include <array>
#include <functional>
#include <vector>

class QAction;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableView;

namespace vorne {

class TFromDisplay;
class TPrimeRef;

// The rows of TFromDisplay as a table: the caption column, then the six
// column texts. Hidden rows (the end of an unattended scan) show as none.
class TVolumeTableModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  TVolumeTableModel(TFromDisplay& list, QObject* parent);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  // Takes up the model's rows: a reset when their order or number changed
  // (true), otherwise only the cells.
  bool Refresh();

 private:
  std::vector<const TPrimeRef*> Shown() const;

  TFromDisplay& list_;
  std::vector<const TPrimeRef*> shown_;
};

class TVolumeListView : public QWidget {
  Q_OBJECT

 public:
  // runMode gives the program's RunMode for the list's hint.
  TVolumeListView(TFromDisplay& list, std::function<int()> runMode, QWidget* parent = nullptr);
  ~TVolumeListView() override;

  // Shows the model's state: rows, marks, status panels, buttons, ID column.
  void refresh();

  QTableView* Table() const { return table_; }
  QAction* UpdateCodesAction() const { return updateCodes_; }
  QPushButton* MakeHtmlButton() const { return makeHtml_; }
  QString StatusPanel(int panel) const;

 signals:
  // Double-click or Enter on the list: the main window's Go.
  void goRequested();
  // The popup's "Update Codes", after the focused row was given to the model.
  void updateCodesRequested();
  // "Make HTML" (ExpertMode): the "HTML Includes" window.
  void makeHtmlRequested();
  // The model changed and the view shows it (the main window's run gauge follows it).
  void changed();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void SelectionToMarks();
  void MarksToSelection();
  // The short columns as wide as their texts.
  void FitColumns();

  TFromDisplay& list_;
  std::function<int()> runMode_;
  TVolumeTableModel* model_;
  QTableView* table_;
  std::array<QLabel*, 3> panels_{};
  QProgressBar* gauge_;
  QPushButton* enough_;
  QPushButton* unselect_;
  QPushButton* makeHtml_;
  QAction* updateCodes_;
  bool syncing_ = false;
  bool fitPending_ = true;
};

}  // namespace vorne
