#include "gui/SheetListView.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QMenuBar>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>

#include <QEvent>
#include <QPointer>

#include "gui/CompareView.h"
#include "gui/EditDialogs.h"
#include "gui/HdrInfoView.h"
#include "gui/NotepadDialog.h"
#include "gui/PrintImageView.h"
#include "gui/SheetTextView.h"
#include "gui/Text1252.h"
#include "sheets/HeaderEditor.h"
#include "sheets/HeaderInfo.h"
#include "sheets/Notepad.h"
#include "sheets/PrintImage.h"
#include "sheets/SheetList.h"
#include "sheets/SheetText.h"
#include "sheets/Superseder.h"
#include "volumes/Selection.h"

namespace vorne {

namespace {

QColor ColourOf(const TRgb& c) { return QColor(c.r, c.g, c.b); }

// A command of the menu that has no action in this window.
QAction* Later(QMenu* menu, const QString& caption, const QKeySequence& key = {}) {
  QAction* a = menu->addAction(caption);
  if (!key.isEmpty()) a->setShortcut(key);
  a->setEnabled(false);
  a->setToolTip("No action here: Info opens the header info, in Text searches the sheets");
  return a;
}

}  // namespace

// ---- the list model -----------------------------------------------------------------

TSheetListModel::TSheetListModel(THdrForm& form, QObject* parent)
    : QAbstractListModel(parent), form_(form), shown_(int(form.Count())) {}

int TSheetListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : shown_; }

QVariant TSheetListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= shown_ || size_t(index.row()) >= form_.Count()) return {};
  if (role == Qt::DisplayRole) return ToQt(form_.Entries()[size_t(index.row())].first);
  if (role == kOwnerDrawnRole) return form_.OwnerDrawn();
  if (!form_.OwnerDrawn()) return role == Qt::FontRole ? QVariant(font_) : QVariant();
  return StyleData(form_.LineStyle(index.row()), role, font_);
}

QVariant TSheetListModel::StyleData(const std::optional<TLineStyle>& style, int role, const QFont& base) {
  if (!style) return {};
  switch (role) {
    case Qt::BackgroundRole:
      return ColourOf(style->background);
    case Qt::ForegroundRole:
      return ColourOf(style->colour);
    case Qt::FontRole: {
      QFont f = base;
      f.setBold(style->font.bold);
      f.setItalic(style->font.italic);
      f.setStrikeOut(style->font.strikeOut);
      return f;
    }
    case kIndentRole:
      return style->indent;
    case kMarkedRole:
      return style->marked;
    case kCurrentRole:
      return style->current;
    default:
      return {};
  }
}

void TSheetListModel::Refresh() {
  const int now = int(form_.Count());
  if (now != shown_) {
    beginResetModel();
    shown_ = now;
    endResetModel();
  } else if (shown_ > 0) {
    emit dataChanged(index(0), index(shown_ - 1));
  }
}

// ---- the line painter -------------------------------------------------------------

void TSheetLineDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
  if (!index.data(TSheetListModel::kOwnerDrawnRole).toBool()) {
    QStyledItemDelegate::paint(painter, option, index);
    return;
  }
  // Marked lines in the selection colours, whatever their own colours: a grey
  // line stays readable and a mark never looks like the current line.
  const bool marked = index.data(TSheetListModel::kMarkedRole).toBool();
  const QPalette& palette = option.palette;
  const QColor background = marked ? palette.color(QPalette::Active, QPalette::Highlight)
                                   : index.data(Qt::BackgroundRole).value<QColor>();
  const QColor text = marked ? palette.color(QPalette::Active, QPalette::HighlightedText)
                             : index.data(Qt::ForegroundRole).value<QColor>();
  painter->save();
  painter->fillRect(option.rect, background);
  painter->setFont(index.data(Qt::FontRole).value<QFont>());
  painter->setPen(text);
  const int indent = index.data(TSheetListModel::kIndentRole).toInt();
  painter->drawText(option.rect.adjusted(indent, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                    index.data(Qt::DisplayRole).toString());
  if (index.data(TSheetListModel::kCurrentRole).toBool()) {
    // The current line: a frame, dashed so that it never reads as a mark.
    QPen frame(marked ? text : palette.color(QPalette::Active, QPalette::Highlight).darker(130), 2, Qt::DashLine);
    painter->setPen(frame);
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(option.rect.adjusted(1, 1, -1, -1));
  }
  painter->restore();
}

