// The sheet list window: filling from header lists, its status and caption
// texts, selection and marking, the clipboard text, the Database export
// lines, marking sheets deleted on disk, and the drawing data of a line.
#include <gtest/gtest.h>

#include "sheets/HeaderEditor.h"
#include "sheets/SheetList.h"
#include "store/Errors.h"
#include "support/LibraryBuilder.h"
#include "support/MemFileSystem.h"
#include "support/ScriptedPort.h"

namespace vorne::testing {
namespace {

TSheetPlan Sheet(const char* no, int rev, const char* title, uint8_t status = kEffective) {
  TSheetPlan s;
  s.sheetNo = no;
  s.rev = rev;
  s.lines = {title, "text"};
  s.status = status;
  return s;
}

TVolumePlan Company(uint32_t code, const char* name, std::vector<TSheetPlan> sheets) {
  TVolumePlan v;
  v.companyCode = code;
  v.company = name;
  v.sheets = std::move(sheets);
  return v;
}

class RejectAll : public TSheetFilter {
 public:
  bool AcceptSheet(const TSheetBody&) const override { return false; }
  bool AcceptDocket(const TDocketBody&) const override { return true; }
};

class SheetListTest : public ::testing::Test {
 protected:
  SheetListTest() { mem_.MakeDir("/lib"); }

  void Build(const std::vector<TVolumePlan>& volumes) {
    std::string prime = BuildLibrary(env_, "/lib/a", true, volumes);
    cluster_ = std::make_unique<TFileCluster>(env_, true);
    ASSERT_TRUE(cluster_->Open(prime, false));
    cluster_->ReadAll();
  }
  // Two companies: two sheets of company 1, one of company 2.
  void BuildTwoCompanies() {
    Build({Company(1, "Alpha Pipeline Company", {Sheet("1", 0, "Original Sheet No. 1"), Sheet("2", 0, "Original Sheet No. 2")}),
           Company(2, "Beta Gas Company", {Sheet("7", 1, "First Revised Sheet No. 7")})});
  }
  TPrimeRef& Volume(size_t i) { return *cluster_->Volumes()[i]; }
  THdrList& Load(size_t i, const TSheetFilter* filter = nullptr) {
    lists_.push_back(std::make_unique<THdrList>(Volume(i), filter));
    lists_.back()->Load();
    return *lists_.back();
  }
  THdrForm& Form(uint8_t mode = THdrForm::kBrowse) {
    form_ = std::make_unique<THdrForm>(env_, mode, [this] { ++restored_; });
    form_->SetCluster(cluster_.get());
    return *form_;
  }
  // Statuses and sheet counts as a fresh open of the library reads them.
  std::vector<int> StatusesOnDisk(size_t volume, uint16_t* sheetCount = nullptr) {
    TFileCluster again(env_, true);
    EXPECT_TRUE(again.Open(cluster_->PrimePath(), false));
    again.ReadAll();
    if (sheetCount) *sheetCount = again.Volumes()[volume]->record.sheetCount;
    THdrList list(*again.Volumes()[volume], nullptr);
    list.Load();
    std::vector<int> out;
    for (auto& g : list.Groups())
      for (auto& s : g.versions) out.push_back(s->body.status);
    return out;
  }

