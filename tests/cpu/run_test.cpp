// How a run stops and what it leaves: addresses outside the window, the
// undocumented opcodes, the BDOS console convention, breakpoints, and the
// records the engine reads back (written rows, snapshots, the step record).

#include "cpu_fixture.h"

namespace korvanta::cpu::testing {
namespace {

class RunTest : public CpuTest {};

// The window is 2000-2FFF; F has S Z P CY set, so CZ and RZ are taken. Each
// row names the pointer it sets in BC, DE and HL alike, and SP.
const struct {
    const char* name;
    std::uint16_t at;  // where the instruction starts
    std::initializer_list<int> code;
    const char* setup;
    Access access;
    std::uint16_t address;
} kOutsideCases[] = {
    {"opcode above the window", 0x3000, {}, "", Access::Fetch, 0x3000},
    {"opcode below the window", 0x1FFF, {}, "", Access::Fetch, 0x1FFF},
    {"immediate byte of MVI", 0x2FFF, {0x3E}, "", Access::Fetch, 0x3000},
    {"second byte of LXI", 0x2FFF, {0x21}, "", Access::Fetch, 0x3000},
    {"third byte of JMP", 0x2FFE, {0xC3, 0x00}, "", Access::Fetch, 0x3000},
    {"MOV A,M", 0x2100, {0x7E}, "HL=3000", Access::Read, 0x3000},
    {"ADD M", 0x2100, {0x86}, "HL=1FFF", Access::Read, 0x1FFF},
    {"CMP M", 0x2100, {0xBE}, "HL=0000", Access::Read, 0x0000},
    {"LDAX B", 0x2100, {0x0A}, "BC=4000", Access::Read, 0x4000},
    {"LDA", 0x2100, {0x3A, 0x34, 0x12}, "", Access::Read, 0x1234},
    {"second byte of LHLD", 0x2100, {0x2A, 0xFF, 0x2F}, "", Access::Read, 0x3000},
    {"INR M reads before it writes", 0x2100, {0x34}, "HL=3000", Access::Read, 0x3000},
    {"MOV M,A", 0x2100, {0x77}, "HL=3000", Access::Write, 0x3000},
    {"MVI M", 0x2100, {0x36, 0x55}, "HL=1FFF", Access::Write, 0x1FFF},
    {"STAX D", 0x2100, {0x12}, "DE=0000", Access::Write, 0x0000},
    {"STA", 0x2100, {0x32, 0x00, 0x30}, "", Access::Write, 0x3000},
    {"second byte of SHLD", 0x2100, {0x22, 0xFF, 0x2F}, "", Access::Write, 0x3000},
    {"PUSH B", 0x2100, {0xC5}, "SP=2000", Access::StackWrite, 0x1FFF},
    {"low byte of PUSH PSW", 0x2100, {0xF5}, "SP=2001", Access::StackWrite, 0x1FFF},
    {"CALL", 0x2100, {0xCD, 0x00, 0x28}, "SP=2001", Access::StackWrite, 0x1FFF},
    {"CZ taken", 0x2100, {0xCC, 0x00, 0x28}, "SP=2000", Access::StackWrite, 0x1FFF},
    {"RST 1", 0x2100, {0xCF}, "SP=2001", Access::StackWrite, 0x1FFF},
    {"high byte of POP B", 0x2100, {0xC1}, "SP=2FFF", Access::StackRead, 0x3000},
    {"POP PSW", 0x2100, {0xF1}, "SP=1000", Access::StackRead, 0x1000},
    {"RET", 0x2100, {0xC9}, "SP=3000", Access::StackRead, 0x3000},
    {"RZ taken", 0x2100, {0xC8}, "SP=1FFF", Access::StackRead, 0x1FFF},
    {"XTHL reads both before writing", 0x2100, {0xE3}, "SP=2FFF", Access::StackRead, 0x3000},
};

TEST_F(RunTest, AccessOutsideTheWindowStopsAndChangesNothing)
{
    for (const auto& row : kOutsideCases) {
        SCOPED_TRACE(row.name);
        cpu = Cpu8085{};
        cpu.windowBase = 0x2000;
        for (int i = 0; i < kWindowBytes; ++i) cpu.memory[i] = static_cast<std::uint8_t>(i * 7 + 1);
        Set("A=77 F=C5 BC=2800 DE=2800 HL=2800 SP=2800");
        Set(row.setup);
        cpu.regs.pc = row.at;
        cpu.tStates = 100, cpu.instructions = 10;
        cpu.outputs = {{1, 2}};
        Poke(row.at, row.code);
        cpu.takeWrittenRows();
        const Cpu8085 before = cpu;

        const RunResult result = cpu.run(10);
        EXPECT_TRUE(result.stop == Stop::OutsideWindow && result.executed == 0);
        const int opcode = row.code.size() ? *row.code.begin() : 0;
        EXPECT_EQ(cpu.fault, (Fault{row.access, row.address, row.at, static_cast<std::uint8_t>(opcode)}));
        EXPECT_TRUE(cpu.regs == before.regs && cpu.irq == before.irq && cpu.memory == before.memory);
        EXPECT_TRUE(cpu.tStates == 100 && cpu.instructions == 10 && cpu.outputs == before.outputs);
        EXPECT_TRUE(cpu.takeWrittenRows().empty());
    }
}

TEST_F(RunTest, ConditionsNotTakenTouchNoStack)
{
    Set("F=40 SP=3000");
    EXPECT_EQ(Program({0xC0, 0xC4, 0x00, 0x02, 0x76}).stop, Stop::Halted);  // RNZ, CNZ 0200, HLT
    EXPECT_EQ(State("T"), "T=20");
}

TEST_F(RunTest, UndocumentedOpcodesStopWithoutEffect)
{
    for (int code : {0x08, 0x10, 0x18, 0x28, 0x38, 0xCB, 0xD9, 0xDD, 0xED, 0xFD}) {
        SCOPED_TRACE(code);
        for (bool stepping : {false, true}) {
            cpu = Cpu8085{};
            cpu.regs = Registers{0x12, 0xD5, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0x0F00, kOrigin};
            Poke(kOrigin, {code, 0x11, 0x22});
            const Cpu8085 before = cpu;
            const RunResult result = stepping ? cpu.step() : cpu.run(5);
            EXPECT_EQ(result.stop, Stop::Undefined);
            EXPECT_EQ(result.executed, 0u);
            EXPECT_EQ(cpu.fault, (Fault{Access::Fetch, kOrigin, kOrigin, static_cast<std::uint8_t>(code)}));
            EXPECT_TRUE(cpu.regs == before.regs && cpu.memory == before.memory && cpu.tStates == 0);
        }
    }
}

class BdosTest : public CpuTest {
protected:
    void SetUp() override
    {
        cpu.bdos = true;
        Set("SP=0FF0 #0000=76 #0005=76");  // neither address may be run as code
    }
};

TEST_F(BdosTest, ConsoleCallsPrintAndReachingZeroExits)
{
    Set("#0120=48,69,21,24,78");  // "Hi!$x"
    const RunResult result = Program({
        0x0E, 0x02, 0x1E, 0x41, 0xCD, 0x05, 0x00,        // MVI C,02; MVI E,'A'; CALL 0005
        0x0E, 0x09, 0x11, 0x20, 0x01, 0xCD, 0x05, 0x00,  // MVI C,09; LXI D,0120; CALL 0005
        0x0E, 0x01, 0xCD, 0x05, 0x00,                    // MVI C,01; CALL 0005: prints nothing
        0xC3, 0x00, 0x00,                                // JMP 0000
    });
    EXPECT_EQ(result.stop, Stop::BdosExit);
    EXPECT_EQ(result.executed, 12u);
    EXPECT_EQ(cpu.console, "AHi!");
    EXPECT_EQ(State("PC SP T"), "PC=0000 SP=0FF0 T=132");
}

TEST_F(BdosTest, ARunStartingAtZeroIsNotStoppedBeforeItsFirstInstruction)
{
    Set("#0000=C3,00,01 #0100=76 PC=0000");  // JMP 0100; HLT
    const RunResult result = cpu.run(10);
    EXPECT_EQ(result.stop, Stop::Halted);
    EXPECT_EQ(result.executed, 2u);
}

TEST_F(BdosTest, StepOnTheEntryIsTheService)
{
    Set("C=02 E=5A SP=0FEE #0FEE=34,02 PC=0005");
    const RunResult result = cpu.step();
    EXPECT_TRUE(result.stop == Stop::Limit && result.executed == 1);
    EXPECT_TRUE(cpu.last.bdosService && cpu.last.address == 0x0005 && cpu.last.length == 0);
    EXPECT_EQ(cpu.console, "Z");
    EXPECT_EQ(State("PC SP T N"), "PC=0234 SP=0FF0 T=10 N=1");
}

TEST_F(BdosTest, StringOrReturnOutsideTheWindowFaultsBeforePrinting)
{
    const struct {
        const char* name;
        const char* setup;
        Fault want;
    } cases[] = {
        {"string runs out of the window", "C=09 DE=0FFD SP=0FEE", {Access::Read, 0x1000, 0x0005, 0}},
        {"string starts outside", "C=09 DE=4000 SP=0FEE", {Access::Read, 0x4000, 0x0005, 0}},
        {"return address outside", "C=02 DE=0FFD SP=0FFF", {Access::StackRead, 0x1000, 0x0005, 0}},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        cpu.console = "so far";
        Set("#0FFD=61,62,63 PC=0005");  // "abc" up to the end of the window
        Set(row.setup);
        const Registers before = cpu.regs;
        const RunResult result = cpu.run(10);
        EXPECT_TRUE(result.stop == Stop::OutsideWindow && result.executed == 0);
        EXPECT_EQ(cpu.fault, row.want);
        EXPECT_EQ(cpu.console, "so far");
        EXPECT_EQ(cpu.regs, before);
    }
}

TEST_F(BdosTest, WithoutTheConventionBothAddressesAreCode)
{
    cpu.bdos = false;
    Set("PC=0005");
    EXPECT_EQ(cpu.run(10).stop, Stop::Halted);
    EXPECT_EQ(State("PC"), "PC=0006");
    EXPECT_EQ(Program({0xC3, 0x00, 0x00}).stop, Stop::Halted);  // JMP 0000
    EXPECT_EQ(State("PC"), "PC=0001");
    EXPECT_TRUE(cpu.console.empty());
}

TEST_F(RunTest, BreakpointsStopBeforeTheirInstruction)
{
    Poke(kOrigin, {0x00, 0x00, 0x00, 0x00, 0x00, 0x76});
    cpu.regs.pc = kOrigin;
    cpu.setBreakpoint(0x0103, true);
    EXPECT_TRUE(cpu.hasBreakpoint(0x0103));
    EXPECT_FALSE(cpu.hasBreakpoint(0x0104));

    RunResult result = cpu.run(100);
    EXPECT_EQ(result.stop, Stop::Breakpoint);
    EXPECT_EQ(result.executed, 3u);
    EXPECT_EQ(cpu.regs.pc, 0x0103);
    EXPECT_EQ(cpu.run(100).executed, 0u);  // resumed without skipping: the same breakpoint

    result = cpu.run(100, true);
    EXPECT_EQ(result.stop, Stop::Halted);
    EXPECT_EQ(result.executed, 3u);

    cpu.regs.pc = 0x0103;
    EXPECT_EQ(cpu.step().stop, Stop::Limit);  // step does not look at breakpoints
    EXPECT_EQ(cpu.regs.pc, 0x0104);

    cpu.setBreakpoint(0x0101, true);
    cpu.setBreakpoint(0x0101, true);
    cpu.setBreakpoint(0x0101, false);
    cpu.setBreakpoint(0x5000, true);  // outside the window: ignored
    EXPECT_FALSE(cpu.hasBreakpoint(0x0101));
    EXPECT_FALSE(cpu.hasBreakpoint(0x5000));
    cpu.regs.pc = kOrigin;
    EXPECT_EQ(cpu.run(100).executed, 3u);

    cpu.clearBreakpoints();
    cpu.regs.pc = kOrigin;
    EXPECT_EQ(cpu.run(100).stop, Stop::Halted);
}

TEST_F(RunTest, BreakpointCatchesAnInterruptHandler)
{
    Set("SP=0FF0");
    cpu.setBreakpoint(0x0024, true);
    cpu.raise(Interrupt::Trap);
    const RunResult result = Program({0x00, 0x00});
    EXPECT_EQ(result.stop, Stop::Breakpoint);
    EXPECT_EQ(result.executed, 1u);
    EXPECT_EQ(cpu.regs.pc, 0x0024);
}

TEST_F(RunTest, WrittenRowsAreWindowOffsetsWhateverTheValue)
{
    cpu.windowBase = 0x2000;
    // STA 2FFF; STA 2005 (the byte it holds); STA 2000; HLT
    Set("A=42 #2005=42 #2100=32,FF,2F,32,05,20,32,00,20,76 PC=2100");
    cpu.run(100);
    EXPECT_EQ(cpu.takeWrittenRows(), (std::vector<int>{0, 5, 4095}));
    EXPECT_TRUE(cpu.takeWrittenRows().empty());
}

TEST_F(RunTest, RestorePutsEverythingBackAndMarksChangedRows)
{
    cpu.bdos = true;
    cpu.console = "ab";
    cpu.outputs = {{1, 2}};
    Set("SP=0FF0 #0901=55");
    Poke(kOrigin, {
                      0xFB, 0x3E, 0x55,                    // EI; MVI A,55
                      0x32, 0x00, 0x09, 0x32, 0x01, 0x09,  // STA 0900; STA 0901 (already 55)
                      0xD3, 0x07,                          // OUT 07
                      0x0E, 0x02, 0x1E, 0x78,              // MVI C,02; MVI E,'x'
                      0xCD, 0x05, 0x00, 0x76,              // CALL 0005; HLT
                  });
    cpu.regs.pc = kOrigin;
    const Snapshot snapshot = cpu.snapshot();
    ASSERT_EQ(cpu.run(100).stop, Stop::Halted);
    EXPECT_EQ(cpu.console, "abx");
    EXPECT_EQ(cpu.outputs.size(), 2u);
    EXPECT_EQ(cpu.takeWrittenRows(), (std::vector<int>{0x900, 0x901, 0xFEE, 0xFEF}));

    cpu.restore(snapshot);
    EXPECT_TRUE(cpu.regs == snapshot.regs && cpu.irq == snapshot.irq && cpu.memory == snapshot.memory);
    EXPECT_EQ(State("PC SP T N"), "PC=0100 SP=0FF0 T=0 N=0");
    EXPECT_FALSE(cpu.irq.enabled);
    EXPECT_EQ(cpu.console, "ab");
    EXPECT_EQ(cpu.outputs, (std::vector<PortWrite>{{1, 2}}));
    // 0901 was written with the byte it already held, so restoring leaves that row alone.
    EXPECT_EQ(cpu.takeWrittenRows(), (std::vector<int>{0x900, 0xFEE, 0xFEF}));
}

TEST_F(RunTest, StepRecordsTheInstructionAndItsWrites)
{
    Set("SP=0FF0 HL=1234");
    Step({0xC5});  // PUSH B
    EXPECT_EQ(cpu.last.address, kOrigin);
    EXPECT_EQ(cpu.last.length, 1);
    EXPECT_EQ(cpu.last.bytes[0], 0xC5);
    ASSERT_EQ(cpu.last.writeCount, 2);
    EXPECT_EQ(cpu.last.writes[0], 0x0FEF);
    EXPECT_EQ(cpu.last.writes[1], 0x0FEE);
    EXPECT_FALSE(cpu.last.bdosService || cpu.last.interruptAccepted);

    Step({0x22, 0x00, 0x09});  // SHLD 0900
    EXPECT_EQ(cpu.last.length, 3);
    EXPECT_EQ(cpu.last.bytes[1], 0x00);
    EXPECT_EQ(cpu.last.bytes[2], 0x09);
    ASSERT_EQ(cpu.last.writeCount, 2);
    EXPECT_EQ(cpu.last.writes[0], 0x0900);
    EXPECT_EQ(cpu.last.writes[1], 0x0901);

    Step({0x3E, 0x05});  // MVI A,05
    EXPECT_EQ(cpu.last.length, 2);
    EXPECT_EQ(cpu.last.bytes[1], 0x05);
    EXPECT_EQ(cpu.last.writeCount, 0);
}

}  // namespace
}  // namespace korvanta::cpu::testing
