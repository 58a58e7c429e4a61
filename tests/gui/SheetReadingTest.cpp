// Reading sheets in the desktop program: a double click opens the sheet text
// window, which is minimised rather than closed and steps through the list;
// a text search marks its hits in the window's lines and "Find Next" goes on;
// "Info" opens the borderless header info window, which follows the list;
// the print image is a letter page at the screen's pixels per inch.
#include <QApplication>
#include <QFile>
#include <QRegularExpression>
#include <QListView>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "gui/HdrInfoView.h"
#include "gui/MainWindow.h"
#include "gui/PrintCanvas.h"
#include "gui/PrintImageView.h"
#include "gui/QtUserPort.h"
#include "gui/SheetListView.h"
#include "gui/SheetTextView.h"
#include "platform/FileSystem.h"
#include "sheets/HeaderInfo.h"
#include "sheets/SheetList.h"
#include "sheets/SheetText.h"
#include "shell/Main.h"
#include "support/LibraryBuilder.h"
#include "support/ScriptedPort.h"

using namespace vorne;
using namespace vorne::testing;

namespace {

TSheetPlan Sheet(const char* no, std::vector<std::string> lines, char orientation = 'P') {
  TSheetPlan s;
  s.sheetNo = no;
  s.lines = std::move(lines);
  s.orientation = orientation;
  return s;
}

struct TProgram {
  QtUserPort port;
  TEnv env{RealFileSystem(), port};
  TMain main{env};
  TMainWindow window{main, port};

  explicit TProgram(const QString& library) {
    window.ParseCommandLine({"FROM", library, "UNZIP", "ALL", "GO"});
    window.show();
    window.Start();
  }
  TSheetListView* List() { return window.SheetListView(); }
  void DoubleClick(int row) {
    QListView* list = List()->List();
    const QRect r = list->visualRect(list->model()->index(row, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, r.center());
  }
  QStringList TextLines() {
    QStringList out;
    QListWidget* lines = List()->TextView()->LineList();
    for (int i = 0; i < lines->count(); ++i) out << lines->item(i)->text();
    return out;
  }
  QList<int> Marked() {
    QList<int> out;
    QListWidget* lines = List()->TextView()->LineList();
    for (int i = 0; i < lines->count(); ++i)
      if (lines->item(i)->isSelected()) out << i;
    return out;
  }
  QPushButton* TextButton(const QString& caption) {
    for (QPushButton* b : List()->TextView()->findChildren<QPushButton*>())
      if (b->text() == caption) return b;
    return nullptr;
  }
};

// Closes the next message box ("End of Search") once it shows.
void CloseMessagesSoon(QStringList* seen) {
  auto* timer = new QTimer;
  timer->setInterval(50);
  QObject::connect(timer, &QTimer::timeout, [timer, seen] {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      if (seen) seen->append(modal->findChild<QObject*>("qt_msgbox_label") ? modal->findChild<QObject*>("qt_msgbox_label")->property("text").toString() : QString());
      modal->close();
      timer->deleteLater();
    }
  });
  timer->start();
}

}  // namespace

class SheetReadingTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    TScriptedPort port;
    TEnv env{RealFileSystem(), port};
    library_ = dir_.path() + "/lib";
    TVolumePlan v;
    v.company = "Alpha Pipeline Company";
    v.sheets = {Sheet("1", {"Original Sheet No. 1", "", "firm service under", "Rate Schedule FT"}),
                Sheet("2", {"Original Sheet No. 2", "", "nothing here"}, 'L'),
                Sheet("3", {"Original Sheet No. 3", "", "rate schedule IT", "and rate schedule FT"})};
    BuildLibrary(env, library_.toStdString(), false, {v});
  }

  void doubleClickShowsTheSheetAndCloseMinimises() {
    TProgram p(library_);
    QCOMPARE(p.main.SheetList().Count(), size_t(3));
    QVERIFY(!p.List()->TextFrame());
    p.DoubleClick(0);
    QVERIFY(p.List()->TextFrame());
    QVERIFY(p.List()->TextFrame()->isVisible());
    QVERIFY(!p.List()->TextFrame()->isMinimized());
    QCOMPARE(p.TextLines(), QStringList({"", "firm service under", "Rate Schedule FT"}));
    QCOMPARE(p.List()->TextView()->windowTitle(), QString("       1: Original Sheet No. 1"));

    QTest::mouseClick(p.TextButton("Next"), Qt::LeftButton);
    QCOMPARE(p.main.SheetList().SelectedIndex(), 1);
    QCOMPARE(p.TextLines(), QStringList({"", "nothing here"}));

    p.List()->TextFrame()->close();
    QVERIFY(p.List()->TextFrame()->isMinimized());
    QVERIFY(p.List()->Display()->Minimized());
    // A sheet picked while minimised is read when the window comes back.
    p.main.SheetList().Select(2);
    p.List()->ShowThisSheet();
    QVERIFY(!p.List()->TextFrame()->isMinimized());
    QCOMPARE(p.TextLines(), QStringList({"", "rate schedule IT", "and rate schedule FT"}));
  }

  void findInTextMarksEachHitAndFindNextGoesOn() {
    TProgram p(library_);
    p.main.SheetList().Select(0);
    p.List()->FindInText("rate schedule", true);
    QVERIFY(p.List()->Display()->FindWaiting());
    QVERIFY(p.List()->TextFrame()->isVisible());
    QCOMPARE(p.Marked(), QList<int>({2}));
    QVERIFY(p.TextButton("Find Next"));
    QVERIFY(p.TextButton("Stop search")->isVisible());

    QTest::mouseClick(p.TextButton("Find Next"), Qt::LeftButton);
    QCOMPARE(p.main.SheetList().SelectedIndex(), 2);
    QCOMPARE(p.Marked(), QList<int>({1, 2}));

    QStringList seen;
    CloseMessagesSoon(&seen);
    QTest::mouseClick(p.TextButton("Find Next"), Qt::LeftButton);
    QVERIFY(!p.List()->Display()->FindRunning());
    QCOMPARE(seen, QStringList({"End of Search"}));
    QVERIFY(p.TextButton("Exit"));
  }

  void infoOpensTheBorderlessHeaderWindowWhichFollowsTheList() {
    TProgram p(library_);
    p.main.SheetList().Select(0);
    p.List()->Alt_EClick();
    QVERIFY(p.List()->InfoFrame());
    QVERIFY(p.List()->InfoFrame()->isVisible());
    QVERIFY(p.List()->InfoFrame()->windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(p.List()->InfoView()->FieldText("SheetNo").trimmed(), QString("1"));
    QCOMPARE(p.List()->InfoView()->FieldText("Status"), QString("Effective"));
    p.main.SheetList().ListClick(1);
    QCOMPARE(p.List()->InfoView()->FieldText("SheetNo").trimmed(), QString("2"));
    QCOMPARE(p.List()->InfoView()->FieldText("Orientation"), QString("Landscape"));
  }

  void printImageIsALetterPageTurnedForLandscape() {
    TProgram p(library_);
    p.main.SheetList().Select(0);
    p.List()->ShowPrintImage();
    QVERIFY(p.List()->ImageFrame()->isVisible());
    TPrintBox* box = p.List()->ImageView()->Box();
    const int ppi = box->logicalDpiY();
    QCOMPARE(box->size(), QSize(8 * ppi, 11 * ppi));
    p.main.SheetList().Select(1);
    p.List()->ImageView()->refresh();
    QCOMPARE(box->size(), QSize(11 * ppi, 8 * ppi));
  }

  // What "Print" does after its dialog, with "Print to File (PDF)" chosen.
  void printingToAPdfFileTurnsThePageForALandscapeSheet() {
    TProgram p(library_);
    const QString file = dir_.path() + "/printed.pdf";
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    std::vector<TSheetPtr> sheets;
    for (const auto& entry : p.main.SheetList().Entries()) sheets.push_back(entry.second);
    TPrintCount count;
    {
      TQtPrinter port(printer);
      count = PrintSheets(p.main.SheetList().Cluster(), sheets, port);
      QCOMPARE(port.Pages(), 3);
    }
    QCOMPARE(QString::fromStdString(count.Message()), QString("3 sheets printed, 2 orientation changes"));
    QFile pdf(file);
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    // Pages P, L, P: the printer's paper upright, turned, upright.
    QStringList shapes;
    QRegularExpression box(R"(/MediaBox \[0 0 ([0-9.]+) ([0-9.]+)\])");
    for (auto it = box.globalMatch(QString::fromLatin1(bytes)); it.hasNext();) {
      const QRegularExpressionMatch m = it.next();
      shapes << (m.captured(1).toDouble() < m.captured(2).toDouble() ? "P" : "L");
    }
    QCOMPARE(shapes, QStringList({"P", "L", "P"}));
  }

 private:
  QTemporaryDir dir_;
  QString library_;
};

QTEST_MAIN(SheetReadingTest)
#include "SheetReadingTest.moc"
