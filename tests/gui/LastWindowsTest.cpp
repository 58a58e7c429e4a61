// The windows that came last, driven from the desktop as a person uses them:
// Multiple In (the libraries panel, two libraries copied into one output,
// the output-volume window by Show and after the run), Verify run twice on
// two libraries, and "HTML Includes" from Make HTML and from a split copy.
// What lands on disk is compared with what vorne-batch writes.
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "gui/CheckWindows.h"
#include "gui/ControlPanel.h"
#include "gui/IncludesView.h"
#include "gui/LibrariesPanelView.h"
#include "gui/MainWindow.h"
#include "gui/QtUserPort.h"
#include "gui/RunWindows.h"
#include "gui/SheetListView.h"
#include "gui/VolumeListView.h"
#include "platform/FileSystem.h"
#include "shell/Main.h"
#include "shell/Modes.h"
#include "support/DesktopProgram.h"
#include "support/LibraryBuilder.h"
#include "support/QtBatch.h"
#include "support/ScriptedPort.h"

using namespace vorne;
using namespace vorne::testing;

namespace {

TVolumePlan Volume(uint32_t code, const char* company, int sheets, uint16_t updated) {
  TVolumePlan v;
  v.companyCode = code;
  v.company = company;
  for (int i = 1; i <= sheets; ++i) {
    TSheetPlan s;
    s.sheetNo = std::to_string(i);
    s.lines = {"Original Sheet No. " + s.sheetNo, "", "rates of " + std::string(company)};
    s.updDate = updated;
    v.sheets.push_back(s);
  }
  return v;
}

// Answers the modal windows of a run: message boxes with OK, or Yes to
// "Add to existing file"; a file dialog with the next given path.
struct TAnswerer {
  QStringList messages, files;
  QTimer timer;
  TAnswerer() {
    timer.setInterval(20);
    QObject::connect(&timer, &QTimer::timeout, [this] {
      QWidget* w = QApplication::activeModalWidget();
      if (auto* box = qobject_cast<QMessageBox*>(w)) {
        messages << box->text();
        box->button(box->standardButtons().testFlag(QMessageBox::Ok) ? QMessageBox::Ok : QMessageBox::Yes)->click();
      } else if (auto* dialog = qobject_cast<QFileDialog*>(w); dialog && !files.isEmpty()) {
        const QString path = files.takeFirst();
        dialog->selectFile(path);
        if (auto* name = dialog->findChild<QLineEdit*>("fileNameEdit")) name->setText(path);
        static_cast<QDialog*>(dialog)->accept();
      }
    });
    timer.start();
  }
};

struct TProgram : TDesktopProgram {
  using TDesktopProgram::TDesktopProgram;
  void Mode(TRunMode mode) {
    main.ModeChanged(ChooseMode(main.State(), mode));
    window.refresh();
  }
  void ClickGo() { QTest::mouseClick(window.ControlPanel()->GoButton(), Qt::LeftButton); }
  QAction* MenuItem(const QString& menu, const QString& item) {
    for (QAction* m : window.menuBar()->actions())
      if (m->text() == menu)
        for (QAction* a : m->menu()->actions())
          if (a->text() == item) return a;
    return nullptr;
  }
};

QStringList Lines(QListWidget* list) {
  QStringList out;
  for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
  return out;
}

}  // namespace

class LastWindowsTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    TScriptedPort port;
    TEnv env{RealFileSystem(), port};
    root_ = dir_.path() + "/gsplit";
    QVERIFY(QDir().mkpath(root_));
    BuildLibrary(env, (root_ + "/000010").toStdString(), true,
                 {Volume(10, "Alpha Pipeline Company", 2, PackDate(2004, 3, 1))});
    BuildLibrary(env, (root_ + "/000020").toStdString(), false,
                 {Volume(20, "Beta Gas Company", 3, PackDate(2005, 6, 2)),
                  Volume(30, "Gamma Storage Company", 1, PackDate(2003, 1, 9))});
  }

  void multipleInCopiesTwoLibrariesIntoOne() {
    const QString out = dir_.path() + "/merged";
    auto exportOf = [&](const QString& lib, bool unzip, const QString& name) {
      const QString file = dir_.path() + "/" + name;
      QStringList args = {"FROM", lib};
      if (unzip) args << "UNZIP";
      if (Batch(dir_.path(), args + QStringList{"DATA", "TO", file, "ALL"}) != 0) return QByteArray("failed");
      return Slurp(file);
    };
    const QByteArray alpha = exportOf(root_ + "/000010", false, "alpha.txt");
    const QByteArray beta = exportOf(root_ + "/000020", true, "beta.txt");
    QVERIFY(alpha.contains("Alpha Pipeline Company") && beta.contains("Gamma Storage Company"));

    TProgram p({"COPY", "TO", out, "UNZIP"});
    TAnswerer answer;
    TControlPanel* controls = p.window.ControlPanel();
    // Show lists the output library before anything is copied into it.
    QVERIFY(controls->ShowButton()->isVisible() && controls->ShowButton()->isEnabled());
    QTest::mouseClick(controls->ShowButton(), Qt::LeftButton);
    TToDisplayView* output = p.window.CopyOutputView();
    QVERIFY(output && p.window.CopyOutputWindow()->isVisible());
    QCOMPARE(output->Table()->rowCount(), 0);

    // The panel by File > MultiSource, opened at the library root; the
    // folder list walks up and down; Multiple In lists the libraries.
    p.main.State().LibraryRoot = root_.toStdString();
    p.MenuItem("&File", "MultiSource")->trigger();
    TLibrariesPanelView* panel = p.window.LibrariesView();
    QVERIFY(panel && p.window.LibrariesDock()->isVisible());
    QVERIFY(Lines(panel->Entries()).contains("[000010]"));
    QCOMPARE(panel->NameBox()->count(), 0);
    auto doubleClick = [](QListWidget* list, const QString& text) {
      const QList<QListWidgetItem*> found = list->findItems(text, Qt::MatchExactly);
      QVERIFY2(!found.isEmpty(), qPrintable(text));
      QApplication::processEvents();  // the dock lays its lists out
      const QRect r = list->visualItemRect(found.first());
      QVERIFY(list->viewport()->rect().contains(r.center()));
      QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
      QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, r.center());
      QApplication::processEvents();
    };
    doubleClick(panel->FolderList(), "..");
    QCOMPARE(QString::fromStdString(p.main.State().LibraryRoot), dir_.path());
    doubleClick(panel->FolderList(), "gsplit");
    QCOMPARE(QString::fromStdString(p.main.State().LibraryRoot), dir_.path() + "/gsplit");
    QTest::mouseClick(controls->MultipleInBox(), Qt::LeftButton);
    QCOMPARE(Lines(panel->NameBox()),
             QStringList({"Alpha Pipeline Company  [000010]", "Beta Gas Company  [000020]"}));
    QCOMPARE(panel->NameBox()->selectionMode(), QAbstractItemView::ExtendedSelection);

    // One library is not enough: Go says so and copies nothing.
    auto click = [&](int row, Qt::KeyboardModifiers mods) {
      QTest::mouseClick(panel->NameBox()->viewport(), Qt::LeftButton, mods,
                        panel->NameBox()->visualItemRect(panel->NameBox()->item(row)).center());
    };
    click(0, {});
    p.ClickGo();
    QVERIFY(answer.messages.contains(
        "Mark two or more libraries in the list for Multiple In (or uncheck Multiple In)"));
    click(1, Qt::ControlModifier);
    p.ClickGo();
    QCOMPARE(p.window.LastResult(), TGoResult::Ran);

    // The output holds both libraries: its export is the two sources' exports.
    QByteArray both = alpha;
    both += beta.mid(beta.indexOf('\n') + 1);
    QCOMPARE(exportOf(out, true, "merged.txt"), both);
    // Both libraries were deselected as they were done; the output window lists three volumes.
    QVERIFY(panel->NameBox()->selectedItems().isEmpty());
    QCOMPARE(output->Table()->rowCount(), 3);

    // After the run the window stays reachable: closed, Windows > Output Volumes brings it back.
    p.window.CopyOutputWindow()->close();
    QVERIFY(!p.window.CopyOutputWindow()->isVisible());
    QAction* outputVolumes = p.MenuItem("&Windows", "Output Volumes");
    QVERIFY(outputVolumes && outputVolumes->isEnabled());
    outputVolumes->trigger();
    QVERIFY(p.window.CopyOutputWindow()->isVisible() && output->isVisible());
    QCOMPARE(output->Table()->rowCount(), 3);

    // "Hide Libraries" puts the panel away.
    QTest::mouseClick(panel->findChild<QPushButton*>(), Qt::LeftButton);
    QVERIFY(!p.window.LibrariesDock()->isVisible());
  }

  void fromFolderOpensThePanelWithTheLibrariesListed() {
    TProgram p({"FROMFOLDER", root_});
    TLibrariesPanelView* panel = p.window.LibrariesView();
    QVERIFY(p.window.LibrariesDock()->isVisible());
    QVERIFY(p.window.ControlPanel()->MultipleInBox()->isChecked());
    QCOMPARE(panel->NameBox()->count(), 2);
    // Outside Copy the list is single-select: a click opens that library.
    QCOMPARE(panel->NameBox()->selectionMode(), QAbstractItemView::SingleSelection);
    QTest::mouseClick(panel->NameBox()->viewport(), Qt::LeftButton, {},
                      panel->NameBox()->visualItemRect(panel->NameBox()->item(1)).center());
    QApplication::processEvents();
    QVERIFY(p.main.State().Loaded);
    QCOMPARE(p.main.VolumeList().RowCount(), size_t(2));
    QCOMPARE(QString::fromStdString(p.main.VolumeList().Rows()[0].caption), QString("Beta Gas Company"));
  }

  void sheetListDoubleClickOpensInfoAndMainWindowHasPrinterFonts() {
    TProgram p({"FROM", root_ + "/000020", "UNZIP", "ALL", "GO"});
    TSheetListView* sheets = p.window.SheetListView();
    QVERIFY(p.main.SheetList().Count() > 0);
    QVERIFY(!sheets->InfoFrame() || !sheets->InfoFrame()->isVisible());
    // A double click on the window itself, away from the lines: Info.
    QLabel* label = nullptr;
    for (QLabel* l : sheets->findChildren<QLabel*>())
      if (l->isVisible()) label = l;
    QVERIFY(label);
    QTest::mouseDClick(label, Qt::LeftButton, {}, QPoint(2, 2));
    QVERIFY(sheets->InfoFrame() && sheets->InfoFrame()->isVisible());

    // The main window's Fonts menu opens "Printer fonts".
    QAction* fonts = p.MenuItem("F&onts", "Printer fonts...");
    QVERIFY(fonts);
    QString shown;
    QTimer::singleShot(50, [&] {
      if (QWidget* w = QApplication::activeModalWidget()) {
        shown = w->metaObject()->className();
        w->close();
      }
    });
    fonts->trigger();
    QCOMPARE(shown, QString("vorne::TPrinterFontsDialog"));
  }

  void verifyTwiceGivesTheSecondLibrarysResults() {
    TScriptedPort scripted;
    TEnv env{RealFileSystem(), scripted};
    const QString first = dir_.path() + "/verify1", second = dir_.path() + "/verify2";
    TVolumePlan a = Volume(40, "Delta Gas Company", 2, 0);
    a.sheets[1].lines[0] = "Original Sheet No. 9";
    BuildLibrary(env, first.toStdString(), false, {a});
    TVolumePlan b = Volume(50, "Epsilon Gas Company", 3, 0);
    b.sheets[0].lines[0] = "First Revised Sheet No. 7";
    BuildLibrary(env, second.toStdString(), false, {b});

    TProgram p({"FROM", first, "UNZIP"});
    TAnswerer answer;
    p.Mode(TRunMode::Verify);
    p.main.VolumeList().SelectAll();
    p.ClickGo();
    TVerifyView* verify = p.window.VerificationView();
    QVERIFY(verify && p.window.VerificationWindow()->isVisible());
    QVERIFY(Lines(verify->FlawList()).first().contains("Delta Gas Company"));
    // OK puts the window away; it does not come back by itself.
    for (QPushButton* b : verify->findChildren<QPushButton*>())
      if (b->text() == "OK") QTest::mouseClick(b, Qt::LeftButton);
    QVERIFY(!p.window.VerificationWindow()->isVisible());

    QVERIFY(p.main.OpenPrimeFile((second + "/Prime4").toStdString()));
    p.window.refresh();
    p.main.VolumeList().SelectAll();
    p.ClickGo();
    verify = p.window.VerificationView();
    QVERIFY(verify && p.window.VerificationWindow()->isVisible());
    const QStringList lines = Lines(verify->FlawList());
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines[0].contains("Epsilon Gas Company"));
    QVERIFY(lines[1].contains("First Revised Sheet No. 7"));
    QCOMPARE(lines[2], QString("*******"));
    QVERIFY(lines.filter("Delta").isEmpty());
    QCOMPARE(verify->Counter()->text(), QString("3 Lines"));
    QVERIFY(p.window.VerificationWindow()->windowTitle().contains("Epsilon Gas Company"));
  }

  void htmlIncludesSavesThePageTheBatchProgramWrites() {
    const QString lib = root_ + "/000020";
    const QString batch = dir_.path() + "/split-batch", desk = dir_.path() + "/split-desk";
    QCOMPARE(Batch(dir_.path(), {"FROM", lib, "UNZIP", "COPY", "TO", batch, "SPLIT", "ALL"}), 0);
    const QByteArray page = Slurp(batch + "/index.htm");
    QVERIFY(page.contains("<a href=\"000030.zip\">Gamma Storage Company</a>"));

    {  // A split copy on the desktop saves the same page and shows it.
      TProgram p({"FROM", lib, "UNZIP", "COPY", "TO", desk, "SPLIT", "ALL"});
      TAnswerer answer;
      p.ClickGo();
      QCOMPARE(p.window.LastResult(), TGoResult::Ran);
      QCOMPARE(Slurp(desk + "/index.htm"), page);
      TIncludesView* shown = p.window.IncludesView();
      QVERIFY(shown && p.window.IncludesWindow()->isVisible());
      QVERIFY(shown->OutputPane()->toPlainText().contains("000020.zip"));
      // The output-volume window says where the page went, and it is there.
      QStringList labels;
      for (QLabel* l : p.window.CopyOutputView()->findChildren<QLabel*>()) labels << l->text();
      QVERIFY(labels.contains("Includes page: " + desk + "/index.htm"));
    }

    // Make HTML in ExpertMode: the four parts, Go, Save.
    TProgram p({"QARLMIDEX", "FROM", lib, "UNZIP"});
    TAnswerer answer;
    QPushButton* make = p.window.VolumeListView()->MakeHtmlButton();
    QVERIFY(make->isVisible() && make->isEnabled());
    QTest::mouseClick(make, Qt::LeftButton);
    TIncludesView* view = p.window.IncludesView();
    QVERIFY(view && p.window.IncludesWindow()->isVisible());
    QVERIFY(view->Part(0)->toPlainText().contains("<title>Zipped Data Files</title>"));
    QVERIFY(view->Part(1)->toPlainText().startsWith("<a name=\"ByDate\"></a>"));
    QVERIFY(view->Part(3)->toPlainText().contains("HTML 4.01-compliant browser"));
    QVERIFY(!view->SaveButton()->isEnabled());
    QTest::mouseClick(view->GoButton(), Qt::LeftButton);
    QVERIFY(view->SaveButton()->isEnabled());
    const QString saved = dir_.path() + "/made.htm";
    answer.files << saved;
    QTest::mouseClick(view->SaveButton(), Qt::LeftButton);
    QCOMPARE(Slurp(saved), page);

    // An edited part goes into the next page; Go appends it.
    view->Part(1)->setPlainText("<h3>Our files</h3>");
    QTest::mouseClick(view->GoButton(), Qt::LeftButton);
    const QString text = view->OutputPane()->toPlainText();
    QCOMPARE(text.count("<title>Zipped Data Files</title>"), 2);
    QCOMPARE(text.count("<h3>Our files</h3>"), 1);
  }

 private:
  QTemporaryDir dir_;
  QString root_;
};

QTEST_MAIN(LastWindowsTest)
#include "LastWindowsTest.moc"
