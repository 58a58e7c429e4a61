// All file access of the core goes through TFileSystem so that tests can put
// an in-memory or fault-injecting layer in its place. Failures raise
// EInOutError carrying the platform code (EInOutError::kDiskFull for a full
// disk); operations that only ask (Exists, IsDirectory) never raise.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vorne {

// An open file. Reads and writes are positional; the buffers and record
// files keep their own positions.
class TFile {
 public:
  virtual ~TFile() = default;
  // Reads up to n bytes at offset; returns how many were read (fewer only at
  // the end of the file).
  virtual size_t Read(uint64_t offset, void* buf, size_t n) = 0;
  // Writes all n bytes at offset, extending the file as needed.
  virtual void Write(uint64_t offset, const void* buf, size_t n) = 0;
  virtual uint64_t Size() = 0;
  virtual void Truncate(uint64_t size) = 0;
  // An exclusive advisory lock held until the file is closed; false when
  // another open file already holds it.
  virtual bool TryLockExclusive() = 0;
  // Waits until what was written to the file is on the disk, so that a power
  // cut cannot take it back. A name the file got (created, renamed) needs its
  // folder flushed as well (TFileSystem::SyncDir).
  virtual void Sync() = 0;
};

enum class TOpenMode {
  Read,       // existing file, read only
  ReadWrite,  // existing file
  Create,     // created or emptied, read and write
  Keep,       // created when missing, never emptied, read and write
};

class TFileSystem {
 public:
  virtual ~TFileSystem() = default;
  virtual std::unique_ptr<TFile> Open(const std::string& path, TOpenMode mode) = 0;
  virtual bool Exists(const std::string& path) = 0;
  virtual bool IsDirectory(const std::string& path) = 0;
  // Creates one level of folder; false when it could not be made.
  virtual bool MakeDir(const std::string& path) = 0;
  // Names (not paths) of the entries of a folder; empty when it is missing.
  virtual std::vector<std::string> List(const std::string& dir) = 0;
  // Modification time in nanoseconds since the epoch; 0 when missing.
  virtual int64_t ModTime(const std::string& path) = 0;
  virtual void Rename(const std::string& from, const std::string& to) = 0;
  virtual void Remove(const std::string& path) = 0;
  // Waits until the names in the folder (files made, renamed, removed) are on
  // the disk.
  virtual void SyncDir(const std::string& dir) = 0;
  // True when a file opened for reading may be read from two threads at
  // once (the compressed reader then inflates the next block ahead).
  virtual bool ConcurrentReads() const { return false; }

  // Whole-file helpers built on the above.
  std::string ReadAll(const std::string& path);
  void WriteAll(const std::string& path, const std::string& bytes);
  // Writes a temporary file beside path and renames it over path, so that a
  // crash or a full disk never leaves path empty or half written; the file
  // and then the rename are flushed to the disk before it returns.
  void ReplaceFile(const std::string& path, const std::string& bytes);
};

// The process's real file system (POSIX).
TFileSystem& RealFileSystem();

// The existing entry of dir whose name equals name without regard to ASCII
// letter case (an exact match wins); the joined path of name when none does.
std::string FindNoCase(TFileSystem& fs, const std::string& dir, const std::string& name);

}  // namespace vorne
