#include <random>

#include "isa_fixture.h"

namespace korvanta::testing {
namespace {

// The four pairs B,C  D,E  H,L and SP as fields.
std::string Pairs(const int (&v)[4])
{
    return "B=" + Hex(v[0] >> 8) + " C=" + Hex(v[0] & 0xFF) + " D=" + Hex(v[1] >> 8) +
           " E=" + Hex(v[1] & 0xFF) + " H=" + Hex(v[2] >> 8) + " L=" + Hex(v[2] & 0xFF) +
           " SP=" + Hex(v[3], 4);
}

using Arithmetic16Test = IsaFixture;

// INX, DCX and DAD for every pair, on edge values and then a random sample,
// through the opcode: only the named pair (H,L for DAD) changes, INX and DCX
// touch no flag, DAD sets AC (carry out of bit 7) and CY (out of bit 15) only.
TEST_F(Arithmetic16Test, EveryOpcodeMatchesIntegerReference)
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

}  // namespace
}  // namespace korvanta::testing
