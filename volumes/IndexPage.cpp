#include "volumes/IndexPage.h"

#include <vector>

#include "output/HtmlText.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "store/Common.h"
#include "volumes/VolumeList.h"

namespace vorne {

namespace {

size_t FindLine(const std::vector<std::string>& lines, size_t from, const char* marker) {
  for (size_t i = from; i < lines.size(); ++i)
    if (Contains(lines[i], marker)) return i;
  return lines.size();
}

}  // namespace

void WriteIndexPage(TEnv& env, TFromDisplay& list, const std::string& folder,
                    const std::map<std::string, std::string>& tableStems) {
  const std::string dir = MapPath(folder);
  const std::string templatePath = FindNoCase(env.fs, dir, "Template.htm");
  std::vector<std::string> tmpl;
  const bool hasTemplate = env.fs.Exists(templatePath);
  if (hasTemplate) tmpl = SplitLines(env.fs.ReadAll(templatePath));
  const size_t prologueEnd = FindLine(tmpl, 0, kEndOfPrologue);

  std::string page;
  auto line = [&page](const std::string& text) {
    page += text;
    page += "\r\n";
  };
  if (hasTemplate && prologueEnd < tmpl.size()) {
    for (size_t i = 0; i < prologueEnd; ++i) line(tmpl[i]);
  } else {
    // No template, or one without its prologue marker: the built-in head.
    if (!hasTemplate) env.port.Info("Template File missing from " + folder);
    line("<HTML><HEAD><TITLE>Pipeline Tariffs</title></head>");
    line("<BODY>");
  }
  line("<H1>Current Pipeline Tariffs </H1>");
  line("<br><I> Updated " + LongDate(Today()) + " </I><br>");
  line("<A HREF=\"#TextOnly\">Text Only Version</A>");
  line("<UL>");

  list.Sort(kSortByName);
  std::vector<std::string> textOnly;
  std::string previous;
  for (const TVolumeRow& row : list.Rows()) {
    auto stem = tableStems.find(row.columns[kColId]);
    if (stem == tableStems.end() || stem->second == previous) continue;
    previous = stem->second;
    const std::string name = HtmlName(row.caption);
    line("<LI><A HREF=\"T" + stem->second + ".HTM\"> " + name + " </A>");
    textOnly.push_back("<LI><A HREF=\"L" + stem->second + ".HTM\">" + name + "</A>");
  }
  line("</UL>");
  line("<H3><A name=\"TextOnly\">Text Only Version</A></H3>");
  line("<UL>");
  for (const std::string& t : textOnly) line(t);

  const size_t prefixEnd = hasTemplate ? FindLine(tmpl, prologueEnd < tmpl.size() ? prologueEnd : 0, "end of prefix")
                                       : tmpl.size();
  if (hasTemplate && prefixEnd < tmpl.size()) {
    for (size_t i = prefixEnd + 1; i < tmpl.size(); ++i) line(tmpl[i]);
  } else {
    line("</UL></BODY></HTML>");
  }
  env.fs.ReplaceFile(JoinPath(dir, "index.htm"), page);
}

}  // namespace vorne
