// vorne-batch: runs the command-line keyword language without any window.
// The run always starts (as if GO); messages go to stderr; questions are
// answered by the keywords that decide them, or declined with the safe
// answer. Exit status: 0 the run completed, 1 it failed or was refused,
// 2 a usage problem (no library, a missing output, an unusable value).
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "filings/Verifier.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "sheets/Listing.h"
#include "sheets/SheetPrinter.h"
#include "shell/AddRun.h"
#include "shell/BasicRuns.h"
#include "shell/BatchPort.h"
#include "shell/CompareRun.h"
#include "shell/CopyRuns.h"
#include "shell/DeleteRuns.h"
#include "shell/FindRun.h"
#include "shell/Main.h"
#include "shell/Modes.h"
#include "shell/MultipleIn.h"
#include "shell/ScanUpdates.h"
#include "store/Common.h"
#include "store/Errors.h"
#include "store/Prime.h"
#include "volumes/HtmlIncludes.h"
#ifdef VORNE_PDF
#include "gui/PrintCanvas.h"
#endif

namespace vorne {
namespace {

constexpr int kOk = 0, kFailed = 1, kUsage = 2;

const char kHelp[] =
    "usage: vorne-batch KEYWORD [VALUE] ...\n"
    "\n"
    "Runs one mode over a tariff library without windows and exits.\n"
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
    "  FROMFOLDER|FROMALL|FROMDIR <root> Multiple In, with COPY: every library below\n"
    "                                    root is copied into the one output\n"
    "  VOLSTO <file>                     write the volume list export (every mode)\n"
    "  EXCEPT <file>                     leave out the companies named in file, one a line\n"
    "  DRIVES <folder>                   the folder that drive letters map under\n"
    "                                    (default ~/vorne-drives)\n"
    "\n"
    "Modes:\n"
    "  BROWSE    print each loaded volume and its sheet list on stdout\n"
    "  DATA      Database: the delimited export of the selected sheets into TO <file>\n"
    "  SCAN|WHEN Scan Updates: the volumes whose sheets were updated since RECENT\n"
    "            (every volume without RECENT) go to stdout and to the report,\n"
    "            TO <folder>/PRIME4 gives <folder>/AllUpdts.txt, else\n"
    "            D:\\webvorne\\allupdts.txt; HTMLALL SCAN writes the packing batch\n"
    "            file ZIPPEM.Bat of those companies instead (into TO <folder>, else\n"
    "            the library folder)\n"
    "  NAMES     Verify: the sheets whose names disagree with their numbers and\n"
    "            revisions go to stdout and to Verify.Txt in the current folder\n"
    "  TEST      the header record listing of every record (expert) on stdout\n"
    "  ERRORS    the listing of suspicious records and the sheets using them\n"
    "  HTML      publish the selected volumes as a web site into TO <folder>\n"
    "            (made when missing); prints the path of its index.htm\n"
    "  HTMLALL   as HTML\n"
    "  PRINT     Print to File: one <code>.PRN file per company into TO <folder>,\n"
    "            or every sheet into one file when TO names a file (has a \".\")\n"
    "  COPY      copy the selected sheets into the library TO <folder> (compressed;\n"
    "            TO <folder> UNZIP for an uncompressed one): new volumes are added,\n"
    "            stored ones merged without copying a stored title again; the copy\n"
    "            log Copylog.csv is saved in the output; false duplicates are saved\n"
    "            as DupLogs.txt in TO <folder> and its path printed. With SPLIT one\n"
    "            library per company code below TO <folder>, plus zippem.bat and the\n"
    "            download page index.htm there. With FROMFOLDER <root> every library\n"
    "            folder below root is copied into the one output. A docket mismatch\n"
    "            or a missing type 6 record stops the merge of that volume (Abort)\n"
    "  Words marked (batch only) are read by vorne-batch alone; vorne ignores them\n"
    "  PDF       (batch only) Browse the selection and print its sheets into one PDF,\n"
    "            TO <file>.pdf: one letter page per sheet, portrait or landscape as\n"
    "            the sheet asks, laid out as the printed sheet. 50 to 300 sheets\n"
    "            need a narrowing selection (a status selection without Superseded\n"
    "            and Pending, or fewer than 5 dockets), more than 300 are refused;\n"
    "            NOLIMIT (batch only) lifts both limits. No display is needed. The list\n"
    "            goes to stdout, the count of pages to stderr\n"
    "  FIND <query>  (batch only) the sheets whose text holds query, one\n"
    "            tab-separated line each (code, company, volume, sheet, status,\n"
    "            effective date, snippet with the hits in [brackets]) in Browse\n"
    "            order; the volumes of ALL or ID and the status keywords narrow it\n"
    "            (no ALL or ID: the whole library).\n"
    "            query: words (all must occur), \"a phrase\", prefix*, a OR b; case is\n"
    "            ignored. An index in $XDG_CACHE_HOME/vorne (~/.cache/vorne) is kept\n"
    "            current. Exit 0 with a hit, 1 with none, 2 for a query it cannot read\n"
    "  COMPARE   (batch only) Browse the selection and write, for each sheet that\n"
    "            has an older version (the next lower revision of its number in its\n"
    "            volume, not Deleted), what changed as a unified diff into TO <file> (UTF-8,\n"
    "            3 lines of context, headed \"--- <code> <volume> | <sheet name>\"),\n"
    "            which patch applies to the older text; written also when no sheet\n"
    "            has an older version\n"
    "  DELETE VOLUMES  (batch only) delete the marked volumes (ID <code>[,...] or ALL):\n"
    "            the prime file is written again without them (the header and text\n"
    "            files keep their records); the remaining volumes go to stdout.\n"
    "            Asks \"Press OK to delete marked company tariff volumes\"\n"
    "  DELETE SHEETS   (batch only) mark the selected sheets (the Sheets keywords) of\n"
    "            the marked volumes Deleted and lower the volumes' sheet counts.\n"
    "            Asks \"Mark these <n> sheets Deleted\" for each volume\n"
    "            The questions of DELETE are answered only by YES; without it\n"
    "            they are declined, nothing changes and the exit status is 1\n"
    "\n"
    "Volumes and sheets:\n"
    "  ALL                               every volume of the library\n"
    "  ID <code>[,<code>...]             the volumes of these company IDs\n"
    "  RECENT <days|ALL>                 sheets updated in the last days (SCAN: volumes)\n"
    "  EFFECTIVE  PENDING  CURRENT  ARCHIVE   status selection\n"
    "\n"
    "Answers and options:\n"
    "  ADD          answers \"Add to existing file\" with Yes (Merge)\n"
    "  REPLACE      answers it with No, then \"Delete and rewrite these files?\" with Yes\n"
    "  SPLIT        COPY: one output library per company ID\n"
    "  YES          (batch only) answers the questions of DELETE with OK\n"
    "  NOLIMIT      (batch only) PDF: print however many sheets are selected\n"
    "  DETAILS      (batch only) TEST, ERRORS: full sheet lines and headings (\"Details\")\n"
    "  NOTYPE5      (batch only) ERRORS: do not check sheets' issuer pointers (\"type 5\" off)\n"
    "  NOTYPE6      (batch only) ERRORS: do not check sheets' docket pointers (\"type 6\" off)\n"
    "  SHOWDOCKETS  (batch only) ERRORS with NOTYPE6: list the dockets of the sheets found\n"
    "               instead of the sheets (\"Show Dockets\")\n"
    "  PRIMEDATES   (batch only) SCAN with QARLMIDEX, which asks \"Update primerec dates\": answers\n"
    "               Yes, each volume's Updated date becomes its latest sheet update\n"
    "               and the prime file is rewritten (default: No)\n"
    "  GO  EXPRESS  UNZIP  QARLMIDEX  =...   accepted (the run always starts)\n"
    "\n"
    "Any other word is ignored, and stderr says so. Any other question is declined\n"
    "with its safe answer (Cancel or No); stderr says which question it was and\n"
    "which keyword would answer it. File dialogs are never shown: give the keyword\n"
    "that names the file. A run that would write no sheet (DATA, COPY, PDF with\n"
    "nothing selected) writes nothing and exits 1.\n"
    "\n"
    "Examples, one a mode:\n"
    "  vorne-batch ADDFROM filings TO lib                  import filings (Add New Filing)\n"
    "  vorne-batch FROM lib UNZIP ID 902 BROWSE           list a company's sheets\n"
    "  vorne-batch FROM lib UNZIP ALL EFFECTIVE COPY TO out   copy into a compressed library\n"
    "  vorne-batch FROM lib UNZIP SCAN RECENT 7           volumes updated this week\n"
    "  vorne-batch FROM lib UNZIP ALL NAMES               sheet names that disagree\n"
    "  vorne-batch FROM lib UNZIP ALL TEST                the header record listing\n"
    "  vorne-batch FROM lib UNZIP ALL ERRORS              suspicious header records\n"
    "  vorne-batch FROM lib UNZIP ALL DATA TO sheets.txt  the delimited export\n"
    "  vorne-batch FROM lib UNZIP ALL HTML TO site        publish a web site\n"
    "  vorne-batch FROM lib UNZIP ALL PRINT TO text       one .PRN file per company\n"
    "  vorne-batch FROM lib UNZIP ID 902 PDF TO sheets.pdf   print sheets into a PDF\n"
    "  vorne-batch FROM lib UNZIP ID 902 DELETE VOLUMES YES  delete a volume\n"
    "  vorne-batch FROM lib UNZIP FIND \"fuel retention\"   the sheets that say it\n"
    "  vorne-batch FROM lib UNZIP ALL COMPARE TO changes.diff   what changed, as diffs\n"
    "\n"
    "Exit status: 0 the run completed, 1 it failed, was refused or wrote nothing,\n"
    "2 a usage problem. More in man vorne-batch.\n"
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

// Options of this program alone, taken out before the keyword language reads
// the rest (a value after a keyword that takes one is left alone).
enum class TDeleteKind { None, Volumes, Sheets };

struct TBatchOptions {
  bool details = false, noType5 = false, noType6 = false, showDockets = false, primeDates = false;
  bool pdf = false, noLimit = false;
  std::string pdfPath;  // the value of TO with PDF
  bool compare = false;
  std::string comparePath;  // the value of TO with COMPARE
  TDeleteKind deleting = TDeleteKind::None;
  bool yes = false;   // the questions of DELETE are answered OK
  bool finding = false;
  std::string findQuery;  // the value of FIND
  std::string error;  // a usage problem found here
};

std::vector<std::string> TakeBatchOptions(const std::vector<std::string>& args, TBatchOptions& o) {
  auto takesValue = [](const std::string& word) {
    for (const TKeywordInfo& k : CommandLineKeywords())
      if (k.value && !k.batchOnly && word == k.word) return true;
    return false;
  };
  std::vector<std::string> rest;
  bool value = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    std::string w = UpperCase(a);
    if (!value && w == "DELETE") {
      // Deleting is reachable only through the explicit pair of words.
      const std::string what = i + 1 < args.size() ? UpperCase(args[i + 1]) : "";
      if (what != "VOLUMES" && what != "SHEETS") {
        o.error = "DELETE must be followed by VOLUMES or SHEETS";
        return rest;
      }
      o.deleting = what == "VOLUMES" ? TDeleteKind::Volumes : TDeleteKind::Sheets;
      ++i;
      continue;
    }
    if (!value && w == "FIND") {
      if (i + 1 >= args.size()) {
        o.error = "FIND must be followed by what to find";
        return rest;
      }
      o.finding = true;
      o.findQuery = args[++i];
      continue;
    }
    if (!value && w == "YES") {
      o.yes = true;
      continue;
    }
    if (!value) {
      bool* flag = w == "DETAILS"       ? &o.details
                   : w == "NOTYPE5"     ? &o.noType5
                   : w == "NOTYPE6"     ? &o.noType6
                   : w == "SHOWDOCKETS" ? &o.showDockets
                   : w == "PRIMEDATES"  ? &o.primeDates
                   : w == "PDF"         ? &o.pdf
                   : w == "NOLIMIT"     ? &o.noLimit
                   : w == "COMPARE"     ? &o.compare
                                        : nullptr;
      if (flag) {
        *flag = true;
        continue;
      }
    }
    rest.push_back(a);
    value = !value && takesValue(w.substr(0, kKeywordWidth));
  }
  if (o.pdf && o.compare) o.error = "PDF and COMPARE cannot be given together";
  if (!o.pdf && !o.compare) return rest;
  // PDF and COMPARE are Browses whose TO names the file to write rather than an output library.
  // Browse comes first: choosing it clears a status selection given before it.
  std::vector<std::string> browse = {"BROWSE"};
  for (size_t i = 0; i < rest.size(); ++i) {
    if (UpperCase(rest[i]) == "TO" && i + 1 < rest.size()) {
      (o.compare ? o.comparePath : o.pdfPath) = rest[++i];
      continue;
    }
    browse.push_back(rest[i]);
  }
  return browse;
}

// PDF: the listed sheets into one file, within the print limits unless NOLIMIT.
bool WritePdf(TMain& main, const TBatchOptions& o) {
  std::vector<TSheetPtr> sheets;
  for (const auto& entry : main.SheetList().Entries())
    if (entry.second) sheets.push_back(entry.second);
  if (sheets.empty()) {
    std::fprintf(stderr, "%s\n", kNoSheetsSelected);
    return false;
  }
  if (!o.noLimit)
    if (std::optional<std::string> refused = PrintLimitMessage(sheets.size(), main.State().Selection)) {
      std::fprintf(stderr, "%s (NOLIMIT prints them all)\n", refused->c_str());
      return false;
    }
#ifdef VORNE_PDF
  std::string error;
  const std::string path = MapPath(o.pdfPath);
  const TPrintCount count = WritePdfFile(main.SheetList().Cluster(), sheets, path, error);
  if (!error.empty()) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return false;
  }
  std::fprintf(stderr, "%s\n%s\n", count.Message().c_str(), path.c_str());
  return true;
#else
  std::fprintf(stderr, "this vorne-batch was built without Qt and writes no PDF\n");
  return false;
#endif
}

