#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "assembler/assembler.h"
#include "assembler/sim_fixture.h"
#include "engine/run_control.h"

namespace korvanta {
namespace {

using Lines = std::vector<std::string>;
const std::string kStart = "Start Program: Normal CPU/SET3";
const std::string kStepOn = "Step Execution On";

class RunControlTest : public testing::SimFixture {
public:
    void Load(const Lines& lines)
    {
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
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "You must enter valid ASM code into the blank before running your program!");
    EXPECT_EQ(host.messages[0].icon, MsgIcon::Critical);
    EXPECT_TRUE(m.view.runEnabled.get());
    EXPECT_TRUE(m.List3.lines().empty());
    EXPECT_FALSE(m.run.running);
}

TEST_F(RunControlTest, EachStepExecutesOneInstruction)
{
    Load({"MVI A,01", "MVI A,02", "MVI A,03", "HLT"});
    Lines seen;
    host.onWait = [&] {
        seen.push_back(m.cpu.RegisterA.text());
        EXPECT_EQ(m.run.StepMode, kTrue);
        Step();
    };
    Step();
    EXPECT_EQ(seen, (Lines{"01", "02", "03"}));
    EXPECT_EQ(m.List3.lines(), (Lines{kStart, kStepOn, "Program Finished: HLT-HOLD", "CPU Idle"}));
    EXPECT_EQ(m.run.StepMode, kFalse);
    EXPECT_EQ(m.ExecStatus.text(), "Program Finished");
    EXPECT_EQ(m.run.ProgramCompiled, kFalse);  // Step never marks the program assembled
    EXPECT_FALSE(m.run.running);
}

TEST_F(RunControlTest, StepStartsANewRunAfterEveryKindOfEnd)
{
    struct Case {
        const char* name;
        Lines lines;
        std::function<void(RunControlTest&)> onWait;
        const char* status;
        const char* lastLog;
    };
    const Case cases[] = {
        {"HLT", {"MVI A,01", "HLT"}, [](RunControlTest& t) { t.Step(); }, "Program Finished", "CPU Idle"},
        {"error", {"RET"}, nullptr, "CPU Error", "Error in Program"},
        {"user halt", {"MVI A,01", "MVI A,02", "HLT"},
         [](RunControlTest& t) {
             t.Stop();
             t.Step();
         },
         "CPU Halted by User", "User Halted"},
        {"out of memory", {"LOOP: JMP LOOP"}, [](RunControlTest& t) { t.Step(); }, "Memory Error", "Out Of Memory"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m.run.ProgramCompiled = kFalse;
        sim.source.Clear();
        Load(c.lines);
        if (c.onWait) host.onWait = [&] { c.onWait(*this); };
        else host.onWait = nullptr;
        for (int run = 0; run < 2; ++run) {
            m.List3.clear();
            m.cpu.RegisterA.setText("00");
            Step();
            ASSERT_GE(m.List3.lines().size(), 3u);
            EXPECT_EQ(m.List3.lines()[0], kStart);
            EXPECT_EQ(m.List3.lines()[1], kStepOn);
            EXPECT_EQ(m.List3.lines().back(), c.lastLog);
            EXPECT_EQ(m.ExecStatus.text(), c.status);
            EXPECT_EQ(m.run.StepMode, kFalse);
            EXPECT_FALSE(m.run.running);
        }
    }
}

TEST_F(RunControlTest, StopWhileAStepWaitsTakesEffectAfterTheNextStep)
{
    Load({"MVI A,01", "MVI A,02", "MVI A,03", "HLT"});
    host.onWait = [&] {
        Stop();
        EXPECT_TRUE(m.view.runEnabled.get());
        Step();
    };
    Step();
    EXPECT_EQ(m.cpu.RegisterA.text(), "02");
    EXPECT_EQ(m.ExecStatus.text(), "CPU Halted by User");
    EXPECT_EQ(host.waits, 1);
}

TEST_F(RunControlTest, StopDuringAssemblyKeepsTheProgramFromRunning)
{
    Load({"MVI A,01", "MVI A,02", "HLT"});
    host.onYield = [&] {
        if (m.LineIndex == 1 && m.ExecStatus.text() == "Compiling Program...") Stop();
    };
    Run();
    EXPECT_EQ(host.messageTexts(), Lines{testing::Compiler(kUserHaltedCompile)});
    EXPECT_TRUE(m.List3.lines().empty());
    EXPECT_EQ(m.run.ProgramCompiled, kFalse);
    EXPECT_EQ(m.cpu.RegisterA.text(), "00");
    EXPECT_TRUE(m.view.runEnabled.get());
    EXPECT_TRUE(m.view.memoryViewVisible.get());
}

TEST_F(RunControlTest, StopDuringTheStartOfARunIsNotLost)
{
    Load({"LOOP: INX B", "JMP LOOP"});
    host.onYield = [&] {
        if (m.ExecStatus.text() == "Executing Program..." && m.cpu.PC.text() == "0000") Stop();
    };
    Run();
    EXPECT_EQ(m.ExecStatus.text(), "CPU Halted by User");
    EXPECT_EQ(m.cpu.RegisterC.text(), "01");
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(RunControlTest, AnEarlierStopDoesNotWordALaterError)
{
    Load({"MVI A,01", "HLT"});
    Stop();  // nothing runs
    Poke("0000", {"08"});
    m.options.Check2_Click(1);
    Run();
    EXPECT_EQ(m.ExecStatus.text(), "CPU Error");
    EXPECT_EQ(m.List3.lines().back(), "Error in Program");
}

TEST_F(RunControlTest, JustCompileThenRunWithoutAssembling)
{
    Load({"MVI A,05", "HLT"});
    m.options.Check1_Click(1);
    Run();
    EXPECT_EQ(Mem("0000", 3), (Lines{"3E", "05", "76"}));
    EXPECT_TRUE(m.List3.lines().empty());
    EXPECT_EQ(m.cpu.RegisterA.text(), "00");
    EXPECT_EQ(m.run.ProgramCompiled, kTrue);
    EXPECT_EQ(m.ExecStatus.text(), "Finished Compiling!");

    m.options.Check1_Click(0);
    Poke("0001", {"09"});
    EXPECT_FALSE(Compiles([&] { Run(); }));
    EXPECT_EQ(m.cpu.RegisterA.text(), "09");
    EXPECT_EQ(m.ExecStatus.text(), "Program Finished");
}

TEST_F(RunControlTest, JustRunExecutesWhatMemoryHolds)
{
    Load({"NOP"});
    Poke("0000", {"3E", "42", "76"});
    m.options.Check2_Click(1);
    EXPECT_FALSE(Compiles([&] { Run(); }));
    EXPECT_EQ(m.cpu.RegisterA.text(), "42");
    EXPECT_EQ(m.run.ProgramCompiled, kTrue);
    EXPECT_EQ(sim.source.lineCount(), 1);
}

TEST_F(RunControlTest, ChangesThatCallForAssemblingAgain)
{
    struct Case {
        const char* name;
        std::function<void(RunControlTest&)> change;
        bool assembles;
    };
    const Case cases[] = {
        {"nothing changed", [](RunControlTest&) {}, false},
        {"a line added", [](RunControlTest& t) {
             t.sim.source.EnterCode.setText("NOP");
             t.sim.source.Command1_Click();
         }, true},
        {"a line clicked", [](RunControlTest& t) { t.sim.source.List2_Click(0); }, true},
        {"start address edited", [](RunControlTest& t) {
             t.m.Text1.setText("0100");
             t.m.Text1.setText("0000");
         }, true},
        {"memory reset", [](RunControlTest& t) { t.m.memoryCommands.Toolbar2_ButtonClick(1); }, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m.run.ProgramCompiled = kFalse;
        sim.source.Clear();
        Load({"MVI A,05", "HLT"});
        ASSERT_TRUE(Compiles([&] { Run(); }));
        ASSERT_EQ(m.run.ProgramCompiled, kTrue);
        c.change(*this);
        EXPECT_EQ(Compiles([&] { Run(); }), c.assembles);
        EXPECT_EQ(m.ExecStatus.text(), "Program Finished");
    }
}

TEST_F(RunControlTest, FailedAssemblyRunsNothingButStepGoesOn)
{
    Load({"MVI A,07", "HLT", "MOVE A,B"});
    Run();
    EXPECT_EQ(host.messageTexts(), Lines{testing::Compiler(kFlawedCode)});
    EXPECT_TRUE(m.List3.lines().empty());
    EXPECT_EQ(m.run.ProgramCompiled, kFalse);

    // Step does not look at the outcome of assembling: what was emitted runs.
    host.onWait = [&] { Step(); };
    Step();
    EXPECT_EQ(m.cpu.RegisterA.text(), "07");
    EXPECT_EQ(m.ExecStatus.text(), "Program Finished");
}

TEST_F(RunControlTest, UnmatchedTagKeepsTheProgramFromRunning)
{
    Load({"JMP NOWH", "HLT"});
    Run();
    EXPECT_EQ(host.messageTexts(), Lines{kUnmatchedTags});
    EXPECT_EQ(m.ExecStatus.text(), "Finished Compiling!");
    EXPECT_TRUE(m.List3.lines().empty());
    EXPECT_EQ(m.run.ProgramCompiled, kFalse);
}

TEST_F(RunControlTest, NestedRunsAreRefused)
{
    Load({"MVI A,01", "MVI A,02", "HLT"});
    int nested = 0;
    host.onYield = [&] {
        if (m.ExecStatus.text() != "Executing Program..." || nested > 3) return;
        ++nested;
        Run();
        Step();
        EXPECT_EQ(m.run.StepMode, kFalse);
    };
    Run();
    EXPECT_GT(nested, 0);
    EXPECT_EQ(m.List3.lines(), (Lines{kStart, "Program Finished: HLT-HOLD", "CPU Idle"}));
    EXPECT_EQ(m.cpu.RegisterA.text(), "02");
    EXPECT_EQ(host.waits, 0);
    EXPECT_FALSE(m.run.running);
    EXPECT_TRUE(m.view.runEnabled.get());
}

TEST_F(RunControlTest, RunIsRefusedWhileAStepWaits)
{
    Load({"MVI A,01", "MVI A,02", "HLT"});
    host.onWait = [&] {
        Run();
        EXPECT_EQ(m.List3.lines().front(), kStart);
        EXPECT_EQ(m.List3.lines()[1], kStepOn);
        Step();
    };
    Step();
    EXPECT_EQ(host.waits, 2);
    EXPECT_EQ(m.List3.lines(), (Lines{kStart, kStepOn, "Program Finished: HLT-HOLD", "CPU Idle"}));
    EXPECT_TRUE(host.messages.empty());
}

}  // namespace
}  // namespace korvanta
