// Writes a small demo library of pipeline tariffs: a few companies, their
// volumes and sheets in several revisions, with tariff-like text. The same
// seed always gives the same library.
//
// usage: make-demo-library <folder> [UNZIP]
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "store/Common.h"
#include "store/FileSystem.h"
#include "support/LibraryBuilder.h"
#include "support/ScriptedPort.h"

using namespace vorne;
using namespace vorne::testing;

namespace {

struct TCompany {
  uint32_t code;
  const char* name;
  const char* officer;
  const char* docketPrefix;
};

const TCompany kCompanies[] = {
    {1032, "NORTHERN PLAINS NATURAL GAS COMPANY", "R. A. MCDONALD, VICE PRESIDENT", "RP"},
    {2218, "GULF COAST TRANSMISSION CORPORATION", "JANE M. ORTEGA, DIRECTOR RATES", "TM"},
    {4507, "CASCADE LNG STORAGE, LLC", "PETER J. WALSH, GENERAL MANAGER", "CP"},
    {310, "ANR STORAGE COMPANY", "THOMAS E. KING, SENIOR COUNSEL", "RP"},
    {78211, "MOUNTAIN VALLEY GAS PIPELINE, LP", "SUSAN L. PEARCE, TARIFF ADMINISTRATOR", "GT"},
};

const char* kSchedules[] = {"FT-1", "IT-1", "FSS", "ISS", "PAL", "NNS"};

std::vector<std::string> SheetText(const std::string& title, int sheet, int rev, std::mt19937& rng) {
  std::vector<std::string> lines = {title};
  const char* schedule = kSchedules[sheet % 6];
  std::uniform_int_distribution<int> cents(1000, 9999);
  lines.push_back("");
  lines.push_back("                         RATE SCHEDULE " + std::string(schedule));
  lines.push_back("              " + std::string(sheet % 2 ? "FIRM" : "INTERRUPTIBLE") +
                  " TRANSPORTATION SERVICE");
  lines.push_back("");
  lines.push_back("  1. AVAILABILITY");
  lines.push_back("     This Rate Schedule is available to any Shipper that has executed a");
  lines.push_back("     Service Agreement with Transporter under this Rate Schedule.");
  lines.push_back("");
  lines.push_back("  2. RATES                                   Maximum      Minimum");
  lines.push_back("     Reservation Charge (per Dth/month)      $" + std::to_string(cents(rng) / 1000) + "." +
                  std::to_string(cents(rng) % 1000 + 1000).substr(1) + "       $0.0000");
  lines.push_back("     Commodity Charge (per Dth)              $0." + std::to_string(cents(rng)) + "      $0.0" +
                  std::to_string(cents(rng) % 900 + 100));
  lines.push_back("     Fuel Reimbursement Percentage           " + std::to_string(1 + rev % 3) + "." +
                  std::to_string(rev * 7 % 10) + "%");
  lines.push_back("");
  lines.push_back("  3. Rates are subject to adjustment pursuant to Section " + std::to_string(20 + sheet % 9) +
                  " of the General Terms");
  lines.push_back("     and Conditions of this Tariff.");
  return lines;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <folder> [UNZIP]\n", argv[0]);
    return 2;
  }
  const bool compressed = !(argc > 2 && UpperCase(argv[2]) == "UNZIP");
  std::mt19937 rng(20261209);
  std::vector<TVolumeSpec> volumes;
  for (const TCompany& c : kCompanies) {
    for (int vol = 1; vol <= (c.code % 2 ? 2 : 1); ++vol) {
      TVolumeSpec v;
      v.companyCode = c.code;
      v.company = c.name;
      v.volId = std::to_string(vol);
      v.volumeName = vol == 1 ? "FERC Gas Tariff, Second Revised Volume No. 1" : "Original Volume No. 2";
      int sheets = 8 + int(rng() % 12);
      for (int s = 1; s <= sheets; ++s) {
        int revisions = 1 + int(rng() % 3);
        for (int r = 0; r < revisions; ++r) {
          TSheetSpec spec;
          spec.sheetNo = std::to_string(s * 2 + (vol - 1) * 100) + (s % 7 == 0 ? "A" : "");
          spec.rev = r;
          std::string title = (r == 0 ? "Original" : RevisionWord(r) + " Revised") + " Sheet No. " + spec.sheetNo;
          spec.lines = SheetText(title, s, r, rng);
          spec.status = r + 1 == revisions ? (s % 5 == 0 ? kPending : kEffective) : kSuperseded;
          int year = 1996 + r * 3 + int(rng() % 3);
          spec.filingDate = PackDate(year, 1 + int(rng() % 12), 1 + int(rng() % 28));
          spec.updDate = PackDate(year, 12, 31);
          spec.effectiveDate = PackDate(year + 1, 1 + int(rng() % 12), 1);
          spec.issuer = c.officer;
          spec.docket = std::string(c.docketPrefix) + std::to_string(year % 100) + "-" + std::to_string(1 + s % 40) +
                        "-000";
          spec.orientation = s % 9 == 0 ? 'L' : 'P';
          v.sheets.push_back(spec);
        }
      }
      volumes.push_back(v);
    }
  }
  TScriptedPort port;
  TEnv env{RealFileSystem(), port};
  try {
    std::string prime = BuildLibrary(env, argv[1], compressed, volumes);
    std::printf("%s\n", prime.c_str());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "cannot write the demo library: %s\n", e.what());
    return 1;
  }
  return 0;
}
