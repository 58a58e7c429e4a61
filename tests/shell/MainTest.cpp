// The main window model: opening outputs by their names, the production
// library guard, prime file detection, Multiple In and the Browse run.
#include <gtest/gtest.h>

#include "platform/Paths.h"
#include "filings/Verifier.h"
#include "shell/MainUnit.h"
#include "shell/Whenunit.h"
#include "support/LibraryBuilder.h"
#include "support/MemFileSystem.h"
#include "support/ScriptedPort.h"

namespace vorne::testing {
namespace {

class MainTest : public ::testing::Test {
 protected:
  MainTest() {
    for (const char* d : {"/w", "/w/out", "/w/libs"}) mem_.MakeDir(d);
  }
  void Library(const std::string& dir, const std::string& company, bool compressed = true) {
    TVolumePlan v;
    v.company = company;
    TSheetPlan s;
    s.sheetNo = "1";
    s.lines = {"original sheet no. 1", "text"};
    v.sheets = {s};
    BuildLibrary(env_, dir, compressed, {v});
  }
  TMemFileSystem mem_;
  TScriptedPort port_;
  TEnv env_{mem_, port_};
  TMain main_{env_};
};

TEST_F(MainTest, OutputFormFollowsTheName) {
  TRunState& st = main_.State();
  ChooseMode(st, TRunMode::Copy);
  struct Case {
    const char* toPrime;
    bool opens;
    bool compressed;
  } cases[] = {{"/w/out/GZPRIME", true, true}, {"/w/out/PRIME4", true, false}, {"/w/out/DB.TXT", false, false}};
  for (const Case& c : cases) {
    st.OutputCluster.reset();
    st.ToPrimePath = c.toPrime;
    EXPECT_EQ(main_.OpenOutput(), c.opens) << c.toPrime;
    if (c.opens) {
      EXPECT_EQ(st.OutputCluster->IsCompressed(), c.compressed) << c.toPrime;
      EXPECT_TRUE(st.OutputExists);
    } else {
      EXPECT_EQ(st.OutputCluster, nullptr);
    }
  }
  // New files get the library's own spelling whatever case was typed.
  EXPECT_TRUE(mem_.Exists("/w/out/GZPrime"));
  EXPECT_TRUE(mem_.Exists("/w/out/Prime4"));

  st.OutputCluster.reset();
  ChooseMode(st, TRunMode::AddNewFiling);
  st.ToPrimePath = "/w/out/GZPRIME";
  port_.QueueAnswer(TAnswer::Yes);
  EXPECT_TRUE(main_.OpenOutput());
  EXPECT_FALSE(st.OutputCluster->IsCompressed());
}

TEST_F(MainTest, TheProductionLibraryIsRefusedOutsideExpertMode) {
  TRunState& st = main_.State();
  ChooseMode(st, TRunMode::Copy);
  mem_.MakeDir("/w/Vorne");
  st.ToPrimePath = "/w/Vorne/gzip1/GZPrime";
  EXPECT_FALSE(main_.OpenOutput());
  EXPECT_EQ(port_.messages, (std::vector<std::string>{"Sorry, this doesn't look safe"}));
  EXPECT_FALSE(mem_.Exists("/w/Vorne/gzip1"));
  main_.SetExpertMode(true);
  EXPECT_TRUE(main_.OpenOutput());
  // A drive-letter path below the letter L is not guarded.
  st.OutputCluster.reset();
  main_.SetExpertMode(false);
  const std::string savedRoot = DriveRoot();
  SetDriveRoot("/w");
  mem_.MakeDir("/w/D");
  mem_.MakeDir("/w/D/VORNE");
  st.ToPrimePath = "D:\\VORNE\\GZIP2\\GZPrime";
  EXPECT_TRUE(main_.OpenOutput());
  EXPECT_TRUE(mem_.Exists("/w/D/VORNE/GZIP2/GZPrime"));
  SetDriveRoot(savedRoot);
}

TEST_F(MainTest, DetectPrimeNameFindsEitherForm) {
  Library("/w/libs/a", "Alpha Gas", true);
  Library("/w/libs/b", "Beta Gas", false);
  EXPECT_TRUE(main_.DetectPrimeName("/w/libs/a"));
  EXPECT_EQ(main_.State().PrimeName, "/GZPrime");
  EXPECT_FALSE(main_.DetectPrimeName("/w/libs/b"));
  EXPECT_EQ(main_.State().PrimeName, "/Prime4");
  EXPECT_FALSE(main_.DetectPrimeName("/w/out"));
  EXPECT_EQ(main_.State().PrimeName, "");
  EXPECT_EQ(port_.messages.back(), "Prime File \\Prime4 not found in /w/out");
}

TEST_F(MainTest, BrowseRunListsTheMarkedVolumes) {
  Library("/w/libs/a", "Alpha Gas");
  ASSERT_TRUE(main_.OpenPrimeFile("/w/libs/a/GZPrime"));
  EXPECT_TRUE(main_.State().Loaded);
  ASSERT_EQ(main_.VolumeList().RowCount(), 1u);
  main_.VolumeList().SelectAll();
  main_.State().FromDir = "/w/libs/a";
  EXPECT_EQ(main_.GoDoIt(), TGoResult::Ran);
  EXPECT_EQ(main_.SheetList().Count(), 1u);
  EXPECT_TRUE(main_.SheetList().Visible());
}

// Views and the batch program find a run's windows through the main window,
// never through the run: each window is registered while it exists.
TEST_F(MainTest, RunsRegisterTheWindowsTheyOpen) {
  Library("/w/libs/a", "Alpha Gas");
  ASSERT_TRUE(main_.OpenPrimeFile("/w/libs/a/GZPrime"));
  main_.State().FromDir = "/w/libs/a";
  int changes = 0;
  main_.Windows().onChanged = [&] { ++changes; };
  ASSERT_NE(main_.Windows().listing, nullptr);  // the sheet list window's own page
  EXPECT_EQ(main_.Windows().verification, nullptr);

  ChooseMode(main_.State(), TRunMode::Verify);
  main_.VolumeList().SelectAll();
  EXPECT_EQ(main_.GoDoIt(), TGoResult::Ran);
  ASSERT_NE(main_.Windows().verification, nullptr);
  EXPECT_TRUE(main_.Windows().verification->Visible());
  EXPECT_EQ(changes, 1);

  ChooseMode(main_.State(), TRunMode::ScanUpdates);
  main_.State().AutoGo = true;  // no "Pick a Date" without a since date anyway
  EXPECT_EQ(main_.GoDoIt(), TGoResult::Ran);
  ASSERT_NE(main_.Windows().scanner, nullptr);
  EXPECT_EQ(main_.Windows().scanner->Lines().size(), 1u);
  EXPECT_EQ(changes, 2);

  // Modes without a run say so instead of running.
  ChooseDelete(main_.State(), true);
  main_.VolumeList().SelectAll();
  EXPECT_NE(main_.GoDoIt(), TGoResult::Ran);
  EXPECT_EQ(port_.messages.back(), kNotSupported);
}

TEST_F(MainTest, MultipleInNeedsTwoLibrariesAndCopiesTheLaterOnes) {
  Library("/w/libs/one", "Alpha Gas");
  Library("/w/libs/two", "Beta Gas");
  TRunState& st = main_.State();
  st.LibraryRoot = "/w/libs";
  main_.FillLibraries();
  ASSERT_EQ(main_.Libraries().size(), 2u);
  EXPECT_EQ(main_.Libraries()[0].companyName, "Alpha Gas");
  main_.SetMultiSource(true);
  st.Controls.LibrariesPanelVisible = true;
  main_.SetLibrariesMultiSelect(true);
  main_.Libraries()[0].selected = true;
  EXPECT_EQ(main_.GoDoIt(), TGoResult::NothingMarked);  // one library is not enough
  EXPECT_EQ(st.RunMode, TRunMode::Browse);
  main_.Libraries()[1].selected = true;
  main_.GoDoIt();
  EXPECT_EQ(st.RunMode, TRunMode::Copy);
  EXPECT_FALSE(main_.Libraries()[0].selected);
  EXPECT_FALSE(main_.Libraries()[1].selected);
}

}  // namespace
}  // namespace vorne::testing

