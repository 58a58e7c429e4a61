// TType0Dialog: "Please supply Docket and Filing date", asked when a
// company's records come without a filing record before them. The view
// edits DocketField and FilingDateField and calls OK, which closes the
// dialog only when the date reads.
#pragma once

#include <cstdint>
#include <string>

#include "platform/UserPort.h"

namespace vorne {

class TType0Dialog : public TDialogModel {
 public:
  static constexpr const char* kCaption = "Please supply Docket and Filing date";
  TType0Dialog(TUserPort& port, const std::string& companyName);

  std::string Caption() const override { return kCaption; }

  std::string Pipeline;                          // label: the company name
  std::string DocketField = "Missing Docket";
  std::string FilingDateField;                   // today, M/D/YYYY

  // Reads the fields: the docket cut to 20, the date in the short form when
  // it holds "/", else as MMDDYY. False after "Error in date field" (the
  // dialog stays open).
  bool OK();

  const std::string& Docket() const { return docket_; }
  uint16_t FilingDate() const { return date_; }

 private:
  TUserPort& port_;
  std::string docket_;
  uint16_t date_ = 0;
};

}  // namespace vorne
