// vorne-screens: a scripted session of the desktop program on a library,
// run offscreen, that saves a picture of each window and dialog under a
// folder, named after the window. `make screenshots` runs it on the demo
// library. To add a window: add a Shot (or a ModalShot for a dialog) below.
//
//   vorne-screens <library folder> <output folder>
#include <QCheckBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QPushButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDockWidget>
#include <QItemSelectionModel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QListWidget>
#include <QMenuBar>
#include <QScrollBar>
#include <QPixmap>
#include <QTableView>
#include <QTimer>
#include <cstdio>
#include <functional>

#include "copy/CopyErrors.h"
#include "filings/CompanyCheck.h"
#include "filings/Type0Dialog.h"
#include "filings/Verifier.h"
#include "gui/CheckWindows.h"
#include "gui/CompareView.h"
#include "gui/ControlPanel.h"
#include "gui/CriteriaDialogs.h"
#include "gui/CriteriaPanel.h"
#include "gui/EditDialogs.h"
#include "gui/FilingDialogs.h"
#include "gui/FindInLibraryView.h"
#include "gui/LibrariesPanelView.h"
#include "gui/MainWindow.h"
#include "gui/NotepadDialog.h"
#include "gui/PrintImageView.h"
#include "gui/PrintToFileView.h"
#include "gui/QtUserPort.h"
#include "gui/RunWindows.h"
#include "gui/SheetListView.h"
#include "gui/SheetTextView.h"
#include "gui/SmallWindows.h"
#include "gui/VolumeListView.h"
#include "platform/FileSystem.h"
#include "sheets/Compare.h"
#include "sheets/SheetList.h"
#include "sheets/SheetText.h"
#include "sheets/Superseder.h"
#include "shell/Main.h"
#include "shell/MainCommands.h"
#include "shell/Modes.h"
#include "store/Common.h"
#include "store/Headers.h"

namespace vorne {
namespace {

class TSession {
 public:
  explicit TSession(const QString& out) : out_(out) { QDir().mkpath(out); }

  // Saves a picture of a widget as <name>.png.
  void Shot(QWidget* w, const QString& name) {
    QApplication::processEvents();
    const QString path = out_ + "/" + name + ".png";
    if (w->grab().save(path))
      std::printf("%s\n", path.toLocal8Bit().constData());
    else
      std::fprintf(stderr, "could not save %s\n", path.toLocal8Bit().constData());
    ++count_;
  }

  // Runs open(), which shows a modal dialog; the first modal window it
  // shows is saved as <name>.png, and every modal window is then closed.
  void ModalShot(const QString& name, const std::function<void()>& open) {
    bool taken = false;
    QTimer closer;
    closer.setInterval(150);
    QObject::connect(&closer, &QTimer::timeout, [&] {
      QWidget* modal = QApplication::activeModalWidget();
      if (!modal) return;
      if (!taken) {
        taken = true;
        Shot(modal, name);
      }
      modal->close();
    });
    closer.start();
    open();
  }

