// The sheet text window and the text search: the phrase and page rules
// (spaces and one line end between words, the word-end test, the first
// occurrence per line), the shown lines with the superseding line, stepping
// through the list, the copy texts, and the find-in-text run with Find Next
// and Halt.
#include <gtest/gtest.h>

#include "sheets/PrintImage.h"
#include "sheets/SheetText.h"
#include "sheets/TextSearch.h"
#include "support/LibraryBuilder.h"
#include "support/MemFileSystem.h"
#include "support/ScriptedPort.h"

namespace vorne::testing {
namespace {

// ---- the phrase and the page ------------------------------------------------------

struct Hit {
  int found, end;
  bool operator==(const Hit&) const = default;
};

std::vector<Hit> Hits(const std::string& phrase, std::vector<std::string> lines) {
  TSearchPhrase p(phrase);
  TSearchPage page(std::move(lines));
  std::vector<Hit> out;
  if (page.Search(p)) {
    do out.push_back({page.FoundLine(), page.EndLine()});
    while (page.FindPhrase() && out.size() < 50);
  }
  return out;
}

TEST(SearchPhraseTest, UpperCaseWordsSplitAtEverySpace) {
  TSearchPhrase one("  rate ");
  EXPECT_EQ(one.Words(), std::vector<std::string>{"RATE"});
  EXPECT_FALSE(one.Multi());
  TSearchPhrase two("Rate  schedule");
  EXPECT_EQ(two.Words(), (std::vector<std::string>{"RATE", "", "SCHEDULE"}));
  EXPECT_TRUE(two.Multi());
}

TEST(SearchPageTest, WordsMaySpanSpacesAndOneLineEndButNotABlankLine) {
  EXPECT_EQ(Hits("rate schedule", {"Under RATE  SCHEDULE FT"}), (std::vector<Hit>{{0, 0}}));
  // The first word ends its line: the hit starts on the next line.
  EXPECT_EQ(Hits("rate schedule", {"text", "service under Rate", "  Schedule FT"}), (std::vector<Hit>{{2, 2}}));
  EXPECT_TRUE(Hits("rate schedule", {"service under Rate", "", "Schedule FT"}).empty());
  EXPECT_EQ(Hits("a b c", {"x a", "b", "c y"}), (std::vector<Hit>{{1, 2}}));
}

TEST(SearchPageTest, WordEndIsTestedButNotWordStart) {
  EXPECT_TRUE(Hits("rate", {"RATES apply"}).empty());
  EXPECT_EQ(Hits("rate", {"a FIRSTRATE service"}), (std::vector<Hit>{{0, 0}}));
  EXPECT_EQ(Hits("rate", {"rate1 rate"}).size(), 0u);
  EXPECT_EQ(Hits("rate", {"rate-based"}), (std::vector<Hit>{{0, 0}}));
}

TEST(SearchPageTest, OnlyTheFirstOccurrenceInALineIsTried) {
  EXPECT_TRUE(Hits("rate", {"RATES AND RATE"}).empty());
  EXPECT_EQ(Hits("rate", {"RATES AND RATE", "the rate"}), (std::vector<Hit>{{1, 1}}));
}

TEST(SearchPageTest, EveryHitIsFoundOnceAndNothingInAnEmptyPage) {
  // After a hit the scan goes on in the rest of the same line.
  EXPECT_EQ(Hits("gas", {"gas", "no", "Gas and gas", "GAS"}), (std::vector<Hit>{{0, 0}, {2, 2}, {2, 2}, {3, 3}}));
  EXPECT_TRUE(Hits("gas", {}).empty());
  EXPECT_TRUE(Hits("", {"gas"}).empty());
  EXPECT_TRUE(Hits("   ", {"gas", " "}).empty());
  // A failed second word lets the scan go on after the first.
  EXPECT_EQ(Hits("rate schedule", {"rate card", "rate schedule"}), (std::vector<Hit>{{1, 1}}));
}

// ---- the window over a library ---------------------------------------------------

TSheetPlan Sheet(const char* no, int rev, std::vector<std::string> lines) {
  TSheetPlan s;
  s.sheetNo = no;
  s.rev = rev;
  s.lines = std::move(lines);
  return s;
}

class SheetTextTest : public ::testing::Test {
 protected:
  SheetTextTest() { mem_.MakeDir("/lib"); }

