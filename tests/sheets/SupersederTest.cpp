// Making pending sheets effective while other versions of their numbers are
// in force under another docket: the superseding dialog lists those
// versions, supersedes them at once, or leaves the matching pending sheets
// out of the edit; cancelling it writes nothing of the edit.
#include <gtest/gtest.h>

#include <map>

#include "sheets/HeaderEditor.h"
#include "sheets/ListedVolume.h"
#include "sheets/Superseder.h"

namespace vorne::testing {
namespace {

TSheetPlan Plan(const char* no, int rev, uint8_t status, const char* docket) {
  TSheetPlan s;
  s.sheetNo = no;
  s.rev = rev;
  s.lines = {std::string("Sheet No. ") + no, "text"};
  s.status = status;
  s.docket = docket;
  s.sheetType = 3;
  return s;
}

class SupersederTest : public ListedVolumeTest {
 protected:
  SupersederTest() {
    // 5 and 7 are in force under RP95; 6 under the edit's own docket.
    Build({Plan("5", 1, kEffective, "RP95-1-000"), Plan("5", 2, kPending, "RP96-1-000"),
           Plan("6", 1, kEffective, "RP96-1-000"), Plan("6", 2, kPending, "RP96-1-000"),
           Plan("7", 1, kEffective, "RP95-1-000"), Plan("7", 2, kPending, "RP96-1-000"),
           Plan("8", 1, kEffective, "RP95-1-000")});
  }

