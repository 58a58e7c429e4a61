#include "gui/VolumeListView.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "gui/Text1252.h"
#include "volumes/VolumeList.h"

namespace vorne {

namespace {
constexpr int kIdColumn = 2;
}

// ---- the table model ------------------------------------------------------------------

TVolumeTableModel::TVolumeTableModel(TFromDisplay& list, QObject* parent)
    : QAbstractTableModel(parent), list_(list), shown_(Shown()) {}

std::vector<const TPrimeRef*> TVolumeTableModel::Shown() const {
  std::vector<const TPrimeRef*> out;
  if (list_.RowsHidden()) return out;
  for (const TVolumeRow& r : list_.Rows()) out.push_back(r.volume);
  return out;
}

int TVolumeTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(shown_.size());
}

int TVolumeTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(VolumeListColumns().size());
}

QVariant TVolumeTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || size_t(index.row()) >= shown_.size() || size_t(index.row()) >= list_.RowCount())
    return {};
  const TVolumeRow& row = list_.Rows()[size_t(index.row())];
  const size_t col = size_t(index.column());
  if (role == Qt::DisplayRole)
    return col == 0 ? ToQt(row.caption) : ToQt(row.columns[col - 1]);
  // A name shortened by a narrow window shows whole under the mouse.
  if (role == Qt::ToolTipRole && col == 0) return ToQt(row.caption);
  if (role == Qt::TextAlignmentRole && col < VolumeListColumns().size())
    return int(Qt::AlignVCenter | (VolumeListColumns()[col].rightAligned ? Qt::AlignRight : Qt::AlignLeft));
  return {};
}

QVariant TVolumeTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || size_t(section) >= VolumeListColumns().size()) return {};
  if (role == Qt::DisplayRole) return QString(VolumeListColumns()[size_t(section)].caption);
  if (role == Qt::TextAlignmentRole)
    return int(Qt::AlignVCenter | (VolumeListColumns()[size_t(section)].rightAligned ? Qt::AlignRight : Qt::AlignLeft));
  return {};
}

bool TVolumeTableModel::Refresh() {
  std::vector<const TPrimeRef*> now = Shown();
  if (now != shown_) {
    beginResetModel();
    shown_ = std::move(now);
    endResetModel();
    return true;
  }
  if (!shown_.empty()) emit dataChanged(index(0, 0), index(int(shown_.size()) - 1, columnCount() - 1));
  return false;
}

// ---- the window -------------------------------------------------------------------------

TVolumeListView::TVolumeListView(TFromDisplay& list, std::function<int()> runMode, QWidget* parent)
    : QWidget(parent), list_(list), runMode_(std::move(runMode)) {
  setObjectName("volumeList");
  setWindowTitle(TFromDisplay::kCaption);
  model_ = new TVolumeTableModel(list_, this);
  table_ = new QTableView;
  table_->setObjectName("volumeTable");
  table_->setModel(model_);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setWordWrap(false);
  table_->setShowGrid(false);
  table_->verticalHeader()->hide();
  table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 4);
  table_->horizontalHeader()->setSectionsClickable(true);
  table_->horizontalHeader()->setHighlightSections(false);
  table_->horizontalHeader()->setStretchLastSection(false);
  for (size_t c = 0; c < VolumeListColumns().size(); ++c)
    table_->setColumnWidth(int(c), VolumeListColumns()[c].width);
  // The company name takes the room the short columns leave, so that a
  // narrow window (tiled beside others) shortens the names before it hides
  // "Updated"; the short columns are as wide as their texts (FitColumns).
  table_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
  table_->horizontalHeader()->setMinimumSectionSize(table_->fontMetrics().horizontalAdvance(QString(6, 'M')));
  table_->installEventFilter(this);

  enough_ = new QPushButton("Enough!");
  enough_->setToolTip("stop loading");
  unselect_ = new QPushButton("Unselect");
  makeHtml_ = new QPushButton("Make HTML");
  makeHtml_->setToolTip("The download page of the companies' packed libraries (HTML Includes)");
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(enough_);
  buttons->addWidget(unselect_);
  buttons->addWidget(makeHtml_);
  buttons->addStretch();

  auto* status = new QStatusBar;
  status->setSizeGripEnabled(false);
  const int widths[3] = {250, 250, 100};
  for (int i = 0; i < 3; ++i) {
    panels_[size_t(i)] = new QLabel;
    panels_[size_t(i)]->setObjectName(QString("volumePanel%1").arg(i));
    panels_[size_t(i)]->setMinimumWidth(widths[i] / 2);
    status->addWidget(panels_[size_t(i)], widths[i]);
  }
  gauge_ = new QProgressBar;
  gauge_->setTextVisible(false);
  gauge_->setMaximumWidth(120);
  status->addPermanentWidget(gauge_);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  layout->addLayout(buttons);
  layout->addWidget(table_, 1);
  layout->addWidget(status);

  // "Update Codes": the prime record editor on the focused row.
  updateCodes_ = new QAction("Update Codes", table_);
  table_->addAction(updateCodes_);
  table_->setContextMenuPolicy(Qt::ActionsContextMenu);
  connect(updateCodes_, &QAction::triggered, this, [this] {
    if (list_.Running()) return;
    const QModelIndex current = table_->currentIndex();
    list_.SetFocused(current.isValid() ? std::optional<size_t>(size_t(current.row())) : std::nullopt);
    emit updateCodesRequested();
  });

  // While a run walks the rows, their order and marks are the run's: clicks
  // on heads and rows change nothing then.
  connect(table_->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int section) {
    if (!list_.Running()) list_.ColumnClick(size_t(section));
  });
  connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
    if (syncing_) return;
    if (list_.Running())
      MarksToSelection();
    else
      SelectionToMarks();
  });
  connect(table_, &QTableView::clicked, this, [this](const QModelIndex& index) {
    if (!list_.Running()) list_.RowClick(size_t(index.row()));
  });
  connect(table_, &QTableView::doubleClicked, this, [this] { emit goRequested(); });
  connect(enough_, &QPushButton::clicked, this, [this] { list_.EnoughClick(); });
  connect(makeHtml_, &QPushButton::clicked, this, &TVolumeListView::makeHtmlRequested);
  connect(unselect_, &QPushButton::clicked, this, [this] {
    if (!list_.Running()) list_.Unselect();
  });

  list_.onChanged = [this] {
    refresh();
    emit changed();
  };
  refresh();
}

