#include "output/OutText.h"

#include "platform/FileSystem.h"

namespace vorne {

namespace {
constexpr size_t kFlushAt = 1 << 16;
}

TOutText::TOutText(TFileSystem& fs, std::string path, std::string buffer)
    : fs_(fs), path_(std::move(path)), tmp_(path_ + ".part~"), buf_(std::move(buffer)) {
  file_ = fs_.Open(tmp_, TOpenMode::Create);
  buf_.clear();
  buf_.reserve(kFlushAt + 512);
}

TOutText::~TOutText() {
  if (!file_) return;
  file_.reset();
  try {
    fs_.Remove(tmp_);
  } catch (...) {
  }
}

void TOutText::Line(std::string_view text) {
  buf_.append(text);
  buf_.append("\r\n", 2);
  Commit();
}

void TOutText::Raw(std::string_view text) {
  if (text.size() >= kFlushAt) {
    // A long text goes out as it is rather than through the buffer.
    Flush();
    file_->Write(offset_, text.data(), text.size());
    offset_ += text.size();
    return;
  }
  buf_.append(text);
  if (buf_.size() >= kFlushAt) Flush();
}

void TOutText::Commit() {
  if (buf_.size() >= kFlushAt) Flush();
}

void TOutText::Flush() {
  if (buf_.empty()) return;
  file_->Write(offset_, buf_.data(), buf_.size());
  offset_ += buf_.size();
  buf_.clear();
}

void TOutText::Close() {
  if (!file_) return;
  Flush();
  file_.reset();
  fs_.Rename(tmp_, path_);
}

}  // namespace vorne
