// The header info window "Sheet Header Info" over THdrInfo: every header
// field of the current sheet in labelled groups, the order and compliance
// panels shown only when they apply, red behind a missing docket and
// fuchsia behind a missing issuer; Next, Previous and Exit.
#pragma once

#include <QWidget>

class QFrame;
class QLabel;
class QPushButton;

namespace vorne {

class THdrInfo;

class THdrInfoView : public QWidget {
  Q_OBJECT

 public:
  explicit THdrInfoView(THdrInfo& info, QWidget* parent = nullptr);
  ~THdrInfoView() override;
  void refresh();
  QString FieldText(const QString& name) const;

 signals:
  void exitRequested();

 private:
  QLabel* Field(const QString& name);

  THdrInfo& info_;
  QFrame* order_;
  QFrame* compliance_;
  QFrame* issuerPanel_;
  QLabel* refund_;
  QPushButton *next_, *prev_;
};

}  // namespace vorne
