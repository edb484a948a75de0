#include "engine/full_executor.h"

#include <algorithm>
#include <chrono>

#include "cpu/cpu8085.h"
#include "assembler/breakpoints.h"
#include "engine/full_trace.h"
#include "engine/run_history.h"
#include "machine/machine.h"

namespace korvanta {

namespace {

using Clock = std::chrono::steady_clock;

const char* accessText(cpu::Access access)
{
    switch (access) {
    case cpu::Access::Fetch: return "fetches its code from";
    case cpu::Access::Read: return "reads";
    case cpu::Access::Write: return "writes";
    case cpu::Access::StackRead: return "pops the stack at";
    case cpu::Access::StackWrite: return "pushes onto the stack at";
    }
    return "uses";
}

}  // namespace

std::string BudgetMessage(int budget)
{
    return "Ombrix Korvanta CPU Error\r\n\r\nThe program ran more than " + std::to_string(budget) +
           " instructions, the instruction budget, and was stopped.  This may be a continuous loop; if the "
           "program needs more, raise the budget and run it again.";
}

std::string InstructionText(const cpu::Cpu8085& cpu, std::uint16_t address)
{
    auto byteAt = [&](int k) -> int {
        const std::uint16_t a = static_cast<std::uint16_t>(address + k);
        return cpu.inWindow(a) ? cpu.memory[static_cast<std::uint16_t>(a - cpu.windowBase)] : -1;
    };
    const int opcode = byteAt(0);
    if (opcode < 0) return {};
    const cpu::OpcodeInfo& info = cpu::Opcodes()[static_cast<std::size_t>(opcode)];
    const int low = info.length > 1 ? byteAt(1) : 0;
    const int high = info.length > 2 ? byteAt(2) : 0;
    if (info.text == nullptr || low < 0 || high < 0) {
        // The operands lie outside the window: the mnemonic alone.
        std::string text = info.text ? info.text : "";
        return text.substr(0, text.find(' '));
    }
    return cpu::Disassemble(static_cast<std::uint8_t>(opcode), static_cast<std::uint8_t>(low),
                            static_cast<std::uint8_t>(high));
}

std::string FaultMessage(const cpu::Cpu8085& cpu, bool undefined, const std::string& windowDigit)
{
    const cpu::Fault& fault = cpu.fault;
    const std::string at = HexAddressText(fault.instructionAddress);
    if (undefined) {
        return "Ombrix Korvanta CPU Error\r\n\r\nThe byte " + HexByteText(fault.opcode) + " at " + at +
               " is not an instruction of the 8085.  This is a fatal error.";
    }
    const std::string window = windowDigit + "000-" + windowDigit + "FFF";
    if (fault.access == cpu::Access::Fetch && fault.address == fault.instructionAddress) {
        return "Ombrix Korvanta CPU Error\r\n\r\nThe program counter reached " + at +
               ", which is outside the memory window " + window + ".  This is a fatal error.";
    }
    return "Ombrix Korvanta CPU Error\r\n\r\nThe instruction " + InstructionText(cpu, fault.instructionAddress) +
           " at " + at + " " + accessText(fault.access) + " address " + HexAddressText(fault.address) +
           ", which is outside the memory window " + window + ".  This is a fatal error.";
}

FullExecutor::FullExecutor(Machine& m) : m_(m), sync_(m) {}

void FullExecutor::setBreakpoints(Breakpoints* breakpoints)
{
    breakpoints_ = breakpoints;
    if (breakpoints_) breakpoints_->changed.connect([this] { breakpointsStale_ = true; });
}

void FullExecutor::applyBreakpoints()
{
    cpu::Cpu8085& cpu = m_.full.cpu;
    cpu.clearBreakpoints();
    breakpointsStale_ = false;
    if (breakpoints_ == nullptr) return;
    breakpoints_->refresh();
    for (std::uint16_t address : breakpoints_->stopAddresses()) cpu.setBreakpoint(address, true);
}

void FullExecutor::store()
{
    cpu::Cpu8085& cpu = m_.full.cpu;
    sync_.store(cpu);
    m_.LocationIndex = std::max(1, sync_.rowOf(cpu, cpu.regs.pc));
}

bool FullExecutor::prepare()
{
    cpu::Cpu8085& cpu = m_.full.cpu;
    // A run starts from reset: nothing pending, the interrupt system off and
    // masked, no outputs yet. Registers and memory are what the fields hold.
    cpu.irq = cpu::InterruptState{};
    cpu.tStates = 0;
    cpu.instructions = 0;
    cpu.outputs.clear();
    cpu.console.clear();
    cpu.fault = cpu::Fault{};
    cpu.bdos = m_.full.bdos.get();
    if (auto error = sync_.load(cpu)) {
        m_.Message(*error);
        return false;
    }
    const int row = m_.window.hasRow(m_.LocationIndex) ? m_.LocationIndex : 1;
    cpu.regs.pc = static_cast<std::uint16_t>(cpu.windowBase + row - 1);
    std::stable_sort(m_.full.schedule.begin(), m_.full.schedule.end(),
                     [](const ScheduledInterrupt& a, const ScheduledInterrupt& b) {
                         return a.afterInstruction < b.afterInstruction;
                     });
    nextScheduled_ = 0;
    applyBreakpoints();
    return true;
}

std::uint64_t FullExecutor::nextEventAfter(std::uint64_t limit) const
{
    const std::uint64_t done = m_.full.cpu.instructions;
    const auto& schedule = m_.full.schedule;
    if (nextScheduled_ < schedule.size()) limit = std::min(limit, schedule[nextScheduled_].afterInstruction - done);
    if (history_ && history_->enabled() && history_->nextCheckpoint() > done)
        limit = std::min(limit, history_->nextCheckpoint() - done);
    return std::max<std::uint64_t>(limit, 1);
}

void FullExecutor::Raise(cpu::Interrupt line, std::uint8_t vector)
{
    if (!active_) return;
    cpu::Cpu8085& cpu = m_.full.cpu;
    cpu.raise(line, vector);
    // Taken now if it may be, so that a run waiting for a Step shows the jump at once.
    if (cpu.acceptPending() == cpu::Stop::OutsideWindow) interruptFault_ = true;
    if (history_) history_->checkpoint();
    store();
}

bool FullExecutor::reloadIfEdited()
{
    if (!sync_.dirty()) return true;
    if (auto error = sync_.load(m_.full.cpu)) {
        m_.Message(*error);
        return false;
    }
    // The edit came from outside the program: step back must not run through it.
    if (history_) history_->checkpoint();
    return true;
}

void FullExecutor::pauseForStep()
{
    store();
    if (m_.LocationIndex > 0) m_.view.selectAndScrollMemoryRow(m_.LocationIndex);
    m_.events.paused.emit();
    while (m_.run.StepRequest != kTrue) m_.host.waitForEvents();
    m_.run.StepRequest = kFalse;
}

void FullExecutor::DoExecute()
{
    m_.ErrorFlag = kFalse;
    m_.assembly.HaltAssembled = 0;
    m_.AnnounceRunStart(kFullStartLog);
    m_.run.executed.set(0);

    active_ = true;
    interruptFault_ = false;
    if (!prepare()) {
        m_.ErrorFlag = kTrue;
        EndOnError();
        m_.events.ended.emit();
        return;
    }
    sync_.setWatching(true);
    if (history_) {
        history_->beginFullRun();
        history_->checkpoint();
    }
    m_.events.started.emit();
    Loop(false);
    m_.events.ended.emit();
}

void FullExecutor::Resume()
{
    active_ = true;
    applyBreakpoints();
    sync_.setWatching(true);
    Loop(true);
    m_.events.ended.emit();
}

void FullExecutor::Loop(bool skipBreakpoint)
{
    cpu::Cpu8085& cpu = m_.full.cpu;
    // The budget counts as the classic loop counts: more than this many
    // instructions end the run, unless the one over is the HLT.
    const std::uint64_t budget = static_cast<std::uint64_t>(std::max(1, m_.options.MaxInstructions.get()));
    std::uint64_t chunk = 1 << 16;
    Clock::time_point lastRefresh = Clock::now();

    for (;;) {
        if (m_.run.StepMode == kTrue) {
            if (m_.run.StepRequest != kTrue) pauseForStep();
            else m_.run.StepRequest = kFalse;
        }
        if (!reloadIfEdited()) {
            m_.ErrorFlag = kTrue;
            return EndOnError();
        }
        if (breakpointsStale_) applyBreakpoints();
        if (RaiseDueInterrupts(m_, nextScheduled_) == cpu::Stop::OutsideWindow || interruptFault_)
            return EndOnFault(false);
        if (history_ && history_->enabled() && cpu.instructions >= history_->nextCheckpoint()) history_->checkpoint();

        const std::uint64_t left = budget + 1 - cpu.instructions;
        cpu::RunResult result;
        if (m_.run.StepMode == kTrue || trace_ != nullptr) {
            if (trace_) trace_->before(cpu);
            result = cpu.step();
            if (trace_) trace_->after(cpu, result);
        } else {
            const Clock::time_point began = Clock::now();
            result = cpu.run(nextEventAfter(std::min(left, chunk)), skipBreakpoint);
            const auto spent = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - began).count();
            // About a few milliseconds per chunk, whatever the machine's speed.
            if (result.stop == cpu::Stop::Limit) {
                if (spent < 2000 && chunk < (1u << 26)) chunk *= 2;
                else if (spent > 8000 && chunk > 1024) chunk /= 2;
            }
        }
        skipBreakpoint = false;

        switch (result.stop) {
        case cpu::Stop::Halted: return EndAtHalt("Program Finished: HLT-HOLD");
        case cpu::Stop::BdosExit: return EndAtHalt("Program Finished: Warm Boot");
        case cpu::Stop::Undefined: return EndOnFault(true);
        case cpu::Stop::OutsideWindow: return EndOnFault(false);
        case cpu::Stop::Breakpoint:
            m_.run.StepMode = kTrue;
            m_.run.StepRequest = kFalse;
            m_.run.resumable = true;
            skipBreakpoint = true;
            m_.events.breakpointHit.emit(cpu.regs.pc);
            continue;
        case cpu::Stop::Limit: break;
        }
        if (cpu.instructions > budget) return EndOverBudget();

        if (m_.run.StepMode != kTrue && Clock::now() - lastRefresh >= std::chrono::milliseconds(kRefreshMilliseconds)) {
            store();
            if (m_.LocationIndex > 0) m_.view.selectAndScrollMemoryRow(m_.LocationIndex);
            m_.host.yield();
            lastRefresh = Clock::now();
        }
        if (m_.run.StopRequest == 2) {
            m_.ErrorFlag = kTrue;
            return EndOnError();
        }
    }
}

