// The named exceptions of the system and the platform I/O error. Operations
// say in their header comments which of these they raise.
#pragma once

#include <stdexcept>
#include <string>

#include "platform/Errors.h"

namespace vorne {

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
