// The "HTML Includes" window over TIncludes: its four editable parts
// (Prologue, IndexTop, IndexMiddle, Epilogue) on tabs, the output pane with
// the generated page, Go (appends the page made from the volume list) and
// Save (the save dialog; enabled after a Go).
#pragma once

#include <QWidget>
#include <array>
#include <vector>
#include <string>

class QPlainTextEdit;
class QPushButton;
class QTabWidget;

namespace vorne {

class TFromDisplay;
class TIncludes;
struct TEnv;

class TIncludesView : public QWidget {
  Q_OBJECT

 public:
  TIncludesView(TIncludes& model, TFromDisplay& list, TEnv& env, QWidget* parent = nullptr);
  void refresh();

  TIncludes& Model() const { return model_; }
  QPlainTextEdit* Part(int index) const { return parts_[size_t(index)]; }
  QPlainTextEdit* OutputPane() const { return output_; }
  QPushButton* GoButton() const { return go_; }
  QPushButton* SaveButton() const { return save_; }

 private:
  // The parts as edited go back to the model (a part left alone keeps its lines).
  void TakeEdits();
  std::vector<std::string>& PartLines(int index) const;

  TIncludes& model_;
  TFromDisplay& list_;
  TEnv& env_;
  QTabWidget* tabs_;
  std::array<QPlainTextEdit*, 4> parts_{};
  std::array<QString, 4> shown_;
  QPlainTextEdit* output_;
  QPushButton* go_;
  QPushButton* save_;
};

}  // namespace vorne
