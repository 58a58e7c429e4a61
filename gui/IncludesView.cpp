#include "gui/IncludesView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QTabWidget>
#include <QVBoxLayout>

#include "gui/Text1252.h"
#include "volumes/HtmlIncludes.h"

namespace vorne {

namespace {

const char* const kPartNames[4] = {"Prologue", "IndexTop", "IndexMiddle", "Epilogue"};

// A part as one text: the short pieces the Epilogue is kept in read as the
// line they make; every other line stands on its own.
QString PartText(const std::vector<std::string>& lines) {
  QString text;
  bool inPieces = false;
  for (const std::string& l : lines) {
    const bool piece = l.size() <= 2;
    if (!text.isEmpty() && !(piece && inPieces)) text += '\n';
    text += ToQt(l);
    inPieces = piece;
  }
  return text;
}

}  // namespace

TIncludesView::TIncludesView(TIncludes& model, TFromDisplay& list, TEnv& env, QWidget* parent)
    : QWidget(parent), model_(model), list_(list), env_(env) {
  setObjectName("htmlIncludes");
  setWindowTitle(kIncludesCaption);
  tabs_ = new QTabWidget;
  for (int i = 0; i < 4; ++i) {
    parts_[size_t(i)] = new QPlainTextEdit;
    parts_[size_t(i)]->setObjectName(kPartNames[i]);
    parts_[size_t(i)]->setFont(FixedPitchFont());
    parts_[size_t(i)]->setLineWrapMode(QPlainTextEdit::NoWrap);
    tabs_->addTab(parts_[size_t(i)], kPartNames[i]);
  }
  tabs_->setToolTip("The parts the page is made of; edit them before Go");
  output_ = new QPlainTextEdit;
  output_->setObjectName("outputPane");
  output_->setReadOnly(true);
  output_->setFont(FixedPitchFont());
  output_->setLineWrapMode(QPlainTextEdit::NoWrap);
  go_ = new QPushButton("Go");
  go_->setToolTip("Append the download page of the volume list's companies");
  save_ = new QPushButton("Save");
  save_->setToolTip("Save the page (Go makes it first)");
  auto* bar = new QHBoxLayout;
  bar->addWidget(new QLabel("The page"), 1);
  bar->addWidget(go_);
  bar->addWidget(save_);
  auto* pageBox = new QWidget;
  auto* pageLayout = new QVBoxLayout(pageBox);
  pageLayout->setContentsMargins(0, 0, 0, 0);
  pageLayout->addLayout(bar);
  pageLayout->addWidget(output_, 1);
  auto* split = new QSplitter(Qt::Vertical);
  split->addWidget(tabs_);
  split->addWidget(pageBox);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addWidget(split, 1);

  for (int i = 0; i < 4; ++i) {
    shown_[size_t(i)] = PartText(PartLines(i));
    parts_[size_t(i)]->setPlainText(shown_[size_t(i)]);
  }
  connect(go_, &QPushButton::clicked, this, [this] {
    TakeEdits();
    model_.Go(list_);
    refresh();
  });
  connect(save_, &QPushButton::clicked, this, [this] { model_.SaveClick(env_); });
  refresh();
}

std::vector<std::string>& TIncludesView::PartLines(int index) const {
  switch (index) {
    case 0:
      return model_.Prologue;
    case 1:
      return model_.IndexTop;
    case 2:
      return model_.IndexMiddle;
    default:
      return model_.Epilogue;
  }
}

void TIncludesView::TakeEdits() {
  for (int i = 0; i < 4; ++i) {
    const QString text = parts_[size_t(i)]->toPlainText();
    if (text == shown_[size_t(i)]) continue;
    std::vector<std::string>& lines = PartLines(i);
    lines.clear();
    for (const QString& l : text.split('\n')) lines.push_back(FromQt(l));
    shown_[size_t(i)] = text;
  }
}

void TIncludesView::refresh() {
  QStringList lines;
  for (const std::string& l : model_.Output()) lines << ToQt(l);
  const QString text = lines.join('\n');
  if (output_->toPlainText() != text) {
    output_->setPlainText(text);
    // The tables of the page made last, rather than the end of its epilogue.
    const std::vector<std::string>& out = model_.Output();
    int at = int(out.size()) - 1;
    while (at > 0 && (model_.IndexTop.empty() || out[size_t(at)] != model_.IndexTop.front())) --at;
    output_->verticalScrollBar()->setValue(at);
  }
  save_->setEnabled(model_.SaveEnabled());
}

}  // namespace vorne
