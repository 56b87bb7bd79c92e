#include "runtime/filename.h"

#include "runtime/text.h"

#include <string>

namespace rt {

namespace {

char16_t upper_ascii(char16_t c) {
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

// The part before the first dot, without its trailing blanks, is what Windows compares with the device names.
bool device_name(std::u16string_view name) {
    std::u16string base(name.substr(0, name.find(u'.')));
    while (!base.empty() && base.back() == u' ') base.pop_back();
    for (char16_t& c : base) c = upper_ascii(c);
    if (base == u"CON" || base == u"PRN" || base == u"AUX" || base == u"NUL" || base == u"CONIN$" ||
        base == u"CONOUT$")
        return true;
    if (base.size() != 4 || (base.compare(0, 3, u"COM") != 0 && base.compare(0, 3, u"LPT") != 0)) return false;
    const char16_t n = base[3];
    return (n >= u'0' && n <= u'9') || n == u'\u00B9' || n == u'\u00B2' || n == u'\u00B3';
}

} // namespace

bool plain_name(std::string_view cp949) {
    const std::u16string name = from_cp949(cp949);
    if (name.empty() || name.back() == u'.' || name.back() == u' ') return false;
    for (const char16_t c : name)
        if (c < 0x20 || std::u16string_view(u"\\/:*?\"<>|").find(c) != std::u16string_view::npos) return false;
    return !device_name(name);
}

} // namespace rt
