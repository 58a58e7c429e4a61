// Loading a volume's sheet list: grouping, version order, duplicates, the
// filters, and the name check of sheets against their numbers.
#include <gtest/gtest.h>

#include "store/Headers.h"
#include "support/LibraryBuilder.h"
#include "support/MemFileSystem.h"
#include "support/ScriptedPort.h"

namespace vorne::testing {
namespace {

TSheetPlan Planned(const char* no, int rev, const char* title, uint16_t upd, const char* docket = "RP96-1-000") {
  TSheetPlan s;
  s.sheetNo = no;
  s.rev = rev;
  s.lines = {title, "text"};
  s.updDate = upd;
  s.docket = docket;
  return s;
}

class RejectDocket : public TSheetFilter {
 public:
  bool AcceptSheet(const TSheetBody&) const override { return true; }
  bool AcceptDocket(const TDocketBody& b) const override { return FormatDocket(b) != "RP99-  9-000"; }
};

class HeadersTest : public ::testing::TestWithParam<bool> {
 protected:
  HeadersTest() { mem_.MakeDir("/lib"); }
  TFileCluster& Open(const std::vector<TSheetPlan>& sheets) {
    TVolumePlan v;
    v.sheets = sheets;
    std::string prime = BuildLibrary(env_, "/lib/v", GetParam(), {v});
    cluster_ = std::make_unique<TFileCluster>(env_, GetParam());
    EXPECT_TRUE(cluster_->Open(prime, false));
    cluster_->ReadAll();
    return *cluster_;
  }
  TPrimeRef& Volume() { return *cluster_->Volumes()[0]; }

