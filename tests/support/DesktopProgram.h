// One run of the desktop program for the QTest suites: the port, the main
// window's model and the window over the library the arguments name, with
// the volume list as a person sees and clicks it.
#pragma once

#include <QRect>
#include <QStringList>
#include <QTableView>
#include <QTest>

#include "gui/MainWindow.h"
#include "gui/QtUserPort.h"
#include "gui/VolumeListView.h"
#include "platform/FileSystem.h"
#include "shell/Main.h"

namespace vorne::testing {

struct TDesktopProgram {
  QtUserPort port;
  TEnv env{RealFileSystem(), port};
  TMain main{env};
  TMainWindow window{main, port};

  explicit TDesktopProgram(const QStringList& args) {
    window.ParseCommandLine(args);
    window.show();
    window.Start();
  }
  QTableView* Table() { return window.VolumeListView()->Table(); }
  // The first column of every row.
  QStringList Captions() {
    QStringList out;
    for (int r = 0; r < Table()->model()->rowCount(); ++r) out << Table()->model()->index(r, 0).data().toString();
    return out;
  }
  // A control-click on the row.
  void MarkRow(int row) {
    const QRect cell = Table()->visualRect(Table()->model()->index(row, 0));
    QTest::mouseClick(Table()->viewport(), Qt::LeftButton, Qt::ControlModifier, cell.center());
  }
};

}  // namespace vorne::testing
