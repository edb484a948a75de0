#pragma once

// The one-pass assembler: CompileProgram walks the code list, records jump
// tags, recognises each mnemonic and calls its routine in assemble mode;
// SearchForJumpIds patches the tag placeholders; OrgChange obeys "!!ORG".

namespace korvanta {

class Machine;
class ProgramSource;
class InstructionSet;

class Assembler {
public:
    Assembler(Machine& m, ProgramSource& source, InstructionSet& isa);

    void CompileProgram();
    void SearchForJumpIds();
    void OrgChange();

private:
    Machine& m_;
    ProgramSource& source_;
    InstructionSet& isa_;
};

}  // namespace korvanta
