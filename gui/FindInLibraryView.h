// The "Find in Library" window over TFindInLibrary: the query box (searched
// after a short pause in typing), the scope and criteria choices, the hits
// (snippets with the hits in bold), the count and time, and a progress bar
// with Cancel while an index is built. Enter or a double click on a hit asks
// the main window to open it (openRequested).
#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTableView;
class QTimer;

namespace vorne {

class TFindInLibrary;
class TFindResultsModel;

class TFindInLibraryView : public QWidget {
  Q_OBJECT

 public:
  // The pause after the last key before the search starts.
  static constexpr int kTypingPauseMs = 300;

  explicit TFindInLibraryView(TFindInLibrary& model, QWidget* parent = nullptr);
  ~TFindInLibraryView() override;

  QLineEdit* QueryBox() const { return query_; }
  QTableView* Results() const { return results_; }
  QLabel* CountLabel() const { return count_; }
  QRadioButton* MarkedOnlyButton() const { return markedOnly_; }
  QRadioButton* WholeLibraryButton() const { return whole_; }
  QCheckBox* CriteriaBox() const { return criteria_; }
  QProgressBar* ProgressBar() const { return progress_; }
  QPushButton* CancelButton() const { return cancel_; }
  // Searches now, without waiting for the pause.
  void SearchNow();

 signals:
  void openRequested(int row);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Refresh();
  void OpenCurrent();

  TFindInLibrary& model_;
  QLineEdit* query_ = nullptr;
  QRadioButton* markedOnly_ = nullptr;
  QRadioButton* whole_ = nullptr;
  QCheckBox* criteria_ = nullptr;
  QTableView* results_ = nullptr;
  TFindResultsModel* rows_ = nullptr;
  QLabel* count_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QTimer* pause_ = nullptr;
};

}  // namespace vorne
