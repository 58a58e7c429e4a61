// Views of the windows of the checking runs: "Verification failures"
// (Verify), the scanner "Date Last Updated" (Scan Updates) and the "Tech
// Stuff" page of the sheet list window (Test and Errors Only). Each view
// follows its model through the model's change callback, so it is current
// whenever the run lets pending events run. The verification and scanner
// views also signal the change, for the main window to show or hide their
// windows; Detach lets go of a model about to be dropped.
#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace vorne {

class TRecordListing;
class TTimeScanner;
class TverifyW;

class TVerifyView : public QWidget {
  Q_OBJECT

 public:
  explicit TVerifyView(TverifyW& model, QWidget* parent = nullptr);
  ~TVerifyView() override;
  void Detach();
  void refresh();
  QListWidget* FlawList() const { return list_; }
  QLabel* Counter() const { return counter_; }
  QPushButton* SaveButton() const { return save_; }

 signals:
  void closeRequested();
  // The model changed (after the view showed it).
  void changed();

 private:
  TverifyW* model_;
  QListWidget* list_;
  QLabel* counter_;
  QPushButton* save_;
};

class TScannerView : public QWidget {
  Q_OBJECT

 public:
  explicit TScannerView(TTimeScanner& model, QWidget* parent = nullptr);
  ~TScannerView() override;
  void Detach();
  void refresh();
  QListWidget* ShowList() const { return list_; }
  QPushButton* Button(const QString& caption) const;

 signals:
  void goRequested();
  void copyToMainRequested();
  void closeRequested();
  // The model changed (after the view showed it).
  void changed();

 private:
  TTimeScanner* model_;
  QListWidget* list_;
  QPushButton *quit_, *save_, *copy_, *go_, *stop_;
};

class TTechStuffPage : public QWidget {
  Q_OBJECT

 public:
  explicit TTechStuffPage(TRecordListing& model, QWidget* parent = nullptr);
  ~TTechStuffPage() override;
  void refresh();
  QListWidget* Lines() const { return list_; }
  QCheckBox* ShowDocketsBox() const { return showDockets_; }
  QPushButton* EliminateButton() const { return eliminate_; }

 private:
  TRecordListing& model_;
  QListWidget* list_;
  QCheckBox *details_, *type5_, *type6_, *showDockets_;
  QLabel* heads_;
  QLabel* whoops_;
  QLabel* status_;
  QPushButton* eliminate_;
  bool syncing_ = false;
};

}  // namespace vorne
