#include "sheets/HeaderInfo.h"

#include <exception>

#include "store/Common.h"

namespace vorne {

THdrInfo::THdrInfo(THdrForm& list) : list_(list) {}

void THdrInfo::Alt_EClick() {
  open_ = true;
  if (TSheetPtr sheet = list_.GetSelectedSheet()) Show(sheet);
  Changed();
}

void THdrInfo::Show(const TSheetPtr& sheet) {
  if (!open_ || !sheet) return;
  try {
    sheet_ = sheet;
    Fill(*sheet);
  } catch (const std::exception&) {
    list_.Env().port.Error("System error:-Memory Protection fault in Info window");
    open_ = false;
  }
  Changed();
}

void THdrInfo::Fill(const TSheet& sheet) {
  const TSheetBody& b = sheet.body;
  THdrInfoFields& f = fields_;
  f.status = StatusName(b.status);
  f.orientation = b.orientation == 'P' ? "Portrait" : "Landscape";
  f.linesPerInch = std::string(1, char(b.linesPerInch)) + " Lines per inch";
  f.refundVisible = b.refundFlag != 0;
  f.filingDate = PackedToText(b.filingDate);
  f.updDate = PackedToText(b.updDate);
  f.fromSheet = PadRight(b.fromSheetNo, 8).substr(0, 8);
  f.toSheet = PadRight(b.toSheetNo, 8).substr(0, 8);
  f.orderVisible = b.orderType != 0;
  if (f.orderVisible) {
    f.orderType = OrderTypeName(b.orderType);
    f.zoakCite = b.orderCite.Display();
  }
  f.sheetNo = PadRight(b.sheetNo, 8).substr(0, 8);
  f.revNo = std::to_string(b.revNo);
  f.pitch = "Pitch =" + std::to_string(PitchCpi(b.pitchCode));
  f.sheetType = SheetTypeName(b.sheetType);

  if (const std::shared_ptr<T6Entry> docket = sheet.Docket()) {
    const TDocketBody& d = docket->body;
    f.background = docket->IsMissing() ? std::optional<TRgb>(kRed) : std::nullopt;
    f.docket = docket->docketText;
    f.effectiveDate = PackedToText(d.effectiveDate);
    f.issueDate = PackedToText(d.issueDate);
    if (f.orderVisible) f.orderDate = PackedToText(d.orderDate);
    f.complianceVisible = d.complianceDkt != std::string(20, ' ') && d.complianceDate != 0;
    if (f.complianceVisible) {
      f.complianceDate = PackedToText(d.complianceDate);
      f.complianceDkt = PadRight(d.complianceDkt, 20).substr(0, 20);
      f.citevalue = d.citevalue.Display();
    }
  } else {
    f.background = kRed;
    f.effectiveDate = "pointer is nil";
    f.complianceVisible = false;
  }

  const std::shared_ptr<T5Entry> issuer = sheet.Issuer();
  if (issuer && !issuer->IsMissing()) {
    f.issuer = issuer->name;
    f.issuerPanel = std::nullopt;
  } else {
    f.issuer = "Missing";
    f.issuerPanel = kFuchsia;
  }
}

void THdrInfo::ExitClick() {
  open_ = false;
  Changed();
}

void THdrInfo::NextClick() {
  nextVisible_ = list_.SelectNext();
  previousVisible_ = true;
  Changed();
}

void THdrInfo::PreviousClick() {
  previousVisible_ = list_.SelectPrevious();
  nextVisible_ = true;
  Changed();
}

}  // namespace vorne
