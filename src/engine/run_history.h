#pragma once

// Step back: the last instructions of a run can be undone one at a time,
// registers, flags, SP, PC, memory, ports, T-states and the program log put
// back as they were. A classic run keeps a note of the fields before every
// instruction and of every row an instruction changes. A Full 8085 run is
// too fast for that: it keeps a copy of the whole machine every few thousand
// instructions and, to go back one, takes the copy before and runs forward
// to the instruction before the last; the run is deterministic, and anything
// from outside (a user's edit, a port set, an interrupt raised by hand) makes
// a copy of its own.

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "cpu/cpu8085.h"
#include "engine/run_aids.h"
#include "machine/signal.h"
#include "machine/view_state.h"

namespace korvanta {

class Machine;
class TextField;

class RunHistory : public InstructionObserver {
public:
    // At least this many instructions can be undone.
    static constexpr std::size_t kDepth = 10000;
    // A Full 8085 run copies the machine after this many instructions.
    static constexpr std::uint64_t kCheckpointEvery = 4096;

    explicit RunHistory(Machine& m);
    RunHistory(const RunHistory&) = delete;
    RunHistory& operator=(const RunHistory&) = delete;

    bool enabled() const { return enabled_; }
    void setEnabled(bool on);
    void clear();

    // Instructions that can be undone now.
    std::uint64_t depth() const;
    bool canStepBack() const { return depth() > 0; }
    // Puts the machine back before the last instruction. Returns false when
    // there is nothing to undo.
    bool stepBack();

    // The classic loop.
    void beforeInstruction() override;
    void afterInstruction() override {}

    // The Full 8085 loop: a run begins; a copy is due; take one (also after
    // anything that came from outside the program).
    void beginFullRun();
    std::uint64_t nextCheckpoint() const { return nextCheckpoint_; }
    void checkpoint();

    // Brings the fields up to date after a Full 8085 step back (the run's own sync does it).
    void setFullStore(std::function<void()> store) { fullStore_ = std::move(store); }

    // Raised whenever depth() may have changed.
    Signal<> changed;

private:
    struct ClassicStep {
        std::string fields[18];  // A B C D E H L SP PC, the flag value, the eight flag bits
        int locationIndex = 0;
        int count = 0;
        int returnPending = 0;
        int returnIndex = 0;
        std::vector<std::pair<int, std::string>> rows;  // rows the instruction changed, with their old data
    };
    struct FullCheckpoint {
        cpu::Snapshot snapshot;
        std::size_t nextScheduled = 0;
    };
    struct RunLook {  // what a run in progress shows, put back by every step back
        std::size_t logLines = 0;
        std::size_t systemLog = 0;
    };

    void beginClassicRun();
    bool stepBackClassic();
    bool stepBackFull();
    void showRunning();
    std::vector<TextField*> fields() const;

    Machine& m_;
    bool enabled_ = false;
    bool restoring_ = false;
    bool full_ = false;
    RunLook look_;
    std::deque<ClassicStep> steps_;
    std::vector<std::string> shadow_;  // the rows as the last note knows them
    std::deque<FullCheckpoint> checkpoints_;
    std::uint64_t nextCheckpoint_ = 0;
    std::function<void()> fullStore_;
};

// Raises the command line's interrupts that are due at the processor's
// count, from schedule[next] on, and lets an acceptable one be taken at once.
// OutsideWindow when taking it would push outside the window.
cpu::Stop RaiseDueInterrupts(Machine& m, std::size_t& next);

}  // namespace korvanta