  // The pending revisions 2 of 5, 6 and 7, to be made effective.
  std::unique_ptr<TEditForm> PendingToEffective() {
    auto f = std::make_unique<TEditForm>(env_);
    f->SetCluster(cluster_.get());
    f->SetEndPos(list_->EndPos());
    for (const char* no : {"5", "6", "7"}) f->AddSheet(no, Sheet(no, 2));
    f->Activate();
    f->SetStatusIndex(kEffective);
    return f;
  }
  std::map<std::pair<std::string, int>, TSheetBody> OnDisk() {
    std::map<std::pair<std::string, int>, TSheetBody> out;
    EachVersionOnDisk([&](const TSheet& s) { out[K(TrimBoth(s.body.sheetNo), s.body.revNo)] = s.body; });
    return out;
  }
  std::vector<std::string> Listed(const TSheetSuperseder& s) {
    std::vector<std::string> out;
    for (const auto& [text, sheet] : s.Dependents())
      out.push_back(TrimBoth(sheet->body.sheetNo) + "/" + std::to_string(sheet->body.revNo));
    return out;
  }
};

TEST_F(SupersederTest, ListsOnlyVersionsInForceUnderAnotherDocket) {
  auto f = PendingToEffective();
  std::vector<std::string> listed;
  std::string counter, status, docket;
  f->runSuperseder = [&](TSheetSuperseder& s) {
    listed = Listed(s);
    counter = s.Counter();
    status = s.StatusField();
    docket = s.docketfield();
    auto style = s.LineStyle(0);
    EXPECT_TRUE(style && style->font.bold);                  // effective
    EXPECT_EQ(style->colour, (TRgb{0, 128, 0}));             // a rate sheet
    // The first line is current, not marked: Supersede would not act on it, so it is not lit.
    EXPECT_TRUE(style->current);
    EXPECT_FALSE(style->marked);
    EXPECT_EQ(style->background, (TRgb{255, 255, 255}));
    s.SetMarked(1, true);
    EXPECT_TRUE(s.LineStyle(1)->marked);
    EXPECT_FALSE(s.LineStyle(1)->current);
    EXPECT_EQ(s.LineStyle(1)->background, (TRgb{128, 128, 128}));
    s.CancelClick();
    return false;
  };
  f->OKBtnClick();
  // 6/1 has the edit's docket; 8 is not being edited; the edited sheets themselves never show.
  EXPECT_EQ(listed, (std::vector<std::string>{"5/1", "7/1"}));
  EXPECT_EQ(counter, "2 sheets");
  EXPECT_EQ(status, "Effective");
  EXPECT_EQ(docket, "RP95-  1-000");
}

TEST_F(SupersederTest, SupersedeIsWrittenAtOnceAndSurvivesCancel) {
  const auto before = OnDisk();
  auto f = PendingToEffective();
  f->runSuperseder = [&](TSheetSuperseder& s) {
    s.SetMarked(0, true);
    s.SetMarked(1, true);
    EXPECT_TRUE(s.SupeBtnClick());
    EXPECT_TRUE(s.Dependents().empty());
    EXPECT_EQ(s.Counter(), "0 sheets");
    // Already on disk while the dialog is still open.
    auto now = OnDisk();
    EXPECT_EQ(now[K("5", 1)].status, kSuperseded);
    EXPECT_EQ(now[K("5", 1)].updDate, PackDate(2006, 7, 8));
    s.CancelClick();
    return false;
  };
  f->OKBtnClick();
  EXPECT_EQ(f->Result(), TEditForm::TResult::Cancel);
  auto after = OnDisk();
  EXPECT_EQ(after[K("5", 1)].status, kSuperseded);
  EXPECT_EQ(after[K("7", 1)].status, kSuperseded);
  // Nothing of the edit itself.
  for (const char* no : {"5", "6", "7"}) EXPECT_EQ(after[K(no, 2)], before.at(K(no, 2))) << no;
  EXPECT_EQ(after[K("8", 1)], before.at(K("8", 1)));
  ASSERT_EQ(f->Superseded().size(), 2u);  // for the sheet list to follow
}

TEST_F(SupersederTest, DontSupersedeLeavesThatNumberOutAndMakesTheRestEffective) {
  auto f = PendingToEffective();
  f->runSuperseder = [&](TSheetSuperseder& s) {
    s.SetMarked(1, true);  // 7/1
    s.RevertBtnClick();
    EXPECT_EQ(Listed(s), (std::vector<std::string>{"5/1"}));
    s.OKClick();
    return true;
  };
  f->OKBtnClick();
  EXPECT_EQ(f->Result(), TEditForm::TResult::OK);
  auto after = OnDisk();
  EXPECT_EQ(after[K("5", 2)].status, kEffective);
  EXPECT_EQ(after[K("6", 2)].status, kEffective);
  EXPECT_EQ(after[K("7", 2)].status, kPending);
  EXPECT_EQ(after[K("5", 1)].status, kEffective);  // left in force, as the person chose
  EXPECT_EQ(Sheet("7", 2)->body.status, kPending);
}

TEST_F(SupersederTest, CancellingWritesNothingOfTheEditNotEvenItsDocketRecord) {
  const std::string before = mem_.Bytes("/lib/a/TarHdr");
  auto f = PendingToEffective();
  f->SetText(TEditForm::TBox::Effectivedate, "1/1/2000");
  f->runSuperseder = [](TSheetSuperseder& s) {
    s.CancelClick();
    return false;
  };
  port_.QueueAnswer(TAnswer::OK);  // the docket record is shared with sheets outside the edit
  f->OKBtnClick();
  EXPECT_EQ(f->Result(), TEditForm::TResult::Cancel);
  EXPECT_EQ(mem_.Bytes("/lib/a/TarHdr"), before);
  EXPECT_EQ(Sheet("5", 2)->Docket()->body.effectiveDate, 0);  // memory as the disk
}

TEST_F(SupersederTest, WithoutTheDialogAnEditThatNeedsItIsRefused) {
  const std::string before = mem_.Bytes("/lib/a/TarHdr");
  auto f = PendingToEffective();
  f->OKBtnClick();
  EXPECT_EQ(f->Result(), TEditForm::TResult::None);  // stays open
  ASSERT_FALSE(port_.messages.empty());
  EXPECT_EQ(mem_.Bytes("/lib/a/TarHdr"), before);
  // Sheet 6 alone has nothing in force under another docket: it goes through.
  TEditForm g(env_);
  g.SetCluster(cluster_.get());
  g.AddSheet("6", Sheet("6", 2));
  g.Activate();
  g.SetStatusIndex(kEffective);
  g.OKBtnClick();
  EXPECT_EQ(g.Result(), TEditForm::TResult::OK);
  EXPECT_EQ((OnDisk()[K("6", 2)].status), kEffective);
}

}  // namespace
}  // namespace vorne::testing
