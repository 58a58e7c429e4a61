// The prime record editor: what it loads into its boxes, how Update converts
// them into the prime record and the volume record, and that a refused or
// failed update leaves both files exactly as they were.
#include <gtest/gtest.h>

#include "store/Bytes.h"
#include "store/Cluster.h"
#include "store/PrimeEditor.h"
#include "support/LibraryBuilder.h"
#include "support/MemFileSystem.h"
#include "support/ScriptedPort.h"

namespace vorne::testing {
namespace {

class PrimeEditorTest : public ::testing::Test {
 protected:
  PrimeEditorTest() {
    mem_.MakeDir("/lib");
    TVolumePlan alpha;
    alpha.companyCode = 123;
    alpha.company = "Alpha Pipeline Co";
    alpha.volumeName = "ZOAK Gas Tariff";
    TSheetPlan s;
    s.sheetNo = "1";
    s.lines = {"Original Sheet No. 1", "text"};
    alpha.sheets = {s};
    TVolumePlan beta = alpha;
    beta.companyCode = 456;
    beta.company = "Beta Gas Company";
    prime_ = BuildLibrary(env_, "/lib/a", true, {alpha, beta});
    // The first company as an older library holds it, not normalised.
    PutPString(reinterpret_cast<uint8_t*>(mem_.Bytes(prime_).data()) + 35, 60, "ALPHA PIPELINE CO");
    cluster_ = std::make_unique<TFileCluster>(env_, true);
    EXPECT_TRUE(cluster_->Open(prime_, false));
    cluster_->ReadAll();
    for (auto& v : cluster_->Volumes())
      if (v->record.companyCode == 123) alpha_ = v.get();
    primeBefore_ = mem_.Bytes(prime_);
    hdrBefore_ = mem_.Bytes(cluster_->HdrPath());
  }

  TPrimeEditor& Loaded() {
    EXPECT_TRUE(editor_.Load(*alpha_));
    editor_.SetUpdateEnabled(true);
    return editor_;
  }
  // The record as a fresh open of the library reads it.
  TPrimeRecord PrimeOnDisk(size_t recNo) {
    return TPrimeRecord::Decode(reinterpret_cast<const uint8_t*>(mem_.Bytes(prime_).data()) + recNo * kPrimeRecordSize);
  }
  std::string VolumeRecordOnDisk(size_t from, size_t n) {
    return mem_.Bytes(cluster_->HdrPath()).substr(size_t(alpha_->record.firstHdr) * kHdrRecordSize + from, n);
  }
  void ExpectUnchanged() {
    EXPECT_EQ(mem_.Bytes(prime_), primeBefore_);
    EXPECT_EQ(mem_.Bytes(cluster_->HdrPath()), hdrBefore_);
  }

