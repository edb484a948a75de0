#include <random>
#include <string>
#include <vector>

#include "isa/arithmetic16.h"
#include "isa_fixture.h"

namespace korvanta::testing {
namespace {

std::string Hex4(int value)
{
    const char* digits = "0123456789ABCDEF";
    return {digits[(value >> 12) & 15], digits[(value >> 8) & 15], digits[(value >> 4) & 15], digits[value & 15]};
}

class Arithmetic16Test : public IsaFixture {
protected:
    Arithmetic16 cores{m};

    // The pair's text, high byte first: "B" is B & C, "P" the stack pointer.
    std::string Pair(char name)
    {
        switch (name) {
        case 'B': return m.cpu.RegisterB.text() + m.cpu.RegisterC.text();
        case 'D': return m.cpu.RegisterD.text() + m.cpu.RegisterE.text();
        case 'H': return m.cpu.RegisterH.text() + m.cpu.RegisterL.text();
        default: return m.cpu.SP.text();
        }
    }
    void SetPair(char name, const std::string& text)
    {
        switch (name) {
        case 'B': m.cpu.RegisterB.setText(text.substr(0, 2)), m.cpu.RegisterC.setText(text.substr(2)); break;
        case 'D': m.cpu.RegisterD.setText(text.substr(0, 2)), m.cpu.RegisterE.setText(text.substr(2)); break;
        case 'H': m.cpu.RegisterH.setText(text.substr(0, 2)), m.cpu.RegisterL.setText(text.substr(2)); break;
        default: m.cpu.SP.setText(text);
        }
    }
};

// An empty opcode marks a rejected line: ErrorFlag and nothing emitted.
TEST_F(Arithmetic16Test, EncodesEveryPairAndRejectsOtherOperands)
{
    const struct {
        Routine routine;
        const char* line;
        const char* opcode;
    } cases[] = {
        {Routine::INX, "INX B", "03"},  {Routine::INX, "INX D", "13"},  {Routine::INX, "INX H", "23"},
        {Routine::INX, "INX SP", "33"}, {Routine::DCX, "DCX B", "0B"},  {Routine::DCX, "DCX D", "1B"},
        {Routine::DCX, "DCX H", "2B"},  {Routine::DCX, "DCX SP", "3B"}, {Routine::DAD, "DAD B", "09"},
        {Routine::DAD, "DAD D", "19"},  {Routine::DAD, "DAD H", "29"},  {Routine::DAD, "DAD SP", "39"},
        {Routine::INX, "INX Q B", "03"},  // only the last two characters, trimmed, count
        {Routine::INX, "INX M", ""},    {Routine::INX, "INX", ""},      {Routine::DCX, "DCX PSW", ""},
        {Routine::DCX, "DCX b", ""},    {Routine::DAD, "DAD S", ""},    {Routine::DAD, "DAD HL", ""},
        {Routine::DAD, "DAD ,H", ""},   {Routine::INX, "INX SPX", ""},
    };
    for (const auto& c : cases) {
        host.yields = 0;
        m.ErrorFlag = kFalse;
        const std::vector<std::string> rows = Assemble(c.routine, c.line, 7);
        EXPECT_EQ(rows, *c.opcode ? std::vector<std::string>{c.opcode} : std::vector<std::string>{}) << c.line;
        EXPECT_EQ(m.ErrorFlag, *c.opcode ? kFalse : kTrue) << c.line;
        EXPECT_EQ(host.yields, 0) << c.line;
        m.memory.EnterintoMEMory(7, "00");
    }
}

struct Example {
    const char* name;
    Routine routine;
    const char* opcode;
    std::vector<std::pair<char, std::string>> before;  // pair name, text
    char result;                                       // pair that changes
    const char* value;
    const char* acCy;  // AC and CY after, or nullptr when no flag changes
};

TEST_F(Arithmetic16Test, ExecutesTheTeachersExamples)
{
    const Example cases[] = {
        {"INX H carries into H", Routine::INX, "23", {{'H', "00FF"}}, 'H', "0100", nullptr},
        {"INX SP wraps", Routine::INX, "33", {{'P', "FFFF"}}, 'P', "0000", nullptr},
        {"INX B", Routine::INX, "03", {{'B', "12FF"}}, 'B', "1300", nullptr},
        {"INX D", Routine::INX, "13", {{'D', "ABCD"}}, 'D', "ABCE", nullptr},
        {"DCX B wraps", Routine::DCX, "0B", {{'B', "0000"}}, 'B', "FFFF", nullptr},
        {"DCX D borrows from D", Routine::DCX, "1B", {{'D', "0100"}}, 'D', "00FF", nullptr},
        {"DCX H", Routine::DCX, "2B", {{'H', "2050"}}, 'H', "204F", nullptr},
        {"DCX SP", Routine::DCX, "3B", {{'P', "0BBB"}}, 'P', "0BBA", nullptr},
        {"DAD B carries out of both bytes", Routine::DAD, "09", {{'H', "FFFF"}, {'B', "0001"}}, 'H', "0000", "11"},
        {"DAD H doubles", Routine::DAD, "29", {{'H', "8000"}}, 'H', "0000", "01"},
        {"DAD SP", Routine::DAD, "39", {{'H', "0000"}, {'P', "0BBB"}}, 'H', "0BBB", "00"},
        {"DAD D carries from the low byte", Routine::DAD, "19", {{'H', "00FF"}, {'D', "0001"}}, 'H', "0100", "10"},
    };
    for (const auto& c : cases) {
        SetRegisters("00");
        m.cpu.SP.setText("0BBB");
        for (const auto& [pair, text] : c.before) SetPair(pair, text);
        const std::string untouched = c.result == 'B' ? "D" : "B";
        const std::string otherBefore = Pair(untouched[0]);
        // S Z P set, AC CY clear: DAD must only touch AC and CY, INX/DCX nothing.
        m.cpu.Text2.setText("C4");
        Poke(1, {c.opcode});
        m.ErrorFlag = kFalse;
        Execute(c.routine);
        EXPECT_EQ(Pair(c.result), c.value) << c.name;
        EXPECT_EQ(Pair(untouched[0]), otherBefore) << c.name;
        EXPECT_EQ(m.LocationIndex, 2) << c.name;
        EXPECT_EQ(m.ErrorFlag, kFalse) << c.name;
        if (c.acCy == nullptr) {
            EXPECT_EQ(m.cpu.Text2.text(), "C4") << c.name;
        } else {
            EXPECT_EQ(Flags(), std::string("11") + c.acCy[0] + "1" + c.acCy[1]) << c.name;
        }
    }
}

// Random values for every pair against integer arithmetic.
TEST_F(Arithmetic16Test, RandomSampleMatchesIntegerReference)
{
    std::mt19937 random(8085);
    std::uniform_int_distribution<int> word(0, 0xFFFF);
    const std::string pairs = "BDHP";
    for (int i = 0; i < 600; ++i) {
        const char pair = pairs[static_cast<std::size_t>(i) % 4];
        const int value = word(random);
        const int hl = word(random);

        SetPair(pair, Hex4(value));
        cores.INXorDCX(0, std::string(1, pair));
        ASSERT_EQ(Pair(pair), Hex4((value + 1) & 0xFFFF)) << "INX " << pair << " " << Hex4(value);

        SetPair(pair, Hex4(value));
        cores.INXorDCX(1, std::string(1, pair));
        ASSERT_EQ(Pair(pair), Hex4((value - 1) & 0xFFFF)) << "DCX " << pair << " " << Hex4(value);

        SetPair('H', Hex4(hl));
        if (pair != 'H') SetPair(pair, Hex4(value));
        const int addend = pair == 'H' ? hl : value;
        cores.DADbackbone(std::string(1, pair));
        const int sum = hl + addend;
        ASSERT_EQ(Pair('H'), Hex4(sum & 0xFFFF)) << "DAD " << pair << " " << Hex4(hl) << "+" << Hex4(addend);
        ASSERT_EQ(m.cpu.Text7.text(), (hl & 0xFF) + (addend & 0xFF) > 0xFF ? "1" : "0") << Hex4(hl) << "+" << Hex4(addend);
        ASSERT_EQ(m.cpu.Text11.text(), sum > 0xFFFF ? "1" : "0") << Hex4(hl) << "+" << Hex4(addend);
    }
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(Arithmetic16Test, UnknownPairsAndDirectionsDoNothing)
{
    SetRegisters("01", "02", "03", "04", "05", "06", "07");
    m.cpu.Text2.setText("00");
    cores.INXorDCX(2, "B");
    cores.INXorDCX(-1, "B");
    cores.INXorDCX(0, "M");
    cores.INXorDCX(0, "SP");
    cores.DADbackbone("A");
    cores.DADbackbone("");
    EXPECT_EQ(Pair('B') + Pair('D') + Pair('H') + Pair('P'), "020304050607" "0BBB");
    EXPECT_EQ(m.cpu.Text2.text(), "00");
}

}  // namespace
}  // namespace korvanta::testing
