// The debug log: its lines, and saving them over a fixed typed path.
#include <gtest/gtest.h>

#include "output/DebugLog.h"
#include "platform/Paths.h"
#include "store/Errors.h"
#include "support/MemFileSystem.h"

namespace vorne::testing {
namespace {

class DebugLogTest : public ::testing::Test {
 protected:
  DebugLogTest() : oldRoot_(DriveRoot()) { SetDriveRoot("/drives"); }
  ~DebugLogTest() override { SetDriveRoot(oldRoot_); }

  std::string oldRoot_;
  TMemFileSystem mem_;
  TFaultyFileSystem faulty_{mem_};
};

TEST_F(DebugLogTest, StartsEmptyAndAppendsInOrder) {
  TDebugLog log(mem_);
  EXPECT_EQ(log.Caption(), "Log");
  EXPECT_EQ(log.Status(), "Starting");
  EXPECT_EQ(log.TopLine(), -1);
  int changes = 0;
  log.onChanged = [&] { ++changes; };
  log.AddLine("first");
  log.AddLine("second");
  EXPECT_EQ(log.Log(), (std::vector<std::string>{"first", "second"}));
  EXPECT_EQ(log.TopLine(), 1);
  EXPECT_EQ(changes, 2);
}

TEST_F(DebugLogTest, SaveAsMapsTheTypedPathMakesItsFoldersAndReplacesTheFile) {
  TDebugLog log(mem_);
  log.AddLine("bad link \xe9");  // Windows-1252 bytes pass unchanged
  log.AddLine("");
  log.SaveAs("C:\\zip\\HTMLBugs.txt");
  EXPECT_TRUE(log.Visible());
  EXPECT_EQ(mem_.ReadAll("/drives/C/zip/HTMLBugs.txt"), "bad link \xe9\n\n");

  TDebugLog shorter(mem_);
  shorter.AddLine("one");
  shorter.SaveAs("C:\\zip\\HTMLBugs.txt");
  EXPECT_EQ(mem_.ReadAll("/drives/C/zip/HTMLBugs.txt"), "one\n");
}

TEST_F(DebugLogTest, AFailedSaveKeepsTheOldFile) {
  mem_.MakeDir("/logs");
  mem_.WriteAll("/logs/TF05.txt", "old\n");
  TDebugLog log(faulty_);
  log.AddLine(std::string(100, 'x'));
  faulty_.Inject({TFault::DiskFullAfter, "", 10});
  try {
    log.SaveAs("/logs/TF05.txt");
    FAIL() << "no error";
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.Code(), EInOutError::kDiskFull);
  }
  EXPECT_EQ(mem_.ReadAll("/logs/TF05.txt"), "old\n");
}

}  // namespace
}  // namespace vorne::testing
