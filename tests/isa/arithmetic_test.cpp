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

}  // namespace
}  // namespace korvanta::testing