  void Build(std::vector<TSheetPlan> sheets, const std::string& company = "Alpha Pipeline Company") {
    TVolumePlan v;
    v.company = company;
    v.sheets = std::move(sheets);
    std::string prime = BuildLibrary(env_, "/lib/a", true, {v});
    cluster_ = std::make_unique<TFileCluster>(env_, true);
    ASSERT_TRUE(cluster_->Open(prime, false));
    cluster_->ReadAll();
    list_ = std::make_unique<THdrList>(*cluster_->Volumes()[0], nullptr);
    list_->Load();
    form_ = std::make_unique<THdrForm>(env_, THdrForm::kBrowse, nullptr);
    form_->SetCluster(cluster_.get());
    form_->FillList(*list_);
    display_ = std::make_unique<TSheetDisplay>(*form_);
    form_->onSheetCurrent = [this](const TSheetPtr& s) { display_->SetSheet(s); };
  }
  // The three sheets the search tests look through.
  void BuildThree() {
    Build({Sheet("1", 0, {"Original Sheet No. 1", "", "firm service", "under Rate"}),
           Sheet("2", 0, {"Original Sheet No. 2", "", "Rate", "", "Schedule"}),
           Sheet("3", 1, {"First Revised Sheet No. 3", "Original Sheet No. 3", "RATE SCHEDULE FT", "rate schedule IT"})});
  }
  TSheetPtr Entry(size_t i) { return form_->Entries()[i].second; }
  int Count(const std::string& message) { return int(std::count(port_.messages.begin(), port_.messages.end(), message)); }

