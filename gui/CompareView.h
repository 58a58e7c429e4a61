// "Compare Versions": two versions of a sheet side by side over
// TCompareWindow - the older on the left with its removed lines and words
// marked red, the newer on the right with its added ones marked green, the
// two texts scrolling together - with "Previous change", "Next change", the
// summary, and printing of both texts on one landscape page.
//
// TCompareOpener is what the sheet list's "Compare" holds: it picks the
// versions, reads them, and opens (or reuses) the window through the list's
// window host.
#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

#include "sheets/Compare.h"

class QLabel;
class QPrinter;
class QPushButton;
class QTextEdit;

namespace vorne {

class THdrForm;

class TCompareView : public QWidget {
  Q_OBJECT

 public:
  explicit TCompareView(TCompareWindow& model, QWidget* parent = nullptr);
  ~TCompareView() override;

  void refresh();
  // The print dialog, then PrintTo.
  void PrintClick();
  // Both texts on one landscape page of printer, changes marked ("-" and "+"
  // before the lines, the changed words shaded).
  void PrintTo(QPrinter& printer) const;

  QTextEdit* OlderText() const { return older_; }
  QTextEdit* NewerText() const { return newer_; }
  QLabel* SummaryLabel() const { return summary_; }
  QPushButton* NextButton() const { return next_; }
  QPushButton* PreviousButton() const { return previous_; }

 signals:
  void closeRequested();

 private:
  void FillTexts();
  void ScrollToCurrent();

  TCompareWindow& model_;
  QLabel* olderCaption_;
  QLabel* newerCaption_;
  QTextEdit* older_;
  QTextEdit* newer_;
  QLabel* summary_;
  QPushButton* previous_;
  QPushButton* next_;
  QPushButton* print_;
  QPushButton* close_;
  int shownGeneration_ = -1;  // the comparison the texts were filled from
};

class TCompareOpener {
 public:
  using THost = std::function<QWidget*(QWidget* view, const QSize& size)>;
  TCompareOpener(THdrForm& form, THost host);
  ~TCompareOpener();

  // The sheet list's "Compare": the selected sheet with its older version,
  // or the two marked sheets; a message when there is nothing to compare.
  void Compare();

  TCompareWindow* Window() const { return window_.get(); }
  TCompareView* View() const { return view_; }
  QWidget* Frame() const { return frame_; }

 private:
  THdrForm& form_;
  THost host_;
  TVersionPairs pairs_;
  std::unique_ptr<TCompareWindow> window_;
  TCompareView* view_ = nullptr;
  QPointer<QWidget> frame_;
};

}  // namespace vorne
