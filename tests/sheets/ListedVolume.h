// A one-volume uncompressed library on an in-memory disk, listed as the sheet
// list lists it, for the tests of the editing dialogs; today is 8 July 2006.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "store/Cluster.h"
#include "store/Common.h"
#include "store/Headers.h"
#include "support/LibraryBuilder.h"
#include "support/MemFileSystem.h"
#include "support/ScriptedPort.h"

namespace vorne::testing {

// A sheet by number and revision (a braced pair would split a test macro's arguments).
inline std::pair<std::string, int> K(const std::string& no, int rev = 0) { return {no, rev}; }

class ListedVolumeTest : public ::testing::Test {
 protected:
  ListedVolumeTest() {
    mem_.MakeDir("/lib");
    SetTodayForTesting(TDate{2006, 7, 8});
  }
  ~ListedVolumeTest() override { SetTodayForTesting(std::nullopt); }

  void Build(std::vector<TSheetPlan> sheets) {
    TVolumePlan v;
    v.sheets = std::move(sheets);
    prime_ = BuildLibrary(env_, "/lib/a", false, {v});
    Open();
  }
  // Opens the library as the sheet list has it: every version listed.
  void Open() {
    cluster_ = std::make_unique<TFileCluster>(env_, false);
    ASSERT_TRUE(cluster_->Open(prime_, false));
    cluster_->ReadAll();
    list_ = std::make_unique<THdrList>(*cluster_->Volumes()[0], nullptr);
    list_->Load();
    names_.clear();
    issuers_ = {};
    dockets_ = {};
    list_->FillNames(names_, issuers_, dockets_);
  }
  // The listed sheet of that number and revision.
  TSheetPtr Sheet(const std::string& no, int rev = 0) {
    for (auto& [text, s] : names_)
      if (TrimBoth(s->body.sheetNo) == no && s->body.revNo == rev) return s;
    ADD_FAILURE() << "no sheet " << no;
    return nullptr;
  }
  // Hands every sheet version on disk, read afresh through the store, to visit.
  template <class TVisit>
  void EachVersionOnDisk(TVisit&& visit) {
    TScriptedPort port;
    TEnv env{mem_, port};
    TFileCluster c(env, false);
    EXPECT_TRUE(c.Open(prime_, false));
    c.ReadAll();
    THdrList l(*c.Volumes()[0], nullptr);
    l.Load();
    for (const auto& g : l.Groups())
      for (const auto& s : g.versions) visit(*s);
    EXPECT_TRUE(port.messages.empty()) << port.messages.front();
  }

  TMemFileSystem mem_;
  TScriptedPort port_;
  TEnv env_{mem_, port_};
  std::string prime_;
  std::unique_ptr<TFileCluster> cluster_;
  std::unique_ptr<THdrList> list_;
  TNamedSheets names_;
  TAuxList<T5Entry> issuers_;
  TAuxList<T6Entry> dockets_;
};

}  // namespace vorne::testing
