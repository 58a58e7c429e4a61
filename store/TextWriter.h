// OutDataBuffer: appends sheet text to a cluster's text file (layout in
// store/TextReader.h). Pages are gathered in a window of up to 100 pages and
// written in one piece by Flush: as bare pages (uncompressed) or as one block
// of a u32 LE length and a zlib stream (compressed).
//
// Page rules of the writer, which the reader mirrors:
//   - a line that would end exactly at offset 254 gets one trailing space at
//     offset 255 (its length byte counts it) and the next line starts on the
//     next page, so a length byte never stands at offset 255;
//   - the end of a sheet, with r = 256 - p and p the 1-based next free byte:
//       r >= 5   2,CR,FF at p-1..p+1, a filler line of r-5 spaces ending at
//                offset 253, offset 254 left as is (zero), FF at 255
//       r 3, 4   2,CR,FF at p-1..p+1, FF at 255
//       r = 2    2,CR,FF at 253..255
//       r = 1    1,FF at 254..255
//     and the next sheet starts on the next page.
//
// The buffer owns its file handle, window and compression area; the TEnv must
// outlive it. A writer never reads: GetPage and SheetText fail on it. Unused
// bytes of the pages it writes are zero, so equal input gives equal files.
#pragma once

#include <deque>
#include <future>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "store/TextReader.h"

namespace vorne {

class OutDataBuffer : public TDataBuffer {
 public:
  // Makes a writer over path (created when missing) and opens it; a failed
  // open leaves it closed after the message "Can't create DBF file".
  static std::unique_ptr<OutDataBuffer> Create(TEnv& env, const std::string& path, bool compressed);
  // Closes the buffer if the owner has not (errors are then only messaged);
  // owners should Close themselves to learn whether the last flush worked.
  ~OutDataBuffer() override;

  // Opens the file read-write positioned at its end with an empty window (any
  // unflushed pages are dropped). Uncompressed: the window starts at page
  // size / 256 (a partial last page is overwritten). Compressed: at byte size.
  bool Open() override;
  // Flush (even an empty window: a compressed file may end with a block of no
  // pages), then closes the file. Returns the flush's result; raises as Flush,
  // the file being closed all the same.
  bool Close() override;
  // Reopens the file (after flushing any pages still in the window) and
  // returns where the next sheet will be written; -1 when it cannot be opened.
  int64_t OutGetEof() override;

  // Compressed: the offset of the block to be written next. Uncompressed: the
  // page number of the current window slot.
  int64_t CurrentPos() const;

  // Appends one line (cut to 255 characters) at the current position. Returns
  // true when the window is full (100 pages reached): either nothing was
  // written because it already was, or the line filled it.
  bool AddLine(std::string_view line);
  // Ends the current sheet by the rules above and moves to the next page.
  // Requires that the window is not full; does nothing otherwise.
  void EndSheet();

  // Writes a sheet (its title first) and returns its TextPos. When the sheet
  // does not fit behind the pages already in the window, they are flushed and
  // the sheet is written once more into the empty window. A sheet that needs
  // 100 pages or more shows "Won't fit, Page too large" and returns nullopt;
  // nothing of it stays in the window or the file. Also nullopt (after its
  // message) when the flush fails. Raises EDiskOverrun as Flush does.
  std::optional<TTextPos> WriteSheet(std::span<const std::string> lines);
  std::optional<TTextPos> WriteSheet(std::span<const std::string_view> lines);
  // Appends 1-100 whole pages unchanged (a sheet copied from another cluster),
  // flushing first when they would not fit in the window. nullopt when pages is
  // not 1-100 whole pages, when closed, or when that flush fails.
  std::optional<TTextPos> WritePages(std::span<const uint8_t> pages);

