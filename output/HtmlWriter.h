// HTMLPrintThing: writes the selected volumes of a library as a static web
// site into an output folder: the master list "index.htm", per company a
// sheet table page (T), a sheet list page (L) and a docket page (K), and
// the sheet texts in numbered page files of about a hundred sheets each.
// The export driver calls it per volume: StartCompanyVolume, StartVolume,
// WriteSheet for each sheet, WriteDockets, EndVolume; Close once at the end.
//
// File names: every page of a company carries its stem (CompanyStem). The
// stem is characters 2 to 6 of the 6-digit company code; a company whose
// stem another company of the run already uses gets CollisionStem, noted in
// the debug log, so no company's pages overwrite another's.
//
// Library text is escaped on the way in ('<' and '>' never reach the
// markup). Every page defines the anchor "TopAnchor" that the navigation
// links use (unless the template's prologue does).
//
// Failure channels: as FPrintThing; "Error in opening text for " + name for
// a sheet page, "I/O error processing dockets output" for a docket page,
// the image copy messages. None of them ends the run.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "output/HtmlText.h"
#include "output/PrintToFile.h"

namespace vorne {

class T5Entry;
class T6Entry;

inline constexpr char kIndexPage[] = "index.htm";
inline constexpr char kTemplateFile[] = "Template.htm";
inline constexpr char kDocketLog[] = "D:\\WebVorne\\TF05.txt";
inline constexpr int kSheetsPerPageFile = 100;

// A docket line with its entry, in the order of the progress window's box.
using TDocketLines = std::vector<std::pair<std::string, std::shared_ptr<T6Entry>>>;

// A link from a docket to a sheet.
struct HTML6Link {
  std::string stem;  // the sheet page's file name without extension
  int n = 0;         // the sheet number
};

class HTMLPrintThing : public FPrintThing {
 public:
  HTMLPrintThing(TEnv& env, TFileCluster& cluster, TDebugLog& log, std::string outDir);
  ~HTMLPrintThing() override;

  // Reads the template, opens the master list and copies the images.
  void Create();
  // false when the library's text cannot be opened.
  bool StartCompanyVolume(const std::string& companyCode, const std::string& companyName);
  void StartVolume(const std::string& volumeTitle);
  void WriteSheet(TSheet& sheet, const std::string& title, bool hasNext, bool hasPrevious) override;
  void WriteDockets(TDocketLines dockets);
  void EndVolume();
  void Close() override;

  // The stem of a company code text ("012345"); assigned on first use.
  std::string CompanyStem(const std::string& companyCode);
  // Company code text -> stem of every company whose table page was written.
  const std::map<std::string, std::string>& WrittenCompanies() const { return written_; }
  int SheetNumber() const { return sheetNo_; }
  bool HasTemplate() const { return hasTemplate_; }

  // The page head: the built-in one or the template's prologue, the anchor
  // "TopAnchor", the headings and (except on the master list) the link back
  // to it. PageTrailer ends the page and closes the file.
  void PageHeader(TOutText& file, const std::string& fileName, const std::string& heading,
                  const std::string& subheading);
  void PageTrailer(std::unique_ptr<TOutText>& file);

 private:
  struct TDocketInfo {
    std::shared_ptr<T5Entry> issuer;
    std::vector<std::pair<std::string, HTML6Link>> links;  // title -> link, in sheet order
  };

  void ReadTemplate();
  void CopyImages();
  void CompleteCompany();
  void OpenSheetPage();
  std::string PageName(int pageFile) const { return base_ + vorne::PageFileSuffix(pageFile); }
  void SheetBlock(TSheet& sheet);
  void Put(std::unique_ptr<TOutText>& file, std::string_view line);
  // Text of whole lines, each ended by CR LF.
  void PutRaw(std::unique_ptr<TOutText>& file, std::string_view text);
  // Writes what was appended to the file's unwritten text, when enough has gathered.
  void Commit(std::unique_ptr<TOutText>& file);
  // Runs a write on the file; a failure is shown and the file dropped.
  template <class TWrite>
  void Guarded(std::unique_ptr<TOutText>& file, TWrite write);

  bool hasTemplate_ = false;
  std::vector<std::string> template_;
  size_t prefixEnd_ = 0;  // index of the first "end of prefix" line

  std::unique_ptr<TOutText> index_, kpage_, sheetPage_;
  std::string base_;
  std::string companyTitle_, volumeTitle_;  // escaped for markup
  int sheetNo_ = 0;
  int inFile_ = 0;
  int pageFile_ = 0;
  int docketOffset_ = 0;
  int volumeNo_ = 0;
  int volumesOfCompany_ = 0;
  bool companyOpen_ = false;
  bool firstVolume_ = false;
  // The company's table and list pages until it is complete: their lines,
  // each ended by CR LF, in one text each.
  std::string toc_, tableBody_, listBody_;
  std::vector<std::string> textOnly_;
  std::map<const T6Entry*, TDocketInfo> dockets_;
  std::map<std::string, std::string> stems_;     // code text -> stem
  std::map<std::string, std::string> stemUser_;  // stem -> code text
  std::map<std::string, std::string> written_;
  std::string line1_;                        // scratch for a sheet's first line
  std::string lineOut_, linkOut_, titleOut_;  // scratch for page lines
};

}  // namespace vorne
