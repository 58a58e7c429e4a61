// The main window model: opening outputs by their names, the production
// library guard, prime file detection, Multiple In and the Browse run.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "copy/OutputVolumes.h"
#include "filings/FilingImport.h"
#include "filings/Verifier.h"
#include "output/PrintToFile.h"
#include "platform/Paths.h"
#include "shell/DeleteRuns.h"
#include "shell/Main.h"
#include "shell/MultipleIn.h"
#include "shell/ScanUpdates.h"
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

// What the desktop program tells about a command line it could not follow:
// words it ignored go to the log; a library named in the other form gets the
// files found and the keyword that opens it; an ID no volume has is named.
TEST_F(MainTest, TheCommandLineSaysWhatItCouldNotFollow) {
  Library("/w/libs/plain", "Beta Gas", false);
  Library("/w/libs/zipped", "Alpha Gas", true);
  ASSERT_TRUE(main_.ParseCommandLine({"FROM", "/w/libs/plain", "BROWZE", "PDF", "ID", "1,999"}));
  main_.Start();
  EXPECT_FALSE(main_.State().Loaded);
  EXPECT_EQ(port_.messages, (std::vector<std::string>{
                                "Can't find /w/libs/plain/GZPrime",
                                "/w/libs/plain holds Prime4, TarHdr, TarDBF, an uncompressed library: add UNZIP after "
                                "FROM /w/libs/plain to open it"}));
  EXPECT_EQ(main_.Log().Log(), (std::vector<std::string>{"BROWZE is not a keyword; it was ignored",
                                                         "PDF is read by vorne-batch alone; it was ignored"}));

  TMain again(env_);
  port_.messages.clear();
  ASSERT_TRUE(again.ParseCommandLine({"FROM", "/w/libs/zipped", "UNZIP"}));
  again.Start();
  EXPECT_EQ(port_.messages.back(), "/w/libs/zipped holds GZPrime, GZipHdr, GZipDBF, a compressed library: leave out "
                                   "UNZIP to open it");

  TMain third(env_);
  port_.messages.clear();
  ASSERT_TRUE(third.ParseCommandLine({"FROM", "/w/libs/zipped", "ID", "1,999,x"}));
  third.Start();
  EXPECT_EQ(third.VolumeList().MarkedCount(), 1u);
  EXPECT_EQ(port_.messages, (std::vector<std::string>{"No volume has the company ID 999", "Not a company ID: x"}));
  EXPECT_TRUE(third.Log().Log().empty());
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

  // Deleting volumes asks first; the safe answer deletes nothing.
  ChooseDelete(main_.State(), true);
  main_.VolumeList().SelectAll();
  EXPECT_EQ(main_.GoDoIt(), TGoResult::NotPrepared);
  ASSERT_FALSE(port_.questions.empty());
  EXPECT_EQ(port_.questions.back(), kDeleteVolumesWarning);
  EXPECT_EQ(main_.VolumeList().RowCount(), 1u);
  // A mode without a run says so instead of running.
  main_.SetModeRun(TRunMode::DeleteVolumes, nullptr);
  EXPECT_NE(main_.GoDoIt(), TGoResult::Ran);
  ASSERT_FALSE(port_.messages.empty());
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
  ASSERT_FALSE(port_.messages.empty());
  EXPECT_EQ(port_.messages.back(), kTwoLibrariesNeeded);
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
  // Leaving ExpertMode in one of its own modes (Delete, chosen in the toolbox) goes back to Browse,
  // which the Mode panel and the Mode menu both tick.
  main_.SetExpertMode(true);
  main_.ModeChanged(ChooseMode(main_.State(), TRunMode::DeleteSheets));
  main_.SetExpertMode(false);
  EXPECT_EQ(main_.State().RunMode, TRunMode::Browse);
  EXPECT_EQ(main_.State().Controls.CheckedMenu, "&Browse");
  EXPECT_EQ(main_.State().Controls.ModeIndex, 0);
}

}  // namespace
}  // namespace vorne::testing

