// The main window of `vorne`: an MDI area holding the volume list, the sheet
// list and the debug log; the control panel (a dock at the bottom, hidden by
// its red cross and called back by a click in the main window); the menus
// (File, Mode, Windows, About); the status panels; the splash and its 500 ms
// start timer; the toolbox. Every decision is TMain's; this class shows its
// state and forwards the person's actions.
//
// Runs happen on this (the GUI) thread. While one runs, the controls that
// would start another or change its input are disabled; pending events run
// between volumes (QtUserPort::ProcessEvents), which is where Stop and
// "Enough!" are noticed. Closing the window during a run stops the run after
// the current volume and closes afterwards.
#pragma once

#include <QMainWindow>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>

#include "gui/CriteriaPanel.h"
#include "volumes/VolumeList.h"

class QAction;
class QDockWidget;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QProgressBar;
class QTimer;

namespace vorne {

class QtUserPort;
class TControlPanel;
class TDebugLogView;
class TFindInLibrary;
class TFindInLibraryView;
class TExportDockets;
class TIncludes;
class TIncludesView;
class TLibrariesPanel;
class TLibrariesPanelView;
class TExportDocketsView;
class TScannerView;
class TTechStuffPage;
class TTimeScanner;
class TVerifyView;
class TverifyW;
class TErrorLogView;
class TToDisplay;
class TToDisplayView;
class TMain;
class TNotePane;
class TSheetListView;
class TSplash;
class TVolumeListView;

class TMainWindow : public QMainWindow {
  Q_OBJECT

 public:
  TMainWindow(TMain& main, QtUserPort& port, QWidget* parent = nullptr);
  ~TMainWindow() override;

  // The command line without the program name: the keywords of vorne-batch.
  // "GO" starts the run once the start sequence is through; without it the
  // window waits for the person.
  bool ParseCommandLine(const QStringList& args);
  // Shows the splash and starts its timer (every 500 ms).
  void StartSplash();
  // The start sequence: at the timer's end, or at once on a click on the splash.
  void Start();

  // The summary "Select Sheets by:" as an MDI window: from "Show Selectors",
  // and where the start sequence asks for it ("RECENT", "GO" with a status
  // selection).
  void ShowSelectorSummary();

  bool Running() const { return running_; }
  TGoResult LastResult() const { return lastResult_; }

  TControlPanel* ControlPanel() const { return controls_; }
  TCriteriaPanelView* CriteriaPanel() const { return criteria_; }
  QMdiSubWindow* SummaryWindow() const { return summaryWindow_; }
  QDockWidget* ControlDock() const { return dock_; }
  TVolumeListView* VolumeListView() const { return volumeView_; }
  TSheetListView* SheetListView() const { return sheetView_; }
  QMdiSubWindow* VolumeListWindow() const { return volumeWindow_; }
  QMdiSubWindow* SheetListWindow() const { return sheetWindow_; }
  QMdiSubWindow* LogWindow() const { return logWindow_; }
  // The windows of the runs, while their models are registered.
  TExportDocketsView* PublishingView() const { return publishView_; }
  TToDisplayView* CopyOutputView() const { return copyView_; }
  TToDisplayView* ImportOutputView() const { return importView_; }
  TErrorLogView* ErrorLogView() const { return errorLogView_; }
  TVerifyView* VerificationView() const { return verifyView_; }
  TScannerView* ScannerView() const { return scannerView_; }
  TTechStuffPage* TechStuffPage() const { return techStuff_; }
  QMdiSubWindow* CopyOutputWindow() const { return copyWindow_; }
  QMdiSubWindow* VerificationWindow() const { return verifyWindow_; }
  // The libraries panel of Multiple In (a dock), and "HTML Includes".
  TLibrariesPanelView* LibrariesView() const { return librariesView_; }
  QDockWidget* LibrariesDock() const { return librariesDock_; }
  TIncludesView* IncludesView() const { return includesView_; }
  QMdiSubWindow* IncludesWindow() const { return includesWindow_; }
  // The run's progress over the marked volumes' sheets (status bar).
  QProgressBar* RunGauge() const { return runGauge_; }
  QMdiArea* Mdi() const { return mdi_; }
  TSplash* Splash() const { return splash_; }
  TNotePane* WhatsNewPane() const { return whatsNew_; }
  TNotePane* LicencePane() const { return licence_; }
  QString StatusPanel(int panel) const;
  // "Find in Library" (Find menu, Ctrl+Shift+F): made on first use, then shown.
  void ShowFindInLibrary();
  TFindInLibraryView* FindInLibraryView() const { return findView_; }

