#include "isa_fixture.h"

namespace korvanta::testing {
namespace {

using DataTransferTest = IsaFixture;

// Run from row 1 with every register 00 and the flag value D5, which no transfer changes.
TEST_F(DataTransferTest, ExecutesEachTransfer)
{
    const struct {
        const char* name;
        Routine r;
        const char* program;
        const char* before;
        const char* after;
    } cases[] = {
        {"MOV L,M overwrites its own pointer", Routine::MOV, "6E", "L=10 #17=C3", "L=C3 H=00 at=1"},
        {"MOV M,H stores the pointer's own byte", Routine::MOV, "74", "H=0A L=3F", "#2624=0A at=1"},
        {"MVI A", Routine::MVI, "3E 05", "", "A=05 at=2"},
        {"MVI M moves unchecked text", Routine::MVI, "36 G7", "L=10", "#17=G7 A=00 at=2"},
        {"LXI B", Routine::LXI, "01 34 12", "", "B=12 C=34 at=3"},
        {"LXI D", Routine::LXI, "11 34 12", "", "D=12 E=34 B=00 at=3"},
        {"LXI H", Routine::LXI, "21 50 20", "", "H=20 L=50 at=3"},
        {"LXI SP", Routine::LXI, "31 BB 0B", "SP=0000", "SP=0BBB at=3"},
        {"LDA", Routine::LDA, "3A 20 00", "#33=5C", "A=5C at=3"},
        {"STA", Routine::STA, "32 20 00", "A=G7", "#33=G7 at=3"},
        {"LHLD", Routine::LHLD, "2A 20 00", "#33=11 #34=22", "L=11 H=22 at=3"},
        {"SHLD at XFFE", Routine::SHLD, "22 FE 0F", "H=AB L=CD", "#4095=CD #4096=AB at=3"},
        {"LDAX B", Routine::LDAX, "0A", "C=20 #33=77", "A=77 at=1"},
        {"LDAX D", Routine::LDAX, "1A", "E=21 #34=66 #33=77", "A=66 at=1"},
        {"STAX B", Routine::STAX, "02", "A=99 C=20", "#33=99 #34=00 at=1"},
        {"STAX D", Routine::STAX, "12", "A=88 E=21", "#34=88 #33=00 at=1"},
        {"XCHG", Routine::XCHG, "EB", "D=12 E=34 H=56 L=78", "D=56 E=78 H=12 L=34 at=1"},
    };
    for (const auto& c : cases) {
        m.memory.SetupTheMemoryWindow("0");
        Set(std::string("A=00 B=00 C=00 D=00 E=00 H=00 L=00 F=D5 err=0 ") + c.before);
        Poke(1, c.program);
        Execute(c.r);
        const std::string want = c.after + std::string(" F=D5 err=0");
        EXPECT_EQ(Now(want), want) << c.name;
    }
    EXPECT_TRUE(host.messages.empty());
}

// The same register on both sides has no transfer to make: the run stops.
TEST_F(DataTransferTest, MovCopiesBetweenEveryPairOfRegisters)
{
    const std::string letters = "BCDEHLMA", registers = "ABCDEHL";
    const std::string values[7] = {"A0", "B0", "C0", "D0", "E0", "F0", "10"};
    std::string before;
    for (int r = 0; r < 7; ++r) before += registers.substr(r, 1) + "=" + values[r] + " ";
    for (int d = 0; d < 8; ++d) {
        for (int s = 0; s < 8; ++s) {
            if (d == 6 || s == 6) continue;
            Set(before + "err=0");
            Poke(1, Hex(0x40 | d << 3 | s));
            Execute(Routine::MOV);
            std::string want;
            for (int r = 0; r < 7; ++r) {
                const std::size_t from = registers[r] == letters[d] ? registers.find(letters[s]) : r;
                want += registers.substr(r, 1) + "=" + values[from] + " ";
            }
            want += d == s ? "err=1 at=1" : "err=0 at=1";
            EXPECT_EQ(Now(want), want) << Hex(0x40 | d << 3 | s);
        }
    }
}

// An address outside the window (from operand bytes, from H,L or another
// pair) or operand rows past the window's last row: one out-of-range message,
// ErrorFlag, and no register or row changed. The pairs B, D and H all point
// into other 4 KB blocks.
TEST_F(DataTransferTest, AddressesOutsideTheWindowChangeNothing)
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
