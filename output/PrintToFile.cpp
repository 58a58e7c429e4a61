#include "output/PrintToFile.h"

#include "output/DebugLog.h"
#include "output/OutText.h"
#include "platform/Paths.h"
#include "store/Cluster.h"
#include "store/Common.h"
#include "store/Errors.h"
#include "store/TextReader.h"

namespace vorne {

// ---- FPrintThing ------------------------------------------------------------------

FPrintThing::FPrintThing(TEnv& env, TFileCluster& cluster, TDebugLog& log, std::string outDir)
    : env_(env), cluster_(cluster), log_(log), outDir_(MapPath(outDir)) {}

FPrintThing::~FPrintThing() = default;

std::unique_ptr<TOutText> FPrintThing::OpenOut(const std::string& name) {
  // A bare file name lies in the output folder whatever its length (stems
  // of colliding companies make names longer than 8.3); a name with a
  // folder or a drive in it is a path.
  const bool isPath = name.find_first_of("/\\:") != std::string::npos;
  const std::string path = isPath ? MapPath(name) : JoinPath(outDir_, name);
  try {
    return NewOut(path);
  } catch (const EInOutError&) {
    env_.port.Error("Cannot open file " + path);
    return nullptr;
  }
}

std::unique_ptr<TOutText> FPrintThing::NewOut(const std::string& path) {
  std::string buffer;
  if (!spareBuffers_.empty()) {
    buffer = std::move(spareBuffers_.back());
    spareBuffers_.pop_back();
  }
  return std::make_unique<TOutText>(env_.fs, path, std::move(buffer));
}

void FPrintThing::CloseOut(std::unique_ptr<TOutText>& file) {
  if (!file) return;
  try {
    file->Close();
  } catch (const EInOutError& e) {
    env_.port.Error("Cannot write file " + file->Path() + ": " + e.what());
  }
  spareBuffers_.push_back(file->ReleaseBuffer());
  file.reset();
}

bool FPrintThing::ReadSheet(TSheet& sheet, std::vector<std::string>& lines) {
  lines.clear();
  try {
    if (!cluster_.BufferOpen() && !cluster_.OpenBuffer()) return false;
    TDataBuffer* buffer = cluster_.Buffer();
    if (!buffer) return false;
    return buffer->SheetText(sheet.body.text, lines, sheet.maxLineLength, sheet.lineCount);
  } catch (const EVorneError& e) {
    env_.port.Error(e.what());
    lines.clear();
    return false;
  }
}

void FPrintThing::SaveBugLog(const std::string& typedPath) {
  try {
    log_.SaveAs(typedPath);
  } catch (const EInOutError& e) {
    env_.port.Warn("The debug log could not be saved as " + typedPath + ": " + e.what());
  }
}

// ---- FilePrintThing -----------------------------------------------------------------

FilePrintThing::FilePrintThing(TEnv& env, TFileCluster& cluster, TDebugLog& log, std::string outDir,
                               bool multipleFiles)
    : FPrintThing(env, cluster, log, std::move(outDir)), multiple_(multipleFiles) {}

FilePrintThing::~FilePrintThing() = default;

bool FilePrintThing::CreateFile(const std::string& typedPath) {
  CloseOut(out_);
  out_ = OpenOut(typedPath);
  return out_ != nullptr;
}

void FilePrintThing::WriteSheet(TSheet& sheet, const std::string&, bool, bool) {
  const std::string code = CompanyCodeText(sheet);
  if (code != companyCode_) {
    companyCode_ = code;
    const std::string label = sheet.prime ? ShortVolumeLabel(sheet.prime->record) : std::string();
    if (!multiple_) {
      if (out_) out_->Line(label);
    } else {
      caption = label;
      NewFile();
    }
  }
  // Without an open file (the save dialog was cancelled, or the file could
  // not be created) the sheet goes nowhere.
  if (!out_) return;
  std::vector<std::string> lines;
  if (!ReadSheet(sheet, lines)) return;
  // A sheet whose only line was a control line reads as no lines at all.
  const std::string title = lines.empty() ? std::string() : lines[0];
  try {
    out_->Line(title + " :  " + StatusName(sheet.body.status));
    if (lines.size() < 2 || TrimBoth(lines[1]).empty())
      out_->Line("");
    else
      out_->Line("Superseding: " + lines[1]);
    for (size_t i = 2; i < lines.size(); ++i) out_->Line(lines[i]);
    out_->Line("\f");
  } catch (const EInOutError& e) {
    env_.port.Error("Cannot write file " + out_->Path() + ": " + e.what());
    out_.reset();
  }
}

void FilePrintThing::NewFile() {
  CloseOut(out_);
  out_ = OpenOut(companyCode_ + ".PRN");
  if (!out_) return;
  out_->Line(caption);
  if (onCaption) onCaption(caption);
}

void FilePrintThing::Close() {
  CloseOut(out_);
  if (!log_.Log().empty()) SaveBugLog(kHtmlBugsLog);
}

// ---- TFilePrintDialog -----------------------------------------------------------------

void TFilePrintDialog::Tick(int ms) {
  if (!timerOn_ || result_) return;
  elapsed_ += ms;
  if (elapsed_ >= kTimerMs) OK();
}

void TFilePrintDialog::OK() {
  timerOn_ = false;
  chosen_ = directory;
  result_ = true;
}

void TFilePrintDialog::Cancel() {
  timerOn_ = false;
  result_ = false;
}

}  // namespace vorne
