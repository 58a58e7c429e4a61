#include "platform/Clock.h"

#include <chrono>

namespace vorne {

static std::optional<TDate> g_today;

TDate Today() {
  if (g_today) return *g_today;
  auto now = std::chrono::system_clock::now();
  auto days = std::chrono::floor<std::chrono::days>(now);
  std::chrono::year_month_day ymd{days};
  return {int(ymd.year()), int(unsigned(ymd.month())), int(unsigned(ymd.day()))};
}

void SetTodayForTesting(std::optional<TDate> date) { g_today = date; }

}  // namespace vorne
