// The sheet list window "Tariff Sheet List" over THdrForm: one line per
// listed sheet version, drawn with the font style and colours the model
// gives each line (TSheetLineDelegate), the caption, the selection and the
// marks of multi-select, the status texts, the run label and the gauge, and
// the window's menus and buttons. Commands whose windows this program does
// not have yet (sheet text, header info, printing, find, editing, notes)
// are shown disabled.
#pragma once

#include <QAbstractListModel>
#include <QFont>
#include <QStyledItemDelegate>
#include <QWidget>

class QLabel;
class QListView;
class QMenu;
class QProgressBar;
class QPushButton;
class QTabWidget;

namespace vorne {

class THdrForm;

// The entries of THdrForm. In the owner-drawn style each line also carries
// its background, text colour and font (from THdrForm::LineStyle alone).
class TSheetListModel : public QAbstractListModel {
  Q_OBJECT

 public:
  enum Role { kOwnerDrawnRole = Qt::UserRole + 1, kIndentRole };

  TSheetListModel(THdrForm& form, QObject* parent);

  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;

  void SetBaseFont(const QFont& font) { font_ = font; }
  void Refresh();

 private:
  THdrForm& form_;
  QFont font_;
  int shown_ = 0;
};

// Paints a line of the owner-drawn style: its background, then its text in
// its colour and font, 2 pixels in. Lines of the plain style paint as usual.
class TSheetLineDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

class TSheetListView : public QWidget {
  Q_OBJECT

 public:
  explicit TSheetListView(THdrForm& form, QWidget* parent = nullptr);
  ~TSheetListView() override;
  // The "Tech Stuff" page of Test and Errors Only (the view owns it).
  void SetTechStuffPage(QWidget* page);

  void refresh();
  // ExpertMode shows the Edit menu and "Test Complex Find", and names the second page.
  void SetExpertMode(bool on);
  void SetListFont(const QFont& font);

  QListView* List() const { return list_; }
  QString StatusText() const;

 signals:
  void quitRequested();
  void showControlsRequested();
  void tileRequested();
  void cascadeRequested();
  void volumesRequested();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The whole list, with a volume line before each company's sheets.
  void CopySheetList();
  void BuildMenus(QWidget* bar);
  void ViewToModel();

  THdrForm& form_;
  TSheetListModel* model_;
  QListView* list_;
  QTabWidget* pages_;
  QMenu* editMenu_ = nullptr;
  QAction* complexFind_ = nullptr;
  QPushButton* info_;
  QPushButton* plain_;
  QPushButton* enough_;
  QPushButton* multi_;
  QPushButton* all_;
  QPushButton* halt_;
  QPushButton* annotate_;
  QLabel* runLabel_;
  QLabel* status_;
  QLabel* typeLabel_;
  QLabel* statusLabel_;
  QProgressBar* gauge_;
  bool syncing_ = false;
  bool expert_ = false;
  int lastTop_ = -1;
  size_t lastCount_ = 0;
};

}  // namespace vorne
