// The learning aids in the core, in both modes: breakpoints on lines and addresses stop a Run and let
// Step and Run go on; run to line; step back puts every observable value back exactly; traces and the
// listing say what each instruction did and where each line went.

#include <functional>
#include <map>
#include <string>

#include "assembler/sim_fixture.h"
#include "engine/full_trace.h"
#include "engine/listing.h"

namespace korvanta {
namespace {

using namespace testing;

class RunAidsTest : public SimFixture, public ::testing::WithParamInterface<bool> {
public:
    bool full() const { return GetParam(); }
    void Load(const std::string& program)
    {
        Fresh(program);
        m.options.Full8085.set(full() ? 1 : 0);
        sim.breakpoints.clear();
        sim.setHistoryEnabled(true);
    }
    // Everything a learner sees of the machine, in one text.
    std::string Picture() const
    {
        std::string p = Registers() + " " + m.cpu.SP.text() + " " + m.cpu.PC.text() + " " + m.cpu.Text2.text() + " ";
        for (int bit = 7; bit >= 0; --bit) p += m.cpu.flagBit(bit).text();
        p += " " + m.ExecStatus.text() + " " + std::to_string(m.run.executed.get()) + " " +
             std::to_string(m.full.tStates.get()) + " " + std::to_string(m.full.outputs().size()) + " |";
        for (int n = 1; n <= m.window.rowCount(); ++n) {
            if (m.window.data(n) != "00") p += " " + m.window.address(n) + "=" + m.window.data(n);
        }
        p += " |";
        for (const std::string& line : m.List3.lines()) p += " " + line + ";";
        return p;
    }
    // Runs the actions one per wait of a stepping or breakpoint-stopped run, then Steps until it ends.
    void OnWaits(std::vector<std::function<void()>> actions)
    {
        auto queue = std::make_shared<std::vector<std::function<void()>>>(std::move(actions));
        auto at = std::make_shared<std::size_t>(0);
        host.onWait = [this, queue, at] {
            if (*at < queue->size()) (*queue)[(*at)++]();
            else Step();
        };
    }
};

INSTANTIATE_TEST_SUITE_P(Modes, RunAidsTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Full" : "Classic"; });

TEST_P(RunAidsTest, BreakpointsFollowTheirLines)
{
    Load("NOP|NOP|NOP");
    sim.breakpoints.setLine(1, true);
    sim.breakpoints.setLine(2, true);
    sim.source.SelectLine(0);
    sim.source.EnterCode.setText("MVI A,01");
    sim.source.Command1_Click();  // inserted as line 1: the breakpoints move down
    EXPECT_EQ(sim.breakpoints.lines(), (std::set<int>{2, 3}));
    sim.source.SelectLine(2);
    sim.source.Command2_Click();  // the line with a breakpoint goes, and its breakpoint with it
    EXPECT_EQ(sim.breakpoints.lines(), (std::set<int>{2}));
    EXPECT_EQ(m.run.ProgramCompiled, kFalse);  // toggling is no selection; these edits were
    sim.source.Clear();
    EXPECT_TRUE(sim.breakpoints.lines().empty());
}

TEST_P(RunAidsTest, ARunStopsAtBreakpointsAndGoesOn)
{
    // 0000 MVI A,01 / 0002 INR A / 0003 INR A / 0004 STA 0100 / 0007 INR A / 0008 HLT
    Load("MVI A,01|INR A|INR A|STA 0100|INR A|HLT");
    sim.breakpoints.setLine(2, true);          // INR A at 0003
    sim.breakpoints.setAddress(0x0007, true);  // the last INR A
    std::vector<std::string> stops;
    m.events.breakpointHit.connect([&](int address) { stops.push_back(std::to_string(address)); });
    std::vector<std::string> seen;
    OnWaits({
        [&] {
            seen.push_back(m.cpu.RegisterA.text() + "@" + Mem("0100", "00"));
            Step();  // one instruction: the INR at 0003
        },
        [&] {
            seen.push_back(m.cpu.RegisterA.text());
            Run();  // on to the next breakpoint
        },
        [&] {
            seen.push_back(m.cpu.RegisterA.text() + "@" + Mem("0100", "00"));
            Run();  // and to the end
        },
    });
    Run();
    EXPECT_EQ(stops, (std::vector<std::string>{"3", "7"}));
    EXPECT_EQ(seen, (std::vector<std::string>{"02@00", "03", "03@03"}));
    EXPECT_EQ(m.ExecStatus.text(), "Program Finished");
    EXPECT_EQ(m.cpu.RegisterA.text(), "04");
    EXPECT_FALSE(m.run.resumable);
    EXPECT_EQ(sim.source.selected(), -1);  // no aid selects a line
}

TEST_P(RunAidsTest, StopEndsARunWaitingAtABreakpoint)
{
    Load("LOOP: INR A|JMP LOOP");
    sim.breakpoints.setLine(1, true);
    OnWaits({[&] { Stop(); }});
    Run();
    EXPECT_EQ(m.ExecStatus.text(), "CPU Halted by User");
    EXPECT_EQ(m.cpu.RegisterA.text(), "01");  // the stop is seen after the instruction in progress
}

TEST_P(RunAidsTest, RunToLine)
{
    Load("MVI B,03|LOOP: DCR B|JNZ LOOP|MVI A,77|HLT");
    std::string at;
    OnWaits({[&] {
        at = Registers();
        Run();
    }});
    sim.runControl.RunToLine(3);  // assembles first, then stops before MVI A,77
    EXPECT_EQ(at, "00 0000 0000 0000");
    EXPECT_EQ(m.ExecStatus.text(), "Program Finished");
    EXPECT_EQ(m.cpu.RegisterA.text(), "77");
    EXPECT_FALSE(sim.breakpoints.temporaryLine().has_value());
}

TEST_P(RunAidsTest, StepBackPutsEveryValueBack)
{
    // A memory write, a stack operation, flags and (in Full 8085 mode) a port and T-states.
    const char* program = full() ? "LXI SP,0800|MVI A,0F|ADI 01|STA 0100|PUSH PSW|OUT 21|POP B|HLT"
                                 : "LXI SP,0800|MVI A,0F|ADI 01|STA 0100|PUSH PSW|POP B|HLT";
    Load(program);
    std::vector<std::string> pictures;  // before each instruction
    std::vector<std::string> back;
    const int instructions = full() ? 7 : 6;
    std::vector<std::function<void()>> actions;
    for (int i = 1; i < instructions; ++i)
        actions.push_back([&] {
            pictures.push_back(Picture());
            Step();
        });
    // Waiting before the HLT: go back to the start one step at a time.
    for (int i = 1; i < instructions; ++i)
        actions.push_back([&] {
            back.push_back(Picture());
            ASSERT_TRUE(sim.runControl.StepBack());
        });
    actions.push_back([&] {
        back.push_back(Picture());
        EXPECT_TRUE(sim.runControl.StepBack());   // before the first instruction
        EXPECT_FALSE(sim.runControl.StepBack());  // and nothing before that
    });
    OnWaits(actions);
    Step();
    ASSERT_EQ(pictures.size(), static_cast<std::size_t>(instructions - 1));
    ASSERT_EQ(back.size(), static_cast<std::size_t>(instructions));
    // Going back visits the pictures in reverse; the first wait came after the first instruction.
    for (int i = 1; i < instructions; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(back[static_cast<std::size_t>(i)], pictures[static_cast<std::size_t>(instructions - 1 - i)]);
    }
    EXPECT_EQ(m.ExecStatus.text(), "Program Finished");
}

TEST_P(RunAidsTest, StepBackAfterTheEndTakesTheRunUpAgain)
{
    Load("MVI A,01|INR A|STA 0100|HLT");
    Run();
    const std::string finished = Picture();
    EXPECT_EQ(Mem("0100", "02"), "02");
    std::string before;
    OnWaits({[&] {
        before = Picture();
        Run();  // the run goes on from where step back left it
    }});
    ASSERT_TRUE(sim.runControl.StepBack());
    // Back before the HLT: running, STA done, the end lines gone.
    EXPECT_NE(before.find("Executing Program..."), std::string::npos) << before;
    EXPECT_NE(before.find("0100=02"), std::string::npos) << before;
    EXPECT_EQ(before.find("CPU Idle"), std::string::npos) << before;
    EXPECT_EQ(Picture(), finished);
}

TEST_P(RunAidsTest, EditsAfterTheEndForgetTheHistory)
{
    Load("MVI A,01|HLT");
    Run();
    EXPECT_TRUE(sim.history.canStepBack());
    m.cpu.RegisterB.setText("33");
    EXPECT_FALSE(sim.history.canStepBack());
    EXPECT_FALSE(sim.runControl.StepBack());
}

TEST_P(RunAidsTest, TracesNameWhatEachInstructionChanged)
{
    Load("LXI SP,0800|MVI A,0F|ADI 01|STA 0100|PUSH B|JMP DONE|NOP|DONE: HLT");
    Trace trace(100);
    ClassicTrace classic(m, trace);
    FullTrace native(trace);
    sim.executor.addObserver(&classic);
    sim.fullExecutor.setTrace(&native);
    Run();
    sim.executor.removeObserver(&classic);
    sim.fullExecutor.setTrace(nullptr);
    // 0F + 01 = 10: AC from bit 3, one 1 in 10, odd parity.
    const std::vector<std::pair<std::string, std::vector<std::pair<std::string, std::string>>>> expected = {
        {"LXI SP,0800", {{"SP", "0800"}}},
        {"MVI A,0F", {{"A", "0F"}}},
        {"ADI 01", {{"A", "10"}, {"FLAGS", "10"}}},
        {"STA 0100", {{"M0100", "10"}}},
        {"PUSH B", {{"SP", "07FE"}, {"M07FE", "00"}, {"M07FF", "00"}}},
        {"JMP 000F", {{"PC", "000F"}}},
        {"HLT", {}},
    };
    ASSERT_EQ(trace.entries().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(expected[i].first);
        EXPECT_EQ(trace.entries()[i].text, expected[i].first);
        EXPECT_EQ(trace.entries()[i].changes, expected[i].second);
    }
    EXPECT_EQ(trace.entries()[3].address, "0007");
    EXPECT_EQ(trace.entries()[3].bytes, (std::vector<std::string>{"32", "00", "01"}));
}

TEST_P(RunAidsTest, ListingShowsWhereEachLineWent)
{
    Load("LOOP: MVI B,07|!! count down|DCR B|JNZ LOOP");
    Compile();
    const std::vector<ListingLine> listing = BuildListing(m, sim.source);
    ASSERT_EQ(listing.size(), 5u);  // with the HLT the assembler added
    EXPECT_EQ(listing[0].address.value_or("-"), "0000");
    EXPECT_EQ(listing[0].bytes, (std::vector<std::string>{"06", "07"}));
    EXPECT_FALSE(listing[1].address.has_value());
    EXPECT_EQ(listing[3].bytes, (std::vector<std::string>{"C2", "00", "00"}));
    EXPECT_EQ(listing[4].text, "HLT");
    EXPECT_EQ(listing[4].address.value_or("-"), "0006");
    EXPECT_EQ(listing[3].tStates, full() ? "7/10" : "");
    EXPECT_EQ(sim.breakpoints.lineAt(0x0003), 3);
    EXPECT_EQ(sim.breakpoints.addressOfLine(1), 2);  // a comment names the next byte
}

}  // namespace
}  // namespace korvanta
