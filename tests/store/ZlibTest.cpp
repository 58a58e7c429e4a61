#include "store/Zlib.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <string_view>

#include "store/Errors.h"

namespace vorne {
namespace {

std::vector<uint8_t> TextPages(int pages, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<uint8_t> v(size_t(pages) * kPageSize);
  const std::string_view words[] = {"RATE ", "SCHEDULE ", "FT-1 ", "Dth ", "0.0421 ", "Effective ", "\n"};
  for (auto& b : v) {
    const std::string_view w = words[rng() % 7];
    b = uint8_t(w[rng() % w.size()]);  // a byte of the word itself, never past its end
  }
  return v;
}

std::vector<uint8_t> Noise(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<uint8_t> v(n);
  for (auto& b : v) b = uint8_t(rng());
  return v;
}

// What stock zlib's inflate makes of a stream.
std::vector<uint8_t> ZlibInflate(const std::vector<uint8_t>& z, size_t size) {
  std::vector<uint8_t> out(size + 1);
  uLongf n = uLongf(out.size());
  EXPECT_EQ(uncompress(out.data(), &n, z.data(), uLong(z.size())), Z_OK);
  out.resize(n);
  return out;
}

std::vector<uint8_t> CompressToVector(const std::vector<uint8_t>& in) {
  std::vector<uint8_t> area(kZipArea);
  area.resize(Compress(in, area));
  return area;
}

TEST(Zlib, BlocksAreZlibStreamsThatStockZlibInflates) {
  for (int pages : {0, 1, 37, 100}) {
    std::vector<uint8_t> in = TextPages(pages, unsigned(pages));
    std::vector<uint8_t> z = CompressToVector(in);
    EXPECT_EQ(ZlibInflate(z, in.size()), in) << pages << " pages";
    ASSERT_GE(z.size(), 2u);
    EXPECT_EQ(z[0], 0x78);  // deflate, 32K window
    EXPECT_EQ(z[1], 0xDA);  // the highest level class
    EXPECT_EQ(CompressToVector(in), z) << "equal pages give equal blocks";
  }
  // The empty stream is what a compressed file's final empty block holds: an
  // empty stored block and the Adler-32 of nothing.
  EXPECT_EQ(CompressToVector({}),
            (std::vector<uint8_t>{0x78, 0xDA, 0x01, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x01}));
}

TEST(Zlib, StreamsOfStockZlibInflateAtEveryLevel) {
  std::vector<uint8_t> in = TextPages(100, 11), out;
  for (int level : {1, 6, 9}) {
    std::vector<uint8_t> z(compressBound(uLong(in.size())));
    uLongf n = uLongf(z.size());
    ASSERT_EQ(compress2(z.data(), &n, in.data(), uLong(in.size()), level), Z_OK);
    z.resize(n);
    ASSERT_EQ(InflatePages(z, out), 100) << "level " << level;
    EXPECT_TRUE(std::equal(in.begin(), in.end(), out.begin()));
  }
}

TEST(Zlib, IncompressiblePagesFitTheAreaButNotASmallerOne) {
  std::vector<uint8_t> noise = Noise(kMaxBlockBytes, 7);
  std::vector<uint8_t> z = CompressToVector(noise);
  EXPECT_GT(z.size(), kMaxBlockBytes);
  EXPECT_LE(z.size(), kZipArea);
  std::vector<uint8_t> small(kMaxBlockBytes);
  EXPECT_THROW(Compress(noise, small), ECompressionFailure);
}

TEST(Zlib, DecompressRoundTripsAndReusesTheArea) {
  std::vector<uint8_t> out;
  for (int pages : {0, 1, 100}) {
    std::vector<uint8_t> in = TextPages(pages, 3);
    size_t n = Decompress(CompressToVector(in), out);
    ASSERT_EQ(n, in.size());
    EXPECT_TRUE(std::equal(in.begin(), in.end(), out.begin()));
    EXPECT_EQ(out.size(), kZipArea);
  }
}

TEST(Zlib, DecompressGrowsByTheInputRoundedToPagesUpToItsLimit) {
  std::vector<uint8_t> in = TextPages(300, 5);  // 76,800 bytes
  // A stream larger than the area needs a bigger area than the writer's.
  std::vector<uint8_t> area(100000);
  area.resize(Compress(in, area));
  std::vector<uint8_t> out;
  ASSERT_EQ(Decompress(area, out, 1 << 20), in.size());
  EXPECT_TRUE(std::equal(in.begin(), in.end(), out.begin()));
  const size_t step = (area.size() + 255) / 256 * 256;
  EXPECT_EQ((out.size() - kZipArea) % step, 0u);
  EXPECT_GE(out.size(), in.size());
}

TEST(Zlib, BlocksMustInflateToAtMostHundredWholePages) {
  std::vector<uint8_t> out;
  EXPECT_EQ(InflatePages(CompressToVector(TextPages(100, 1)), out), 100);
  EXPECT_EQ(InflatePages(CompressToVector({}), out), 0);
  std::vector<uint8_t> odd(300, 'x');
  EXPECT_THROW(InflatePages(CompressToVector(odd), out), EUnzipError);
  std::vector<uint8_t> big(kMaxBlockBytes + kPageSize, 'y');
  std::vector<uint8_t> area(kZipArea);
  area.resize(Compress(big, area));
  EXPECT_THROW(InflatePages(area, out), EUnzipError);
}

TEST(Zlib, AStreamInflatingWithoutBoundStopsAtTheLimit) {
  std::vector<uint8_t> zeros(10 << 20, 0);
  std::vector<uint8_t> area(1 << 20);
  area.resize(Compress(zeros, area));
  std::vector<uint8_t> out;
  EXPECT_THROW(Decompress(area, out), EUnzipError);
  EXPECT_EQ(out.size(), kZipArea);  // never grew
}

TEST(Zlib, DamagedOrCutStreamsRaiseDecompressionError) {
  std::vector<uint8_t> z = CompressToVector(TextPages(10, 9));
  std::vector<uint8_t> out;
  std::vector<uint8_t> cut(z.begin(), z.begin() + z.size() / 2);
  EXPECT_THROW(Decompress(cut, out), EDecompressionError);
  std::vector<uint8_t> badHeader = z;
  badHeader[0] = 0x00;
  EXPECT_THROW(Decompress(badHeader, out), EDecompressionError);
  std::vector<uint8_t> badCheck = z;
  badCheck.back() ^= 0xFF;
  EXPECT_THROW(Decompress(badCheck, out), EDecompressionError);
  EXPECT_THROW(Decompress({}, out), EDecompressionError);
}

}  // namespace
}  // namespace vorne
