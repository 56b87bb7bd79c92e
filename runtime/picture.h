// Display pictures: format(value, picture) turns a number, day number, clock value or text into display text;
// deformat(text) takes the number back out of a displayed text. Pictures and results are CP949 text.
//
// A picture may start with '@' (then one trailing '@' is dropped too, as in list formats "@S8@"); the letter
// after it chooses the kind. Recognised pictures:
//
//   Sn       text, cut to at most n bytes at a character boundary (no padding); S alone: the whole text.
//   Nn, nn   a number right-aligned in n places, rounded half away from zero; a leading minus for negatives.
//            Lower-case n groups the thousands with commas. Options, in this order: a '-' before n (the leading
//            minus, which is the default anyway), ".d" after n for d decimal places, a final 'B' for blank when
//            the (rounded) value is zero. Without n the number takes the room it needs.
//   D9       yy/mm/dd      D10  yyyy/mm/dd      D11  yymmdd      D12  yyyymmdd
//            A trailing '-', '.' or '_' writes '-', '.' or a blank in place of '/'. The value is a day number;
//            0 or a day out of range gives blanks of the picture's width.
//   T1 hh:mm   T2 hhmm   T3 h:mmAM/PM (14:05 -> "2:05PM", 00:30 -> "12:30AM")   T4 hh:mm:ss   T5 hhmmss
//   T6 h:mm:ssAM/PM. The value is a clock value; 0 or a value out of range gives blanks (7 for T3, 10 for T6).
//   P...P    a pattern, 'p' or 'P' at both ends, optional final 'B' for blank when zero: each '#' is a digit
//            position, each '<' a digit position that shows a blank instead of a leading zero, every other
//            character is written as it is. The value is rounded to a whole number and its sign dropped.
//            "p<<# 쪽p" writes the number right-aligned in three places, then " 쪽".
//
// What does not fit: a number or pattern whose digits need more room than the picture gives is shown as '#' in
// every place (Nn: n '#'; pattern: '#' in each digit position). A value that is not a finite number likewise.
// Text that is too long is cut (Sn). A picture that is none of the above formats the value plainly: a number as
// its shortest decimal text, a text as it is.
#pragma once

#include <concepts>
#include <cstddef>
#include <string>
#include <string_view>

#include "runtime/text.h"

namespace rt {

// A number (or day number, clock value) through a picture. Call it as rt::format: std::format is a different
// function.
std::string format(double value, std::string_view picture);

// Integers of any width go through the double overload (exact up to 2^53).
template <std::integral T> std::string format(T value, std::string_view picture) {
    return rt::format(static_cast<double>(value), picture);
}

// A text through a picture: Sn cuts it; every other picture reads the text as a number first (see number()).
std::string format(std::string_view text, std::string_view picture);
inline std::string format(const char* text, std::string_view picture) {
    return rt::format(std::string_view(text ? text : ""), picture);
}
template <std::size_t N> std::string format(const Fixed<N>& text, std::string_view picture) {
    return rt::format(text.view(), picture);
}

// The numeric part of a displayed text. Keeps, from left to right: the digits, the first '.', the first 'e' or
// 'E', a '-' when nothing has been kept yet or right after the kept 'e', and a '+' right after the kept 'e';
// drops everything else, double-byte characters included. deformat("1.0.10.0") == "1.0100",
// deformat("-1,234") == "-1234".
std::string deformat(std::string_view text);

// The value of deformat(text), or 0 when that is not a number.
double number(std::string_view text);

// True when text, apart from blanks at either end, is one decimal number: an optional sign, digits with at
// most one '.', an optional exponent ("12", "-3.5", "1e6"; not "12 K", "1,234" or "").
bool is_numeric(std::string_view text);

} // namespace rt
