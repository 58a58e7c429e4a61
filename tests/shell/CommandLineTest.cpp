#include "shell/CommandLine.h"

#include <gtest/gtest.h>

#include "platform/Paths.h"
#include "store/Common.h"
#include "store/Records.h"
#include "support/MemFileSystem.h"
#include "support/ScriptedPort.h"

namespace vorne {
namespace {

using testing::TMemFileSystem;
using testing::TScriptedPort;

// Records what the command line asks of the windows.
struct TRecordingHooks : TStartHooks {
  std::vector<std::string> opened;
  int outputsOpened = 0, summaries = 0, afterOpens = 0, panels = 0;
  double scanSince = -1;
  std::string scanFile;
  bool OpenPrimeFile(const std::string& p) override {
    opened.push_back(p);
    return true;
  }
  bool OpenOutput() override { return ++outputsOpened, true; }
  void StartScanner(double since, const std::string& file) override {
    scanSince = since;
    scanFile = file;
  }
  void ShowSelectorSummary() override { ++summaries; }
  void AfterOpen() override { ++afterOpens; }
  void ShowLibrariesPanel() override { ++panels; }
  std::vector<std::string> ignored;
  void WordIgnored(const std::string& message) override { ignored.push_back(message); }
};

class CommandLineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    savedRoot_ = DriveRoot();
    SetDriveRoot("/drives");
    SetTodayForTesting(TDate{2006, 3, 15});
    for (const char* d : {"/drives", "/drives/L", "/drives/D"}) mem.MakeDir(d);
  }
  void TearDown() override {
    SetDriveRoot(savedRoot_);
    SetTodayForTesting(std::nullopt);
  }

  bool Parse(std::vector<std::string> args) { return ParseCommandLine(st, args, env, hooks); }
  void Finish() { FinishParameters(st, env, hooks); }

  // A two-copy library under root (a mapped path) whose copies' header files
  // have the given ages.
  void TwoCopies(const std::string& root, int64_t age1, int64_t age2) {
    for (size_t p = root.find('/', 1); p != std::string::npos; p = root.find('/', p + 1))
      mem.MakeDir(root.substr(0, p));
    mem.MakeDir(root);
    mem.MakeDir(root + "/GZIP1");
    mem.MakeDir(root + "/GZIP2");
    mem.WriteAll(root + "/GZIP1/GZipHdr", "1");
    mem.WriteAll(root + "/GZIP2/GZipHdr", "2");
    mem.SetModTime(root + "/GZIP1/GZipHdr", age1);
    mem.SetModTime(root + "/GZIP2/GZipHdr", age2);
  }

  double Today() const { return DateToSerial(TDate{2006, 3, 15}); }

  TMemFileSystem mem;
  TScriptedPort port;
  TEnv env{mem, port};
  TRunState st;
  TRecordingHooks hooks;

 private:
  std::string savedRoot_;
};

// ---- "TO" and the mode it meets ------------------------------------------

TEST_F(CommandLineTest, ToReadBeforeCopyNamesNoPrimeFile) {
  EXPECT_TRUE(Parse({"TO", "D:\\OUT", "COPY"}));
  EXPECT_EQ(st.RunMode, TRunMode::Copy);
  EXPECT_EQ(st.ToDir, "D:\\OUT");
  EXPECT_EQ(st.ToPrimePath, "");
  EXPECT_EQ(st.OutputPath, "");
}

TEST_F(CommandLineTest, ToAfterCopyNamesTheCompressedPrimeFile) {
  Parse({"COPY", "TO", "D:\\OUT"});
  EXPECT_EQ(st.ToPrimePath, "D:\\OUT/GZPrime");
  EXPECT_EQ(st.OutputPath, st.ToPrimePath);
  EXPECT_EQ(MapPath(st.ToPrimePath), "/drives/D/OUT/GZPrime");
}

TEST_F(CommandLineTest, UnzipAfterTheFolderNamesThePlainPrimeFile) {
  Parse({"COPY", "TO", "D:\\OUT", "UNZIP"});
  EXPECT_EQ(st.ToPrimePath, "D:\\OUT/Prime4");
}

