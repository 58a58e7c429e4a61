// The sheet list's Edit menu: shown only in ExpertMode; "Status" on marked
// sheets opens the editing dialog, whose OK writes the new status to the
// library and the list draws it.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "gui/EditDialogs.h"
#include "gui/SheetListView.h"
#include "platform/FileSystem.h"
#include "sheets/SheetList.h"
#include "store/Headers.h"
#include "support/LibraryBuilder.h"
#include "support/ScriptedPort.h"
#include "support/ShownSheetList.h"

using namespace vorne;
using namespace vorne::testing;

namespace {

TSheetPlan Sheet(const char* no, uint8_t status) {
  TSheetPlan s;
  s.sheetNo = no;
  s.lines = {std::string("Original Sheet No. ") + no, "text"};
  s.status = status;
  s.sheetType = 4;
  return s;
}

QAction* Action(QWidget* w, const QString& text) {
  for (QAction* a : w->findChildren<QAction*>())
    if (a->text() == text) return a;
  return nullptr;
}

}  // namespace

class EditMenuTest : public QObject, public vorne::testing::TShownSheetList {
  Q_OBJECT

 private slots:
  void init() {
    QVERIFY(dir_.isValid());
    TVolumePlan v;
    v.sheets = {Sheet("1", kSuspended), Sheet("2", kSuspended), Sheet("3", kSuspended)};
    prime_ = BuildLibrary(env_, (dir_.path() + "/lib").toStdString(), false, {v});
    QVERIFY(ShowFirstVolume(env_, prime_, false));
  }
  void cleanup() { CloseSheetList(); }

  void theMenuIsForExpertsOnly() {
    QAction* status = Action(view_.get(), "Status");
    QVERIFY(status);
    auto* menu = qobject_cast<QMenu*>(status->parent());
    QVERIFY(menu);
    QVERIFY(!menu->menuAction()->isVisible());
    view_->SetExpertMode(true);
    QVERIFY(menu->menuAction()->isVisible());
    QVERIFY(status->isEnabled());
  }

  void statusOfMarkedSheetsReachesTheDiskAndTheList() {
    view_->SetExpertMode(true);
    form_->SetMultiSelect(true);
    form_->SetMarked(0, true);
    form_->SetMarked(2, true);
    bool shown = false;
    QString caption;
    QTimer::singleShot(0, [&] {
      auto* dialog = qobject_cast<TEditDialog*>(QApplication::activeModalWidget());
      if (!dialog) return;
      shown = true;
      caption = dialog->windowTitle();
      dialog->StatusBox()->setCurrentIndex(kWithdrawn);
      QTest::mouseClick(dialog->OKButton(), Qt::LeftButton);
    });
    Action(view_.get(), "Status")->trigger();
    QVERIFY(shown);
    QCOMPARE(caption, QString(" For all marked sheets:  "));
    QVERIFY(port_.questions.empty());  // two marked sheets: nothing to ask

    // On disk, read afresh.
    TScriptedPort port;
    TEnv env{RealFileSystem(), port};
    TFileCluster c(env, false);
    QVERIFY(c.Open(prime_, false));
    c.ReadAll();
    THdrList l(*c.Volumes()[0], nullptr);
    l.Load();
    std::vector<int> statuses;
    for (const auto& g : l.Groups()) statuses.push_back(g.versions.front()->body.status);
    QCOMPARE(statuses, (std::vector<int>{kWithdrawn, kSuspended, kWithdrawn}));

    // In the list: withdrawn lines are struck out.
    QAbstractItemModel* m = view_->List()->model();
    QVERIFY(m->index(0, 0).data(Qt::FontRole).value<QFont>().strikeOut());
    QVERIFY(!m->index(1, 0).data(Qt::FontRole).value<QFont>().strikeOut());
    QVERIFY(m->index(2, 0).data(Qt::FontRole).value<QFont>().strikeOut());
  }

  void withoutMarksTheListAsksFirst() {
    view_->SetExpertMode(true);
    form_->Select(1);
    port_.QueueAnswer(TAnswer::Cancel);
    Action(view_.get(), "Docket")->trigger();
    QCOMPARE(port_.questions, (std::vector<std::string>{"Process all these sheets?"}));
    QVERIFY(form_->MultiSelect());
    QVERIFY(!QApplication::activeModalWidget());
  }

 private:
  QTemporaryDir dir_;
  TScriptedPort port_;
  TEnv env_{RealFileSystem(), port_};
  std::string prime_;
};

QTEST_MAIN(EditMenuTest)
#include "EditMenuTest.moc"
