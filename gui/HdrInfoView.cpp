#include "gui/HdrInfoView.h"

#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/Text1252.h"
#include "sheets/HeaderInfo.h"

namespace vorne {

namespace {

QFrame* Panel() {
  auto* f = new QFrame;
  f->setFrameShape(QFrame::StyledPanel);
  f->setAutoFillBackground(true);
  return f;
}

void Paint(QWidget* w, const std::optional<TRgb>& colour, QPalette::ColorRole role) {
  QPalette p = w->palette();
  p.setColor(role, colour ? QColor(colour->r, colour->g, colour->b) : QWidget().palette().color(role));
  w->setPalette(p);
}

}  // namespace

QLabel* THdrInfoView::Field(const QString& name) {
  auto* l = new QLabel("Not Available");
  l->setObjectName(name);
  l->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return l;
}

THdrInfoView::THdrInfoView(THdrInfo& info, QWidget* parent) : QWidget(parent), info_(info) {
  setObjectName("hdrInfo");
  setWindowTitle(THdrInfo::kCaption);
  setAutoFillBackground(true);

  auto* sheet = Panel();
  auto* sf = new QFormLayout(sheet);
  sf->addRow("SheetNo.", Field("SheetNo"));
  QLabel* revision = Field("RevNo");
  revision->setToolTip("Revision number zero means an Original sheet.");
  sf->addRow("Revision", revision);
  sf->addRow("Sheet Type", Field("SheetType"));
  sf->addRow("Status", Field("Status"));
  sf->addRow("Filing date", Field("FilingDate"));
  sf->addRow("Last Updated", Field("UpdDate"));
  auto* supersedes = new QHBoxLayout;
  supersedes->addWidget(Field("fromlabel"));
  supersedes->addWidget(new QLabel("--"));
  supersedes->addWidget(Field("toSheet"));
  sf->addRow("Supersedes", supersedes);
  sf->addRow("", Field("Orientation"));
  sf->addRow("", Field("LinesPerInch"));
  sf->addRow("", Field("PitchField"));
  refund_ = new QLabel(" Subject To Refund");
  sf->addRow("", refund_);

  auto* docket = Panel();
  auto* df = new QFormLayout(docket);
  df->addRow("Docket", Field("Docket"));
  df->addRow("Effective Date", Field("EffectiveDate"));
  df->addRow("Issue Date", Field("IssueDate"));

  order_ = Panel();
  auto* of = new QFormLayout(order_);
  of->addRow("Order Type", Field("OrderType"));
  of->addRow("ZOAK Cite", Field("ZoakCite"));
  of->addRow("Order date", Field("OrderDate"));

  compliance_ = Panel();
  auto* cf = new QFormLayout(compliance_);
  cf->addRow("Issued in compliance with order dated:", Field("ComplianceDate"));
  cf->addRow("in Docket No.", Field("ComplianceDkt"));
  cf->addRow("Cite", Field("Citevalue"));

  issuerPanel_ = Panel();
  auto* inf = new QFormLayout(issuerPanel_);
  inf->addRow("Issued by", Field("Issuer"));

  next_ = new QPushButton("Next");
  next_->setToolTip("Go to next sheet");
  prev_ = new QPushButton("Previous");
  prev_->setToolTip("Go to previous sheet");
  auto* exit = new QPushButton("Exit");
  exit->setToolTip("Close this window, return to  previous");
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(prev_);
  buttons->addWidget(next_);
  buttons->addStretch();
  buttons->addWidget(exit);

  auto* top = new QHBoxLayout;
  top->addWidget(sheet);
  auto* right = new QVBoxLayout;
  right->addWidget(docket);
  right->addWidget(order_);
  right->addWidget(compliance_);
  right->addStretch();
  top->addLayout(right);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addLayout(top);
  layout->addWidget(issuerPanel_);
  layout->addLayout(buttons);

  connect(next_, &QPushButton::clicked, this, [this] { info_.NextClick(); });
  connect(prev_, &QPushButton::clicked, this, [this] { info_.PreviousClick(); });
  connect(exit, &QPushButton::clicked, this, [this] {
    info_.ExitClick();
    emit exitRequested();
  });
  info_.onChanged = [this] { refresh(); };
  refresh();
}

THdrInfoView::~THdrInfoView() { info_.onChanged = nullptr; }

QString THdrInfoView::FieldText(const QString& name) const {
  const QLabel* l = findChild<QLabel*>(name);
  return l ? l->text() : QString();
}

void THdrInfoView::refresh() {
  const THdrInfoFields& f = info_.Fields();
  const std::pair<const char*, const std::string*> fields[] = {
      {"Status", &f.status},          {"Orientation", &f.orientation},       {"LinesPerInch", &f.linesPerInch},
      {"FilingDate", &f.filingDate},  {"UpdDate", &f.updDate},               {"fromlabel", &f.fromSheet},
      {"toSheet", &f.toSheet},        {"OrderType", &f.orderType},           {"ZoakCite", &f.zoakCite},
      {"OrderDate", &f.orderDate},    {"SheetNo", &f.sheetNo},               {"RevNo", &f.revNo},
      {"PitchField", &f.pitch},       {"SheetType", &f.sheetType},           {"Docket", &f.docket},
      {"EffectiveDate", &f.effectiveDate}, {"IssueDate", &f.issueDate},      {"ComplianceDate", &f.complianceDate},
      {"ComplianceDkt", &f.complianceDkt}, {"Citevalue", &f.citevalue},      {"Issuer", &f.issuer}};
  for (const auto& [name, text] : fields)
    if (QLabel* l = findChild<QLabel*>(name)) l->setText(ToQt(*text));
  refund_->setVisible(f.refundVisible);
  order_->setVisible(f.orderVisible);
  compliance_->setVisible(f.complianceVisible);
  Paint(this, f.background, QPalette::Window);
  Paint(issuerPanel_, f.issuerPanel, QPalette::Window);
  next_->setVisible(info_.NextVisible());
  prev_->setVisible(info_.PreviousVisible());
  // The window fits its fields, as a panel comes or goes.
  for (QFrame* panel : findChildren<QFrame*>())
    if (panel->layout()) panel->layout()->activate();
  layout()->activate();
  adjustSize();
  if (QWidget* frame = parentWidget(); frame && !frame->isWindow()) frame->adjustSize();
}

}  // namespace vorne