TEST_F(CommandLineTest, AddFromMakesTheOutputUncompressed) {
  Parse({"ADDFROM", "X", "TO", "D:\\OUT"});
  EXPECT_EQ(st.RunMode, TRunMode::AddNewFiling);
  EXPECT_TRUE(st.ExpertMode);
  EXPECT_EQ(st.AddFromDir, "X/");
  EXPECT_EQ(st.ToPrimePath, "D:\\OUT/Prime4");
}

TEST_F(CommandLineTest, AddFromKeepsATypedTrailingSeparator) {
  Parse({"ADDFROM", "D:\\FILINGS\\"});
  EXPECT_EQ(st.AddFromDir, "D:\\FILINGS\\");
}

TEST_F(CommandLineTest, ToFolderSpellings) {
  Parse({"COPY", "TO", "D:\\OUT\\"});
  EXPECT_EQ(st.ToPrimePath, "D:\\OUT/GZPrime");
  Parse({"TO", "/data/Out"});
  EXPECT_EQ(st.ToDir, "/data/Out");
  EXPECT_EQ(st.ToPrimePath, "/data/Out/GZPrime");
}

TEST_F(CommandLineTest, ToAPrimeFileOrAFileWithExtensionIsTakenAsIs) {
  Parse({"COPY", "TO", "D:\\Out\\Prime4"});
  EXPECT_EQ(st.ToDir, "D:\\Out");
  EXPECT_EQ(st.ToPrimePath, "D:\\Out\\Prime4");
  Parse({"DATA", "TO", "/tmp/db.txt"});
  EXPECT_EQ(st.ToDir, "/tmp");
  EXPECT_EQ(st.OutputPath, "/tmp/db.txt");
}

// The whole last name decides: a "." or "PRIME" after the 20th character
// still names a file, and a long name with neither is still a folder.
TEST_F(CommandLineTest, ToLooksAtTheWholeOfALongName) {
  Parse({"DATA", "TO", "/tmp/quarterly_database_export.csv"});
  EXPECT_EQ(st.ToDir, "/tmp");
  EXPECT_EQ(st.OutputPath, "/tmp/quarterly_database_export.csv");
  Parse({"COPY", "TO", "/data/libraries/the_copied_library_GZPrime"});
  EXPECT_EQ(st.ToPrimePath, "/data/libraries/the_copied_library_GZPrime");
  Parse({"COPY", "TO", "/data/libraries/a_library_folder_with_a_long_name"});
  EXPECT_EQ(st.ToDir, "/data/libraries/a_library_folder_with_a_long_name");
  EXPECT_EQ(st.ToPrimePath, "/data/libraries/a_library_folder_with_a_long_name/GZPrime");
}

// ---- Merge and Replace ------------------------------------------------------

TEST_F(CommandLineTest, AddWithReplaceEndsWithMergeAndNoReplace) {
  Parse({"REPLACE", "COPY", "ADD"});
  EXPECT_EQ(st.Controls.Merge, TMergeChoice::Merge);
  EXPECT_TRUE(st.AddFlag);
  Finish();
  EXPECT_FALSE(st.ReplaceFlag);
}

TEST_F(CommandLineTest, ReplaceAloneSelectsReplace) {
  st.Controls.Merge = TMergeChoice::Merge;
  Parse({"COPY", "REPLACE"});
  EXPECT_EQ(st.Controls.Merge, TMergeChoice::Replace);
  Finish();
  EXPECT_TRUE(st.ReplaceFlag);
  Parse({"COPY"});
  EXPECT_EQ(st.Controls.Merge, TMergeChoice::Replace);  // the flag from before still stands
}

// ---- RECENT -----------------------------------------------------------------

TEST_F(CommandLineTest, RecentDaysSelectSheetsUpdatedSinceThen) {
  EXPECT_TRUE(Parse({"RECENT", "30"}));
  EXPECT_TRUE(st.RecentGiven);
  EXPECT_DOUBLE_EQ(st.RecentDate, Today() - 30);
  EXPECT_FALSE(st.Selection.FilingUpdatedDates);  // not before the windows exist
  Finish();
  EXPECT_TRUE(st.Selection.FilingUpdatedDates);
  EXPECT_DOUBLE_EQ(st.Selection.Range(TDateKind::Updated).From, Today() - 30);
  EXPECT_EQ(hooks.summaries, 1);
}

