#pragma once

// Upper-case hexadecimal digits, as every field, memory row, listing and
// program line holds them. Lower case is no digit here: what a learner types
// is upper-cased by the entry filters before it is ever read as a value.

#include <cstddef>
#include <string_view>

namespace korvanta {

// The value of one digit, or -1.
constexpr int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The value of one to eight digits, or -1 for an empty text, a longer one or
// any other character.
constexpr long HexTextValue(std::string_view text)
{
    if (text.empty() || text.size() > 8) return -1;
    long value = 0;
    for (char c : text) {
        const int d = HexDigitValue(c);
        if (d < 0) return -1;
        value = value * 16 + d;
    }
    return value;
}

// The value of a byte (two digits) or an address (four), or -1.
constexpr int HexByteOrAddressValue(std::string_view text)
{
    return text.size() == 2 || text.size() == 4 ? static_cast<int>(HexTextValue(text)) : -1;
}

}  // namespace korvanta
