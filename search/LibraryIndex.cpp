#include "search/LibraryIndex.h"

#include <sqlite3.h>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <exception>
#include <filesystem>
#include <future>
#include <mutex>
#include <random>
#include <set>
#include <stdexcept>
#include <thread>

#include "platform/Errors.h"
#include "platform/Workers.h"
#include "store/Cluster.h"
#include "store/Common.h"
#include "store/Headers.h"
#include "store/Prime.h"
#include "store/TextReader.h"

namespace vorne {

// The sheets one term table's rows name, one bit each (numbered as
// TIndexedVolume::first counts); rows of serials no volume owns are dead.
struct TLibraryIndex::TMarks {
  const std::unordered_map<int32_t, TIndexedVolume*>* bySerial = nullptr;
  std::vector<uint64_t> bits;
  int32_t lastSerial = -1;
  const TIndexedVolume* last = nullptr;

  void Clear(size_t sheets) {
    bits.assign((sheets + 63) / 64, 0);
    lastSerial = -1;
    last = nullptr;
  }
  void Mark(int64_t row) {
    const auto serial = int32_t(row >> 32);
    const auto order = uint32_t(row & 0xFFFFFFFF);
    if (serial != lastSerial) {
      auto at = bySerial->find(serial);
      last = at == bySerial->end() ? nullptr : at->second;
      lastSerial = serial;
    }
    if (!last || order >= last->sheets.size()) return;
    const size_t g = last->first + order;
    bits[g >> 6] |= uint64_t(1) << (g & 63);
  }
};

const std::string& TIndexedSheet::Code() const { return volume->code; }
const std::string& TIndexedSheet::Company() const { return volume->company; }
const std::string& TIndexedSheet::VolumeName() const { return volume->name; }

namespace {

// A failure of the database; damaged says the file is not a sound index.
struct TDbError : std::runtime_error {
  TDbError(sqlite3* db, int code)
      : std::runtime_error(db ? sqlite3_errmsg(db) : sqlite3_errstr(code)),
        damaged((code & 0xFF) == SQLITE_CORRUPT || (code & 0xFF) == SQLITE_NOTADB) {}
  bool damaged;
};

// What the index found that only a foreign or damaged file would hold.
TDbError NotAnIndex() { return TDbError(nullptr, SQLITE_CORRUPT); }

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
  // The bytes must stay until the next Reset.
  TStatement& BindStatic(int i, const std::string& v, bool blob = false) {
    Check(db_, blob ? sqlite3_bind_blob(st_, i, v.data(), int(v.size()), SQLITE_STATIC)
                    : sqlite3_bind_text(st_, i, v.data(), int(v.size()), SQLITE_STATIC));
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

// The signature of a volume: every byte of its records, eight at a time (a
// refresh reads every chain of the library).
uint64_t Mix(uint64_t h, const void* p, size_t n) {
  const auto* b = static_cast<const uint8_t*>(p);
  auto step = [&h](uint64_t w) {
    h = (h ^ w) * 0x9E3779B97F4A7C15ull;
    h ^= h >> 29;
  };
  size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    uint64_t w;
    std::memcpy(&w, b + i, 8);
    step(w);
  }
  uint64_t tail = n;
  for (size_t k = 0; i + k < n; ++k) tail = (tail << 8) | b[i + k];
  step(tail);
  return h;
}

// ---- the tokenizer ------------------------------------------------------------------

// Each byte of Windows-1252 as a term character: its folded letter written
// as IndexTerm writes it (one or two bytes), or nothing for a byte that
// ends a word.
struct TTermBytes {
  uint8_t length[256];
  char bytes[256][2];
  TTermBytes() {
    for (int c = 0; c < 256; ++c) {
      length[c] = 0;
      if (!IsWordChar(char(c))) continue;
      const std::string term = IndexTerm(std::string(1, LowerChar(char(c))));
      length[c] = uint8_t(term.size());
      std::memcpy(bytes[c], term.data(), term.size());
    }
  }
};
const TTermBytes& TermBytes() {
  static const TTermBytes table;
  return table;
}

using TTokenSink = int (*)(void*, int, const char*, int, int, int);

int CreateTokenizer(void*, const char**, int, Fts5Tokenizer** out) {
  static char one;
  *out = reinterpret_cast<Fts5Tokenizer*>(&one);
  return SQLITE_OK;
}
void DeleteTokenizer(Fts5Tokenizer*) {}

// A sheet's text is split into words and folded here; a query's phrases are
// already index terms separated by blanks (TQuery::MatchExpression).
int Tokenize(Fts5Tokenizer*, void* ctx, int flags, const char* text, int n, TTokenSink token) {
  if (flags & FTS5_TOKENIZE_QUERY) {
    int i = 0;
    while (i < n) {
      while (i < n && text[i] == ' ') ++i;
      int j = i;
      while (j < n && text[j] != ' ') ++j;
      if (j > i)
        if (int rc = token(ctx, 0, text + i, j - i, i, j); rc != SQLITE_OK) return rc;
      i = j;
    }
    return SQLITE_OK;
  }
  const TTermBytes& t = TermBytes();
  thread_local std::string word;
  if (word.size() < 2 * size_t(n)) word.resize(2 * size_t(n));
  const auto* p = reinterpret_cast<const uint8_t*>(text);
  int i = 0;
  while (i < n) {
    if (!t.length[p[i]]) {
      ++i;
      continue;
    }
    const int start = i;
    char* out = word.data();
    size_t k = 0;
    do {
      const uint8_t c = p[i++];
      out[k] = t.bytes[c][0];
      out[k + 1] = t.bytes[c][1];
      k += t.length[c];
    } while (i < n && t.length[p[i]]);
    if (int rc = token(ctx, 0, out, int(k), start, i); rc != SQLITE_OK) return rc;
  }
  return SQLITE_OK;
}

void RegisterTokenizer(sqlite3* db) {
  fts5_api* api = nullptr;
  {
    sqlite3_stmt* st = nullptr;
    Check(db, sqlite3_prepare_v2(db, "SELECT fts5(?1)", -1, &st, nullptr));
    sqlite3_bind_pointer(st, 1, &api, "fts5_api_ptr", nullptr);
    sqlite3_step(st);
    sqlite3_finalize(st);
  }
  if (!api) throw std::runtime_error("this SQLite has no FTS5");
  static fts5_tokenizer tokenizer{CreateTokenizer, DeleteTokenizer, Tokenize};
  Check(db, api->xCreateTokenizer(api, "vorne_words", nullptr, &tokenizer, nullptr));
}

// ---- the files ----------------------------------------------------------------------

const char kTermTable[] =
    "CREATE VIRTUAL TABLE terms USING fts5(words, content='', columnsize=0, tokenize='vorne_words');"
    // Rows gather in memory up to this size before they are written as one
    // segment: fewer segments, less merging.
    "INSERT INTO terms(terms, rank) VALUES('hashsize', 33554432);"
    // Leaves of one database page each, four times the usual: fewer pages
    // to write and to link.
    "INSERT INTO terms(terms, rank) VALUES('pgsz', 16000);";
const char kMainTables[] =
    "CREATE TABLE meta(key TEXT PRIMARY KEY, value TEXT) WITHOUT ROWID;"
    "CREATE TABLE volumes(first_hdr INTEGER PRIMARY KEY, serial INTEGER, signature INTEGER, code TEXT,"
    " company TEXT, volume TEXT, sheets BLOB);";
const char kShardTables[] = "CREATE TABLE meta(key TEXT PRIMARY KEY, value TEXT) WITHOUT ROWID;";

sqlite3* OpenFile(const std::string& path) {
  // No count of SQLite's memory: it would take one lock for every allocation
  // of every term table's thread. Only the index uses SQLite, and this comes
  // before its first use (later, SQLite refuses it and keeps counting).
  static const int kUncounted = sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
  (void)kUncounted;
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
    const std::string why = db ? sqlite3_errmsg(db) : "out of memory";
    sqlite3_close_v2(db);
    throw std::runtime_error(why);
  }
  sqlite3_busy_timeout(db, 30000);
  try {
    // Derived data: a crash of the program keeps the file sound (the journal
    // stays); one of the machine may damage it, and a damaged index is built
    // again. The disk is never waited for.
    Exec(db, "PRAGMA synchronous=OFF");
    Exec(db, "PRAGMA temp_store=MEMORY");
    // Pages freed by merging segments are reused, never overwritten with zeros.
    Exec(db, "PRAGMA secure_delete=OFF");
    Exec(db, "PRAGMA cache_size=-16384");
    Exec(db, "PRAGMA page_size=16384");  // for a new file only
    RegisterTokenizer(db);
  } catch (...) {
    sqlite3_close_v2(db);  // a file that is no database fails here
    throw;
  }
  return db;
}

bool IsEmpty(sqlite3* db) {
  TStatement tables(db, "SELECT count(*) FROM sqlite_master");
  tables.Step();
  return tables.Int(0) == 0;
}

std::map<std::string, std::string> ReadMeta(sqlite3* db) {
  std::map<std::string, std::string> meta;
  TStatement get(db, "SELECT key, value FROM meta");
  while (get.Step()) meta[get.Text(0)] = get.Text(1);
  return meta;
}

void PutMeta(sqlite3* db, const std::string& key, const std::string& value) {
  TStatement(db, "INSERT OR REPLACE INTO meta VALUES(?, ?)").Bind(1, key).Bind(2, value).Run();
}

int64_t MetaNumber(const std::map<std::string, std::string>& meta, const std::string& key) {
  auto at = meta.find(key);
  if (at == meta.end()) throw NotAnIndex();
  char* end = nullptr;
  const long long v = std::strtoll(at->second.c_str(), &end, 10);
  if (at->second.empty() || *end) throw NotAnIndex();
  return v;
}

// ---- a volume's sheets as one blob ----------------------------------------------------

void Put(std::string& out, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(char(v >> (8 * i)));
}
uint32_t Get(const std::string& in, size_t& at, int bytes) {
  if (at + size_t(bytes) > in.size()) throw NotAnIndex();
  uint32_t v = 0;
  for (int i = 0; i < bytes; ++i) v |= uint32_t(uint8_t(in[at++])) << (8 * i);
  return v;
}

std::string PackSheets(const std::vector<TIndexedSheet>& sheets) {
  std::string out;
  out.reserve(sheets.size() * (12 + 2 * kHdrRecordSize + 32));
  Put(out, uint32_t(sheets.size()), 4);
  for (const TIndexedSheet& s : sheets) {
    Put(out, uint32_t(s.position), 4);
    Put(out, s.status, 1);
    Put(out, s.effectiveDate, 2);
    Put(out, uint32_t(s.name.size()), 2);
    out += s.name;
    out.append(reinterpret_cast<const char*>(s.sheetRecord.data()), kHdrRecordSize);
    out.append(reinterpret_cast<const char*>(s.docketRecord.data()), kHdrRecordSize);
  }
  return out;
}

void UnpackSheets(const std::string& in, TIndexedVolume& v) {
  size_t at = 0;
  const uint32_t count = Get(in, at, 4);
  if (count > in.size()) throw NotAnIndex();
  v.sheets.resize(count);
  for (uint32_t i = 0; i < count; ++i) {
    TIndexedSheet& s = v.sheets[i];
    s.volume = &v;
    s.volumeRecord = v.firstHdr;
    s.order = int32_t(i);
    s.id = (int64_t(v.serial) << 32) | i;
    s.position = int32_t(Get(in, at, 4));
    s.status = uint8_t(Get(in, at, 1));
    s.effectiveDate = uint16_t(Get(in, at, 2));
    const size_t name = Get(in, at, 2);
    if (at + name + 2 * kHdrRecordSize > in.size()) throw NotAnIndex();
    s.name.assign(in, at, name);
    at += name;
    std::memcpy(s.sheetRecord.data(), in.data() + at, kHdrRecordSize);
    std::memcpy(s.docketRecord.data(), in.data() + at + kHdrRecordSize, kHdrRecordSize);
    at += 2 * kHdrRecordSize;
  }
  if (at != in.size()) throw NotAnIndex();
}

// ---- writing a term table ---------------------------------------------------------------

// The rows of one term table, inserted on a thread of its own (or on the
// caller's when threads are off) while the caller reads the library. The
// caller owns the transaction's end: Commit, or the destructor's rollback.
class TTermWriter {
 public:
  TTermWriter(sqlite3* db, bool threaded) : db_(db), insert_(db, "INSERT INTO terms(rowid, words) VALUES(?, ?)") {
    if (threaded) thread_ = std::thread([this] { Work(); });
  }
  ~TTermWriter() {
    if (thread_.joinable()) {
      {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
      }
      changed_.notify_all();
      thread_.join();
    }
    if (open_) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  }
  TTermWriter(const TTermWriter&) = delete;
  TTermWriter& operator=(const TTermWriter&) = delete;

