// Little-endian numbers appended to byte strings, as the file formats store them.
#pragma once

#include <cstdint>
#include <string>

namespace xl {

inline void put8(std::string& s, std::uint32_t v) {
    s += static_cast<char>(v & 0xFF);
}
inline void put16(std::string& s, std::uint32_t v) {
    put8(s, v);
    put8(s, v >> 8);
}
inline void put32(std::string& s, std::uint32_t v) {
    put16(s, v & 0xFFFF);
    put16(s, v >> 16);
}

} // namespace xl
