// Fixtures run twice: with the text writer writing full windows behind, on
// its worker thread, and writing them in place. Both must give the same
// files and the same reports.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "store/TextWriter.h"

namespace vorne::testing {

template <class TBase>
class TBothWriters : public TBase, public ::testing::WithParamInterface<bool> {
 protected:
  TBothWriters() { OutDataBuffer::SetWriteBehindForTesting(this->GetParam()); }
  ~TBothWriters() override { OutDataBuffer::SetWriteBehindForTesting(std::nullopt); }
};

inline std::string WriterName(const ::testing::TestParamInfo<bool>& info) {
  return info.param ? "Behind" : "InPlace";
}

}  // namespace vorne::testing
