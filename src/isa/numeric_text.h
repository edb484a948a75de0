#pragma once

// Whether an operand text reads as a decimal number. Jumps and calls use it to
// tell a literal address (2050) from a jump tag (LOOP, 20A0).

#include <string_view>

namespace korvanta {

// True for blanks, an optional sign, digits with an optional decimal point,
// an optional exponent (E or D, optional sign, digits), and blanks again;
// at least one digit must stand before the exponent.
bool IsNumeric(std::string_view text);

}  // namespace korvanta
