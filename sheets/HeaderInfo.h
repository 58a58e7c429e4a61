// THdrInfo: the header info window ("Sheet Header Info") as a model. It shows
// every header field of one sheet, of its docket entry and of its issuer
// entry, and follows the sheet list while it is open: the view calls Show
// whenever the list's current sheet changes or the sheet text window shows
// another sheet. A missing docket turns the window red, a missing issuer its
// panel fuchsia.
//
// The list window is borrowed and must outlive this model.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "sheets/SheetList.h"

namespace vorne {

struct THdrInfoFields {
  std::string status = "Not Available";
  std::string orientation = "Not Available";
  std::string linesPerInch = "Not Available";
  bool refundVisible = false;  // " Subject To Refund"
  std::string filingDate = "Not Available";
  std::string updDate = "Not Available";
  std::string fromSheet = "Not Available";
  std::string toSheet = "Not Available";
  bool orderVisible = false;  // the order panel: type, cite and order date
  std::string orderType = "Not Available";
  std::string zoakCite = "Not Available";
  std::string orderDate = "Not Available";
  std::string sheetNo = "Not Available";
  std::string revNo = "Not Available";
  std::string pitch = "Not Available";
  std::string sheetType = "Not Available";
  std::string docket = "Not Available";
  std::string effectiveDate = "Not Available";
  std::string issueDate = "Not Available";
  bool complianceVisible = false;
  std::string complianceDate = "Not Available";
  std::string complianceDkt = "Not Available";
  std::string citevalue = "Not Available";
  std::string issuer = "Not Available";
  // nullopt: the normal window background / button face.
  std::optional<TRgb> background;
  std::optional<TRgb> issuerPanel;
};

class THdrInfo {
 public:
  static constexpr TRgb kRed{255, 0, 0};
  static constexpr TRgb kFuchsia{255, 0, 255};

  explicit THdrInfo(THdrForm& list);

  std::function<void()> onChanged;

  // "Info" in the sheet list or the sheet text window: opens the window (it
  // follows the list from now on) and shows the selected sheet.
  void Alt_EClick();
  bool IsOpen() const { return open_; }
  // Fills the fields while the window is open; a failure closes it after
  // "System error:-Memory Protection fault in Info window".
  void Show(const TSheetPtr& sheet);
  void ExitClick();
  void NextClick();
  void PreviousClick();

  const THdrInfoFields& Fields() const { return fields_; }
  const TSheetPtr& Sheet() const { return sheet_; }
  bool NextVisible() const { return nextVisible_; }
  bool PreviousVisible() const { return previousVisible_; }
  static constexpr const char* kCaption = "Sheet Header Info";

 private:
  void Fill(const TSheet& sheet);
  void Changed() {
    if (onChanged) onChanged();
  }

  THdrForm& list_;
  bool open_ = false;
  TSheetPtr sheet_;
  THdrInfoFields fields_;
  bool nextVisible_ = true;
  bool previousVisible_ = true;
};

}  // namespace vorne
