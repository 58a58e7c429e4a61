// Comparing two versions of a sheet: which versions pair up (TVersionPairs),
// the two texts with their captions (TCompareSide), the sheet list's
// "Compare" command (PickVersions), and the comparison window "Compare
// Versions" as a model (TCompareWindow).
//
// A sheet's older version is the next lower revision of the same sheet
// number in the same volume. It is looked up among every version on disk,
// not only the listed ones: the older version of an effective sheet is
// superseded, and a selection by status leaves it out of the list.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sheets/SheetDiff.h"
#include "store/Headers.h"

namespace vorne {

class THdrForm;
class TFileCluster;

// Every version on disk of the volumes asked about, each volume loaded once
// (whatever the selection). Volumes are borrowed and must outlive it.
class TVersionPairs {
 public:
  // The first version, in version order, of the sheet's number in its volume
  // whose revision is below the sheet's and that is not Deleted (a deleted
  // version was taken out of the tariff, so what changed is measured against
  // the one before it). Gaps in the revisions are skipped. nullptr when there
  // is none, or the sheet belongs to no volume.
  TSheetPtr OlderVersion(const TSheet& sheet);
  // The VolumeName of the sheet's volume record, trimmed (as the Database
  // export writes it).
  std::string VolumeText(const TSheet& sheet);

 private:
  THdrList* ListOf(const TSheet& sheet);
  std::map<const TPrimeRef*, std::unique_ptr<THdrList>> lists_;
};

// One side of a comparison: the sheet, the texts of its caption and its
// lines as the sheet text window shows them (title removed, the superseding
// line marked, ñ mended), trailing blanks removed.
struct TCompareSide {
  TSheetPtr sheet;
  std::string company;    // the volume's company name
  std::string code;       // the 6-digit company ID
  std::string volume;     // VolumeName, trimmed
  std::string sheetName;  // the title line
  std::string status;     // "Effective", "Superseded", ...
  std::string effective;  // the docket's effective date, M/D/YYYY or "Missing"
  std::vector<std::string> lines;

  // Company, volume, sheet name, status and effective date, joined by " | ".
  std::string CaptionLine() const;
  // "<code> <volume> | <sheet name>": the name a unified diff gives this side.
  std::string DiffName() const;
};

// Reads the sheet's side through the text buffer of its volume's cluster.
// False when the text cannot be read (the reader has said why).
bool ReadCompareSide(const TSheetPtr& sheet, TVersionPairs& pairs, TCompareSide& side);

struct TVersionPick {
  TSheetPtr older, newer;
};
// The sheet list's "Compare": exactly two marked sheets with each other (the
// lower revision, else the earlier effective date, is the older), or else the
// selected sheet with its older version. nullopt after a message saying why
// there is nothing to compare.
std::optional<TVersionPick> PickVersions(THdrForm& list, TVersionPairs& pairs);

// The comparison window: the older version on the left, the newer on the
// right, row by row; "Next change" and "Previous change" step through the
// runs of changed rows.
class TCompareWindow {
 public:
  std::function<void()> onChanged;

  // Reads both sides and compares them; false (the window unchanged) when a
  // text cannot be read.
  bool Compare(const TVersionPick& pick, TVersionPairs& pairs);
  void SetSides(TCompareSide older, TCompareSide newer);

  const TCompareSide& Older() const { return older_; }
  const TCompareSide& Newer() const { return newer_; }
  const TSheetDiff& Diff() const { return diff_; }
  // "Compare Versions: " + the newer sheet's name.
  std::string Caption() const;
  std::string Summary() const { return diff_.Summary(); }
  // Counts the comparisons shown (SetSides), so a view redraws the texts
  // only for a new one, not for a step to another change.
  int Generation() const { return generation_; }

  // The current change (an index into Diff().ChangeStarts()), -1 when there
  // is none; its first row, -1 likewise.
  int CurrentChange() const { return current_; }
  int CurrentRow() const;
  int ChangeCount() const { return int(starts_.size()); }
  bool NextEnabled() const { return current_ + 1 < ChangeCount(); }
  bool PreviousEnabled() const { return current_ > 0; }
  void NextChange();
  void PreviousChange();

 private:
  void Changed() {
    if (onChanged) onChanged();
  }

  TCompareSide older_, newer_;
  TSheetDiff diff_;
  std::vector<size_t> starts_;
  int current_ = -1;
  int generation_ = 0;
};

}  // namespace vorne
