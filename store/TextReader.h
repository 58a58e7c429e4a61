// TDataBuffer: reads sheet text from a cluster's text file ("GZipDBF" or
// "TarDBF") through a window of pages.
//
// Layout of the text file:
//   page          256 bytes. A sheet's text is a stream of lines, each a length
//                 byte L and L characters, starting at offset 0 of its first
//                 page and running contiguously across page boundaries. It ends
//                 with the end line (2, CR, FF) and FF at offset 255 of its last
//                 page, or with the bytes 1, FF at offsets 254-255. A length
//                 byte never stands at offset 255. A sheet has 1-100 pages.
//   uncompressed  the pages back to back; page n starts at byte 256 * n.
//                 TextPos.dbfPos is the sheet's first page.
//   compressed    blocks: u32 LE length N, then N bytes of one zlib stream that
//                 inflates to 0-100 whole pages. TextPos.dbfPos is the offset of
//                 the block's length field, TextPos.pageIndex the sheet's first
//                 page inside the block. A sheet never spans blocks.
//
// The reader holds 101 pages of the uncompressed file, or one inflated block
// of the compressed file (inflated only when a different block is asked for).
// It owns its file handle and window; the TEnv must outlive it. Messages go to
// the user port; damaged compressed blocks raise EUnzipError or
// EDecompressionError (see GetPage). Nothing on disk is trusted: a TextPos
// whose pages are not all in the file or its block is refused, and a sheet
// never reads beyond its own last page.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/UserPort.h"
#include "store/TextPos.h"

namespace vorne {

class TDataBuffer {
 public:
  // Makes a reader over path and opens it; a failed open leaves it closed
  // (IsOpen() false) after the message "Cannot open input file".
  static std::unique_ptr<TDataBuffer> Create(TEnv& env, const std::string& path, bool compressed);
  virtual ~TDataBuffer();
  TDataBuffer(const TDataBuffer&) = delete;
  TDataBuffer& operator=(const TDataBuffer&) = delete;

  // Opens the file read-only and empties the position state. Uncompressed:
  // loads the first 101 pages. Compressed: holds no block yet, so an empty
  // text file opens fine and only a sheet read can fail. False after
  // "Cannot open input file".
  virtual bool Open();
  // Closes the file; true (a writer reports its last flush).
  virtual bool Close();
  // Only a writer knows its end: shows "OutGetEof called in input cluster.
  // System error" and returns -1.
  virtual int64_t OutGetEof();

  // Positions the reader at the start of the sheet at pos and returns its
  // first page (valid until the next call that moves the window), or nullptr
  // when the sheet's pages are not all in the file (uncompressed) or in its
  // block (compressed), when its page count is not 1-100, or when the window
  // cannot be reloaded ("Error reading DBF" shown). Compressed: raises
  // EUnzipError when the block's length or data cannot be read in full
  // ("Unexpected end of file in decompress") or it inflates to more than 100
  // pages or to part of a page, EDecompressionError when the stream is
  // damaged, EInOutError on a read error; the window then holds no block.
  const uint8_t* GetPage(const TTextPos& pos);

  // The next line of the sheet GetPage positioned; the view is valid until
  // the next call on this buffer. At the end of the sheet it returns the end
  // line "\r\f" (and keeps returning it). The end is recognised only on the
  // sheet's last page: the end line itself or the bytes 1, FF at offsets
  // 254-255. A line that would run past the sheet's last page ends the sheet.
  std::string_view NextLine();
  // True once NextLine has returned the end of the current sheet.
  bool AtSheetEnd() const { return sheetEnded_; }

  // Reads the sheet at pos into lines (reusing their storage): every line
  // that is empty or starts with a character of space or above, the end line
  // excluded. maxLineLength := the longest kept line. With more than one
  // line, line 0 becomes "Title Page" when empty, else its title case, and
  // lineCount := the number of lines (left unchanged otherwise). False, with
  // lines empty, after "I/O error: File seek failed for this sheet" when
  // GetPage fails, or after "Error reading DBF" when a page cannot be read
  // mid-sheet. Raises as GetPage does.
  bool SheetText(const TTextPos& pos, std::vector<std::string>& lines, int32_t& maxLineLength,
                 int32_t& lineCount);
  // SheetText without copying the lines: visit(line) for every kept line in
  // order, line 0 made as SheetText makes it; a view is valid during its
  // call only. Returns as SheetText; on false some lines may have been
  // visited already (a page that could not be read mid-sheet).
  template <class TVisit>
  bool VisitSheetText(const TTextPos& pos, TVisit&& visit, int32_t& maxLineLength, int32_t& lineCount);

