#pragma once

// Run, Step and Stop. A Run or Step that arrives while another run is in
// progress is refused, except the Step that a waiting stepping run asks for;
// Stop is always taken.

#include <cstdint>

namespace korvanta {

class Machine;
class ProgramSource;
class Assembler;
class Executor;
class FullExecutor;
class Breakpoints;
class RunHistory;
namespace cpu {
enum class Interrupt : std::uint8_t;
}

inline constexpr const char* kEmptyProgramMessage =
    "You must enter valid ASM code into the blank before running your program!";

class RunControl {
public:
    RunControl(Machine& m, ProgramSource& source, Assembler& assembler, Executor& executor, FullExecutor& full,
               Breakpoints& breakpoints, RunHistory& history);

    void StartExecution();  // Run
    void StepProgram();     // Step
    void HALTExecution();   // Stop

    // The learning aids' commands.
    // Undoes the last instruction of the current or last run; the run then
    // waits there as after a Step. Returns false when there is nothing to undo.
    bool StepBack();
    // Runs until the instruction of `line` is next (or the run ends first).
    void RunToLine(int line);
    // Full 8085 mode: raises an interrupt input while a run goes on or waits.
    void RaiseInterrupt(cpu::Interrupt line, std::uint8_t vector = 0);

private:
    Machine& m_;
    ProgramSource& source_;
    Assembler& assembler_;
    Executor& executor_;
    FullExecutor& full_;
    Breakpoints& breakpoints_;
    RunHistory& history_;
    void execute();  // the loop of the mode that is on
    bool waiting() const;  // a run waits for a Step
};

}  // namespace korvanta
