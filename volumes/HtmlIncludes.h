// The packing batch file of the volume list: one "call Zippit" line per
// volume of the chosen company IDs, for the publication of their packed
// libraries ("ZIPPEM.Bat"); and TIncludes, the "HTML Includes" window that
// builds the page of download links to the packed files of each company.
#pragma once

#include <string>
#include <vector>

#include "platform/UserPort.h"

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

// ---- the includes page -----------------------------------------------------------------

inline constexpr char kIncludesCaption[] = "HTML Includes";
inline constexpr char kIncludesFolder[] = "D:\\Webvorne\\zipdata";

// Site configuration of the page's banner and validator links. The defaults
// are neutral placeholders; a site sets its own before Go.
struct TIncludesSite {
  std::string homePage = "../index.htm";
  std::string agencySeal = "../images/seal.gif";
  std::string agencyTitle = "../images/agency.gif";
  std::string programBanner = "../images/banner.gif";
  std::string validator = "https://validator.example.org/check?uri=referer";
  std::string validationImage = "../vhtml401.png";
};

// The window's editable parts, the generated page (the output pane) and its
// Save. The page is built from the rows of a volume list.
class TIncludes {
 public:
  explicit TIncludes(TIncludesSite site = {});

  std::vector<std::string> Prologue, IndexTop, IndexMiddle, Epilogue;

  // The folder a split copy remembers; Go does not use it.
  void SetFolder(const std::string& folder) { folder_ = folder; }
  const std::string& Folder() const { return folder_; }
  // Appends the page to the output pane: Prologue, the update line, the
  // table sorted by last update, the table sorted by company name,
  // Epilogue. Leaves the list sorted by company name; enables Save.
  void Go(TFromDisplay& list);
  const std::vector<std::string>& Output() const { return output_; }
  bool SaveEnabled() const { return saveEnabled_; }
  // The save dialog proposing "index.htm" in the zipdata folder; false when
  // cancelled or not written (the error is shown).
  bool SaveClick(TEnv& env);
  // Writes the output pane to a typed path. Raises EInOutError.
  void Save(TEnv& env, const std::string& typedPath) const;

 private:
  void AddZipRow(const std::string& id, const std::string& updated, const std::string& company);

  std::string folder_;
  std::string previousId_;
  std::vector<std::string> output_{std::string()};
  bool saveEnabled_ = false;
};

}  // namespace vorne
