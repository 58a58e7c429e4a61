// libFuzzer entry: a filing file read and imported.
#include "fuzz/Harnesses.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vorne::fuzz::FuzzFiling(data, size);
  return 0;
}
