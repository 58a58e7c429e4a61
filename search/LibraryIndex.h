// TLibraryIndex: the full-text index of one library, a SQLite database with
// an FTS5 table in the user's cache folder ($XDG_CACHE_HOME/vorne, else
// ~/.cache/vorne), one file per library named after a hash of the absolute
// path of its prime file. The library folder is never written: the index
// reads it through its own read-only cluster and never takes the writer's
// lock.
//
// Database layout (kSchemaVersion; any other version is rebuilt):
//   meta     key/value: "schema", "library" (the prime file path the index
//            belongs to), "stamp" (sizes and times of the three library files
//            when the index was last found current)
//   volumes  one row per volume, keyed by the record number of its
//            VolumeRecord: the hash of its prime record and header chain, the
//            company code, name and volume name as they are shown
//   sheets   one row per sheet version: its volume, its place in the volume's
//            sheet list, its SheetRecord position, name, status, effective
//            date, its sheet and docket records (for the selection criteria)
//            and its text (zlib, lines joined by "\n")
//   terms    FTS5, contentless: the folded words of each sheet's text
//            (IndexTerms), rowid = sheets.id
//
// Failure channel: Refresh returns Failed with Error() set; a damaged or
// foreign index file is removed and built again instead of being trusted.
// Search raises nothing: an index that fails while searching is rebuilt on
// the next Refresh and the search answers nothing (Error() says why).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/UserPort.h"
#include "search/Query.h"
#include "store/Records.h"

struct sqlite3;

namespace vorne {

class TFileCluster;
class TPrimeRef;

// What a hit shows without opening the library.
struct TIndexedSheet {
  int64_t id = 0;
  int32_t volumeRecord = -1;  // FirstHdr of its volume
  int32_t order = 0;          // its place in the volume's unfiltered sheet list
  int32_t position = -1;      // record number of its SheetRecord
  std::string code;           // the company ID, 6 digits
  std::string company;        // CompanyName as stored, trimmed on the right
  std::string volume;         // VolumeName, trimmed
  std::string name;           // the sheet's name (its title line)
  uint8_t status = 0;
  uint16_t effectiveDate = 0;  // of its docket entry
  THdrRecord sheetRecord{};
  THdrRecord docketRecord{};
};

class TLibraryIndex {
 public:
  static constexpr int kSchemaVersion = 1;

  // $XDG_CACHE_HOME/vorne when that is set, else $HOME/.cache/vorne.
  static std::string DefaultFolder();
  // The index file of the library whose prime file is primePath.
  static std::string FileFor(const std::string& folder, const std::string& primePath);

  TLibraryIndex(TEnv& env, const std::string& primePath, bool compressed, std::string folder = DefaultFolder());
  ~TLibraryIndex();
  TLibraryIndex(const TLibraryIndex&) = delete;
  TLibraryIndex& operator=(const TLibraryIndex&) = delete;

  const std::string& FilePath() const { return file_; }
  const std::string& Error() const { return error_; }

  enum class TRefresh { Current, Updated, Cancelled, Failed };
  // done of total volumes indexed; false cancels (the volumes done stay).
  using TProgress = std::function<bool(size_t done, size_t total)>;
  // Makes the index current: when any library file changed since it was
  // last current, every volume whose prime record or header chain changed
  // is indexed again, volume by volume, and volumes no longer in the prime
  // file are dropped. progress is called before the first volume (0 of
  // total) and after each.
  TRefresh Refresh(const TProgress& progress = nullptr);
  // What the last Refresh did.
  struct TRefreshCounts {
    size_t indexed = 0, dropped = 0;
    bool rebuilt = false;  // a damaged or foreign index file was thrown away
  };
  const TRefreshCounts& LastRefresh() const { return counts_; }

  // Every indexed sheet holding query, in no particular order.
  std::vector<TIndexedSheet> Search(const TQuery& query);
  // The text of an indexed sheet, lines joined by "\n" ("" when unknown).
  std::string Text(int64_t id);
  size_t SheetCount();

 private:
  bool OpenDatabase();
  void CloseDatabase();
  bool Rebuild();
  TRefresh Update(const TProgress& progress);
  void IndexVolume(TFileCluster& cluster, TPrimeRef& volume, uint64_t signature);
  void DropVolume(int32_t volumeRecord);
  void LoadSheets();

  TEnv& env_;
  std::string primePath_;
  bool compressed_;
  std::string folder_;
  std::string file_;
  std::string error_;
  TRefreshCounts counts_;
  sqlite3* db_ = nullptr;
  // Every indexed sheet's row but its text, read once after each change: a
  // search then asks the full-text table for row numbers alone.
  bool loaded_ = false;
  std::vector<TIndexedSheet> sheets_;
  std::unordered_map<int64_t, size_t> sheetAt_;
};

}  // namespace vorne
