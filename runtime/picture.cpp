// Display pictures: parsing a picture once, then formatting numbers, dates, times, patterns and texts with it.
#include "runtime/picture.h"

#include <charconv>
#include <cmath>
#include <optional>

#include "runtime/clock.h"

namespace rt {

namespace {

// A parsed picture.
struct Picture {
    enum class Kind { Text, Number, Date, Time, Pattern } kind;
    std::size_t width = 0;    // Text: byte limit (0 none); Number: places (0 as needed); Date, Time: the picture number
    int places = 0;           // Number: decimal places
    bool group = false;       // Number: thousands separated by commas (lower-case n)
    bool blank_zero = false;  // Number, Pattern: blank when zero
    char separator = '/';     // Date: what stands between the parts
    std::string_view pattern; // Pattern: the characters between the two p's
};

bool digit(char c) {
    return c >= '0' && c <= '9';
}

// Reads a decimal number at the front of s and drops it; false when s does not start with a digit.
bool take_number(std::string_view& s, std::size_t& n) {
    if (s.empty() || !digit(s.front())) return false;
    n = 0;
    while (!s.empty() && digit(s.front())) {
        if (n < 100000) n = n * 10 + static_cast<std::size_t>(s.front() - '0');
        s.remove_prefix(1);
    }
    return true;
}

bool take(std::string_view& s, char c) {
    if (s.empty() || s.front() != c) return false;
    s.remove_prefix(1);
    return true;
}

bool take_b(std::string_view& s) {
    return take(s, 'B') || take(s, 'b');
}

std::optional<Picture> parse(std::string_view p) {
    if (take(p, '@') && !p.empty() && p.back() == '@') p.remove_suffix(1);
    if (p.empty()) return std::nullopt;
    const char letter = p.front();
    p.remove_prefix(1);
    Picture pic{};
    switch (letter) {
    case 'S':
    case 's':
        pic.kind = Picture::Kind::Text;
        take_number(p, pic.width);
        break;
    case 'N':
    case 'n': {
        pic.kind = Picture::Kind::Number;
        pic.group = letter == 'n';
        take(p, '-');
        take_number(p, pic.width);
        if (take(p, '.')) {
            std::size_t places = 0;
            if (!take_number(p, places) || places > 9) return std::nullopt;
            pic.places = static_cast<int>(places);
        }
        pic.blank_zero = take_b(p);
        break;
    }
    case 'D':
    case 'd':
        pic.kind = Picture::Kind::Date;
        if (!take_number(p, pic.width) || pic.width < 9 || pic.width > 12) return std::nullopt;
        if (take(p, '-'))
            pic.separator = '-';
        else if (take(p, '.'))
            pic.separator = '.';
        else if (take(p, '_'))
            pic.separator = ' ';
        take_b(p); // dates are blank at zero anyway
        break;
    case 'T':
    case 't':
        pic.kind = Picture::Kind::Time;
        if (!take_number(p, pic.width) || pic.width < 1 || pic.width > 6) return std::nullopt;
        take_b(p); // times are blank at zero anyway
        break;
    case 'P':
    case 'p': {
        pic.kind = Picture::Kind::Pattern;
        if (!p.empty() && (p.back() == 'B' || p.back() == 'b') && p.size() >= 2 &&
            (p[p.size() - 2] == 'P' || p[p.size() - 2] == 'p')) {
            pic.blank_zero = true;
            p.remove_suffix(1);
        }
        if (p.empty() || (p.back() != 'P' && p.back() != 'p')) return std::nullopt;
        p.remove_suffix(1);
        pic.pattern = p;
        return pic;
    }
    default:
        return std::nullopt;
    }
    if (!p.empty()) return std::nullopt; // something the picture kinds do not know follows
    return pic;
}

// The shortest decimal text of a number: whole numbers without a point.
std::string plain(double v) {
    if (std::isfinite(v) && v == std::trunc(v) && std::fabs(v) < 1e15)
        return std::to_string(static_cast<long long>(v)); // -0.0 becomes "0"
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

std::string two(int n) {
    return {static_cast<char>('0' + n / 10 % 10), static_cast<char>('0' + n % 10)};
}

std::string four(int n) {
    return two(n / 100) + two(n % 100);
}

// |v| rounded to `places` decimals, as a whole number of units of 10^-places; nullopt when it does not fit.
std::optional<long long> scaled(double v, int places) {
    if (!std::isfinite(v)) return std::nullopt;
    const double s = std::fabs(v) * std::pow(10.0, places);
    if (s >= 9e15) return std::nullopt;
    return std::llround(s);
}

std::string format_number(double v, const Picture& pic) {
    const std::string hashes(pic.width ? pic.width : 1, '#');
    const auto q = scaled(v, pic.places);
    if (!q) return hashes;
    if (*q == 0 && pic.blank_zero) return std::string(pic.width, ' ');
    std::string digits = std::to_string(*q);
    if (digits.size() < static_cast<std::size_t>(pic.places) + 1)
        digits.insert(0, static_cast<std::size_t>(pic.places) + 1 - digits.size(), '0');
    const std::string whole = digits.substr(0, digits.size() - static_cast<std::size_t>(pic.places));
    std::string s = v < 0 && *q != 0 ? "-" : "";
    for (std::size_t i = 0; i < whole.size(); ++i) {
        if (pic.group && i > 0 && (whole.size() - i) % 3 == 0) s += ',';
        s += whole[i];
    }
    if (pic.places) s += '.' + digits.substr(whole.size());
    if (pic.width == 0) return s;
    if (s.size() > pic.width) return hashes;
    return std::string(pic.width - s.size(), ' ') + s;
}

std::string format_date(double v, const Picture& pic) {
    static constexpr std::size_t widths[] = {8, 10, 6, 8}; // D9, D10, D11, D12
    const std::size_t width = widths[pic.width - 9];
    const long day = std::isfinite(v) && std::fabs(v) < 1e9 ? static_cast<long>(v) : 0;
    if (day < kFirstDay || day > kLastDay) return std::string(width, ' ');
    const Ymd d = ymd(day);
    const std::string sep(1, pic.separator);
    switch (pic.width) {
    case 9:
        return two(d.year) + sep + two(d.month) + sep + two(d.day);
    case 10:
        return four(d.year) + sep + two(d.month) + sep + two(d.day);
    case 11:
        return two(d.year) + two(d.month) + two(d.day);
    default:
        return four(d.year) + two(d.month) + two(d.day);
    }
}

std::string format_time(double v, const Picture& pic) {
    static constexpr std::size_t widths[] = {5, 4, 7, 8, 6, 10}; // T1 ... T6, the 12-hour ones at their widest
    const long c = std::isfinite(v) && std::fabs(v) < 1e9 ? static_cast<long>(v) : 0;
    if (c < 1 || c > kLastClock) return std::string(widths[pic.width - 1], ' ');
    const Hms t = hms(c);
    const int h12 = t.hour % 12 == 0 ? 12 : t.hour % 12;
    const char* xm = t.hour < 12 ? "AM" : "PM";
    switch (pic.width) {
    case 1:
        return two(t.hour) + ':' + two(t.minute);
    case 2:
        return two(t.hour) + two(t.minute);
    case 3:
        return std::to_string(h12) + ':' + two(t.minute) + xm;
    case 4:
        return two(t.hour) + ':' + two(t.minute) + ':' + two(t.second);
    case 5:
        return two(t.hour) + two(t.minute) + two(t.second);
    default:
        return std::to_string(h12) + ':' + two(t.minute) + ':' + two(t.second) + xm;
    }
}

std::string format_pattern(double v, const Picture& pic) {
    const std::string_view p = pic.pattern;
    std::size_t positions = 0;
    for (char c : p)
        if (c == '#' || c == '<') ++positions;
    const auto q = scaled(v, 0);
    std::string digits = q ? std::to_string(*q) : std::string();
    const bool overflow = !q || digits.size() > positions;
    const bool blank = q && *q == 0 && pic.blank_zero;
    // Digit positions take the digits from the right. Walking bytes is safe: '#' and '<' are never a byte of a
    // double-byte character.
    std::string out(p);
    std::size_t next = digits.size(); // digits still to place, counted from the right
    std::size_t i = p.size();
    while (i > 0) {
        --i;
        const char c = p[i];
        if (c != '#' && c != '<') continue;
        if (overflow)
            out[i] = '#';
        else if (next > 0)
            out[i] = digits[--next];
        else
            out[i] = c == '#' ? '0' : ' ';
    }
    if (blank) return std::string(out.size(), ' ');
    return out;
}

} // namespace

std::string format(double value, std::string_view picture) {
    const auto pic = parse(picture);
    if (!pic) return plain(value);
    switch (pic->kind) {
    case Picture::Kind::Text: {
        const std::string s = plain(value);
        return pic->width ? s.substr(0, cut_point(s, pic->width)) : s;
    }
    case Picture::Kind::Number:
        return format_number(value, *pic);
    case Picture::Kind::Date:
        return format_date(value, *pic);
    case Picture::Kind::Time:
        return format_time(value, *pic);
    case Picture::Kind::Pattern:
        return format_pattern(value, *pic);
    }
    return plain(value);
}

std::string format(std::string_view text, std::string_view picture) {
    const auto pic = parse(picture);
    if (!pic) return std::string(text);
    if (pic->kind == Picture::Kind::Text)
        return std::string(pic->width ? text.substr(0, cut_point(text, pic->width)) : text);
    return rt::format(number(text), picture);
}

std::string deformat(std::string_view text) {
    std::string out;
    bool dot = false, exponent = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const auto u = static_cast<unsigned char>(c);
        if (is_lead(u) && i + 1 < text.size() && is_trail(static_cast<unsigned char>(text[i + 1]))) {
            ++i; // a double-byte character: its trail byte may look like 'e'
            continue;
        }
        const bool after_e = !out.empty() && (out.back() == 'e' || out.back() == 'E');
        if (digit(c) || (c == '.' && !dot) || ((c == 'e' || c == 'E') && !exponent) ||
            (c == '-' && (out.empty() || after_e)) || (c == '+' && after_e)) {
            dot = dot || c == '.';
            exponent = exponent || c == 'e' || c == 'E';
            out += c;
        }
    }
    return out;
}

double number(std::string_view text) {
    const std::string s = deformat(text);
    double v = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    return r.ec == std::errc() ? v : 0.0;
}

bool is_numeric(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return false;
    text = text.substr(first, text.find_last_not_of(' ') - first + 1);
    std::size_t i = 0;
    if (text[i] == '-' || text[i] == '+') ++i;
    std::size_t digits = 0;
    bool dot = false;
    for (; i < text.size(); ++i) {
        if (digit(text[i]))
            ++digits;
        else if (text[i] == '.' && !dot)
            dot = true;
        else
            break;
    }
    if (digits == 0) return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
        std::size_t exp_digits = 0;
        for (; i < text.size() && digit(text[i]); ++i)
            ++exp_digits;
        if (exp_digits == 0) return false;
    }
    return i == text.size();
}

} // namespace rt
