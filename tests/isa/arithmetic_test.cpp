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

// The flags S Z AC P CY an 8085 teacher's table gives for a result, with AC
// and CY supplied by the caller as they differ between adding and subtracting.
std::string ExpectedFlags(int result, bool ac, bool cy)
{
    int ones = 0;
    for (int b = 0; b < 8; ++b) ones += (result >> b) & 1;
    std::string f;
    f += (result & 0x80) ? '1' : '0';
    f += result == 0 ? '1' : '0';
    f += ac ? '1' : '0';
    f += ones % 2 == 0 ? '1' : '0';
    f += cy ? '1' : '0';
    return f;
}

struct Expected {
    int value;
    std::string flags;
};

Expected ReferenceAdd(int a, int b, int carryIn)
{
    const int sum = a + b + carryIn;
    return {sum & 0xFF, ExpectedFlags(sum & 0xFF, (a & 0xF) + (b & 0xF) + carryIn > 0xF, sum > 0xFF)};
}

// AC after a subtraction is the borrow out of bit 3 itself.
Expected ReferenceSubtract(int a, int b, int borrowIn)
{
    const int difference = (a - b - borrowIn) & 0xFF;
    return {difference, ExpectedFlags(difference, (a & 0xF) < (b & 0xF) + borrowIn, a < b + borrowIn)};
}

class ArithmeticTest : public IsaFixture {
protected:
    Alu8 alu{m};
    std::vector<std::string> hex = [] {
        std::vector<std::string> all;
        for (int v = 0; v < 256; ++v) all.push_back(Hex(v));
        return all;
    }();
};

// ---------------------------------------------------------------- encoding

struct Encoding {
    Routine routine;
    std::string line;
    std::vector<std::string> rows;
};

TEST_F(ArithmeticTest, EncodesEveryRegisterMemoryAndImmediateForm)
{
    const char* letters = "BCDEHLMA";
    const std::vector<Encoding> cases = [&] {
        std::vector<Encoding> list;
        struct Family {
            Routine routine;
            const char* mnemonic;
            int base;
            bool destinationField;
        } families[] = {{Routine::ADD, "ADD", 0x80, false}, {Routine::ADC, "ADC", 0x88, false},
                        {Routine::SUB1, "SUB", 0x90, false}, {Routine::SBB, "SBB", 0x98, false},
                        {Routine::INR, "INR", 0x04, true},  {Routine::DCR, "DCR", 0x05, true}};
        for (const auto& f : families) {
            for (int code = 0; code < 8; ++code) {
                const int opcode = f.destinationField ? f.base | (code << 3) : f.base | code;
                list.push_back({f.routine, std::string(f.mnemonic) + " " + letters[code], {Hex(opcode)}});
            }
        }
        list.push_back({Routine::ADI, "ADI 3C", {"C6", "3C"}});
        list.push_back({Routine::ACI, "ACI 00", {"CE", "00"}});
        list.push_back({Routine::SUI, "SUI FF", {"D6", "FF"}});
        list.push_back({Routine::SBI, "SBI 01", {"DE", "01"}});
        list.push_back({Routine::ADI, "ADI G7", {"C6", "G7"}});  // stored as written
        list.push_back({Routine::ADI, "ADI", {"C6", "DI"}});     // its own last two characters
        list.push_back({Routine::ADD, "ADD", {"82"}});           // ends in D
        list.push_back({Routine::SUB1, "SUB", {"90"}});          // ends in B
        list.push_back({Routine::ADD, "ADD X,B", {"80"}});       // separator never looked at
        return list;
    }();
    for (const auto& c : cases) {
        m.ErrorFlag = kFalse;
        EXPECT_EQ(Assemble(c.routine, c.line, 10), c.rows) << c.line;
        EXPECT_EQ(m.ErrorFlag, kFalse) << c.line;
    }
}

TEST_F(ArithmeticTest, OnlyImmediatesYieldWhileAssembling)
{
    struct Case {
        Routine routine;
        const char* line;
        int yields;
    } cases[] = {{Routine::ADD, "ADD B", 0}, {Routine::INR, "INR M", 0}, {Routine::SBB, "SBB A", 0},
                 {Routine::ADI, "ADI 01", 1}, {Routine::SBI, "SBI 01", 1}};
    for (const auto& c : cases) {
        host.yields = 0;
        Assemble(c.routine, c.line);
        EXPECT_EQ(host.yields, c.yields) << c.line;
    }
}

struct Rejected {
    Routine routine;
    const char* line;
    std::vector<std::string> rows;  // rows 10 and 11 afterwards
    int locationIndex;
};

