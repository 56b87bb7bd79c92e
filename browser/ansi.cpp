#include "browser/ansi.h"

#include <windows.h>

#include <cstring>

namespace brovana {

std::wstring fromAnsi(const char* text) {
    if (!text || !*text) return {};
    int bytes = static_cast<int>(std::strlen(text));
    int n = MultiByteToWideChar(CP_ACP, 0, text, bytes, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, text, bytes, wide.data(), n);
    return wide;
}

} // namespace brovana
