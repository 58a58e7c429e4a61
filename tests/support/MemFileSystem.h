// File layers for tests: an in-memory file system (which also keeps what a
// power cut would leave: each file as it was last flushed, under the names
// its folder had when it was last flushed), and a wrapper over any
// file system that fails on demand (a write to a named file after N bytes
// with disk full, a short read, a read error, a refused open) and that counts
// the changes reaching the disk, to stop the world after any one of them.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>

#include "platform/FileSystem.h"

namespace vorne::testing {

class TMemFileSystem : public TFileSystem {
 public:
  std::unique_ptr<TFile> Open(const std::string& path, TOpenMode mode) override;
  bool Exists(const std::string& path) override;
  bool IsDirectory(const std::string& path) override;
  bool MakeDir(const std::string& path) override;
  std::vector<std::string> List(const std::string& dir) override;
  int64_t ModTime(const std::string& path) override;
  void Rename(const std::string& from, const std::string& to) override;
  void Remove(const std::string& path) override;
  void SyncDir(const std::string& dir) override;

  // Direct access for tests.
  std::string& Bytes(const std::string& path) { return files_[Norm(path)]->bytes; }
  // A copy sharing nothing with this one: the disk as it stands now.
  std::unique_ptr<TMemFileSystem> Snapshot() const;
  void SetModTime(const std::string& path, int64_t t) { files_[Norm(path)]->mtime = t; }
  // Flushes every file and folder, as a disk at rest.
  void SyncAll();
  // The disk after a power cut now: only what was flushed.
  std::unique_ptr<TMemFileSystem> PowerCut() const;

 private:
  friend class TMemFile;
  struct Node {
    std::string bytes;
    std::string durable;  // the bytes as last flushed
    int64_t mtime = 0;
    bool locked = false;
  };
  static std::string Norm(const std::string& path);
  std::map<std::string, std::shared_ptr<Node>> files_;
  std::map<std::string, std::shared_ptr<Node>> durableNames_;  // as the folders were last flushed
  std::set<std::string> dirs_{"", "/", "."};
  int64_t clock_ = 1;
};

struct TFault {
  // WriteNumber: the write numbered `after` (from 0) to the file fails
  // (disk full without a code), once; RemoveFails: removing the file fails.
  enum Kind { None, DiskFullAfter, WriteErrorAfter, ShortRead, ReadError, OpenFails, WriteNumber, RemoveFails } kind =
      None;
  std::string path;     // the file it applies to (exact path)
  uint64_t after = 0;   // bytes written (or read) before the fault
  int code = 0;         // for WriteErrorAfter / ReadError
  bool once = false;    // a write fault that clears itself once raised
};

class TFaultyFileSystem : public TFileSystem {
 public:
  explicit TFaultyFileSystem(TFileSystem& base) : base_(base) {}
  // Called after every change that reaches the base (a write, a truncation,
  // a file created or emptied, a rename, a removal, a folder made), with the
  // number of changes so far; no other change reaches the base until it
  // returns, also from a writer's worker thread. What the base holds then is
  // the disk of a process that dies right after that change: every later
  // write and flush lost.
  std::function<void(uint64_t)> afterChange;
  uint64_t Changes() const { return changes_; }
  void Inject(const TFault& f) {
    fault_ = f;
    writes_ = 0;
  }
  void Clear() { fault_ = TFault{}; }

  std::unique_ptr<TFile> Open(const std::string& path, TOpenMode mode) override;
  bool Exists(const std::string& p) override { return base_.Exists(p); }
  bool IsDirectory(const std::string& p) override { return base_.IsDirectory(p); }
  bool MakeDir(const std::string& p) override;
  std::vector<std::string> List(const std::string& d) override { return base_.List(d); }
  int64_t ModTime(const std::string& p) override { return base_.ModTime(p); }
  void Rename(const std::string& f, const std::string& t) override;
  void Remove(const std::string& p) override;
  void SyncDir(const std::string& d) override { base_.SyncDir(d); }

  TFault fault_;
  uint64_t writes_ = 0;  // writes to the faulty file so far (WriteNumber)
  uint64_t written_ = 0;
  uint64_t read_ = 0;

 private:
  friend class TFaultyFile;
  // Runs change on the base and then afterChange, as one step.
  template <class F>
  auto Change(F&& change) -> decltype(change()) {
    std::lock_guard<std::recursive_mutex> hold(changing_);
    struct TAfter {
      TFaultyFileSystem& fs;
      ~TAfter() {
        ++fs.changes_;
        if (fs.afterChange) fs.afterChange(fs.changes_);
      }
    };
    TAfter after{*this};
    return change();
  }
  TFileSystem& base_;
  std::recursive_mutex changing_;
  uint64_t changes_ = 0;
};

}  // namespace vorne::testing
