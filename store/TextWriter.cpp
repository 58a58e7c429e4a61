#include "store/TextWriter.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <chrono>
#include <deque>
#include <exception>
#include <limits>
#include <mutex>
#include <thread>
#include <utility>

#include "platform/Workers.h"
#include "store/Bytes.h"
#include "store/Errors.h"
#include "store/Zlib.h"

namespace vorne {

namespace {

constexpr uint8_t kCR = 13;
constexpr uint8_t kFF = 12;
constexpr size_t kMaxLine = 255;

// A line's characters into its page. Lines are short, and a plain memcpy of
// a length known to be at most 255 compiles to a string move that costs more
// to start than most lines take: fixed-size moves instead, the last one
// overlapping the one before, never touching a byte outside either range.
inline void CopyLine(uint8_t* to, const char* from, size_t n) {
  if (n >= 16) {
    for (size_t i = 0; i + 16 < n; i += 16) std::memcpy(to + i, from + i, 16);
    std::memcpy(to + n - 16, from + n - 16, 16);
  } else if (n >= 8) {
    std::memcpy(to, from, 8);
    std::memcpy(to + n - 8, from + n - 8, 8);
  } else if (n >= 4) {
    std::memcpy(to, from, 4);
    std::memcpy(to + n - 4, from + n - 4, 4);
  } else {
    for (size_t i = 0; i < n; ++i) to[i] = uint8_t(from[i]);
  }
}

}  // namespace

// ---- write behind -------------------------------------------------------------

// A worker thread that writes full windows in order while the owner fills the
// next ones. Waking a sleeping thread costs more than writing one window
// takes, so windows are handed over in batches: the worker is woken when
// kBatch of them wait, or when the owner needs everything written. After a
// failed write the worker writes nothing more (no pages may stand behind a
// gap) until the owner has collected the failure; the owner then waits for
// the worker to be idle before it touches the file again, so the file is only
// ever used by one thread at a time.
class OutDataBuffer::TWriteBehind {
 public:
  static constexpr size_t kBatch = 8;
  static constexpr size_t kMaxWindows = 4 * kBatch;  // about 800 KB

  TWriteBehind() : worker_([this] { Run(); }) {}
  ~TWriteBehind() {
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
    worker_.join();  // windows handed over are written first
  }

  struct TResult {
    bool failed = false;
    uint64_t offset = 0;       // where the failed write was to go
    int code = 0;              // of an EInOutError
    std::exception_ptr error;  // anything else
  };

  // Queues the first n bytes of window to be written at offset of file, and
  // gives window a clean buffer in exchange; false when an earlier write
  // failed (nothing queued: Collect the failure).
  bool Hand(TFile& file, uint64_t offset, std::vector<uint8_t>& window, size_t n) {
    std::unique_lock lock(mutex_);
    if (result_.failed) return false;
    std::vector<uint8_t> clean;
    if (!free_.empty()) {
      clean = std::move(free_.back());
      free_.pop_back();
    } else if (windows_ < kMaxWindows) {
      clean.assign(window.size(), 0);
      ++windows_;
    } else {
      WakeLocked();
      changed_.wait(lock, [this] { return !free_.empty() || result_.failed; });
      if (result_.failed) return false;
      clean = std::move(free_.back());
      free_.pop_back();
    }
    queue_.push_back(TJob{&file, offset, n, std::move(window)});
    window = std::move(clean);
    if (queue_.size() >= kBatch) WakeLocked();
    return true;
  }

  // Waits until every window handed over is written (or dropped after a
  // failure) and returns how it went, clearing the failure.
  TResult Collect() {
    std::unique_lock lock(mutex_);
    if (!queue_.empty()) WakeLocked();
    changed_.wait(lock, [this] { return queue_.empty() && !busy_; });
    return std::exchange(result_, TResult{});
  }

 private:
  struct TJob {
    TFile* file;
    uint64_t offset;
    size_t size;
    std::vector<uint8_t> pages;
  };

  void WakeLocked() {
    if (!woken_) {
      woken_ = true;
      changed_.notify_all();
    }
  }

