#include "isa/arithmetic.h"

#include "isa/instruction_set.h"
#include "machine/machine.h"

namespace korvanta {

namespace {

// Opcode text of up to eight characters, built from fixed bit groups and a
// register code without leaving the stack.
struct OpcodeBits {
    char c[8] = {};
    std::size_t n = 0;
    OpcodeBits& operator+=(std::string_view s)
    {
        for (char ch : s) {
            if (n < sizeof c) c[n++] = ch;
        }
        return *this;
    }
    std::string_view view() const { return {c, n}; }
};

}  // namespace

void Arithmetic::RegisterForm(int RoutineMode, std::string_view prefix, std::string_view suffix,
                              std::string_view mOpcode, Core core, int stepMode, int withCarry)
{
    if (RoutineMode == kAssemble) {
        // The operand is whatever ends the line; the separator is never looked at.
        const std::string_view operand = LastChars(1);
        if (operand == "M") {
            EmitOpcode(mOpcode, false);
            return;
        }
        if (m_.cpu.registerField(operand) == nullptr) {
            m_.ErrorFlag = kTrue;
            return;
        }
        m_.cpu.GotoRegisterCodes(operand);
        OpcodeBits bits;
        bits += prefix;
        bits += m_.ConvertedValue;
        bits += suffix;
        EmitOpcode(bits.view(), false);
        return;
    }
    if (RoutineMode != kExecute) return;

    // INR and DCR name their operand in the destination field, the others in
    // the source field.
    const std::string_view opcode = m_.CurrentOpcode;
    const std::string_view code = stepMode != kFalse ? digits::Mid(opcode, 3, 3) : digits::Mid(opcode, 6, 3);
    m_.ConvertedValue.clear();
    m_.cpu.ReturnFromRegisterCodes(code);
    const std::string letter = m_.ConvertedValue;
    if (core == Core::AddStuff) alu_.AddStuff(letter, stepMode, withCarry);
    else alu_.SubStuff(letter, stepMode, withCarry);
    // On an operand outside the window the executor stops with us still on the opcode.
    if (m_.ErrorFlag != kTrue) ++m_.LocationIndex;
}

void Arithmetic::ImmediateForm(int RoutineMode, std::string_view opcode, Core core, int withCarry)
{
    if (RoutineMode == kAssemble) {
        // The opcode goes in before the operand is judged, and stays if it fails.
        EmitOpcode(opcode, true);
        const std::string_view operand = LastChars(2);
        if (operand.size() != 2) {
            m_.ErrorFlag = kTrue;
            return;
        }
        Emit(operand);
        return;
    }
    if (RoutineMode != kExecute) return;

    if (core == Core::AddStuff) alu_.AddANumber(withCarry);
    else alu_.SubANumber(withCarry);
    if (m_.ErrorFlag != kTrue) ++m_.LocationIndex;
}

void Arithmetic::ADD(int RoutineMode) { RegisterForm(RoutineMode, "10000", "", "10000110", Core::AddStuff, kFalse, kFalse); }
void Arithmetic::ADC(int RoutineMode) { RegisterForm(RoutineMode, "10001", "", "10001110", Core::AddStuff, kFalse, kTrue); }
void Arithmetic::SUB1(int RoutineMode) { RegisterForm(RoutineMode, "10010", "", "10010110", Core::SubStuff, kFalse, kFalse); }
void Arithmetic::SBB(int RoutineMode) { RegisterForm(RoutineMode, "10011", "", "10011110", Core::SubStuff, kFalse, kTrue); }
void Arithmetic::INR(int RoutineMode) { RegisterForm(RoutineMode, "00", "100", "00110100", Core::AddStuff, kTrue, kFalse); }
void Arithmetic::DCR(int RoutineMode) { RegisterForm(RoutineMode, "00", "101", "00110101", Core::SubStuff, kTrue, kFalse); }

void Arithmetic::ADI(int RoutineMode) { ImmediateForm(RoutineMode, "11000110", Core::AddStuff, kFalse); }
void Arithmetic::ACI(int RoutineMode) { ImmediateForm(RoutineMode, "11001110", Core::AddStuff, kTrue); }
void Arithmetic::SUI(int RoutineMode) { ImmediateForm(RoutineMode, "11010110", Core::SubStuff, kFalse); }
void Arithmetic::SBI(int RoutineMode) { ImmediateForm(RoutineMode, "11011110", Core::SubStuff, kTrue); }

}  // namespace korvanta