  TMemFileSystem mem_;
  TFaultyFileSystem faulty_{mem_};
  TScriptedPort port_;
  TEnv env_{faulty_, port_};
  std::string prime_;
  std::unique_ptr<TFileCluster> cluster_;
  TPrimeRef* alpha_ = nullptr;
  TPrimeEditor editor_{env_};
  std::string primeBefore_, hdrBefore_;
};

TEST_F(PrimeEditorTest, LoadShowsThePrimeRecordAndTheVolumeRecordAsStored) {
  TPrimeEditor& e = Loaded();
  EXPECT_EQ(e.Text(TPrimeBox::CompanyName), "ALPHA PIPELINE CO");
  EXPECT_EQ(e.Text(TPrimeBox::CompanyCode), "000123");
  EXPECT_EQ(e.Text(TPrimeBox::VolID), "1");
  EXPECT_EQ(e.Text(TPrimeBox::VolRevNo), "0");
  EXPECT_EQ(e.Text(TPrimeBox::VolumeName), "ZOAK Gas Tariff");
  EXPECT_EQ(e.Text(TPrimeBox::CompID2), "000123");
  EXPECT_EQ(e.Text(TPrimeBox::VolID2), "1   ");
  EXPECT_EQ(e.Text(TPrimeBox::VolRev2), "000");
  EXPECT_FALSE(e.SetText(TPrimeBox::CompID2, "999999"));
  EXPECT_EQ(e.Text(TPrimeBox::CompID2), "000123");
}

TEST_F(PrimeEditorTest, RevisionAndCodeAreConvertedForBothRecords) {
  TPrimeEditor& e = Loaded();
  e.SetText(TPrimeBox::VolRevNo, "2");
  port_.QueueAnswer(TAnswer::OK);
  ASSERT_TRUE(e.Update());
  EXPECT_EQ(port_.questions, (std::vector<std::string>{kRiskQuestion}));
  EXPECT_EQ(e.Text(TPrimeBox::VolRevNo), "  2");
  const TPrimeRecord r = PrimeOnDisk(size_t(alpha_->recNo));
  EXPECT_EQ(r.volRevNo, 2);
  EXPECT_EQ(r.companyCode, 123u);  // "000123" saved unchanged
  EXPECT_EQ(r.companyName, "ALPHA PIPELINE CO");
  EXPECT_EQ(VolumeRecordOnDisk(1, 13), "000123" "1   " "  2");
  EXPECT_EQ(e.Text(TPrimeBox::VolRev2), "  2");
  EXPECT_EQ(alpha_->record.volRevNo, 2);
  // The other volume is untouched.
  EXPECT_EQ(mem_.Bytes(prime_).substr(size_t(1 - alpha_->recNo) * kPrimeRecordSize, kPrimeRecordSize),
            primeBefore_.substr(size_t(1 - alpha_->recNo) * kPrimeRecordSize, kPrimeRecordSize));
}

TEST_F(PrimeEditorTest, NamesAndVolumeNumbersAreCutToTheirFields) {
  TPrimeEditor& e = Loaded();
  const std::string longName(70, 'N');
  e.SetText(TPrimeBox::CompanyName, "new pipeline company" + longName);
  e.SetText(TPrimeBox::VolumeName, std::string(50, 'V'));
  e.SetText(TPrimeBox::VolID, "12345");
  e.SetText(TPrimeBox::CompanyCode, "77");
  port_.QueueAnswer(TAnswer::OK);
  ASSERT_TRUE(e.Update());
  const TPrimeRecord r = PrimeOnDisk(size_t(alpha_->recNo));
  EXPECT_EQ(r.companyName, ("new pipeline company" + longName).substr(0, 60));
  EXPECT_EQ(r.volId, "12");
  EXPECT_EQ(r.companyCode, 77u);
  EXPECT_EQ(VolumeRecordOnDisk(1, 13), "77    " "1234" "  0");
  EXPECT_EQ(GetPString(reinterpret_cast<const uint8_t*>(VolumeRecordOnDisk(14, 41).data()), 40), std::string(40, 'V'));
  // The reference follows the file: the name as stored, the list's form normalised.
  EXPECT_EQ(alpha_->storedName, r.companyName);
  EXPECT_EQ(alpha_->record.companyName, NormalizeCompanyName(r.companyName));
  EXPECT_EQ(alpha_->volumeName, std::string(40, 'V'));
}

TEST_F(PrimeEditorTest, SavingUnchangedBoxesChangesOnlyTheRevisionsForm) {
  port_.QueueAnswer(TAnswer::OK);
  ASSERT_TRUE(Loaded().Update());
  EXPECT_EQ(mem_.Bytes(prime_), primeBefore_);  // the name too stays as stored
  // The volume record's revision is written padded with spaces ("000" was zero-padded).
  std::string expected = hdrBefore_;
  expected.replace(size_t(alpha_->record.firstHdr) * kHdrRecordSize + 11, 3, "  0");
  EXPECT_EQ(mem_.Bytes(cluster_->HdrPath()), expected);
}

TEST_F(PrimeEditorTest, ACodeOrRevisionThatIsNotANumberIsRefusedBeforeAnythingIsWritten) {
  const std::pair<TPrimeBox, std::string> bad[] = {{TPrimeBox::CompanyCode, "12a"},
                                                   {TPrimeBox::CompanyCode, ""},
                                                   {TPrimeBox::CompanyCode, "1234567"},
                                                   {TPrimeBox::CompanyCode, "-5"},
                                                   {TPrimeBox::VolRevNo, "two"},
                                                   {TPrimeBox::VolRevNo, "1000"}};
  for (const auto& [box, text] : bad) {
    TPrimeEditor& e = Loaded();
    e.SetText(TPrimeBox::CompanyName, "Changed Name");
    e.SetText(box, text);
    port_.messages.clear();
    port_.QueueAnswer(TAnswer::OK);
    EXPECT_FALSE(e.Update()) << text;
    ASSERT_EQ(port_.messages.size(), 1u) << text;
    EXPECT_NE(port_.messages[0].find(box == TPrimeBox::CompanyCode ? "Company Code" : "Revision Number"),
              std::string::npos)
        << port_.messages[0];
    ExpectUnchanged();
    EXPECT_EQ(alpha_->storedName, "ALPHA PIPELINE CO");
  }
}

TEST_F(PrimeEditorTest, CancelOrAWindowWithoutUpdateWritesNothing) {
  TPrimeEditor& e = Loaded();
  e.SetText(TPrimeBox::CompanyName, "Changed Name");
  port_.QueueAnswer(TAnswer::Cancel);
  EXPECT_FALSE(e.Update());
  e.SetUpdateEnabled(false);
  EXPECT_FALSE(e.Update());
  EXPECT_EQ(port_.questions.size(), 1u);  // disabled: not even asked
  ExpectUnchanged();
}

TEST_F(PrimeEditorTest, APrimeFileThatCannotBeWrittenLeavesBothRecordsAsTheyWere) {
  TPrimeEditor& e = Loaded();
  const TPrimeRecord before = alpha_->record;
  e.SetText(TPrimeBox::CompanyName, "Changed Name");
  e.SetText(TPrimeBox::VolumeName, "Changed Volume");
  e.SetText(TPrimeBox::VolRevNo, "3");
  faulty_.written_ = 0;
  faulty_.Inject({TFault::WriteErrorAfter, prime_, 0, 5, true});
  port_.QueueAnswer(TAnswer::OK);
  EXPECT_FALSE(e.Update());
  faulty_.Clear();
  ExpectUnchanged();
  EXPECT_EQ(alpha_->record, before);
  EXPECT_EQ(alpha_->storedName, "ALPHA PIPELINE CO");
  ASSERT_FALSE(port_.messages.empty());
  EXPECT_NE(port_.messages.back().find("put back"), std::string::npos) << port_.messages.back();
  EXPECT_EQ(e.Text(TPrimeBox::VolRev2), "000");
  EXPECT_EQ(mem_.List("/lib/a").size(), 3u);  // nothing left behind beside the library
}

TEST_F(PrimeEditorTest, AHeaderFileThatCannotBeWrittenLeavesThePrimeFileAlone) {
  TPrimeEditor& e = Loaded();
  e.SetText(TPrimeBox::CompanyName, "Changed Name");
  faulty_.written_ = 0;
  faulty_.Inject({TFault::DiskFullAfter, cluster_->HdrPath(), 0});
  port_.QueueAnswer(TAnswer::OK);
  EXPECT_FALSE(e.Update());
  faulty_.Clear();
  ExpectUnchanged();
  EXPECT_EQ(alpha_->storedName, "ALPHA PIPELINE CO");
  EXPECT_FALSE(port_.messages.empty());
}

}  // namespace
}  // namespace vorne::testing