  void Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
      changed_.wait(lock, [this] { return woken_ || stop_; });
      if (queue_.empty()) {
        if (stop_) return;
        woken_ = false;
        changed_.notify_all();  // the owner may wait for an empty queue
        continue;
      }
      TJob job = std::move(queue_.front());
      queue_.pop_front();
      busy_ = true;
      const bool skip = result_.failed;
      lock.unlock();
      TResult result;
      if (!skip) {
        result.offset = job.offset;
        try {
          job.file->Write(job.offset, job.pages.data(), job.size);
        } catch (const EInOutError& e) {
          result.failed = true;
          result.code = e.Code();
        } catch (...) {
          result.failed = true;
          result.error = std::current_exception();
        }
      }
      // Only the first size bytes of a window handed over are used; zeroed
      // here, the buffer comes back as a clean window.
      std::memset(job.pages.data(), 0, job.size);
      lock.lock();
      if (result.failed) result_ = std::move(result);
      free_.push_back(std::move(job.pages));
      busy_ = false;
      changed_.notify_all();
    }
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  bool stop_ = false;
  bool woken_ = false;  // the worker runs until the queue is empty
  bool busy_ = false;   // a job is out of the queue, being written
  std::deque<TJob> queue_;
  std::vector<std::vector<uint8_t>> free_;
  size_t windows_ = 0;  // buffers made besides the owner's
  TResult result_;      // the first failure since the last Collect
  std::thread worker_;  // last: it starts once everything above is made
};

// ---- compress ahead ---------------------------------------------------------------

// A window handed to the pool and the block made of it. Shared with the pool's
// job, so a block dropped while it is being compressed stays alive until done.
struct OutDataBuffer::TBlockJob {
  std::vector<uint8_t> pages = std::vector<uint8_t>(kZipArea, 0);  // a window; `used` bytes of pages
  size_t used = 0;
  std::vector<uint8_t> area = std::vector<uint8_t>(4 + kZipArea);  // length field, deflated pages
  size_t length = 0;
};

void OutDataBuffer::CompressAhead(bool on) {
  const bool want = on && compressed_ && WorkerWanted(TWorker::CompressAhead);
  if (!want && open_ && !pending_.empty()) {
    // The positions handed out stay provisional; their blocks go out now.
    try {
      WritePending(0);
    } catch (const EVorneError&) {
    }
  }
  compressAhead_ = want;
}

std::optional<TTextPos> OutDataBuffer::Settled(const TTextPos& pos) const {
  if (pos.dbfPos >= 0) return pos;
  const int64_t ticket = -1 - int64_t(pos.dbfPos);
  if (ticket >= int64_t(blockAt_.size()) || blockAt_[size_t(ticket)] < 0) return std::nullopt;
  TTextPos settled = pos;
  settled.dbfPos = int32_t(blockAt_[size_t(ticket)]);
  return settled;
}

bool OutDataBuffer::HandToPool() {
  TWorkPool& pool = TWorkPool::Shared();
  // Finished blocks go out first, and no more than two per thread wait.
  if (!WritePending(size_t(2 * pool.Threads()) - 1)) return false;
  std::shared_ptr<TBlockJob> job;
  if (!spareJobs_.empty()) {
    job = std::move(spareJobs_.back());
    spareJobs_.pop_back();
  } else {
    job = std::make_shared<TBlockJob>();
  }
  job->used = size_t(pageIndex_) * kPageSize;
  job->pages.swap(window_);  // the writer goes on in a clean window
  std::packaged_task<void()> task([job] {
    job->length = Compress({job->pages.data(), job->used}, {job->area.data() + 4, kZipArea});
    PutU32(job->area.data(), uint32_t(job->length));
  });
  pending_.push_back(TPending{job, pool.Run(std::move(task))});
  ++ticket_;
  pageIndex_ = 0;
  return true;
}

bool OutDataBuffer::WritePending(size_t keep) {
  while (!pending_.empty()) {
    TPending& front = pending_.front();
    if (pending_.size() <= keep && front.done.wait_for(std::chrono::seconds(0)) != std::future_status::ready) break;
    std::shared_ptr<TBlockJob> job = front.job;
    bool ok = false;
    try {
      front.done.get();  // raises what compressing it raised
      pending_.pop_front();
      ok = WriteCompressed(job->area.data(), job->length);
    } catch (...) {
      DropPending();
      throw;
    }
    if (!ok) {
      DropPending();
      return false;
    }
    std::memset(job->pages.data(), 0, job->used);
    spareJobs_.push_back(std::move(job));
  }
  return true;
}

void OutDataBuffer::DropPending() {
  // Nothing may stand behind a block that failed: the later ones are lost too.
  for (size_t i = 0; i < pending_.size(); ++i) blockAt_.push_back(-1);
  pending_.clear();  // a job still running keeps its buffers alive itself
}

void OutDataBuffer::SetWriteBehindForTesting(std::optional<bool> on) { SetWorkerForTesting(TWorker::WriteBehind, on); }

void OutDataBuffer::WriteBehind(bool on) {
  writeBehind_ = on && !compressed_ && WorkerWanted(TWorker::WriteBehind);
  if (writeBehind_ && !behind_) behind_ = std::make_unique<TWriteBehind>();
}

