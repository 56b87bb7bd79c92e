// Text of the runtime: CP949 byte strings, their conversion to and from UTF-16, and the fixed-length fields
// (blank-padded STRING(n) and NUL-terminated CSTRING(n)) that sit inside the record structs.
#pragma once

#include <compare>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>
#include <type_traits>

namespace rt {

// CP949 text to UTF-16, always with code page 949 (never the system code page). Bytes that are not valid CP949
// become a replacement character; the call never fails.
std::u16string from_cp949(std::string_view cp949);

// UTF-16 text to CP949; a character that CP949 cannot hold (and a lone surrogate) becomes '?'.
std::string to_cp949(std::u16string_view text);

#ifdef _WIN32
// The same conversions for the wide Win32 calls (wchar_t is UTF-16 on Windows).
std::wstring wide(std::string_view cp949);
std::string narrow(std::wstring_view text);
#endif

// A CP949 lead byte: the first byte of a double-byte character.
constexpr bool is_lead(unsigned char c) noexcept {
    return c >= 0x81 && c <= 0xFE;
}

// A byte that can follow a lead byte as the second half of a double-byte character (CP949 trail ranges
// 41-5A, 61-7A, 81-FE): note that ASCII letters are among them.
constexpr bool is_trail(unsigned char c) noexcept {
    return (c >= 0x41 && c <= 0x5A) || (c >= 0x61 && c <= 0x7A) || (c >= 0x81 && c <= 0xFE);
}

// Length of the longest prefix of s, at most max bytes, that does not split a double-byte character. The text is
// walked from its start: a lead byte followed by a trail byte is one character of 2 bytes, any other byte one of 1.
std::size_t cut_point(std::string_view s, std::size_t max) noexcept;

// s without its trailing blanks.
std::string clip(std::string_view s);

// s with the ASCII letters a-z upper-cased; both bytes of a double-byte character stay as they are.
std::string upper(std::string_view s);

// Three-way comparison of two texts in byte order (unsigned), the shorter one padded with blanks, so that
// "abc" and "abc   " are equal.
std::strong_ordering compare_padded(std::string_view a, std::string_view b) noexcept;

// STRING(N): N bytes of CP949 text, blank-padded on the right. Assignment cuts at a character boundary and pads
// with blanks; comparisons pad the shorter side with blanks. Standard-layout, trivially copyable, N bytes with
// alignment 1, so it can sit inside packed record structs.
template <std::size_t N> struct Fixed {
    static_assert(N > 0, "a fixed field holds at least one byte");

    char data[N]; // the field's bytes, blank-padded

    Fixed() noexcept { clear(); }
    Fixed(std::string_view cp949) noexcept { assign(cp949); }
    Fixed(const char* cp949) noexcept { assign(std::string_view(cp949 ? cp949 : "")); }
    Fixed(const std::string& cp949) noexcept { assign(std::string_view(cp949)); }
    Fixed(std::u16string_view text) { assign(text); }
    Fixed(const char16_t* text) { assign(std::u16string_view(text ? text : u"")); }
    template <std::size_t M> explicit Fixed(const Fixed<M>& other) noexcept { assign(other.view()); }

    Fixed& operator=(std::string_view cp949) noexcept { return assign(cp949); }
    Fixed& operator=(const char* cp949) noexcept { return assign(std::string_view(cp949 ? cp949 : "")); }
    Fixed& operator=(const std::string& cp949) noexcept { return assign(std::string_view(cp949)); }
    Fixed& operator=(std::u16string_view text) { return assign(text); }
    Fixed& operator=(const char16_t* text) { return assign(std::u16string_view(text ? text : u"")); }
    template <std::size_t M> Fixed& operator=(const Fixed<M>& other) noexcept { return assign(other.view()); }

    // Copies the CP949 bytes cut to N at a character boundary, blanks after them.
    Fixed& assign(std::string_view cp949) noexcept {
        const std::size_t n = cut_point(cp949, N);
        if (n) std::memmove(data, cp949.data(), n);
        std::memset(data + n, ' ', N - n);
        return *this;
    }
    // Converts UTF-16 text to CP949, then assigns it.
    Fixed& assign(std::u16string_view text) { return assign(std::string_view(to_cp949(text))); }

    static constexpr std::size_t size() noexcept { return N; }
    std::string_view view() const noexcept { return std::string_view(data, N); } // all N bytes
    std::string clip() const { return rt::clip(view()); }                        // without trailing blanks
    std::u16string text() const { return from_cp949(rt::clip(view())); }         // clipped, as UTF-16
    void clear() noexcept { std::memset(data, ' ', N); }
    bool blank() const noexcept { return view().find_first_not_of(' ') == std::string_view::npos; }
    bool empty() const noexcept { return blank(); }

    friend bool operator==(const Fixed& a, std::string_view b) noexcept { return compare_padded(a.view(), b) == 0; }
    friend std::strong_ordering operator<=>(const Fixed& a, std::string_view b) noexcept {
        return compare_padded(a.view(), b);
    }
    template <std::size_t M> friend bool operator==(const Fixed& a, const Fixed<M>& b) noexcept {
        return compare_padded(a.view(), b.view()) == 0;
    }
    template <std::size_t M> friend std::strong_ordering operator<=>(const Fixed& a, const Fixed<M>& b) noexcept {
        return compare_padded(a.view(), b.view());
    }
};

// CSTRING(N): NUL-terminated CP949 text in N bytes (at most N-1 of text). Assignment cuts at a character
// boundary and zero-fills the rest; comparisons are those of Fixed (blank-padded). Same layout rules as Fixed.
template <std::size_t N> struct CString {
    static_assert(N > 1, "a NUL-terminated field holds at least one byte of text");

    char data[N]; // the text, then NUL bytes

    CString() noexcept { clear(); }
    CString(std::string_view cp949) noexcept { assign(cp949); }
    CString(const char* cp949) noexcept { assign(std::string_view(cp949 ? cp949 : "")); }
    CString(const std::string& cp949) noexcept { assign(std::string_view(cp949)); }
    CString(std::u16string_view text) { assign(text); }
    CString(const char16_t* text) { assign(std::u16string_view(text ? text : u"")); }

    CString& operator=(std::string_view cp949) noexcept { return assign(cp949); }
    CString& operator=(const char* cp949) noexcept { return assign(std::string_view(cp949 ? cp949 : "")); }
    CString& operator=(const std::string& cp949) noexcept { return assign(std::string_view(cp949)); }
    CString& operator=(std::u16string_view text) { return assign(text); }
    CString& operator=(const char16_t* text) { return assign(std::u16string_view(text ? text : u"")); }

    // Copies the CP949 bytes up to the first NUL, cut to N-1 at a character boundary; NUL bytes after them.
    CString& assign(std::string_view cp949) noexcept {
        cp949 = cp949.substr(0, cp949.find('\0'));
        const std::size_t n = cut_point(cp949, N - 1);
        if (n) std::memmove(data, cp949.data(), n);
        std::memset(data + n, 0, N - n);
        return *this;
    }
    CString& assign(std::u16string_view text) { return assign(std::string_view(to_cp949(text))); }

    static constexpr std::size_t capacity() noexcept { return N - 1; }
    // The text up to its NUL (all N bytes if a foreign writer left none).
    std::string_view str() const noexcept { return std::string_view(data, strnlen_(data)); }
    const char* c_str() const noexcept { return data; } // NUL-terminated unless a foreign writer filled all N
    std::u16string text() const { return from_cp949(str()); }
    void clear() noexcept { std::memset(data, 0, N); }
    bool empty() const noexcept { return data[0] == '\0'; }

    friend bool operator==(const CString& a, std::string_view b) noexcept { return compare_padded(a.str(), b) == 0; }
    friend std::strong_ordering operator<=>(const CString& a, std::string_view b) noexcept {
        return compare_padded(a.str(), b);
    }
    template <std::size_t M> friend bool operator==(const CString& a, const CString<M>& b) noexcept {
        return compare_padded(a.str(), b.str()) == 0;
    }
    template <std::size_t M> friend std::strong_ordering operator<=>(const CString& a, const CString<M>& b) noexcept {
        return compare_padded(a.str(), b.str());
    }

private:
    static std::size_t strnlen_(const char* p) noexcept {
        const void* z = std::memchr(p, 0, N);
        return z ? static_cast<std::size_t>(static_cast<const char*>(z) - p) : N;
    }
};

static_assert(sizeof(Fixed<30>) == 30 && alignof(Fixed<30>) == 1);
static_assert(std::is_standard_layout_v<Fixed<30>> && std::is_trivially_copyable_v<Fixed<30>>);
static_assert(sizeof(Fixed<1>) == 1 && alignof(Fixed<1>) == 1);
static_assert(sizeof(CString<255>) == 255 && alignof(CString<255>) == 1);
static_assert(std::is_standard_layout_v<CString<255>> && std::is_trivially_copyable_v<CString<255>>);

} // namespace rt
