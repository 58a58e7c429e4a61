// The output text file: lines, long texts written past the buffer, text
// taken back before it is written, and buffers handed from file to file.
#include "output/OutText.h"

#include <gtest/gtest.h>

#include "tests/support/MemFileSystem.h"

namespace vorne::testing {
namespace {

TEST(OutTextTest, LongTextsKeepTheirPlaceAmongLines) {
  TMemFileSystem fs;
  fs.MakeDir("/site");
  const std::string longText(200000, 'x');
  {
    TOutText out(fs, "/site/a.htm");
    out.Line("first");
    out.Raw(longText);
    out.Line("last");
    EXPECT_FALSE(fs.Exists("/site/a.htm"));  // only the temporary until Close
    out.Close();
  }
  EXPECT_EQ(fs.Bytes("/site/a.htm"), "first\r\n" + longText + "last\r\n");
  EXPECT_FALSE(fs.Exists("/site/a.htm.part~"));
}

TEST(OutTextTest, PendingTextCanBeTakenBackBeforeItIsWritten) {
  TMemFileSystem fs;
  TOutText out(fs, "/a.htm");
  out.Line("kept");
  std::string& pending = out.Pending();
  const size_t mark = pending.size();
  pending.append("dropped\r\n");
  pending.resize(mark);
  out.Line("also kept");
  out.Close();
  EXPECT_EQ(fs.Bytes("/a.htm"), "kept\r\nalso kept\r\n");
}

TEST(OutTextTest, AReusedBufferStartsEmpty) {
  TMemFileSystem fs;
  std::string buffer;
  {
    TOutText first(fs, "/1.htm");
    first.Line("one");
    first.Close();
    buffer = first.ReleaseBuffer();
  }
  buffer += "stale";
  TOutText second(fs, "/2.htm", std::move(buffer));
  second.Line("two");
  second.Close();
  EXPECT_EQ(fs.Bytes("/2.htm"), "two\r\n");
}

TEST(OutTextTest, AFileDroppedWithoutCloseLeavesNothing) {
  TMemFileSystem fs;
  { TOutText out(fs, "/a.htm"); out.Line("never"); }
  EXPECT_FALSE(fs.Exists("/a.htm"));
  EXPECT_FALSE(fs.Exists("/a.htm.part~"));
}

}  // namespace
}  // namespace vorne::testing
