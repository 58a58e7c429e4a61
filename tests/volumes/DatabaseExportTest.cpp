// The Database export: the header line, the exact data lines (dates, the
// sheet number with its spaces, quotes doubled, the missing docket), the
// volume without accepted sheets, the file's life cycle and its failures,
// and a Database run through the volume list's loop.
#include "volumes/Export.h"

#include <gtest/gtest.h>

#include <cstring>

#include "store/Errors.h"
#include "support/LibraryBuilder.h"
#include "support/MemFileSystem.h"
#include "support/ScriptedPort.h"
#include "volumes/VolumeList.h"

namespace vorne::testing {
namespace {

const std::string kHeader =
    "\"CompanyName\",\"Volume_Rev\",\"CRDate\",\"SheetNo\",\"Sheet_Rev\",\"SheetName\",\"YN\",\"FilingDate\","
    "\"Status\",\"EffectiveDate\",\"OrderDate\",\"ComplianceCite\",\"Docket\"\r\n";

// Sheet 2 of the quoted company: an impossible update date, no docket record.
const std::string kLineTwo =
    "\"joe \"\"best\"\" gas company\",\"ZOAK Gas Tariff\",\"00/00/19**\",\"2       \",0,"
    "\"Sheet \"\"two\"\"\",\"N\",\"  Missing \",\"Pending\",\"  Missing \",\"  Missing \",\" \",\"Docket missing\"\r\n";
// Sheet "    12A " of the quoted company: every field filled.
const std::string kLineTwelve =
    "\"joe \"\"best\"\" gas company\",\"ZOAK Gas Tariff\",\"  1/5/2005\",\"    12A \",3,"
    "\"First Revised Sheet No. 12A\",\"Y\",\"  Missing \",\"Effective\",\"  2/1/2005\",\"  3/3/2005\","
    "\"  61 ZOAK \xB6 1,123 (1992)\",\"RP96-  1-000\"\r\n";

const uint16_t kBadDate = uint16_t(((55 * 16) + 13) * 32 + 1);  // month 13

// Accepts every sheet but the withdrawn ones.
class TNoWithdrawn : public TSheetFilter {
 public:
  bool AcceptSheet(const TSheetBody& b) const override { return b.status != kWithdrawn; }
  bool AcceptDocket(const TDocketBody&) const override { return true; }
};

class DatabaseExportTest : public ::testing::TestWithParam<bool> {
 protected:
  DatabaseExportTest() {
    mem_.MakeDir("/lib");
    mem_.MakeDir("/out");
  }

