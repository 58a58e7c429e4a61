#include "filings/CompanyCheck.h"

#include "filings/FilingFields.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "store/Common.h"
#include "store/Errors.h"
#include "store/Prime.h"

namespace vorne {

const std::vector<std::string>& TVerifyDlg::Fallbacks() {
  static const std::vector<std::string> kList = {
      "O:\\VORNE\\GZIP1\\GZPrime", "O:\\VORNE\\GZIP2\\GZPrime", "D:\\UNZIPD\\Prime4", "C:\\UNZIPD\\Prime4",
      "O:\\UNZIPD\\Prime4",        "D:\\GZIP\\GZPrime",         "C:\\GZIP\\GZPrime"};
  return kList;
}

TVerifyDlg::TVerifyDlg(TEnv& env, const std::vector<std::string>& args) : env_(env) {
  for (size_t i = 0; i + 1 < args.size(); ++i) {
    const std::string w = UpperCase(args[i]);
    // Linux paths have case: the path is kept as typed.
    if (w == "VPATH" || w == "VERIFY") refPath_ = args[i + 1].substr(0, 144);
  }
  Load();
}

void TVerifyDlg::Load() {
  std::vector<std::string> candidates;
  if (!refPath_.empty()) {
    const std::string dir = MapPath(refPath_);
    candidates.push_back(FindNoCase(env_.fs, dir, kZippedPrime));
    candidates.push_back(FindNoCase(env_.fs, dir, kPlainPrime));
  }
  for (const std::string& f : Fallbacks()) {
    const std::string mapped = MapPath(f);
    candidates.push_back(FindNoCase(env_.fs, StripTrailingSep(DirPart(mapped)), FileNamePart(mapped)));
  }
  refFile_.clear();
  for (const std::string& c : candidates)
    if (env_.fs.Exists(c) && !env_.fs.IsDirectory(c)) {
      refFile_ = c;
      break;
    }
  checkOn_ = false;
  if (refFile_.empty()) {
    env_.port.Warn("Cannot open verifier file " + candidates.front());
    return;
  }
  std::unique_ptr<TFile> f;
  try {
    f = env_.fs.Open(refFile_, TOpenMode::Read);
  } catch (const EInOutError&) {
    env_.port.Warn("Cannot open verifier file " + refFile_);
    return;
  }
  checkOn_ = true;
  int errors = 0;
  auto fail = [&](const std::string& message) {
    env_.port.Warn(message);
    if (++errors < 5) return false;
    env_.port.Warn("Verifier File " + refFile_ + " is useless," + " verification is off");
    checkOn_ = false;
    return true;
  };
  uint64_t size = 0;
  try {
    size = f->Size();
  } catch (const EInOutError&) {
    size = 0;
  }
  uint8_t rec[kPrimeRecordSize];
  for (uint64_t at = 0; at < size; at += kPrimeRecordSize) {
    size_t got = 0;
    try {
      got = f->Read(at, rec, sizeof rec);
    } catch (const EInOutError&) {
      got = 0;
    }
    if (got != sizeof rec) {
      if (fail("Error reading verifier prime file record")) break;
      continue;
    }
    TPrimeRecord r = TPrimeRecord::Decode(rec);
    std::string name = NormalizeCompanyName(r.companyName);
    if (TrimBoth(name).empty()) {
      if (fail("** Bad Company ID **")) break;
      continue;
    }
    bool known = false;
    for (const TCompanyChoice& c : choices_)
      if (c.name == name) known = true;
    if (!known) choices_.push_back({name, int32_t(r.companyCode)});
  }
  if (!checkOn_) choices_.clear();
}

int TVerifyDlg::FindByName(std::string& name) {
  name = NormalizeCompanyName(name);
  for (size_t i = 0; i < choices_.size(); ++i)
    if (EqualNoCase(choices_[i].name, name)) return int(i);
  const std::string head = name.substr(0, 20);
  for (size_t i = 0; i < choices_.size(); ++i) {
    if (choices_[i].name.substr(0, 20) != head) continue;
    if (env_.port.Ask("Is this a Match?\n" + name + "\n" + choices_[i].name, TButtons::YesNo) == TAnswer::Yes)
      return int(i);
  }
  return -1;
}

bool TVerifyDlg::Ask(const std::string& name, int32_t code) {
  BufferName = name;
  ChoiceText = name;
  BufferID = ZeroPad(code, 6);
  FoundID = BufferID;
  Selected = -1;
  for (size_t i = 0; i < choices_.size(); ++i)
    if (choices_[i].code == code) {
      Selected = int(i);
      FoundID = ZeroPad(choices_[i].code, 6);
      break;
    }
  return env_.port.RunDialog(*this);
}

void TVerifyDlg::ChoiceExit() {
  if (Selected >= 0 && size_t(Selected) < choices_.size()) FoundID = ZeroPad(choices_[size_t(Selected)].code, 6);
}

bool TVerifyDlg::OK() {
  std::optional<int64_t> code = DecimalNumber(FoundID);
  if (!code || *code > INT32_MAX) {
    env_.port.Error("The company ID must be a number: " + FoundID);
    return false;
  }
  if (Selected < 0) {
    choices_.push_back({NormalizeCompanyName(ChoiceText), int32_t(*code)});
    Selected = int(choices_.size() - 1);
  }
  return true;
}

void TVerifyDlg::FillPrime(TPrimeRecord& prime) const {
  prime.companyName = BufferName.substr(0, 60);
  std::optional<int64_t> code = DecimalNumber(FoundID);
  if (code && *code <= INT32_MAX) prime.companyCode = uint32_t(*code);
}

bool TVerifyDlg::Identify(std::string& companyName, int32_t& companyCode, TPrimeRecord& prime) {
  int i = FindByName(companyName);
  if (i >= 0) {
    companyCode = CodeAt(i);
    prime.companyCode = uint32_t(companyCode);
    prime.companyName = companyName;
    return true;
  }
  prime.companyCode = uint32_t(companyCode);
  Ask(companyName, companyCode);
  FillPrime(prime);
  companyCode = int32_t(prime.companyCode);
  return false;
}

}  // namespace vorne
