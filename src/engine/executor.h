#pragma once

// The decode-and-dispatch loop.

namespace korvanta {

class Machine;
class InstructionSet;

class Executor {
public:
    Executor(Machine& m, InstructionSet& isa);
    void DoExecute();

private:
    Machine& m_;
    InstructionSet& isa_;
};

}  // namespace korvanta
