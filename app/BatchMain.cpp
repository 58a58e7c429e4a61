// vorne-batch: runs the command-line keyword language without any window.
// The run always starts (as if GO); messages go to stderr; questions are
// answered by the keywords that decide them, or declined with the safe
// answer. Exit status: 0 the run completed, 1 it failed or was refused,
// 2 a usage problem (no library, a missing output, an unusable value).
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "filings/AddRun.h"
#include "shell/BatchPort.h"
#include "shell/MainUnit.h"
#include "store/Errors.h"
#include "store/FileSystem.h"

namespace vorne {
namespace {

constexpr int kOk = 0, kFailed = 1, kUsage = 2;

const char kHelp[] =
    "usage: vorne-batch KEYWORD [VALUE] ...\n"
    "\n"
    "Runs one mode over a tariff library without windows and exits:\n"
    "0 when the run completed, 1 when it failed or was refused, 2 on a usage problem.\n"
    "Keywords are matched without case on their first 12 characters; values keep\n"
    "their case. Paths take \\ or / and drive letters (D:\\x maps to <drives>/D/x).\n"
    "\n"
    "Library and output:\n"
    "  FROM <folder|prime file> [UNZIP]  the library to open (UNZIP: uncompressed, Prime4)\n"
    "  <file>.vorne                      as the only argument: open that prime file\n"
    "  TO <folder|file> [UNZIP]          the output: a file for DATA, a library folder for COPY\n"
    "  ADDFROM <folder|file> TO <folder> Add New Filing: the file, or every *.?SC filing of\n"
    "                                    the folder in name order, into the uncompressed\n"
    "                                    library (ADD or REPLACE if it exists); error logs\n"
    "                                    are saved beside it; prints the volume list\n"
    "  FROMFOLDER|FROMALL|FROMDIR <root> Multiple In: the libraries below root\n"
    "  VOLSTO <file>                     write the volume list export (every mode)\n"
    "  EXCEPT <file>                     leave out the companies named in file, one a line\n"
    "  DRIVES <folder>                   the folder that drive letters map under\n"
    "                                    (default ~/vorne-drives)\n"
    "\n"
    "Modes:\n"
    "  BROWSE    print each loaded volume and its sheet list on stdout\n"
    "  DATA      Database: the delimited export of the selected sheets into TO <file>\n"
    "  COPY  SCAN|WHEN  PRINT  HTML  HTMLALL  TEST  ERRORS\n"
    "            (modes whose runs are not part of this build say so and exit 1)\n"
    "\n"
    "Volumes:\n"
    "  ALL                               every volume of the library\n"
    "  ID <code>[,<code>...]             the volumes of these company IDs\n"
    "  RECENT <days|ALL>                 sheets updated in the last days (SCAN: volumes)\n"
    "\n"
    "Sheets:\n"
    "  EFFECTIVE  PENDING  CURRENT  ARCHIVE   status selection\n"
    "\n"
    "Other words:\n"
    "  ADD       answers \"Add to existing file\" with Yes (Merge)\n"
    "  REPLACE   answers it with No, then \"Delete and rewrite these files?\" with Yes\n"
    "  SPLIT     one output library per company ID\n"
    "  GO  EXPRESS  UNZIP  QARLMIDEX  =...   accepted (the run always starts)\n"
    "\n"
    "Any other question is declined with its safe answer (Cancel or No); stderr\n"
    "says which question it was and which keyword would answer it. File dialogs are\n"
    "never shown: give the keyword that names the file.\n"
    "\n"
    "  --help     this text\n"
    "  --version  the program's version\n";

// The volume list with every column, one row a line, tab-separated.
void PrintVolumeList(const TFromDisplay& list) {
  for (const TVolumeRow& r : list.Rows()) {
    std::string line = r.caption;
    for (const std::string& c : r.columns) line += "\t" + c;
    std::printf("%s\n", line.c_str());
  }
}

bool NeedsLibrary(TRunMode mode) { return mode != TRunMode::AddNewFiling; }

int Run(const std::vector<std::string>& args) {
  TBatchPort port;
  TEnv env{RealFileSystem(), port};
  TMain main(env);
  TRunState& st = main.State();
  if (!main.ParseCommandLine(args)) return kUsage;
  st.AutoGo = true;

  if (st.AddFlag) {
    port.SetAnswer("Add to existing file", TAnswer::Yes);
  } else if (st.ReplaceFlag) {
    port.SetAnswer("Add to existing file", TAnswer::No);
    port.SetAnswer("Delete and rewrite these files?", TAnswer::Yes);
  }
  port.SetHint("Add to existing file", "ADD or REPLACE");
  port.SetHint("Delete and rewrite these files?", "REPLACE");

  if (NeedsLibrary(st.RunMode) && st.FromPrimePath.empty() && !st.MultiSourceRequested) {
    std::fprintf(stderr, "no library to open: give FROM <library folder>\n");
    return kUsage;
  }
  const bool adding = st.RunMode == TRunMode::AddNewFiling;
  if (adding) {
    if (st.ToDir.empty()) {
      std::fprintf(stderr, "Add New Filing needs the library to add to: give TO <library folder>\n");
      return kUsage;
    }
    // TO may stand before ADDFROM, when the mode did not yet name the prime file.
    if (st.ToPrimePath.empty()) st.ToPrimePath = AppendName(st.ToDir, kPlainPrime);
    main.SetModeRun(TRunMode::AddNewFiling, std::make_unique<TAddFilingRun>(true));
  }
  if (st.RunMode == TRunMode::Database && st.OutputPath.empty()) {
    std::fprintf(stderr, "the Database export needs a file: give TO <file>\n");
    return kUsage;
  }
  if (::isatty(2)) {
    main.onVolume = [](size_t i, size_t n, TPrimeRef& v) {
      std::fprintf(stderr, "\r[%zu/%zu] %-60.60s", i + 1, n, v.record.companyName.c_str());
      std::fflush(stderr);
    };
  }

  const bool go = main.Start();
  if (NeedsLibrary(st.RunMode) && !st.Loaded) return kFailed;  // the reason is already on stderr
  if (!adding && main.VolumeList().MarkedCount() == 0)
    std::fprintf(stderr, "warning: no volume is selected: give ALL or ID <code>\n");
  TGoResult result = TGoResult::NotPrepared;
  if (go) {
    result = main.RunNow();
    if (main.onVolume) std::fprintf(stderr, "\n");
  } else {
    std::fprintf(stderr, "the run could not start\n");
  }

  if (adding && result == TGoResult::Ran) PrintVolumeList(main.VolumeList());
  if (!adding && st.RunMode == TRunMode::Browse && result == TGoResult::Ran)
    std::fputs(main.SheetList().CopySheetListClick().c_str(), stdout);
  if (!st.VolsToPath.empty() && !main.VolumeList().SendList(st.VolsToPath)) return kFailed;
  if (result != TGoResult::Ran || port.ErrorCount() > 0) return kFailed;
  return kOk;
}

}  // namespace
}  // namespace vorne

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  for (const std::string& a : args) {
    if (a == "--help" || a == "-h") {
      std::fputs(vorne::kHelp, stdout);
      return 0;
    }
    if (a == "--version") {
      std::printf("vorne-batch %s\n", VORNE_VERSION);
      return 0;
    }
  }
  try {
    return vorne::Run(args);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "error: %s\n%s\n", e.what(), vorne::kRunFault);
    return 1;
  }
}
