// Branches, calls, the stack, data transfers and ports: where pc, SP and the
// stack bytes end up, and what each form costs in T-states.

#include "cpu_fixture.h"

namespace korvanta::cpu::testing {
namespace {

class ControlTest : public CpuTest {
protected:
    void SetUp() override { cpu.regs.sp = 0x0FF0; }
};

struct Condition {
    const char* name;
    int jump, call, ret;
    int flagsTrue, flagsFalse;
};

const Condition kConditions[] = {
    {"NZ", 0xC2, 0xC4, 0xC0, S | P | CY, Z}, {"Z", 0xCA, 0xCC, 0xC8, Z, S | P | CY},
    {"NC", 0xD2, 0xD4, 0xD0, S | Z | P, CY}, {"C", 0xDA, 0xDC, 0xD8, CY, S | Z | P},
    {"PO", 0xE2, 0xE4, 0xE0, S | Z | CY, P}, {"PE", 0xEA, 0xEC, 0xE8, P, S | Z | CY},
    {"P", 0xF2, 0xF4, 0xF0, Z | P | CY, S},  {"M", 0xFA, 0xFC, 0xF8, S, Z | P | CY},
};

TEST_F(ControlTest, ConditionalBranchesTakenAndNotTaken)
{
    for (const auto& cond : kConditions) {
        for (bool taken : {true, false}) {
            SCOPED_TRACE(std::string(cond.name) + (taken ? " taken" : " not taken"));
            const auto flags = static_cast<std::uint8_t>(taken ? cond.flagsTrue : cond.flagsFalse);

            cpu = Cpu8085{};
            cpu.regs.sp = 0x0FF0;
            cpu.regs.f = flags;
            Step({cond.jump, 0x34, 0x02});
            EXPECT_EQ(cpu.regs.pc, taken ? 0x0234 : 0x0103);
            EXPECT_EQ(cpu.tStates, taken ? 10u : 7u);

            cpu = Cpu8085{};
            cpu.regs.sp = 0x0FF0;
            cpu.regs.f = flags;
            Step({cond.call, 0x34, 0x02});
            EXPECT_EQ(cpu.regs.pc, taken ? 0x0234 : 0x0103);
            EXPECT_EQ(cpu.regs.sp, taken ? 0x0FEE : 0x0FF0);
            EXPECT_EQ(Peek(0x0FEF), taken ? 0x01 : 0x00);
            EXPECT_EQ(Peek(0x0FEE), taken ? 0x03 : 0x00);
            EXPECT_EQ(cpu.tStates, taken ? 18u : 9u);

            cpu = Cpu8085{};
            cpu.regs.sp = 0x0FEE;
            cpu.regs.f = flags;
            Poke(0x0FEE, {0x34, 0x02});
            Step({cond.ret});
            EXPECT_EQ(cpu.regs.pc, taken ? 0x0234 : 0x0101);
            EXPECT_EQ(cpu.regs.sp, taken ? 0x0FF0 : 0x0FEE);
            EXPECT_EQ(cpu.tStates, taken ? 12u : 6u);
            EXPECT_EQ(cpu.regs.f, flags);
        }
    }
}

TEST_F(ControlTest, NestedCallsLeaveReturnAddressesLowByteLower)
{
    Poke(0x0200, {0xCD, 0x00, 0x03, 0xC9});  // CALL 0300, RET
    Poke(0x0300, {0x76, 0xC9});              // HLT, RET
    // LXI SP,0FF0; CALL 0200; HLT
    ASSERT_EQ(Program({0x31, 0xF0, 0x0F, 0xCD, 0x00, 0x02, 0x76}).stop, Stop::Halted);
    EXPECT_EQ(cpu.regs.pc, 0x0301);
    EXPECT_EQ(cpu.regs.sp, 0x0FEC);
    EXPECT_EQ(Peek(0x0FEF), 0x01);
    EXPECT_EQ(Peek(0x0FEE), 0x06);
    EXPECT_EQ(Peek(0x0FED), 0x02);
    EXPECT_EQ(Peek(0x0FEC), 0x03);
    EXPECT_EQ(cpu.tStates, 10u + 18 + 18 + 5);

    ASSERT_EQ(cpu.run(100).stop, Stop::Halted);
    EXPECT_EQ(cpu.regs.pc, 0x0107);
    EXPECT_EQ(cpu.regs.sp, 0x0FF0);
    EXPECT_EQ(cpu.instructions, 7u);
    EXPECT_EQ(cpu.tStates, 51u + 10 + 10 + 5);
}

TEST_F(ControlTest, RestartsPushTheNextAddressAndJumpToEightTimesN)
{
    const int codes[8] = {0xC7, 0xCF, 0xD7, 0xDF, 0xE7, 0xEF, 0xF7, 0xFF};
    for (int n = 0; n < 8; ++n) {
        SCOPED_TRACE("RST " + std::to_string(n));
        cpu = Cpu8085{};
        cpu.regs.sp = 0x0FF0;
        Step({codes[n]});
        EXPECT_EQ(cpu.regs.pc, 8 * n);
        EXPECT_EQ(cpu.regs.sp, 0x0FEE);
        EXPECT_EQ(Peek(0x0FEF), 0x01);
        EXPECT_EQ(Peek(0x0FEE), 0x01);
        EXPECT_EQ(cpu.tStates, 12u);
    }
}

TEST_F(ControlTest, UnconditionalTransfersOfControl)
{
    Step({0xC3, 0xCD, 0x0A});  // JMP 0ACD
    EXPECT_EQ(cpu.regs.pc, 0x0ACD);
    EXPECT_EQ(cpu.tStates, 10u);

    cpu.regs.sp = 0x0FF0;
    Step({0xCD, 0x00, 0x08});  // CALL 0800
    EXPECT_EQ(cpu.regs.pc, 0x0800);
    EXPECT_EQ(Peek(0x0FEF) << 8 | Peek(0x0FEE), 0x0103);
    EXPECT_EQ(cpu.tStates, 10u + 18);

    Step({0xC9});  // RET
    EXPECT_EQ(cpu.regs.pc, 0x0103);
    EXPECT_EQ(cpu.regs.sp, 0x0FF0);
    EXPECT_EQ(cpu.tStates, 10u + 18 + 10);

    cpu.regs.h = 0x04, cpu.regs.l = 0x56;
    Step({0xE9});  // PCHL
    EXPECT_EQ(cpu.regs.pc, 0x0456);
    EXPECT_EQ(cpu.tStates, 10u + 18 + 10 + 6);
}

TEST_F(ControlTest, PushAndPopPairsAndPsw)
{
    Registers& r = cpu.regs;
    r.a = 0x9C, r.f = 0xD7, r.b = 0x12, r.c = 0x34, r.d = 0x56, r.e = 0x78, r.h = 0x9A, r.l = 0xBC;
    // PUSH B, PUSH D, PUSH H, PUSH PSW, then POP them back crosswise: POP B, POP D, POP H, POP PSW.
    Program({0xC5, 0xD5, 0xE5, 0xF5, 0x76}, 4);
    const int stacked[8] = {0xD7, 0x9C, 0xBC, 0x9A, 0x78, 0x56, 0x34, 0x12};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(Peek(0x0FE8 + i), stacked[i]) << i;
    EXPECT_EQ(r.sp, 0x0FE8);
    EXPECT_EQ(cpu.tStates, 4 * 12u);

    Poke(0x0FE8, {0x2A});  // F as popped, bits 5 3 1 included
    Program({0xC1, 0xD1, 0xE1, 0xF1, 0x76}, 4);
    EXPECT_EQ(r.b << 8 | r.c, 0x9C2A);
    EXPECT_EQ(r.d << 8 | r.e, 0x9ABC);
    EXPECT_EQ(r.h << 8 | r.l, 0x5678);
    EXPECT_EQ(r.a, 0x12);
    EXPECT_EQ(r.f, 0x34);
    EXPECT_EQ(r.sp, 0x0FF0);
    EXPECT_EQ(cpu.tStates, 4 * 12u + 4 * 10);

    r.sp = 0x0FE8;
    Step({0xF1});  // POP PSW
    EXPECT_EQ(r.f, 0x2A);
    EXPECT_EQ(r.a, 0x9C);
}

TEST_F(ControlTest, StackPointerAndHlExchanges)
{
    Registers& r = cpu.regs;
    r.h = 0x12, r.l = 0x34, r.sp = 0x0F00, r.d = 0xAB, r.e = 0xCD;
    Poke(0x0F00, {0x78, 0x56});
    Step({0xE3});  // XTHL
    EXPECT_EQ(r.h << 8 | r.l, 0x5678);
    EXPECT_EQ(Peek(0x0F00), 0x34);
    EXPECT_EQ(Peek(0x0F01), 0x12);
    EXPECT_EQ(r.sp, 0x0F00);
    EXPECT_EQ(cpu.tStates, 16u);

    Step({0xEB});  // XCHG
    EXPECT_EQ(r.h << 8 | r.l, 0xABCD);
    EXPECT_EQ(r.d << 8 | r.e, 0x5678);
    EXPECT_EQ(cpu.tStates, 16u + 4);

    Step({0xF9});  // SPHL
    EXPECT_EQ(r.sp, 0xABCD);
    EXPECT_EQ(cpu.tStates, 16u + 4 + 6);
}

struct TransferCase {
    const char* name;
    std::initializer_list<int> code;
    unsigned tStates;
    int wantA, wantHl;  // -1: not checked
    int at, wantByte;   // a memory byte to check, at -1: none
};

// Before each row: A=5A, BC=0900, DE=0902, HL=0904, memory 0900-0905 = 11 22 33 44 55 66.
const TransferCase kTransfers[] = {
    {"LDA", {0x3A, 0x01, 0x09}, 13, 0x22, -1, -1, 0},
    {"STA", {0x32, 0x05, 0x09}, 13, 0x5A, -1, 0x0905, 0x5A},
    {"LDAX B", {0x0A}, 7, 0x11, -1, -1, 0},
    {"LDAX D", {0x1A}, 7, 0x33, -1, -1, 0},
    {"STAX B", {0x02}, 7, 0x5A, -1, 0x0900, 0x5A},
    {"STAX D", {0x12}, 7, 0x5A, -1, 0x0902, 0x5A},
    {"LHLD", {0x2A, 0x02, 0x09}, 16, 0x5A, 0x4433, -1, 0},
    {"SHLD low byte", {0x22, 0x00, 0x09}, 16, 0x5A, 0x0904, 0x0900, 0x04},
    {"SHLD high byte", {0x22, 0x00, 0x09}, 16, 0x5A, 0x0904, 0x0901, 0x09},
    {"MOV A,M", {0x7E}, 7, 0x55, 0x0904, -1, 0},
    {"MOV M,A", {0x77}, 7, 0x5A, 0x0904, 0x0904, 0x5A},
    {"MOV L,M reads through the old L", {0x6E}, 7, 0x5A, 0x0955, -1, 0},
    {"MOV A,B", {0x78}, 4, 0x09, -1, -1, 0},
    {"MOV H,E", {0x63}, 4, 0x5A, 0x0204, -1, 0},
    {"MVI A", {0x3E, 0xC3}, 7, 0xC3, -1, -1, 0},
    {"MVI M", {0x36, 0xC3}, 10, 0x5A, 0x0904, 0x0904, 0xC3},
    {"LXI H", {0x21, 0x34, 0x12}, 10, 0x5A, 0x1234, -1, 0},
    {"INX H", {0x23}, 6, 0x5A, 0x0905, -1, 0},
    {"DCX H", {0x2B}, 6, 0x5A, 0x0903, -1, 0},
};

TEST_F(ControlTest, DataTransfers)
{
    for (const auto& row : kTransfers) {
        SCOPED_TRACE(row.name);
        cpu = Cpu8085{};
        Registers& r = cpu.regs;
        r.a = 0x5A, r.b = 0x09, r.c = 0x00, r.d = 0x09, r.e = 0x02, r.h = 0x09, r.l = 0x04, r.f = 0xD5;
        Poke(0x0900, {0x11, 0x22, 0x33, 0x44, 0x55, 0x66});
        Poke(kOrigin, row.code);
        r.pc = kOrigin;
        ASSERT_EQ(cpu.step().stop, Stop::Limit);
        EXPECT_EQ(r.pc, kOrigin + row.code.size());
        EXPECT_EQ(cpu.tStates, row.tStates);
        EXPECT_EQ(r.a, row.wantA);
        if (row.wantHl >= 0) {
            EXPECT_EQ(r.h << 8 | r.l, row.wantHl);
        }
        if (row.at >= 0) {
            EXPECT_EQ(Peek(static_cast<std::uint16_t>(row.at)), row.wantByte);
        }
        EXPECT_EQ(r.f, 0xD5);  // no transfer writes a flag
    }
}

TEST_F(ControlTest, PairIncrementsWrapAtSixteenBits)
{
    Registers& r = cpu.regs;
    r.b = 0xFF, r.c = 0xFF, r.d = 0x00, r.e = 0x00, r.sp = 0xFFFF, r.f = 0;
    Program({0x03, 0x1B, 0x33, 0x76});  // INX B, DCX D, INX SP
    EXPECT_EQ(r.b << 8 | r.c, 0x0000);
    EXPECT_EQ(r.d << 8 | r.e, 0xFFFF);
    EXPECT_EQ(r.sp, 0x0000);
    EXPECT_EQ(r.f, 0);  // INX and DCX set no Z, no CY
}

TEST_F(ControlTest, PortsReadInputsAndRecordEveryOutput)
{
    cpu.inputPorts[0x05] = 0xA7;
    cpu.inputPorts[0x06] = 0x11;
    // IN 05; OUT 21; MVI A,3C; OUT 21; IN 06; OUT FF; HLT
    Program({0xDB, 0x05, 0xD3, 0x21, 0x3E, 0x3C, 0xD3, 0x21, 0xDB, 0x06, 0xD3, 0xFF, 0x76});
    const std::vector<PortWrite> want = {{0x21, 0xA7}, {0x21, 0x3C}, {0xFF, 0x11}};
    EXPECT_EQ(cpu.outputs, want);
    EXPECT_EQ(cpu.regs.a, 0x11);
    EXPECT_EQ(cpu.tStates, 5 * 10u + 7 + 5);
}

}  // namespace
}  // namespace korvanta::cpu::testing
