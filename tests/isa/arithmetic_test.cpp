#include <string>
#include <vector>

#include "isa/alu8.h"
#include "isa_fixture.h"

namespace korvanta::testing {
namespace {

std::string Hex(int value)
{
    const char* digits = "0123456789ABCDEF";
    return {digits[(value >> 4) & 15], digits[value & 15]};
}

struct Expected {
    int value;
    std::string flags;  // S Z AC P CY
};

Expected Reference(int result, bool ac, bool cy)
{
    int ones = 0;
    for (int b = 0; b < 8; ++b) ones += (result >> b) & 1;
    return {result, {(result & 0x80) ? '1' : '0', result == 0 ? '1' : '0', ac ? '1' : '0', ones % 2 ? '0' : '1',
                     cy ? '1' : '0'}};
}
Expected ReferenceAdd(int a, int b, int c)
{
    return Reference((a + b + c) & 0xFF, (a & 0xF) + (b & 0xF) + c > 0xF, a + b + c > 0xFF);
}
// AC after a subtraction is the borrow out of bit 3 itself.
Expected ReferenceSubtract(int a, int b, int c)
{
    return Reference((a - b - c) & 0xFF, (a & 0xF) < (b & 0xF) + c, a < b + c);
}

class ArithmeticTest : public IsaFixture {
protected:
    Alu8 alu{m};
    std::vector<std::string> hex = [] {
        std::vector<std::string> all;
        for (int v = 0; v < 256; ++v) all.push_back(Hex(v));
        return all;
    }();

