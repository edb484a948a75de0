#include "isa_fixture.h"

namespace korvanta::testing {
namespace {

using WindowEdgeTest = IsaFixture;

// An address outside the window (from operand bytes, from H,L or another
// pair) or operand rows past the window's last row: one out-of-range message,
// ErrorFlag, and no register or row changed. The pairs B, D and H all point
// into other 4 KB blocks.
TEST_F(WindowEdgeTest, AddressesOutsideTheWindowChangeNothing)
{
    const struct {
        const char* name;
        Routine r;
        int at;  // row of the opcode
        const char* program;
        int locationIndex;
    } cases[] = {
        {"ADD M", Routine::ADD, 1, "86", 1},
        {"DCR M", Routine::DCR, 1, "35", 1},
        {"SBI with its opcode on the last row", Routine::SBI, 4096, "DE", 4096},
        {"MOV A,M", Routine::MOV, 1, "7E", 1},
        {"MOV M,A", Routine::MOV, 1, "77", 1},
        {"MVI M", Routine::MVI, 1, "36 99", 2},
        {"MVI with its opcode on the last row", Routine::MVI, 4096, "3E", 4096},
        {"LXI with its high byte past the window", Routine::LXI, 4095, "21 34", 4095},
        {"LDA from another block", Routine::LDA, 1, "3A 50 20", 3},
        {"STA to another block", Routine::STA, 1, "32 50 20", 3},
        {"STA with its operands past the window", Routine::STA, 4096, "32", 4096},
        {"LHLD at XFFF", Routine::LHLD, 1, "2A FF 0F", 3},
        {"SHLD at XFFF", Routine::SHLD, 1, "22 FF 0F", 3},
        {"LDAX B", Routine::LDAX, 1, "0A", 1},
        {"STAX D", Routine::STAX, 1, "12", 1},
        {"JMP to another block", Routine::JMP, 10, "C3 00 10", 12},
        {"JMP with its high byte past the window", Routine::JMP, 4095, "C3 00", 4095},
        {"CALL with its operands past the window", Routine::CALL1, 4096, "CD", 4096},
    };
    const std::string registers = "A=11 B=20 C=05 D=30 E=06 H=40 L=07 SP=0BBB F=D5";
    for (const auto& c : cases) {
        m.memory.SetupTheMemoryWindow("0");
        Poke(c.at, c.program);
        Set(registers + " err=0");
        const std::string rows = Rows(1, 4097);
        host.messages.clear();
        Execute(c.r, c.at);
        EXPECT_EQ(m.ErrorFlag, kTrue) << c.name;
        EXPECT_EQ(m.LocationIndex, c.locationIndex) << c.name;
        EXPECT_EQ(host.messageTexts(), Texts{kOutOfRangeMessage}) << c.name;
        EXPECT_EQ(Now(registers), registers) << c.name;
        EXPECT_TRUE(Rows(1, 4097) == rows) << c.name;
        EXPECT_EQ(m.memory.writesOutside(), 0) << c.name;
    }
}

}  // namespace
}  // namespace korvanta::testing
