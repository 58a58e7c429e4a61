// libFuzzer entry: a packed library opened and read in both forms.
#include "fuzz/Harnesses.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vorne::fuzz::FuzzLibrary(data, size);
  return 0;
}
