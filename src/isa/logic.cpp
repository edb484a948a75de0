#include "isa/logic.h"

#include <string>

#include "isa/instruction_set.h"
#include "machine/machine.h"

namespace korvanta {

namespace {

// The steps the logical and rotate routines share. Kept out of the class
// declaration so that the routines stay one line each.
class LogicSteps : public RoutineGroup {
public:
    using RoutineGroup::RoutineGroup;

    // ANA r .. CMP r: last character of the line; M has its own opcode.
    void RegisterForm(const char* prefix, const char* memoryOpcode)
    {
        std::string_view operand = LastChars(1);
        std::string bits;
        if (operand == "M") {
            bits = memoryOpcode;
        } else if (operand.size() == 1 && m_.cpu.registerField(operand) != nullptr) {
            m_.cpu.GotoRegisterCodes(operand);
            bits = prefix;
            bits += m_.ConvertedValue;
        } else {
            m_.ErrorFlag = kTrue;
            return;
        }
        EmitOpcode(bits, false);
    }

    // ANI nn .. CPI nn: the opcode goes out before the operand is looked at.
    void ImmediateForm(const char* opcode)
    {
        EmitOpcode(opcode, true);
        std::string_view operand = LastChars(2);
        if (operand.size() != 2) {
            m_.ErrorFlag = kTrue;
            return;
        }
        Emit(operand);
    }

    // Reads A as a BitString into b. A text that is not a HexByte has already
    // shown the conversion message; carrying on would write a mangled value
    // into A, so the instruction stops the run instead and changes nothing.
    bool ReadAccumulator(std::string& b)
    {
        m_.conv.GetBinary8(m_.cpu.RegisterA.text());
        if (m_.ConvertedValue.size() != 8) {
            m_.ErrorFlag = kTrue;
            return false;
        }
        b = m_.ConvertedValue;
        return true;
    }

    void WriteAccumulator(const std::string& b)
    {
        m_.conv.GetHex8(b);
        m_.cpu.RegisterA.setText(m_.ConvertedValue);
        ++m_.LocationIndex;
    }

    void SetCarry(char bit) { m_.cpu.Text11.setText(bit == '1' ? "1" : "0"); }
};

}  // namespace

void Logic::DAA(int RoutineMode)
{
    if (RoutineMode == kAssemble) EmitOpcode("00100111", true);
    else if (RoutineMode == kExecute) Unsupported(1, "Unsupported Command DAA Ignored", false);
}

void Logic::ANA(int RoutineMode)
{
    if (RoutineMode == kAssemble) LogicSteps(m_).RegisterForm("10100", "10100110");
    else if (RoutineMode == kExecute) Unsupported(1, "Unsupported Command ANA Ignored", true);
}

void Logic::XRA(int RoutineMode)
{
    if (RoutineMode == kAssemble) LogicSteps(m_).RegisterForm("10101", "10101110");
    else if (RoutineMode == kExecute) Unsupported(1, "Unsupported Command XRA Ignored", true);
}

void Logic::ORA(int RoutineMode)
{
    if (RoutineMode == kAssemble) LogicSteps(m_).RegisterForm("10110", "10110110");
    else if (RoutineMode == kExecute) Unsupported(1, "Unsupported Command ORA Ignored", true);
}

void Logic::CMP(int RoutineMode)
{
    if (RoutineMode == kAssemble) LogicSteps(m_).RegisterForm("10111", "10111110");
    else if (RoutineMode == kExecute) Unsupported(1, "Unsupported Command CMP Ignored", true);
}

void Logic::ANI(int RoutineMode)
{
    // The immediate byte is skipped along with the opcode so it is never run as one.
    if (RoutineMode == kAssemble) LogicSteps(m_).ImmediateForm("11100110");
    else if (RoutineMode == kExecute) Unsupported(2, "Unsupported Command ANI Ignored", true);
}

void Logic::XRI(int RoutineMode)
{
    if (RoutineMode == kAssemble) LogicSteps(m_).ImmediateForm("11101110");
    else if (RoutineMode == kExecute) Unsupported(2, "Unsupported Command XRI Ignored", true);
}

void Logic::ORI(int RoutineMode)
{
    if (RoutineMode == kAssemble) LogicSteps(m_).ImmediateForm("11110110");
    else if (RoutineMode == kExecute) Unsupported(2, "Unsupported Command ORI Ignored", true);
}

void Logic::CPI(int RoutineMode)
{
    if (RoutineMode == kAssemble) LogicSteps(m_).ImmediateForm("11111110");
    else if (RoutineMode == kExecute) Unsupported(2, "Unsupported Command CPI Ignored", true);
}

void Logic::RLC(int RoutineMode)
{
    if (RoutineMode == kAssemble) EmitOpcode("00000111", true);
    if (RoutineMode != kExecute) return;
    LogicSteps steps(m_);
    std::string b;
    if (!steps.ReadAccumulator(b)) return;
    const char bit7 = b.front();
    steps.SetCarry(bit7);
    b.erase(0, 1);
    b.push_back(bit7);
    steps.WriteAccumulator(b);
}

void Logic::RRC(int RoutineMode)
{
    if (RoutineMode == kAssemble) EmitOpcode("00001111", true);
    if (RoutineMode != kExecute) return;
    LogicSteps steps(m_);
    std::string b;
    if (!steps.ReadAccumulator(b)) return;
    const char bit0 = b.back();
    steps.SetCarry(bit0);
    b.pop_back();
    b.insert(b.begin(), bit0);
    steps.WriteAccumulator(b);
}

void Logic::RAL(int RoutineMode)
{
    if (RoutineMode == kAssemble) EmitOpcode("00010111", true);
    if (RoutineMode != kExecute) return;
    LogicSteps steps(m_);
    std::string b;
    if (!steps.ReadAccumulator(b)) return;
    // The nine characters b & carry; the carry field's text is taken as it
    // stands, so an odd carry text travels into bit 0 unchanged.
    std::string nine = b + m_.cpu.Text11.text();
    steps.SetCarry(nine.front());
    steps.WriteAccumulator(nine.substr(nine.size() >= 8 ? nine.size() - 8 : 0));
}

void Logic::RAR(int RoutineMode)
{
    if (RoutineMode == kAssemble) EmitOpcode("00011111", true);
    if (RoutineMode != kExecute) return;
    LogicSteps steps(m_);
    std::string b;
    if (!steps.ReadAccumulator(b)) return;
    std::string nine = m_.cpu.Text11.text() + b;
    steps.SetCarry(nine.back());
    steps.WriteAccumulator(nine.substr(0, 8));
}

void Logic::CMA(int RoutineMode)
{
    if (RoutineMode == kAssemble) EmitOpcode("00101111", true);
    if (RoutineMode != kExecute) return;
    LogicSteps steps(m_);
    std::string b;
    if (!steps.ReadAccumulator(b)) return;
    for (char& c : b) c = c == '1' ? '0' : '1';
    steps.WriteAccumulator(b);
}

void Logic::CMC(int RoutineMode)
{
    if (RoutineMode == kAssemble) EmitOpcode("00111111", true);
    if (RoutineMode != kExecute) return;
    // Exactly what a click on the carry bit does, without moving the focus.
    m_.cpu.ToggleBit(m_.cpu.Text11);
    ++m_.LocationIndex;
}

void Logic::STC(int RoutineMode)
{
    if (RoutineMode == kAssemble) EmitOpcode("00110111", true);
    if (RoutineMode != kExecute) return;
    m_.cpu.Text11.setText("1");
    ++m_.LocationIndex;
}

}  // namespace korvanta