TEST_F(CommandLineTest, RecentAllHasNoLowerBound) {
  st.RecentDate = 5;
  Parse({"RECENT", "all"});
  EXPECT_TRUE(st.RecentGiven);
  EXPECT_EQ(st.RecentDate, 0);
}

TEST_F(CommandLineTest, RecentWithoutANumberIsReportedAndDropsTheAutomaticStart) {
  for (const char* bad : {"ten", "7x", "", "99999999999"}) {
    TRunState fresh;
    port.messages.clear();
    EXPECT_FALSE(ParseCommandLine(fresh, {"GO", "RECENT", bad, "COPY"}, env, hooks)) << bad;
    EXPECT_FALSE(fresh.RecentGiven) << bad;
    EXPECT_FALSE(fresh.AutoGo) << bad;
    EXPECT_EQ(fresh.RunMode, TRunMode::Copy) << "parsing goes on after " << bad;
    ASSERT_EQ(port.messages.size(), 1u);
    EXPECT_NE(port.messages[0].find("RECENT"), std::string::npos);
  }
}

TEST_F(CommandLineTest, ScanRecentToAPrimeFileWritesTheReportBesideIt) {
  Parse({"SCAN", "RECENT", "7", "TO", "D:\\WEB\\PRIME4", "GO"});
  EXPECT_EQ(st.ToPrimePath, "D:\\WEB\\PRIME4");
  Finish();
  EXPECT_EQ(st.ToPrimePath, "D:\\WEB/AllUpdts.txt");
  EXPECT_EQ(hooks.scanFile, "D:\\WEB/AllUpdts.txt");
  EXPECT_DOUBLE_EQ(hooks.scanSince, Today() - 7);
  EXPECT_FALSE(st.Selection.FilingUpdatedDates);  // the scanner takes the date instead
  EXPECT_TRUE(st.AutoSelectAll);
  EXPECT_FALSE(st.Controls.CreditsVisible);
}

TEST_F(CommandLineTest, CopyKeepsItsPrimeFileName) {
  Parse({"COPY", "TO", "D:\\OUT\\GZPRIME", "GO"});
  Finish();
  EXPECT_EQ(st.ToPrimePath, "D:\\OUT\\GZPRIME");
  EXPECT_EQ(hooks.outputsOpened, 1);
}

TEST_F(CommandLineTest, UnattendedCopyWithoutToIsRefused) {
  Parse({"COPY", "GO"});
  Finish();
  EXPECT_FALSE(st.AutoGo);
  EXPECT_EQ(port.messages, std::vector<std::string>{kToPathRequired});
  EXPECT_EQ(hooks.outputsOpened, 0);
}

// ---- keywords ---------------------------------------------------------------

TEST_F(CommandLineTest, StatusWordsAndTheModesThatClearThem) {
  Parse({"EFFECTIVE", "COPY"});
  EXPECT_FALSE(st.Selection.StatusSelect);
  TRunState other;
  ParseCommandLine(other, {"COPY", "effective"}, env, hooks);
  EXPECT_TRUE(other.Selection.StatusSelect);
  EXPECT_EQ(other.Selection.StatusSet, TByteSet{kEffective});
  TRunState scan;
  ParseCommandLine(scan, {"ARCHIVE", "SCAN"}, env, hooks);
  EXPECT_TRUE(scan.Selection.StatusSelect);
  EXPECT_EQ(scan.Selection.StatusSet, ArchiveStatuses());
}

