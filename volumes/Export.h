// The Database export: every selected sheet version of the marked volumes as
// one line of a comma-separated text file, for loading into a database.
//
// File format (Windows-1252, every line ended by CR LF):
//   line 1  the header line kDatabaseHeader
//   then    one line per sheet version, 13 fields; every field but the
//           fifth (the sheet type code) is enclosed in double quotes, and a
//           double quote inside a field is written twice, so every line is a
//           valid quoted record:
//   "Company","Volume","CRDate","SheetNo",Type,"SheetName","YN","FilingDate",
//   "Status","EffectiveDate","OrderDate","ComplianceCite","Docket"
//
// The file is written to a temporary file beside the chosen path and renamed
// over it when the run finishes, so an interrupted run never leaves a half
// written export in place of the previous one.
//
// Failure channels: OpenExport shows "Database export failed on open" and
// returns false. A write failure during the run raises EInOutError from
// ExportVolume (the run loop reports it); the export keeps that failure, and
// Finish then removes the temporary file and leaves the old file untouched.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/UserPort.h"
#include "store/Headers.h"

namespace vorne {

class TFile;
class TPrimeRef;
class TSheet;

// The name the save dialog proposes, in the library's folder.
inline constexpr char kDatabaseFileName[] = "Database.txt";
inline constexpr char kDatabaseHeader[] =
    "\"CompanyName\",\"Volume_Rev\",\"CRDate\",\"SheetNo\",\"Sheet_Rev\",\"SheetName\",\"YN\","
    "\"FilingDate\",\"Status\",\"EffectiveDate\",\"OrderDate\",\"ComplianceCite\",\"Docket\"";
inline constexpr char kExportLineEnd[] = "\r\n";

// SafePackedToText: "  Missing " for 0, "00/00/19**" for an impossible date,
// otherwise M/D/YYYY padded on the left to 10.
std::string DateField(uint16_t packed);
// The field with every double quote doubled (no surrounding quotes).
std::string QuoteDoubled(std::string_view field);
// Fields 3 to 13 of a sheet's data line: from the text of field 3 to the
// closing quote of field 13, no line end. It follows the opening
// '"company","volume","' that the sheet list window's ExportList writes
// (pass it QuoteDoubled company and volume texts).
std::string DatabaseRestOfLine(const std::string& sheetName, const TSheet& sheet);
// The data line of one sheet, line end included. company is the volume's
// CompanyName as stored (trimmed on the right), volumeName its VolumeName
// (trimmed), sheetName the sheet's entry text in the sheet list.
std::string DatabaseLine(const std::string& company, const std::string& volumeName, const TSheet& sheet,
                         const std::string& sheetName);

// The sheet list window as the export uses it (ExportList): it is
// emptied, set to the plain style and filled from the header list, and its
// entries are returned in list order. Without one the export gathers the
// names itself.
class TExportListSink {
 public:
  virtual ~TExportListSink() = default;
  virtual const TNamedSheets& FillForExport(THdrList& list) = 0;
};

class TDatabaseExport {
 public:
  static constexpr size_t kChunk = 64 * 1024;  // bytes gathered before a write

  explicit TDatabaseExport(TEnv& env);
  // An export that was not finished removes its temporary file.
  ~TDatabaseExport();
  TDatabaseExport(const TDatabaseExport&) = delete;
  TDatabaseExport& operator=(const TDatabaseExport&) = delete;

  // Prepare of Database mode. With outputPath empty a save dialog "Save
  // delimited file as:" (filter "*.txt", starting in libraryDir) chooses
  // it; cancel gives false. outputPath keeps the choice, so a later run
  // writes the same file without asking. Starts the file with the header
  // line; on failure "Database export failed on open" and false.
  bool OpenExport(std::string& outputPath, const std::string& libraryDir);
  bool IsOpen() const { return file_ != nullptr; }
  const std::string& Path() const { return path_; }

  // Each marked volume: loads its header list with filter (nullptr accepts
  // every sheet), and writes one line per entry of the filled list. A volume
  // without sheets adds nothing. Returns the number of lines. Raises
  // EInOutError on a write failure, and what loading the list raises.
  size_t ExportVolume(TPrimeRef& volume, const TSheetFilter* filter, TExportListSink* sink = nullptr);
  // The lines of entries already listed (ExportList of the sheet list
  // window); volumeName is the volume's VolumeName.
  size_t ExportEntries(TPrimeRef& volume, const std::string& volumeName, const TNamedSheets& entries);

  // Gathers one line; the line end is added. The line writer to give the
  // sheet list window's ExportList. Raises EInOutError as ExportVolume.
  void WriteLine(const std::string& line);

  // Finish of Database mode: writes what is gathered, renames the file into
  // place and shows "Saved to file " + path. false (nothing replaced) when
  // the export is not open or a write failed; a failure not yet reported is
  // shown.
  bool Finish();
  // As Finish without the message; raises EInOutError.
  void Close();

 private:
  void Append(const std::string& text);
  void Flush();
  void Discard();

  TEnv& env_;
  std::string path_;
  std::string tmpPath_;
  std::unique_ptr<TFile> file_;
  uint64_t written_ = 0;
  std::string pending_;
  bool failed_ = false;
};

}  // namespace vorne
