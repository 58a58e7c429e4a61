#include "gui/PrintToFileView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QEvent>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include "gui/Text1252.h"
#include "output/PrintToFile.h"
#include "platform/Paths.h"

namespace vorne {

namespace {

constexpr int kTickMs = 1000;
const QString kWholeDisk = "/";

QGroupBox* Group(const char* title, const char* box, QCheckBox*& check, bool checked) {
  auto* group = new QGroupBox(title);
  check = new QCheckBox(box);
  check->setChecked(checked);
  auto* l = new QVBoxLayout(group);
  l->addWidget(check);
  return group;
}

}  // namespace

TPrintToFileView::TPrintToFileView(TFilePrintDialog& model, QWidget* parent) : QDialog(parent), model_(model) {
  setObjectName("printToFile");
  setWindowTitle(TFilePrintDialog::kCaption);
  setModal(true);

  drive_ = new QComboBox;
  drive_->setObjectName("OutDrive");
  drive_->addItem(kWholeDisk);
  for (char c = 'A'; c <= 'Z'; ++c)
    if (c == model_.drive || QDir(QString::fromStdString(MapPath(std::string(1, c) + ":\\"))).exists())
      drive_->addItem(QString(QChar(c)) + ":");

  folders_ = new QFileSystemModel(this);
  folders_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
  tree_ = new QTreeView;
  tree_->setObjectName("OutDirectory");
  tree_->setModel(folders_);
  for (int c = 1; c < folders_->columnCount(); ++c) tree_->hideColumn(c);
  tree_->header()->hide();
  tree_->setMinimumSize(320, 220);

  folder_ = new QLineEdit(ToQt(model_.directory));
  folder_->setObjectName("PrintFileName");
  folder_->setPlaceholderText("(the current folder)");

  fewerThanTwo_ = Group("Fewer than two Volumes Selected", "Print-to-file all volumes", allVolumes_, model_.allVolumes);
  noSheets_ = Group("No Sheets Selected", "Print-to-file all sheets", allSheets_, model_.allSheets);
  manySheets_ = Group("Many sheets selected", "Multiple files", multipleFiles_, model_.multipleFiles);
  fewerThanTwo_->setVisible(model_.fewerThanTwoVisible);
  noSheets_->setVisible(model_.noSheetsVisible);
  manySheets_->setVisible(model_.manySheetsVisible);

  auto* buttons = new QDialogButtonBox;
  go_ = buttons->addButton("Go", QDialogButtonBox::AcceptRole);
  go_->setObjectName("go");
  go_->setDefault(true);
  buttons->addButton(QDialogButtonBox::Cancel);

  auto* left = new QVBoxLayout;
  left->addWidget(new QLabel("Drive:"));
  left->addWidget(drive_);
  left->addWidget(new QLabel("Folder:"));
  left->addWidget(tree_, 1);
  left->addWidget(new QLabel(TFilePrintDialog::kFolderLabel));
  left->addWidget(folder_);
  auto* right = new QVBoxLayout;
  right->addWidget(fewerThanTwo_);
  right->addWidget(noSheets_);
  right->addWidget(manySheets_);
  right->addStretch(1);
  auto* top = new QHBoxLayout;
  top->addLayout(left, 1);
  top->addLayout(right);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top, 1);
  layout->addWidget(buttons);

  // The drive of the preset folder: its letter, else the whole disk.
  const char letter = model_.drive ? model_.drive : DriveLetter(model_.directory);
  const int at = letter ? drive_->findText(QString(QChar(letter)) + ":") : 0;
  filling_ = true;
  drive_->setCurrentIndex(at < 0 ? 0 : at);
  filling_ = false;
  DriveChosen();
  // The tree opens at the preset folder, or at the nearest folder above it
  // that exists yet (a new output folder is made by the run); without a
  // preset, at the home folder rather than at the top of the disk.
  QString shown = model_.directory.empty() ? QDir::homePath() : QString::fromStdString(MapPath(model_.directory));
  while (!QDir(shown).exists() && QDir(shown).absolutePath() != QDir::rootPath())
    shown = QFileInfo(QDir(shown).absolutePath()).path();
  if (QDir(shown).exists() && QDir(shown).absolutePath() != QDir::rootPath()) {
    const QModelIndex i = folders_->index(QDir(shown).absolutePath());
    tree_->setCurrentIndex(i);
    tree_->expand(i);
    tree_->scrollTo(i, QAbstractItemView::PositionAtTop);
  }
  folder_->setText(ToQt(model_.directory));

