// The sheet list window "Tariff Sheet List" over THdrForm: one line per
// listed sheet version, drawn with the font style and colours the model
// gives each line (TSheetLineDelegate), the caption, the selection and the
// marks of multi-select, the status texts, the run label and the gauge, and
// the window's menus and buttons. It owns the windows opened from it - the
// sheet text window, the header info window and the print image - and hosts
// them through the window host the main window gives it (as top-level
// windows without one). In ExpertMode its Edit menu edits the header records
// of marked sheets.
#pragma once

#include <QAbstractListModel>
#include <QPointer>
#include <QFont>
#include <QStyledItemDelegate>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

class QLabel;
class QListView;
class QMenu;
class QProgressBar;
class QPushButton;
class QTabWidget;

namespace vorne {

class THdrForm;
class THdrInfo;
class THdrInfoView;
struct TLineStyle;
class TPrintImage;
class TPrintImageView;
class TSelection;
class TSheetDisplay;
class TSheetTextView;
class TCompareOpener;

// The entries of THdrForm. In the owner-drawn style each line also carries
// its background, text colour and font (from THdrForm::LineStyle alone).
class TSheetListModel : public QAbstractListModel {
  Q_OBJECT

 public:
  enum Role { kOwnerDrawnRole = Qt::UserRole + 1, kIndentRole, kMarkedRole, kCurrentRole };
  // The roles of an owner-drawn line from its style (the superseder's list uses them too).
  static QVariant StyleData(const std::optional<TLineStyle>& style, int role, const QFont& base);

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

  // Puts a window opened from the list into the main window and returns its
  // frame (the MDI sub-window), which the list shows, minimises and hides.
  using TWindowHost = std::function<QWidget*(QWidget* view, const QSize& size, bool frameless)>;
  void SetWindowHost(TWindowHost host) { host_ = std::move(host); }
  // The criteria the print limits look at; none means no narrowing selection.
  void SetSelection(const TSelection* selection) { selection_ = selection; }

  // ---- the commands of the windows opened from here ----
  void ShowThisSheet();    // "Display This Sheet", double click, Enter
  void Alt_EClick();       // "Info"
  void FindInText(const QString& phrase, bool down);
  void HaltClick();
  void noteBtnClick();     // "Annotate"
  void ShowPrintImage();   // "Image" in the sheet text window
  void PrintMainClick();   // "Print"
  // "Docket", "Order", "Status" and "Type 5 Edit": chooses the sheets, then
  // edits their header records in the editing dialog.
  void ChgDocketClick(bool type5);
  // "Compare": the selected sheet with its older version, or two marked sheets.
  void CompareClick();
  TCompareOpener* Comparing() const { return compare_.get(); }

  TSheetDisplay* Display() const { return display_.get(); }
  THdrInfo* Info() const { return hdrInfo_.get(); }
  TSheetTextView* TextView() const { return textView_; }
  THdrInfoView* InfoView() const { return infoView_; }
  TPrintImageView* ImageView() const { return imageView_; }
  QWidget* TextFrame() const { return textFrame_; }
  QWidget* InfoFrame() const { return infoFrame_; }
  QWidget* ImageFrame() const { return imageFrame_; }

 signals:
  void quitRequested();
  void showControlsRequested();
  void tileRequested();
  void cascadeRequested();
  void volumesRequested();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  // A double click on the window (not on a line) is "Info".
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  // The whole list, with a volume line before each company's sheets.
  void CopySheetList();
  void BuildMenus(QWidget* bar);
  void ViewToModel();
  QWidget* Host(QWidget* view, const QSize& size, bool frameless);
  void EnsureDisplay();
  void EnsureInfo();
  void ShowFrame(QWidget* frame);
  void FitImageFrame();
  void SheetCurrent();

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
  QPushButton* compareBtn_;
  std::unique_ptr<TCompareOpener> compare_;
  QAction* display_Action_ = nullptr;
  TWindowHost host_;
  const TSelection* selection_ = nullptr;
  std::unique_ptr<TSheetDisplay> display_;
  std::unique_ptr<THdrInfo> hdrInfo_;
  std::unique_ptr<TPrintImage> image_;
  TSheetTextView* textView_ = nullptr;
  THdrInfoView* infoView_ = nullptr;
  TPrintImageView* imageView_ = nullptr;
  // The frames may go with the main window's MDI area before this view does.
  QPointer<QWidget> textFrame_;
  QPointer<QWidget> infoFrame_;
  QPointer<QWidget> imageFrame_;
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
