#pragma once

// The run loop of Full 8085 mode. It starts and ends a run the way the
// classic loop does (logs, status, Step and Stop), but the instructions run
// on the native processor, in chunks of many thousands between refreshes,
// so that a run of millions of instructions takes a fraction of a second
// and the window still takes Stop and repaints.

#include <cstdint>
#include <string>

#include "engine/native_sync.h"

namespace korvanta {

class Machine;
namespace cpu {
class Cpu8085;
}

inline constexpr const char* kFullStartLog = "Start Program: Full 8085";

// The message of a run that ran past its budget of instructions.
std::string BudgetMessage(int budget);
// The message of a memory access outside the window or an undefined opcode.
std::string FaultMessage(const cpu::Cpu8085& cpu, bool undefined, const std::string& windowDigit);
// The instruction at address in the program's own syntax, as far as its
// bytes lie in the window.
std::string InstructionText(const cpu::Cpu8085& cpu, std::uint16_t address);

class FullExecutor {
public:
    explicit FullExecutor(Machine& m);

    void DoExecute();

    // How often a long run brings the fields up to date and lets the window
    // take its events (milliseconds).
    static constexpr int kRefreshMilliseconds = 33;

private:
    bool prepare();
    void raiseDue();
    std::uint64_t nextEventAfter(std::uint64_t limit) const;
    void pauseForStep();
    void EndAtHalt(const char* logLine);
    void EndOnError();
    void reportError();
    void EndOnFault(bool undefined);
    void EndOverBudget();
    void leave();

    Machine& m_;
    NativeSync sync_;
    std::size_t nextScheduled_ = 0;
};

}  // namespace korvanta
