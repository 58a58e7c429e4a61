#include "volumes/Selection.h"

#include <gtest/gtest.h>

#include "store/Common.h"
#include "store/Records.h"

namespace vorne {
namespace {

class SelectionTest : public ::testing::Test {
 protected:
  static TSheetBody Sheet(std::string no = "1", uint8_t status = kEffective, uint8_t orientation = 'P') {
    TSheetBody b;
    b.sheetNo = PadRight(no, 8);
    b.status = status;
    b.orientation = orientation;
    b.sheetType = 3;
    b.filingDate = b.updDate = PackDate(2005, 1, 5);
    return b;
  }
  static TSheetBody Dated(int filingDay, int updDay) {
    TSheetBody b = Sheet();
    b.filingDate = PackDate(2005, 1, filingDay);
    b.updDate = PackDate(2005, 1, updDay);
    return b;
  }
  bool Sheets(std::string_view from, std::string_view to, std::initializer_list<const char*> nos) {
    EXPECT_TRUE(sel.ParseBound(from, TBound::From));
    EXPECT_TRUE(sel.ParseBound(to, TBound::To));
    sel.SheetNoSelect = true;
    for (const char* no : nos)
      if (!sel.AcceptSheet(Sheet(no))) return false;
    return true;
  }
  TSelection sel;
};

TEST_F(SelectionTest, WithoutCriteriaOnlyDeletedAndOddOrientationsAreRejected) {
  for (uint8_t s : {kSuperseded, kRejected, kSuspended, kEffective, kPending, kWithdrawn}) {
    EXPECT_TRUE(sel.AcceptSheet(Sheet("1", s, 'P'))) << int(s);
    EXPECT_TRUE(sel.AcceptSheet(Sheet("1", s, 'L'))) << int(s);
  }
  EXPECT_FALSE(sel.AcceptSheet(Sheet("1", kDeleted)));
  for (uint8_t o : {'p', 'l', ' ', '\0'}) EXPECT_FALSE(sel.AcceptSheet(Sheet("1", kEffective, o))) << int(o);
}

TEST_F(SelectionTest, DeletedSheetsFollowTheStatusSetEvenWithSelectionOff) {
  sel.SelectStatuses({kDeleted, kEffective});
  EXPECT_TRUE(sel.AcceptSheet(Sheet("1", kDeleted)));
  EXPECT_FALSE(sel.AcceptSheet(Sheet("1", kPending)));
  sel.StatusSelect = false;
  EXPECT_TRUE(sel.AcceptSheet(Sheet("1", kDeleted)));
  EXPECT_TRUE(sel.AcceptSheet(Sheet("1", kPending)));
  sel.SelectStatuses({kEffective});
  sel.StatusSelect = false;
  EXPECT_FALSE(sel.AcceptSheet(Sheet("1", kDeleted)));
}

TEST_F(SelectionTest, StatusWordsSelectTheirSets) {
  const std::pair<const char*, TByteSet> words[] = {{"CURRENT", {kSuspended, kEffective, kPending}},
                                                    {"ARCHIVE", {kSuperseded, kRejected, kWithdrawn}},
                                                    {"PENDING", {kPending}},
                                                    {"EFFECTIVE", {kEffective}}};
  for (const auto& [word, set] : words) {
    sel.StatusSelect = false;
    EXPECT_TRUE(sel.ApplyStatusWord(word));
    EXPECT_TRUE(sel.StatusSelect && sel.StatusSet == set) << word;
  }
  EXPECT_FALSE(sel.ApplyStatusWord("EFFECTIVES"));
  EXPECT_EQ(sel.StatusSet, TByteSet{kEffective});
}

TEST_F(SelectionTest, OrientationRefundAndType) {
  sel.OrientationSet.Remove('L');
  EXPECT_FALSE(sel.AcceptSheet(Sheet("1", kEffective, 'L')));
  EXPECT_TRUE(sel.AcceptSheet(Sheet("1", kEffective, 'P')));
  sel.OrientationSet.Remove('P');
  EXPECT_FALSE(sel.AcceptSheet(Sheet("1", kEffective, 'P')));
  sel.RestoreListDefaults();

  TSheetBody subject = Sheet(), plain = Sheet(), flaggedY = Sheet();
  subject.refundFlag = 1;
  flaggedY.refundFlag = 'Y';  // any non-zero flag is shown as subject to refund
  sel.RefundAny = false;
  EXPECT_TRUE(sel.AcceptSheet(subject));
  EXPECT_TRUE(sel.AcceptSheet(flaggedY));
  EXPECT_FALSE(sel.AcceptSheet(plain));
  sel.RefundWanted = 0;
  EXPECT_FALSE(sel.AcceptSheet(subject));
  EXPECT_FALSE(sel.AcceptSheet(flaggedY));
  EXPECT_TRUE(sel.AcceptSheet(plain));

  sel.RestoreListDefaults();
  EXPECT_TRUE(sel.AcceptSheet(subject) && sel.AcceptSheet(plain));
  sel.TypeSelect = true;
  sel.TypeSet = {4};
  EXPECT_FALSE(sel.AcceptSheet(Sheet()));  // type 3
  sel.TypeSet.Add(3);
  EXPECT_TRUE(sel.AcceptSheet(Sheet()));
}

TEST_F(SelectionTest, SheetNumberRangesCompareNumberThenSuffix) {
  EXPECT_TRUE(Sheets("12a", "12C", {"12A", "12B", "12c", "0012C"}));
  EXPECT_FALSE(Sheets("12A", "12C", {"12"}));
  EXPECT_FALSE(Sheets("12A", "12C", {"12D"}));
  EXPECT_TRUE(Sheets("[...", "15", {"0", "14Z", "15"}));
  EXPECT_FALSE(Sheets("[...", "15", {"15A"}));
  EXPECT_TRUE(Sheets("12", "...]", {"12", "12A", "99999999"}));
  EXPECT_FALSE(Sheets("12", "...]", {"11Z"}));
  // Blanks around the number are not part of the bound.
  EXPECT_TRUE(Sheets(" 12A    ", "12A     ", {"12A"}));
  sel.SheetNoSelect = false;
  EXPECT_TRUE(sel.AcceptSheet(Sheet("11")));
}

TEST_F(SelectionTest, BoundTextsAndTheirParts) {
  EXPECT_TRUE(sel.ParseBound("123456789", TBound::From));
  EXPECT_EQ(sel.FromText, "12345678");
  EXPECT_EQ(sel.FromNumber, 12345678);
  // No leading digit: refused (it would let every numbered sheet pass); nothing changes.
  EXPECT_FALSE(sel.ParseBound("abc", TBound::From));
  EXPECT_EQ(sel.FromText, "12345678");
  EXPECT_EQ(sel.FromNumber, 12345678);
  // A blank field is an open end.
  EXPECT_TRUE(sel.ParseBound("   ", TBound::To));
  EXPECT_EQ(sel.ToText, "...]");
  EXPECT_TRUE(sel.ParseBound("+5", TBound::To));
  EXPECT_EQ(sel.ToNumber, 5);
  // A sign without digits cannot be used; nothing changes.
  for (const char* bad : {"-", "-A", " +"}) {
    EXPECT_FALSE(sel.ParseBound(bad, TBound::To)) << bad;
    EXPECT_EQ(sel.ToText, "+5");
    EXPECT_EQ(sel.ToNumber, 5);
  }
}

TEST_F(SelectionTest, FilingAndUpdatedRangesAreInclusiveCalendarDays) {
  EXPECT_TRUE(sel.ParseDateField("1/10/2005", TDateKind::Filing, TDateEnd::From));
  EXPECT_TRUE(sel.ParseDateField("01/20/05", TDateKind::Filing, TDateEnd::To));
  EXPECT_TRUE(sel.FilingUpdatedDates);
  EXPECT_FALSE(sel.EffectiveOrderDates);
  EXPECT_TRUE(sel.AcceptSheet(Dated(10, 1)) && sel.AcceptSheet(Dated(20, 1)));
  EXPECT_FALSE(sel.AcceptSheet(Dated(9, 15)));
  EXPECT_FALSE(sel.AcceptSheet(Dated(21, 15)));
  sel.Range(TDateKind::Filing).From += 0.5;  // a time of day still takes in its whole day
  EXPECT_TRUE(sel.AcceptSheet(Dated(10, 1)));

  sel.ApplyRecent(DateToSerial({2005, 1, 15}));
  EXPECT_TRUE(sel.AcceptSheet(Dated(12, 15)));
  EXPECT_FALSE(sel.AcceptSheet(Dated(12, 14)));

  // From after To rejects everything.
  EXPECT_TRUE(sel.ParseDateField("1/30/2005", TDateKind::Filing, TDateEnd::From));
  for (int day = 1; day <= 31; ++day) EXPECT_FALSE(sel.AcceptSheet(Dated(day, 20))) << day;

  // "..." or an empty field reopens an end but leaves the flag on.
  EXPECT_TRUE(sel.ParseDateField("...", TDateKind::Filing, TDateEnd::From));
  EXPECT_TRUE(sel.ParseDateField("", TDateKind::Filing, TDateEnd::To));
  EXPECT_TRUE(sel.FilingUpdatedDates);
  EXPECT_TRUE(sel.AcceptSheet(Dated(31, 20)));
}

TEST_F(SelectionTest, DateFieldsParseAndShow) {
  EXPECT_EQ(sel.ShowDate(TDateKind::Order, TDateEnd::From), "...");
  EXPECT_EQ(sel.ShowDate(TDateKind::Order, TDateEnd::To), "...");
  EXPECT_FALSE(sel.ParseDateField("2/30/2005", TDateKind::Order, TDateEnd::From));
  EXPECT_FALSE(sel.ParseDateField("soon", TDateKind::Order, TDateEnd::From));
  EXPECT_FALSE(sel.EffectiveOrderDates);
  EXPECT_EQ(sel.Range(TDateKind::Order).From, kNoDateFrom);
  EXPECT_TRUE(sel.ParseDateField(" 3/4/2006 ", TDateKind::Order, TDateEnd::To));
  EXPECT_TRUE(sel.EffectiveOrderDates);
  EXPECT_EQ(sel.ShowDate(TDateKind::Order, TDateEnd::To), "3/4/2006");
  // Either no-bound value shows as "..." at either end.
  sel.Range(TDateKind::Order).From = kNoDateTo;
  EXPECT_EQ(sel.ShowDate(TDateKind::Order, TDateEnd::From), "...");

  sel.FilingUpdatedDates = true;
  sel.ResetDates();
  EXPECT_FALSE(sel.EffectiveOrderDates);
  EXPECT_TRUE(sel.FilingUpdatedDates);
  EXPECT_EQ(sel.Range(TDateKind::Order).To, kNoDateTo);
  EXPECT_EQ(sel.Range(TDateKind::Order).From, kNoDateFrom);
}

TEST_F(SelectionTest, DocketsByDatesAndByChosenLines) {
  TDocketBody d;
  d.docket = "RP96-1-000";
  d.docket.resize(20, '\0');
  d.effectiveDate = PackDate(2005, 3, 1);
  d.orderDate = 0;  // no order date counts as 1 January 1950
  EXPECT_TRUE(sel.AcceptDocket(d));

  EXPECT_TRUE(sel.ParseDateField("1/1/1950", TDateKind::Order, TDateEnd::To));
  EXPECT_TRUE(sel.AcceptDocket(d));
  EXPECT_TRUE(sel.ParseDateField("3/2/2005", TDateKind::Effective, TDateEnd::From));
  EXPECT_FALSE(sel.AcceptDocket(d));
  sel.EffectiveOrderDates = false;
  EXPECT_TRUE(sel.AcceptDocket(d));

  sel.DocketSelect = true;
  EXPECT_FALSE(sel.AcceptDocket(d));
  sel.ChosenDockets = {LowerCase(DocketLine(d))};
  EXPECT_TRUE(sel.AcceptDocket(d));
  d.effectiveDate = PackDate(2005, 3, 2);  // same docket, other effective date
  EXPECT_FALSE(sel.AcceptDocket(d));

  sel.ResetDocketSelection();
  EXPECT_FALSE(sel.DocketSelect);
  EXPECT_TRUE(sel.ChosenDockets.empty());
  EXPECT_TRUE(sel.AcceptDocket(d));
}

}  // namespace
}  // namespace vorne
