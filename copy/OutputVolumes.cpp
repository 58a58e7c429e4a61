#include "copy/OutputVolumes.h"

#include <algorithm>
#include <cstring>

#include "store/Common.h"
#include "store/Errors.h"
#include "store/TextWriter.h"
#include "volumes/VolumeList.h"

namespace vorne {

// ---- TOutHdrObject ----------------------------------------------------------------

TOutHdrObject::TOutHdrObject(TFileCluster& cluster, TPrimeRef* stored, const TPrimeRecord& record,
                             const TVolumeBody& volume)
    : cluster_(cluster), volume_(volume) {
  if (stored) {
    prime_ = stored;
  } else {
    TPrimeRecord r = record;
    r.firstHdr = -1;
    pending_ = std::make_unique<TPrimeRef>(r, &cluster, -1);
    prime_ = pending_.get();
  }
  bool ok = false;
  try {
    ok = cluster_.OpenHdr() && cluster_.OpenBuffer() && cluster_.OutBuffer() != nullptr;
  } catch (const EVorneError&) {
    ok = false;
  }
  if (!ok) cluster_.Env().port.Error("Cannot open output files. Closing down");
  opened_ = ok;
}

template <class T>
static std::shared_ptr<T> Listed(TAuxList<T>& list, std::shared_ptr<T> e) {
  int i = list.IndexOfEqual(*e);
  if (i >= 0) return list[size_t(i)];
  e->stored = false;
  e->position = -1;
  list.Add(e);
  return e;
}

std::shared_ptr<T5Entry> TOutHdrObject::AddIssuer(std::shared_ptr<T5Entry> e) { return Listed(issuers_, std::move(e)); }
std::shared_ptr<T6Entry> TOutHdrObject::AddDocket(std::shared_ptr<T6Entry> e) { return Listed(dockets_, std::move(e)); }

void TOutHdrObject::AddStoredIssuer(std::shared_ptr<T5Entry> e) {
  e->stored = true;
  issuers_.Add(std::move(e));
}

void TOutHdrObject::AddStoredDocket(std::shared_ptr<T6Entry> e) {
  e->stored = true;
  dockets_.Add(std::move(e));
}

void TOutHdrObject::StartChain() {
  gathered_.clear();
  linkAt_ = -1;
  if (chainAfter_ < 0) {
    base_ = cluster_.HdrSize();
    prime_->record.firstHdr = Gather(volume_.Encode());  // the new chain
  } else {
    std::optional<THdrRecord> displaced;
    base_ = cluster_.ExtendChain(chainAfter_, displaced);
    linkAt_ = chainAfter_;
    if (displaced) Gather(*displaced);
  }
}

void TOutHdrObject::WriteNewEntries() {
  auto gather = [&](TPosAux& e) {
    e.position = Gather(e.BuildRecord());
    e.stored = true;
    e.modified = false;
  };
  for (const auto& e : issuers_)
    if (!e->stored) gather(*e);
  for (const auto& e : dockets_)
    if (!e->stored) gather(*e);
}

void TOutHdrObject::WriteSheetHeaders(const std::vector<TSheetPtr>& sheets) {
  for (const TSheetPtr& s : sheets) {
    auto issuer = s->Issuer();
    auto docket = s->Docket();
    s->body.issuePos = issuer ? issuer->position : -1;
    s->body.docketPos = docket ? docket->position : -1;
    if (prime_->record.updated < s->body.updDate) prime_->record.updated = s->body.updDate;
    s->position = Gather(s->body.Encode());
  }
}

void TOutHdrObject::EndChain(const std::vector<TSheetPtr>& added, bool writePrime) {
  std::vector<std::string> numbers;
  numbers.reserve(added.size());
  for (const TSheetPtr& s : added) numbers.push_back(s->body.sheetNo);
  ExtendRange(prime_->record, numbers);
  CloseChain(writePrime);
}

int32_t TOutHdrObject::EntryPosition(const TPosAux* e) {
  if (!e) return -1;
  return e->replacement ? e->replacement->position : e->position;
}

void TOutHdrObject::CloseChain(bool writePrime) {
  Gather(EncodeEnd());
  cluster_.WriteHdrRun(base_, gathered_);
  gathered_.clear();
  // Only now that the new records are all written, and on the disk, does
  // the stored chain (or the prime file) lead to them.
  cluster_.SyncHdr();
  cluster_.LinkChain(linkAt_, base_);
  linkAt_ = -1;
  if (pending_) {
    TPrimeRef* ref = cluster_.AddVolume(std::move(pending_));
    prime_ = ref;
    ref->Append();
  } else if (writePrime) {
    prime_->Update();
  }
}

void TOutHdrObject::ClearLists() {
  issuers_ = TAuxList<T5Entry>();
  dockets_ = TAuxList<T6Entry>();
}

std::string TOutHdrObject::Describe() const {
  return std::to_string(New) + ", " + std::to_string(Old) + ", " + std::to_string(Replaced) + ", " +
         std::to_string(Added) + ", " + std::to_string(TotalOut);
}

// ---- TNewHdrObject ----------------------------------------------------------------

// Titles compare without regard to ASCII letter case.
static char TitleUpper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

// Eight title bytes with their ASCII lower-case letters made upper case, all
// at once: a key is made for every imported sheet.
static uint64_t UpperAscii8(uint64_t x) {
  constexpr uint64_t kOnes = 0x0101010101010101ull;
  constexpr uint64_t kHigh = 0x8080808080808080ull;
  const uint64_t low7 = x & ~kHigh;
  const uint64_t fromA = low7 + (0x80 - 'a') * kOnes;     // high bit: byte >= 'a'
  const uint64_t pastZ = low7 + (0x80 - 'z' - 1) * kOnes;  // high bit: byte > 'z'
  const uint64_t letters = fromA & ~pastZ & ~x & kHigh;    // and below 0x80
  return x - (letters >> 2);                               // 0x80 >> 2 is the case bit
}

uint64_t TNewHdrObject::TitleKey(std::string_view t) {
  uint64_t h = 0x9E3779B97F4A7C15ull ^ t.size();
  auto mix = [&h](uint64_t x) {
    h = (h ^ UpperAscii8(x)) * 0xFF51AFD7ED558CCDull;
    h ^= h >> 32;
  };
  size_t i = 0;
  for (; i + 8 <= t.size(); i += 8) {
    uint64_t x;
    std::memcpy(&x, t.data() + i, 8);
    mix(x);
  }
  if (i < t.size()) {
    uint64_t x = 0;
    std::memcpy(&x, t.data() + i, t.size() - i);
    mix(x);
  }
  return h;
}

static bool SameTitle(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (TitleUpper(a[i]) != TitleUpper(b[i])) return false;
  return true;
}

void TNewHdrObject::IndexTitle(uint64_t hash, uint32_t sheet) {
  const size_t mask = titleSlots_.size() - 1;
  size_t i = size_t(hash) & mask;
  while (titleSlots_[i].sheet != 0) i = (i + 1) & mask;
  titleSlots_[i] = TSlot{hash, sheet};
}

void TNewHdrObject::AddSheet(std::string_view title, uint64_t key, const TSheetBody& body, const T5Entry* issuer,
                             const T6Entry* docket) {
  TListedSheet& s = sheets_.emplace_back();
  s.record = body.Encode();
  const std::string_view no = std::string_view(body.sheetNo).substr(0, 8);
  s.sheetNo.fill(' ');
  std::copy(no.begin(), no.end(), s.sheetNo.begin());
  s.updDate = body.updDate;
  s.issuer = issuer;
  s.docket = docket;
  s.titleAt = uint32_t(titles_.size());
  s.titleLength = uint32_t(title.size());
  titles_.append(title);
  ++New;
  // Kept at most half full, so that probing stays short.
  if (sheets_.size() * 2 > titleSlots_.size()) {
    std::vector<TSlot> old(std::max<size_t>(64, titleSlots_.size() * 2));
    old.swap(titleSlots_);
    for (const TSlot& slot : old)
      if (slot.sheet != 0) IndexTitle(slot.hash, slot.sheet);
  }
  IndexTitle(key, uint32_t(sheets_.size()));
}

bool TNewHdrObject::HoldsTitle(std::string_view title, uint64_t hash) const {
  if (titleSlots_.empty()) return false;
  const size_t mask = titleSlots_.size() - 1;
  for (size_t i = size_t(hash) & mask; titleSlots_[i].sheet != 0; i = (i + 1) & mask) {
    const TSlot& slot = titleSlots_[i];
    if (slot.hash == hash && SameTitle(Title(sheets_[slot.sheet - 1]), title)) return true;
  }
  return false;
}

void TNewHdrObject::AdoptStorage(TStorage&& storage) {
  if (!sheets_.empty()) return;  // a list in use keeps its own
  sheets_ = std::move(storage.sheets);
  titles_ = std::move(storage.titles);
  titleSlots_ = std::move(storage.titleSlots);
  DropSheets();
}

TNewHdrObject::TStorage TNewHdrObject::ReleaseStorage() {
  DropSheets();
  return TStorage{std::move(sheets_), std::move(titles_), std::move(titleSlots_)};
}

void TNewHdrObject::DropSheets() {
  sheets_.clear();
  titles_.clear();
  // Emptied, not freed: the next volume indexes into the same slots.
  std::fill(titleSlots_.begin(), titleSlots_.end(), TSlot{});
}

size_t TNewHdrObject::Complete() {
  const size_t n = sheets_.size();
  if (n > 0 && opened_) {
    // Pages of these sheets still in the writer's window go to disk before
    // any record points at them; a failed flush adds none of them.
    OutDataBuffer* out = cluster_.OutBuffer();
    if (out && !out->FlushToDisk()) {
      DropSheets();
      ClearLists();
      return 0;
    }
    // Texts compressed ahead get their final places now that they are written;
    // one lost with a failed write loses the volume's sheets, as that write does.
    for (size_t i = 0; out && i < n; ++i) {
      TSheetBody body = TSheetBody::Decode(sheets_[i].record);
      std::optional<TTextPos> settled = out->Settled(body.text);
      if (!settled) {
        DropSheets();
        ClearLists();
        return 0;
      }
      if (*settled == body.text) continue;
      body.text = *settled;
      sheets_[i].record = body.Encode();
    }
    StartChain();
    WriteNewEntries();
    // The SheetRecords as the copy engine writes them, and the range of
    // their numbers in the same pass.
    gathered_.reserve(gathered_.size() + n + 1);
    std::string_view low = sheets_.front().SheetNo(), high = low;
    TSheetNoView lowNo = SplitSheetNo(low), highNo = lowNo;
    for (TListedSheet& s : sheets_) {
      TSheetBody::EncodeLinks(s.record, EntryPosition(s.issuer), EntryPosition(s.docket));
      if (prime_->record.updated < s.updDate) prime_->record.updated = s.updDate;
      Gather(s.record);
      const TSheetNoView no = SplitSheetNo(s.SheetNo());
      if (CompareSheetNo(no, lowNo) < 0) low = s.SheetNo(), lowNo = no;
      if (CompareSheetNo(no, highNo) > 0) high = s.SheetNo(), highNo = no;
    }
    ExtendRange(prime_->record, n, std::string(low), std::string(high));
    CloseChain();
    Added += int32_t(n);
    TotalOut = int32_t(prime_->record.sheetCount);
  }
  DropSheets();
  ClearLists();
  return n;
}

// ---- TToDisplay ---------------------------------------------------------------------------

const std::array<const char*, 7>& TToDisplay::ColumnNames() {
  static const std::array<const char*, 7> kNames = {"Company Name", "Tariff Volume", "ID", "sheets",
                                                    "From",         "To",            "Updated"};
  return kNames;
}

void TToDisplay::SetOutput(TFileCluster& cluster) {
  rows_.clear();
  writeFailed_ = false;
  out_ = &cluster;
  if (copyLog_.empty()) copyLog_.push_back(kCopyLogHeader);
  caption_ = cluster.Dir();
  for (const auto& v : cluster.Volumes()) UpdateRow(AddVolumeRow(v->record), v->record);
  std::stable_sort(rows_.begin(), rows_.end(),
                   [](const TOutRow& a, const TOutRow& b) { return CompareNoCase(a.key, b.key) < 0; });
  Changed();
}

size_t TToDisplay::AddVolumeRow(const TPrimeRecord& r) {
  TOutRow row;
  row.caption = NormalizeCompanyName(r.companyName);
  row.columns[0] = RevisionWord(r.volRevNo) + " Vol " + r.volId;
  row.columns[1] = ZeroPad(r.companyCode, 6);
  row.key = VolumeKey(r);
  rows_.push_back(std::move(row));
  return rows_.size() - 1;
}

void TToDisplay::UpdateRow(size_t i, const TPrimeRecord& r) {
  if (i >= rows_.size()) return;
  TOutRow& row = rows_[i];
  row.columns[2] = std::to_string(r.sheetCount);
  row.columns[3] = StripLead(r.fromSheet);
  row.columns[4] = StripLead(r.toSheet);
  row.columns[5] = UpdatedText(r.updated);
}

void TToDisplay::RemoveRow(size_t i) {
  if (i < rows_.size()) rows_.erase(rows_.begin() + std::ptrdiff_t(i));
  Changed();
}

int TToDisplay::FindRow(const std::string& key) const {
  for (size_t i = 0; i < rows_.size(); ++i)
    if (CompareNoCase(rows_[i].key, key) == 0) return int(i);
  return -1;
}

std::string TToDisplay::ListText() const {
  std::string text;
  for (const TOutRow& r : rows_) {
    text += r.caption;
    for (const std::string& c : r.columns) text += "\t" + c;
    text += "\n";
  }
  return text;
}

}  // namespace vorne