TEST_F(ArithmeticTest, RejectedOperandsSetErrorFlagAndKeepOnlyWhatTheyEmitted)
{
    const Rejected cases[] = {
        {Routine::ADD, "ADD X", {"00", "00"}, 10},
        {Routine::ADC, "ADC B,", {"00", "00"}, 10},
        {Routine::SUB1, "SUB b", {"00", "00"}, 10},  // lower case is no register
        {Routine::INR, "INR", {"00", "00"}, 10},     // its last character is R
        {Routine::DCR, "DCR SP", {"00", "00"}, 10},
        {Routine::ADI, "A", {"C6", "00"}, 11},       // opcode stays, too short for an operand
        {Routine::SBI, "", {"DE", "00"}, 11},
    };
    for (const auto& c : cases) {
        m.memory.SetupTheMemoryWindow("0");
        m.ErrorFlag = kFalse;
        m.SourceLine = c.line;
        m.LocationIndex = 10;
        isa.Call(c.routine, kAssemble);
        EXPECT_EQ(m.ErrorFlag, kTrue) << c.line;
        EXPECT_EQ(m.LocationIndex, c.locationIndex) << c.line;
        EXPECT_EQ(Rows(10, 12), c.rows) << c.line;
        EXPECT_TRUE(host.messages.empty()) << c.line;
    }
}

// ---------------------------------------------------------------- execution

struct Example {
    const char* name;
    Routine routine;
    std::vector<std::string> program;  // from row 1
    std::vector<std::string> registers;  // A B C D E H L
    const char* carry;
    const char* register_;  // the field checked
    const char* value;
    const char* flags;      // S Z AC P CY
    int locationIndex;
};

TEST_F(ArithmeticTest, ExecutesTheTeachersExamples)
{
    const Example cases[] = {
        {"ADD B carries out of both nibbles", Routine::ADD, {"80"}, {"FF", "01"}, "0", "A", "00", "01111", 2},
        {"ADD A doubles", Routine::ADD, {"87"}, {"80"}, "0", "A", "00", "01011", 2},
        {"ADC adds CY once at bit 0", Routine::ADC, {"88"}, {"0F", "00"}, "1", "A", "10", "00100", 2},
        {"ADI 3C", Routine::ADI, {"C6", "3C"}, {"01"}, "0", "A", "3D", "00000", 3},
        {"SUB A", Routine::SUB1, {"97"}, {"5A"}, "1", "A", "00", "01010", 2},
        {"SUB B small", Routine::SUB1, {"90"}, {"04", "03"}, "0", "A", "01", "00000", 2},
        {"SUB B borrows from bit 4", Routine::SUB1, {"90"}, {"10", "01"}, "0", "A", "0F", "00110", 2},
        {"SUI 01 from 00", Routine::SUI, {"D6", "01"}, {"00"}, "0", "A", "FF", "10111", 3},
        {"SBB with CY from 00", Routine::SBB, {"98"}, {"00", "00"}, "1", "A", "FF", "10111", 2},
        {"SBI 01 with CY", Routine::SBI, {"DE", "01"}, {"05"}, "1", "A", "03", "00010", 3},
        {"ACI with CY", Routine::ACI, {"CE", "0E"}, {"01"}, "1", "A", "10", "00100", 3},
        {"INR B wraps, CY kept", Routine::INR, {"04"}, {"11", "FF"}, "1", "B", "00", "01111", 2},
        {"INR B no half carry", Routine::INR, {"04"}, {"11", "0E"}, "0", "B", "0F", "00010", 2},
        {"INR A into the sign", Routine::INR, {"3C"}, {"7F"}, "0", "A", "80", "10100", 2},
        {"DCR C wraps, CY kept", Routine::DCR, {"0D"}, {"11", "00", "00"}, "0", "C", "FF", "10110", 2},
        {"DCR C to zero", Routine::DCR, {"0D"}, {"11", "00", "01"}, "1", "C", "00", "01011", 2},
        {"ADD L", Routine::ADD, {"85"}, {"01", "00", "00", "00", "00", "00", "02"}, "0", "A", "03", "00010", 2},
    };
    for (const auto& c : cases) {
        m.memory.SetupTheMemoryWindow("0");
        Poke(1, c.program);
        std::vector<std::string> r = c.registers;
        r.resize(7, "00");
        SetRegisters(r[0], r[1], r[2], r[3], r[4], r[5], r[6]);
        m.cpu.Text11.setText(c.carry);
        m.ErrorFlag = kFalse;
        Execute(c.routine);
        EXPECT_EQ(m.cpu.registerField(c.register_)->text(), c.value) << c.name;
        EXPECT_EQ(Flags(), c.flags) << c.name;
        EXPECT_EQ(m.LocationIndex, c.locationIndex) << c.name;
        EXPECT_EQ(m.ErrorFlag, kFalse) << c.name;
        if (std::string(c.register_) != "A") {
            EXPECT_EQ(m.cpu.RegisterA.text(), r[0]) << c.name;
        }
        // The flag value field follows the bits on its own.
        const std::string f = Flags();
        const std::string bits = {f[0], f[1], '0', f[2], '0', f[3], '0', f[4]};
        m.conv.GetHex8(bits);
        EXPECT_EQ(m.cpu.Text2.text(), m.ConvertedValue) << c.name;
    }
}

