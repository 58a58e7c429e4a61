// The calendar date and the one clock everything asks for "today"; tests
// set it so that dates written into records are known in advance.
#pragma once

#include <optional>

namespace vorne {

struct TDate {
  int year = 0, month = 0, day = 0;
  bool operator==(const TDate&) const = default;
};

TDate Today();
void SetTodayForTesting(std::optional<TDate> date);

}  // namespace vorne
