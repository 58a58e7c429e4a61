// Paths as users type them ("D:\WebVorne\TF05.txt", "lib\GZPrime") mapped to
// this platform: both separators are accepted, and a drive letter names the
// folder of that letter under the drive root (~/vorne-drives by default).
#pragma once

#include <string>
#include <string_view>

namespace vorne {

inline constexpr char kSep = '/';

// Backslashes become the platform separator; "D:\x" maps under the drive root.
std::string MapPath(std::string_view typed);
// The drive root; the keyword DRIVES changes it.
void SetDriveRoot(const std::string& root);
const std::string& DriveRoot();
// The upper-case drive letter of a typed path, or 0 when it has none (a
// network path, which rules on letters treat as "L").
char DriveLetter(std::string_view typed);

// dir + separator + name (no doubled separator; an empty dir gives name).
std::string JoinPath(std::string_view dir, std::string_view name);
// The directory part including its trailing separator ("" for a bare name).
std::string DirPart(std::string_view path);
// The last component.
std::string FileNamePart(std::string_view path);
// The path without a trailing separator (the root "/" stays).
std::string StripTrailingSep(std::string_view path);

}  // namespace vorne
