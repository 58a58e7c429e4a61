// The header editing dialog (" For all marked sheets:  ") over TEditForm and
// the "Sheet Superseder" over TSheetSuperseder. Both are thin: every control
// forwards to its model and redraws from it; the dialogs close when their
// model says a command closed them.
#pragma once

#include <QAbstractListModel>
#include <QDialog>
#include <array>

#include "sheets/HeaderEditor.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListView;
class QListWidget;
class QPushButton;

namespace vorne {

class TSheetSuperseder;

class TEditDialog : public QDialog {
  Q_OBJECT

 public:
  TEditDialog(TEditForm& form, QWidget* parent = nullptr);
  ~TEditDialog() override;
  void refresh();

  QLineEdit* Box(TEditForm::TBox box) const { return boxes_[size_t(box)]; }
  QComboBox* FlagBox(TEditForm::TFlag flag) const { return flags_[size_t(flag)]; }
  QComboBox* StatusBox() const { return status_; }
  QPushButton* OKButton() const { return ok_; }
  QListWidget* Names5Box() const { return names5_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void reject() override;  // Escape and the window's close button are Cancel

 private:
  QLineEdit* AddBox(TEditForm::TBox box);
  QComboBox* AddFlag(TEditForm::TFlag flag);

  TEditForm& form_;
  std::array<QLineEdit*, size_t(TEditForm::TBox::Count)> boxes_{};
  std::array<QComboBox*, size_t(TEditForm::TFlag::Count)> flags_{};
  QComboBox* status_;
  QComboBox* type_;
  QComboBox* orderType_;
  QCheckBox* refund_;
  QComboBox* sheets_;
  QLabel* sheetCount_;
  QLabel* type6Count_;
  QWidget* sheetNoPanel_;
  QLabel* sheetNoLabel_;
  QWidget* names5Panel_;
  QListWidget* names5_;
  QPushButton* ok_;
  QPushButton* cancel_;
  QPushButton* clone_;
  bool syncing_ = false;
  size_t shownNames_ = size_t(-1);
};

// The dependents of a superseder, drawn as the sheet list draws its lines.
class TDependentsModel : public QAbstractListModel {
  Q_OBJECT

 public:
  TDependentsModel(TSheetSuperseder& s, QObject* parent);
  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  void Refresh();

 private:
  TSheetSuperseder& s_;
  int shown_ = 0;
};

class TSupersederDialog : public QDialog {
  Q_OBJECT

 public:
  TSupersederDialog(TSheetSuperseder& s, QWidget* parent = nullptr);
  ~TSupersederDialog() override;
  void refresh();
  QListView* List() const { return list_; }

 private:
  void ViewToModel();

  TSheetSuperseder& s_;
  TDependentsModel* model_;
  QListView* list_;
  QLabel* status_;
  QLabel* docket_;
  QLabel* counter_;
  bool syncing_ = false;
};

}  // namespace vorne
