#include "gui/QtUserPort.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

#include "gui/Text1252.h"
#include "shell/BatchPort.h"
#include "platform/Paths.h"

namespace vorne {

namespace {

// A modal box shows the normal cursor even during a run's busy cursor.
class TArrowCursor {
 public:
  TArrowCursor() { QApplication::setOverrideCursor(Qt::ArrowCursor); }
  ~TArrowCursor() { QApplication::restoreOverrideCursor(); }
};

QMessageBox::StandardButtons ButtonsOf(TButtons b) {
  switch (b) {
    case TButtons::OK:
      return QMessageBox::Ok;
    case TButtons::OKCancel:
      return QMessageBox::Ok | QMessageBox::Cancel;
    case TButtons::YesNo:
      return QMessageBox::Yes | QMessageBox::No;
    case TButtons::YesNoCancel:
      return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case TButtons::OKCancelAbort:
      return QMessageBox::Ok | QMessageBox::Cancel | QMessageBox::Abort;
  }
  return QMessageBox::Ok;
}

TAnswer AnswerOf(int button) {
  switch (button) {
    case QMessageBox::Ok:
      return TAnswer::OK;
    case QMessageBox::Yes:
      return TAnswer::Yes;
    case QMessageBox::No:
      return TAnswer::No;
    case QMessageBox::Abort:
      return TAnswer::Abort;
    default:
      return TAnswer::Cancel;
  }
}

// Questions with OK among their buttons guard something that cannot be
// undone (deleting, marking deleted): a warning. The others ask.
QMessageBox::Icon IconOf(TButtons b) {
  switch (b) {
    case TButtons::OK:
      return QMessageBox::Information;
    case TButtons::YesNo:
    case TButtons::YesNoCancel:
      return QMessageBox::Question;
    default:
      return QMessageBox::Warning;
  }
}

// The path with each existing folder spelled as on the disk, matched
// without case; the part below the last folder found stays as typed.
QString ExistingCase(const QString& path) {
  if (path.isEmpty() || QFileInfo::exists(path)) return path;
  const QStringList parts = path.split('/');
  QString at = path.startsWith('/') ? "/" : QDir::currentPath();
  for (qsizetype i = path.startsWith('/') ? 1 : 0; i < parts.size(); ++i) {
    if (parts[i].isEmpty()) continue;
    QString found;
    for (const QString& entry : QDir(at).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
      if (entry.compare(parts[i], Qt::CaseInsensitive) == 0) found = entry;
    if (found.isEmpty()) return QDir(at).filePath(parts.mid(i).join('/'));
    at = QDir(at).filePath(found);
  }
  return at;
}

}  // namespace

QtUserPort::QtUserPort() = default;

QtUserPort::~QtUserPort() {
  while (busyDepth_-- > 0) QApplication::restoreOverrideCursor();
}

void QtUserPort::SetButtonWords(const std::string& question, const std::string& caption, const std::string& first,
                                const std::string& second) {
  words_[question] = {caption, first, second};
}

void QtUserPort::Message(TMsgKind kind, const std::string& text) {
  if (unattended_) {
    unattended_(ToQt(text));
    return;
  }
  TArrowCursor arrow;
  QMessageBox::Icon icon = kind == TMsgKind::Error     ? QMessageBox::Critical
                           : kind == TMsgKind::Warning ? QMessageBox::Warning
                                                       : QMessageBox::Information;
  const char* title = kind == TMsgKind::Error ? "Error" : kind == TMsgKind::Warning ? "Warning" : "Information";
  QMessageBox box(icon, title, ToQt(text), QMessageBox::Ok, window_);
  box.setObjectName("vorneMessage");
  box.exec();
}

void QtUserPort::SetUnattended(TUnattendedSink sink) {
  unattended_ = std::move(sink);
  if (!unattended_) unattendedAnswers_.clear();
}

TAnswer QtUserPort::Ask(const std::string& text, TButtons buttons) {
  if (unattended_) {
    const auto given = unattendedAnswers_.find(text);
    const TAnswer answer = given != unattendedAnswers_.end() ? given->second : SafeAnswer(buttons);
    unattended_(ToQt(text) + " -> " + AnswerName(answer));
    return answer;
  }
  TArrowCursor arrow;
  QMessageBox box(IconOf(buttons), "Confirm", ToQt(text), ButtonsOf(buttons), window_);
  box.setObjectName("vorneMessage");
  if (auto w = words_.find(text); w != words_.end() && buttons == TButtons::YesNo) {
    box.setWindowTitle(ToQt(w->second.caption));
    box.setIcon(QMessageBox::Question);
    box.button(QMessageBox::Yes)->setText(ToQt(w->second.first));
    box.button(QMessageBox::No)->setText(ToQt(w->second.second));
  }
  return AnswerOf(box.exec());
}

QString QtUserPort::QtFilter(const std::string& filter) {
  QString f = ToQt(filter);
  if (!f.contains('|')) return f.replace(';', ' ');
  const QStringList parts = f.split('|');
  QStringList out;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString patterns = parts[i + 1];
    out << parts[i] + " (" + patterns.replace(';', ' ') + ")";
  }
  return out.join(";;");
}

std::optional<std::string> QtUserPort::ProposedChoice(TFileKind kind, const TFileChoice& choice) {
  // What the dialog would give back if OK were clicked at once: the file it
  // proposes (for an open dialog, only one that exists), or the folder it
  // opens at. A proposal that is only a folder names no file: declined.
  std::optional<std::string> taken;
  if (!choice.defaultName.empty()) {
    const QFileInfo proposed(ExistingCase(ToQt(MapPath(choice.defaultName))));
    const bool ok = kind == TFileKind::Folder ? proposed.isDir()
                    : kind == TFileKind::Open ? proposed.isFile()
                                              : !proposed.isDir() && !proposed.fileName().isEmpty();
    if (ok) taken = FromQt(proposed.absoluteFilePath());
  }
  unattended_(ToQt(choice.caption) + " -> " + (taken ? ToQt(*taken) : QString("Cancel (nothing proposed to take)")));
  return taken;
}

std::optional<std::string> QtUserPort::ChooseFile(TFileKind kind, const TFileChoice& choice) {
  if (unattended_) return ProposedChoice(kind, choice);
  TArrowCursor arrow;
  QFileDialog dialog(window_, ToQt(choice.caption));
  dialog.setObjectName("vorneFileDialog");
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  // The proposal is a typed path: drive letters point into the drive map,
  // and folders kept upper-cased find the folder as the disk spells it.
  QFileInfo start(ExistingCase(ToQt(MapPath(choice.defaultName))));
  if (!choice.defaultName.empty()) {
    if (start.isDir()) {
      dialog.setDirectory(start.absoluteFilePath());
    } else {
      dialog.setDirectory(start.absolutePath());
      if (kind != TFileKind::Folder) dialog.selectFile(start.fileName());
    }
  }
  if (kind == TFileKind::Folder) {
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
  } else {
    dialog.setFileMode(kind == TFileKind::Open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setAcceptMode(kind == TFileKind::Open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    if (!choice.filter.empty()) dialog.setNameFilter(QtFilter(choice.filter));
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return FromQt(dialog.selectedFiles().front());
}

std::optional<std::string> QtUserPort::ChooseOpenFile(const TFileChoice& choice) {
  return ChooseFile(TFileKind::Open, choice);
}

std::optional<std::string> QtUserPort::ChooseSaveFile(const TFileChoice& choice) {
  return ChooseFile(TFileKind::Save, choice);
}

std::optional<std::string> QtUserPort::ChooseFolder(const TFileChoice& choice) {
  return ChooseFile(TFileKind::Folder, choice);
}

std::optional<std::string> QtUserPort::AskText(const std::string& caption, const std::string& label,
                                               const std::string& preset) {
  if (unattended_) {
    unattended_(ToQt(caption) + ": " + ToQt(label).trimmed() + " -> " + ToQt(preset));
    return preset;
  }
  TArrowCursor arrow;
  QInputDialog dialog(window_);
  dialog.setObjectName("vorneTextDialog");
  dialog.setWindowTitle(ToQt(caption));
  dialog.setLabelText(ToQt(label));
  dialog.setTextValue(ToQt(preset));
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return FromQt(dialog.textValue());
}

bool QtUserPort::RunDialog(TDialogModel& dialog) {
  if (unattended_) {
    // As vorne-batch answers it: the dialog's other button.
    unattended_("\"" + ToQt(dialog.Caption()) + "\" -> Cancel");
    return false;
  }
  TArrowCursor arrow;
  for (const TDialogView& view : views_)
    if (std::optional<bool> ok = view(dialog, window_)) return *ok;
  // A dialog without a window of its own is answered as by its other button,
  // and the person is told so rather than left with a silent default.
  Message(TMsgKind::Warning, "\"" + dialog.Caption() + "\" has no window in this program yet; it was cancelled.");
  return false;
}

void QtUserPort::Busy(bool on) {
  if (on) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ++busyDepth_;
  } else if (busyDepth_ > 0) {
    QApplication::restoreOverrideCursor();
    --busyDepth_;
  }
}

void QtUserPort::Status(int panel, const std::string& text) {
  if (status_) status_(panel, ToQt(text));
}

void QtUserPort::ProcessEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

}  // namespace vorne
