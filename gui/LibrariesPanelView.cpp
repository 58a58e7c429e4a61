#include "gui/LibrariesPanelView.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>

#include "gui/Text1252.h"
#include "shell/MultipleIn.h"

namespace vorne {

TLibrariesPanelView::TLibrariesPanelView(TLibrariesPanel& model, QWidget* parent) : QWidget(parent), model_(model) {
  setObjectName("librariesPanel");
  setWindowTitle("Libraries");
  drives_ = new QComboBox;
  drives_->setObjectName("driveBox");
  drives_->setToolTip("The drive of the folder holding the libraries");
  folder_ = new QLabel;
  folder_->setObjectName("folderLabel");
  folder_->setWordWrap(true);
  folders_ = new QListWidget;
  folders_->setObjectName("folderList");
  folders_->setToolTip("Double click a folder to open it; \"..\" goes up");
  entries_ = new QListWidget;
  entries_->setObjectName("entryList");
  entries_->setToolTip("What the folder holds: folders in [brackets], then files");
  names_ = new QListWidget;
  names_->setObjectName("NameBox");
  names_->setToolTip("The libraries of the folder, by company name (check Multiple In to list them)");
  hide_ = new QPushButton("Hide Libraries");

  auto* driveRow = new QHBoxLayout;
  driveRow->addWidget(new QLabel("Drive"));
  driveRow->addWidget(drives_, 1);
  auto* chooser = new QWidget;
  auto* chooserLayout = new QVBoxLayout(chooser);
  chooserLayout->setContentsMargins(0, 0, 0, 0);
  chooserLayout->addLayout(driveRow);
  chooserLayout->addWidget(folder_);
  auto* lists = new QHBoxLayout;
  lists->addWidget(folders_);
  lists->addWidget(entries_);
  chooserLayout->addLayout(lists, 1);
  auto* libraries = new QWidget;
  auto* librariesLayout = new QVBoxLayout(libraries);
  librariesLayout->setContentsMargins(0, 0, 0, 0);
  librariesLayout->addWidget(new QLabel("Libraries"));
  librariesLayout->addWidget(names_, 1);
  auto* split = new QSplitter(Qt::Vertical);
  split->addWidget(chooser);
  split->addWidget(libraries);
  split->setStretchFactor(1, 1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addWidget(split, 1);
  layout->addWidget(hide_);

  connect(drives_, &QComboBox::activated, this, [this](int index) {
    model_.ChangeDrive(FromQt(drives_->itemText(index)));
  });
  // The lists are filled anew when the folder changes: that waits until the
  // click that asked for it is over, as its item goes with the old lines.
  auto changeFolder = [this](const QString& name) {
    QTimer::singleShot(0, this, [this, folder = FromQt(name)] { model_.ChangeFolder(folder); });
  };
  connect(folders_, &QListWidget::itemDoubleClicked, this,
          [changeFolder](QListWidgetItem* item) { changeFolder(item->text()); });
  connect(entries_, &QListWidget::itemDoubleClicked, this, [changeFolder](QListWidgetItem* item) {
    const QString t = item->text();
    if (t.startsWith('[') && t.endsWith(']')) changeFolder(t.mid(1, t.size() - 2));
  });
  connect(names_, &QListWidget::itemSelectionChanged, this, [this] {
    if (syncing_) return;
    for (int i = 0; i < names_->count(); ++i) model_.SetSelected(size_t(i), names_->item(i)->isSelected());
  });
  connect(names_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
    if (model_.MultiSelect()) return;
    QTimer::singleShot(0, this, [this, row = size_t(names_->row(item))] {
      model_.LibraryClick(row);
      emit libraryOpened();
    });
  });
  connect(names_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
    if (model_.LibraryClick(size_t(names_->row(item)))) emit goRequested();
  });
  connect(hide_, &QPushButton::clicked, this, &TLibrariesPanelView::hideRequested);
  model_.onChanged = [this] { refresh(); };
  refresh();
}

TLibrariesPanelView::~TLibrariesPanelView() { model_.onChanged = nullptr; }

void TLibrariesPanelView::refresh() {
  syncing_ = true;
  drives_->clear();
  for (const std::string& d : model_.Drives()) drives_->addItem(ToQt(d));
  drives_->setCurrentText(ToQt(model_.Drive()));
  folder_->setText(ToQt(model_.Folder()));
  folders_->clear();
  for (const std::string& f : model_.Folders()) folders_->addItem(ToQt(f));
  entries_->clear();
  for (const std::string& e : model_.Entries()) entries_->addItem(ToQt(e));
  names_->setSelectionMode(model_.MultiSelect() ? QAbstractItemView::ExtendedSelection
                                                : QAbstractItemView::SingleSelection);
  names_->clear();
  const std::vector<std::string> names = model_.NameBox();
  for (size_t i = 0; i < names.size(); ++i) {
    names_->addItem(ToQt(names[i]));
    names_->item(int(i))->setSelected(model_.Selected(i));
  }
  syncing_ = false;
}

}  // namespace vorne
