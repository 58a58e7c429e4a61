// The "    Select Sheets" panel, its five dialogs and the summary window over a
// real main window model: what a click, a typed field and OK / Go / Cancel
// leave in the selection, that a refused value keeps its dialog open with
// the model's message, that Go starts the run only once the dialog has gone,
// and that the docket dialog offers the dockets of the marked volumes.
//
// With VORNE_SCREENS set to a folder, a picture of every window of the panel
// is saved there.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "gui/CriteriaDialogs.h"
#include "gui/CriteriaPanel.h"
#include "gui/SelectorSummary.h"
#include "gui/Text1252.h"
#include "platform/FileSystem.h"
#include "shell/Main.h"
#include "support/LibraryBuilder.h"
#include "support/ScriptedPort.h"

using namespace vorne;
using vorne::testing::TScriptedPort;
using vorne::testing::TSheetPlan;
using vorne::testing::TVolumePlan;

namespace {

// Saves a picture of the window under $VORNE_SCREENS/<name>.png.
void Shoot(QWidget& window, const QString& name) {
  const QString dir = qEnvironmentVariable("VORNE_SCREENS");
  if (dir.isEmpty()) return;
  QDir().mkpath(dir);
  window.show();
  QCoreApplication::processEvents();
  QVERIFY2(window.grab().save(QDir(dir).filePath(name + QStringLiteral(".png"))), qPrintable(name));
}

TVolumePlan Volume(const char* company, uint32_t code, std::vector<std::pair<const char*, uint16_t>> dockets) {
  TVolumePlan v;
  v.company = company;
  v.companyCode = code;
  int n = 1;
  for (auto [docket, effective] : dockets) {
    TSheetPlan s;
    s.sheetNo = std::to_string(n++);
    s.lines = {"Original Sheet No. " + s.sheetNo};
    s.docket = docket;
    s.effectiveDate = effective;
    v.sheets.push_back(s);
  }
  return v;
}

}  // namespace

class CriteriaTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TScriptedPort> port_;
  std::unique_ptr<TEnv> env_;
  std::unique_ptr<TMain> main_;
  QTemporaryDir dir_;

  TSelection& Sel() { return main_->State().Selection; }

  // Opens a library of three volumes (listed Alpha, Mid, Zeta) whose sheets
  // carry these dockets.
  void OpenLibrary() {
    const std::string prime = testing::BuildLibrary(
        *env_, dir_.filePath(QStringLiteral("lib")).toStdString(), false,
        {Volume("Zeta Pipe Line Company", 3, {{"RP05-112-000", PackDate(2005, 3, 1)}, {"CP01-9-000", PackDate(2001, 6, 1)}}),
         Volume("Alpha Gas Transmission", 1, {{"RP96-1-000", PackDate(1996, 1, 2)}}),
         Volume("Mid Valley Gas Storage", 2, {{"RP04-7-001", PackDate(2004, 11, 1)}})});
    QVERIFY(main_->OpenPrimeFile(prime));
    QCOMPARE(main_->VolumeList().RowCount(), size_t(3));
  }

 private slots:
  void init() {
    QVERIFY(dir_.isValid());
    port_ = std::make_unique<TScriptedPort>();
    env_ = std::make_unique<TEnv>(TEnv{RealFileSystem(), *port_});
    main_ = std::make_unique<TMain>(*env_);
  }

  void cleanup() {
    main_.reset();
    env_.reset();
    port_.reset();
  }

  void statusCriterionSetThroughItsDialog() {
    TCriteriaPanelView panel(*main_);
    panel.StatusBox()->click();
    auto* dlg = qobject_cast<TStatusDialogView*>(panel.OpenDialog());
    QVERIFY(dlg && dlg->isVisible());
    QCOMPARE(dlg->windowTitle(), QStringLiteral("Status Dialog"));
    QVERIFY(panel.StatusBox()->isChecked());       // until the dialog answers
    QVERIFY(!dlg->Box(6)->isVisibleTo(dlg));        // "Deleted" outside ExpertMode
    dlg->Box(1)->click();                           // Proposed off
    dlg->Box(2)->click();                           // Superseded on
    dlg->OkButton()->click();
    QVERIFY(!panel.OpenDialog());
    QVERIFY(Sel().StatusSelect);
    QVERIFY(Sel().StatusSet == (TByteSet{kEffective, kSuspended, kSuperseded}));
    QVERIFY(panel.StatusBox()->isChecked());

    panel.StatusBox()->click();  // unchecking turns it off and keeps the set
    QVERIFY(!panel.OpenDialog());
    QVERIFY(!Sel().StatusSelect);
    QVERIFY(Sel().StatusSet.Has(kSuperseded));

    // In ExpertMode "Deleted" is offered; Escape is the dialog's Cancel,
    // which also takes the docket criterion off.
    main_->SetExpertMode(true);
    Sel().DocketSelect = true;
    panel.StatusBox()->click();
    dlg = qobject_cast<TStatusDialogView*>(panel.OpenDialog());
    QVERIFY(dlg && dlg->Box(6)->isVisibleTo(dlg));
    QTest::keyClick(dlg, Qt::Key_Escape);
    QVERIFY(!panel.OpenDialog());
    QVERIFY(!Sel().StatusSelect && !Sel().DocketSelect);
    QVERIFY(!panel.StatusBox()->isChecked());
  }

  void badSheetNumberKeepsTheDialogOpen() {
    TCriteriaPanelView panel(*main_);
    panel.SheetNoBox()->click();
    auto* dlg = qobject_cast<TSheetNoDialogView*>(panel.OpenDialog());
    QVERIFY(dlg);
    QCOMPARE(dlg->FromField()->text(), QStringLiteral("[..."));
    QCOMPARE(dlg->ToField()->text(), QStringLiteral("...]"));
    dlg->FromField()->setText(QStringLiteral("-X"));
    dlg->OkButton()->click();
    QCOMPARE(panel.OpenDialog(), dlg);
    QVERIFY(dlg->isVisible());
    QCOMPARE(port_->transcript, std::vector<std::string>{"error: Can't use these values, try again"});
    QVERIFY(!Sel().SheetNoSelect);

    dlg->FromField()->clear();
    QTest::keyClicks(dlg->FromField(), QStringLiteral("12a"));
    dlg->ToField()->clear();
    QTest::keyClicks(dlg->ToField(), QStringLiteral("15"));
    QTest::keyClick(dlg->ToField(), Qt::Key_Return);  // the default button is OK
    QVERIFY(!panel.OpenDialog());
    QVERIFY(Sel().SheetNoSelect);
    QCOMPARE(Sel().FromText, std::string("12A"));
    QCOMPARE(Sel().FromNumber, 12);
    QCOMPARE(Sel().FromSuffix, std::string("A"));
    QCOMPARE(Sel().ToNumber, 15);
    QVERIFY(panel.SheetNoBox()->isChecked());
  }

  void goStartsTheRunOnceTheDialogHasGone() {
    TCriteriaPanelView panel(*main_);
    QSignalSpy runs(&panel, &TCriteriaPanelView::runNowRequested);
    bool dialogGone = false;
    connect(&panel, &TCriteriaPanelView::runNowRequested, this, [&] {
      dialogGone = !panel.OpenDialog() && main_->State().NameList.empty();
    });
    main_->State().NameList = {"LEFT OUT PIPELINE"};

    panel.DateBox()->click();
    auto* dates = qobject_cast<TDateDialogView*>(panel.OpenDialog());
    QVERIFY(dates);
    QCOMPARE(dates->Field(TDateKind::Filing, TDateEnd::From)->text(), QStringLiteral("..."));
    dates->Field(TDateKind::Filing, TDateEnd::From)->setText(QStringLiteral("1/10/2005"));
    dates->Field(TDateKind::Order, TDateEnd::To)->setText(QStringLiteral("13/1/2005"));
    dates->GoButton()->click();
    QCOMPARE(runs.count(), 0);  // a bad date: no run, the dialog stays
    QVERIFY(dates->isVisible());
    QCOMPARE(port_->messages, std::vector<std::string>{"13/1/2005 is not a valid date"});

    dates->Field(TDateKind::Order, TDateEnd::To)->setText(QStringLiteral("..."));
    dates->GoButton()->click();
    QCOMPARE(runs.count(), 1);
    QVERIFY(dialogGone);
    QVERIFY(Sel().EffectiveOrderDates && Sel().FilingUpdatedDates);
    QCOMPARE(Sel().ShowDate(TDateKind::Filing, TDateEnd::From), std::string("1/10/2005"));
    QVERIFY(panel.DateBox()->isChecked());

    // With the Xcpt box checked Go keeps the exclusion list.
    main_->State().Controls.XcptChecked = true;
    main_->State().NameList = {"LEFT OUT PIPELINE"};
    panel.TypeBox()->click();
    auto* types = qobject_cast<TTypeDialogView*>(panel.OpenDialog());
    QVERIFY(types);
    types->Box(2)->click();  // "Rate Sheets"
    types->GoButton()->click();
    QCOMPARE(runs.count(), 2);
    QCOMPARE(main_->State().NameList.size(), size_t(1));
    QVERIFY(Sel().TypeSelect && Sel().TypeSet == TByteSet{3});
  }

  void docketDialogOffersTheMarkedVolumesDockets() {
    OpenLibrary();
    TCriteriaPanelView panel(*main_);
    QSignalSpy runs(&panel, &TCriteriaPanelView::runNowRequested);
    QVERIFY(!panel.DocketBox()->isEnabled());  // no volume clicked yet
    TFromDisplay& list = main_->VolumeList();
    list.RowClick(0);  // Alpha
    QVERIFY(panel.DocketBox()->isEnabled());
    list.SetMarked(2, true);  // Zeta

    Sel().ChosenDockets = {"FROM AN EARLIER VOLUME"};
    panel.DocketBox()->click();
    auto* dlg = qobject_cast<TDocketDialogView*>(panel.OpenDialog());
    QVERIFY(dlg);
    QVERIFY(Sel().ChosenDockets.empty());
    QStringList shown, combo;
    for (int i = 0; i < dlg->List()->count(); ++i) shown << dlg->List()->item(i)->text();
    for (int i = 0; i < dlg->Combo()->count(); ++i) combo << dlg->Combo()->itemText(i);
    QCOMPARE(shown, (QStringList{"CP01-  9-000          6/1/2001", "RP05-112-000          3/1/2005",
                                 "RP96-  1-000          1/2/1996"}));
    QCOMPARE(combo, (QStringList{"RP96-  1-000          1/2/1996", "CP01-  9-000          6/1/2001",
                                 "RP05-112-000          3/1/2005"}));

    // Leaving the combo box selects its line in the sorted list.
    dlg->Combo()->setCurrentIndex(0);
    QFocusEvent leave(QEvent::FocusOut);
    QCoreApplication::sendEvent(dlg->Combo(), &leave);
    QVERIFY(dlg->List()->item(2)->isSelected());
    dlg->List()->item(0)->setSelected(true);
    dlg->GoButton()->click();
    QCOMPARE(runs.count(), 1);
    QCOMPARE(Sel().ChosenDockets, (std::vector<std::string>{"CP01-  9-000          6/1/2001",
                                                            "RP96-  1-000          1/2/1996"}));
    QVERIFY(Sel().DocketSelect && panel.DocketBox()->isChecked());

    // The summary shows the chosen dockets and nothing that is off.
    TSelectorSummaryView summary(*main_);
    QCOMPARE(summary.windowTitle(), QStringLiteral("Select Sheets by:"));
    QVERIFY(summary.DocketsPart()->isVisibleTo(&summary));
    QCOMPARE(summary.DocketsPart()->findChild<QListWidget*>()->count(), 2);
    QVERIFY(!summary.TypesPart()->isVisibleTo(&summary) && !summary.DatesPart()->isVisibleTo(&summary) &&
            !summary.StatusesPart()->isVisibleTo(&summary) && !summary.SheetNoPart()->isVisibleTo(&summary));

    panel.DocketBox()->click();  // off again
    QVERIFY(!Sel().DocketSelect && !panel.DocketBox()->isChecked());
    list.SetFocused(std::nullopt);
    panel.DocketBox()->click();
    QVERIFY(!panel.OpenDialog());
    QCOMPARE(port_->messages, std::vector<std::string>{"Select a pipeline company first"});
    QVERIFY(!panel.DocketBox()->isChecked());
  }

  // Every window of the panel with realistic contents; the pictures are
  // saved only when VORNE_SCREENS is set.
  void picturesOfEveryWindow() {
    OpenLibrary();
    TCriteriaPanelView panel(*main_);
    QSignalSpy summaries(&panel, &TCriteriaPanelView::summaryRequested);
    panel.ShowSelectorsButton()->click();
    QCOMPARE(summaries.count(), 1);
    panel.StatusBox()->click();
    Shoot(*panel.OpenDialog(), QStringLiteral("StatusDialog"));
    panel.OpenDialog()->OkButton()->click();

    panel.DateBox()->click();
    auto* dates = qobject_cast<TDateDialogView*>(panel.OpenDialog());
    dates->Field(TDateKind::Filing, TDateEnd::From)->setText(QStringLiteral("1/1/2004"));
    dates->Field(TDateKind::Filing, TDateEnd::To)->setText(QStringLiteral("12/31/2005"));
    dates->Field(TDateKind::Effective, TDateEnd::From)->setText(QStringLiteral("3/1/2005"));
    Shoot(*dates, QStringLiteral("DateDialog"));
    dates->OkButton()->click();

    panel.TypeBox()->click();
    auto* types = qobject_cast<TTypeDialogView*>(panel.OpenDialog());
    types->Box(2)->click();
    types->Box(3)->click();
    Shoot(*types, QStringLiteral("TypeDialog"));
    types->OkButton()->click();

    panel.SheetNoBox()->click();
    auto* nos = qobject_cast<TSheetNoDialogView*>(panel.OpenDialog());
    nos->FromField()->setText(QStringLiteral("12A"));
    nos->ToField()->setText(QStringLiteral("30"));
    Shoot(*nos, QStringLiteral("SheetNoDialog"));
    nos->OkButton()->click();

    main_->VolumeList().RowClick(0);
    main_->VolumeList().SelectAll();
    panel.DocketBox()->click();
    auto* dockets = qobject_cast<TDocketDialogView*>(panel.OpenDialog());
    QCOMPARE(dockets->List()->count(), 4);
    dockets->List()->item(1)->setSelected(true);
    dockets->List()->item(3)->setSelected(true);
    Shoot(*dockets, QStringLiteral("DocketDialog"));
    dockets->OkButton()->click();
    QVERIFY(!panel.OpenDialog());

    panel.OtherButton()->click();
    QVERIFY(panel.OtherPanel()->isVisibleTo(&panel));
    Shoot(panel, QStringLiteral("CriteriaPanel"));

    TSelectorSummaryView summary(*main_);
    for (QGroupBox* part : {summary.DocketsPart(), summary.TypesPart(), summary.DatesPart(), summary.StatusesPart(),
                            summary.SheetNoPart()})
      QVERIFY(part->isVisibleTo(&summary));
    Shoot(summary, QStringLiteral("SelectorSummary"));
  }
};

QTEST_MAIN(CriteriaTest)
#include "CriteriaTest.moc"
