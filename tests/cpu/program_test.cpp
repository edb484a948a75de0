// Textbook programs from start to HLT: the results, and for the block move the
// exact instruction count and T-states worked out from the listing.

#include "cpu_fixture.h"

namespace korvanta::cpu::testing {
namespace {

class ProgramTest : public CpuTest {};

// 0900-0901 + 0910-0911 -> 0920-0921, four BCD digits each, low byte first.
TEST_F(ProgramTest, FourDigitBcdAdditionWithDaa)
{
    const struct {
        int x, y, sum;
        bool carry;
    } cases[] = {
        {0x1234, 0x5678, 0x6912, false}, {0x9999, 0x0001, 0x0000, true},  {0x0999, 0x0001, 0x1000, false},
        {0x5050, 0x4950, 0x0000, true},  {0x0505, 0x0505, 0x1010, false},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.x);
        cpu = Cpu8085{};
        Poke(0x0900, {row.x & 0xFF, row.x >> 8});
        Poke(0x0910, {row.y & 0xFF, row.y >> 8});
        const RunResult result = Program({
            0x3A, 0x00, 0x09, 0x47, 0x3A, 0x10, 0x09,  // LDA 0900; MOV B,A; LDA 0910
            0x80, 0x27, 0x32, 0x20, 0x09,              // ADD B; DAA; STA 0920
            0x3A, 0x01, 0x09, 0x47, 0x3A, 0x11, 0x09,  // LDA 0901; MOV B,A; LDA 0911
            0x88, 0x27, 0x32, 0x21, 0x09,              // ADC B; DAA; STA 0921
            0x76,                                      // HLT
        });
        ASSERT_EQ(result.stop, Stop::Halted);
        EXPECT_EQ(Peek(0x0921) << 8 | Peek(0x0920), row.sum);
        EXPECT_EQ((cpu.regs.f & CY) != 0, row.carry);
    }
}

TEST_F(ProgramTest, BlockMove)
{
    Poke(0x0900, {0xDE, 0xAD, 0xBE, 0xEF, 0x42, 0x99});
    const RunResult result = Program({
        0x21, 0x00, 0x09,  // LXI H,0900
        0x11, 0x00, 0x0A,  // LXI D,0A00
        0x0E, 0x05,        // MVI C,05
        0x7E,              // MOV A,M
        0x12,              // STAX D
        0x23,              // INX H
        0x13,              // INX D
        0x0D,              // DCR C
        0xC2, 0x08, 0x01,  // JNZ 0108
        0x76,              // HLT
    });
    ASSERT_EQ(result.stop, Stop::Halted);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(Peek(0x0A00 + i), Peek(0x0900 + i)) << i;
    EXPECT_EQ(Peek(0x0A05), 0x00);
    EXPECT_EQ(result.executed, 3u + 5 * 6 + 1);
    // 27 to set up, 30 per pass, JNZ 10 four times and 7 once, HLT 5.
    EXPECT_EQ(cpu.tStates, 27u + 150 + 40 + 7 + 5);
    EXPECT_EQ(cpu.regs.h << 8 | cpu.regs.l, 0x0905);
}

// HL = E x A, shifting the multiplier out of A from the top bit down.
TEST_F(ProgramTest, MultiplicationByShifting)
{
    const struct {
        int multiplicand, multiplier, product;
    } cases[] = {
        {0x0C, 0x0A, 0x0078}, {0xFF, 0xFF, 0xFE01}, {0x55, 0x00, 0x0000},
        {0x01, 0x80, 0x0080}, {0x80, 0x02, 0x0100},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.multiplicand);
        cpu = Cpu8085{};
        const RunResult result = Program({
            0x21, 0x00,
            0x00,                    // LXI H,0000
            0x16, 0x00,              // MVI D,00
            0x1E, row.multiplicand,  // MVI E,multiplicand
            0x3E, row.multiplier,    // MVI A,multiplier
            0x06, 0x08,              // MVI B,08
            0x29,                    // DAD H
            0x17,                    // RAL
            0xD2, 0x11,
            0x01,  // JNC 0111
            0x19,  // DAD D
            0x05,  // DCR B
            0xC2, 0x0B,
            0x01,  // JNZ 010B
            0x76,  // HLT
        });
        ASSERT_EQ(result.stop, Stop::Halted);
        EXPECT_EQ(cpu.regs.h << 8 | cpu.regs.l, row.product);
    }
}

}  // namespace
}  // namespace korvanta::cpu::testing
