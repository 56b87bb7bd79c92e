// CP949 text: conversion to and from UTF-16 (Win32 on Windows, iconv on the host) and the byte-level helpers.
#include "runtime/text.h"

#include <algorithm>
#include <climits>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <iconv.h>
#endif

namespace rt {

namespace {

#ifdef _WIN32

constexpr UINT kCodePage = 949; // Korean (Unified Hangul Code), whatever the system code page is

// Win32 lengths are int: longer texts are converted in pieces cut at character boundaries.
constexpr std::size_t kPiece = INT_MAX / 4;

std::wstring to_wide(std::string_view in) {
    std::wstring out;
    while (!in.empty()) {
        const std::size_t n = in.size() <= kPiece ? in.size() : cut_point(in, kPiece);
        const int len = MultiByteToWideChar(kCodePage, 0, in.data(), static_cast<int>(n), nullptr, 0);
        if (len > 0) {
            const std::size_t at = out.size();
            out.resize(at + static_cast<std::size_t>(len));
            MultiByteToWideChar(kCodePage, 0, in.data(), static_cast<int>(n), out.data() + at, len);
        }
        in.remove_prefix(n);
    }
    return out;
}

std::string to_narrow(std::wstring_view in) {
    std::string out;
    while (!in.empty()) {
        std::size_t n = std::min(in.size(), kPiece);
        if (n < in.size() && n > 1 && IS_HIGH_SURROGATE(in[n - 1])) --n; // keep a surrogate pair together
        const int len = WideCharToMultiByte(kCodePage, 0, in.data(), static_cast<int>(n), nullptr, 0, "?", nullptr);
        if (len > 0) {
            const std::size_t at = out.size();
            out.resize(at + static_cast<std::size_t>(len));
            WideCharToMultiByte(kCodePage, 0, in.data(), static_cast<int>(n), out.data() + at, len, "?", nullptr);
        }
        in.remove_prefix(n);
    }
    return out;
}

#else

// One iconv conversion descriptor, closed when it goes out of scope.
class Iconv {
public:
    Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error(std::string("iconv_open ") + from + " -> " + to + " failed");
    }
    ~Iconv() { iconv_close(cd_); }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;
    iconv_t get() const { return cd_; }

private:
    iconv_t cd_;
};

// Converts the bytes `in` from one encoding to another. Where iconv meets input it cannot convert, `replacement`
// is written and skip(rest) bytes of the input are passed over.
template <class Skip>
std::string convert(const char* to, const char* from, std::string_view in, std::string_view replacement, Skip skip) {
    Iconv cd(to, from);
    std::string out;
    out.reserve(in.size() * 2);
    char* src = const_cast<char*>(in.data()); // iconv's interface is not const-correct; it never writes here
    std::size_t left = in.size();
    char buf[4096];
    while (left > 0) {
        char* dst = buf;
        std::size_t room = sizeof buf;
        const std::size_t r = iconv(cd.get(), &src, &left, &dst, &room);
        out.append(buf, static_cast<std::size_t>(dst - buf));
        if (r == static_cast<std::size_t>(-1) && errno != E2BIG) {
            // EILSEQ: cannot be converted; EINVAL: incomplete sequence at the end.
            out.append(replacement);
            const std::size_t k = std::min(left, skip(std::string_view(src, left)));
            src += k;
            left -= k;
        }
    }
    return out;
}

#endif

} // namespace

#ifdef _WIN32

std::u16string from_cp949(std::string_view cp949) {
    const std::wstring w = to_wide(cp949);
    return std::u16string(w.begin(), w.end());
}

std::string to_cp949(std::u16string_view text) {
    const std::wstring w(text.begin(), text.end());
    return to_narrow(w);
}

std::wstring wide(std::string_view cp949) {
    return to_wide(cp949);
}

std::string narrow(std::wstring_view text) {
    return to_narrow(text);
}

#else

std::u16string from_cp949(std::string_view cp949) {
    // An undecodable lead byte takes its trail byte with it, as one character; any other bad byte goes alone.
    const std::string bytes = convert("UTF-16LE", "CP949", cp949, std::string_view("?\0", 2), [](std::string_view s) {
        return s.size() >= 2 && is_lead(static_cast<unsigned char>(s[0])) && is_trail(static_cast<unsigned char>(s[1]))
                   ? std::size_t{2}
                   : std::size_t{1};
    });
    std::u16string out(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                       static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    return out;
}

std::string to_cp949(std::u16string_view text) {
    std::string bytes(text.size() * 2, '\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        bytes[2 * i] = static_cast<char>(text[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<char>(text[i] >> 8);
    }
    // One '?' per UTF-16 unit that cannot be converted, as WideCharToMultiByte does.
    return convert("CP949", "UTF-16LE", bytes, "?", [](std::string_view) { return std::size_t{2}; });
}

#endif

std::size_t cut_point(std::string_view s, std::size_t max) noexcept {
    if (s.size() <= max) return s.size();
    std::size_t i = 0;
    while (i < s.size()) {
        const std::size_t len = is_lead(static_cast<unsigned char>(s[i])) && i + 1 < s.size() &&
                                        is_trail(static_cast<unsigned char>(s[i + 1]))
                                    ? 2
                                    : 1;
        if (i + len > max) break;
        i += len;
    }
    return i;
}

std::string clip(std::string_view s) {
    const std::size_t end = s.find_last_not_of(' ');
    return std::string(end == std::string_view::npos ? std::string_view() : s.substr(0, end + 1));
}

std::string upper(std::string_view s) {
    std::string out(s);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const auto c = static_cast<unsigned char>(out[i]);
        if (is_lead(c) && i + 1 < out.size() && is_trail(static_cast<unsigned char>(out[i + 1])))
            ++i; // both bytes of a double-byte character stay
        else if (c >= 'a' && c <= 'z')
            out[i] = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

std::strong_ordering compare_padded(std::string_view a, std::string_view b) noexcept {
    const std::size_t n = std::max(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(i < a.size() ? a[i] : ' ');
        const auto y = static_cast<unsigned char>(i < b.size() ? b[i] : ' ');
        if (x != y) return x <=> y;
    }
    return std::strong_ordering::equal;
}

} // namespace rt
