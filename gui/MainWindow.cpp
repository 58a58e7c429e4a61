#include "gui/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDate>
#include <QDateTime>
#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMouseEvent>
#include <QProgressBar>
#include <QStatusBar>
#include <QTimer>

#include "copy/CopyErrors.h"
#include "filings/FilingImport.h"
#include "filings/Verifier.h"
#include "gui/CheckWindows.h"
#include "gui/ControlPanel.h"
#include "gui/DebugLogView.h"
#include "gui/FindInLibraryView.h"
#include "gui/IncludesView.h"
#include "gui/LibrariesPanelView.h"
#include "gui/PrimeEditorView.h"
#include "gui/PrintImageView.h"
#include "gui/PrintToFileView.h"
#include "gui/QtUserPort.h"
#include "gui/RunWindows.h"
#include "gui/SelectorSummary.h"
#include "gui/SheetListView.h"
#include "gui/SmallWindows.h"
#include "gui/Text1252.h"
#include "gui/VolumeListView.h"
#include "platform/Paths.h"
#include "shell/FindInLibrary.h"
#include "shell/Main.h"
#include "shell/CopyRuns.h"
#include "shell/MainCommands.h"
#include "shell/MultipleIn.h"
#include "shell/Modes.h"
#include "shell/RunState.h"
#include "shell/ScanUpdates.h"
#include "sheets/SheetText.h"
#include "store/Errors.h"
#include "volumes/ExportDockets.h"
#include "volumes/HtmlIncludes.h"

