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

// ---- typed paths (either separator) ----

// The folder of a typed path without its trailing separator ("D:" for
// "D:\X", "/" for "/X", "" for a bare name).
std::string TypedFolder(std::string_view typed);
// The last component of a typed path.
std::string TypedName(std::string_view typed);
// folder + platform separator + name; no doubled separator.
std::string AppendName(std::string_view folder, std::string_view name);
bool EndsWithSeparator(std::string_view typed);
// The typed path without trailing separators (a lone separator stays).
std::string TypedWithoutSeparator(std::string_view typed);

}  // namespace vorne