TEST_F(CommandLineTest, KeywordsAreComparedOnTwelveCharacters) {
  // Upper-cased, and cut to 12: a longer word never equals a keyword.
  Parse({"htmlall", "EFFECTIVEDATE", "PENDING_SHEETS_ONLY"});
  EXPECT_EQ(st.RunMode, TRunMode::Html);
  EXPECT_TRUE(st.HtmlAll);
  EXPECT_FALSE(st.Selection.StatusSelect);
  // Unknown words and "=" words consume nothing.
  Parse({"=A_VERY_LONG_EQUALS_WORD", "COPY", "NONSENSE", "GO"});
  EXPECT_EQ(st.RunMode, TRunMode::Copy);
  EXPECT_TRUE(st.AutoGo);
  // "FROMFOLDER" is ten characters; anything longer is not it.
  Parse({"FROMFOLDERXYZW", "/libs"});
  EXPECT_FALSE(st.MultiSourceRequested);
}

// Ignored words are still ignored, but each is told with the reason; the
// words of the keyword table (what help, manual and completion show) are
// all read, by the desktop too unless they belong to vorne-batch alone.
TEST_F(CommandLineTest, EveryWordIsReadOrToldIgnored) {
  Parse({"BROWZE", "COPY", "Delete", "VOLUMES", "=X", "TO"});
  EXPECT_EQ(st.RunMode, TRunMode::Copy);
  EXPECT_EQ(hooks.ignored, (std::vector<std::string>{"BROWZE is not a keyword; it was ignored",
                                                     "Delete is read by vorne-batch alone; it was ignored",
                                                     "VOLUMES is not a keyword; it was ignored",
                                                     "TO needs a value after it; it was ignored"}));
  for (const TKeywordInfo& k : CommandLineKeywords()) {
    TRunState fresh;
    TRecordingHooks quiet;
    std::vector<std::string> args = {k.word};
    if (k.value && !k.batchOnly) args.push_back(std::string(k.word) == "RECENT" ? "7" : "/libs");
    ParseCommandLine(fresh, args, env, quiet);
    EXPECT_EQ(quiet.ignored.size(), k.batchOnly ? 1u : 0u) << k.word;
  }
}

// The desktop's "Open With" gives one folder: it opens as the library there.
TEST_F(CommandLineTest, OneFolderOpensTheLibraryInTheFormItsFilesShow) {
  mem.MakeDir("/drives/D/plain");
  mem.WriteAll("/drives/D/plain/prime4", "");
  mem.MakeDir("/drives/D/both");
  mem.WriteAll("/drives/D/both/Prime4", "");
  mem.WriteAll("/drives/D/both/GZPrime", "");
  mem.MakeDir("GO");
  using V = std::vector<std::string>;
  EXPECT_EQ(FolderArguments(mem, {"D:\\plain"}), (V{"FROM", "D:\\plain", "UNZIP"}));
  EXPECT_EQ(FolderArguments(mem, {"/drives/D/both"}), (V{"FROM", "/drives/D/both"}));
  EXPECT_EQ(FolderArguments(mem, {"/drives/D/none"}), (V{"/drives/D/none"}));  // no folder
  EXPECT_EQ(FolderArguments(mem, {"D:\\plain", "GO"}), (V{"D:\\plain", "GO"}));
  EXPECT_EQ(FolderArguments(mem, {"GO"}), (V{"GO"}));  // a keyword stays one, whatever folder has its name
}

TEST_F(CommandLineTest, AValueIsConsumedEvenWhenItLooksLikeAKeyword) {
  Parse({"VOLSTO", "COPY", "TO"});
  EXPECT_EQ(st.VolsToPath, "COPY");
  EXPECT_EQ(st.RunMode, TRunMode::Browse);
  EXPECT_EQ(st.ToPrimePath, "");  // "TO" without a value is ignored
}

TEST_F(CommandLineTest, SmallKeywords) {
  Parse({"EXPRESS", "SPLIT", "ALL", "QARLMIDEX", "ID", std::string(90, '1'), "FROMALL", "/libs"});
  EXPECT_EQ(st.Ticks, 10);
  EXPECT_TRUE(st.AutoGo);
  EXPECT_TRUE(st.SplitFlag);
  EXPECT_TRUE(st.Controls.AllChecked);
  EXPECT_TRUE(st.ExpertMode);
  EXPECT_EQ(st.Controls.ModeItems, kExpertModeItems);
  EXPECT_TRUE(st.IdGiven);
  EXPECT_EQ(st.IdList.size(), 80u);
  EXPECT_EQ(st.LibraryRoot, "/libs");
  Finish();
  EXPECT_EQ(hooks.panels, 1);
  EXPECT_TRUE(st.Controls.SplitChecked);
  EXPECT_EQ(hooks.afterOpens, 1);
}

