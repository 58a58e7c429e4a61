#include "search/LibraryIndex.h"

#include <sqlite3.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <stdexcept>

#include "store/Cluster.h"
#include "store/Common.h"
#include "store/Headers.h"
#include "store/TextReader.h"

namespace vorne {

namespace {

// A failure of the database; damaged says the file is not a sound index.
struct TDbError : std::runtime_error {
  TDbError(sqlite3* db, int code)
      : std::runtime_error(db ? sqlite3_errmsg(db) : sqlite3_errstr(code)),
        damaged((code & 0xFF) == SQLITE_CORRUPT || (code & 0xFF) == SQLITE_NOTADB) {}
  bool damaged;
};

void Check(sqlite3* db, int rc) {
  if (rc != SQLITE_OK && rc != SQLITE_ROW && rc != SQLITE_DONE) throw TDbError(db, rc);
}

void Exec(sqlite3* db, const char* sql) { Check(db, sqlite3_exec(db, sql, nullptr, nullptr, nullptr)); }

// One prepared statement, reset for each use.
class TStatement {
 public:
  TStatement(sqlite3* db, const char* sql) : db_(db) { Check(db, sqlite3_prepare_v2(db, sql, -1, &st_, nullptr)); }
  ~TStatement() { sqlite3_finalize(st_); }
  TStatement(const TStatement&) = delete;
  TStatement& operator=(const TStatement&) = delete;

  TStatement& Bind(int i, int64_t v) {
    Check(db_, sqlite3_bind_int64(st_, i, v));
    return *this;
  }
  TStatement& Bind(int i, const std::string& v) {
    Check(db_, sqlite3_bind_text(st_, i, v.data(), int(v.size()), SQLITE_TRANSIENT));
    return *this;
  }
  TStatement& BindBlob(int i, const void* p, size_t n) {
    Check(db_, sqlite3_bind_blob(st_, i, p, int(n), SQLITE_TRANSIENT));
    return *this;
  }
  // True while there is a row.
  bool Step() {
    const int rc = sqlite3_step(st_);
    Check(db_, rc);
    return rc == SQLITE_ROW;
  }
  void Run() {
    Step();
    Reset();
  }
  void Reset() {
    sqlite3_reset(st_);
    sqlite3_clear_bindings(st_);
  }
  int64_t Int(int c) { return sqlite3_column_int64(st_, c); }
  std::string Text(int c) {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_blob(st_, c));
    return p ? std::string(p, size_t(sqlite3_column_bytes(st_, c))) : std::string();
  }
  template <class T>
  void Record(int c, T& out) {
    const std::string b = Text(c);
    out.fill(0);
    std::memcpy(out.data(), b.data(), std::min(b.size(), out.size()));
  }

 private:
  sqlite3* db_;
  sqlite3_stmt* st_ = nullptr;
};

// Rolls back a transaction that did not reach Commit.
class TTransaction {
 public:
  explicit TTransaction(sqlite3* db) : db_(db) { Exec(db, "BEGIN IMMEDIATE"); }
  ~TTransaction() {
    if (db_) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  }
  void Commit() {
    Exec(db_, "COMMIT");
    db_ = nullptr;
  }

 private:
  sqlite3* db_;
};

uint64_t Fnv(uint64_t h, const void* p, size_t n) {
  const auto* b = static_cast<const uint8_t*>(p);
  for (size_t i = 0; i < n; ++i) h = (h ^ b[i]) * 1099511628211ull;
  return h;
}
constexpr uint64_t kFnvStart = 14695981039346656037ull;

// Text blobs: a 4-byte little-endian length, then the zlib stream.
std::string Pack(const std::string& text) {
  uLongf n = compressBound(uLong(text.size()));
  std::string out(4 + n, '\0');
  const auto len = uint32_t(text.size());
  for (int i = 0; i < 4; ++i) out[i] = char(len >> (8 * i));
  if (compress2(reinterpret_cast<Bytef*>(&out[4]), &n, reinterpret_cast<const Bytef*>(text.data()), uLong(text.size()),
                1) != Z_OK)
    throw std::runtime_error("cannot compress a sheet's text");
  out.resize(4 + n);
  return out;
}

std::string Unpack(const std::string& blob) {
  if (blob.size() < 4) return "";
  uint32_t len = 0;
  for (int i = 0; i < 4; ++i) len |= uint32_t(uint8_t(blob[i])) << (8 * i);
  // A sheet holds at most 100 pages of text.
  if (len > 100 * 256 * 2) return "";
  std::string out(len, '\0');
  uLongf n = len;
  if (uncompress(reinterpret_cast<Bytef*>(out.data()), &n, reinterpret_cast<const Bytef*>(blob.data() + 4),
                 uLong(blob.size() - 4)) != Z_OK || n != len)
    return "";
  return out;
}

const char kSchema[] =
    "CREATE TABLE meta(key TEXT PRIMARY KEY, value TEXT) WITHOUT ROWID;"
    "CREATE TABLE volumes(first_hdr INTEGER PRIMARY KEY, signature INTEGER, code TEXT, company TEXT, volume TEXT);"
    "CREATE TABLE sheets(id INTEGER PRIMARY KEY, first_hdr INTEGER, ord INTEGER, position INTEGER, name TEXT,"
    " status INTEGER, effective INTEGER, sheet_rec BLOB, docket_rec BLOB, text BLOB);"
    "CREATE INDEX sheets_volume ON sheets(first_hdr);"
    "CREATE VIRTUAL TABLE terms USING fts5(words, content='', tokenize='ascii', columnsize=0);";

}  // namespace

