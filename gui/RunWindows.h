// Views of the windows that runs open while they work: the publishing
// progress window of HTML and Print to File (TExportDockets), the
// output-volume window of Copy and Add New Filing (TToDisplay, with its
// "Enough!" button), and the false-duplicate report of a copy (TCopyErrors,
// shown modally at the end of the run). Each view is bound to its model's
// onChanged while it exists; the main window makes and drops them as the
// runs register and clear their windows in TRunWindows.
#pragma once

#include <QDialog>
#include <QWidget>
#include <string>
#include <vector>

class QLabel;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;

namespace vorne {

class TCopyErrors;
class TExportDockets;
class TToDisplay;
struct TEnv;

class TExportDocketsView : public QWidget {
  Q_OBJECT

 public:
  explicit TExportDocketsView(TExportDockets& model, QWidget* parent = nullptr);
  ~TExportDocketsView() override;
  // The run is about to release the model: nothing may reach it any more.
  void Detach();
  void refresh();

  QLabel* SheetCountLabel() const { return count_; }
  QProgressBar* Gauge() const { return gauge_; }
  QListWidget* DocketBox() const { return dockets_; }

 private:
  TExportDockets* model_;
  QLabel* count_;
  QProgressBar* gauge_;
  QListWidget* dockets_;
  QPushButton* cancel_;
};

class TToDisplayView : public QWidget {
  Q_OBJECT

 public:
  // copyLog: the window of a copy, which offers its copy log.
  TToDisplayView(TToDisplay& model, TEnv& env, bool copyLog, QWidget* parent = nullptr);
  ~TToDisplayView() override;
  void Detach();
  void refresh();
  // Whether a run is on: "Enough!" is offered only then.
  void SetRunning(bool on);

  QTableWidget* Table() const { return table_; }
  QLabel* ModeLabel() const { return mode_; }
  QPushButton* EnoughButton() const { return enough_; }
  QPushButton* SaveLogButton() const { return saveLog_; }

 signals:
  // "Enough!": the volume list stops after the volume being written.
  void enoughClicked();

 private:
  void SaveLog();

  TToDisplay* model_;
  TEnv& env_;
  QTableWidget* table_;
  QLabel* mode_;
  QLabel* status_;
  QLabel* wheresaved_;
  QPushButton* enough_;
  QPushButton* saveLog_;
};

// "CopyErrors": OK asks for a file name ("DupLogs.txt") and saves the
// lines; "Copy" puts the selected text (all when none) on the clipboard.
class TCopyErrorsView : public QDialog {
  Q_OBJECT

 public:
  // proposed: the file its OK's save dialog proposes.
  TCopyErrorsView(TCopyErrors& model, TEnv& env, std::string proposed, QWidget* parent = nullptr);
  QPlainTextEdit* Memo() const { return memo_; }

 private:
  void Save();
  void CopyToClipboard();

  TCopyErrors& model_;
  TEnv& env_;
  std::string proposed_;
  QPlainTextEdit* memo_;
};

// "Error Log" of Add New Filing: the lines of the last filing imported,
// kept after its run; "Save" writes them where the person chooses.
class TErrorLogView : public QWidget {
  Q_OBJECT

 public:
  explicit TErrorLogView(TEnv& env, QWidget* parent = nullptr);
  // The filing's caption (its file name), its log lines and the proposed
  // name of the saved log.
  void SetLog(const std::string& caption, const std::vector<std::string>& lines, const std::string& logName);
  QPlainTextEdit* Lines() const { return lines_; }
  QLabel* Counter() const { return counter_; }

 private:
  void Save();

  TEnv& env_;
  QPlainTextEdit* lines_;
  QLabel* counter_;
  QPushButton* save_;
  std::vector<std::string> log_;
  std::string logName_;
};

}  // namespace vorne
