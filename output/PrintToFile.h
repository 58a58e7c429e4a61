// The writers of the HTML and Print to File runs share FPrintThing: the
// library cluster being read, a caption, the current company code and the
// current output file. FilePrintThing writes the selected sheets as plain
// text (one file, or one file per company); TFilePrintDialog is the
// "Print To File" dialog as a model.
//
// Failure channels: files that cannot be created show "Cannot open file " +
// path through the user port and are skipped; a sheet whose text cannot be
// read writes nothing. Nothing here raises to the run.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/UserPort.h"

namespace vorne {

class TDebugLog;
class TFileCluster;
class TOutText;
class TSheet;

inline constexpr char kHtmlBugsLog[] = "C:\\zip\\HTMLBugs.txt";

class FPrintThing {
 public:
  // outDir is the output folder as typed ("" for the current folder); the
  // cluster and the log must outlive the writer.
  FPrintThing(TEnv& env, TFileCluster& cluster, TDebugLog& log, std::string outDir);
  virtual ~FPrintThing();

  virtual void Close() = 0;
  // hasNext and hasPrevious are used by the HTML writer only.
  virtual void WriteSheet(TSheet& sheet, const std::string& title, bool hasNext, bool hasPrevious) = 0;
  virtual void NewFile() {}

  std::string caption;
  bool fileOpen() const { return out_ != nullptr; }
  const std::string& companyCode() const { return companyCode_; }
  const std::string& OutDir() const { return outDir_; }

 protected:
  // A name with a folder or drive in it is a path; a bare file name lies in
  // the output folder. Created or overwritten.
  // nullptr after "Cannot open file " + path.
  std::unique_ptr<TOutText> OpenOut(const std::string& name);
  // A TOutText at path, its buffer taken from the files closed before (a
  // site has hundreds of files); raises as TOutText's constructor.
  std::unique_ptr<TOutText> NewOut(const std::string& path);
  // Closes a file; a failure is shown and the file dropped.
  void CloseOut(std::unique_ptr<TOutText>& file);
  // The sheet's lines (title first); false when they cannot be read.
  bool ReadSheet(TSheet& sheet, std::vector<std::string>& lines);
  void SaveBugLog(const std::string& typedPath);

  TEnv& env_;
  TFileCluster& cluster_;
  TDebugLog& log_;
  std::string outDir_;  // platform path
  std::string companyCode_;
  std::unique_ptr<TOutText> out_;

 private:
  std::vector<std::string> spareBuffers_;
};

// Plain text: each sheet's heading line, its superseding line, its body and
// a form feed.
class FilePrintThing : public FPrintThing {
 public:
  FilePrintThing(TEnv& env, TFileCluster& cluster, TDebugLog& log, std::string outDir, bool multipleFiles);
  ~FilePrintThing() override;
  // One output file (Multiple files off): creates the file the save dialog
  // named. Without it, or after a failure, no sheet is written anywhere.
  bool CreateFile(const std::string& typedPath);
  void WriteSheet(TSheet& sheet, const std::string& title = {}, bool hasNext = false,
                  bool hasPrevious = false) override;
  void NewFile() override;
  void Close() override;
  // Called with the caption when a company's file starts.
  std::function<void(const std::string&)> onCaption;

 private:
  bool multiple_;
};

// "Print To File".
class TFilePrintDialog {
 public:
  static constexpr const char* kCaption = "Print To File";
  static constexpr const char* kFolderLabel = "Outputting text to:";
  static constexpr int kTimerMs = 5000;

  char drive = 0;             // OutDrive
  std::string directory;      // OutDirectory
  bool fewerThanTwoVisible = false;   // "Fewer than two Volumes Selected"
  bool allVolumes = true;             // "Print-to-file all volumes"
  bool noSheetsVisible = false;       // "No Sheets Selected"
  bool allSheets = true;              // "Print-to-file all sheets"
  bool manySheetsVisible = false;     // "Many sheets selected"
  bool multipleFiles = false;         // "Multiple files"

  // PrintFileName: the folder the output goes to.
  const std::string& PrintFileName() const { return directory; }
  void TurnTimerOn() { timerOn_ = true; elapsed_ = 0; }
  bool TimerOn() const { return timerOn_; }
  // The person took over the dialog: the timer stops.
  void Activate() { timerOn_ = false; }
  // Time passes; when the timer is on and reaches 5 seconds it acts as OK.
  void Tick(int ms);
  void OK();        // "Go"
  void Cancel();
  // nullopt while the dialog is open; true for OK.
  std::optional<bool> Result() const { return result_; }
  // The folder chosen with OK.
  const std::string& OutputDirectory() const { return chosen_; }

 private:
  bool timerOn_ = false;
  int elapsed_ = 0;
  std::optional<bool> result_;
  std::string chosen_;
};

}  // namespace vorne
