#include "shell/CompareRun.h"

#include "platform/Errors.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/UserPort.h"
#include "sheets/Compare.h"
#include "store/Common.h"

namespace vorne {

std::string TCompareCount::Message(const std::string& path) const {
  return std::to_string(compared) + " sheets compared with their older versions, " + std::to_string(changed) +
         " changed; written to " + path;
}

std::optional<TCompareCount> WriteComparisons(TEnv& env, const TNamedSheets& sheets, const std::string& typedPath) {
  TVersionPairs pairs;
  TCompareCount count;
  std::string text;
  for (const auto& entry : sheets) {
    const TSheetPtr& newer = entry.second;
    if (!newer) continue;
    const TSheetPtr older = pairs.OlderVersion(*newer);
    if (!older) continue;
    TCompareSide a, b;
    if (!ReadCompareSide(older, pairs, a) || !ReadCompareSide(newer, pairs, b)) continue;
    ++count.compared;
    const std::string diff = UnifiedDiff(a.lines, b.lines, a.DiffName(), b.DiffName());
    if (diff.empty()) continue;
    ++count.changed;
    text += diff;
    env.port.ProcessEvents();
  }
  const std::string path = MapPath(typedPath);
  try {
    env.fs.ReplaceFile(path, Utf8From1252(text));
  } catch (const EInOutError& e) {
    env.port.Error("Could not write " + path + ": " + e.what());
    return std::nullopt;
  }
  env.port.Info(count.Message(path));
  return count;
}

}  // namespace vorne
