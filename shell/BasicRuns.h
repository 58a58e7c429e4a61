// Browse and Database: the runs that only read the selected sheets of each
// marked volume, into the sheet list window or into the delimited export.
#pragma once

#include <memory>

#include "shell/ModeRun.h"
#include "volumes/Export.h"

namespace vorne {

// A run that would write an output without a single sheet in it.
inline constexpr char kNoSheetsSelected[] = "No sheets selected; nothing written";

// The selected sheets of a volume into the sheet list window, as Browse
// loads them; false when the volume has none.
bool LoadSelectedSheets(TRunContext& main, TPrimeRef& volume);

// Browse: each marked volume's selected sheets go into the sheet list window.
class TBrowseRun : public TModeRun {
 public:
  bool Prepare(TRunContext& main, TFromDisplay& list) override;
  bool EachVolume(TRunContext& main, TFromDisplay& list, size_t row, TPrimeRef& volume) override;
  void Finish(TRunContext& main, TFromDisplay& list) override;
};

// Database: one delimited line per selected sheet of each marked volume. A
// run that found no sheet replaces no file: it says kNoSheetsSelected.
class TDatabaseRun : public TModeRun {
 public:
  bool Prepare(TRunContext& main, TFromDisplay& list) override;
  bool EachVolume(TRunContext& main, TFromDisplay& list, size_t row, TPrimeRef& volume) override;
  void Finish(TRunContext& main, TFromDisplay& list) override;

 private:
  std::unique_ptr<TDatabaseExport> export_;
  size_t lines_ = 0;
};

}  // namespace vorne
