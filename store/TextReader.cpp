#include "store/TextReader.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <future>

#include "platform/Workers.h"
#include "store/Bytes.h"
#include "store/Common.h"
#include "store/Errors.h"
#include "store/Zlib.h"

namespace vorne {

namespace {

constexpr std::string_view kEndLine("\r\f", 2);
constexpr uint8_t kCR = 13;
constexpr uint8_t kFF = 12;
}  // namespace

// ---- blocks inflated ahead --------------------------------------------------------

// The blocks after the one just read, inflated on the shared pool, in file
// order. The reader itself reads their bytes (one read covers many blocks) and
// hands copies to the pool, so only the reader's thread touches the file. It
// takes a block only when it is the next one queued and was inflated without
// error; anything else it reads itself, so every error is raised where it
// would be without the pool.
class TDataBuffer::TPrefetch {
 public:
  explicit TPrefetch(size_t ahead) : ahead_(ahead) {}

  // Inflating goes on from offset (unless it already does).
  void Aim(uint64_t offset) {
    if (!queue_.empty() ? queue_.front().job->offset == offset : next_ == offset) return;
    Drop();
    next_ = offset;
    stopped_ = false;
  }

  // Queues blocks until ahead_ wait; bytes(offset, n) reads the file.
  template <class TBytes>
  void Fill(TBytes&& bytes) {
    while (!stopped_ && queue_.size() < ahead_) {
      const uint8_t* length = bytes(next_, 4);
      const uint32_t n = length ? GetU32(length) : 0;
      const uint8_t* data = length && n <= kZipArea ? bytes(next_ + 4, n) : nullptr;
      if (!data) {
        stopped_ = true;  // the end, or a block the reader must see for itself
        return;
      }
      std::shared_ptr<TJob> job = Spare();
      job->offset = next_;
      job->length = n;
      job->data.assign(data, data + n);
      std::packaged_task<void()> task([job] { job->pages = InflatePages(job->data, job->area); });
      queue_.push_back(TQueued{job, TWorkPool::Shared().Run(std::move(task))});
      next_ += 4 + n;
    }
  }

  struct TBlock {
    uint32_t length = 0;  // of the stored block
    int pages = 0;
  };
  // The block at offset moved into pages (their old storage kept for a later
  // block), waiting while the pool is still at it.
  std::optional<TBlock> Take(uint64_t offset, std::vector<uint8_t>& pages) {
    if (queue_.empty() || queue_.front().job->offset != offset) return std::nullopt;
    TQueued front = std::move(queue_.front());
    queue_.pop_front();
    try {
      front.done.get();
    } catch (...) {
      Drop();  // the reader reads it again and raises what it finds
      stopped_ = true;
      return std::nullopt;
    }
    pages.swap(front.job->area);
    spare_.push_back(front.job);
    return TBlock{front.job->length, front.job->pages};
  }

  ~TPrefetch() { Drop(); }

 private:
  struct TJob {
    uint64_t offset = 0;
    uint32_t length = 0;
    std::vector<uint8_t> data;  // the stored block
    std::vector<uint8_t> area;  // inflated into
    int pages = 0;
  };
  struct TQueued {
    std::shared_ptr<TJob> job;  // shared with the pool's task while it runs
    std::future<void> done;
  };

  std::shared_ptr<TJob> Spare() {
    if (spare_.empty()) return std::make_shared<TJob>();
    std::shared_ptr<TJob> job = std::move(spare_.back());
    spare_.pop_back();
    return job;
  }
  void Drop() {
    // A task still running keeps its job alive; it is not reused.
    queue_.clear();
  }