// ---- the window -------------------------------------------------------------------

TSheetListView::TSheetListView(THdrForm& form, QWidget* parent) : QWidget(parent), form_(form) {
  setObjectName("sheetList");
  model_ = new TSheetListModel(form_, this);
  list_ = new QListView;
  list_->setObjectName("sheetListLines");
  list_->setModel(model_);
  list_->setItemDelegate(new TSheetLineDelegate(list_));
  list_->setUniformItemSizes(true);
  list_->installEventFilter(this);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  QFont font("Courier New");
  font.setStyleHint(QFont::TypeWriter);
  font.setPointSize(10);
  SetListFont(font);

  pages_ = new QTabWidget;
  pages_->addTab(list_, "Sheet List");
  // The header record listing of Test and Errors Only comes with SetTechStuffPage.
  pages_->addTab(new QWidget, "");
  pages_->setTabEnabled(1, false);

  info_ = new QPushButton("Info");
  plain_ = new QPushButton;
  enough_ = new QPushButton("Enough!");
  enough_->setToolTip("stop loading");
  multi_ = new QPushButton;
  all_ = new QPushButton("All");
  halt_ = new QPushButton("Halt");
  halt_->setToolTip("Stop the search in the text of the listed sheets");
  annotate_ = new QPushButton("Annotate");
  compareBtn_ = new QPushButton("Compare");
  compareBtn_->setToolTip("What changed since the older version (or between two marked sheets)");
  auto* buttons = new QHBoxLayout;
  for (QPushButton* b : {info_, plain_, multi_, all_, annotate_, compareBtn_, halt_, enough_}) buttons->addWidget(b);
  buttons->addStretch();

  runLabel_ = new QLabel;
  runLabel_->setObjectName("runLabel");
  status_ = new QLabel;
  status_->setObjectName("sheetStatus");
  typeLabel_ = new QLabel;
  statusLabel_ = new QLabel;
  gauge_ = new QProgressBar;
  gauge_->setTextVisible(false);
  gauge_->setMaximumWidth(100);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(runLabel_);
  bottom->addWidget(status_, 1);
  bottom->addWidget(typeLabel_, 1);
  bottom->addWidget(statusLabel_, 1);
  bottom->addWidget(gauge_);

  auto* bar = new QMenuBar;
  BuildMenus(bar);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 0, 2, 2);
  layout->setSpacing(2);
  layout->setMenuBar(bar);
  layout->addLayout(buttons);
  layout->addWidget(pages_, 1);
  layout->addLayout(bottom);

  connect(plain_, &QPushButton::clicked, this, [this] { form_.PlainClick(); });
  connect(multi_, &QPushButton::clicked, this, [this] { form_.multiBtnClick(); });
  connect(all_, &QPushButton::clicked, this, [this] { form_.AllBtnClick(); });
  connect(enough_, &QPushButton::clicked, this, [this] { form_.EnoughClick(); });
  connect(info_, &QPushButton::clicked, this, &TSheetListView::Alt_EClick);
  connect(halt_, &QPushButton::clicked, this, &TSheetListView::HaltClick);
  connect(annotate_, &QPushButton::clicked, this, &TSheetListView::noteBtnClick);
  connect(compareBtn_, &QPushButton::clicked, this, &TSheetListView::CompareClick);
  connect(list_, &QListView::doubleClicked, this, [this] { ShowThisSheet(); });
  form_.onSheetCurrent = [this](const TSheetPtr& sheet) {
    if (display_) display_->SetSheet(sheet);
    if (hdrInfo_ && hdrInfo_->IsOpen()) hdrInfo_->Show(sheet);
  };
  connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
    if (!syncing_) ViewToModel();
  });
  connect(list_->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& current) {
    // In multi-select too the clicked line becomes current (its frame, its labels); its mark is the click's toggle.
    if (!syncing_ && current.isValid()) form_.ListClick(current.row());
  });

  form_.onChanged = [this] { refresh(); };
  refresh();
}

