#pragma once

// The decode-and-dispatch loop.

#include <vector>

namespace korvanta {

class Breakpoints;
class InstructionObserver;
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

    // Takes up a run that step back has put back before one of its
    // instructions: the run waits for a Step (or Run) there.
    void Resume();

    // The learning aids: where to stop, and who watches each instruction.
    void setBreakpoints(Breakpoints* breakpoints) { breakpoints_ = breakpoints; }
    void addObserver(InstructionObserver* observer) { observers_.push_back(observer); }
    void removeObserver(InstructionObserver* observer);

private:
    void Loop();
    int breakpointHere() const;  // the address of a breakpoint at LocationIndex, or -1
    void before();
    void after();
    void EndAtHalt();
    void EndOnError();
    void EndOutOfMemory();

    Machine& m_;
    InstructionSet& isa_;
    Breakpoints* breakpoints_ = nullptr;
    std::vector<InstructionObserver*> observers_;
};

}  // namespace korvanta
