// COMPARE of vorne-batch: what changed in each listed sheet since its older
// version, as unified diffs in one file.
#pragma once

#include <optional>
#include <string>

#include "store/Headers.h"

namespace vorne {

struct TEnv;

struct TCompareCount {
  int compared = 0;  // sheets that had an older version
  int changed = 0;   // of those, the ones whose text changed (each one diff)
  std::string Message(const std::string& path) const;
};

// For each sheet in order that has an older version (TVersionPairs), the
// unified diff of the older text against the newer, 3 lines of context,
// headed "--- <code> <volume> | <older sheet name>" and "+++ <code> <volume> |
// <newer sheet name>"; the file is UTF-8 and replaces typedPath whole (made
// beside it and renamed), also when no sheet had an older version; the
// counts are shown with the file's path. nullopt
// when it cannot be written: the reason is on the port. A sheet whose text
// cannot be read is left out, and the reader has reported it.
std::optional<TCompareCount> WriteComparisons(TEnv& env, const TNamedSheets& sheets, const std::string& typedPath);

}  // namespace vorne
