// File layers for tests: an in-memory file system, and a wrapper over any
// file system that fails on demand (a write to a named file after N bytes
// with disk full, a short read, a read error, a refused open).
#pragma once

#include <map>
#include <memory>
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

  // Direct access for tests.
  std::string& Bytes(const std::string& path) { return files_[Norm(path)]->bytes; }
  void SetModTime(const std::string& path, int64_t t) { files_[Norm(path)]->mtime = t; }

 private:
  friend class TMemFile;
  struct Node {
    std::string bytes;
    int64_t mtime = 0;
    bool locked = false;
  };
  static std::string Norm(const std::string& path);
  std::map<std::string, std::shared_ptr<Node>> files_;
  std::set<std::string> dirs_{"", "/", "."};
  int64_t clock_ = 1;
};

struct TFault {
  enum Kind { None, DiskFullAfter, WriteErrorAfter, ShortRead, ReadError, OpenFails } kind = None;
  std::string path;     // the file it applies to (exact path)
  uint64_t after = 0;   // bytes written (or read) before the fault
  int code = 0;         // for WriteErrorAfter / ReadError
  bool once = false;    // a write fault that clears itself once raised
};

class TFaultyFileSystem : public TFileSystem {
 public:
  explicit TFaultyFileSystem(TFileSystem& base) : base_(base) {}
  void Inject(const TFault& f) { fault_ = f; }
  void Clear() { fault_ = TFault{}; }

  std::unique_ptr<TFile> Open(const std::string& path, TOpenMode mode) override;
  bool Exists(const std::string& p) override { return base_.Exists(p); }
  bool IsDirectory(const std::string& p) override { return base_.IsDirectory(p); }
  bool MakeDir(const std::string& p) override { return base_.MakeDir(p); }
  std::vector<std::string> List(const std::string& d) override { return base_.List(d); }
  int64_t ModTime(const std::string& p) override { return base_.ModTime(p); }
  void Rename(const std::string& f, const std::string& t) override { base_.Rename(f, t); }
  void Remove(const std::string& p) override { base_.Remove(p); }

  TFault fault_;
  uint64_t written_ = 0;
  uint64_t read_ = 0;

 private:
  TFileSystem& base_;
};

}  // namespace vorne::testing
