// TSheetDiff: what changed between two versions of a sheet's text, line by
// line, with the changed words inside each changed line; and the same as a
// unified diff that patch and review tools read.
//
// Lines are compared whole; within a run of removed and added lines, the
// first removed line is paired with the first added one, and so on, and each
// pair is shown as one changed line. Inside a pair, words (runs of non-blank
// characters) and single blanks are compared, so a figure that moved from
// 6.8783 to 6.9012 is marked as the whole figure on both sides.
//
// The shortest edit script comes from the diff template library (dtl, the
// O(NP) algorithm of Wu, Manber and Myers).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace vorne {

// Bytes [start, start + length) of a line.
struct TCharSpan {
  size_t start = 0;
  size_t length = 0;
  bool operator==(const TCharSpan&) const = default;
};

enum class TRowKind { Same, Changed, Removed, Added };

// One row of the side-by-side view: an older line, a newer line, or both.
struct TDiffRow {
  TRowKind kind = TRowKind::Same;
  int older = -1;  // index into the older lines; -1 for an added line
  int newer = -1;  // index into the newer lines; -1 for a removed line
  std::vector<TCharSpan> olderSpans, newerSpans;  // changed words (Changed rows)
};

class TSheetDiff {
 public:
  TSheetDiff() = default;
  static TSheetDiff Compare(const std::vector<std::string>& older, const std::vector<std::string>& newer);

  const std::vector<TDiffRow>& Rows() const { return rows_; }
  int ChangedCount() const { return changed_; }
  int AddedCount() const { return added_; }
  int RemovedCount() const { return removed_; }
  bool Identical() const { return changed_ + added_ + removed_ == 0; }
  // "3 lines changed, 1 added", "1 line removed", "No differences".
  std::string Summary() const;
  // The first row of each run of rows that are not Same, in order.
  std::vector<size_t> ChangeStarts() const;

 private:
  std::vector<TDiffRow> rows_;
  int changed_ = 0, added_ = 0, removed_ = 0;
};

// The unified diff of older against newer with context lines around each
// change, headed "--- olderName" and "+++ newerName"; lines end with "\n".
// Empty when the texts are the same. The bytes are written as given.
std::string UnifiedDiff(const std::vector<std::string>& older, const std::vector<std::string>& newer,
                        const std::string& olderName, const std::string& newerName, int context = 3);

}  // namespace vorne
