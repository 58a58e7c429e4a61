// The views of the two typed dialogs a filing import waits on: "Please
// supply Docket and Filing date" (TType0Dialog) and "Verify Company Name and
// ID" (TVerifyDlg). Each edits its model's fields and closes only when the
// model's own OK accepts them.
#pragma once

namespace vorne {

class QtUserPort;

// Registers both views with the port.
void AddFilingDialogViews(QtUserPort& port);

}  // namespace vorne