  // An empty string to read the next text into: one that held an inserted
  // text before, so that texts are neither allocated nor freed per sheet.
  std::string Spare() {
    std::string text;
    std::lock_guard<std::mutex> lock(mutex_);
    if (!spare_.empty()) {
      text = std::move(spare_.back());
      spare_.pop_back();
    }
    text.clear();
    return text;
  }
  void Add(int64_t row, std::string text) {
    batchBytes_ += text.size();
    batch_.rows.emplace_back(row, std::move(text));
    if (batch_.rows.size() >= 256 || batchBytes_ >= (1 << 20)) Hand();
  }
  // Starts committing every row added (on the writer's thread); Wait ends it.
  void StartCommit() {
    batch_.commit = true;
    Hand(true);
  }
  void Wait() {
    if (!thread_.joinable()) return;
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return (queue_.empty() && !busy_) || failure_; });
    if (failure_) std::rethrow_exception(failure_);
  }

 private:
  struct TBatch {
    std::vector<std::pair<int64_t, std::string>> rows;
    bool commit = false;
  };

  void Insert(TBatch& batch) {
    if (!open_ && !batch.rows.empty()) Exec(db_, "BEGIN IMMEDIATE");
    open_ = open_ || !batch.rows.empty();
    for (auto& [row, text] : batch.rows) insert_.Bind(1, row).BindStatic(2, text).Run();
    if (batch.commit && open_) {
      Exec(db_, "COMMIT");
      open_ = false;
    }
  }
  void Recycle(TBatch& batch) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto& [row, text] : batch.rows)
      if (spare_.size() < 1024) spare_.push_back(std::move(text));
  }
  void Hand(bool always = false) {
    if (batch_.rows.empty() && !always) return;
    batchBytes_ = 0;
    if (!thread_.joinable()) {
      Insert(batch_);
      Recycle(batch_);
      batch_ = TBatch();
      return;
    }
    std::unique_lock<std::mutex> lock(mutex_);
    // A few batches wait at most: the library is read no faster than it is indexed.
    changed_.wait(lock, [this] { return queue_.size() < 4 || failure_; });
    if (failure_) std::rethrow_exception(failure_);
    queue_.push_back(std::move(batch_));
    batch_ = TBatch();
    changed_.notify_all();
  }
  void Work() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      changed_.wait(lock, [this] { return stop_ || !queue_.empty(); });
      if (stop_) return;
      TBatch batch = std::move(queue_.front());
      queue_.pop_front();
      busy_ = true;
      lock.unlock();
      std::exception_ptr failed;
      try {
        Insert(batch);
      } catch (...) {
        failed = std::current_exception();
      }
      Recycle(batch);
      lock.lock();
      busy_ = false;
      if (failed && !failure_) failure_ = failed;
      changed_.notify_all();
    }
  }

  sqlite3* db_;
  TStatement insert_;
  bool open_ = false;  // the writer's thread's alone while it runs
  TBatch batch_;
  size_t batchBytes_ = 0;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<TBatch> queue_;
  std::vector<std::string> spare_;
  bool busy_ = false;
  bool stop_ = false;
  std::exception_ptr failure_;
  std::thread thread_;  // last: it starts once the rest is made
};

