// The copy engine: CopyVolume of the output-volume window, the incoming list
// of TCopyHdrObject, the copy log and the batch file of a split output.
#include <algorithm>
#include <cstdio>
#include <set>

#include "copy/CopyErrors.h"
#include "copy/CopyHdr.h"
#include "copy/OutputVolumes.h"
#include "platform/Paths.h"
#include "store/Common.h"
#include "store/Errors.h"
#include "store/Prime.h"
#include "store/TextReader.h"
#include "store/TextWriter.h"
#include "volumes/HtmlIncludes.h"
#include "volumes/VolumeList.h"

namespace vorne {

// ---- TCopyHdrObject -----------------------------------------------------------------

void TCopyHdrObject::Load(THdrList& selected) {
  TNamedSheets names;
  TAuxList<T5Entry> issuers;
  TAuxList<T6Entry> dockets;
  {
    // Titles are read here rather than by FillNames so that each sheet's
    // pages can be kept from the same read.
    TFileCluster& source = selected.Cluster();
    const bool bufferWasOpen = source.BufferOpen();
    // Without its text no sheet is offered, as FillNames does.
    if (bufferWasOpen || source.OpenBuffer()) try {
      selected.FillSheets(names, issuers, dockets);
      TBusy busy(source.Env().port);
      TDataBuffer* buffer = source.Buffer();
      // Room for every sheet's pages up to the budget at once: no copying as
      // the store grows, and never more than the budget held.
      size_t wanted = 0;
      for (const auto& [title, sheet] : names) wanted += size_t(sheet->body.text.pageCount) * kPageSize;
      keptBytes_.reserve(std::min(wanted, kKeptPagesBudget));
      for (auto& [title, sheet] : names) {
        const TTextPos& text = sheet->body.text;
        const size_t want = text.pageCount > 0 ? size_t(text.pageCount) * kPageSize : 0;
        if (keptBytes_.size() + want > kKeptPagesBudget) {
          title = SheetName(*sheet, buffer);
          continue;
        }
        const size_t at = keptBytes_.size();
        title = SheetNameKeepingPages(*sheet, buffer, keptBytes_);
        if (keptBytes_.size() > at) kept_[sheet.get()] = {at, keptBytes_.size() - at};
      }
      if (!bufferWasOpen) source.CloseBuffer();
    } catch (...) {
      if (!bufferWasOpen) source.CloseBuffer();
      throw;
    }
  }
  SetVolumeRecord(TVolumeBody::Decode(selected.VolumeRecord()));
  for (auto& [title, sheet] : names) {
    // A sheet without a record in its source keeps -1: its placeholder is
    // never listed, so never written.
    if (sheet->body.issuePos >= 0) sheet->AttachIssuer(AddIssuer(sheet->Issuer()));
    if (sheet->body.docketPos >= 0)
      sheet->AttachDocket(AddDocket(sheet->Docket()));
    else
      noDocket_.insert(sheet.get());
    ++New;
  }
  std::stable_sort(names.begin(), names.end(),
                   [](const auto& a, const auto& b) { return CompareNoCase(a.first, b.first) < 0; });
  incoming_ = std::move(names);
}

std::span<const uint8_t> TCopyHdrObject::KeptPages(const TSheet& s) const {
  auto it = kept_.find(&s);
  if (it == kept_.end()) return {};
  return {keptBytes_.data() + it->second.first, it->second.second};
}

void TCopyHdrObject::DropKeptPages() {
  kept_.clear();
  std::vector<uint8_t>().swap(keptBytes_);
}

int TCopyHdrObject::Find(const std::string& title, uint16_t filingDate) const {
  auto first = std::lower_bound(incoming_.begin(), incoming_.end(), title,
                                [](const auto& e, const std::string& t) { return CompareNoCase(e.first, t) < 0; });
  int found = -1;
  for (auto it = first; it != incoming_.end() && CompareNoCase(it->first, title) == 0; ++it) {
    if (found < 0) found = int(it - incoming_.begin());
    if (it->second->body.filingDate == filingDate) return int(it - incoming_.begin());
  }
  return found;
}

// ---- TToDisplay: copying ---------------------------------------------------------------

TToDisplay::TToDisplay() = default;
TToDisplay::~TToDisplay() = default;

std::chrono::steady_clock::time_point TToDisplay::Now() const {
  return clock_ ? clock_() : std::chrono::steady_clock::now();
}

void TToDisplay::ListNewVolumes() {
  if (!out_) return;
  for (const auto& v : out_->Volumes()) {
    const int row = FindRow(v->Key());
    UpdateRow(row < 0 ? AddVolumeRow(v->record) : size_t(row), v->record);
  }
  Changed();
}

namespace {

// A sheet header written over a stored one once the merge's records are out.
struct TReplacement {
  int32_t pos;
  TSheetBody stored;
  TSheetPtr incoming;
};

std::string DocketText(const TDocketBody& body) { return TrimRight(FormatDocket(body)); }

// Names the sheets of a volume whose text could not be written.
void ReportNotCopied(TEnv& env, const std::string& volumeTitle, const std::vector<std::string>& keys) {
  if (keys.empty()) return;
  std::string list;
  for (const std::string& k : keys) list += (list.empty() ? "" : ", ") + k;
  env.port.Error("The text file could not be written: " + std::to_string(keys.size()) + " sheets of " + volumeTitle +
                 " were not copied (" + list + ")");
}

std::string KeyOf(const TSheetPtr& s) { return TrimBoth(MakeSheetKey(s->body.sheetNo)); }

// Copies the texts of the sheets, then writes their records after the
// volume's chain (new or stored). Sheets whose text cannot be copied are left
// out, with a message. Returns the sheets written. A stored volume's prime
// record is left for the caller when writePrime is false.
//
// A failed write of the text file loses the writer's window, and with it the
// pages of the sheets copied since its last good flush: those sheets are left
// out too, so that no record points at text that is not there, and nothing
// more is tried (writeFailed is set: a disk that refused these pages refuses
// the next ones).
std::vector<TSheetPtr> AppendSheets(TCopyHdrObject& hdr, TPrimeRef& source, const std::vector<TSheetPtr>& sheets,
                                    const std::set<const TPosAux*>& needed, const std::string& volumeTitle,
                                    bool& writeFailed, bool writePrime = true) {
  TFileCluster& out = hdr.Cluster();
  TEnv& env = out.Env();
  std::vector<TSheetPtr> copied;
  if (!sheets.empty()) {
    TFileCluster& in = *source.cluster;
    const bool wasOpen = in.BufferOpen();
    if (!wasOpen && !in.OpenBuffer()) return copied;
    OutDataBuffer* ob = out.OutBuffer();
    std::vector<std::string> lost;
    auto key = KeyOf;
    // A failed write loses the window's pages, which started at CurrentPos(),
    // and every block handed to the pool after the failed one (their
    // provisional positions never settle): the sheets in them go with them.
    auto dropUnwritten = [&] {
      writeFailed = true;
      const int64_t kept = ob->CurrentPos();
      auto gone = std::stable_partition(copied.begin(), copied.end(), [&](const TSheetPtr& s) {
        return s->body.text.dbfPos < 0 ? ob->Settled(s->body.text).has_value() : s->body.text.dbfPos < kept;
      });
      for (auto it = gone; it != copied.end(); ++it) lost.push_back(key(*it));
      copied.erase(gone, copied.end());
    };
    // Blocks are compressed on the pool; the positions settle at the flush.
    if (ob) ob->CompressAhead(true);
    try {
      for (const TSheetPtr& s : sheets) {
        if (writeFailed) {
          lost.push_back(key(s));
          continue;
        }
        const int failures = ob ? ob->Failures() : 0;
        const std::span<const uint8_t> kept = hdr.KeptPages(*s);
        std::optional<TTextPos> pos;
        try {
          pos = !ob             ? std::nullopt
                : !kept.empty() ? ob->WritePages(kept)
                                : CopyText(*s, *in.Buffer(), *ob);
        } catch (const EDiskOverrun& e) {
          env.port.Error(e.what());
        }
        if (ob && ob->Failures() != failures) {
          dropUnwritten();
          lost.push_back(key(s));
          continue;
        }
        if (!pos) {
          env.port.Error("The text of " + MakeSheetKey(s->body.sheetNo) + " could not be copied; the sheet is left out");
          continue;
        }
        s->body.text = *pos;
        copied.push_back(s);
        env.port.ProcessEvents();
      }
    } catch (...) {
      if (!wasOpen) in.CloseBuffer();
      throw;
    }
    if (!wasOpen) in.CloseBuffer();
    hdr.DropKeptPages();
    // The pages go to the disk before any record points at them.
    if (!copied.empty() && !writeFailed) {
      bool flushed = false;
      try {
        flushed = ob && ob->FlushToDisk();
      } catch (const EDiskOverrun& e) {
        env.port.Error(e.what());
      }
      if (!flushed) {
        dropUnwritten();
        // A disk that could not say its pages are there keeps none of them.
        for (const TSheetPtr& s : copied) lost.push_back(key(s));
        copied.clear();
      }
    }
    // Every kept sheet's block is written now: its position is final.
    for (const TSheetPtr& s : copied)
      if (std::optional<TTextPos> settled = ob->Settled(s->body.text)) s->body.text = *settled;
    ReportNotCopied(env, volumeTitle, lost);
  }
  // A new volume none of whose sheets could be copied never enters the cluster.
  if (!sheets.empty() && copied.empty() && needed.empty()) return copied;
  // Only the entries the written records use get records of their own.
  std::set<const TPosAux*> use = needed;
  for (const TSheetPtr& s : copied) {
    use.insert(s->Issuer().get());
    use.insert(s->Docket().get());
  }
  for (const auto& e : hdr.Issuers())
    if (!e->stored && !use.count(e.get())) e->stored = true;
  for (const auto& e : hdr.Dockets())
    if (!e->stored && !use.count(e.get())) e->stored = true;
  hdr.StartChain();
  hdr.WriteNewEntries();
  hdr.WriteSheetHeaders(copied);
  hdr.EndChain(copied, writePrime);
  return copied;
}

}  // namespace

bool TToDisplay::CopyVolume(TPrimeRef& source, THdrList& selected, TCopyErrors& dups,
                            std::chrono::steady_clock::time_point start) {
  if (!out_) return false;
  TFileCluster& out = *out_;
  TEnv& env = out.Env();
  dups.SetVolume(source.DisplayLine());
  if (selected.VersionCount() == 0) return true;  // nothing offered: nothing written, no log line

  TPrimeRef* stored = out.FindVolume(source.record);
  int row = -1;
  if (stored) {
    row = FindRow(stored->Key());
    if (row < 0) {
      env.port.Error(kPrimeSearchError);
      return false;
    }
  }
  TCopyHdrObject hdr(out, stored, NewVolumeRecord(source.record), TVolumeBody{});
  if (!hdr.Opened()) return false;
  modelabel_ = stored ? "Merging" : "Adding";
  Changed();
  hdr.Load(selected);

  bool ok = true;
  if (!stored) {
    std::vector<TSheetPtr> sheets;
    for (const auto& [t, s] : hdr.Incoming()) sheets.push_back(s);
    hdr.New = int32_t(sheets.size());
    sheetStatus_ = "Adding " + std::to_string(sheets.size());
    std::vector<TSheetPtr> copied = AppendSheets(hdr, source, sheets, {}, source.DisplayLine(), writeFailed_);
    hdr.Added = hdr.TotalOut = int32_t(copied.size());
    ok = copied.size() == sheets.size();
    if (copied.empty()) {
      hdr.ClearLists();
      return false;  // the new volume never entered the cluster
    }
    row = int(AddVolumeRow(hdr.Prime().record));
  } else {
    // The stored titles are read from the file itself: pages still in the
    // writer's window go to disk first.
    OutDataBuffer* ob = out.OutBuffer();
    if (!ob) return false;
    bool flushed = false;
    try {
      flushed = !writeFailed_ && ob->Flush();
    } catch (const EDiskOverrun& e) {
      env.port.Error(e.what());
    }
    if (!flushed) {
      // The disk refused the text file: nothing of this volume is copied.
      writeFailed_ = true;
      std::vector<std::string> keys;
      for (const auto& [t, s] : hdr.Incoming()) keys.push_back(KeyOf(s));
      ReportNotCopied(env, source.DisplayLine(), keys);
      hdr.ClearLists();
      return false;
    }
    std::unique_ptr<TDataBuffer> reader = TDataBuffer::Create(env, out.TextPath(), out.IsCompressed());
    std::vector<TReplacement> replacements;
    std::vector<std::shared_ptr<T6Entry>> storedDockets;
    int32_t endPos = -1;
    const std::string volumeTitle = source.DisplayLine();

    // Whether the replacement of S by I may go ahead; confirms I's docket
    // entry when the stored docket record carries the same docket.
    auto docketCheck = [&](const TSheetBody& s, const TSheetPtr& in, const std::string& title) {
      std::shared_ptr<T6Entry> e = hdr.HasDocket(*in) ? in->Docket() : nullptr;
      if (e && e->stored) return true;
      THdrRecord r;
      if (s.docketPos < 0 || !out.ReadHdrKeepingPlace(s.docketPos, r) || r[0] != kDocketRecord) {
        if (env.port.Ask("Old Sheet " + title + " is missing its type 6 record", TButtons::OKCancelAbort) !=
            TAnswer::OK) {
          hdr.cancel = true;
          if (onNote) onNote("stopped merging " + volumeTitle + " at sheet " + title + ": the stored sheet is kept");
        }
        return false;
      }
      const TDocketBody storedDocket = TDocketBody::Decode(r);
      if (e && DocketText(storedDocket) == DocketText(e->body)) {
        e->MarkStored(s.docketPos);
        return true;
      }
      if (env.port.Ask("Sheet " + title + "\ndoes not match dockets", TButtons::OKCancelAbort) == TAnswer::OK)
        return true;
      hdr.cancel = true;
      if (onNote) onNote("stopped merging " + volumeTitle + " at sheet " + title + ": the stored sheet is kept");
      return false;
    };

    auto compare = [&](int32_t pos, const TSheetBody& s) {
      TSheet probe(s, stored, pos);
      const std::string title = SheetName(probe, reader && reader->IsOpen() ? reader.get() : nullptr);
      ++hdr.Old;
      const int i = hdr.Find(title, s.filingDate);
      if (i < 0) return;
      TSheetPtr in = hdr.Incoming()[size_t(i)].second;
      bool replace = false;
      if (MakeSheetKey(s.sheetNo) == "       0") {
        replace = in->body.filingDate == s.filingDate && docketCheck(s, in, title);
      } else if (in->body.status <= kEffective &&
                 (in->body.updDate > s.updDate || in->body.status < s.status)) {
        replace = docketCheck(s, in, title);
      } else if (in->body.filingDate != s.filingDate) {
        try {
          THdrRecord r;
          std::string usedIn = "missing type 6 record";
          if (s.docketPos >= 0 && out.ReadHdrKeepingPlace(s.docketPos, r) && r[0] == kDocketRecord)
            usedIn = DocketText(TDocketBody::Decode(r));
          dups.ReportDocket(hdr.HasDocket(*in) ? DocketText(in->Docket()->body) : "");
          dups.ReportSheet(title);
          dups.ReportUsedIn(usedIn);
        } catch (const EVorneError&) {
          env.port.Error(title + " is a doppelganger, error recording it");
        }
      }
      hdr.Remove(size_t(i));
      if (replace) {
        replacements.push_back({pos, s, in});
        ++hdr.Replaced;
      }
    };

    out.WalkChain(
        *stored,
        [&](int32_t n, const THdrRecord& r) {
          switch (r[0]) {
            case kVolumeRecord:
              hdr.SetVolumeRecord(TVolumeBody::Decode(r));
              break;
            case kIssuerRecord: {
              auto e = T5Entry::FromRecord(r, n);
              hdr.Issuers().Adopt(*e);  // an equal new issuer reuses the stored record
              hdr.AddStoredIssuer(e);
              break;
            }
            case kDocketRecord:
              storedDockets.push_back(T6Entry::FromRecord(r, n));
              hdr.AddStoredDocket(storedDockets.back());
              break;
            case kEndRecord:
              endPos = n;
              break;
            case kSheetRecord: {
              TSheetBody s = TSheetBody::Decode(r);
              if (s.status != kDeleted) compare(n, s);
              env.port.ProcessEvents();
              break;
            }
            default:
              break;
          }
          return !hdr.cancel;
        },
        false);
    reader.reset();
    // Now that every docket check is done, incoming dockets equal to a stored
    // record use it instead of a record of their own.
    for (const auto& d : storedDockets) hdr.Dockets().Adopt(*d);

    std::vector<TSheetPtr> left;
    if (!hdr.cancel)
      for (const auto& [t, s] : hdr.Incoming()) left.push_back(s);
    std::set<const TPosAux*> needed;
    for (const TReplacement& x : replacements)
      if (hdr.HasDocket(*x.incoming) && !x.incoming->Docket()->stored) needed.insert(x.incoming->Docket().get());
    sheetStatus_ = std::to_string(left.size()) + " added, " + std::to_string(hdr.Replaced) + " replaced";
    std::vector<TSheetPtr> copied;
    if (!left.empty() || !needed.empty()) {
      if (endPos < 0) {
        env.port.Error("The stored chain of " + volumeTitle + " has no end record; its sheets are not added");
        ok = false;
      } else {
        hdr.AppendAfter(endPos);
        copied = AppendSheets(hdr, source, left, needed, volumeTitle, writeFailed_, false);
        ok = copied.size() == left.size();
      }
    }
    hdr.Added = int32_t(copied.size());
    // Each replacement is one record written in place, after the records it
    // may point at (a new docket record) are out; the prime record comes last.
    for (const TReplacement& x : replacements) {
      TSheetBody b = x.incoming->body;
      b.text = x.stored.text;
      b.issuePos = x.stored.issuePos;
      std::shared_ptr<T6Entry> d = hdr.HasDocket(*x.incoming) ? x.incoming->Docket() : nullptr;
      // A docket that could not be written leaves the stored pointer in place.
      b.docketPos = !d ? -1 : d->position >= 0 ? d->position : x.stored.docketPos;
      out.WriteHdr(x.pos, b.Encode());
      // The volume counts as updated when a sheet of it was.
      if (hdr.Prime().record.updated < b.updDate) hdr.Prime().record.updated = b.updDate;
    }
    if (!copied.empty() || !replacements.empty()) hdr.Prime().Update();
    hdr.TotalOut = hdr.Old + hdr.Added;
    if (hdr.cancel) ok = false;
  }
  hdr.ClearLists();
  UpdateRow(size_t(row), hdr.Prime().record);
  AddLogLine(source.record, hdr, Now() - start);
  Changed();
  return ok;
}

void TToDisplay::AddLogLine(const TPrimeRecord& source, const TOutHdrObject& hdr,
                            std::chrono::steady_clock::duration spent) {
  if (copyLog_.empty()) copyLog_.push_back(kCopyLogHeader);
  const long secs = long(std::chrono::duration_cast<std::chrono::seconds>(spent).count());
  char time[32];
  std::snprintf(time, sizeof time, "%02ld,%02ld,%02ld", secs / 3600, secs / 60 % 60, secs % 60);
  copyLog_.push_back("\"" + NormalizeCompanyName(source.companyName) + "\",\"" + ShortVolumeLabel(source) +
                     "\"," + hdr.Describe() + ", " + time);
  if (out_) {
    try {
      SaveTextLines(out_->Env(), JoinPath(StripTrailingSep(out_->Dir()), kCopyLogName), copyLog_);
    } catch (const EInOutError& e) {
      out_->Env().port.Error(e.what());
    }
  }
}

bool TToDisplay::WriteZipBatch(TFromDisplay& volumeList) {
  if (!out_) return false;
  TEnv& env = out_->Env();
  std::vector<TOutRow> rows = rows_;
  std::stable_sort(rows.begin(), rows.end(),
                   [](const TOutRow& a, const TOutRow& b) { return CompareNoCase(a.caption, b.caption) < 0; });
  std::vector<std::string> lines{"Echo off"};
  std::string previous;
  for (const TOutRow& r : rows) {
    if (r.columns[1] == previous) continue;
    previous = r.columns[1];
    lines.push_back("call zippit " + r.columns[1] + " " + r.caption);
  }
  const std::string base = out_->Base();
  try {
    SaveTextLines(env, JoinPath(base, kZipBatchName), lines);
  } catch (const EInOutError& e) {
    env.port.Error(e.what());
    return false;
  }
  // Each split copy makes its page anew (it is saved at once): a second copy
  // must not carry the first one's page along.
  if (includes_)
    *includes_ = TIncludes();
  else
    includes_ = std::make_unique<TIncludes>();
  includes_->SetFolder(base);
  includes_->Go(volumeList);
  wheresaved_ = JoinPath(base, "index.htm");
  Changed();
  return true;
}

}  // namespace vorne
