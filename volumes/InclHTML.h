// The packing batch file of the volume list: one "call Zippit" line per
// volume of the chosen company IDs, for the publication of their packed
// libraries ("ZIPPEM.Bat").
#pragma once

#include <string>
#include <vector>

#include "shell/UserPort.h"

namespace vorne {

class TFromDisplay;

inline constexpr char kZippemName[] = "ZIPPEM.Bat";
inline constexpr char kZippemCaption[] = "save pkzip bat file as:";

// The lines of the batch file: "Echo off", then for each ID in the given
// order every row whose ID text equals it, as "call Zippit " + ID + " " +
// company name. Rows that match are marked; every other mark is removed
// first (panel 1 then reads "No Sheets, out of " and the sheet total).
std::vector<std::string> ZippemLines(TFromDisplay& list, const std::vector<std::string>& ids);

// ZippemLines, then the save dialog "save pkzip bat file as:" (starting in
// libraryDir; proposing toDir + "ZIPPEM.Bat" when toDir is set). On
// confirmation the lines are written (CRLF, temporary file renamed over the
// old one) and "Saved <n> lines\nto <file>" is shown. false when the person
// cancelled or the file could not be written (the error is shown).
bool WriteZippemBatch(TEnv& env, TFromDisplay& list, const std::vector<std::string>& ids,
                      const std::string& libraryDir, const std::string& toDir);

// Writes text lines, each ended by CRLF, to a typed path: missing folders
// are made, the file is replaced through a temporary. Raises EInOutError.
void SaveTextLines(TEnv& env, const std::string& typedPath, const std::vector<std::string>& lines);

}  // namespace vorne
