#include "support/MemFileSystem.h"

#include <algorithm>
#include <cstring>

#include "platform/Paths.h"
#include "store/Errors.h"

namespace vorne::testing {

class TMemFile : public TFile {
 public:
  TMemFile(std::shared_ptr<TMemFileSystem::Node> node, bool writable, int64_t* clock)
      : node_(std::move(node)), writable_(writable), clock_(clock) {}
  ~TMemFile() override {
    if (locked_) node_->locked = false;
  }
  size_t Read(uint64_t offset, void* buf, size_t n) override {
    const std::string& b = node_->bytes;
    if (offset >= b.size()) return 0;
    size_t k = std::min<uint64_t>(n, b.size() - offset);
    std::memcpy(buf, b.data() + offset, k);
    return k;
  }
  void Write(uint64_t offset, const void* buf, size_t n) override {
    if (!writable_) throw EInOutError(5, "file not open for writing");
    std::string& b = node_->bytes;
    if (b.size() < offset + n) b.resize(offset + n, '\0');
    std::memcpy(b.data() + offset, buf, n);
    node_->mtime = ++*clock_;
  }
  uint64_t Size() override { return node_->bytes.size(); }
  void Truncate(uint64_t size) override {
    node_->bytes.resize(size, '\0');
    node_->mtime = ++*clock_;
  }
  bool TryLockExclusive() override {
    if (locked_) return true;
    if (node_->locked) return false;
    node_->locked = locked_ = true;
    return true;
  }
  void Sync() override { node_->durable = node_->bytes; }

