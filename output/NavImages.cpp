#include "output/NavImages.h"

#include <unistd.h>

#include "platform/Paths.h"

namespace vorne {

namespace {
std::string& ChosenFolder() {
  static std::string folder;
  return folder;
}
}  // namespace

void SetImageFolder(const std::string& folder) { ChosenFolder() = folder; }

std::string ImageFolder() {
  if (!ChosenFolder().empty()) return ChosenFolder();
  char buf[4096];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return ".";
  return StripTrailingSep(DirPart(std::string(buf, size_t(n))));
}

}  // namespace vorne