  // Answers what a run asks while it goes: the "Print To File" dialog is
  // pictured once and sent to folder, message boxes are closed.
  void AnswerRun(const QString& folder, const QString& dialogName, const std::function<void()>& run,
                 QStringList files = {}) {
    bool taken = false, companyTaken = false;
    int refused = 0;
    QTimer answer;
    answer.setInterval(100);
    QObject::connect(&answer, &QTimer::timeout, [&] {
      QWidget* modal = QApplication::activeModalWidget();
      if (auto* d = qobject_cast<TPrintToFileView*>(modal)) {
        if (!taken) Shot(d, dialogName);
        taken = true;
        d->FolderLine()->setText(folder);
        d->GoButton()->click();
      } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        // The output of an import is added to; everything else is declined.
        QAbstractButton* yes = box->button(QMessageBox::Yes);
        if (yes && box->text() == "Add to existing file")
          yes->click();
        else
          box->close();
      } else if (auto* chooser = qobject_cast<QFileDialog*>(modal)) {
        if (files.isEmpty()) {
          chooser->reject();
        } else {
          // A dialog still reading its folder may refuse the answer: it is
          // given again at the next look until the dialog takes it.
          chooser->selectFile(files.first());
          if (auto* name = chooser->findChild<QLineEdit*>("fileNameEdit")) name->setText(files.first());
          static_cast<QDialog*>(chooser)->accept();
          if (!chooser->isVisible() || ++refused > 20) {
            if (chooser->isVisible()) chooser->reject();
            files.removeFirst();
            refused = 0;
          }
        }
      } else if (modal && modal->objectName() == "verifyCompanyDialog") {
        if (!companyTaken) Shot(modal, "verify-company-during-import");
        companyTaken = true;
        for (QPushButton* b : modal->findChildren<QPushButton*>())
          if (b->text() == "Use This") b->click();
      } else if (modal) {
        modal->close();
      }
    });
    answer.start();
    run();
  }

  int Count() const { return count_; }

