#include "engine/full_executor.h"

#include <algorithm>
#include <chrono>

#include "cpu/cpu8085.h"
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
    return true;
}

void FullExecutor::raiseDue()
{
    cpu::Cpu8085& cpu = m_.full.cpu;
    const auto& schedule = m_.full.schedule;
    while (nextScheduled_ < schedule.size() && schedule[nextScheduled_].afterInstruction <= cpu.instructions) {
        cpu.raise(schedule[nextScheduled_].line, schedule[nextScheduled_].vector);
        ++nextScheduled_;
    }
}

std::uint64_t FullExecutor::nextEventAfter(std::uint64_t limit) const
{
    const auto& schedule = m_.full.schedule;
    if (nextScheduled_ >= schedule.size()) return limit;
    const std::uint64_t done = m_.full.cpu.instructions;
    return std::min(limit, schedule[nextScheduled_].afterInstruction - done);
}

void FullExecutor::pauseForStep()
{
    cpu::Cpu8085& cpu = m_.full.cpu;
    sync_.store(cpu);
    m_.LocationIndex = sync_.rowOf(cpu, cpu.regs.pc);
    if (m_.LocationIndex > 0) m_.view.selectAndScrollMemoryRow(m_.LocationIndex);
    while (m_.run.StepRequest != kTrue) m_.host.waitForEvents();
    m_.run.StepRequest = kFalse;
}

void FullExecutor::DoExecute()
{
    m_.ErrorFlag = kFalse;
    m_.assembly.HaltAssembled = 0;
    m_.run.StopRequest = 0;

    m_.List3.clear();
    m_.List3.add(kFullStartLog);
    if (m_.run.StepMode == kTrue) m_.List3.add("Step Execution On");

    m_.LocationIndex = 1;
    m_.memory.DetermineProgramStart();

    m_.ExecStatus.setText("Executing Program...");
    m_.AppendSystemLog("Executing Program: ");
    m_.statusColour.set(StatusColour::Yellow);
    m_.host.yield();
    m_.host.yield();
    m_.ErrorFlag = kFalse;
    m_.run.executed.set(0);

    if (!prepare()) {
        m_.ErrorFlag = kTrue;
        EndOnError();
        return;
    }
    cpu::Cpu8085& cpu = m_.full.cpu;
    sync_.setWatching(true);

    // The budget counts as the classic loop counts: more than this many
    // instructions end the run, unless the one over is the HLT.
    const std::uint64_t budget = static_cast<std::uint64_t>(std::max(1, m_.options.MaxInstructions.get()));
    std::uint64_t chunk = 1 << 16;
    Clock::time_point lastRefresh = Clock::now();
    bool skipBreakpoint = true;  // a run never stops on the breakpoint it starts at

    for (;;) {
        const bool stepping = m_.run.StepMode == kTrue;
        if (stepping && m_.run.StepRequest != kTrue) pauseForStep();
        else if (stepping) m_.run.StepRequest = kFalse;
        if (sync_.dirty()) {
            if (auto error = sync_.load(cpu)) {
                m_.Message(*error);
                m_.ErrorFlag = kTrue;
                EndOnError();
                return;
            }
        }
        raiseDue();

        const std::uint64_t left = budget + 1 - cpu.instructions;
        cpu::RunResult result;
        if (m_.run.StepMode == kTrue) {
            result = cpu.step();
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
            skipBreakpoint = true;
            continue;
        case cpu::Stop::Limit: break;
        }
        if (cpu.instructions > budget) return EndOverBudget();

        if (m_.run.StepMode != kTrue && Clock::now() - lastRefresh >= std::chrono::milliseconds(kRefreshMilliseconds)) {
            sync_.store(cpu);
            m_.LocationIndex = sync_.rowOf(cpu, cpu.regs.pc);
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
    cpu::Cpu8085& cpu = m_.full.cpu;
    sync_.store(cpu);
    sync_.setWatching(false);
    m_.LocationIndex = std::max(1, sync_.rowOf(cpu, cpu.regs.pc));
    m_.run.StepMode = kFalse;
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
