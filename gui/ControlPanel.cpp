#include "gui/ControlPanel.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "gui/Text1252.h"
#include "shell/Main.h"

namespace vorne {

const QStringList& ModePanelItems() {
  static const QStringList kItems = {"Browse", "Copy",  "Add New Filing", "Verify",      "Scan Updates", "Database",
                                     "HTML",   "Print to File", "Test",   "Errors Only", "Delete"};
  return kItems;
}

TControlPanel::TControlPanel(TMain& main, QWidget* parent) : QWidget(parent), main_(main) {
  setObjectName("controlPanel");
  setAutoFillBackground(true);
  setToolTip("Click the red cross to hide the control panel");

  close_ = new QToolButton;
  close_->setObjectName("redCross");
  close_->setText(QString::fromUtf8("\u2716"));
  close_->setStyleSheet("QToolButton { color: red; font-weight: bold; border: none; }");
  close_->setToolTip("Hide the control panel (click in the main window to call it back)");

  modeGroup_ = new QGroupBox("    VORNE Mode");
  modeGroup_->setObjectName("ModeGrp");
  modeGrid_ = new QGridLayout(modeGroup_);
  modeGrid_->setVerticalSpacing(2);
  modeButtons_ = new QButtonGroup(this);

  from_ = new QPushButton("From");
  from_->setToolTip("Choose the main input file (..PRIME)");
  to_ = new QPushButton("To");
  to_->setToolTip("Copy to this file group");
  show_ = new QPushButton("Show");
  show_->setToolTip("Read the Prime output file.");
  auto* files = new QVBoxLayout;
  files->addWidget(from_);
  files->addWidget(to_);
  files->addWidget(show_);
  files->addStretch();

  mergeGroup_ = new QGroupBox;
  merge_ = new QRadioButton("Merge");
  replace_ = new QRadioButton("Replace");
  mergeGroup_->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);
  auto* mergeLayout = new QVBoxLayout(mergeGroup_);
  mergeLayout->setContentsMargins(4, 2, 4, 2);
  mergeLayout->addWidget(merge_);
  mergeLayout->addWidget(replace_);
  multiIn_ = new QCheckBox("Multiple In");
  multiIn_->setObjectName("MultipleInBox");
  multiIn_->setToolTip("Several input libraries: list the libraries of the chosen folder");
  getLibraries_ = new QPushButton("Get Libraries");
  getLibraries_->setToolTip("Show the libraries panel");
  split_ = new QCheckBox("Multiple Out");
  split_->setToolTip("Separate pipeline companies by Company ID");
  all_ = new QCheckBox("All");
  all_->setObjectName("AllBox");
  all_->setToolTip("Select every tariff volume");
  id_ = new QLineEdit;
  id_->setObjectName("IdEdit");
  id_->setPlaceholderText("e.g. 1032,2218");
  id_->setToolTip("Select the volumes of these company IDs (press Enter)");
  id_->setMaximumWidth(120);
  auto* idRow = new QHBoxLayout;
  idRow->addWidget(new QLabel("ID"));
  idRow->addWidget(id_);
  idRow->addStretch(1);  // the box stays beside its label however wide the column
  auto* options = new QVBoxLayout;
  options->addWidget(mergeGroup_);
  options->addWidget(multiIn_);
  options->addWidget(getLibraries_);
  options->addWidget(split_);
  options->addWidget(all_);
  options->addLayout(idRow);
  options->addStretch();

  criteriaHost_ = new QWidget;
  criteriaHost_->setObjectName("criteriaHost");
  auto* hostLayout = new QVBoxLayout(criteriaHost_);
  hostLayout->setContentsMargins(0, 0, 0, 0);

  go_ = new QPushButton("Go");
  go_->setObjectName("GoButton");
  QFont bold = go_->font();
  bold.setBold(true);
  go_->setFont(bold);
  go_->setMinimumHeight(36);
  stop_ = new QPushButton("Stop");
  stop_->setObjectName("StopButton");
  stop_->setToolTip("Stop the run after the current volume");
  quit_ = new QPushButton("Quit  ");
  credits_ = new QLabel(QString("VORNE %1").arg(VORNE_VERSION));
  credits_->setObjectName("credits");
  credits_->setFrameShape(QFrame::Panel);
  credits_->setFrameShadow(QFrame::Sunken);
  credits_->setAlignment(Qt::AlignCenter);
  credits_->setToolTip("VORNE tariff libraries");
  credits_->installEventFilter(this);
  auto* run = new QVBoxLayout;
  run->addWidget(go_);
  run->addWidget(stop_);
  run->addWidget(quit_);
  run->addStretch();
  run->addWidget(credits_);

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(4, 2, 4, 4);
  auto* crossColumn = new QVBoxLayout;
  crossColumn->addWidget(close_);
  crossColumn->addStretch();
  layout->addLayout(crossColumn);
  layout->addWidget(modeGroup_);
  layout->addLayout(files);
  layout->addLayout(options);
  layout->addWidget(criteriaHost_, 1);
  // With the selectors hidden the room goes here, not into the columns before.
  layout->addStretch(0);
  layout->addLayout(run);