// The text of the sheet at pos as the index reads it: line 0 named, lines
// joined by "\n". False when it cannot be read.
bool ReadText(TDataBuffer& buffer, const TTextPos& pos, std::string& text) {
  text.clear();
  bool first = true;
  int32_t maxLength = 0, lineCount = 0;
  const bool read = buffer.VisitSheetText(
      pos,
      [&](std::string_view line) {
        if (!first) text.push_back('\n');
        text.append(line);
        first = false;
      },
      maxLength, lineCount);
  if (!read) text.clear();
  return read;
}

// The sizes and times of the library's three files.
std::string Stamp(TEnv& env, const TFileCluster& cluster) {
  std::string stamp;
  for (const std::string& path : {cluster.PrimePath(), cluster.HdrPath(), cluster.TextPath()}) {
    uint64_t size = 0;
    if (env.fs.Exists(path)) size = env.fs.Open(path, TOpenMode::Read)->Size();
    stamp += std::to_string(size) + ":" + std::to_string(env.fs.ModTime(path)) + ";";
  }
  return stamp;
}

// What each volume is now, by FirstHdr: its prime record and every record of
// its chain (the first of two volumes sharing a chain).
std::map<int32_t, std::pair<TPrimeRef*, uint64_t>> Signatures(TFileCluster& cluster) {
  std::map<int32_t, std::pair<TPrimeRef*, uint64_t>> now;
  for (const auto& v : cluster.Volumes()) {
    const auto prime = v->record.Encode();
    uint64_t h = Mix(kFnvStart, prime.data(), prime.size());
    h = Mix(h, v->storedName.data(), v->storedName.size());
    cluster.WalkChain(
        *v,
        [&h](int32_t n, const THdrRecord& r) {
          h = Mix(h ^ uint32_t(n), r.data(), r.size());
          return true;
        },
        false);
    now.emplace(v->record.firstHdr, std::make_pair(v.get(), h));
  }
  return now;
}

