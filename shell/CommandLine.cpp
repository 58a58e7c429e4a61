#include "shell/CommandLine.h"

#include <charconv>

#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "store/Cluster.h"
#include "store/Common.h"
#include "store/Errors.h"

namespace vorne {

// ---- the generation copies ------------------------------------------------

bool ChooseNewerGeneration(TFileSystem& fs, std::string& dir) {
  if (dir.empty()) return false;
  char letter = DriveLetter(dir);
  if (letter != 0 && letter < 'L') return false;  // local drives keep one copy
  std::string newer = NewerLibraryCopy(fs, MapPath(dir));
  if (newer.empty()) return false;
  // The copy's folder name as the disk spells it, joined to the typed root.
  dir = AppendName(TypedWithoutSeparator(dir), FileNamePart(StripTrailingSep(newer)));
  return true;
}

// ---- the command line -----------------------------------------------------

const std::vector<TKeywordInfo>& CommandLineKeywords() {
  static const std::vector<TKeywordInfo> table = {
      // library and output
      {"FROM", "<folder>", false}, {"UNZIP", nullptr, false}, {"TO", "<folder|file>", false},
      {"ADDFROM", "<folder|file>", false}, {"FROMFOLDER", "<root>", false}, {"FROMALL", "<root>", false},
      {"FROMDIR", "<root>", false}, {"VOLSTO", "<file>", false}, {"EXCEPT", "<file>", false},
      {"DRIVES", "<folder>", false},
      // modes
      {"BROWSE", nullptr, false}, {"COPY", nullptr, false}, {"SCAN", nullptr, false}, {"WHEN", nullptr, false},
      {"NAMES", nullptr, false}, {"TEST", nullptr, false}, {"ERRORS", nullptr, false}, {"DATA", nullptr, false},
      {"HTML", nullptr, false}, {"HTMLALL", nullptr, false}, {"PRINT", nullptr, false}, {"PDF", nullptr, true},
      {"DELETE", "VOLUMES|SHEETS", true}, {"FIND", "<query>", true},
      {"COMPARE", nullptr, true},
      // volumes and sheets
      {"ALL", nullptr, false}, {"ID", "<code>[,<code>...]", false}, {"RECENT", "<days|ALL>", false},
      {"EFFECTIVE", nullptr, false}, {"PENDING", nullptr, false}, {"CURRENT", nullptr, false},
      {"ARCHIVE", nullptr, false},
      // answers and options
      {"ADD", nullptr, false}, {"REPLACE", nullptr, false}, {"SPLIT", nullptr, false}, {"YES", nullptr, true},
      {"NOLIMIT", nullptr, true}, {"DETAILS", nullptr, true}, {"NOTYPE5", nullptr, true},
      {"NOTYPE6", nullptr, true}, {"SHOWDOCKETS", nullptr, true}, {"PRIMEDATES", nullptr, true},
      // the start
      {"GO", nullptr, false}, {"EXPRESS", nullptr, false}, {"QARLMIDEX", nullptr, false},
  };
  return table;
}

bool ParseCommandLine(TRunState& state, const std::vector<std::string>& args, TEnv& env, TStartHooks& hooks) {
  return TCommandLine(state, env, hooks).Parse(args);
}

static std::string KeywordOf(std::string_view arg) { return UpperCase(arg.substr(0, kKeywordWidth)); }

bool TCommandLine::Parse(const std::vector<std::string>& args) {
  st_.Controls.Merge = TMergeChoice::None;
  if (args.size() == 1 && Contains(LowerCase(args[0]), ".vorne")) {
    FromPath(args[0], "");
    return !failed_;
  }
  // The drive root maps every later path, so it is set before any keyword
  // looks at the disk, wherever it stands.
  for (size_t i = 0; i + 1 < args.size(); ++i)
    if (KeywordOf(args[i]) == "DRIVES") SetDriveRoot(args[++i]);
  for (size_t i = 0; i < args.size(); ++i) {
    std::string word = KeywordOf(args[i]);
    if (Keyword(word)) continue;
    if (i + 1 >= args.size()) {
      Ignored(args[i], true);
      continue;
    }
    std::string next = i + 2 < args.size() ? UpperCase(args[i + 2]) : "";
    if (PathKeyword(word, args[i + 1], next))
      ++i;
    else
      Ignored(args[i], false);
  }
  if (st_.AddFlag)
    st_.Controls.Merge = TMergeChoice::Merge;
  else if (st_.ReplaceFlag)
    st_.Controls.Merge = TMergeChoice::Replace;
  if (failed_) st_.AutoGo = false;
  return !failed_;
}

std::vector<std::string> FolderArguments(TFileSystem& fs, const std::vector<std::string>& args) {
  if (args.size() != 1) return args;
  for (const TKeywordInfo& k : CommandLineKeywords())
    if (KeywordOf(args[0]) == k.word) return args;  // a keyword, even where a folder has its name
  const std::string dir = MapPath(args[0]);
  if (!fs.IsDirectory(dir)) return args;
  std::vector<std::string> keywords = {"FROM", args[0]};
  if (!fs.Exists(FindNoCase(fs, dir, kZippedPrime)) && fs.Exists(FindNoCase(fs, dir, kPlainPrime)))
    keywords.push_back("UNZIP");
  return keywords;
}

// Unknown words are ignored, as are keywords that lack their value, but never
// silently: a mistyped mode would otherwise run another one.
void TCommandLine::Ignored(const std::string& typed, bool atEnd) {
  const std::string word = KeywordOf(typed);
  const TKeywordInfo* known = nullptr;
  for (const TKeywordInfo& k : CommandLineKeywords())
    if (word == k.word) known = &k;
  std::string why = " is not a keyword";
  if (known && known->batchOnly)
    why = " is read by vorne-batch alone";
  else if (known && atEnd && known->value)
    why = " needs a value after it";
  hooks_.WordIgnored(typed + why + "; it was ignored");
}

void TCommandLine::SetMode(TRunMode mode) { hooks_.ModeChanged(ChooseMode(st_, mode)); }

void TCommandLine::Fail(const std::string& message) {
  env_.port.Error(message);
  failed_ = true;
}

bool TCommandLine::Keyword(std::string_view word) {
  if (word == "UNZIP" || (!word.empty() && word[0] == '=')) return true;
  if (word == "BROWSE") {
    SetMode(TRunMode::Browse);
    st_.Controls.ModePanelVisible = false;
  } else if (word == "COPY") {
    SetMode(TRunMode::Copy);
  } else if (word == "SCAN" || word == "WHEN") {
    SetMode(TRunMode::ScanUpdates);
  } else if (word == "NAMES") {
    SetMode(TRunMode::Verify);
  } else if (word == "TEST") {
    SetMode(TRunMode::Test);
  } else if (word == "ERRORS") {
    SetMode(TRunMode::ErrorsOnly);
  } else if (word == "QARLMIDEX") {
    SetExpertMode(st_, true);
  } else if (word == "GO") {
    st_.AutoGo = true;
  } else if (word == "EXPRESS") {
    st_.Ticks = 10;  // the splash ends at its first tick
    st_.AutoGo = true;
  } else if (word == "DATA") {
    SetMode(TRunMode::Database);
  } else if (word == "PRINT") {
    SetMode(TRunMode::PrintToFile);
  } else if (word == "HTML") {
    SetMode(TRunMode::Html);
  } else if (word == "HTMLALL") {
    st_.HtmlAll = true;
    SetMode(TRunMode::Html);
  } else if (word == "ADD") {
    st_.AddFlag = true;
  } else if (word == "REPLACE") {
    st_.ReplaceFlag = true;
  } else if (word == "SPLIT") {
    st_.SplitFlag = true;
  } else if (word == "ALL") {
    st_.Controls.AllChecked = true;
  } else {
    return st_.Selection.ApplyStatusWord(word);
  }
  return true;
}

bool TCommandLine::PathKeyword(std::string_view word, const std::string& value, std::string_view next) {
  if (word == "FROM") {
    FromPath(value, next);
  } else if (word == "TO") {
    ToPath(value, next);
  } else if (word == "ADDFROM") {
    SetMode(TRunMode::AddNewFiling);
    st_.AddFromDir = value;
    if (!EndsWithSeparator(value)) st_.AddFromDir += kSep;
  } else if (word == "RECENT") {
    Recent(value);
  } else if (word == "VOLSTO") {
    st_.VolsToPath = value;
  } else if (word == "EXCEPT") {
    if (LoadNameList(value)) st_.Controls.XcptChecked = true;
  } else if (word == "FROMFOLDER" || word == "FROMALL" || word == "FROMDIR") {
    st_.LibraryRoot = value;
    st_.MultiSourceRequested = true;
  } else if (word == "ID") {
    st_.IdList = value.substr(0, 80);
    st_.IdGiven = true;
  } else if (word == "DRIVES") {
    SetDriveRoot(value);
  } else {
    return false;
  }
  return true;
}

void TCommandLine::FromPath(const std::string& value, std::string_view next) {
  st_.FromDir = TypedWithoutSeparator(value);
  std::string name = LowerCase(TypedName(st_.FromDir));
  // A saved library file; a folder that merely has "vorne" in its name (the
  // production library's root) is a library folder like any other.
  if (Contains(name, "vorne") && !env_.fs.IsDirectory(MapPath(st_.FromDir))) {
    st_.FromDir = TypedFolder(st_.FromDir);
    hooks_.OpenPrimeFile(value);
    return;
  }
  if (name.size() >= 5 && name.compare(0, 4, "gzip") == 0 && (name[4] == '1' || name[4] == '2') &&
      !st_.ExpertMode) {
    // One copy of a two-copy library was named: use whichever copy is newer.
    // When the parent holds no two copies, the folder named is kept.
    std::string parent = TypedFolder(st_.FromDir);
    if (ChooseNewerGeneration(env_.fs, parent)) st_.FromDir = parent;
  }
  st_.LibraryDir = st_.FromDir;
  st_.FromPrimePath = AppendName(st_.FromDir, next == "UNZIP" ? kPlainPrime : kZippedPrime);
}

void TCommandLine::ToPath(const std::string& value, std::string_view next) {
  st_.ToDir = TypedFolder(value);
  // The whole last name component: file names here are longer than 20
  // characters, and a "." after the 20th still makes a file.
  std::string name = UpperCase(TypedName(value));
  if (!Contains(name, "PRIME") && !Contains(name, ".")) {
    // A folder: the prime file's name follows from the mode, which is the
    // mode at the moment "TO" is read.
    if (!name.empty()) st_.ToDir = value;
    st_.ToDir = TypedWithoutSeparator(st_.ToDir);
    if (IsCopyOrAdd(st_.RunMode)) {
      bool zipped = st_.RunMode == TRunMode::Copy && next != "UNZIP";
      st_.ToPrimePath = AppendName(st_.ToDir, zipped ? kZippedPrime : kPlainPrime);
    }
  } else {
    st_.ToPrimePath = value;
  }
  st_.OutputPath = st_.ToPrimePath;
}

bool TCommandLine::Recent(const std::string& value) {
  double date = 0;
  if (UpperCase(value) != "ALL") {
    int32_t days = 0;
    const char* end = value.data() + value.size();
    auto [p, ec] = std::from_chars(value.data(), end, days);
    if (value.empty() || ec != std::errc() || p != end) {
      Fail("RECENT needs a whole number of days or ALL, not \"" + value + "\"");
      return false;
    }
    date = DateToSerial(Today()) - days;
  }
  st_.RecentGiven = true;
  st_.RecentDate = date;
  return true;
}

bool TCommandLine::LoadNameList(const std::string& path) {
  std::string text;
  try {
    text = env_.fs.ReadAll(MapPath(path));
  } catch (const EInOutError& e) {
    Fail(std::string("Can't read the EXCEPT list: ") + e.what());
    return false;
  }
  st_.NameList.clear();
  size_t start = 0;
  while (start < text.size()) {
    size_t eol = text.find('\n', start);
    if (eol == std::string::npos) eol = text.size();
    std::string line = text.substr(start, eol - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    st_.NameList.push_back(line);
    start = eol + 1;
  }
  return true;
}

std::vector<std::string> IdKeys(std::string_view idList, std::vector<std::string>* bad) {
  std::vector<std::string> keys;
  while (!idList.empty()) {
    size_t comma = idList.find(',');
    std::string piece = TrimBoth(idList.substr(0, comma));
    idList.remove_prefix(comma == std::string_view::npos ? idList.size() : comma + 1);
    int32_t id = 0;
    const char* end = piece.data() + piece.size();
    auto [p, ec] = std::from_chars(piece.data(), end, id);
    if (piece.empty() || ec != std::errc() || p != end || id < 0) {
      if (bad) bad->push_back(piece);
      continue;
    }
    keys.push_back(ZeroPad(id, 6));
  }
  return keys;
}

// ---- FinishParameters -----------------------------------------------------

void FinishParameters(TRunState& st, TEnv& env, TStartHooks& hooks) {
  if (!st.FromPrimePath.empty()) hooks.OpenPrimeFile(st.FromPrimePath);
  if (st.MultiSourceRequested) {
    st.Controls.LibrariesPanelVisible = true;
    hooks.ShowLibrariesPanel();
  }
  if (st.IdGiven) hooks.SelectIds();
  if (st.AddFlag) st.ReplaceFlag = false;
  // A scan told to write "to" a prime file writes its report beside it.
  if (!st.ToPrimePath.empty() && !IsCopyOrAdd(st.RunMode) &&
      Contains(UpperCase(TypedName(st.ToPrimePath)).substr(0, 12), "PRIME"))
    st.ToPrimePath = AppendName(st.ToDir, kUpdatesFileName);
  hooks.ApplyAllBox();
  if (st.AutoGo && st.RunMode == TRunMode::Copy) {
    if (st.ToDir.empty()) {
      env.port.Error(kToPathRequired);
      st.AutoGo = false;
    } else {
      hooks.OpenOutput();
    }
  }
  if (st.RecentGiven) {
    if (st.RunMode == TRunMode::ScanUpdates) {
      hooks.StartScanner(st.RecentDate, st.ToPrimePath);
    } else {
      st.Selection.ApplyRecent(st.RecentDate);
      hooks.ShowSelectorSummary();
    }
  }
  if (st.AutoGo && st.RunMode == TRunMode::ScanUpdates && !st.IdGiven)
    st.AutoSelectAll = true;
  else
    st.Controls.CreditsVisible = true;
  st.Controls.SplitChecked = st.SplitFlag;
  if (st.RunMode != TRunMode::AddNewFiling) hooks.AfterOpen();
}

}  // namespace vorne
