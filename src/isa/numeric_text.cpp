#include "isa/numeric_text.h"

namespace korvanta {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

bool IsNumeric(std::string_view text)
{
    std::size_t i = 0;
    const std::size_t n = text.size();
    auto digits = [&] {
        std::size_t start = i;
        while (i < n && isDigit(text[i])) ++i;
        return i - start;
    };

    while (i < n && isBlank(text[i])) ++i;
    if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t mantissaDigits = digits();
    if (i < n && text[i] == '.') {
        ++i;
        mantissaDigits += digits();
    }
    if (mantissaDigits == 0) return false;
    if (i < n && (text[i] == 'E' || text[i] == 'e' || text[i] == 'D' || text[i] == 'd')) {
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
        if (digits() == 0) return false;
    }
    while (i < n && isBlank(text[i])) ++i;
    return i == n;
}

}  // namespace korvanta