// The sheets of volume as the index lists them, each one's text handed to
// the writer of its term table as it is read; bytes counts the text.
// damage gets the message of the first block that cannot be read.
std::unique_ptr<TIndexedVolume> IndexVolume(TPrimeRef& volume, uint64_t signature, int32_t serial,
                                            TDataBuffer* buffer, std::vector<std::unique_ptr<TTermWriter>>& writers,
                                            size_t& bytes, std::string& damage) {
  THdrList list(volume, nullptr);
  list.Load();
  TNamedSheets sheets;
  TAuxList<T5Entry> issuers;
  TAuxList<T6Entry> dockets;
  list.FillSheets(sheets, issuers, dockets);
  auto v = std::make_unique<TIndexedVolume>();
  v->firstHdr = volume.record.firstHdr;
  v->serial = serial;
  v->signature = signature;
  v->code = CompanyCodeText(volume.record);
  v->company = TrimRight(volume.storedName);
  v->name = TrimBoth(TVolumeBody::Decode(list.VolumeRecord()).volumeName);
  v->sheets.reserve(sheets.size());
  for (auto& [unused, s] : sheets) {
    TIndexedSheet& h = v->sheets.emplace_back();
    h.volume = v.get();
    h.volumeRecord = v->firstHdr;
    h.order = int32_t(v->sheets.size() - 1);
    h.id = (int64_t(serial) << 32) | uint32_t(h.order);
    h.position = s->position;
    TTermWriter& writer = *writers[size_t(h.order) % writers.size()];
    std::string text = writer.Spare();
    bool read = false;
    try {
      read = buffer && ReadText(*buffer, s->body.text, text);
    } catch (const EVorneError& e) {
      if (damage.empty()) damage = e.what();
    }
    if (read) {
      h.name.assign(text, 0, std::min(text.find('\n'), size_t(40)));
    } else {
      text.clear();
      h.name = SheetName(*s, nullptr);
    }
    const std::shared_ptr<T6Entry> docket = s->Docket();
    h.status = s->body.status;
    h.effectiveDate = docket->body.effectiveDate;
    h.sheetRecord = s->body.Encode();
    h.docketRecord = docket->body.Encode();
    bytes += text.size();
    writer.Add(h.id, std::move(text));
  }
  return v;
}

