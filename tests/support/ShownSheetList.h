// The sheet list window of the QTest suites: a library's first volume
// listed in a shown window, as Browse lists it.
#pragma once

#include <memory>
#include <string>

#include "gui/SheetListView.h"
#include "sheets/SheetList.h"
#include "store/Cluster.h"
#include "store/Headers.h"

namespace vorne::testing {

struct TShownSheetList {
  std::unique_ptr<TFileCluster> cluster_;
  std::unique_ptr<THdrList> list_;
  std::unique_ptr<THdrForm> form_;
  std::unique_ptr<TSheetListView> view_;

  // false when the library does not open.
  bool ShowFirstVolume(TEnv& env, const std::string& prime, bool compressed) {
    cluster_ = std::make_unique<TFileCluster>(env, compressed);
    if (!cluster_->Open(prime, false)) return false;
    cluster_->ReadAll();
    form_ = std::make_unique<THdrForm>(env, THdrForm::kBrowse, nullptr);
    view_ = std::make_unique<TSheetListView>(*form_);
    view_->resize(400, 300);
    view_->show();
    list_ = std::make_unique<THdrList>(*cluster_->Volumes()[0], nullptr);
    list_->Load();
    form_->SetCluster(cluster_.get());
    form_->FillList(*list_);
    return true;
  }
  // The window goes before the model it shows, the list before its library.
  void CloseSheetList() {
    view_.reset();
    form_.reset();
    list_.reset();
    cluster_.reset();
  }
};

}  // namespace vorne::testing
