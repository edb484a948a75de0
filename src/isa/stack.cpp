#include "isa/stack.h"

#include <charconv>
#include <string>

#include "isa/instruction_set.h"
#include "machine/machine.h"

namespace korvanta {

namespace {

constexpr const char* kStackMessage =
    "The simulated CPU is out of stack space.  Change the stack pointer, edit your program, and try agian.  "
    "This is a fatal error.";
constexpr const char* kSphlMessage =
    "The memory location that is to be transfered to the stack counter is out of range.  Change the value "
    "of Register H and try again.  This is a fatal error.";

class StackSteps : public RoutineGroup {
public:
    using RoutineGroup::RoutineGroup;

    // The register fields of a pair, lower address first: for PSW the
    // accumulator lies below the flag value.
    struct Pair {
        TextField* low = nullptr;
        TextField* high = nullptr;
    };

    // The pair named by bits 5 and 4 of the opcode. M, code 110, is PSW here.
    // For any other opcode ErrorFlag is set and the fields stay null.
    Pair DecodePair()
    {
        CpuFields& cpu = m_.cpu;
        const std::string& op = m_.CurrentOpcode;
        Pair pair;
        if (op.size() == 8) {
            cpu.ReturnFromRegisterCodes(std::string_view(op).substr(2, 3));
            const std::string& letter = m_.ConvertedValue;
            if (letter == "B") pair = {&cpu.RegisterC, &cpu.RegisterB};
            else if (letter == "D") pair = {&cpu.RegisterE, &cpu.RegisterD};
            else if (letter == "H") pair = {&cpu.RegisterL, &cpu.RegisterH};
            else if (letter == "M") pair = {&cpu.RegisterA, &cpu.Text2};
        }
        if (pair.low == nullptr) m_.ErrorFlag = kTrue;
        return pair;
    }

    // The row of the stack pointer, or 0 after the conversion has failed.
    int StackRow()
    {
        const std::string sp = m_.cpu.SP.text();  // the field may change while the search yields
        m_.memory.ConvertMEMtoINDEX(sp);
        if (m_.ErrorFlag == kTrue) return 0;
        int row = 0;
        const std::string& text = m_.ConvertedValue;
        auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), row);
        if (ec != std::errc() || end != text.data() + text.size() || !m_.window.hasRow(row)) {
            m_.ErrorFlag = kTrue;
            return 0;
        }
        return row;
    }

    void OutOfStack()
    {
        m_.Message(kStackMessage);
        m_.ErrorFlag = kTrue;
    }

    // The operand is the last character of the line; PSW is told by its W.
    void AssemblePair(const char* b, const char* d, const char* h, const char* psw)
    {
        std::string_view operand = LastChars(1);
        const char* bits = operand == "B"   ? b
                           : operand == "D" ? d
                           : operand == "H" ? h
                           : operand == "W" ? psw
                                            : nullptr;
        if (bits == nullptr) {
            m_.ErrorFlag = kTrue;
            return;
        }
        EmitOpcode(bits, true);
    }

    void Push()
    {
        const Pair pair = DecodePair();
        if (pair.low == nullptr) return;
        int k = StackRow();
        if (k == 0) return;
        --k;
        if (k == 0) return OutOfStack();
        m_.memory.EnterintoMEMory(k, pair.high->text());
        --k;
        if (k == 0) return OutOfStack();  // the high byte stays written, SP does not move
        m_.memory.EnterintoMEMory(k, pair.low->text());
        m_.cpu.SP.setText(m_.window.address(k));
        ++m_.LocationIndex;
    }

    void Pop()
    {
        const Pair pair = DecodePair();
        if (pair.low == nullptr) return;
        int k = StackRow();
        if (k == 0) return;
        pair.low->setText(m_.window.data(k));
        ++k;
        if (!m_.window.hasRow(k)) return OutOfStack();
        pair.high->setText(m_.window.data(k));
        ++k;
        if (!m_.window.hasRow(k)) return OutOfStack();  // both loaded, SP stays
        m_.cpu.SP.setText(m_.window.address(k));
        ++m_.LocationIndex;
    }

    void Xthl()
    {
        const int k = StackRow();
        if (k == 0) return;
        // The pair on the stack needs two rows; at the last row the second one
        // lies outside the window, so nothing is exchanged at all.
        if (!m_.window.hasRow(k + 1)) {
            m_.memory.ReportOutOfRange();
            return;
        }
        const std::string oldL = m_.cpu.RegisterL.text();
        const std::string oldH = m_.cpu.RegisterH.text();
        m_.cpu.RegisterL.setText(m_.window.data(k));
        m_.cpu.RegisterH.setText(m_.window.data(k + 1));
        m_.memory.EnterintoMEMory(k, oldL);
        m_.memory.EnterintoMEMory(k + 1, oldH);
        ++m_.LocationIndex;
    }

    void Sphl()
    {
        const std::string& h = m_.cpu.RegisterH.text();
        if (std::string_view(h).substr(0, 1) != m_.window.windowDigit.get()) {
            m_.Message(kSphlMessage);
            m_.ErrorFlag = kTrue;
            return;
        }
        std::string sp = h;
        sp += m_.cpu.RegisterL.text();
        m_.cpu.SP.setText(sp);
        ++m_.LocationIndex;
    }

};

}  // namespace

void Stack::PUSH(int RoutineMode)
{
    if (RoutineMode == kAssemble) StackSteps(m_).AssemblePair("11000101", "11010101", "11100101", "11110101");
    else if (RoutineMode == kExecute) StackSteps(m_).Push();
}

void Stack::POP(int RoutineMode)
{
    if (RoutineMode == kAssemble) StackSteps(m_).AssemblePair("11000001", "11010001", "11100001", "11110001");
    else if (RoutineMode == kExecute) StackSteps(m_).Pop();
}

void Stack::XTHL(int RoutineMode)
{
    if (RoutineMode == kAssemble) EmitOpcode("11100011", false);
    else if (RoutineMode == kExecute) StackSteps(m_).Xthl();
}

void Stack::SPHL(int RoutineMode)
{
    if (RoutineMode == kAssemble) EmitOpcode("11111001", false);
    else if (RoutineMode == kExecute) StackSteps(m_).Sphl();
}

}  // namespace korvanta
