#include "isa/machine_control.h"

#include "isa/instruction_set.h"
#include "machine/machine.h"

namespace korvanta {

namespace {

class ControlSteps : public RoutineGroup {
public:
    using RoutineGroup::RoutineGroup;

    // IN and OUT: a four-character port written like an address, stored low
    // pair first. Unlike the jumps, nothing is emitted for a short line.
    void AssemblePort(const char* opcode)
    {
        std::string_view operand = LastChars(4);
        if (operand.size() < 4) {
            m_.ErrorFlag = kTrue;
            return;
        }
        EmitOpcode(opcode, true);
        Emit(operand.substr(2, 2));
        Emit(operand.substr(0, 2));
    }

    // Full 8085 mode: IN nn and OUT nn, the port one byte as on the real
    // chip. A four-digit port is refused rather than quietly cut short.
    void AssembleBytePort(const char* opcode, std::size_t mnemonicLength)
    {
        std::string_view line = m_.SourceLine;
        std::string_view operand = line.size() > mnemonicLength ? line.substr(mnemonicLength + 1) : std::string_view();
        while (!operand.empty() && operand.front() == ' ') operand.remove_prefix(1);
        while (!operand.empty() && operand.back() == ' ') operand.remove_suffix(1);
        if (operand.size() != 2) {
            m_.ErrorFlag = kTrue;
            return;
        }
        EmitOpcode(opcode, true);
        Emit(operand);
    }

    void OneByte(int mode, const char* opcode, const char* logLine)
    {
        if (mode == kAssemble) EmitOpcode(opcode, true);
        else if (mode == kExecute) Unsupported(1, logLine, false);
    }
};

}  // namespace

void MachineControl::NOP(int RoutineMode)
{
    if (RoutineMode == kAssemble) {
        EmitOpcode("00000000", true);
    } else if (RoutineMode == kExecute) {
        // Ten turns of the event loop: a long stretch of NOPs still repaints and takes Stop.
        for (int i = 1; i <= 10; ++i) m_.host.yield();
        ++m_.LocationIndex;
    }
}

void MachineControl::HLT(int RoutineMode)
{
    // The executor ends the run on the HLT byte itself and never calls this to execute.
    if (RoutineMode != kAssemble) return;
    EmitOpcode("01110110", true);
    m_.assembly.HaltAssembled = 1;
}

void MachineControl::EI(int RoutineMode)
{
    ControlSteps(m_).OneByte(RoutineMode, "11111011", "Unsupported Command EI Ignored");
}

void MachineControl::DI(int RoutineMode)
{
    ControlSteps(m_).OneByte(RoutineMode, "11110011", "Unsupported Command DI Ignored");
}

void MachineControl::RIM(int RoutineMode)
{
    ControlSteps(m_).OneByte(RoutineMode, "00100000", "Unsupported Command RIM Ignored");
}

void MachineControl::SIM(int RoutineMode)
{
    ControlSteps(m_).OneByte(RoutineMode, "00110000", "Unsupported Command SIM Ignored");
}

void MachineControl::IN1(int RoutineMode)
{
    if (RoutineMode == kAssemble && FullMode()) ControlSteps(m_).AssembleBytePort("11011011", 2);
    else if (RoutineMode == kAssemble) ControlSteps(m_).AssemblePort("11011011");
    else if (RoutineMode == kExecute) Unsupported(3, "Unsupported Command IN Ignored", false);
}

void MachineControl::OUT(int RoutineMode)
{
    if (RoutineMode == kAssemble && FullMode()) ControlSteps(m_).AssembleBytePort("11010011", 3);
    else if (RoutineMode == kAssemble) ControlSteps(m_).AssemblePort("11010011");
    else if (RoutineMode == kExecute) Unsupported(3, "Unsupported Command OUT Ignored", false);
}

}  // namespace korvanta