std::string TLibraryIndex::DefaultFolder() {
  if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg && *xdg == '/') return std::string(xdg) + "/vorne";
  const char* home = std::getenv("HOME");
  return std::string(home && *home ? home : "/tmp") + "/.cache/vorne";
}

std::string TLibraryIndex::FileFor(const std::string& folder, const std::string& primePath) {
  char name[32];
  std::snprintf(name, sizeof name, "%016llx.sqlite",
                static_cast<unsigned long long>(Fnv(kFnvStart, primePath.data(), primePath.size())));
  return folder + "/" + name;
}

TLibraryIndex::TLibraryIndex(TEnv& env, const std::string& primePath, bool compressed, std::string folder)
    : env_(env),
      primePath_(std::filesystem::absolute(primePath).lexically_normal().string()),
      compressed_(compressed),
      folder_(std::move(folder)),
      file_(FileFor(folder_, primePath_)) {}

TLibraryIndex::~TLibraryIndex() { CloseDatabase(); }

void TLibraryIndex::CloseDatabase() {
  if (db_) sqlite3_close_v2(db_);
  db_ = nullptr;
  loaded_ = false;
}

bool TLibraryIndex::OpenDatabase() {
  if (db_) return true;
  std::error_code ec;
  std::filesystem::create_directories(folder_, ec);
  if (sqlite3_open_v2(file_.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
    error_ = "Cannot open the search index " + file_ + ": " + sqlite3_errmsg(db_);
    CloseDatabase();
    return false;
  }
  sqlite3_busy_timeout(db_, 30000);
  try {
    // The index is derived data: a crash may lose the last volume's work,
    // which the next refresh redoes, but never leaves a damaged file.
    Exec(db_, "PRAGMA synchronous=NORMAL");
    // Room for the full-text table's segments while a volume is indexed.
    Exec(db_, "PRAGMA cache_size=-65536");
    Exec(db_, "PRAGMA temp_store=MEMORY");
    std::string schema, library;
    bool empty = true;
    {
      TStatement tables(db_, "SELECT count(*) FROM sqlite_master");
      tables.Step();
      empty = tables.Int(0) == 0;
    }
    if (empty) {
      TTransaction t(db_);
      Exec(db_, kSchema);
      TStatement put(db_, "INSERT INTO meta VALUES(?, ?)");
      put.Bind(1, std::string("schema")).Bind(2, std::to_string(kSchemaVersion)).Run();
      put.Bind(1, std::string("library")).Bind(2, primePath_).Run();
      t.Commit();
      return true;
    }
    TStatement get(db_, "SELECT key, value FROM meta");
    while (get.Step()) {
      if (get.Text(0) == "schema") schema = get.Text(1);
      if (get.Text(0) == "library") library = get.Text(1);
    }
    if (schema == std::to_string(kSchemaVersion) && library == primePath_) return true;
  } catch (const TDbError&) {
  }
  // Not an index of this program's making for this library: never trusted.
  return Rebuild();
}

bool TLibraryIndex::Rebuild() {
  CloseDatabase();
  counts_.rebuilt = true;
  for (const char* suffix : {"", "-journal", "-wal", "-shm"}) std::remove((file_ + suffix).c_str());
  return OpenDatabase();
}

TLibraryIndex::TRefresh TLibraryIndex::Refresh(const TProgress& progress) {
  counts_ = {};
  error_.clear();
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (!OpenDatabase()) return TRefresh::Failed;
    try {
      return Update(progress);
    } catch (const TDbError& e) {
      if (!e.damaged || attempt == 1) {
        error_ = std::string("The search index failed: ") + e.what();
        return TRefresh::Failed;
      }
      if (!Rebuild()) return TRefresh::Failed;
    }
  }
  return TRefresh::Failed;
}

