#include "sheets/SheetDiff.h"

#include <dtl/dtl.hpp>

#include <algorithm>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace vorne {

namespace {

enum class TOp : unsigned char { Same, Del, Add };

std::vector<TOp> ScriptOf(const std::vector<int>& a, const std::vector<int>& b) {
  std::vector<TOp> ops;
  if (a.empty() || b.empty()) {
    ops.assign(a.size(), TOp::Del);
    ops.insert(ops.end(), b.size(), TOp::Add);
    return ops;
  }
  dtl::Diff<int> diff(a, b, true);
  diff.compose();
  const auto ses = diff.getSes().getSequence();
  ops.reserve(ses.size());
  for (const auto& e : ses)
    ops.push_back(e.second.type == dtl::SES_COMMON ? TOp::Same : e.second.type == dtl::SES_DELETE ? TOp::Del : TOp::Add);
  return ops;
}

// The shortest edit script turning a into b; within each run of changes the
// deletions come first. Elements are compared as numbers: callers intern
// their lines or words first, so that the algorithm compares no strings.
//
// An element found on one side only is in no common subsequence: those are
// set aside before the search and put back as deletions and additions, so a
// sheet rewritten from top to bottom costs no more than one barely touched
// (the search grows with the number of differences).
std::vector<TOp> EditScript(const std::vector<int>& a, const std::vector<int>& b) {
  std::unordered_set<int> inA(a.begin(), a.end()), inB(b.begin(), b.end());
  std::vector<int> ra, rb;           // the elements found on both sides
  std::vector<size_t> pa, pb;        // and where they stand
  for (size_t i = 0; i < a.size(); ++i)
    if (inB.count(a[i])) ra.push_back(a[i]), pa.push_back(i);
  for (size_t j = 0; j < b.size(); ++j)
    if (inA.count(b[j])) rb.push_back(b[j]), pb.push_back(j);
  std::vector<TOp> ops;
  ops.reserve(a.size() + b.size());
  size_t i = 0, j = 0, ri = 0, rj = 0;
  for (TOp op : ScriptOf(ra, rb)) {
    // Everything up to the element this op is about, the set-aside ones first.
    const size_t toI = op != TOp::Add ? pa[ri++] : i, toJ = op != TOp::Del ? pb[rj++] : j;
    for (; i < toI; ++i) ops.push_back(TOp::Del);
    for (; j < toJ; ++j) ops.push_back(TOp::Add);
    ops.push_back(op);
    if (op != TOp::Add) ++i;
    if (op != TOp::Del) ++j;
  }
  for (; i < a.size(); ++i) ops.push_back(TOp::Del);
  for (; j < b.size(); ++j) ops.push_back(TOp::Add);
  // Deletions before additions within each run of changes.
  for (size_t k = 0; k < ops.size();) {
    size_t end = k;
    while (end < ops.size() && ops[end] != TOp::Same) ++end;
    std::stable_partition(ops.begin() + long(k), ops.begin() + long(end), [](TOp o) { return o == TOp::Del; });
    k = end + 1;
  }
  return ops;
}

// Numbers for the pieces of both sides: equal pieces, equal numbers.
class TInterner {
 public:
  std::vector<int> Numbers(const std::vector<std::string_view>& pieces) {
    std::vector<int> out;
    out.reserve(pieces.size());
    for (std::string_view p : pieces) out.push_back(ids_.try_emplace(p, int(ids_.size())).first->second);
    return out;
  }

 private:
  std::unordered_map<std::string_view, int> ids_;
};

std::vector<std::string_view> Views(const std::vector<std::string>& lines) {
  return std::vector<std::string_view>(lines.begin(), lines.end());
}

std::vector<TOp> LineScript(const std::vector<std::string>& older, const std::vector<std::string>& newer) {
  TInterner ids;
  const std::vector<int> a = ids.Numbers(Views(older));
  const std::vector<int> b = ids.Numbers(Views(newer));
  return EditScript(a, b);
}

// Words (runs of non-blank characters) and single blanks, in order.
std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> out;
  size_t i = 0;
  while (i < line.size()) {
    size_t j = i + 1;
    if (line[i] != ' ')
      while (j < line.size() && line[j] != ' ') ++j;
    out.push_back(line.substr(i, j - i));
    i = j;
  }
  return out;
}

// Adds [start, start + n) to spans, joined to the last span when they touch.
void AddSpan(std::vector<TCharSpan>& spans, size_t start, size_t n) {
  if (!spans.empty() && spans.back().start + spans.back().length == start)
    spans.back().length += n;
  else
    spans.push_back({start, n});
}

void MarkWords(const std::string& older, const std::string& newer, TDiffRow& row) {
  const std::vector<std::string_view> a = Words(older), b = Words(newer);
  TInterner ids;
  const std::vector<int> na = ids.Numbers(a);
  const std::vector<int> nb = ids.Numbers(b);
  size_t i = 0, j = 0, at = 0, bt = 0;  // word indexes and their byte offsets
  for (TOp op : EditScript(na, nb)) {
    if (op != TOp::Add) {
      if (op == TOp::Del) AddSpan(row.olderSpans, at, a[i].size());
      at += a[i++].size();
    }
    if (op != TOp::Del) {
      if (op == TOp::Add) AddSpan(row.newerSpans, bt, b[j].size());
      bt += b[j++].size();
    }
  }
}

}  // namespace

