#include "output/HtmlWriter.h"

#include <charconv>

#include "output/DebugLog.h"
#include "output/NavImages.h"
#include "output/OutText.h"
#include "platform/Paths.h"
#include "store/Cluster.h"
#include "store/Common.h"
#include "store/Errors.h"
#include "store/Records.h"
#include "store/TextReader.h"

namespace vorne {

namespace {

constexpr char kEndOfPrefix[] = "end of prefix";
constexpr char kTopAnchor[] = "<A NAME=\"TopAnchor\"></A>";
constexpr char kTopLink[] = "<A HREF=\"#TopAnchor\"><img src=\"top.png\" alt=\"top\"></A>";
constexpr char kStopImage[] = "<IMG src=\"stop.png\" alt=\"Stop\">";

std::string N(int n) { return std::to_string(n); }

// Page lines are built in one reused string: a sheet costs no temporaries.
struct THtml {
  std::string_view text;  // library text, escaped on the way in
};
void AppendPart(std::string& s, std::string_view v) { s.append(v); }
template <size_t N>
void AppendPart(std::string& s, const char (&literal)[N]) {
  s.append(literal, N - 1);  // its length is known: no strlen per line
}
void AppendPart(std::string& s, THtml h) { AppendHtmlText(s, h.text); }
void AppendPart(std::string& s, int n) {
  char digits[16];
  s.append(digits, std::to_chars(digits, digits + sizeof digits, n).ptr);
}
template <class... TParts>
const std::string& Cat(std::string& s, const TParts&... parts) {
  s.clear();
  (AppendPart(s, parts), ...);
  return s;
}

// A line added to a page body kept in one text.
void AddLine(std::string& body, std::string_view line) { body.append(line).append("\r\n", 2); }
// A line made of parts, added in place to a page body or a file's unwritten text.
template <class... TParts>
void AddParts(std::string& body, const TParts&... parts) {
  (AppendPart(body, parts), ...);
  body.append("\r\n", 2);
}
// Where a sheet's lines go: the page's unwritten text, or nowhere when the
// page could not be written.
std::string& PageText(std::unique_ptr<TOutText>& page, std::string& nowhere) {
  if (page) return page->Pending();
  nowhere.clear();
  return nowhere;
}

}  // namespace

HTMLPrintThing::HTMLPrintThing(TEnv& env, TFileCluster& cluster, TDebugLog& log, std::string outDir)
    : FPrintThing(env, cluster, log, std::move(outDir)) {}

HTMLPrintThing::~HTMLPrintThing() = default;

// ---- files and pages ---------------------------------------------------------------

void HTMLPrintThing::ReadTemplate() {
  const std::string path = FindNoCase(env_.fs, outDir_, kTemplateFile);
  hasTemplate_ = false;
  if (!env_.fs.Exists(path)) return;
  try {
    template_ = SplitLines(env_.fs.ReadAll(path));
  } catch (const EInOutError& e) {
    env_.port.Error("Cannot read " + path + ": " + e.what());
    return;
  }
  hasTemplate_ = true;
  prefixEnd_ = template_.size();
  for (size_t i = 0; i < template_.size(); ++i)
    if (Contains(template_[i], kEndOfPrefix)) {
      prefixEnd_ = i;
      break;
    }
}

template <class TWrite>
void HTMLPrintThing::Guarded(std::unique_ptr<TOutText>& file, TWrite write) {
  if (!file) return;
  try {
    write(*file);
  } catch (const EInOutError& e) {
    env_.port.Error("Cannot write file " + file->Path() + ": " + e.what());
    file.reset();  // the temporary is removed; the old page stays
  }
}

void HTMLPrintThing::Put(std::unique_ptr<TOutText>& file, std::string_view line) {
  Guarded(file, [&](TOutText& f) { f.Line(line); });
}

void HTMLPrintThing::Commit(std::unique_ptr<TOutText>& file) {
  Guarded(file, [](TOutText& f) { f.Commit(); });
}

void HTMLPrintThing::PutRaw(std::unique_ptr<TOutText>& file, std::string_view text) {
  Guarded(file, [&](TOutText& f) { f.Raw(text); });
}

void HTMLPrintThing::PageHeader(TOutText& f, const std::string& fileName, const std::string& heading,
                                const std::string& subheading) {
  bool anchored = false;
  if (!hasTemplate_) {
    f.Line("<HTML><HEAD><TITLE>" + heading + "</title></head>");
    f.Line("<BODY>");
  } else {
    for (size_t i = 0; i < prefixEnd_; ++i) {
      const std::string& line = template_[i];
      if (Contains(LowerCase(line), "name=\"topanchor\"")) anchored = true;
      if (Contains(line, "<title>") && !heading.empty())
        f.Line("<title>" + heading + "</title>");
      else if (Contains(line, "<title>") && !subheading.empty())
        f.Line("<title>" + subheading + "</title>");
      else
        f.Line(line);
    }
  }
  // The navigation links of every page lead here.
  if (!anchored) f.Line(kTopAnchor);
  if (!heading.empty()) f.Line("<H1>" + heading + "</H1>");
  if (!subheading.empty()) f.Line("<H2>" + subheading + "</H2>");
  if (fileName != kIndexPage) f.Line(std::string("<A HREF=") + kIndexPage + ">Return to Master List</A>");
}

void HTMLPrintThing::PageTrailer(std::unique_ptr<TOutText>& file) {
  if (!file) return;
  if (!hasTemplate_) {
    Put(file, "</BODY> </HTML>");
  } else {
    for (size_t i = prefixEnd_; i < template_.size(); ++i) Put(file, template_[i]);
  }
  CloseOut(file);
}

void HTMLPrintThing::CopyImages() {
  for (const char* name : kNavImages) {
    const std::string target = JoinPath(outDir_, name);
    if (env_.fs.Exists(target)) continue;
    try {
      env_.fs.WriteAll(target, NavImagePng(name));
    } catch (const EInOutError&) {
      env_.port.Error(target + " could not be written," + " I/O Error");
    }
  }
}

void HTMLPrintThing::Create() {
  ReadTemplate();
  index_ = OpenOut(kIndexPage);
  if (index_) {
    PageHeader(*index_, kIndexPage, "", "");
    Put(index_, "<br><I> Updated " + LongDate(Today()) + " </I><br>");
    Put(index_, "<A HREF=\"#TextOnly\">Text Only Version</A>");
    Put(index_, "<UL>");
  }
  sheetNo_ = 0;
  CopyImages();
}

// ---- companies and volumes ----------------------------------------------------------

std::string HTMLPrintThing::CompanyStem(const std::string& code) {
  auto known = stems_.find(code);
  if (known != stems_.end()) return known->second;
  std::string stem = CodeStem(code);
  auto user = stemUser_.find(stem);
  if (user != stemUser_.end()) {
    const std::string other = user->second;
    stem = CollisionStem(code);
    log_.AddLine("Company " + code + " has the file stem " + CodeStem(code) + " of company " + other +
                 "; its pages are named " + stem);
  }
  stems_[code] = stem;
  stemUser_[stem] = code;
  return stem;
}

bool HTMLPrintThing::StartCompanyVolume(const std::string& code, const std::string& companyName) {
  if (!cluster_.BufferOpen() && !cluster_.OpenBuffer()) return false;
  const std::string title = HtmlName(companyName.substr(0, 60));
  if (companyOpen_ && code == companyCode_) {
    companyTitle_ = title;
    ++volumeNo_;
    firstVolume_ = false;
    return true;
  }
  if (companyOpen_) CompleteCompany();
  companyCode_ = code;
  pageFile_ = 0;
  docketOffset_ = 0;
  volumeNo_ = 0;
  volumesOfCompany_ = 0;
  base_ = CompanyStem(code);
  companyTitle_ = title;
  firstVolume_ = true;
  toc_.clear();
  tableBody_.clear();
  listBody_.clear();
  textOnly_.push_back(base_ + ".HTM\">" + companyTitle_);
  Put(index_, "<LI><A HREF=\"T" + base_ + ".HTM\"> " + companyTitle_ + " </A>");
  companyOpen_ = true;
  return true;
}

void HTMLPrintThing::StartVolume(const std::string& volumeTitle) {
  ++volumeNo_;
  ++volumesOfCompany_;
  if (!volumeTitle.empty()) volumeTitle_ = HtmlText(volumeTitle.substr(0, 40));
  caption = companyTitle_ + ":" + volumeTitle_;
  const std::string v = N(volumeNo_);
  AddLine(toc_, "<LI><A HREF=\"#Vol_" + v + "\">");
  AddLine(toc_, caption + "</A></LI>");
  std::string heading;
  if (!firstVolume_) AddLine(heading, std::string("<A HREF=\"") + kIndexPage + "\">Return to Master List</A>");
  AddLine(heading, "<A NAME=\"Vol_" + v + "\"></A>");
  AddLine(heading, "<H2>" + volumeTitle_ + "</H2><br>");
  AddLine(heading, "<I> click on the sheet name to view the sheet text. <br>");
  AddLine(heading, " click on the docket number for its associated information</I>");
  tableBody_.append(heading);
  listBody_.append(heading);
  AddLine(tableBody_, "<table border=\"1\" width=\"100%\">");
  AddLine(listBody_, "<UL>");
  OpenSheetPage();
}

void HTMLPrintThing::OpenSheetPage() {
  const std::string name = PageName(pageFile_);
  sheetPage_.reset();
  try {
    sheetPage_ = NewOut(JoinPath(outDir_, name + ".HTM"));
    PageHeader(*sheetPage_, name + ".HTM", companyTitle_, volumeTitle_);
  } catch (const EInOutError&) {
    sheetPage_.reset();
    env_.port.Error("Error in opening text for " + name);
  }
  ++pageFile_;
  inFile_ = 0;
}

void HTMLPrintThing::EndVolume() {
  AddLine(tableBody_, "</table>");
  AddLine(listBody_, "</UL> ");
  PageTrailer(sheetPage_);
  dockets_.clear();
}

void HTMLPrintThing::CompleteCompany() {
  std::unique_ptr<TOutText> table = OpenOut("T" + base_ + ".HTM");
  std::unique_ptr<TOutText> list = OpenOut("L" + base_ + ".HTM");
  try {
    if (table) PageHeader(*table, "T" + base_ + ".HTM", companyTitle_, "Tariff Sheet Table");
    if (list) PageHeader(*list, "L" + base_ + ".HTM", companyTitle_, "Tariff Sheet list");
  } catch (const EInOutError& e) {
    env_.port.Error(std::string("Cannot write the company pages: ") + e.what());
    table.reset();
    list.reset();
  }
  if (volumesOfCompany_ > 1) {
    Put(table, "<UL>");
    PutRaw(table, toc_);
    Put(table, "</UL>");
  }
  PutRaw(table, tableBody_);
  PutRaw(list, listBody_);
  const bool tableWritten = table != nullptr;
  PageTrailer(table);
  PageTrailer(list);
  if (tableWritten) written_[companyCode_] = base_;
  Put(kpage_, "</UL>");
  PageTrailer(kpage_);
  companyOpen_ = false;
}

void HTMLPrintThing::Close() {
  if (companyOpen_) CompleteCompany();
  Put(index_, "</UL>");
  Put(index_, "<H3><A name=\"TextOnly\">Text Only Version</A></H3>");
  Put(index_, "<UL>");
  for (const std::string& entry : textOnly_) Put(index_, "<LI><A HREF=\"L" + entry + "</A>");
  Put(index_, "</UL>");
  PageTrailer(index_);
  if (!log_.Log().empty()) SaveBugLog(kHtmlBugsLog);
}

// ---- sheets ------------------------------------------------------------------------------

void HTMLPrintThing::WriteSheet(TSheet& sheet, const std::string& rawTitle, bool hasNext, bool hasPrevious) {
  ++sheetNo_;
  ++inFile_;
  if (inFile_ > kSheetsPerPageFile) {
    PageTrailer(sheetPage_);
    OpenSheetPage();
  }
  const int n = sheetNo_;
  std::string& title = titleOut_;
  title.clear();
  AppendHtmlText(title, rawTitle);
  // pageFile_ already counts the open file: it is the next file's number.
  const std::string suffix = PageFileSuffix(pageFile_ - 1);
  // The lines go into the page's unwritten text; SheetBlock writes it out.
  std::string& page = PageText(sheetPage_, lineOut_);
  AddParts(page, "<br><A NAME=\"Sht", n, "\"> </A><hr><A HREF=\"T", base_, ".HTM#Index", n,
           "\"> Sheet Index Table </A>");
  AddParts(page, kTopLink);
  if (!hasNext)
    AddParts(page, kStopImage);
  else if (inFile_ >= kSheetsPerPageFile)
    AddParts(page, "<A HREF=\"", base_, PageFileSuffix(pageFile_), ".HTM#Sht", n + 1,
             "\"><IMG src=\"down.png\" alt=\"Next \"></A>");
  else
    AddParts(page, "<A HREF=\"#Sht", n + 1, "\"><IMG src=\"down.png\" alt=\"Next \"></A>");
  if (hasPrevious && inFile_ >= 1)
    AddParts(page, "<A HREF=\"#Sht", n - 1, "\"><IMG src=\"up.png\" alt=\"Previous\"></A>");
  else if (hasPrevious && pageFile_ > 1)
    AddParts(page, "<A HREF=\"", base_, PageFileSuffix(pageFile_ - 2), ".HTM#Sht", n - 1,
             "\"><IMG src=\"up.png\" alt=\"Previous\"></A>");

  const std::string status = StatusName(sheet.body.status);
  const int type = sheet.body.sheetType;
  AddParts(tableBody_, "<TR><td><A NAME=\"Index", n, "\"></A><A HREF= \"", base_, suffix, ".HTM#Sht", n, "\">",
           std::string_view(title), "</A></td><td>", status, "</td>");
  if (type == 0)
    AddLine(tableBody_, "<td>&nbsp</td>");
  else
    AddParts(tableBody_, "<td>", SheetTypeName(type), "</td>");
  AddParts(listBody_, "<LI><A NAME=\"Index", n, "\"></A><A HREF= \"", base_, suffix, ".HTM#Sht", n, "\">",
           std::string_view(title), "</A> ;     ", status, "......");
  if (type != 0) AddLine(listBody_, SheetTypeName(type));

  std::shared_ptr<T6Entry> entry = sheet.Docket();
  if (entry && entry->number > 0) {
    TDocketInfo& info = dockets_[entry.get()];
    if (!info.issuer) info.issuer = sheet.Issuer();
    const int d = entry->number + docketOffset_ - 1;
    // The docket's link with its text: "<A HREF=...>" docket " </A>".
    std::string& link = linkOut_;
    if (d > 0)
      Cat(link, "<A HREF=\"K", base_, ".HTM#", d, "\">", THtml{entry->docketText}, " </A>");
    else
      Cat(link, "<A HREF=\"K", base_, ".HTM\">", THtml{entry->docketText}, " </A>");
    AddParts(tableBody_, "<td>", std::string_view(link), "</td></TR>");
    AddLine(listBody_, link);
    AddLine(page, link);
    info.links.push_back({title, HTML6Link{base_ + suffix, n}});
  }
  SheetBlock(sheet);
}

void HTMLPrintThing::SheetBlock(TSheet& sheet) {
  if (!sheetPage_) return;
  // The block goes straight into the page's unwritten text, line by line as
  // the text is read; a sheet that cannot be read is taken back out whole.
  std::string& out = sheetPage_->Pending();
  const size_t mark = out.size();
  const std::string status = StatusName(sheet.body.status);
  auto heading = [&](std::string_view line1, std::string_view line2) {
    Cat(lineOut_, "<H3> ", THtml{line1}, " :  ", status, " </H3>");
    AddLine(out, lineOut_);
    if (!IsBlankField(line2)) AddLine(out, Cat(lineOut_, "<H3><I> Superseding: ", THtml{line2}, "</I> </H3>"));
    AddLine(out, "<PRE>");
  };
  size_t n = 0;
  bool read = false;
  try {
    TDataBuffer* buffer = cluster_.BufferOpen() || cluster_.OpenBuffer() ? cluster_.Buffer() : nullptr;
    read = buffer && buffer->VisitSheetText(
                         sheet.body.text,
                         [&](std::string_view line) {
                           if (n == 0) {
                             line1_.assign(line);
                           } else if (n == 1) {
                             heading(line1_, line);
                           } else {
                             AppendHtmlBodyLine(out, line);
                             out.append("\r\n", 2);
                           }
                           ++n;
                         },
                         sheet.maxLineLength, sheet.lineCount);
  } catch (const EVorneError& e) {
    env_.port.Error(e.what());
  }
  if (!read) {
    out.resize(mark);
    Commit(sheetPage_);  // the sheet's links stay
    return;
  }
  // A sheet whose text yields fewer lines than the block names has empty ones.
  if (n < 2) heading(n == 1 ? std::string_view(line1_) : std::string_view(), {});
  Put(sheetPage_, "</PRE>");
}

// ---- dockets ----------------------------------------------------------------------------

void HTMLPrintThing::WriteDockets(TDocketLines list) {
  if (docketOffset_ == 0 || !kpage_) {
    kpage_.reset();  // nothing of the company's dockets written yet: start afresh
    kpage_ = nullptr;
    try {
      kpage_ = NewOut(JoinPath(outDir_, "K" + base_ + ".HTM"));
      PageHeader(*kpage_, "K" + base_ + ".HTM", companyTitle_, volumeTitle_);
    } catch (const EInOutError&) {
      kpage_.reset();
      env_.port.Error("I/O error processing dockets output");
      return;
    }
  } else {
    Put(kpage_, "<H2>" + volumeTitle_ + "</H2>");
  }
  Put(kpage_, "<UL>");
  const size_t listed = list.size();
  std::erase_if(list, [&](const auto& item) {
    auto it = dockets_.find(item.second.get());
    return it == dockets_.end() || it->second.links.empty();
  });
  std::vector<std::string> missing;
  for (size_t i = 0; i < list.size(); ++i) {
    // The docket's lines are made in place, as the sheets' lines are; a
    // failed write (Commit) drops the page, so it is looked up each time.
    std::string& page = PageText(kpage_, lineOut_);
    const T6Entry& e = *list[i].second;
    const TDocketInfo& info = dockets_[&e];
    const int d = e.number + docketOffset_ - 1;
    AddParts(page, "<LI><A NAME=\"", d, "\"></A><H3>", THtml{list[i].first}, "</H3>");
    AddParts(page, kTopLink);
    if (i + 1 < list.size())
      AddParts(page, "<A HREF=\"#", list[i + 1].second->number + docketOffset_ - 1,
               "\"> <IMG src=\"down.png\" alt=\"Next \"></A>");
    else
      AddParts(page, kStopImage);
    if (i > 0)
      AddParts(page, "<A HREF=\"#", list[i - 1].second->number + docketOffset_ - 1,
               "\"><IMG src=\"up.png\" alt=\"Previous\"></A>");
    AddParts(page, "<br> Effective Date:", SafePackedToText(e.body.effectiveDate),
             "<br> Filing Date:   ", SafePackedToText(e.lastFilingDate), "<br> Issued: ",
             SafePackedToText(e.body.issueDate));
    const bool noIssuer = !info.issuer || info.issuer->IsMissing();
    if (noIssuer) missing.push_back(list[i].first);
    if (info.issuer)
      AddParts(page, "<br> by ", THtml{EscapeAmp(info.issuer->name)});
    else
      AddParts(page, "<br> by ");
    if (!IsBlankField(e.body.complianceDkt))
      AddParts(page, "<br> to comply with:", THtml{ComplianceText(e.body.complianceDkt)});
    if (e.lastOrderType != 0)
      AddParts(page, "<br> ", OrderTypeName(e.lastOrderType), "<br> ZOAK Order Date:",
               SafePackedToText(e.body.orderDate));
    AddParts(page, "<br> <UL>");
    for (const auto& [title, link] : info.links)
      AddParts(page, "<LI><A HREF=\"", link.stem, ".HTM#Sht", link.n, "\">", title, "</A></LI>");
    AddParts(page, "</UL><br></LI>");
    Commit(kpage_);
  }
  // Numbers are given to every listed docket; moving past all of them keeps
  // the next volume's anchors apart even when a docket had no sheet.
  docketOffset_ += int(listed);
  if (!missing.empty()) {
    log_.AddLine(N(int(missing.size())) + " Type 5 records missing in " + caption);
    for (const std::string& m : missing) log_.AddLine(m);
    SaveBugLog(kDocketLog);
  }
}

}  // namespace vorne
