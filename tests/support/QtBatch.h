// The Qt tests' view of files and of the batch program: a file's bytes, and
// a run of vorne-batch in a folder (HOME set there, so that nothing of the
// person's own is read or written).
#pragma once

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace vorne::testing {

inline QByteArray Slurp(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The exit status of vorne-batch run with args in workDir; -1 when it did not
// end within a minute.
inline int Batch(const QString& workDir, const QStringList& args) {
  QProcess p;
  p.setWorkingDirectory(workDir);
  QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
  e.insert("HOME", workDir);
  p.setProcessEnvironment(e);
  p.start(VORNE_BATCH, args);
  if (!p.waitForFinished(60000)) return -1;
  return p.exitCode();
}

}  // namespace vorne::testing
