#include "gui/DebugLogView.h"

#include <QLabel>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include "gui/Text1252.h"
#include "output/DebugLog.h"

namespace vorne {

TDebugLogView::TDebugLogView(TDebugLog& log, QWidget* parent) : QWidget(parent), log_(log) {
  setObjectName("debugLog");
  setWindowTitle(ToQt(log_.Caption()));
  auto* header = new QLabel("Problems met by the output writers, newest last");
  header->setFrameShape(QFrame::StyledPanel);
  lines_ = new QPlainTextEdit;
  lines_->setReadOnly(true);
  lines_->setLineWrapMode(QPlainTextEdit::NoWrap);
  QFont mono("Courier New");
  mono.setStyleHint(QFont::TypeWriter);
  lines_->setFont(mono);
  status_ = new QLabel;
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addWidget(header);
  layout->addWidget(lines_, 1);
  auto* save = new QPushButton("Save...");
  save->setToolTip("Save the lines of the log to a file");
  auto* bar = new QHBoxLayout;
  bar->addWidget(status_, 1);
  bar->addWidget(save);
  layout->addLayout(bar);
  connect(save, &QPushButton::clicked, this, &TDebugLogView::saveRequested);
  log_.onChanged = [this] { refresh(); };
  refresh();
}

TDebugLogView::~TDebugLogView() { log_.onChanged = nullptr; }

void TDebugLogView::refresh() {
  const auto& all = log_.Log();
  if (all.size() < shown_) {
    lines_->clear();
    shown_ = 0;
  }
  for (; shown_ < all.size(); ++shown_) lines_->appendPlainText(ToQt(all[shown_]));
  lines_->verticalScrollBar()->setValue(lines_->verticalScrollBar()->maximum());
  status_->setText(ToQt(log_.Status()));
}

}  // namespace vorne