  const size_t ahead_;
  std::deque<TQueued> queue_;
  std::vector<std::shared_ptr<TJob>> spare_;
  uint64_t next_ = 0;  // the block queued next
  bool stopped_ = true;
};

void TDataBuffer::SetPrefetchForTesting(std::optional<bool> on) { SetWorkerForTesting(TWorker::InflateAhead, on); }

void TDataBuffer::ReadAhead(bool on) {
  readAhead_ = on;
  if (!on)
    prefetch_.reset();
  else if (open_ && !prefetch_)
    StartPrefetch();
}

void TDataBuffer::StartPrefetch() {
  prefetch_.reset();
  if (readAhead_ && compressed_ && readable_ && file_ && WorkerWanted(TWorker::InflateAhead))
    prefetch_ = std::make_unique<TPrefetch>(size_t(2 * TWorkPool::Shared().Threads()));
}

void TDataBuffer::PrefetchAfter(int64_t offset, uint32_t length) {
  if (!prefetch_) return;
  prefetch_->Aim(uint64_t(offset) + 4 + length);
  prefetch_->Fill([this](uint64_t at, size_t n) -> const uint8_t* {
    try {
      return FileBytes(at, n);
    } catch (const EInOutError&) {
      return nullptr;  // a sheet that needs these bytes reports the error
    }
  });
}

TDataBuffer::TDataBuffer(TEnv& env, std::string path, bool compressed)
    : env_(env), path_(std::move(path)), compressed_(compressed) {
  // The compressed reader's block area is sized by the first inflate.
  if (!compressed_) window_.resize(kZipArea);
}

TDataBuffer::~TDataBuffer() { prefetch_.reset(); }

std::unique_ptr<TDataBuffer> TDataBuffer::Create(TEnv& env, const std::string& path, bool compressed) {
  std::unique_ptr<TDataBuffer> buffer(new TDataBuffer(env, path, compressed));
  buffer->Open();
  return buffer;
}

bool TDataBuffer::Open() {
  prefetch_.reset();
  file_.reset();
  open_ = false;
  aheadLength_ = 0;
  pos_ = 1;
  pageIndex_ = 0;
  start_ = compressed_ ? -1 : 0;
  lastPage_ = -1;
  sheetEnded_ = true;
  try {
    file_ = env_.fs.Open(path_, TOpenMode::Read);
  } catch (const EInOutError&) {
    env_.port.Error("Cannot open input file");
    return false;
  }
  open_ = true;
  if (compressed_) {
    StartPrefetch();
    return true;  // blocks are inflated when a sheet asks for one
  }
  try {
    lastPage_ = int(file_->Read(0, window_.data(), kZipArea) / kPageSize) - 1;
  } catch (const EInOutError&) {
    // The first sheet read reloads the window and reports the error then.
    lastPage_ = -1;
  }
  return true;
}

bool TDataBuffer::Close() {
  prefetch_.reset();
  file_.reset();
  aheadLength_ = 0;
  open_ = false;
  sheetEnded_ = true;
  return true;
}

int64_t TDataBuffer::OutGetEof() {
  env_.port.Error("OutGetEof called in input cluster. System error");
  return -1;
}

// ---- positioning ------------------------------------------------------------

const uint8_t* TDataBuffer::GetPage(const TTextPos& pos) {
  sheetEnded_ = true;
  readFailed_ = false;
  if (!open_ || !readable_) return nullptr;
  if (pos.dbfPos < 0 || pos.pageCount < 1 || pos.pageCount > kMaxSheetPages) return nullptr;
  if (!(compressed_ ? PlaceInBlock(pos) : PlaceInWindow(pos))) return nullptr;
  pos_ = 1;
  pagesLeft_ = pos.pageCount - 1;
  sheetEnded_ = false;
  return Page(pageIndex_);
}

bool TDataBuffer::PlaceInBlock(const TTextPos& pos) {
  if (start_ < 0 || pos.dbfPos != start_) LoadBlock(pos.dbfPos);
  if (pos.pageIndex + pos.pageCount - 1 > lastPage_) return false;
  pageIndex_ = pos.pageIndex;
  return true;
}

bool TDataBuffer::PlaceInWindow(const TTextPos& pos) {
  const int count = pos.pageCount;
  const int64_t d = pos.dbfPos - start_;
  if (d >= 0 && d + count < lastPage_) {
    pageIndex_ = int(d);
    return true;
  }
  // Backwards, start 60 pages early so that nearby earlier sheets are found in
  // the window too.
  const int64_t start = d >= 0 ? pos.dbfPos : pos.dbfPos < 100 ? 0 : pos.dbfPos - 60;
  if (!Reload(start, pos.dbfPos) || pageIndex_ > lastPage_) return false;
  // The rest of the sheet may lie beyond the window; it must be in the file.
  return pageIndex_ + count - 1 <= lastPage_ ||
         (uint64_t(pos.dbfPos) + uint64_t(count)) * kPageSize <= file_->Size();
}

bool TDataBuffer::Reload(int64_t start, int64_t target) {
  start_ = start;
  lastPage_ = -1;
  size_t got = 0;
  try {
    got = file_->Read(uint64_t(start) * kPageSize, window_.data(), kZipArea);
  } catch (const EInOutError&) {
    got = 0;
  }
  if (got < size_t(kPageSize)) {
    env_.port.Error("Error reading DBF");
    return false;
  }
  lastPage_ = int(got / kPageSize) - 1;
  pageIndex_ = int(target - start);
  return true;
}

void TDataBuffer::LoadBlock(int64_t offset) {
  // Until the new block is in, the window holds none.
  start_ = -1;
  lastPage_ = -1;
  if (prefetch_) {
    if (auto block = prefetch_->Take(uint64_t(offset), window_)) {
      lastPage_ = block->pages - 1;
      start_ = offset;
      PrefetchAfter(offset, block->length);
      return;
    }
  }
  const uint8_t* length = FileBytes(uint64_t(offset), 4);
  if (!length) throw EUnzipError("Unexpected end of file in decompress");
  const uint32_t n = GetU32(length);
  // No block of at most 100 pages deflates to more than the writer's area.
  if (n > kZipArea)
    throw EUnzipError("Damaged text block at " + std::to_string(offset) + " of " + path_ + ": length " +
                      std::to_string(n));
  const uint8_t* data = FileBytes(uint64_t(offset) + 4, n);
  if (!data) throw EUnzipError("Unexpected end of file in decompress");
  lastPage_ = InflatePages({data, n}, window_) - 1;
  start_ = offset;
  PrefetchAfter(offset, n);
}

const uint8_t* TDataBuffer::FileBytes(uint64_t offset, size_t n) {
  if (offset >= aheadStart_ && offset - aheadStart_ + n <= aheadLength_) return ahead_.data() + (offset - aheadStart_);
  // Sheets are mostly read in file order: read on past the bytes asked for,
  // so that the following blocks come from memory.
  const size_t want = std::max(n, kReadAhead);
  if (ahead_.size() < want) ahead_.resize(want);
  aheadLength_ = 0;
  aheadStart_ = offset;
  aheadLength_ = file_->Read(offset, ahead_.data(), want);
  return aheadLength_ >= n ? ahead_.data() : nullptr;
}

std::span<const uint8_t> TDataBuffer::SheetPages(const TTextPos& pos) {
  if (!GetPage(pos)) return {};
  const int last = pageIndex_ + pos.pageCount - 1;
  // Only the uncompressed window can hold part of a sheet; GetPage has checked
  // that the rest is in the file.
  if (last > lastPage_ && (compressed_ || !Reload(pos.dbfPos, pos.dbfPos))) return {};
  if (pageIndex_ + pos.pageCount - 1 > lastPage_) return {};
  return {Page(pageIndex_), size_t(pos.pageCount) * kPageSize};
}

// ---- lines ----------------------------------------------------------------

bool TDataBuffer::AtEndMark(const uint8_t* page) const {
  const int at = pos_ - 1;  // offset of the next length byte
  if (at == 254 && page[254] == 1 && page[255] == kFF) return true;
  return at <= 253 && page[at] == 2 && page[at + 1] == kCR && page[at + 2] == kFF;
}

bool TDataBuffer::NextPage() {
  if (pagesLeft_ == 0) return false;  // the line would run past the sheet
  if (pageIndex_ < lastPage_) {
    ++pageIndex_;
  } else if (compressed_) {
    return false;  // GetPage checked the sheet lies in its block; unreachable
  } else if (!ExtendWindow()) {
    readFailed_ = true;
    return false;
  }
  --pagesLeft_;
  return true;
}

bool TDataBuffer::ExtendWindow() {
  // Keep the page the line starts on in slot 0 so the line stays contiguous.
  std::memcpy(Page(0), Page(lastPage_), kPageSize);
  start_ += lastPage_;
  lastPage_ = 0;
  size_t got = 0;
  try {
    got = file_->Read(uint64_t(start_ + 1) * kPageSize, Page(1), kMaxBlockBytes);
  } catch (const EInOutError&) {
    got = 0;
  }
  if (got < size_t(kPageSize)) {
    env_.port.Error("Error reading DBF");
    return false;
  }
  lastPage_ = int(got / kPageSize);
  pageIndex_ = 1;
  return true;
}

std::string_view TDataBuffer::NextLine() {
  if (sheetEnded_) return kEndLine;
  const uint8_t* page = Page(pageIndex_);
  if (pagesLeft_ == 0 && AtEndMark(page)) {
    sheetEnded_ = true;
    return kEndLine;
  }
  const int length = page[pos_ - 1];
  const int next = pos_ + 1 + length;
  size_t text = size_t(pageIndex_) * kPageSize + size_t(pos_);
  if (next > kPageSize) {
    if (!NextPage()) {
      sheetEnded_ = true;
      return kEndLine;
    }
    // The line began on the page before the current one (slot 0 after a refill).
    text = size_t(pageIndex_ - 1) * kPageSize + size_t(pos_);
    pos_ = next - kPageSize;
  } else {
    pos_ = next;
  }
  return {reinterpret_cast<const char*>(window_.data() + text), size_t(length)};
}

void TDataBuffer::NameFirstLine() {
  if (firstLine_.empty())
    namedLine_ = "Title Page";
  else
    TitleCaseInto(firstLine_, namedLine_);
}

bool TDataBuffer::SheetText(const TTextPos& pos, std::vector<std::string>& lines, int32_t& maxLineLength,
                            int32_t& lineCount) {
  maxLineLength = 0;
  if (!GetPage(pos)) {
    lines.clear();
    env_.port.Error("I/O error: File seek failed for this sheet");
    return false;
  }
  size_t n = 0;
  for (std::string_view line = NextLine(); !sheetEnded_; line = NextLine()) {
    if (!line.empty() && uint8_t(line[0]) < uint8_t(' ')) continue;
    // Reuse the strings already in lines rather than allocating per line.
    if (n < lines.size())
      lines[n].assign(line);
    else
      lines.emplace_back(line);
    ++n;
    maxLineLength = std::max(maxLineLength, int32_t(line.size()));
  }
  lines.resize(n);
  if (readFailed_) {
    lines.clear();
    maxLineLength = 0;
    return false;
  }
  if (n > 1) {
    lines[0] = lines[0].empty() ? std::string("Title Page") : TitleCase(lines[0]);
    lineCount = int32_t(n);
  }
  return true;
}

}  // namespace vorne
