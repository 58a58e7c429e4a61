#include "shell/ModeTable.h"

#include <functional>

#include "shell/AddRun.h"
#include "shell/BasicRuns.h"
#include "shell/CheckRuns.h"
#include "shell/CopyRuns.h"
#include "shell/DeleteRuns.h"
#include "shell/PublishRuns.h"
#include "shell/ScanUpdates.h"

namespace vorne {

std::map<TRunMode, std::unique_ptr<TModeRun>> MakeModeRuns(TRecordListing& listing) {
  using TMake = std::function<std::unique_ptr<TModeRun>()>;
  const std::pair<TRunMode, TMake> table[] = {
      {TRunMode::Browse, [] { return std::make_unique<TBrowseRun>(); }},
      {TRunMode::Copy, [] { return std::make_unique<TCopyRun>(); }},
      {TRunMode::AddNewFiling, [] { return std::make_unique<TAddFilingRun>(false); }},
      {TRunMode::Verify, [] { return std::make_unique<TVerifyRun>(); }},
      {TRunMode::ScanUpdates, [] { return std::make_unique<TScanRun>(); }},
      {TRunMode::Database, [] { return std::make_unique<TDatabaseRun>(); }},
      {TRunMode::Html, [] { return std::make_unique<TPublishRun>(true); }},
      {TRunMode::PrintToFile, [] { return std::make_unique<TPublishRun>(false); }},
      {TRunMode::Test, [&] { return std::make_unique<TTestRun>(listing); }},
      {TRunMode::ErrorsOnly, [&] { return std::make_unique<TErrorsRun>(listing); }},
      {TRunMode::DeleteVolumes, [] { return std::make_unique<TDeleteVolumesRun>(); }},
      {TRunMode::DeleteSheets, [] { return std::make_unique<TDeleteSheetsRun>(); }},
      {TRunMode::UpdatePrimeDates, [] { return std::make_unique<TUpdateDatesRun>(); }},
  };
  std::map<TRunMode, std::unique_ptr<TModeRun>> runs;
  for (const auto& [mode, make] : table) runs[mode] = make();
  return runs;
}

}  // namespace vorne
