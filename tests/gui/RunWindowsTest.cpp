// The runs that open windows of their own, driven from the desktop on a
// small library: HTML and Print to File through the "Print To File" dialog
// (and its 5-second timer), Copy with its output-volume window and
// "Enough!". What lands on disk is compared with what vorne-batch writes for
// the same keywords.
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QMap>
#include <QPlainTextEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QProcess>
#include <QProgressBar>
#include <QRegularExpression>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <algorithm>
#include <functional>

#include "copy/OutputVolumes.h"
#include "gui/CheckWindows.h"
#include "gui/FilingDialogs.h"
#include "gui/MainWindow.h"
#include "gui/PrintToFileView.h"
#include "gui/QtUserPort.h"
#include "gui/RunWindows.h"
#include "output/PrintToFile.h"
#include "platform/FileSystem.h"
#include "shell/Main.h"
#include "shell/Modes.h"
#include "support/LibraryBuilder.h"
#include "support/QtBatch.h"
#include "support/ScriptedPort.h"

using namespace vorne;
using namespace vorne::testing;

namespace {

TSheetPlan Sheet(const std::string& no, const std::string& docket) {
  TSheetPlan s;
  s.sheetNo = no;
  s.lines = {"Original Sheet No. " + no, "", "rate & terms of sheet " + no};
  s.docket = docket;
  return s;
}

TVolumePlan Volume(uint32_t code, const char* company, int sheets) {
  TVolumePlan v;
  v.companyCode = code;
  v.company = company;
  for (int i = 1; i <= sheets; ++i) v.sheets.push_back(Sheet(std::to_string(i), "RP0" + std::to_string(i % 2) + "-1-000"));
  return v;
}

// Answers every modal window that comes up while a run goes: the
// "Print To File" dialog through the given handler, message boxes with
// their first button (their texts are kept).
struct TAnswerer {
  std::function<void(TPrintToFileView&)> onPrintDialog;
  QStringList fileAnswers;  // the file dialogs' answers, in order
  // Answers by the dialog's caption, before fileAnswers: a dialog seen again
  // before it has closed gets the same answer rather than the next one.
  QMap<QString, QString> fileByTitle;
  QStringList messages, companies;
  QTimer timer;
  // selectFile leaves the name box alone while it has the focus, which it
  // gets when the window system gets round to activating the dialog: the
  // box takes the answer directly.
  static void Answer(QFileDialog& files, const QString& path) {
    files.selectFile(path);
    if (auto* name = files.findChild<QLineEdit*>("fileNameEdit")) name->setText(path);
    static_cast<QDialog&>(files).accept();
  }

  TAnswerer() {
    timer.setInterval(20);
    QObject::connect(&timer, &QTimer::timeout, [this] {
      QWidget* w = QApplication::activeModalWidget();
      if (auto* box = qobject_cast<QMessageBox*>(w)) {
        messages << box->text();
        // OK where there is one; the output is added to; otherwise the safe No.
        const bool add = box->text() == "Add to existing file";
        box->button(box->standardButtons().testFlag(QMessageBox::Ok) ? QMessageBox::Ok
                    : add                                            ? QMessageBox::Yes
                                                                     : QMessageBox::No)
            ->click();
      } else if (auto* files = qobject_cast<QFileDialog*>(w); files && fileByTitle.contains(files->windowTitle())) {
        Answer(*files, fileByTitle.value(files->windowTitle()));
      } else if (files && !fileAnswers.isEmpty()) {
        Answer(*files, fileAnswers.takeFirst());
      } else if (w && w->objectName() == "verifyCompanyDialog") {
        companies << w->findChild<QLineEdit*>()->text();
        for (QPushButton* b : w->findChildren<QPushButton*>())
          if (b->text() == "Use This") b->click();
      } else if (w && w->objectName() == "type0Dialog") {
        static_cast<QDialog*>(w)->reject();
      } else if (auto* dialog = qobject_cast<TPrintToFileView*>(w); dialog && onPrintDialog) {
        auto handler = onPrintDialog;
        onPrintDialog = nullptr;
        handler(*dialog);
      }
    });
    timer.start();
  }
};

struct TProgram {
  QtUserPort port;
  TEnv env{RealFileSystem(), port};
  TMain main{env};
  TMainWindow window{main, port};

