// TNoteDialog: the notepad ("Notepad") as a model. It starts with a ruled
// list of the marked sheets - 54 "=", the sheet list's caption, 54 "-", one
// line per marked entry, 54 "=" - below which the person writes comments,
// and keeps them in a text file ("OK") or on the clipboard ("Copy").
#pragma once

#include <string>
#include <vector>

#include "platform/UserPort.h"
#include "store/Headers.h"

namespace vorne {

class TNoteDialog {
 public:
  static constexpr const char* kCaption = "Notepad";

  TNoteDialog(TEnv& env, const std::string& listCaption, const TNamedSheets& marked);

  // The text area, one string per line; the view writes back what is typed.
  std::vector<std::string> lines;

  // OK: asks for a file (default "comments.txt") and writes every line to
  // it; the dialog closes either way. False when the file could not be
  // written (the person has been told).
  bool OKClick();
  // "Copy": the text for the clipboard, lines ended by "\n".
  std::string CopyText() const;

 private:
  TEnv& env_;
};

}  // namespace vorne
