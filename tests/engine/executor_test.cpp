#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "assembler/sim_fixture.h"
#include "engine/executor.h"

namespace korvanta {
namespace {

using Lines = std::vector<std::string>;
const std::string kStart = "Start Program: Normal CPU/SET3";
const std::string kFinished = "Program Finished: HLT-HOLD";

class ExecutorTest : public testing::SimFixture {
protected:
    void Load(const Lines& lines)
    {
        for (const auto& l : lines) sim.source.AppendLine(l);
    }
    // Runs what memory holds, without assembling.
    void RunMemory()
    {
        if (sim.source.lineCount() == 0) sim.source.AppendLine("NOP");
        m.options.Check2_Click(1);
        Run();
    }
    std::string SystemLog(std::initializer_list<const char*> prefixes) const
    {
        std::string text;
        for (const char* p : prefixes) text += std::string(p) + host.dateTime + "\r\n";
        return text;
    }
};

TEST_F(ExecutorTest, LoadAndHalt)
{
    Load({"MVI A,05", "HLT"});
    Run();
    EXPECT_EQ(m.cpu.RegisterA.text(), "05");
    EXPECT_EQ(m.List3.lines(), (Lines{kStart, kFinished, "CPU Idle"}));
    EXPECT_EQ(m.ExecStatus.text(), "Program Finished");
    EXPECT_EQ(m.statusColour.get(), StatusColour::Green);
    EXPECT_EQ(m.cpu.PC.text(), "0003");
    EXPECT_EQ(m.Text13.text(),
              SystemLog({"Compiling Program: ", "Finished Compiling: ", "Executing Program: ", "Finished Executing: "}));
    EXPECT_EQ(m.view.selectedMemoryRow.get(), 0);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(m.ErrorFlag, kFalse);
    EXPECT_EQ(m.run.StepMode, kFalse);
}

struct ProgramRun {
    const char* name;
    Lines lines;
    std::vector<std::pair<std::string, Lines>> pokes;  // before the run
    const char* registers;                             // "A BC DE HL"
    std::function<void(testing::SimFixture&, Machine&)> more;
};

TEST_F(ExecutorTest, WholePrograms)
{
    const ProgramRun cases[] = {
        {"counting loop with JNZ and a tag",
         {"MVI B,05", "MVI A,00", "LOOP: INR A", "DCR B", "JNZ LOOP", "HLT"}, {}, "05 0000 0000 0000",
         [](auto&, Machine& m) {
             EXPECT_EQ(m.cpu.Text5.text(), "1");
             EXPECT_EQ(m.cpu.PC.text(), "000A");
         }},
        {"multiplication by repeated addition",
         {"MVI A,00", "MVI B,03", "MVI C,04", "LOOP: ADD B", "DCR C", "JNZ LOOP", "HLT"}, {}, "0C 0300 0000 0000",
         nullptr},
        {"block copy with LDAX, STAX and INX",
         {"LXI B,0100", "LXI D,0200", "MVI L,03", "LOOP: LDAX B", "STAX D", "INX B", "INX D", "DCR L", "JNZ LOOP",
          "HLT"},
         {{"0100", {"11", "22", "33"}}}, "33 0103 0203 0000",
         [](auto& f, Machine&) { EXPECT_EQ(f.Mem("0200", 4), (Lines{"11", "22", "33", "00"})); }},
        {"subroutine with CALL and RET", {"CALL SUBR", "HLT", "SUBR: MVI A,07", "RET"}, {}, "07 0000 0000 0000",
         [](auto& f, Machine& m) {
             EXPECT_EQ(m.cpu.SP.text(), "0BBB");
             EXPECT_EQ(m.returnSlot.ReturnPending, 0);
             EXPECT_EQ(m.cpu.PC.text(), "0004");
             EXPECT_EQ(f.Mem("0BB9", 2), (Lines{"00", "00"}));
         }},
        {"PUSH then POP through the stack",
         {"LXI SP,0FF0", "MVI B,12", "MVI C,34", "PUSH B", "POP D", "HLT"}, {}, "00 1234 1234 0000",
         [](auto& f, Machine& m) {
             EXPECT_EQ(m.cpu.SP.text(), "0FF0");
             EXPECT_EQ(f.Mem("0FEE", 2), (Lines{"34", "12"}));
         }},
        {"unsupported instruction skips its immediate", {"MVI A,5A", "ANI 0F", "HLT"}, {}, "5A 0000 0000 0000",
         [](auto&, Machine& m) {
             EXPECT_EQ(m.List3.lines(), (Lines{kStart, "Unsupported Command ANI Ignored",
                                               "This command will someday by supported", kFinished, "CPU Idle"}));
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m.run.ProgramCompiled = kFalse;
        sim.source.Clear();
        m.memory.SetupTheMemoryWindow("0");
        m.cpu.SP.setText("0BBB");
        for (char r : {'A', 'B', 'C', 'D', 'E', 'H', 'L'}) m.cpu.registerField(r)->setText("00");
        for (const auto& [address, bytes] : c.pokes) Poke(address, bytes);
        host.messages.clear();
        Load(c.lines);
        Run();
        EXPECT_EQ(Registers(), c.registers);
        EXPECT_TRUE(host.messages.empty());
        EXPECT_EQ(m.ExecStatus.text(), "Program Finished");
        EXPECT_EQ(m.List3.lines().back(), "CPU Idle");
        if (c.more) c.more(*this, m);
    }
}

TEST_F(ExecutorTest, UndefinedOpcodeIsACpuError)
{
    Poke("0000", {"00", "08"});
    RunMemory();
    EXPECT_EQ(m.List3.lines(), (Lines{kStart, "Error in Program"}));
    EXPECT_EQ(m.ExecStatus.text(), "CPU Error");
    EXPECT_EQ(m.statusColour.get(), StatusColour::Red);
    EXPECT_EQ(m.Text13.text(), SystemLog({"Executing Program: ", "Critical Error: "}));
    EXPECT_EQ(m.view.selectedMemoryRow.get(), 2);
    EXPECT_EQ(m.cpu.PC.text(), "0002");
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(m.ErrorFlag, kTrue);
}

TEST_F(ExecutorTest, ReturnWithNothingPendingIsACpuError)
{
    Load({"RET"});
    Run();
    EXPECT_EQ(m.ExecStatus.text(), "CPU Error");
    EXPECT_EQ(m.List3.lines().back(), "Error in Program");
}

TEST_F(ExecutorTest, EndlessLoopEndsAfterThe4097thInstruction)
{
    Load({"LOOP: INX B", "JMP LOOP"});
    Run();
    // 4097 instructions: INX ran 2049 times.
    EXPECT_EQ(m.cpu.RegisterB.text() + m.cpu.RegisterC.text(), "0801");
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text,
              "Ombrix Korvanta CPU Error\r\n\r\nThe simulated CPU is out of available memory.  This may have "
              "occurred because of damage to the compiled ASM code, a continuous loop, or a program that is larger "
              "than 65 KB.  Check your ASM, recompile the program, and try again.  This is a fatal error.");
    EXPECT_EQ(host.messages[0].icon, MsgIcon::Critical);
    EXPECT_EQ(host.messages[0].title, "Korvanta");
    EXPECT_EQ(m.List3.lines(), (Lines{kStart, "Out Of Memory"}));
    EXPECT_EQ(m.ExecStatus.text(), "Memory Error");
    EXPECT_EQ(m.statusColour.get(), StatusColour::Red);
    EXPECT_EQ(m.ErrorFlag, kTrue);
    EXPECT_EQ(m.Text13.text(), SystemLog({"Compiling Program: ", "Finished Compiling: ", "Executing Program: "}));
}

TEST_F(ExecutorTest, EndsAtTheWindowsLastRow)
{
    struct Case {
        const char* name;
        const char* start;
        std::vector<std::pair<std::string, Lines>> pokes;
        const char* a;   // accumulator afterwards
        const char* pc;  // PC field afterwards
        int selected;
    };
    const Case cases[] = {
        // Every row is NOP: rows 1 to 4095 run, then LocationIndex reaches 4096.
        {"NOP field", "0000", {}, "00", "0FFF", 4095},
        {"MVI on the last two rows", "0FFE", {{"0FFE", {"3E", "05"}}}, "05", "0FFF", 4095},
        // No row follows for PC: the run ends before the last row is fetched.
        {"run starting on the last row", "0FFF", {{"0FFF", {"3C"}}}, "00", "0000", 0},
        {"jump to the last row", "0000", {{"0000", {"C3", "FF", "0F"}}, {"0FFF", {"3C"}}}, "00", "0001", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m.memory.SetupTheMemoryWindow("0");
        m.cpu.RegisterA.setText("00");
        m.cpu.PC.setText("0000");
        m.view.selectedMemoryRow.set(0);
        m.Text1.setText(c.start);
        for (const auto& [address, bytes] : c.pokes) Poke(address, bytes);
        host.messages.clear();
        RunMemory();
        EXPECT_EQ(host.messageTexts(), Lines{kCpuOutOfMemory});
        EXPECT_EQ(m.List3.lines(), (Lines{kStart, "Out Of Memory"}));
        EXPECT_EQ(m.cpu.RegisterA.text(), c.a);
        EXPECT_EQ(m.cpu.PC.text(), c.pc);
        EXPECT_EQ(m.view.selectedMemoryRow.get(), c.selected);
        EXPECT_EQ(m.window.rowCount(), 4096);
    }
}

TEST_F(ExecutorTest, StartAddressOutsideTheWindowRunsFromRowOne)
{
    Poke("0000", {"3E", "05", "76"});
    m.Text1.setText("1000");
    RunMemory();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_NE(host.messages[0].text.find("\"1000\" is impossible"), std::string::npos);
    EXPECT_EQ(m.cpu.RegisterA.text(), "05");
    EXPECT_EQ(m.ExecStatus.text(), "Program Finished");
    EXPECT_EQ(m.ErrorFlag, kFalse);
}

TEST_F(ExecutorTest, StopDuringARun)
{
    Load({"LOOP: INX B", "JMP LOOP"});
    host.onYield = [&] {
        if (m.ExecStatus.text() == "Executing Program..." && m.cpu.RegisterC.text() == "10") Stop();
    };
    Run();
    EXPECT_EQ(m.ExecStatus.text(), "CPU Halted by User");
    EXPECT_EQ(m.statusColour.get(), StatusColour::Red);
    EXPECT_EQ(m.List3.lines(), (Lines{kStart, "User Halted"}));
    EXPECT_EQ(m.Text13.text(), SystemLog({"Compiling Program: ", "Finished Compiling: ", "Executing Program: ",
                                          "Program Aborted: "}));
    EXPECT_EQ(m.cpu.RegisterB.text() + m.cpu.RegisterC.text(), "0010");
    EXPECT_TRUE(m.view.runEnabled.get());
    EXPECT_TRUE(host.messages.empty());
    EXPECT_FALSE(m.run.running);
}

}  // namespace
}  // namespace korvanta
