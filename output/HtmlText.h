// The text rules of the published pages: the character table for sheet body
// lines, the escaping of library text put into markup, the compliance docket
// text and the file names of a company's pages.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vorne {

struct TDocketBody;

// One sheet body line for a <PRE> block: control characters become blanks,
// '"' "&quot;", '&' "&amp;", '<' "&lt;", '>' "&gt;", 127 is dropped, the
// named characters of the upper half their entities and every other one a
// blank. The result is cut to 255 characters without splitting an entity.
std::string HtmlBodyLine(std::string_view line);
// HtmlBodyLine appended to out (for writers that reuse one string per line).
void AppendHtmlBodyLine(std::string& out, std::string_view line);
// Library text (titles, names, dockets) in markup: '<' and '>' become
// "&lt;" and "&gt;"; everything else stays as it is.
std::string HtmlText(std::string_view text);
// HtmlText appended to out.
void AppendHtmlText(std::string& out, std::string_view text);
// A company or issuer name: EscapeAmp, then HtmlText.
std::string HtmlName(std::string_view name);

// The "to comply with" text of a compliance docket: its first two
// characters followed by the run of blanks, hyphens and digits after them.
std::string ComplianceText(std::string_view complianceDkt20);
bool IsBlankField(std::string_view field);

// The file-name stem of a company's pages: characters 2 to 6 of its 6-digit
// code text ("012345" gives "12345").
std::string CodeStem(std::string_view codeText);
// A stem for a company whose code stem is taken by another company in the
// same run: "X" and its full code text (it cannot meet a digit stem).
std::string CollisionStem(std::string_view codeText);
// The page-file part of a sheet page name: "0".."9", "A".."Z" for the first
// 36 files of a company, then "_036", "_037", ... (a "_" never appears in a
// stem, so no later name repeats an earlier one).
std::string PageFileSuffix(int pageFile);

}  // namespace vorne