bool OutDataBuffer::CollectWrite() {
  if (!behind_) return true;
  TWriteBehind::TResult r = behind_->Collect();
  if (!r.failed) return true;
  // The pages after the failed ones are lost with them: nothing may stand
  // behind a gap.
  CutBack(r.offset);
  start_ = int64_t(r.offset / kPageSize);
  if (r.error) std::rethrow_exception(r.error);
  if (r.code == EInOutError::kDiskFull) throw EDiskOverrun();
  ReportWriteError(r.code);
  return false;
}

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
  if (open_ && behind_) {
    // Reopening drops the window, but the windows handed over are written
    // first, and a failure among them is still shown.
    try {
      CollectWrite();
    } catch (const EDiskOverrun&) {
      env_.port.Error("Won't fit, new disk needed");
    } catch (const EVorneError&) {
    }
  }
  if (open_ && !pending_.empty()) {
    // As with write behind: the blocks handed over are written first.
    try {
      WritePending(0);
    } catch (const EDiskOverrun&) {
      env_.port.Error("Won't fit, new disk needed");
    } catch (const EVorneError&) {
    }
  }
  if (compressed_ && pageIndex_ > 0) {
    blockAt_.push_back(-1);  // the positions in the dropped window never settle
    ++ticket_;
  }
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
  CopyLine(page + pos_, line.data(), length);
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
  // Ahead of the blocks still being compressed, a window's place is not yet
  // known: its ticket stands in for it until Settled.
  const int64_t at = compressAhead_ ? -1 - ticket_ : CurrentPos();
  // A sheet record holds a 32-bit position; a file beyond it is full.
  if (at > std::numeric_limits<int32_t>::max() || at < std::numeric_limits<int32_t>::min()) throw EDiskOverrun();
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
    if (!FlushWindow(false)) return std::nullopt;
  }
  env_.port.Error("Won't fit, Page too large");
  return std::nullopt;
}

std::optional<TTextPos> OutDataBuffer::WritePages(std::span<const uint8_t> pages) {
  const size_t count = pages.size() / kPageSize;
  if (!open_ || pages.size() % kPageSize != 0 || count < 1 || count > size_t(kMaxSheetPages))
    return std::nullopt;
  if (pageIndex_ + count >= size_t(kWindowPages) && !FlushWindow(false)) return std::nullopt;
  std::memcpy(Page(pageIndex_), pages.data(), pages.size());
  TTextPos pos = Here(int(count));
  pageIndex_ += int(count);
  return pos;
}

// ---- flushing ---------------------------------------------------------------

bool OutDataBuffer::Flush() { return FlushWindow(true); }

bool OutDataBuffer::FlushToDisk() {
  if (!Flush()) return false;
  try {
    file_->Sync();
  } catch (const EInOutError& e) {
    ++failures_;
    ReportWriteError(e.Code());
    return false;
  }
  return true;
}

bool OutDataBuffer::FlushWindow(bool wait) {
  if (!open_) return false;
  // However the write ends, the window starts empty again; a write that
  // did not end well is counted.
  struct TEmpty {
    OutDataBuffer& b;
    bool ok = false;
    ~TEmpty() {
      if (!ok) ++b.failures_;
      b.ClearFrom(0);
    }
  } empty{*this};
  if (!wait && writeBehind_ && pageIndex_ > 0 &&
      behind_->Hand(*file_, uint64_t(start_) * kPageSize, window_, size_t(pageIndex_) * kPageSize)) {
    start_ += pageIndex_;
    pageIndex_ = 0;  // the window now is a clean one
    return empty.ok = true;
  }
  if (!CollectWrite()) return false;
  if (!compressed_) return empty.ok = WriteRaw();
  // Whatever happens, the window's ticket is used up: a window that is
  // neither handed over nor written is dropped, and so are its positions.
  struct TUsed {
    OutDataBuffer& b;
    const int64_t ticket;
    ~TUsed() {
      if (b.ticket_ != ticket) return;
      b.DropPending();
      b.blockAt_.push_back(-1);
      ++b.ticket_;
    }
  } used{*this, ticket_};
  if (!wait && compressAhead_ && pageIndex_ > 0) return empty.ok = HandToPool();
  return empty.ok = WritePending(0) && WriteBlock();
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
  ++ticket_;
  return WriteCompressed(zipArea_.data(), length);
}

bool OutDataBuffer::WriteCompressed(const uint8_t* block, size_t length) {
  // Positions handed out ahead are settled here; a sheet record holds 32 bits.
  if (compressAhead_ && start_ > std::numeric_limits<int32_t>::max()) {
    blockAt_.push_back(-1);
    throw EDiskOverrun();
  }
  try {
    file_->Write(uint64_t(start_), block, 4 + length);
  } catch (const EInOutError& e) {
    blockAt_.push_back(-1);
    CutBack(uint64_t(start_));
    if (e.Code() == EInOutError::kDiskFull)
      env_.port.Error("Won't fit, new disk needed");
    else
      ReportWriteError(e.Code());
    return false;
  }
  blockAt_.push_back(start_);
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
