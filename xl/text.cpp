// Text conversion of the writer: CP949 in, UTF-16 (BIFF8) and UTF-8 (OOXML) out.
#include "xl/book.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <iconv.h>
#endif

namespace xl {

namespace {

bool ascii(std::string_view s) {
    for (const char c : s)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

#ifndef _WIN32
// One descriptor per thread, opened on first use: opening one per text would cost more than converting it.
class Converter {
public:
    Converter() : cd_(iconv_open("UTF-16LE", "CP949")) {}
    ~Converter() {
        if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
    }
    std::u16string convert(std::string_view in) {
        std::u16string out;
        if (cd_ == reinterpret_cast<iconv_t>(-1)) return out;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* src = const_cast<char*>(in.data()); // iconv does not write through it
        std::size_t left = in.size();
        char16_t buf[1024];
        while (left > 0) {
            char* dst = reinterpret_cast<char*>(buf);
            std::size_t room = sizeof buf;
            const std::size_t r = iconv(cd_, &src, &left, &dst, &room);
            out.append(buf, static_cast<std::size_t>(dst - reinterpret_cast<char*>(buf)) / 2);
            if (r == static_cast<std::size_t>(-1) && errno != E2BIG) {
                // Not CP949 (or cut short): one replacement for the bad byte, then on.
                out += u'\uFFFD';
                ++src;
                --left;
            }
        }
        return out;
    }

private:
    iconv_t cd_;
};
#endif

} // namespace

std::u16string from_cp949(std::string_view cp949) {
    if (ascii(cp949)) return std::u16string(cp949.begin(), cp949.end());
#ifdef _WIN32
    const int n = MultiByteToWideChar(949, 0, cp949.data(), static_cast<int>(cp949.size()), nullptr, 0);
    std::u16string out(static_cast<std::size_t>(n > 0 ? n : 0), u'\0');
    if (n > 0)
        MultiByteToWideChar(949, 0, cp949.data(), static_cast<int>(cp949.size()),
                            reinterpret_cast<wchar_t*>(out.data()), n);
    return out;
#else
    thread_local Converter converter;
    return converter.convert(cp949);
#endif
}

void append_utf8(std::string& out, std::u16string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
}

} // namespace xl
