// The header info window's fields and colours, its following of the list
// while open, and the notepad's ruled list, save and clipboard text.
#include <gtest/gtest.h>

#include "sheets/HeaderInfo.h"
#include "sheets/Notepad.h"
#include "support/LibraryBuilder.h"
#include "support/MemFileSystem.h"
#include "support/ScriptedPort.h"

namespace vorne::testing {
namespace {

class HeaderInfoTest : public ::testing::Test {
 protected:
  HeaderInfoTest() { mem_.MakeDir("/lib"); }

  void Build() {
    TVolumePlan v;
    TSheetPlan a;
    a.sheetNo = "5";
    a.lines = {"Original Sheet No. 5", "x"};
    a.filingDate = PackDate(1996, 2, 3);
    a.docket = "RP96-12-000";
    a.effectiveDate = PackDate(1996, 4, 1);
    a.orderType = 2;
    a.orderDate = PackDate(1996, 3, 20);
    a.complianceDkt = "RP95-1-000";  // with no compliance date
    TSheetPlan b = a;
    b.sheetNo = "6";
    b.orderType = 0;
    v.sheets = {a, b};
    std::string prime = BuildLibrary(env_, "/lib/a", true, {v});
    cluster_ = std::make_unique<TFileCluster>(env_, true);
    ASSERT_TRUE(cluster_->Open(prime, false));
    cluster_->ReadAll();
    list_ = std::make_unique<THdrList>(*cluster_->Volumes()[0], nullptr);
    list_->Load();
    form_ = std::make_unique<THdrForm>(env_, THdrForm::kBrowse, nullptr);
    form_->SetCluster(cluster_.get());
    form_->FillList(*list_);
    info_ = std::make_unique<THdrInfo>(*form_);
    form_->onSheetCurrent = [this](const TSheetPtr& s) { info_->Show(s); };
  }
  TSheetPtr Entry(size_t i) { return form_->Entries()[i].second; }

  TMemFileSystem mem_;
  TScriptedPort port_;
  TEnv env_{mem_, port_};
  std::unique_ptr<TFileCluster> cluster_;
  std::unique_ptr<THdrList> list_;
  std::unique_ptr<THdrForm> form_;
  std::unique_ptr<THdrInfo> info_;
};

TEST_F(HeaderInfoTest, FieldsOfTheSheetItsDocketAndIssuer) {
  Build();
  form_->Select(0);
  info_->Alt_EClick();
  ASSERT_TRUE(info_->IsOpen());
  const THdrInfoFields& f = info_->Fields();
  EXPECT_EQ(f.status, "Effective");
  EXPECT_EQ(f.orientation, "Portrait");
  EXPECT_EQ(f.linesPerInch, "6 Lines per inch");
  EXPECT_FALSE(f.refundVisible);
  EXPECT_EQ(f.filingDate, PackedToText(PackDate(1996, 2, 3)));
  EXPECT_EQ(f.sheetNo, "5       ");
  EXPECT_EQ(f.revNo, "0");
  EXPECT_EQ(f.pitch, "Pitch =10");
  EXPECT_TRUE(f.orderVisible);
  EXPECT_EQ(f.orderType, OrderTypeName(2));
  EXPECT_EQ(f.orderDate, PackedToText(PackDate(1996, 3, 20)));
  EXPECT_EQ(f.docket, "RP96- 12-000");
  EXPECT_EQ(f.effectiveDate, PackedToText(PackDate(1996, 4, 1)));
  // A compliance docket without its date hides the compliance panel.
  EXPECT_FALSE(f.complianceVisible);
  EXPECT_EQ(f.issuer, "John Smith");
  EXPECT_EQ(f.background, std::nullopt);
  EXPECT_EQ(f.issuerPanel, std::nullopt);

  // Order type 0 hides the order panel and with it the order date.
  info_->NextClick();
  EXPECT_EQ(info_->Sheet(), Entry(1));
  EXPECT_FALSE(info_->Fields().orderVisible);
  info_->NextClick();
  EXPECT_FALSE(info_->NextVisible());
  info_->PreviousClick();
  EXPECT_EQ(info_->Sheet(), Entry(0));
}

TEST_F(HeaderInfoTest, MissingEntriesAreColoured) {
  Build();
  form_->Select(0);
  info_->Alt_EClick();
  auto issuer = std::make_shared<T5Entry>();  // no name: missing
  Entry(1)->AttachIssuer(issuer);
  auto docket = std::make_shared<T6Entry>();  // no docket number: missing
  Entry(1)->AttachDocket(docket);
  info_->Show(Entry(1));
  EXPECT_EQ(info_->Fields().issuer, "Missing");
  EXPECT_EQ(info_->Fields().issuerPanel, THdrInfo::kFuchsia);
  EXPECT_EQ(info_->Fields().background, THdrInfo::kRed);
}

TEST_F(HeaderInfoTest, AfterExitTheWindowNoLongerFollows) {
  Build();
  form_->Select(0);
  info_->Alt_EClick();
  info_->ExitClick();
  form_->Select(1);
  EXPECT_EQ(info_->Sheet(), Entry(0));
  info_->Alt_EClick();
  EXPECT_EQ(info_->Sheet(), Entry(1));
}

TEST(NotepadTest, RuledListSaveAndCopy) {
  TMemFileSystem mem;
  mem.MakeDir("/notes");
  TScriptedPort port;
  TEnv env{mem, port};
  TNamedSheets marked = {{"Sheet 1", nullptr}, {"Sheet 2", nullptr}, {"Sheet 3", nullptr}};
  TNoteDialog note(env, "Alpha: Volume 1", marked);
  ASSERT_EQ(note.lines.size(), 7u);
  EXPECT_EQ(note.lines[0], std::string(54, '='));
  EXPECT_EQ(note.lines[1], "Alpha: Volume 1");
  EXPECT_EQ(note.lines[2], std::string(54, '-'));
  EXPECT_EQ(note.lines[6], std::string(54, '='));

  port.QueueFile("");  // cancelled: nothing written
  EXPECT_TRUE(note.OKClick());
  EXPECT_TRUE(mem.List("/notes").empty());

  note.lines.push_back("check the rates");
  port.QueueFile("/notes/mine");
  EXPECT_TRUE(note.OKClick());
  EXPECT_EQ(mem.ReadAll("/notes/mine.txt"), note.CopyText());
  EXPECT_EQ(note.CopyText().substr(note.CopyText().size() - 16), "check the rates\n");
}

}  // namespace
}  // namespace vorne::testing
