// What the killed writer stores and the test checks: each version of a document carries its number in its title,
// at both ends of its body and at the start of its embedded object's text.
#pragma once

#include <string>

namespace kill_test {

inline constexpr std::size_t BODY_CHARS = 200'000; // the body's RTF
inline constexpr std::size_t OBJECT_CHARS = 25'000;  // 50 KB of UTF-16 in the object

inline std::string title_of(long pos, long version) {
    return "doc " + std::to_string(pos) + " v" + std::to_string(version);
}
inline std::string marker(long pos, long version) {
    return "V" + std::to_string(version) + ":" + std::to_string(pos) + ";";
}
// The body as RTF: paragraphs of about 1,000 characters of markers.
inline std::string body_of(long pos, long version) {
    const std::string m = marker(pos, version);
    std::string body = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\\f0\\fs20 ";
    body.reserve(BODY_CHARS + 100);
    std::string line;
    while (line.size() + m.size() <= 1000) line += m;
    line += "\\par\n";
    while (body.size() + line.size() + 1 <= BODY_CHARS) body += line;
    return body + "}";
}
// The events the writer sets: before it presses the save button, and after each stored version.
inline std::wstring saving_event(unsigned long pid) { return L"velquin-writer-saving-" + std::to_wstring(pid); }

} // namespace kill_test
