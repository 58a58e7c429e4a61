// The named exceptions of the system and the platform I/O error. Operations
// say in their header comments which of these they raise.
#pragma once

#include <stdexcept>
#include <string>

namespace vorne {

// Base of every exception the core raises on purpose.
class EVorneError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The platform's input/output error with its code (101 is disk full).
class EInOutError : public EVorneError {
 public:
  static constexpr int kDiskFull = 101;
  EInOutError(int code, const std::string& what) : EVorneError(what), code_(code) {}
  int Code() const { return code_; }

 private:
  int code_;
};

class EDiskOverrun : public EVorneError {
 public:
  EDiskOverrun() : EVorneError("Won't fit, new disk needed") {}
};

class EUnzipError : public EVorneError {
 public:
  using EVorneError::EVorneError;
};

class EmptyBufError : public EVorneError {
 public:
  EmptyBufError() : EVorneError("Empty Buffer") {}
};

class EListNotAdded : public EVorneError {
 public:
  using EVorneError::EVorneError;
};

// The zlib wrapper's exceptions.
class ECompressionError : public EVorneError {
 public:
  using EVorneError::EVorneError;
};
class EDecompressionError : public EVorneError {
 public:
  using EVorneError::EVorneError;
};
class ECompressionFailure : public EVorneError {
 public:
  ECompressionFailure() : EVorneError("ZLIB compression failed") {}
};

}  // namespace vorne
