// vorne-batch ... PDF TO f.pdf: the selected sheets in one PDF, a page per
// sheet in the sheet's orientation, each sheet's lines in order (read back
// with pdftotext), and the print limits with NOLIMIT.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <regex>

#include "platform/FileSystem.h"
#include "support/BatchRunner.h"
#include "support/LibraryBuilder.h"
#include "support/ScriptedPort.h"

namespace vorne::testing {
namespace {

namespace fs = std::filesystem;

std::string Command(const std::string& cmd) {
  std::string out;
  if (FILE* p = ::popen(cmd.c_str(), "r")) {
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    ::pclose(p);
  }
  return out;
}

TSheetPlan Sheet(int no, char orientation, std::vector<std::string> body) {
  TSheetPlan s;
  s.sheetNo = std::to_string(no);
  s.orientation = orientation;
  s.lines = {"Original Sheet No. " + std::to_string(no), "Original Volume"};
  for (auto& l : body) s.lines.push_back(l);
  s.issuer = "Mary Major, Director of Rates";
  s.issueDate = PackDate(2004, 5, 1);
  s.effectiveDate = PackDate(2004, 6, 1);
  return s;
}

class PdfBatchTest : public ::testing::Test {
 protected:
  PdfBatchTest() {
    dir_ = TestTempDir("vorne-pdf-");
    lib_ = (dir_ / "lib").string();
    TScriptedPort port;
    TEnv env{RealFileSystem(), port};
    TVolumePlan a;
    a.company = "Kestrel Gas Transmission";
    a.sheets = {Sheet(1, 'P', {"FIRM TRANSPORTATION SERVICE", "Rate Schedule FT-1", "  Reservation   6.8800"}),
                Sheet(2, 'L', {"STATEMENT OF RATES", "Zone 1      Zone 2      Zone 3", "1.0000      2.0000      3.0000"}),
                Sheet(3, 'P', {"GENERAL TERMS AND CONDITIONS", "1. Definitions"})};
    TVolumePlan b;
    b.companyCode = 2;
    b.company = "Osprey Pipeline";
    for (int i = 1; i <= 55; ++i) b.sheets.push_back(Sheet(i, 'P', {"line of sheet " + std::to_string(i)}));
    BuildLibrary(env, lib_, true, {a, b});
  }
  ~PdfBatchTest() override { fs::remove_all(dir_); }

  std::string PageText(const fs::path& pdf, int page) {
    return Command("pdftotext -layout -f " + std::to_string(page) + " -l " + std::to_string(page) + " '" +
                   pdf.string() + "' -");
  }
  // "612 x 792" for a portrait letter page.
  std::string PageSize(const fs::path& pdf, int page) {
    std::string info = Command("pdfinfo -f " + std::to_string(page) + " -l " + std::to_string(page) + " '" +
                               pdf.string() + "'");
    std::smatch m;
    if (std::regex_search(info, m, std::regex(R"(size:\s+(\d+(\.\d+)?) x (\d+(\.\d+)?))"))) return m[1].str() + " x " + m[3].str();
    return "";
  }
  int Pages(const fs::path& pdf) {
    std::smatch m;
    std::string info = Command("pdfinfo '" + pdf.string() + "'");
    return std::regex_search(info, m, std::regex(R"(Pages:\s+(\d+))")) ? std::stoi(m[1].str()) : -1;
  }

