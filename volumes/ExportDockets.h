// The volume export driver of the HTML and Print to File runs: each volume
// is loaded as a header list and its sheets go one by one, in sheet order,
// to the run's writer, while TExportDockets (the small progress window)
// shows the sheet count, a gauge and, for HTML, the volume's sorted dockets,
// whose order numbers the dockets for the writer.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/UserPort.h"

namespace vorne {

class FPrintThing;
class HTMLPrintThing;
class T6Entry;
class TPrimeRef;
class TSheetFilter;

class TExportDockets {
 public:
  explicit TExportDockets(bool html);

  const std::string& Caption() const { return caption_; }  // "HTML to File" / "Printing to File"
  int Height() const { return height_; }                   // 340 with the docket box
  bool DocketBoxVisible() const { return html_; }
  bool Visible() const { return visible_; }
  void Show() { visible_ = true; Changed(); }
  void Hide() { visible_ = false; Changed(); }

  const std::string& SheetCount() const { return sheetCount_; }
  void SetSheetCount(size_t n);
  int64_t GaugeMax() const { return gaugeMax_; }
  int64_t Gauge() const { return gauge_; }
  void SetGaugeMax(int64_t max) { gaugeMax_ = max; Changed(); }
  void SetGauge(int64_t pos) { gauge_ = pos; Changed(); }

  // DocketBox: sorted, equal lines kept in the order they came.
  using TLines = std::vector<std::pair<std::string, std::shared_ptr<T6Entry>>>;
  const TLines& DocketBox() const { return box_; }
  void AddDocket(std::string line, std::shared_ptr<T6Entry> entry);
  void ClearDockets() { box_.clear(); Changed(); }

  // Cancel stops the export after the sheet being written (the run then
  // ends after this volume).
  void CancelClick() { cancelled_ = true; }
  bool Cancelled() const { return cancelled_; }

  std::function<void()> onChanged;

 private:
  void Changed() {
    if (onChanged) onChanged();
  }
  bool html_;
  std::string caption_;
  int height_;
  bool visible_ = false;
  std::string sheetCount_;
  int64_t gaugeMax_ = 0;
  int64_t gauge_ = 0;
  TLines box_;
  bool cancelled_ = false;
};

// What the exports report of one volume.
struct TExportResult {
  size_t sheets = 0;       // sheets handed to the writer
  bool cancelled = false;  // the person pressed Cancel
};

// ExportHtml: the volume's selected sheets, then its dockets, through the
// HTML writer. A volume with no selected sheet calls no writer operation.
// filter may be nullptr. onCount (optional) hears the sheet count.
TExportResult ExportHtml(TEnv& env, TPrimeRef& volume, HTMLPrintThing& writer, TExportDockets& window,
                         const TSheetFilter* filter, const std::function<void(size_t)>& onCount = {});
// ExportPlain: the sheets through a plain writer.
TExportResult ExportPlain(TEnv& env, TPrimeRef& volume, FPrintThing& writer, TExportDockets& window,
                          const TSheetFilter* filter, const std::function<void(size_t)>& onCount = {});

}  // namespace vorne
