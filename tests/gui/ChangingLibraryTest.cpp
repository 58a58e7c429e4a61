// Changing a library from the desktop: "Delete" in the Mode panel with its
// question, hints and list styles, Go deleting volumes or marking sheets
// Deleted; the prime record editor from the volume list's "Update Codes".
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QMdiSubWindow>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "gui/ControlPanel.h"
#include "gui/MainWindow.h"
#include "gui/PrimeEditorView.h"
#include "gui/QtUserPort.h"
#include "gui/SheetListView.h"
#include "gui/VolumeListView.h"
#include "platform/FileSystem.h"
#include "shell/DeleteRuns.h"
#include "shell/Main.h"
#include "shell/Modes.h"
#include "store/Headers.h"
#include "support/DesktopProgram.h"
#include "support/LibraryBuilder.h"
#include "support/ScriptedPort.h"

using namespace vorne;
using namespace vorne::testing;

namespace {

// The message box that comes up next gets this button clicked; its text is
// kept. Runs let events run before they ask, so the timer waits for the box.
void AnswerNextBox(QMessageBox::StandardButton button, QString* text = nullptr) {
  auto* timer = new QTimer;
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, [timer, button, text] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    timer->stop();
    timer->deleteLater();
    if (text) *text = box->text();
    box->button(button)->click();
  });
  timer->start();
}

struct TProgram : vorne::testing::TDesktopProgram {
  using TDesktopProgram::TDesktopProgram;
  // "Delete" in the Mode panel, answering its question with button.
  void ChooseDelete(QMessageBox::StandardButton button, QString* question) {
    QAbstractButton* del = nullptr;
    for (QAbstractButton* b : window.ControlPanel()->ModeGroup()->findChildren<QAbstractButton*>())
      if (b->text() == "Delete") del = b;
    QVERIFY(del);
    AnswerNextBox(button, question);
    QTest::mouseClick(del, Qt::LeftButton);
  }
};

}  // namespace

class ChangingLibraryTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    QVERIFY(dir_.isValid());
    TScriptedPort port;
    TEnv env{RealFileSystem(), port};
    library_ = dir_.path() + "/lib" + QString::number(++count_);
    BuildLibrary(env, library_.toStdString(), false,
                 {VolumeWithStatuses(10, "Alpha Pipeline Company", {kEffective, kPending}),
                  VolumeWithStatuses(20, "Beta Gas Company", {kEffective}),
                  VolumeWithStatuses(30, "Gamma Storage Company", {kEffective})});
  }

  void deleteEntireVolumesFromTheModePanel() {
    TProgram p({"QARLMIDEX", "FROM", library_, "UNZIP"});
    QString question;
    p.ChooseDelete(QMessageBox::Yes, &question);  // "Entire volumes"
    QCOMPARE(question, QString(kDeleteQuestion));
    QCOMPARE(p.main.State().RunMode, TRunMode::DeleteVolumes);
    QCOMPARE(p.window.ControlPanel()->GoButton()->toolTip(), QString(kDeleteVolumesHint));
    QVERIFY(!p.main.State().Controls.SelectorsVisible);

    p.MarkRow(1);
    QString warning;
    AnswerNextBox(QMessageBox::Ok, &warning);
    QTest::mouseClick(p.window.ControlPanel()->GoButton(), Qt::LeftButton);
    QCOMPARE(warning, QString(kDeleteVolumesWarning));
    QCOMPARE(p.Captions(), QStringList({"Alpha Pipeline Company", "Gamma Storage Company"}));

    TProgram again({"FROM", library_, "UNZIP"});
    QCOMPARE(again.Captions(), QStringList({"Alpha Pipeline Company", "Gamma Storage Company"}));
  }

  void deleteSelectedSheetsFromTheModePanel() {
    TProgram p({"QARLMIDEX", "FROM", library_, "UNZIP"});
    p.ChooseDelete(QMessageBox::No, nullptr);  // "Selected sheets only"
    QCOMPARE(p.main.State().RunMode, TRunMode::DeleteSheets);
    QCOMPARE(p.window.ControlPanel()->GoButton()->toolTip(), QString(kDeleteSheetsHint));
    QVERIFY(p.main.State().Controls.SelectorsVisible);

    p.MarkRow(0);
    QString asked;
    AnswerNextBox(QMessageBox::Ok, &asked);
    QTest::mouseClick(p.window.ControlPanel()->GoButton(), Qt::LeftButton);
    QCOMPARE(asked, QString("Mark these 2 sheets Deleted"));
    QCOMPARE(p.main.Windows().deletedSheets, 2);
    // The sheet list in its plain style, one line at a time, shown.
    QVERIFY(!p.main.SheetList().OwnerDrawn());
    QCOMPARE(p.window.SheetListView()->List()->selectionMode(), QAbstractItemView::SingleSelection);
    QVERIFY(p.window.SheetListWindow()->isVisible());

    TScriptedPort port;
    TEnv env{RealFileSystem(), port};
    TFileCluster c(env, false);
    QVERIFY(c.Open(library_.toStdString() + "/Prime4", false));
    c.ReadAll();
    for (auto& v : c.Volumes()) {
      if (v->record.companyCode != 10) continue;
      QCOMPARE(int(v->record.sheetCount), 0);
      THdrList list(*v, nullptr);
      list.Load();
      for (auto& g : list.Groups())
        for (auto& s : g.versions) QCOMPARE(int(s->body.status), int(kDeleted));
    }
  }

  void primeEditorFromUpdateCodes() {
    TProgram p({"QARLMIDEX", "FROM", library_, "UNZIP"});
    p.Table()->setCurrentIndex(p.Table()->model()->index(1, 0));
    bool enabled = false;
    QTimer::singleShot(0, [&] {
      auto* editor = qobject_cast<TPrimeEditorView*>(QApplication::activeModalWidget());
      QVERIFY(editor);
      QCOMPARE(editor->windowTitle(), QString("PrimeEditor"));
      QCOMPARE(editor->Box(TPrimeBox::CompanyCode)->text(), QString("000020"));
      QVERIFY(editor->Box(TPrimeBox::CompID2)->isReadOnly());
      enabled = editor->UpdateButton()->isEnabled();
      editor->Box(TPrimeBox::CompanyName)->clear();
      QTest::keyClicks(editor->Box(TPrimeBox::CompanyName), "BETA NEW GAS CO");
      AnswerNextBox(QMessageBox::Ok);
      QTest::mouseClick(editor->UpdateButton(), Qt::LeftButton);
      editor->accept();
    });
    p.window.VolumeListView()->UpdateCodesAction()->trigger();
    QVERIFY(enabled);
    QCOMPARE(p.Captions()[1], QString("Beta New Gas Co"));

    TProgram again({"FROM", library_, "UNZIP"});
    QVERIFY(again.Captions().contains("Beta New Gas Co"));
  }

  void outsideExpertModeThePrimeEditorOnlyShows() {
    TProgram p({"FROM", library_, "UNZIP"});
    bool enabled = true;
    QTimer::singleShot(0, [&] {
      auto* editor = qobject_cast<TPrimeEditorView*>(QApplication::activeModalWidget());
      QVERIFY(editor);
      enabled = editor->UpdateButton()->isEnabled();
      editor->reject();
    });
    p.window.VolumeListView()->UpdateCodesAction()->trigger();
    QVERIFY(!enabled);
  }

 private:
  QTemporaryDir dir_;
  QString library_;
  int count_ = 0;
};

QTEST_MAIN(ChangingLibraryTest)
#include "ChangingLibraryTest.moc"
