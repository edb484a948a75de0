#include "isa/branch.h"

#include <charconv>
#include <string>

#include "isa/instruction_set.h"
#include "isa/numeric_text.h"
#include "machine/machine.h"

namespace korvanta {

namespace {

// A branch condition: the flag field it reads and the one-character text that
// makes it taken. No field means always taken.
struct Condition {
    TextField CpuFields::*field;
    const char* want;
};

constexpr Condition kAlways{nullptr, nullptr};
constexpr Condition kCarry{&CpuFields::Text11, "1"};
constexpr Condition kNoCarry{&CpuFields::Text11, "0"};
constexpr Condition kZero{&CpuFields::Text5, "1"};
constexpr Condition kNotZero{&CpuFields::Text5, "0"};
constexpr Condition kPlus{&CpuFields::Text4, "0"};
constexpr Condition kMinus{&CpuFields::Text4, "1"};
constexpr Condition kParityEven{&CpuFields::Text9, "1"};
constexpr Condition kParityOdd{&CpuFields::Text9, "0"};

class BranchSteps : public RoutineGroup {
public:
    using RoutineGroup::RoutineGroup;

    // Anything but the exact text (an empty field, "1 ", "2") is not taken.
    bool Taken(const Condition& c) const { return c.field == nullptr || (m_.cpu.*c.field).text() == c.want; }

    // JMP, the conditional jumps, CALL and the conditional calls.
    void AssembleThreeByte(const char* opcode)
    {
        EmitOpcode(opcode, true);
        std::string_view operand = LastChars(4);
        if (operand.size() < 4) {
            m_.ErrorFlag = kTrue;
            return;
        }
        // In Full 8085 mode every operand may name a tag; the tag pass
        // takes a four-digit address for one that no tag defines.
        if (FullMode() || !IsNumeric(operand)) {
            m_.memory.GotoFOURdigitINDEX(m_.LocationIndex);
            m_.assembly.JumpTagRefs.append(operand);
            m_.assembly.JumpTagRefs += m_.ConvertedValue;
            Emit("**");
            Emit("**");
            return;
        }
        Emit(operand.substr(2, 2));
        Emit(operand.substr(0, 2));
    }

    // Reads the two operand bytes after the opcode and continues at their
    // address. When the operand rows lie past the end of the window there is
    // no address to read: that is reported like any address outside the
    // window, and LocationIndex stays on the opcode.
    void JumpToOperand()
    {
        if (!m_.window.hasRow(m_.LocationIndex + 2)) {
            m_.memory.ReportOutOfRange();
            return;
        }
        ++m_.LocationIndex;
        m_.host.yield();
        std::string low = m_.memory.ReadMemory(m_.LocationIndex);
        ++m_.LocationIndex;
        m_.host.yield();
        std::string address = m_.memory.ReadMemory(m_.LocationIndex);
        address += low;
        m_.memory.ConvertMEMtoINDEX(address);
        if (m_.ErrorFlag == kTrue) return;
        GoToConvertedRow();
    }

    // LocationIndex := the row number ConvertMEMtoINDEX left in ConvertedValue.
    bool GoToConvertedRow()
    {
        int row = 0;
        const std::string& text = m_.ConvertedValue;
        auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), row);
        if (ec != std::errc() || end != text.data() + text.size() || !m_.window.hasRow(row)) {
            m_.ErrorFlag = kTrue;
            return false;
        }
        m_.LocationIndex = row;
        return true;
    }

    void Jump(int mode, const char* opcode, const Condition& condition)
    {
        if (mode == kAssemble) {
            AssembleThreeByte(opcode);
        } else if (mode == kExecute) {
            if (Taken(condition)) JumpToOperand();
            else m_.LocationIndex += 3;
        }
    }

    void Call(int mode, const char* opcode, const Condition& condition)
    {
        if (mode == kAssemble) {
            AssembleThreeByte(opcode);
        } else if (mode == kExecute) {
            if (!Taken(condition)) {
                m_.LocationIndex += 3;
                return;
            }
            // One slot only: a call made while another is pending replaces it.
            m_.returnSlot.ReturnPending = 1;
            m_.returnSlot.ReturnIndex = m_.LocationIndex + 3;
            JumpToOperand();
        }
    }

    void Return(int mode, const char* opcode, const Condition& condition)
    {
        if (mode == kAssemble) {
            EmitOpcode(opcode, true);
        } else if (mode == kExecute) {
            if (!Taken(condition)) {
                ++m_.LocationIndex;
            } else if (m_.returnSlot.ReturnPending == 1) {
                m_.LocationIndex = m_.returnSlot.ReturnIndex;
                m_.returnSlot.ReturnPending = 0;
            } else {
                m_.ErrorFlag = kTrue;
            }
        }
    }

    void Pchl()
    {
        std::string address = m_.cpu.RegisterH.text();
        address += m_.cpu.RegisterL.text();
        m_.memory.ConvertMEMtoINDEX(address);
        if (m_.ErrorFlag == kTrue) return;
        if (!GoToConvertedRow()) return;
        // PC shows the address after the target, as the executor shows it
        // after a fetch. The last row has no row after it; PC then shows the
        // target's own address rather than one outside the window.
        const int shown = m_.window.hasRow(m_.LocationIndex + 1) ? m_.LocationIndex + 1 : m_.LocationIndex;
        m_.cpu.PC.setText(m_.window.address(shown));
    }
};

}  // namespace