TEST_F(CommandLineTest, BrowseHidesTheModePanel) {
  Parse({"COPY", "BROWSE"});
  EXPECT_EQ(st.RunMode, TRunMode::Browse);
  EXPECT_FALSE(st.Controls.ModePanelVisible);
}

TEST_F(CommandLineTest, ExceptLoadsTheNameList) {
  mem.MakeDir("/drives/D/LISTS");
  mem.WriteAll("/drives/D/LISTS/skip.txt", "ANR PIPELINE\r\nTEXAS GAS\r\n");
  EXPECT_TRUE(Parse({"EXCEPT", "D:\\LISTS\\skip.txt"}));
  EXPECT_EQ(st.NameList, (std::vector<std::string>{"ANR PIPELINE", "TEXAS GAS"}));
  EXPECT_TRUE(st.Controls.XcptChecked);
}

TEST_F(CommandLineTest, AMissingExceptListIsReported) {
  EXPECT_FALSE(Parse({"EXCEPT", "D:\\missing.txt", "GO"}));
  EXPECT_FALSE(st.Controls.XcptChecked);
  EXPECT_FALSE(st.AutoGo);
  EXPECT_EQ(port.messages.size(), 1u);
}

// ---- FROM ---------------------------------------------------------------------

TEST_F(CommandLineTest, FromAFolderNamesItsPrimeFile) {
  Parse({"FROM", "D:\\Lib\\"});
  EXPECT_EQ(st.FromDir, "D:\\Lib");
  EXPECT_EQ(st.LibraryDir, "D:\\Lib");
  EXPECT_EQ(st.FromPrimePath, "D:\\Lib/GZPrime");
  Parse({"FROM", "/srv/lib", "UNZIP"});
  EXPECT_EQ(st.FromPrimePath, "/srv/lib/Prime4");
  EXPECT_TRUE(hooks.opened.empty());  // opened later, by FinishParameters
  Finish();
  EXPECT_EQ(hooks.opened, std::vector<std::string>{"/srv/lib/Prime4"});
}

TEST_F(CommandLineTest, ASingleSavedLibraryArgumentOpensAtOnce) {
  EXPECT_TRUE(Parse({"D:\\Lib\\My.Vorne"}));
  EXPECT_EQ(hooks.opened, std::vector<std::string>{"D:\\Lib\\My.Vorne"});
  EXPECT_EQ(st.FromDir, "D:\\Lib");
  EXPECT_EQ(st.FromPrimePath, "");
}

TEST_F(CommandLineTest, ASavedLibraryFollowedByMoreArgumentsIsIgnored) {
  Parse({"D:\\Lib\\My.vorne", "GO"});
  EXPECT_TRUE(hooks.opened.empty());
  EXPECT_EQ(st.FromDir, "");
  EXPECT_TRUE(st.AutoGo);
}

TEST_F(CommandLineTest, AFolderWithVorneInItsNameIsALibraryFolder) {
  mem.MakeDir("/drives/L/VORNE");
  Parse({"FROM", "L:\\VORNE"});
  EXPECT_TRUE(hooks.opened.empty());
  EXPECT_EQ(st.FromPrimePath, "L:\\VORNE/GZPrime");
  Parse({"FROM", "L:\\Saved\\week.vorne"});
  EXPECT_EQ(hooks.opened, std::vector<std::string>{"L:\\Saved\\week.vorne"});
}

TEST_F(CommandLineTest, FromOneCopyUsesTheNewerCopy) {
  TwoCopies("/drives/L/LIB", 10, 20);
  Parse({"FROM", "L:\\LIB\\GZIP1"});
  EXPECT_EQ(st.FromDir, "L:\\LIB/GZIP2");
  EXPECT_EQ(st.FromPrimePath, "L:\\LIB/GZIP2/GZPrime");
}

