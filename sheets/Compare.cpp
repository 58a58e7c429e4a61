#include "sheets/Compare.h"

#include <algorithm>
#include <utility>

#include "sheets/SheetList.h"
#include "sheets/SheetText.h"
#include "store/Cluster.h"
#include "store/Common.h"
#include "store/Prime.h"

namespace vorne {

// ---- which versions ---------------------------------------------------------------

THdrList* TVersionPairs::ListOf(const TSheet& sheet) {
  if (!sheet.prime || !sheet.prime->cluster) return nullptr;
  std::unique_ptr<THdrList>& list = lists_[sheet.prime];
  if (!list) {
    list = std::make_unique<THdrList>(*sheet.prime, nullptr);
    list->Load();
  }
  return list.get();
}

TSheetPtr TVersionPairs::OlderVersion(const TSheet& sheet) {
  const THdrList* list = ListOf(sheet);
  if (!list) return nullptr;
  const std::string key = MakeSheetKey(sheet.body.sheetNo);
  const auto& groups = list->Groups();
  auto g = std::lower_bound(groups.begin(), groups.end(), key,
                            [](const THdrList::TGroup& group, const std::string& k) { return group.key < k; });
  if (g == groups.end() || g->key != key) return nullptr;
  // Versions run from the highest revision down.
  for (const TSheetPtr& v : g->versions)
    if (v->body.revNo < sheet.body.revNo && v->body.status != kDeleted) return v;
  return nullptr;
}

std::string TVersionPairs::VolumeText(const TSheet& sheet) {
  const THdrList* list = ListOf(sheet);
  return TrimBoth(list ? TVolumeBody::Decode(list->VolumeRecord()).volumeName : sheet.volumeName);
}

// ---- the two texts ----------------------------------------------------------------

std::string TCompareSide::CaptionLine() const {
  return company + " | " + volume + " | " + sheetName + " | " + status + " | " + effective;
}

std::string TCompareSide::DiffName() const { return code + " " + volume + " | " + sheetName; }

bool ReadCompareSide(const TSheetPtr& sheet, TVersionPairs& pairs, TCompareSide& side) {
  if (!sheet || !sheet->prime || !sheet->prime->cluster) return false;
  TFileCluster& cluster = *sheet->prime->cluster;
  std::vector<std::string> lines;
  std::string title;
  if (!ReadSheetLines(cluster, *sheet, lines, title, cluster.Env().port)) return false;
  // As the sheet text window shows them: ñ mended where the volume's title
  // has one, and no trailing blanks, which no reader sees.
  const bool enye = DisplayVolume(*sheet).find('\xF1') != std::string::npos;
  for (std::string& l : lines) {
    if (enye) std::replace(l.begin(), l.end(), '\xA4', '\xF1');
    l = TrimRight(l);
  }
  side.sheet = sheet;
  side.company = TrimRight(sheet->prime->record.companyName);
  side.code = CompanyCodeText(sheet->prime->record);
  side.volume = pairs.VolumeText(*sheet);
  side.sheetName = title;
  side.status = StatusName(sheet->body.status);
  const uint16_t effective = sheet->Docket() ? sheet->Docket()->body.effectiveDate : 0;
  side.effective = TrimBoth(PackedToText(effective));
  side.lines = std::move(lines);
  return true;
}

namespace {

// The older of two sheets: the lower revision, else the earlier effective
// date; else the later in the list (versions list the newest first).
bool ListedFirstIsOlder(const TSheet& first, const TSheet& second) {
  if (first.body.revNo != second.body.revNo) return first.body.revNo < second.body.revNo;
  const uint16_t a = first.Docket() ? first.Docket()->body.effectiveDate : 0;
  const uint16_t b = second.Docket() ? second.Docket()->body.effectiveDate : 0;
  return a < b;
}

}  // namespace

std::optional<TVersionPick> PickVersions(THdrForm& list, TVersionPairs& pairs) {
  TUserPort& port = list.Env().port;
  std::vector<TSheetPtr> marked;
  if (list.MultiSelect())
    for (size_t i = 0; i < list.Count(); ++i)
      if (list.IsMarked(i) && list.Entries()[i].second) marked.push_back(list.Entries()[i].second);
  if (marked.size() > 2) {
    port.Info("Mark exactly two sheets to compare them with each other");
    return std::nullopt;
  }
  if (marked.size() == 2) {
    if (ListedFirstIsOlder(*marked[0], *marked[1])) return TVersionPick{marked[0], marked[1]};
    return TVersionPick{marked[1], marked[0]};
  }
  TSheetPtr newer = marked.size() == 1 ? marked[0] : list.GetSelectedSheet();
  if (!newer) return std::nullopt;  // GetSelectedSheet has said why
  TSheetPtr older = pairs.OlderVersion(*newer);
  if (!older) {
    port.Info("Nothing to compare: sheet " + TrimBoth(newer->body.sheetNo) + " revision " +
              std::to_string(newer->body.revNo) + " has no older version in its volume");
    return std::nullopt;
  }
  return TVersionPick{older, newer};
}

// ---- the window -----------------------------------------------------------------

bool TCompareWindow::Compare(const TVersionPick& pick, TVersionPairs& pairs) {
  TCompareSide older, newer;
  if (!ReadCompareSide(pick.older, pairs, older) || !ReadCompareSide(pick.newer, pairs, newer)) return false;
  SetSides(std::move(older), std::move(newer));
  return true;
}

void TCompareWindow::SetSides(TCompareSide older, TCompareSide newer) {
  older_ = std::move(older);
  newer_ = std::move(newer);
  diff_ = TSheetDiff::Compare(older_.lines, newer_.lines);
  starts_ = diff_.ChangeStarts();
  current_ = starts_.empty() ? -1 : 0;
  ++generation_;
  Changed();
}

std::string TCompareWindow::Caption() const {
  if (!newer_.sheet) return "Compare Versions";
  return "Compare Versions: " + newer_.sheetName;
}

int TCompareWindow::CurrentRow() const { return current_ < 0 ? -1 : int(starts_[size_t(current_)]); }

void TCompareWindow::NextChange() {
  if (!NextEnabled()) return;
  ++current_;
  Changed();
}

void TCompareWindow::PreviousChange() {
  if (!PreviousEnabled()) return;
  --current_;
  Changed();
}

}  // namespace vorne
