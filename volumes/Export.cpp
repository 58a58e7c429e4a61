#include "volumes/Export.h"

#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "store/Cluster.h"
#include "store/Common.h"
#include "store/Errors.h"
#include "store/Records.h"

namespace vorne {

namespace {

constexpr char kSeparator[] = "\",\"";  // double quote, comma, double quote

}  // namespace

std::string DateField(uint16_t packed) { return SafePackedToText(packed); }

std::string QuoteDoubled(std::string_view field) {
  std::string out;
  out.reserve(field.size());
  for (char c : field) {
    out += c;
    if (c == '"') out += '"';
  }
  return out;
}

std::string DatabaseRestOfLine(const std::string& sheetName, const TSheet& sheet) {
  const TSheetBody& b = sheet.body;
  // The placeholder of a missing docket has no dates and no citation, so its
  // fields read "  Missing " and " ".
  std::shared_ptr<T6Entry> docket = sheet.Docket();
  if (!docket) docket = T6Entry::Placeholder();
  std::string rest;
  rest.reserve(160);
  rest += DateField(b.updDate);
  rest += kSeparator;
  rest += QuoteDoubled(b.sheetNo);  // all 8 characters, spaces kept
  rest += "\",";
  rest += std::to_string(int(b.sheetType));
  rest += ",\"";
  rest += QuoteDoubled(sheetName);
  rest += kSeparator;
  rest += b.refundFlag != 0 ? "Y" : "N";
  rest += kSeparator;
  rest += DateField(b.filingDate);
  rest += kSeparator;
  rest += QuoteDoubled(StatusName(b.status));
  rest += kSeparator;
  rest += DateField(docket->body.effectiveDate);
  rest += kSeparator;
  rest += DateField(docket->body.orderDate);
  rest += kSeparator;
  rest += QuoteDoubled(docket->body.citevalue.Display());
  rest += kSeparator;
  rest += QuoteDoubled(StripLead(docket->docketText));
  rest += '"';
  return rest;
}

std::string DatabaseLine(const std::string& company, const std::string& volumeName, const TSheet& sheet,
                         const std::string& sheetName) {
  return "\"" + QuoteDoubled(company) + kSeparator + QuoteDoubled(volumeName) + kSeparator +
         DatabaseRestOfLine(sheetName, sheet) + kExportLineEnd;
}

// ---- TDatabaseExport ----------------------------------------------------------------

TDatabaseExport::TDatabaseExport(TEnv& env) : env_(env) {}

TDatabaseExport::~TDatabaseExport() { Discard(); }

void TDatabaseExport::Discard() {
  pending_.clear();
  if (!file_) return;
  file_.reset();
  try {
    env_.fs.Remove(tmpPath_);
  } catch (const EInOutError&) {
    // A stray temporary file is harmless; the export itself was not replaced.
  }
}

bool TDatabaseExport::OpenExport(std::string& outputPath, const std::string& libraryDir) {
  Discard();
  failed_ = false;
  written_ = 0;
  if (outputPath.empty()) {
    std::optional<std::string> chosen = env_.port.ChooseSaveFile({"Save delimited file as:", AppendName(libraryDir, kDatabaseFileName), "*.txt"});
    if (!chosen || chosen->empty()) return false;
    outputPath = *chosen;
  }
  path_ = MapPath(outputPath);
  tmpPath_ = path_ + ".tmp~";
  try {
    file_ = env_.fs.Open(tmpPath_, TOpenMode::Create);
    pending_ = std::string(kDatabaseHeader) + kExportLineEnd;
    Flush();
  } catch (const EInOutError&) {
    Discard();
    env_.port.Error("Database export failed on open");
    return false;
  }
  return true;
}

void TDatabaseExport::Append(const std::string& text) {
  if (!file_) throw EInOutError(5, "the database export " + path_ + " is not open");
  pending_ += text;
  if (pending_.size() >= kChunk) Flush();
}

void TDatabaseExport::WriteLine(const std::string& line) { Append(line + kExportLineEnd); }

void TDatabaseExport::Flush() {
  if (pending_.empty()) return;
  try {
    file_->Write(written_, pending_.data(), pending_.size());
  } catch (const EInOutError&) {
    failed_ = true;
    Discard();
    throw;
  }
  written_ += pending_.size();
  pending_.clear();
}

size_t TDatabaseExport::ExportEntries(TPrimeRef& volume, const std::string& volumeName,
                                      const TNamedSheets& entries) {
  const std::string company = TrimRight(volume.storedName);
  const std::string volume2 = TrimBoth(volumeName);
  size_t lines = 0;
  for (const auto& [name, sheet] : entries) {
    if (!sheet) continue;  // a line that stands for no sheet
    Append(DatabaseLine(company, volume2, *sheet, name));
    ++lines;
  }
  return lines;
}

size_t TDatabaseExport::ExportVolume(TPrimeRef& volume, const TSheetFilter* filter, TExportListSink* sink) {
  THdrList list(volume, filter);
  list.Load();
  if (list.VersionCount() == 0) return 0;
  const std::string volumeName = TVolumeBody::Decode(list.VolumeRecord()).volumeName;
  if (sink) return ExportEntries(volume, volumeName, sink->FillForExport(list));
  TNamedSheets names;
  TAuxList<T5Entry> issuers;
  TAuxList<T6Entry> dockets;
  list.FillNames(names, issuers, dockets);
  return ExportEntries(volume, volumeName, names);
}

void TDatabaseExport::Close() {
  if (!file_) throw EInOutError(5, "the database export " + path_ + " is not open");
  Flush();
  file_.reset();
  try {
    env_.fs.Rename(tmpPath_, path_);
  } catch (const EInOutError&) {
    failed_ = true;
    try {
      env_.fs.Remove(tmpPath_);
    } catch (const EInOutError&) {
    }
    throw;
  }
}

bool TDatabaseExport::Finish() {
  if (!file_) return false;  // never opened, or a failure already reported
  try {
    Close();
  } catch (const EInOutError& e) {
    env_.port.Error(e.what());
    return false;
  }
  env_.port.Info("Saved to file " + path_);
  return true;
}

}  // namespace vorne
