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
        {"MOV A,M", Routine::MOV, "7E", "L=10 #17=C3", "A=C3 at=1"},
        {"MOV L,M overwrites its own pointer", Routine::MOV, "6E", "L=10 #17=C3", "L=C3 H=00 at=1"},
        {"MOV M,B", Routine::MOV, "70", "B=9F L=10", "#17=9F B=9F at=1"},
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
        {"SHLD", Routine::SHLD, "22 20 00", "H=AB L=CD", "#33=CD #34=AB at=3"},
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

}  // namespace
}  // namespace korvanta::testing