  TMemFileSystem mem_;
  TFaultyFileSystem faulty_{mem_};
  TScriptedPort port_;
  TEnv env_{faulty_, port_};
  std::unique_ptr<TFileCluster> cluster_;
  std::vector<std::unique_ptr<THdrList>> lists_;
  std::unique_ptr<THdrForm> form_;
  int restored_ = 0;
};

// ---- filling -----------------------------------------------------------------

TEST_F(SheetListTest, SecondVolumeAppendsAndItsFirstLineBecomesTopAndSelected) {
  BuildTwoCompanies();
  THdrForm& form = Form();
  EXPECT_EQ(restored_, 1);
  EXPECT_EQ(form.Caption(), "Tariff Sheet List");

  form.FillList(Load(0));
  EXPECT_EQ(form.StatusText(), "2 Sheets");
  EXPECT_EQ(form.SelectedIndex(), 0);
  EXPECT_TRUE(form.EnoughVisible());
  EXPECT_TRUE(form.HintsOn());

  THdrList& second = Load(1);
  form.FillList(second);
  ASSERT_EQ(form.Count(), 3u);
  EXPECT_EQ(form.Entries()[0].first, "Original Sheet No. 1");
  EXPECT_EQ(form.Entries()[2].first, "First Revised Sheet No. 7");
  EXPECT_EQ(form.TopIndex(), 2);
  EXPECT_EQ(form.SelectedIndex(), 2);
  EXPECT_EQ(form.StatusText(), "3 Sheets");
  // The caption follows the first entry, not the volume just added.
  EXPECT_EQ(form.Caption(), Volume(0).DisplayLine());
  EXPECT_EQ(form.Volume(), &Volume(1));
  EXPECT_EQ(form.EndPos(), second.EndPos());
  EXPECT_EQ(form.Issuers().Count(), 2u);  // one issuer record per volume
}

// An edit of the first volume's sheets moves that volume's chain end, not
// the one of the volume loaded last.
TEST_F(SheetListTest, EachListedVolumeKeepsItsOwnChainEnd) {
  BuildTwoCompanies();
  THdrForm& form = Form();
  THdrList& first = Load(0);
  form.FillList(first);
  form.FillList(Load(1));
  EXPECT_EQ(form.EndPosOf(&Volume(0)), first.EndPos());
  EXPECT_EQ(form.EndPosOf(&Volume(1)), form.EndPos());
  EXPECT_NE(form.EndPosOf(&Volume(0)), form.EndPosOf(&Volume(1)));
  EXPECT_EQ(form.EndPosOf(nullptr), -1);

  // Cloning the docket record of the first volume's sheets extends its chain.
  auto chainOf = [&](size_t v) {
    std::vector<int32_t> records;
    cluster_->WalkChain(Volume(v), [&](int32_t n, const THdrRecord&) { return records.push_back(n), true; }, false);
    return records;
  };
  const std::vector<int32_t> secondBefore = chainOf(1);
  const int32_t size = cluster_->HdrSize();
  TEditForm edit(env_);
  edit.SetCluster(cluster_.get());
  edit.SetEndPos(form.EndPosOf(&Volume(0)));
  edit.AddSheet(form.Entries()[0].first, form.Entries()[0].second);
  edit.AddSheet(form.Entries()[1].first, form.Entries()[1].second);
  edit.Activate();
  edit.Clone6BtnClick();
  edit.OKBtnClick();
  ASSERT_EQ(edit.Result(), TEditForm::TResult::OK) << ::testing::PrintToString(port_.messages);
  form.SetEndPosOf(&Volume(0), edit.EndPos());
  EXPECT_EQ(chainOf(1), secondBefore);
  EXPECT_EQ(chainOf(0).back(), size);  // the first chain now ends past the old file end
  EXPECT_EQ(form.EndPosOf(&Volume(0)), size);
  form.ClearList();
  EXPECT_EQ(form.EndPosOf(&Volume(0)), -1);
}

TEST_F(SheetListTest, NoSheetsShowsTheTabbedTextAndLeavesCaptionAndSelection) {
  BuildTwoCompanies();
  RejectAll none;
  THdrForm& form = Form();
  form.FillList(Load(0, &none));
  EXPECT_EQ(form.StatusText(), "\tNo Sheets");
  EXPECT_EQ(form.SelectedIndex(), -1);
  EXPECT_EQ(form.Caption(), "Tariff Sheet List");
  EXPECT_FALSE(form.HintsOn());
}

TEST_F(SheetListTest, CopiedLinesAreCutCountedAndGiveTheCaptionTheirText) {
  THdrForm& form = Form(THdrForm::kAddFiling);
  form.AddCopiedLine(std::string(50, 'x'));
  form.AddCopiedLine("Second");
  EXPECT_EQ(form.Entries()[0].first, std::string(40, 'x'));
  EXPECT_EQ(form.Entries()[0].second, nullptr);
  EXPECT_EQ(form.StatusText(), "2 Sheets");
  EXPECT_EQ(form.Gauge(), 2);

  // No sheet to take a volume from: the text stands, cut to 45.
  form.SetVolumeCaption(std::string(60, 'V'));
  EXPECT_EQ(form.Caption(), std::string(45, 'V'));
  EXPECT_TRUE(form.Visible());
  // Nothing on disk behind copied lines, and nothing is written for them.
  port_.QueueAnswer(TAnswer::OK);
  EXPECT_TRUE(form.MarkDeleted());

  form.ShowRunLabel("Merging into a very long volume name");
  EXPECT_EQ(form.RunLabel(), "Merging into a very ");
  EXPECT_TRUE(form.RunLabelVisible());
}

TEST_F(SheetListTest, VolumeCaptionByMode) {
  BuildTwoCompanies();
  THdrForm& form = Form();
  form.SetVolumeCaption(std::string(50, 'E'));
  EXPECT_EQ(form.Caption(), std::string(45, 'E'));  // empty list
  form.FillList(Load(1));
  form.SetVolumeCaption("Other");
  EXPECT_EQ(form.Caption(), Volume(1).DisplayLine());

  THdrForm& test = Form(THdrForm::kTest);
  test.SetVolumeCaption(std::string(50, 'T'));
  EXPECT_EQ(test.Caption(), std::string(50, 'T'));
}

// ---- selection ----------------------------------------------------------------

TEST_F(SheetListTest, SelectedSheetMessages) {
  THdrForm& form = Form();
  EXPECT_EQ(form.GetSelectedSheet(), nullptr);
  form.AddCopiedLine("copied");
  form.Select(-1);
  EXPECT_EQ(form.GetSelectedSheet(), nullptr);
  form.Select(0);
  EXPECT_EQ(form.GetSelectedSheet(), nullptr);  // a copied line has no sheet
  EXPECT_EQ(port_.transcript, (std::vector<std::string>{"info: Sheet header list is empty", "info: No sheet selected",
                                                        "info: No sheet selected"}));
}

TEST_F(SheetListTest, StepsStopAtBothEndsAndMoveTheSearchPosition) {
  BuildTwoCompanies();
  THdrForm& form = Form();
  form.FillList(Load(0));
  form.FillList(Load(1));
  std::vector<TSheet*> current;
  form.onSheetCurrent = [&](const TSheetPtr& s) { current.push_back(s.get()); };

  form.Select(1);
  EXPECT_TRUE(form.SelectNext());
  EXPECT_EQ(form.SearchPosition(), 2);
  EXPECT_FALSE(form.SelectNext());
  EXPECT_EQ(form.SelectedIndex(), 2);
  form.Select(0);
  EXPECT_FALSE(form.SelectPrevious());
  EXPECT_EQ(form.SearchPosition(), 0);
  EXPECT_EQ(form.GetSelectedSheet().get(), form.Entries()[0].second.get());
  EXPECT_EQ(current.size(), 3u);  // every move makes its sheet current
  EXPECT_EQ(form.TypeLabel(), "");
  EXPECT_EQ(form.StatusLabel(), "Effective");
}

TEST_F(SheetListTest, SelectedSheetsAreTheMarkedOnesInListOrder) {
  BuildTwoCompanies();
  THdrForm& form = Form();
  form.FillList(Load(0));
  form.FillList(Load(1));
  form.Select(1);
  TNamedSheets one = form.SelectedSheets();
  ASSERT_EQ(one.size(), 1u);
  EXPECT_EQ(one[0].first, "Original Sheet No. 2");
  EXPECT_EQ(port_.messages.back(), "press Go Multi button to select more than one sheet");

  // Going multi keeps the selected line marked.
  form.multiBtnClick();
  EXPECT_EQ(form.MultiCaption(), "in Multi");
  EXPECT_EQ(form.MultiHint(), "Turn off multiSelect");
  EXPECT_TRUE(form.AnnotateVisible());
  form.SetMarked(2, true);
  form.SetMarked(0, true);
  form.SetMarked(1, false);
  port_.messages.clear();
  TNamedSheets two = form.SelectedSheets();
  ASSERT_EQ(two.size(), 2u);
  EXPECT_EQ(two[0].first, "Original Sheet No. 1");
  EXPECT_EQ(two[1].first, "First Revised Sheet No. 7");
  EXPECT_TRUE(port_.messages.empty());

  form.multiBtnClick();
  EXPECT_EQ(form.MultiCaption(), "go Multi");
  EXPECT_EQ(form.MultiHint(), "Press this button to select multiple sheets, e.g. for printing.");
  EXPECT_FALSE(form.IsMarked(0));
  form.AllBtnClick();
  EXPECT_TRUE(form.MultiSelect());
  EXPECT_EQ(form.SelectedSheets().size(), 3u);
}

// ---- clipboard and export ------------------------------------------------------

TEST_F(SheetListTest, ClipboardTextPutsAVolumeLineBeforeEachCompany) {
  BuildTwoCompanies();
  THdrForm& form = Form();
  form.FillList(Load(0));
  form.FillList(Load(1));
  EXPECT_EQ(form.CopySheetListClick(), Volume(0).DisplayLine() + "\nOriginal Sheet No. 1\nOriginal Sheet No. 2\n" +
                                           Volume(1).DisplayLine() + "\nFirst Revised Sheet No. 7\n");
}

TEST_F(SheetListTest, ExportListWritesOnlyTheNewListInPlainStyle) {
  BuildTwoCompanies();
  THdrForm& form = Form(THdrForm::kDatabase);
  form.FillList(Load(1));
  std::vector<std::string> lines;
  form.ExportList(
      Load(0), "Alpha", [&](const std::string& l) { lines.push_back(l); }, "Vol 1",
      [](const std::string& text, const TSheet& s) { return TrimRight(s.body.sheetNo) + "\",\"" + text + "\""; });
  EXPECT_EQ(lines, (std::vector<std::string>{"\"Alpha\",\"Vol 1\",\"1\",\"Original Sheet No. 1\"",
                                             "\"Alpha\",\"Vol 1\",\"2\",\"Original Sheet No. 2\""}));
  EXPECT_EQ(form.Count(), 2u);
  EXPECT_FALSE(form.OwnerDrawn());
}

// ---- marking deleted ----------------------------------------------------------

TEST_F(SheetListTest, MarkDeletedWritesEveryListedSheetAndLowersTheCount) {
  Build({Company(1, "Alpha Pipeline Company",
                 {Sheet("1", 0, "Original Sheet No. 1"), Sheet("2", 0, "Original Sheet No. 2"),
                  Sheet("3", 0, "Original Sheet No. 3")})});
  THdrForm& form = Form(THdrForm::kDeleteSheets);
  form.FillList(Load(0));
  port_.QueueAnswer(TAnswer::OK);
  EXPECT_TRUE(form.MarkDeleted());
  EXPECT_EQ(port_.questions.back(), "Mark these 3 sheets Deleted");
  uint16_t count = 0;
  EXPECT_EQ(StatusesOnDisk(0, &count), (std::vector<int>{kDeleted, kDeleted, kDeleted}));
  EXPECT_EQ(count, 0);
  EXPECT_EQ(form.Entries()[0].second->body.status, kDeleted);
}

TEST_F(SheetListTest, MarkDeletedAbortStopsAndCancelGoesOnWithoutWriting) {
  BuildTwoCompanies();
  THdrForm& form = Form(THdrForm::kDeleteSheets);
  form.FillList(Load(0));
  port_.QueueAnswer(TAnswer::Abort);
  EXPECT_FALSE(form.MarkDeleted());
  port_.QueueAnswer(TAnswer::Cancel);
  EXPECT_TRUE(form.MarkDeleted());
  uint16_t count = 0;
  EXPECT_EQ(StatusesOnDisk(0, &count), (std::vector<int>{kEffective, kEffective}));
  EXPECT_EQ(count, 2);

  form.ClearList();
  size_t asked = port_.questions.size();
  EXPECT_TRUE(form.MarkDeleted());  // an empty list is a Cancel, unasked
  EXPECT_EQ(port_.questions.size(), asked);
}

TEST_F(SheetListTest, AnAlreadyDeletedSheetIsNotCountedTwice) {
  Build({Company(1, "Alpha Pipeline Company",
                 {Sheet("1", 0, "Original Sheet No. 1", kDeleted), Sheet("2", 0, "Original Sheet No. 2")})});
  Volume(0).AddToCount(-1);  // the library already knows sheet 1 is gone
  THdrForm& form = Form(THdrForm::kDeleteSheets);
  form.FillList(Load(0));
  port_.QueueAnswer(TAnswer::OK);
  EXPECT_TRUE(form.MarkDeleted());
  uint16_t count = 99;
  StatusesOnDisk(0, &count);
  EXPECT_EQ(count, 0);  // not 65535
}

TEST_F(SheetListTest, AFailedWriteChangesNoRecordNoCountAndUnlocks) {
  Build({Company(1, "Alpha Pipeline Company",
                 {Sheet("1", 0, "Original Sheet No. 1"), Sheet("2", 0, "Original Sheet No. 2")})});
  THdrForm& form = Form(THdrForm::kDeleteSheets);
  form.FillList(Load(0));
  faulty_.written_ = 0;
  faulty_.Inject({TFault::DiskFullAfter, cluster_->HdrPath(), kHdrRecordSize, 0, true});
  port_.QueueAnswer(TAnswer::OK);
  EXPECT_FALSE(form.MarkDeleted());  // the run stops
  faulty_.Clear();
  EXPECT_FALSE(port_.messages.empty());
  uint16_t count = 0;
  EXPECT_EQ(StatusesOnDisk(0, &count), (std::vector<int>{kEffective, kEffective}));
  EXPECT_EQ(count, 2);
  EXPECT_EQ(form.Entries()[0].second->body.status, kEffective);
  EXPECT_EQ(form.Entries()[1].second->body.status, kEffective);
  EXPECT_TRUE(cluster_->ReopenHdrForWrite());  // the lock went with the failed run
  cluster_->CloseHdr();
}

// ---- layout and drawing -------------------------------------------------------

TEST_F(SheetListTest, LayoutFollowsTheRunMode) {
  THdrForm& browse = Form(THdrForm::kBrowse);
  EXPECT_TRUE(browse.OwnerDrawn());
  EXPECT_EQ(browse.PlainCaption(), "go Plain");
  EXPECT_EQ(browse.MultiCaption(), "go Multi");
  EXPECT_EQ(browse.Page(), THdrForm::TPage::SheetList);
  browse.PlainClick();
  EXPECT_EQ(browse.PlainCaption(), "Fancy");
  EXPECT_FALSE(browse.StatusLabelVisible());
  browse.PlainClick();
  EXPECT_TRUE(browse.OwnerDrawn());

  EXPECT_FALSE(Form(THdrForm::kCopy).OwnerDrawn());
  THdrForm& test = Form(THdrForm::kTest);
  EXPECT_EQ(test.Page(), THdrForm::TPage::TechStuff);
  EXPECT_TRUE(test.EliminateVisible());
  EXPECT_FALSE(Form(THdrForm::kHtml).ListVisible());
  EXPECT_EQ(restored_, 4);  // every creation restores the selection defaults
}

TEST(SheetLineStyleTest, StatusFontsAndTypeColours) {
  EXPECT_EQ(StatusFontStyle(kSuperseded), (TFontStyle{false, false, true}));
  EXPECT_EQ(StatusFontStyle(kRejected), (TFontStyle{false, false, true}));
  EXPECT_EQ(StatusFontStyle(kWithdrawn), (TFontStyle{false, false, true}));
  EXPECT_EQ(StatusFontStyle(kSuspended), TFontStyle{});
  EXPECT_EQ(StatusFontStyle(kEffective), (TFontStyle{true, false, false}));
  EXPECT_EQ(StatusFontStyle(kPending), (TFontStyle{false, true, false}));
  EXPECT_EQ(StatusFontStyle(kDeleted), (TFontStyle{false, true, true}));
  EXPECT_EQ(SheetTypeColour(1), (TRgb{0, 0, 0}));
  EXPECT_EQ(SheetTypeColour(3), (TRgb{0, 128, 0}));
  EXPECT_EQ(SheetTypeColour(10), (TRgb{128, 128, 128}));
  EXPECT_FALSE(SheetTypeColour(0));
  EXPECT_FALSE(SheetTypeColour(11));
}

TEST_F(SheetListTest, LineBackgroundMarksTheSelectionAndRateSheetsGoBlack) {
  BuildTwoCompanies();
  THdrForm& form = Form();
  form.FillList(Load(0));
  form.Entries()[0].second->body.sheetType = 3;
  form.Entries()[1].second->body.sheetType = 5;
  form.Select(1);
  EXPECT_EQ(form.LineStyle(0)->background, (TRgb{255, 255, 255}));
  EXPECT_EQ(form.LineStyle(1)->background, (TRgb{128, 128, 128}));
  EXPECT_EQ(form.LineStyle(1)->colour, (TRgb{0, 0, 255}));
  form.Select(0);
  EXPECT_EQ(form.LineStyle(0)->background, (TRgb{0, 0, 0}));
  EXPECT_EQ(form.TypeLabel(), "Rate Sheet");
  EXPECT_FALSE(form.LineStyle(2));
  EXPECT_FALSE(form.LineStyle(-1));
  // In multi-select only the marks are lit; the current line is framed, never marked.
  form.multiBtnClick();
  form.SetMarked(0, false);
  form.Select(1);
  EXPECT_FALSE(form.LineStyle(1)->marked);
  EXPECT_TRUE(form.LineStyle(1)->current);
  EXPECT_EQ(form.LineStyle(1)->background, (TRgb{255, 255, 255}));
  form.SetMarked(0, true);
  EXPECT_TRUE(form.LineStyle(0)->marked);
  EXPECT_FALSE(form.LineStyle(0)->current);
  EXPECT_EQ(form.SelectedSheets().size(), 1u);  // what a command takes is what is lit
}

TEST_F(SheetListTest, ALineOfATypeWithoutColourIsBlackWhicheverLineCameBefore) {
  BuildTwoCompanies();
  THdrForm& form = Form();
  form.FillList(Load(0));
  form.Entries()[0].second->body.sheetType = 5;  // blue
  form.Entries()[1].second->body.sheetType = 0;  // no colour of its own
  // Drawn top to bottom, bottom to top, or alone: always the same colour.
  EXPECT_EQ(form.LineStyle(0)->colour, (TRgb{0, 0, 255}));
  EXPECT_EQ(form.LineStyle(1)->colour, (TRgb{0, 0, 0}));
  form.Entries()[1].second->body.sheetType = 11;
  EXPECT_EQ(form.LineStyle(1)->colour, (TRgb{0, 0, 0}));
}

}  // namespace
}  // namespace vorne::testing
