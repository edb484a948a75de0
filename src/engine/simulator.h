#pragma once

// Everything the main window owned, wired together: the machine state, the
// program source, the instruction set, the assembler, the executor, run
// control and documents. The Qt window and the command-line tool each hold one.

#include "assembler/assembler.h"
#include "assembler/breakpoints.h"
#include "assembler/program_source.h"
#include "documents/documents.h"
#include "engine/executor.h"
#include "engine/full_executor.h"
#include "engine/run_history.h"
#include "engine/run_control.h"
#include "isa/instruction_set.h"
#include "machine/machine.h"

namespace korvanta {

class Simulator {
public:
    explicit Simulator(Host& host);
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // The core's part of loading the main window: the start directory, the
    // flag value, the range selector at "0" and the memory window 0000-0FFF.
    void Form_Load();

    Machine machine;
    ProgramSource source;
    Breakpoints breakpoints;
    InstructionSet isa;
    Assembler assembler;
    Executor executor;
    FullExecutor fullExecutor;
    RunHistory history;
    RunControl runControl;
    Documents documents;

    // Step back needs a note of every instruction; the window keeps one,
    // batch runs do not pay for it.
    void setHistoryEnabled(bool on);
};

}  // namespace korvanta
