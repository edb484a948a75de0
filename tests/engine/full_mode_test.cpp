// Full 8085 mode from the Run and Step commands down: what a program does on the native processor,
// how the run ends, and that the fields show it. Expected values are worked out from Intel's 8085
// documentation: flag rules, stack layout, T-states (MVI 7, ANI 7, CMP r 4, JMP 10, CALL 18, RET 10,
// LXI 10, IN/OUT 10, EI/SIM 4, HLT 5, an accepted interrupt 12).

#include <string>

#include "assembler/sim_fixture.h"
#include "engine/full_executor.h"

namespace korvanta {
namespace {

using namespace testing;

class FullModeTest : public SimFixture {
public:
    void FreshFull(const std::string& program, const std::string& start = "0000")
    {
        Fresh(program, start);
        m.options.Full8085.set(1);
        m.options.MaxInstructions.set(kDefaultInstructionBudget);
        m.full.bdos.set(false);
        m.full.schedule.clear();
        m.full.clearInputPorts();
    }
    std::string State() const  // A BC DE HL SP PC flags
    {
        return Registers() + " " + m.cpu.SP.text() + " " + m.cpu.PC.text() + " " + m.cpu.Text2.text();
    }
    Lines FullLog(const Lines& end) const
    {
        Lines log = {kFullStartLog};
        log.insert(log.end(), end.begin(), end.end());
        return log;
    }
};

const Lines kHalted = {"Program Finished: HLT-HOLD", "CPU Idle"};

TEST_F(FullModeTest, ProgramsRunAsOnTheChip)
{
    struct Case {
        const char* name;
        const char* program;
        const char* state;  // A BC DE HL SP PC flags
        std::uint64_t tStates;
        std::uint64_t instructions;
        Bytes memory = {};
    };
    const Case cases[] = {
        // 3C AND 0F = 0C: AC set and CY clear by ANI; two ones, even parity.
        {"ANI masks", "MVI A,3C|ANI 0F|HLT", "0C 0000 0000 0000 0BBB 0005 14", 7 + 7 + 5, 3},
        // 05 - 05 = 0 leaves A alone: Z, even parity, no borrow out of bit 3 (AC 1), no borrow (CY 0).
        {"CMP equal", "MVI A,05|MVI B,05|CMP B|HLT", "05 0500 0000 0000 0BBB 0006 54", 7 + 7 + 4 + 5, 4},
        // 03 - 05 borrows: FE, sign, seven ones (odd), borrow from bit 4 (AC 0), CY 1.
        {"CPI borrow", "MVI A,03|CPI 05|HLT", "03 0000 0000 0000 0BBB 0005 81", 7 + 7 + 5, 3},
        // 38 + 45 = 7D, then DAA adds 06 for the low digit D: 83, AC from 0D + 6, S, three ones.
        {"DAA after ADI", "MVI A,38|ADI 45|DAA|HLT", "83 0000 0000 0000 0BBB 0006 90", 7 + 7 + 4 + 5, 4},
        // ORA and XRA clear CY and AC; XRA A clears A, Z and even parity.
        {"XRA clears", "STC|MVI A,F0|XRA A|HLT", "00 0000 0000 0000 0BBB 0005 44", 4 + 7 + 4 + 5, 4},
        // CALL inside CALL: each return address on the stack, low byte at the lower address.
        {"nested calls", "LXI SP,0800|CALL 0010|HLT|!!ORG 0010|CALL 0020|RET|!!ORG 0020|MVI A,42|RET",
         "42 0000 0000 0000 0800 0007 00", 10 + 18 + 18 + 7 + 10 + 10 + 5, 7,
         {{"07FC", "13 00 06 00"}}},
        // A not-taken conditional jump costs 7, a taken one 10; a taken CNZ 18, a taken RZ 12.
        {"conditions", "MVI A,01|DCR A|JNZ 0040|CZ 0010|HLT|!!ORG 0010|RZ",
         "00 0000 0000 0000 0BBB 000A 54", 7 + 4 + 7 + 18 + 12 + 5, 6},
        // PUSH PSW puts A above F; POP B takes them back as B and C.
        {"PUSH PSW", "MVI A,9C|STC|PUSH PSW|POP B|HLT", "9C 9C01 0000 0000 0BBB 0006 01", 7 + 4 + 12 + 10 + 5,
         5, {{"0BB9", "01 9C"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FreshFull(c.program);
        Run();
        EXPECT_EQ(m.ExecStatus.text(), "Program Finished");
        EXPECT_EQ(m.List3.lines(), FullLog(kHalted));
        EXPECT_EQ(State(), c.state);
        EXPECT_EQ(m.full.tStates.get(), c.tStates);
        EXPECT_EQ(m.run.executed.get(), c.instructions);
        for (const auto& [address, bytes] : c.memory) EXPECT_EQ(Mem(address, bytes), bytes) << address;
        EXPECT_EQ(host.messageTexts(), Lines{});
        // The flag bits follow the flag value the processor left.
        const int flags = std::stoi(std::string(c.state).substr(std::string(c.state).size() - 2), nullptr, 16);
        std::string bits;
        for (int bit = 7; bit >= 0; --bit) bits += m.cpu.flagBit(bit).text();
        std::string expected;
        for (int bit = 7; bit >= 0; --bit) expected += (flags >> bit) & 1 ? '1' : '0';
        EXPECT_EQ(bits, expected);
    }
}

TEST_F(FullModeTest, RunsEndWithTheirReasons)
{
    struct Case {
        const char* name;
        const char* program;
        int budget;
        const char* status;
        Lines log;
        std::string message;
        const char* state;
        std::uint64_t instructions;
    };
    const std::string error = "Ombrix Korvanta CPU Error\r\n\r\n";
    const Case cases[] = {
        // More than the budget: the 101st instruction runs, then the run ends.
        {"budget", "LOOP: JMP LOOP", 100, "Instruction Limit Reached", {"Instruction Limit"}, BudgetMessage(100),
         "00 0000 0000 0000 0BBB 0000 00", 101},
        // The read of 2000 stops before MOV changes anything; PC stays on it.
        {"read outside", "LXI H,2000|MOV A,M|HLT", 4096, "CPU Error", {"Error in Program"},
         error + "The instruction MOV A,M at 0003 reads address 2000, which is outside the memory window "
                 "0000-0FFF.  This is a fatal error.",
         "00 0000 0000 2000 0BBB 0003 00", 1},
        {"push outside", "LXI SP,0000|PUSH B|HLT", 4096, "CPU Error", {"Error in Program"},
         error + "The instruction PUSH B at 0003 pushes onto the stack at address FFFF, which is outside the "
                 "memory window 0000-0FFF.  This is a fatal error.",
         "00 0000 0000 0000 0000 0003 00", 1},
        {"jump outside", "JMP 1000", 4096, "CPU Error", {"Error in Program"},
         error + "The program counter reached 1000, which is outside the memory window 0000-0FFF.  This is a "
                 "fatal error.",
         "00 0000 0000 0000 0BBB 1000 00", 1},
        {"undefined opcode", "NOP|!!DB 08", 4096, "CPU Error", {"Error in Program"},
         error + "The byte 08 at 0001 is not an instruction of the 8085.  This is a fatal error.",
         "00 0000 0000 0000 0BBB 0001 00", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FreshFull(c.program);
        m.options.MaxInstructions.set(c.budget);
        Run();
        EXPECT_EQ(m.ExecStatus.text(), c.status);
        EXPECT_EQ(m.statusColour.get(), StatusColour::Red);
        EXPECT_EQ(m.List3.lines(), FullLog(c.log));
        EXPECT_EQ(host.messageTexts(), Lines{c.message});
        EXPECT_EQ(State(), c.state);
        EXPECT_EQ(m.run.executed.get(), c.instructions);
        EXPECT_EQ(m.ErrorFlag, kTrue);
    }
}

TEST_F(FullModeTest, ClassicBudgetIsTheSetting)
{
    // The classic count, with ten instead of 4096: the eleventh instruction ends the run out of memory.
    Fresh("LOOP: INX B|JMP LOOP");
    m.options.MaxInstructions.set(10);
    Run();
    EXPECT_EQ(m.ExecStatus.text(), "Memory Error");
    EXPECT_EQ(m.cpu.RegisterC.text(), "06");  // INX ran six times among the eleven
    EXPECT_EQ(m.run.executed.get(), 11u);
}

TEST_F(FullModeTest, FieldsThatHoldNoByteStopTheRunBeforeItBegins)
{
    const std::pair<std::function<void(FullModeTest&)>, std::string> cases[] = {
        {[](FullModeTest& t) { t.m.cpu.RegisterB.setText("5,"); }, "Register B holds \"5,\""},
        {[](FullModeTest& t) { t.m.cpu.SP.setText("0BB"); }, "The stack pointer holds \"0BB\""},
        {[](FullModeTest& t) { t.Poke({{"0100", "G7"}}); }, "The memory at 0100 holds \"G7\""},
    };
    for (const auto& [spoil, text] : cases) {
        SCOPED_TRACE(text);
        FreshFull("MVI A,01|HLT");
        spoil(*this);
        Run();
        EXPECT_EQ(m.ExecStatus.text(), "CPU Error");
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_NE(host.messages[0].text.find(text), std::string::npos) << host.messages[0].text;
        EXPECT_EQ(m.cpu.RegisterA.text(), "00");
        EXPECT_EQ(m.run.executed.get(), 0u);
    }
}

TEST_F(FullModeTest, PortsAndConsole)
{
    FreshFull("IN 20|OUT 21|CMA|OUT 22|HLT");
    m.full.setInputPort(0x20, 0x5A);
    Run();
    EXPECT_EQ(m.cpu.RegisterA.text(), "A5");
    EXPECT_EQ(m.full.outputs(), (std::vector<cpu::PortWrite>{{0x21, 0x5A}, {0x22, 0xA5}}));
    EXPECT_EQ(m.full.tStates.get(), 10u + 10 + 4 + 10 + 5);

    // The CP/M console: C=9 prints up to the "$", C=2 the character in E; the call returns as RET;
    // reaching 0000 finishes the run.
    FreshFull("!!ORG 0100|MVI C,09|LXI D,0120|CALL 0005|MVI C,02|MVI E,21|CALL 0005|JMP 0000|!!ORG 0120|"
              "!!DB 48,49,24");
    m.full.bdos.set(true);
    Run();
    EXPECT_EQ(m.ExecStatus.text(), "Program Finished");
    EXPECT_EQ(m.List3.lines(), FullLog({"Program Finished: Warm Boot", "CPU Idle"}));
    EXPECT_EQ(m.full.console.get(), "HI!");
    EXPECT_EQ(m.Text1.text(), "0100");
    EXPECT_EQ(m.cpu.SP.text(), "0BBB");
    EXPECT_EQ(m.run.executed.get(), 9u);  // the two services count as the RET each ends with
    EXPECT_EQ(m.full.tStates.get(), 7u + 10 + 18 + 10 + 7 + 7 + 18 + 10 + 10);
}

TEST_F(FullModeTest, ScheduledInterruptsWithMasksOffAndOn)
{
    // EI, SIM with MSE and the masks given, then a loop; RST 7.5 raised after the fourth instruction.
    const char* program = "LXI SP,0800|EI|MVI A,%s|SIM|LOOP: JMP LOOP|!!ORG 003C|MVI B,77|HLT";
    auto load = [&](const char* masks) {
        std::string text = program;
        text.replace(text.find("%s"), 2, masks);
        FreshFull(text);
        m.full.schedule = {{4, cpu::Interrupt::Rst75, 0}};
    };
    load("08");  // MSE, nothing masked
    Run();
    EXPECT_EQ(m.ExecStatus.text(), "Program Finished");
    EXPECT_EQ(m.cpu.RegisterB.text(), "77");
    EXPECT_EQ(m.cpu.SP.text(), "07FE");
    EXPECT_EQ(Mem("07FE", "07 00"), "07 00");  // the interrupted PC, 0007
    EXPECT_EQ(m.full.tStates.get(), 10u + 4 + 7 + 4 + 12 + 7 + 5);
    EXPECT_EQ(m.run.executed.get(), 6u);
    EXPECT_EQ(m.full.interrupts.get(), (InterruptView{false, 0x00, 0x00, false, false}));

    load("0C");  // MSE with M7.5 set: the request waits, latched, until the budget ends the loop
    m.options.MaxInstructions.set(50);
    Run();
    EXPECT_EQ(m.ExecStatus.text(), "Instruction Limit Reached");
    EXPECT_EQ(m.cpu.RegisterB.text(), "00");
    EXPECT_EQ(m.full.interrupts.get(), (InterruptView{true, 0x04, 0x04, false, false}));
}

TEST_F(FullModeTest, StepShowsEachInstructionAndTakesEditsBetweenSteps)
{
    FreshFull("MVI A,01|INR A|INR A|HLT");
    host.onWait = [this] {
        if (m.cpu.PC.text() == "0003") m.cpu.RegisterA.setText("10");  // typed while the step waits
        Step();
    };
    std::vector<std::string> seen;
    m.cpu.PC.changed.connect([&] { seen.push_back(m.cpu.PC.text() + "=" + m.cpu.RegisterA.text()); });
    Step();
    EXPECT_EQ(m.ExecStatus.text(), "Program Finished");
    EXPECT_EQ(m.cpu.RegisterA.text(), "11");  // 10 typed, then one INR
    EXPECT_EQ(host.waits, 3);
    EXPECT_EQ(seen, (Lines{"0002=01", "0003=02", "0004=11", "0005=11"}));
    EXPECT_EQ(m.List3.lines(), (Lines{kFullStartLog, "Step Execution On", kHalted[0], kHalted[1]}));
}

TEST_F(FullModeTest, StopEndsALongRun)
{
    FreshFull("LOOP: INX B|JMP LOOP");
    m.options.MaxInstructions.set(kMaxInstructionBudget);
    host.onYield = [this] {
        if (m.run.executed.get() > 0) Stop();
    };
    Run();
    EXPECT_EQ(m.ExecStatus.text(), "CPU Halted by User");
    EXPECT_EQ(m.List3.lines(), FullLog({"User Halted"}));
    EXPECT_GT(m.run.executed.get(), 0u);
    EXPECT_LT(m.run.executed.get(), static_cast<std::uint64_t>(kMaxInstructionBudget));
    // Whatever the count, the fields agree with it: C counts the INX.
    const unsigned bc = static_cast<unsigned>(std::stoi(m.cpu.RegisterB.text() + m.cpu.RegisterC.text(), nullptr, 16));
    EXPECT_EQ(bc, ((m.run.executed.get() + 1) / 2) & 0xFFFF);
}

}  // namespace
}  // namespace korvanta
