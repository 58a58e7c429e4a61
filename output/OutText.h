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
  // path is a platform path; its folder must exist. buffer: storage to
  // reuse for the unwritten text (its contents are dropped).
  TOutText(TFileSystem& fs, std::string path, std::string buffer = {});
  ~TOutText();
  TOutText(const TOutText&) = delete;
  TOutText& operator=(const TOutText&) = delete;

  void Line(std::string_view text);  // text + CR LF
  void Raw(std::string_view text);
  // The text not yet written, to append to directly: nothing is written
  // before the next Line, Raw or Close, so a writer may take back what it
  // appended since it noted the size.
  std::string& Pending() { return buf_; }
  // Writes the unwritten text when enough has gathered, as Line does.
  void Commit();
  void Close();
  const std::string& Path() const { return path_; }
  // The storage of the unwritten text, for the next file; the file is done
  // with (closed or abandoned).
  std::string ReleaseBuffer() { return std::move(buf_); }
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