namespace vorne::testing {
namespace {

TEST_F(MainTest, PrintSetupPresetsFollowTheMarkedRows) {
  TVolumePlan a, b;
  a.company = "Zeta Gas";
  a.companyCode = 1;
  b.company = "Alpha Gas";
  b.companyCode = 2;
  BuildLibrary(env_, "/w/libs/two", true, {a, b});
  ASSERT_TRUE(main_.OpenPrimeFile("/w/libs/two/GZPrime"));
  main_.State().ToDir = "D:\\Web\\";
  TPrintSetup setup = main_.BeginPrintSetup(true);
  EXPECT_EQ(main_.VolumeList().SortKey(), kSortByCode);
  EXPECT_EQ(main_.VolumeList().Rows()[0].volume->record.companyCode, 1u);
  EXPECT_EQ(setup.folder, "D:\\Web");
  EXPECT_EQ(setup.drive, 'D');
  EXPECT_TRUE(setup.fewerThanTwo);
  EXPECT_TRUE(setup.allVolumes);
  setup.folder = "/w/site";
  main_.EndPrintSetup(setup);
  EXPECT_EQ(main_.VolumeList().MarkedCount(), 2u);
  EXPECT_EQ(main_.OutputFolder(), "/w/site");
  setup = main_.BeginPrintSetup(false);
  EXPECT_FALSE(setup.fewerThanTwo);
  EXPECT_FALSE(setup.allVolumes);
  EXPECT_EQ(setup.folder, "/w/site");
}

class ThrowingRun : public TModeRun {
 public:
  bool Prepare(TRunContext&, TFromDisplay&) override { return true; }
  bool EachVolume(TRunContext&, TFromDisplay&, size_t, TPrimeRef&) override { throw std::logic_error("boom"); }
};

TEST_F(MainTest, AnUnexpectedFaultInARunIsReportedNotFatalToTheProgram) {
  Library("/w/libs/a", "Alpha Gas");
  ASSERT_TRUE(main_.OpenPrimeFile("/w/libs/a/GZPrime"));
  main_.VolumeList().SelectAll();
  main_.SetModeRun(TRunMode::Browse, std::make_unique<ThrowingRun>());
  EXPECT_EQ(main_.RunNow(), TGoResult::Fatal);
  EXPECT_EQ(port_.messages.back(), kRunFault);
  EXPECT_FALSE(main_.VolumeList().Running());
}

// ExpertMode reaches the volume list (its ID column and "Make HTML") however
// it is switched on: by a keyword, by a mode that implies it, by the panel.
TEST_F(MainTest, ExpertModeFromTheCommandLineShowsTheIdColumn) {
  const std::vector<std::vector<std::string>> lines = {
      {"QARLMIDEX"}, {"TEST"}, {"ERRORS"}, {"ADDFROM", "/w/filings"}};
  for (const auto& args : lines) {
    TMain main(env_);
    EXPECT_EQ(main.VolumeList().IdColumnWidth(), 1);
    main.ParseCommandLine(args);
    EXPECT_EQ(main.VolumeList().IdColumnWidth(), 60) << args[0];
    EXPECT_TRUE(main.VolumeList().MakeHtmlVisible()) << args[0];
  }
  // Plain keywords leave it off.
  TMain plain(env_);
  plain.ParseCommandLine({"BROWSE", "ALL"});
  EXPECT_EQ(plain.VolumeList().IdColumnWidth(), 1);
}

TEST_F(MainTest, ChoosingAddNewFilingInTheModePanelShowsTheIdColumn) {
  main_.ModeChanged(ChooseModeIndex(main_.State(), int(TRunMode::AddNewFiling), port_));
  EXPECT_EQ(main_.VolumeList().IdColumnWidth(), 60);
  // The toolbox cancelled: hidden again.
  main_.SetExpertMode(false);
  EXPECT_EQ(main_.VolumeList().IdColumnWidth(), 1);
  EXPECT_FALSE(main_.VolumeList().MakeHtmlVisible());
}

}  // namespace
}  // namespace vorne::testing
