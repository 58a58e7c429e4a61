#include "store/Zlib.h"

#include <zlib.h>

#include <string>

#include "store/Errors.h"

namespace vorne {

namespace {

std::string ZlibText(const char* what, int code, const z_stream& s) {
  std::string text = std::string(what) + " (zlib " + std::to_string(code);
  if (s.msg) text += std::string(": ") + s.msg;
  return text + ")";
}

// Ends the stream whatever way the call leaves.
struct TInflateGuard {
  z_stream& s;
  ~TInflateGuard() { inflateEnd(&s); }
};
struct TDeflateGuard {
  z_stream& s;
  ~TDeflateGuard() { deflateEnd(&s); }
};

}  // namespace

size_t Compress(std::span<const uint8_t> in, std::span<uint8_t> area) {
  z_stream s{};
  int rc = deflateInit2(&s, 9, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY);
  if (rc < 0) throw ECompressionError(ZlibText("Compression error", rc, s));
  TDeflateGuard guard{s};
  s.next_in = const_cast<Bytef*>(in.data());
  s.avail_in = uInt(in.size());
  s.next_out = area.data();
  s.avail_out = uInt(area.size());
  rc = deflate(&s, Z_FINISH);
  if (rc < 0) throw ECompressionError(ZlibText("Compression error", rc, s));
  if (rc != Z_STREAM_END) throw ECompressionFailure();
  return size_t(s.total_out);
}

size_t Decompress(std::span<const uint8_t> in, std::vector<uint8_t>& out, size_t limit) {
  z_stream s{};
  int rc = inflateInit(&s);
  if (rc < 0) throw EDecompressionError(ZlibText("Decompression error", rc, s));
  TInflateGuard guard{s};
  if (out.size() < kZipArea) out.resize(kZipArea);
  // An empty input must still grow the area, or a full area would never change.
  const size_t step = in.empty() ? size_t(kPageSize) : (in.size() + kPageSize - 1) / kPageSize * kPageSize;
  s.next_in = const_cast<Bytef*>(in.data());
  s.avail_in = uInt(in.size());
  for (;;) {
    s.next_out = out.data() + s.total_out;
    s.avail_out = uInt(out.size() - s.total_out);
    rc = inflate(&s, Z_NO_FLUSH);
    // Z_NEED_DICT is positive but can never finish: no dictionary is used.
    if (rc < 0 || rc == Z_NEED_DICT) throw EDecompressionError(ZlibText("Decompression error", rc, s));
    if (s.total_out > limit) throw EUnzipError("Text block inflates to more than " + std::to_string(limit) + " bytes");
    if (rc == Z_STREAM_END) return size_t(s.total_out);
    // An incomplete stream makes the next call report Z_BUF_ERROR, ending the loop.
    if (s.avail_out == 0) out.resize(out.size() + step);
  }
}

int InflatePages(std::span<const uint8_t> block, std::vector<uint8_t>& out) {
  size_t n = Decompress(block, out, kMaxBlockBytes);
  if (n % kPageSize != 0)
    throw EUnzipError("Text block inflates to " + std::to_string(n) + " bytes, not whole pages");
  return int(n / kPageSize);
}

}  // namespace vorne
