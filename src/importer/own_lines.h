#pragma once

// How the program's own assembler reads its code-list lines, line by line,
// in either mode: the tag at the start, the mnemonic by its first three or
// four characters, operands at fixed columns or from the end of the line.
// The export writes from this reading, and the tests use it to see which
// bytes a list of lines puts where.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace korvanta::importer {

struct OwnLine {
    enum Kind {
        Comment,  // "!! ..." (and, in classic mode, every "!!" line that is not an obeyed ORG)
        Instruction,
        Origin,   // an obeyed "!!ORG"
        Bytes,    // "!!DB"
        Words,    // "!!DW"
        Reserve,  // "!!DS"
        Refused,  // the assembler refuses it
        Inexact,  // classic mode stores texts that are not bytes; they cannot be written as a standard source
        AfterEnd,  // after the empty line that ends the program
    };
    enum Operand { NoValue, Byte, Word, Jump, Rst, Port16 };

    Kind kind = Comment;
    std::string text;                 // the line as it stands
    std::string tag;                  // defined on this line
    bool tagRepeated = false;         // a tag defined before: the first definition counts
    bool setsStart = false;           // an Origin that sets the start address rather than moving on
    std::uint32_t address = 0;        // the location when the line is read
    std::vector<std::uint8_t> bytes;  // with tag operands filled in
    std::string mnemonic;
    std::string registers;  // "A,B", "M", "SP", "PSW", ...
    Operand operand = NoValue;
    std::uint32_t value = 0;  // the operand; ORG's address; DS's count
    std::string jumpTag;      // a jump or call that names a tag
    std::string comment;      // Comment: the text after "!!", one blank dropped
    std::string problem;      // Refused, Inexact: why
    std::uint32_t size = 0;   // Inexact: how many rows the classic assembler fills
};

struct OwnProgram {
    std::vector<OwnLine> lines;
    std::uint32_t start = 0;  // where the program starts (an ORG that sets it included)
    unsigned block = 0;       // the 4 KB block, start's

    bool ok() const;  // no line refused or inexact
    // Every placed byte by address.
    std::map<std::uint16_t, std::uint8_t> Image() const;
};

OwnProgram AssembleOwnLines(const std::vector<std::string>& lines, std::string_view startAddress,
                            bool fullMode, bool orgCommands = true);

}  // namespace korvanta::importer
