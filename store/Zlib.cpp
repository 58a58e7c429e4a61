#include "store/Zlib.h"

#include <libdeflate.h>

#include <algorithm>
#include <memory>
#include <string>

#include "store/Errors.h"

namespace vorne {

namespace {

// A compressor holds about a megabyte of tables and a decompressor tens of
// kilobytes: each thread makes its own once and keeps it.
struct TFreeCompressor {
  void operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }
};
struct TFreeDecompressor {
  void operator()(libdeflate_decompressor* d) const { libdeflate_free_decompressor(d); }
};

libdeflate_compressor* ThreadCompressor() {
  thread_local std::unique_ptr<libdeflate_compressor, TFreeCompressor> c(libdeflate_alloc_compressor(kBlockLevel));
  if (!c) throw ECompressionError("Compression error (libdeflate: no memory for a compressor)");
  return c.get();
}

libdeflate_decompressor* ThreadDecompressor() {
  thread_local std::unique_ptr<libdeflate_decompressor, TFreeDecompressor> d(libdeflate_alloc_decompressor());
  if (!d) throw EDecompressionError("Decompression error (libdeflate: no memory for a decompressor)");
  return d.get();
}

}  // namespace

size_t Compress(std::span<const uint8_t> in, std::span<uint8_t> area) {
  const size_t n = libdeflate_zlib_compress(ThreadCompressor(), in.data(), in.size(), area.data(), area.size());
  if (n == 0) throw ECompressionFailure();
  return n;
}

size_t Decompress(std::span<const uint8_t> in, std::vector<uint8_t>& out, size_t limit) {
  libdeflate_decompressor* d = ThreadDecompressor();
  if (out.size() < kZipArea) out.resize(kZipArea);
  // An empty input must still grow the area, or a full area would never change.
  const size_t step = in.empty() ? size_t(kPageSize) : (in.size() + kPageSize - 1) / kPageSize * kPageSize;
  for (;;) {
    // The whole stream inflates in one call; an area too small is grown and
    // the call made again, until the limit itself is the area.
    const size_t avail = std::min(out.size(), limit);
    size_t used = 0, made = 0;
    const libdeflate_result rc =
        libdeflate_zlib_decompress_ex(d, in.data(), in.size(), out.data(), avail, &used, &made);
    if (rc == LIBDEFLATE_SUCCESS) return made;
    if (rc != LIBDEFLATE_INSUFFICIENT_SPACE)
      throw EDecompressionError("Decompression error (damaged or incomplete zlib stream)");
    if (avail >= limit) throw EUnzipError("Text block inflates to more than " + std::to_string(limit) + " bytes");
    out.resize(out.size() + step);
  }
}

int InflatePages(std::span<const uint8_t> block, std::vector<uint8_t>& out) {
  size_t n = Decompress(block, out, kMaxBlockBytes);
  if (n % kPageSize != 0)
    throw EUnzipError("Text block inflates to " + std::to_string(n) + " bytes, not whole pages");
  return int(n / kPageSize);
}

}  // namespace vorne