TSheetDiff TSheetDiff::Compare(const std::vector<std::string>& older, const std::vector<std::string>& newer) {
  TSheetDiff d;
  const std::vector<TOp> ops = LineScript(older, newer);
  int i = 0, j = 0;
  size_t k = 0;
  while (k < ops.size()) {
    if (ops[k] == TOp::Same) {
      d.rows_.push_back({TRowKind::Same, i++, j++, {}, {}});
      ++k;
      continue;
    }
    // A run of changes: its removed lines, then its added ones.
    std::vector<int> removed, added;
    for (; k < ops.size() && ops[k] != TOp::Same; ++k) {
      if (ops[k] == TOp::Del)
        removed.push_back(i++);
      else
        added.push_back(j++);
    }
    const size_t pairs = std::min(removed.size(), added.size());
    for (size_t p = 0; p < pairs; ++p) {
      TDiffRow row{TRowKind::Changed, removed[p], added[p], {}, {}};
      MarkWords(older[size_t(removed[p])], newer[size_t(added[p])], row);
      d.rows_.push_back(std::move(row));
    }
    for (size_t p = pairs; p < removed.size(); ++p) d.rows_.push_back({TRowKind::Removed, removed[p], -1, {}, {}});
    for (size_t p = pairs; p < added.size(); ++p) d.rows_.push_back({TRowKind::Added, -1, added[p], {}, {}});
    d.changed_ += int(pairs);
    d.removed_ += int(removed.size() - pairs);
    d.added_ += int(added.size() - pairs);
  }
  return d;
}

std::string TSheetDiff::Summary() const {
  if (Identical()) return "No differences";
  std::string out;
  auto part = [&](int n, const char* what) {
    if (n == 0) return;
    const bool first = out.empty();  // the first part names the unit
    if (!first) out += ", ";
    out += std::to_string(n) + (first ? (n == 1 ? " line " : " lines ") : " ") + what;
  };
  part(changed_, "changed");
  part(added_, "added");
  part(removed_, "removed");
  return out;
}

std::vector<size_t> TSheetDiff::ChangeStarts() const {
  std::vector<size_t> out;
  for (size_t r = 0; r < rows_.size(); ++r)
    if (rows_[r].kind != TRowKind::Same && (r == 0 || rows_[r - 1].kind == TRowKind::Same)) out.push_back(r);
  return out;
}

namespace {

// "l,n" of a hunk range, counted from 1; as diff writes it, ",n" is left
// out when n is 1, and an empty range names the line before it.
std::string Range(size_t first, size_t n) {
  std::string out = std::to_string(n == 0 ? first : first + 1);
  if (n != 1) out += "," + std::to_string(n);
  return out;
}

}  // namespace

std::string UnifiedDiff(const std::vector<std::string>& older, const std::vector<std::string>& newer,
                        const std::string& olderName, const std::string& newerName, int context) {
  const std::vector<TOp> ops = LineScript(older, newer);
  const size_t ctx = size_t(std::max(context, 0));
  // Where each op stands in the two texts.
  std::vector<size_t> at(ops.size() + 1), bt(ops.size() + 1);
  for (size_t k = 0; k < ops.size(); ++k) {
    at[k + 1] = at[k] + (ops[k] != TOp::Add ? 1 : 0);
    bt[k + 1] = bt[k] + (ops[k] != TOp::Del ? 1 : 0);
  }
  std::string out;
  size_t k = 0;
  while (k < ops.size()) {
    while (k < ops.size() && ops[k] == TOp::Same) ++k;
    if (k == ops.size()) break;
    // A hunk: from ctx lines before the first change to ctx lines after the
    // last change that lies within 2 * ctx unchanged lines of the one before.
    const size_t begin = k >= ctx ? k - ctx : 0;
    size_t end = k;
    for (;;) {
      while (end < ops.size() && ops[end] != TOp::Same) ++end;
      size_t same = end;
      while (same < ops.size() && ops[same] == TOp::Same) ++same;
      if (same == ops.size() || same - end > 2 * ctx) {
        end = std::min(end + ctx, same);
        break;
      }
      end = same;
    }
    if (out.empty()) out = "--- " + olderName + "\n+++ " + newerName + "\n";
    out += "@@ -" + Range(at[begin], at[end] - at[begin]) + " +" + Range(bt[begin], bt[end] - bt[begin]) + " @@\n";
    for (size_t h = begin; h < end; ++h) {
      if (ops[h] == TOp::Same) out += " " + older[at[h]] + "\n";
      else if (ops[h] == TOp::Del) out += "-" + older[at[h]] + "\n";
      else out += "+" + newer[bt[h]] + "\n";
    }
    k = end;
  }
  return out;
}

}  // namespace vorne
