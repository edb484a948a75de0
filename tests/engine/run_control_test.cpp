#include <functional>
#include <string>

#include "assembler/sim_fixture.h"

namespace korvanta {
namespace {

using namespace testing;

class RunControlTest : public SimFixture {
public:
    int hooks = 0;  // calls of the current row's hook
};
using T = RunControlTest;

// Run and Step with the two options, Stop, and commands given while a run is in progress. Each row
// runs twice in a row: a new run starts cleanly after every kind of end.
TEST_F(RunControlTest, Runs)
{
    const char *good = "MVI A,05|HLT", *flawed = "MVI A,05|HLT|MOVE A,B", *loop = "LOOP: INX B|JMP LOOP";
    const char* three = "MVI A,01|MVI A,02|MVI A,03|HLT";
    const auto step = [](T& t) { t.Step(); };
    const auto stopWhen = [](std::function<bool(T&)> when) {
        return [when](T& t) {
            if (when(t)) t.Stop();
        };
    };
    const auto executing = [](T& t) { return t.m.ExecStatus.text() == "Executing Program..."; };
    struct Case {
        const char* name;
        bool step;
        const char* program;
        std::function<void(T&)> hook;  // Step: on every wait; Run: on every yield
        int waits;                     // Step: one per instruction after the first
        const char* registers;         // A BC; 3E 09 76 was in memory before
        const char* status;
        Lines messages = {};
        int check1 = 0, check2 = 0;  // just compile, just run
        int compiledBefore = kFalse;
    };
    const Case cases[] = {
        {"Run assembles and runs", false, good, nullptr, 0, "05 0000", "Program Finished"},
        {"Run, assembled before", false, good, nullptr, 0, "09 0000", "Program Finished", {}, 0, 0, kTrue},
        {"Run, just compile", false, good, nullptr, 0, "00 0000", "Finished Compiling!", {}, 1},
        {"Run, just run", false, good, nullptr, 0, "09 0000", "Program Finished", {}, 0, 1},
        {"Run, flawed line: nothing runs", false, flawed, nullptr, 0, "00 0000", "Compiler Error",
         {Compiler(kFlawedCode)}},
        {"Run, unmatched tag: nothing runs", false, "MVI A,05|JMP NOWH|HLT", nullptr, 0, "00 0000",
         "Finished Compiling!", {kUnmatchedTags}},
        {"Run, empty code list", false, "", nullptr, 0, "00 0000", "Idle", {kEmptyProgramMessage}},
        {"Step assembles, never marks it", true, good, step, 1, "05 0000", "Program Finished"},
        {"Step, assembled before", true, good, step, 1, "09 0000", "Program Finished", {}, 0, 0, kTrue},
        {"Step, just compile: runs unassembled", true, good, step, 1, "09 0000", "Program Finished", {}, 1},
        {"Step ignores just run", true, good, step, 1, "05 0000", "Program Finished", {}, 0, 1},
        {"Step, flawed line: what was emitted runs", true, flawed, step, 1, "05 0000", "Program Finished",
         {Compiler(kFlawedCode)}},
        {"Step to an error", true, "RET", nullptr, 0, "00 0000", "CPU Error"},
        // Stop while a step waits is noticed after the next step has run.
        {"Step, then Stop", true, three, [](T& t) { t.Stop(); t.Step(); }, 1, "02 0000",
         "CPU Halted by User"},
        {"Step out of memory", true, loop, step, 4096, "00 0801", "Memory Error", {kCpuOutOfMemory}},
        {"Stop during assembly", false, three,
         stopWhen([](T& t) { return t.m.LineIndex == 2 && t.m.ExecStatus.text() == "Compiling Program..."; }),
         0, "00 0000", "Compiler Error", {Compiler(kUserHaltedCompile)}},
        // The start's own yields come before ErrorFlag is cleared; the Stop still counts.
        {"Stop at the start of the run", false, loop,
         stopWhen([=](T& t) { return executing(t) && t.m.cpu.PC.text() == "0000"; }), 0, "00 0001",
         "CPU Halted by User"},
        {"Stop inside a running loop", false, loop,
         stopWhen([=](T& t) { return executing(t) && t.m.cpu.RegisterC.text() == "10"; }), 0, "00 0010",
         "CPU Halted by User"},
        {"Run and Step refused during a run", false, three,
         [=](T& t) {
             if (!executing(t) || t.hooks++ > 3) return;
             t.Run();
             t.Step();
         },
         0, "03 0000", "Program Finished"},
        {"Run refused while a step waits", true, three, [](T& t) { t.Run(); t.Step(); }, 3, "03 0000",
         "Program Finished"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::function<void()> hook = c.hook ? std::function<void()>([&] { c.hook(*this); }) : nullptr;
        host.onWait = c.step ? hook : nullptr;
        host.onYield = c.step ? nullptr : hook;
        for (int run = 0; run < 2; ++run) {
            Fresh(c.program);
            Poke({{"0000", "3E 09 76"}});
            m.ExecStatus.setText("Idle");
            m.options.Check1_Click(c.check1);
            m.options.Check2_Click(c.check2);
            m.run.ProgramCompiled = c.compiledBefore;
            host.waits = hooks = 0;
            c.step ? Step() : Run();
            const std::string status = c.status;
            EXPECT_EQ(host.waits, c.waits);
            EXPECT_EQ(Registers().substr(0, 7), c.registers);
            EXPECT_EQ(m.ExecStatus.text(), status);
            EXPECT_EQ(m.List3.lines(), RunLog(status, c.step));
            EXPECT_EQ(host.messageTexts(), c.messages);
            EXPECT_EQ(m.run.StepMode, kFalse);
            EXPECT_FALSE(m.run.running);
            EXPECT_TRUE(m.view.runEnabled.get());
            EXPECT_EQ(m.run.ProgramCompiled, c.step ? c.compiledBefore : c.messages.empty() ? kTrue : kFalse);
            const bool compilerMessage = !c.messages.empty() && c.messages[0].starts_with(Compiler(""));
            EXPECT_EQ(sim.source.selected(), compilerMessage ? 2 : -1);  // the line that failed
            EXPECT_EQ(m.Text13.text().ends_with(Log({"Program Aborted: "})), status == "CPU Halted by User");
        }
    }
    host.onYield = nullptr;
    Stop();
    Compile();  // an assembly starts afresh after a Stop
    EXPECT_EQ(m.run.StopRequest, 0);
    EXPECT_EQ(m.ErrorFlag, kFalse);
}

}  // namespace
}  // namespace korvanta