 private:
  std::shared_ptr<TMemFileSystem::Node> node_;
  bool writable_;
  bool locked_ = false;
  int64_t* clock_;
};

std::string TMemFileSystem::Norm(const std::string& path) { return StripTrailingSep(path); }

std::unique_ptr<TFile> TMemFileSystem::Open(const std::string& path, TOpenMode mode) {
  std::string p = Norm(path);
  auto it = files_.find(p);
  if (mode == TOpenMode::Create || (mode == TOpenMode::Keep && it == files_.end())) {
    if (!IsDirectory(DirPart(p).empty() ? "." : DirPart(p)))
      throw EInOutError(2, "cannot open " + path + ": no such folder");
    if (it == files_.end()) it = files_.emplace(p, std::make_shared<Node>()).first;
    it->second->bytes.clear();
    it->second->mtime = ++clock_;
  } else if (it == files_.end()) {
    throw EInOutError(2, "cannot open " + path + ": no such file");
  }
  return std::make_unique<TMemFile>(it->second, mode != TOpenMode::Read, &clock_);
}

bool TMemFileSystem::Exists(const std::string& path) {
  return files_.count(Norm(path)) > 0 || IsDirectory(path);
}

bool TMemFileSystem::IsDirectory(const std::string& path) {
  std::string p = Norm(path);
  return dirs_.count(p) > 0;
}

bool TMemFileSystem::MakeDir(const std::string& path) {
  std::string p = Norm(path);
  if (dirs_.count(p)) return true;
  std::string parent = StripTrailingSep(DirPart(p));
  if (!parent.empty() && !dirs_.count(parent)) return false;
  dirs_.insert(p);
  return true;
}

std::vector<std::string> TMemFileSystem::List(const std::string& dir) {
  std::string d = Norm(dir);
  std::vector<std::string> names;
  auto consider = [&](const std::string& p) {
    std::string parent = StripTrailingSep(DirPart(p));
    if (parent == d && !p.empty() && p != d) names.push_back(FileNamePart(p));
  };
  for (auto& [p, n] : files_) consider(p);
  for (auto& p : dirs_) consider(p);
  return names;
}

int64_t TMemFileSystem::ModTime(const std::string& path) {
  auto it = files_.find(Norm(path));
  return it == files_.end() ? 0 : it->second->mtime;
}

void TMemFileSystem::Rename(const std::string& from, const std::string& to) {
  auto it = files_.find(Norm(from));
  if (it == files_.end()) throw EInOutError(2, "cannot rename " + from);
  auto node = it->second;
  files_.erase(it);
  files_[Norm(to)] = node;
}

void TMemFileSystem::Remove(const std::string& path) { files_.erase(Norm(path)); }

void TMemFileSystem::SyncDir(const std::string& dir) {
  const std::string d = Norm(dir.empty() ? "." : dir);
  auto inDir = [&](const std::string& p) {
    const std::string parent = StripTrailingSep(DirPart(p));
    return parent == d || (parent.empty() && d == ".");
  };
  std::erase_if(durableNames_, [&](const auto& e) { return inDir(e.first); });
  for (const auto& [p, node] : files_)
    if (inDir(p)) durableNames_[p] = node;
}

void TMemFileSystem::SyncAll() {
  durableNames_ = files_;
  for (auto& [p, node] : files_) node->durable = node->bytes;
}

std::unique_ptr<TMemFileSystem> TMemFileSystem::PowerCut() const {
  auto copy = std::make_unique<TMemFileSystem>();
  for (const auto& [path, node] : durableNames_) {
    auto n = std::make_shared<Node>();
    n->bytes = n->durable = node->durable;
    n->mtime = node->mtime;
    copy->files_[path] = n;
    copy->durableNames_[path] = n;
  }
  copy->dirs_ = dirs_;
  copy->clock_ = clock_;
  return copy;
}

std::unique_ptr<TMemFileSystem> TMemFileSystem::Snapshot() const {
  auto copy = std::make_unique<TMemFileSystem>();
  std::map<const Node*, std::shared_ptr<Node>> copies;
  auto copyOf = [&](const std::shared_ptr<Node>& node) {
    auto& n = copies[node.get()];
    if (!n) {
      n = std::make_shared<Node>(*node);
      n->locked = false;  // the copy is a disk: nobody holds its files
    }
    return n;
  };
  for (const auto& [path, node] : files_) copy->files_[path] = copyOf(node);
  for (const auto& [path, node] : durableNames_) copy->durableNames_[path] = copyOf(node);
  copy->dirs_ = dirs_;
  copy->clock_ = clock_;
  return copy;
}

class TFaultyFile : public TFile {
 public:
  TFaultyFile(std::unique_ptr<TFile> base, TFaultyFileSystem& fs, bool armed)
      : base_(std::move(base)), fs_(fs), armed_(armed) {}
  size_t Read(uint64_t offset, void* buf, size_t n) override {
    const TFault& f = fs_.fault_;
    if (armed_ && f.kind == TFault::ReadError && fs_.read_ + n > f.after)
      throw EInOutError(f.code ? f.code : 5, "read error");
    if (armed_ && f.kind == TFault::ShortRead && fs_.read_ + n > f.after) {
      size_t allowed = fs_.read_ >= f.after ? 0 : size_t(f.after - fs_.read_);
      size_t got = base_->Read(offset, buf, allowed);
      fs_.read_ += got;
      return got;
    }
    size_t got = base_->Read(offset, buf, n);
    fs_.read_ += got;
    return got;
  }
  void Write(uint64_t offset, const void* buf, size_t n) override {
    const TFault& f = fs_.fault_;
    if (armed_ && f.kind == TFault::WriteNumber && fs_.writes_++ == f.after) {
      const int code = f.code ? f.code : EInOutError::kDiskFull;
      fs_.Clear();
      throw EInOutError(code, "write failed");
    }
    if (armed_ && (f.kind == TFault::DiskFullAfter || f.kind == TFault::WriteErrorAfter) &&
        fs_.written_ + n > f.after) {
      size_t allowed = fs_.written_ >= f.after ? 0 : size_t(f.after - fs_.written_);
      int code = f.kind == TFault::DiskFullAfter ? EInOutError::kDiskFull : (f.code ? f.code : 5);
      if (f.once) fs_.Clear();
      if (allowed) fs_.Change([&] { base_->Write(offset, buf, allowed); });
      fs_.written_ += allowed;
      throw EInOutError(code, "write failed");
    }
    fs_.Change([&] { base_->Write(offset, buf, n); });
    fs_.written_ += n;
  }
  uint64_t Size() override { return base_->Size(); }
  void Truncate(uint64_t size) override {
    fs_.Change([&] { base_->Truncate(size); });
  }
  bool TryLockExclusive() override { return base_->TryLockExclusive(); }
  void Sync() override { base_->Sync(); }

 private:
  std::unique_ptr<TFile> base_;
  TFaultyFileSystem& fs_;
  bool armed_;
};

std::unique_ptr<TFile> TFaultyFileSystem::Open(const std::string& path, TOpenMode mode) {
  bool armed = fault_.kind != TFault::None && (fault_.path.empty() || fault_.path == path);
  if (armed && fault_.kind == TFault::OpenFails) throw EInOutError(fault_.code ? fault_.code : 5, "open refused");
  // Creating or emptying a file changes the disk; opening one as it is does not.
  const bool changes = mode == TOpenMode::Create || (mode == TOpenMode::Keep && !base_.Exists(path));
  std::unique_ptr<TFile> f = changes ? Change([&] { return base_.Open(path, mode); }) : base_.Open(path, mode);
  return std::make_unique<TFaultyFile>(std::move(f), *this, armed);
}

bool TFaultyFileSystem::MakeDir(const std::string& p) {
  if (base_.IsDirectory(p)) return true;
  return Change([&] { return base_.MakeDir(p); });
}

void TFaultyFileSystem::Rename(const std::string& f, const std::string& t) {
  Change([&] { base_.Rename(f, t); });
}

void TFaultyFileSystem::Remove(const std::string& p) {
  if (!base_.Exists(p)) return;
  if (fault_.kind == TFault::RemoveFails && fault_.path == p) throw EInOutError(fault_.code ? fault_.code : 13, "cannot remove " + p);
  Change([&] { base_.Remove(p); });
}

}  // namespace vorne::testing
