#include "shell/Main.h"

#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "shell/ModeTable.h"
#include "shell/MultipleIn.h"
#include "store/Common.h"
#include "store/Errors.h"
#include "store/Headers.h"

namespace vorne {

namespace {

// The canonical spelling of a prime file name typed in any case, so that new
// files get the library's own names.
std::string PrimeSpelling(const std::string& typedName) {
  const std::string u = UpperCase(typedName);
  if (u == UpperCase(kZippedPrime)) return kZippedPrime;
  if (u == UpperCase(kPlainPrime)) return kPlainPrime;
  return typedName;
}

// The production library: a folder "VORNE" followed by a folder starting
// "GZIP" (on a drive-letter path, characters 4 to 13 being "VORNE\GZIP").
bool IsProductionLibrary(const std::string& typedPath) {
  std::string p = UpperCase(typedPath);
  for (char& c : p)
    if (c == '\\') c = '/';
  for (size_t at = p.find("VORNE/GZIP"); at != std::string::npos; at = p.find("VORNE/GZIP", at + 1))
    if (at == 0 || p[at - 1] == '/' || p[at - 1] == ':') return true;
  return false;
}

// Rules on drive letters: a path without one counts as a network drive.
char EffectiveDrive(const std::string& typedPath) {
  char d = DriveLetter(typedPath);
  return d ? d : 'L';
}

// A library that failed to open in one form may be there in the other: the
// person is told which of its files were found and the keyword that opens it.
// It is not opened in the other form unasked, because the form also decides
// what later runs write back into it.
void HintOtherForm(TEnv& env, const std::string& typedFolder, bool zipped) {
  const std::string dir = MapPath(typedFolder.empty() ? "." : typedFolder);
  const TFormNames& other = zipped ? kUncompressedNames : kCompressedNames;
  std::string found;
  for (const char* name : {other.prime, other.header, other.text}) {
    const std::string path = FindNoCase(env.fs, dir, name);
    if (!env.fs.Exists(path)) continue;
    if (name == other.prime) found = FileNamePart(path);
    else if (!found.empty()) found += ", " + FileNamePart(path);
  }
  if (found.empty()) return;  // no prime file of the other form either
  const std::string shown = typedFolder.empty() ? "." : typedFolder;
  env.port.Info(shown + " holds " + found +
                (zipped ? ", an uncompressed library: add UNZIP after FROM " + shown + " to open it"
                        : ", a compressed library: leave out UNZIP to open it"));
}

}  // namespace

TMain::TMain(TEnv& env) : env_(env), volumes_(env), panel_(state_.Selection), log_(env.fs) {
  ResetState(state_);
  sheets_ = std::make_unique<THdrForm>(env_, uint8_t(state_.RunMode),
                                       [this] { state_.Selection.RestoreListDefaults(); });
  volumes_.SetRunSteps(this);
  volumes_.SetSelectorPanel(&panel_);
  listing_ = std::make_unique<TRecordListing>(env_);
  windows_.listing = listing_.get();
  runs_ = MakeModeRuns(*listing_);
}

TMain::~TMain() = default;

void TMain::SetModeRun(TRunMode mode, std::unique_ptr<TModeRun> run) { runs_[mode] = std::move(run); }

TModeRun* TMain::ModeRun(TRunMode mode) const {
  auto it = runs_.find(mode);
  return it == runs_.end() ? nullptr : it->second.get();
}

void TMain::StartScanner(double sinceDate, const std::string& fileName) {
  if (TModeRun* scan = ModeRun(TRunMode::ScanUpdates)) scan->Recent(*this, sinceDate, fileName);
}

TModeRun* TMain::CurrentRun() const {
  auto it = runs_.find(state_.RunMode);
  return it == runs_.end() ? nullptr : it->second.get();
}

// ---- start-up -------------------------------------------------------------------

bool TMain::ParseCommandLine(const std::vector<std::string>& args) {
  args_ = args;
  const bool ok = vorne::ParseCommandLine(state_, args, env_, *this);
  // "QARLMIDEX" switches ExpertMode on without a mode change.
  volumes_.ApplyExpertMode(state_.ExpertMode);
  return ok;
}

void TMain::WordIgnored(const std::string& message) {
  if (onWordIgnored)
    onWordIgnored(message);
  else
    log_.AddLine(message);
}

bool TMain::Start() {
  // Start: the output of Copy and Add New Filing opens as soon as its folder is known.
  if ((state_.RunMode == TRunMode::Copy || state_.RunMode == TRunMode::AddNewFiling) && !state_.ToDir.empty())
    OpenOutput();
  if (state_.AutoGo && state_.Selection.StatusSelect) ShowSelectorSummary();
  // ReadyToGo
  FinishParameters(state_, env_, *this);
  state_.Started = true;
  if (state_.RunMode == TRunMode::Copy && !state_.OutputCluster && !outputLockedOut_) {
    if (state_.OutputExists)
      OpenOutput();
    else
      env_.port.Error(kNoOutputFile);
  }
  sheets_->SetRunMode(uint8_t(state_.RunMode));
  return state_.AutoGo && state_.Controls.GoVisible && state_.Controls.GoEnabled;
}

TGoResult TMain::RunNow() {
  try {
    return volumes_.Run() ? TGoResult::Ran : TGoResult::NotPrepared;
  } catch (const EVorneError& e) {
    env_.port.Error(e.what());
    return TGoResult::NotPrepared;
  } catch (const std::exception&) {
    env_.port.Error(kRunFault);
    return TGoResult::Fatal;
  }
}

// ---- the From side ----------------------------------------------------------------

bool TMain::OpenPrimeFile(const std::string& typedPath) {
  std::string path = typedPath;
  std::string folder = TypedFolder(path);
  std::string name = UpperCase(TypedName(path)).substr(0, 12);
  state_.LibraryDir = UpperCase(folder);
  state_.Zipped = name.empty() || name[0] == 'G';
  const char drive = EffectiveDrive(folder);
  if (state_.Zipped && (drive == 'L' || drive == 'O' || drive == 'P')) {
    std::string last = UpperCase(TypedName(folder));
    if (!state_.ExpertMode && (last == "GZIP1" || last == "GZIP2")) folder = TypedFolder(folder);
    if (ChooseNewerGeneration(env_.fs, folder)) path = AppendName(folder, kZippedPrime);
    state_.LibraryDir = UpperCase(folder);
  }
  volumes_.Clear();
  state_.InputCluster.reset();
  auto cluster = std::make_unique<TFileCluster>(env_, state_.Zipped);
  state_.Loaded = cluster->Open(MapPath(path), false);
  if (!state_.Loaded) {
    HintOtherForm(env_, TypedFolder(path), state_.Zipped);
    return false;
  }
  try {
    cluster->ReadAll();
  } catch (const EInOutError& e) {
    env_.port.Error(e.what());
    state_.Loaded = false;
    return false;
  }
  state_.InputCluster = std::move(cluster);
  state_.FromDir = folder;
  sheets_->ClearList();
  AfterOpen();
  return true;
}

void TMain::AfterOpen() {
  if (state_.RunMode == TRunMode::AddNewFiling) return;  // the import's own start
  if (state_.InputCluster && volumes_.RowCount() == 0) {
    volumes_.Fill(*state_.InputCluster, VolumeListOptions(state_));
    state_.Loaded = true;
  }
  if (state_.Loaded) state_.Controls.GoEnabled = true;
}

void TMain::SelectIds() {
  state_.AutoSelectAll = false;
  if (!state_.Loaded || volumes_.RowCount() == 0) return;
  std::vector<std::string> bad;
  for (const std::string& key : IdKeys(state_.IdList, &bad)) {
    const int64_t id = std::stoll(key);
    if (volumes_.SelectById(id) == 0) env_.port.Warn("No volume has the company ID " + std::to_string(id));
  }
  for (const std::string& b : bad) env_.port.Warn("Not a company ID: " + b);
  panel_.ResetDocketSelection();
}

void TMain::ApplyAllBox() {
  if (state_.Controls.AllChecked && volumes_.RowCount() > 0) volumes_.SelectAll();
}

void TMain::ModeChanged(const TModeActions& actions) {
  if (actions.disableDocketBox) panel_.DisableDocketBox();
  if (actions.plainSheetList) sheets_->SetPlainStyle();
  if (actions.multiSelectLibraries) multiSelectLibraries_ = true;
  sheets_->SetRunMode(uint8_t(state_.RunMode));
  // Test, Errors Only and Add New Filing switch ExpertMode on as they are chosen.
  volumes_.ApplyExpertMode(state_.ExpertMode);
}

void TMain::SetExpertMode(bool on) {
  vorne::SetExpertMode(state_, on);
  volumes_.ApplyExpertMode(on);
  // Its own modes go with it: the panel and the Mode menu both show Browse.
  if (!on && uint8_t(state_.RunMode) >= uint8_t(TRunMode::Test)) ModeChanged(ChooseMode(state_, TRunMode::Browse));
}

// ---- the To side -------------------------------------------------------------------

bool TMain::OpenOutput() {
  if (state_.OutputCluster) return true;
  if (outputLockedOut_) return false;
  state_.ToDir = TypedFolder(state_.ToPrimePath);
  const std::string typedName = TypedName(state_.ToPrimePath);
  const std::string name = UpperCase(typedName).substr(0, 20);
  bool compressed;
  if (state_.RunMode == TRunMode::AddNewFiling)
    compressed = false;
  else if (name.empty())
    compressed = true;
  else
    compressed = name.rfind("PRIME", 0) != 0;
  if (!name.empty() && !Contains(name, "PRIME")) return false;
  const std::string prime = AppendName(state_.ToDir, name.empty() ? std::string(kZippedPrime) : PrimeSpelling(typedName));
  bool ok = OpenOutputAt(prime, compressed);
  state_.OutputExists = env_.fs.Exists(MapPath(prime));
  return ok;
}

bool TMain::OpenOutputAt(const std::string& typedPrime, bool compressed) {
  auto cluster = std::make_unique<TFileCluster>(env_, compressed);
  cluster->SetOutputMode(&outputMode_);
  if (state_.SplitFlag) {
    cluster->SetBase(MapPath(state_.ToDir));
    state_.Controls.GoEnabled = true;
  }
  state_.OutputCluster = std::move(cluster);
  bool ok = EffectiveDrive(state_.ToPrimePath) >= 'L' ? SafeOpen(typedPrime)
                                                      : state_.OutputCluster->Open(MapPath(typedPrime), true);
  outputLockedOut_ = !ok && state_.OutputCluster && state_.OutputCluster->LockedOut();
  if (ok) {
    state_.Controls.GoEnabled = true;
    state_.Controls.ShowEnabled = true;
  } else {
    state_.OutputCluster.reset();
  }
  return ok;
}

bool TMain::SafeOpen(const std::string& typedPath) {
  if (!state_.ExpertMode && IsProductionLibrary(typedPath)) {
    env_.port.Error(kNotSafe);
    return false;
  }
  return state_.OutputCluster && state_.OutputCluster->Open(MapPath(typedPath), true);
}

bool TMain::ChooseOutput() {
  for (;;) {
    auto chosen = env_.port.ChooseSaveFile({"TO what Prime file:", AppendName(state_.ToDir, kPlainPrime), ""});
    if (!chosen) {
      state_.OutputCluster.reset();
      return false;
    }
    state_.ToPrimePath = TypedFolder(*chosen).empty() ? *chosen : AppendName(TypedFolder(*chosen), TypedName(*chosen));
    state_.ToDir = TypedFolder(state_.ToPrimePath);
    state_.OutputPath = state_.ToPrimePath;
    if (state_.RunMode == TRunMode::AddNewFiling) state_.ToPrimePath = AppendName(state_.ToDir, kPlainPrime);
    if (OpenOutput()) return true;
  }
}

// ---- Multiple In -----------------------------------------------------------------------

bool TMain::DetectPrimeName(const std::string& typedDir) {
  const std::string dir = MapPath(typedDir);
  if (env_.fs.Exists(FindNoCase(env_.fs, dir, kZippedPrime))) {
    state_.PrimeName = std::string(1, kSep) + kZippedPrime;
    return true;
  }
  if (env_.fs.Exists(FindNoCase(env_.fs, dir, kPlainPrime))) {
    state_.PrimeName = std::string(1, kSep) + kPlainPrime;
    return false;
  }
  env_.port.Error("Prime File \\Prime4 not found in " + typedDir);
  state_.PrimeName.clear();
  return false;
}

void TMain::AddLibrary(const std::string& folder) {
  const std::string dir = AppendName(state_.LibraryRoot, folder);
  state_.LibraryZipped = DetectPrimeName(dir);
  if (state_.PrimeName.empty()) return;
  const std::string prime = dir + state_.PrimeName;
  std::string bytes;
  try {
    auto f = env_.fs.Open(FindNoCase(env_.fs, MapPath(dir), state_.PrimeName.substr(1)), TOpenMode::Read);
    bytes.resize(kPrimeRecordSize);
    bytes.resize(f->Read(0, bytes.data(), bytes.size()));
  } catch (const EInOutError&) {
    bytes.clear();
  }
  if (bytes.size() < size_t(kPrimeRecordSize)) {
    env_.port.Error("Can't read file " + folder + "\\" + state_.PrimeName.substr(1));
    return;
  }
  TPrimeRecord r = TPrimeRecord::Decode(reinterpret_cast<const uint8_t*>(bytes.data()));
  TLibraryEntry e{r.companyName, folder, false};
  auto at = std::upper_bound(libraries_.begin(), libraries_.end(), e, [](const auto& a, const auto& b) {
    return CompareNoCase(a.companyName, b.companyName) < 0;
  });
  libraries_.insert(at, e);
}

void TMain::FillLibraries() {
  libraries_.clear();
  const std::string root = MapPath(state_.LibraryRoot);
  std::vector<std::string> names = env_.fs.List(root);
  std::sort(names.begin(), names.end());
  for (const std::string& n : names) {
    if (n.empty() || n[0] == '.' || !env_.fs.IsDirectory(JoinPath(root, n))) continue;
    AddLibrary(n);
  }
}

// ---- HTML and Print to File -------------------------------------------------------------

TPrintSetup TMain::BeginPrintSetup(bool html) {
  if (html) volumes_.Sort(kSortByCode);
  volumes_.SetGaugeMax(volumes_.MarkedSheetSum());
  TPrintSetup setup;
  if (outputFolder_.empty()) outputFolder_ = state_.ToDir;
  std::string folder = outputFolder_;
  while (folder.size() > 1 && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
  setup.folder = folder;
  setup.drive = DriveLetter(folder);
  const size_t marked = volumes_.MarkedCount();
  setup.fewerThanTwo = marked < 2;
  setup.allVolumes = marked == 0;
  return setup;
}

void TMain::EndPrintSetup(const TPrintSetup& chosen) {
  outputFolder_ = chosen.folder;
  if (chosen.allVolumes) volumes_.SelectAll();
}

// ---- running ------------------------------------------------------------------------------

TGoResult TMain::GoDoIt() {
  outputLockedOut_ = false;  // a person's Go tries the output again
  if (!state_.Controls.XcptChecked) state_.NameList.clear();
  if (state_.RunMode == TRunMode::AddNewFiling) {
    // The import run belongs to the import window; without one nothing starts.
    if (!CurrentRun()) {
      env_.port.Error(kNotSupported);
      return TGoResult::NoSteps;
    }
    if (!state_.OutputExists) {
      if (!state_.ToDir.empty())
        OpenOutput();
      else
        ChooseOutput();
    }
    return state_.OutputCluster ? (volumes_.Run() ? TGoResult::Ran : TGoResult::NotPrepared) : TGoResult::NotPrepared;
  }
  if (!multiSource_ || !state_.Controls.LibrariesPanelVisible) {
    state_.LibraryZipped = DetectPrimeName(state_.FromDir);
    if (state_.PrimeName.empty()) return TGoResult::NotPrepared;
    return volumes_.Go();
  }
  return GoMultipleIn(*this);
}

void TMain::EndImport() {
  state_.OutputCluster.reset();
  state_.AutoGo = false;
  ModeChanged(ChooseMode(state_, TRunMode::Browse));
  OpenPrimeFile(AppendName(state_.ToDir, kPlainPrime));
}

void TMain::BeforeGo(TFromDisplay&) { sheets_->SetRunMode(uint8_t(state_.RunMode)); }

bool TMain::NeedsMarkedRows() const {
  TModeRun* run = CurrentRun();
  return !run || run->NeedsMarkedRows();
}

bool TMain::ArmsStopButton() const {
  TModeRun* run = CurrentRun();
  return !run || run->ArmsStopButton();
}

bool TMain::StepsThroughVolumes() const {
  TModeRun* run = CurrentRun();
  return !run || run->StepsThroughVolumes();
}

bool TMain::Prepare(TFromDisplay& list) {
  TModeRun* run = CurrentRun();
  if (!run) {
    env_.port.Error(kNotSupported);
    return false;
  }
  if (state_.AutoSelectAll) list.SelectAll();
  if (state_.SplitFlag) state_.ReplaceFlag = !state_.AddFlag;
  stepIndex_ = 0;
  return run->Prepare(*this, list);
}

bool TMain::EachVolume(TFromDisplay& list, size_t row, TPrimeRef& volume) {
  if (onVolume) onVolume(stepIndex_, list.MarkedCount(), volume);
  ++stepIndex_;
  return CurrentRun()->EachVolume(*this, list, row, volume);
}

void TMain::Finish(TFromDisplay& list) {
  state_.AutoSelectAll = false;
  if (TModeRun* run = CurrentRun()) run->Finish(*this, list);
}

}  // namespace vorne
