// The desktop over a day of ordinary use: windows closed with their cross
// come back whole from the Windows menu, tiling keeps the main window inside
// the screen; marked lines are drawn in the selection colours and the current
// line only framed, and Annotate takes exactly the marked lines; a run
// started by GO never stops on a message box and leaves no timer armed for
// the next run; a landscape sheet scrolls sideways and its print image is
// wider than high; a run that lists nothing says so; the run gauge and the
// windows of the checking runs show each volume as the run reaches it.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QRegularExpression>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QListView>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "gui/CheckWindows.h"
#include "gui/ControlPanel.h"
#include "gui/CriteriaPanel.h"
#include "gui/NotepadDialog.h"
#include "gui/PrintImageView.h"
#include "gui/PrintToFileView.h"
#include "gui/SheetListView.h"
#include "gui/SheetTextView.h"
#include "output/DebugLog.h"
#include "sheets/SheetList.h"
#include "shell/Modes.h"
#include "shell/RunState.h"
#include "support/DesktopProgram.h"
#include "support/LibraryBuilder.h"
#include "support/ScriptedPort.h"

using namespace vorne;
using namespace vorne::testing;

namespace {

TSheetPlan Sheet(const std::string& no, uint8_t type = 1, char orientation = 'P') {
  TSheetPlan s;
  s.sheetNo = no;
  s.lines = {"Original Sheet No. " + no, "rates and terms"};
  s.sheetType = type;
  s.orientation = orientation;
  return s;
}

// The menu action of the main window with that text.
QAction* MenuAction(QMainWindow& window, const QString& text) {
  for (QAction* menu : window.menuBar()->actions())
    if (menu->menu())
      for (QAction* a : menu->menu()->actions())
        if (a->text() == text) return a;
  return nullptr;
}

// The colour in the middle of a list line, right of its text.
QColor LineColour(QListView* list, int row) {
  const QImage image = list->viewport()->grab().toImage();
  const QRect r = list->visualRect(list->model()->index(row, 0));
  const qreal dpr = image.devicePixelRatio();
  return image.pixelColor(QPoint(int((r.right() - 8) * dpr), int(r.center().y() * dpr)));
}

// Pairs of visible texts and fields of the window that overlap, and those
// pushed out of the part that holds them, by their texts.
QStringList Overlaps(QWidget* window) {
  auto name = [](QWidget* w) {
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
    if (auto* e = qobject_cast<QLineEdit*>(w)) return "[" + e->text() + "]";
    return QString(w->metaObject()->className());
  };
  std::vector<std::pair<QWidget*, QRect>> leaves;
  QStringList out;
  for (QWidget* w : window->findChildren<QWidget*>()) {
    if (!w->isVisible() || !(qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w)))
      continue;
    if (qobject_cast<QAbstractButton*>(w) && w->parentWidget() && w->parentWidget()->inherits("QMdiSubWindow")) continue;
    const QRect r(w->mapTo(window, QPoint(0, 0)), w->size());
    // Only what shows can cover something: a part scrolled away does not.
    const QRect shown = w->visibleRegion().boundingRect().translated(r.topLeft());
    if (!shown.isEmpty()) leaves.emplace_back(w, shown);
    // A text stays inside its part, below the part's heading.
    for (QWidget* p = w->parentWidget(); p && p != window; p = p->parentWidget()) {
      auto* group = qobject_cast<QGroupBox*>(p);
      if (!group) continue;
      const QRect inside(p->mapTo(window, QPoint(0, 0)), p->size());
      if (!inside.contains(r)) out << name(w) + " outside " + group->title();
      if (!group->title().isEmpty()) {
        const int titleBottom = inside.top() + group->fontMetrics().height();
        if (r.top() < titleBottom) out << name(w) + " over the title " + group->title();
      }
    }
  }
  for (size_t i = 0; i < leaves.size(); ++i)
    for (size_t j = i + 1; j < leaves.size(); ++j)
      if (leaves[i].second.intersects(leaves[j].second)) out << name(leaves[i].first) + " over " + name(leaves[j].first);
  return out;
}

}  // namespace

class AllDayDesktopTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    TScriptedPort port;
    TEnv env{RealFileSystem(), port};
    library_ = dir_.path() + "/lib";
    TVolumePlan a;
    a.companyCode = 10;
    a.company = "Alpha Pipeline Company";
    a.sheets = {Sheet("1"), Sheet("2", 10), Sheet("3", 3), Sheet("4"), Sheet("5", 5)};
    TSheetPlan wide = Sheet("6", 1, 'L');
    wide.lines.push_back(std::string(150, '-') + " end of a landscape line");
    a.sheets.push_back(wide);
    TVolumePlan b;
    b.companyCode = 20;
    b.company = "Beta Gas Company";
    b.sheets = {Sheet("7")};
    BuildLibrary(env, library_.toStdString(), false, {a, b});
  }

  void windowsClosedWithTheirCrossComeBackWholeInsideTheScreen() {
    TDesktopProgram p({"FROM", library_, "UNZIP", "ALL", "GO"});
    QCOMPARE(p.main.SheetList().Count(), size_t(7));
    QMdiSubWindow* volumes = p.window.VolumeListWindow();
    QMdiSubWindow* sheets = p.window.SheetListWindow();
    for (QMdiSubWindow* w : {volumes, sheets}) {
      QVERIFY(w->close());
      QVERIFY(!w->isVisible());
    }
    MenuAction(p.window, "Tariff Volumes")->trigger();
    MenuAction(p.window, "Tariff Sheet List")->trigger();
    for (QMdiSubWindow* w : {volumes, sheets}) {
      QVERIFY(w->isVisible());
      QVERIFY(w->widget()->isVisible());
    }
    QCOMPARE(p.Table()->model()->rowCount(), 2);
    QVERIFY(p.Table()->isVisible());
    QCOMPARE(p.window.SheetListView()->List()->model()->rowCount(), 7);
    QVERIFY(p.window.SheetListView()->List()->isVisible());

    // Tiling and cascading never widen the main window past the screen.
    const QRect screen = p.window.screen()->availableGeometry();
    p.window.resize(screen.size() - QSize(40, 40));
    for (const char* command : {"Tile", "Cascade", "Tile"}) {
      MenuAction(p.window, command)->trigger();
      QApplication::processEvents();
      QVERIFY2(p.window.width() <= screen.width(), command);
      for (QMdiSubWindow* w : p.window.Mdi()->subWindowList())
        if (w->isVisible()) QVERIFY(w->width() <= p.window.Mdi()->width());
    }
  }

  void markedLinesAreHighlightedTheCurrentLineFramedAndAnnotateTakesTheMarks() {
    TDesktopProgram p({"FROM", library_, "UNZIP", "ALL", "GO"});
    TSheetListView* view = p.window.SheetListView();
    QListView* list = view->List();
    THdrForm& form = p.main.SheetList();
    // The selected line is marked as multi-select starts; a click toggles a
    // mark and makes the line current: marks 0, 1 (grey type 10) and 3; current 2.
    form.Select(0);
    form.multiBtnClick();
    for (int row : {1, 2, 3, 2}) {
      QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(row, 0)).center());
    }
    QCOMPARE(list->currentIndex().row(), 2);
    std::vector<size_t> marked;
    for (size_t i = 0; i < form.Count(); ++i)
      if (form.IsMarked(i)) marked.push_back(i);
    QCOMPARE(marked, (std::vector<size_t>{0, 1, 3}));

    const QColor highlight = list->palette().color(QPalette::Active, QPalette::Highlight);
    for (int row : {0, 1, 3}) QCOMPARE(LineColour(list, row), highlight);
    QCOMPARE(LineColour(list, 2), QColor(Qt::white));
    QCOMPARE(LineColour(list, 4), QColor(Qt::white));
    QVERIFY(list->model()->index(2, 0).data(TSheetListModel::kCurrentRole).toBool());
    QVERIFY(!list->model()->index(2, 0).data(TSheetListModel::kMarkedRole).toBool());

    // Annotate lists exactly the lines shown marked.
    QStringList noted;
    QTimer::singleShot(0, [&] {
      auto* note = qobject_cast<TNotepadDialog*>(QApplication::activeModalWidget());
      QVERIFY(note);
      noted = note->Pad()->toPlainText().split('\n');
      note->reject();
    });
    view->noteBtnClick();
    QCOMPARE(noted.filter("Original Sheet No.").size(), 3);
    QVERIFY(noted.contains("Original Sheet No. 2") && !noted.contains("Original Sheet No. 3"));
  }

  void anEditCommandWithOneLineMarkedAsksThenSaysHowToMarkMore() {
    TDesktopProgram p({"FROM", library_, "UNZIP", "ALL", "GO", "QARLMIDEX"});
    QStringList seen;
    QTimer answers;
    QObject::connect(&answers, &QTimer::timeout, [&] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        seen << box->text();
        box->button(box->standardButtons().testFlag(QMessageBox::No) ? QMessageBox::No : QMessageBox::Ok)->click();
      }
    });
    answers.start(20);
    p.window.SheetListView()->ChgDocketClick(false);
    QCOMPARE(seen, QStringList({"Process all these sheets?", "Process this one sheet?",
                                "Multiselect is on. Mark the desired sheets"}));
    QVERIFY(p.main.SheetList().MultiSelect());
  }

  void aRunStartedByGoWaitsForNoClickAndLeavesNoTimerBehind() {
    const QString out = dir_.path() + "/printed";
    QStringList boxes;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
      // A message box would stop the run until someone clicks: note it and click it.
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        boxes << box->text();
        box->button(box->standardButtons().testFlag(QMessageBox::Ok) ? QMessageBox::Ok : QMessageBox::No)->click();
      }
    });
    watch.start(50);
    TDesktopProgram p({"FROM", library_, "UNZIP", "PRINT", "TO", out, "ALL", "GO"});
    // The print dialog's own 5-second timer started the run; no box was shown.
    QCOMPARE(p.window.LastResult(), TGoResult::Ran);
    QCOMPARE(boxes, QStringList());
    bool logged = false;
    for (const std::string& line : p.main.Log().Log()) logged |= line.rfind("Template File missing from", 0) == 0;
    QVERIFY(logged);
    QVERIFY(p.window.StatusPanel(0).startsWith("Template File missing from"));
    QVERIFY(p.window.LogWindow()->isVisible());
    // What the automatic start armed ended with its run: later runs wait for the person.
    QVERIFY(!p.main.State().AutoGo);
  }

  void theGaugeAndTheCheckingWindowsFollowTheRunVolumeByVolume() {
    TDesktopProgram p({"FROM", library_, "UNZIP"});
    struct TSeen {
      bool gaugeShown = false;
      int gauge = -1, gaugeMax = -1;
      QString verifyTitle;
      int scanLines = -1, listingHeadings = -1;
    } seen;
    // What the person sees as the run steps to the second volume (Beta):
    // Alpha's 6 sheets are done, of 7.
    p.main.onVolume = [&](size_t index, size_t, TPrimeRef&) {
      if (index != 1) return;
      QApplication::processEvents();
      seen.gaugeShown = p.window.RunGauge()->isVisible();
      seen.gauge = p.window.RunGauge()->value();
      seen.gaugeMax = p.window.RunGauge()->maximum();
      if (QWidget* v = p.window.VerificationView()) seen.verifyTitle = v->parentWidget()->windowTitle();
      if (TScannerView* v = p.window.ScannerView()) seen.scanLines = v->ShowList()->count();
      if (TTechStuffPage* t = p.window.TechStuffPage()) {
        seen.listingHeadings = 0;
        for (int i = 0; i < t->Lines()->count(); ++i) seen.listingHeadings += t->Lines()->item(i)->text().startsWith("0:");
      }
    };
    auto run = [&](TRunMode mode) {
      p.main.ModeChanged(ChooseMode(p.main.State(), mode));
      p.window.refresh();
      p.main.VolumeList().SelectAll();
      seen = {};
      p.window.Go();
      QCOMPARE(p.window.LastResult(), TGoResult::Ran);
      QVERIFY(!p.window.RunGauge()->isVisible());  // the run is over
    };

    run(TRunMode::Verify);
    QVERIFY(seen.gaugeShown);
    QCOMPARE(seen.gaugeMax, 7);
    QCOMPARE(seen.gauge, 6);
    QVERIFY2(seen.verifyTitle.startsWith("Alpha Pipeline"), qPrintable(seen.verifyTitle));
    QVERIFY(p.window.VerificationWindow()->isVisible());

    run(TRunMode::ScanUpdates);
    QCOMPARE(seen.scanLines, 1);
    QCOMPARE(p.window.ScannerView()->ShowList()->count(), 2);
    QVERIFY(p.window.ScannerView()->parentWidget()->isVisible());
    // Quit closes the scanner's window through its model.
    QTest::mouseClick(p.window.ScannerView()->Button("Quit"), Qt::LeftButton);
    QVERIFY(!p.window.ScannerView()->parentWidget()->isVisible());

    run(TRunMode::Test);
    QCOMPARE(seen.listingHeadings, 1);
    QStringList lines;
    TTechStuffPage* tech = p.window.TechStuffPage();
    for (int i = 0; i < tech->Lines()->count(); ++i) lines << tech->Lines()->item(i)->text();
    QCOMPARE(lines.filter(QRegularExpression("^0:")).size(), 2);
    // An option the model turns off shows at once: "type 6" off offers "Show Dockets".
    QVERIFY(tech->ShowDocketsBox()->isHidden());
    tech->findChildren<QCheckBox*>().at(2)->click();
    QVERIFY(!tech->ShowDocketsBox()->isHidden());
  }

  void aRunStartedByGoTakesWhatEachFileChoiceProposesWithoutADialog() {
    const QString out = dir_.path() + "/chosen";
    QDir().mkpath(out + "/scan");
    QStringList dialogs;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
      QWidget* modal = QApplication::activeModalWidget();
      if (auto* print = qobject_cast<TPrintToFileView*>(modal)) {
        // Not a file choice: the run's own timed dialog. Its Go saves the wait.
        QDialogButtonBox* box = print->findChild<QDialogButtonBox*>();
        for (QAbstractButton* b : box->buttons())
          if (box->buttonRole(b) == QDialogButtonBox::AcceptRole) b->click();
      } else if (auto* dialog = qobject_cast<QDialog*>(modal)) {
        dialogs << dialog->windowTitle();
        dialog->reject();
      }
    });
    watch.start(20);
    auto logged = [](TDesktopProgram& p, const QString& start) {
      for (const std::string& line : p.main.Log().Log())
        if (QString::fromStdString(line).startsWith(start)) return QString::fromStdString(line);
      return QString();
    };
    const QString lib = QDir(library_).canonicalPath();
    {
      // The export without TO: the library's own Database.txt.
      TDesktopProgram p({"FROM", library_, "UNZIP", "DATA", "ALL", "GO"});
      QCOMPARE(p.window.LastResult(), TGoResult::Ran);
      QCOMPARE(logged(p, "Save delimited file as:"), "Save delimited file as: -> " + lib + "/Database.txt");
      QVERIFY(QFile(lib + "/Database.txt").size() > 0);
    }
    {
      // The scan's since date is taken as proposed; its report goes beside the prime file named.
      TDesktopProgram p({"FROM", library_, "UNZIP", "SCAN", "RECENT", "30", "TO", out + "/scan/Prime4", "GO"});
      QCOMPARE(p.window.LastResult(), TGoResult::Ran);
      QVERIFY(logged(p, "Pick a Date: Include tariff volumes updated since: -> ").size() > 0);
      QVERIFY(QFile::exists(out + "/scan/AllUpdts.txt"));
    }
    {
      // One print file named by TO.
      TDesktopProgram p({"FROM", library_, "UNZIP", "PRINT", "TO", out + "/all.prn", "ALL", "GO"});
      QCOMPARE(p.window.LastResult(), TGoResult::Ran);
      QCOMPARE(logged(p, "Print To File -> "), "Print To File -> " + out + "/all.prn");
      QVERIFY(QFile(out + "/all.prn").size() > 0);
    }
    QCOMPARE(dialogs, QStringList());
    // Later, by hand, the same choice is a dialog again.
    TDesktopProgram p({"FROM", library_, "UNZIP", "DATA", "ALL"});
    p.window.Go();
    QCOMPARE(dialogs, QStringList({"Save delimited file as:"}));
  }

  void tariffVolumesShowsEveryColumnWholeAtAnyWidthLeft() {
    TDesktopProgram p({"FROM", library_, "UNZIP", "ALL", "GO"});
    QTableView* table = p.Table();
    QMdiSubWindow* window = p.window.VolumeListWindow();
    // The texts of the short columns fit their columns, and every column's
    // right edge is inside the window: at the opening size and tiled three
    // across a 1600 px screen, less the frames.
    for (int width : {window->width(), 520, 440}) {
      window->resize(width, window->height());
      QApplication::processEvents();
      const int shown = table->viewport()->width();
      for (int c = 1; c < table->model()->columnCount(); ++c) {
        if (table->isColumnHidden(c)) continue;
        const QString what = QString("column %1 at %2 px").arg(c).arg(width);
        QVERIFY2(table->columnViewportPosition(c) + table->columnWidth(c) <= shown, qPrintable(what));
        for (int r = 0; r < table->model()->rowCount(); ++r) {
          const QString text = table->model()->index(r, c).data().toString();
          QVERIFY2(table->fontMetrics().horizontalAdvance(text) < table->columnWidth(c), qPrintable(what + ": " + text));
        }
      }
      // The company name gives way, but keeps a readable start and shows whole as a tip.
      QVERIFY(table->columnWidth(0) >= table->fontMetrics().horizontalAdvance("Alpha Pipe"));
      QCOMPARE(table->model()->index(0, 0).data(Qt::ToolTipRole).toString(),
               table->model()->index(0, 0).data().toString());
    }

    // Five windows tiled on a 1600 px screen: three columns, each inside the
    // area (no window's least width spreads them past it), Updated in view.
    p.window.resize(1600, 860);
    QApplication::processEvents();
    p.window.ShowFindInLibrary();
    p.window.ShowSelectorSummary();
    MenuAction(p.window, "Log")->trigger();
    MenuAction(p.window, "Tile")->trigger();
    QApplication::processEvents();
    const QRect area = p.window.Mdi()->viewport()->rect();
    for (QMdiSubWindow* w : p.window.Mdi()->subWindowList())
      if (w->isVisible()) QVERIFY2(area.contains(w->geometry()), qPrintable(w->windowTitle()));
    const int updated = table->model()->columnCount() - 1;
    QVERIFY(table->columnViewportPosition(updated) + table->columnWidth(updated) <= table->viewport()->width());
  }

  void theSelectorSummaryNeverOverlapsItsTexts() {
    TDesktopProgram p({"FROM", library_, "UNZIP", "RECENT", "30"});
    TSelection& selection = p.main.State().Selection;
    selection.StatusSelect = true;
    selection.TypeSelect = true;
    QVERIFY(selection.ParseBound("1", TBound::From) && selection.ParseBound("9", TBound::To));
    selection.SheetNoSelect = true;
    auto check = [&](const char* when) {
      QMdiSubWindow* window = p.window.SummaryWindow();
      QVERIFY(window && window->isVisible());
      QApplication::processEvents();
      const QStringList overlaps = Overlaps(window->widget());
      QVERIFY2(overlaps.isEmpty(), qPrintable(QString(when) + ": " + overlaps.join("; ") + QString(" at %1x%2").arg(window->width()).arg(window->height())));
    };
    p.window.SummaryWindow()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    p.window.ShowSelectorSummary();
    check("opened");
    MenuAction(p.window, "Tile")->trigger();
    check("tiled");
    p.window.SummaryWindow()->resize(1, 1);
    check("smallest");
    p.window.SummaryWindow()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QFont large = QApplication::font();
    large.setPointSizeF(large.pointSizeF() * 1.6);
    QApplication::setFont(large);
    p.window.ShowSelectorSummary();
    check("large font");
    MenuAction(p.window, "Tile")->trigger();
    check("large font, tiled");
  }

  void aLandscapeSheetScrollsSidewaysAndItsImageIsWiderThanHigh() {
    TDesktopProgram p({"FROM", library_, "UNZIP", "ALL", "GO"});
    TSheetListView* view = p.window.SheetListView();
    p.main.SheetList().Select(5);
    view->ShowThisSheet();
    auto* lines = view->TextView()->findChild<QListWidget*>("sheetTextLines");
    QVERIFY(lines);
    QTRY_VERIFY(lines->horizontalScrollBar()->maximum() > 0);
    const QString longest = lines->item(lines->count() - 1)->text();
    QVERIFY(longest.endsWith("end of a landscape line"));
    lines->horizontalScrollBar()->setValue(lines->horizontalScrollBar()->maximum());

    view->ShowPrintImage();
    QWidget* frame = view->ImageFrame();
    QVERIFY(frame->isVisible());
    QVERIFY(view->ImageView()->Box()->width() > view->ImageView()->Box()->height());
    QVERIFY(frame->width() > frame->height());
    // The next sheet is portrait: the page turns and the window follows.
    view->ImageView()->findChildren<QPushButton*>().at(0)->click();  // Previous
    QVERIFY(view->ImageView()->Box()->width() < view->ImageView()->Box()->height());
  }

  void badInputIsAnsweredClearly() {
    // A file that is not a library: refused before anything is listed.
    const QString notLibrary = dir_.path() + "/text";
    QDir().mkpath(notLibrary);
    QFile text(notLibrary + "/Prime4");
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write("These are notes, not a library.\n");
    text.close();
    QStringList seen;
    QTimer answers;
    QObject::connect(&answers, &QTimer::timeout, [&] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        seen << box->text();
        box->button(QMessageBox::Ok)->click();
      }
    });
    answers.start(20);
    {
      TDesktopProgram p({"FROM", notLibrary, "UNZIP"});
      QCOMPARE(p.Table()->model()->rowCount(), 0);
      QCOMPARE(seen.size(), 1);
      QVERIFY(seen[0].endsWith("is not the prime file of a library; nothing was opened."));
    }
    seen.clear();
    TDesktopProgram p({"FROM", library_, "UNZIP"});
    // An ID no volume has.
    auto* id = p.window.ControlPanel()->findChild<QLineEdit*>("IdEdit");
    QVERIFY(id);
    id->setText("999999");
    QTest::keyClick(id, Qt::Key_Return);
    QCOMPARE(seen, QStringList({"No volume has the company ID 999999"}));
    QCOMPARE(p.main.VolumeList().MarkedCount(), size_t(0));
    // Go in a criteria dialog with nothing marked answers as the main Go does.
    seen.clear();
    emit p.window.CriteriaPanel()->runNowRequested();
    QCOMPARE(seen, QStringList({"No tariff volumes are selected"}));
    QCOMPARE(p.window.LastResult(), TGoResult::NothingMarked);

    // The From dialog offers the library's prime file, not the legacy "Prime" beside it.
    QVERIFY(QFile::exists(library_ + "/Prime") && QFile::exists(library_ + "/Prime4"));
    QStringList offered;
    QTimer files;
    QObject::connect(&files, &QTimer::timeout, [&] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      auto* view = dialog ? dialog->findChild<QListView*>("listView") : nullptr;
      if (!view || view->model()->rowCount(view->rootIndex()) == 0) return;  // still reading the folder
      for (int r = 0; r < view->model()->rowCount(view->rootIndex()); ++r)
        offered << view->model()->index(r, 0, view->rootIndex()).data().toString();
      dialog->reject();
    });
    files.start(20);
    MenuAction(p.window, "&Open...")->trigger();
    QCOMPARE(offered, QStringList({"Prime4"}));
  }

  void aRunThatListsNothingShowsAnEmptyList() {
    TDesktopProgram p({"FROM", library_, "UNZIP", "ALL", "GO"});
    THdrForm& form = p.main.SheetList();
    QVERIFY(form.Caption() != "Tariff Sheet List");
    // No volume holds sheet 99: the list and its caption are empty.
    TSelection& selection = p.main.State().Selection;
    QVERIFY(selection.ParseBound("99", TBound::From) && selection.ParseBound("99", TBound::To));
    selection.SheetNoSelect = true;
    p.window.Go();
    QCOMPARE(form.Count(), size_t(0));
    QCOMPARE(p.window.SheetListView()->windowTitle(), QString("Tariff Sheet List"));
    QCOMPARE(p.window.SheetListView()->StatusText(), QString("    No Sheets"));
  }

 private:
  QTemporaryDir dir_;
  QString library_;
};

QTEST_MAIN(AllDayDesktopTest)
#include "AllDayDesktopTest.moc"
