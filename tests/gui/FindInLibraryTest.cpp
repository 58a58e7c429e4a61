// "Find in Library" in the desktop program: Ctrl+Shift+F opens it, typing
// searches after a pause, the hits show with their snippets in bold and the
// count; the scope and the criteria narrow them; Enter opens the hit in the
// sheet text window with its lines marked, and the sheet list follows.
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QRadioButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "gui/FindInLibraryView.h"
#include "gui/SheetListView.h"
#include "gui/SheetTextView.h"
#include "sheets/SheetList.h"
#include "sheets/SheetText.h"
#include "support/DesktopProgram.h"
#include "support/LibraryBuilder.h"
#include "support/ScriptedPort.h"

using namespace vorne;
using namespace vorne::testing;

namespace {

TSheetPlan Sheet(const char* no, std::vector<std::string> lines, uint8_t status = kEffective) {
  TSheetPlan s;
  s.sheetNo = no;
  s.lines = std::move(lines);
  s.status = status;
  return s;
}

QStringList Column(QTableView* table, int column, int role = Qt::DisplayRole) {
  QStringList out;
  for (int r = 0; r < table->model()->rowCount(); ++r) out << table->model()->index(r, column).data(role).toString();
  return out;
}

}  // namespace

class FindInLibraryTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    qputenv("XDG_CACHE_HOME", (dir_.path() + "/cache").toUtf8());
    TScriptedPort port;
    TEnv env{RealFileSystem(), port};
    library_ = dir_.path() + "/lib";
    TVolumePlan alpha;
    alpha.companyCode = 11;
    alpha.company = "Alpha Pipeline Company";
    alpha.sheets = {Sheet("1", {"Original Sheet No. 1", "firm service under", "Rate Schedule FT"}),
                    Sheet("2", {"Original Sheet No. 2", "nothing here"}),
                    Sheet("3", {"Original Sheet No. 3", "interruptible rate", "schedule IT"}, kPending)};
    TVolumePlan beta;
    beta.companyCode = 22;
    beta.company = "Beta Gas Company";
    beta.sheets = {Sheet("1", {"Original Sheet No. 1", "the rate schedule of Beta"})};
    BuildLibrary(env, library_.toStdString(), false, {alpha, beta});
  }

  void typingSearchesAndEnterOpensTheHit() {
    TDesktopProgram p({"FROM", library_, "UNZIP"});
    QAction* find = nullptr;
    for (QAction* a : p.window.findChildren<QAction*>())
      if (a->text() == "Find in &Library...") find = a;
    QVERIFY(find);
    QCOMPARE(find->shortcut(), QKeySequence("Ctrl+Shift+F"));
    find->trigger();
    TFindInLibraryView* view = p.window.FindInLibraryView();
    QVERIFY(view);
    QVERIFY(view->isVisible());
    QCOMPARE(view->windowTitle(), QString("Find in Library"));

    QTest::keyClicks(view->QueryBox(), "\"rate schedule\"");
    QCOMPARE(view->Results()->model()->rowCount(), 0);  // not before the pause
    QTRY_COMPARE(view->Results()->model()->rowCount(), 3);
    QCOMPARE(Column(view->Results(), 0),
             QStringList({"Alpha Pipeline Company", "Alpha Pipeline Company", "Beta Gas Company"}));
    QCOMPARE(Column(view->Results(), 2),
             QStringList({"Original Sheet No. 1", "Original Sheet No. 3", "Original Sheet No. 1"}));
    QCOMPARE(Column(view->Results(), 3), QStringList({"Effective", "Pending", "Effective"}));
    QCOMPARE(Column(view->Results(), 5, Qt::UserRole + 1).at(1),
             QString("No. 3 interruptible <b>rate schedule</b> IT"));
    QVERIFY(view->CountLabel()->text().startsWith("3 sheets found in "));

    // Marked volumes only: Beta alone.
    p.MarkRow(1);
    view->MarkedOnlyButton()->setChecked(true);
    QCOMPARE(Column(view->Results(), 0), QStringList({"Beta Gas Company"}));
    view->WholeLibraryButton()->setChecked(true);
    // The criteria's status filter.
    p.main.State().Selection.StatusSelect = true;
    p.main.State().Selection.StatusSet = {kPending};
    view->CriteriaBox()->setChecked(true);
    QCOMPARE(Column(view->Results(), 2), QStringList({"Original Sheet No. 3"}));

    // Enter on the hit: the sheet list lists Alpha and selects sheet 3,
    // whose text window marks the two lines of the phrase.
    view->Results()->setFocus();
    view->Results()->selectRow(0);
    QTest::keyClick(view->Results(), Qt::Key_Return);
    QCOMPARE(p.main.SheetList().SelectedIndex(), 0);
    QCOMPARE(p.main.SheetList().Count(), size_t(1));
    TSheetDisplay* display = p.window.SheetListView()->Display();
    QVERIFY(display);
    QCOMPARE(display->Sheet()->body.sheetNo.substr(0, 1), std::string("3"));
    QCOMPARE(std::vector<int>(display->MarkedLines().begin(), display->MarkedLines().end()),
             std::vector<int>({0, 1}));
    QVERIFY(p.window.SheetListView()->TextFrame()->isVisible());

    // A query it cannot read says where; nothing is listed.
    view->QueryBox()->setText("rate OR");
    view->SearchNow();
    QCOMPARE(view->Results()->model()->rowCount(), 0);
    QCOMPARE(view->CountLabel()->text(), QString("character 6: OR needs a part after it"));
  }

  // Typing on while the first search builds the index (its progress lets
  // events run): the newest query is searched once the index is built.
  void typingOnWhileTheIndexIsBuilt() {
    qputenv("XDG_CACHE_HOME", (dir_.path() + "/cache-typed").toUtf8());
    TDesktopProgram p({"FROM", library_, "UNZIP"});
    p.window.ShowFindInLibrary();
    TFindInLibraryView* view = p.window.FindInLibraryView();
    QVERIFY(view);
    view->QueryBox()->setText("firm");
    bool typed = false;
    QTimer::singleShot(0, view, [&] {
      typed = true;
      view->QueryBox()->setText("beta");
      view->SearchNow();
    });
    view->SearchNow();
    QVERIFY(typed);
    QCOMPARE(Column(view->Results(), 0), QStringList({"Beta Gas Company"}));
    QVERIFY(view->CountLabel()->text().startsWith("1 sheet found in "));
    qputenv("XDG_CACHE_HOME", (dir_.path() + "/cache").toUtf8());
  }

 private:
  QTemporaryDir dir_;
  QString library_;
};

QTEST_MAIN(FindInLibraryTest)
#include "FindInLibraryTest.moc"