  // Writes the window's pages and empties it. Uncompressed: a full disk
  // raises EDiskOverrun ("Won't fit, new disk needed"); another write error
  // shows "Write error,probably hardware; code=" and its code and returns false.
  // Compressed: any write falling short shows "Won't fit, new disk needed"
  // (disk full) or the write error message, and returns false. On failure the
  // window's pages are dropped (TextPos values handed out for them are lost)
  // and the file is cut back to where they would have started, so it only ever
  // holds whole pages and whole blocks. Compression failures raise the zlib
  // wrapper's exceptions, also dropping the pages.
  bool Flush();
  // Flush, then waits until the file is on the disk: before a record that
  // points at these pages is made reachable. A disk that cannot flush shows
  // the write error message; false then as when Flush fails.
  bool FlushToDisk();
  // How many flushes have failed (returned false or raised) since the
  // buffer was made. A caller that keeps TextPos values learns from a change
  // that the pages at or after CurrentPos() were lost with the window.
  int Failures() const { return failures_; }

  // Write behind: an uncompressed writer hands the windows it fills to a
  // second thread to write while the caller fills the next ones (for callers
  // that do as much work per page as writing it takes: the import). A failed
  // write is seen at the next flush, which then fails as that write would
  // have (same message, or EDiskOverrun) and drops the pages handed over
  // since as well: the file is cut back to where the failed pages started.
  // Flush, Close and OutGetEof wait for every window handed over, so pages
  // are on file once they return true. Needs more than one processor;
  // ignored when compressed.
  void WriteBehind(bool on);
  // nullopt: the processors decide; true/false: always/never (for tests).
  static void SetWriteBehindForTesting(std::optional<bool> on);

  // Compress ahead: a compressed writer hands each full window to the shared
  // pool (platform/Workers.h) to compress while the caller fills the next
  // ones, and writes the finished blocks itself, in order, when it next
  // flushes; at most two blocks per pool thread wait. The bytes written are
  // those the writer makes without it. As a block's place depends on the
  // blocks before it, every TextPos handed out while it is on is provisional
  // (its dbfPos is negative, which no reader accepts) until Settled turns it
  // into the final one, which it can once a Flush has returned true. A block
  // that cannot be compressed or written fails the flush that writes it, with
  // the message or exception the writer gives without the pool, and drops the
  // blocks handed over after it (their positions never settle); the file is
  // cut back to where the failed block was to go. Needs more than one thread
  // (WorkerThreads); ignored when uncompressed. Stays on across Open.
  void CompressAhead(bool on);
  // pos itself when final; the final TextPos of a provisional one once its
  // block is written; nullopt when its block was dropped or is not yet written.
  std::optional<TTextPos> Settled(const TTextPos& pos) const;

 private:
  OutDataBuffer(TEnv& env, std::string path, bool compressed);

  class TWriteBehind;
  // Flush; a flush the writer makes itself (wait false) may leave the write
  // to the worker.
  bool FlushWindow(bool wait);
  // Waits for the windows handed over, if any: false (after the message, or
  // raising as Flush) when one of them could not be written.
  bool CollectWrite();

  template <class TLine>
  std::optional<TTextPos> WriteLines(std::span<const TLine> lines);
  bool WriteRaw();
  bool WriteBlock();
  void ReportWriteError(int code);
  void CutBack(uint64_t size);
  void ClearFrom(int first);
  TTextPos Here(int count) const;

  // Compress ahead.
  struct TBlockJob;
  struct TPending {
    std::shared_ptr<TBlockJob> job;
    std::future<void> done;
  };
  bool HandToPool();
  bool WritePending(size_t keep);
  bool WriteCompressed(const uint8_t* block, size_t length);
  void DropPending();

  std::vector<uint8_t> zipArea_;  // the block's length field, then the deflated pages
  std::unique_ptr<TWriteBehind> behind_;
  bool writeBehind_ = false;
  int failures_ = 0;
  bool compressAhead_ = false;
  std::deque<TPending> pending_;                    // handed to the pool, in file order
  std::vector<std::shared_ptr<TBlockJob>> spareJobs_;  // clean windows and areas
  std::vector<int64_t> blockAt_;  // each flushed window's block offset, -1 when dropped
  int64_t ticket_ = 0;            // the window being filled: its index among flushed windows
};

}  // namespace vorne
