// The whole library an import writes, pinned byte for byte: the sample
// filings (and an awkward hand-made one) imported into a fresh library, then
// imported a second time into the same library (every sheet a duplicate on
// disk), in both library kinds. The digests were taken from a known good
// import; a change to any byte of the prime, header or text file, or to any
// line of an error log or the port's transcript, shows here.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "filings/FilingImport.h"
#include "store/Cluster.h"
#include "store/Common.h"
#include "support/BothWriters.h"
#include "support/MemFileSystem.h"
#include "support/ScriptedPort.h"

namespace vorne::testing {
namespace {

namespace fsys = std::filesystem;

fsys::path SamplesDir() { return fsys::path(__FILE__).parent_path().parent_path().parent_path() / "samples"; }

std::vector<std::pair<std::string, std::string>> SampleFilings() {
  std::vector<std::pair<std::string, std::string>> files;
  for (const auto& e : fsys::directory_iterator(SamplesDir())) {
    std::ifstream f(e.path(), std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    files.emplace_back(e.path().filename().string(), s.str());
  }
  std::sort(files.begin(), files.end());
  return files;
}

// A filing of the odd corners of the format: bare LF and CR LF endings, no
// final line end, NULs and form feeds, overlong records and text lines,
// lines to wrap with and without blanks, sheets beyond 118 lines, ranges
// that miss, records out of order and of every wrong length.
std::string AwkwardFiling() {
  std::string t;
  auto line = [&](const std::string& l, const char* end = "\r\n") { t += l + end; };
  line("TF00RP99-1-000          070406");
  line("TF01000777070406ODDMENTS GAS TRANSMISSION, L.L.C.", "\n");
  line("TF02 12 00 FIRST REVISED VOLUME NO. 12");
  line("TF05Pat Q. Issuer, Vice President");
  line("TF06070406000000COMPLY RP99-0        080106");
  line("TF0712345678901234567890123456789012345678901204 5 12306");
  line("TF03       1  1 0 1P126FIRST REVISED SHEET NO. 1 and some more words beyond");
  line("TF04       1      10SECOND TITLE LINE OF SHEET ONE, CUT AFTER FORTY CHARS");
  line(std::string("\fText with a form feed") + std::string(3, '\0') + "   ");
  line(std::string(300, 'x'));
  line(std::string(10, ' ') + [] {
    std::string w;
    for (int i = 0; i < 40; ++i) w += "word" + std::to_string(i) + " ";
    return w;
  }());
  line(std::string(249, 'y') + "   ");
  line(std::string(260, 'z') + "   ");
  line("");
  line("\tTabbed line\t");
  line("TF03      2A  0 1 2L156ORIGINAL SHEET NO. 2A ALT");
  for (int i = 0; i < 130; ++i) line(i % 7 == 0 ? "" : "line " + std::to_string(i), i % 2 ? "\n" : "\r\n");
  line("TF03      20  3 0 3X109THIRD REVISED SHEET NO. 21");
  line("TF04      30      40");
  line(std::string(120, '-'));
  for (int i = 0; i < 60; ++i) line(std::string(100, 'q'));
  line("TF03      21  0 0 4P 76");
  line("TF03      22  0 0 4P106ORIGINAL SHEET NO. 22");
  line("TF08 not a record");
  line("TF0");
  line("TF0x");
  line("TF03");
  line("TF04");
  line("TF07");
  line("TF01123");
  line("TF03      23  0 0 4P106ORIGINAL SHEET NO. 23");
  line("text after a dropped sheet");
  line("TF03      24  0 0 4P106first revised sheet no. 24");
  line("lower case title");
  line("TF03      25  0 0 4P106FIRST REVISED SHEET NO. 24");
  line("duplicate title, letter case ignored");
  line("TF03          0 0 4P106BLANK NUMBER");
  line("rejected");
  line("TF02 12 XX                                   ");
  line("TF07");
  line("TF0731");
  line("TF03      26  0 0 4P106ORIGINAL SHEET NO. 26");
  line("TF0");
  line("TF00                    000000");
  line("TF03      27  0 0 4P106OUT OF ORDER");
  line("TF01000888070406SECOND COMPANY");
  line("TF02 2  000SECOND VOLUME");
  line("TF03      30  0 0 4P106ORIGINAL SHEET NO. 30");
  t += "last line without an end";
  return t;
}

std::string Hex(uint32_t v) {
  char b[9];
  std::snprintf(b, sizeof b, "%08x", v);
  return b;
}

std::string Digest(const std::string& bytes) {
  uLong c = crc32(0L, Z_NULL, 0);
  c = crc32(c, reinterpret_cast<const Bytef*>(bytes.data()), uInt(bytes.size()));
  return std::to_string(bytes.size()) + ":" + Hex(uint32_t(c));
}

class ImportGoldenTest : public ::testing::Test {
 protected:
  ImportGoldenTest() { SetTodayForTesting(TDate{2006, 3, 4}); }
  ~ImportGoldenTest() override { SetTodayForTesting(std::nullopt); }

  // Imports every filing into /lib, in order; the logs and the port's
  // transcript go into one text.
  void ImportAll(bool compressed, const std::vector<std::pair<std::string, std::string>>& filings) {
    for (const auto& [name, text] : filings) {
      TFileCluster out(env_, compressed);
      TOutputMode mode;
      const std::string prime = compressed ? "/lib/GZPrime" : "/lib/Prime4";
      if (fs_.Exists(prime))
        mode.append = true;
      else
        mode.rewrite = true;
      out.SetOutputMode(&mode);
      ASSERT_TRUE(out.Open(prime, true));
      out.ReadAll();
      toDisplay_.SetOutput(out);
      TAddFilings run(env_, nullptr, &toDisplay_, nullptr);
      run.ImportText(out, text, name);
      out.CloseBuffer();
      out.CloseHdr();
      out.FlushNew();
      logs_ += "== " + name + " " + std::to_string(run.SheetsAdded()) + "\n";
      for (const auto& l : run.ErrorBox()) logs_ += l + "\n";
      logs_ += toDisplay_.ListText();
    }
    for (const auto& l : port_.transcript) logs_ += l + "\n";
  }

  // "name size:crc" for every file of /lib and for the logs.
  std::string Digests() {
    std::string d;
    auto names = fs_.List("/lib");
    std::sort(names.begin(), names.end());
    for (const auto& n : names) d += n + " " + Digest(fs_.ReadAll("/lib/" + n)) + "\n";
    d += "log " + Digest(logs_) + "\n";
    return d;
  }

  std::vector<std::pair<std::string, std::string>> Filings() {
    auto files = SampleFilings();
    EXPECT_EQ(files.size(), 18u) << SamplesDir();
    files.emplace_back("ODD.ASC", AwkwardFiling());
    return files;
  }

  TMemFileSystem fs_;
  TScriptedPort port_;
  TEnv env_{fs_, port_};
  TToDisplay toDisplay_;
  std::string logs_;
};

// Uncompressed, with full windows written on the writer's second thread or in
// place: the same bytes either way.
class ImportGoldenWriteBehind : public TBothWriters<ImportGoldenTest> {};

INSTANTIATE_TEST_SUITE_P(Writer, ImportGoldenWriteBehind, ::testing::Values(false, true), WriterName);

TEST_P(ImportGoldenWriteBehind, UncompressedLibraryIsByteForByteAsBefore) {
  ASSERT_TRUE(fs_.MakeDir("/lib"));
  const auto filings = Filings();
  ImportAll(false, filings);
  // The awkward filing reaches the paths that rewrite text and log.
  for (const char* m : {"   Word Wrap performed, line too long", " Lost\n", "   ** Bad TF04 **",
                        "   Duplicate Sheet in input: ", "   Blank SheetNo field, sheet rejected ",
                        "   Orientation of X is in error", "  8 lines per inch substituted", "Null TF: ",
                        "   Wrong Length Record", "This is not a tariff record", " *** out of order **",
                        "Conversion error in "})
    EXPECT_NE(logs_.find(m), std::string::npos) << m;
  EXPECT_EQ(Digests(), "Prime 910:8bdef301\nPrime4 960:dd14cf7e\nTarDBF 422144:23cbad01\nTarHdr 29754:d89fa80c\nlog 26441:f47d7427\n");
  ImportAll(false, filings);  // everything again: duplicates on disk, appended chains
  EXPECT_NE(logs_.find("   Duplicate Sheet on Disk: "), std::string::npos);
  EXPECT_EQ(Digests(), "Prime 910:8bdef301\nPrime4 960:dd14cf7e\nTarDBF 422144:23cbad01\nTarHdr 29754:d89fa80c\nlog 79759:5d553506\n");
}

TEST_F(ImportGoldenTest, CompressedLibraryIsByteForByteAsBefore) {
  ASSERT_TRUE(fs_.MakeDir("/lib"));
  const auto filings = Filings();
  ImportAll(true, filings);
  EXPECT_EQ(Digests(), "GZPrime 960:dd14cf7e\nGZipDBF 57272:2430c10a\nGZipHdr 29754:e278a060\nlog 26441:f47d7427\n");
  ImportAll(true, filings);
  EXPECT_EQ(Digests(), "GZPrime 960:dd14cf7e\nGZipDBF 57962:e589cc5c\nGZipHdr 29754:e278a060\nlog 79759:5d553506\n");
}

}  // namespace
}  // namespace vorne::testing
