// The window "PrimeEditor" over TPrimeEditor: the "Update" button, the
// editable boxes of the volume's identity and, beside the code, volume
// number and revision, the values its VolumeRecord holds (red italic, read
// only). It is shown modally by the volume list's "Update Codes".
#pragma once

#include <QDialog>
#include <array>

#include "store/PrimeEditor.h"

class QLineEdit;
class QPushButton;

namespace vorne {

class TPrimeEditorView : public QDialog {
  Q_OBJECT

 public:
  TPrimeEditorView(TPrimeEditor& editor, QWidget* parent = nullptr);
  ~TPrimeEditorView() override;

  // Shows the model's boxes and whether Update may be pressed.
  void refresh();

  QLineEdit* Box(TPrimeBox box) const { return boxes_[size_t(box)]; }
  QPushButton* UpdateButton() const { return update_; }

 private:
  TPrimeEditor& editor_;
  std::array<QLineEdit*, kPrimeBoxCount> boxes_{};
  QPushButton* update_;
};

}  // namespace vorne
