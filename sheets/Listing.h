// The header record listing of the sheet list window's "Tech Stuff" page:
// one numbered line per header record of each volume's chain, for a
// maintainer examining the header file. In Test every record is listed and
// the issuer and docket lines some listed sheet refers to carry a "*",
// whichever volume of the run listed the record or the sheet; in Errors Only
// only suspicious records and the sheets pointing at them are listed. The
// Test and Errors Only runs fill it.
//
// Nothing read from a damaged record leaves the record: pointers are
// checked against the header file, dates use the safe form, a missing or
// damaged text file gives diagnostic sheet names instead of stopping.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "platform/UserPort.h"
#include "store/Records.h"

namespace vorne {

class TSheetFilter;

inline constexpr char kWhoops[] = "Whoops!";

// ---- one line per record type ------------------------------------------------------

// The heading before a volume's records: the caption with "Details", else
// the caption up to and including its first ":" (empty without one).
std::string ListHeadingLine(const std::string& caption, bool details);
std::string ListVolumeLine(int32_t n, const THdrRecord& rec);
std::string ListSheetLine(int32_t n, const TSheetBody& body, const std::string& name, bool details);
std::string ListIssuerLine(int32_t n, const THdrRecord& rec);
std::string ListDocketLine(int32_t n, const TDocketBody& body);
std::string ListEndLine(int32_t n);
std::string ListJumpLine(int32_t n, const THdrRecord& rec);
// A record of a type the header file does not define: its type, ": " and
// the body read as a length-prefixed text, cut to the bytes the record has.
std::string ListOtherLine(const THdrRecord& rec);

// Errors Only: an issuer without a name (or "Missing"); a docket whose
// number begins with NUL or a blank.
bool SuspiciousIssuer(const THdrRecord& rec);
bool SuspiciousDocket(const THdrRecord& rec);

enum class TListingKind { Test, ErrorsOnly };

struct TListingLine {
  std::string text;
  char recordType = 0;  // '5' or '6' for issuer and docket lines, else 0
  int32_t recNo = -1;   // kept with issuer and docket lines
  const TFileCluster* cluster = nullptr;  // whose record it is (issuer and docket lines)
};

class TRecordListing {
 public:
  explicit TRecordListing(TEnv& env) : env_(env) {}

  // Called after anything the page shows has changed: once per volume
  // listed, and after each option or command.
  std::function<void()> onChanged;

  // ---- options ----
  bool Details() const { return details_; }
  void SetDetails(bool on) {
    details_ = on;
    Changed();
  }
  bool Type5() const { return type5_; }
  bool Type6() const { return type6_; }
  // The clicks uncheck "Show Dockets" unless "type 5" stays checked with
  // "type 6" unchecked.
  void Type5Click(bool on);
  void Type6Click(bool on);
  bool ShowDocketsVisible() const { return type5_ && !type6_; }
  bool ShowDockets() const { return showDockets_; }
  // Takes effect only while the box is visible.
  void SetShowDockets(bool on) {
    showDockets_ = on && ShowDocketsVisible();
    Changed();
  }
  bool ColumnHeadsVisible() const { return kind_ == TListingKind::Test; }

  // ---- the run ----
  // A new listing: lines, number lists and "Whoops!" cleared.
  void Start(TListingKind kind);
  // Lists the volume's chain; every VolumeRecord met starts with a heading
  // made from caption. filter (may be nullptr) skips the sheets it refuses
  // before they are counted. A FirstHdr outside the header file is reported
  // through the port and lists nothing. Returns whether the volume has
  // something to show: always in Test; in Errors Only a volume that passed
  // no sheet on keeps only its first heading and gives false (records of
  // unknown types still show "Whoops!").
  bool ListVolume(TPrimeRef& volume, const std::string& caption, const TSheetFilter* filter);
  // The end of an Errors Only listing: with "Show Dockets" the collected
  // docket records are listed; the number lists are emptied.
  void End();
  // "Eliminate": removes every issuer and docket line not marked as referenced.
  void AbbrevBtnClick();

  // ---- the page ----
  const std::vector<TListingLine>& Lines() const { return lines_; }
  std::string Text() const;  // the lines, each ended by "\n"
  bool WhoopsVisible() const { return whoops_; }
  bool MultiVisible() const { return multiVisible_; }
  int TopIndex() const { return top_; }
  int SheetCounter() const { return sheetCounter_; }
  const std::string& StatusText() const { return status_; }
  const std::vector<int32_t>& ListedIssuers() const { return listedIssuers_; }
  const std::vector<int32_t>& ListedDockets() const { return listedDockets_; }
  const std::vector<int32_t>& ShowDocketNumbers() const { return showDocketNumbers_; }

 private:
  // An issuer or docket record of a cluster, as the marks know it.
  using TRecordKey = std::tuple<const TFileCluster*, char, int32_t>;

  void Changed() {
    if (onChanged) onChanged();
  }
  bool ListChain(TPrimeRef& volume, const std::string& caption, const TSheetFilter* filter);
  void Add(std::string text);
  void AddRecordLine(std::string text, char type, int32_t recNo);
  void ScrollTo(size_t index);
  // A listed sheet refers to the record: its lines, listed or still to come,
  // carry the mark.
  void MarkReferenced(char type, int32_t recNo);
  // The record lines' index, again after lines were removed.
  void IndexRecordLines();

  TEnv& env_;
  TListingKind kind_ = TListingKind::Test;
  bool details_ = false;
  bool type5_ = true;
  bool type6_ = true;
  bool showDockets_ = false;
  std::vector<TListingLine> lines_;
  // Test: the records some listed sheet refers to, and where each issuer and
  // docket record's lines stand, over the whole run.
  std::set<TRecordKey> referenced_;
  std::map<TRecordKey, std::vector<size_t>> recordLines_;
  std::vector<int32_t> listedIssuers_, listedDockets_, showDocketNumbers_;
  TFileCluster* cluster_ = nullptr;  // of the last volume listed
  bool whoops_ = false;
  bool multiVisible_ = true;
  int top_ = 0;
  int sheetCounter_ = 0;
  std::string status_;
};

}  // namespace vorne
