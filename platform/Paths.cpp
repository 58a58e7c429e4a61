#include "platform/Paths.h"

#include <cstdlib>

namespace vorne {

static std::string& RootRef() {
  static std::string root = [] {
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : ".") + "/vorne-drives";
  }();
  return root;
}

void SetDriveRoot(const std::string& root) { RootRef() = StripTrailingSep(MapPath(root)); }
const std::string& DriveRoot() { return RootRef(); }

char DriveLetter(std::string_view typed) {
  if (typed.size() >= 2 && typed[1] == ':') {
    char c = typed[0];
    if (c >= 'a' && c <= 'z') c = char(c - 32);
    if (c >= 'A' && c <= 'Z') return c;
  }
  return 0;
}

std::string MapPath(std::string_view typed) {
  std::string t(typed);
  for (char& c : t)
    if (c == '\\') c = kSep;
  if (char letter = DriveLetter(t)) {
    std::string rest = t.substr(2);
    while (!rest.empty() && rest.front() == kSep) rest.erase(0, 1);
    std::string base = RootRef() + kSep + letter;
    return rest.empty() ? base : base + kSep + rest;
  }
  return t;
}

std::string JoinPath(std::string_view dir, std::string_view name) {
  if (dir.empty()) return std::string(name);
  std::string t(dir);
  if (t.back() != kSep) t += kSep;
  while (!name.empty() && name.front() == kSep) name.remove_prefix(1);
  return t + std::string(name);
}

std::string DirPart(std::string_view path) {
  size_t p = path.find_last_of(kSep);
  return p == std::string_view::npos ? std::string() : std::string(path.substr(0, p + 1));
}

std::string FileNamePart(std::string_view path) {
  size_t p = path.find_last_of(kSep);
  return std::string(p == std::string_view::npos ? path : path.substr(p + 1));
}

std::string StripTrailingSep(std::string_view path) {
  std::string t(path);
  while (t.size() > 1 && t.back() == kSep) t.pop_back();
  return t;
}

// ---- typed paths ----------------------------------------------------------

static bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool EndsWithSeparator(std::string_view typed) { return !typed.empty() && IsSeparator(typed.back()); }

std::string TypedWithoutSeparator(std::string_view typed) {
  std::string t(typed);
  while (t.size() > 1 && IsSeparator(t.back())) t.pop_back();
  return t;
}

std::string TypedFolder(std::string_view typed) {
  size_t p = typed.find_last_of("\\/:");
  if (p == std::string_view::npos) return "";
  if (typed[p] == ':') return std::string(typed.substr(0, p + 1));
  if (p == 0) return std::string(typed.substr(0, 1));
  return TypedWithoutSeparator(typed.substr(0, p));
}

std::string TypedName(std::string_view typed) {
  size_t p = typed.find_last_of("\\/:");
  return std::string(p == std::string_view::npos ? typed : typed.substr(p + 1));
}

std::string AppendName(std::string_view folder, std::string_view name) {
  if (folder.empty()) return std::string(name);
  std::string t(folder);
  if (!IsSeparator(t.back())) t += kSep;
  return t + std::string(name);
}

}  // namespace vorne