// Sets a flag for its lifetime.
class TBusyFlag {
 public:
  explicit TBusyFlag(bool& flag) : flag_(flag) { flag_ = true; }
  ~TBusyFlag() { flag_ = false; }
  TBusyFlag(const TBusyFlag&) = delete;
  TBusyFlag& operator=(const TBusyFlag&) = delete;

 private:
  bool& flag_;
};

// Every term file of one index commits at least this much text at once.
constexpr size_t kCommitBytes = 256u << 20;

}  // namespace

// ---- TLibraryIndex ----------------------------------------------------------------------

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

std::string TLibraryIndex::ShardFile(int k) const {
  return file_.substr(0, file_.size() - 7) + "." + std::to_string(k) + ".sqlite";
}

std::vector<std::string> TLibraryIndex::Files() const {
  std::vector<std::string> files{file_};
  for (size_t k = 1; k < shards_.size(); ++k) files.push_back(ShardFile(int(k)));
  return files;
}

void TLibraryIndex::CloseDatabase() {
  for (sqlite3_stmt* st : find_) sqlite3_finalize(st);
  find_.clear();
  for (sqlite3* db : shards_) sqlite3_close_v2(db);
  shards_.clear();
  marks_.clear();
  db_ = nullptr;
  loaded_ = false;
  volumes_.clear();
  bySerial_.clear();
  sheetCount_ = 0;
  text_.reset();
}

