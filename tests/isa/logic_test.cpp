#include "isa_fixture.h"

namespace korvanta::testing {
namespace {

using Bytes = std::vector<std::string>;
using Lines = std::vector<std::string>;
const char* const kSomeday = "This command will someday by supported";

class LogicTest : public IsaFixture {};

// Assembled at row 1 and run from there: the skipped ones touch nothing but the log.
TEST_F(LogicTest, SkippedInstructionsAssembleAndOnlyLog)
{
    const struct {
        Routine r;
        const char* line;
        Bytes bytes;
        Lines log;
    } cases[] = {
        {Routine::DAA, "DAA", {"27"}, {"Unsupported Command DAA Ignored"}},
        {Routine::ANA, "ANA B", {"A0"}, {"Unsupported Command ANA Ignored", kSomeday}},
        {Routine::ANA, "ANA M", {"A6"}, {"Unsupported Command ANA Ignored", kSomeday}},
        {Routine::XRA, "XRA A", {"AF"}, {"Unsupported Command XRA Ignored", kSomeday}},
        {Routine::ORA, "ORA L", {"B5"}, {"Unsupported Command ORA Ignored", kSomeday}},
        {Routine::CMP, "CMP M", {"BE"}, {"Unsupported Command CMP Ignored", kSomeday}},
        {Routine::ANI, "ANI 0F", {"E6", "0F"}, {"Unsupported Command ANI Ignored", kSomeday}},
        {Routine::XRI, "XRI G7", {"EE", "G7"}, {"Unsupported Command XRI Ignored", kSomeday}},
        {Routine::ORI, "ORI 12", {"F6", "12"}, {"Unsupported Command ORI Ignored", kSomeday}},
        {Routine::CPI, "CPI 0F", {"FE", "0F"}, {"Unsupported Command CPI Ignored", kSomeday}},
    };
    SetRegisters("5A", "01", "02", "03", "04", "05", "06");
    m.cpu.Text2.setText("D5");
    for (const auto& c : cases) {
        m.List3.clear();
        EXPECT_EQ(Assemble(c.r, c.line), c.bytes) << c.line;
        Execute(c.r, 1);
        EXPECT_EQ(m.LocationIndex, 1 + static_cast<int>(c.bytes.size())) << c.line;
        EXPECT_EQ(m.List3.lines(), c.log) << c.line;
    }
    EXPECT_EQ(m.cpu.RegisterA.text() + m.cpu.Text2.text(), "5AD5");
    EXPECT_EQ(m.ErrorFlag, kFalse);
    EXPECT_TRUE(host.messages.empty());

    for (Routine r : {Routine::ANA, Routine::XRA, Routine::ORA, Routine::CMP}) {
        for (const char* operand : {" X", " SP", " 1"}) {
            const std::string line = RoutineName(r) + std::string(operand);
            m.ErrorFlag = kFalse;
            EXPECT_TRUE(Assemble(r, line, 3).empty()) << line;
            EXPECT_EQ(m.ErrorFlag, kTrue) << line;
            EXPECT_EQ(m.window.data(3), "00") << line;
        }
    }
}

TEST_F(LogicTest, RotatesComplementAndCarry)
{
    const struct {
        Routine r;
        const char* line;
        const char* opcode;
        const char *a, *cy, *aAfter, *cyAfter;
    } cases[] = {
        {Routine::RLC, "RLC", "07", "81", "0", "03", "1"}, {Routine::RLC, "RLC", "07", "40", "1", "80", "0"},
        {Routine::RRC, "RRC", "0F", "81", "0", "C0", "1"}, {Routine::RRC, "RRC", "0F", "02", "1", "01", "0"},
        {Routine::RAL, "RAL", "17", "80", "0", "00", "1"}, {Routine::RAL, "RAL", "17", "41", "1", "83", "0"},
        {Routine::RAR, "RAR", "1F", "01", "1", "80", "1"}, {Routine::RAR, "RAR", "1F", "82", "0", "41", "0"},
        {Routine::CMA, "CMA", "2F", "5A", "0", "A5", "0"}, {Routine::CMA, "CMA", "2F", "00", "1", "FF", "1"},
        {Routine::STC, "STC", "37", "5A", "0", "5A", "1"}, {Routine::STC, "STC", "37", "5A", "1", "5A", "1"},
        {Routine::CMC, "CMC", "3F", "5A", "0", "5A", "1"}, {Routine::CMC, "CMC", "3F", "5A", "1", "5A", "0"},
    };
    for (const auto& c : cases) {
        m.cpu.Text2.setText("C4");  // S Z P set, AC and CY clear
        m.cpu.Text11.setText(c.cy);
        m.cpu.RegisterA.setText(c.a);
        EXPECT_EQ(Assemble(c.r, c.line), Bytes{c.opcode}) << c.line;
        Execute(c.r, 1);
        const std::string name = std::string(c.line) + " " + c.a + " CY " + c.cy;
        EXPECT_EQ(m.cpu.RegisterA.text(), c.aAfter) << name;
        EXPECT_EQ(Flags(), std::string("1101") + c.cyAfter) << name;
        EXPECT_EQ(m.cpu.Text2.text(), std::string("C") + (c.cyAfter[0] == '1' ? "5" : "4")) << name;
        EXPECT_EQ(m.LocationIndex, 2) << name;
    }
}

// An accumulator the user left half typed cannot be rotated; it is not mangled.
TEST_F(LogicTest, AccumulatorThatIsNotAHexByteStopsTheRun)
{
    m.cpu.RegisterA.setText("3,");
    Poke(1, {"07"});
    Execute(Routine::RLC, 1);
    EXPECT_EQ(m.ErrorFlag, kTrue);
    EXPECT_EQ(m.cpu.RegisterA.text() + m.cpu.Text11.text(), "3,0");
    EXPECT_EQ(m.LocationIndex, 1);
    EXPECT_EQ(host.messageTexts(), Lines{"Conversion to binary failed...Invalid HEX entry."});
}

}  // namespace
}  // namespace korvanta::testing
