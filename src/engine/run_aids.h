#pragma once

// The learning aids' view of a classic run: told before and after every
// instruction, they keep history for step back or a trace. The loop calls
// them only when someone is listening, so a run without aids is the run it
// always was.

namespace korvanta {

class InstructionObserver {
public:
    virtual ~InstructionObserver() = default;
    // The fields hold the state before the instruction at LocationIndex.
    virtual void beforeInstruction() = 0;
    // The instruction has run (or the run ends on it); the fields hold its result.
    virtual void afterInstruction() = 0;
};

}  // namespace korvanta
