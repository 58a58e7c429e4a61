// The export driver: the progress window, the order of the writer's calls,
// the gauge steps, the numbering of the dockets and the empty volume.
#include "volumes/ExportDockets.h"

#include "output/PublishFixture.h"
#include "store/Headers.h"

namespace vorne::testing {
namespace {

// Records the calls a writer gets.
class TRecordingWriter : public FPrintThing {
 public:
  using FPrintThing::FPrintThing;
  void Close() override { calls.push_back("Close"); }
  void WriteSheet(TSheet&, const std::string& title, bool next, bool prev) override {
    calls.push_back("WriteSheet " + title + (next ? " next" : "") + (prev ? " prev" : ""));
  }
  std::vector<std::string> calls;
};

class ExportDocketsTest : public PublishFixture {};

TEST_F(ExportDocketsTest, GaugeMovesEveryTenthSheetThenJumpsToTheEnd) {
  TVolumePlan v;
  for (int i = 1; i <= 25; ++i) v.sheets.push_back(Sheet(std::to_string(i), {"s" + std::to_string(i)}));
  Build({v});
  TExportDockets window(false);
  std::vector<int64_t> positions;
  window.onChanged = [&] {
    if (positions.empty() || positions.back() != window.Gauge()) positions.push_back(window.Gauge());
  };
  TRecordingWriter w(env_, *cluster_, log_, "/out");
  TExportResult r = ExportPlain(env_, *cluster_->Volumes()[0], w, window, nullptr);
  EXPECT_EQ(r.sheets, 25u);
  EXPECT_EQ(positions, (std::vector<int64_t>{0, 10, 20, 25}));
  EXPECT_EQ(window.SheetCount(), "25 Sheets");
  EXPECT_EQ(window.Caption(), "Printing to File");
  EXPECT_FALSE(window.DocketBoxVisible());
  EXPECT_EQ(w.calls.front(), "WriteSheet S1 next");
  EXPECT_EQ(w.calls.back(), "WriteSheet S25 prev");
}

TEST_F(ExportDocketsTest, CancelStopsAtTheNextTenthSheet) {
  TVolumePlan v;
  for (int i = 1; i <= 25; ++i) v.sheets.push_back(Sheet(std::to_string(i), {"s"}));
  Build({v});
  TExportDockets window(false);
  window.CancelClick();
  TRecordingWriter w(env_, *cluster_, log_, "/out");
  TExportResult r = ExportPlain(env_, *cluster_->Volumes()[0], w, window, nullptr);
  EXPECT_TRUE(r.cancelled);
  EXPECT_EQ(w.calls.size(), 10u);
}

// Accepts no sheet.
class TNothing : public TSheetFilter {
 public:
  bool AcceptSheet(const TSheetBody&) const override { return false; }
  bool AcceptDocket(const TDocketBody&) const override { return true; }
};

TEST_F(ExportDocketsTest, VolumeWithoutSelectedSheetsCallsNoWriter) {
  TVolumePlan v;
  v.sheets = {Sheet("1", {"s"})};
  Build({v});
  mem_.MakeDir("/site");
  HTMLPrintThing w(env_, *cluster_, log_, "/site");
  TExportDockets window(true);
  TNothing nothing;
  TExportResult r = ExportHtml(env_, *cluster_->Volumes()[0], w, window, &nothing);
  EXPECT_EQ(r.sheets, 0u);
  EXPECT_FALSE(window.Visible());
  EXPECT_TRUE(mem_.List("/site").empty());
}

TEST_F(ExportDocketsTest, DocketsAreNumberedInSortedOrderAndEmptyOnesLeftOut) {
  TVolumePlan v;
  TSheetPlan a = Sheet("1", {"a"});
  a.docket = "RP05-1-000";
  TSheetPlan b = Sheet("2", {"b"});
  b.docket = "CP01-1-000";
  TSheetPlan c = Sheet("3", {"c"});
  c.docket = "";
  v.sheets = {a, b, c};
  Build({v});
  mem_.MakeDir("/site");
  HTMLPrintThing w(env_, *cluster_, log_, "/site");
  TExportDockets window(true);
  EXPECT_EQ(window.Caption(), "HTML to File");
  EXPECT_EQ(window.Height(), 340);
  // Watch the box while the sheets are written.
  std::vector<std::string> box;
  window.onChanged = [&] {
    if (window.DocketBox().size() == 2 && box.empty())
      for (const auto& [line, e] : window.DocketBox()) box.push_back(line);
  };
  w.Create();
  ExportHtml(env_, *cluster_->Volumes()[0], w, window, nullptr);
  w.Close();
  EXPECT_EQ(box, (std::vector<std::string>{"CP01-  1-000          Missing ", "RP05-  1-000          Missing "}));
  EXPECT_TRUE(window.DocketBox().empty());
  EXPECT_EQ(window.Gauge(), window.GaugeMax());  // a finished volume shows a full gauge, not an empty one
  EXPECT_EQ(window.GaugeMax(), 3);
  EXPECT_TRUE(HasLine("000010.HTM", "<A HREF=\"K00001.HTM#1\">RP05-  1-000 </A>"));
  EXPECT_TRUE(HasLine("000010.HTM", "<A HREF=\"K00001.HTM\">CP01-  1-000 </A>"));
  EXPECT_EQ(CountLines("000010.HTM", "K00001.HTM"), 2u);  // the sheet without a docket has no link
}

}  // namespace
}  // namespace vorne::testing
