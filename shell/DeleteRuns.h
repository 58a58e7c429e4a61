// The Delete runs of ExpertMode: whole volumes (RunMode 10) and the selected
// sheets of volumes (RunMode 11).
//
// Deleting volumes rewrites only the prime file: the remaining volumes keep
// the order and the company names the prime file had, and the file is
// replaced through a temporary file, so a failure leaves it as it was. The
// header and text files are never shortened; the records of a deleted
// volume stay on disk where nothing points at them any more.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "shell/ModeRun.h"

namespace vorne {

inline constexpr char kDeleteVolumesWarning[] = "Press OK to delete marked company tariff volumes";
// How the sheet list window's question of each volume begins ("Mark these 3
// sheets Deleted").
inline constexpr char kMarkDeletedPrefix[] = "Mark these ";

// RunMode 10: each marked row leaves the list; Finish, under the library's
// lock, reads the prime file again and writes it less the removed volumes
// (also keeping those the list does not show and those another run added
// meanwhile), and fills the list again.
class TDeleteVolumesRun : public TModeRun {
 public:
  bool ArmsStopButton() const override { return false; }
  bool Prepare(TRunContext& main, TFromDisplay& list) override;
  bool EachVolume(TRunContext& main, TFromDisplay& list, size_t row, TPrimeRef& volume) override;
  void Finish(TRunContext& main, TFromDisplay& list) override;

 private:
  std::vector<TPrimeRef*> removed_;
};

// RunMode 11: each marked volume's selected sheets are listed in the sheet
// list window, which asks whether to mark them Deleted (MarkDeleted); its
// Abort ends the run. The whole run is one header edit under the library's
// lock: the volumes it marks land together in Finish, or none of them.
class TDeleteSheetsRun : public TModeRun {
 public:
  bool Prepare(TRunContext& main, TFromDisplay& list) override;
  bool EachVolume(TRunContext& main, TFromDisplay& list, size_t row, TPrimeRef& volume) override;
  void Finish(TRunContext& main, TFromDisplay& list) override;

 private:
  TFileCluster* cluster_ = nullptr;  // locked and in its edit from Prepare to Finish
  std::vector<std::pair<TPrimeRef*, uint16_t>> counts_;  // sheet counts before the run
};

}  // namespace vorne
