#include "platform/FileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/Errors.h"
#include "platform/Paths.h"

namespace vorne {

std::string TFileSystem::ReadAll(const std::string& path) {
  std::unique_ptr<TFile> f = Open(path, TOpenMode::Read);
  std::string bytes(f->Size(), '\0');
  size_t got = f->Read(0, bytes.data(), bytes.size());
  bytes.resize(got);
  return bytes;
}

void TFileSystem::WriteAll(const std::string& path, const std::string& bytes) {
  std::unique_ptr<TFile> f = Open(path, TOpenMode::Create);
  f->Write(0, bytes.data(), bytes.size());
}

void TFileSystem::ReplaceFile(const std::string& path, const std::string& bytes) {
  const std::string tmp = path + ".tmp~";
  try {
    std::unique_ptr<TFile> f = Open(tmp, TOpenMode::Create);
    f->Write(0, bytes.data(), bytes.size());
    f->Sync();
  } catch (...) {
    if (Exists(tmp)) Remove(tmp);
    throw;
  }
  Rename(tmp, path);
  SyncDir(DirPart(path));
}

// Library file names come from case-insensitive disks: ASCII letters match
// either case.
static bool SameNameNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = char(x - 32);
    if (y >= 'a' && y <= 'z') y = char(y - 32);
    if (x != y) return false;
  }
  return true;
}

std::string FindNoCase(TFileSystem& fs, const std::string& dir, const std::string& name) {
  std::string exact = JoinPath(dir, name);
  if (fs.Exists(exact)) return exact;
  for (const std::string& entry : fs.List(dir.empty() ? "." : dir))
    if (SameNameNoCase(entry, name)) return JoinPath(dir, entry);
  return exact;
}

namespace {

[[noreturn]] void ThrowErrno(const std::string& what, const std::string& path) {
  int e = errno;
  int code = (e == ENOSPC || e == EDQUOT || e == EFBIG) ? EInOutError::kDiskFull : e;
  throw EInOutError(code, what + " " + path + ": " + std::strerror(e));
}

class TPosixFile : public TFile {
 public:
  TPosixFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
  ~TPosixFile() override { ::close(fd_); }

  size_t Read(uint64_t offset, void* buf, size_t n) override {
    size_t done = 0;
    while (done < n) {
      ssize_t r = ::pread(fd_, static_cast<char*>(buf) + done, n - done, off_t(offset + done));
      if (r < 0) {
        if (errno == EINTR) continue;
        ThrowErrno("read error on", path_);
      }
      if (r == 0) break;
      done += size_t(r);
    }
    return done;
  }

  void Write(uint64_t offset, const void* buf, size_t n) override {
    size_t done = 0;
    while (done < n) {
      ssize_t r = ::pwrite(fd_, static_cast<const char*>(buf) + done, n - done, off_t(offset + done));
      if (r < 0) {
        if (errno == EINTR) continue;
        ThrowErrno("write error on", path_);
      }
      done += size_t(r);
    }
  }

  uint64_t Size() override {
    struct stat st;
    if (::fstat(fd_, &st) != 0) ThrowErrno("cannot stat", path_);
    return uint64_t(st.st_size);
  }

  void Truncate(uint64_t size) override {
    if (::ftruncate(fd_, off_t(size)) != 0) ThrowErrno("cannot truncate", path_);
  }

  bool TryLockExclusive() override { return ::flock(fd_, LOCK_EX | LOCK_NB) == 0; }

  void Sync() override {
    if (::fdatasync(fd_) != 0) ThrowErrno("cannot flush", path_);
  }

 private:
  int fd_;
  std::string path_;
};

class TPosixFileSystem : public TFileSystem {
 public:
  std::unique_ptr<TFile> Open(const std::string& path, TOpenMode mode) override {
    int flags = mode == TOpenMode::Read ? O_RDONLY : O_RDWR;
    if (mode == TOpenMode::Create) flags |= O_CREAT | O_TRUNC;
    if (mode == TOpenMode::Keep) flags |= O_CREAT;
    int fd = ::open(path.c_str(), flags | O_CLOEXEC, 0644);
    if (fd < 0) ThrowErrno("cannot open", path);
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
      ::close(fd);
      throw EInOutError(EISDIR, "cannot open " + path + ": is a folder");
    }
    return std::make_unique<TPosixFile>(fd, path);
  }

  bool Exists(const std::string& path) override {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
  }

  bool IsDirectory(const std::string& path) override {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  }

  bool MakeDir(const std::string& path) override {
    return ::mkdir(path.c_str(), 0755) == 0 || (errno == EEXIST && IsDirectory(path));
  }

  std::vector<std::string> List(const std::string& dir) override {
    std::vector<std::string> names;
    DIR* d = ::opendir(dir.c_str());
    if (!d) return names;
    while (dirent* e = ::readdir(d)) {
      std::string n = e->d_name;
      if (n != "." && n != "..") names.push_back(n);
    }
    ::closedir(d);
    return names;
  }

  int64_t ModTime(const std::string& path) override {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return 0;
    return int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  }

  void Rename(const std::string& from, const std::string& to) override {
    if (::rename(from.c_str(), to.c_str()) != 0) ThrowErrno("cannot rename", from);
  }

  void Remove(const std::string& path) override {
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) ThrowErrno("cannot remove", path);
  }

  void SyncDir(const std::string& dir) override {
    const std::string d = dir.empty() ? "." : dir;
    int fd = ::open(d.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) ThrowErrno("cannot open the folder", d);
    const int r = ::fsync(fd);
    const int e = errno;
    ::close(fd);
    errno = e;
    // Some file systems cannot flush a folder; their names are as safe as they get.
    if (r != 0 && errno != EINVAL && errno != EROFS) ThrowErrno("cannot flush the folder", d);
  }

  // Reads are preads: they share no file position.
  bool ConcurrentReads() const override { return true; }
};

}  // namespace

TFileSystem& RealFileSystem() {
  static TPosixFileSystem fs;
  return fs;
}

}  // namespace vorne