    // Compares without building any text unless something differs.
    ::testing::AssertionResult Agrees(const TextField& field, const Expected& want)
    {
        const TextField* flags[5] = {&m.cpu.Text4, &m.cpu.Text5, &m.cpu.Text7, &m.cpu.Text9, &m.cpu.Text11};
        bool same = field.text() == hex[want.value];
        for (int i = 0; i < 5 && same; ++i) same = flags[i]->text().size() == 1 && flags[i]->text()[0] == want.flags[i];
        if (same) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "got " << field.text() << " flags " << Flags() << ", want "
                                             << hex[want.value] << " flags " << want.flags;
    }
};

struct Encoding {
    Routine routine;
    std::string line;
    std::vector<std::string> rows;
};

TEST_F(ArithmeticTest, EncodesEveryFormAndOnlyImmediatesYield)
{
    std::vector<Encoding> cases = {
        {Routine::ADI, "ADI 3C", {"C6", "3C"}}, {Routine::ACI, "ACI 00", {"CE", "00"}},
        {Routine::SUI, "SUI FF", {"D6", "FF"}}, {Routine::SBI, "SBI 01", {"DE", "01"}},
        {Routine::ADI, "ADI G7", {"C6", "G7"}},  // stored as written
        {Routine::ADI, "ADI", {"C6", "DI"}},     // its own last two characters
        {Routine::ADD, "ADD", {"82"}},           // ends in D
        {Routine::SUB1, "SUB", {"90"}},          // ends in B
        {Routine::ADD, "ADD X,B", {"80"}},       // the separator is never looked at
    };
    const struct {
        Routine routine;
        const char* mnemonic;
        int base, shift;
    } families[] = {{Routine::ADD, "ADD ", 0x80, 0}, {Routine::ADC, "ADC ", 0x88, 0}, {Routine::SUB1, "SUB ", 0x90, 0},
                    {Routine::SBB, "SBB ", 0x98, 0}, {Routine::INR, "INR ", 0x04, 3}, {Routine::DCR, "DCR ", 0x05, 3}};
    for (const auto& f : families) {
        for (int code = 0; code < 8; ++code)
            cases.push_back({f.routine, f.mnemonic + std::string(1, "BCDEHLMA"[code]), {Hex(f.base | code << f.shift)}});
    }
    for (const auto& c : cases) {
        m.ErrorFlag = kFalse;
        host.yields = 0;
        EXPECT_EQ(Assemble(c.routine, c.line, 10), c.rows) << c.line;
        EXPECT_EQ(m.ErrorFlag, kFalse) << c.line;
        EXPECT_EQ(host.yields, c.rows.size() == 2 ? 1 : 0) << c.line;
    }
}

TEST_F(ArithmeticTest, RejectedOperandsKeepOnlyTheImmediatesOpcode)
{
    const struct {
        Routine routine;
        const char* line;
        std::vector<std::string> rows;  // rows 10 and 11 afterwards
    } cases[] = {
        {Routine::ADD, "ADD X", {"00", "00"}},  {Routine::ADC, "ADC B,", {"00", "00"}},
        {Routine::SUB1, "SUB b", {"00", "00"}}, {Routine::INR, "INR", {"00", "00"}},  // INR ends in R
        {Routine::DCR, "DCR SP", {"00", "00"}}, {Routine::ADI, "A", {"C6", "00"}},    // too short for an operand
        {Routine::SBI, "", {"DE", "00"}},
    };
    for (const auto& c : cases) {
        m.memory.SetupTheMemoryWindow("0");
        m.ErrorFlag = kFalse;
        Assemble(c.routine, c.line, 10);
        EXPECT_EQ(m.ErrorFlag, kTrue) << c.line;
        EXPECT_EQ(m.LocationIndex, c.rows[0] == "00" ? 10 : 11) << c.line;
        EXPECT_EQ(Rows(10, 12), c.rows) << c.line;
        EXPECT_TRUE(host.messages.empty()) << c.line;
    }
}

TEST_F(ArithmeticTest, ExecutesTheTeachersExamples)
{
    const struct {
        const char* name;
        Routine routine;
        std::vector<std::string> program;    // from row 1
        std::vector<std::string> registers;  // A B C D E H L
        const char* carry;
        char field;
        const char* value;
        const char* flags;  // S Z AC P CY
        int locationIndex;
    } cases[] = {
        {"ADD B out of both nibbles", Routine::ADD, {"80"}, {"FF", "01"}, "0", 'A', "00", "01111", 2},
        {"ADD L", Routine::ADD, {"85"}, {"01", "", "", "", "", "", "02"}, "0", 'A', "03", "00010", 2},
        {"ADC adds CY once", Routine::ADC, {"88"}, {"0F", "00"}, "1", 'A', "10", "00100", 2},
        {"ADI 3C", Routine::ADI, {"C6", "3C"}, {"01"}, "0", 'A', "3D", "00000", 3},
        {"ACI with CY", Routine::ACI, {"CE", "0E"}, {"01"}, "1", 'A', "10", "00100", 3},
        {"SUB A", Routine::SUB1, {"97"}, {"5A"}, "1", 'A', "00", "01010", 2},
        {"SUB B borrows from bit 4", Routine::SUB1, {"90"}, {"10", "01"}, "0", 'A', "0F", "00110", 2},
        {"SUI 01 from 00", Routine::SUI, {"D6", "01"}, {"00"}, "0", 'A', "FF", "10111", 3},
        {"SBB with CY from 00", Routine::SBB, {"98"}, {"00", "00"}, "1", 'A', "FF", "10111", 2},
        {"SBI 01 with CY", Routine::SBI, {"DE", "01"}, {"05"}, "1", 'A', "03", "00010", 3},
        {"INR B wraps, CY kept", Routine::INR, {"04"}, {"11", "FF"}, "1", 'B', "00", "01111", 2},
        {"INR A into the sign", Routine::INR, {"3C"}, {"7F"}, "0", 'A', "80", "10100", 2},
        {"DCR C wraps, CY kept", Routine::DCR, {"0D"}, {"11", "00", "00"}, "0", 'C', "FF", "10110", 2},
    };
    for (const auto& c : cases) {
        std::vector<std::string> r = c.registers;
        r.resize(7);
        for (auto& text : r) text = text.empty() ? "00" : text;
        SetRegisters(r[0], r[1], r[2], r[3], r[4], r[5], r[6]);
        m.cpu.Text11.setText(c.carry);
        Poke(1, c.program);
        m.ErrorFlag = kFalse;
        Execute(c.routine);
        EXPECT_EQ(m.cpu.registerField(c.field)->text(), c.value) << c.name;
        EXPECT_EQ(Flags(), c.flags) << c.name;
        EXPECT_EQ(m.LocationIndex, c.locationIndex) << c.name;
        if (c.field != 'A') {
            EXPECT_EQ(m.cpu.RegisterA.text(), r[0]) << c.name;
        }
    }
}

TEST_F(ArithmeticTest, MemoryOperandIsTheByteAtHL)
{
    const struct {
        Routine routine;
        const char* opcode;
        const char* accumulator;
        const char* memory;
    } cases[] = {{Routine::INR, "34", "22", "42"}, {Routine::DCR, "35", "22", "40"},
                 {Routine::ADD, "86", "63", "41"}, {Routine::SBB, "9E", "E0", "41"}};
    for (const auto& c : cases) {
        Poke(1, {c.opcode});
        Poke(17, {"41"});  // 0010
        SetRegisters("22", "00", "00", "00", "00", "00", "10");
        m.cpu.Text11.setText("1");
        Execute(c.routine);
        EXPECT_EQ(m.cpu.RegisterA.text(), c.accumulator) << c.opcode;
        EXPECT_EQ(m.window.data(17), c.memory) << c.opcode;
        EXPECT_EQ(m.LocationIndex, 2) << c.opcode;
    }
}

// H,L outside the window, or an immediate whose opcode is on the last row:
// one out-of-range message, nothing changed, LocationIndex left on the opcode.
TEST_F(ArithmeticTest, OperandsOutsideTheWindowChangeNothing)
{
    const struct {
        Routine routine;
        const char* opcode;
        int at;
    } cases[] = {{Routine::ADD, "86", 1},    {Routine::ADC, "8E", 1},    {Routine::SUB1, "96", 1},
                 {Routine::SBB, "9E", 1},    {Routine::INR, "34", 1},    {Routine::DCR, "35", 1},
                 {Routine::ADI, "C6", 4096}, {Routine::ACI, "CE", 4096}, {Routine::SUI, "D6", 4096},
                 {Routine::SBI, "DE", 4096}};
    for (const auto& c : cases) {
        Poke(c.at, {c.opcode});
        SetRegisters("77", "00", "00", "00", "00", "20", "05");
        m.cpu.Text2.setText("D5");
        host.messages.clear();
        m.ErrorFlag = kFalse;
        Execute(c.routine, c.at);
        EXPECT_EQ(m.ErrorFlag, kTrue) << c.opcode;
        EXPECT_EQ(m.LocationIndex, c.at) << c.opcode;
        EXPECT_EQ(m.cpu.RegisterA.text(), "77") << c.opcode;
        EXPECT_EQ(m.cpu.Text2.text(), "D5") << c.opcode;
        EXPECT_EQ(m.memory.writesOutside(), 0) << c.opcode;
        EXPECT_EQ(host.messageTexts(), std::vector<std::string>{kOutOfRangeMessage}) << c.opcode;
    }
}

TEST_F(ArithmeticTest, ParityCountsOnesOverTheWholeText)
{
    for (auto [bits, parity] : {std::pair{"00000001", "0"}, {"11111111", "1"}, {"0111", "0"}, {"", "1"}}) {
        m.cpu.Text9.setText(parity[0] == '1' ? "0" : "1");
        alu.ParityBitSet(bits);
        EXPECT_EQ(m.cpu.Text9.text(), parity) << bits;
    }
}

// The paper sum and difference themselves, over every pair of bytes and both
// carry values: result digits and the carry or borrow out of bits 3 and 7.
TEST(DigitLoopTest, EveryPairAndCarryMatchesIntegerReference)
{
    std::vector<std::string> bits(256);
    for (int v = 0; v < 256; ++v) {
        for (int b = 7; b >= 0; --b) bits[v] += ((v >> b) & 1) ? '1' : '0';
    }
    for (int c = 0; c <= 1; ++c) {
        for (int a = 0; a < 256; ++a) {
            for (int b = 0; b < 256; ++b) {
                const DigitLoop add = AddDigits(bits[a], bits[b], c);
                const DigitLoop sub = SubtractDigits(bits[a], bits[b], c);
                const char want[4] = {(a & 0xF) + (b & 0xF) + c > 0xF ? '1' : '0', a + b + c > 0xFF ? '1' : '0',
                                      (a & 0xF) < (b & 0xF) + c ? '1' : '0', a < b + c ? '1' : '0'};
                ASSERT_TRUE(add.text() == bits[(a + b + c) & 0xFF] && add.afterBit3 == want[0] &&
                            add.afterBit7 == want[1])
                    << a << "+" << b << "+" << c << " gives " << add.text() << " " << add.afterBit3 << add.afterBit7;
                ASSERT_TRUE(sub.text() == bits[(a - b - c) & 0xFF] && sub.afterBit3 == want[2] &&
                            sub.afterBit7 == want[3])
                    << a << "-" << b << "-" << c << " gives " << sub.text() << " " << sub.afterBit3 << sub.afterBit7;
            }
        }
    }
    // What GetBinary8 leaves after a bad digit is short; missing digits read as 0.
    EXPECT_EQ(AddDigits("0011", "00000001", 0).text(), "00110001");
    EXPECT_EQ(SubtractDigits("", "00000001", 0).text(), "11111111");
}

// Every pair of bytes with both carry values goes through the cores on the
// fields once, the eight operations taking turns so that each meets every
// accumulator and every operand value. The digit loops are swept in full
// above; a full sweep per operation through the fields would only cost the
// suite many seconds under the sanitizers.
TEST_F(ArithmeticTest, EveryPairAndCarryThroughTheFieldsMatchesIntegerReference)
{
    const struct {
        const char* name;
        bool immediate, subtract;
        int withCarry;
    } ops[8] = {{"ADD", false, false, kFalse}, {"ADC", false, false, kTrue}, {"SUB", false, true, kFalse},
                {"SBB", false, true, kTrue},   {"ADI", true, false, kFalse},  {"ACI", true, false, kTrue},
                {"SUI", true, true, kFalse},   {"SBI", true, true, kTrue}};
    for (int cy = 0; cy <= 1; ++cy) {
        for (int a = 0; a < 256; ++a) {
            for (int b = 0; b < 256; ++b) {
                const auto& op = ops[(a + b + cy) % 8];
                m.cpu.RegisterA.setText(hex[a]);
                m.cpu.Text11.setText(cy ? "1" : "0");
                m.LocationIndex = 1;
                if (op.immediate) {
                    m.memory.EnterintoMEMory(2, hex[b]);
                    if (op.subtract) alu.SubANumber(op.withCarry);
                    else alu.AddANumber(op.withCarry);
                    ASSERT_EQ(m.LocationIndex, 2) << op.name;
                } else {
                    m.cpu.RegisterC.setText(hex[b]);
                    if (op.subtract) alu.SubStuff("C", kFalse, op.withCarry);
                    else alu.AddStuff("C", kFalse, op.withCarry);
                    ASSERT_EQ(m.cpu.RegisterC.text(), hex[b]) << op.name;
                }
                const int carryIn = op.withCarry ? cy : 0;
                const Expected want = op.subtract ? ReferenceSubtract(a, b, carryIn) : ReferenceAdd(a, b, carryIn);
                ASSERT_TRUE(Agrees(m.cpu.RegisterA, want)) << op.name << " " << a << ", " << b << ", CY " << cy;
            }
        }
    }
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(ArithmeticTest, IncrementAndDecrementOverEveryByteKeepCarry)
{
    for (int cy = 0; cy <= 1; ++cy) {
        for (int v = 0; v < 256; ++v) {
            for (bool decrement : {false, true}) {
                m.cpu.RegisterA.setText("5A");
                m.cpu.RegisterE.setText(hex[v]);
                m.cpu.Text11.setText(cy ? "1" : "0");
                Expected want = decrement ? ReferenceSubtract(v, 1, 0) : ReferenceAdd(v, 1, 0);
                want.flags.back() = cy ? '1' : '0';  // CY is left alone
                if (decrement) alu.SubStuff("E", kTrue, kFalse);
                else alu.AddStuff("E", kTrue, kFalse);
                ASSERT_TRUE(Agrees(m.cpu.RegisterE, want)) << v << (decrement ? " DCR" : " INR");
                ASSERT_EQ(m.cpu.RegisterA.text(), "5A");
            }
        }
    }
}

}  // namespace
}  // namespace korvanta::testing
