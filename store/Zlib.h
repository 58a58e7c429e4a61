// The codec of the text file blocks. A block is one zlib stream (zlib header,
// deflate data, Adler-32) of at most 100 pages, as any zlib writes and reads
// it. Blocks are compressed and inflated whole by libdeflate, which is several
// times quicker than zlib at the same stream format; every block is made with
// the same level, so equal pages always give equal bytes (with the same
// libdeflate). Any zlib stream inflates, whatever wrote it. The functions may
// run on several threads at once: each thread keeps its own codec state.
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

// The libdeflate level of every block: the quickest whose files are at most 1%
// larger than zlib's level 9 on tariff text (smaller on long libraries).
inline constexpr int kBlockLevel = 8;

// Deflates in into area as one zlib stream and returns the compressed length.
// Raises ECompressionError when no compressor can be made and
// ECompressionFailure when the stream does not fit area. area is the caller's;
// on failure its contents are undefined.
size_t Compress(std::span<const uint8_t> in, std::span<uint8_t> area);

// Inflates one zlib stream (bytes after its end are ignored) into out and
// returns the inflated length; out[0, length) holds the data and out may be
// larger. out starts at kZipArea bytes and grows by in.size() rounded up to a
// whole page whenever it proves too small, so its capacity is reused across
// calls. Raises EDecompressionError on a damaged or incomplete stream (or a
// wrong check value) and EUnzipError when the output would pass limit.
size_t Decompress(std::span<const uint8_t> in, std::vector<uint8_t>& out,
                  size_t limit = kMaxBlockBytes);

// Decompress for a text file block: raises EUnzipError when the block inflates
// to more than 100 pages or to a size that is not whole pages; otherwise
// returns the number of pages (0-100) now at the front of out.
int InflatePages(std::span<const uint8_t> block, std::vector<uint8_t>& out);

}  // namespace vorne