TEST_F(CommandLineTest, ExpertModeKeepsTheCopyNamed) {
  TwoCopies("/drives/L/LIB", 10, 20);
  Parse({"QARLMIDEX", "FROM", "L:\\LIB\\gzip1"});
  EXPECT_EQ(st.FromDir, "L:\\LIB\\gzip1");
}

TEST_F(CommandLineTest, ACopyOnALocalDriveIsKeptAsNamed) {
  TwoCopies("/drives/D/LIB", 10, 20);
  Parse({"FROM", "D:\\LIB\\GZIP1"});
  EXPECT_EQ(st.FromPrimePath, "D:\\LIB\\GZIP1/GZPrime");
}

TEST_F(CommandLineTest, ChooseNewerGenerationRules) {
  TwoCopies("/drives/L/LIB", 20, 10);
  std::string dir = "L:\\LIB";
  EXPECT_TRUE(ChooseNewerGeneration(mem, dir));
  EXPECT_EQ(dir, "L:\\LIB/GZIP1");

  TwoCopies("/drives/P/LIB", 10, 10);  // equal ages: the first copy
  dir = "p:/LIB/";
  EXPECT_TRUE(ChooseNewerGeneration(mem, dir));
  EXPECT_EQ(dir, "p:/LIB/GZIP1");

  TwoCopies("/drives/D/LIB", 10, 20);  // local drive
  dir = "D:\\LIB";
  EXPECT_FALSE(ChooseNewerGeneration(mem, dir));
  EXPECT_EQ(dir, "D:\\LIB");

  TwoCopies("/net/lib", 10, 20);  // no drive letter counts as a network drive
  dir = "/net/lib";
  EXPECT_TRUE(ChooseNewerGeneration(mem, dir));
  EXPECT_EQ(dir, "/net/lib/GZIP2");

  mem.Remove("/net/lib/GZIP2/GZipHdr");  // only one copy
  dir = "/net/lib";
  EXPECT_FALSE(ChooseNewerGeneration(mem, dir));
  EXPECT_EQ(dir, "/net/lib");
}

// ---- DRIVES -------------------------------------------------------------------

TEST_F(CommandLineTest, DrivesSetsTheRootBeforeAnyPathIsLookedAt) {
  TwoCopies("/mnt/v/L/LIB", 10, 20);
  Parse({"FROM", "L:\\LIB\\GZIP1", "DRIVES", "/mnt/v/", "COPY"});
  EXPECT_EQ(DriveRoot(), "/mnt/v");
  EXPECT_EQ(st.FromDir, "L:\\LIB/GZIP2");
  EXPECT_EQ(st.RunMode, TRunMode::Copy);
  EXPECT_EQ(MapPath(st.FromPrimePath), "/mnt/v/L/LIB/GZIP2/GZPrime");
}

TEST(IdKeysTest, PiecesBecomeSixDigitKeys) {
  std::vector<std::string> bad;
  EXPECT_EQ(IdKeys("7, 12,,x1,123456", &bad), (std::vector<std::string>{"000007", "000012", "123456"}));
  EXPECT_EQ(bad, (std::vector<std::string>{"", "x1"}));
  EXPECT_TRUE(IdKeys("").empty());
}

TEST(TypedPaths, BothSeparators) {
  EXPECT_EQ(TypedFolder("D:\\A\\B"), "D:\\A");
  EXPECT_EQ(TypedFolder("D:\\B"), "D:");
  EXPECT_EQ(TypedFolder("D:B"), "D:");
  EXPECT_EQ(TypedFolder("/a/b"), "/a");
  EXPECT_EQ(TypedFolder("/b"), "/");
  EXPECT_EQ(TypedFolder("b"), "");
  EXPECT_EQ(TypedName("D:\\A/b.txt"), "b.txt");
  EXPECT_EQ(AppendName("D:\\A\\", "x"), "D:\\A\\x");
  EXPECT_EQ(AppendName("/", "x"), "/x");
  EXPECT_EQ(AppendName("", "x"), "x");
}

}  // namespace
}  // namespace vorne