namespace vorne::testing {
namespace {

// The desktop registers a view for the "Print To File" dialog; the run shows
// its dialog there and goes on with what the person chose.
TEST_F(MainTest, PublishRunsAskTheRegisteredPrintDialogView) {
  Library("/w/libs/a", "Alpha Gas");
  ASSERT_TRUE(main_.OpenPrimeFile("/w/libs/a/GZPrime"));
  main_.State().FromDir = "/w/libs/a";
  main_.State().ToDir = "/w/out";
  int shown = 0;
  bool manySheets = true, fewerThanTwo = false;
  std::string preset;
  main_.Windows().showPrintDialog = [&](TFilePrintDialog& d) {
    ++shown;
    manySheets = d.manySheetsVisible;
    fewerThanTwo = d.fewerThanTwoVisible;
    preset = d.directory;
    d.directory = "/w/out/site";
    d.OK();
  };
  ChooseMode(main_.State(), TRunMode::Html);
  bool gaugeDuringRun = false;
  main_.onVolume = [&](size_t, size_t, TPrimeRef&) {
    gaugeDuringRun = main_.VolumeList().GaugeVisible() && main_.VolumeList().GaugeMax() == 1;
  };
  main_.VolumeList().SelectAll();
  EXPECT_EQ(main_.GoDoIt(), TGoResult::Ran);
  main_.onVolume = nullptr;
  EXPECT_EQ(shown, 1);
  EXPECT_FALSE(manySheets);   // HTML writes one page per company anyway
  EXPECT_TRUE(fewerThanTwo);  // one volume in the library
  EXPECT_EQ(preset, "/w/out");
  EXPECT_TRUE(mem_.Exists("/w/out/site/index.htm"));
  EXPECT_TRUE(gaugeDuringRun);

  // Cancel in the dialog: the run ends before anything is written.
  main_.Windows().showPrintDialog = [&](TFilePrintDialog& d) {
    d.directory = "/w/out/cancelled";
    d.Cancel();
  };
  main_.VolumeList().SelectAll();
  EXPECT_NE(main_.GoDoIt(), TGoResult::Ran);
  EXPECT_FALSE(mem_.IsDirectory("/w/out/cancelled"));
  EXPECT_EQ(main_.Windows().publishing, nullptr);
}

// The gauge of a publishing run counts each volume's sheets once.
TEST_F(MainTest, PublishGaugeCountsEachVolumeOnce) {
  TVolumePlan a, b;
  a.company = "Alpha Gas";
  b.company = "Beta Gas";
  for (TVolumePlan* v : {&a, &b}) {
    TSheetPlan s;
    s.sheetNo = "1";
    s.lines = {"original sheet no. 1", "text"};
    v->sheets = {s};
  }
  BuildLibrary(env_, "/w/libs/two", true, {a, b});
  ASSERT_TRUE(main_.OpenPrimeFile("/w/libs/two/GZPrime"));
  main_.State().FromDir = "/w/libs/two";
  main_.Windows().showPrintDialog = [](TFilePrintDialog& d) {
    d.directory = "/w/out/prn";
    d.multipleFiles = true;
    d.OK();
  };
  std::vector<int64_t> seen;
  main_.onVolume = [&](size_t, size_t, TPrimeRef&) { seen.push_back(main_.VolumeList().GaugePosition()); };
  ChooseMode(main_.State(), TRunMode::PrintToFile);
  main_.VolumeList().SelectAll();
  EXPECT_EQ(main_.GoDoIt(), TGoResult::Ran);
  EXPECT_EQ(seen, (std::vector<int64_t>{0, 1}));
}

// Each filing's error log is registered while it is offered for saving, so
// that the desktop shows it then.
TEST_F(MainTest, TheImportRegistersItsErrorLogWhileOfferingIt) {
  const std::string source = __FILE__;  // tests/shell/MainTest.cpp
  std::ifstream in(source.substr(0, source.rfind("/tests/")) + "/samples/AVI0105.ASC", std::ios::binary);
  ASSERT_TRUE(in);
  std::stringstream text;
  text << in.rdbuf();
  mem_.MakeDir("/w/in");
  const std::string filing = text.str();
  mem_.Open("/w/in/AVI0105.ASC", TOpenMode::Create)->Write(0, filing.data(), filing.size());
  TRunState& st = main_.State();
  main_.ModeChanged(ChooseMode(st, TRunMode::AddNewFiling));
  st.ToPrimePath = "/w/out/Prime4";
  st.ToDir = "/w/out";
  port_.QueueFile("/w/in/AVI0105.ASC");  // the filing
  std::vector<std::string> shown;
  main_.Windows().onChanged = [&] {
    if (TAddFilings* log = main_.Windows().errorLog) {
      shown = log->ErrorBox();
      port_.QueueFile("/w/out/avi.log");  // the save dialog comes next
    }
  };
  EXPECT_EQ(main_.GoDoIt(), TGoResult::Ran);
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(main_.Windows().errorLog, nullptr);
  EXPECT_TRUE(mem_.Exists("/w/out/avi.log"));
  EXPECT_NE(mem_.Bytes("/w/out/avi.log").find(shown.back()), std::string::npos);
}

// The output-volume window tells its view of every volume copied, and
// "Enough!" pressed while a volume is copied ends the run after that volume.
TEST_F(MainTest, CopyWindowReportsEachVolumeAndEnoughStopsAfterIt) {
  TVolumePlan a, b, c;
  a.company = "Alpha Gas";
  b.company = "Beta Gas";
  c.company = "Gamma Gas";
  for (TVolumePlan* v : {&a, &b, &c}) {
    TSheetPlan s;
    s.sheetNo = "1";
    s.lines = {"original sheet no. 1", "text"};
    v->sheets = {s};
  }
  BuildLibrary(env_, "/w/libs/three", true, {a, b, c});
  Library("/w/out/lib", "Omega Gas");
  ASSERT_TRUE(main_.OpenPrimeFile("/w/libs/three/GZPrime"));
  TRunState& st = main_.State();
  st.FromDir = "/w/libs/three";
  ChooseMode(st, TRunMode::Copy);
  st.ToPrimePath = "/w/out/lib/GZPRIME";
  main_.OutputMode().append = true;  // as "ADD" answers "Add to existing file"
  ASSERT_TRUE(main_.OpenOutput()) << (port_.messages.empty() ? "" : port_.messages.back());
  main_.VolumeList().SelectAll();
  std::vector<std::string> labels;
  main_.Windows().onChanged = [&] {
    TToDisplay* out = main_.Windows().copyOutput;
    if (!out || out->onChanged) return;
    out->onChanged = [&, out] {
      if (out->Modelabel().empty()) return;
      labels.push_back(out->Modelabel() + " " + std::to_string(out->Rows().size()));
      if (out->Rows().size() == 2 && out->CopyLog().size() == 2) main_.VolumeList().EnoughClick();
    };
  };
  EXPECT_EQ(main_.GoDoIt(), TGoResult::Ran);
  ASSERT_FALSE(labels.empty());
  EXPECT_EQ(labels.front().rfind("Adding", 0), 0u) << labels.front();

  // Alpha was copied whole; Beta and Gamma were not started.
  TFileCluster copy(env_, true);
  ASSERT_TRUE(copy.Open("/w/out/lib/GZPrime", false));
  copy.ReadAll();
  std::vector<std::string> names;
  for (const auto& v : copy.Volumes()) names.push_back(v->record.companyName);
  EXPECT_EQ(names, (std::vector<std::string>{"Alpha Gas", "Omega Gas"}));
}

}  // namespace
}  // namespace vorne::testing
