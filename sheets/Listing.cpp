#include "sheets/Listing.h"

#include <algorithm>

#include "store/Cluster.h"
#include "store/Common.h"
#include "store/Errors.h"
#include "store/Headers.h"

namespace vorne {

namespace {

std::string Num(int64_t x, size_t w) { return PadLeft(std::to_string(x), w); }

constexpr char kBadPrimeEntry[] = "Bad PRIME file entry. Can't find Volume record";

}  // namespace

// ---- line builders ------------------------------------------------------------------

std::string ListHeadingLine(const std::string& caption, bool details) {
  if (details) return caption;
  size_t colon = caption.find(':');
  return colon == std::string::npos ? std::string() : caption.substr(0, colon + 1);
}

std::string ListVolumeLine(int32_t n, const THdrRecord& rec) {
  TVolumeBody b = TVolumeBody::Decode(rec);
  return "0:" + std::to_string(n) + " " + PadRight(b.companyId, 6).substr(0, 6) + " " + b.volumeName;
}

std::string ListSheetLine(int32_t n, const TSheetBody& b, const std::string& name, bool details) {
  std::string line = "1: " + PadLeft(b.sheetNo, 9);
  if (!details) return line + name;
  return line + Num(n, 6) + " " + SafePackedToText(b.filingDate) + " " + Num(b.text.dbfPos, 6) + " " +
         Num(b.text.pageIndex, 6) + " " + Num(b.text.pageCount, 6) + " 5:" + Num(b.issuePos, 8) + " 6:" +
         Num(b.docketPos, 8) + " " + name;
}

std::string ListIssuerLine(int32_t n, const THdrRecord& rec) {
  return "5: " + std::to_string(n) + " " + IssuerName(DecodeIssuer(rec));
}

std::string ListDocketLine(int32_t n, const TDocketBody& b) {
  return "6: " + PadRight(std::to_string(n) + " " + FormatDocket(b), 20) + " " + SafePackedToText(b.orderDate) + " " +
         SafePackedToText(b.issueDate) + " " + SafePackedToText(b.effectiveDate) + " " +
         SafePackedToText(b.complianceDate) + " " + b.citevalue.Display();
}

std::string ListEndLine(int32_t n) { return "8: " + std::to_string(n); }

std::string ListJumpLine(int32_t n, const THdrRecord& rec) {
  return "9: " + std::to_string(n) + " , " + std::to_string(DecodeJump(rec));
}

std::string ListOtherLine(const THdrRecord& rec) {
  // The length byte of an unknown record cannot be trusted: the text stops
  // at the record's end.
  const size_t len = std::min<size_t>(rec[1], rec.size() - 2);
  return std::to_string(int(rec[0])) + ": " + std::string(reinterpret_cast<const char*>(rec.data()) + 2, len);
}

bool SuspiciousIssuer(const THdrRecord& rec) {
  const std::string name = TrimBoth(DecodeIssuer(rec));
  return name.empty() || name == "Missing";
}

bool SuspiciousDocket(const THdrRecord& rec) {
  const std::string& d = TDocketBody::Decode(rec).docket;
  return d.empty() || d[0] == '\0' || d[0] == ' ';
}

// ---- options ------------------------------------------------------------------------------

void TRecordListing::Type5Click(bool on) {
  type5_ = on;
  showDockets_ = false;
  Changed();
}

void TRecordListing::Type6Click(bool on) {
  type6_ = on;
  if (!(type5_ && !type6_)) showDockets_ = false;
  Changed();
}

// ---- the listing --------------------------------------------------------------------------

void TRecordListing::Start(TListingKind kind) {
  kind_ = kind;
  lines_.clear();
  listedIssuers_.clear();
  listedDockets_.clear();
  showDocketNumbers_.clear();
  referenced_.clear();
  recordLines_.clear();
  cluster_ = nullptr;
  whoops_ = false;
  top_ = 0;
  sheetCounter_ = 0;
  status_.clear();
  Changed();
}

void TRecordListing::Add(std::string text) { lines_.push_back({std::move(text)}); }

void TRecordListing::AddRecordLine(std::string text, char type, int32_t recNo) {
  lines_.push_back({std::move(text), type, recNo, cluster_});
  if (kind_ != TListingKind::Test) return;
  const TRecordKey key{cluster_, type, recNo};
  recordLines_[key].push_back(lines_.size() - 1);
  // A sheet listed before the record, in this volume or an earlier one.
  if (referenced_.count(key) && lines_.back().text.size() > 2) lines_.back().text[2] = '*';
}

void TRecordListing::ScrollTo(size_t index) {
  if (index > 10) top_ = int(index) - 10;
}

void TRecordListing::MarkReferenced(char type, int32_t recNo) {
  const TRecordKey key{cluster_, type, recNo};
  if (!referenced_.insert(key).second) return;  // its lines carry the mark already
  auto at = recordLines_.find(key);
  if (at == recordLines_.end()) return;
  for (size_t i : at->second) {
    std::string& text = lines_[i].text;
    if (text.size() > 2 && text[2] == ' ') text[2] = '*';
  }
}

void TRecordListing::IndexRecordLines() {
  recordLines_.clear();
  for (size_t i = 0; i < lines_.size(); ++i) {
    const TListingLine& l = lines_[i];
    if (l.recordType != 0) recordLines_[{l.cluster, l.recordType, l.recNo}].push_back(i);
  }
}

bool TRecordListing::ListVolume(TPrimeRef& volume, const std::string& caption, const TSheetFilter* filter) {
  const bool shown = ListChain(volume, caption, filter);
  Changed();
  return shown;
}

bool TRecordListing::ListChain(TPrimeRef& volume, const std::string& caption, const TSheetFilter* filter) {
  TFileCluster& cluster = *volume.cluster;
  cluster_ = &cluster;
  const bool test = kind_ == TListingKind::Test;
  const std::string heading = ListHeadingLine(caption, details_);
  const size_t volumeStart = lines_.size();
  const size_t issuersBefore = listedIssuers_.size(), docketsBefore = listedDockets_.size();

  const bool hdrWasOpen = cluster.HdrOpen();
  if (!cluster.OpenHdr()) return true;
  const int32_t size = cluster.HdrSize();
  if (volume.record.firstHdr < 0 || volume.record.firstHdr >= size) {
    // A message, not a line: the listing shows records only.
    env_.port.Error(kBadPrimeEntry);
    if (!hdrWasOpen) cluster.CloseHdr();
    return true;
  }

  // Sheet names need the text; it is opened only when a sheet line is
  // written, and a text file that cannot be read gives diagnostic names.
  bool bufferTried = false, bufferOpened = false;
  auto nameOf = [&](const TSheetBody& body, int32_t n) {
    if (!bufferTried) {
      bufferTried = true;
      if (!cluster.BufferOpen()) {
        try {
          bufferOpened = cluster.OpenBuffer();
        } catch (const EVorneError&) {
          bufferOpened = false;
        }
      }
    }
    TSheet sheet(body, &volume, n);
    try {
      return SheetName(sheet, cluster.BufferOpen() ? cluster.Buffer() : nullptr);
    } catch (const EVorneError&) {
      return SheetName(sheet, nullptr);
    }
  };
  // A pointer is suspicious when it leaves the file, names a record of
  // another type, or names a suspicious record. -1 is no record at all: the
  // import writes it for a sheet whose filing gave no issuer or docket.
  auto badPointer = [&](int32_t pos, uint8_t type) {
    if (pos == -1) return false;
    if (pos < 0 || pos >= size) return true;
    THdrRecord target;
    if (!cluster.ReadHdrKeepingPlace(pos, target) || target[0] != type) return true;
    return type == kIssuerRecord ? SuspiciousIssuer(target) : SuspiciousDocket(target);
  };

  int passed = 0;
  constexpr size_t kNoLine = size_t(-1);
  size_t firstHeading = kNoLine;
  auto visit = [&](int32_t n, const THdrRecord& rec) {
    switch (rec[0]) {
      case kVolumeRecord:
        if (firstHeading == kNoLine) firstHeading = lines_.size();
        Add(heading);
        Add(ListVolumeLine(n, rec));
        ScrollTo(lines_.size() - 1);
        multiVisible_ = false;
        sheetCounter_ = 0;
        break;
      case kSheetRecord: {
        const TSheetBody body = TSheetBody::Decode(rec);
        if (filter && !filter->AcceptSheet(body)) break;
        if (test) {
          ++sheetCounter_;
          Add(ListSheetLine(n, body, nameOf(body, n), details_));
          // Records listed before the sheet are marked now, later ones when listed.
          MarkReferenced('5', body.issuePos);
          MarkReferenced('6', body.docketPos);
          break;
        }
        const bool bad5 = type5_ && badPointer(body.issuePos, kIssuerRecord);
        const bool bad6 = type6_ && badPointer(body.docketPos, kDocketRecord);
        if (!bad5 && !bad6) break;
        ++sheetCounter_;
        ++passed;
        if (showDockets_) {
          if (std::find(showDocketNumbers_.begin(), showDocketNumbers_.end(), body.docketPos) ==
              showDocketNumbers_.end())
            showDocketNumbers_.push_back(body.docketPos);
        } else {
          Add(ListSheetLine(n, body, nameOf(body, n), details_));
        }
        break;
      }
      case kIssuerRecord:
        if (test || SuspiciousIssuer(rec)) {
          AddRecordLine(ListIssuerLine(n, rec), '5', n);
          listedIssuers_.push_back(n);
        }
        break;
      case kDocketRecord:
        if (test || SuspiciousDocket(rec)) {
          AddRecordLine(ListDocketLine(n, TDocketBody::Decode(rec)), '6', n);
          listedDockets_.push_back(n);
        }
        break;
      case kEndRecord:
        Add(ListEndLine(n));
        ScrollTo(lines_.size() - 1);
        status_ = sheetCounter_ < 1 ? "\tNo Sheets" : std::to_string(sheetCounter_) + " Sheets";
        break;
      case kJumpRecord:
        Add(ListJumpLine(n, rec));
        break;
      default:
        Add(ListOtherLine(rec));
        whoops_ = true;
        break;
    }
    return true;
  };
  try {
    cluster.WalkChain(volume, visit, false);
  } catch (...) {
    if (bufferOpened) cluster.CloseBuffer();
    if (!hdrWasOpen) cluster.CloseHdr();
    throw;
  }
  if (bufferOpened) cluster.CloseBuffer();
  if (!hdrWasOpen) cluster.CloseHdr();
  env_.port.ProcessEvents();

  if (test || passed > 0) return true;
  // Nothing wrong that a sheet uses: only the first heading stays.
  lines_.resize(firstHeading == kNoLine ? volumeStart : firstHeading + 1);
  listedIssuers_.resize(issuersBefore);
  listedDockets_.resize(docketsBefore);
  return false;
}

void TRecordListing::End() {
  if (kind_ == TListingKind::ErrorsOnly && showDockets_ && cluster_) {
    for (int32_t pos : showDocketNumbers_) {
      THdrRecord rec;
      if (cluster_->ReadHdrKeepingPlace(pos, rec) && rec[0] == kDocketRecord)
        AddRecordLine(ListDocketLine(pos, TDocketBody::Decode(rec)), '6', pos);
      else
        Add("6: " + std::to_string(pos) + " ?");
    }
  }
  listedIssuers_.clear();
  listedDockets_.clear();
  showDocketNumbers_.clear();
  Changed();
}

void TRecordListing::AbbrevBtnClick() {
  for (size_t i = lines_.size(); i-- > 0;) {
    const TListingLine& l = lines_[i];
    if ((l.recordType == '5' || l.recordType == '6') && l.text.size() > 2 && l.text[2] == ' ')
      lines_.erase(lines_.begin() + long(i));
  }
  IndexRecordLines();
  Changed();
}

std::string TRecordListing::Text() const {
  std::string t;
  for (const TListingLine& l : lines_) t += l.text + "\n";
  return t;
}

}  // namespace vorne
