#pragma once

// Run, Step and Stop. A Run or Step that arrives while another run is in
// progress is refused, except the Step that a waiting stepping run asks for;
// Stop is always taken.

namespace korvanta {

class Machine;
class ProgramSource;
class Assembler;
class Executor;
class FullExecutor;

inline constexpr const char* kEmptyProgramMessage =
    "You must enter valid ASM code into the blank before running your program!";

class RunControl {
public:
    RunControl(Machine& m, ProgramSource& source, Assembler& assembler, Executor& executor, FullExecutor& full);

    void StartExecution();  // Run
    void StepProgram();     // Step
    void HALTExecution();   // Stop

private:
    Machine& m_;
    ProgramSource& source_;
    Assembler& assembler_;
    Executor& executor_;
    FullExecutor& full_;
    void execute();  // the loop of the mode that is on
};

}  // namespace korvanta
