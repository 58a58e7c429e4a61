// The company check of an import against a reference library: loading the
// reference list, finding names, the confirmation of near matches and the
// dialog that supplies a code.
#include <gtest/gtest.h>

#include "filings/CompanyCheck.h"
#include "platform/Paths.h"
#include "store/Common.h"
#include "support/LibraryBuilder.h"
#include "support/MemFileSystem.h"
#include "support/ScriptedPort.h"

namespace vorne::testing {
namespace {

class CompanyCheckTest : public ::testing::Test {
 protected:
  CompanyCheckTest() : oldRoot_(DriveRoot()) {
    SetDriveRoot("/drives");
    std::vector<TVolumePlan> v(4);
    v[0].company = "ALPHA PIPELINE COMPANY";
    v[0].companyCode = 11;
    v[1].company = "Northern Plains Natural Gas Company";
    v[1].companyCode = 22;
    v[2].company = "Northern Plains Natural Gas Storage";
    v[2].companyCode = 33;
    v[3].company = "Alpha Pipeline Company";  // the same name again: listed once
    v[3].companyCode = 99;
    BuildLibrary(env_, "/ref", true, v);
    port_.transcript.clear();
  }
  ~CompanyCheckTest() override { SetDriveRoot(oldRoot_); }

  std::string oldRoot_;
  TMemFileSystem fs_;
  TScriptedPort port_;
  TEnv env_{fs_, port_};
};

TEST_F(CompanyCheckTest, LoadsOneEntryPerDistinctNormalisedName) {
  TVerifyDlg check(env_, {"ADDFROM", "x", "vpath", "/ref"});
  ASSERT_TRUE(check.CheckOn());
  EXPECT_EQ(check.ReferencePath(), "/ref");
  ASSERT_EQ(check.ChoiceBox().size(), 3u);
  EXPECT_EQ(check.ChoiceBox()[0].name, "Alpha Pipeline Company");
  EXPECT_EQ(check.ChoiceBox()[0].code, 11);
}

TEST_F(CompanyCheckTest, AnExactNameIsFoundWithoutRegardToCase) {
  TVerifyDlg check(env_, {"VERIFY", "/ref"});
  std::string name = "ALPHA PIPELINE COMPANY";
  EXPECT_EQ(check.FindByName(name), 0);
  EXPECT_EQ(name, "Alpha Pipeline Company");
  int32_t code = 5;
  TPrimeRecord prime;
  EXPECT_TRUE(check.Identify(name, code, prime));
  EXPECT_EQ(code, 11);
  EXPECT_EQ(prime.companyCode, 11u);
  EXPECT_EQ(prime.companyName, "Alpha Pipeline Company");
  EXPECT_TRUE(port_.questions.empty());
}

TEST_F(CompanyCheckTest, NearMatchesAreConfirmedInListOrder) {
  TVerifyDlg check(env_, {"VPATH", "/ref"});
  port_.QueueAnswer(TAnswer::No);
  port_.QueueAnswer(TAnswer::Yes);
  std::string name = "Northern Plains Natural Gas Co.";
  EXPECT_EQ(check.FindByName(name), 2);
  ASSERT_EQ(port_.questions.size(), 2u);
  EXPECT_EQ(port_.questions[0], "Is this a Match?\nNorthern Plains Natural Gas Co.\nNorthern Plains Natural Gas Company");
  EXPECT_EQ(port_.questions[1], "Is this a Match?\nNorthern Plains Natural Gas Co.\nNorthern Plains Natural Gas Storage");
  std::string other = "Northern Plains Natural Gas Co.";
  EXPECT_EQ(check.FindByName(other), -1);  // both answered No by default
}

TEST_F(CompanyCheckTest, UseThisKeepsTheFilingsNameWithTheEditedCode) {
  TVerifyDlg check(env_, {"VPATH", "/ref"});
  port_.QueueDialog([](TDialogModel& m) {
    auto& d = dynamic_cast<TVerifyDlg&>(m);
    EXPECT_EQ(d.BufferName, "Unknown Gas Company");
    EXPECT_EQ(d.BufferID, "000022");
    EXPECT_EQ(d.Selected, 1);     // the entry carrying code 22
    EXPECT_EQ(d.FoundID, "000022");
    d.FoundID = "000777";
    return false;  // "Use This"
  });
  std::string name = "UNKNOWN GAS COMPANY";
  int32_t code = 22;
  TPrimeRecord prime;
  EXPECT_FALSE(check.Identify(name, code, prime));
  EXPECT_EQ(prime.companyName, "Unknown Gas Company");
  EXPECT_EQ(prime.companyCode, 777u);
  EXPECT_EQ(code, 777);
}

TEST_F(CompanyCheckTest, OKAddsTheTypedCompanyAndRefusesANonNumber) {
  TVerifyDlg check(env_, {"VPATH", "/ref"});
  port_.QueueDialog([](TDialogModel& m) {
    auto& d = dynamic_cast<TVerifyDlg&>(m);
    d.FoundID = "12X";
    EXPECT_FALSE(d.OK());
    d.FoundID = "4321";
    return d.OK();
  });
  std::string name = "Brand New Pipeline";
  int32_t code = 1;
  TPrimeRecord prime;
  check.Identify(name, code, prime);
  EXPECT_EQ(prime.companyCode, 4321u);
  ASSERT_EQ(check.ChoiceBox().size(), 4u);
  EXPECT_EQ(check.ChoiceBox().back().name, "Brand New Pipeline");
  std::string again = "brand new pipeline";
  EXPECT_EQ(check.FindByName(again), 3);  // found from now on without the dialog
}

TEST_F(CompanyCheckTest, WithoutAReferenceTheCheckIsOffAndEveryCompanyIsAsked) {
  TVerifyDlg check(env_, {});
  EXPECT_FALSE(check.CheckOn());
  ASSERT_FALSE(port_.messages.empty());
  EXPECT_EQ(port_.messages[0], "Cannot open verifier file " + MapPath("O:\\VORNE\\GZIP1\\GZPrime"));
  std::string name = "Alpha Pipeline Company";
  int32_t code = 8;
  TPrimeRecord prime;
  EXPECT_FALSE(check.Identify(name, code, prime));
  EXPECT_EQ(prime.companyCode, 8u);
}

TEST_F(CompanyCheckTest, AFallbackIsFoundThroughTheDriveMapping) {
  fs_.MakeDir("/drives");
  fs_.MakeDir("/drives/D");
  fs_.MakeDir("/drives/D/GZIP");
  fs_.WriteAll("/drives/D/GZIP/GZPrime", fs_.ReadAll("/ref/GZPrime"));
  TVerifyDlg check(env_, {});
  EXPECT_TRUE(check.CheckOn());
  EXPECT_EQ(check.ReferenceFile(), "/drives/D/GZIP/GZPrime");
}

TEST_F(CompanyCheckTest, AUselessReferenceFileTurnsTheCheckOff) {
  fs_.MakeDir("/bad");
  fs_.WriteAll("/bad/GZPrime", std::string(96 * 5, '\0') + "xx");  // five unusable records and a torn one
  TVerifyDlg check(env_, {"VPATH", "/bad"});
  EXPECT_FALSE(check.CheckOn());
  EXPECT_EQ(port_.messages.back(), "Verifier File /bad/GZPrime is useless, verification is off");
}

}  // namespace
}  // namespace vorne::testing
