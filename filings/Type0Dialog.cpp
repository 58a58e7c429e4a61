#include "filings/Type0Dialog.h"

#include "filings/FilingFields.h"
#include "store/Common.h"

namespace vorne {

TType0Dialog::TType0Dialog(TUserPort& port, const std::string& companyName)
    : Pipeline(companyName), FilingDateField(ShortDate(Today())), port_(port) {}

bool TType0Dialog::OK() {
  uint16_t date = 0;
  if (FilingDateField.find('/') != std::string::npos) {
    std::optional<uint16_t> d = DateToPacked(TrimBoth(FilingDateField));
    if (d) date = *d;
  } else {
    date = SixDigitDate(TrimBoth(FilingDateField));
  }
  if (date == 0) {
    port_.Error("Error in date field");
    return false;
  }
  docket_ = DocketField.substr(0, 20);
  date_ = date;
  return true;
}

}  // namespace vorne