  fs::path dir_;
  std::string lib_;
};

// Runs of spaces as one: pdftotext places words by their positions, and
// rounds the gaps between them.
std::string Squeezed(const std::string& s) { return std::regex_replace(s, std::regex(" +"), " "); }

// Each expected line appears, in order, in the text.
void ExpectInOrder(const std::string& raw, const std::vector<std::string>& expected) {
  const std::string text = Squeezed(raw);
  size_t at = 0;
  for (const std::string& line : expected) {
    const std::string l = Squeezed(line);
    size_t found = text.find(l, at);
    ASSERT_NE(found, std::string::npos) << "missing or out of order: " << l << "\n" << text;
    at = found + l.size();
  }
}

TEST_F(PdfBatchTest, OnePagePerSheetInItsOrientationWithItsLinesInOrder) {
  ASSERT_FALSE(Command("command -v pdftotext").empty()) << "pdftotext (poppler-utils) is needed";
  TBatchResult r = RunBatch(dir_, {"FROM", lib_, "ID", "1", "PDF", "TO", "sheets.pdf"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("3 sheets printed, 2 orientation changes"), std::string::npos) << r.err;
  const fs::path pdf = dir_ / "sheets.pdf";
  ASSERT_TRUE(fs::exists(pdf));
  EXPECT_EQ(Pages(pdf), 3);
  EXPECT_EQ(PageSize(pdf, 1), "612 x 792");
  EXPECT_EQ(PageSize(pdf, 2), "792 x 612");
  EXPECT_EQ(PageSize(pdf, 3), "612 x 792");

  const std::string one = PageText(pdf, 1);
  ExpectInOrder(one, {"Kestrel Gas Transmission", "ZOAK Gas Tariff", "Original Sheet No. 1", "Currently Effective",
                      "Superseding Original Volume", "FIRM TRANSPORTATION SERVICE", "Rate Schedule FT-1",
                      "Reservation   6.8800", "Issued by: Mary Major", "Issued on: May 1, 2004",
                      "Effective: June 1, 2004"});
  ExpectInOrder(PageText(pdf, 2), {"Original Sheet No. 2", "STATEMENT OF RATES", "Zone 1      Zone 2      Zone 3",
                                   "1.0000      2.0000      3.0000"});
  ExpectInOrder(PageText(pdf, 3), {"Original Sheet No. 3", "GENERAL TERMS AND CONDITIONS", "1. Definitions"});
  EXPECT_EQ(one.find("STATEMENT OF RATES"), std::string::npos);
}

TEST_F(PdfBatchTest, PrintLimitsApplyUnlessNolimit) {
  TBatchResult refused = RunBatch(dir_, {"FROM", lib_, "ALL", "PDF", "TO", "all.pdf"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("58 sheets is too many"), std::string::npos) << refused.err;
  EXPECT_FALSE(fs::exists(dir_ / "all.pdf"));

  // A status selection without Superseded and Pending narrows enough.
  TBatchResult effective = RunBatch(dir_, {"FROM", lib_, "ALL", "EFFECTIVE", "PDF", "TO", "effective.pdf"});
  EXPECT_EQ(effective.status, 0) << effective.err;

  TBatchResult all = RunBatch(dir_, {"FROM", lib_, "ALL", "NOLIMIT", "PDF", "TO", "all.pdf"});
  ASSERT_EQ(all.status, 0) << all.err;
  EXPECT_EQ(Pages(dir_ / "all.pdf"), 58);

  TBatchResult noFile = RunBatch(dir_, {"FROM", lib_, "ALL", "PDF"});
  EXPECT_EQ(noFile.status, 2);
  EXPECT_NE(noFile.err.find("give TO <file>.pdf"), std::string::npos);
}

// Nothing selected (no volume, or volumes without a sheet the selection
// accepts) writes no PDF, claims none, and fails.
TEST_F(PdfBatchTest, NothingSelectedWritesNoPdf) {
  for (const std::vector<std::string>& selection : {std::vector<std::string>{}, {"ID", "1", "ARCHIVE"}}) {
    std::vector<std::string> args = {"FROM", lib_};
    args.insert(args.end(), selection.begin(), selection.end());
    for (const char* w : {"PDF", "TO", "none.pdf"}) args.push_back(w);
    TBatchResult r = RunBatch(dir_, args);
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.err.find("No sheets selected; nothing written\n"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("none.pdf"), std::string::npos) << r.err;
    EXPECT_EQ(r.out.find("none.pdf"), std::string::npos) << r.out;
    EXPECT_FALSE(fs::exists(dir_ / "none.pdf"));
  }
}

}  // namespace
}  // namespace vorne::testing
