// The zlib wrapper of the text file blocks. A block is one zlib stream (zlib
// header, deflate data, Adler-32) of at most 100 pages. Compression always uses
// the same parameters so that every block this program writes is byte for byte
// reproducible: level 9, deflate, 15 window bits with the zlib header, memory
// level 8, default strategy, one call with Z_FINISH.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "store/TextPos.h"

namespace vorne {

// The writer's output area for one compressed block, and the starting size of
// the inflate area (101 pages).
inline constexpr size_t kZipArea = size_t(kWindowPages) * kPageSize;  // 25,856
// The most a block may inflate to.
inline constexpr size_t kMaxBlockBytes = size_t(kMaxSheetPages) * kPageSize;  // 25,600

// Deflates in into area in one call and returns the compressed length.
// Raises ECompressionError on a negative zlib result and ECompressionFailure
// when the stream does not finish inside area. area is the caller's; on failure
// its contents are undefined.
size_t Compress(std::span<const uint8_t> in, std::span<uint8_t> area);

// Inflates one zlib stream (bytes after its end are ignored) into out and
// returns the inflated length; out[0, length) holds the data and out may be
// larger. out starts at kZipArea bytes and grows by in.size() rounded up to a
// whole page whenever it fills, so its capacity is reused across calls.
// Raises EDecompressionError on a negative zlib result (damaged or incomplete
// stream) and EUnzipError when the output would pass limit.
size_t Decompress(std::span<const uint8_t> in, std::vector<uint8_t>& out,
                  size_t limit = kMaxBlockBytes);

// Decompress for a text file block: raises EUnzipError when the block inflates
// to more than 100 pages or to a size that is not whole pages; otherwise
// returns the number of pages (0-100) now at the front of out.
int InflatePages(std::span<const uint8_t> block, std::vector<uint8_t>& out);

}  // namespace vorne
