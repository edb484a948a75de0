// Arithmetic, logic and the flag rules, one row per instruction form and flag
// case. Every expected value is worked out by hand from Intel's description:
// subtraction is A + ~operand + 1 (+ ~operand + (1 - CY) with borrow), CY is
// the borrow and AC the carry out of bit 3 of that addition.

#include "cpu_fixture.h"

namespace korvanta::cpu::testing {
namespace {

class AluTest : public CpuTest {
protected:
    // Puts value where the opcode's low three bits look for it: B C D E H L, M at 0800, or A.
    void PlaceSource(int code, int value)
    {
        Registers& r = cpu.regs;
        r.b = 0x11, r.c = 0x22, r.d = 0x33, r.e = 0x44, r.h = 0x08, r.l = 0x00;
        std::uint8_t* slots[8] = {&r.b, &r.c, &r.d, &r.e, &r.h, &r.l, nullptr, &r.a};
        if ((code & 7) == 6)
            Poke(0x0800, {value});
        else
            *slots[code & 7] = static_cast<std::uint8_t>(value);
    }
};

struct AccumulatorCase {
    const char* name;
    int code;  // 80-BF with its source, or an immediate opcode
    int a, operand, flagsIn, wantA, wantFlags;
};

// ADD A, SUB A and the like take A as their operand; those rows repeat A there.
const AccumulatorCase kAccumulatorCases[] = {
    {"ADD B plain", 0x80, 0x12, 0x34, 0, 0x46, 0},
    {"ADD B carry out of bit 3", 0x80, 0x0F, 0x01, 0, 0x10, AC},
    {"ADD B carry out of bit 7 to zero", 0x80, 0x80, 0x80, 0, 0x00, Z | P | CY},
    {"ADD B both carries", 0x80, 0xFF, 0x01, 0, 0x00, Z | AC | P | CY},
    {"ADD C sign", 0x81, 0x70, 0x10, 0, 0x80, S},
    {"ADD D ignores CY", 0x82, 0x01, 0x01, CY, 0x02, 0},
    {"ADD E clears bits 5 3 1", 0x83, 0x01, 0x02, kBits531, 0x03, P},
    {"ADD M", 0x86, 0x3A, 0xC6, 0, 0x00, Z | AC | P | CY},
    {"ADD A doubles", 0x87, 0xC8, 0xC8, 0, 0x90, S | AC | P | CY},
    {"ADI", 0xC6, 0x44, 0x44, 0, 0x88, S | P},
    {"ADC B adds CY into bit 3", 0x88, 0x0E, 0x01, CY, 0x10, AC},
    {"ADC B without CY", 0x88, 0x0E, 0x01, 0, 0x0F, P},
    {"ADC L carry from CY alone", 0x8D, 0xFF, 0x00, CY, 0x00, Z | AC | P | CY},
    {"ADC M", 0x8E, 0x7F, 0x00, CY, 0x80, S | AC},
    {"ACI", 0xCE, 0x99, 0x66, CY, 0x00, Z | AC | P | CY},
    {"SUB B no borrow anywhere", 0x90, 0x35, 0x12, 0, 0x23, AC},
    {"SUB B borrow in the low nibble", 0x90, 0x30, 0x01, 0, 0x2F, 0},
    {"SUB C borrow out of bit 7", 0x91, 0x01, 0x02, 0, 0xFF, S | P | CY},
    {"SUB D equal", 0x92, 0x42, 0x42, 0, 0x00, Z | AC | P},
    {"SUB E ignores CY", 0x93, 0x05, 0x03, CY, 0x02, AC},
    {"SUB M", 0x96, 0x00, 0x80, 0, 0x80, S | AC | CY},
    {"SUB A", 0x97, 0x9C, 0x9C, CY, 0x00, Z | AC | P},
    {"SUI", 0xD6, 0x10, 0x01, 0, 0x0F, P},
    {"SBB B CY makes it equal", 0x98, 0x10, 0x0F, CY, 0x00, Z | P},
    {"SBB B without CY", 0x98, 0x10, 0x0F, 0, 0x01, 0},
    {"SBB H borrow through zero", 0x9C, 0x00, 0x00, CY, 0xFF, S | P | CY},
    {"SBB M", 0x9E, 0x45, 0x23, CY, 0x21, AC | P},
    {"SBI with CY", 0xDE, 0x05, 0x05, CY, 0xFF, S | P | CY},
    {"SBI without CY", 0xDE, 0x05, 0x05, 0, 0x00, Z | AC | P},
    {"ANA B sets AC and clears CY", 0xA0, 0xF0, 0x3C, CY, 0x30, AC | P},
    {"ANA C zero", 0xA1, 0x0F, 0xF0, 0, 0x00, Z | AC | P},
    {"ANA M", 0xA6, 0xFF, 0x81, 0, 0x81, S | AC | P},
    {"ANA A clears CY", 0xA7, 0x01, 0x01, CY | kBits531, 0x01, AC},
    {"ANI", 0xE6, 0xC3, 0x7F, 0, 0x43, AC},
    {"XRA B clears AC and CY", 0xA8, 0x5A, 0x0F, AC | CY, 0x55, P},
    {"XRA M", 0xAE, 0x00, 0x80, 0, 0x80, S},
    {"XRA A", 0xAF, 0x77, 0x77, S | AC | CY, 0x00, Z | P},
    {"XRI", 0xEE, 0xFF, 0x0F, 0, 0xF0, S | P},
    {"ORA B clears AC and CY", 0xB0, 0x40, 0x01, AC | CY, 0x41, P},
    {"ORA D zero", 0xB2, 0x00, 0x00, CY, 0x00, Z | P},
    {"ORA E clears bits 5 3 1", 0xB3, 0x01, 0x00, 0xFF, 0x01, 0},
    {"ORA M", 0xB6, 0x80, 0x07, 0, 0x87, S | P},
    {"ORI", 0xF6, 0x10, 0x03, 0, 0x13, 0},
    {"CMP B less", 0xB8, 0x10, 0x20, 0, 0x10, S | AC | P | CY},
    {"CMP C equal", 0xB9, 0x42, 0x42, 0, 0x42, Z | AC | P},
    {"CMP L greater, low borrow", 0xBD, 0x20, 0x11, 0, 0x20, P},
    {"CMP M", 0xBE, 0x05, 0x06, 0, 0x05, S | P | CY},
    {"CMP A", 0xBF, 0xAB, 0xAB, CY, 0xAB, Z | AC | P},
    {"CPI greater", 0xFE, 0x80, 0x01, 0, 0x80, 0},
    {"CPI ignores CY", 0xFE, 0x03, 0x03, CY, 0x03, Z | AC | P},
};

TEST_F(AluTest, AccumulatorInstructionsGiveResultAndFlags)
{
    for (const auto& row : kAccumulatorCases) {
        SCOPED_TRACE(row.name);
        const bool immediate = row.code >= 0xC0;
        cpu = Cpu8085{};
        PlaceSource(immediate ? 0 : row.code, row.operand);
        cpu.regs.a = static_cast<std::uint8_t>(row.a);
        cpu.regs.f = static_cast<std::uint8_t>(row.flagsIn);
        const RunResult result = immediate ? Step({row.code, row.operand}) : Step({row.code});
        ASSERT_EQ(result.stop, Stop::Limit);
        EXPECT_EQ(cpu.regs.a, row.wantA);
        EXPECT_EQ(FlagNames(cpu.regs.f), FlagNames(row.wantFlags));
        EXPECT_EQ(cpu.regs.pc, immediate ? 0x0102 : 0x0101);
        EXPECT_EQ(cpu.tStates, immediate || (row.code & 7) == 6 ? 7u : 4u);
    }
}

struct StepCase {
    const char* name;
    int code;  // INR or DCR; bits 5-3 name the register
    int value, flagsIn, want, wantFlags;
};

const StepCase kStepCases[] = {
    {"INR B carry out of bit 3, CY kept", 0x04, 0x3F, CY, 0x40, AC | CY},
    {"INR B", 0x04, 0x3E, 0, 0x3F, P},
    {"INR C to zero leaves CY clear", 0x0C, 0xFF, 0, 0x00, Z | AC | P},
    {"INR M", 0x34, 0x7F, CY, 0x80, S | AC | CY},
    {"INR A clears bits 5 3 1", 0x3C, 0x00, kBits531, 0x01, 0},
    {"DCR B to zero", 0x05, 0x01, CY, 0x00, Z | AC | P | CY},
    {"DCR D to FF leaves CY clear", 0x15, 0x00, 0, 0xFF, S | P},
    {"DCR E low nibble zero", 0x1D, 0x10, 0, 0x0F, P},
    {"DCR L", 0x2D, 0x43, S | Z, 0x42, AC | P},
    {"DCR M", 0x35, 0x80, CY, 0x7F, CY},
    {"DCR A", 0x3D, 0x01, 0, 0x00, Z | AC | P},
};

TEST_F(AluTest, IncrementAndDecrementKeepCarry)
{
    for (const auto& row : kStepCases) {
        SCOPED_TRACE(row.name);
        cpu = Cpu8085{};
        const int target = row.code >> 3 & 7;
        PlaceSource(target, row.value);
        cpu.regs.f = static_cast<std::uint8_t>(row.flagsIn);
        ASSERT_EQ(Step({row.code}).stop, Stop::Limit);
        const std::uint8_t* slots[8] = {&cpu.regs.b, &cpu.regs.c, &cpu.regs.d, &cpu.regs.e,
                                        &cpu.regs.h, &cpu.regs.l, nullptr,     &cpu.regs.a};
        EXPECT_EQ(target == 6 ? Peek(0x0800) : *slots[target], row.want);
        EXPECT_EQ(FlagNames(cpu.regs.f), FlagNames(row.wantFlags));
        EXPECT_EQ(cpu.tStates, target == 6 ? 10u : 4u);
    }
}

// DAA, the rotates, STC, CMC and CMA: one byte, four T-states, A and F in, A and F out.
const struct {
    const char* name;
    int code, a, flagsIn, wantA, wantFlags;
} kOneByteCases[] = {
    {"DAA valid digits untouched", 0x27, 0x45, 0, 0x45, 0},
    {"DAA 9A: both nibbles adjust", 0x27, 0x9A, 0, 0x00, Z | AC | P | CY},
    {"DAA 99 with CY", 0x27, 0x99, CY, 0xF9, S | P | CY},
    {"DAA low nibble above 9", 0x27, 0x0B, 0, 0x11, AC | P},
    {"DAA AC with a low nibble of 2 (09 + 09)", 0x27, 0x12, AC, 0x18, P},
    {"DAA high nibble 9 with low above 9", 0x27, 0x9B, 0, 0x01, AC | CY},
    {"DAA high nibble above 9", 0x27, 0xA5, 0, 0x05, P | CY},
    {"DAA FA (75 + 85)", 0x27, 0xFA, 0, 0x60, AC | P | CY},
    {"DAA AC and CY on 32 (99 + 99)", 0x27, 0x32, AC | CY, 0x98, S | CY},
    {"DAA AC and CY on zero", 0x27, 0x00, AC | CY, 0x66, P | CY},
    {"DAA clears bits 5 3 1", 0x27, 0x45, kBits531, 0x45, 0},
    {"RLC bit 7 to CY and bit 0", 0x07, 0x85, Z | P, 0x0B, Z | P | CY},
    {"RLC clears CY", 0x07, 0x40, CY, 0x80, 0},
    {"RRC bit 0 to CY and bit 7", 0x0F, 0x01, 0, 0x80, CY},
    {"RRC clears CY and bits 5 3 1", 0x0F, 0x02, CY | kBits531, 0x01, 0},
    {"RAL CY into bit 0", 0x17, 0x01, CY, 0x03, 0},
    {"RAL sets no Z", 0x17, 0x80, 0, 0x00, CY},
    {"RAR CY into bit 7", 0x1F, 0x80, CY, 0xC0, 0},
    {"RAR keeps S Z AC P", 0x1F, 0x01, S | Z | AC | P | kBits531, 0x00, S | Z | AC | P | CY},
    {"STC", 0x37, 0x12, Z | kBits531, 0x12, Z | CY},
    {"CMC sets", 0x3F, 0x12, S, 0x12, S | CY},
    {"CMC clears", 0x3F, 0x12, CY | AC, 0x12, AC},
    {"CMA leaves F alone", 0x2F, 0x5A, 0xFF, 0xA5, 0xFF},
};

TEST_F(AluTest, DecimalAdjustRotatesAndCarryInstructions)
{
    for (const auto& row : kOneByteCases) {
        SCOPED_TRACE(row.name);
        cpu = Cpu8085{};
        cpu.regs.a = static_cast<std::uint8_t>(row.a);
        cpu.regs.f = static_cast<std::uint8_t>(row.flagsIn);
        ASSERT_EQ(Step({row.code}).stop, Stop::Limit);
        EXPECT_EQ(cpu.regs.a, row.wantA);
        EXPECT_EQ(FlagNames(cpu.regs.f), FlagNames(row.wantFlags));
        EXPECT_EQ(cpu.tStates, 4u);
    }
}

struct PairAddCase {
    const char* name;
    int code, hl, pair, flagsIn, wantHl, wantFlags;
};

const PairAddCase kPairAddCases[] = {
    {"DAD B keeps the other flags", 0x09, 0x1234, 0x4321, S | Z | AC | P | CY, 0x5555, S | Z | AC | P},
    {"DAD D carry out of bit 15, no Z", 0x19, 0xFFFF, 0x0001, 0, 0x0000, CY},
    {"DAD H doubles", 0x29, 0x8000, 0x8000, 0, 0x0000, CY},
    {"DAD H clears bits 5 3 1", 0x29, 0x4321, 0x4321, kBits531, 0x8642, 0},
    {"DAD SP", 0x39, 0x0100, 0xF000, 0, 0xF100, 0},
};

TEST_F(AluTest, DoubleAddSetsOnlyCarry)
{
    for (const auto& row : kPairAddCases) {
        SCOPED_TRACE(row.name);
        cpu = Cpu8085{};
        Registers& r = cpu.regs;
        r.b = static_cast<std::uint8_t>(row.pair >> 8), r.c = static_cast<std::uint8_t>(row.pair);
        r.d = r.b, r.e = r.c, r.sp = static_cast<std::uint16_t>(row.pair);
        r.h = static_cast<std::uint8_t>(row.hl >> 8), r.l = static_cast<std::uint8_t>(row.hl);
        r.f = static_cast<std::uint8_t>(row.flagsIn);
        ASSERT_EQ(Step({row.code}).stop, Stop::Limit);
        EXPECT_EQ(r.h << 8 | r.l, row.wantHl);
        EXPECT_EQ(r.f, row.wantFlags) << FlagNames(r.f);
        EXPECT_EQ(cpu.tStates, 10u);
    }
}

}  // namespace
}  // namespace korvanta::cpu::testing