 private:
  QString out_;
  int count_ = 0;
};

int Run(const QString& library, const QString& out) {
  QtUserPort port;
  AddFilingDialogViews(port);
  TEnv env{RealFileSystem(), port};
  TMain main(env);
  TMainWindow window(main, port);
  TSession s(out);
  window.resize(1280, 860);
  window.ParseCommandLine({"FROM", library, "UNZIP"});
  window.show();
  window.StartSplash();
  s.Shot(&window, "splash");

  window.Start();
  // Maximised on the offscreen screen is too small to show every column.
  window.showNormal();
  window.resize(1280, 860);
  window.Mdi()->tileSubWindows();
  s.Shot(&window, "main-window");
  s.Shot(window.ControlPanel(), "control-panel");

  // Two volumes marked, Go in Browse.
  QTableView* table = window.VolumeListView()->Table();
  table->selectionModel()->select(table->model()->index(0, 0),
                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
  table->selectionModel()->select(table->model()->index(2, 0),
                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
  s.Shot(window.VolumeListWindow(), "tariff-volumes");
  window.Go();
  window.Mdi()->tileSubWindows();
  s.Shot(window.SheetListWindow(), "tariff-sheet-list");
  s.Shot(&window, "main-window-after-browse");

  // Reading the listed sheets: a search hit in the sheet text window, the
  // sheet text itself, the header info, the notepad, the print image of a
  // portrait and of a landscape sheet, the Find and "Printer fonts" dialogs.
  TSheetListView* sheets = window.SheetListView();
  THdrForm& form = main.SheetList();
  s.ModalShot("find-in-text", [&] {
    TFindTextDialog find(&window);
    find.Edit()->setText("rate schedule");
    find.exec();
  });
  form.Select(0);
  sheets->FindInText("rate schedule", true);
  if (sheets->TextFrame()) s.Shot(sheets->TextFrame(), "sheet-text-search-hit");
  s.ModalShot("message-end-of-search", [&] { sheets->HaltClick(); });
  form.Select(1);
  sheets->ShowThisSheet();
  if (sheets->TextFrame()) s.Shot(sheets->TextFrame(), "sheet-text");
  sheets->Alt_EClick();
  if (sheets->InfoFrame()) s.Shot(sheets->InfoFrame(), "sheet-header-info");
  // Find in Library over the whole library; its index goes beside the pictures.
  qputenv("XDG_CACHE_HOME", (out + "/cache").toUtf8());
  window.ShowFindInLibrary();
  if (TFindInLibraryView* find = window.FindInLibraryView()) {
    find->QueryBox()->setText("\"rate schedule\" firm*");
    find->SearchNow();
    find->parentWidget()->resize(1240, 440);
    s.Shot(find->parentWidget(), "find-in-library");
    find->parentWidget()->hide();
  }
  form.SetMultiSelect(true);
  for (size_t i = 0; i < 3 && i < form.Count(); ++i) form.SetMarked(i, true);
  s.ModalShot("notepad", [&] { sheets->noteBtnClick(); });
  // Three marked lines and another line current: marks in the selection colours, the current line framed.
  if (form.Count() > 4) {
    form.SetMarked(1, false);
    form.SetMarked(3, true);
    form.Select(1);
    s.Shot(window.SheetListWindow(), "sheet-list-marked");
  }
  // The header editing dialog over marked sheets (the flag boxes show where
  // they disagree), its "Type 5 Edit" form, and the Sheet Superseder listing
  // the versions of the first sheets. Nothing is written: each is closed.
  {
    TEditForm edit(main.Env());
    edit.SetCluster(form.Cluster());
    edit.SetEndPos(form.EndPos());
    for (size_t i = 0; i < form.Count(); ++i)
      if (form.IsMarked(i) && form.Entries()[i].second) edit.AddSheet(form.Entries()[i].first, form.Entries()[i].second);
    edit.Activate();
    s.ModalShot("edit-header-records", [&] { TEditDialog(edit, &window).exec(); });
  }
  if (form.Count() > 0 && form.Entries()[0].second) {
    TEditForm edit(main.Env());
    edit.SetCluster(form.Cluster());
    edit.AddSheet(form.Entries()[0].first, form.Entries()[0].second);
    edit.SetChainIssuers(form.Issuers());
    edit.Activate();
    s.ModalShot("edit-type5", [&] { TEditDialog(edit, &window).exec(); });
    edit.Names5Click(0);
    s.ModalShot("type5-edit-issuers", [&] { TEditDialog(edit, &window).exec(); });
    std::vector<std::string> keys;
    for (size_t i = 0; i < form.Count() && keys.size() < 6; ++i)
      if (const TSheetPtr& sh = form.Entries()[i].second) keys.push_back(MakeSheetKey(sh->body.sheetNo));
    THdrMatch match(*form.Entries()[0].second->prime, nullptr);
    match.SetMatchList(keys);
    match.Load();
    std::vector<TSheetPtr> none;
    TSheetSuperseder superseder(main.Env());
    superseder.showModal = [&](TSheetSuperseder& sup) {
      if (sup.Dependents().size() > 1) sup.SetMarked(1, true);
      s.ModalShot("sheet-superseder", [&] { TSupersederDialog(sup, &window).exec(); });
      return false;
    };
    superseder.Run(match, none, "");
  }
  form.SetMultiSelect(false);
  // The widest landscape sheet listed, scrolled to the right end of its longest lines.
  int widest = -1;
  for (size_t i = 0, most = 0; i < form.Count(); ++i) {
    if (!form.Entries()[i].second || form.Entries()[i].second->body.orientation != uint8_t('L')) continue;
    form.Select(int(i));
    sheets->ShowThisSheet();
    if (sheets->Display() && size_t(sheets->Display()->MaxLineLength()) > most) {
      most = size_t(sheets->Display()->MaxLineLength());
      widest = int(i);
    }
  }
  if (widest >= 0) {
    form.Select(widest);
    sheets->ShowThisSheet();
    // The lines as a reader sees them (the search above ended in the copy view).
    if (sheets->Display()) sheets->Display()->ShowLineList();
    if (sheets->TextFrame()) {
      // Narrower than the sheet's 168-character lines: they scroll sideways.
      sheets->TextFrame()->resize(900, 520);
      QApplication::processEvents();
      // Whichever shows the text (the lines, or the box of the copy view)
      // is scrolled once its range follows the new width.
      for (auto* text : sheets->TextView()->findChildren<QAbstractScrollArea*>()) {
        if (!text->isVisible()) continue;
        if (auto* lines = qobject_cast<QAbstractItemView*>(text)) lines->doItemsLayout();
        QApplication::processEvents();
        text->horizontalScrollBar()->setValue(text->horizontalScrollBar()->maximum());
      }
      s.Shot(sheets->TextFrame(), "sheet-text-landscape");
    }
  }
  for (char orientation : {'P', 'L'}) {
    for (size_t i = 0; i < form.Count(); ++i) {
      if (form.Entries()[i].second && form.Entries()[i].second->body.orientation == uint8_t(orientation)) {
        form.Select(int(i));
        sheets->ShowPrintImage();
        const QString name = orientation == 'P' ? "print-image-portrait" : "print-image-landscape";
        if (sheets->ImageFrame()) s.Shot(sheets->ImageFrame(), name);
        if (sheets->ImageView()) s.Shot(sheets->ImageView()->Box(), name + "-page");
        break;
      }
    }
  }
  s.ModalShot("printer-fonts", [&] { TPrinterFontsDialog(&window).exec(); });
  // "Compare": the first listed sheet that has an older version, beside it.
  {
    TVersionPairs pairs;
    for (size_t i = 0; i < form.Count(); ++i) {
      if (!form.Entries()[i].second || !pairs.OlderVersion(*form.Entries()[i].second)) continue;
      form.Select(int(i));
      sheets->CompareClick();
      if (QWidget* frame = sheets->Comparing() ? sheets->Comparing()->Frame() : nullptr) {
        frame->resize(1100, 640);
        s.Shot(frame, "compare-versions");
        frame->hide();
      }
      break;
    }
  }
  // The main window with the sheet list, the sheet text and the header info.
  if (sheets->ImageFrame()) sheets->ImageFrame()->hide();
  window.SheetListWindow()->setGeometry(0, 0, 520, 640);
  window.SheetListWindow()->raise();
  if (sheets->TextFrame()) {
    sheets->TextFrame()->setGeometry(520, 0, 740, 300);
    sheets->TextFrame()->raise();
  }
  if (sheets->InfoFrame()) {
    sheets->InfoFrame()->move(520, 300);
    sheets->InfoFrame()->raise();
  }
  s.Shot(&window, "main-window-reading");

  // Closed with their crosses and called back from the Windows menu: whole, with their rows.
  for (QMdiSubWindow* w : {window.VolumeListWindow(), window.SheetListWindow()}) w->close();
  for (const char* item : {"Tariff Volumes", "Tariff Sheet List"})
    for (QAction* menu : window.menuBar()->actions())
      if (menu->menu())
        for (QAction* a : menu->menu()->actions())
          if (a->text() == item) a->trigger();
  s.Shot(window.VolumeListWindow(), "tariff-volumes-reopened");
  s.Shot(window.SheetListWindow(), "sheet-list-reopened");

  // A column head sorts through the volume list's own order.
  main.VolumeList().ColumnClick(6);
  s.Shot(window.VolumeListWindow(), "tariff-volumes-sorted-by-update");

  // The criteria dialogs, each opened by its box of the "Select Sheets" panel.
  TCriteriaPanelView* criteria = window.CriteriaPanel();
  auto dialogShot = [&](QCheckBox* box, const QString& name) {
    box->click();
    QApplication::processEvents();
    if (TCriteriaDialog* d = criteria->OpenDialog()) {
      s.Shot(d, name);
      d->reject();
      QApplication::processEvents();
    }
  };
  dialogShot(criteria->StatusBox(), "status-dialog");
  dialogShot(criteria->DateBox(), "select-sheets-by-date");
  dialogShot(criteria->TypeBox(), "sheet-type-dialog");
  dialogShot(criteria->SheetNoBox(), "pick-sheetno");
  main.VolumeList().RowClick(0);  // the docket box needs a volume clicked
  dialogShot(criteria->DocketBox(), "available-dockets");
  criteria->OtherButton()->click();
  s.Shot(window.ControlPanel(), "control-panel-other");
  criteria->OtherButton()->click();
  criteria->ShowSelectorsButton()->click();
  if (window.SummaryWindow()) s.Shot(window.SummaryWindow(), "select-sheets-by");

  // Messages and questions through the port.
  s.ModalShot("message-no-volumes-selected", [&] {
    main.VolumeList().Unselect();
    window.Go();
  });
  s.ModalShot("question-delete", [&] { port.Ask(kDeleteQuestion, TButtons::YesNo); });
  s.ModalShot("question-mark-deleted", [&] { port.Ask("Mark these 12 sheets Deleted", TButtons::OKCancelAbort); });
  s.ModalShot("from-dialog", [&] { FromClick(main); });
  s.ModalShot("pick-a-date", [&] {
    port.AskText("Pick a Date", "Include tariff volumes updated since: ", "1/5/2025");
  });
  s.ModalShot("type0-dialog", [&] {
    TType0Dialog d(port, "Alpine Valley Interstate Pipeline");
    port.RunDialog(d);
  });
  s.ModalShot("verify-company-dialog", [&] {
    TVerifyDlg d(env, {"VPATH", library.toStdString()});
    d.Ask("ALPINE VALLEY INTERSTATE PIPE LINE", 4217);
  });

  // The About menu and the small windows.
  s.ModalShot("help-winvorne2", [&] {
    THelpWindow help(&window);
    help.exec();
  });
  s.ModalShot("other-licences", [&] {
    TNoticesWindow notices(&window);
    notices.exec();
  });
  s.ModalShot("toolbox", [&] {
    TToolboxDialog toolbox(&window);
    toolbox.exec();
  });
  window.WhatsNewPane()->show();
  window.WhatsNewPane()->raise();
  s.Shot(&window, "whats-new");
  window.WhatsNewPane()->hide();
  window.LicencePane()->show();
  window.LicencePane()->raise();
  s.Shot(&window, "zlib-licence");
  window.LicencePane()->hide();

  main.Log().AddLine("index.htm: 2 sheets without text");
  main.Log().AddLine("004217.htm: docket RP96-1-000 has no sheets");
  window.LogWindow()->show();
  s.Shot(window.LogWindow(), "log");
  window.LogWindow()->hide();

  // HTML from the desktop: the "Print To File" dialog, then the progress
  // window in the middle of the run.
  QTemporaryDir scratch;
  auto runMode = [&](TRunMode mode) {
    main.ModeChanged(ChooseMode(main.State(), mode));
    window.refresh();
    main.VolumeList().SelectAll();
  };
  runMode(TRunMode::Html);
  main.onVolume = [&](size_t index, size_t, TPrimeRef&) {
    if (index == 1 && window.PublishingView()) s.Shot(window.PublishingView()->parentWidget(), "html-to-file");
  };
  s.AnswerRun(scratch.path() + "/site", "print-to-file", [&] { window.Go(); });
  runMode(TRunMode::PrintToFile);
  main.onVolume = [&](size_t index, size_t, TPrimeRef&) {
    if (index == 1 && window.PublishingView()) s.Shot(window.PublishingView()->parentWidget(), "printing-to-file");
  };
  s.AnswerRun(scratch.path() + "/prn", "print-to-file-print", [&] { window.Go(); });

  // Copy into a new library: the output-volume window while it fills.
  runMode(TRunMode::Copy);
  ChooseMerge(main.State(), TMergeChoice::Replace);
  main.State().ToPrimePath = (scratch.path() + "/copy/Prime4").toStdString();
  QDir().mkpath(scratch.path() + "/copy");
  main.OpenOutput();
  window.refresh();
  main.VolumeList().SelectAll();
  main.onVolume = [&](size_t index, size_t, TPrimeRef&) {
    if (index == 2 && window.CopyOutputView()) {
      window.CopyOutputView()->parentWidget()->resize(760, 320);
      s.Shot(window.CopyOutputView()->parentWidget(), "output-volumes-during-copy");
    }
  };
  s.AnswerRun(scratch.path(), "", [&] { window.Go(); });
  main.onVolume = nullptr;
  if (window.CopyOutputView()) s.Shot(window.CopyOutputView()->parentWidget(), "output-volumes-after-copy");
  // Closed after the run, the window comes back by Show.
  if (window.CopyOutputWindow()) window.CopyOutputWindow()->close();
  runMode(TRunMode::Copy);
  window.ControlPanel()->ShowButton()->click();
  if (window.CopyOutputWindow()) s.Shot(window.CopyOutputWindow(), "output-volumes-shown");
  // The false-duplicate report as a copy that met two of them shows it.
  TCopyErrors dups;
  dups.SetVolume("Alpha Pipeline Company: ZOAK Gas Tariff Original Volume No. 1");
  dups.ReportDocket("RP96-200-000");
  dups.ReportSheet("Second Revised Sheet No. 12");
  dups.ReportUsedIn("RP95-112-000");
  dups.ReportSheet("First Revised Sheet No. 13");
  dups.ReportUsedIn("RP95-112-000");
  dups.Show();
  s.ModalShot("copy-errors", [&] {
    TCopyErrorsView view(dups, env, kDupLogName, &window);
    view.exec();
  });
  main.ModeChanged(ChooseMode(main.State(), TRunMode::Browse));
  window.refresh();

  // Verify and Scan Updates over every volume.
  runMode(TRunMode::Verify);
  s.AnswerRun("", "", [&] { window.Go(); });
  if (window.VerificationView()) s.Shot(window.VerificationView()->parentWidget(), "verification-failures");
  runMode(TRunMode::ScanUpdates);
  s.AnswerRun("", "", [&] { window.Go(); });
  if (window.ScannerView()) s.Shot(window.ScannerView()->parentWidget(), "date-last-updated");
  if (window.ScannerView()) window.ScannerView()->parentWidget()->hide();
  main.ModeChanged(ChooseMode(main.State(), TRunMode::Browse));
  window.refresh();

  // A split copy (Multiple Out): one library per company below gsplit, and
  // the download page it saved, shown in "HTML Includes".
  const std::string demoPrime = main.State().InputCluster ? main.State().InputCluster->PrimePath() : std::string();
  const QString gsplit = scratch.path() + "/gsplit";
  runMode(TRunMode::Copy);
  main.State().SplitFlag = main.State().Controls.SplitChecked = true;
  main.State().ToPrimePath = (gsplit + "/GZPrime").toStdString();
  QDir().mkpath(gsplit);
  main.OpenOutput();
  window.refresh();
  s.AnswerRun("", "", [&] { window.Go(); });
  main.State().SplitFlag = main.State().Controls.SplitChecked = false;
  if (window.IncludesWindow()) {
    window.IncludesWindow()->resize(760, 560);
    s.Shot(window.IncludesWindow(), "html-includes");
    window.IncludesWindow()->close();
  }
  if (window.CopyOutputWindow()) window.CopyOutputWindow()->close();

  // Multiple In: the libraries panel on gsplit, two libraries marked.
  main.ModeChanged(ChooseMode(main.State(), TRunMode::Copy));
  main.State().LibraryRoot = gsplit.toStdString();
  window.ControlPanel()->GetLibrariesButton()->click();
  window.ControlPanel()->MultipleInBox()->click();
  if (main.Libraries().size() > 2) {
    main.Libraries()[0].selected = main.Libraries()[2].selected = true;
    window.refresh();
  }
  s.Shot(&window, "libraries-panel");
  // Verify once more, on one of those libraries that has failures: the window shows that run.
  const TLibraryEntry* flawed = nullptr;
  if (window.VerificationView())
    for (const TLibraryEntry& l : main.Libraries())
      for (const std::string& line : main.Windows().verification->FlawList)
        if (EqualNoCase(line, l.companyName)) flawed = &l;
  if (flawed) {
    const TLibraryEntry lib = *flawed;
    window.ControlPanel()->MultipleInBox()->click();
    window.LibrariesView()->findChild<QPushButton*>()->click();
    main.OpenPrimeFile((gsplit + "/" + QString::fromStdString(lib.folder) + "/GZPrime").toStdString());
    runMode(TRunMode::Verify);
    s.AnswerRun("", "", [&] { window.Go(); });
    if (window.VerificationView()) {
      window.VerificationWindow()->resize(620, 340);
      s.Shot(window.VerificationWindow(), "verify-second-run");
      window.VerificationWindow()->hide();
    }
  }
  if (!demoPrime.empty()) main.OpenPrimeFile(demoPrime);
  main.ModeChanged(ChooseMode(main.State(), TRunMode::Browse));
  window.refresh();

  // ExpertMode: the ID column, Make HTML, the longer Mode panel, the colours.
  main.SetExpertMode(true);
  window.refresh();
  s.Shot(window.VolumeListWindow(), "tariff-volumes-expert");
  s.Shot(&window, "main-window-expert");

  // The control panel hidden by its red cross.
  window.ControlDock()->hide();
  window.refresh();
  s.Shot(&window, "main-window-panel-hidden");
  window.ControlDock()->show();

  // Test: the header records of two volumes on the "Tech Stuff" page.
  main.ModeChanged(ChooseMode(main.State(), TRunMode::Test));
  window.refresh();
  main.VolumeList().SelectAll();
  for (size_t r = 2; r < main.VolumeList().Rows().size(); ++r) main.VolumeList().SetMarked(r, false);
  s.AnswerRun("", "", [&] { window.Go(); });
  window.SheetListWindow()->resize(760, 460);
  s.Shot(window.SheetListWindow(), "tech-stuff");

  // Add New Filing of a sample into a new library: the company dialog, the
  // output-volume window and the error log. Last: the new library opens.
  main.ModeChanged(ChooseMode(main.State(), TRunMode::AddNewFiling));
  window.refresh();
  QDir().mkpath(scratch.path() + "/import");
  // The library is chosen with "TO what Prime file:", as a person does.
  main.State().ToPrimePath.clear();
  main.State().ToDir.clear();
  main.State().OutputExists = false;
  s.AnswerRun("", "", [&] { window.Go(); },
              {scratch.path() + "/import/Prime4", QString(VORNE_SAMPLES) + "/AVI0105.ASC"});
  if (window.ImportOutputView()) {
    window.ImportOutputView()->parentWidget()->resize(760, 260);
    s.Shot(window.ImportOutputView()->parentWidget(), "output-volumes-after-import");
  }
  if (window.ErrorLogView()) {
    window.ErrorLogView()->parentWidget()->resize(640, 360);
    s.Shot(window.ErrorLogView()->parentWidget(), "error-log");
  }

  // ExpertMode is on since Add New Filing: the prime editor of the first
  // volume (closed without Update), and the question of the Delete mode.
  if (table->model()->rowCount() > 0) {
    table->setCurrentIndex(table->model()->index(0, 0));
    s.ModalShot("prime-editor", [&] { window.VolumeListView()->UpdateCodesAction()->trigger(); });
  }
  s.ModalShot("delete-question", [&] { port.Ask(kDeleteQuestion, TButtons::YesNo); });

  std::printf("%d pictures\n", s.Count());
  return 0;
}

}  // namespace
}  // namespace vorne

int main(int argc, char** argv) {
  // The offscreen platform warns about every window it cannot size to its hints.
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& msg) {
    if (!msg.contains("propagateSizeHints")) std::fprintf(stderr, "%s\n", msg.toLocal8Bit().constData());
  });
  QApplication app(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: vorne-screens <library folder> <output folder>\n");
    return 2;
  }
  return vorne::Run(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]));
}
