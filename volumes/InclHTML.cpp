#include "volumes/InclHTML.h"

#include "shell/CommandLine.h"
#include "store/Errors.h"
#include "store/FileSystem.h"
#include "store/Paths.h"
#include "volumes/Fromcode.h"

namespace vorne {

std::vector<std::string> ZippemLines(TFromDisplay& list, const std::vector<std::string>& ids) {
  list.Unselect();
  std::vector<std::string> lines{"Echo off"};
  for (const std::string& id : ids) {
    for (size_t i = 0; i < list.RowCount(); ++i) {
      const TVolumeRow& row = list.Rows()[i];
      if (row.columns[kColId] != id) continue;
      lines.push_back("call Zippit " + id + " " + row.caption);
      list.SetMarked(i, true);
    }
  }
  return lines;
}

void SaveTextLines(TEnv& env, const std::string& typedPath, const std::vector<std::string>& lines) {
  const std::string path = MapPath(typedPath);
  // The default report folders may not exist yet on this machine.
  std::string folder;
  for (size_t at = path.find(kSep, 1); at != std::string::npos; at = path.find(kSep, at + 1)) {
    folder = path.substr(0, at);
    if (!env.fs.IsDirectory(folder)) env.fs.MakeDir(folder);
  }
  std::string text;
  for (const std::string& l : lines) text += l + "\r\n";
  env.fs.ReplaceFile(path, text);
}

bool WriteZippemBatch(TEnv& env, TFromDisplay& list, const std::vector<std::string>& ids,
                      const std::string& libraryDir, const std::string& toDir) {
  std::vector<std::string> lines = ZippemLines(list, ids);
  list.Counts();
  TFileChoice choice{kZippemCaption, toDir.empty() ? libraryDir : AppendName(toDir, kZippemName), "*.bat"};
  std::optional<std::string> chosen = env.port.ChooseSaveFile(choice);
  if (!chosen || chosen->empty()) return false;
  std::string file = *chosen;
  // A folder chosen (or proposed) gets the batch file's own name.
  if (env.fs.IsDirectory(MapPath(file))) file = AppendName(file, kZippemName);
  try {
    SaveTextLines(env, file, lines);
  } catch (const EInOutError& e) {
    env.port.Error(e.what());
    return false;
  }
  env.port.Info("Saved " + std::to_string(lines.size()) + " lines\nto " + file);
  return true;
}

}  // namespace vorne