TSheetListView::~TSheetListView() {
  form_.onChanged = nullptr;
  form_.onSheetCurrent = nullptr;
  // The windows opened from here go before the models they show.
  for (QPointer<QWidget>* frame : {&textFrame_, &infoFrame_, &imageFrame_})
    delete frame->data();
  compare_.reset();
}

void TSheetListView::CompareClick() {
  if (!compare_)
    compare_ = std::make_unique<TCompareOpener>(form_, [this](QWidget* view, const QSize& size) {
      return Host(view, size, false);
    });
  compare_->Compare();
}

void TSheetListView::CopySheetList() { QApplication::clipboard()->setText(ToQt(form_.CopySheetListClick())); }

bool TSheetListView::eventFilter(QObject* watched, QEvent* event) {
  if (watched == list_ && event->type() == QEvent::KeyPress && display_) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      ShowThisSheet();
      return true;
    }
  }
  if (textFrame_ && watched == textFrame_ && display_) {
    // The sheet text window is minimised rather than closed.
    if (event->type() == QEvent::Close) {
      event->ignore();
      display_->Minimize();
      return true;
    }
    if (event->type() == QEvent::WindowStateChange && !textFrame_->isMinimized() && display_->Minimized())
      display_->Restore();
  }
  // The list would copy only its current line on Ctrl+C; the window copies the whole list.
  if (watched == list_ && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
    CopySheetList();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void TSheetListView::BuildMenus(QWidget* barWidget) {
  auto* bar = static_cast<QMenuBar*>(barWidget);
  QMenu* file = bar->addMenu("&File");
  connect(file->addAction("Display This Sheet"), &QAction::triggered, this, &TSheetListView::ShowThisSheet);
  QAction* copy = file->addAction("Copy Sheet List to Clipboard");
  copy->setShortcut(QKeySequence("Ctrl+C"));
  copy->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  addAction(copy);
  connect(copy, &QAction::triggered, this, &TSheetListView::CopySheetList);
  connect(file->addAction("Print"), &QAction::triggered, this, &TSheetListView::PrintMainClick);
  connect(file->addAction("Compare"), &QAction::triggered, this, &TSheetListView::CompareClick);
  file->addSeparator();
  QAction* quit = file->addAction("Quit");
  quit->setToolTip("Quit WinVORNE");
  connect(quit, &QAction::triggered, this, &TSheetListView::quitRequested);

  QMenu* find = bar->addMenu("F&ind");
  QAction* inText = find->addAction("in Text");
  inText->setShortcut(QKeySequence("Ctrl+F"));
  inText->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  addAction(inText);
  connect(inText, &QAction::triggered, this, [this] {
    TFindTextDialog dialog(this);
    if (dialog.exec() == QDialog::Accepted) FindInText(dialog.Phrase(), dialog.Down());
  });
  Later(find, "Header info");
  complexFind_ = Later(find, "Test Complex Find");

  editMenu_ = bar->addMenu("&Edit");
  for (const char* c : {"Docket", "Order", "Status"})
    connect(editMenu_->addAction(c), &QAction::triggered, this, [this] { ChgDocketClick(false); });
  connect(editMenu_->addAction("Type 5 Edit"), &QAction::triggered, this, [this] { ChgDocketClick(true); });
  editMenu_->addAction("Repair");  // has nothing to repair

  QMenu* windows = bar->addMenu("&Windows");
  connect(windows->addAction("Show Controls"), &QAction::triggered, this, &TSheetListView::showControlsRequested);
  connect(windows->addAction("Tile"), &QAction::triggered, this, &TSheetListView::tileRequested);
  connect(windows->addAction("Cascade"), &QAction::triggered, this, &TSheetListView::cascadeRequested);
  connect(windows->addAction("Tariff Volumes"), &QAction::triggered, this, &TSheetListView::volumesRequested);
  connect(windows->addAction("Header Info"), &QAction::triggered, this, &TSheetListView::Alt_EClick);

  QMenu* fonts = bar->addMenu("F&onts");
  connect(fonts->addAction("List font..."), &QAction::triggered, this, [this] {
    bool ok = false;
    QFont f = QFontDialog::getFont(&ok, list_->font(), this, "Font of the sheet list");
    if (ok) SetListFont(f);
  });
  connect(fonts->addAction("Printer fonts..."), &QAction::triggered, this, [this] { TPrinterFontsDialog(this).exec(); });
  SetExpertMode(false);
}

void TSheetListView::SetTechStuffPage(QWidget* page) {
  QWidget* old = pages_->widget(1);
  pages_->removeTab(1);
  delete old;
  pages_->insertTab(1, page, expert_ ? "Tech Stuff" : "");
  pages_->setTabVisible(1, expert_);
}

void TSheetListView::SetExpertMode(bool on) {
  expert_ = on;
  editMenu_->menuAction()->setVisible(on);
  complexFind_->setVisible(on);
  pages_->setTabText(1, on ? "Tech Stuff" : "");
  pages_->setTabVisible(1, on);
  pages_->setTabEnabled(1, on);
}

void TSheetListView::SetListFont(const QFont& font) {
  list_->setFont(font);
  model_->SetBaseFont(font);
  model_->Refresh();
}

QString TSheetListView::StatusText() const { return status_->text(); }

void TSheetListView::refresh() {
  if (syncing_) return;
  syncing_ = true;
  model_->Refresh();
  setWindowTitle(ToQt(form_.Caption()));
  list_->setSelectionMode(form_.MultiSelect() ? QAbstractItemView::MultiSelection
                                              : QAbstractItemView::SingleSelection);
  QItemSelection selection;
  for (size_t i = 0; i < form_.Count(); ++i)
    if (form_.IsMarked(i)) selection.select(model_->index(int(i)), model_->index(int(i)));
  list_->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
  const int selected = form_.SelectedIndex();
  if (selected >= 0) list_->selectionModel()->setCurrentIndex(model_->index(selected), QItemSelectionModel::NoUpdate);
  // A new volume's lines scroll to the top as they arrive.
  if (form_.Count() != lastCount_ || form_.TopIndex() != lastTop_) {
    if (form_.Count() > 0) list_->scrollTo(model_->index(form_.TopIndex()), QAbstractItemView::PositionAtTop);
    lastCount_ = form_.Count();
    lastTop_ = form_.TopIndex();
  }
  list_->setToolTip(form_.HintsOn() ? "Double-click a sheet, or select several with go Multi" : QString());
  plain_->setText(ToQt(form_.PlainCaption()));
  multi_->setText(ToQt(form_.MultiCaption()));
  multi_->setToolTip(ToQt(form_.MultiHint()));
  annotate_->setVisible(form_.AnnotateVisible());
  enough_->setVisible(form_.EnoughVisible());
  runLabel_->setText(ToQt(form_.RunLabel()));
  runLabel_->setVisible(form_.RunLabelVisible());
  QString status = ToQt(form_.StatusText());
  status_->setText(status.replace('\t', "    "));
  typeLabel_->setText(ToQt(form_.TypeLabel()));
  statusLabel_->setText(ToQt(form_.StatusLabel()));
  statusLabel_->setVisible(form_.StatusLabelVisible());
  gauge_->setVisible(form_.GaugeVisible());
  gauge_->setValue(form_.Gauge());
  if (expert_) pages_->setCurrentIndex(form_.Page() == THdrForm::TPage::TechStuff ? 1 : 0);
  // The list's page is shown by the tabs; a list on the hidden page stays hidden.
  list_->setVisible(form_.ListVisible() && pages_->currentWidget() == list_);
  syncing_ = false;
}

void TSheetListView::ViewToModel() {
  if (!form_.MultiSelect()) return;
  syncing_ = true;
  const QItemSelectionModel* sel = list_->selectionModel();
  for (size_t i = 0; i < form_.Count(); ++i) {
    const bool on = sel->isRowSelected(int(i), {});
    if (form_.IsMarked(i) != on) form_.SetMarked(i, on);
  }
  syncing_ = false;
  refresh();
}

// ---- the windows opened from the list -------------------------------------------------

QWidget* TSheetListView::Host(QWidget* view, const QSize& size, bool frameless) {
  if (host_) return host_(view, size, frameless);
  view->setParent(nullptr);
  if (frameless) view->setWindowFlag(Qt::FramelessWindowHint);
  view->resize(size);
  return view;
}

void TSheetListView::ShowFrame(QWidget* frame) {
  if (!frame) return;
  if (frame->isMinimized()) frame->showNormal();
  // A frame closed with its X has hidden the view inside it.
  if (auto* sub = qobject_cast<QMdiSubWindow*>(frame); sub && sub->widget()) sub->widget()->show();
  frame->show();
  frame->raise();
  frame->activateWindow();
}

void TSheetListView::EnsureDisplay() {
  if (display_) return;
  display_ = std::make_unique<TSheetDisplay>(form_);
  textView_ = new TSheetTextView(*display_);
  textFrame_ = Host(textView_, {640, 520}, false);
  textFrame_->installEventFilter(this);
  display_->onSheetShown = [this](const TSheetPtr& sheet) {
    if (hdrInfo_ && hdrInfo_->IsOpen()) hdrInfo_->Show(sheet);
  };
  connect(textView_, &TSheetTextView::minimiseRequested, this, [this](bool minimised) {
    if (minimised) {
      if (textFrame_->isVisible()) textFrame_->showMinimized();
    } else {
      ShowFrame(textFrame_);
    }
  });
  connect(textView_, &TSheetTextView::infoRequested, this, &TSheetListView::Alt_EClick);
  connect(textView_, &TSheetTextView::imageRequested, this, &TSheetListView::ShowPrintImage);
  connect(textView_, &TSheetTextView::printRequested, this, [this] {
    PrintOneSheet(this, form_, [this](int w, int h) {
      if (expert_) textView_->ShowPageSize(w, h);
    });
  });
}

void TSheetListView::EnsureInfo() {
  if (hdrInfo_) return;
  hdrInfo_ = std::make_unique<THdrInfo>(form_);
  infoView_ = new THdrInfoView(*hdrInfo_);
  infoFrame_ = Host(infoView_, infoView_->sizeHint(), true);
  connect(infoView_, &THdrInfoView::exitRequested, this, [this] { infoFrame_->hide(); });
}

void TSheetListView::ShowThisSheet() {
  if (form_.Count() == 0) {
    form_.Env().port.Info("No Sheets listed");
    return;
  }
  if (form_.RunMode() != THdrForm::kBrowse) return;
  EnsureDisplay();
  if (form_.SelectedIndex() < 0) form_.Select(0);
  TSheetPtr sheet = form_.GetSelectedSheet();
  if (!sheet) return;
  display_->SetSheet(sheet);
  display_->Restore();
  ShowFrame(textFrame_);
}

void TSheetListView::Alt_EClick() {
  if (form_.RunMode() == THdrForm::kTest) {
    form_.Select(0);
    return;
  }
  if (form_.Count() == 0) {
    // A header window of "Not Available" fields would only cover the list.
    form_.Env().port.Info("No Sheets listed");
    return;
  }
  EnsureInfo();
  hdrInfo_->Alt_EClick();
  if (!hdrInfo_->IsOpen()) return;
  // Sized to its fields as they are now: a compliance panel needs more room.
  infoView_->adjustSize();
  if (infoFrame_ != infoView_) infoFrame_->resize(infoFrame_->sizeHint().expandedTo(infoView_->sizeHint()));
  ShowFrame(infoFrame_);
}

void TSheetListView::FindInText(const QString& phrase, bool down) {
  if (form_.Count() == 0 || phrase.trimmed().isEmpty()) return;
  EnsureDisplay();
  display_->FindDialogFind(FromQt(phrase), down);
}

void TSheetListView::HaltClick() {
  if (display_ && display_->FindRunning()) display_->StopBtnClick();
}

void TSheetListView::noteBtnClick() {
  TNamedSheets marked;
  for (size_t i = 0; i < form_.Count(); ++i)
    if (form_.IsMarked(i)) marked.push_back(form_.Entries()[i]);
  TNoteDialog note(form_.Env(), form_.Caption(), marked);
  TNotepadDialog dialog(note, this);
  dialog.exec();
}

void TSheetListView::ShowPrintImage() {
  if (!form_.GetSelectedSheet()) return;
  if (!image_) {
    image_ = std::make_unique<TPrintImage>(form_);
    imageView_ = new TPrintImageView(*image_);
    imageFrame_ = Host(imageView_, {900, 760}, false);
    connect(imageView_, &TPrintImageView::closeRequested, this, [this] { imageFrame_->hide(); });
    connect(imageView_, &TPrintImageView::printRequested, this, [this] { PrintOneSheet(this, form_); });
    connect(imageView_, &TPrintImageView::pageTurned, this, &TSheetListView::FitImageFrame);
  }
  imageView_->refresh();
  FitImageFrame();
  ShowFrame(imageFrame_);
}

void TSheetListView::FitImageFrame() {
  // The whole page where there is room for it, inside the area that holds the window.
  if (!imageFrame_) return;
  QSize wanted = imageView_->sizeHint();
  if (imageFrame_ != imageView_) wanted += imageFrame_->size() - imageView_->size();
  if (QWidget* area = imageFrame_->parentWidget()) wanted = wanted.boundedTo(area->size());
  else if (QScreen* screen = imageFrame_->screen()) wanted = wanted.boundedTo(screen->availableSize());
  imageFrame_->resize(wanted);
}

void TSheetListView::PrintMainClick() {
  static const TSelection none;
  if (form_.Count() == 0) return;
  vorne::PrintMainClick(this, form_, selection_ ? *selection_ : none, display_.get(), expert_);
}

// ---- editing header records ----------------------------------------------------------------

void TSheetListView::ChgDocketClick(bool type5) {
  const bool proceed = form_.ChooseSheetsToProcess();
  refresh();
  if (!proceed) return;
  // The chain that "Clone Type 6" extends is that of the first marked sheet's volume.
  const TPrimeRef* volume = nullptr;
  for (size_t i = 0; i < form_.Count() && !volume; ++i)
    if (form_.IsMarked(i) && form_.Entries()[i].second) volume = form_.Entries()[i].second->prime;
  TEditForm edit(form_.Env());
  edit.SetCluster(form_.Cluster());
  edit.SetEndPos(form_.EndPosOf(volume));
  for (size_t i = 0; i < form_.Count(); ++i)
    if (form_.IsMarked(i) && form_.Entries()[i].second) edit.AddSheet(form_.Entries()[i].first, form_.Entries()[i].second);
  if (edit.Sheets().empty()) return;
  // The issuers of the marked sheets' own volumes, never those of another company listed with them.
  if (type5) edit.SetChainIssuers(form_.Issuers());
  edit.runSuperseder = [this](TSheetSuperseder& s) {
    TSupersederDialog dialog(s, this);
    return dialog.exec() == QDialog::Accepted;
  };
  edit.Activate();
  TEditDialog dialog(edit, this);
  dialog.exec();
  // The edited sheets are the listed ones; versions superseded on the way are copies.
  form_.SheetsRewritten(edit.Superseded());
  form_.SetEndPosOf(volume, edit.EndPos());
  refresh();
}

void TSheetListView::mouseDoubleClickEvent(QMouseEvent* event) {
  event->accept();
  Alt_EClick();
}

}  // namespace vorne
