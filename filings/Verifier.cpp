#include "filings/Verifier.h"

#include <filesystem>

#include "platform/Paths.h"
#include "store/Errors.h"
#include "store/Headers.h"
#include "volumes/HtmlIncludes.h"

namespace vorne {

bool TverifyW::VerifyVolume(TPrimeRef& volume, const std::string& companyName, const TSheetFilter* filter) {
  const size_t at = FlawList.size();
  FlawList.push_back(companyName);
  THdrList list(volume, filter);
  bool ok = list.VerifyNames(FlawList);
  if (ok)
    FlawList.resize(at);
  else
    FlawList.push_back(kVolumeFailuresEnd);
  caption_ = companyName;
  visible_ = true;
  Changed();
  env_.port.ProcessEvents();
  return ok;
}

void TverifyW::Show() {
  visible_ = true;
  counter_ = std::to_string(FlawList.size()) + " Lines";
  Changed();
}

bool TverifyW::Save(const std::string& folder) {
  const std::string path = folder + kSep + kVerifyFile;
  try {
    SaveTextLines(env_, path, FlawList);
  } catch (const EInOutError&) {
    env_.port.Error("could not save to " + path);
    return false;
  }
  env_.port.Info("Saved in: " + path);
  return true;
}

bool TverifyW::SaveClick() {
  std::error_code ec;
  std::string here = std::filesystem::current_path(ec).string();
  return Save(ec ? std::string(".") : here);
}

}  // namespace vorne
