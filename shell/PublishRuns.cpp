#include "shell/PublishRuns.h"

#include "output/HtmlWriter.h"
#include "output/PrintToFile.h"
#include "platform/Paths.h"
#include "shell/RunState.h"
#include "store/Cluster.h"
#include "store/Common.h"
#include "store/Errors.h"
#include "volumes/ExportDockets.h"
#include "volumes/IndexPage.h"
#include "volumes/VolumeList.h"

namespace vorne {

namespace {

// Makes the folder and every missing folder above it.
bool MakeFolders(TFileSystem& fs, const std::string& dir) {
  if (dir.empty() || fs.IsDirectory(dir)) return true;
  const std::string parent = StripTrailingSep(DirPart(StripTrailingSep(dir)));
  if (!parent.empty() && parent != dir && !MakeFolders(fs, parent)) return false;
  return fs.MakeDir(dir) || fs.IsDirectory(dir);
}

}  // namespace

TPublishRun::TPublishRun(bool html) : html_(html) {}
TPublishRun::~TPublishRun() = default;

bool TPublishRun::Prepare(TRunContext& main, TFromDisplay& list) {
  TEnv& env = main.Env();
  TRunState& st = main.State();
  indexWritten_ = false;
  window_ = std::make_unique<TExportDockets>(html_);
  window_->Show();
  main.Windows().publishing = window_.get();
  main.Windows().Changed();
  TPrintSetup setup = main.BeginPrintSetup(html_);

  TFilePrintDialog dialog;
  dialog.directory = setup.folder;
  dialog.drive = setup.drive;
  dialog.noSheetsVisible = false;
  dialog.fewerThanTwoVisible = setup.fewerThanTwo;
  dialog.allVolumes = setup.allVolumes;
  dialog.manySheetsVisible = !html_;
  // A file named by "TO" means one output file; a folder, one per company.
  dialog.multipleFiles = !Contains(TypedName(st.OutputPath), ".");
  if (st.AutoGo) dialog.TurnTimerOn();
  if (handler_)
    handler_(dialog);
  else if (main.Windows().showPrintDialog)
    main.Windows().showPrintDialog(dialog);
  else if (dialog.TimerOn())
    dialog.Tick(TFilePrintDialog::kTimerMs);
  if (!dialog.Result().value_or(false)) {
    End(main);
    return false;
  }

  cluster_ = main.Input();
  if (!cluster_) {
    env.port.Error("No library is open");
    End(main);
    return false;
  }
  const std::string folder = dialog.OutputDirectory();
  if (!MakeFolders(env.fs, MapPath(folder))) {
    env.port.Error("Cannot create the folder " + folder);
    End(main);
    return false;
  }
  std::unique_ptr<FPrintThing> writer;
  if (html_) {
    auto html = std::make_unique<HTMLPrintThing>(env, *cluster_, main.Log(), folder);
    htmlWriter_ = html.get();
    writer = std::move(html);
  } else {
    auto plain = std::make_unique<FilePrintThing>(env, *cluster_, main.Log(), folder, dialog.multipleFiles);
    if (!dialog.multipleFiles) {
      const std::string proposed = st.OutputPath.empty() ? st.LibraryDir : st.OutputPath;
      auto file = env.port.ChooseSaveFile({TFilePrintDialog::kCaption, proposed, "*.prn"});
      // A cancelled save dialog ends the run before anything is written.
      if (!file || !plain->CreateFile(*file)) {
        End(main);
        return false;
      }
    }
    writer = std::move(plain);
  }
  if (!cluster_->BufferOpen() && !cluster_->OpenBuffer()) {
    End(main);
    return false;
  }
  setup.folder = folder;
  setup.allVolumes = dialog.allVolumes;  // the person may have changed the box
  main.EndPrintSetup(setup);
  writer_ = std::move(writer);
  if (htmlWriter_) htmlWriter_->Create();
  return true;
}

bool TPublishRun::EachVolume(TRunContext& main, TFromDisplay& list, size_t row, TPrimeRef& volume) {
  TExportResult r = htmlWriter_ ? ExportHtml(main.Env(), volume, *htmlWriter_, *window_, &main.State().Selection)
                                : ExportPlain(main.Env(), volume, *writer_, *window_, &main.State().Selection);
  list.ShowElapsed();
  if (htmlWriter_) list.SetMarked(row, false);
  if (r.cancelled) main.Env().port.Info("The run was cancelled");
  return !r.cancelled;
}

void TPublishRun::Finish(TRunContext& main, TFromDisplay& list) {
  if (!writer_) return;
  writer_->Close();
  lastFolder_ = main.OutputFolder();
  if (!main.State().RecentGiven) {
    std::map<std::string, std::string> stems;
    if (htmlWriter_) stems = htmlWriter_->WrittenCompanies();
    try {
      WriteIndexPage(main.Env(), list, lastFolder_, stems);
      indexWritten_ = true;
    } catch (const EInOutError& e) {
      main.Env().port.Error(std::string("Cannot write index.htm: ") + e.what());
    }
  }
  main.ForgetOutputFolder();
  End(main);
}

void TPublishRun::End(TRunContext& main) {
  writer_.reset();
  htmlWriter_ = nullptr;
  if (cluster_ && cluster_->BufferOpen()) cluster_->CloseBuffer();
  cluster_ = nullptr;
  if (window_) window_->Hide();
  window_.reset();
  main.Windows().publishing = nullptr;
  main.Windows().Changed();
}

}  // namespace vorne