 public slots:
  // The main Go button.
  void Go();
  // A run without the check for marked volumes (the automatic start, and
  // the Go buttons of the criteria dialogs).
  void RunNow();
  // Shows the state of the model everywhere.
  void refresh();

 signals:
  void runFinished();

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void BuildMenus();
  QMdiSubWindow* AddWindow(QWidget* view, const QSize& size);
  void ShowWindow(QMdiSubWindow* window);
  // The volume list's "Update Codes": the prime editor, modal, on the focused row.
  void UpdateCodes();
  void ModeChosen(int index);
  void ChooseMenuMode(int mode);
  void AfterModeChange(bool tile);
  void CreditsClick();
  void ShowVersion();
  void Tick();
  template <typename F>
  void Guarded(F run);
  void PlaceOverlays();
  void SetControlPanelShown(bool on);
  // Makes and drops the views of the windows the runs registered.
  void SyncRunWindows();
  // The verification and scanner windows shown or hidden as their models say.
  void FollowRunWindows();
  // The status bar's gauge over the volume list's, while a run goes.
  void RefreshGauge();
  void SyncOutputView(TToDisplay* model, TToDisplay*& shown, TToDisplayView*& view, QMdiSubWindow*& window);
  // The windows that came last: the libraries panel, "HTML Includes", the
  // output-volume window on demand ("Show").
  void BuildLastWindows();
  void ShowLibraries();
  void MultipleInToggled(bool on);
  void ShowIncludes(TIncludes& model);
  void ShowOutputVolumes();

  TMain& main_;
  QtUserPort& port_;
  QMdiArea* mdi_;
  QDockWidget* dock_;
  TControlPanel* controls_;
  TVolumeListView* volumeView_;
  TSheetListView* sheetView_;
  TDebugLogView* logView_;
  QMdiSubWindow* volumeWindow_;
  QMdiSubWindow* sheetWindow_;
  QMdiSubWindow* logWindow_;
  QMdiSubWindow* summaryWindow_ = nullptr;
  TExportDockets* publishModel_ = nullptr;
  TExportDocketsView* publishView_ = nullptr;
  QMdiSubWindow* publishWindow_ = nullptr;
  TToDisplay* copyModel_ = nullptr;
  TToDisplayView* copyView_ = nullptr;
  QMdiSubWindow* copyWindow_ = nullptr;
  TToDisplay* importModel_ = nullptr;
  TToDisplayView* importView_ = nullptr;
  QMdiSubWindow* importWindow_ = nullptr;
  bool showingDuplicates_ = false;
  TErrorLogView* errorLogView_ = nullptr;
  TverifyW* verifyModel_ = nullptr;
  TVerifyView* verifyView_ = nullptr;
  QMdiSubWindow* verifyWindow_ = nullptr;
  TTimeScanner* scannerModel_ = nullptr;
  TScannerView* scannerView_ = nullptr;
  QMdiSubWindow* scannerWindow_ = nullptr;
  TTechStuffPage* techStuff_ = nullptr;
  QProgressBar* runGauge_ = nullptr;
  QMdiSubWindow* errorLogWindow_ = nullptr;
  std::unique_ptr<TLibrariesPanel> libraries_;
  TLibrariesPanelView* librariesView_ = nullptr;
  QDockWidget* librariesDock_ = nullptr;
  std::unique_ptr<TIncludes> includes_;  // "Make HTML"'s page
  TIncludesView* includesView_ = nullptr;
  QMdiSubWindow* includesWindow_ = nullptr;
  TIncludes* splitIncludes_ = nullptr;  // the page of the last split copy, once shown
  QAction* outputVolumesAction_ = nullptr;
  TCriteriaPanelView* criteria_ = nullptr;
  TSplash* splash_;
  TNotePane* whatsNew_;
  TNotePane* licence_;
  QTimer* initTimer_;
  std::array<QLabel*, 6> panels_{};
  QMenu* modeMenu_ = nullptr;
  std::vector<std::pair<QAction*, QString>> modeActions_;
  QAction* openAction_ = nullptr;
  QAction* selectorsAction_ = nullptr;
  QAction* panelAction_ = nullptr;
  std::unique_ptr<TFindInLibrary> find_;
  TFindInLibraryView* findView_ = nullptr;
  QMdiSubWindow* findWindow_ = nullptr;
  bool hasArgs_ = false;
  bool running_ = false;
  bool closeAfterRun_ = false;
  qint64 startedAt_ = 0;  // ms since the epoch when the start sequence ran
  TGoResult lastResult_ = TGoResult::NotPrepared;
};

}  // namespace vorne
