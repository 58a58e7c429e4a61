#include "store/Cluster.h"

#include <algorithm>
#include <cstring>
#include <set>

#include "platform/Paths.h"
#include "store/Common.h"
#include "store/Errors.h"
#include "store/TextReader.h"
#include "store/TextWriter.h"

namespace vorne {

// ---- TPrimeRef ----------------------------------------------------------------

TPrimeRef::TPrimeRef(const TPrimeRecord& r, TFileCluster* owner, int32_t pos)
    : record(r), recNo(pos), cluster(owner), storedName(r.companyName) {
  record.companyName = NormalizeCompanyName(r.companyName);
}

void TPrimeRef::Update() { cluster->UpdatePrime(*this); }
void TPrimeRef::Append() { cluster->AppendPrime(*this); }

void TPrimeRef::AddToCount(int n) {
  record.sheetCount = uint16_t(record.sheetCount + n);
  Update();
}

void TPrimeRef::AddVolumeRecord(const TVolumeBody& body) { record.firstHdr = cluster->AppendHdr(body.Encode()); }

uint16_t TPrimeRef::LatestUpdate() { return cluster->LatestUpdate(*this); }

// ---- TFileCluster: life cycle -------------------------------------------------------

TFileCluster::TFileCluster(TEnv& env, bool compressed) : env_(env), compressed_(compressed) {}

TFileCluster::~TFileCluster() {
  try {
    CloseBuffer();
  } catch (const std::exception& e) {
    env_.port.Error(e.what());
  }
  CloseHdr();
}

bool TFileCluster::Open(const std::string& primePath, bool isOutput) {
  TBusy busy(env_.port);
  CloseBuffer();
  CloseHdr();
  lock_.reset();
  opened_ = false;
  rewritten_ = false;
  lockedOut_ = false;
  isOutput_ = isOutput;
  dir_ = DirPart(primePath);
  const TFormNames& names = compressed_ ? kCompressedNames : kUncompressedNames;
  // Libraries come from case-insensitive disks: match existing names without case.
  std::string dirNoSep = dir_.empty() ? "" : StripTrailingSep(dir_);
  primePath_ = FindNoCase(env_.fs, dirNoSep, FileNamePart(primePath));
  hdrPath_ = FindNoCase(env_.fs, dirNoSep, names.header);
  textPath_ = FindNoCase(env_.fs, dirNoSep, names.text);
  legacyPath_ = compressed_ ? "" : FindNoCase(env_.fs, dirNoSep, kLegacyPrimeName);

  lockDepth_ = 0;
  if (!isOutput) RecoverHdrEdit();

  int panel = isOutput ? 3 : 0;
  env_.port.Status(panel, primePath_);
  env_.port.Status(panel + 1, FileNamePart(hdrPath_));
  env_.port.Status(panel + 2, FileNamePart(textPath_));

  if (!isOutput) {
    if (!env_.fs.Exists(primePath_) || env_.fs.IsDirectory(primePath_)) {
      env_.port.Error("Can't find " + primePath);
      return false;
    }
    if (!LooksLikeLibrary()) {
      env_.port.Error(primePath_ + " is not the prime file of a library; nothing was opened.");
      return false;
    }
    opened_ = true;
    return true;
  }
  opened_ = OpenOutput();
  return opened_;
}

bool TFileCluster::LooksLikeLibrary() {
  // The 91-byte records beside an uncompressed output are no index to browse.
  if (UpperCase(FileNamePart(primePath_)) == UpperCase(kLegacyPrimeName)) return false;
  std::string bytes;
  try {
    bytes = env_.fs.ReadAll(primePath_);
  } catch (const EInOutError&) {
    return true;  // unreadable: the read that follows says why
  }
  if (bytes.size() % kPrimeRecordSize != 0) return false;
  if (bytes.empty()) return true;  // a library without volumes yet
  // One volume whose chain starts at a volume record is enough: a damaged
  // volume is reported when it is listed, a text file has none.
  const bool hdrWasOpen = hdr_ != nullptr;
  if (!env_.fs.Exists(hdrPath_) || (!hdrWasOpen && !OpenHdr())) return false;
  const int32_t records = int32_t(hdr_->Size() / kHdrRecordSize);
  bool found = false, chained = false;
  for (size_t i = 0; i < bytes.size() / kPrimeRecordSize && !found && records > 0; ++i) {
    const TPrimeRecord r = TPrimeRecord::Decode(reinterpret_cast<const uint8_t*>(bytes.data()) + i * kPrimeRecordSize);
    THdrRecord rec;
    chained |= r.firstHdr >= 0;
    found = r.firstHdr >= 0 && r.firstHdr < records && ReadHdr(r.firstHdr, rec) && rec[0] == kVolumeRecord;
  }
  if (!hdrWasOpen) CloseHdr();
  // An empty header file, or volumes without chains yet, are a library's; chains that all start elsewhere are not.
  return records == 0 || found || !chained;
}

bool TFileCluster::OpenOutput() {
  std::string dirNoSep = StripTrailingSep(dir_);
  if (!dirNoSep.empty() && !env_.fs.IsDirectory(dirNoSep) && !env_.fs.MakeDir(dirNoSep)) {
    env_.port.Error("Cannot create the folder " + dirNoSep);
    return false;
  }
  // A second writer must not touch a library another run is writing: the
  // header file is opened (made, never emptied, when missing) and locked
  // before anything is tested or emptied, so two runs making the same new
  // library cannot both empty its files.
  const bool hdrExisted = env_.fs.Exists(hdrPath_);
  try {
    lock_ = env_.fs.Open(hdrPath_, TOpenMode::Keep);
  } catch (const EInOutError& e) {
    env_.port.Error(e.what());
    return false;
  }
  auto refuse = [&] {
    // A header file made here only to be locked is not left behind.
    const bool made = !hdrExisted && lock_->Size() == 0;
    lock_.reset();
    if (made) {
      try {
        env_.fs.Remove(hdrPath_);
      } catch (const EInOutError&) {
      }
    }
    return false;
  };
  if (!lock_->TryLockExclusive()) {
    lock_.reset();
    lockedOut_ = true;
    env_.port.Error(LockedMessage());
    return false;
  }
  TOutputMode& mode = *mode_;
  if (!env_.fs.Exists(primePath_)) {
    mode.rewrite = true;
  } else if (!mode.append && !mode.rewrite) {
    TAnswer a = env_.port.Ask(kAddToExistingQuestion, TButtons::YesNoCancel);
    if (a == TAnswer::Yes) {
      mode.append = true;
    } else if (a == TAnswer::No &&
               env_.port.Ask(kRewriteQuestion, TButtons::YesNoCancel) == TAnswer::Yes) {
      mode.rewrite = true;
    } else {
      return refuse();
    }
  }
  // Files about to be recreated need no undo file; files added to must be
  // in a state their undo file (if any) allows.
  if (!mode.rewrite && !SettleUndo(*lock_, true)) return refuse();
  RemoveLeftovers();
  try {
    if (mode.rewrite) {
      env_.fs.Remove(UndoPath());
      env_.fs.Open(primePath_, TOpenMode::Create);
      env_.fs.Open(textPath_, TOpenMode::Create);
      if (!compressed_) env_.fs.Open(legacyPath_, TOpenMode::Create);
      lock_->Truncate(0);
      volumes_.clear();
      sorted_ = false;
      rewritten_ = true;
      if (!mode.keepRewrite) {
        mode.rewrite = false;
        mode.append = true;
      }
    }
    if (!env_.fs.Exists(textPath_)) env_.fs.Open(textPath_, TOpenMode::Create);
  } catch (const EInOutError& e) {
    lock_.reset();
    env_.port.Error(e.what());
    return false;
  }
  return true;
}

std::string TFileCluster::LockedMessage() const {
  return "The library in " + StripTrailingSep(dir_) + " is being written by another run; nothing was changed";
}

bool TFileCluster::SetOutputName(const std::string& name) {
  std::string n = name.substr(0, 8);
  CloseBuffer();
  CloseHdr();
  TOutputMode& mode = *mode_;
  const bool forced = n == name_;
  const bool savedRewrite = mode.rewrite;
  if (forced) {
    mode.append = true;
    mode.rewrite = false;
  }
  name_ = n;
  const char* primeName = compressed_ ? kCompressedNames.prime : kUncompressedNames.prime;
  bool ok = Open(JoinPath(JoinPath(base_, TrimBoth(n)), primeName), true);
  if (forced) mode.rewrite = savedRewrite;
  mode.append = !mode.rewrite;
  return ok;
}

// ---- the text buffer ----------------------------------------------------------------

bool TFileCluster::OpenBuffer() {
  if (!opened_) {
    env_.port.Error("Output File structures not set up. System Error");
    return false;
  }
  if (buffer_ && bufferOpen_) return true;
  if (isOutput_)
    buffer_ = OutDataBuffer::Create(env_, textPath_, compressed_);
  else
    buffer_ = TDataBuffer::Create(env_, textPath_, compressed_);
  if (!buffer_->IsOpen()) {
    buffer_.reset();
    env_.port.Error("Can't open the DBF file");
    return false;
  }
  bufferOpen_ = true;
  return true;
}

void TFileCluster::CloseBuffer() {
  bufferOpen_ = false;
  if (!buffer_) return;
  std::unique_ptr<TDataBuffer> b = std::move(buffer_);
  b->Close();  // a writer flushes; its errors reach the caller
}

TDataBuffer* TFileCluster::Buffer() { return bufferOpen_ ? buffer_.get() : nullptr; }

OutDataBuffer* TFileCluster::OutBuffer() {
  return bufferOpen_ && isOutput_ ? static_cast<OutDataBuffer*>(buffer_.get()) : nullptr;
}

// ---- the header file --------------------------------------------------------------------

bool TFileCluster::OpenHdr() {
  if (hdr_) return true;
  try {
    hdr_ = env_.fs.Open(hdrPath_, isOutput_ ? TOpenMode::ReadWrite : TOpenMode::Read);
    DropHdrChunks();
    hdrWritable_ = isOutput_;
    hdrPos_ = 0;
    return true;
  } catch (const EInOutError&) {
    env_.port.Error("Can't open the HDR file");
    return false;
  }
}

void TFileCluster::CloseHdr() {
  hdr_.reset();
  DropHdrChunks();
  hdrWritable_ = false;
}

void TFileCluster::DropHdrChunks() {
  for (THdrChunk& c : hdrChunks_) c.first = -1, c.count = 0;
}

const uint8_t* TFileCluster::ChunkedHdr(int32_t pos) {
  const int32_t first = pos - pos % kHdrChunkRecords;
  THdrChunk* slot = nullptr;
  for (THdrChunk& c : hdrChunks_) {
    if (c.first == first) {
      slot = &c;
      break;
    }
    if (!slot || c.used < slot->used) slot = &c;
  }
  if (hdrChunks_.size() < kHdrChunkCount && (!slot || slot->first != first)) {
    hdrChunks_.emplace_back();
    slot = &hdrChunks_.back();
  }
  // A chunk that ended at the end of the file is read again for a record
  // beyond it, so a file that has grown meanwhile is seen whole.
  if (slot->first != first || pos - first >= slot->count) {
    const size_t want = size_t(kHdrChunkRecords) * kHdrRecordSize;
    if (slot->bytes.size() < want) slot->bytes.resize(want);
    slot->first = -1;
    slot->count = 0;
    const size_t got = hdr_->Read(uint64_t(first) * kHdrRecordSize, slot->bytes.data(), want);
    slot->first = first;
    slot->count = int32_t(got / kHdrRecordSize);
  }
  slot->used = ++hdrUse_;
  if (pos - first >= slot->count) return nullptr;
  return slot->bytes.data() + size_t(pos - first) * kHdrRecordSize;
}

bool TFileCluster::ReopenHdrForWrite() {
  int32_t pos = hdrPos_;
  CloseHdr();
  try {
    hdr_ = env_.fs.Open(hdrPath_, TOpenMode::ReadWrite);
  } catch (const EInOutError&) {
    env_.port.Error("Can't open the HDR file");
    return false;
  }
  // An output cluster, or a run's LockForChange, already holds the library's lock.
  if (!lock_) {
    if (!hdr_->TryLockExclusive()) {
      hdr_.reset();
      env_.port.Error(LockedMessage());
      return false;
    }
    if (!SettleUndo(*hdr_, true)) {
      hdr_.reset();
      return false;
    }
    RemoveLeftovers();
  }
  hdrWritable_ = true;
  hdrPos_ = pos;
  return true;
}

int32_t TFileCluster::HdrSize() {
  if (editing_) return pending_.empty() ? editBase_ : std::max(editBase_, pending_.rbegin()->first + 1);
  if (!hdr_ && !OpenHdr()) return 0;
  return int32_t(hdr_->Size() / kHdrRecordSize);
}

bool TFileCluster::ReadHdr(int32_t pos, THdrRecord& rec) {
  if (editing_) {
    if (auto at = pending_.find(pos); at != pending_.end()) {
      rec = at->second;
      hdrPos_ = pos + 1;
      return true;
    }
    if (pos >= editBase_) return false;
  }
  if (!hdr_ && !OpenHdr()) return false;
  if (pos < 0) return false;
  if (hdrWritable_) {
    if (pos >= HdrSize()) return false;
    if (hdr_->Read(uint64_t(pos) * kHdrRecordSize, rec.data(), kHdrRecordSize) != kHdrRecordSize) return false;
  } else {
    // Only bytes the file really gave are served: a record past its end is refused.
    const uint8_t* at = ChunkedHdr(pos);
    if (!at) return false;
    std::memcpy(rec.data(), at, kHdrRecordSize);
  }
  hdrPos_ = pos + 1;
  return true;
}

bool TFileCluster::ReadNext(THdrRecord& rec, int32_t& recNo) {
  recNo = hdrPos_;
  return ReadHdr(hdrPos_, rec);
}

bool TFileCluster::ReadHdrKeepingPlace(int32_t pos, THdrRecord& rec) {
  const bool wasOpen = hdr_ != nullptr;
  const int32_t saved = hdrPos_;
  bool ok = ReadHdr(pos, rec);
  hdrPos_ = saved;
  if (!wasOpen) CloseHdr();
  return ok;
}

void TFileCluster::WriteHdr(int32_t pos, const THdrRecord& rec) {
  if (editing_) {
    if (pos < 0 || pos > HdrSize()) throw EInOutError(5, "record outside the header file " + hdrPath_);
    pending_[pos] = rec;
    hdrPos_ = pos + 1;
    return;
  }
  if ((!hdr_ || !hdrWritable_) && !ReopenHdrForWrite())
    throw EInOutError(5, "cannot write the header file " + hdrPath_);
  hdr_->Write(uint64_t(pos) * kHdrRecordSize, rec.data(), kHdrRecordSize);
  hdrPos_ = pos + 1;
}

int32_t TFileCluster::AppendHdr(const THdrRecord& rec) {
  int32_t n = HdrSize();
  WriteHdr(n, rec);
  return n;
}

void TFileCluster::WriteHdrRun(int32_t pos, const std::vector<THdrRecord>& recs) {
  if (recs.empty()) return;
  if (editing_) {
    for (size_t i = 0; i < recs.size(); ++i) WriteHdr(pos + int32_t(i), recs[i]);
    return;
  }
  if ((!hdr_ || !hdrWritable_) && !ReopenHdrForWrite())
    throw EInOutError(5, "cannot write the header file " + hdrPath_);
  // The records lie back to back in the vector: written as they are, not copied.
  static_assert(sizeof(THdrRecord) == kHdrRecordSize);
  hdr_->Write(uint64_t(pos) * kHdrRecordSize, recs.front().data(), recs.size() * kHdrRecordSize);
  hdrPos_ = pos + int32_t(recs.size());
}

int32_t TFileCluster::WriteHere(const THdrRecord& rec) {
  int32_t n = hdrPos_;
  WriteHdr(n, rec);
  return n;
}

int32_t TFileCluster::ExtendChain(int32_t pos, std::optional<THdrRecord>& displaced) {
  displaced.reset();
  const int32_t n = HdrSize();
  hdrPos_ = n;
  if (pos < 0 || pos >= n) return n;  // nothing to displace: continue at the end
  THdrRecord rec;
  if (ReadHdr(pos, rec) && rec[0] != kEndRecord && rec[0] != kJumpRecord) displaced = rec;
  hdrPos_ = n;
  return n;
}

void TFileCluster::SyncHdr() {
  if (hdr_) hdr_->Sync();
}

void TFileCluster::LinkChain(int32_t pos, int32_t start) {
  if (pos < 0 || pos >= start) return;  // the chain ended outside the file: it goes on where it is
  WriteHdr(pos, EncodeJump(start));
}

// ---- edits of records in place ----------------------------------------------------------------
//
// The undo file: "VHDRUND2"; the names of the header and prime files it was
// written for (a length byte and the name each); as u32 the header file's
// size in records before the edit and after it, the count of header records
// replaced and the count of prime records replaced; each header record's
// number (i32), its 58 bytes as they were and an FNV-1a 64 digest (u64) of
// its new bytes; each prime record likewise with 96 bytes; the digest of the
// records the edit appends (u64); and last an FNV-1a sum (u32) of everything
// before it. It is written whole (temporary file and rename) and flushed
// before the first record of the edit reaches a file, and removed once the
// last has.

namespace {
constexpr char kUndoMagic[] = "VHDRUND2";

uint32_t Fnv1a(std::string_view s) {
  uint32_t h = 2166136261u;
  for (char c : s) h = (h ^ uint8_t(c)) * 16777619u;
  return h;
}

uint64_t Digest(std::string_view s) {
  uint64_t h = 14695981039346656037ull;
  for (char c : s) h = (h ^ uint8_t(c)) * 1099511628211ull;
  return h;
}

void PutU32(std::string& s, uint32_t v) {
  for (int i = 0; i < 4; ++i) s.push_back(char((v >> (8 * i)) & 0xFF));
}
void PutU64(std::string& s, uint64_t v) {
  PutU32(s, uint32_t(v));
  PutU32(s, uint32_t(v >> 32));
}
uint32_t GetU32(const std::string& s, size_t at) {
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= uint32_t(uint8_t(s[at + size_t(i)])) << (8 * i);
  return v;
}
uint64_t GetU64(const std::string& s, size_t at) { return GetU32(s, at) | uint64_t(GetU32(s, at + 4)) << 32; }

// What an undo file holds (layout above).
struct TUndo {
  std::string hdrName, primeName;
  TFileCluster::TEditRecords old;  // hdrSize: the header file's size before the edit
  std::vector<uint64_t> hdrNew, primeNew;  // digests of the new bytes, in the order of old
  int32_t newSize = 0;   // the header file's size in records after the edit
  uint64_t appended = 0; // digest of the records it appends
};

// The undo file of an edit: the old records as the files hold them now and
// digests of what the edit writes in their place.
TUndo MakeUndo(const std::string& hdrPath, const std::string& primePath, const TFileCluster::TEditRecords& edit,
               TFileCluster::TEditRecords old) {
  TUndo u;
  u.hdrName = FileNamePart(hdrPath);
  u.primeName = FileNamePart(primePath);
  u.newSize = old.hdrSize;
  std::string appended;
  for (const auto& [pos, bytes] : edit.hdr) {
    if (pos < old.hdrSize) {
      u.hdrNew.push_back(Digest(bytes));
    } else {
      appended += bytes;
      u.newSize = std::max(u.newSize, pos + 1);
    }
  }
  for (const auto& [pos, bytes] : edit.prime) u.primeNew.push_back(Digest(bytes));
  u.appended = Digest(appended);
  u.old = std::move(old);
  return u;
}

std::string EncodeUndo(const TUndo& u) {
  std::string s(kUndoMagic, 8);
  for (const std::string* name : {&u.hdrName, &u.primeName}) {
    s.push_back(char(std::min<size_t>(name->size(), 255)));
    s += name->substr(0, 255);
  }
  PutU32(s, uint32_t(u.old.hdrSize));
  PutU32(s, uint32_t(u.newSize));
  PutU32(s, uint32_t(u.old.hdr.size()));
  PutU32(s, uint32_t(u.old.prime.size()));
  for (size_t i = 0; i < u.old.hdr.size(); ++i) {
    PutU32(s, uint32_t(u.old.hdr[i].first));
    s += u.old.hdr[i].second;
    PutU64(s, u.hdrNew[i]);
  }
  for (size_t i = 0; i < u.old.prime.size(); ++i) {
    PutU32(s, uint32_t(u.old.prime[i].first));
    s += u.old.prime[i].second;
    PutU64(s, u.primeNew[i]);
  }
  PutU64(s, u.appended);
  PutU32(s, Fnv1a(s));
  return s;
}

// A damaged file, or one of another form of undo file, gives nullopt.
std::optional<TUndo> DecodeUndo(const std::string& s) {
  if (s.size() < 8 + 4 || s.compare(0, 8, kUndoMagic) != 0) return std::nullopt;
  if (Fnv1a(std::string_view(s).substr(0, s.size() - 4)) != GetU32(s, s.size() - 4)) return std::nullopt;
  const size_t end = s.size() - 4;
  size_t at = 8;
  TUndo u;
  for (std::string* name : {&u.hdrName, &u.primeName}) {
    if (at >= end || at + 1 + uint8_t(s[at]) > end) return std::nullopt;
    *name = s.substr(at + 1, uint8_t(s[at]));
    at += 1 + name->size();
  }
  if (at + 16 > end) return std::nullopt;
  u.old.hdrSize = int32_t(GetU32(s, at));
  u.newSize = int32_t(GetU32(s, at + 4));
  const size_t hdrCount = GetU32(s, at + 8), primeCount = GetU32(s, at + 12);
  at += 16;
  if (u.old.hdrSize < 0 || u.newSize < u.old.hdrSize || hdrCount > end || primeCount > end ||
      end - at != hdrCount * (4 + kHdrRecordSize + 8) + primeCount * (4 + kPrimeRecordSize + 8) + 8)
    return std::nullopt;
  auto take = [&](size_t count, size_t size, auto& recs, auto& digests) {
    for (size_t i = 0; i < count; ++i, at += 4 + size + 8) {
      recs.emplace_back(int32_t(GetU32(s, at)), s.substr(at + 4, size));
      digests.push_back(GetU64(s, at + 4 + size));
    }
  };
  take(hdrCount, kHdrRecordSize, u.old.hdr, u.hdrNew);
  take(primeCount, kPrimeRecordSize, u.old.prime, u.primeNew);
  u.appended = GetU64(s, at);
  for (const auto& [pos, bytes] : u.old.hdr)
    if (pos < 0 || pos >= u.old.hdrSize) return std::nullopt;
  for (const auto& [pos, bytes] : u.old.prime)
    if (pos < 0) return std::nullopt;
  return u;
}

// Runs of neighbouring records go in one write each.
void WriteRecords(TFile& f, const std::vector<std::pair<int32_t, std::string>>& recs, size_t size) {
  std::string run;
  for (size_t i = 0; i < recs.size();) {
    size_t j = i;
    run.clear();
    do run += recs[j++].second;
    while (j < recs.size() && recs[j].first == recs[j - 1].first + 1);
    f.Write(uint64_t(recs[i].first) * size, run.data(), run.size());
    i = j;
  }
}

enum class TUndoVerdict { Landed, Unfinished, Foreign };

// Whether each record of recs in f holds its old bytes or its new ones
// (digests); Foreign when one holds neither or is missing.
TUndoVerdict JudgeRecords(TFile& f, const std::vector<std::pair<int32_t, std::string>>& recs,
                          const std::vector<uint64_t>& digests, size_t size) {
  bool allNew = true;
  std::string now(size, '\0');
  for (size_t i = 0; i < recs.size(); ++i) {
    if (f.Read(uint64_t(recs[i].first) * size, now.data(), size) != size) return TUndoVerdict::Foreign;
    const bool isNew = Digest(now) == digests[i];
    if (!isNew && now != recs[i].second) return TUndoVerdict::Foreign;
    allNew &= isNew;
  }
  return allNew ? TUndoVerdict::Landed : TUndoVerdict::Unfinished;
}

bool SameFileName(std::string_view a, std::string_view b) { return CompareNoCase(a, b) == 0; }
}  // namespace

void TFileCluster::BeginHdrEdit() {
  pending_.clear();
  pendingPrime_.clear();
  editing_ = false;  // the size below is the file's own
  editBase_ = HdrSize();
  editing_ = true;
}

void TFileCluster::AbandonHdrEdit() {
  editing_ = false;
  pending_.clear();
  pendingPrime_.clear();
}

bool TFileCluster::CommitHdrEdit() {
  editing_ = false;
  TEditRecords edit;
  for (const auto& [pos, rec] : pending_) edit.hdr.emplace_back(pos, std::string(rec.begin(), rec.end()));
  edit.prime.assign(pendingPrime_.begin(), pendingPrime_.end());
  pending_.clear();
  pendingPrime_.clear();
  if (edit.hdr.empty() && edit.prime.empty()) return true;

  const bool wasWritable = hdr_ && hdrWritable_;
  if (!wasWritable && !ReopenHdrForWrite()) return false;  // it has said why
  auto release = [&] {
    DropHdrChunks();
    if (!wasWritable && !lock_) CloseHdr();
  };
  auto refuse = [&](const std::string& why) {
    release();
    env_.port.Error(why + "; nothing was changed");
    return false;
  };
  TEditRecords undo;
  undo.hdrSize = HdrSize();
  if (undo.hdrSize != editBase_ && !edit.hdr.empty() && edit.hdr.back().first >= std::min(undo.hdrSize, editBase_))
    return refuse("The header file " + hdrPath_ + " changed while it was being edited");  // appends would collide
  try {
    for (const auto& [pos, rec] : edit.hdr) {
      if (pos >= undo.hdrSize) break;
      std::string old(kHdrRecordSize, '\0');
      if (hdr_->Read(uint64_t(pos) * kHdrRecordSize, old.data(), old.size()) != old.size())
        return refuse("Can't read the HDR file");
      undo.hdr.emplace_back(pos, old);
    }
    if (!edit.prime.empty()) {
      auto prime = env_.fs.Open(primePath_, TOpenMode::Read);
      for (const auto& [pos, rec] : edit.prime) {
        std::string old(kPrimeRecordSize, '\0');
        if (prime->Read(uint64_t(pos) * kPrimeRecordSize, old.data(), old.size()) != old.size())
          return refuse("Can't read the prime file " + primePath_);
        undo.prime.emplace_back(pos, old);
      }
    }
    // On the disk before the first record it guards is overwritten.
    env_.fs.ReplaceFile(UndoPath(), EncodeUndo(MakeUndo(hdrPath_, primePath_, edit, undo)));
  } catch (const EInOutError& e) {
    return refuse(std::string("Can't keep the old records in ") + UndoPath() + " (" + e.what() + ")");
  }

  std::string failure = WriteEdit(*hdr_, edit, false);
  if (!failure.empty()) {
    const std::string again = WriteEdit(*hdr_, undo, true);
    release();
    if (again.empty())
      env_.port.Error("Writing the library failed (" + failure + "); the records already written were put back");
    else
      env_.port.Error("Writing the library failed (" + failure + ") and putting the old records back failed too (" +
                      again + "); they are put back when the library is next opened");
    return false;
  }
  release();
  try {
    env_.fs.Remove(UndoPath());
  } catch (const EInOutError& e) {
    // The undo file of an edit whose records are all in place is never put
    // back: the next run that takes the lock removes it.
    env_.port.Warn(std::string("The change was written, but its undo file ") + UndoPath() +
                   " could not be removed (" + e.what() + "); it is removed when the library is next opened");
  }
  return true;
}

// Writes the records of an edit into hdr (open for writing) and the prime
// file, and flushes both; the error's text, or "" when all went well.
// Putting an edit back also cuts the header file to its old size and
// removes the undo file; a failure then leaves the undo file for the next open.
std::string TFileCluster::WriteEdit(TFile& hdr, const TEditRecords& recs, bool restoring) {
  try {
    WriteRecords(hdr, recs.hdr, kHdrRecordSize);
    if (restoring) {
      const uint64_t size = uint64_t(recs.hdrSize) * kHdrRecordSize;
      if (hdr.Size() > size) hdr.Truncate(size);
    }
    hdr.Sync();
    if (!recs.prime.empty()) {
      auto prime = env_.fs.Open(primePath_, TOpenMode::ReadWrite);
      WriteRecords(*prime, recs.prime, kPrimeRecordSize);
      prime->Sync();
    }
    if (restoring) env_.fs.Remove(UndoPath());
    return "";
  } catch (const EInOutError& e) {
    return e.what();
  }
}

// An undo file found when a library is opened for reading: judged, and
// acted on, only when no other run holds the library (it may be committing
// right now) and the header file can be written.
void TFileCluster::RecoverHdrEdit() {
  if (!env_.fs.Exists(UndoPath())) return;
  std::unique_ptr<TFile> hdr;
  try {
    hdr = env_.fs.Open(hdrPath_, TOpenMode::ReadWrite);
  } catch (const EInOutError&) {
    return;
  }
  if (hdr->TryLockExclusive()) SettleUndo(*hdr, false);
}

bool TFileCluster::SettleUndo(TFile& hdr, bool writing) {
  if (!env_.fs.Exists(UndoPath())) return true;
  std::optional<TUndo> undo;
  try {
    undo = DecodeUndo(env_.fs.ReadAll(UndoPath()));
  } catch (const EInOutError&) {
  }
  TUndoVerdict verdict = TUndoVerdict::Foreign;
  try {
    if (undo && SameFileName(undo->hdrName, FileNamePart(hdrPath_)) &&
        SameFileName(undo->primeName, FileNamePart(primePath_)) &&
        (!undo->old.hdr.empty() || !undo->old.prime.empty() || undo->newSize > undo->old.hdrSize)) {
      const uint64_t size = hdr.Size();
      const uint64_t before = uint64_t(undo->old.hdrSize) * kHdrRecordSize;
      const uint64_t after = uint64_t(undo->newSize) * kHdrRecordSize;
      verdict = size < before ? TUndoVerdict::Foreign
                              : JudgeRecords(hdr, undo->old.hdr, undo->hdrNew, kHdrRecordSize);
      if (verdict != TUndoVerdict::Foreign && !undo->old.prime.empty()) {
        const TUndoVerdict prime = env_.fs.Exists(primePath_)
                                       ? JudgeRecords(*env_.fs.Open(primePath_, TOpenMode::Read), undo->old.prime,
                                                      undo->primeNew, kPrimeRecordSize)
                                       : TUndoVerdict::Foreign;
        if (prime != TUndoVerdict::Landed) verdict = prime;
      }
      if (verdict == TUndoVerdict::Landed && after > before) {
        std::string appended(size >= after ? size_t(after - before) : 0, '\0');
        const bool inPlace = size >= after && hdr.Read(before, appended.data(), appended.size()) == appended.size() &&
                             Digest(appended) == undo->appended;
        if (!inPlace) verdict = TUndoVerdict::Unfinished;
      }
      // Records beyond what the edit wrote came after it: the edit is not
      // the last change of these files.
      if (verdict == TUndoVerdict::Unfinished && size > after) verdict = TUndoVerdict::Foreign;
    }
  } catch (const EInOutError&) {
    verdict = TUndoVerdict::Foreign;
  }
  switch (verdict) {
    case TUndoVerdict::Landed:
      try {
        env_.fs.Remove(UndoPath());
      } catch (const EInOutError&) {
        // Harmless where it is: it is judged landed again next time.
      }
      return true;
    case TUndoVerdict::Unfinished: {
      const std::string failure = WriteEdit(hdr, undo->old, true);
      DropHdrChunks();
      if (failure.empty()) {
        env_.port.Info("An unfinished change of the library in " + dir_ + " was undone; it is as it was before it");
        return true;
      }
      env_.port.Error("An unfinished change of the library in " + dir_ + " could not be undone (" + failure + ")");
      return !writing;
    }
    case TUndoVerdict::Foreign:
      break;
  }
  const std::string what = "The undo file " + UndoPath() + " does not belong to the library as it is now";
  const std::string clear = "If the library is as it should be, delete that file (or move it out of the folder)";
  if (!writing) {
    env_.port.Warn(what + "; it was left alone and the library is read as it is. " + clear);
    return true;
  }
  env_.port.Error(what + ", so nothing was changed. " + clear + " and run again");
  return false;
}

// Temporary files of the library's own whole-file replacements that a
// killed run left behind (only a run holding the lock writes them).
void TFileCluster::RemoveLeftovers() {
  for (const std::string& path : {primePath_, legacyPath_, UndoPath()}) {
    if (path.empty()) continue;
    const std::string tmp = path + ".tmp~";
    try {
      if (env_.fs.Exists(tmp)) env_.fs.Remove(tmp);
    } catch (const EInOutError&) {
      // A leftover that cannot be removed harms nothing: it is written afresh.
    }
  }
}

bool TFileCluster::LockForChange() {
  if (lock_) {
    ++lockDepth_;
    return true;
  }
  // The header file's own handle may hold the lock (ReopenHdrForWrite):
  // one handle holds it from here on.
  CloseHdr();
  std::unique_ptr<TFile> f;
  try {
    f = env_.fs.Open(hdrPath_, TOpenMode::ReadWrite);
  } catch (const EInOutError&) {
    env_.port.Error("Can't open the HDR file");
    return false;
  }
  if (!f->TryLockExclusive()) {
    env_.port.Error(LockedMessage());
    return false;
  }
  if (!SettleUndo(*f, true)) return false;
  RemoveLeftovers();
  lock_ = std::move(f);
  lockDepth_ = 1;
  return true;
}

void TFileCluster::Unlock() {
  // An output cluster holds its lock from Open to the end of its run.
  if (lockDepth_ == 0 || --lockDepth_ > 0 || isOutput_) return;
  // A header file opened for writing under the lock is not written without it.
  if (hdr_ && hdrWritable_) CloseHdr();
  lock_.reset();
}

// ---- chains ------------------------------------------------------------------------------------

int32_t TFileCluster::GetVolumeRecord(TPrimeRef& ref, THdrRecord& rec) {
  const int32_t first = ref.record.firstHdr;
  if (OpenHdr() && first >= 0 && ReadHdr(first, rec) && rec[0] == kVolumeRecord) return first;
  env_.port.Error("Bad PRIME file entry. Can't find Volume record");
  CloseHdr();
  CloseBuffer();
  return -1;
}

bool TFileCluster::WalkChain(TPrimeRef& ref, const TVisitor& visit, bool needText) {
  if (ref.cluster != this) {
    env_.port.Error("input Prime does not point at this cluster");
    return false;
  }
  const bool hdrWasOpen = hdr_ != nullptr;
  if (!OpenHdr()) return false;
  const bool bufferWasOpen = bufferOpen_;
  if (needText && !bufferWasOpen) {
    bool ok = false;
    try {
      ok = OpenBuffer();
    } catch (const EVorneError&) {
      env_.port.Error("Bad Unzip");
      if (!hdrWasOpen) CloseHdr();
      throw;
    }
    if (!ok) {
      env_.port.Error("Bad Unzip");
      if (!hdrWasOpen) CloseHdr();
      return false;
    }
  }
  auto finish = [&] {
    if (needText && !bufferWasOpen) CloseBuffer();
    if (!hdrWasOpen) CloseHdr();
  };
  const int32_t size = HdrSize();
  int32_t pos = ref.record.firstHdr;
  if (pos < 0 || pos >= size) {
    env_.port.Error("Bad PRIME file entry. Can't find Volume record");
    finish();
    return false;
  }
  // A damaged chain must end: never revisit a record, never jump outside the file.
  std::vector<bool> visited(size_t(size), false);
  THdrRecord rec;
  try {
    while (pos < size) {
      if (visited[size_t(pos)]) {
        env_.port.Error("Damaged header file " + hdrPath_ + ": the chain of " + TrimRight(ref.record.companyName) +
                        " loops back to record " + std::to_string(pos));
        break;
      }
      visited[size_t(pos)] = true;
      if (!ReadHdr(pos, rec)) break;
      if (!visit(pos, rec) || rec[0] == kEndRecord) break;
      if (rec[0] == kJumpRecord) {
        int32_t target = DecodeJump(rec);
        if (target < 0 || target >= size) {
          env_.port.Error("Damaged header file " + hdrPath_ + ": record " + std::to_string(pos) +
                          " jumps outside the file");
          break;
        }
        pos = target;
      } else {
        ++pos;
      }
    }
  } catch (...) {
    finish();
    throw;
  }
  finish();
  return true;
}

std::vector<std::string> TFileCluster::DocketList(TPrimeRef& ref) {
  std::set<std::string> lines;
  int32_t lastLookup = -1;
  WalkChain(
      ref,
      [&](int32_t n, const THdrRecord& rec) {
        if (rec[0] == kDocketRecord) {
          lines.insert(DocketLine(TDocketBody::Decode(rec)));
        } else if (rec[0] == kSheetRecord) {
          int32_t d = TSheetBody::Decode(rec).docketPos;
          if (d > n && d != lastLookup) {
            lastLookup = d;
            THdrRecord docket;
            if (ReadHdrKeepingPlace(d, docket) && docket[0] == kDocketRecord)
              lines.insert(DocketLine(TDocketBody::Decode(docket)));
          }
        }
        return true;
      },
      false);
  return {lines.begin(), lines.end()};
}

uint16_t TFileCluster::LatestUpdate(TPrimeRef& ref) {
  uint16_t latest = 0;
  WalkChain(
      ref,
      [&](int32_t, const THdrRecord& rec) {
        if (rec[0] == kSheetRecord) latest = std::max(latest, TSheetBody::Decode(rec).updDate);
        return true;
      },
      false);
  return latest;
}

// ---- the prime file ---------------------------------------------------------------------------

std::string TFileCluster::VolumeNameOf(int32_t firstHdr) {
  THdrRecord rec;
  if (firstHdr >= 0 && ReadHdr(firstHdr, rec) && rec[0] == kVolumeRecord) return TVolumeBody::Decode(rec).volumeName;
  return "";
}

void TFileCluster::ReadAll(const TPrimeFilter& accept) {
  volumes_.clear();
  retired_.clear();
  // A library recreated by this open keeps its volumes in the order they
  // were made, also when its prime file is read again.
  sorted_ = !rewritten_;
  std::string bytes = env_.fs.ReadAll(primePath_);
  const bool hdrWasOpen = hdr_ != nullptr;
  bool names = !isOutput_ && env_.fs.Exists(hdrPath_);
  if (names) {
    try {
      if (!hdrWasOpen) {
        hdr_ = env_.fs.Open(hdrPath_, TOpenMode::Read);
        DropHdrChunks();
      }
    } catch (const EInOutError&) {
      names = false;  // volume names stay empty
    }
  }
  const size_t count = bytes.size() / kPrimeRecordSize;
  for (size_t i = 0; i < count; ++i) {
    TPrimeRecord r = TPrimeRecord::Decode(reinterpret_cast<const uint8_t*>(bytes.data()) + i * kPrimeRecordSize);
    if (accept && !accept(r)) continue;
    auto ref = std::make_unique<TPrimeRef>(r, this, int32_t(i));
    if (names) ref->volumeName = VolumeNameOf(r.firstHdr);
    AddVolume(std::move(ref));
  }
  if (!hdrWasOpen) CloseHdr();
}

void TFileCluster::Reload() {
  const std::string bytes = env_.fs.ReadAll(primePath_);
  std::vector<std::unique_ptr<TPrimeRef>> old = std::move(volumes_);
  volumes_.clear();
  const bool hdrWasOpen = hdr_ != nullptr;
  const size_t count = bytes.size() / kPrimeRecordSize;
  for (size_t i = 0; i < count; ++i) {
    const TPrimeRecord r =
        TPrimeRecord::Decode(reinterpret_cast<const uint8_t*>(bytes.data()) + i * kPrimeRecordSize);
    // A volume is known by its chain: its VolumeRecord is its own.
    auto same = std::find_if(old.begin(), old.end(), [&](const auto& v) { return v && v->record.firstHdr == r.firstHdr; });
    std::unique_ptr<TPrimeRef> ref;
    if (same != old.end()) {
      ref = std::move(*same);
      ref->record = r;
      ref->record.companyName = NormalizeCompanyName(r.companyName);
      ref->storedName = r.companyName;
      ref->recNo = int32_t(i);
    } else {
      ref = std::make_unique<TPrimeRef>(r, this, int32_t(i));
      if (!isOutput_) {
        try {
          ref->volumeName = VolumeNameOf(r.firstHdr);
        } catch (const EInOutError&) {
        }
      }
    }
    AddVolume(std::move(ref));
  }
  if (!hdrWasOpen) CloseHdr();
  for (auto& v : old)
    if (v) retired_.push_back(std::move(v));
}

bool TFileCluster::Holds(const TPrimeRef* ref) const {
  return std::any_of(volumes_.begin(), volumes_.end(), [&](const auto& v) { return v.get() == ref; });
}

TPrimeRecord TFileCluster::FileRecord(const TPrimeRef& ref) const {
  // A library that is read keeps every company name as it was stored; the
  // normalised form is what the windows show. A new output takes the
  // normalised names its volumes were made with.
  TPrimeRecord r = ref.record;
  if (!isOutput_) r.companyName = ref.storedName;
  return r;
}

void TFileCluster::UpdatePrime(TPrimeRef& ref) {
  if (ref.recNo < 0) return AppendPrime(ref);
  if (editing_) {
    auto b = FileRecord(ref).Encode();
    pendingPrime_[ref.recNo] = std::string(b.begin(), b.end());
    return;
  }
  auto f = env_.fs.Open(primePath_, TOpenMode::ReadWrite);
  auto b = FileRecord(ref).Encode();
  f->Write(uint64_t(ref.recNo) * kPrimeRecordSize, b.data(), b.size());
}

void TFileCluster::AppendPrime(TPrimeRef& ref) {
  auto f = env_.fs.Exists(primePath_) ? env_.fs.Open(primePath_, TOpenMode::ReadWrite)
                                      : env_.fs.Open(primePath_, TOpenMode::Create);
  ref.recNo = int32_t(f->Size() / kPrimeRecordSize);
  auto b = FileRecord(ref).Encode();
  f->Write(uint64_t(ref.recNo) * kPrimeRecordSize, b.data(), b.size());
}

// Writes to a temporary file and renames it over the old one, so a crash or
// a full disk never leaves an empty or partial index.
static bool ReplaceWithMessages(TEnv& env, const std::string& path, const std::string& bytes,
                                const std::string& openFailure) {
  const std::string tmp = path + ".tmp~";
  std::unique_ptr<TFile> f;
  try {
    f = env.fs.Open(tmp, TOpenMode::Create);
  } catch (const EInOutError&) {
    env.port.Error(openFailure);
    return false;
  }
  try {
    f->Write(0, bytes.data(), bytes.size());
    f->Sync();
    f.reset();
    env.fs.Rename(tmp, path);
    env.fs.SyncDir(DirPart(path));
  } catch (const EInOutError&) {
    f.reset();
    try {
      env.fs.Remove(tmp);
    } catch (const EInOutError&) {
    }
    env.port.Error("Error in writing out Prime file");
    return false;
  }
  return true;
}

bool TFileCluster::WritePrimeFile(const std::vector<TPrimeRef*>& order, bool withLegacy) {
  // A library that is read is locked while its prime file is replaced, so
  // that a run adding to it meanwhile cannot lose its volumes to the rewrite
  // (an output cluster holds the lock already).
  const bool lockHere = !lock_ && !(hdr_ && hdrWritable_);
  if (lockHere && !ReopenHdrForWrite()) return false;  // it has said why
  struct TRelease {
    TFileCluster& c;
    bool on;
    ~TRelease() {
      if (on) c.CloseHdr();
    }
  } release{*this, lockHere};
  std::string bytes, legacy;
  for (TPrimeRef* ref : order) {
    auto b = FileRecord(*ref).Encode();
    bytes.append(reinterpret_cast<const char*>(b.data()), b.size());
    if (withLegacy) {
      auto l = ref->record.EncodeLegacy();
      legacy.append(reinterpret_cast<const char*>(l.data()), l.size());
    }
  }
  // The chains the prime file leads to are on the disk before it is.
  try {
    if (hdr_) hdr_->Sync();
    else if (lock_) lock_->Sync();
  } catch (const EInOutError&) {
    env_.port.Error("Error in writing out Prime file");
    return false;
  }
  if (!ReplaceWithMessages(env_, primePath_, bytes, "Cannot open prime file on " + dir_)) return false;
  for (size_t i = 0; i < order.size(); ++i) order[i]->recNo = int32_t(i);
  if (withLegacy && !ReplaceWithMessages(env_, legacyPath_, legacy, "Cannot open old prime file on " + dir_)) {
    // The legacy file is a convenience for older readers: the run goes on without it.
  }
  return true;
}

bool TFileCluster::RewriteInOrder(const std::vector<TPrimeRef*>& order) {
  if (!WritePrimeFile(order, false)) return false;
  ReadAll();
  return true;
}

bool TFileCluster::FlushNew() {
  std::vector<TPrimeRef*> order;
  for (auto& v : volumes_) order.push_back(v.get());
  return WritePrimeFile(order, isOutput_ && !compressed_);
}

TPrimeRef* TFileCluster::AddVolume(std::unique_ptr<TPrimeRef> ref) {
  ref->cluster = this;
  if (!sorted_) {
    volumes_.push_back(std::move(ref));
    return volumes_.back().get();
  }
  const std::string key = ref->Key();
  auto at = std::upper_bound(volumes_.begin(), volumes_.end(), key, [](const std::string& k, const auto& v) {
    return CompareNoCase(k, v->Key()) < 0;
  });
  return volumes_.insert(at, std::move(ref))->get();
}

TPrimeRef* TFileCluster::FindVolume(const TPrimeRecord& r) {
  TPrimeRecord probe = r;
  probe.companyName = NormalizeCompanyName(r.companyName);
  const std::string key = VolumeKey(probe);
  for (auto& v : volumes_)
    if (CompareNoCase(v->Key(), key) == 0) return v.get();
  return nullptr;
}

}  // namespace vorne

namespace vorne {

std::string NewerLibraryCopy(TFileSystem& fs, const std::string& root) {
  std::string one = FindNoCase(fs, root, "GZIP1"), two = FindNoCase(fs, root, "GZIP2");
  std::string hdr1 = FindNoCase(fs, one, "GZIPHDR"), hdr2 = FindNoCase(fs, two, "GZIPHDR");
  if (!fs.Exists(hdr1) || !fs.Exists(hdr2)) return "";
  return fs.ModTime(hdr1) >= fs.ModTime(hdr2) ? one : two;
}

}  // namespace vorne