bool TLibraryIndex::OpenDatabase() {
  if (db_) return true;
  std::error_code ec;
  std::filesystem::create_directories(folder_, ec);
  for (int attempt = 0; attempt < 2; ++attempt) {
    try {
      db_ = OpenFile(file_);
      shards_.push_back(db_);
      int shards = 0;
      std::string epoch;
      const bool fresh = IsEmpty(db_);
      if (fresh) {
        // A new index: term files of an older one are never mixed in.
        for (int k = 1; k < kMaxShards; ++k)
          for (const char* suffix : {"", "-journal"}) std::remove((ShardFile(k) + suffix).c_str());
        shards = std::clamp(WorkerThreads(), 1, kMaxShards);
        std::random_device random;
        epoch = std::to_string((uint64_t(random()) << 32) ^ random());
        TTransaction t(db_);
        Exec(db_, kMainTables);
        Exec(db_, kTermTable);
        PutMeta(db_, "schema", std::to_string(kSchemaVersion));
        PutMeta(db_, "library", primePath_);
        PutMeta(db_, "shards", std::to_string(shards));
        PutMeta(db_, "epoch", epoch);
        PutMeta(db_, "serial", "1");
        PutMeta(db_, "dead", "0");
        t.Commit();
      } else {
        const auto meta = ReadMeta(db_);
        if (MetaNumber(meta, "schema") != kSchemaVersion || meta.at("library") != primePath_) throw NotAnIndex();
        shards = int(MetaNumber(meta, "shards"));
        if (shards < 1 || shards > kMaxShards) throw NotAnIndex();
        epoch = meta.at("epoch");
      }
      for (int k = 1; k < shards; ++k) {
        sqlite3* db = OpenFile(ShardFile(k));
        shards_.push_back(db);
        // A term file missing from an index that has been written is damage.
        if (IsEmpty(db) && !fresh) throw NotAnIndex();
        if (fresh) {
          TTransaction t(db);
          Exec(db, kShardTables);
          Exec(db, kTermTable);
          PutMeta(db, "schema", std::to_string(kSchemaVersion));
          PutMeta(db, "library", primePath_);
          PutMeta(db, "epoch", epoch);
          PutMeta(db, "shard", std::to_string(k));
          t.Commit();
        }
        const auto meta = ReadMeta(db);
        if (MetaNumber(meta, "schema") != kSchemaVersion || meta.at("library") != primePath_ ||
            meta.at("epoch") != epoch || MetaNumber(meta, "shard") != k)
          throw NotAnIndex();
      }
      // Each row found marks its sheet inside SQLite's own loop: no row is
      // stepped out one by one.
      for (sqlite3* db : shards_) {
        marks_.push_back(std::make_unique<TMarks>());
        marks_.back()->bySerial = &bySerial_;
        Check(db, sqlite3_create_function(
                      db, "vorne_mark", 1, SQLITE_UTF8 | SQLITE_DIRECTONLY, marks_.back().get(),
                      [](sqlite3_context* c, int, sqlite3_value** v) {
                        static_cast<TMarks*>(sqlite3_user_data(c))->Mark(sqlite3_value_int64(v[0]));
                        sqlite3_result_null(c);
                      },
                      nullptr, nullptr));
        sqlite3_stmt* st = nullptr;
        Check(db, sqlite3_prepare_v2(db, "SELECT count(vorne_mark(rowid)) FROM terms WHERE terms MATCH ?", -1, &st,
                                     nullptr));
        find_.push_back(st);
      }
      return true;
    } catch (const std::out_of_range&) {
    } catch (const TDbError&) {
    } catch (const std::runtime_error& e) {
      error_ = "Cannot open the search index " + file_ + ": " + e.what();
      CloseDatabase();
      return false;
    }
    // Not an index of this program's making for this library: never trusted.
    CloseDatabase();
    if (attempt == 1) break;
    counts_.rebuilt = true;
    for (const char* suffix : {"", "-journal", "-wal", "-shm"}) std::remove((file_ + suffix).c_str());
  }
  error_ = "Cannot make the search index " + file_;
  return false;
}

bool TLibraryIndex::Rebuild() {
  CloseDatabase();
  counts_.rebuilt = true;
  for (const char* suffix : {"", "-journal", "-wal", "-shm"}) std::remove((file_ + suffix).c_str());
  return OpenDatabase();
}

void TLibraryIndex::LoadTable() {
  volumes_.clear();
  bySerial_.clear();
  const auto meta = ReadMeta(db_);
  dead_ = MetaNumber(meta, "dead");
  TStatement all(db_, "SELECT first_hdr, serial, signature, code, company, volume, sheets FROM volumes");
  while (all.Step()) {
    auto v = std::make_unique<TIndexedVolume>();
    v->firstHdr = int32_t(all.Int(0));
    v->serial = int32_t(all.Int(1));
    v->signature = uint64_t(all.Int(2));
    v->code = all.Text(3);
    v->company = all.Text(4);
    v->name = all.Text(5);
    UnpackSheets(all.Text(6), *v);
    if (!bySerial_.emplace(v->serial, v.get()).second) throw NotAnIndex();
    volumes_[v->firstHdr] = std::move(v);
  }
  loaded_ = true;
  Renumber();
}

void TLibraryIndex::Renumber() {
  sheetCount_ = 0;
  for (auto& [first, v] : volumes_) {
    v->first = sheetCount_;
    sheetCount_ += v->sheets.size();
  }
}

