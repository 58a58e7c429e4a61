#include "volumes/ExportDockets.h"

#include <algorithm>

#include "output/HtmlWriter.h"
#include "store/Cluster.h"
#include "store/Common.h"
#include "store/Errors.h"
#include "store/Headers.h"
#include "store/Records.h"
#include "store/TextReader.h"

namespace vorne {

TExportDockets::TExportDockets(bool html)
    : html_(html), caption_(html ? "HTML to File" : "Printing to File"), height_(html ? 340 : 90) {}

void TExportDockets::SetSheetCount(size_t n) {
  sheetCount_ = std::to_string(n) + " Sheets";
  Changed();
}

void TExportDockets::AddDocket(std::string line, std::shared_ptr<T6Entry> entry) {
  auto at = std::upper_bound(box_.begin(), box_.end(), line,
                             [](const std::string& l, const auto& item) { return l < item.first; });
  box_.insert(at, {std::move(line), std::move(entry)});
  Changed();
}

namespace {

// Steps 1-3 of both exports: the volume's sheets, and the window told their
// count. Empty when no sheet passes the selection or the text cannot be
// opened. The names are left empty: SheetNameAt takes each from the text
// block the writer reads next, so no block is inflated twice.
TNamedSheets LoadSheets(TPrimeRef& volume, const TSheetFilter* filter, TAuxList<T6Entry>& dockets,
                        TExportDockets& window, std::string& volumeName,
                        const std::function<void(size_t)>& onCount) {
  TNamedSheets names;
  TAuxList<T5Entry> issuers;
  TFileCluster& cluster = *volume.cluster;
  {
    THdrList list(volume, filter);
    list.Load();
    // The text stays open for the writer, which reads it next, in file order,
    // formatting each block: the blocks after it are inflated meanwhile.
    if (!cluster.BufferOpen() && !cluster.OpenBuffer()) return names;
    if (TDataBuffer* buffer = cluster.Buffer()) buffer->ReadAhead(true);
    list.FillSheets(names, issuers, dockets);
    volumeName = TVolumeBody::Decode(list.VolumeRecord()).volumeName;
  }
  if (names.empty()) return names;
  if (onCount) onCount(names.size());
  window.Show();
  window.SetSheetCount(names.size());
  window.SetGaugeMax(int64_t(names.size()));
  window.SetGauge(0);
  return names;
}

// The name of sheet i, read just before the writer reads the same text. A
// damaged block gives the diagnostic name; the writer reports the damage
// when it reads the sheet.
const std::string& SheetNameAt(TFileCluster& cluster, TNamedSheets& names, size_t i) {
  auto& [name, sheet] = names[i];
  try {
    name = SheetName(*sheet, cluster.Buffer());
  } catch (const EVorneError&) {
    name = SheetName(*sheet, nullptr);
  }
  return name;
}

// After every tenth sheet: the gauge moves and pending events run. true
// when the person cancelled.
bool Progress(TEnv& env, TExportDockets& window, size_t i) {
  if (i % 10 != 9) return false;
  window.SetGauge(int64_t(i + 1));
  env.port.ProcessEvents();
  return window.Cancelled();
}

}  // namespace

TExportResult ExportHtml(TEnv& env, TPrimeRef& volume, HTMLPrintThing& writer, TExportDockets& window,
                         const TSheetFilter* filter, const std::function<void(size_t)>& onCount) {
  TExportResult result;
  TAuxList<T6Entry> dockets;
  std::string volumeName;
  TNamedSheets names = LoadSheets(volume, filter, dockets, window, volumeName, onCount);
  if (names.empty()) return result;

  window.ClearDockets();
  for (const auto& entry : dockets)
    if (entry && !entry->body.docket.empty() && entry->body.docket[0] != '\0')
      window.AddDocket(DocketLine(entry->body), entry);
  for (size_t i = 0; i < window.DocketBox().size(); ++i) window.DocketBox()[i].second->SetNumber(int32_t(i + 1));

  if (!writer.StartCompanyVolume(ZeroPad(volume.record.companyCode, 6), volume.record.companyName)) return result;
  writer.StartVolume(volumeName);
  const size_t count = names.size();
  for (size_t i = 0; i < count; ++i) {
    writer.WriteSheet(*names[i].second, SheetNameAt(*volume.cluster, names, i), i + 1 < count, i > 0);
    ++result.sheets;
    if (Progress(env, window, i)) {
      result.cancelled = true;
      break;
    }
  }
  if (onCount) onCount(count);
  window.SetGauge(window.GaugeMax());
  if (!result.cancelled) {
    writer.WriteDockets(window.DocketBox());
    window.ClearDockets();
  }
  // The gauge stays full until the next volume starts it again: a finished run shows as finished.
  writer.EndVolume();
  return result;
}

TExportResult ExportPlain(TEnv& env, TPrimeRef& volume, FPrintThing& writer, TExportDockets& window,
                          const TSheetFilter* filter, const std::function<void(size_t)>& onCount) {
  TExportResult result;
  TAuxList<T6Entry> dockets;
  std::string volumeName;
  TNamedSheets names = LoadSheets(volume, filter, dockets, window, volumeName, onCount);
  for (size_t i = 0; i < names.size(); ++i) {
    writer.WriteSheet(*names[i].second, SheetNameAt(*volume.cluster, names, i), i + 1 < names.size(), i > 0);
    ++result.sheets;
    if (Progress(env, window, i)) {
      result.cancelled = true;
      break;
    }
  }
  if (!names.empty()) window.SetGauge(window.GaugeMax());
  return result;
}

}  // namespace vorne
