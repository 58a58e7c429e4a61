// A library in memory and the HTML writer driven over it the way a run
// drives it, with helpers that read back the pages as lines.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "output/DebugLog.h"
#include "output/HtmlWriter.h"
#include "output/NavImages.h"
#include "platform/Paths.h"
#include "store/Cluster.h"
#include "support/LibraryBuilder.h"
#include "support/MemFileSystem.h"
#include "support/ScriptedPort.h"
#include "volumes/ExportDockets.h"

namespace vorne::testing {

inline std::vector<std::string> SplitCrlf(const std::string& bytes) {
  std::vector<std::string> lines;
  size_t at = 0;
  while (at < bytes.size()) {
    size_t end = bytes.find("\r\n", at);
    if (end == std::string::npos) end = bytes.size();
    lines.push_back(bytes.substr(at, end - at));
    at = end + 2;
  }
  return lines;
}

// A planned sheet with its lines.
inline TSheetPlan Sheet(const std::string& no, std::vector<std::string> lines, uint8_t status = kEffective) {
  TSheetPlan s;
  s.sheetNo = no;
  s.lines = std::move(lines);
  s.status = status;
  return s;
}

class PublishFixture : public ::testing::Test {
 protected:
  PublishFixture() {
    oldRoot_ = DriveRoot();
    SetDriveRoot("/drives");
    SetTodayForTesting(TDate{2026, 12, 9});
  }
  ~PublishFixture() override {
    SetDriveRoot(oldRoot_);
    SetTodayForTesting(std::nullopt);
  }

  void Build(const std::vector<TVolumePlan>& volumes) {
    mem_.MakeDir("/lib");
    BuildLibrary(env_, "/lib", true, volumes);
    cluster_ = std::make_unique<TFileCluster>(env_, true);
    ASSERT_TRUE(cluster_->Open("/lib/GZPrime", false));
    cluster_->ReadAll();
  }

  // The volumes in the order given by their company codes (as an HTML run
  // lists them), each through ExportHtml, then Close.
  void Publish() {
    mem_.MakeDir("/site");
    writer_ = std::make_unique<HTMLPrintThing>(env_, *cluster_, log_, "/site");
    writer_->Create();
    std::vector<TPrimeRef*> order;
    for (const auto& v : cluster_->Volumes()) order.push_back(v.get());
    std::stable_sort(order.begin(), order.end(),
                     [](TPrimeRef* a, TPrimeRef* b) { return a->record.companyCode < b->record.companyCode; });
    TExportDockets window(true);
    for (TPrimeRef* v : order) ExportHtml(env_, *v, *writer_, window, nullptr);
    writer_->Close();
  }

  std::vector<std::string> Page(const std::string& name) { return SplitCrlf(mem_.ReadAll("/site/" + name)); }
  bool Exists(const std::string& name) { return mem_.Exists("/site/" + name); }
  size_t CountLines(const std::string& name, const std::string& part) {
    size_t n = 0;
    for (const std::string& l : Page(name)) n += l.find(part) != std::string::npos;
    return n;
  }
  bool HasLine(const std::string& name, const std::string& line) {
    for (const std::string& l : Page(name))
      if (l == line) return true;
    return false;
  }

  TMemFileSystem mem_;
  TScriptedPort port_;
  TEnv env_{mem_, port_};
  TDebugLog log_{mem_};
  std::unique_ptr<TFileCluster> cluster_;
  std::unique_ptr<HTMLPrintThing> writer_;
  std::string oldRoot_;
};

}  // namespace vorne::testing
