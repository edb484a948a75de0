#include "engine/simulator.h"

namespace korvanta {

Simulator::Simulator(Host& host)
    : machine(host),
      source(machine),
      breakpoints(machine, source),
      isa(machine),
      assembler(machine, source, isa),
      executor(machine, isa),
      fullExecutor(machine),
      history(machine),
      runControl(machine, source, assembler, executor, fullExecutor, breakpoints, history),
      documents(machine, source, breakpoints)
{
    executor.setBreakpoints(&breakpoints);
    fullExecutor.setBreakpoints(&breakpoints);
    fullExecutor.setHistory(&history);
    history.setFullStore([this] { fullExecutor.store(); });
}

void Simulator::setHistoryEnabled(bool on)
{
    history.setEnabled(on);
    executor.removeObserver(&history);
    if (on) executor.addObserver(&history);
}

void Simulator::Form_Load()
{
    machine.document.StartDirectory = machine.host.currentDirectory();
    machine.document.ProjectNamed = kFalse;
    machine.host.yield();
    machine.cpu.UpdateFlagValue();
    machine.SuppressRangeClick = 1;
    machine.memoryCommands.Combo1_Click("0");
    machine.memory.SetupTheMemoryWindow("0");
}

}  // namespace korvanta