void Branch::JMP(int RoutineMode) { BranchSteps(m_).Jump(RoutineMode, "11000011", kAlways); }
void Branch::JC(int RoutineMode) { BranchSteps(m_).Jump(RoutineMode, "11011010", kCarry); }
void Branch::JNC(int RoutineMode) { BranchSteps(m_).Jump(RoutineMode, "11010010", kNoCarry); }
void Branch::JZ(int RoutineMode) { BranchSteps(m_).Jump(RoutineMode, "11001010", kZero); }
void Branch::JNZ(int RoutineMode) { BranchSteps(m_).Jump(RoutineMode, "11000010", kNotZero); }
void Branch::JP(int RoutineMode) { BranchSteps(m_).Jump(RoutineMode, "11110010", kPlus); }
void Branch::JM(int RoutineMode) { BranchSteps(m_).Jump(RoutineMode, "11111010", kMinus); }
void Branch::JPE(int RoutineMode) { BranchSteps(m_).Jump(RoutineMode, "11101010", kParityEven); }
void Branch::JPO(int RoutineMode) { BranchSteps(m_).Jump(RoutineMode, "11100010", kParityOdd); }

void Branch::CALL1(int RoutineMode) { BranchSteps(m_).Call(RoutineMode, "11001101", kAlways); }
void Branch::CC(int RoutineMode) { BranchSteps(m_).Call(RoutineMode, "11011100", kCarry); }
void Branch::CNC(int RoutineMode) { BranchSteps(m_).Call(RoutineMode, "11010100", kNoCarry); }
void Branch::CZ(int RoutineMode) { BranchSteps(m_).Call(RoutineMode, "11001100", kZero); }
void Branch::CNZ(int RoutineMode) { BranchSteps(m_).Call(RoutineMode, "11000100", kNotZero); }
void Branch::CP(int RoutineMode) { BranchSteps(m_).Call(RoutineMode, "11110100", kPlus); }
void Branch::CM(int RoutineMode) { BranchSteps(m_).Call(RoutineMode, "11111100", kMinus); }
void Branch::CPE(int RoutineMode) { BranchSteps(m_).Call(RoutineMode, "11101100", kParityEven); }
void Branch::CPO(int RoutineMode) { BranchSteps(m_).Call(RoutineMode, "11100100", kParityOdd); }

void Branch::RET(int RoutineMode) { BranchSteps(m_).Return(RoutineMode, "11001001", kAlways); }
void Branch::RC(int RoutineMode) { BranchSteps(m_).Return(RoutineMode, "11011000", kCarry); }
void Branch::RNC(int RoutineMode) { BranchSteps(m_).Return(RoutineMode, "11010000", kNoCarry); }
void Branch::RZ(int RoutineMode) { BranchSteps(m_).Return(RoutineMode, "11001000", kZero); }
void Branch::RNZ(int RoutineMode) { BranchSteps(m_).Return(RoutineMode, "11000000", kNotZero); }
void Branch::RP(int RoutineMode) { BranchSteps(m_).Return(RoutineMode, "11110000", kPlus); }
void Branch::RM(int RoutineMode) { BranchSteps(m_).Return(RoutineMode, "11111000", kMinus); }
void Branch::RPE(int RoutineMode) { BranchSteps(m_).Return(RoutineMode, "11101000", kParityEven); }
void Branch::RPO(int RoutineMode) { BranchSteps(m_).Return(RoutineMode, "11100000", kParityOdd); }

void Branch::RST(int RoutineMode)
{
    if (RoutineMode == kAssemble && FullMode()) {
        // All eight restarts, 11nnn111.
        static constexpr const char* kRestarts[] = {"C7", "CF", "D7", "DF", "E7", "EF", "F7", "FF"};
        std::string_view operand = LastChars(1);
        if (operand.size() != 1 || operand[0] < '0' || operand[0] > '7') {
            m_.ErrorFlag = kTrue;
            return;
        }
        m_.host.yield();
        Emit(kRestarts[operand[0] - '0']);
    } else if (RoutineMode == kAssemble) {
        // RST 0 to RST 4 are refused. The byte is stored as written, not
        // built from bits: the executor never runs it anyway.
        std::string_view operand = LastChars(1);
        const char* byte = operand == "5" ? "EF" : operand == "6" ? "F7" : operand == "7" ? "FF" : nullptr;
        if (byte == nullptr) {
            m_.ErrorFlag = kTrue;
            return;
        }
        m_.host.yield();
        Emit(byte);
    } else if (RoutineMode == kExecute) {
        Unsupported(1, "Unsupported Command RST Ignored", false);
    }
}

void Branch::PCHL(int RoutineMode)
{
    if (RoutineMode == kAssemble) EmitOpcode("11101001", true);
    else if (RoutineMode == kExecute) BranchSteps(m_).Pchl();
}

}  // namespace korvanta
