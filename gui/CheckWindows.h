// Views of the windows of the checking runs: "Verification failures"
// (Verify), the scanner "Date Last Updated" (Scan Updates) and the "Tech
// Stuff" page of the sheet list window (Test and Errors Only). Their models
// say nothing when they change; the main window refreshes the views between
// volumes while a run goes and when it ends.
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
  void refresh();
  QListWidget* FlawList() const { return list_; }
  QLabel* Counter() const { return counter_; }
  QPushButton* SaveButton() const { return save_; }

 signals:
  void closeRequested();

 private:
  TverifyW& model_;
  QListWidget* list_;
  QLabel* counter_;
  QPushButton* save_;
};

class TScannerView : public QWidget {
  Q_OBJECT

 public:
  explicit TScannerView(TTimeScanner& model, QWidget* parent = nullptr);
  void refresh();
  QListWidget* ShowList() const { return list_; }
  QPushButton* Button(const QString& caption) const;

 signals:
  void goRequested();
  void copyToMainRequested();
  void closeRequested();

 private:
  TTimeScanner& model_;
  QListWidget* list_;
  QPushButton *quit_, *save_, *copy_, *go_, *stop_;
};

class TTechStuffPage : public QWidget {
  Q_OBJECT

 public:
  explicit TTechStuffPage(TRecordListing& model, QWidget* parent = nullptr);
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
