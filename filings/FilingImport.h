// TAddFilings: the Add New Filing run as a model (window "Error Log"). It
// reads a filing file line by line, turns its records into volumes, issuer
// and docket entries and sheets, checks each sheet's title and layout,
// drops duplicates, writes the sheets' text and header records into the
// output library and collects every problem in the error log.
//
// Ownership: the output cluster, the company check, the output-volume window
// and the sheet list window are borrowed; they must outlive the run. One
// TNewHdrObject exists per open volume. A file error raised while writing
// (EInOutError, EDiskOverrun) leaves the volume being built without records:
// only volumes completed before it are in the library.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "copy/OutputVolumes.h"
#include "filings/Logger.h"
#include "store/DuplicateCheck.h"
#include "store/Prime.h"
#include "store/Records.h"

namespace vorne {

class THdrForm;
class TVerifyDlg;

// ---- page limits ----------------------------------------------------------------

// Maximum characters per line by orientation code (1 portrait, 2 landscape)
// and pitch code (1-4).
int MaxCharsPerLine(int orientationCode, int pitchCode);
// Maximum lines by orientation code and lines-per-inch code (1 for 6, 2 for 8).
int MaxLinesPerSheet(int orientationCode, int lpiCode);
inline constexpr size_t kMaxSheetLines = 118;
// Input lines longer than this are wrapped: the widest page there is
// (landscape at 17 c.p.i.); narrower pages are chosen by the layout check.
inline constexpr size_t kWrapWidth = 168;
// The save dialog's filter for an import's error log, which is named "<filing>.TXT".
inline constexpr char kErrorLogFilter[] = "Error logs|*.TXT;*.txt;*.log";

// A sheet being built from a filing: its header, its text and its layout.
class TOutSheet : public TSheet {
 public:
  TOutSheet() : TSheet(TSheetBody{}, nullptr, -1) {}
  // Lines may view the sheet's own made lines: a copy would view the original's.
  TOutSheet(const TOutSheet&) = delete;
  TOutSheet& operator=(const TOutSheet&) = delete;
  TOutSheet(TOutSheet&&) = default;  // a deque moves without moving its strings
  TOutSheet& operator=(TOutSheet&&) = default;

  // The text, title first. A line taken unchanged from a filing views the
  // filing's text, which outlives the sheet; a line the run makes (the title,
  // a wrapped piece) is kept by the sheet, so lines are never copied twice.
  std::vector<std::string_view> lines;
  int orientationCode = 1;  // 1 portrait, 2 landscape
  int lpiCode = 1;          // 1 for 6, 2 for 8 lines per inch
  int maxChars = 65;

  // Orientation, lines per inch and maximum characters from the header.
  void SetLayout();
  // Storage for a line the run makes, empty and valid until ClearText; add
  // it to lines once it is filled.
  std::string& MadeLine();
  // Appends a copy of text as a made line.
  void AddMadeLine(std::string_view text);
  // Drops the text; the made lines' storage serves the next sheet.
  void ClearText();

 private:
  std::deque<std::string> made_;  // stable addresses: lines view them
  size_t madeUsed_ = 0;
};

// Checks the sheet's text against its page and substitutes a better layout
// (landscape, 17 c.p.i., portrait, 8 lines per inch) where the text needs
// it; trailing blank lines go, and no sheet keeps more than 118 lines.
void LayoutCheck(TOutSheet& sheet, Logger& log);
// The same when the length of the sheet's longest line is known already:
// the import keeps it as lines are added rather than scanning them again.
void LayoutCheck(TOutSheet& sheet, Logger& log, size_t longest);

// ---- the run ------------------------------------------------------------------------

class TAddFilings {
 public:
  static constexpr const char* kCaption = "Error Log";
  static constexpr const char* kFileMask = "*.?SC";

  enum class TRunState { NoFiling, Filing, Company, Volume };

