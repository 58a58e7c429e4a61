// The debug log window "Log" over TDebugLog: its lines, kept scrolled to the
// last one, and its status line.
#pragma once

#include <QWidget>

class QLabel;
class QPlainTextEdit;

namespace vorne {

class TDebugLog;

class TDebugLogView : public QWidget {
  Q_OBJECT

 public:
  explicit TDebugLogView(TDebugLog& log, QWidget* parent = nullptr);
  ~TDebugLogView() override;
  void refresh();

 signals:
  // "Save...": the main window asks for the file through the port.
  void saveRequested();

 private:
  TDebugLog& log_;
  QPlainTextEdit* lines_;
  QLabel* status_;
  size_t shown_ = 0;
};

}  // namespace vorne