  // Two volumes: the quoted company with two sheets, and a volume whose only
  // sheet is withdrawn.
  void Build() {
    TVolumePlan quoted;
    quoted.company = "Joe Gas";  // the prime file gets the filed name below
    quoted.companyCode = 77;
    TSheetPlan twelve;
    twelve.sheetNo = "    12A ";
    twelve.rev = 1;
    twelve.lines = {"first revised sheet no. 12a", "text"};
    twelve.updDate = PackDate(2005, 1, 5);
    twelve.effectiveDate = PackDate(2005, 2, 1);
    TSheetPlan two;
    two.sheetNo = "2";
    two.lines = {"sheet \"two\"", "text"};
    two.status = kPending;
    two.updDate = PackDate(2005, 1, 6);
    quoted.sheets = {twelve, two};

    TVolumePlan withdrawn;
    withdrawn.company = "withdrawn gas";
    withdrawn.companyCode = 78;
    TSheetPlan gone;
    gone.sheetNo = "1";
    gone.lines = {"original sheet no. 1"};
    gone.status = kWithdrawn;
    withdrawn.sheets = {gone};

    std::string prime = BuildLibrary(env_, "/lib/db", GetParam(), {quoted, withdrawn});
    // What the builder does not set: type, refund flag, order date and
    // citation of sheet 12A; a bad date and a missing docket for sheet 2.
    Patch([](THdrRecord& r) {
      if (r[0] == kSheetRecord) {
        TSheetBody b = TSheetBody::Decode(r);
        if (b.sheetNo == "    12A ") {
          b.sheetType = 3;
          b.refundFlag = 1;
        } else if (b.sheetNo == "2       ") {
          b.updDate = kBadDate;
          b.docketPos = -1;
        }
        r = b.Encode();
      } else if (r[0] == kDocketRecord) {
        TDocketBody d = TDocketBody::Decode(r);
        d.orderDate = PackDate(2005, 3, 3);
        d.citevalue = TZoakCite{61, 1, 123, 92};
        r = d.Encode();
      }
    });
    // The builder stores names normalised; a library may hold them as filed.
    std::string& primeBytes = mem_.Bytes(prime);
    for (size_t at = 0; at + kPrimeRecordSize <= primeBytes.size(); at += kPrimeRecordSize) {
      TPrimeRecord r = TPrimeRecord::Decode(reinterpret_cast<const uint8_t*>(primeBytes.data()) + at);
      if (r.companyCode == 77) r.companyName = "joe \"best\" gas company  ";
      auto b = r.Encode();
      std::memcpy(primeBytes.data() + at, b.data(), b.size());
    }
    cluster_ = std::make_unique<TFileCluster>(env_, GetParam());
    ASSERT_TRUE(cluster_->Open(prime, false));
    cluster_->ReadAll();
  }

  void Patch(const std::function<void(THdrRecord&)>& change) {
    std::string& bytes = mem_.Bytes(std::string("/lib/db/") + (GetParam() ? "GZipHdr" : "TarHdr"));
    for (size_t at = 0; at + kHdrRecordSize <= bytes.size(); at += kHdrRecordSize) {
      THdrRecord r;
      std::memcpy(r.data(), bytes.data() + at, kHdrRecordSize);
      change(r);
      std::memcpy(bytes.data() + at, r.data(), kHdrRecordSize);
    }
  }

  TPrimeRef& VolumeOf(const std::string& storedName) {
    for (auto& v : cluster_->Volumes())
      if (TrimRight(v->storedName) == storedName) return *v;
    throw std::runtime_error("no volume " + storedName);
  }