TLibraryIndex::TRefresh TLibraryIndex::Update(const TProgress& progress) {
  TFileCluster cluster(env_, compressed_);
  if (!cluster.Open(primePath_, false)) {
    error_ = "Can't find " + primePath_;
    return TRefresh::Failed;
  }
  // The sizes and times of the library's files: unchanged, nothing to do.
  std::string stamp;
  for (const std::string& path : {cluster.PrimePath(), cluster.HdrPath(), cluster.TextPath()}) {
    uint64_t size = 0;
    if (env_.fs.Exists(path)) size = env_.fs.Open(path, TOpenMode::Read)->Size();
    stamp += std::to_string(size) + ":" + std::to_string(env_.fs.ModTime(path)) + ";";
  }
  {
    TStatement get(db_, "SELECT value FROM meta WHERE key = 'stamp'");
    if (get.Step() && get.Text(0) == stamp) return TRefresh::Current;
  }
  cluster.ReadAll();
  // What each volume is now: its prime record and every record of its chain.
  std::map<int32_t, std::pair<TPrimeRef*, uint64_t>> now;
  if (!cluster.OpenHdr()) {
    error_ = "Cannot open " + cluster.HdrPath();
    return TRefresh::Failed;
  }
  for (const auto& v : cluster.Volumes()) {
    const auto prime = v->record.Encode();
    uint64_t h = Fnv(kFnvStart, prime.data(), prime.size());
    h = Fnv(h, v->storedName.data(), v->storedName.size());
    cluster.WalkChain(
        *v, [&h](int32_t n, const THdrRecord& r) {
          h = Fnv(Fnv(h, &n, sizeof n), r.data(), r.size());
          return true;
        },
        false);
    now.emplace(v->record.firstHdr, std::make_pair(v.get(), h));  // the first of two sharing a chain
  }
  std::map<int32_t, uint64_t> stored;
  {
    TStatement get(db_, "SELECT first_hdr, signature FROM volumes");
    while (get.Step()) stored[int32_t(get.Int(0))] = uint64_t(get.Int(1));
  }
  std::vector<int32_t> drop;
  std::vector<std::pair<TPrimeRef*, uint64_t>> index;
  for (const auto& [first, sig] : stored)
    if (auto it = now.find(first); it == now.end() || it->second.second != sig) drop.push_back(first);
  for (const auto& [first, v] : now)
    if (auto it = stored.find(first); it == stored.end() || it->second != v.second) index.push_back(v);

  if (progress && !progress(0, index.size())) return TRefresh::Cancelled;
  if (!drop.empty() || !index.empty()) loaded_ = false;
  for (int32_t first : drop) {
    TTransaction t(db_);
    DropVolume(first);
    t.Commit();
    ++counts_.dropped;
  }
  if (!index.empty()) {
    if (!cluster.OpenBuffer()) {
      error_ = "Cannot open " + cluster.TextPath();
      return TRefresh::Failed;
    }
    if (TDataBuffer* buffer = cluster.Buffer()) buffer->ReadAhead(true);
  }
  size_t done = 0;
  for (const auto& [volume, sig] : index) {
    {
      TTransaction t(db_);
      IndexVolume(cluster, *volume, sig);
      t.Commit();
    }
    ++counts_.indexed;
    if (progress && !progress(++done, index.size())) return TRefresh::Cancelled;
  }
  cluster.CloseBuffer();
  cluster.CloseHdr();
  // A fresh index is left as one segment per level merged into one, so that
  // a word found in most sheets is read from one list rather than dozens.
  if (stored.empty() && !index.empty()) Exec(db_, "INSERT INTO terms(terms) VALUES('optimize')");
  TStatement put(db_, "INSERT OR REPLACE INTO meta VALUES('stamp', ?)");
  put.Bind(1, stamp).Run();
  return drop.empty() && index.empty() ? TRefresh::Current : TRefresh::Updated;
}

void TLibraryIndex::DropVolume(int32_t volumeRecord) {
  // A contentless table forgets a row only when told the words it held.
  TStatement rows(db_, "SELECT id, text FROM sheets WHERE first_hdr = ?");
  TStatement forget(db_, "INSERT INTO terms(terms, rowid, words) VALUES('delete', ?, ?)");
  rows.Bind(1, volumeRecord);
  while (rows.Step()) forget.Bind(1, rows.Int(0)).Bind(2, IndexTerms(Unpack(rows.Text(1)))).Run();
  TStatement(db_, "DELETE FROM sheets WHERE first_hdr = ?").Bind(1, volumeRecord).Run();
  TStatement(db_, "DELETE FROM volumes WHERE first_hdr = ?").Bind(1, volumeRecord).Run();
}

