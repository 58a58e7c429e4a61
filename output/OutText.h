// TOutText: one text file the output writers produce, written through the
// file layer. Lines end in CR LF (the pages and print files are Windows-1252
// text, like every export of the system). The text goes to a temporary file
// beside the target and is renamed over it on Close, so an interrupted run
// never leaves a half-written page in place of a good one.
//
// Failure channel: the constructor, Line and Close raise the file layer's
// EInOutError; a file that is destroyed without Close removes its temporary
// and leaves the target as it was.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace vorne {

class TFile;
class TFileSystem;

class TOutText {
 public:
  // path is a platform path; its folder must exist.
  TOutText(TFileSystem& fs, std::string path);
  ~TOutText();
  TOutText(const TOutText&) = delete;
  TOutText& operator=(const TOutText&) = delete;

  void Line(std::string_view text);  // text + CR LF
  void Raw(std::string_view text);
  void Close();
  const std::string& Path() const { return path_; }
  uint64_t BytesWritten() const { return offset_ + buf_.size(); }

 private:
  void Flush();

  TFileSystem& fs_;
  std::string path_;
  std::string tmp_;
  std::unique_ptr<TFile> file_;
  std::string buf_;
  uint64_t offset_ = 0;
};

}  // namespace vorne
