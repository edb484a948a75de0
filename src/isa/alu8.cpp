#include "isa/alu8.h"

#include <charconv>
#include <string>

#include "machine/machine.h"

namespace korvanta {

namespace {

using digits::BitText;
using digits::DigitAt;

// One column of a paper sum: s = digit + digit + carry, 0 to 3.
constexpr char kSumDigit[4] = {'0', '1', '0', '1'};
constexpr int kSumCarry[4] = {0, 0, 1, 1};
// One column of a paper difference: d = a - b - borrow, -2 to 1 (index d + 2).
constexpr char kDifferenceDigit[4] = {'0', '1', '0', '1'};
constexpr int kDifferenceBorrow[4] = {1, 1, 0, 0};

constexpr std::string_view kZeros = "00000000";

char FlagDigit(int carryOrBorrow) { return carryOrBorrow ? '1' : '0'; }

// The row number that ConvertMEMtoINDEX left as decimal text.
int RowFromConvertedValue(const std::string& text)
{
    int row = 0;
    std::from_chars(text.data(), text.data() + text.size(), row);
    return row;
}

}  // namespace

DigitLoop AddDigits(std::string_view a, std::string_view b, int carryIn)
{
    DigitLoop out{};
    int carry = 0;
    for (std::size_t k = 1; k <= 8; ++k) {
        const std::size_t p = 9 - k;
        const int s = DigitAt(a, p) + DigitAt(b, p) + carry + (k == 1 ? carryIn : 0);
        out.bits[p - 1] = kSumDigit[s];
        carry = kSumCarry[s];
        if (k == 4) out.afterBit3 = FlagDigit(carry);
    }
    out.afterBit7 = FlagDigit(carry);
    return out;
}

DigitLoop SubtractDigits(std::string_view a, std::string_view b, int borrowIn)
{
    DigitLoop out{};
    int borrow = 0;
    for (std::size_t k = 1; k <= 8; ++k) {
        const std::size_t p = 9 - k;
        const int d = DigitAt(a, p) - DigitAt(b, p) - borrow - (k == 1 ? borrowIn : 0);
        out.bits[p - 1] = kDifferenceDigit[d + 2];
        borrow = kDifferenceBorrow[d + 2];
        if (k == 4) out.afterBit3 = FlagDigit(borrow);
    }
    out.afterBit7 = FlagDigit(borrow);
    return out;
}

int Alu8::CarryFieldValue() const { return m_.cpu.Text11.text() == "1" ? 1 : 0; }

void Alu8::AddStuff(std::string_view operand, int stepMode, int withCarry)
{
    RegisterOrMemory(Op::Add, operand, stepMode, withCarry);
}

void Alu8::SubStuff(std::string_view operand, int stepMode, int withBorrow)
{
    RegisterOrMemory(Op::Subtract, operand, stepMode, withBorrow);
}

void Alu8::AddANumber(int withCarry) { Immediate(Op::Add, withCarry); }

void Alu8::SubANumber(int withBorrow) { Immediate(Op::Subtract, withBorrow); }

void Alu8::RegisterOrMemory(Op op, std::string_view operand, int stepMode, int withCarry)
{
    BitText operandBits;
    if (TextField* field = m_.cpu.registerField(operand)) {
        m_.conv.GetBinary8(field->text());
        operandBits.assign(m_.ConvertedValue);
    } else if (operand == "M") {
        const std::string address = m_.cpu.RegisterH.text() + m_.cpu.RegisterL.text();
        m_.memory.ConvertMEMtoINDEX(address);
        if (m_.ErrorFlag == kTrue) return;
        m_.conv.GetBinary8(m_.memory.ReadMemory(RowFromConvertedValue(m_.ConvertedValue)));
        operandBits.assign(m_.ConvertedValue);
    } else {
        return;
    }

    if (stepMode != kFalse) {
        // INR and DCR: the operand against a one at bit 0; the carry out of
        // bit 7 is dropped and CY stays as it was.
        const DigitLoop loop = op == Op::Add ? AddDigits(operandBits.view(), kZeros, 1)
                                             : SubtractDigits(operandBits.view(), kZeros, 1);
        m_.cpu.Text7.setText(std::string_view(&loop.afterBit3, 1));
        Finish(loop, operand);
        return;
    }

    WithAccumulator(op, operandBits, withCarry);
}

void Alu8::Immediate(Op op, int withCarry)
{
    // An opcode on the window's last row has no row for its immediate.
    if (!m_.window.hasRow(m_.LocationIndex + 1)) {
        m_.memory.ReportOutOfRange();
        return;
    }
    ++m_.LocationIndex;
    m_.conv.GetBinary8(m_.memory.ReadMemory(m_.LocationIndex));
    BitText immediateBits;
    immediateBits.assign(m_.ConvertedValue);
    WithAccumulator(op, immediateBits, withCarry);
}

// Accumulator plus or minus the operand (and the carry when asked), into the
// accumulator, with AC and CY from the digit loop.
void Alu8::WithAccumulator(Op op, const digits::BitText& operandBits, int withCarry)
{
    m_.conv.GetBinary8(m_.cpu.RegisterA.text());
    BitText accumulatorBits;
    accumulatorBits.assign(m_.ConvertedValue);
    const int carryIn = withCarry != kFalse ? CarryFieldValue() : 0;
    const DigitLoop loop = op == Op::Add ? AddDigits(operandBits.view(), accumulatorBits.view(), carryIn)
                                         : SubtractDigits(accumulatorBits.view(), operandBits.view(), carryIn);
    m_.cpu.Text7.setText(std::string_view(&loop.afterBit3, 1));
    m_.cpu.Text11.setText(std::string_view(&loop.afterBit7, 1));
    Finish(loop, {});
}

void Alu8::Finish(const DigitLoop& loop, std::string_view into)
{
    m_.cpu.Text4.setText(std::string_view(&loop.bits[0], 1));
    m_.conv.GetHex8(loop.text());
    BitText value;
    value.assign(m_.ConvertedValue);
    ParityBitSet(loop.text());
    m_.cpu.Text5.setText(value.view() == "00" ? "1" : "0");

    if (into.empty()) {
        m_.cpu.RegisterA.setText(value.view());
    } else if (TextField* field = m_.cpu.registerField(into)) {
        field->setText(value.view());
    } else {
        const std::string address = m_.cpu.RegisterH.text() + m_.cpu.RegisterL.text();
        m_.memory.ConvertMEMtoINDEX(address);
        if (m_.ErrorFlag == kTrue) return;
        m_.memory.EnterintoMEMory(RowFromConvertedValue(m_.ConvertedValue), value.view());
    }
}

void Alu8::ParityBitSet(std::string_view bits)
{
    bool even = true;
    for (char c : bits) {
        if (c == '1') even = !even;
    }
    m_.cpu.Text9.setText(even ? "1" : "0");
}

}  // namespace korvanta
