// Branches, calls, the stack, data transfers and ports: where pc, SP and the
// stack bytes end up, and what each form costs in T-states.

#include "cpu_fixture.h"

namespace korvanta::cpu::testing {
namespace {

class ControlTest : public CpuTest {};

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
            const int flags = taken ? cond.flagsTrue : cond.flagsFalse;
            auto fresh = [&](const char* sp) {
                cpu = Cpu8085{};
                Set(sp);
                cpu.regs.f = static_cast<std::uint8_t>(flags);
            };
            fresh("SP=0FF0");
            Step({cond.jump, 0x34, 0x02});
            EXPECT_EQ(State("PC T"), taken ? "PC=0234 T=10" : "PC=0103 T=7");
            fresh("SP=0FF0");
            Step({cond.call, 0x34, 0x02});
            EXPECT_EQ(State("PC SP #0FEF #0FEE T"), taken ? "PC=0234 SP=0FEE #0FEF=01 #0FEE=03 T=18"
                                                          : "PC=0103 SP=0FF0 #0FEF=00 #0FEE=00 T=9");
            fresh("SP=0FEE #0FEE=34,02");
            Step({cond.ret});
            EXPECT_EQ(State("PC SP T"), taken ? "PC=0234 SP=0FF0 T=12" : "PC=0101 SP=0FEE T=6");
            EXPECT_EQ(cpu.regs.f, flags);
        }
    }
}

TEST_F(ControlTest, NestedCallsLeaveReturnAddressesLowByteLower)
{
    Set("#0200=CD,00,03,C9 #0300=76,C9");  // CALL 0300; RET -- HLT; RET
    // LXI SP,0FF0; CALL 0200; HLT
    ASSERT_EQ(Program({0x31, 0xF0, 0x0F, 0xCD, 0x00, 0x02, 0x76}).stop, Stop::Halted);
    EXPECT_EQ(State("PC SP #0FEF #0FEE #0FED #0FEC T"),
              "PC=0301 SP=0FEC #0FEF=01 #0FEE=06 #0FED=02 #0FEC=03 T=51");
    ASSERT_EQ(cpu.run(100).stop, Stop::Halted);
    EXPECT_EQ(State("PC SP N T"), "PC=0107 SP=0FF0 N=7 T=76");
}

TEST_F(ControlTest, RestartsPushTheNextAddressAndJumpToEightTimesN)
{
    const int codes[8] = {0xC7, 0xCF, 0xD7, 0xDF, 0xE7, 0xEF, 0xF7, 0xFF};
    const char* const targets[8] = {"0000", "0008", "0010", "0018", "0020", "0028", "0030", "0038"};
    for (int n = 0; n < 8; ++n) {
        cpu = Cpu8085{};
        Set("SP=0FF0");
        Step({codes[n]});
        EXPECT_EQ(State("PC SP #0FEF #0FEE T"),
                  "PC=" + std::string(targets[n]) + " SP=0FEE #0FEF=01 #0FEE=01 T=12");
    }
}

TEST_F(ControlTest, UnconditionalTransfersOfControl)
{
    Set("SP=0FF0 HL=0456");
    Step({0xC3, 0xCD, 0x0A});  // JMP 0ACD
    EXPECT_EQ(State("PC T"), "PC=0ACD T=10");
    Step({0xCD, 0x00, 0x08});  // CALL 0800
    EXPECT_EQ(State("PC SP #0FEF #0FEE T"), "PC=0800 SP=0FEE #0FEF=01 #0FEE=03 T=28");
    Step({0xC9});  // RET
    EXPECT_EQ(State("PC SP T"), "PC=0103 SP=0FF0 T=38");
    Step({0xE9});  // PCHL
    EXPECT_EQ(State("PC T"), "PC=0456 T=44");
}

TEST_F(ControlTest, PushAndPopPairsAndPsw)
{
    Set("SP=0FF0 A=9C F=D7 BC=1234 DE=5678 HL=9ABC");
    Program({0xC5, 0xD5, 0xE5, 0xF5}, 4);  // PUSH B, D, H, PSW
    EXPECT_EQ(State("SP #0FE8 #0FE9 #0FEA #0FEB #0FEC #0FED #0FEE #0FEF T"),
              "SP=0FE8 #0FE8=D7 #0FE9=9C #0FEA=BC #0FEB=9A #0FEC=78 #0FED=56 #0FEE=34 #0FEF=12 T=48");
    Set("#0FE8=2A");                       // F as popped, bits 5 3 1 included
    Program({0xC1, 0xD1, 0xE1, 0xF1}, 4);  // POP B, D, H, PSW: crosswise
    EXPECT_EQ(State("BC DE HL A F SP T"), "BC=9C2A DE=9ABC HL=5678 A=12 F=34 SP=0FF0 T=88");
    Set("SP=0FE8");
    Step({0xF1});  // POP PSW
    EXPECT_EQ(State("A F"), "A=9C F=2A");
}

