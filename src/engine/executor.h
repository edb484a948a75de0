#pragma once

// The decode-and-dispatch loop.

namespace korvanta {

class Machine;
class InstructionSet;

inline constexpr const char* kCpuOutOfMemory =
    "Ombrix Korvanta CPU Error\r\n\r\nThe simulated CPU is out of available memory.  This may have occurred "
    "because of damage to the compiled ASM code, a continuous loop, or a program that is larger than 65 KB.  "
    "Check your ASM, recompile the program, and try again.  This is a fatal error.";

// More counted instructions than the budget end a run: the guard against
// endless loops. This is the budget unless the user sets another.
inline constexpr int kInstructionBudget = 4096;

class Executor {
public:
    Executor(Machine& m, InstructionSet& isa);

    // Runs from the start address until HLT, an error, a Stop or the end of
    // memory. A run whose next instruction would start on the window's last
    // row, or outside the window, ends out of memory before that row is
    // fetched: there is no following address for PC and no room for operands.
    void DoExecute();

private:
    void EndAtHalt();
    void EndOnError();
    void EndOutOfMemory();

    Machine& m_;
    InstructionSet& isa_;
};

}  // namespace korvanta