// What the checking modes leave in their windows goes to stdout.
void PrintModeResult(TMain& main, TBatchPort& port) {
  switch (main.State().RunMode) {
    case TRunMode::ScanUpdates:
      if (const TTimeScanner* scanner = main.Windows().scanner)
        for (const std::string& l : scanner->Lines()) std::printf("%s\n", l.c_str());
      if (main.Windows().updatedDates > 0)
        std::fprintf(stderr, "Updated dates of %d volumes; prime file rewritten\n", main.Windows().updatedDates);
      break;
    case TRunMode::Verify:
      if (TverifyW* verify = main.Windows().verification) {
        for (const std::string& l : verify->FlawList) std::printf("%s\n", l.c_str());
        verify->SaveClick();
      }
      break;
    case TRunMode::Test:
    case TRunMode::ErrorsOnly:
      if (const TRecordListing* listing = main.Windows().listing) {
        std::fputs(listing->Text().c_str(), stdout);
        if (listing->WhoopsVisible()) std::fprintf(stderr, "%s\n", kWhoops);
      }
      break;
    default:
      break;
  }
}

// The keyword of Multiple In as the person typed it.
std::string MultiSourceWord(const std::vector<std::string>& args) {
  for (const std::string& a : args) {
    const std::string w = UpperCase(a);
    if (w == "FROMFOLDER" || w == "FROMALL" || w == "FROMDIR") return a;
  }
  return "FROMFOLDER";
}