TEST_F(ControlTest, StackPointerAndHlExchanges)
{
    Set("HL=1234 DE=ABCD SP=0F00 #0F00=78,56");
    Step({0xE3});  // XTHL
    EXPECT_EQ(State("HL SP #0F00 #0F01 T"), "HL=5678 SP=0F00 #0F00=34 #0F01=12 T=16");
    Step({0xEB});  // XCHG
    EXPECT_EQ(State("HL DE T"), "HL=ABCD DE=5678 T=20");
    Step({0xF9});  // SPHL
    EXPECT_EQ(State("SP T"), "SP=ABCD T=26");
}

// Before each row: A=5A F=D5 BC=0900 DE=0902 HL=0904, memory 0900-0905 = 11 22 33 44 55 66.
// No transfer writes a flag, so F is in every expected state.
const struct {
    std::initializer_list<int> code;
    const char* keys;
    const char* want;
} kTransfers[] = {
    {{0x3A, 0x01, 0x09}, "A PC T", "A=22 PC=0103 T=13"},              // LDA 0901
    {{0x32, 0x05, 0x09}, "#0905 T", "#0905=5A T=13"},                 // STA 0905
    {{0x0A}, "A T", "A=11 T=7"},                                      // LDAX B
    {{0x1A}, "A T", "A=33 T=7"},                                      // LDAX D
    {{0x02}, "#0900 T", "#0900=5A T=7"},                              // STAX B
    {{0x12}, "#0902 T", "#0902=5A T=7"},                              // STAX D
    {{0x2A, 0x02, 0x09}, "HL PC T", "HL=4433 PC=0103 T=16"},          // LHLD 0902
    {{0x22, 0x00, 0x09}, "#0900 #0901 T", "#0900=04 #0901=09 T=16"},  // SHLD 0900
    {{0x7E}, "A T", "A=55 T=7"},                                      // MOV A,M
    {{0x77}, "#0904 T", "#0904=5A T=7"},                              // MOV M,A
    {{0x6E}, "HL T", "HL=0955 T=7"},                                  // MOV L,M: through the old L
    {{0x78}, "A T", "A=09 T=4"},                                      // MOV A,B
    {{0x63}, "HL T", "HL=0204 T=4"},                                  // MOV H,E
    {{0x3E, 0xC3}, "A PC T", "A=C3 PC=0102 T=7"},                     // MVI A,C3
    {{0x36, 0xC3}, "#0904 PC T", "#0904=C3 PC=0102 T=10"},            // MVI M,C3
    {{0x21, 0x34, 0x12}, "HL PC T", "HL=1234 PC=0103 T=10"},          // LXI H,1234
    {{0x23}, "HL T", "HL=0905 T=6"},                                  // INX H
    {{0x2B}, "HL T", "HL=0903 T=6"},                                  // DCX H
};

TEST_F(ControlTest, DataTransfers)
{
    for (const auto& row : kTransfers) {
        cpu = Cpu8085{};
        Set("A=5A F=D5 BC=0900 DE=0902 HL=0904 #0900=11,22,33,44,55,66 PC=0100");
        Poke(kOrigin, row.code);
        ASSERT_EQ(cpu.step().stop, Stop::Limit);
        EXPECT_EQ(State(row.keys) + " " + State("F"), std::string(row.want) + " F=D5");
    }
}

TEST_F(ControlTest, PairIncrementsWrapAtSixteenBitsAndSetNoFlag)
{
    Set("BC=FFFF DE=0000 SP=FFFF F=00");
    Program({0x03, 0x1B, 0x33, 0x76});  // INX B, DCX D, INX SP
    EXPECT_EQ(State("BC DE SP F"), "BC=0000 DE=FFFF SP=0000 F=00");
}

TEST_F(ControlTest, PortsReadInputsAndRecordEveryOutput)
{
    cpu.inputPorts[0x05] = 0xA7;
    cpu.inputPorts[0x06] = 0x11;
    // IN 05; OUT 21; MVI A,3C; OUT 21; IN 06; OUT FF; HLT
    Program({0xDB, 0x05, 0xD3, 0x21, 0x3E, 0x3C, 0xD3, 0x21, 0xDB, 0x06, 0xD3, 0xFF, 0x76});
    EXPECT_EQ(cpu.outputs, (std::vector<PortWrite>{{0x21, 0xA7}, {0x21, 0x3C}, {0xFF, 0x11}}));
    EXPECT_EQ(State("A T"), "A=11 T=62");
}

}  // namespace
}  // namespace korvanta::cpu::testing
