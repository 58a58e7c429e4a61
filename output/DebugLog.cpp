#include "output/DebugLog.h"

#include "platform/FileSystem.h"
#include "platform/Paths.h"

namespace vorne {

void TDebugLog::AddLine(const std::string& text) {
  log_.push_back(text);
  Changed();
}

void TDebugLog::SaveAs(const std::string& path) {
  visible_ = true;
  Changed();
  const std::string target = MapPath(path);
  // The fixed debug paths name folders that a fresh system does not have.
  std::string dir = StripTrailingSep(DirPart(target));
  std::vector<std::string> missing;
  while (!dir.empty() && dir != "/" && !fs_.IsDirectory(dir)) {
    missing.push_back(dir);
    dir = StripTrailingSep(DirPart(dir));
  }
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) fs_.MakeDir(*it);

  std::string bytes;
  for (const std::string& line : log_) bytes += line + "\n";
  fs_.ReplaceFile(target, bytes);
}

}  // namespace vorne
