// Shared fixture of the text buffer tests: a text file in memory behind a
// fault-injecting layer, a scripted port, and helpers that look at the file's
// pages with zlib directly rather than through the reader under test.
#pragma once

#include <gtest/gtest.h>
#include <zlib.h>

#include <memory>
#include <string>
#include <vector>

#include "store/Bytes.h"
#include "store/Common.h"
#include "store/TextReader.h"
#include "store/TextWriter.h"
#include "support/MemFileSystem.h"
#include "support/ScriptedPort.h"

namespace vorne::testing {

using TLines = std::vector<std::string>;

class ZipFixture : public ::testing::Test {
 protected:
  TMemFileSystem mem;
  TFaultyFileSystem fs{mem};
  TScriptedPort port;
  TEnv env{fs, port};
  const std::string kPath = "GZipDBF";

  std::unique_ptr<OutDataBuffer> Writer(bool compressed) { return OutDataBuffer::Create(env, kPath, compressed); }
  std::unique_ptr<TDataBuffer> Reader(bool compressed) { return TDataBuffer::Create(env, kPath, compressed); }
  std::string& File() { return mem.Bytes(kPath); }

  // Writes the sheets into a new file and closes it; every sheet must fit.
  std::vector<TTextPos> WriteFile(bool compressed, const std::vector<TLines>& sheets) {
    mem.Remove(kPath);
    auto w = Writer(compressed);
    std::vector<TTextPos> positions;
    for (const TLines& s : sheets) {
      std::optional<TTextPos> pos = w->WriteSheet(s);
      EXPECT_TRUE(pos.has_value());
      positions.push_back(pos.value_or(TTextPos{}));
    }
    EXPECT_TRUE(w->Close());
    return positions;
  }

  // The sheet's text as SheetText gives it; a failure is a test failure.
  TLines Read(TDataBuffer& reader, const TTextPos& pos) {
    TLines lines;
    int32_t maxLength = -1, count = -1;
    EXPECT_TRUE(reader.SheetText(pos, lines, maxLength, count)) << pos.dbfPos << "/" << int(pos.pageIndex);
    return lines;
  }

  // Each block of a compressed file, inflated by zlib itself.
  std::vector<std::string> Blocks() {
    std::vector<std::string> blocks;
    const std::string& f = File();
    size_t at = 0;
    while (at + 4 <= f.size()) {
      uint32_t n = GetU32(reinterpret_cast<const uint8_t*>(f.data() + at));
      std::string out(1 << 20, '\0');
      uLongf outLength = out.size();
      EXPECT_EQ(uncompress(reinterpret_cast<Bytef*>(out.data()), &outLength,
                           reinterpret_cast<const Bytef*>(f.data() + at + 4), n),
                Z_OK);
      out.resize(outLength);
      blocks.push_back(out);
      at += 4 + n;
    }
    EXPECT_EQ(at, f.size());
    return blocks;
  }

  // All pages of the file in order.
  std::string Pages(bool compressed) {
    if (!compressed) return File();
    std::string all;
    for (const std::string& b : Blocks()) all += b;
    return all;
  }

  // The bytes [from, to] of page n of the file.
  std::string PageBytes(bool compressed, int n, int from, int to) {
    return Pages(compressed).substr(size_t(n) * kPageSize + from, size_t(to - from + 1));
  }

  // What SheetText returns for lines written by WriteSheet, except that a line
  // which ended at offset 254 comes back with one trailing space.
  static TLines Expected(const TLines& written) {
    TLines out;
    for (const std::string& l : written)
      if (l.empty() || uint8_t(l[0]) >= uint8_t(' ')) out.push_back(l.substr(0, 255));
    if (out.size() > 1) out[0] = out[0].empty() ? "Title Page" : TitleCase(out[0]);
    return out;
  }

  static void ExpectSameText(const TLines& got, const TLines& want) {
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < got.size(); ++i)
      EXPECT_TRUE(got[i] == want[i] || got[i] == want[i] + " ") << "line " << i;
  }
};

// The same test in the uncompressed and the compressed form.
class ZipForms : public ZipFixture, public ::testing::WithParamInterface<bool> {
 protected:
  bool Compressed() const { return GetParam(); }
};

inline std::string FormName(const ::testing::TestParamInfo<bool>& info) {
  return info.param ? "Compressed" : "Uncompressed";
}

// zlib's own one-call compression at level 9: 15 window bits with the zlib
// header, memory level 8, default strategy - blocks as another writer made
// them, which the reader takes as it takes its own.
inline std::string Deflated(const std::string& pages) {
  std::string out(compressBound(uLong(pages.size())), '\0');
  uLongf n = out.size();
  EXPECT_EQ(compress2(reinterpret_cast<Bytef*>(out.data()), &n, reinterpret_cast<const Bytef*>(pages.data()),
                      pages.size(), 9),
            Z_OK);
  out.resize(n);
  return out;
}

inline std::string Bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s.push_back(char(v));
  return s;
}

}  // namespace vorne::testing
