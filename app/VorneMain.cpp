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
          "usage: vorne [KEYWORD [VALUE] ...]\n"
          "       vorne <library folder>\n\n"
          "Opens the main window. The keywords are those of vorne-batch (see vorne-batch --help\n"
          "and man vorne) except the ones it marks (batch only): DELETE, YES, PDF, NOLIMIT,\n"
          "DETAILS, NOTYPE5, NOTYPE6, SHOWDOCKETS, PRIMEDATES, FIND and COMPARE, which vorne\n"
          "ignores; a word that is not a keyword is ignored too, and the log says so.\n"
          "  vorne FROM <library folder> [UNZIP]   opens that library in the volume list\n"
          "  vorne <library folder>                the same, in the form its files show\n"
          "  ... GO                                starts the run once the window is ready\n"
          "  --help  --version                     this text, the version (no display needed)\n");
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
  if (args.size() == 1) {
    const std::vector<std::string> keywords =
        vorne::FolderArguments(vorne::RealFileSystem(), {args.front().toLocal8Bit().toStdString()});
    args.clear();
    for (const std::string& k : keywords) args << QString::fromLocal8Bit(k.c_str());
  }
  window.ParseCommandLine(args);
  window.show();
  window.StartSplash();
  return app.exec();
}
