// The checking runs: Verify (sheet names against their numbers and
// revisions) and the header record listings of Test and Errors Only.
#pragma once

#include <memory>

#include "filings/Verifier.h"
#include "sheets/Listing.h"
#include "shell/ModeRun.h"

namespace vorne {

class TVerifyRun : public TModeRun {
 public:
  // Creates and shows a new verify window in place of the last run's one.
  bool Prepare(TRunContext& main, TFromDisplay& list) override;
  bool EachVolume(TRunContext& main, TFromDisplay& list, size_t row, TPrimeRef& volume) override;
  void Finish(TRunContext& main, TFromDisplay& list) override;

  TverifyW* Window() const { return window_.get(); }
  // Drops the window (its view has gone).
  void CloseWindow(TRunContext& main);

 private:
  std::unique_ptr<TverifyW> window_;
};

// Test: every record of each marked volume; the rows stay marked. Test and
// Errors Only fill the one listing of the sheet list window.
class TTestRun : public TModeRun {
 public:
  explicit TTestRun(TRecordListing& listing) : listing_(listing) {}
  bool Prepare(TRunContext& main, TFromDisplay& list) override;
  bool EachVolume(TRunContext& main, TFromDisplay& list, size_t row, TPrimeRef& volume) override;

 protected:
  TRecordListing& listing_;
};

// Errors Only: a volume without errors is unmarked.
class TErrorsRun : public TTestRun {
 public:
  using TTestRun::TTestRun;
  bool Prepare(TRunContext& main, TFromDisplay& list) override;
  bool EachVolume(TRunContext& main, TFromDisplay& list, size_t row, TPrimeRef& volume) override;
  void Finish(TRunContext& main, TFromDisplay& list) override;
};

}  // namespace vorne
