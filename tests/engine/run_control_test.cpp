#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "assembler/assembler.h"
#include "assembler/sim_fixture.h"

namespace korvanta {
namespace {

using Lines = std::vector<std::string>;
const std::string kStart = "Start Program: Normal CPU/SET3";
const std::string kStepOn = "Step Execution On";
const Lines kHalted = {"Program Finished: HLT-HOLD", "CPU Idle"};

class RunControlTest : public testing::SimFixture {
public:
    void Load(const Lines& lines)
    {
        sim.source.Clear();
        m.run.ProgramCompiled = kFalse;
        for (const auto& l : lines) sim.source.AppendLine(l);
    }
    bool Compiles(const std::function<void()>& command)
    {
        m.Text13.setText("");
        command();
        return m.Text13.text().find("Compiling Program: ") != std::string::npos;
    }
};

TEST_F(RunControlTest, EmptyCodeList)
{
    Run();
    EXPECT_EQ(host.messageTexts(), Lines{"You must enter valid ASM code into the blank before running your program!"});
    EXPECT_EQ(host.messages[0].icon, MsgIcon::Critical);
    EXPECT_TRUE(m.view.runEnabled.get());
    EXPECT_TRUE(m.List3.lines().empty());
}

TEST_F(RunControlTest, EachStepExecutesOneInstruction)
{
    Load({"MVI A,01", "MVI A,02", "MVI A,03", "HLT"});
    Lines seen;
    host.onWait = [&] {
        seen.push_back(m.cpu.RegisterA.text());
        Step();
    };
    Step();
    EXPECT_EQ(seen, (Lines{"01", "02", "03"}));
    EXPECT_EQ(m.List3.lines(), (Lines{kStart, kStepOn, kHalted[0], kHalted[1]}));
    EXPECT_EQ(m.run.StepMode, kFalse);
    EXPECT_EQ(m.run.ProgramCompiled, kFalse);  // Step never marks the program assembled
}

TEST_F(RunControlTest, StepStartsANewRunAfterEveryKindOfEnd)
{
    struct Case {
        const char* name;
        Lines lines;
        std::function<void(RunControlTest&)> onWait;
        const char* status;
        const char* lastLog;
        const char* a;
    };
    const Case cases[] = {
        {"HLT", {"MVI A,01", "HLT"}, [](auto& t) { t.Step(); }, "Program Finished", "CPU Idle", "01"},
        {"error", {"RET"}, nullptr, "CPU Error", "Error in Program", "00"},
        // Stop while a step waits is noticed after the next step has run.
        {"user halt", {"MVI A,01", "MVI A,02", "HLT"}, [](auto& t) { t.Stop(); t.Step(); }, "CPU Halted by User",
         "User Halted", "02"},
        {"out of memory", {"LOOP: JMP LOOP"}, [](auto& t) { t.Step(); }, "Memory Error", "Out Of Memory", "00"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Load(c.lines);
        host.onWait = c.onWait ? std::function<void()>([&] { c.onWait(*this); }) : nullptr;
        for (int run = 0; run < 2; ++run) {
            m.List3.clear();
            m.cpu.RegisterA.setText("00");
            Step();
            ASSERT_GE(m.List3.lines().size(), 3u);
            EXPECT_EQ(m.List3.lines()[1], kStepOn);
            EXPECT_EQ(m.List3.lines().back(), c.lastLog);
            EXPECT_EQ(m.ExecStatus.text(), c.status);
            EXPECT_EQ(m.cpu.RegisterA.text(), c.a);
            EXPECT_EQ(m.run.StepMode, kFalse);
        }
    }
}

TEST_F(RunControlTest, Stop)
{
    struct Case {
        const char* name;
        std::function<bool(RunControlTest&)> when;  // asked on every yield
        Lines messages;
        const char* status;
        const char* bc;
    };
    const Case cases[] = {
        {"during assembly",
         [](auto& t) { return t.m.LineIndex == 1 && t.m.ExecStatus.text() == "Compiling Program..."; },
         {testing::Compiler(kUserHaltedCompile)}, "Compiler Error", "0000"},
        // The start's own yields come before ErrorFlag is cleared; the Stop still counts.
        {"at the start of the run",
         [](auto& t) { return t.m.ExecStatus.text() == "Executing Program..." && t.m.cpu.PC.text() == "0000"; }, {},
         "CPU Halted by User", "0001"},
        {"inside a running loop",
         [](auto& t) { return t.m.ExecStatus.text() == "Executing Program..." && t.m.cpu.RegisterC.text() == "10"; },
         {}, "CPU Halted by User", "0010"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Load({"LOOP: INX B", "JMP LOOP"});
        m.cpu.RegisterB.setText("00");
        m.cpu.RegisterC.setText("00");
        m.List3.clear();
        host.messages.clear();
        host.onYield = [&] {
            if (c.when(*this)) Stop();
        };
        Run();
        EXPECT_EQ(host.messageTexts(), c.messages);
        EXPECT_EQ(m.ExecStatus.text(), c.status);
        EXPECT_EQ(m.statusColour.get(), StatusColour::Red);
        EXPECT_EQ(m.cpu.RegisterB.text() + m.cpu.RegisterC.text(), c.bc);
        EXPECT_TRUE(m.view.runEnabled.get());
        if (c.messages.empty()) {
            EXPECT_EQ(m.List3.lines(), (Lines{kStart, "User Halted"}));
            EXPECT_NE(m.Text13.text().find("Program Aborted: " + host.dateTime + "\r\n"), std::string::npos);
        } else {
            EXPECT_TRUE(m.List3.lines().empty());
            EXPECT_EQ(m.run.ProgramCompiled, kFalse);
        }
    }
}

TEST_F(RunControlTest, AnEarlierStopDoesNotWordALaterError)
{
    Load({"NOP"});
    Stop();  // while nothing runs
    Poke("0000", {"08"});
    m.options.Check2_Click(1);
    Run();
    EXPECT_EQ(m.ExecStatus.text(), "CPU Error");
}

TEST_F(RunControlTest, JustCompileAndJustRun)
{
    Load({"MVI A,05", "HLT"});
    m.options.Check1_Click(1);
    Run();
    EXPECT_EQ(Mem("0000", 3), (Lines{"3E", "05", "76"}));
    EXPECT_TRUE(m.List3.lines().empty());
    EXPECT_EQ(m.run.ProgramCompiled, kTrue);
    EXPECT_EQ(m.ExecStatus.text(), "Finished Compiling!");

    m.options.Check1_Click(0);
    Poke("0001", {"09"});
    EXPECT_FALSE(Compiles([&] { Run(); }));  // already assembled
    EXPECT_EQ(m.cpu.RegisterA.text(), "09");

    m.run.ProgramCompiled = kFalse;
    m.options.Check2_Click(1);
    Poke("0001", {"42"});
    EXPECT_FALSE(Compiles([&] { Run(); }));
    EXPECT_EQ(m.cpu.RegisterA.text(), "42");
    EXPECT_EQ(m.ExecStatus.text(), "Program Finished");
}

TEST_F(RunControlTest, ChangesThatCallForAssemblingAgain)
{
    const std::pair<const char*, std::function<void(RunControlTest&)>> cases[] = {
        {"a line added", [](auto& t) { t.sim.source.EnterCode.setText("NOP"); t.sim.source.Command1_Click(); }},
        {"a line clicked", [](auto& t) { t.sim.source.List2_Click(0); }},
        {"start address edited", [](auto& t) { t.m.Text1.setText("0100"); t.m.Text1.setText("0000"); }},
        {"memory reset", [](auto& t) { t.m.memoryCommands.Toolbar2_ButtonClick(1); }},
    };
    for (const auto& [name, change] : cases) {
        Load({"MVI A,05", "HLT"});
        ASSERT_TRUE(Compiles([&] { Run(); })) << name;
        EXPECT_FALSE(Compiles([&] { Run(); })) << name;
        change(*this);
        EXPECT_TRUE(Compiles([&] { Run(); })) << name;
        EXPECT_EQ(m.ExecStatus.text(), "Program Finished") << name;
    }
}

TEST_F(RunControlTest, FailedAssemblyRunsNothingButStepGoesOn)
{
    const std::pair<Lines, std::string> cases[] = {
        {{"MVI A,07", "HLT", "MOVE A,B"}, testing::Compiler(kFlawedCode)},
        {{"MVI A,07", "JMP NOWH", "HLT"}, kUnmatchedTags},
    };
    for (const auto& [lines, message] : cases) {
        Load(lines);
        host.messages.clear();
        Run();
        EXPECT_EQ(host.messageTexts(), Lines{message});
        EXPECT_TRUE(m.List3.lines().empty());
        EXPECT_EQ(m.run.ProgramCompiled, kFalse);
    }
    // Step does not look at the outcome of assembling: what was emitted runs.
    Load({"MVI A,07", "HLT", "MOVE A,B"});
    host.onWait = [&] { Step(); };
    Step();
    EXPECT_EQ(m.cpu.RegisterA.text(), "07");
    EXPECT_EQ(m.ExecStatus.text(), "Program Finished");
}

TEST_F(RunControlTest, NestedRunsAreRefused)
{
    Load({"MVI A,01", "MVI A,02", "HLT"});
    int nested = 0;
    host.onYield = [&] {
        if (m.ExecStatus.text() != "Executing Program..." || nested++ > 3) return;
        Run();
        Step();
    };
    Run();
    EXPECT_GT(nested, 0);
    EXPECT_EQ(m.List3.lines(), (Lines{kStart, kHalted[0], kHalted[1]}));
    EXPECT_EQ(host.waits, 0);
    EXPECT_FALSE(m.run.running);

    // While a stepping run waits, Run is refused and Step takes the next step.
    host.onYield = nullptr;
    host.onWait = [&] {
        Run();
        Step();
    };
    Step();
    EXPECT_EQ(host.waits, 2);
    EXPECT_EQ(m.List3.lines(), (Lines{kStart, kStepOn, kHalted[0], kHalted[1]}));
    EXPECT_TRUE(host.messages.empty());
}

}  // namespace
}  // namespace korvanta