  TMemFileSystem mem_;
  TScriptedPort port_;
  TEnv env_{mem_, port_};
  std::unique_ptr<TFileCluster> cluster_;
  std::unique_ptr<THdrList> list_;
  std::unique_ptr<THdrForm> form_;
  std::unique_ptr<TSheetDisplay> display_;
};

TEST_F(SheetTextTest, ShowsTheSheetWithCaptionAndSupersedingLine) {
  Build({Sheet("12A", 0, {"original sheet no. 12a", "second line", "third"}),
         Sheet("13", 2, {"second revised sheet no. 13", "First Revised Sheet No. 13", "body"})});
  display_->Restore();
  display_->SetSheet(Entry(0));
  EXPECT_EQ(display_->Lines(), (std::vector<std::string>{"second line", "third"}));
  EXPECT_EQ(display_->Caption(), "      12A: " + form_->Entries()[0].first);
  EXPECT_EQ(display_->CompanyName(), DisplayVolume(*Entry(0)).substr(0, DisplayVolume(*Entry(0)).find(':')));
  EXPECT_EQ(display_->StatusLabel(), "Effective");
  EXPECT_EQ(display_->OrientationLabel(), "Portrait");
  EXPECT_EQ(display_->MaxLineLength(), 22);
  EXPECT_EQ(display_->TextWidthPixels(), 22 * 9);

  display_->SetSheet(Entry(1));
  EXPECT_EQ(display_->Lines(), (std::vector<std::string>{"Superseding: First Revised Sheet No. 13", "body"}));
  EXPECT_EQ(display_->EntireSheetText(), DisplayVolume(*Entry(1)) + "\n" + display_->Caption() +
                                             "\nSuperseding: First Revised Sheet No. 13\nbody\n");
  EXPECT_EQ(display_->AllText(), "Superseding: First Revised Sheet No. 13\nbody\n");
  EXPECT_EQ(display_->SheetNameText(), display_->Caption());
}

TEST_F(SheetTextTest, PitchSevenShowsSeventeenAndIsMendedInTheHeader) {
  Build({Sheet("1", 0, {"Title", "x"})});
  Entry(0)->body.pitchCode = 7;
  display_->Restore();
  display_->SetSheet(Entry(0));
  EXPECT_EQ(display_->PitchLabel(), "17 cpi");
  EXPECT_EQ(Entry(0)->body.pitchCode, 4);
}

TEST_F(SheetTextTest, EnyeVolumeShowsF1ForA4) {
  Build({Sheet("1", 0, {"Title", "Pe\xA4" "a Gas"})}, "Compa\xF1ia de Gas");
  display_->Restore();
  display_->SetSheet(Entry(0));
  ASSERT_EQ(display_->Lines().size(), 1u);
  EXPECT_EQ(display_->Lines()[0], "Pe\xF1" "a Gas");
}

TEST_F(SheetTextTest, AMinimisedWindowReadsTheSheetOnlyWhenRestored) {
  Build({Sheet("1", 0, {"Title one", "a"}), Sheet("2", 0, {"Title two", "b"})});
  EXPECT_TRUE(display_->Minimized());
  display_->SetSheet(Entry(1));
  EXPECT_TRUE(display_->Lines().empty());
  display_->Restore();
  EXPECT_EQ(display_->Lines(), std::vector<std::string>{"b"});
  display_->ExitBtnClick();
  EXPECT_TRUE(display_->Minimized());
}

TEST_F(SheetTextTest, NextAndPreviousStepThroughTheList) {
  Build({Sheet("1", 0, {"Title one", "a"}), Sheet("2", 0, {"Title two", "b"})});
  form_->Select(0);
  display_->Restore();
  display_->SetSheet(Entry(0));
  display_->DownBtnClick();
  EXPECT_EQ(display_->Lines(), std::vector<std::string>{"b"});
  EXPECT_TRUE(display_->NextEnabled());
  display_->DownBtnClick();  // at the end: stays, and Next is disabled
  EXPECT_FALSE(display_->NextEnabled());
  EXPECT_EQ(display_->Sheet(), Entry(1));
  display_->UpBtnClick();
  EXPECT_EQ(display_->Lines(), std::vector<std::string>{"a"});
  EXPECT_TRUE(display_->NextEnabled());
  display_->UpBtnClick();
  EXPECT_FALSE(display_->PrevEnabled());
}

TEST_F(SheetTextTest, SearchMarksEveryHitAndSkipsTheTitle) {
  BuildThree();
  EXPECT_FALSE(display_->SearchSheet(Entry(1), "rate schedule"));  // a blank line between
  EXPECT_FALSE(display_->SearchSheet(Entry(0), "original"));      // only in the title
  ASSERT_TRUE(display_->SearchSheet(Entry(2), "rate schedule"));
  EXPECT_FALSE(display_->Minimized());
  EXPECT_EQ(display_->MarkedLines(), (std::set<int>{1, 2}));
  EXPECT_EQ(display_->TopLine(), 1);
  // The superseding prefix is part of the searched text.
  EXPECT_FALSE(display_->SearchSheet(Entry(2), "superseding original"));  // the colon is no space
  ASSERT_TRUE(display_->SearchSheet(Entry(2), "superseding: original"));
  EXPECT_EQ(display_->MarkedLines(), std::set<int>{0});
}

TEST_F(SheetTextTest, TitleOnlySheetIsNeverAHit) {
  Build({Sheet("1", 0, {"Rate Schedule"})});
  EXPECT_FALSE(display_->SearchSheet(Entry(0), "rate"));
}

TEST_F(SheetTextTest, FindRunStopsAtEachHitAndEndsAfterTheLast) {
  BuildThree();
  form_->Select(0);
  display_->FindDialogFind("rate", true);
  EXPECT_TRUE(display_->FindWaiting());
  EXPECT_EQ(display_->ExitCaption(), "Find Next");
  EXPECT_TRUE(display_->StopVisible());
  EXPECT_EQ(form_->SelectedIndex(), 0);
  EXPECT_EQ(display_->MarkedLines(), std::set<int>{2});

  display_->ExitBtnClick();  // Find Next
  EXPECT_TRUE(display_->FindWaiting());
  EXPECT_EQ(form_->SelectedIndex(), 1);
  display_->ExitBtnClick();
  EXPECT_EQ(form_->SelectedIndex(), 2);
  EXPECT_EQ(Count("End of Search"), 0);
  display_->ExitBtnClick();
  EXPECT_FALSE(display_->FindRunning());
  EXPECT_EQ(display_->ExitCaption(), "Exit");
  EXPECT_EQ(Count("End of Search"), 1);
  EXPECT_EQ(form_->SearchPosition(), 0);  // back to where the run started
  EXPECT_GT(port_.eventsProcessed, 0);
}

TEST_F(SheetTextTest, HaltEndsAWaitingRunAndUpwardsStartsAtTheLastEntry) {
  BuildThree();
  form_->Select(-1);
  display_->FindDialogFind("schedule", false);
  ASSERT_TRUE(display_->FindWaiting());
  EXPECT_EQ(form_->SelectedIndex(), 2);
  display_->StopBtnClick();
  EXPECT_FALSE(display_->FindRunning());
  EXPECT_FALSE(display_->StopVisible());
  EXPECT_TRUE(form_->StopRequested());
  EXPECT_EQ(Count("End of Search"), 1);
  EXPECT_EQ(form_->SelectedIndex(), 2);  // not searched further
}

TEST_F(SheetTextTest, HaltDuringTheLoopStopsBeforeTheNextSheet) {
  BuildThree();
  form_->Select(0);
  // The person presses Halt while the first sheet without a hit is searched.
  struct HaltingPort : TScriptedPort {
    TSheetDisplay* display = nullptr;
    void ProcessEvents() override {
      if (display && display->FindRunning()) display->StopBtnClick();
    }
  } halting;
  TEnv env{mem_, halting};
  THdrForm form(env, THdrForm::kBrowse, nullptr);
  form.SetCluster(cluster_.get());
  form.FillList(*list_);
  TSheetDisplay display(form);
  halting.display = &display;
  form.Select(0);
  display.FindDialogFind("nowhere", true);
  EXPECT_FALSE(display.FindRunning());
  EXPECT_EQ(form.SearchPosition(), 0);
  EXPECT_EQ(std::count(halting.messages.begin(), halting.messages.end(), "End of Search"), 1);
}

// A screen canvas of 96 pixels per inch with a fixed-pitch font of 0.6 em.
class ScreenCanvas : public TPrintCanvas {
 public:
  int PixelsPerInch() const override { return 96; }
  int TextWidth(const std::string& t) override { return int(t.size()) * font.size * 96 / 120; }
  int TextHeight(const std::string&) override { return font.size * 96 / 72; }
  void TextOut(int, int, const std::string& t) override { texts.push_back(t); }
  void FillWhite(const TRect& r) override { filled = r; }
  void Frame(const TRect&) override {}
  std::vector<std::string> texts;
  TRect filled;
};

TEST_F(SheetTextTest, PrintImageDrawsTheSelectedSheetInALetterBox) {
  auto landscape = Sheet("2", 0, {"Original Sheet No. 2", "", std::string(70, 'x')});
  landscape.orientation = 'L';
  Build({Sheet("1", 0, {"Original Sheet No. 1", "", "body line"}), landscape});
  TPrintImage image(*form_);
  ScreenCanvas canvas;
  form_->Select(0);
  ASSERT_TRUE(image.Draw(canvas));
  EXPECT_EQ(canvas.filled, (TRect{0, 0, 768, 1056}));
  EXPECT_EQ(image.PitchLabel(), "Requested pitch= 10 c.p.i.");
  EXPECT_EQ(image.FontLabel(), "Font size: 12");
  EXPECT_EQ(image.Caption(), DisplayVolume(*Entry(0)));
  EXPECT_NE(std::find(canvas.texts.begin(), canvas.texts.end(), "body line"), canvas.texts.end());
  image.NextClick();
  ASSERT_TRUE(image.Draw(canvas));
  EXPECT_EQ(canvas.filled, (TRect{0, 0, 1056, 768}));
  form_->Select(-1);
  EXPECT_FALSE(image.Draw(canvas));
}

}  // namespace
}  // namespace vorne::testing
