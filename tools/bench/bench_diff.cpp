// Comparing two 2,000-line versions of a sheet: the line diff with the
// changed words (TSheetDiff) and the unified diff, against a baseline of
// copying the texts and hashing every line once (the least any comparison
// must do), measured in the same run.
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "sheets/SheetDiff.h"

namespace {

double Seconds(const std::function<void()>& f, int times) {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < times; ++i) f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / times;
}

}  // namespace

int main() {
  using vorne::TSheetDiff;
  std::vector<std::string> older, newer;
  for (int i = 0; i < 2000; ++i)
    older.push_back("  Zone " + std::to_string(i) + "   Reservation   6." + std::to_string(1000 + i) + "   per Dth");
  newer = older;
  for (int i = 0; i < 2000; i += 40) newer[size_t(i)] = "  Zone " + std::to_string(i) + "   Reservation   7.0000   per Dth";
  for (int i = 0; i < 20; ++i) newer.insert(newer.begin() + 100 * i, "  added line " + std::to_string(i));
  std::vector<std::string> other;
  for (int i = 0; i < 2000; ++i) other.push_back("other line " + std::to_string(i));

  size_t sink = 0;
  const int times = 20;
  const double baseline = Seconds([&] {
    std::vector<std::string> a = older, b = newer;
    for (const auto& l : a) sink += std::hash<std::string>()(l);
    for (const auto& l : b) sink += std::hash<std::string>()(l);
  }, times);
  const double revised = Seconds([&] { sink += TSheetDiff::Compare(older, newer).Rows().size(); }, times);
  const double unified = Seconds([&] { sink += vorne::UnifiedDiff(older, newer, "a", "b").size(); }, times);
  const double allNew = Seconds([&] { sink += TSheetDiff::Compare(older, other).Rows().size(); }, 3);
  // Every line on both sides, none in its place: the search's slowest case.
  const std::vector<std::string> reversed(older.rbegin(), older.rend());
  const double backwards = Seconds([&] { sink += TSheetDiff::Compare(older, reversed).Rows().size(); }, 1);
  std::printf("2,000 lines, 70 changed or added: side-by-side diff %.1fx, unified diff %.1fx the baseline\n",
              revised / baseline, unified / baseline);
  std::printf("2,000 lines, all different: %.1fx the baseline\n", allNew / baseline);
  std::printf("2,000 lines, the same in reverse order (the slowest case): %.1fx the baseline\n", backwards / baseline);
  std::printf("(baseline: copying both texts and hashing every line, %.3f ms)\n", baseline * 1000);
  return sink == 0;  // keeps the work from being optimised away
}