TEST_F(ArithmeticTest, MemoryOperandIsTheByteAtHL)
{
    struct Case {
        const char* name;
        Routine routine;
        const char* opcode;
        const char* before;
        const char* accumulatorAfter;
        const char* memoryAfter;
    } cases[] = {
        {"INR M changes the byte, not A", Routine::INR, "34", "41", "22", "42"},
        {"DCR M changes the byte, not A", Routine::DCR, "35", "41", "22", "40"},
        {"ADD M", Routine::ADD, "86", "41", "63", "41"},
        {"SBB M", Routine::SBB, "9E", "02", "1F", "02"},
    };
    for (const auto& c : cases) {
        m.memory.SetupTheMemoryWindow("0");
        Poke(1, {c.opcode});
        Poke(17, {c.before});  // 0010
        SetRegisters("22", "00", "00", "00", "00", "00", "10");
        m.cpu.Text11.setText("1");
        Execute(c.routine);
        EXPECT_EQ(m.cpu.RegisterA.text(), c.accumulatorAfter) << c.name;
        EXPECT_EQ(m.window.data(17), c.memoryAfter) << c.name;
        EXPECT_EQ(m.LocationIndex, 2) << c.name;
    }
}

TEST_F(ArithmeticTest, MemoryOperandOutsideTheWindowChangesNothing)
{
    for (Routine r : {Routine::ADD, Routine::ADC, Routine::SUB1, Routine::SBB, Routine::INR, Routine::DCR}) {
        m.memory.SetupTheMemoryWindow("0");
        const char* opcode = r == Routine::ADD ? "86" : r == Routine::ADC ? "8E" : r == Routine::SUB1 ? "96"
                           : r == Routine::SBB ? "9E" : r == Routine::INR ? "34" : "35";
        Poke(1, {opcode});
        SetRegisters("77", "00", "00", "00", "00", "20", "05");
        m.cpu.Text2.setText("D5");
        host.messages.clear();
        Execute(r);
        EXPECT_EQ(m.ErrorFlag, kTrue) << opcode;
        EXPECT_EQ(m.LocationIndex, 1) << opcode;
        EXPECT_EQ(m.cpu.RegisterA.text(), "77") << opcode;
        EXPECT_EQ(m.cpu.Text2.text(), "D5") << opcode;
        ASSERT_EQ(host.messages.size(), 1u) << opcode;
        EXPECT_EQ(host.messages[0].text, kOutOfRangeMessage);
    }
}

TEST_F(ArithmeticTest, ImmediateWithItsOpcodeOnTheLastRowIsOutOfRange)
{
    for (Routine r : {Routine::ADI, Routine::ACI, Routine::SUI, Routine::SBI}) {
        m.memory.SetupTheMemoryWindow("0");
        Poke(4096, {r == Routine::ADI ? "C6" : r == Routine::ACI ? "CE" : r == Routine::SUI ? "D6" : "DE"});
        SetRegisters("05");
        m.cpu.Text2.setText("01");
        host.messages.clear();
        m.ErrorFlag = kFalse;
        Execute(r, 4096);
        EXPECT_EQ(m.ErrorFlag, kTrue);
        EXPECT_EQ(m.LocationIndex, 4096);
        EXPECT_EQ(m.cpu.RegisterA.text(), "05");
        EXPECT_EQ(m.cpu.Text2.text(), "01");
        EXPECT_EQ(m.memory.writesOutside(), 0);
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.messages[0].text, kOutOfRangeMessage);
    }
}

