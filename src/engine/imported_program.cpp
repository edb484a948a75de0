#include "engine/imported_program.h"

#include "engine/simulator.h"

namespace korvanta {

void ApplyImportedProgram(Simulator& sim, const ImportedProgram& program)
{
    Machine& m = sim.machine;
    const std::string& digit = program.windowDigit.empty() ? std::string("0") : program.windowDigit;
    if (m.window.windowDigit.get() != digit || m.window.rowCount() == 0 || m.window.address(1)[0] != digit[0]) {
        m.window.windowDigit.set(digit);
        m.memory.SetupTheMemoryWindow(digit);
    }
    m.cpu.SP.setText(digit + "BBB");
    m.cpu.PC.setText(digit + "000");
    m.Text1.setText(program.startAddress);
    m.options.Full8085.set(program.full ? 1 : 0);
    sim.source.Clear();
    for (const std::string& line : program.lines) sim.source.AppendLine(line);
    m.run.ProgramCompiled = kFalse;
    m.document.DocumentSaved = kFalse;
}

}  // namespace korvanta