  connect(drive_, &QComboBox::currentIndexChanged, this, [this] {
    if (!filling_) DriveChosen();
  });
  connect(tree_, &QTreeView::clicked, this, &TPrintToFileView::FolderClicked);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] { Finish(true); });
  connect(buttons, &QDialogButtonBox::rejected, this, [this] { Finish(false); });

  timer_ = new QTimer(this);
  timer_->setInterval(kTickMs);
  connect(timer_, &QTimer::timeout, this, &TPrintToFileView::TimerFired);
  if (model_.TimerOn()) {
    go_->setText("Go (5)");
    timer_->start();
    // Any use of the dialog by the person stops the countdown.
    for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
    installEventFilter(this);
  }
}

TPrintToFileView::~TPrintToFileView() = default;

void TPrintToFileView::Run(TFilePrintDialog& model, QWidget* parent) {
  TPrintToFileView view(model, parent);
  view.exec();
  if (!model.Result()) model.Cancel();  // closed by the window's cross
}

void TPrintToFileView::DriveChosen() {
  const QString d = drive_->currentText();
  const QString root = d == kWholeDisk ? kWholeDisk : QString::fromStdString(MapPath(d.toStdString() + "\\"));
  folders_->setRootPath(root);
  tree_->setRootIndex(folders_->index(root));
  folder_->setText(d == kWholeDisk ? kWholeDisk : d + "\\");
}

void TPrintToFileView::FolderClicked() {
  const QString path = folders_->filePath(tree_->currentIndex());
  const QString d = drive_->currentText();
  if (d == kWholeDisk) {
    folder_->setText(path);
    return;
  }
  // Back to the typed form: the drive letter and the folders below it.
  const QString root = QString::fromStdString(MapPath(d.toStdString() + "\\"));
  QString rest = QDir(root).relativeFilePath(path);
  rest.replace('/', '\\');
  folder_->setText(d + "\\" + (rest == "." ? QString() : rest));
}

void TPrintToFileView::TimerFired() {
  model_.Tick(kTickMs);
  if (model_.Result()) {
    timer_->stop();
    Finish(true);
    return;
  }
  if (!model_.TimerOn()) {
    timer_->stop();
    go_->setText("Go");
    return;
  }
  go_->setText(QString("Go (%1)").arg(go_->text().mid(4, 1).toInt() - 1));
}

void TPrintToFileView::PersonTookOver() {
  if (!timer_->isActive()) return;
  model_.Activate();
  timer_->stop();
  go_->setText("Go");
}

bool TPrintToFileView::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::KeyPress:
    case QEvent::Wheel:
      PersonTookOver();
      break;
    default:
      break;
  }
  return QDialog::eventFilter(watched, event);
}

void TPrintToFileView::Finish(bool ok) {
  timer_->stop();
  // The timer's OK has already taken the folder as it was preset.
  if (!model_.Result()) {
    QString typed = folder_->text().trimmed();
    // A folder without a trailing separator, as the run remembers it.
    while (typed.size() > 1 && (typed.endsWith('\\') || typed.endsWith('/')) && !typed.endsWith(":\\"))
      typed.chop(1);
    model_.directory = FromQt(typed);
    model_.allVolumes = allVolumes_->isChecked();
    model_.allSheets = allSheets_->isChecked();
    model_.multipleFiles = multipleFiles_->isChecked();
    if (ok)
      model_.OK();
    else
      model_.Cancel();
  }
  if (ok)
    accept();
  else
    reject();
}

}  // namespace vorne