  // verifier, toDisplay and sheetList may be nullptr.
  TAddFilings(TEnv& env, TVerifyDlg* verifier, TToDisplay* toDisplay, THdrForm* sheetList);
  ~TAddFilings();

  // Reads the filing file at path (a path of this platform) into the output
  // cluster. False, after "<name> not found, try again" or "ASCII file open
  // failed", when it cannot be read; nothing is then changed.
  bool Import(TFileCluster& out, const std::string& path);
  // The same for a filing already in memory (name: its file name).
  void ImportText(TFileCluster& out, std::string_view text, const std::string& name);

  // The error log.
  const std::vector<std::string>& ErrorBox() const { return log_.Lines(); }
  Logger& Log() { return log_; }
  // The name the log is proposed under when saved.
  const std::string& LogName() const { return logName_; }
  // Writes the log's lines as a text file; false after a message.
  bool SaveLog(const std::string& path);
  const std::string& Caption() const { return caption_; }

  // What the run did, for progress and tests.
  int SheetsAdded() const { return sheetsAdded_; }
  // Filing records the file held; none gives "No filing records found in <file>".
  size_t RecordsRead() const { return records_; }
  int VolumesCompleted() const { return volumesCompleted_; }
  TRunState State() const { return state_; }
  // Set when the output files could not be opened: the rest of the file is skipped.
  bool Aborted() const { return aborted_; }

 private:
  void Record(const std::string& line);
  void Type0(const std::string& r);
  void Type1(const std::string& r);
  void Type2(const std::string& r);
  void Type3(const std::string& r);
  void Type4(const std::string& r);
  void Type5(const std::string& r);
  void Type6(const std::string& r);
  void Type7(const std::string& r);
  void AddTextLine(std::string_view line);
  void CompleteSheet();
  void CompleteVolume();
  void EndOfFile();
  std::string CodeText() const;
  // The sheet objects are reused: a blank one for a new sheet, a finished or
  // rejected one kept (its text cleared) for the next.
  std::unique_ptr<TOutSheet> TakeSheet();
  void Recycle(std::unique_ptr<TOutSheet> sheet);
  void DiscardSheet();  // the sheet being built, if any, without writing it

  TEnv& env_;
  TVerifyDlg* verifier_;
  TToDisplay* toDisplay_;
  THdrForm* sheetList_;
  TFileCluster* out_ = nullptr;
  Logger log_;
  std::string caption_ = kCaption;
  std::string logName_;

  TRunState state_ = TRunState::NoFiling;
  bool companyCurrent_ = false;
  bool volumeOpen_ = false;
  // A write of the text file failed in the open volume: its sheets are not
  // added, these are named at its end (the run then fails).
  std::vector<std::string> notAdded_;
  void NoteNotAdded(std::string_view sheetNo);
  std::string filingDocket_;
  uint16_t filingDate_ = 0;
  int32_t companyCode_ = 0;
  std::string companyName_;
  TPrimeRecord companyPrime_;  // as the company's record left it
  TVolumeBody volume_;
  std::unique_ptr<TOutSheet> sheet_;
  std::unique_ptr<TOutSheet> spareSheet_;
  uint16_t today_ = 0;  // the UpdDate of the run's sheets
  std::string record_;  // the record being applied, cut to its length
  size_t longestLine_ = 0;  // of the sheet being built
  uint64_t titleKey_ = 0;   // its title's TNewHdrObject::TitleKey
  bool titleOnly_ = false;
  bool sheetHasText_ = false;
  std::shared_ptr<T5Entry> issuer_;
  std::shared_ptr<T6Entry> docket_;
  bool docketSinceVolume_ = false;
  std::unique_ptr<TNewHdrObject> hdr_;
  TNewHdrObject::TStorage listStorage_;  // hdr_'s list between volumes
  std::unique_ptr<TDupVerifier> dup_;
  int outRow_ = -1;
  bool aborted_ = false;
  int sheetsAdded_ = 0;
  int volumesCompleted_ = 0;
  size_t records_ = 0;  // filing records read from the file
};

}  // namespace vorne
