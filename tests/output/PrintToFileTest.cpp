// Print to File: the exact text of one file and of one file per company, a
// sheet with only a title line, the cancelled save dialog, and the dialog's
// timer.
#include "output/PrintToFile.h"

#include "output/PublishFixture.h"

namespace vorne::testing {
namespace {

class FilePrintTest : public PublishFixture {
 protected:
  void Build2() {
    TVolumePlan a;
    a.companyCode = 12345;
    a.sheets = {Sheet("1", {"original sheet no. 1", "first revised sheet no. 1", "body"}),
                Sheet("2", {"only a title"}, kPending)};
    TVolumePlan a2 = a;
    a2.volId = "2";
    a2.sheets = {Sheet("3", {"sheet three", "  ", "x"})};
    TVolumePlan b;
    b.companyCode = 7;
    b.company = "Alpha Gas Company";
    b.sheets = {Sheet("1", {"\x02hidden"})};
    Build({a, a2, b});
  }
  void Print(FilePrintThing& w) {
    TExportDockets window(false);
    for (const auto& v : cluster_->Volumes()) ExportPlain(env_, *v, w, window, nullptr);
    w.Close();
  }
};

TEST_F(FilePrintTest, OneFileHoldsEverySheetWithVolumeLabels) {
  Build2();
  mem_.MakeDir("/out");
  FilePrintThing w(env_, *cluster_, log_, "/out", false);
  ASSERT_TRUE(w.CreateFile("/out/all.prn"));
  Print(w);
  // Volumes in key order: Alpha first, then the two volumes of code 12345.
  EXPECT_EQ(SplitCrlf(mem_.ReadAll("/out/all.prn")),
            (std::vector<std::string>{"1:000", " :  Effective", "", "\f",
                                      "1:000", "Original Sheet No. 1 :  Effective",
                                      "Superseding: first revised sheet no. 1", "body", "\f",
                                      "only a title :  Pending", "", "\f",
                                      "Sheet Three :  Effective", "", "x", "\f"}));
}

TEST_F(FilePrintTest, MultipleFilesGiveOneFilePerCompany) {
  Build2();
  mem_.MakeDir("/out");
  FilePrintThing w(env_, *cluster_, log_, "/out", true);
  std::vector<std::string> captions;
  w.onCaption = [&](const std::string& c) { captions.push_back(c); };
  Print(w);
  EXPECT_EQ(SplitCrlf(mem_.ReadAll("/out/012345.PRN")),
            (std::vector<std::string>{"1:000", "Original Sheet No. 1 :  Effective",
                                      "Superseding: first revised sheet no. 1", "body", "\f",
                                      "only a title :  Pending", "", "\f",
                                      "Sheet Three :  Effective", "", "x", "\f"}));
  EXPECT_EQ(SplitCrlf(mem_.ReadAll("/out/000007.PRN")), (std::vector<std::string>{"1:000", " :  Effective", "", "\f"}));
  EXPECT_EQ(captions, (std::vector<std::string>{"1:000", "1:000"}));
}

TEST_F(FilePrintTest, WithoutAFileNothingIsWrittenAnywhere) {
  Build2();
  mem_.MakeDir("/out");
  {
    FilePrintThing w(env_, *cluster_, log_, "/out", false);
    Print(w);
  }
  EXPECT_TRUE(mem_.List("/out").empty());
  EXPECT_TRUE(port_.messages.empty());
}

TEST(FilePrintDialogTest, TimerActsAsOkUnlessThePersonTakesOver) {
  TFilePrintDialog d;
  d.directory = "D:\\site";
  d.Tick(6000);
  EXPECT_FALSE(d.Result());  // the timer is off unless the caller turns it on
  d.TurnTimerOn();
  d.Tick(4999);
  EXPECT_FALSE(d.Result());
  d.Tick(1);
  ASSERT_TRUE(d.Result());
  EXPECT_TRUE(*d.Result());
  EXPECT_EQ(d.OutputDirectory(), "D:\\site");

  TFilePrintDialog e;
  e.TurnTimerOn();
  e.Activate();
  e.Tick(10000);
  EXPECT_FALSE(e.Result());
  e.Cancel();
  EXPECT_FALSE(*e.Result());
  EXPECT_EQ(std::string(TFilePrintDialog::kCaption), "Print To File");
}

}  // namespace
}  // namespace vorne::testing
