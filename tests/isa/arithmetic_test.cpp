#include <random>

#include "isa/alu8.h"
#include "isa_fixture.h"

namespace korvanta::testing {
namespace {

// The result byte and the flags S Z AC P CY, as "3D 00000".
std::string Reference(int result, bool ac, bool cy)
{
    int ones = 0;
    for (int b = 0; b < 8; ++b) ones += (result >> b) & 1;
    std::string text = Hex(result & 0xFF) + " ";
    for (bool bit : {(result & 0x80) != 0, (result & 0xFF) == 0, ac, ones % 2 == 0, cy})
        text += bit ? '1' : '0';
    return text;
}
std::string Add(int a, int b, int c)
{
    return Reference(a + b + c, (a & 15) + (b & 15) + c > 15, a + b + c > 255);
}
// AC after a subtraction is the borrow out of bit 3 itself.
std::string Sub(int a, int b, int c)
{
    return Reference(a - b - c, (a & 15) < (b & 15) + c, a < b + c);
}

class ArithmeticTest : public IsaFixture {
protected:
    Alu8 alu{m};
    std::string Result(const std::string& value) const { return value + " " + Flags(); }
};

// The digit loops over every pair of bytes and both carry values. The same
// pairs go through the cores on the fields once, the eight operations taking
// turns so that each meets every accumulator and operand (a sweep per
// operation would cost seconds under the sanitizers); INR and DCR meet every
// byte with both CY, which they keep.
TEST_F(ArithmeticTest, EveryPairAndCarryMatchesIntegerReference)
{
    Texts bits(256);
    for (int v = 0; v < 256; ++v) {
        for (int b = 7; b >= 0; --b) bits[v] += ((v >> b) & 1) ? '1' : '0';
    }
    const char* const ops[8] = {"ADD", "ADC", "SUB", "SBB", "ADI", "ACI", "SUI", "SBI"};
    for (int cy = 0; cy <= 1; ++cy) {
        for (int a = 0; a < 256; ++a) {
            for (int b = 0; b < 256; ++b) {
                const std::string sum = Add(a, b, cy), difference = Sub(a, b, cy);
                const DigitLoop add = AddDigits(bits[a], bits[b], cy),
                                sub = SubtractDigits(bits[a], bits[b], cy);
                ASSERT_TRUE(add.text() == bits[(a + b + cy) & 255] && add.afterBit3 == sum[5] &&
                            add.afterBit7 == sum[7])
                    << a << "+" << b << "+" << cy;
                ASSERT_TRUE(sub.text() == bits[(a - b - cy) & 255] && sub.afterBit3 == difference[5] &&
                            sub.afterBit7 == difference[7])
                    << a << "-" << b << "-" << cy;

                const int op = (a + b + cy) % 8, withCarry = op % 2 ? kTrue : kFalse;
                const bool subtract = op % 4 >= 2;
                m.cpu.RegisterA.setText(Hex(a));
                m.cpu.Text11.setText(cy ? "1" : "0");
                m.LocationIndex = 1;
                m.memory.EnterintoMEMory(2, Hex(b));
                m.cpu.RegisterC.setText(Hex(b));
                if (op >= 4 && subtract)
                    alu.SubANumber(withCarry);
                else if (op >= 4)
                    alu.AddANumber(withCarry);
                else if (subtract)
                    alu.SubStuff("C", kFalse, withCarry);
                else
                    alu.AddStuff("C", kFalse, withCarry);
                const int carry = op % 2 ? cy : 0;
                ASSERT_EQ(Result(m.cpu.RegisterA.text()), subtract ? Sub(a, b, carry) : Add(a, b, carry))
                    << ops[op] << " " << a << ", " << b << ", CY " << cy;
            }
            for (bool decrement : {false, true}) {
                m.cpu.RegisterE.setText(Hex(a));
                m.cpu.Text11.setText(cy ? "1" : "0");
                std::string want = decrement ? Sub(a, 1, 0) : Add(a, 1, 0);
                want.back() = cy ? '1' : '0';
                if (decrement)
                    alu.SubStuff("E", kTrue, kFalse);
                else
                    alu.AddStuff("E", kTrue, kFalse);
                ASSERT_EQ(Result(m.cpu.RegisterE.text()), want) << a << (decrement ? " DCR" : " INR");
            }
        }
    }
    // What GetBinary8 leaves after a bad digit is short; missing digits read as 0.
    EXPECT_EQ(AddDigits("0011", "00000001", 0).text(), "00110001");
    EXPECT_EQ(SubtractDigits("", "00000001", 0).text(), "11111111");
    EXPECT_TRUE(host.messages.empty());
}

// Each opcode through its routine: the operand its code names (M is the byte
// at H,L), CY used by ADC/SBB/ACI/SBI only, LocationIndex on the last byte.
TEST_F(ArithmeticTest, EveryOpcodeWorksOnTheOperandItNames)
{
    const struct {
        Routine r;
        int base, shift;  // shift 8: an immediate
        bool subtract, withCarry, step;
    } families[] = {
        {Routine::ADD, 0x80, 0, false, false, false}, {Routine::ADC, 0x88, 0, false, true, false},
        {Routine::SUB1, 0x90, 0, true, false, false}, {Routine::SBB, 0x98, 0, true, true, false},
        {Routine::INR, 0x04, 3, false, false, true},  {Routine::DCR, 0x05, 3, true, false, true},
        {Routine::ADI, 0xC6, 8, false, false, false}, {Routine::ACI, 0xCE, 8, false, true, false},
        {Routine::SUI, 0xD6, 8, true, false, false},  {Routine::SBI, 0xDE, 8, true, true, false},
    };
    const std::string names[8] = {"B", "C", "D", "E", "H", "L", "#17", "A"};
    const int values[8] = {0x01, 0x12, 0x2F, 0x34, 0x00, 0x10, 0xF7, 0x9C};
    for (const auto& f : families) {
        for (int code = 0; code < (f.shift == 8 ? 1 : 8); ++code) {
            Set("A=9C B=01 C=12 D=2F E=34 H=00 L=10 #17=F7 CY=1 #2=5E");
            Poke(1, Hex(f.base | code << f.shift));
            Execute(f.r);
            const int operand = f.shift == 8 ? 0x5E : values[code];
            const int a = f.step ? operand : 0x9C, b = f.step ? 1 : operand;
            std::string want = f.subtract ? Sub(a, b, f.withCarry) : Add(a, b, f.withCarry);
            if (f.step) want.back() = '1';
            const std::string target = f.step ? names[code] : "A";
            const std::string name = std::string(RoutineName(f.r)) + " code " + std::to_string(code);
            EXPECT_EQ(Now(target) + " " + Flags(), target + "=" + want) << name;
            EXPECT_EQ(m.LocationIndex, f.shift == 8 ? 3 : 2) << name;
            EXPECT_EQ(m.cpu.RegisterA.text(), f.step && code != 7 ? "9C" : want.substr(0, 2)) << name;
        }
    }
    EXPECT_EQ(m.ErrorFlag, kFalse);
}

// The four pairs B,C  D,E  H,L and SP as fields.
std::string Pairs(const int (&v)[4])
{
    return "B=" + Hex(v[0] >> 8) + " C=" + Hex(v[0] & 0xFF) + " D=" + Hex(v[1] >> 8) +
           " E=" + Hex(v[1] & 0xFF) + " H=" + Hex(v[2] >> 8) + " L=" + Hex(v[2] & 0xFF) +
           " SP=" + Hex(v[3], 4);
}

// INX, DCX and DAD for every pair, on edge values and then a random sample,
// through the opcode: only the named pair (H,L for DAD) changes, INX and DCX
// touch no flag, DAD sets AC (carry out of bit 7) and CY (out of bit 15) only.
TEST_F(ArithmeticTest, PairOpcodesMatchIntegerReference)
{
    const struct {
        Routine r;
        int base;
    } ops[] = {
        {Routine::INX, 0x03}, {Routine::DCX, 0x0B}, {Routine::DAD, 0x09},
    };
    const int edges[] = {0x0001, 0x00FF, 0x0100, 0xFFFF, 0x8000, 0x0000};
    std::mt19937 random(8085);
    std::uniform_int_distribution<int> word(0, 0xFFFF);
    for (int i = 0; i < 12 * 60; ++i) {
        const auto& op = ops[i % 3];
        const int p = i / 3 % 4;
        int before[4] = {word(random), word(random), word(random), word(random)};
        if (i < 12 * 6) {
            before[p] = edges[i / 12];
            if (p != 2) before[2] = edges[(i / 12 + 3) % 6];
        }
        int after[4] = {before[0], before[1], before[2], before[3]};
        const int sum = before[2] + before[p];
        if (op.r == Routine::DAD)
            after[2] = sum & 0xFFFF;
        else
            after[p] = (before[p] + (op.r == Routine::INX ? 1 : -1)) & 0xFFFF;
        Set(Pairs(before) + " F=C4");  // S Z P set, AC CY clear
        Poke(1, Hex(op.base | p << 4));
        Execute(op.r);
        const std::string name = std::string(RoutineName(op.r)) + " " + Pairs(before);
        ASSERT_EQ(Now(Pairs(after)), Pairs(after)) << name;
        ASSERT_EQ(m.LocationIndex, 2) << name;
        if (op.r != Routine::DAD) {
            ASSERT_EQ(m.cpu.Text2.text(), "C4") << name;
        } else {
            const bool ac = (before[2] & 0xFF) + (before[p] & 0xFF) > 0xFF;
            ASSERT_EQ(Flags(), std::string("11") + (ac ? '1' : '0') + '1' + (sum > 0xFFFF ? '1' : '0'))
                << name;
        }
    }
    EXPECT_EQ(m.ErrorFlag, kFalse);
    EXPECT_TRUE(host.messages.empty());
}

// S Z P start set and AC clear; only A and CY may change.
TEST_F(ArithmeticTest, RotatesComplementAndCarry)
{
    const struct {
        Routine r;
        const char* opcode;
        const char *a, *cy, *aAfter, *cyAfter;
    } cases[] = {
        {Routine::RLC, "07", "81", "0", "03", "1"}, {Routine::RLC, "07", "40", "1", "80", "0"},
        {Routine::RRC, "0F", "81", "0", "C0", "1"}, {Routine::RRC, "0F", "02", "1", "01", "0"},
        {Routine::RAL, "17", "80", "0", "00", "1"}, {Routine::RAL, "17", "41", "1", "83", "0"},
        {Routine::RAR, "1F", "01", "1", "80", "1"}, {Routine::RAR, "1F", "82", "0", "41", "0"},
        {Routine::CMA, "2F", "5A", "0", "A5", "0"}, {Routine::CMA, "2F", "00", "1", "FF", "1"},
        {Routine::STC, "37", "5A", "0", "5A", "1"}, {Routine::STC, "37", "5A", "1", "5A", "1"},
        {Routine::CMC, "3F", "5A", "0", "5A", "1"}, {Routine::CMC, "3F", "5A", "1", "5A", "0"},
    };
    for (const auto& c : cases) {
        Set(std::string("F=C4 CY=") + c.cy + " A=" + c.a);
        Poke(1, c.opcode);
        Execute(c.r, 1);
        const std::string want = std::string("A=") + c.aAfter + " S=1 Z=1 AC=0 P=1 CY=" + c.cyAfter + " at=2";
        EXPECT_EQ(Now(want), want) << c.opcode << " on " << c.a << " CY " << c.cy;
    }
}

// An accumulator the user left half typed cannot be rotated; it is not mangled.
TEST_F(ArithmeticTest, AccumulatorThatIsNotAHexByteStopsTheRun)
{
    Set("A=3, CY=0");
    Poke(1, "07");
    Execute(Routine::RLC, 1);
    EXPECT_EQ(Now("A CY at err"), "A=3, CY=0 at=1 err=1");
    EXPECT_EQ(host.messageTexts(), Texts{"Conversion to binary failed...Invalid HEX entry."});
}

}  // namespace
}  // namespace korvanta::testing
