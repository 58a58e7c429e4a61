// vorne: the desktop program. The same command-line keywords as vorne-batch;
// "GO" starts the run once the start sequence is through, and without it the
// main window waits for the person. The program stays open after a run
// until the person quits.
#include <QApplication>
#include <cstdio>

#include "gui/FilingDialogs.h"
#include "gui/MainWindow.h"
#include "gui/QtUserPort.h"
#include "platform/FileSystem.h"
#include "shell/Main.h"

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--version") {
      std::printf("vorne %s\n", VORNE_VERSION);
      return 0;
    }
    if (a == "--help" || a == "-h") {
      std::printf(
          "usage: vorne [KEYWORD [VALUE] ...]\n\n"
          "Opens the main window. The keywords are those of vorne-batch (see vorne-batch --help)\n"
          "except the ones it marks (batch only): DELETE, YES, PDF, NOLIMIT, DETAILS, NOTYPE5,\n"
          "NOTYPE6, SHOWDOCKETS and PRIMEDATES, which vorne ignores:\n"
          "  vorne FROM <library folder> [UNZIP]   opens that library in the volume list\n"
          "  ... GO                                starts the run once the window is ready\n");
      return 0;
    }
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName("Winvorne2.exe");
  vorne::QtUserPort port;
  vorne::AddFilingDialogViews(port);
  vorne::TEnv env{vorne::RealFileSystem(), port};
  vorne::TMain main(env);
  vorne::TMainWindow window(main, port);
  QStringList args = QApplication::arguments();
  args.removeFirst();
  window.ParseCommandLine(args);
  window.show();
  window.StartSplash();
  return app.exec();
}