  explicit TProgram(const QStringList& args) {
    AddFilingDialogViews(port);
    window.ParseCommandLine(args);
    window.show();
    window.Start();
  }
  void Mode(TRunMode mode) {
    main.ModeChanged(ChooseMode(main.State(), mode));
    window.refresh();
  }
};

// Every file below dir, by its path relative to it.
QMap<QString, QByteArray> Tree(const QString& dir) {
  QMap<QString, QByteArray> out;
  QDirIterator it(dir, QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    out[QDir(dir).relativeFilePath(path)] = Slurp(path);
  }
  return out;
}

// Notes and dismisses every dialog that would keep a run waiting for a click.
struct TDialogWatch {
  QStringList titles;
  QTimer timer;
  TDialogWatch() {
    QObject::connect(&timer, &QTimer::timeout, [this] {
      if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
        titles << dialog->windowTitle();
        dialog->reject();
      }
    });
    timer.start(20);
  }
};

}  // namespace

class RunWindowsTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    TScriptedPort port;
    TEnv env{RealFileSystem(), port};
    library_ = dir_.path() + "/lib";
    BuildLibrary(env, library_.toStdString(), false,
                 {Volume(30, "Gamma Storage Company", 3), Volume(10, "Alpha Pipeline Company", 2),
                  Volume(20, "Beta Gas Company", 4)});
  }

  void theTimerPressesGoAfterFiveSeconds() {
    TFilePrintDialog model;
    model.directory = FromQtPath(dir_.path() + "/timed");
    model.manySheetsVisible = true;
    model.TurnTimerOn();
    QElapsedTimer clock;
    clock.start();
    TPrintToFileView::Run(model, nullptr);
    QVERIFY(model.Result().value_or(false));
    QCOMPARE(QString::fromStdString(model.OutputDirectory()), dir_.path() + "/timed");
    QVERIFY(clock.elapsed() >= 4500);
  }

  void aPersonUsingTheDialogStopsTheTimer() {
    TFilePrintDialog model;
    model.directory = FromQtPath(dir_.path());
    model.fewerThanTwoVisible = true;
    model.TurnTimerOn();
    bool groupShown = false, manyShown = true;
    QTimer::singleShot(100, [&] {
      auto* view = qobject_cast<TPrintToFileView*>(QApplication::activeModalWidget());
      QVERIFY(view);
      groupShown = view->findChild<QCheckBox*>()->isVisibleTo(view);
      for (QCheckBox* c : view->findChildren<QCheckBox*>())
        if (c->text() == "Multiple files") manyShown = c->isVisibleTo(view);
      QTest::mouseClick(view->FolderTree()->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
      QVERIFY(!model.TimerOn());
      // Well past the five seconds nothing has been pressed for the person.
      QTimer::singleShot(6500, Qt::PreciseTimer, [view] {
        view->FolderLine()->setText(view->FolderLine()->text() + "/chosen/");
        QTest::mouseClick(view->GoButton(), Qt::LeftButton);
      });
    });
    QElapsedTimer clock;
    clock.start();
    TPrintToFileView::Run(model, nullptr);
    QVERIFY(clock.elapsed() >= 6000);  // the person pressed Go, not the timer
    QVERIFY(groupShown);
    QVERIFY(!manyShown);
    QVERIFY(model.Result().value_or(false));
    // The trailing separator goes, as the run remembers folders.
    QCOMPARE(QString::fromStdString(model.OutputDirectory()), dir_.path() + "/chosen");
  }

  void htmlFromTheDesktopWritesTheSiteVorneBatchWrites() {
    const QString desk = dir_.path() + "/site-desk", batch = dir_.path() + "/site-batch";
    QCOMPARE(Batch(dir_.path(), {"FROM", library_, "UNZIP", "HTML", "TO", batch, "ALL"}), 0);
    TProgram p({"FROM", library_, "UNZIP"});
    p.Mode(TRunMode::Html);
    p.main.VolumeList().SelectAll();
    TAnswerer answer;
    QString caption;
    bool docketsShown = false;
    answer.onPrintDialog = [&](TPrintToFileView& d) {
      caption = d.windowTitle();
      d.FolderLine()->setText(desk);
      QTest::mouseClick(d.GoButton(), Qt::LeftButton);
    };
    p.main.onVolume = [&](size_t, size_t, TPrimeRef&) {
      if (TExportDocketsView* v = p.window.PublishingView()) docketsShown = v->DocketBox()->isVisibleTo(v);
    };
    p.window.Go();
    QCOMPARE(caption, QString("Print To File"));
    QCOMPARE(p.window.LastResult(), TGoResult::Ran);
    QVERIFY(docketsShown);
    QVERIFY(!p.window.PublishingView());  // the progress window goes with the run
    const auto want = Tree(batch), got = Tree(desk);
    QVERIFY(want.contains("index.htm"));
    QCOMPARE(got.keys(), want.keys());
    for (const QString& f : want.keys()) QVERIFY2(got[f] == want[f], qPrintable(f));
  }

  void printToFileFromTheDesktopWritesOneFilePerCompany() {
    const QString desk = dir_.path() + "/prn-desk", batch = dir_.path() + "/prn-batch";
    QCOMPARE(Batch(dir_.path(), {"FROM", library_, "UNZIP", "PRINT", "TO", batch, "ALL"}), 0);
    TProgram p({"FROM", library_, "UNZIP"});
    p.Mode(TRunMode::PrintToFile);
    p.main.VolumeList().SelectAll();
    TAnswerer answer;
    bool multiple = false;
    answer.onPrintDialog = [&](TPrintToFileView& d) {
      for (QCheckBox* c : d.findChildren<QCheckBox*>())
        if (c->text() == "Multiple files") multiple = c->isChecked();
      d.FolderLine()->setText(desk);
      QTest::mouseClick(d.GoButton(), Qt::LeftButton);
    };
    p.window.Go();
    QVERIFY(multiple);
    QCOMPARE(p.window.LastResult(), TGoResult::Ran);
    const auto want = Tree(batch), got = Tree(desk);
    QVERIFY(want.contains("000010.PRN"));
    QCOMPARE(got.keys(), want.keys());
    for (const QString& f : want.keys()) QVERIFY2(got[f] == want[f], qPrintable(f));
  }

  void copyFromTheDesktopAndEnoughAfterTheFirstVolume() {
    const QString full = dir_.path() + "/copy-full", part = dir_.path() + "/copy-part";
    auto exportOf = [&](const QString& lib, const QString& name) {
      const QString file = dir_.path() + "/" + name;
      if (Batch(dir_.path(), {"FROM", lib, "UNZIP", "DATA", "TO", file, "ALL"}) != 0) return QByteArray("failed");
      return Slurp(file);
    };
    const QByteArray source = exportOf(library_, "source.txt");
    QVERIFY(source.contains("Beta Gas Company"));

    {
      TProgram p({"FROM", library_, "UNZIP", "COPY", "TO", full, "UNZIP"});
      p.main.VolumeList().SelectAll();
      TAnswerer answer;
      p.window.Go();
      QCOMPARE(p.window.LastResult(), TGoResult::Ran);
      TToDisplayView* view = p.window.CopyOutputView();
      QVERIFY(view);
      QCOMPARE(view->Table()->rowCount(), 3);
      QCOMPARE(view->Table()->item(0, 0)->text(), QString("Alpha Pipeline Company"));
      QCOMPARE(view->Table()->item(0, 3)->text(), QString("2"));
      QCOMPARE(view->ModeLabel()->text(), QString("Adding"));
      QVERIFY(!view->EnoughButton()->isVisible());
    }
    QCOMPARE(exportOf(full, "full.txt"), source);
    QVERIFY(Slurp(full + "/Copylog.csv").startsWith("\"Pipeline Company\""));

    TProgram p({"FROM", library_, "UNZIP", "COPY", "TO", part, "UNZIP"});
    p.main.VolumeList().SelectAll();
    TAnswerer answer;
    bool enoughShown = false, gaugeShown = false;
    p.main.onVolume = [&](size_t index, size_t, TPrimeRef&) {
      if (index != 0) return;
      TToDisplayView* view = p.window.CopyOutputView();
      QVERIFY(view);
      enoughShown = view->EnoughButton()->isVisible();
      gaugeShown = p.window.RunGauge()->isVisible() && p.window.RunGauge()->maximum() == 9;
      QTest::mouseClick(view->EnoughButton(), Qt::LeftButton);
    };
    p.window.Go();
    QVERIFY(enoughShown);
    QVERIFY(gaugeShown);  // over the 9 sheets of the marked volumes
    QVERIFY(!p.window.RunGauge()->isVisible());
    QCOMPARE(p.window.CopyOutputView()->Table()->rowCount(), 1);
    // Exactly the first volume, whole: the export's head and the source's Alpha lines.
    QByteArray expected;
    const QList<QByteArray> lines = source.split('\n');
    for (int i = 0; i < lines.size(); ++i)
      if (i == 0 || lines[i].startsWith("\"Alpha Pipeline Company\"")) expected += lines[i] + '\n';
    QCOMPARE(exportOf(part, "part.txt"), expected);
  }

  void addNewFilingFromTheDesktopWritesWhatVorneBatchWrites() {
    const QString samples = QString(qgetenv("VORNE_TEST_DATA")) + "/../../samples";
    const QString filing = QDir(samples).absoluteFilePath("AVI0105.ASC");
    QVERIFY(QFile::exists(filing));
    const QString batchLib = dir_.path() + "/add-batch", deskLib = dir_.path() + "/add-desk";
    QCOMPARE(Batch(dir_.path(), {"ADDFROM", filing, "TO", batchLib}), 0);
    QStringList batchLogs = QDir(batchLib).entryList({"*.TXT", "*.txt", "*.log"}, QDir::Files);

    // The person chooses the mode, then with Go the library to add to
    // ("TO what Prime file:"), the filing, and where its error log goes.
    TProgram p({"FROM", library_, "UNZIP"});
    p.Mode(TRunMode::AddNewFiling);
    QDir().mkpath(deskLib);
    TAnswerer answer;
    const QString savedLog = dir_.path() + "/desk-error.log";
    answer.fileByTitle = {{"TO what Prime file:", deskLib + "/Prime4"},
                          {"Add New Filing", filing},
                          {"Save the Error Log", savedLog}};
    p.window.Go();
    QCOMPARE(p.window.LastResult(), TGoResult::Ran);
    QCOMPARE(answer.companies.size(), 1);  // no reference library: the company dialog asked
    TToDisplayView* out = p.window.ImportOutputView();
    QVERIFY(out);
    QVERIFY(out->Table()->rowCount() >= 1);
    // The library just written opens for browsing.
    QCOMPARE(p.main.State().RunMode, TRunMode::Browse);
    QVERIFY(p.main.VolumeList().Rows().size() >= 1);

    auto exportOf = [&](const QString& lib, const QString& name) {
      const QString file = dir_.path() + "/" + name;
      if (Batch(dir_.path(), {"FROM", lib, "UNZIP", "DATA", "TO", file, "ALL"}) != 0) return QByteArray("failed");
      return Slurp(file);
    };
    const QByteArray want = exportOf(batchLib, "add-batch.txt");
    QVERIFY(want.count('\n') > 2);
    QCOMPARE(exportOf(deskLib, "add-desk.txt"), want);

    // The error log was on screen and saved where the person chose, as
    // vorne-batch saved it beside its library.
    TErrorLogView* log = p.window.ErrorLogView();
    if (batchLogs.isEmpty()) {
      QVERIFY(!log || log->Lines()->toPlainText().isEmpty());
    } else {
      QVERIFY(log);
      QCOMPARE(Slurp(savedLog), Slurp(batchLib + "/" + batchLogs.first()));
      const QString first = QString::fromLatin1(Slurp(savedLog)).split("\r\n").value(1);
      QVERIFY(log->Lines()->toPlainText().contains(first));
      QVERIFY(log->Counter()->text().endsWith(" Lines"));
    }
  }

  void anImportStartedByGoTakesEveryFilingOfItsFolderAsVorneBatchDoes() {
    const QString samples = QString(qgetenv("VORNE_TEST_DATA")) + "/../../samples";
    const QString filings = dir_.path() + "/go-filings";
    QDir().mkpath(filings);
    for (const char* f : {"AVI0105.ASC", "BMT0104.ASC"})
      QVERIFY(QFile::copy(QDir(samples).absoluteFilePath(f), filings + "/" + f));
    const QString batchLib = dir_.path() + "/go-batch", deskLib = dir_.path() + "/go-desk";
    QCOMPARE(Batch(dir_.path(), {"ADDFROM", filings, "TO", batchLib}), 0);

    TDialogWatch watch;
    TProgram p({"ADDFROM", filings, "TO", deskLib, "GO"});
    QCOMPARE(p.window.LastResult(), TGoResult::Ran);
    QCOMPARE(watch.titles, QStringList());  // neither the filing, nor the company, nor the log's file was asked
    auto exportOf = [&](const QString& lib, const QString& name) {
      const QString file = dir_.path() + "/" + name;
      if (Batch(dir_.path(), {"FROM", lib, "UNZIP", "DATA", "TO", file, "ALL"}) != 0) return QByteArray("failed");
      return Slurp(file);
    };
    const QByteArray want = exportOf(batchLib, "go-batch.txt");
    QVERIFY(want.toUpper().contains("ALLEGHENY VALLEY") && want.toUpper().contains("BLUE MESA"));
    QCOMPARE(exportOf(deskLib, "go-desk.txt"), want);
    const QStringList logs = QDir(batchLib).entryList({"*.TXT"}, QDir::Files);
    QCOMPARE(QDir(deskLib).entryList({"*.TXT"}, QDir::Files), logs);
    for (const QString& log : logs) QCOMPARE(Slurp(deskLib + "/" + log), Slurp(batchLib + "/" + log));
  }

  void aCopyStartedByGoSavesItsFalseDuplicatesBesideTheOutput() {
    TScriptedPort scripted;
    TEnv env{RealFileSystem(), scripted};
    TVolumePlan v = Volume(60, "Zeta Gas Company", 1);
    v.sheets[0].status = kPending;
    v.sheets[0].filingDate = PackDate(2002, 3, 4);
    const QString src = dir_.path() + "/dup-src", changed = dir_.path() + "/dup-changed", out = dir_.path() + "/dup-out";
    BuildLibrary(env, src.toStdString(), false, {v});
    QCOMPARE(Batch(dir_.path(), {"FROM", src, "UNZIP", "COPY", "TO", out, "UNZIP", "ALL"}), 0);
    // The same pending sheet filed on another date: a false duplicate.
    v.sheets[0].filingDate = PackDate(2004, 4, 4);
    BuildLibrary(env, changed.toStdString(), false, {v});

    TDialogWatch watch;
    TProgram p({"FROM", changed, "UNZIP", "COPY", "TO", out, "UNZIP", "ALL", "ADD", "GO"});
    QCOMPARE(p.window.LastResult(), TGoResult::Ran);
    QCOMPARE(watch.titles, QStringList());  // the report was not shown to wait for its OK
    const QByteArray report = Slurp(out + "/DupLogs.txt");
    QVERIFY2(report.startsWith("The following tariff sheets are false duplicates\r\n"), report.constData());
    // ADD answered the question of the existing output, as it does for vorne-batch.
    const std::vector<std::string>& log = p.main.Log().Log();
    QVERIFY(std::count(log.begin(), log.end(), "Add to existing file -> Yes") == 1);
    QVERIFY(std::count(log.begin(), log.end(), "False duplicates saved in " + FromQtPath(out) + "/DupLogs.txt") == 1);
  }

  void verifyScanAndTechStuffFromTheDesktop() {
    // One sheet whose name disagrees with its number.
    TScriptedPort scripted;
    TEnv env{RealFileSystem(), scripted};
    const QString lib = dir_.path() + "/checks";
    TVolumePlan bad = Volume(40, "Delta Gas Company", 2);
    bad.sheets[1].lines[0] = "Original Sheet No. 9";
    BuildLibrary(env, lib.toStdString(), false, {bad, Volume(50, "Epsilon Gas Company", 1)});

    TProgram p({"TEST", "FROM", lib, "UNZIP"});
    TAnswerer answer;
    p.Mode(TRunMode::Verify);
    p.main.VolumeList().SelectAll();
    p.window.Go();
    QCOMPARE(p.window.LastResult(), TGoResult::Ran);
    TVerifyView* verify = p.window.VerificationView();
    QVERIFY(verify && verify->parentWidget()->isVisible());
    QStringList flaws;
    for (int i = 0; i < verify->FlawList()->count(); ++i) flaws << verify->FlawList()->item(i)->text();
    QCOMPARE(flaws.size(), 3);  // the company, its one failure, the closing stars
    QVERIFY(flaws[0].contains("Delta Gas Company"));
    QVERIFY(flaws[1].contains("Original Sheet No. 9"));
    QCOMPARE(flaws[2], QString("*******"));
    QCOMPARE(verify->Counter()->text(), QString("3 Lines"));

    p.Mode(TRunMode::ScanUpdates);
    p.main.VolumeList().SelectAll();
    answer.messages.clear();
    p.window.Go();  // in ExpertMode "Update primerec dates" comes first: No
    QVERIFY(answer.messages.contains("Update primerec dates"));
    TScannerView* scanner = p.window.ScannerView();
    QVERIFY(scanner);
    QCOMPARE(scanner->ShowList()->count(), 2);  // no since date: every volume
    QVERIFY(scanner->ShowList()->item(0)->text().startsWith("000040 "));
    QVERIFY(scanner->Button("Save")->isEnabled() && scanner->Button("Quit")->isEnabled());
    QTest::mouseClick(scanner->Button("Quit"), Qt::LeftButton);
    QVERIFY(!scanner->parentWidget()->isVisible());

    p.Mode(TRunMode::Test);
    p.main.VolumeList().SelectAll();
    p.window.Go();
    TTechStuffPage* tech = p.window.TechStuffPage();
    QVERIFY(tech && tech->isVisible());
    QStringList lines;
    for (int i = 0; i < tech->Lines()->count(); ++i) lines << tech->Lines()->item(i)->text();
    QVERIFY(lines.filter(QRegularExpression("^0:")).size() == 2);
    QVERIFY(lines.filter(QRegularExpression("^8: ")).size() == 2);
    // Every issuer and docket a sheet refers to is marked; Eliminate keeps those.
    const int marked = lines.filter(QRegularExpression("^[56]:\\*")).size();
    QVERIFY(marked > 0);
    QTest::mouseClick(tech->EliminateButton(), Qt::LeftButton);
    QStringList after;
    for (int i = 0; i < tech->Lines()->count(); ++i) after << tech->Lines()->item(i)->text();
    QCOMPARE(after.filter(QRegularExpression("^[56]: ")).size(), 0);
    QCOMPARE(after.filter(QRegularExpression("^[56]:\\*")).size(), marked);
  }

 private:
  static std::string FromQtPath(const QString& s) { return s.toStdString(); }
  QTemporaryDir dir_;
  QString library_;
};

QTEST_MAIN(RunWindowsTest)
#include "RunWindowsTest.moc"