namespace vorne {

namespace {

const QColor kNavy(0, 0, 128), kAqua(0, 255, 255), kPurple(128, 0, 128);

// How long after the start sequence a new size of the main window (the
// window system maximising it) tiles the windows again.
constexpr qint64 kRetileMs = 3000;

// A window's first size: what it asks for, but inside the area that shows it.
QSize FitInside(const QSize& wanted, const QSize& area) {
  if (area.width() < 200 || area.height() < 150) return wanted;  // the area has no size of its own yet
  return wanted.boundedTo(area);
}

// The Mode menu: caption and RunMode.
const std::pair<const char*, TRunMode> kModeMenu[] = {
    {"&Browse", TRunMode::Browse},       {"&Copy", TRunMode::Copy},         {"Add New Filing", TRunMode::AddNewFiling},
    {"&Verify", TRunMode::Verify},       {"Scan&When", TRunMode::ScanUpdates}, {"Database", TRunMode::Database},
    {"HTMLprint", TRunMode::Html},
};

}  // namespace

TMainWindow::TMainWindow(TMain& main, QtUserPort& port, QWidget* parent)
    : QMainWindow(parent), main_(main), port_(port) {
  setObjectName("mainWindow");
  port_.SetWindow(this);
  port_.SetButtonWords(kDeleteQuestion, "Delete?", "Entire volumes", "Selected sheets only");
  setWindowTitle(QCoreApplication::applicationFilePath() + " " + ProgramDate());

  mdi_ = new QMdiArea;
  mdi_->setObjectName("mdi");
  mdi_->viewport()->installEventFilter(this);
  // Windows wider than the area scroll it; they never make the main window grow past the screen.
  mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setCentralWidget(mdi_);

  volumeView_ = new TVolumeListView(main_.VolumeList(), [this] { return int(main_.State().RunMode); });
  sheetView_ = new TSheetListView(main_.SheetList());
  logView_ = new TDebugLogView(main_.Log());
  volumeWindow_ = AddWindow(volumeView_, {720, 320});
  sheetWindow_ = AddWindow(sheetView_, {520, 380});
  logWindow_ = AddWindow(logView_, {480, 240});

  controls_ = new TControlPanel(main_);
  dock_ = new QDockWidget;
  dock_->setObjectName("controlDock");
  dock_->setWindowTitle("Control panel");
  dock_->setWidget(controls_);
  dock_->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
  addDockWidget(Qt::BottomDockWidgetArea, dock_);
  dock_->hide();  // until the start sequence places it

  for (int i = 0; i < 6; ++i) {
    panels_[size_t(i)] = new QLabel;
    panels_[size_t(i)]->setObjectName(QString("statusPanel%1").arg(i));
    statusBar()->addWidget(panels_[size_t(i)], i % 3 == 2 ? 1 : 2);
  }
  runGauge_ = new QProgressBar;
  runGauge_->setObjectName("runGauge");
  runGauge_->setMaximumWidth(220);
  runGauge_->hide();
  statusBar()->addPermanentWidget(runGauge_);
  port_.SetStatusSink([this](int panel, const QString& text) {
    if (panel >= 0 && panel < 6) panels_[size_t(panel)]->setText(text);
  });

  splash_ = new TSplash(this);
  splash_->hide();
  whatsNew_ = new TNotePane("whatsNew", WhatsNewText(), this);
  licence_ = new TNotePane("licence", LicenceText(), this);
  initTimer_ = new QTimer(this);
  initTimer_->setInterval(500);

  BuildMenus();

  // The sheet text, header info and print image windows open from the sheet list.
  sheetView_->SetWindowHost([this](QWidget* view, const QSize& size, bool frameless) -> QWidget* {
    QMdiSubWindow* window = AddWindow(view, size);
    if (frameless) window->setWindowFlags(Qt::SubWindow | Qt::FramelessWindowHint);
    return window;
  });
  sheetView_->SetSelection(&main_.State().Selection);

  // "Enough!" in the sheet list stops the volume list's loop.
  main_.SheetList().onEnough = [this] { main_.VolumeList().EnoughClick(); };
  // The windows the runs open get their views here.
  main_.Windows().onChanged = [this] { SyncRunWindows(); };
  main_.Windows().showPrintDialog = [this](TFilePrintDialog& dialog) { TPrintToFileView::Run(dialog, this); };
  if (TRecordListing* listing = main_.Windows().listing) {
    techStuff_ = new TTechStuffPage(*listing);
    sheetView_->SetTechStuffPage(techStuff_);
  }
  // The gauge moves whenever the volume list tells of a change, which a run
  // does at each volume it steps to.
  connect(volumeView_, &TVolumeListView::changed, this, &TMainWindow::RefreshGauge);
  connect(logView_, &TDebugLogView::saveRequested, this, [this] {
    auto file = port_.ChooseSaveFile({"Save the log as", "HTMLBugs.txt", "*.txt"});
    if (file && !file->empty()) main_.Log().SaveAs(*file);
  });

  connect(initTimer_, &QTimer::timeout, this, &TMainWindow::Tick);
  connect(splash_, &TSplash::startRequested, this, [this] {
    if (main_.State().Started) {
      splash_->hide();
      initTimer_->stop();
    } else {
      Start();
    }
  });
  connect(volumeView_, &TVolumeListView::goRequested, this, &TMainWindow::Go);
  connect(volumeView_, &TVolumeListView::updateCodesRequested, this, &TMainWindow::UpdateCodes);
  connect(sheetView_, &TSheetListView::quitRequested, this, &QWidget::close);
  connect(sheetView_, &TSheetListView::showControlsRequested, this, [this] { SetControlPanelShown(!dock_->isVisible()); });
  connect(sheetView_, &TSheetListView::tileRequested, mdi_, &QMdiArea::tileSubWindows);
  connect(sheetView_, &TSheetListView::cascadeRequested, mdi_, &QMdiArea::cascadeSubWindows);
  connect(sheetView_, &TSheetListView::volumesRequested, this, [this] { ShowWindow(volumeWindow_); });

  connect(controls_, &TControlPanel::modeChosen, this, &TMainWindow::ModeChosen);
  connect(controls_, &TControlPanel::fromClicked, this, [this] {
    FromClick(main_);
    refresh();
  });
  connect(controls_, &TControlPanel::toClicked, this, [this] {
    main_.ChooseOutput();
    refresh();
  });
  connect(controls_, &TControlPanel::goClicked, this, &TMainWindow::Go);
  connect(controls_, &TControlPanel::stopClicked, this, [this] { main_.VolumeList().EnoughClick(); });
  connect(controls_, &TControlPanel::quitClicked, this, &QWidget::close);
  connect(controls_, &TControlPanel::mergeChosen, this, [this](int choice) {
    ChooseMerge(main_.State(), choice == 1 ? TMergeChoice::Merge : TMergeChoice::Replace);
    refresh();
  });
  connect(controls_, &TControlPanel::splitToggled, this, [this](bool on) {
    main_.State().SplitFlag = on;
    main_.State().Controls.SplitChecked = on;
    refresh();
  });
  connect(controls_, &TControlPanel::allToggled, this, [this](bool on) {
    main_.State().Controls.AllChecked = on;
    main_.ApplyAllBox();
    refresh();
  });
  connect(controls_, &TControlPanel::idEntered, this, [this](const QString& ids) {
    main_.State().IdList = FromQt(ids).substr(0, 80);
    main_.State().IdGiven = true;
    main_.SelectIds();
    refresh();
  });
  connect(controls_, &TControlPanel::creditsClicked, this, &TMainWindow::CreditsClick);

  criteria_ = new TCriteriaPanelView(main_);
  controls_->SetCriteriaPanel(criteria_);
  // The dialogs' Go runs the volume list's loop as the main Go does, which
  // says so when nothing is marked.
  connect(criteria_, &TCriteriaPanelView::runNowRequested, this,
          [this] { Guarded([this] { return main_.VolumeList().Go(); }); });
  connect(criteria_, &TCriteriaPanelView::summaryRequested, this, [this] {
    // The summary is made anew each time, showing the criteria as they are now.
    if (summaryWindow_) {
      summaryWindow_->close();
      summaryWindow_ = nullptr;
    }
    ShowSelectorSummary();
  });
  connect(controls_, &TControlPanel::hideClicked, this, [this] { SetControlPanelShown(false); });
  BuildLastWindows();

  resize(1100, 760);
  refresh();
}

TMainWindow::~TMainWindow() {
  main_.SheetList().onEnough = nullptr;
  main_.Windows().onChanged = nullptr;
  main_.Windows().showPrintDialog = nullptr;
  for (TToDisplayView* v : {copyView_, importView_})
    if (v) v->Detach();
  if (publishView_) publishView_->Detach();
  port_.SetStatusSink(nullptr);
  port_.SetWindow(nullptr);
}

QMdiSubWindow* TMainWindow::AddWindow(QWidget* view, const QSize& size) {
  // Closing a window hides it; its model lives on.
  auto* window = new QMdiSubWindow;
  window->setWidget(view);
  window->setAttribute(Qt::WA_DeleteOnClose, false);
  mdi_->addSubWindow(window);
  window->resize(FitInside(size, mdi_->viewport()->size()));
  window->hide();
  connect(view, &QWidget::windowTitleChanged, window, &QWidget::setWindowTitle);
  window->setWindowTitle(view->windowTitle());
  return window;
}

void TMainWindow::UpdateCodes() {
  if (running_) return;
  main_.VolumeList().UpdateCodes([this](TPrimeRef& volume) {
    TPrimeEditor editor(main_.Env());
    if (!editor.Load(volume)) return;  // the store has said why
    // Only a main window that allows changes to the library lets Update go.
    editor.SetUpdateEnabled(main_.State().ExpertMode);
    TPrimeEditorView view(editor, this);
    view.exec();
  });
  refresh();
}

void TMainWindow::ShowWindow(QMdiSubWindow* window) {
  if (window->isMinimized()) window->showNormal();
  // A window closed with its X has its view hidden with it.
  if (window->widget()) window->widget()->show();
  window->show();
  mdi_->setActiveSubWindow(window);
}

void TMainWindow::BuildMenus() {
  QMenu* file = menuBar()->addMenu("&File");
  openAction_ = file->addAction("&Open...");
  connect(openAction_, &QAction::triggered, this, [this] {
    FromClick(main_);
    refresh();
  });
  connect(file->addAction("Send List to File"), &QAction::triggered, this, [this] {
    main_.VolumeList().SendList(main_.State().VolsToPath);
  });
  connect(file->addAction("Print to File"), &QAction::triggered, this,
          [this] { ChooseMenuMode(int(TRunMode::PrintToFile)); });
  connect(file->addAction("MultiSource"), &QAction::triggered, this, &TMainWindow::ShowLibraries);
  file->addSeparator();
  connect(file->addAction("&Quit"), &QAction::triggered, this, &QWidget::close);

  modeMenu_ = menuBar()->addMenu("&Mode");
  for (const auto& [caption, mode] : kModeMenu) {
    QAction* a = modeMenu_->addAction(caption);
    a->setCheckable(true);
    const int m = int(mode);
    connect(a, &QAction::triggered, this, [this, m] { ChooseMenuMode(m); });
    modeActions_.emplace_back(a, caption);
  }

  QMenu* find = menuBar()->addMenu("F&ind");
  QAction* inLibrary = find->addAction("Find in &Library...");
  inLibrary->setShortcut(QKeySequence("Ctrl+Shift+F"));
  connect(inLibrary, &QAction::triggered, this, &TMainWindow::ShowFindInLibrary);

  QMenu* windows = menuBar()->addMenu("&Windows");
  connect(windows->addAction("Cascade"), &QAction::triggered, mdi_, &QMdiArea::cascadeSubWindows);
  connect(windows->addAction("Tile"), &QAction::triggered, mdi_, &QMdiArea::tileSubWindows);
  connect(windows->addAction("Minimise all"), &QAction::triggered, this, [this] {
    for (QMdiSubWindow* w : mdi_->subWindowList())
      if (w->isVisible()) w->showMinimized();
  });
  windows->addSeparator();
  connect(windows->addAction("Tariff Volumes"), &QAction::triggered, this, [this] { ShowWindow(volumeWindow_); });
  connect(windows->addAction("Header Info"), &QAction::triggered, sheetView_, &TSheetListView::Alt_EClick);
  connect(windows->addAction("Sheet Text"), &QAction::triggered, sheetView_, &TSheetListView::ShowThisSheet);
  connect(windows->addAction("Tariff Sheet List"), &QAction::triggered, this, [this] {
    if (main_.SheetList().Count() == 0 && main_.State().RunMode == TRunMode::Browse && !running_)
      Go();
    else
      ShowWindow(sheetWindow_);
  });
  connect(windows->addAction("Log"), &QAction::triggered, this, [this] { ShowWindow(logWindow_); });
  windows->addSeparator();
  selectorsAction_ = windows->addAction("Hide Selectors");
  connect(selectorsAction_, &QAction::triggered, this, [this] {
    TControls& c = main_.State().Controls;
    c.SelectorsVisible = !c.SelectorsVisible;
    refresh();
  });
  panelAction_ = windows->addAction("Hide Control panel");
  connect(panelAction_, &QAction::triggered, this, [this] { SetControlPanelShown(!dock_->isVisible()); });
  connect(windows->addAction("Show directories"), &QAction::triggered, this, &TMainWindow::ShowLibraries);
  outputVolumesAction_ = windows->addAction("Output Volumes");
  connect(outputVolumesAction_, &QAction::triggered, this, &TMainWindow::ShowOutputVolumes);

  QMenu* fonts = menuBar()->addMenu("F&onts");
  connect(fonts->addAction("Printer fonts..."), &QAction::triggered, this, [this] { TPrinterFontsDialog(this).exec(); });

  QMenu* about = menuBar()->addMenu("&About");
  connect(about->addAction("Help"), &QAction::triggered, this, [this] {
    THelpWindow help(this);
    help.exec();
  });
  connect(about->addAction("What's New?"), &QAction::triggered, this, [this] {
    licence_->hide();
    PlaceOverlays();
    whatsNew_->show();
    whatsNew_->raise();
  });
  connect(about->addAction("zlib licence"), &QAction::triggered, this, [this] {
    whatsNew_->hide();
    PlaceOverlays();
    licence_->show();
    licence_->raise();
  });
  connect(about->addAction("Other licences..."), &QAction::triggered, this, [this] { TNoticesWindow(this).exec(); });
  connect(about->addAction("Show Version"), &QAction::triggered, this, &TMainWindow::ShowVersion);
}

QString TMainWindow::StatusPanel(int panel) const { return panels_[size_t(panel)]->text(); }

// ---- start-up ---------------------------------------------------------------------------

bool TMainWindow::ParseCommandLine(const QStringList& args) {
  std::vector<std::string> words;
  for (const QString& a : args) words.push_back(a.toLocal8Bit().toStdString());
  hasArgs_ = !words.empty();
  const bool ok = main_.ParseCommandLine(words);
  refresh();
  return ok;
}

void TMainWindow::StartSplash() {
  PlaceOverlays();
  splash_->show();
  splash_->raise();
  splash_->setFocus();
  initTimer_->start();
}

void TMainWindow::Tick() {
  const QDate today = QDate::currentDate();
  TSplashTick t = InitTimerTick(main_.State(), hasArgs_, today.month(), today.day());
  splash_->ShowPictures(t.decemberPicture, t.januaryPicture);
  if (!t.start) return;
  if (main_.State().Started) {
    // Show Version: the splash goes again; the start sequence is behind us.
    initTimer_->stop();
    splash_->hide();
    return;
  }
  Start();
}

void TMainWindow::Start() {
  if (main_.State().Started) return;
  splash_->hide();
  initTimer_->stop();
  SetControlPanelShown(true);
  ShowWindow(sheetWindow_);
  ShowWindow(volumeWindow_);
  // ReadyToGo
  if (isVisible()) showMaximized();
  // Tiled now, and again while the window system is still giving the
  // maximised size (resizeEvent), so that the windows fill the area.
  mdi_->tileSubWindows();
  startedAt_ = QDateTime::currentMSecsSinceEpoch();
  // Started by GO or EXPRESS: nobody is there to click, from the opening of
  // the output library on. The run's messages go to the log and the status
  // line; the command line's ADD or REPLACE answers an existing output.
  bool told = false;
  if (main_.State().AutoGo) {
    port_.SetUnattended([this, &told](const QString& text) {
      main_.Log().AddLine(FromQt(text));
      panels_[0]->setText(text);
      told = true;
    });
    for (const auto& [question, answer] : OutputLibraryAnswers(main_.State()))
      port_.SetUnattendedAnswer(question, answer);
  }
  const bool go = main_.Start();
  if (main_.State().RunMode == TRunMode::ScanUpdates) sheetWindow_->showMinimized();
  // FROMFOLDER, FROMALL, FROMDIR: the libraries panel lists the libraries of the root.
  const bool multiIn = main_.State().MultiSourceRequested;
  if (multiIn) {
    libraries_->Open();
    libraries_->MultipleInClick(true);
  }
  refresh();
  if (main_.SummaryShown()) ShowSelectorSummary();
  if (go && !splash_->isVisible()) {
    if (multiIn)
      Guarded([this] { return CopyEveryLibrary(main_); });
    else
      RunNow();
    // What the run armed ends with it.
    main_.State().AutoGo = false;
  }
  port_.SetUnattended(nullptr);
  if (told) ShowWindow(logWindow_);
}

void TMainWindow::ShowSelectorSummary() {
  if (!summaryWindow_) {
    auto* summary = new TSelectorSummaryView(main_);
    summaryWindow_ = AddWindow(summary, {300, 200});
    // Room for every part and the window's frame, inside the area.
    summaryWindow_->resize(FitInside(summaryWindow_->sizeHint().expandedTo({300, 200}), mdi_->viewport()->size()));
    // Its "Close" closes the whole MDI window, which goes with it.
    connect(summary, &QDialog::finished, summaryWindow_, &QMdiSubWindow::close);
    summaryWindow_->setAttribute(Qt::WA_DeleteOnClose);
    QMdiSubWindow* window = summaryWindow_;
    connect(window, &QObject::destroyed, this, [this, window] {
      if (summaryWindow_ == window) summaryWindow_ = nullptr;
    });
  }
  ShowWindow(summaryWindow_);
}

// ---- the control panel's commands ----------------------------------------------------------

void TMainWindow::ModeChosen(int index) {
  TModeActions act = ChooseModeIndex(main_.State(), index, port_);
  main_.ModeChanged(act);
  AfterModeChange(act.tile);
}

void TMainWindow::ChooseMenuMode(int mode) {
  TModeActions act = ChooseMode(main_.State(), TRunMode(mode));
  main_.ModeChanged(act);
  AfterModeChange(act.tile);
}

void TMainWindow::AfterModeChange(bool tile) {
  if (tile) mdi_->tileSubWindows();
  refresh();
}

void TMainWindow::CreditsClick() {
  switch (vorne::CreditsClick(main_.State(), splash_->isVisible())) {
    case TToolboxDoor::Contact:
      port_.Info(kToolboxContact);
      break;
    case TToolboxDoor::ExpertAtOnce:
      main_.SetExpertMode(true);
      break;
    case TToolboxDoor::ShowDialog: {
      TToolboxDialog toolbox(this);
      main_.SetExpertMode(toolbox.exec() == QDialog::Accepted);
      break;
    }
  }
  refresh();
}

void TMainWindow::ShowVersion() {
  const std::string note = vorne::ShowVersion(main_.State());
  if (!note.empty()) port_.Info(note);
  PlaceOverlays();
  splash_->show();
  splash_->raise();
  initTimer_->start();
}

void TMainWindow::SetControlPanelShown(bool on) {
  dock_->setVisible(on);
  refresh();
}

// ---- runs ----------------------------------------------------------------------------------------

template <typename F>
void TMainWindow::Guarded(F run) {
  if (running_) return;
  running_ = true;
  refresh();
  for (TToDisplayView* v : {copyView_, importView_})
    if (v) v->SetRunning(true);
  lastResult_ = run();
  running_ = false;
  for (TToDisplayView* v : {copyView_, importView_})
    if (v) v->SetRunning(false);
  SyncRunWindows();
  RefreshGauge();
  // The run is over: its stop buttons go with it.
  main_.SheetList().HideEnough();
  refresh();
  if (main_.SheetList().Visible() && main_.SheetList().Count() > 0) ShowWindow(sheetWindow_);
  if (main_.Log().Visible()) ShowWindow(logWindow_);
  emit runFinished();
  if (lastResult_ == TGoResult::Fatal) {
    // The message has been shown; the program's state is in doubt.
    QCoreApplication::exit(1);
    return;
  }
  if (closeAfterRun_) close();
}

void TMainWindow::Go() {
  Guarded([this] { return main_.GoDoIt(); });
}

void TMainWindow::RunNow() {
  Guarded([this] { return main_.RunNow(); });
}

void TMainWindow::closeEvent(QCloseEvent* event) {
  if (running_) {
    // The loop stops after the current volume; the window closes then.
    main_.VolumeList().SetApplicationEnding(true);
    closeAfterRun_ = true;
    event->ignore();
    return;
  }
  event->accept();
}

// ---- the windows of the runs ----------------------------------------------------------------

void TMainWindow::SyncRunWindows() {
  TRunWindows& w = main_.Windows();
  if (w.publishing != publishModel_) {
    if (publishWindow_) {
      publishView_->Detach();
      publishWindow_->close();
      publishWindow_->deleteLater();
      publishWindow_ = nullptr;
      publishView_ = nullptr;
    }
    publishModel_ = w.publishing;
    if (publishModel_) {
      publishView_ = new TExportDocketsView(*publishModel_);
      publishWindow_ = AddWindow(publishView_, {360, publishModel_->Height()});
      ShowWindow(publishWindow_);
    }
  }
  SyncOutputView(w.copyOutput, copyModel_, copyView_, copyWindow_);
  SyncOutputView(w.importOutput, importModel_, importView_, importWindow_);
  if (w.verification != verifyModel_) {
    verifyModel_ = w.verification;
    if (verifyWindow_) {
      verifyView_->Detach();
      verifyWindow_->close();
      verifyWindow_->deleteLater();
      verifyWindow_ = nullptr;
      verifyView_ = nullptr;
    }
    if (verifyModel_) {
      verifyView_ = new TVerifyView(*verifyModel_);
      verifyWindow_ = AddWindow(verifyView_, {560, 320});
      connect(verifyView_, &TVerifyView::closeRequested, verifyWindow_, [this] {
        if (verifyModel_) verifyModel_->Hide();
        verifyWindow_->hide();
      });
      connect(verifyView_, &TVerifyView::changed, this, &TMainWindow::FollowRunWindows);
    }
  }
  if (w.scanner != scannerModel_) {
    scannerModel_ = w.scanner;
    if (scannerWindow_) {
      scannerView_->Detach();
      scannerWindow_->close();
      scannerWindow_->deleteLater();
      scannerWindow_ = nullptr;
      scannerView_ = nullptr;
    }
    if (scannerModel_) {
      scannerView_ = new TScannerView(*scannerModel_);
      scannerWindow_ = AddWindow(scannerView_, {640, 320});
      connect(scannerView_, &TScannerView::closeRequested, scannerWindow_, &QWidget::hide);
      connect(scannerView_, &TScannerView::changed, this, &TMainWindow::FollowRunWindows);
      connect(scannerView_, &TScannerView::goRequested, this, &TMainWindow::Go);
      connect(scannerView_, &TScannerView::copyToMainRequested, this, [this] {
        if (!scannerModel_) return;
        const TRunState& st = main_.State();
        WriteZippemBatch(main_.Env(), main_.VolumeList(), scannerModel_->RecentIds(), st.LibraryDir, st.ToDir);
        refresh();
      });
    }
  }
  FollowRunWindows();
  if (w.errorLog) {
    // The filing's log stays on screen after its run, until the next one.
    if (!errorLogView_) {
      errorLogView_ = new TErrorLogView(main_.Env());
      errorLogWindow_ = AddWindow(errorLogView_, {560, 300});
    }
    errorLogView_->SetLog(w.errorLog->Caption(), w.errorLog->ErrorBox(), w.errorLog->LogName());
    ShowWindow(errorLogWindow_);
  }
  if (w.includesPage) ShowIncludes(*w.includesPage);
  if (w.duplicates && port_.Unattended()) {
    // Nobody is there to read the report: it is saved where vorne-batch saves it.
    const std::string path = JoinPath(MapPath(main_.State().ToDir), kDupLogName);
    try {
      w.duplicates->Save(main_.Env(), path);
      port_.Info("False duplicates saved in " + path);
    } catch (const EInOutError& e) {
      port_.Error(e.what());
    }
  } else if (w.duplicates && !showingDuplicates_) {
    // The run keeps the report registered only while it is shown.
    showingDuplicates_ = true;
    TCopyErrorsView report(*w.duplicates, main_.Env(), JoinPath(main_.State().ToDir, kDupLogName), this);
    report.exec();
    showingDuplicates_ = false;
  }
}

void TMainWindow::FollowRunWindows() {
  if (verifyWindow_ && verifyModel_ && verifyModel_->Visible() && !verifyWindow_->isVisible())
    ShowWindow(verifyWindow_);
  if (scannerWindow_ && scannerModel_) {
    if (scannerModel_->Visible() && !scannerWindow_->isVisible()) ShowWindow(scannerWindow_);
    if (!scannerModel_->Visible() && scannerWindow_->isVisible()) scannerWindow_->hide();
  }
}

void TMainWindow::RefreshGauge() {
  const TFromDisplay& list = main_.VolumeList();
  const bool gauge = running_ && list.GaugeVisible() && list.GaugeMax() > 0;
  runGauge_->setVisible(gauge);
  if (gauge) {
    runGauge_->setMaximum(int(std::min<int64_t>(list.GaugeMax(), INT32_MAX)));
    runGauge_->setValue(int(std::min<int64_t>(list.GaugePosition(), INT32_MAX)));
  }
}

void TMainWindow::SyncOutputView(TToDisplay* model, TToDisplay*& shown, TToDisplayView*& view,
                                 QMdiSubWindow*& window) {
  if (model == shown) return;
  if (window) {
    view->Detach();
    window->close();
    window->deleteLater();
    window = nullptr;
    view = nullptr;
  }
  shown = model;
  if (!model) return;
  view = new TToDisplayView(*model, main_.Env(), model == main_.Windows().copyOutput);
  view->SetRunning(running_);
  connect(view, &TToDisplayView::enoughClicked, this, [this] { main_.VolumeList().EnoughClick(); });
  window = AddWindow(view, {640, 300});
  ShowWindow(window);
}

// ---- the state on screen -------------------------------------------------------------------

void TMainWindow::refresh() {
  const TRunState& st = main_.State();
  controls_->refresh(running_);
  for (auto& [action, caption] : modeActions_) {
    action->setChecked(caption == ToQt(st.Controls.CheckedMenu));
    action->setEnabled(!running_);
  }
  openAction_->setEnabled(!running_);
  selectorsAction_->setText(st.Controls.SelectorsVisible ? "Hide Selectors" : "Show Selectors");
  panelAction_->setText(dock_->isVisible() ? "Hide Control panel" : "Show Control panel");
  // A program started from drive C, D or E shows aqua; a path without a drive letter is a network drive.
  const QString program = QCoreApplication::applicationFilePath().toUpper();
  const bool cde = program.size() > 1 && program[1] == ':' && QString("CDE").contains(program[0]);
  mdi_->setBackground(st.ExpertMode ? kPurple : cde ? kAqua : kNavy);
  sheetView_->SetExpertMode(st.ExpertMode);
  volumeView_->refresh();
  if (librariesDock_) {
    librariesDock_->setVisible(st.Controls.LibrariesPanelVisible);
    librariesDock_->setEnabled(!running_);
    librariesView_->refresh();
  }
  outputVolumesAction_->setEnabled(copyWindow_ || importWindow_);
  if (criteria_) criteria_->Refresh();
}

bool TMainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == mdi_->viewport()) {
    if (event->type() == QEvent::MouseButtonDblClick) {
      main_.State().ToolboxArmed = true;
    } else if (event->type() == QEvent::MouseButtonPress && !dock_->isVisible() && main_.State().Started) {
      // A click on the main window calls the control panel back, where the mouse is when it floats.
      if (dock_->isFloating()) dock_->move(static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
      SetControlPanelShown(true);
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void TMainWindow::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  PlaceOverlays();
  if (startedAt_ > 0 && QDateTime::currentMSecsSinceEpoch() - startedAt_ < kRetileMs)
    QTimer::singleShot(0, mdi_, &QMdiArea::tileSubWindows);
}

void TMainWindow::PlaceOverlays() {
  const QRect area = mdi_->geometry();
  for (QWidget* w : std::initializer_list<QWidget*>{splash_, whatsNew_, licence_}) {
    w->adjustSize();
    w->move(area.center() - QPoint(w->width() / 2, w->height() / 2));
  }
}

void TMainWindow::ShowFindInLibrary() {
  if (!findView_) {
    find_ = std::make_unique<TFindInLibrary>(main_);
    findView_ = new TFindInLibraryView(*find_);
    findWindow_ = AddWindow(findView_, {760, 420});
    // The hit's volume in the sheet list, the hit selected, its text shown with the hits marked.
    connect(findView_, &TFindInLibraryView::openRequested, this, [this](int row) {
      if (row < 0 || !find_->Open(size_t(row))) return;
      ShowWindow(sheetWindow_);
      sheetView_->ShowThisSheet();
      if (TSheetDisplay* display = sheetView_->Display()) display->MarkLines(find_->LinesToMark(display->Lines()));
    });
  }
  ShowWindow(findWindow_);
  findView_->QueryBox()->setFocus();
}

// ---- the libraries panel, "HTML Includes", the output volumes on demand --------------------------

void TMainWindow::BuildLastWindows() {
  libraries_ = std::make_unique<TLibrariesPanel>(main_);
  librariesView_ = new TLibrariesPanelView(*libraries_);
  librariesDock_ = new QDockWidget;
  librariesDock_->setObjectName("librariesDock");
  librariesDock_->setWindowTitle("Libraries");
  librariesDock_->setWidget(librariesView_);
  librariesDock_->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
  addDockWidget(Qt::LeftDockWidgetArea, librariesDock_);
  librariesDock_->hide();
  connect(librariesView_, &TLibrariesPanelView::goRequested, this, &TMainWindow::Go);
  connect(librariesView_, &TLibrariesPanelView::libraryOpened, this, &TMainWindow::refresh);
  connect(librariesView_, &TLibrariesPanelView::hideRequested, this, [this] {
    libraries_->Hide();
    refresh();
    mdi_->tileSubWindows();
  });
  connect(controls_, &TControlPanel::getLibrariesClicked, this, &TMainWindow::ShowLibraries);
  connect(controls_, &TControlPanel::multipleInToggled, this, &TMainWindow::MultipleInToggled);
  connect(controls_, &TControlPanel::showClicked, this, &TMainWindow::ShowOutputVolumes);
  connect(volumeView_, &TVolumeListView::makeHtmlRequested, this, [this] {
    if (running_) return;
    if (!includes_) includes_ = std::make_unique<TIncludes>();
    if (includesView_ && &includesView_->Model() == includes_.get())
      ShowWindow(includesWindow_);
    else
      ShowIncludes(*includes_);
  });
}

void TMainWindow::ShowLibraries() {
  if (running_) return;
  libraries_->Open();
  refresh();
  mdi_->tileSubWindows();
}

void TMainWindow::MultipleInToggled(bool on) {
  if (running_) return;
  libraries_->MultipleInClick(on);
  refresh();
  mdi_->tileSubWindows();
}

void TMainWindow::ShowIncludes(TIncludes& model) {
  if (includesWindow_) {
    includesWindow_->close();
    includesWindow_->deleteLater();
  }
  includesView_ = new TIncludesView(model, main_.VolumeList(), main_.Env());
  includesWindow_ = AddWindow(includesView_, {700, 520});
  ShowWindow(includesWindow_);
}

void TMainWindow::ShowOutputVolumes() {
  // Add New Filing lists its output in its own window.
  // A closed window hid its view as well: both come back.
  auto bringBack = [this](QMdiSubWindow* window) {
    if (window->widget()) window->widget()->show();
    ShowWindow(window);
  };
  if (main_.State().RunMode == TRunMode::AddNewFiling && importWindow_) {
    bringBack(importWindow_);
    return;
  }
  auto* copy = dynamic_cast<TCopyRun*>(main_.ModeRun(TRunMode::Copy));
  if (copy && copy->ShowOutput(main_) && copyWindow_)
    bringBack(copyWindow_);
  else if (importWindow_)
    bringBack(importWindow_);
  refresh();
}

}  // namespace vorne