  // All pos.pageCount pages of the sheet at pos, contiguous (for copying a
  // sheet to another cluster unchanged); empty when GetPage fails. Valid until
  // the next call that moves the window.
  std::span<const uint8_t> SheetPages(const TTextPos& pos);

  // How much of the compressed file one read takes in.
  static constexpr size_t kReadAhead = 64 * 1024;

  // Read ahead: a compressed reader has the blocks after the one just read
  // inflated on the shared pool (two per pool thread), for callers that read
  // mostly in file order (publishing, copying). Only the reader's own thread
  // reads the file. It needs more than one thread (WorkerThreads); it stays
  // on across Close and Open.
  void ReadAhead(bool on);
  // nullopt: the processors decide; true/false: always/never (for tests).
  static void SetPrefetchForTesting(std::optional<bool> on);

  bool IsOpen() const { return open_; }
  bool IsCompressed() const { return compressed_; }
  const std::string& Path() const { return path_; }

 protected:
  TDataBuffer(TEnv& env, std::string path, bool compressed);

  uint8_t* Page(int index) { return window_.data() + size_t(index) * kPageSize; }

  TEnv& env_;
  const std::string path_;
  const bool compressed_;
  std::unique_ptr<TFile> file_;
  bool open_ = false;
  // Uncompressed: 101 pages. Compressed reader: the inflated block (its size
  // may exceed the block). Writer: the 101 pages being filled.
  std::vector<uint8_t> window_;
  // Uncompressed: page number of slot 0. Compressed: offset of the block held
  // (-1 for none) or, for the writer, of the next block.
  int64_t start_ = 0;
  int lastPage_ = -1;  // last valid slot of the window
  int pageIndex_ = 0;  // current slot
  int pos_ = 1;        // 1-based position in the current page
  // A writer's window holds unwritten pages; reading must never replace it.
  bool readable_ = true;

 private:
  // Line 0 of a sheet of more than one line: "Title Page" or its title case.
  void NameFirstLine();

  class TPrefetch;
  void StartPrefetch();
  void PrefetchAfter(int64_t offset, uint32_t length);

  bool PlaceInBlock(const TTextPos& pos);
  bool PlaceInWindow(const TTextPos& pos);
  bool Reload(int64_t start, int64_t target);
  bool ExtendWindow();
  void LoadBlock(int64_t offset);
  bool NextPage();
  bool AtEndMark(const uint8_t* page) const;

  // The n bytes of the file at offset, or nullptr when the file ends first;
  // valid until the next call. Compressed reader only.
  const uint8_t* FileBytes(uint64_t offset, size_t n);

  // Bytes of the compressed file read ahead: aheadLength_ bytes from aheadStart_.
  std::vector<uint8_t> ahead_;
  uint64_t aheadStart_ = 0;
  size_t aheadLength_ = 0;
  int pagesLeft_ = 0;              // pages of the sheet after the current one
  bool sheetEnded_ = true;
  bool readFailed_ = false;
  std::string firstLine_, namedLine_;  // VisitSheetText's line 0
  // Declared after file_: destroyed (its thread stopped) before the file closes.
  std::unique_ptr<TPrefetch> prefetch_;
  bool readAhead_ = false;
};

template <class TVisit>
bool TDataBuffer::VisitSheetText(const TTextPos& pos, TVisit&& visit, int32_t& maxLineLength, int32_t& lineCount) {
  maxLineLength = 0;
  if (!GetPage(pos)) {
    env_.port.Error("I/O error: File seek failed for this sheet");
    return false;
  }
  // Line 0 is named only once the sheet is known to have a line after it.
  size_t n = 0;
  for (std::string_view line = NextLine(); !sheetEnded_; line = NextLine()) {
    if (!line.empty() && uint8_t(line[0]) < uint8_t(' ')) continue;
    if (int32_t(line.size()) > maxLineLength) maxLineLength = int32_t(line.size());
    if (n == 0) {
      firstLine_.assign(line);
    } else {
      if (n == 1) {
        NameFirstLine();
        visit(std::string_view(namedLine_));
      }
      visit(line);
    }
    ++n;
  }
  if (readFailed_) {
    maxLineLength = 0;
    return false;
  }
  if (n == 1) visit(std::string_view(firstLine_));
  if (n > 1) lineCount = int32_t(n);
  return true;
}

}  // namespace vorne
