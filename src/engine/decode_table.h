#pragma once

// The ordered opcode patterns of the executor. A pattern is an eight-character
// BitString in which "?" stands for any bit; the first pattern that matches a
// fetched opcode names the routine that executes it. The table is data so that
// its order, which decides between overlapping patterns, can be read and tested.

#include <array>
#include <string_view>

#include "isa/instruction_set.h"

namespace korvanta {

struct DecodeRow {
    int number;                // position in the ordered table, 1 to 82
    std::string_view pattern;  // "?" matches any character
    std::string_view instruction;
    Routine routine;
    bool halts;                // row 1: HLT ends the run, no routine is called
    bool loopAddsOne;          // the routine stays on the instruction's last byte
};

inline constexpr int kDecodeRows = 82;

// The rows in the order in which they are tested.
const std::array<DecodeRow, kDecodeRows>& DecodeRows();

// True when bits has the pattern's length and equals it wherever the pattern is not "?".
bool MatchesPattern(std::string_view pattern, std::string_view bits);

// The first row after the HLT row (rows 2 to 82) that matches bits, or nullptr.
// Texts of eight "0"/"1" characters are answered from a lookup made once from
// the ordered table; any other text is matched against the patterns in order.
const DecodeRow* DecodeOpcode(std::string_view bits);

}  // namespace korvanta
