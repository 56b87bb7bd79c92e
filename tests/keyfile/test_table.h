// A table of every field and key kind the driver offers, shared by the driver tests and their child program.
#pragma once

#include <cstddef>
#include <cstdint>

#include "runtime/keyfile.h"
#include "runtime/text.h"

namespace kt {

#pragma pack(push, 1)
struct DOC {
    std::uint8_t FLAG = 0;
    std::int16_t GROUP = 0;
    std::int32_t DATE = 0;
    std::int32_t TIME = 0;
    std::int32_t VER = 0;
    std::int32_t LEN = 0;
    rt::Fixed<10> CODE;
    rt::Fixed<8> TAG;
    rt::Fixed<40> TITLE;
    rt::Fixed<12> FILES[3];

    static constexpr rt::Key GROUP_KEY{0}; // + GROUP, - DATE
    static constexpr rt::Key DATE_KEY{1};  // - DATE, - TIME
    static constexpr rt::Key CODE_KEY{2};  // + CODE, letter case ignored
    static constexpr rt::Key TAG_KEY{3};   // + TAG (letter case counts), + GROUP
    static constexpr rt::Key FLAG_KEY{4};  // + FLAG, not optional: every record
    static constexpr rt::Blob BODY{0};
    static constexpr rt::Blob OBJ{1};
};
#pragma pack(pop)

enum : std::size_t { F_FLAG, F_GROUP, F_DATE, F_TIME, F_VER, F_LEN, F_CODE, F_TAG, F_TITLE, F_FILES };

inline const rt::Table DOCS{
    "DOCS",
    sizeof(DOC),
    {
        {"FLAG", rt::FieldType::Byte, offsetof(DOC, FLAG), 1},
        {"GROUP", rt::FieldType::Short, offsetof(DOC, GROUP), 2},
        {"DATE", rt::FieldType::Long, offsetof(DOC, DATE), 4},
        {"TIME", rt::FieldType::Long, offsetof(DOC, TIME), 4},
        {"VER", rt::FieldType::Long, offsetof(DOC, VER), 4},
        {"LEN", rt::FieldType::Long, offsetof(DOC, LEN), 4},
        {"CODE", rt::FieldType::Text, offsetof(DOC, CODE), 10},
        {"TAG", rt::FieldType::Text, offsetof(DOC, TAG), 8},
        {"TITLE", rt::FieldType::Text, offsetof(DOC, TITLE), 40},
        {"FILES", rt::FieldType::Text, offsetof(DOC, FILES), 12, 3},
    },
    {
        {"GROUP_KEY", {{F_GROUP}, {F_DATE, true}}},
        {"DATE_KEY", {{F_DATE, true}, {F_TIME, true}}},
        {"CODE_KEY", {{F_CODE}}},
        {"TAG_KEY", {{F_TAG}, {F_GROUP}}, false},
        {"FLAG_KEY", {{F_FLAG}}, true, false},
    },
    {"BODY", "OBJ"},
};

// The body a document of version `ver` carries in the crash test: `len` bytes that depend on both.
inline std::string body_of(std::int32_t id, std::int32_t ver, std::int32_t len) {
    std::string s(static_cast<std::size_t>(len), '\0');
    std::uint32_t x = static_cast<std::uint32_t>(id) * 2654435761u ^ static_cast<std::uint32_t>(ver) * 40503u;
    for (auto& c : s) {
        x = x * 1103515245u + 12345u;
        c = static_cast<char>(x >> 24);
    }
    return s;
}

} // namespace kt