TEST_F(ArithmeticTest, OtherModesAndUnknownOperandsDoNothing)
{
    Poke(1, {"80"});
    SetRegisters("01", "02");
    m.SourceLine = "ADD B";
    for (int mode : {0, 3, -1}) {
        m.LocationIndex = 1;
        m.conv.GetBinary8("80");
        m.CurrentOpcode = m.ConvertedValue;
        isa.Call(Routine::ADD, mode);
        isa.Call(Routine::ADI, mode);
        EXPECT_EQ(m.LocationIndex, 1);
    }
    alu.AddStuff("X", kFalse, kFalse);
    alu.SubStuff("", kTrue, kFalse);
    EXPECT_EQ(m.cpu.RegisterA.text(), "01");
    EXPECT_EQ(m.window.data(1), "80");
    EXPECT_EQ(Flags(), "00000");
}

TEST_F(ArithmeticTest, ParityCountsOnesOverTheWholeText)
{
    struct Case {
        const char* bits;
        const char* parity;
    } cases[] = {{"00000000", "1"}, {"00000001", "0"}, {"11111111", "1"}, {"10000001", "1"},
                 {"0111", "0"},     {"", "1"},         {"1111111111", "1"}};
    for (const auto& c : cases) {
        m.cpu.Text9.setText(c.parity[0] == '1' ? "0" : "1");
        alu.ParityBitSet(c.bits);
        EXPECT_EQ(m.cpu.Text9.text(), c.parity) << c.bits;
    }
}

// ---------------------------------------------------------------- exhaustive

// The paper sum and difference themselves, over every pair of bytes and both
// carry values: result digits, the carry or borrow out of bit 3 and of bit 7.
TEST(DigitLoopTest, EveryPairAndCarryMatchesIntegerReference)
{
    std::vector<std::string> bits(256);
    for (int v = 0; v < 256; ++v) {
        for (int b = 7; b >= 0; --b) bits[v] += ((v >> b) & 1) ? '1' : '0';
    }
    for (int c = 0; c <= 1; ++c) {
        for (int a = 0; a < 256; ++a) {
            for (int b = 0; b < 256; ++b) {
                const int sum = a + b + c;
                const DigitLoop add = AddDigits(bits[a], bits[b], c);
                ASSERT_EQ(add.text(), bits[sum & 0xFF]) << a << "+" << b << "+" << c;
                ASSERT_EQ(add.afterBit3, (a & 0xF) + (b & 0xF) + c > 0xF ? '1' : '0') << a << "+" << b << "+" << c;
                ASSERT_EQ(add.afterBit7, sum > 0xFF ? '1' : '0') << a << "+" << b << "+" << c;
                const DigitLoop sub = SubtractDigits(bits[a], bits[b], c);
                ASSERT_EQ(sub.text(), bits[(a - b - c) & 0xFF]) << a << "-" << b << "-" << c;
                ASSERT_EQ(sub.afterBit3, (a & 0xF) < (b & 0xF) + c ? '1' : '0') << a << "-" << b << "-" << c;
                ASSERT_EQ(sub.afterBit7, a < b + c ? '1' : '0') << a << "-" << b << "-" << c;
            }
        }
    }
}

TEST(DigitLoopTest, ShortTextsReadMissingDigitsAsZero)
{
    // What GetBinary8 leaves after one bad digit: the high nibble alone.
    EXPECT_EQ(AddDigits("0011", "00000001", 0).text(), "00110001");
    EXPECT_EQ(SubtractDigits("", "00000001", 0).text(), "11111111");
    EXPECT_EQ(SubtractDigits("", "00000001", 0).afterBit7, '1');
}

class ArithmeticSweep : public ArithmeticTest {
protected:
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

// Every pair of bytes with both carry values goes through the cores on the
// fields once, the eight operations taking turns, so that each operation meets
// every accumulator and every operand value. The digit loops themselves are
// swept in full above; a full sweep per operation through the fields would
// cost the suite many seconds under the sanitizers for no extra path.
TEST_F(ArithmeticSweep, EveryPairAndCarryThroughTheFieldsMatchesIntegerReference)
{
    struct Op {
        const char* name;
        bool immediate;
        bool subtract;
        int withCarry;
    } const ops[8] = {{"ADD", false, false, kFalse}, {"ADC", false, false, kTrue}, {"SUB", false, true, kFalse},
                      {"SBB", false, true, kTrue},   {"ADI", true, false, kFalse},  {"ACI", true, false, kTrue},
                      {"SUI", true, true, kFalse},   {"SBI", true, true, kTrue}};
    int calls[8] = {};
    for (int cy = 0; cy <= 1; ++cy) {
        for (int a = 0; a < 256; ++a) {
            for (int b = 0; b < 256; ++b) {
                const int which = (a + b + cy) % 8;
                const Op& op = ops[which];
                ++calls[which];
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
    for (int count : calls) EXPECT_EQ(count, 2 * 65536 / 8);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(ArithmeticSweep, IncrementAndDecrementOverEveryByteKeepCarry)
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