void TLibraryIndex::IndexVolume(TFileCluster& cluster, TPrimeRef& volume, uint64_t signature) {
  DropVolume(volume.record.firstHdr);
  THdrList list(volume, nullptr);
  list.Load();
  TNamedSheets sheets;
  TAuxList<T5Entry> issuers;
  TAuxList<T6Entry> dockets;
  list.FillSheets(sheets, issuers, dockets);
  char code[16];
  std::snprintf(code, sizeof code, "%06u", unsigned(volume.record.companyCode % 1000000));
  TStatement vol(db_, "INSERT INTO volumes VALUES(?, ?, ?, ?, ?)");
  vol.Bind(1, volume.record.firstHdr)
      .Bind(2, int64_t(signature))
      .Bind(3, std::string(code))
      .Bind(4, TrimRight(volume.storedName))
      .Bind(5, TrimBoth(TVolumeBody::Decode(list.VolumeRecord()).volumeName))
      .Run();

  TStatement sheet(db_, "INSERT INTO sheets VALUES(NULL, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
  TStatement words(db_, "INSERT INTO terms(rowid, words) VALUES(?, ?)");
  TDataBuffer* buffer = cluster.Buffer();
  std::string text;
  int32_t order = 0;
  for (auto& [unused, s] : sheets) {
    text.clear();
    std::string name;
    bool first = true;
    int32_t maxLength = 0, lineCount = 0;
    const bool read = buffer && buffer->VisitSheetText(
                                    s->body.text,
                                    [&](std::string_view line) {
                                      if (first) name.assign(line.substr(0, 40));
                                      else text.push_back('\n');
                                      text.append(line);
                                      first = false;
                                    },
                                    maxLength, lineCount);
    if (!read) {
      text.clear();
      name = SheetName(*s, nullptr);
    }
    const std::shared_ptr<T6Entry> docket = s->Docket();
    const THdrRecord sheetRec = s->body.Encode();
    const THdrRecord docketRec = docket->body.Encode();
    sheet.Bind(1, volume.record.firstHdr)
        .Bind(2, order++)
        .Bind(3, s->position)
        .Bind(4, name)
        .Bind(5, s->body.status)
        .Bind(6, docket->body.effectiveDate)
        .BindBlob(7, sheetRec.data(), sheetRec.size())
        .BindBlob(8, docketRec.data(), docketRec.size());
    const std::string packed = Pack(text);
    sheet.BindBlob(9, packed.data(), packed.size()).Run();
    words.Bind(1, sqlite3_last_insert_rowid(db_)).Bind(2, IndexTerms(text)).Run();
  }
}

void TLibraryIndex::LoadSheets() {
  if (loaded_) return;
  sheets_.clear();
  sheetAt_.clear();
  TStatement all(db_,
                 "SELECT s.id, s.first_hdr, s.ord, s.position, s.name, s.status, s.effective, s.sheet_rec,"
                 " s.docket_rec, v.code, v.company, v.volume FROM sheets s JOIN volumes v ON v.first_hdr = s.first_hdr");
  while (all.Step()) {
    TIndexedSheet& h = sheets_.emplace_back();
    h.id = all.Int(0);
    h.volumeRecord = int32_t(all.Int(1));
    h.order = int32_t(all.Int(2));
    h.position = int32_t(all.Int(3));
    h.name = all.Text(4);
    h.status = uint8_t(all.Int(5));
    h.effectiveDate = uint16_t(all.Int(6));
    all.Record(7, h.sheetRecord);
    all.Record(8, h.docketRecord);
    h.code = all.Text(9);
    h.company = all.Text(10);
    h.volume = all.Text(11);
    sheetAt_.emplace(h.id, sheets_.size() - 1);
  }
  loaded_ = true;
}

std::vector<TIndexedSheet> TLibraryIndex::Search(const TQuery& query) {
  std::vector<TIndexedSheet> hits;
  if (!OpenDatabase()) return hits;
  try {
    LoadSheets();
    TStatement find(db_, "SELECT rowid FROM terms WHERE terms MATCH ?");
    find.Bind(1, query.MatchExpression());
    while (find.Step())
      if (auto at = sheetAt_.find(find.Int(0)); at != sheetAt_.end()) hits.push_back(sheets_[at->second]);
  } catch (const TDbError& e) {
    error_ = std::string("The search index failed: ") + e.what();
    // Trusted no more: the next refresh starts it again.
    if (e.damaged) Rebuild();
    hits.clear();
  }
  return hits;
}

std::string TLibraryIndex::Text(int64_t id) {
  if (!OpenDatabase()) return "";
  try {
    TStatement get(db_, "SELECT text FROM sheets WHERE id = ?");
    get.Bind(1, id);
    return get.Step() ? Unpack(get.Text(0)) : "";
  } catch (const TDbError& e) {
    error_ = std::string("The search index failed: ") + e.what();
    return "";
  }
}

size_t TLibraryIndex::SheetCount() {
  if (!OpenDatabase()) return 0;
  try {
    TStatement get(db_, "SELECT count(*) FROM sheets");
    return get.Step() ? size_t(get.Int(0)) : 0;
  } catch (const TDbError&) {
    return 0;
  }
}

}  // namespace vorne
