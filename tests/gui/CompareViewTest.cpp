// "Compare" in the sheet list of the desktop program: the selected sheet
// beside its older version with captions, the changed lines and words marked
// on each side, the two texts scrolling together, Next and Previous change,
// a message when there is nothing to compare, and the printed comparison on
// one landscape page.
#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>

#include "gui/CompareView.h"
#include "gui/SheetListView.h"
#include "sheets/SheetList.h"
#include "support/DesktopProgram.h"
#include "support/LibraryBuilder.h"
#include "support/ScriptedPort.h"

using namespace vorne;
using namespace vorne::testing;

namespace {

TSheetPlan Version(int rev, uint8_t status, std::vector<std::string> body) {
  TSheetPlan s;
  s.sheetNo = "5";
  s.rev = rev;
  s.status = status;
  s.effectiveDate = PackDate(2004 + rev, 6, 1);
  s.lines = {rev == 0 ? "Original Sheet No. 5" : "Second Revised Sheet No. 5", "Original Sheet No. 5"};
  for (auto& l : body) s.lines.push_back(l);
  return s;
}

// The text of the first message box shown from now on, which is closed.
void AnswerNextMessage(QString* seen) {
  auto* timer = new QTimer;
  timer->setInterval(50);
  QObject::connect(timer, &QTimer::timeout, [timer, seen] {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      if (QObject* label = modal->findChild<QObject*>("qt_msgbox_label")) *seen = label->property("text").toString();
      modal->close();
      timer->deleteLater();
    }
  });
  timer->start();
}

// What the characters of a text edit's line have as their background.
QString Shaded(QTextEdit* edit, int line) {
  QString out;
  const QTextBlock block = edit->document()->findBlockByNumber(line);
  for (auto it = block.begin(); !it.atEnd(); ++it)
    if (it.fragment().charFormat().background().style() != Qt::NoBrush) out += "[" + it.fragment().text() + "]";
  return out;
}

}  // namespace

class CompareViewTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    library_ = dir_.path() + "/lib";
    TScriptedPort port;
    TEnv env{RealFileSystem(), port};
    std::vector<std::string> older, newer;
    for (int i = 0; i < 60; ++i) older.push_back("  Zone " + std::to_string(i) + "   0." + std::to_string(1000 + i));
    newer = older;
    newer[3] = "  Zone 3   6.9012";
    newer[50] = "  Zone 50   0.1050   (new rate)";
    newer.push_back("  Fuel retention   1.5%");
    TVolumePlan v;
    v.company = "Kestrel Gas Transmission";
    v.volumeName = "Second Revised Volume No. 1";
    v.sheets = {Version(2, kEffective, newer), Version(0, kSuperseded, older)};
    TSheetPlan other = Version(0, kEffective, {"GENERAL TERMS"});
    other.sheetNo = "6";
    v.sheets.push_back(other);
    BuildLibrary(env, library_.toStdString(), false, {v});
  }

  void comparesTheSelectedSheetWithItsOlderVersion() {
    TDesktopProgram program({"FROM", library_, "UNZIP", "ALL", "GO"});
    TSheetListView* list = program.window.SheetListView();
    THdrForm& form = program.main.SheetList();
    QCOMPARE(int(form.Count()), 3);
    form.Select(0);
    QPushButton* compare = nullptr;
    for (QPushButton* b : list->findChildren<QPushButton*>())
      if (b->text() == "Compare") compare = b;
    QVERIFY(compare);
    QTest::mouseClick(compare, Qt::LeftButton);
    QVERIFY(list->Comparing() && list->Comparing()->View());
    TCompareView* view = list->Comparing()->View();
    QVERIFY(list->Comparing()->Frame()->isVisible());
    QCOMPARE(view->windowTitle(), QString("Compare Versions: Second Revised Sheet No. 5"));

    // The captions: company, volume, sheet, status and effective date.
    const QList<QLabel*> labels = view->findChildren<QLabel*>();
    QStringList captions;
    for (QLabel* l : labels) captions << l->text();
    QVERIFY2(captions.contains("Kestrel Gas Transmission  -  Second Revised Volume No. 1\nOriginal Sheet No. 5\n"
                               "Superseded, effective 6/1/2004"),
             qPrintable(captions.join(" / ")));
    QVERIFY(captions.contains("Kestrel Gas Transmission  -  Second Revised Volume No. 1\nSecond Revised Sheet No. 5\n"
                              "Effective, effective 6/1/2006"));
    QCOMPARE(view->SummaryLabel()->text(), QString("3 lines changed, 1 added   (change 1 of 4)"));

    // Row by row: the superseding line, then the zones; the changed figure
    // shaded on both sides, the added line facing an empty row.
    QTextEdit* left = view->OlderText();
    QTextEdit* right = view->NewerText();
    QCOMPARE(left->document()->blockCount(), right->document()->blockCount());
    QCOMPARE(left->document()->findBlockByNumber(4).text(), QString("  Zone 3   0.1003"));
    QCOMPARE(Shaded(left, 4), QString("[0.1003]"));
    QCOMPARE(Shaded(right, 4), QString("[6.9012]"));
    QCOMPARE(Shaded(right, 51), QString("[   (new rate)]"));
    QCOMPARE(left->document()->findBlockByNumber(61).text(), QString());
    QCOMPARE(right->document()->findBlockByNumber(61).text(), QString("  Fuel retention   1.5%"));

    // Next change scrolls both texts down to the added line; Previous back.
    view->resize(900, 300);
    QApplication::processEvents();
    QVERIFY(!view->PreviousButton()->isEnabled());
    for (int i = 0; i < 3; ++i) QTest::mouseClick(view->NextButton(), Qt::LeftButton);
    QCOMPARE(view->SummaryLabel()->text(), QString("3 lines changed, 1 added   (change 4 of 4)"));
    QVERIFY(!view->NextButton()->isEnabled());
    QVERIFY(left->verticalScrollBar()->value() > 0);
    QCOMPARE(right->verticalScrollBar()->value(), left->verticalScrollBar()->value());
    right->verticalScrollBar()->setValue(right->verticalScrollBar()->value() / 2);
    QCOMPARE(left->verticalScrollBar()->value(), right->verticalScrollBar()->value());
    QTest::mouseClick(view->PreviousButton(), Qt::LeftButton);
    QCOMPARE(view->SummaryLabel()->text(), QString("3 lines changed, 1 added   (change 3 of 4)"));

    // Sheet 6 has no older version: a message, the window stays as it was.
    form.Select(2);
    QString message;
    AnswerNextMessage(&message);
    list->CompareClick();
    QCOMPARE(message, QString("Nothing to compare: sheet 6 revision 0 has no older version in its volume"));
    QCOMPARE(view->windowTitle(), QString("Compare Versions: Second Revised Sheet No. 5"));

    // Printed: one landscape page holding both texts.
    const QString pdf = dir_.path() + "/compare.pdf";
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    view->PrintTo(printer);
    QProcess info;
    info.start("pdfinfo", {pdf});
    QVERIFY(info.waitForFinished());
    const QString out = QString::fromUtf8(info.readAllStandardOutput());
    QVERIFY2(out.contains(QRegularExpression("Pages:\\s+1\\n")), qPrintable(out));
    const QRegularExpressionMatch size = QRegularExpression("Page size:\\s+([\\d.]+) x ([\\d.]+)").match(out);
    QVERIFY2(size.hasMatch() && size.captured(1).toDouble() > size.captured(2).toDouble(), qPrintable(out));
    QProcess text;
    text.start("pdftotext", {"-layout", pdf, "-"});
    QVERIFY(text.waitForFinished());
    const QString printed = QString::fromUtf8(text.readAllStandardOutput());
    QVERIFY2(printed.contains(QRegularExpression("-\\s+Zone 3\\s+0\\.1003\\s+\\+\\s+Zone 3\\s+6\\.9012")),
             qPrintable(printed));
    QVERIFY(printed.contains("3 lines changed, 1 added"));
  }

 private:
  QTemporaryDir dir_;
  QString library_;
};

QTEST_MAIN(CompareViewTest)
#include "CompareViewTest.moc"