TLibraryIndex::TRefresh TLibraryIndex::Refresh(const TProgress& progress) {
  // Called again from its own progress (events let run): the index is busy.
  if (busy_) {
    error_ = "The search index is being brought up to date";
    return TRefresh::Failed;
  }
  TBusyFlag busy(busy_);
  counts_ = {};
  error_.clear();
  // Another program built the index again meanwhile: its files are new ones.
  for (sqlite3* db : shards_) {
    int moved = 0;
    if (sqlite3_file_control(db, "main", SQLITE_FCNTL_HAS_MOVED, &moved) != SQLITE_OK || moved) {
      CloseDatabase();
      break;
    }
  }
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (!OpenDatabase()) return TRefresh::Failed;
    try {
      const TRefresh r = Update(progress);
      Renumber();
      return r;
    } catch (const TDbError& e) {
      if (!e.damaged || attempt == 1) {
        error_ = std::string("The search index failed: ") + e.what();
        CloseDatabase();
        return TRefresh::Failed;
      }
      if (!Rebuild()) return TRefresh::Failed;
    } catch (const EVorneError& e) {
      // The library could not be read: what was committed stays.
      error_ = e.what();
      Renumber();
      return TRefresh::Failed;
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
  const std::string stamp = Stamp(env_, cluster);
  {
    // Another run may have changed the index since it was read: its serial moved on.
    const auto meta = ReadMeta(db_);
    if (!loaded_ || MetaNumber(meta, "serial") != loadedSerial_) {
      LoadTable();
      loadedSerial_ = MetaNumber(meta, "serial");
    }
    if (textPath_ != cluster.TextPath()) {
      text_.reset();
      textPath_ = cluster.TextPath();
    }
    if (auto at = meta.find("stamp"); at != meta.end() && at->second == stamp) return TRefresh::Current;
  }
  text_.reset();  // the text file may be another one now
  cluster.ReadAll();
  if (!cluster.OpenHdr()) {
    error_ = "Cannot open " + cluster.HdrPath();
    return TRefresh::Failed;
  }
  const auto now = Signatures(cluster);
  std::vector<int32_t> drop;
  std::vector<std::pair<TPrimeRef*, uint64_t>> index;
  size_t dropping = 0;
  for (const auto& [first, v] : volumes_)
    if (auto it = now.find(first); it == now.end() || it->second.second != v->signature) {
      drop.push_back(first);
      dropping += v->sheets.size();
    }
  for (const auto& [first, v] : now)
    if (auto it = volumes_.find(first); it == volumes_.end() || it->second->signature != v.second) index.push_back(v);
  if (!volumes_.empty() && size_t(dead_) + dropping > sheetCount_) {
    // More dead rows than live ones: built afresh, the searches step over none.
    CloseDatabase();
    for (const char* suffix : {"", "-journal", "-wal", "-shm"}) std::remove((file_ + suffix).c_str());
    if (!OpenDatabase()) return TRefresh::Failed;
    LoadTable();
    loadedSerial_ = 1;
    textPath_ = cluster.TextPath();
    counts_.compacted = true;
    drop.clear();
    index.clear();
    for (const auto& [first, v] : now) index.push_back(v);
  }

  if (progress && !progress(0, index.size())) return TRefresh::Cancelled;
  // Drops, and the serials of the volumes to index taken, before any row is
  // written: a row never carries a serial that a volume could have had.
  const int32_t serial = int32_t(loadedSerial_);
  if (!drop.empty() || !index.empty()) {
    TTransaction t(db_);
    for (int32_t first : drop) TStatement(db_, "DELETE FROM volumes WHERE first_hdr = ?").Bind(1, first).Run();
    PutMeta(db_, "dead", std::to_string(dead_ + int64_t(dropping)));
    PutMeta(db_, "serial", std::to_string(serial + int64_t(index.size()) + 1));
    t.Commit();
    dead_ += int64_t(dropping);
    loadedSerial_ = serial + int64_t(index.size()) + 1;
  }
  for (int32_t first : drop) {
    bySerial_.erase(volumes_.at(first)->serial);
    volumes_.erase(first);
    ++counts_.dropped;
  }
  if (!index.empty()) {
    if (!cluster.OpenBuffer()) {
      error_ = "Cannot open " + cluster.TextPath();
      return TRefresh::Failed;
    }
    if (TDataBuffer* buffer = cluster.Buffer()) buffer->ReadAhead(true);
    const bool threaded = WorkerThreads() > 1;
    std::vector<std::unique_ptr<TTermWriter>> writers;
    for (sqlite3* db : shards_) writers.push_back(std::make_unique<TTermWriter>(db, threaded));
    std::vector<std::unique_ptr<TIndexedVolume>> pending;
    size_t pendingBytes = 0;
    // Every term table commits (in parallel), then the volumes are listed:
    // a volume is listed only once all its rows are in. Rows committed
    // without their volume (a crash between) carry a serial no volume will
    // have.
    auto commit = [&] {
      for (auto& w : writers) w->StartCommit();
      for (auto& w : writers) w->Wait();
      TTransaction t(db_);
      TStatement put(db_, "INSERT OR REPLACE INTO volumes VALUES(?, ?, ?, ?, ?, ?, ?)");
      for (const auto& v : pending) {
        const std::string sheets = PackSheets(v->sheets);
        put.Bind(1, v->firstHdr)
            .Bind(2, v->serial)
            .Bind(3, int64_t(v->signature))
            .Bind(4, v->code)
            .Bind(5, v->company)
            .Bind(6, v->name)
            .BindStatic(7, sheets, true)
            .Run();
      }
      t.Commit();
      for (auto& v : pending) {
        bySerial_[v->serial] = v.get();
        volumes_[v->firstHdr] = std::move(v);
      }
      pending.clear();
      pendingBytes = 0;
    };
    TDataBuffer* buffer = cluster.Buffer();
    std::string damage;
    for (size_t i = 0; i < index.size(); ++i) {
      pending.push_back(IndexVolume(*index[i].first, index[i].second, serial + 1 + int32_t(i), buffer, writers,
                                    pendingBytes, damage));
      ++counts_.indexed;
      if (pendingBytes >= kCommitBytes) commit();
      if (progress && !progress(i + 1, index.size())) {
        commit();
        if (!damage.empty()) env_.port.Error(damage);
        return TRefresh::Cancelled;
      }
    }
    commit();
    cluster.CloseBuffer();
    // A damaged block: its sheets are listed, their text is not searched.
    if (!damage.empty()) env_.port.Error(damage);
  }
  cluster.CloseHdr();
  {
    TTransaction t(db_);
    PutMeta(db_, "stamp", stamp);
    t.Commit();
  }
  return drop.empty() && index.empty() ? TRefresh::Current : TRefresh::Updated;
}

THits TLibraryIndex::Search(const TQuery& query, const std::vector<int32_t>* volumes, const TSheetFilter* filter) {
  THits hits;
  if (busy_) {
    error_ = "The search index is being brought up to date";
    return hits;
  }
  TBusyFlag busy(busy_);
  if (!OpenDatabase()) return hits;
  try {
    if (!loaded_) {
      LoadTable();
      loadedSerial_ = MetaNumber(ReadMeta(db_), "serial");
    }
    const std::string match = query.MatchExpression();
    auto mark = [this, &match](size_t k) {
      marks_[k]->Clear(sheetCount_);
      sqlite3_stmt* st = find_[k];
      Check(shards_[k], sqlite3_bind_text(st, 1, match.data(), int(match.size()), SQLITE_STATIC));
      const int rc = sqlite3_step(st);
      sqlite3_reset(st);
      if (rc != SQLITE_ROW) throw TDbError(shards_[k], rc);
    };
    // The term tables answer in parallel, each into its own bits.
    std::vector<std::future<void>> others;
    const bool parallel = shards_.size() > 1 && WorkerThreads() > 1;
    for (size_t k = 1; k < shards_.size(); ++k) {
      if (parallel)
        others.push_back(TWorkPool::Shared().Run(std::packaged_task<void()>([&mark, k] { mark(k); })));
      else
        mark(k);
    }
    std::exception_ptr failed;
    try {
      mark(0);
    } catch (...) {
      failed = std::current_exception();
    }
    for (auto& f : others) {
      try {
        f.get();
      } catch (...) {
        if (!failed) failed = std::current_exception();
      }
    }
    if (failed) std::rethrow_exception(failed);
    std::vector<uint64_t>& bits = marks_[0]->bits;
    for (size_t k = 1; k < marks_.size(); ++k)
      for (size_t w = 0; w < bits.size(); ++w) bits[w] |= marks_[k]->bits[w];
    // The marked sheets of each volume asked for, in its list order.
    auto collect = [&](const TIndexedVolume& v) {
      const size_t end = v.first + v.sheets.size();
      size_t g = v.first;
      while (g < end) {
        const uint64_t word = bits[g >> 6] >> (g & 63);
        if (!word) {
          g = (g | 63) + 1;
          continue;
        }
        g += size_t(__builtin_ctzll(word));
        if (g >= end) break;
        const TIndexedSheet& h = v.sheets[g - v.first];
        if (!filter || (filter->AcceptSheet(TSheetBody::Decode(h.sheetRecord)) &&
                        filter->AcceptDocket(TDocketBody::Decode(h.docketRecord))))
          hits.push_back(&h);
        ++g;
      }
    };
    if (volumes) {
      // Two volumes of one chain are one indexed volume, listed once.
      std::set<int32_t> listed;
      for (int32_t first : *volumes)
        if (auto at = volumes_.find(first); at != volumes_.end() && listed.insert(first).second) collect(*at->second);
    } else {
      for (const auto& [first, v] : volumes_) collect(*v);
    }
  } catch (const TDbError& e) {
    error_ = std::string("The search index failed: ") + e.what();
    hits.clear();
    // Trusted no more: the next refresh starts it again.
    if (e.damaged) Rebuild();
  }
  return hits;
}

std::string TLibraryIndex::Text(const TIndexedSheet& sheet) {
  if (textPath_.empty()) return "";
  if (!text_) {
    // The file system of the index's environment, and no messages: a sheet
    // that cannot be read has no snippet.
    static TSilentPort silent;
    if (!quietEnv_) quietEnv_ = std::make_unique<TEnv>(TEnv{env_.fs, silent});
    text_ = TDataBuffer::Create(*quietEnv_, textPath_, compressed_);
    if (!text_->IsOpen()) {
      text_.reset();
      return "";
    }
  }
  std::string text;
  try {
    ReadText(*text_, TSheetBody::Decode(sheet.sheetRecord).text, text);
  } catch (const EVorneError&) {
    text.clear();
  }
  return text;
}

size_t TLibraryIndex::SheetCount() const { return sheetCount_; }

}  // namespace vorne
