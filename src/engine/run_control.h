#pragma once

// Run, Step and Stop.

namespace korvanta {

class Machine;
class ProgramSource;
class Assembler;
class Executor;

class RunControl {
public:
    RunControl(Machine& m, ProgramSource& source, Assembler& assembler, Executor& executor);

    void StartExecution();  // Run
    void StepProgram();     // Step
    void HALTExecution();   // Stop

private:
    Machine& m_;
    ProgramSource& source_;
    Assembler& assembler_;
    Executor& executor_;
};

}  // namespace korvanta