  TMemFileSystem mem_;
  TScriptedPort port_;
  TEnv env_{mem_, port_};
  std::unique_ptr<TFileCluster> cluster_;
};

TEST_P(HeadersTest, VersionsGroupUnderTheirSheetKeyHighestRevisionFirst) {
  Open({Planned("5A", 0, "Original Sheet No. 5A", 10), Planned("5", 1, "First Revised Sheet No. 5", 20),
        Planned("5", 2, "Second Revised Sheet No. 5", 30)});
  THdrList list(Volume(), nullptr);
  EXPECT_GE(list.Load(), 0);
  ASSERT_EQ(list.Groups().size(), 2u);
  EXPECT_EQ(list.Groups()[0].key, "       5");
  ASSERT_EQ(list.Groups()[0].versions.size(), 2u);
  EXPECT_EQ(list.Groups()[0].versions[0]->body.revNo, 2);
  EXPECT_EQ(list.Groups()[1].key, "       5A");
  EXPECT_EQ(list.VersionCount(), 3u);
  EXPECT_EQ(list.LatestUpdate(), 30);
  EXPECT_EQ(list.Issuers().Count(), 1u);
  EXPECT_EQ(list.Dockets().Count(), 1u);

  TNamedSheets names;
  TAuxList<T5Entry> issuers;
  TAuxList<T6Entry> dockets;
  list.FillNames(names, issuers, dockets);
  ASSERT_EQ(names.size(), 3u);
  EXPECT_EQ(names[0].first, "Second Revised Sheet No. 5");
  EXPECT_EQ(names[0].second->volumeName, "ZOAK Gas Tariff");
  EXPECT_EQ(issuers.Count(), 1u);
  EXPECT_EQ(dockets.Count(), 1u);
}

TEST_P(HeadersTest, ADuplicateStandsRightAfterItsTwinAndLeavesLatestUpdate) {
  Open({Planned("7", 1, "First Revised Sheet No. 7", 10), Planned("7", 1, "First Revised Sheet No. 7", 99)});
  THdrList list(Volume(), nullptr);
  list.Load();
  ASSERT_EQ(list.Groups().size(), 1u);
  ASSERT_EQ(list.Groups()[0].versions.size(), 2u);
  EXPECT_EQ(list.Groups()[0].versions[1]->body.updDate, 99);
  EXPECT_EQ(list.LatestUpdate(), 10);
}

TEST_P(HeadersTest, ARejectedDocketDropsItsSheetsAndIsNotKept) {
  Open({Planned("1", 0, "Original Sheet No. 1", 1, "RP99-9-000"), Planned("2", 0, "Original Sheet No. 2", 1)});
  RejectDocket filter;
  THdrList list(Volume(), &filter);
  list.Load();
  ASSERT_EQ(list.Groups().size(), 1u);
  EXPECT_EQ(list.Groups()[0].key, "       2");
  ASSERT_EQ(list.Dockets().Count(), 1u);
  EXPECT_EQ(list.Dockets()[0]->docketText, "RP96-  1-000");
}

TEST_P(HeadersTest, MatchListKeepsOnlyLiveSheetsItNames) {
  auto pending = Planned("3", 0, "Original Sheet No. 3", 1);
  pending.status = kPending;
  auto gone = Planned("4", 0, "Original Sheet No. 4", 1);
  gone.status = kSuperseded;
  Open({Planned("1", 0, "Original Sheet No. 1", 1), pending, gone});
  THdrMatch list(Volume(), nullptr);
  list.SetMatchList({MakeSheetKey("4"), MakeSheetKey("3")});
  list.Load();
  ASSERT_EQ(list.Groups().size(), 1u);
  EXPECT_EQ(list.Groups()[0].key, "       3");
}

TEST_P(HeadersTest, VerifyNamesReadsTheNamesFromTheText) {
  Open({Planned("5", 3, "Third Revised Sheet No. 5", 1), Planned("6", 2, "First Revised Sheet No. 6", 1),
        Planned("0", 0, "", 1)});
  THdrList list(Volume(), nullptr);
  std::vector<std::string> lines;
  EXPECT_FALSE(list.VerifyNames(lines));
  EXPECT_EQ(lines, (std::vector<std::string>{"6       :2; First Revised Sheet No. 6"}));
}

TEST_P(HeadersTest, BadFirstHdrLeavesTheListEmpty) {
  Open({Planned("1", 0, "Original Sheet No. 1", 1)});
  Volume().record.firstHdr = 2;  // the docket record
  THdrList list(Volume(), nullptr);
  EXPECT_EQ(list.Load(), -1);
  EXPECT_TRUE(list.Groups().empty());
  EXPECT_EQ(port_.messages, (std::vector<std::string>{"Bad PRIME file entry. Can't find Volume record"}));
}

INSTANTIATE_TEST_SUITE_P(BothForms, HeadersTest, ::testing::Bool(),
                         [](const auto& i) { return i.param ? "Compressed" : "Uncompressed"; });

TSheet Numbered(const char* no, int rev) {
  TSheetBody b;
  b.sheetNo = PadRight(no, 8);
  b.revNo = int16_t(rev);
  return TSheet(b, nullptr, 0);
}

TEST(NameMatchesRule, NumbersRevisionsAndOrdinals) {
  EXPECT_TRUE(NameMatches(Numbered("0005", 3), "Third Revised Sheet No. 5"));
  EXPECT_FALSE(NameMatches(Numbered("0005", 3), "Second Revised Sheet No. 5"));
  EXPECT_TRUE(NameMatches(Numbered("0005", 21), "Twenty-First Revised Sheet No. 5"));
  EXPECT_TRUE(NameMatches(Numbered("0005", 0), "Original Sheet No. 5"));
  EXPECT_TRUE(NameMatches(Numbered("0005", 4), "4th Revised Sheet No. 5"));
  EXPECT_TRUE(NameMatches(Numbered("0", 9), "Anything at all"));
  EXPECT_FALSE(NameMatches(Numbered("5", 0), "Table of Contents"));
  EXPECT_FALSE(NameMatches(Numbered("5", 0), "First Revised Sheet No. 5"));
  EXPECT_TRUE(NameMatches(Numbered("5", 0), "Sheet No. 5"));
  EXPECT_FALSE(NameMatches(Numbered("5", 0), "Sheet No. 5/6"));
  EXPECT_TRUE(RevisionMatches(30, "THIRTIETH REVISED SHEET"));
  EXPECT_TRUE(RevisionMatches(200, "TWO HUNDRED REVISED SHEET"));
  EXPECT_FALSE(RevisionMatches(-1, "FIRST REVISED SHEET"));
}

}  // namespace
}  // namespace vorne::testing