  TMemFileSystem mem_;
  TScriptedPort port_;
  TEnv env_{mem_, port_};
  std::unique_ptr<TFileCluster> cluster_;
  TNoWithdrawn filter_;
};

// ---- the line format ---------------------------------------------------------------

TEST(DatabaseLineTest, DateFieldsAndQuotes) {
  EXPECT_EQ(DateField(0), "  Missing ");
  EXPECT_EQ(DateField(kBadDate), "00/00/19**");
  EXPECT_EQ(DateField(PackDate(2005, 12, 31)), "12/31/2005");
  EXPECT_EQ(DateField(PackDate(2005, 1, 5)), "  1/5/2005");
  EXPECT_EQ(QuoteDoubled("a \"b\" c"), "a \"\"b\"\" c");
  EXPECT_EQ(QuoteDoubled("\""), "\"\"");
  EXPECT_EQ(std::string(kDatabaseHeader) + "\r\n", kHeader);
}

TEST(DatabaseLineTest, AMissingDocketHasNoDatesAndAnEmptyCitation) {
  TSheetBody b;
  b.sheetNo = "5       ";
  b.sheetType = 10;
  b.status = kSuperseded;
  b.filingDate = PackDate(1999, 9, 9);
  b.updDate = PackDate(2000, 10, 10);
  TSheet sheet(b, nullptr, 3);
  sheet.AttachDocket(nullptr);  // the placeholder
  EXPECT_EQ(DatabaseLine("Co", "Vol", sheet, "Original Sheet No. 5"),
            "\"Co\",\"Vol\",\"10/10/2000\",\"5       \",10,\"Original Sheet No. 5\",\"N\",\"  9/9/1999\","
            "\"Superseded\",\"  Missing \",\"  Missing \",\" \",\"Docket missing\"\r\n");
}

TEST(DatabaseLineTest, ThePrefixOfTheSheetListAndTheRestMakeTheSameLine) {
  TSheetBody b;
  b.sheetNo = "  7 B   ";
  b.sheetType = 2;
  b.refundFlag = 9;
  TSheet sheet(b, nullptr, 3);
  sheet.AttachDocket(nullptr);
  const std::string company = "A \"Q\" Co", volume = "Vol \"1\"";
  // What the sheet list window's ExportList writes before the rest.
  std::string prefix = "\"" + QuoteDoubled(company) + "\",\"" + QuoteDoubled(volume) + "\",\"";
  EXPECT_EQ(prefix + DatabaseRestOfLine("Name", sheet) + "\r\n", DatabaseLine(company, volume, sheet, "Name"));
  EXPECT_EQ(DatabaseRestOfLine("Name", sheet),
            "  Missing \",\"  7 B   \",2,\"Name\",\"Y\",\"  Missing \",\"Pending\",\"  Missing \",\"  Missing \","
            "\" \",\"Docket missing\"");
}

// ---- exporting volumes -------------------------------------------------------------------

TEST_P(DatabaseExportTest, WritesTheHeaderAndOneExactLinePerSheetInListOrder) {
  Build();
  TDatabaseExport db(env_);
  std::string outputPath = "/out/db.txt";
  ASSERT_TRUE(db.OpenExport(outputPath, "/lib"));
  EXPECT_EQ(db.ExportVolume(VolumeOf("joe \"best\" gas company"), &filter_), 2u);
  EXPECT_EQ(db.ExportVolume(VolumeOf("Withdrawn Gas"), &filter_), 0u);  // nothing passes: no line
  EXPECT_TRUE(db.Finish());
  EXPECT_EQ(port_.messages.back(), "Saved to file /out/db.txt");
  EXPECT_EQ(mem_.Bytes("/out/db.txt"), kHeader + kLineTwo + kLineTwelve);
  EXPECT_FALSE(mem_.Exists("/out/db.txt.tmp~"));
  EXPECT_TRUE(port_.questions.empty());
}

TEST_P(DatabaseExportTest, EveryLineIsAValidQuotedRecordOfThirteenFields) {
  Build();
  TDatabaseExport db(env_);
  std::string outputPath = "/out/db.txt";
  ASSERT_TRUE(db.OpenExport(outputPath, "/lib"));
  db.ExportVolume(VolumeOf("joe \"best\" gas company"), nullptr);
  ASSERT_TRUE(db.Finish());
  std::string text = mem_.Bytes("/out/db.txt");
  size_t start = 0;
  int lines = 0;
  while (start < text.size()) {
    size_t end = text.find("\r\n", start);
    ASSERT_NE(end, std::string::npos);
    std::string line = text.substr(start, end - start);
    // A minimal CSV reader: quoted fields with "" inside, or bare fields.
    int fields = 0;
    size_t i = 0;
    while (true) {
      ++fields;
      if (i < line.size() && line[i] == '"') {
        ++i;
        while (true) {
          ASSERT_LT(i, line.size()) << line;
          if (line[i] == '"') {
            if (i + 1 < line.size() && line[i + 1] == '"') {
              i += 2;
              continue;
            }
            ++i;
            break;
          }
          ++i;
        }
      } else {
        while (i < line.size() && line[i] != ',') ++i;
      }
      if (i == line.size()) break;
      ASSERT_EQ(line[i], ',') << line;
      ++i;
    }
    EXPECT_EQ(fields, 13) << line;
    ++lines;
    start = end + 2;
  }
  EXPECT_EQ(lines, 3);
}

TEST_P(DatabaseExportTest, TheSheetListWindowMayProvideTheEntries) {
  Build();
  struct TSink : TExportListSink {
    TNamedSheets entries;
    int fills = 0;
    const TNamedSheets& FillForExport(THdrList& list) override {
      ++fills;
      entries.clear();
      TAuxList<T5Entry> issuers;
      TAuxList<T6Entry> dockets;
      list.FillNames(entries, issuers, dockets);
      entries.emplace_back("a copied line", nullptr);  // a line without a sheet adds nothing
      return entries;
    }
  } sink;
  TDatabaseExport db(env_);
  std::string outputPath = "/out/db.txt";
  ASSERT_TRUE(db.OpenExport(outputPath, "/lib"));
  EXPECT_EQ(db.ExportVolume(VolumeOf("joe \"best\" gas company"), &filter_, &sink), 2u);
  EXPECT_EQ(db.ExportVolume(VolumeOf("Withdrawn Gas"), &filter_, &sink), 0u);
  EXPECT_EQ(sink.fills, 1);  // an empty list is not shown
  db.WriteLine("\"extra\"");
  ASSERT_TRUE(db.Finish());
  EXPECT_EQ(mem_.Bytes("/out/db.txt"), kHeader + kLineTwo + kLineTwelve + "\"extra\"\r\n");
}

// ---- opening, finishing, failing -------------------------------------------------------------

TEST_P(DatabaseExportTest, WithoutAPathTheSaveDialogChoosesItAndItIsKept) {
  TDatabaseExport db(env_);
  std::string outputPath;
  port_.QueueFile("");
  EXPECT_FALSE(db.OpenExport(outputPath, "/lib"));
  EXPECT_EQ(port_.transcript.back(), "save: Save delimited file as: [/lib/Database.txt] -> ");
  EXPECT_TRUE(outputPath.empty());
  EXPECT_FALSE(mem_.Exists("/out/chosen.txt"));

  port_.QueueFile("/out/chosen.txt");
  ASSERT_TRUE(db.OpenExport(outputPath, "/lib"));
  EXPECT_EQ(outputPath, "/out/chosen.txt");
  ASSERT_TRUE(db.Finish());
  EXPECT_EQ(mem_.Bytes("/out/chosen.txt"), kHeader);

  // A second run writes the same file again without asking.
  size_t asked = port_.transcript.size();
  ASSERT_TRUE(db.OpenExport(outputPath, "/lib"));
  ASSERT_TRUE(db.Finish());
  EXPECT_EQ(port_.transcript.size(), asked + 1);  // only "Saved to file"
}

TEST_P(DatabaseExportTest, AFileThatCannotBeCreatedFailsOnOpen) {
  TDatabaseExport db(env_);
  std::string outputPath = "/nowhere/db.txt";
  EXPECT_FALSE(db.OpenExport(outputPath, "/lib"));
  EXPECT_EQ(port_.messages.back(), "Database export failed on open");
  EXPECT_FALSE(db.IsOpen());
  EXPECT_FALSE(db.Finish());
}

TEST_P(DatabaseExportTest, AnExistingFileIsReplacedOnlyWhenTheRunFinishes) {
  Build();
  mem_.WriteAll("/out/db.txt", "old");
  {
    TDatabaseExport db(env_);
    std::string outputPath = "/out/db.txt";
    ASSERT_TRUE(db.OpenExport(outputPath, "/lib"));
    db.ExportVolume(VolumeOf("joe \"best\" gas company"), nullptr);
    EXPECT_EQ(mem_.Bytes("/out/db.txt"), "old");
  }  // never finished
  EXPECT_EQ(mem_.Bytes("/out/db.txt"), "old");
  EXPECT_FALSE(mem_.Exists("/out/db.txt.tmp~"));
}

TEST_P(DatabaseExportTest, ADiskFullLeavesTheOldFileAndIsReported) {
  Build();
  mem_.WriteAll("/out/db.txt", "old");
  TFaultyFileSystem faulty(mem_);
  faulty.Inject({TFault::DiskFullAfter, "/out/db.txt.tmp~", kHeader.size() + 10, 0});
  TEnv env{faulty, port_};
  TDatabaseExport db(env);
  std::string outputPath = "/out/db.txt";
  ASSERT_TRUE(db.OpenExport(outputPath, "/lib"));
  db.ExportVolume(VolumeOf("joe \"best\" gas company"), nullptr);  // gathered, not yet written
  EXPECT_FALSE(db.Finish());
  EXPECT_EQ(port_.transcript.back(), "error: write failed");
  EXPECT_EQ(mem_.Bytes("/out/db.txt"), "old");
  EXPECT_FALSE(mem_.Exists("/out/db.txt.tmp~"));
}

TEST_P(DatabaseExportTest, LongExportsAreWrittenInChunks) {
  TVolumePlan big;
  big.company = "big gas";
  for (int i = 1; i <= 600; ++i) {
    TSheetPlan s;
    s.sheetNo = std::to_string(i);
    s.lines = {"original sheet no. " + std::to_string(i) + " with a long title to fill the line"};
    big.sheets.push_back(s);
  }
  std::string prime = BuildLibrary(env_, "/lib/big", GetParam(), {big});
  cluster_ = std::make_unique<TFileCluster>(env_, GetParam());
  ASSERT_TRUE(cluster_->Open(prime, false));
  cluster_->ReadAll();

  TFaultyFileSystem faulty(mem_);
  faulty.Inject({TFault::DiskFullAfter, "/out/db.txt.tmp~", 20000, 0});
  TEnv env{faulty, port_};
  TDatabaseExport db(env);
  std::string outputPath = "/out/db.txt";
  ASSERT_TRUE(db.OpenExport(outputPath, "/lib"));
  // 600 lines of about 170 bytes pass the chunk size: the write fails during the volume.
  EXPECT_THROW(db.ExportVolume(*cluster_->Volumes()[0], nullptr), EInOutError);
  EXPECT_FALSE(db.Finish());
  EXPECT_FALSE(mem_.Exists("/out/db.txt"));
  EXPECT_FALSE(mem_.Exists("/out/db.txt.tmp~"));
}

// ---- a Database run through the volume list ---------------------------------------------------

class TDatabaseSteps : public TRunSteps {
 public:
  TDatabaseSteps(TDatabaseExport& db, std::string& outputPath, const TSheetFilter* filter)
      : db_(db), outputPath_(outputPath), filter_(filter) {}
  bool Prepare(TFromDisplay&) override { return db_.OpenExport(outputPath_, "/lib"); }
  bool EachVolume(TFromDisplay&, size_t, TPrimeRef& volume) override {
    db_.ExportVolume(volume, filter_);
    return true;
  }
  void Finish(TFromDisplay&) override { db_.Finish(); }

 private:
  TDatabaseExport& db_;
  std::string& outputPath_;
  const TSheetFilter* filter_;
};

TEST_P(DatabaseExportTest, ADatabaseRunExportsTheMarkedVolumes) {
  Build();
  TFromDisplay list(env_);
  list.Fill(*cluster_);
  TDatabaseExport db(env_);
  std::string outputPath = "/out/run.txt";
  TDatabaseSteps steps(db, outputPath, &filter_);
  list.SetRunSteps(&steps);
  list.SelectAll();
  EXPECT_EQ(list.Go(), TGoResult::Ran);
  EXPECT_EQ(port_.messages.back(), "Saved to file /out/run.txt");
  EXPECT_EQ(mem_.Bytes("/out/run.txt"), kHeader + kLineTwo + kLineTwelve);

  // A run whose file cannot be created does nothing more.
  outputPath = "/nowhere/run.txt";
  EXPECT_EQ(list.Go(), TGoResult::NotPrepared);
  EXPECT_EQ(port_.messages.back(), "Database export failed on open");
}

INSTANTIATE_TEST_SUITE_P(BothForms, DatabaseExportTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Compressed" : "Uncompressed"; });

}  // namespace
}  // namespace vorne::testing
