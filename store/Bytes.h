// Little-endian integers and the two fixed text field forms of the library
// files. Every record codec reads and writes its bytes through these; nothing
// else touches raw field bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vorne {

inline uint16_t GetU16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline int16_t GetI16(const uint8_t* p) { return int16_t(GetU16(p)); }
inline uint32_t GetU32(const uint8_t* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline int32_t GetI32(const uint8_t* p) { return int32_t(GetU32(p)); }

inline void PutU16(uint8_t* p, uint16_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}
inline void PutI16(uint8_t* p, int16_t v) { PutU16(p, uint16_t(v)); }
inline void PutU32(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
  p[2] = uint8_t(v >> 16);
  p[3] = uint8_t(v >> 24);
}
inline void PutI32(uint8_t* p, int32_t v) { PutU32(p, uint32_t(v)); }

// string[N]: one length byte and up to N characters; it occupies N + 1 bytes.
// A stored length above N (a damaged record) is cut to the N bytes the field has.
inline std::string GetPString(const uint8_t* p, size_t capacity) {
  size_t n = p[0];
  if (n > capacity) n = capacity;
  return std::string(reinterpret_cast<const char*>(p + 1), n);
}
// Writes s cut to N characters; the unused bytes of the field are zeroed.
inline void PutPString(uint8_t* p, size_t capacity, std::string_view s) {
  size_t n = s.size() < capacity ? s.size() : capacity;
  p[0] = uint8_t(n);
  for (size_t i = 0; i < capacity; ++i) p[1 + i] = i < n ? uint8_t(s[i]) : 0;
}

// char[N]: N characters padded on the right with spaces.
inline std::string GetChars(const uint8_t* p, size_t n) {
  return std::string(reinterpret_cast<const char*>(p), n);
}
inline void PutChars(uint8_t* p, size_t n, std::string_view s) {
  for (size_t i = 0; i < n; ++i) p[i] = i < s.size() ? uint8_t(s[i]) : uint8_t(' ');
}

}  // namespace vorne