void FullExecutor::leave()
{
    store();
    sync_.setWatching(false);
    m_.run.StepMode = kFalse;
    m_.run.resumable = false;
    m_.full.cpu.clearBreakpoints();
    active_ = false;
}

void FullExecutor::EndAtHalt(const char* logLine)
{
    leave();
    m_.view.selectedMemoryRow.set(0);
    m_.SetStatus("Program Finished", StatusColour::Green);
    m_.AppendSystemLog("Finished Executing: ");
    m_.List3.add(logLine);
    m_.List3.add("CPU Idle");
}

void FullExecutor::EndOnError()
{
    leave();
    reportError();
}

void FullExecutor::reportError()
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
}

void FullExecutor::EndOnFault(bool undefined)
{
    leave();
    m_.Message(FaultMessage(m_.full.cpu, undefined, m_.window.windowDigit.get()));
    m_.ErrorFlag = kTrue;
    reportError();
}

void FullExecutor::EndOverBudget()
{
    leave();
    m_.Message(BudgetMessage(m_.options.MaxInstructions.get()));
    m_.List3.add("Instruction Limit");
    m_.SetStatus("Instruction Limit Reached", StatusColour::Red);
    m_.AppendSystemLog("Critical Error: ");
    m_.ErrorFlag = kTrue;
}

}  // namespace korvanta
