#include "gui/RunWindows.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTextCursor>
#include <QVBoxLayout>

#include "copy/CopyErrors.h"
#include "copy/OutputVolumes.h"
#include "filings/FilingImport.h"
#include "gui/Text1252.h"
#include "platform/Paths.h"
#include "store/Errors.h"
#include "volumes/ExportDockets.h"
#include "volumes/HtmlIncludes.h"

namespace vorne {

// ---- publishing progress ------------------------------------------------------------------

TExportDocketsView::TExportDocketsView(TExportDockets& model, QWidget* parent) : QWidget(parent), model_(&model) {
  setObjectName("exportDockets");
  setWindowTitle(ToQt(model.Caption()));
  count_ = new QLabel;
  count_->setObjectName("sheetCount");
  gauge_ = new QProgressBar;
  gauge_->setObjectName("gauge");
  dockets_ = new QListWidget;
  dockets_->setObjectName("docketBox");
  dockets_->setFont(FixedPitchFont());
  dockets_->setVisible(model.DocketBoxVisible());
  cancel_ = new QPushButton("Cancel");
  cancel_->setToolTip("Stop after the sheet being written");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(count_);
  layout->addWidget(gauge_);
  layout->addWidget(dockets_, 1);
  auto* row = new QHBoxLayout;
  row->addStretch(1);
  row->addWidget(cancel_);
  layout->addLayout(row);
  if (!model.DocketBoxVisible()) layout->addStretch(1);
  connect(cancel_, &QPushButton::clicked, this, [this] {
    if (model_) model_->CancelClick();
    cancel_->setEnabled(false);
  });
  model_->onChanged = [this] { refresh(); };
  refresh();
}

TExportDocketsView::~TExportDocketsView() { Detach(); }

void TExportDocketsView::Detach() {
  if (model_) model_->onChanged = nullptr;
  model_ = nullptr;
  cancel_->setEnabled(false);
}

void TExportDocketsView::refresh() {
  if (!model_) return;
  count_->setText(ToQt(model_->SheetCount()));
  gauge_->setMaximum(int(std::max<int64_t>(model_->GaugeMax(), 1)));
  gauge_->setValue(int(std::min(model_->Gauge(), model_->GaugeMax())));
  const auto& box = model_->DocketBox();
  if (size_t(dockets_->count()) != box.size()) {
    dockets_->clear();
    for (const auto& [line, entry] : box) dockets_->addItem(ToQt(line));
  }
}

// ---- the output-volume window -----------------------------------------------------------------

TToDisplayView::TToDisplayView(TToDisplay& model, TEnv& env, bool copyLog, QWidget* parent)
    : QWidget(parent), model_(&model), env_(env) {
  setObjectName("toDisplay");
  table_ = new QTableWidget(0, 7);
  table_->setObjectName("ToView");
  QStringList heads;
  for (const char* h : TToDisplay::ColumnNames()) heads << h;
  table_->setHorizontalHeaderLabels(heads);
  table_->verticalHeader()->hide();
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->horizontalHeader()->setStretchLastSection(true);
  table_->setWordWrap(false);
  table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
  table_->setColumnWidth(0, 250);
  table_->setColumnWidth(1, 130);
  for (int c = 2; c < 6; ++c) table_->setColumnWidth(c, 64);
  mode_ = new QLabel;
  mode_->setObjectName("Modelabel");
  QFont bold = mode_->font();
  bold.setBold(true);
  mode_->setFont(bold);
  status_ = new QLabel;
  wheresaved_ = new QLabel;
  wheresaved_->setObjectName("wheresaved");
  wheresaved_->hide();
  enough_ = new QPushButton("Enough!");
  enough_->setObjectName("enough");
  enough_->setToolTip("stop loading");
  enough_->hide();
  saveLog_ = new QPushButton("Save Copy Log...");
  saveLog_->setToolTip("Save the copy log under another name");
  saveLog_->setVisible(copyLog);
  auto* bar = new QHBoxLayout;
  bar->addWidget(mode_);
  bar->addWidget(status_, 1);
  bar->addWidget(saveLog_);
  bar->addWidget(enough_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addLayout(bar);
  layout->addWidget(table_, 1);
  layout->addWidget(wheresaved_);
  connect(enough_, &QPushButton::clicked, this, [this] {
    enough_->setEnabled(false);
    status_->setText("Stopping after this volume");
    emit enoughClicked();
  });
  connect(saveLog_, &QPushButton::clicked, this, &TToDisplayView::SaveLog);
  model_->onChanged = [this] { refresh(); };
  refresh();
}

TToDisplayView::~TToDisplayView() { Detach(); }

void TToDisplayView::Detach() {
  if (model_) model_->onChanged = nullptr;
  model_ = nullptr;
  enough_->hide();
  saveLog_->setEnabled(false);
}

void TToDisplayView::SetRunning(bool on) {
  enough_->setVisible(on);
  enough_->setEnabled(on);
  if (on) status_->clear();
}

void TToDisplayView::refresh() {
  if (!model_) return;
  setWindowTitle(ToQt(model_->Caption().empty() ? std::string("Output volumes") : model_->Caption()));
  const auto& rows = model_->Rows();
  table_->setRowCount(int(rows.size()));
  for (size_t r = 0; r < rows.size(); ++r) {
    auto set = [&](int c, const std::string& text) {
      QTableWidgetItem* item = table_->item(int(r), c);
      if (!item) table_->setItem(int(r), c, item = new QTableWidgetItem);
      item->setText(ToQt(text));
      if (c >= 2) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    };
    set(0, rows[r].caption);
    for (int c = 0; c < 6; ++c) set(c + 1, rows[r].columns[size_t(c)]);
  }
  if (!rows.empty()) table_->scrollToBottom();
  mode_->setText(ToQt(model_->Modelabel()));
  if (enough_->isEnabled()) status_->setText(ToQt(model_->SheetStatus()));
  saveLog_->setEnabled(model_->CopyLog().size() > 1);
  if (!model_->Wheresaved().empty()) {
    wheresaved_->setText("Includes page: " + ToQt(model_->Wheresaved()));
    wheresaved_->show();
  }
}

void TToDisplayView::SaveLog() {
  // The caption is the output library's folder; the library itself may be closed by now.
  if (!model_ || model_->Caption().empty()) return;
  const std::string proposed = JoinPath(StripTrailingSep(model_->Caption()), kCopyLogName);
  auto file = env_.port.ChooseSaveFile({"Save copy log as", proposed, "*.csv"});
  if (!file) return;
  try {
    SaveTextLines(env_, *file, model_->CopyLog());
  } catch (const EInOutError& e) {
    env_.port.Error(e.what());
  }
}

// ---- the false-duplicate report ---------------------------------------------------------------

TCopyErrorsView::TCopyErrorsView(TCopyErrors& model, TEnv& env, std::string proposed, QWidget* parent)
    : QDialog(parent), model_(model), env_(env), proposed_(std::move(proposed)) {
  setObjectName("copyErrors");
  setWindowTitle(TCopyErrors::kCaption);
  memo_ = new QPlainTextEdit;
  memo_->setObjectName("DupErrors");
  memo_->setReadOnly(true);
  memo_->setLineWrapMode(QPlainTextEdit::NoWrap);
  memo_->setFont(FixedPitchFont());
  QStringList lines;
  for (const std::string& l : model_.Lines()) lines << ToQt(l);
  memo_->setPlainText(lines.join('\n'));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  QPushButton* copy = buttons->addButton("Copy", QDialogButtonBox::ActionRole);
  copy->setToolTip("Copy to Clipboard");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(memo_, 1);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    Save();
    accept();
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(copy, &QPushButton::clicked, this, &TCopyErrorsView::CopyToClipboard);
  resize(560, 380);
}

void TCopyErrorsView::Save() {
  auto file = env_.port.ChooseSaveFile({"Save false duplicates as", proposed_, "*.txt"});
  if (!file) return;
  try {
    model_.Save(env_, *file);
  } catch (const EInOutError& e) {
    env_.port.Error(e.what());
  }
}

void TCopyErrorsView::CopyToClipboard() {
  QTextCursor c = memo_->textCursor();
  if (!c.hasSelection()) memo_->selectAll();
  QApplication::clipboard()->setText(memo_->textCursor().selectedText().replace(QChar(0x2029), '\n'));
}

// ---- the import's error log -------------------------------------------------------------------

TErrorLogView::TErrorLogView(TEnv& env, QWidget* parent) : QWidget(parent), env_(env) {
  setObjectName("errorLog");
  setWindowTitle("Error Log");
  lines_ = new QPlainTextEdit;
  lines_->setObjectName("ErrorBox");
  lines_->setReadOnly(true);
  lines_->setLineWrapMode(QPlainTextEdit::NoWrap);
  lines_->setFont(FixedPitchFont());
  counter_ = new QLabel;
  save_ = new QPushButton("Save...");
  save_->setEnabled(false);
  auto* bar = new QHBoxLayout;
  bar->addWidget(counter_, 1);
  bar->addWidget(save_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addWidget(lines_, 1);
  layout->addLayout(bar);
  connect(save_, &QPushButton::clicked, this, &TErrorLogView::Save);
}

void TErrorLogView::SetLog(const std::string& caption, const std::vector<std::string>& lines,
                           const std::string& logName) {
  setWindowTitle(ToQt(caption));
  log_ = lines;
  logName_ = logName;
  QStringList text;
  for (const std::string& l : lines) text << ToQt(l);
  lines_->setPlainText(text.join('\n'));
  counter_->setText(lines.empty() ? QString("No errors") : QString("%1 Lines").arg(lines.size()));
  save_->setEnabled(!lines.empty());
}

void TErrorLogView::Save() {
  auto file = env_.port.ChooseSaveFile({"Save the Error Log", logName_, kErrorLogFilter});
  if (!file || file->empty()) return;
  try {
    SaveTextLines(env_, *file, log_);
  } catch (const EInOutError& e) {
    env_.port.Error(e.what());
  }
}

}  // namespace vorne