  connect(close_, &QToolButton::clicked, this, &TControlPanel::hideClicked);
  connect(modeButtons_, &QButtonGroup::idClicked, this, &TControlPanel::modeChosen);
  connect(from_, &QPushButton::clicked, this, &TControlPanel::fromClicked);
  connect(to_, &QPushButton::clicked, this, &TControlPanel::toClicked);
  connect(go_, &QPushButton::clicked, this, &TControlPanel::goClicked);
  connect(stop_, &QPushButton::clicked, this, &TControlPanel::stopClicked);
  connect(quit_, &QPushButton::clicked, this, &TControlPanel::quitClicked);
  connect(merge_, &QRadioButton::clicked, this, [this] { emit mergeChosen(1); });
  connect(replace_, &QRadioButton::clicked, this, [this] { emit mergeChosen(2); });
  connect(split_, &QCheckBox::clicked, this, &TControlPanel::splitToggled);
  connect(all_, &QCheckBox::clicked, this, &TControlPanel::allToggled);
  connect(show_, &QPushButton::clicked, this, &TControlPanel::showClicked);
  connect(multiIn_, &QCheckBox::clicked, this, &TControlPanel::multipleInToggled);
  connect(getLibraries_, &QPushButton::clicked, this, &TControlPanel::getLibrariesClicked);
  connect(id_, &QLineEdit::returnPressed, this, [this] { emit idEntered(id_->text()); });
  refresh(false);
}

void TControlPanel::SetCriteriaPanel(QWidget* panel) {
  auto* layout = criteriaHost_->layout();
  while (QLayoutItem* item = layout->takeAt(0)) {
    delete item->widget();
    delete item;
  }
  if (panel) layout->addWidget(panel);
}

void TControlPanel::BuildModeItems(int count) {
  // The items stay where they are; ExpertMode adds or removes the last ones.
  // A removed item may be the one whose click brought us here: it goes later.
  for (QAbstractButton* b : modeButtons_->buttons()) {
    if (modeButtons_->id(b) < count) continue;
    modeButtons_->removeButton(b);
    b->hide();
    b->deleteLater();
  }
  const int rows = (count + 1) / 2;  // two columns, filled top to bottom
  for (int i = 0; i < count && i < ModePanelItems().size(); ++i) {
    QAbstractButton* b = modeButtons_->button(i);
    if (!b) {
      b = new QRadioButton(ModePanelItems()[i]);
      modeButtons_->addButton(b, i);
    }
    modeGrid_->removeWidget(b);
    modeGrid_->addWidget(b, i % rows, i / rows);
  }
  modeItems_ = count;
}

void TControlPanel::refresh(bool running) {
  const TRunState& st = main_.State();
  const TControls& c = st.Controls;
  if (c.ModeItems != modeItems_) BuildModeItems(c.ModeItems);
  if (QAbstractButton* b = modeButtons_->button(c.ModeIndex)) b->setChecked(true);
  modeGroup_->setVisible(c.ModePanelVisible);
  modeGroup_->setEnabled(!running);
  from_->setVisible(c.FromVisible);
  from_->setDefault(c.FromDefault && !st.Loaded);
  to_->setVisible(c.ToVisible);
  show_->setVisible(c.ShowVisible);
  // The output-volume window can be shown while an output library is open or a copy has listed one.
  show_->setEnabled(!running && c.ShowEnabled && (st.OutputCluster || main_.Windows().copyOutput));
  multiIn_->setChecked(main_.MultiSourceOn());
  multiIn_->setEnabled(!running);
  getLibraries_->setEnabled(!running);
  from_->setEnabled(!running);
  to_->setEnabled(!running);
  mergeGroup_->setVisible(c.MergeVisible);
  mergeGroup_->setEnabled(!running);
  merge_->setChecked(c.Merge == TMergeChoice::Merge);
  replace_->setChecked(c.Merge == TMergeChoice::Replace);
  if (c.Merge == TMergeChoice::None) {
    // No item selected: a radio group lets go of its choice only outside exclusive mode.
    merge_->setAutoExclusive(false);
    replace_->setAutoExclusive(false);
    merge_->setChecked(false);
    replace_->setChecked(false);
    merge_->setAutoExclusive(true);
    replace_->setAutoExclusive(true);
  }
  split_->setVisible(c.SplitVisible);
  split_->setChecked(c.SplitChecked);
  split_->setEnabled(!running);
  all_->setVisible(c.AllVisible);
  all_->setChecked(c.AllChecked);
  all_->setEnabled(!running);
  id_->setEnabled(!running && st.Loaded);
  criteriaHost_->setVisible(c.SelectorsVisible);
  criteriaHost_->setEnabled(!running);
  go_->setVisible(c.GoVisible);
  go_->setEnabled(c.GoEnabled && !running);
  go_->setToolTip(ToQt(c.GoHint));
  stop_->setEnabled(running);
  credits_->setVisible(c.CreditsVisible);
  // ExpertMode: a red panel.
  QPalette p = palette();
  p.setColor(QPalette::Window, st.ExpertMode ? QColor(255, 200, 200) : QApplication::palette().color(QPalette::Window));
  setPalette(p);
}

bool TControlPanel::eventFilter(QObject* watched, QEvent* event) {
  if (watched == credits_ && event->type() == QEvent::MouseButtonPress) {
    emit creditsClicked();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace vorne
