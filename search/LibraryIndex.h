// TLibraryIndex: the full-text index of one library, SQLite databases with
// FTS5 tables in the user's cache folder ($XDG_CACHE_HOME/vorne, else
// ~/.cache/vorne), named after a hash of the absolute path of the library's
// prime file. The library folder is never written: the index reads it
// through its own read-only cluster and never takes the writer's lock.
//
// Files (kSchemaVersion; any other version is rebuilt):
//   <hash>.sqlite      the index proper:
//     meta     key/value: "schema", "library" (the prime file path the index
//              belongs to), "stamp" (sizes and times of the three library
//              files when the index was last found current), "shards" (how
//              many term tables), "epoch" (a random number every term file
//              repeats, so that no file of an older index is mixed in),
//              "serial" (the next volume serial), "dead" (term rows no live
//              volume owns)
//     volumes  one row per volume, keyed by the record number of its
//              VolumeRecord: its serial, the hash of its prime record and
//              header chain, the company code, name and volume name as they
//              are shown, and its sheets packed in list order (record
//              position, status, effective date, name, sheet and docket
//              records)
//     terms    term table 0
//   <hash>.<k>.sqlite  term table k (k >= 1) with its own meta (schema,
//              library, epoch, shard)
// A term table is FTS5, contentless, with positions (phrases need them) and
// a tokenizer of the program's own ("vorne_words") that splits and folds
// Windows-1252 text as the query language reads it. A sheet's row is
// serial << 32 | its place in its volume's list, in table place % shards.
// There are as many tables as processors when the index is made (at most
// kMaxShards): they are written on threads of their own, one each, while
// the library is read, and searched in parallel on the shared pool. The
// files are written without waiting for the disk.
// The texts themselves are not kept: a snippet reads its sheet from the
// library.
//
// A volume indexed again gets a new serial; the rows of its old serial stay
// behind as dead rows that searches skip, until they outnumber the live ones
// and the next refresh builds the index afresh.
//
// Failure channel: Refresh returns Failed with Error() set; a damaged or
// foreign index file is removed and built again instead of being trusted.
// Search raises nothing: an index that fails while searching is rebuilt on
// the next Refresh and the search answers nothing (Error() says why).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/UserPort.h"
#include "search/Query.h"
#include "store/Records.h"

struct sqlite3;
struct sqlite3_stmt;

namespace vorne {

class TDataBuffer;
class TFileCluster;
class TPrimeRef;
class TSheetFilter;
struct TIndexedVolume;

// What a hit shows without opening the library.
struct TIndexedSheet {
  const TIndexedVolume* volume = nullptr;
  int64_t id = 0;             // its row in the term tables
  int32_t volumeRecord = -1;  // FirstHdr of its volume
  int32_t order = 0;          // its place in the volume's unfiltered sheet list
  int32_t position = -1;      // record number of its SheetRecord
  std::string name;           // the sheet's name (its title line)
  uint8_t status = 0;
  uint16_t effectiveDate = 0;  // of its docket entry
  THdrRecord sheetRecord{};
  THdrRecord docketRecord{};

  const std::string& Code() const;        // the company ID, 6 digits
  const std::string& Company() const;     // CompanyName as stored, trimmed on the right
  const std::string& VolumeName() const;  // VolumeName, trimmed
};
using THits = std::vector<const TIndexedSheet*>;

struct TIndexedVolume {
  int32_t firstHdr = -1;
  int32_t serial = 0;
  uint64_t signature = 0;
  std::string code, company, name;
  std::vector<TIndexedSheet> sheets;  // list order
  size_t first = 0;                   // number of its first sheet among all
};

class TLibraryIndex {
 public:
  static constexpr int kSchemaVersion = 2;
  static constexpr int kMaxShards = 4;

  // $XDG_CACHE_HOME/vorne when that is set, else $HOME/.cache/vorne.
  static std::string DefaultFolder();
  // The index file of the library whose prime file is primePath.
  static std::string FileFor(const std::string& folder, const std::string& primePath);

  TLibraryIndex(TEnv& env, const std::string& primePath, bool compressed, std::string folder = DefaultFolder());
  ~TLibraryIndex();
  TLibraryIndex(const TLibraryIndex&) = delete;
  TLibraryIndex& operator=(const TLibraryIndex&) = delete;

  const std::string& FilePath() const { return file_; }
  // The index's files: FilePath() and the further term files.
  std::vector<std::string> Files() const;
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
    bool rebuilt = false;    // a damaged or foreign index file was thrown away
    bool compacted = false;  // built afresh because dead rows outnumbered live ones
  };
  const TRefreshCounts& LastRefresh() const { return counts_; }

  // Every indexed sheet holding query whose volume is in volumes (FirstHdr
  // numbers in volume list order; nullptr: every volume, by FirstHdr) and
  // whose sheet and docket records filter accepts (nullptr accepts all),
  // ordered by volume, then by its place in the volume's sheet list. The
  // sheets stay valid until the next Refresh (or a Search that finds the
  // index damaged).
  THits Search(const TQuery& query, const std::vector<int32_t>* volumes = nullptr,
               const TSheetFilter* filter = nullptr);
  // The text of an indexed sheet as the index read it, lines joined by "\n",
  // read again from the library ("" when it cannot be read).
  std::string Text(const TIndexedSheet& sheet);
  size_t SheetCount() const;

 private:
  bool OpenDatabase();
  void CloseDatabase();
  bool Rebuild();
  std::string ShardFile(int k) const;
  TRefresh Update(const TProgress& progress);
  void LoadTable();
  void Renumber();

  TEnv& env_;
  std::string primePath_;
  bool compressed_;
  std::string folder_;
  std::string file_;
  std::string error_;
  TRefreshCounts counts_;
  bool busy_ = false;  // in Refresh or Search
  sqlite3* db_ = nullptr;            // the index proper, and term table 0
  std::vector<sqlite3*> shards_;     // every term table's database, db_ first
  std::vector<sqlite3_stmt*> find_;  // the MATCH of each term table, marking its rows
  struct TMarks;
  std::vector<std::unique_ptr<TMarks>> marks_;  // per term table, reused by each search
  int64_t dead_ = 0;
  int64_t loadedSerial_ = 0;  // the index's "serial" when the table was read
  // Every indexed volume and sheet, read once when the index is opened and
  // kept as volumes are indexed: a search asks the term tables for row
  // numbers alone and marks their sheets in bit sets.
  bool loaded_ = false;
  std::map<int32_t, std::unique_ptr<TIndexedVolume>> volumes_;  // by FirstHdr
  std::unordered_map<int32_t, TIndexedVolume*> bySerial_;
  size_t sheetCount_ = 0;
  // Snippets read the library's text file through this reader.
  std::string textPath_;
  std::unique_ptr<TEnv> quietEnv_;
  std::unique_ptr<TDataBuffer> text_;
};

}  // namespace vorne
