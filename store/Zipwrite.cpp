#include "store/Zipwrite.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "store/Bytes.h"
#include "store/Errors.h"
#include "store/Zlib.h"

namespace vorne {

namespace {

constexpr uint8_t kCR = 13;
constexpr uint8_t kFF = 12;
constexpr size_t kMaxLine = 255;

}  // namespace

OutDataBuffer::OutDataBuffer(TEnv& env, std::string path, bool compressed)
    : TDataBuffer(env, std::move(path), compressed), zipArea_(4 + kZipArea) {
  window_.assign(kZipArea, 0);
  readable_ = false;
}

OutDataBuffer::~OutDataBuffer() {
  try {
    Close();
  } catch (const EVorneError&) {
    // Nowhere to report it from a destructor; Close has shown what it could.
  }
}

std::unique_ptr<OutDataBuffer> OutDataBuffer::Create(TEnv& env, const std::string& path, bool compressed) {
  std::unique_ptr<OutDataBuffer> buffer(new OutDataBuffer(env, path, compressed));
  buffer->Open();
  return buffer;
}

bool OutDataBuffer::Open() {
  file_.reset();
  open_ = false;
  ClearFrom(0);
  uint64_t size = 0;
  try {
    file_ = env_.fs.Open(path_, env_.fs.Exists(path_) ? TOpenMode::ReadWrite : TOpenMode::Create);
    size = file_->Size();
  } catch (const EInOutError&) {
    file_.reset();
    env_.port.Error("Can't create DBF file");
    return false;
  }
  start_ = int64_t(compressed_ ? size : size / kPageSize);
  open_ = true;
  return true;
}

bool OutDataBuffer::Close() {
  if (!open_) return true;
  bool ok = false;
  try {
    ok = Flush();
  } catch (...) {
    TDataBuffer::Close();
    throw;
  }
  TDataBuffer::Close();
  return ok;
}

int64_t OutDataBuffer::OutGetEof() {
  if (open_ && pageIndex_ > 0) Flush();
  return Open() ? start_ : -1;
}

int64_t OutDataBuffer::CurrentPos() const { return compressed_ ? start_ : start_ + pageIndex_; }

// ---- pages ----------------------------------------------------------------

bool OutDataBuffer::AddLine(std::string_view line) {
  if (pageIndex_ >= kMaxSheetPages) return true;
  const size_t length = std::min(line.size(), kMaxLine);
  uint8_t* page = Page(pageIndex_);
  // Slot 100 takes the overflow of a line begun on slot 99.
  page[pos_ - 1] = uint8_t(length);
  std::memcpy(page + pos_, line.data(), length);
  const int next = pos_ + 1 + int(length);
  if (next == kPageSize) {
    // The line ends at offset 254; a length byte may not stand at 255.
    page[pos_ - 1] = uint8_t(length + 1);
    page[kPageSize - 1] = ' ';
    ++pageIndex_;
    pos_ = 1;
  } else if (next > kPageSize) {
    ++pageIndex_;
    pos_ = next - kPageSize;
  } else {
    pos_ = next;
  }
  return pageIndex_ >= kMaxSheetPages;
}

void OutDataBuffer::EndSheet() {
  if (pageIndex_ >= kMaxSheetPages) return;
  uint8_t* page = Page(pageIndex_);
  const int r = kPageSize - pos_;
  if (r == 1) {
    page[254] = 1;
    page[255] = kFF;
  } else {
    uint8_t* at = page + pos_ - 1;
    at[0] = 2;
    at[1] = kCR;
    at[2] = kFF;
    if (r >= 5) {
      at[3] = uint8_t(r - 5);
      std::memset(at + 4, ' ', size_t(r - 5));
    }
    page[255] = kFF;
  }
  ++pageIndex_;
  pos_ = 1;
}

TTextPos OutDataBuffer::Here(int count) const {
  const int64_t at = CurrentPos();
  // A sheet record holds a 32-bit position; a file beyond it is full.
  if (at > std::numeric_limits<int32_t>::max()) throw EDiskOverrun();
  return TTextPos{int32_t(at), uint8_t(pageIndex_), uint8_t(count)};
}

std::optional<TTextPos> OutDataBuffer::WriteSheet(std::span<const std::string> lines) {
  return WriteLines(lines);
}

std::optional<TTextPos> OutDataBuffer::WriteSheet(std::span<const std::string_view> lines) {
  return WriteLines(lines);
}

template <class TLine>
std::optional<TTextPos> OutDataBuffer::WriteLines(std::span<const TLine> lines) {
  if (!open_) return std::nullopt;
  for (int attempt = 0; attempt < 2; ++attempt) {
    TTextPos pos = Here(0);
    const int first = pageIndex_;
    bool full = false;
    for (const TLine& line : lines)
      if ((full = AddLine(line))) break;
    if (!full) {
      EndSheet();
      pos.pageCount = uint8_t(pageIndex_ - first);
      return pos;
    }
    // Nothing refers to the partial attempt, so it is dropped, not flushed.
    ClearFrom(first);
    if (first == 0) break;  // an empty window cannot do better
    if (!Flush()) return std::nullopt;
  }
  env_.port.Error("Won't fit, Page too large");
  return std::nullopt;
}

std::optional<TTextPos> OutDataBuffer::WritePages(std::span<const uint8_t> pages) {
  const size_t count = pages.size() / kPageSize;
  if (!open_ || pages.size() % kPageSize != 0 || count < 1 || count > size_t(kMaxSheetPages))
    return std::nullopt;
  if (pageIndex_ + count >= size_t(kWindowPages) && !Flush()) return std::nullopt;
  std::memcpy(Page(pageIndex_), pages.data(), pages.size());
  TTextPos pos = Here(int(count));
  pageIndex_ += int(count);
  return pos;
}

// ---- flushing ---------------------------------------------------------------

bool OutDataBuffer::Flush() {
  if (!open_) return false;
  // However the write ends, the window starts empty again.
  struct TEmpty {
    OutDataBuffer& b;
    ~TEmpty() { b.ClearFrom(0); }
  } empty{*this};
  return compressed_ ? WriteBlock() : WriteRaw();
}

bool OutDataBuffer::WriteRaw() {
  if (pageIndex_ == 0) return true;
  const uint64_t at = uint64_t(start_) * kPageSize;
  try {
    file_->Write(at, window_.data(), size_t(pageIndex_) * kPageSize);
  } catch (const EInOutError& e) {
    CutBack(at);
    if (e.Code() == EInOutError::kDiskFull) throw EDiskOverrun();
    ReportWriteError(e.Code());
    return false;
  }
  start_ += pageIndex_;
  return true;
}

bool OutDataBuffer::WriteBlock() {
  const size_t length =
      Compress({window_.data(), size_t(pageIndex_) * kPageSize}, {zipArea_.data() + 4, kZipArea});
  PutU32(zipArea_.data(), uint32_t(length));
  try {
    file_->Write(uint64_t(start_), zipArea_.data(), 4 + length);
  } catch (const EInOutError& e) {
    CutBack(uint64_t(start_));
    if (e.Code() == EInOutError::kDiskFull)
      env_.port.Error("Won't fit, new disk needed");
    else
      ReportWriteError(e.Code());
    return false;
  }
  start_ += int64_t(4 + length);
  return true;
}

void OutDataBuffer::ReportWriteError(int code) {
  env_.port.Error("Write error,probably hardware; code=" + std::to_string(code));
}

void OutDataBuffer::CutBack(uint64_t size) {
  // Best effort: a half-written block must not look like data to later appends.
  try {
    if (file_->Size() > size) file_->Truncate(size);
  } catch (const EInOutError&) {
  }
}

void OutDataBuffer::ClearFrom(int first) {
  // Zero what was used (including the overflow slot) so stale text never
  // reaches the file in the bytes the page rules leave unwritten.
  const int last = std::min(pageIndex_, kWindowPages - 1);
  if (last >= first)
    std::memset(Page(first), 0, size_t(last - first + 1) * kPageSize);
  pageIndex_ = first;
  pos_ = 1;
}

}  // namespace vorne
