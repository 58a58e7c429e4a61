#include "gui/FindInLibraryView.h"

#include <algorithm>

#include <QAbstractTableModel>
#include <QAbstractTextDocumentLayout>
#include <QCheckBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTextDocument>
#include <QTimer>
#include <QVBoxLayout>

#include "gui/Text1252.h"
#include "shell/FindInLibrary.h"
#include "store/Common.h"

namespace vorne {

namespace {

enum TColumn { kCompanyColumn, kVolumeColumn, kSheetColumn, kStatusColumn, kEffectiveColumn, kSnippet, kColumns };
constexpr int kHtmlRole = Qt::UserRole + 1;

// Draws a snippet's HTML, its hits in bold.
class TSnippetDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    opt.text.clear();
    opt.widget->style()->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);
    QTextDocument doc;
    doc.setDefaultFont(opt.font);
    doc.setDocumentMargin(1);
    doc.setHtml(index.data(kHtmlRole).toString());
    painter->save();
    painter->translate(opt.rect.topLeft());
    painter->setClipRect(opt.rect.translated(-opt.rect.topLeft()));
    QAbstractTextDocumentLayout::PaintContext ctx;
    ctx.palette.setColor(QPalette::Text, opt.state & QStyle::State_Selected ? opt.palette.highlightedText().color()
                                                                            : opt.palette.text().color());
    doc.documentLayout()->draw(painter, ctx);
    painter->restore();
  }
};

}  // namespace

// The hits as table rows; snippets are read from the library only for the rows shown.
class TFindResultsModel : public QAbstractTableModel {
 public:
  explicit TFindResultsModel(TFindInLibrary& model, QObject* parent) : QAbstractTableModel(parent), model_(model) {}
  void Reset() {
    beginResetModel();
    endResetModel();
  }
  int rowCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : int(model_.Hits().size());
  }
  int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : kColumns; }
  QVariant headerData(int section, Qt::Orientation o, int role) const override {
    static const char* kNames[] = {"Company", "Volume", "Sheet", "Status", "Effective", "Text"};
    if (o != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kColumns) return {};
    return QString(kNames[section]);
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid() || size_t(index.row()) >= model_.Hits().size()) return {};
    const TIndexedSheet& h = *model_.Hits()[size_t(index.row())];
    if (index.column() == kSnippet && (role == kHtmlRole || role == Qt::DisplayRole)) {
      QString html, plain;
      for (const auto& [piece, hit] : model_.SnippetOf(size_t(index.row()))) {
        const QString text = ToQt(piece);
        plain += text;
        html += hit ? "<b>" + text.toHtmlEscaped() + "</b>" : text.toHtmlEscaped();
      }
      return role == kHtmlRole ? html : plain;
    }
    if (role != Qt::DisplayRole) return {};
    switch (index.column()) {
      case kCompanyColumn: return ToQt(h.Company());
      case kVolumeColumn: return ToQt(h.VolumeName());
      case kSheetColumn: return ToQt(h.name);
      case kStatusColumn: return ToQt(StatusName(h.status));
      case kEffectiveColumn: return ToQt(model_.EffectiveOf(size_t(index.row())));
      default: return {};
    }
  }

 private:
  TFindInLibrary& model_;
};

TFindInLibraryView::TFindInLibraryView(TFindInLibrary& model, QWidget* parent) : QWidget(parent), model_(model) {
  setWindowTitle(kFindInLibraryCaption);
  query_ = new QLineEdit;
  query_->setPlaceholderText("words, \"a phrase\", prefix*, this OR that");
  query_->setClearButtonEnabled(true);
  markedOnly_ = new QRadioButton("&Marked volumes only");
  whole_ = new QRadioButton("&Whole library");
  whole_->setChecked(true);
  criteria_ = new QCheckBox("&Status and dates of the selection criteria");
  results_ = new QTableView;
  rows_ = new TFindResultsModel(model_, this);
  results_->setModel(rows_);
  results_->setItemDelegateForColumn(kSnippet, new TSnippetDelegate(results_));
  results_->setSelectionBehavior(QAbstractItemView::SelectRows);
  results_->setSelectionMode(QAbstractItemView::SingleSelection);
  results_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  results_->verticalHeader()->hide();
  results_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
  results_->horizontalHeader()->setStretchLastSection(true);
  results_->setWordWrap(false);
  results_->installEventFilter(this);
  count_ = new QLabel;
  progress_ = new QProgressBar;
  progress_->setFormat("Indexing %v of %m volumes");
  progress_->hide();
  cancel_ = new QPushButton("Cancel");
  cancel_->hide();
  pause_ = new QTimer(this);
  pause_->setSingleShot(true);
  pause_->setInterval(kTypingPauseMs);

  // Two short rows rather than one long one: the window tiles beside the
  // others without widening the area past the screen.
  auto* scope = new QHBoxLayout;
  scope->addWidget(whole_);
  scope->addWidget(markedOnly_);
  scope->addStretch();
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(count_, 1);
  bottom->addWidget(progress_, 1);
  bottom->addWidget(cancel_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(query_);
  layout->addLayout(scope);
  layout->addWidget(criteria_);
  layout->addWidget(results_, 1);
  layout->addLayout(bottom);

  connect(query_, &QLineEdit::textEdited, pause_, qOverload<>(&QTimer::start));
  connect(query_, &QLineEdit::returnPressed, this, [this] {
    if (pause_->isActive() || model_.Query() != FromQt(query_->text()))
      SearchNow();
    else
      OpenCurrent();
  });
  connect(pause_, &QTimer::timeout, this, &TFindInLibraryView::SearchNow);
  connect(markedOnly_, &QRadioButton::toggled, this, &TFindInLibraryView::SearchNow);
  connect(criteria_, &QCheckBox::toggled, this, &TFindInLibraryView::SearchNow);
  connect(results_, &QTableView::doubleClicked, this, [this](const QModelIndex& i) { emit openRequested(i.row()); });
  connect(cancel_, &QPushButton::clicked, this, [this] { model_.CancelIndexing(); });
  model_.onChanged = [this] { Refresh(); };
  Refresh();
}

TFindInLibraryView::~TFindInLibraryView() { model_.onChanged = nullptr; }

void TFindInLibraryView::SearchNow() {
  pause_->stop();
  model_.SetQuery(FromQt(query_->text()));
  model_.SetMarkedOnly(markedOnly_->isChecked());
  model_.SetUseCriteria(criteria_->isChecked());
  model_.Search();
  rows_->Reset();
  // The snippet keeps the room: the other columns fit their texts up to a limit.
  for (int c = 0; c < kSnippet; ++c) {
    results_->resizeColumnToContents(c);
    results_->setColumnWidth(c, std::min(results_->columnWidth(c), fontMetrics().averageCharWidth() * 26));
  }
  if (!model_.Hits().empty()) results_->selectRow(0);
}

void TFindInLibraryView::Refresh() {
  const bool indexing = model_.Indexing();
  progress_->setVisible(indexing);
  cancel_->setVisible(indexing);
  count_->setVisible(!indexing);
  if (indexing) {
    progress_->setRange(0, int(model_.Progress().second));
    progress_->setValue(int(model_.Progress().first));
  }
  count_->setText(ToQt(model_.CountText()));
  count_->setStyleSheet(model_.CountIsError() ? "color: #a00000" : "");
}

void TFindInLibraryView::OpenCurrent() {
  const QModelIndex current = results_->currentIndex();
  if (current.isValid()) emit openRequested(current.row());
}

bool TFindInLibraryView::eventFilter(QObject* watched, QEvent* event) {
  if (watched == results_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      OpenCurrent();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace vorne
