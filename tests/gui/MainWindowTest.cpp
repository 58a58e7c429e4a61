// The desktop program on a small library: started as from the command line,
// volumes marked in the volume list, Go in Browse, the sheet list's lines; a
// column head sorting; the Stop button during a run; questions answered
// through QtUserPort; ExpertMode from a keyword showing the ID column;
// the About menu's licences.
#include <QAbstractButton>
#include <QApplication>
#include <QDate>
#include <QGroupBox>
#include <QHeaderView>
#include <QDialog>
#include <QListView>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTest>
#include <QTimer>
#include <memory>

#include "gui/ControlPanel.h"
#include "gui/MainWindow.h"
#include "gui/QtUserPort.h"
#include "gui/SheetListView.h"
#include "gui/VolumeListView.h"
#include "platform/FileSystem.h"
#include "shell/Main.h"
#include "shell/MainCommands.h"
#include "shell/Modes.h"
#include "support/DesktopProgram.h"
#include "support/LibraryBuilder.h"
#include "support/ScriptedPort.h"

using namespace vorne;
using namespace vorne::testing;

namespace {

TSheetPlan Sheet(const char* no, const char* title, uint8_t status = kEffective) {
  TSheetPlan s;
  s.sheetNo = no;
  s.lines = {title, "text of the sheet"};
  s.status = status;
  return s;
}

TVolumePlan Volume(uint32_t code, const char* company, uint16_t updated, std::vector<TSheetPlan> sheets) {
  TVolumePlan v;
  v.companyCode = code;
  v.company = company;
  for (TSheetPlan& s : sheets) s.updDate = updated;
  v.sheets = std::move(sheets);
  return v;
}

// One program run: the port, the model and the window over a library.
struct TProgram : vorne::testing::TDesktopProgram {
  using TDesktopProgram::TDesktopProgram;
  QStringList SheetLines() {
    QListView* list = window.SheetListView()->List();
    QStringList out;
    for (int r = 0; r < list->model()->rowCount(); ++r) out << list->model()->index(r, 0).data().toString();
    return out;
  }
};

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    TScriptedPort port;
    TEnv env{RealFileSystem(), port};
    library_ = dir_.path() + "/lib";
    BuildLibrary(env, library_.toStdString(), false,
                 {Volume(30, "Gamma Storage Company", PackDate(2004, 3, 1),
                         {Sheet("1", "Original Sheet No. 1"), Sheet("2", "Original Sheet No. 2", kPending)}),
                  Volume(10, "Alpha Pipeline Company", PackDate(2005, 7, 9), {Sheet("5", "Original Sheet No. 5")}),
                  Volume(20, "Beta Gas Company", PackDate(2003, 1, 2),
                         {Sheet("7", "Original Sheet No. 7"), Sheet("8", "Original Sheet No. 8")})});
  }

  void markedVolumesGoInBrowseFillTheSheetList() {
    TProgram p({"FROM", library_, "UNZIP"});
    QCOMPARE(p.Captions(), QStringList({"Alpha Pipeline Company", "Beta Gas Company", "Gamma Storage Company"}));
    // Without GO the window waits for the person.
    QCOMPARE(p.SheetLines(), QStringList());
    p.MarkRow(0);
    p.MarkRow(2);
    QCOMPARE(p.main.VolumeList().MarkedCount(), size_t(2));
    QCOMPARE(p.window.VolumeListView()->StatusPanel(1), QString("3 vols; 3 Sheets, out of 5"));
    QTest::mouseClick(p.window.ControlPanel()->GoButton(), Qt::LeftButton);
    QCOMPARE(p.window.LastResult(), TGoResult::Ran);
    QCOMPARE(p.SheetLines(),
             QStringList({"Original Sheet No. 5", "Original Sheet No. 1", "Original Sheet No. 2"}));
    QVERIFY(p.window.SheetListWindow()->isVisible());
    QCOMPARE(p.window.SheetListView()->StatusText(), QString("3 Sheets"));
  }

  void goOnTheCommandLineStartsTheRun() {
    TProgram p({"FROM", library_, "UNZIP", "ALL", "EFFECTIVE", "GO"});
    QCOMPARE(p.window.LastResult(), TGoResult::Ran);
    // The pending sheet is left out by the status selection.
    QCOMPARE(p.SheetLines(), QStringList({"Original Sheet No. 5", "Original Sheet No. 7", "Original Sheet No. 8",
                                          "Original Sheet No. 1"}));
  }

  void aColumnHeadSortsThroughTheVolumeList() {
    TProgram p({"FROM", library_, "UNZIP"});
    QHeaderView* header = p.Table()->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(6) + 5, header->height() / 2));
    QCOMPARE(p.Captions(), QStringList({"Alpha Pipeline Company", "Gamma Storage Company", "Beta Gas Company"}));
    QCOMPARE(p.window.VolumeListView()->StatusPanel(0), QString("Sorted by last update"));
  }

  void duringARunGoWaitsAndStopEndsItAfterTheCurrentVolume() {
    TProgram p({"FROM", library_, "UNZIP", "ALL"});
    bool goEnabledDuringRun = true;
    const QStringList order = p.Captions();
    p.main.onVolume = [&](size_t index, size_t, TPrimeRef&) {
      if (index != 0) return;
      goEnabledDuringRun = p.window.ControlPanel()->GoButton()->isEnabled();
      // A click on a column head would reorder the rows under the loop: it waits.
      QHeaderView* header = p.Table()->horizontalHeader();
      QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                        QPoint(header->sectionViewportPosition(6) + 5, header->height() / 2));
      QTest::mouseClick(p.window.ControlPanel()->StopButton(), Qt::LeftButton);
    };
    p.window.Go();
    QVERIFY(!goEnabledDuringRun);
    QCOMPARE(p.Captions(), order);
    QCOMPARE(p.SheetLines(), QStringList({"Original Sheet No. 5"}));
    QVERIFY(p.window.ControlPanel()->GoButton()->isEnabled());
  }

  void questionsAreAnsweredInMessageBoxes() {
    QtUserPort port;
    QString text, caption;
    QStringList buttons;
    QTimer::singleShot(0, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      QVERIFY(box);
      text = box->text();
      caption = box->windowTitle();
      for (QAbstractButton* b : box->buttons()) buttons << b->text();
      box->button(QMessageBox::No)->click();
    });
    port.SetButtonWords(kDeleteQuestion, "Delete?", "Entire volumes", "Selected sheets only");
    QCOMPARE(port.Ask(kDeleteQuestion, TButtons::YesNo), TAnswer::No);
    QCOMPARE(text, QString(kDeleteQuestion));
    QCOMPARE(caption, QString("Delete?"));
    QVERIFY(buttons.contains("Entire volumes") && buttons.contains("Selected sheets only"));

    QTimer::singleShot(0, [] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      QVERIFY(box);
      QCOMPARE(box->buttons().size(), 3);
      QCOMPARE(box->icon(), QMessageBox::Warning);
      box->button(QMessageBox::Abort)->click();
    });
    QCOMPARE(port.Ask("Mark these 2 sheets Deleted", TButtons::OKCancelAbort), TAnswer::Abort);
  }

  void expertModeFromAKeywordShowsTheIdColumn() {
    TProgram plain({"FROM", library_, "UNZIP"});
    QVERIFY(plain.Table()->isColumnHidden(2));
    TProgram expert({"QARLMIDEX", "FROM", library_, "UNZIP"});
    QVERIFY(!expert.Table()->isColumnHidden(2));
    QCOMPARE(expert.Table()->model()->index(0, 2).data().toString(), QString("000010"));
    // The Mode panel has its expert items.
    QCOMPARE(expert.window.ControlPanel()->ModeGroup()->findChildren<QAbstractButton*>().size(), 11);
  }


  void expressStartsTheRunWhenTheSplashEnds() {
    QtUserPort port;
    TEnv env{RealFileSystem(), port};
    TMain main(env);
    TMainWindow window(main, port);
    window.ParseCommandLine({"FROM", library_, "UNZIP", "ALL", "EXPRESS"});
    window.show();
    window.StartSplash();
    QVERIFY(!main.State().Started);
    // Outside December at the first tick; in December the splash stays its 8.5 s.
    QTRY_VERIFY_WITH_TIMEOUT(main.State().Started, 10000);
    QCOMPARE(main.State().Ticks, QDate::currentDate().month() == 12 ? 17 : 11);
    QCOMPARE(window.LastResult(), TGoResult::Ran);
    QCOMPARE(main.SheetList().Count(), size_t(5));
  }

  void theToolboxOpensAfterADoubleClickOnTheMainWindow() {
    TProgram p({"FROM", library_, "UNZIP"});
    QWidget* credits = p.window.ControlPanel()->findChild<QWidget*>("credits");
    QVERIFY(credits && credits->isVisible());
    // Not armed: a message, no toolbox.
    QString told;
    QTimer::singleShot(0, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      QVERIFY(box);
      told = box->text();
      box->accept();
    });
    QTest::mouseClick(credits, Qt::LeftButton);
    QCOMPARE(told, QString(kToolboxContact));
    QVERIFY(!p.main.State().ExpertMode);

    QTest::mouseDClick(p.window.Mdi()->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    QTimer::singleShot(0, [] {
      QWidget* toolbox = QApplication::activeModalWidget();
      QVERIFY(toolbox && toolbox->objectName() == "toolbox");
      static_cast<QDialog*>(toolbox)->accept();
    });
    QTest::mouseClick(credits, Qt::LeftButton);
    QVERIFY(p.main.State().ExpertMode);
    QVERIFY(!p.Table()->isColumnHidden(2));

    QTimer::singleShot(0, [] { static_cast<QDialog*>(QApplication::activeModalWidget())->reject(); });
    QTest::mouseClick(credits, Qt::LeftButton);
    QVERIFY(!p.main.State().ExpertMode);
    QVERIFY(p.Table()->isColumnHidden(2));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(p.window.ControlPanel()->ModeGroup()->findChildren<QAbstractButton*>().size(), 8);
  }


  void choosingAddNewFilingInTheModePanelShowsTheExpertItems() {
    TProgram p({"FROM", library_, "UNZIP"});
    QAbstractButton* add = nullptr;
    for (QAbstractButton* b : p.window.ControlPanel()->ModeGroup()->findChildren<QAbstractButton*>())
      if (b->text() == "Add New Filing") add = b;
    QVERIFY(add);
    QTest::mouseClick(add, Qt::LeftButton);
    QCOMPARE(p.main.State().RunMode, TRunMode::AddNewFiling);
    QVERIFY(!p.Table()->isColumnHidden(2));
    QApplication::processEvents();
    QCOMPARE(p.window.ControlPanel()->ModeGroup()->findChildren<QAbstractButton*>().size(), 11);
    QVERIFY(!p.window.ControlPanel()->GoButton()->isEnabled());  // until the output is chosen
  }

  void theAboutMenuShowsEveryLibrarysLicence() {
    TProgram p({"FROM", library_, "UNZIP"});
    QMenu* about = nullptr;
    for (QAction* a : p.window.menuBar()->actions())
      if (a->text() == "&About") about = a->menu();
    QVERIFY(about);
    QAction* others = nullptr;
    for (QAction* a : about->actions())
      if (a->text() == "Other licences...") others = a;
    QVERIFY(others);
    QString shown;
    QTimer::singleShot(0, [&] {
      QWidget* window = QApplication::activeModalWidget();
      QVERIFY(window && window->objectName() == "noticesWindow");
      shown = window->findChild<QTextEdit*>("Notices")->toPlainText();
      static_cast<QDialog*>(window)->accept();
    });
    others->trigger();
    // dtl is compiled in: its notice must travel with the program.
    QVERIFY(shown.contains("Tatsuhiko Kubo"));
    QVERIFY(shown.contains("Redistributions in binary form must reproduce"));
    QVERIFY(shown.contains("libdeflate"));
    QVERIFY(shown.contains("SQLite"));
    QVERIFY(shown.contains("GNU Lesser General Public License"));
  }

 private:
  QTemporaryDir dir_;
  QString library_;
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
