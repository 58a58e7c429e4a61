// Where a sheet's text lies in the text file, as its sheet record stores it.
#pragma once

#include <cstdint>

namespace vorne {

struct TTextPos {
  // Compressed form: byte offset of the block's length field.
  // Uncompressed form: absolute page number of the sheet's first page.
  int32_t dbfPos = 0;
  uint8_t pageIndex = 0;  // first page within the block (compressed) or writer slot
  uint8_t pageCount = 0;  // 1-100
  bool operator==(const TTextPos&) const = default;
};

inline constexpr int kPageSize = 256;
inline constexpr int kWindowPages = 101;  // 25,856 bytes
inline constexpr int kMaxSheetPages = 100;

}  // namespace vorne
