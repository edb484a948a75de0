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

class Breakpoints;
class FullTrace;
class Machine;
class RunHistory;
namespace cpu {
class Cpu8085;
enum class Interrupt : std::uint8_t;
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
    // Takes up a run that step back has put back before one of its
    // instructions: the run waits for a Step (or Run) there.
    void Resume();

    // An interrupt raised by the user while a run goes on or waits.
    void Raise(cpu::Interrupt line, std::uint8_t vector);

    void setBreakpoints(Breakpoints* breakpoints);
    void setHistory(RunHistory* history) { history_ = history; }
    void setTrace(FullTrace* trace) { trace_ = trace; }

    // Writes the processor back to the fields, as at every Step.
    void store();

    // How often a long run brings the fields up to date and lets the window
    // take its events (milliseconds).
    static constexpr int kRefreshMilliseconds = 33;

private:
    bool prepare();
    void Loop(bool skipBreakpoint);
    bool reloadIfEdited();
    void applyBreakpoints();
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
    Breakpoints* breakpoints_ = nullptr;
    RunHistory* history_ = nullptr;
    FullTrace* trace_ = nullptr;
    std::size_t nextScheduled_ = 0;
    bool breakpointsStale_ = false;
    bool active_ = false;  // a run is in progress, waiting or not
    bool interruptFault_ = false;  // an interrupt raised by hand could not push its return address
};

}  // namespace korvanta
