// The HTML and Print to File runs: PrintSetup with the "Print To File"
// dialog, the export of each marked volume through the run's writer, and
// Finish with the writer's Close and the index page.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "shell/ModeRun.h"

namespace vorne {

class FPrintThing;
class HTMLPrintThing;
class TExportDockets;
class TFilePrintDialog;

class TPublishRun : public TModeRun {
 public:
  explicit TPublishRun(bool html);
  ~TPublishRun() override;

  // Shows the dialog and returns when it has ended (OK or Cancel). Without
  // a handler the view registered in Windows().showPrintDialog shows it;
  // without either the dialog's timer answers it in an unattended run
  // (AutoGo) and nothing answers it otherwise (Cancel).
  using TDialogHandler = std::function<void(TFilePrintDialog&)>;
  void SetDialogHandler(TDialogHandler handler) { handler_ = std::move(handler); }

  bool NeedsMarkedRows() const override { return !html_; }
  bool Prepare(TRunContext& main, TFromDisplay& list) override;
  bool EachVolume(TRunContext& main, TFromDisplay& list, size_t row, TPrimeRef& volume) override;
  void Finish(TRunContext& main, TFromDisplay& list) override;

  // The progress window while a run is on; nullptr otherwise.
  TExportDockets* Window() const { return window_.get(); }
  // The folder of the last finished run's output (as typed) and whether its
  // index page was written.
  const std::string& LastFolder() const { return lastFolder_; }
  bool IndexWritten() const { return indexWritten_; }

 private:
  void End(TRunContext& main);

  bool html_;
  TDialogHandler handler_;
  std::unique_ptr<TExportDockets> window_;
  std::unique_ptr<FPrintThing> writer_;
  HTMLPrintThing* htmlWriter_ = nullptr;
  TFileCluster* cluster_ = nullptr;
  std::string lastFolder_;
  bool indexWritten_ = false;
};

}  // namespace vorne
