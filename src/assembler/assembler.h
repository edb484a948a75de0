#pragma once

// The one-pass assembler: CompileProgram walks the code list, records jump
// tags, recognises each mnemonic and calls its routine in assemble mode;
// SearchForJumpIds patches the tag placeholders; OrgChange obeys "!!ORG".

#include <string_view>
#include <vector>

#include "isa/instruction_set.h"

namespace korvanta {

class Machine;
class ProgramSource;

// What a source line (tag prefix already removed) asks the assembler to do.
struct LineKind {
    enum Kind { Instruction, Origin, Comment, Bytes, Words, Space, Unknown } kind = Unknown;
    Routine routine = Routine::Count;  // for Instruction
};

// Recognition by the first four, then the first three characters of the line,
// each trimmed of blanks, compared exactly against the two ordered lists.
// Full 8085 mode also knows "!!DB ", "!!DW " and "!!DS " (Bytes, Words,
// Space); in the classic mode those lines are comments.
LineKind RecogniseLine(std::string_view sourceLine, bool fullMode = false);

inline constexpr const char* kCompilerPrefix = "Ombrix Korvanta Compiler Message:\n\n";
inline constexpr const char* kUserHaltedCompile =
    "User halted execution.  This is a fatal error.  Compiling must start at line zero again.  (KVNTA:6522)";
inline constexpr const char* kFlawedCode =
    "The compiler has reached code that either does not have the correct number of arguments or is flawed in "
    "another way.  Check the highlighted code and try again.  This is a fatal error.  Compiling must start at "
    "line zero again.  (KVNTA:6522)";
inline constexpr const char* kCompileOutOfMemory =
    "The simulated CPU is out a memory to store your ASM code.  Set the start of the program earlier or "
    "decrease the size of your program.";
inline constexpr const char* kMissingHalt =
    "The compilier has reached the end of the code, but no \"HLT\" command exists.  Add this command and "
    "compile again.  This is a fatal error.  Compiling must start at line zero again.  (KVNTA:6523)";
inline constexpr const char* kUnmatchedTags =
    "Ombrix Korvanta could not match up all jump tags.  Check tags and try agian,";

class Assembler {
public:
    Assembler(Machine& m, ProgramSource& source, InstructionSet& isa);

    void CompileProgram();
    void SearchForJumpIds();
    void OrgChange();

private:
    // The end of a failed assembly: message, highlighted line, red status.
    void ReportLineFailure(const char* text);

    // Full 8085 mode: the layout directives and the checks on what a line
    // emitted (every byte a HexByte, no byte over one emitted before).
    void DataDirective(LineKind::Kind kind);
    void FullOrigin();
    bool CheckEmitted(int firstRow, int rows, bool reserved);
    std::vector<char> occupied_;  // by MemoryIndex: filled or reserved by this assembly
    bool emittedAny_ = false;

    Machine& m_;
    ProgramSource& source_;
    InstructionSet& isa_;
};

}  // namespace korvanta
