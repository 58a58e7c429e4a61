// Fuzzing harnesses: each takes one input of bytes and runs it through the
// core the way damaged files reach it. A harness returns normally for every
// input, whatever the core reports; only a crash, a hang, a sanitizer report
// or an exception other than the core's named ones is a finding. The libFuzzer
// entry points (tests/fuzz/main) call them, and the test suite replays the
// committed corpus (tests/fuzz/corpus/<harness>/) through them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vorne::fuzz {

// A library of three files, packed as one input: byte 0 reserved, bytes 1-2
// the prime file's length and bytes 3-6 the header file's (little-endian, cut
// to what follows), then the prime file, the header file, and the text file
// as the rest.
std::string PackLibrary(const std::string& prime, const std::string& header, const std::string& text);

// Opens the packed library in both forms (compressed and uncompressed file
// names and text) and reads it as every reading mode does: the volume list,
// every volume's sheet list with the names, the text of every sheet version,
// the docket list, the latest update and the Database export.
void FuzzLibrary(const uint8_t* data, size_t size);

// Imports the input as a filing file into a new library and into one that
// already holds two volumes, then reads each library back as FuzzLibrary does.
void FuzzFiling(const uint8_t* data, size_t size);

}  // namespace vorne::fuzz
