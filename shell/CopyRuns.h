// Copy: each marked volume's selected sheets go into the output library
// (merged into a volume it holds, or added as a new one), optionally one
// output library per company code, with the copy log, the false-duplicate
// report and, for a split output, the packing batch file and includes page.
#pragma once

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "copy/CopyErrors.h"
#include "copy/OutputVolumes.h"
#include "shell/ModeRun.h"

namespace vorne {

class TCopyRun : public TModeRun {
 public:
  bool Prepare(TRunContext& main, TFromDisplay& list) override;
  bool EachVolume(TRunContext& main, TFromDisplay& list, size_t row, TPrimeRef& volume) override;
  void Finish(TRunContext& main, TFromDisplay& list) override;

  // "Show": the output-volume window, made when needed and listing the open
  // output library. False when there is neither an output library nor a
  // window of an earlier copy.
  bool ShowOutput(TRunContext& main);
  // The output-volume window; it lives from the first copy (or Show) on.
  TToDisplay* OutputWindow() const { return toDisplay_.get(); }
  // The false-duplicate report shown by each Finish of this program run,
  // in order (the window's lines, first line included).
  const std::vector<std::string>& ReportedDuplicates() const { return reported_; }
  int VolumesCopied() const { return copied_; }
  int VolumesFailed() const { return failed_; }

 private:
  bool SwitchCompany(TRunContext& main, TFileCluster& out, const std::string& name);
  void SaveIncludesPage(TRunContext& main);

  std::unique_ptr<TToDisplay> toDisplay_;
  std::unique_ptr<TCopyErrors> dups_;
  std::vector<std::string> reported_;
  std::set<std::string> companiesWritten_;  // split libraries written in this program run
  int copied_ = 0;
  int failed_ = 0;
};

}  // namespace vorne
