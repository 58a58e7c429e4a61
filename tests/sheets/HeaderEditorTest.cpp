// The header editing dialog's model on small libraries, read back through
// the store: each edit changes the fields asked for and nothing else, shared
// docket records change once for every sheet, a cloned docket record serves
// only the set, issuers are linked and renamed, and a failed write leaves
// the library and the sheets in memory as they were.
#include <gtest/gtest.h>

#include <map>

#include "sheets/HeaderEditor.h"
#include "sheets/ListedVolume.h"
#include "sheets/Superseder.h"

namespace vorne::testing {
namespace {

using TBox = TEditForm::TBox;
using TFlag = TEditForm::TFlag;

TSheetPlan Plan(const char* no, int rev, uint8_t status, const char* docket = "RP96-1-000") {
  TSheetPlan s;
  s.sheetNo = no;
  s.rev = rev;
  s.lines = {std::string("Sheet No. ") + no, "text"};
  s.status = status;
  s.docket = docket;
  s.filingDate = PackDate(1996, 3, 1);
  s.effectiveDate = PackDate(1996, 4, 1);
  s.sheetType = 4;
  return s;
}

class EditFormTest : public ListedVolumeTest {
 protected:
  // An editing dialog over the given sheets, set up as the sheet list does.
  std::unique_ptr<TEditForm> Form(const std::vector<TSheetPtr>& sheets) {
    auto f = std::make_unique<TEditForm>(env_);
    f->SetCluster(cluster_.get());
    f->SetEndPos(list_->EndPos());
    for (const TSheetPtr& s : sheets) f->AddSheet("line", s);
    f->Activate();
    return f;
  }
  // Every sheet on disk by number and revision, read afresh through the store.
  struct TOnDisk {
    TSheetBody body;
    TDocketBody docket;
    int32_t docketPos;
    std::string issuer;
  };
  std::map<std::pair<std::string, int>, TOnDisk> ReadBack() {
    std::map<std::pair<std::string, int>, TOnDisk> out;
    EachVersionOnDisk([&](const TSheet& s) {
      out[K(TrimBoth(s.body.sheetNo), s.body.revNo)] = {s.body, s.Docket()->body, s.body.docketPos, s.Issuer()->name};
    });
    return out;
  }
  std::string HdrBytes() { return mem_.Bytes("/lib/a/TarHdr"); }
};

// ---- gathering the set ------------------------------------------------------------------

TEST_F(EditFormTest, ASheetOfAnotherDocketStaysOutAndFlagsTheDocket) {
  Build({Plan("1", 0, kEffective), Plan("2", 0, kEffective, "RP97-5-000"), Plan("3", 0, kEffective)});
  auto f = Form({Sheet("1"), Sheet("2"), Sheet("3")});
  EXPECT_EQ(f->Sheets().size(), 2u);
  EXPECT_TRUE(f->Flag(TFlag::DocketFlag).visible);
  EXPECT_STREQ(TFlagBox::kChoices[f->Flag(TFlag::DocketFlag).choice], "Not consistent");
  EXPECT_EQ(f->SheetCount(), "2 Sheets");
  EXPECT_EQ(f->Type6Count(), "1 Type 6 records");
  EXPECT_FALSE(f->SheetNoVisible());
  EXPECT_EQ(f->Text(TBox::Docket), "RP96-  1-000");
}

TEST_F(EditFormTest, DisagreeingFieldsShowTheirFlagBoxesAndEmptyTheirBoxes) {
  TSheetPlan a = Plan("1", 0, kEffective), b = Plan("2", 0, kSuspended);
  b.filingDate = PackDate(1997, 1, 1);
  b.sheetType = 5;
  Build({a, b});
  auto f = Form({Sheet("1"), Sheet("2")});
  EXPECT_TRUE(f->Flag(TFlag::statflag).visible);
  EXPECT_EQ(f->StatusIndex(), 0);  // "Superseded," shows for a mixed status
  EXPECT_STREQ(TEditForm::kStatusItems[0], "Superseded,");
  EXPECT_TRUE(f->Flag(TFlag::FilingFlag).visible);
  EXPECT_EQ(f->Text(TBox::FilingDate), "");
  EXPECT_TRUE(f->Flag(TFlag::SheetTypeFlag).visible);
  EXPECT_FALSE(f->Flag(TFlag::SubjectFlag).visible);
  EXPECT_FALSE(f->Flag(TFlag::EffDateFlag).visible);
  EXPECT_FALSE(f->DocketChanged());
}

// ---- sheet fields -----------------------------------------------------------------------

TEST_F(EditFormTest, AMixedStatusChangesOnlyWhenOverridden) {
  Build({Plan("1", 0, kEffective), Plan("2", 0, kSuspended)});
  const auto before = ReadBack();
  auto f = Form({Sheet("1"), Sheet("2")});
  f->SetStatusIndex(kWithdrawn);
  f->OKBtnClick();
  EXPECT_EQ(f->Result(), TEditForm::TResult::OK);
  auto after = ReadBack();
  EXPECT_EQ(after[K("1", 0)].body.status, kEffective);
  EXPECT_EQ(after[K("2", 0)].body.status, kSuspended);

  Open();
  f = Form({Sheet("1"), Sheet("2")});
  f->SetStatusIndex(kWithdrawn);
  f->SetFlagChoice(TFlag::statflag, TFlagBox::Override);
  f->OKBtnClick();
  after = ReadBack();
  for (const char* no : {"1", "2"}) {
    TSheetBody expected = before.at(K(no, 0)).body;
    expected.status = kWithdrawn;
    expected.updDate = PackDate(2006, 7, 8);
    EXPECT_EQ(after[K(no, 0)].body, expected) << "sheet " << no;  // nothing else changed
    EXPECT_EQ(after[K(no, 0)].docket, before.at(K(no, 0)).docket);
  }
  EXPECT_EQ(port_.messages.size(), 0u);
}

TEST_F(EditFormTest, SheetTypeFilingDateAndOrderLandOnEverySheet) {
  Build({Plan("1", 0, kEffective), Plan("2", 0, kEffective)});
  const int32_t size = cluster_->HdrSize();
  auto f = Form({Sheet("1"), Sheet("2")});
  f->SetTypeIndex(2);
  f->SetText(TBox::FilingDate, "2/3/2001");
  f->SetOrderTypeIndex(3);
  f->EnterCite(TBox::ZoakCite);
  f->SetText(TBox::ZoakCite, "6112123");
  f->LeaveCite(TBox::ZoakCite);
  f->OKBtnClick();
  ASSERT_EQ(f->Result(), TEditForm::TResult::OK);
  auto after = ReadBack();
  for (const char* no : {"1", "2"}) {
    const TSheetBody& b = after[K(no, 0)].body;
    EXPECT_EQ(b.sheetType, 3);
    EXPECT_EQ(b.filingDate, PackDate(2001, 2, 3));
    EXPECT_EQ(b.orderType, 3);
    EXPECT_EQ(b.orderCite, (TZoakCite{61, 12, 123, 92}));
  }
  EXPECT_EQ(cluster_->HdrSize(), size);  // nothing appended
}

TEST_F(EditFormTest, EachSheetKeepsItsOwnCitationUnlessOneIsTyped) {
  TSheetPlan a = Plan("1", 0, kEffective), b = Plan("2", 0, kEffective);
  a.orderType = b.orderType = 2;
  Build({a, b});
  // The builder writes no citation; give the two sheets different ones.
  Sheet("1")->body.orderCite = {61, 1, 123, 92};
  Sheet("2")->body.orderCite = {62, 2, 45, 93};
  for (const char* no : {"1", "2"}) cluster_->WriteHdr(Sheet(no)->position, Sheet(no)->body.Encode());
  cluster_->CloseHdr();
  auto f = Form({Sheet("1"), Sheet("2")});
  f->SetRefundChecked(true);
  f->OKBtnClick();
  auto after = ReadBack();
  EXPECT_EQ(after[K("1", 0)].body.orderCite, (TZoakCite{61, 1, 123, 92}));
  EXPECT_EQ(after[K("2", 0)].body.orderCite, (TZoakCite{62, 2, 45, 93}));
  EXPECT_EQ(after[K("2", 0)].body.refundFlag, 1);
}

TEST_F(EditFormTest, TheNumberOfASingleSheetReplacesItsFirstSixCharacters) {
  Build({Plan("12345678", 0, kEffective)});
  auto f = Form({Sheet("12345678")});
  ASSERT_TRUE(f->SheetNoVisible());
  EXPECT_EQ(f->Text(TBox::SheetNo), "12345678");
  f->SetText(TBox::SheetNo, "99");
  f->OKBtnClick();
  auto after = ReadBack();
  ASSERT_EQ(after.size(), 1u);
  EXPECT_EQ(after.begin()->second.body.sheetNo, "99    78");
}

TEST_F(EditFormTest, AnUnreadableDateNamesItsFieldAndWritesNothing) {
  Build({Plan("1", 0, kEffective)});
  const std::string before = HdrBytes();
  auto f = Form({Sheet("1")});
  f->SetText(TBox::FilingDate, "13/45/1999");
  f->SetStatusIndex(kWithdrawn);
  f->OKBtnClick();
  EXPECT_EQ(f->Result(), TEditForm::TResult::None);
  ASSERT_EQ(port_.messages.size(), 1u);
  EXPECT_EQ(port_.messages[0], "Filing\n Date invalid");
  f->SetText(TBox::FilingDate, "3/1/1996");
  f->SetText(TBox::Effectivedate, "never");
  f->OKBtnClick();
  EXPECT_EQ(port_.messages.back(), "Effective\n Date invalid");
  EXPECT_EQ(HdrBytes(), before);
  EXPECT_EQ(Sheet("1")->body.status, kEffective);
}

// ---- citations ----------------------------------------------------------------------------

TEST_F(EditFormTest, TypedCitationNumbers) {
  EXPECT_EQ(CiteFromNumber("6112123"), (TZoakCite{61, 12, 123, 92}));
  EXPECT_EQ(CiteFromNumber("1061123"), (TZoakCite{110, 61, 123, 105}));  // 10 is below 20
  const TZoakCite c{61, 1, 123, 92};
  EXPECT_EQ(CompactCite(c), 6101123);
  EXPECT_EQ(CiteFromNumber(std::to_string(CompactCite(c))), c);
  EXPECT_EQ(CiteFromNumber("61a"), std::nullopt);
  EXPECT_EQ(CiteFromNumber("-5"), std::nullopt);
  EXPECT_EQ(CiteFromNumber("99999999"), std::nullopt);  // volume 999 does not fit
}

TEST_F(EditFormTest, CitationBoxesShowTheCompactFormWhileTyping) {
  TSheetPlan a = Plan("1", 0, kEffective);
  a.orderType = 1;
  Build({a});
  Sheet("1")->body.orderCite = {61, 1, 123, 92};
  auto f = Form({Sheet("1")});
  EXPECT_EQ(f->Text(TBox::ZoakCite), TZoakCite({61, 1, 123, 92}).Display());
  f->EnterCite(TBox::ZoakCite);
  EXPECT_EQ(f->Text(TBox::ZoakCite), "6101123");
  f->SetText(TBox::ZoakCite, "61x");
  f->LeaveCite(TBox::ZoakCite);
  EXPECT_EQ(port_.messages.back(), "You need only type numbers into Cite");
  EXPECT_EQ(f->Text(TBox::ZoakCite), TZoakCite({61, 1, 123, 92}).Display());  // unchanged
  // A compliance box without a compliance keeps saying so when left alone.
  f.reset();
  Sheet("1")->Docket()->body.complianceDkt = std::string(20, '\0');
  f = Form({Sheet("1")});
  EXPECT_EQ(f->Text(TBox::CmpDktBox), "(none)");
  EXPECT_EQ(f->Text(TBox::CmplCiteBox), "(none)");
  f->EnterCite(TBox::CmpDktBox);
  f->LeaveCite(TBox::CmpDktBox);
  EXPECT_EQ(f->Text(TBox::CmplCiteBox), "(none)");
}

// ---- docket records -----------------------------------------------------------------------

TEST_F(EditFormTest, ASharedDocketRecordChangesOnceForEverySheetUsingIt) {
  Build({Plan("1", 0, kEffective), Plan("2", 0, kEffective), Plan("3", 0, kEffective)});
  const int32_t size = cluster_->HdrSize();
  const auto before = ReadBack();
  auto f = Form({Sheet("1"), Sheet("2")});
  f->SetText(TBox::Effectivedate, "5/6/1997");
  f->SetText(TBox::Docket, "rp97-2-000");
  f->SetText(TBox::CmpDktBox, "RP95-9-000");
  EXPECT_TRUE(f->DocketChanged());
  // Sheet 3 is not marked but shares the record: asked first, and Cancel writes nothing.
  port_.QueueAnswer(TAnswer::Cancel);
  f->OKBtnClick();
  EXPECT_EQ(port_.questions.back(), SharedDocketsQuestion(1));
  EXPECT_EQ(f->Result(), TEditForm::TResult::None);
  EXPECT_EQ(ReadBack()[K("3", 0)].docket.effectiveDate, before.at(K("3", 0)).docket.effectiveDate);
  port_.QueueAnswer(TAnswer::OK);
  f->OKBtnClick();
  ASSERT_EQ(f->Result(), TEditForm::TResult::OK);
  EXPECT_EQ(cluster_->HdrSize(), size);  // rewritten in place, not appended
  auto after = ReadBack();
  // Sheet 3 shares the record, so it shows the change too.
  for (const char* no : {"1", "2", "3"}) {
    const TOnDisk& d = after[K(no, 0)];
    EXPECT_EQ(d.docketPos, before.at(K(no, 0)).docketPos);
    EXPECT_EQ(d.docket.effectiveDate, PackDate(1997, 5, 6));
    EXPECT_EQ(d.docket.docket, PadRight("RP97-2-000", 20));
    EXPECT_EQ(d.docket.complianceDkt, PadRight("RP95-9-000", 20));
    EXPECT_EQ(d.docket.issueDate, before.at(K(no, 0)).docket.issueDate);
  }
  EXPECT_EQ(after[K("3", 0)].body, before.at(K("3", 0)).body);  // its own record untouched
  EXPECT_EQ(Sheet("1")->Docket()->docketText, "RP97-  2-000");  // memory agrees with the disk
}

TEST_F(EditFormTest, UntypedDocketFieldsKeepEachRecordsOwnValues) {
  // Two records of the same docket with different dates; the order date of
  // the second is not the first's to overwrite.
  TSheetPlan a = Plan("1", 0, kEffective), b = Plan("2", 0, kEffective);
  b.effectiveDate = PackDate(1996, 9, 1);
  b.orderDate = PackDate(1996, 8, 1);
  Build({a, b});
  auto f = Form({Sheet("1"), Sheet("2")});
  ASSERT_EQ(f->Dockets().size(), 2u);
  EXPECT_TRUE(f->Flag(TFlag::EffDateFlag).visible);
  EXPECT_TRUE(f->DocketChanged());  // the dialog emptied the effective date itself
  f->OKBtnClick();
  auto after = ReadBack();
  EXPECT_EQ(after[K("1", 0)].docket.effectiveDate, PackDate(1996, 4, 1));
  EXPECT_EQ(after[K("2", 0)].docket.effectiveDate, PackDate(1996, 9, 1));
  EXPECT_EQ(after[K("2", 0)].docket.orderDate, PackDate(1996, 8, 1));
}

TEST_F(EditFormTest, WithOrderTypeZeroATypedEffectiveDateStillApplies) {
  TSheetPlan a = Plan("1", 0, kEffective);
  a.orderDate = PackDate(1996, 2, 2);
  Build({a});
  auto f = Form({Sheet("1")});
  EXPECT_EQ(f->Text(TBox::OrderDate), "");  // no order: the box is not filled
  f->SetText(TBox::Effectivedate, "1/2/1998");
  f->OKBtnClick();
  auto after = ReadBack();
  EXPECT_EQ(after[K("1", 0)].docket.effectiveDate, PackDate(1998, 1, 2));
  EXPECT_EQ(after[K("1", 0)].docket.orderDate, PackDate(1996, 2, 2));  // not zeroed
}

TEST_F(EditFormTest, ACloneServesOnlyTheSetAndTheChainStillReadsWhole) {
  Build({Plan("1", 0, kEffective), Plan("2", 0, kEffective)});
  const int32_t size = cluster_->HdrSize();
  const int32_t oldDocket = Sheet("1")->body.docketPos;
  std::vector<std::string> keysBefore;
  for (const auto& g : list_->Groups()) keysBefore.push_back(g.key);
  auto f = Form({Sheet("1")});
  f->Clone6BtnClick();
  EXPECT_EQ(f->Type6Count(), "2 Type 6 records");
  EXPECT_EQ(f->EndPos(), size);  // the chain now ends at the end of the file
  f->SetText(TBox::Effectivedate, "7/7/1997");
  f->OKBtnClick();
  ASSERT_EQ(f->Result(), TEditForm::TResult::OK);
  EXPECT_EQ(cluster_->HdrSize(), size + 2);  // the moved EndRecord and the new docket record
  auto after = ReadBack();
  EXPECT_EQ(after[K("1", 0)].docketPos, size + 1);
  EXPECT_EQ(after[K("1", 0)].docket.effectiveDate, PackDate(1997, 7, 7));
  EXPECT_EQ(after[K("2", 0)].docketPos, oldDocket);
  EXPECT_EQ(after[K("2", 0)].docket.effectiveDate, PackDate(1996, 4, 1));
  Open();
  std::vector<std::string> keysAfter;
  for (const auto& g : list_->Groups()) keysAfter.push_back(g.key);
  EXPECT_EQ(keysAfter, keysBefore);
  EXPECT_EQ(list_->EndPos(), size);
}

TEST_F(EditFormTest, CloneIsRefusedForTwoRecordsOrWithoutTheChainsEnd) {
  TSheetPlan b = Plan("2", 0, kEffective);
  b.effectiveDate = PackDate(1997, 1, 1);
  Build({Plan("1", 0, kEffective), b});
  const std::string before = HdrBytes();
  auto f = Form({Sheet("1"), Sheet("2")});
  f->Clone6BtnClick();
  EXPECT_EQ(port_.messages.back(), "Can't clone multiple type 6 records");
  TEditForm g(env_);
  g.SetCluster(cluster_.get());
  g.SetEndPos(-1);
  EXPECT_EQ(port_.messages.back(), "Corrupted chain: Bad continuation position");
  g.AddSheet("line", Sheet("1"));
  g.Clone6BtnClick();
  EXPECT_EQ(port_.messages.back(), "Corrupted chain: Bad continuation position");
  EXPECT_EQ(HdrBytes(), before);
}

TEST_F(EditFormTest, CancelAfterCloneLeavesTheSheetsWithTheirOwnDocket) {
  Build({Plan("1", 0, kEffective)});
  const auto docket = Sheet("1")->Docket();
  auto f = Form({Sheet("1")});
  f->Clone6BtnClick();
  EXPECT_NE(Sheet("1")->Docket(), docket);
  f->CancelClick();
  EXPECT_EQ(Sheet("1")->Docket(), docket);
  EXPECT_EQ(ReadBack()[K("1", 0)].docketPos, docket->position);
}

// ---- issuers --------------------------------------------------------------------------------

TEST_F(EditFormTest, LinkType5PointsEverySheetAtTheChosenIssuer) {
  TSheetPlan a = Plan("1", 0, kEffective), b = Plan("2", 0, kEffective), c = Plan("3", 0, kEffective);
  c.issuer = "Mary Jones";
  Build({a, b, c});
  auto f = Form({Sheet("1"), Sheet("2")});
  f->SetIssuers(issuers_);
  EXPECT_FALSE(f->OKEnabled());
  EXPECT_FALSE(f->CloneEnabled());
  f->Link5BtnClick();
  EXPECT_EQ(port_.messages.back(), "First choose a line for the name");
  EXPECT_TRUE(f->Names5Flash());
  ASSERT_EQ(f->Names5().size(), 2u);
  EXPECT_EQ(f->Names5()[1].first, "Mary Jones");  // sorted
  f->Names5Click(1);
  EXPECT_EQ(f->Text(TBox::NameEdit), "Mary Jones");
  port_.QueueAnswer(TAnswer::OK);
  f->Link5BtnClick();
  EXPECT_EQ(port_.questions.back(), "Update all these sheets?");
  EXPECT_EQ(f->Result(), TEditForm::TResult::OK);
  auto after = ReadBack();
  EXPECT_EQ(after[K("1", 0)].issuer, "Mary Jones");
  EXPECT_EQ(after[K("2", 0)].issuer, "Mary Jones");
  EXPECT_EQ(after[K("1", 0)].body.issuePos, after[K("3", 0)].body.issuePos);
}

TEST_F(EditFormTest, ChangeType5RenamesTheSharedRecordInPlace) {
  Build({Plan("1", 0, kEffective), Plan("2", 0, kEffective)});
  const int32_t size = cluster_->HdrSize();
  auto f = Form({Sheet("1")});
  f->SetIssuers(issuers_);
  f->Names5Click(0);
  f->SetText(TBox::NameEdit, "Jane Smith");
  port_.QueueAnswer(TAnswer::Cancel);
  f->Change5BtnClick();
  EXPECT_EQ(port_.questions.back(), "This header record may be used by other sheets.\nUpdate anyway?");
  EXPECT_EQ(ReadBack()[K("2", 0)].issuer, "John Smith");
  port_.QueueAnswer(TAnswer::OK);
  f->Change5BtnClick();
  EXPECT_EQ(f->Result(), TEditForm::TResult::OK);
  auto after = ReadBack();
  EXPECT_EQ(after[K("1", 0)].issuer, "Jane Smith");
  EXPECT_EQ(after[K("2", 0)].issuer, "Jane Smith");  // shares the record
  EXPECT_EQ(cluster_->HdrSize(), size);
}

TEST_F(EditFormTest, EditsThatReachOnlyTheMarkedSheetsAskNothing) {
  // Every sheet of the docket is marked: nobody else changes, nobody is asked.
  Build({Plan("1", 0, kEffective), Plan("2", 0, kEffective), Plan("3", 0, kEffective, "RP97-5-000")});
  auto f = Form({Sheet("1"), Sheet("2")});
  f->SetText(TBox::Effectivedate, "5/6/1997");
  f->OKBtnClick();
  EXPECT_EQ(f->Result(), TEditForm::TResult::OK);
  EXPECT_TRUE(port_.questions.empty());
  EXPECT_EQ(ReadBack()[K("2", 0)].docket.effectiveDate, PackDate(1997, 5, 6));
  EXPECT_EQ(SharedDocketsQuestion(13),
            "The docket record is shared with 13 sheets that are not marked; they would change too.\n"
            "Update anyway? (Cancel, then Clone Type 6, changes the marked sheets alone.)");
}

TEST_F(EditFormTest, Type5EditOffersTheIssuersOfTheSheetsOwnVolumeOnceEachWithTheirRecordNumbers) {
  // Two companies listed together: the other company's issuer is never offered.
  TVolumePlan own, other;
  own.companyCode = 10;
  own.company = "Allegheny Gas Company";
  TSheetPlan a = Plan("1", 0, kEffective), b = Plan("2", 0, kEffective), c = Plan("3", 0, kEffective);
  c.issuer = "Mary Jones";  // on a sheet that is not listed
  own.sheets = {a, b, c};
  other.companyCode = 20;
  other.company = "Prairie Wind Pipeline";
  TSheetPlan p = Plan("9", 0, kEffective);
  p.issuer = "Elena Vasquez, Chief Counsel";
  other.sheets = {p, p, p};
  for (int i = 0; i < 3; ++i) other.sheets[size_t(i)].sheetNo = std::to_string(7 + i);
  prime_ = BuildLibrary(env_, "/lib/a", false, {own, other});
  cluster_ = std::make_unique<TFileCluster>(env_, false);
  ASSERT_TRUE(cluster_->Open(prime_, false));
  cluster_->ReadAll();
  // The list holds both volumes' sheets and gathered both volumes' issuers, as the sheet list does.
  names_.clear();
  issuers_ = {};
  dockets_ = {};
  std::vector<std::unique_ptr<THdrList>> lists;
  for (const auto& v : cluster_->Volumes()) {
    lists.push_back(std::make_unique<THdrList>(*v, nullptr));
    lists.back()->Load();
    lists.back()->FillNames(names_, issuers_, dockets_);
  }
  list_ = std::move(lists.front());
  auto f = Form({Sheet("1"), Sheet("2")});
  f->SetChainIssuers(issuers_);
  ASSERT_EQ(f->Names5().size(), 2u);
  EXPECT_EQ(f->Names5()[0].first, "John Smith");
  EXPECT_EQ(f->Names5()[1].first, "Mary Jones");
  // The entry the listed sheets hold, so that a rename shows in all of them.
  EXPECT_EQ(f->Names5()[0].second, Sheet("1")->Issuer());
  const int32_t record = Sheet("1")->Issuer()->position;
  EXPECT_EQ(f->Names5Line(0), "John Smith   (record " + std::to_string(record) + ")");
  f->Names5Click(1);
  port_.QueueAnswer(TAnswer::OK);
  f->Link5BtnClick();
  ASSERT_EQ(f->Result(), TEditForm::TResult::OK);
  auto after = ReadBack();  // the first volume, read afresh
  EXPECT_EQ(after[K("1", 0)].issuer, "Mary Jones");
  EXPECT_EQ(after[K("2", 0)].issuer, "Mary Jones");
}

// ---- a failed write ---------------------------------------------------------------------------

TEST_F(EditFormTest, AWriteFailureDuringTheCommitLeavesEveryRecordAsItWas) {
  Build({Plan("1", 0, kEffective), Plan("2", 0, kEffective), Plan("3", 0, kEffective)});
  TFaultyFileSystem faulty(mem_);
  TEnv env{faulty, port_};
  TFileCluster c(env, false);
  ASSERT_TRUE(c.Open(prime_, false));
  c.ReadAll();
  THdrList l(*c.Volumes()[0], nullptr);
  l.Load();
  TNamedSheets names;
  TAuxList<T5Entry> is;
  TAuxList<T6Entry> ds;
  l.FillNames(names, is, ds);
  const std::string before = HdrBytes();
  const TSheetBody body1 = names[0].second->body;
  const TDocketBody docket = names[0].second->Docket()->body;

  TEditForm f(env);
  f.SetCluster(&c);
  f.SetEndPos(l.EndPos());
  for (auto& [text, s] : names) f.AddSheet(text, s);
  f.Activate();
  f.SetStatusIndex(kWithdrawn);
  f.SetText(TBox::Effectivedate, "5/6/1997");
  // The second record written fails: the docket record and the first sheet
  // would already be new.
  faulty.Inject({TFault::WriteErrorAfter, "/lib/a/TarHdr", uint64_t(kHdrRecordSize), 5, true});
  f.OKBtnClick();
  faulty.Clear();
  EXPECT_EQ(f.Result(), TEditForm::TResult::None);  // stays open
  EXPECT_FALSE(port_.messages.empty());
  EXPECT_EQ(HdrBytes(), before);
  EXPECT_EQ(names[0].second->body, body1);
  EXPECT_EQ(names[0].second->Docket()->body, docket);
  EXPECT_FALSE(names[0].second->Docket()->modified);
}

}  // namespace
}  // namespace vorne::testing
