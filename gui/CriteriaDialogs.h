// The five criteria dialogs of the "    Select Sheets" panel as Qt dialogs,
// each a thin view over its model in volumes/Selectors.h. The model decides
// everything: which boxes start checked, what OK, Go and Cancel store, the
// messages for bad values (through the user port of the main window model)
// and whether the dialog closes. A dialog whose OK or Go the model refuses
// stays open.
//
// Each dialog is created anew when its box is checked and shown window-modal
// with open(); after finished() the caller reads Result() to learn whether to
// run at once. Escape and the close box act as the dialog's Cancel.
// The main window model passed in must outlive the dialog.
#pragma once

#include <QDialog>
#include <QFont>
#include <array>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "volumes/Selectors.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QVBoxLayout;

namespace vorne {

class TMain;

// The OK / Go / Cancel frame the five dialogs share.
class TCriteriaDialog : public QDialog {
  Q_OBJECT

 public:
  // What the action that closed the dialog asked of its caller.
  const TDialogResult& Result() const { return result_; }

  QPushButton* OkButton() const { return ok_; }
  QPushButton* GoButton() const { return go_; }
  QPushButton* CancelButton() const { return cancel_; }

 public slots:
  // Cancel, Escape and the close box: the model's Cancel, which always closes.
  void reject() override;

 protected:
  TCriteriaDialog(TMain& main, const char* caption, QWidget* parent);

  // The dialog's own controls go here, above the buttons.
  QVBoxLayout* Body() const { return body_; }
  // Copies what the person typed into the model before OK and Go.
  virtual void StoreFields() {}
  virtual TDialogResult ModelOK() = 0;
  virtual TDialogResult ModelGo(bool xcptChecked) = 0;
  virtual TDialogResult ModelCancel() = 0;

  TMain& main_;

 private:
  void Act(bool runNow);

  QVBoxLayout* body_;
  QPushButton* ok_;
  QPushButton* go_;
  QPushButton* cancel_;
  TDialogResult result_;
};

// A dialog over its model: OK, Go and Cancel are the model's own.
template <class TModel>
class TModelDialog : public TCriteriaDialog {
 public:
  const TModel& Model() const { return model_; }

 protected:
  template <class... TArgs>
  TModelDialog(TMain& main, QWidget* parent, TArgs&&... modelArgs)
      : TCriteriaDialog(main, TModel::kCaption, parent), model_(std::forward<TArgs>(modelArgs)...) {}

  TDialogResult ModelOK() override { return model_.OK(); }
  TDialogResult ModelGo(bool xcpt) override { return model_.Go(xcpt); }
  TDialogResult ModelCancel() override { return model_.Cancel(); }

  TModel model_;
};

// "Status Dialog": seven boxes ("Deleted" only in ExpertMode) and the buttons
// "Current", "&Archive" and "Clear".
class TStatusDialogView : public TModelDialog<TStatusDialog> {
  Q_OBJECT

 public:
  explicit TStatusDialogView(TMain& main, QWidget* parent = nullptr);
  // The box of the model's box index (StatusBoxes() order).
  QCheckBox* Box(size_t index) const { return boxes_.at(index); }

 private:
  void Refresh();

  std::vector<QCheckBox*> boxes_;
};

// "Select Sheets by Date": four rows of From/To fields showing the current
// ranges.
class TDateDialogView : public TModelDialog<TDateDialog> {
  Q_OBJECT

 public:
  explicit TDateDialogView(TMain& main, QWidget* parent = nullptr);
  QLineEdit* Field(TDateKind kind, TDateEnd end) const { return fields_[size_t(kind) - 1][size_t(end)]; }

 protected:
  void StoreFields() override;

 private:
  std::array<std::array<QLineEdit*, 2>, 4> fields_{};
};

// "Sheet Type (Text ID field)": the ten type boxes, none checked.
class TTypeDialogView : public TModelDialog<TTypeDialog> {
  Q_OBJECT

 public:
  explicit TTypeDialogView(TMain& main, QWidget* parent = nullptr);
  QCheckBox* Box(size_t index) const { return boxes_.at(index); }

 private:
  std::vector<QCheckBox*> boxes_;
};

// "PickSheetno": the fields "From :" and "To:", 8 characters each.
class TSheetNoDialogView : public TModelDialog<TSheetNoDialog> {
  Q_OBJECT

 public:
  explicit TSheetNoDialogView(TMain& main, QWidget* parent = nullptr);
  QLineEdit* FromField() const { return from_; }
  QLineEdit* ToField() const { return to_; }

 protected:
  void StoreFields() override;

 private:
  QLineEdit* from_;
  QLineEdit* to_;
};

// "Available dockets": the given docket lines sorted in a multi-select list
// and, as given, in a combo box. Creating it empties ChosenDockets. Leaving
// the combo box selects the list line of the combo's chosen item.
class TDocketDialogView : public TModelDialog<TDocketDialog> {
  Q_OBJECT

 public:
  TDocketDialogView(TMain& main, const std::vector<std::string>& docketLines, QWidget* parent = nullptr);
  QListWidget* List() const { return list_; }
  QComboBox* Combo() const { return combo_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void StoreFields() override;

 private:
  void ShowSelection();

  QListWidget* list_;
  QComboBox* combo_;
};

}  // namespace vorne
