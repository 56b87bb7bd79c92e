// CP949 <-> UTF-8 for the text columns. The tables come from rt::from_cp949 / rt::to_cp949 once per process; a
// character is convertible only when it goes both ways to the same bytes.
#include "runtime/keyfile_impl.h"

#include "runtime/text.h"

namespace rt::kf {

namespace {

// character is convertible only when it goes both ways to the same bytes.

void put_utf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string utf16_to_utf8(std::u16string_view s) {
    std::string out;
    out.reserve(s.size() * 3);
    for (std::size_t i = 0; i < s.size(); ++i) {
        std::uint32_t c = s[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;
        }
        put_utf8(out, c);
    }
    return out;
}

class Codec {
public:
    static const Codec& get() {
        static const Codec codec;
        return codec;
    }

    // UTF-8 for CP949 bytes; false when some byte sequence does not convert both ways (or is a NUL).
    bool to_utf8(std::string_view in, std::string& out) const {
        out.clear();
        for (std::size_t i = 0; i < in.size(); ++i) {
            const auto c = static_cast<unsigned char>(in[i]);
            if (c < 0x80) {
                if (c == 0) return false;
                out += static_cast<char>(c);
            } else if (is_lead(c) && i + 1 < in.size()) {
                const char16_t u = fwd_[(c - 0x81) * 256 + static_cast<unsigned char>(in[i + 1])];
                if (!u) return false;
                put_utf8(out, u);
                ++i;
            } else {
                return false;
            }
        }
        return true;
    }

    // CP949 for UTF-8; what CP949 lacks, and bad UTF-8, becomes '?'.
    void from_utf8(std::string_view in, std::string& out) const {
        out.clear();
        std::size_t i = 0;
        while (i < in.size()) {
            const auto c = static_cast<unsigned char>(in[i]);
            if (c < 0x80) {
                out += static_cast<char>(c);
                ++i;
                continue;
            }
            std::uint32_t cp = 0;
            std::size_t len = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 0;
            bool good = len != 0 && i + len <= in.size();
            if (good) {
                cp = c & (0x7F >> len);
                for (std::size_t k = 1; k < len; ++k) {
                    const auto t = static_cast<unsigned char>(in[i + k]);
                    if ((t & 0xC0) != 0x80) {
                        good = false;
                        break;
                    }
                    cp = (cp << 6) | (t & 0x3F);
                }
            }
            if (!good) {
                out += '?';
                ++i;
                continue;
            }
            i += len;
            const std::uint16_t code = cp < 0x10000 ? rev_[cp] : 0;
            if (code) {
                out += static_cast<char>(code >> 8);
                out += static_cast<char>(code & 0xFF);
            } else {
                out += '?';
            }
        }
    }

private:
    Codec() : fwd_(126 * 256, 0), rev_(65536, 0) {
        // The pairs of one lead byte, one per line, converted in one call each way; should a converter swallow a
        // line break, that lead byte's pairs are converted one by one.
        for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
            std::vector<std::uint16_t> codes;
            for (unsigned trail = 0x41; trail <= 0xFE; ++trail)
                if (is_trail(static_cast<unsigned char>(trail)))
                    codes.push_back(static_cast<std::uint16_t>(lead << 8 | trail));
            std::vector<char16_t> units = to_units(codes);
            if (units.size() != codes.size()) {
                units.clear();
                for (std::uint16_t code : codes) {
                    const std::vector<char16_t> one = to_units({code});
                    units.push_back(one.size() == 1 ? one[0] : 0);
                }
            }
            std::u16string back_in;
            for (char16_t u : units) {
                back_in += u ? u : u'?';
                back_in += u'\n';
            }
            const std::string back = to_cp949(back_in);
            std::size_t at = 0;
            for (std::size_t n = 0; n < codes.size(); ++n) {
                const std::size_t end = back.find('\n', at);
                if (end == std::string::npos) break;
                const std::string_view got(back.data() + at, end - at);
                at = end + 1;
                const char16_t u = units[n];
                if (!u || u < 0x80 || got.size() != 2) continue;
                const auto code = static_cast<std::uint16_t>(static_cast<unsigned char>(got[0]) << 8 |
                                                             static_cast<unsigned char>(got[1]));
                if (code != codes[n] || rev_[u]) continue;
                fwd_[((code >> 8) - 0x81) * 256 + (code & 0xFF)] = u;
                rev_[u] = code;
            }
        }
    }

    // The UTF-16 unit of each CP949 pair (0 when a pair gives anything but one unit), or fewer entries than
    // pairs when the converter's output does not line up with them.
    static std::vector<char16_t> to_units(const std::vector<std::uint16_t>& codes) {
        std::string pairs;
        for (std::uint16_t c : codes) {
            pairs += static_cast<char>(c >> 8);
            pairs += static_cast<char>(c & 0xFF);
            pairs += '\n';
        }
        const std::u16string wide = from_cp949(pairs);
        std::vector<char16_t> units;
        std::size_t start = 0;
        for (std::size_t i = 0; i < wide.size(); ++i)
            if (wide[i] == u'\n') {
                units.push_back(i - start == 1 ? wide[start] : 0);
                start = i + 1;
            }
        return units;
    }

    std::vector<char16_t> fwd_;      // (lead - 0x81) * 256 + trail -> UTF-16, 0 when not convertible
    std::vector<std::uint16_t> rev_; // UTF-16 -> lead << 8 | trail, 0 when none
};

} // namespace

bool cp949_to_utf8(std::string_view in, std::string& out) {
    return Codec::get().to_utf8(in, out);
}

void utf8_to_cp949(std::string_view in, std::string& out) {
    Codec::get().from_utf8(in, out);
}

// File names are CP949; SQLite takes UTF-8 (and on Windows turns it into UTF-16 itself).
std::string utf8_path(std::string_view cp949) {
    return utf16_to_utf8(from_cp949(cp949));
}

} // namespace rt::kf
