// Making pending sheets effective while other versions of their numbers are
// in force under another docket: the superseding dialog lists those
// versions, supersedes them at once, or leaves the matching pending sheets
// out of the edit; cancelling it writes nothing of the edit.
#include <gtest/gtest.h>

#include <map>

#include "sheets/Editstuf.h"
#include "sheets/Editsupe.h"
#include "store/Cluster.h"
#include "store/Common.h"
#include "store/Headers.h"
#include "support/LibraryBuilder.h"
#include "support/MemFileSystem.h"
#include "support/ScriptedPort.h"

namespace vorne::testing {
namespace {

// A sheet by number and revision (a braced pair would split a test macro's arguments).
std::pair<std::string, int> K(const std::string& no, int rev = 0) { return {no, rev}; }

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

class SupersederTest : public ::testing::Test {
 protected:
  SupersederTest() {
    SetTodayForTesting(TDate{2006, 7, 8});
    mem_.MakeDir("/lib");
    // 5 and 7 are in force under RP95; 6 under the edit's own docket.
    TVolumePlan v;
    v.sheets = {Plan("5", 1, kEffective, "RP95-1-000"), Plan("5", 2, kPending, "RP96-1-000"),
                Plan("6", 1, kEffective, "RP96-1-000"), Plan("6", 2, kPending, "RP96-1-000"),
                Plan("7", 1, kEffective, "RP95-1-000"), Plan("7", 2, kPending, "RP96-1-000"),
                Plan("8", 1, kEffective, "RP95-1-000")};
    prime_ = BuildLibrary(env_, "/lib/a", false, {v});
    cluster_ = std::make_unique<TFileCluster>(env_, false);
    EXPECT_TRUE(cluster_->Open(prime_, false));
    cluster_->ReadAll();
    list_ = std::make_unique<THdrList>(*cluster_->Volumes()[0], nullptr);
    list_->Load();
    list_->FillNames(names_, issuers_, dockets_);
  }
  ~SupersederTest() override { SetTodayForTesting(std::nullopt); }

  TSheetPtr Sheet(const std::string& no, int rev) {
    for (auto& [text, s] : names_)
      if (TrimBoth(s->body.sheetNo) == no && s->body.revNo == rev) return s;
    return nullptr;
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
    TScriptedPort port;
    TEnv env{mem_, port};
    TFileCluster c(env, false);
    EXPECT_TRUE(c.Open(prime_, false));
    c.ReadAll();
    THdrList l(*c.Volumes()[0], nullptr);
    l.Load();
    std::map<std::pair<std::string, int>, TSheetBody> out;
    for (const auto& g : l.Groups())
      for (const auto& s : g.versions) out[K(TrimBoth(s->body.sheetNo), s->body.revNo)] = s->body;
    return out;
  }
  std::vector<std::string> Listed(const TSheetSuperseder& s) {
    std::vector<std::string> out;
    for (const auto& [text, sheet] : s.Dependents())
      out.push_back(TrimBoth(sheet->body.sheetNo) + "/" + std::to_string(sheet->body.revNo));
    return out;
  }

  TMemFileSystem mem_;
  TScriptedPort port_;
  TEnv env_{mem_, port_};
  std::string prime_;
  std::unique_ptr<TFileCluster> cluster_;
  std::unique_ptr<THdrList> list_;
  TNamedSheets names_;
  TAuxList<T5Entry> issuers_;
  TAuxList<T6Entry> dockets_;
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
    EXPECT_EQ(style->background, (TRgb{128, 128, 128}));     // selected
    EXPECT_EQ(s.LineStyle(1)->background, (TRgb{255, 255, 255}));
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