TVolumeListView::~TVolumeListView() { list_.onChanged = nullptr; }

QString TVolumeListView::StatusPanel(int panel) const { return panels_[size_t(panel)]->text(); }

void TVolumeListView::FitColumns() {
  for (int c = 1; c < model_->columnCount(); ++c) {
    if (table_->isColumnHidden(c)) continue;
    table_->resizeColumnToContents(c);
    // A column never narrower than its heading or its designed width.
    const int heading = table_->horizontalHeader()->sectionSizeHint(c);
    table_->setColumnWidth(c, std::max({table_->columnWidth(c), heading, VolumeListColumns()[size_t(c)].width}));
  }
}

void TVolumeListView::refresh() {
  if (syncing_) return;
  if (model_->Refresh()) fitPending_ = true;
  MarksToSelection();
  for (int i = 0; i < 3; ++i) panels_[size_t(i)]->setText(ToQt(list_.StatusText(i)));
  enough_->setVisible(list_.EnoughVisible());
  unselect_->setVisible(list_.UnselectVisible());
  makeHtml_->setVisible(list_.MakeHtmlVisible());
  const bool idShown = list_.IdColumnWidth() > 1;
  if (table_->isColumnHidden(kIdColumn) == idShown) fitPending_ = true;
  table_->setColumnHidden(kIdColumn, !idShown);
  if (idShown && table_->columnWidth(kIdColumn) < 2) table_->setColumnWidth(kIdColumn, list_.IdColumnWidth());
  // New rows (another library, a run's counts) may hold longer texts; while
  // a run goes the columns keep still.
  if (fitPending_ && !list_.Running()) {
    FitColumns();
    fitPending_ = false;
  }
  unselect_->setEnabled(!list_.Running());
  gauge_->setVisible(list_.GaugeVisible());
  gauge_->setMaximum(int(std::max<int64_t>(list_.GaugeMax(), 1)));
  gauge_->setValue(int(list_.GaugePosition()));
  table_->setToolTip(runMode_ ? ToQt(ListHint(runMode_())) : QString());
}

void TVolumeListView::SelectionToMarks() {
  syncing_ = true;
  const QItemSelectionModel* sel = table_->selectionModel();
  for (size_t r = 0; r < list_.RowCount() && r < size_t(model_->rowCount()); ++r)
    if (list_.IsMarked(r) != sel->isRowSelected(int(r), {})) list_.SetMarked(r, !list_.IsMarked(r));
  list_.Counts();
  syncing_ = false;
  refresh();
}

void TVolumeListView::MarksToSelection() {
  syncing_ = true;
  QItemSelection selection;
  const int last = model_->columnCount() - 1;
  for (int r = 0; r < model_->rowCount(); ++r)
    if (list_.IsMarked(size_t(r))) selection.select(model_->index(r, 0), model_->index(r, last));
  table_->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
  syncing_ = false;
}

bool TVolumeListView::eventFilter(QObject* watched, QEvent* event) {
  if (watched == table_ && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      emit goRequested();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace vorne
