// The one table of the runs: which mode runs what. Adding a mode adds a row.
#pragma once

#include <map>
#include <memory>

#include "shell/ModeRun.h"

namespace vorne {

class TRecordListing;

// A new run for every mode that has one. Test and Errors Only share the
// listing of the sheet list window.
std::map<TRunMode, std::unique_ptr<TModeRun>> MakeModeRuns(TRecordListing& listing);

}  // namespace vorne
