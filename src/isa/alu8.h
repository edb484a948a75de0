#pragma once

// The 8-bit arithmetic cores. Learners see the processor add and subtract the
// way they do on paper: both bytes as BitStrings, one binary digit at a time
// from bit 0 up, with a running carry or borrow. The flags come straight out
// of that digit loop, so no byte is ever turned into a number here.

#include <cstddef>
#include <string_view>

namespace korvanta {

class Machine;

namespace digits {

// VB-style Mid$: `length` characters from 1-based column `start`; empty when
// the column lies past the end, shorter when the text ends early.
inline std::string_view Mid(std::string_view text, std::size_t start, std::size_t length)
{
    if (start < 1 || start > text.size()) return {};
    return text.substr(start - 1, length);
}

// Surrounding blanks removed (blanks only, as the source lines are read).
inline std::string_view TrimBlanks(std::string_view text)
{
    std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    std::size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

// The digit at 1-based position p as 0 or 1. A text cut short by a failed
// conversion has no digit there, which reads as 0, as it always has.
inline int DigitAt(std::string_view bits, std::size_t p)
{
    return p >= 1 && p <= bits.size() && bits[p - 1] == '1' ? 1 : 0;
}

// Up to eight characters copied out of ConvertedValue, so that a second
// conversion cannot overwrite an operand still being worked on.
struct BitText {
    char c[8] = {};
    std::size_t n = 0;
    void assign(std::string_view s)
    {
        n = s.size() < sizeof c ? s.size() : sizeof c;
        for (std::size_t i = 0; i < n; ++i) c[i] = s[i];
    }
    std::string_view view() const { return {c, n}; }
};

}  // namespace digits

// What one pass of the digit loop leaves: the eight result digits, most
// significant first, and the running carry (or borrow) after the fourth and
// after the eighth digit, each '0' or '1'.
struct DigitLoop {
    char bits[8];
    char afterBit3;
    char afterBit7;
    std::string_view text() const { return {bits, 8}; }
};

// a + b, plus carryIn (0 or 1) at the first digit only.
DigitLoop AddDigits(std::string_view a, std::string_view b, int carryIn);
// a - b, less borrowIn (0 or 1) at the first digit only.
DigitLoop SubtractDigits(std::string_view a, std::string_view b, int borrowIn);

class Alu8 {
public:
    explicit Alu8(Machine& m) : m_(m) {}

    // operand: "A".."L" or "M" (the byte at H,L). stepMode True: INR on the
    // operand itself, CY left alone. withCarry True: ADC (CY added at bit 0).
    void AddStuff(std::string_view operand, int stepMode, int withCarry);
    // As AddStuff for SUB, SBB and DCR; AC and CY are the borrows themselves.
    void SubStuff(std::string_view operand, int stepMode, int withBorrow);
    // ADI/ACI and SUI/SBI: the immediate after the opcode at LocationIndex;
    // LocationIndex is left on the immediate's row.
    void AddANumber(int withCarry);
    void SubANumber(int withBorrow);
    // P := "1" when bits holds an even number of "1" characters.
    void ParityBitSet(std::string_view bits);

private:
    enum class Op { Add, Subtract };
    void RegisterOrMemory(Op op, std::string_view operand, int stepMode, int withCarry);
    void Immediate(Op op, int withCarry);
    void WithAccumulator(Op op, const digits::BitText& operandBits, int withCarry);
    // S, the new value, P and Z; the caller has set AC and CY. The new value
    // goes to RegisterA when `into` is empty, else to the operand it names.
    void Finish(const DigitLoop& loop, std::string_view into);
    int CarryFieldValue() const;

    Machine& m_;
};

}  // namespace korvanta
