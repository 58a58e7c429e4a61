// The sheet list window's view: each line drawn with the style its own model
// row gives, the plain style, multi-select marking in the model, and the
// sheet list copied to the clipboard.
#include <QApplication>
#include <QClipboard>
#include <QFont>
#include <QListView>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "gui/SheetListView.h"
#include "platform/FileSystem.h"
#include "sheets/SheetList.h"
#include "support/LibraryBuilder.h"
#include "support/ScriptedPort.h"
#include "support/ShownSheetList.h"

using namespace vorne;
using namespace vorne::testing;

namespace {

TSheetPlan Sheet(const char* no, const char* title, uint8_t status, uint8_t type) {
  TSheetPlan s;
  s.sheetNo = no;
  s.lines = {title, "text"};
  s.status = status;
  s.sheetType = type;
  return s;
}

QPushButton* Button(QWidget* w, const QString& caption) {
  for (QPushButton* b : w->findChildren<QPushButton*>())
    if (b->text() == caption) return b;
  return nullptr;
}

}  // namespace

class SheetListViewTest : public QObject, public vorne::testing::TShownSheetList {
  Q_OBJECT

 private slots:
  void init() {
    QVERIFY(dir_.isValid());
    TVolumePlan v;
    v.company = "Alpha Pipeline Company";
    v.sheets = {Sheet("1", "Original Sheet No. 1", kEffective, 5),
                Sheet("2", "Original Sheet No. 2", kPending, 0),
                Sheet("3", "Original Sheet No. 3", kSuperseded, 3)};
    const std::string prime = BuildLibrary(env_, (dir_.path() + "/lib").toStdString(), false, {v});
    QVERIFY(ShowFirstVolume(env_, prime, false));
  }
  void cleanup() { CloseSheetList(); }

  void eachLineTakesItsStyleFromItsOwnRow() {
    QAbstractItemModel* m = view_->List()->model();
    QCOMPARE(m->rowCount(), 3);
    auto font = [&](int r) { return m->index(r, 0).data(Qt::FontRole).value<QFont>(); };
    auto colour = [&](int r) { return m->index(r, 0).data(Qt::ForegroundRole).value<QColor>(); };
    QVERIFY(font(0).bold());
    QCOMPARE(colour(0), QColor(0, 0, 255));
    QVERIFY(font(1).italic() && !font(1).bold());
    // A type without a colour is black, not the blue of the line above it.
    QCOMPARE(colour(1), QColor(0, 0, 0));
    QVERIFY(font(2).strikeOut());
    QCOMPARE(colour(2), QColor(0, 128, 0));
    QVERIFY(font(0).fixedPitch() || QFontInfo(font(0)).fixedPitch());
  }

  void theDelegatePaintsTheModelsBackground() {
    QListView* list = view_->List();
    form_->Select(2);  // the selected line (a rate sheet) is the mark: drawn in the selection colour
    QApplication::processEvents();
    const QImage image = list->viewport()->grab().toImage();
    const QRect row0 = list->visualRect(list->model()->index(0, 0));
    const QRect row2 = list->visualRect(list->model()->index(2, 0));
    QCOMPARE(QColor(image.pixel(row0.right() - 8, row0.center().y())), QColor(255, 255, 255));
    QCOMPARE(QColor(image.pixel(row2.right() - 8, row2.center().y())),
             list->palette().color(QPalette::Active, QPalette::Highlight));
  }

  void thePlainStyleDrawsAsAnyList() {
    QTest::mouseClick(Button(view_.get(), "go Plain"), Qt::LeftButton);
    QVERIFY(!form_->OwnerDrawn());
    QVERIFY(!view_->List()->model()->index(0, 0).data(Qt::ForegroundRole).isValid());
    QVERIFY(Button(view_.get(), "Fancy"));
  }

  void multiSelectMarksTheSheetsInTheModel() {
    QTest::mouseClick(Button(view_.get(), "go Multi"), Qt::LeftButton);
    QVERIFY(form_->MultiSelect());
    QListView* list = view_->List();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(2, 0)).center());
    QVERIFY(form_->IsMarked(2));
    QCOMPARE(form_->SelectedSheets().size(), size_t(2));  // the selected line stayed marked
    QTest::mouseClick(Button(view_.get(), "All"), Qt::LeftButton);
    QVERIFY(form_->IsMarked(0) && form_->IsMarked(1) && form_->IsMarked(2));
  }

  void theSheetListIsCopiedToTheClipboard() {
    view_->activateWindow();
    view_->List()->setFocus();
    QTest::keyClick(view_->List(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QString::fromStdString(form_->CopySheetListClick()));
    QVERIFY(QApplication::clipboard()->text().contains("Original Sheet No. 3"));
  }

 private:
  QTemporaryDir dir_;
  TScriptedPort port_;
  TEnv env_{RealFileSystem(), port_};
};

QTEST_MAIN(SheetListViewTest)
#include "SheetListViewTest.moc"
