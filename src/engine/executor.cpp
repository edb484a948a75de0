#include "engine/executor.h"

#include "engine/decode_table.h"

#include <algorithm>

#include "assembler/breakpoints.h"
#include "engine/run_aids.h"
#include "isa/instruction_set.h"
#include "machine/machine.h"

namespace korvanta {

namespace {
constexpr std::string_view kHaltBits = "01110110";
}

Executor::Executor(Machine& m, InstructionSet& isa) : m_(m), isa_(isa) {}

void Executor::DoExecute()
{
    m_.ErrorFlag = kFalse;
    m_.assembly.HaltAssembled = 0;
    m_.AnnounceRunStart("Start Program: Normal CPU/SET3");

    m_.run.InstructionCount = 0;
    m_.run.executed.set(0);
    if (breakpoints_) breakpoints_->refresh();  // the listing of this assembly says where lines are
    m_.events.started.emit();
    Loop();
    m_.events.ended.emit();
}

void Executor::Resume()
{
    if (breakpoints_) breakpoints_->refresh();
    Loop();
    m_.events.ended.emit();
}

void Executor::removeObserver(InstructionObserver* observer)
{
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

int Executor::breakpointHere() const
{
    if (breakpoints_ == nullptr || !breakpoints_->anyStop() || !m_.window.hasRow(m_.LocationIndex)) return -1;
    unsigned value = 0;
    for (char c : m_.window.address(m_.LocationIndex)) {
        const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
        if (digit < 0) return -1;
        value = value * 16 + static_cast<unsigned>(digit);
    }
    return breakpoints_->stopsAt(static_cast<std::uint16_t>(value)) ? static_cast<int>(value) : -1;
}

void Executor::before()
{
    for (InstructionObserver* observer : observers_) observer->beforeInstruction();
}

void Executor::after()
{
    for (InstructionObserver* observer : observers_) observer->afterInstruction();
}

void Executor::Loop()
{
    const int budget = m_.options.MaxInstructions.get();
    int& count = m_.run.InstructionCount;
    for (;;) {
        // A breakpoint turns the run into a stepping one that waits here;
        // Run takes it on again.
        if (m_.run.StepMode != kTrue) {
            if (const int address = breakpointHere(); address >= 0) {
                m_.run.StepMode = kTrue;
                m_.run.StepRequest = kFalse;
                m_.run.resumable = true;
                m_.events.breakpointHit.emit(address);
            }
        }
        if (m_.run.StepMode == kTrue) {
            if (m_.run.StepRequest != kTrue) m_.events.paused.emit();
            while (m_.run.StepRequest != kTrue) m_.host.waitForEvents();
            m_.run.StepRequest = kFalse;
        }

        // Only a run that starts there (or a window rebuilt while the run
        // waited) gets here with no row after this one; the checks after each
        // instruction catch every other case.
        if (m_.LocationIndex >= MemoryWindow::kRows || !m_.window.hasRow(m_.LocationIndex) ||
            !m_.window.hasRow(m_.LocationIndex + 1)) {
            EndOutOfMemory();
            return;
        }

        if (!observers_.empty()) before();
        m_.CurrentOpcode = m_.memory.ReadMemory(m_.LocationIndex);
        m_.view.selectAndScrollMemoryRow(m_.LocationIndex);
        m_.conv.GetBinary8(m_.CurrentOpcode);
        m_.CurrentOpcode = m_.ConvertedValue;
        m_.cpu.PC.setText(m_.window.address(m_.LocationIndex + 1));
        m_.host.yield();

        if (m_.CurrentOpcode == kHaltBits) {
            m_.run.executed.set(static_cast<std::uint64_t>(count) + 1);
            if (!observers_.empty()) after();
            EndAtHalt();
            return;
        }
        if (const DecodeRow* row = DecodeOpcode(m_.CurrentOpcode)) {
            isa_.Call(row->routine, kExecute);
            if (row->loopAddsOne) ++m_.LocationIndex;
            m_.host.yield();
        } else {
            m_.ErrorFlag = kTrue;
        }

        ++count;
        m_.run.executed.set(static_cast<std::uint64_t>(count));
        if (!observers_.empty()) after();
        if (count > budget) {
            EndOutOfMemory();
            return;
        }
        // The last row is never executed; beyond it nothing exists to fetch.
        if (m_.LocationIndex == MemoryWindow::kRows || !m_.window.hasRow(m_.LocationIndex)) {
            EndOutOfMemory();
            return;
        }
        // A routine that converts an address clears ErrorFlag first, which
        // would swallow a Stop given during its yields; StopRequest keeps it.
        if (m_.ErrorFlag == kTrue || m_.run.StopRequest == 2) {
            m_.ErrorFlag = kTrue;
            EndOnError();
            return;
        }
    }
}

void Executor::EndAtHalt()
{
    m_.view.selectedMemoryRow.set(0);
    m_.run.StepMode = kFalse;
    m_.run.resumable = false;
    m_.SetStatus("Program Finished", StatusColour::Green);
    m_.AppendSystemLog("Finished Executing: ");
    m_.List3.add("Program Finished: HLT-HOLD");
    m_.List3.add("CPU Idle");
}

void Executor::EndOnError()
{
    if (m_.run.StopRequest == 2) {
        m_.SetStatus("CPU Halted by User", StatusColour::Red);
        m_.List3.add("User Halted");
        m_.AppendSystemLog("Program Aborted: ");
    } else {
        m_.ExecStatus.setText("CPU Error");
        m_.List3.add("Error in Program");
        m_.statusColour.set(StatusColour::Red);
        m_.AppendSystemLog("Critical Error: ");
    }
    m_.run.StepMode = kFalse;
    m_.run.resumable = false;
}

void Executor::EndOutOfMemory()
{
    m_.Message(kCpuOutOfMemory);
    m_.List3.add("Out Of Memory");
    m_.SetStatus("Memory Error", StatusColour::Red);
    m_.ErrorFlag = kTrue;
    m_.run.StepMode = kFalse;
    m_.run.resumable = false;
}

}  // namespace korvanta
