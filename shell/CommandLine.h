// The command line: a keyword language that pre-selects the mode, the input
// and output libraries, the selection and an automatic start, read once while
// the windows are created; and FinishParameters, the part that needs the
// windows, run when the start sequence is ready.
//
// Values are kept as typed (letter case too, since Linux file names have
// case); keywords and the rules on values compare them upper-cased. Where a
// file name is appended to a typed folder it is joined with the platform
// separator, so "D:\OUT" gives "D:\OUT/GZPrime"; MapPath reads both.
//
// Failure channel: an unusable value ("RECENT" that is not a number, an
// "EXCEPT" file that cannot be read) is reported through the user port, the
// keyword has no effect, parsing goes on, and the automatic start is dropped
// so that an unattended run never works on a selection it was not given.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/Paths.h"
#include "platform/UserPort.h"
#include "shell/Modes.h"
#include "shell/RunState.h"

namespace vorne {

class TFileSystem;

inline constexpr char kToPathRequired[] = "To Path is required";
inline constexpr char kUpdatesFileName[] = "AllUpdts.txt";
// Keywords are compared on this many leading characters.
inline constexpr size_t kKeywordWidth = 12;

// One keyword of the command line, as the help, the manual pages and the
// shell completion list it. Keyword and PathKeyword are what reads them; a
// test keeps this table and those two in step.
struct TKeywordInfo {
  const char* word;
  const char* value;  // what follows the word ("<folder>"), nullptr for none
  bool batchOnly;     // read by vorne-batch alone (the desktop ignores it)
};
// Every keyword, in the order the help groups them.
const std::vector<TKeywordInfo>& CommandLineKeywords();

// What the command line and FinishParameters ask of the windows. The main
// window model implements it; the defaults do nothing, so tests and the
// batch program override only what they use.
class TStartHooks {
 public:
  virtual ~TStartHooks() = default;
  // The From side: opens the prime file at a typed path; true when loaded.
  virtual bool OpenPrimeFile(const std::string& typedPath) { return false; }
  // A keyword changed the mode; the window work of that change.
  virtual void ModeChanged(const TModeActions& actions) {}
  virtual void ShowLibrariesPanel() {}
  virtual void SelectIds() {}
  // The All box's action: every volume marked when it is checked.
  virtual void ApplyAllBox() {}
  virtual bool OpenOutput() { return false; }
  // Scan Updates with "RECENT": the scanner gets its since date and file.
  virtual void StartScanner(double sinceDate, const std::string& fileName) {}
  virtual void ShowSelectorSummary() {}
  virtual void AfterOpen() {}
  // A word that was not read: the message that says so.
  virtual void WordIgnored(const std::string& message) {}
};

class TCommandLine {
 public:
  TCommandLine(TRunState& state, TEnv& env, TStartHooks& hooks) : st_(state), env_(env), hooks_(hooks) {}

  // Reads the arguments (without the program name). False when some value
  // was unusable (reported; AutoGo is then false).
  bool Parse(const std::vector<std::string>& args);

  // A word without a value, already upper-cased; true when recognised.
  bool Keyword(std::string_view word);
  // A word with its value (as typed) and the upper-cased word after it;
  // true when recognised, which consumes the value.
  bool PathKeyword(std::string_view word, const std::string& value, std::string_view next);

  void FromPath(const std::string& value, std::string_view next);
  void ToPath(const std::string& value, std::string_view next);
  // RecentDate := today minus value days, or 0 for "ALL". False, with
  // nothing changed, when value is neither.
  bool Recent(const std::string& value);

  bool Failed() const { return failed_; }

 private:
  void SetMode(TRunMode mode);
  bool LoadNameList(const std::string& path);
  void Fail(const std::string& message);
  // A word neither keyword function read; atEnd: nothing followed it.
  void Ignored(const std::string& typed, bool atEnd);

  TRunState& st_;
  TEnv& env_;
  TStartHooks& hooks_;
  bool failed_ = false;
};

// TCommandLine(state, env, hooks).Parse(args).
bool ParseCommandLine(TRunState& state, const std::vector<std::string>& args, TEnv& env, TStartHooks& hooks);

// The desktop's "Open With" hands the program one library folder: the
// keywords that open it in the form its files show (UNZIP when it holds
// Prime4 and no GZPrime). Any other arguments come back unchanged.
std::vector<std::string> FolderArguments(TFileSystem& fs, const std::vector<std::string>& args);

// A library kept as two alternating copies "GZIP1" and "GZIP2": when dir is
// on a network drive (drive letter "L" or later, or no drive letter) and
// holds both copies, dir becomes the folder of the copy with the newer
// header file ("GZIP1" when equal) and the result is true. Otherwise dir is
// unchanged.
bool ChooseNewerGeneration(TFileSystem& fs, std::string& dir);

// The command line's work that needs the windows, in this order: open
// FromPrimePath, show the libraries panel, select the IDs, Merge wins over
// Replace, a scan's report file beside a named prime file, the All box, the
// output of an unattended Copy, the RECENT date, the automatic select-all of
// an unattended scan, Multiple Out, AfterOpen.
void FinishParameters(TRunState& state, TEnv& env, TStartHooks& hooks);

// The ID column keys that "ID" selects: each piece of IdList up to the next
// "," read as a whole number and written with 6 digits ("7,12" gives
// "000007", "000012"). Pieces that are not whole numbers are left out and
// collected in bad, for the caller to report.
std::vector<std::string> IdKeys(std::string_view idList, std::vector<std::string>* bad = nullptr);

}  // namespace vorne