// A Copy refused before it wrote anything leaves no empty library behind in
// a folder that did not exist before the run (only the empty files the
// output opened are removed, and the folder once it is empty).
void RemoveUnusedOutput(TMain& main, const std::string& folder) {
  main.State().OutputCluster.reset();
  std::error_code ec;
  for (const TFormNames& form : {kCompressedNames, kUncompressedNames})
    for (const char* name : {form.prime, form.header, form.text}) {
      const std::filesystem::path file = std::filesystem::path(folder) / name;
      if (std::filesystem::is_regular_file(file, ec) && std::filesystem::file_size(file, ec) == 0)
        std::filesystem::remove(file, ec);
    }
  if (std::filesystem::is_empty(folder, ec)) std::filesystem::remove(folder, ec);
}

int Run(const std::vector<std::string>& allArgs) {
  TBatchPort port;
  TEnv env{RealFileSystem(), port};
  TMain main(env);
  TRunState& st = main.State();
  TBatchOptions options;
  main.onWordIgnored = [&port](const std::string& message) { port.Warn(message); };
  const std::vector<std::string> args = TakeBatchOptions(allArgs, options);
  if (!options.error.empty()) {
    std::fprintf(stderr, "%s\n", options.error.c_str());
    return kUsage;
  }
  if (!main.ParseCommandLine(args)) return kUsage;
  st.AutoGo = true;
  const bool deleting = options.deleting != TDeleteKind::None;
  if (deleting) {
    // Deleting sheets is a privilege of ExpertMode; the keyword pair grants it.
    if (options.deleting == TDeleteKind::Sheets) main.SetExpertMode(true);
    main.ModeChanged(ChooseDelete(st, options.deleting == TDeleteKind::Volumes));
  } else if (options.yes) {
    std::fprintf(stderr, "warning: YES answers only the questions of DELETE; ignored\n");
  }
  if (deleting && options.yes) {
    port.SetAnswer(kDeleteVolumesWarning, TAnswer::OK);
    port.SetAnswerByPrefix(kMarkDeletedPrefix, TAnswer::OK);
  }
  port.SetHint(kDeleteVolumesWarning, "YES");
  port.SetHintByPrefix(kMarkDeletedPrefix, "YES");

  if (TRecordListing* listing = main.Windows().listing) {
    TRecordListing& l = *listing;
    l.SetDetails(options.details);
    if (options.noType5) l.Type5Click(false);
    if (options.noType6) l.Type6Click(false);
    l.SetShowDockets(options.showDockets);
    if (options.showDockets && !l.ShowDockets())
      std::fprintf(stderr, "warning: SHOWDOCKETS needs NOTYPE6 (and type 5 on); ignored\n");
  }
  port.SetAnswer(kUpdateDatesQuestion, options.primeDates ? TAnswer::Yes : TAnswer::No);
  // The packing batch file of an unattended scan is saved under its proposed name.
  if (st.HtmlAll && st.RunMode == TRunMode::ScanUpdates) port.AcceptProposedNames(true);

  for (const auto& [question, answer] : OutputLibraryAnswers(st)) port.SetAnswer(question, answer);
  port.SetHint(kAddToExistingQuestion, "ADD or REPLACE");
  port.SetHint(kRewriteQuestion, "REPLACE");

  if (options.pdf && options.pdfPath.empty()) {
    std::fprintf(stderr, "PDF needs the file to write: give TO <file>.pdf\n");
    return kUsage;
  }
  if (st.MultiSourceRequested && st.RunMode != TRunMode::Copy) {
    const std::string word = MultiSourceWord(args);
    std::fprintf(stderr,
                 "%s reads the libraries below %s only to copy them into one: give COPY and TO <folder>, "
                 "or open one library with FROM <folder>\n",
                 word.c_str(), st.LibraryRoot.c_str());
    return kUsage;
  }
  if (st.RunMode == TRunMode::Copy && !st.ToPrimePath.empty() &&
      !Contains(UpperCase(TypedName(st.ToPrimePath)), "PRIME")) {
    std::fprintf(stderr, "COPY writes into a library folder, and %s names a file: give TO <folder>\n",
                 st.ToPrimePath.c_str());
    return kUsage;
  }
  if (options.compare && options.comparePath.empty()) {
    std::fprintf(stderr, "COMPARE needs the file to write: give TO <file>\n");
    return kUsage;
  }
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
  const bool publishing = st.RunMode == TRunMode::Html || st.RunMode == TRunMode::PrintToFile;
  if (publishing && st.ToDir.empty() && st.OutputPath.empty()) {
    std::fprintf(stderr, "%s needs an output: give TO <folder>%s\n", st.RunMode == TRunMode::Html ? "HTML" : "PRINT",
                 st.RunMode == TRunMode::Html ? "" : " or TO <file>");
    return kUsage;
  }
  // Print to File into one file: the save dialog takes the file TO named.
  if (st.RunMode == TRunMode::PrintToFile) port.AcceptProposedNames(true);
  if (::isatty(2)) {
    main.onVolume = [](size_t i, size_t n, TPrimeRef& v) {
      std::fprintf(stderr, "\r[%zu/%zu] %-60.60s", i + 1, n, v.record.companyName.c_str());
      std::fflush(stderr);
    };
  }

  const std::string outputFolder = MapPath(st.ToDir);
  const bool outputExisted = st.ToDir.empty() || RealFileSystem().Exists(outputFolder);
  const bool go = main.Start();
  if (options.finding) {
    if (st.FromPrimePath.empty() && !st.Loaded) {
      std::fprintf(stderr, "FIND needs a library: give FROM <folder>\n");
      return kUsage;
    }
    const TFindOutcome found = RunFind(main, options.findQuery, stdout, stderr, ::isatty(2));
    return found == TFindOutcome::Found ? kOk : found == TFindOutcome::Usage ? kUsage : kFailed;
  }
  const TRunMode runMode = st.RunMode;
  const bool copying = runMode == TRunMode::Copy;
  const bool multiIn = copying && st.MultiSourceRequested;
  if (copying) main.Windows().onChanged = [&main] {
    if (TToDisplay* out = main.Windows().copyOutput)
      out->onNote = [](const std::string& note) { std::fprintf(stderr, "%s\n", note.c_str()); };
  };
  if (NeedsLibrary(st.RunMode) && !st.Loaded && !multiIn) return kFailed;  // the reason is already on stderr
  if (deleting && main.VolumeList().MarkedCount() == 0) {
    std::fprintf(stderr, "DELETE needs the volumes to work on: give ID <code> or ALL\n");
    return kUsage;
  }
  if (!adding && !multiIn && main.VolumeList().MarkedCount() == 0 && st.RunMode != TRunMode::ScanUpdates) {
    std::fprintf(stderr, "warning: no volume is selected: give ALL or ID <code>\n");
    // The runs that write the selected sheets into a file or a library write nothing.
    if (copying || options.pdf || st.RunMode == TRunMode::Database) {
      if (copying && !outputExisted) RemoveUnusedOutput(main, outputFolder);
      std::fprintf(stderr, "%s\n", kNoSheetsSelected);
      return kFailed;
    }
  }
  TGoResult result = TGoResult::NotPrepared;
  if (multiIn && go) {
    result = CopyEveryLibrary(main);
  } else if (go) {
    result = main.RunNow();
    if (main.onVolume) std::fprintf(stderr, "\n");
  } else {
    std::fprintf(stderr, "the run could not start\n");
  }

  if (adding && result == TGoResult::Ran) PrintVolumeList(main.VolumeList());
  if (TToDisplay* out = main.Windows().copyOutput; copying && out) {
    std::fputs(out->ListText().c_str(), stdout);
    const std::string folder = MapPath(st.ToDir);
    if (!main.Windows().reportedDuplicates.empty()) {
      const std::string path = JoinPath(folder, kDupLogName);
      SaveTextLines(env, path, main.Windows().reportedDuplicates);
      std::printf("false duplicates: %s\n", path.c_str());
    }
    // The run saved the download page of a split copy where it says.
    if (out->Includes() && st.SplitFlag) std::printf("%s\n", out->Wheresaved().c_str());
  }
  if (!adding && runMode == TRunMode::Browse && result == TGoResult::Ran)
    std::fputs(main.SheetList().CopySheetListClick().c_str(), stdout);
  if (options.pdf && result == TGoResult::Ran && !WritePdf(main, options)) return kFailed;
  if (options.compare && result == TGoResult::Ran &&
      !WriteComparisons(env, main.SheetList().Entries(), options.comparePath))
    return kFailed;
  if (result == TGoResult::Ran) PrintModeResult(main, port);
  if (deleting && result == TGoResult::Ran) {
    // A failed run says that nothing changed, never a count of what did not happen.
    const bool failed = main.Windows().deleteFailed;
    if (options.deleting == TDeleteKind::Volumes) {
      if (failed)
        std::fprintf(stderr, "Nothing was deleted; the prime file is as it was\n");
      else
        std::fprintf(stderr, "Deleted %d volumes; prime file rewritten\n", main.Windows().deletedVolumes);
      PrintVolumeList(main.VolumeList());
    } else if (failed) {
      std::fprintf(stderr, "No sheet was marked Deleted; the library is as it was\n");
    } else {
      std::fprintf(stderr, "Marked %d sheets Deleted\n", main.Windows().deletedSheets);
    }
  }
  // A declined confirmation changed nothing: the run did not do its work.
  if (deleting && port.DeclinedCount() > 0) return kFailed;
  if (st.RunMode == TRunMode::Html && result == TGoResult::Ran) {
    const std::string index = JoinPath(MapPath(st.ToDir), "index.htm");
    if (RealFileSystem().Exists(index)) std::printf("%s\n", index.c_str());
  }
  if (!st.VolsToPath.empty() && !main.VolumeList().SendList(st.VolsToPath)) return kFailed;
  if (result != TGoResult::Ran || port.ErrorCount() > 0) return kFailed;
  // An import that added not one sheet of any filing did not do its work.
  if (adding) {
    auto* addRun = dynamic_cast<TAddFilingRun*>(main.ModeRun(TRunMode::AddNewFiling));
    if (addRun && addRun->SheetsAdded() == 0) return kFailed;
  }
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
