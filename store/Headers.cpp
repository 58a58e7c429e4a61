#include "store/Headers.h"

#include <algorithm>
#include <unordered_set>

#include "store/Cluster.h"
#include "store/Common.h"
#include "store/Errors.h"
#include "store/TextReader.h"

namespace vorne {

THdrList::THdrList(TPrimeRef& volume, const TSheetFilter* filter)
    : volume_(volume), cluster_(*volume.cluster), filter_(filter) {}

bool THdrList::AcceptSheet(const TSheetBody& body) const { return !filter_ || filter_->AcceptSheet(body); }
bool THdrList::AcceptDocket(const TDocketBody& body) const { return !filter_ || filter_->AcceptDocket(body); }

int32_t THdrList::Load() {
  endPos_ = -1;
  TBusy busy(cluster_.Env().port);
  const bool hdrWasOpen = cluster_.HdrOpen();
  if (!cluster_.OpenHdr()) return -1;
  const int32_t first = cluster_.GetVolumeRecord(volume_, volumeRecord_);
  if (first < 0) return -1;
  int32_t end = -1;
  // The first entry at a position is the one found, as IndexOfPos finds it.
  issuerAt_.clear();
  docketAt_.clear();
  for (size_t i = 0; i < issuers_.Count(); ++i) issuerAt_.emplace(issuers_[i]->position, i);
  for (size_t i = 0; i < dockets_.Count(); ++i) docketAt_.emplace(dockets_[i]->position, i);
  bool walked = cluster_.WalkChain(volume_, [&](int32_t n, const THdrRecord& rec) {
    switch (rec[0]) {
      case kSheetRecord:
        AddSheet(TSheetBody::Decode(rec), n);
        break;
      case kIssuerRecord:
        AddIssuer(T5Entry::FromRecord(rec, n));
        break;
      case kDocketRecord:
        if (AcceptDocket(TDocketBody::Decode(rec)) && !docketAt_.count(n)) AddDocket(T6Entry::FromRecord(rec, n));
        break;
      case kEndRecord:
        end = n;
        break;
      default:
        break;
    }
    return true;
  });
  if (!hdrWasOpen) cluster_.CloseHdr();
  nameCache_.clear();
  if (walked) endPos_ = end;
  return endPos_;
}

std::string THdrList::NameOf(const TSheet& sheet) {
  for (auto& [s, name] : nameCache_)
    if (s == &sheet) return name;
  nameCache_.emplace_back(&sheet, SheetName(const_cast<TSheet&>(sheet), cluster_.Buffer()));
  return nameCache_.back().second;
}

void THdrList::AddIssuer(std::shared_ptr<T5Entry> e) {
  issuerAt_.emplace(e->position, issuers_.Count());
  issuers_.Add(std::move(e));
}

void THdrList::AddDocket(std::shared_ptr<T6Entry> e) {
  docketAt_.emplace(e->position, dockets_.Count());
  dockets_.Add(std::move(e));
}

void THdrList::AddSheet(const TSheetBody& body, int32_t n) {
  if (!AcceptSheet(body)) return;
  std::shared_ptr<T6Entry> docket;
  if (auto d = docketAt_.find(body.docketPos); d != docketAt_.end()) {
    docket = dockets_[d->second];
  } else {
    docket = ReadEntry6(cluster_, body.docketPos);
    if (!AcceptDocket(docket->body)) return;
    AddDocket(docket);
  }
  docket->lastFilingDate = body.filingDate;
  docket->lastOrderType = body.orderType;
  std::shared_ptr<T5Entry> issuer;
  if (auto i = issuerAt_.find(body.issuePos); i != issuerAt_.end()) {
    issuer = issuers_[i->second];
  } else {
    issuer = ReadEntry5(cluster_, body.issuePos);
    AddIssuer(issuer);
  }
  auto sheet = std::make_shared<TSheet>(body, &volume_, n);
  sheet->AttachDocket(docket);
  sheet->AttachIssuer(issuer);

  const std::string key = MakeSheetKey(body.sheetNo);
  // Chains mostly run in sheet order: a key past the last group needs no search.
  auto g = !groups_.empty() && groups_.back().key < key
               ? groups_.end()
               : std::lower_bound(groups_.begin(), groups_.end(), key,
                                  [](const TGroup& grp, const std::string& k) { return grp.key < k; });
  if (g == groups_.end() || g->key != key) {
    groups_.insert(g, TGroup{key, {sheet}});
    latestUpdate_ = std::max(latestUpdate_, body.updDate);
    return;
  }
  // Past the versions that come first; among equal-order versions, past any
  // duplicate of the new sheet, which then stands right after it.
  auto& versions = g->versions;
  size_t at = 0;
  bool duplicate = false;
  while (at < versions.size()) {
    int c = CompareVersions(*versions[at], *sheet);
    if (c < 0) {
      ++at;
      continue;
    }
    if (c > 0) break;
    duplicate = IsDuplicateVersion(*versions[at], NameOf(*versions[at]), *sheet, NameOf(*sheet));
    ++at;
    if (duplicate) break;
  }
  versions.insert(versions.begin() + long(at), sheet);
  if (!duplicate) latestUpdate_ = std::max(latestUpdate_, body.updDate);
}

void THdrList::FillNames(TNamedSheets& names, TAuxList<T5Entry>& issuers, TAuxList<T6Entry>& dockets) {
  Fill(names, issuers, dockets, true);
}

void THdrList::FillSheets(TNamedSheets& sheets, TAuxList<T5Entry>& issuers, TAuxList<T6Entry>& dockets) {
  Fill(sheets, issuers, dockets, false);
}

void THdrList::Fill(TNamedSheets& names, TAuxList<T5Entry>& issuers, TAuxList<T6Entry>& dockets,
                    bool withNames) {
  TEnv& env = cluster_.Env();
  TBusy busy(env.port);
  const bool bufferWasOpen = cluster_.BufferOpen();
  if (withNames && !bufferWasOpen && !cluster_.OpenBuffer()) return;
  const std::string volumeName = TVolumeBody::Decode(volumeRecord_).volumeName;
  // Each entry goes in once; a volume shares few entries among many sheets.
  std::unordered_set<const T5Entry*> seenIssuers;
  std::unordered_set<const T6Entry*> seenDockets;
  for (const auto& e : issuers) seenIssuers.insert(e.get());
  for (const auto& e : dockets) seenDockets.insert(e.get());
  auto closeOwnBuffer = [&] {
    if (withNames && !bufferWasOpen) cluster_.CloseBuffer();
  };
  try {
    names.reserve(names.size() + VersionCount());
    // Neighbouring sheets mostly share their entries: those skip the sets.
    const T5Entry* lastIssuer = nullptr;
    const T6Entry* lastDocket = nullptr;
    bool first = true;
    for (TGroup& g : groups_) {
      for (TSheetPtr& s : g.versions) {
        s->volumeName = volumeName;
        names.emplace_back(withNames ? SheetName(*s, cluster_.Buffer()) : std::string(), s);
        env.port.ProcessEvents();
        if (auto issuer = s->Issuer(); first || issuer.get() != lastIssuer) {
          lastIssuer = issuer.get();
          if (seenIssuers.insert(lastIssuer).second) issuers.Add(issuer);
        }
        if (auto docket = s->Docket(); first || docket.get() != lastDocket) {
          lastDocket = docket.get();
          if (seenDockets.insert(lastDocket).second) dockets.Add(docket);
        }
        first = false;
      }
    }
  } catch (...) {
    closeOwnBuffer();
    throw;
  }
  closeOwnBuffer();
}

size_t THdrList::VersionCount() const {
  size_t n = 0;
  for (const TGroup& g : groups_) n += g.versions.size();
  return n;
}

bool THdrList::VerifyNames(std::vector<std::string>& lines) {
  bool ok = true;
  try {
    Load();
    // The names come from the sheets' text, so the buffer stays open for them.
    const bool bufferWasOpen = cluster_.BufferOpen();
    if (!bufferWasOpen && !cluster_.OpenBuffer()) {
      lines.push_back("Unzip failed");
      return false;
    }
    for (const TGroup& g : groups_) {
      for (const TSheetPtr& s : g.versions) {
        std::string name = SheetName(*s, cluster_.Buffer());
        if (!NameMatches(*s, name)) {
          ok = false;
          lines.push_back(s->body.sheetNo + ":" + std::to_string(s->body.revNo) + "; " + name);
        }
      }
    }
    if (!bufferWasOpen) cluster_.CloseBuffer();
  } catch (const EVorneError&) {
    lines.push_back("Unzip failed");
    return false;
  }
  return ok;
}

void THdrMatch::SetMatchList(std::vector<std::string> sheetKeys) {
  keys_ = std::move(sheetKeys);
  std::sort(keys_.begin(), keys_.end());
}

bool THdrMatch::AcceptSheet(const TSheetBody& body) const {
  if (body.status != kSuspended && body.status != kEffective && body.status != kPending) return false;
  return std::binary_search(keys_.begin(), keys_.end(), MakeSheetKey(body.sheetNo));
}

// ---- names against numbers and revisions ------------------------------------

bool NameMatches(const TSheet& sheet, const std::string& name) {
  const std::string u = UpperCase(name);
  const std::string s = UpperCase(StripLead(sheet.body.sheetNo));
  if (s == "0") return true;
  if (!Contains(u, "SHEET")) return false;
  return Contains(u, s) && RevisionMatches(sheet.body.revNo, u);
}

bool RevisionMatches(int r, const std::string& u) {
  static const char* kWords[] = {"IETH",       "FIRST",      "SECOND",     "THIRD",     "FOURTH",
                                 "FIFTH",      "SIXTH",      "SEVENTH",    "EIGHTH",    "NINTH",
                                 "TENTH",      "ELEVENTH",   "TWELFTH",    "THIRTEENTH", "FOURTEENTH",
                                 "FIFTEENTH",  "SIXTEENTH",  "SEVENTEENTH", "EIGHTEENTH", "NINETEENTH"};
  if (r < 0) return false;  // no ordinal word names a negative revision
  if (r == 0) {
    if (Contains(u, "ORIG") || Contains(u, "THROUGH") || Contains(u, "-") || u <= "   ") return true;
    if (Contains(u, "REV")) return false;
    return !Contains(u, "/");
  }
  size_t at = u.rfind("REV");
  if (at == std::string::npos) at = u.rfind('/');
  std::string w;
  if (at != std::string::npos) w = u.substr(at > 15 ? at - 15 : 0, at > 15 ? 15 : at);
  if (Contains(w, std::to_string(r))) return true;
  const char* word = r <= 19 ? kWords[r] : (r % 100 == 0 ? "HUNDRED" : kWords[r % 10]);
  return Contains(w, word);
}

}  // namespace vorne
