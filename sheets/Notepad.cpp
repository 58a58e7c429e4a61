#include "sheets/Notepad.h"

#include "platform/Errors.h"
#include "platform/FileSystem.h"

namespace vorne {

TNoteDialog::TNoteDialog(TEnv& env, const std::string& listCaption, const TNamedSheets& marked) : env_(env) {
  lines.push_back(std::string(54, '='));
  lines.push_back(listCaption);
  lines.push_back(std::string(54, '-'));
  for (const auto& entry : marked) lines.push_back(entry.first);
  lines.push_back(std::string(54, '='));
}

bool TNoteDialog::OKClick() {
  std::optional<std::string> path = env_.port.ChooseSaveFile({"Save notes", "comments.txt", "Text files (*.txt)"});
  if (!path) return true;
  // The default extension "txt" when the name has none.
  const size_t slash = path->find_last_of("/\\");
  if (path->find('.', slash == std::string::npos ? 0 : slash) == std::string::npos) *path += ".txt";
  try {
    env_.fs.ReplaceFile(*path, CopyText());
  } catch (const EInOutError& e) {
    env_.port.Error(e.what());
    return false;
  }
  return true;
}

std::string TNoteDialog::CopyText() const {
  std::string out;
  for (const std::string& l : lines) out += l + "\n";
  return out;
}

}  // namespace vorne
