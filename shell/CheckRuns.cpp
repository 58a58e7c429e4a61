#include "shell/CheckRuns.h"

#include "sheets/SheetList.h"
#include "shell/RunState.h"
#include "volumes/VolumeList.h"

namespace vorne {

// ---- Verify ---------------------------------------------------------------------------------

bool TVerifyRun::Prepare(TRunContext& main, TFromDisplay&) {
  // Every run starts a fresh window, so that it shows this run's results;
  // the last run's window goes once its view has let go of it.
  std::unique_ptr<TverifyW> previous = std::move(window_);
  window_ = std::make_unique<TverifyW>(main.Env());
  window_->Show();
  main.Windows().verification = window_.get();
  main.Windows().Changed();
  return true;
}

bool TVerifyRun::EachVolume(TRunContext& main, TFromDisplay& list, size_t row, TPrimeRef& volume) {
  const std::string company = row < list.RowCount() ? list.Rows()[row].caption : volume.record.companyName;
  window_->VerifyVolume(volume, company, &main.State().Selection);
  list.SetMarked(row, false);
  return true;
}

void TVerifyRun::Finish(TRunContext& main, TFromDisplay& list) {
  if (window_) window_->Show();
  list.Counts();
  main.SheetList().Show();
}

void TVerifyRun::CloseWindow(TRunContext& main) {
  // The window goes after its view has let go of it.
  std::unique_ptr<TverifyW> closing = std::move(window_);
  main.Windows().verification = nullptr;
  main.Windows().Changed();
}

// ---- Test and Errors Only -------------------------------------------------------------------

namespace {
const TSheetFilter* ListingFilter(TRunContext& main) {
  // The selection narrows the sheets only while the selectors are on screen.
  return main.State().Controls.SelectorsVisible ? &main.State().Selection : nullptr;
}
}  // namespace

bool TTestRun::Prepare(TRunContext& main, TFromDisplay&) {
  main.SheetList().SetRunMode(THdrForm::kTest);
  listing_.Start(TListingKind::Test);
  return true;
}

bool TTestRun::EachVolume(TRunContext& main, TFromDisplay&, size_t, TPrimeRef& volume) {
  const std::string caption = volume.DisplayLine();
  main.SheetList().SetVolumeCaption(caption);
  listing_.ListVolume(volume, caption, ListingFilter(main));
  main.SheetList().ShowCount(listing_.SheetCounter());
  return true;
}

bool TErrorsRun::Prepare(TRunContext& main, TFromDisplay&) {
  main.SheetList().SetRunMode(THdrForm::kErrorsOnly);
  listing_.Start(TListingKind::ErrorsOnly);
  return true;
}

bool TErrorsRun::EachVolume(TRunContext& main, TFromDisplay& list, size_t row, TPrimeRef& volume) {
  const std::string caption = volume.DisplayLine();
  main.SheetList().SetVolumeCaption(caption);
  if (!listing_.ListVolume(volume, caption, ListingFilter(main))) list.SetMarked(row, false);
  return true;
}

void TErrorsRun::Finish(TRunContext&, TFromDisplay& list) {
  listing_.End();
  list.Counts();
}

}  // namespace vorne
