// The base of the core's exceptions and the platform's input/output error,
// which the file layer raises with the operating system's code.
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

}  // namespace vorne
