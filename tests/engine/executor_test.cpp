#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "assembler/sim_fixture.h"
#include "engine/executor.h"

namespace korvanta {
namespace {

using Lines = std::vector<std::string>;
using Pokes = std::vector<std::pair<std::string, Lines>>;
const std::string kStart = "Start Program: Normal CPU/SET3";
const Lines kHalted = {"Program Finished: HLT-HOLD", "CPU Idle"};

class ExecutorTest : public testing::SimFixture {
public:
    void Fresh(const char* start = "0000")
    {
        sim.source.Clear();
        m.memory.SetupTheMemoryWindow("0");
        m.run.ProgramCompiled = kFalse;
        m.Text1.setText(start);
        m.cpu.SP.setText("0BBB");
        m.cpu.PC.setText("0000");
        for (char r : {'A', 'B', 'C', 'D', 'E', 'H', 'L'}) m.cpu.registerField(r)->setText("00");
        host.messages.clear();
    }
    std::string Log(std::initializer_list<const char*> prefixes) const
    {
        std::string text;
        for (const char* p : prefixes) text += std::string(p) + host.dateTime + "\r\n";
        return text;
    }
};

TEST_F(ExecutorTest, LoadAndHalt)
{
    Program({"MVI A,05", "HLT"});
    Run();
    EXPECT_EQ(m.cpu.RegisterA.text(), "05");
    EXPECT_EQ(m.List3.lines(), (Lines{kStart, kHalted[0], kHalted[1]}));
    EXPECT_EQ(m.ExecStatus.text(), "Program Finished");
    EXPECT_EQ(m.statusColour.get(), StatusColour::Green);
    EXPECT_EQ(m.cpu.PC.text(), "0003");
    EXPECT_EQ(m.Text13.text(),
              Log({"Compiling Program: ", "Finished Compiling: ", "Executing Program: ", "Finished Executing: "}));
    EXPECT_EQ(m.view.selectedMemoryRow.get(), 0);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(ExecutorTest, WholeProgramsToHalt)
{
    struct Case {
        const char* name;
        Lines lines;
        Pokes pokes;
        const char* registers;  // "A BC DE HL"
        std::function<void(ExecutorTest&)> more = nullptr;
    };
    const Case cases[] = {
        {"counting loop with JNZ and a tag", {"MVI B,05", "MVI A,00", "LOOP: INR A", "DCR B", "JNZ LOOP", "HLT"},
         {}, "05 0000 0000 0000", [](auto& t) { EXPECT_EQ(t.m.cpu.Text5.text() + t.m.cpu.PC.text(), "1000A"); }},
        {"multiplication by repeated addition",
         {"MVI A,00", "MVI B,03", "MVI C,04", "LOOP: ADD B", "DCR C", "JNZ LOOP", "HLT"}, {}, "0C 0300 0000 0000"},
        {"block copy with LDAX, STAX and INX",
         {"LXI B,0100", "LXI D,0200", "MVI L,03", "LOOP: LDAX B", "STAX D", "INX B", "INX D", "DCR L", "JNZ LOOP"},
         {{"0100", {"11", "22", "33"}}}, "33 0103 0203 0000",
         [](auto& t) { EXPECT_EQ(t.Mem("0200", 4), (Lines{"11", "22", "33", "00"})); }},
        {"subroutine with CALL and RET", {"CALL SUBR", "HLT", "SUBR: MVI A,07", "RET"}, {}, "07 0000 0000 0000",
         [](auto& t) {
             EXPECT_EQ(t.m.cpu.SP.text() + t.m.cpu.PC.text(), "0BBB0004");
             EXPECT_EQ(t.m.returnSlot.ReturnPending, 0);
         }},
        {"PUSH then POP through the stack", {"LXI SP,0FF0", "MVI B,12", "MVI C,34", "PUSH B", "POP D", "HLT"}, {},
         "00 1234 1234 0000", [](auto& t) { EXPECT_EQ(t.Mem("0FEE", 2), (Lines{"34", "12"})); }},
        {"unsupported instruction skips its immediate", {"MVI A,5A", "ANI 0F", "HLT"}, {}, "5A 0000 0000 0000",
         [](auto& t) {
             EXPECT_EQ(t.m.List3.lines(), (Lines{kStart, "Unsupported Command ANI Ignored",
                                                 "This command will someday by supported", kHalted[0], kHalted[1]}));
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Fresh();
        for (const auto& [address, bytes] : c.pokes) Poke(address, bytes);
        for (const auto& l : c.lines) sim.source.AppendLine(l);
        Run();
        EXPECT_EQ(Registers(), c.registers);
        EXPECT_TRUE(host.messages.empty());
        EXPECT_EQ(m.ExecStatus.text(), "Program Finished");
        if (c.more) c.more(*this);
    }
}

TEST_F(ExecutorTest, RunsThatDoNotReachHalt)
{
    const std::string oom = kCpuOutOfMemory;
    struct Case {
        const char* name;
        Lines lines;  // empty: run memory as poked, without assembling
        Pokes pokes;
        const char* start;
        const char* status;
        const char* lastLog;
        Lines messages;
        const char* registers;
        const char* pc;
        int selected;
    };
    const Case cases[] = {
        {"undefined opcode", {}, {{"0000", {"00", "08"}}}, "0000", "CPU Error", "Error in Program", {},
         "00 0000 0000 0000", "0002", 2},
        {"return with nothing pending", {"RET"}, {}, "0000", "CPU Error", "Error in Program", {}, "00 0000 0000 0000",
         "0001", 1},
        // 4097 instructions: INX ran 2049 times.
        {"endless loop", {"LOOP: INX B", "JMP LOOP"}, {}, "0000", "Memory Error", "Out Of Memory", {oom},
         "00 0801 0000 0000", "0001", 1},
        {"NOP field up to row 4096", {}, {}, "0000", "Memory Error", "Out Of Memory", {oom}, "00 0000 0000 0000",
         "0FFF", 4095},
        {"MVI on the last two rows", {}, {{"0FFE", {"3E", "05"}}}, "0FFE", "Memory Error", "Out Of Memory", {oom},
         "05 0000 0000 0000", "0FFF", 4095},
        {"jump to the last row", {}, {{"0000", {"C3", "FF", "0F"}}, {"0FFF", {"3C"}}}, "0000", "Memory Error",
         "Out Of Memory", {oom}, "00 0000 0000 0000", "0001", 1},
        // No row follows for PC: the run ends before the last row is fetched.
        {"run starting on the last row", {}, {{"0FFF", {"3C"}}}, "0FFF", "Memory Error", "Out Of Memory", {oom},
         "00 0000 0000 0000", "0000", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Fresh(c.start);
        m.view.selectedMemoryRow.set(0);
        for (const auto& [address, bytes] : c.pokes) Poke(address, bytes);
        for (const auto& l : c.lines) sim.source.AppendLine(l);
        if (c.lines.empty()) sim.source.AppendLine("NOP");
        m.options.Check2_Click(c.lines.empty() ? 1 : 0);
        Run();
        EXPECT_EQ(m.List3.lines(), (Lines{kStart, c.lastLog}));
        EXPECT_EQ(m.ExecStatus.text(), c.status);
        EXPECT_EQ(m.statusColour.get(), StatusColour::Red);
        EXPECT_EQ(host.messageTexts(), c.messages);
        EXPECT_EQ(Registers(), c.registers);
        EXPECT_EQ(m.cpu.PC.text(), c.pc);
        EXPECT_EQ(m.view.selectedMemoryRow.get(), c.selected);
        EXPECT_EQ(m.ErrorFlag, kTrue);
        EXPECT_EQ(m.Text13.text().substr(m.Text13.text().rfind("Executing")),
                  c.messages.empty() ? Log({"Executing Program: ", "Critical Error: "}) : Log({"Executing Program: "}));
    }
    EXPECT_EQ(oom.substr(0, 29), "Ombrix Korvanta CPU Error\r\n\r\n");
    EXPECT_EQ(host.messages[0].icon, MsgIcon::Critical);
}

TEST_F(ExecutorTest, StartAddressOutsideTheWindowRunsFromRowOne)
{
    Poke("0000", {"3E", "05", "76"});
    m.Text1.setText("1000");
    m.options.Check2_Click(1);
    Program({"NOP"});
    Run();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_NE(host.messages[0].text.find("\"1000\" is impossible"), std::string::npos);
    EXPECT_EQ(m.cpu.RegisterA.text(), "05");
    EXPECT_EQ(m.ExecStatus.text(), "Program Finished");
}

}  // namespace
}  // namespace korvanta
