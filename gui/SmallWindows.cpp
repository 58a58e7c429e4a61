#include "gui/SmallWindows.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>
#include <zlib.h>

#include "gui/Text1252.h"
#include "shell/MainCommands.h"
#include "Notices.h"
#include "ZlibLicence.h"

namespace vorne {

QString ProgramDate() {
  QFileInfo program(QCoreApplication::applicationFilePath());
  QDate date = program.exists() ? program.lastModified().date() : QDate::currentDate();
  return QLocale(QLocale::English).toString(date, "MMMM d, yyyy");
}

QString HelpText() {
  return QString(
             "VORNE %1 of %2, the desktop program for tariff libraries.\n\n"
             "It works best on a screen larger than 800 x 600 pixels.\n\n"
             "The columns of the Tariff Volumes list are adjustable: drag the edges of their heads.\n\n"
             "On a small screen the Windows menu (Cascade, Tile) helps to find every window.\n\n"
             "The buttons panel with the Mode panel can be hidden with its red cross, and called back "
             "by clicking anywhere in the main window.\n\n"
             "Hints appear when the mouse rests on a control.\n\n"
             "A program that ends with Quit in the middle of a run may leave the output of that run "
             "incomplete: do not run VORNE beside tasks that must not be aborted.\n\n"
             "Files are handled in the standard way; a library opened only for input is at little risk.\n\n"
             "A fuller help will follow.\n\n"
             "Questions and reports: the administrator of your tariff library.")
      .arg(VORNE_VERSION, ProgramDate());
}

QString WhatsNewText() {
  return QString(
             "What's New in VORNE %1\n\n"
             "- Every mode runs from the desktop: the main window with its control panel and Mode "
             "panel, Tariff Volumes, the Tariff Sheet List with the sheet text, header info, print "
             "image, printing, notes and (in ExpertMode) header editing.\n"
             "- Multiple In: the libraries panel (File > MultiSource, Get Libraries, Windows > Show "
             "directories) copies several libraries into one output.\n"
             "- HTML Includes: Make HTML (ExpertMode) builds the download page of the packed "
             "libraries; a split copy saves it for you.\n"
             "- Show lists the output library; Windows > Output Volumes brings that window back "
             "after a run. Verify runs again on any library.\n"
             "- The command-line keywords of vorne-batch, except those it marks batch only; GO "
             "starts the run at once.\n\n"
             "(click to close)")
      .arg(VORNE_VERSION);
}

QString LicenceText() {
  // The licence as zlib's own header states it, taken at build time.
  return QString("zlib %1\n\n%2\n\n(click to close)").arg(zlibVersion(), QString(kZlibLicence).trimmed());
}

// ---- the splash ----------------------------------------------------------------------

TSplash::TSplash(QWidget* parent) : QFrame(parent) {
  setObjectName("splash");
  setFrameShape(QFrame::Box);
  setLineWidth(2);
  setAutoFillBackground(true);
  setFocusPolicy(Qt::StrongFocus);
  QPalette p = palette();
  p.setColor(QPalette::Window, QColor(255, 255, 240));
  p.setColor(QPalette::WindowText, QColor(0, 0, 128));
  setPalette(p);
  auto* title = new QLabel("VORNE");
  QFont big = title->font();
  big.setPointSize(36);
  big.setBold(true);
  title->setFont(big);
  title->setAlignment(Qt::AlignCenter);
  auto* what = new QLabel("Tariff libraries of natural-gas pipeline companies:\nbrowse, check, copy and publish");
  what->setAlignment(Qt::AlignCenter);
  auto* version = new QLabel(QString("Version %1 of %2").arg(VORNE_VERSION, ProgramDate()));
  version->setObjectName("versionLabel");
  version->setAlignment(Qt::AlignCenter);
  season_ = new QLabel;
  season_->setAlignment(Qt::AlignCenter);
  auto* hint = new QLabel("(click or press a key to start at once)");
  hint->setAlignment(Qt::AlignCenter);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(30, 20, 30, 20);
  layout->addWidget(title);
  layout->addWidget(what);
  layout->addSpacing(10);
  layout->addWidget(version);
  layout->addWidget(season_);
  layout->addStretch();
  layout->addWidget(hint);
  resize(460, 280);
}

void TSplash::ShowPictures(bool december, bool january) {
  QStringList s;
  if (december) s << "Season's greetings";
  if (january) s << "Happy New Year";
  season_->setText(s.join("  -  "));
}

void TSplash::mousePressEvent(QMouseEvent*) { emit startRequested(); }
void TSplash::keyPressEvent(QKeyEvent*) { emit startRequested(); }

// ---- help ------------------------------------------------------------------------------

namespace {

// A read-only text over an OK button, the shape of the help and notices windows.
QTextEdit* FillTextWindow(QDialog* window, const char* textName, const QString& text) {
  auto* box = new QTextEdit;
  box->setObjectName(textName);
  box->setReadOnly(true);
  box->setPlainText(text);
  auto* ok = new QDialogButtonBox(QDialogButtonBox::Ok);
  auto* layout = new QVBoxLayout(window);
  layout->addWidget(box);
  layout->addWidget(ok);
  QObject::connect(ok, &QDialogButtonBox::accepted, window, &QDialog::accept);
  return box;
}

}  // namespace

THelpWindow::THelpWindow(QWidget* parent) : QDialog(parent) {
  setObjectName("helpWindow");
  setWindowTitle("WinVORNE2");
  FillTextWindow(this, "Clues", HelpText());
  resize(520, 420);
}

QString NoticesText() { return QString::fromUtf8(kThirdPartyNotices).trimmed(); }

TNoticesWindow::TNoticesWindow(QWidget* parent) : QDialog(parent) {
  setObjectName("noticesWindow");
  setWindowTitle("Other libraries' licences");
  QTextEdit* text = FillTextWindow(this, "Notices", NoticesText());
  // The notices are laid out in columns of a fixed pitch.
  text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  text->setLineWrapMode(QTextEdit::NoWrap);
  const int width = QFontMetrics(text->font()).horizontalAdvance(QString(82, 'M'));
  resize(width + 60, 520);
}

// ---- the toolbox -------------------------------------------------------------------------

TToolboxDialog::TToolboxDialog(QWidget* parent) : QDialog(parent) {
  setObjectName("toolbox");
  setWindowTitle("Toolbox");
  fontBox_ = new QListWidget;
  fontBox_->setObjectName("FontBox");
  for (const std::string& line : FontBoxLines()) {
    // Control codes have no glyph: they show as blanks, so every line keeps its columns.
    QString text = ToQt(line);
    for (qsizetype i = 0; i < text.size(); ++i) {
      const char16_t c = text[i].unicode();
      if (c < 0x20 || (c >= 0x7F && c < 0xA0)) text[i] = QChar(' ');
    }
    fontBox_->addItem(text);
  }
  QFont mono("Courier New");
  mono.setStyleHint(QFont::TypeWriter);
  SetFontBoxFont(mono);

  auto* diagnostics = new QCheckBox("Header diagnostics");
  diagnostics->setToolTip("Show weird link addresses.");
  auto* font = new QPushButton("font");
  font->setToolTip("Look at a different font.");
  auto* buttons = new QDialogButtonBox;
  QPushButton* ok = buttons->addButton(QDialogButtonBox::Ok);
  ok->setToolTip("This makes available potentially destructive capabilities.");
  QPushButton* cancel = buttons->addButton(QDialogButtonBox::Cancel);
  cancel->setToolTip("Revert to ordinary mortal powers");
  QPushButton* help = buttons->addButton(QDialogButtonBox::Help);
  help->setToolTip("Experimental Help function");
  help->setEnabled(false);  // it has no action
  auto* side = new QHBoxLayout;
  side->addWidget(diagnostics);
  side->addStretch();
  side->addWidget(font);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(fontBox_, 1);
  layout->addLayout(side);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(font, &QPushButton::clicked, this, [this] {
    bool ok = false;
    QFont f = QFontDialog::getFont(&ok, fontBox_->font(), this, "font");
    if (ok) SetFontBoxFont(f);
  });
}

void TToolboxDialog::SetFontBoxFont(const QFont& font) {
  fontBox_->setFont(font);
  // Four times "MMMMMMMM": the 21 characters of a line with room to spare.
  const int width = 4 * QFontMetrics(font).horizontalAdvance("MMMMMMMM");
  fontBox_->setMinimumWidth(width);
  fontBox_->setMinimumHeight(17 * QFontMetrics(font).height());
  adjustSize();
}

// ---- note panes ----------------------------------------------------------------------------

TNotePane::TNotePane(const QString& objectName, const QString& text, QWidget* parent) : QFrame(parent) {
  setObjectName(objectName);
  setFrameShape(QFrame::Box);
  setAutoFillBackground(true);
  QPalette p = palette();
  p.setColor(QPalette::Window, QColor(255, 255, 225));
  setPalette(p);
  auto* label = new QLabel(text);
  label->setWordWrap(true);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(14, 12, 14, 12);
  layout->addWidget(label);
  setFixedWidth(520);
  adjustSize();
  hide();
}

void TNotePane::mousePressEvent(QMouseEvent*) { hide(); }

}  // namespace vorne
