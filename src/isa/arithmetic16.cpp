#include "isa/arithmetic16.h"

#include <string>

#include "isa/alu8.h"
#include "isa/instruction_set.h"
#include "machine/machine.h"

namespace korvanta {

namespace {

using digits::DigitAt;
using digits::Mid;

std::string_view Left(std::string_view text, std::size_t n) { return text.substr(0, n); }
std::string_view Right(std::string_view text, std::size_t n)
{
    return text.size() > n ? text.substr(text.size() - n) : text;
}

// One column of a paper sum (s = 0..3) and of a paper difference (d + 2, d = -1..1).
constexpr char kSumDigit[4] = {'0', '1', '0', '1'};
constexpr int kSumCarry[4] = {0, 0, 1, 1};
constexpr char kDifferenceDigit[3] = {'1', '0', '1'};
constexpr int kDifferenceBorrow[3] = {1, 0, 0};

}  // namespace

bool Arithmetic16::PairBits(std::string_view pairName, char (&bits)[16], std::size_t& length)
{
    const TextField* high = nullptr;
    const TextField* low = nullptr;
    if (pairName == "B") high = &m_.cpu.RegisterB, low = &m_.cpu.RegisterC;
    else if (pairName == "D") high = &m_.cpu.RegisterD, low = &m_.cpu.RegisterE;
    else if (pairName == "H") high = &m_.cpu.RegisterH, low = &m_.cpu.RegisterL;
    else if (pairName == "P") high = &m_.cpu.SP;
    else return false;
    std::string text = high->text();
    if (low != nullptr) text.append(low->text());

    // Each half is at most eight digits, fewer after a failed conversion.
    length = 0;
    m_.conv.GetBinary8(Left(text, 2));
    for (std::size_t i = 0; i < m_.ConvertedValue.size() && i < 8; ++i) bits[length++] = m_.ConvertedValue[i];
    m_.conv.GetBinary8(Right(text, 2));
    for (std::size_t i = 0; i < m_.ConvertedValue.size() && i < 8; ++i) bits[length++] = m_.ConvertedValue[i];
    return true;
}

void Arithmetic16::WritePair(std::string_view pairName, const char (&result)[16])
{
    char value[4];
    m_.conv.GetHex8(std::string_view(result, 8));
    m_.ConvertedValue.copy(value, 2);
    m_.conv.GetHex8(std::string_view(result + 8, 8));
    m_.ConvertedValue.copy(value + 2, 2);
    const std::string_view high(value, 2);
    const std::string_view low(value + 2, 2);
    if (pairName == "B") {
        m_.cpu.RegisterB.setText(high);
        m_.cpu.RegisterC.setText(low);
    } else if (pairName == "D") {
        m_.cpu.RegisterD.setText(high);
        m_.cpu.RegisterE.setText(low);
    } else if (pairName == "H") {
        m_.cpu.RegisterH.setText(high);
        m_.cpu.RegisterL.setText(low);
    } else if (pairName == "P") {
        m_.cpu.SP.setText(std::string_view(value, 4));
    }
}

void Arithmetic16::INXorDCX(int direction, std::string_view pairName)
{
    if (direction != 0 && direction != 1) return;
    char pair[16];
    std::size_t length = 0;
    if (!PairBits(pairName, pair, length)) return;
    const std::string_view bits(pair, length);

    char result[16];
    int carry = 0;  // the borrow, when decrementing
    for (std::size_t k = 1; k <= 16; ++k) {
        const std::size_t p = 17 - k;
        const int one = k == 1 ? 1 : 0;
        if (direction == 0) {
            const int s = DigitAt(bits, p) + one + carry;
            result[p - 1] = kSumDigit[s];
            carry = kSumCarry[s];
        } else {
            const int d = DigitAt(bits, p) - one - carry;
            result[p - 1] = kDifferenceDigit[d + 1];
            carry = kDifferenceBorrow[d + 1];
        }
    }
    // The carry or borrow out of bit 15 is dropped: FFFF wraps to 0000 and back.
    WritePair(pairName, result);
}

void Arithmetic16::DADbackbone(std::string_view pairName)
{
    char pair[16];
    std::size_t pairLength = 0;
    if (!PairBits(pairName, pair, pairLength)) return;
    char hl[16];
    std::size_t hlLength = 0;
    PairBits("H", hl, hlLength);
    const std::string_view pairBits(pair, pairLength);
    const std::string_view hlBits(hl, hlLength);

    char result[16];
    int carry = 0;
    int afterBit7 = 0;
    for (std::size_t k = 1; k <= 16; ++k) {
        const std::size_t p = 17 - k;
        const int s = DigitAt(pairBits, p) + DigitAt(hlBits, p) + carry;
        result[p - 1] = kSumDigit[s];
        carry = kSumCarry[s];
        if (k == 8) afterBit7 = carry;
    }
    const char* const kFlagTexts[2] = {"0", "1"};
    m_.cpu.Text7.setText(kFlagTexts[afterBit7]);
    m_.cpu.Text11.setText(kFlagTexts[carry]);
    WritePair("H", result);
}

void Arithmetic16::AssemblePair(std::string_view low)
{
    const std::string_view operand = digits::TrimBlanks(LastChars(2));
    std::string_view pairBits;
    if (operand == "B") pairBits = "00";
    else if (operand == "D") pairBits = "01";
    else if (operand == "H") pairBits = "10";
    else if (operand == "SP") pairBits = "11";
    else {
        m_.ErrorFlag = kTrue;
        return;
    }
    char bits[8] = {'0', '0', pairBits[0], pairBits[1], low[0], low[1], low[2], low[3]};
    EmitOpcode(std::string_view(bits, 8), false);
}

void Arithmetic16::INX(int RoutineMode)
{
    if (RoutineMode == kAssemble) {
        AssemblePair("0011");
        return;
    }
    if (RoutineMode != kExecute) return;
    m_.ConvertedValue.clear();
    m_.cpu.ReturnFromRegisterCodes(Mid(m_.CurrentOpcode, 3, 3));
    std::string name = m_.ConvertedValue;
    if (name == "M") name = "P";
    INXorDCX(0, name);
    if (m_.ErrorFlag != kTrue) ++m_.LocationIndex;
}

void Arithmetic16::DCX(int RoutineMode)
{
    if (RoutineMode == kAssemble) {
        AssemblePair("1011");
        return;
    }
    if (RoutineMode != kExecute) return;
    // The field reads pair bits and a 1; with the 1 made 0 it is a register code.
    char code[3] = {};
    const std::string_view field = Mid(m_.CurrentOpcode, 3, 3);
    field.copy(code, 3);
    if (field.size() == 3) code[2] = '0';
    m_.ConvertedValue.clear();
    m_.cpu.ReturnFromRegisterCodes(std::string_view(code, field.size()));
    std::string name = m_.ConvertedValue;
    if (name == "M") name = "P";
    INXorDCX(1, name);
    if (m_.ErrorFlag != kTrue) ++m_.LocationIndex;
}

void Arithmetic16::DAD(int RoutineMode)
{
    if (RoutineMode == kAssemble) {
        AssemblePair("1001");
        return;
    }
    if (RoutineMode != kExecute) return;
    const std::string_view field = Mid(m_.CurrentOpcode, 2, 3);
    std::string_view name;
    if (field == "000") name = "B";
    else if (field == "001") name = "D";
    else if (field == "010") name = "H";
    else if (field == "011") name = "P";
    DADbackbone(name);
    if (m_.ErrorFlag != kTrue) ++m_.LocationIndex;
}

}  // namespace korvanta
