#include "volumes/HtmlIncludes.h"

#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "store/Common.h"
#include "store/Errors.h"
#include "store/Prime.h"
#include "volumes/VolumeList.h"

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
  TFileChoice choice{kZippemCaption, AppendName(toDir.empty() ? libraryDir : toDir, kZippemName), "*.bat"};
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

// ---- TIncludes -----------------------------------------------------------------------------

TIncludes::TIncludes(TIncludesSite site) {
  Prologue = {
      "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">",
      "<HTML>",
      "<HEAD>",
      "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\">",
      "<meta name=\"GENERATOR\" content=\"VORNE\">",
      "<!-- data folder: zipdata -->",
      "<title>Zipped Data Files</title>",
      "</HEAD>",
      "<BODY BGCOLOR=\"#DDFFFF\" LINK=\"#0000FF\" VLINK=\"#009900\" ALINK=\"#339966\">",
      "<A Name=\"TopAnchor\"></A>",
      "<A NAME=\"top\"></A>",
      "<center>",
      "<a href=\"" + site.homePage + "\"><img src=\"" + site.agencySeal + "\" alt=\"seal\" border=\"0\"></a>",
      "<a href=\"" + site.homePage + "\"><img src=\"" + site.agencyTitle + "\" alt=\"agency\" border=\"0\"></a>",
      "<a href=\"" + site.homePage + "\"><img src=\"" + site.programBanner + "\" alt=\"VORNE\" border=\"0\"></a>",
      "</center>",
      "<h1 align=\"center\">",
      "<strong>Download Tariff Data Files</strong></h1>",
  };
  IndexTop = {"<a name=\"ByDate\"></a>",
              "<a href=\"../index.htm\">VORNE page</a><br>",
              "<a href=\"#ByName\">Sorted by name</a>",
              "<h3> Sorted by Date </h3>",
              "<table border=\"1\" width=\"100%\">",
              "<tr>",
              "<th align=right> Date changed</th>",
              "<th> Pipeline Company</th>",
              "</tr> "};
  IndexMiddle = {"</table>",
                 "<a name=\"ByName\"></a>",
                 "<H3> Sorted By Company Name</H3>",
                 "<a href=\"../index.htm\">VORNE Home Page</a><br>",
                 "<a href=\"#ByDate\">Sorted by Date</a>",
                 "<table border=\"1\" width=\"100%\">",
                 "<tr>",
                 "<th align=right> Date changed</th>",
                 "<th> Pipeline Company</th>",
                 "</tr> "};
  // The page receives the epilogue in the short pieces it is kept in.
  const std::string epilogue =
      "<p><a href=\"" + site.validator + "\">Valid HTML 4.01</a> This page should display in any "
      "HTML 4.01-compliant browser. <img src=\"" + site.validationImage +
      "\" alt=\"Valid HTML 4.01!\" height=\"31\" width=\"88\"></p>";
  for (size_t i = 0; i < epilogue.size(); i += 2) Epilogue.push_back(epilogue.substr(i, 2));
  Epilogue.push_back("</BODY>");
  Epilogue.push_back("</HTML>");
}

void TIncludes::AddZipRow(const std::string& id, const std::string& updated, const std::string& company) {
  if (id == previousId_) return;
  previousId_ = id;
  output_.push_back("<tr> <td>" + updated + "</td><td><a href=\"" + id + ".zip\">" + EscapeAmp(company) +
                    "</a></td></tr>");
}

void TIncludes::Go(TFromDisplay& list) {
  output_.insert(output_.end(), Prologue.begin(), Prologue.end());
  output_.push_back("<i> Updated " + ShortDate(Today()) + "</i><br>");
  output_.insert(output_.end(), IndexTop.begin(), IndexTop.end());
  list.Sort(kSortByUpdate);
  for (const TVolumeRow& r : list.Rows()) AddZipRow(r.columns[kColId], r.columns[kColUpdated], r.caption);
  output_.insert(output_.end(), IndexMiddle.begin(), IndexMiddle.end());
  list.Sort(kSortByName);
  for (const TVolumeRow& r : list.Rows()) AddZipRow(r.columns[kColId], r.columns[kColUpdated], r.caption);
  output_.push_back("</table>");
  output_.insert(output_.end(), Epilogue.begin(), Epilogue.end());
  saveEnabled_ = true;
}

void TIncludes::Save(TEnv& env, const std::string& typedPath) const { SaveTextLines(env, typedPath, output_); }

bool TIncludes::SaveClick(TEnv& env) {
  std::optional<std::string> chosen =
      env.port.ChooseSaveFile({"Save HTML Includes", AppendName(kIncludesFolder, "index.htm"), "*.htm"});
  if (!chosen || chosen->empty()) return false;
  try {
    Save(env, *chosen);
  } catch (const EInOutError& e) {
    env.port.Error(e.what());
    return false;
  }
  return true;
}

}  // namespace vorne
