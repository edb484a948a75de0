#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "assembler/assembler.h"
#include "sim_fixture.h"

namespace korvanta {
namespace {

using testing::Compiler;
using Bytes = std::vector<std::string>;

TEST(RecogniseLine, FourThenThreeCharactersInListOrder)
{
    struct Case {
        const char* line;
        LineKind::Kind kind;
        Routine routine;
    };
    const Case cases[] = {
        {"NOPE", LineKind::Instruction, Routine::NOP},  // t4 fails, t3 "NOP"
        {"MOVE A,B", LineKind::Instruction, Routine::MOV},
        {"STAX B", LineKind::Instruction, Routine::STAX},
        {"STA 2000", LineKind::Instruction, Routine::STA},
        {"CALL 2000", LineKind::Instruction, Routine::CALL1},
        {"CPI 05", LineKind::Instruction, Routine::CPI},
        {"CP 2000", LineKind::Instruction, Routine::CP},
        {"SUB B", LineKind::Instruction, Routine::SUB1},
        {"IN 12AB", LineKind::Instruction, Routine::IN1},
        {"JC 2000", LineKind::Instruction, Routine::JC},
        {"JC2000", LineKind::Unknown, Routine::Count},
        {"EI", LineKind::Instruction, Routine::EI},
        {"DI ", LineKind::Instruction, Routine::DI},
        {"jmp 2000", LineKind::Unknown, Routine::Count},
        {"  NOP", LineKind::Unknown, Routine::Count},
        {"", LineKind::Unknown, Routine::Count},
        {"!!ORG 2050", LineKind::Origin, Routine::Count},
        {"!!ORANGE", LineKind::Origin, Routine::Count},
        {"!! OR", LineKind::Comment, Routine::Count},
        {"!!bkpt", LineKind::Comment, Routine::Count},
        {"!![data]", LineKind::Comment, Routine::Count},
        {"!!", LineKind::Comment, Routine::Count},
    };
    for (const auto& c : cases) {
        LineKind k = RecogniseLine(c.line);
        EXPECT_EQ(k.kind, c.kind) << c.line;
        if (c.kind == LineKind::Instruction) EXPECT_EQ(k.routine, c.routine) << c.line;
    }
}

TEST(RecogniseLine, EveryRoutineIsReachedByItsMnemonic)
{
    for (int i = 0; i < kRoutineCount; ++i) {
        auto r = static_cast<Routine>(i);
        std::string mnemonic = RoutineName(r);
        if (mnemonic == "SUB1" || mnemonic == "IN1" || mnemonic == "CALL1") mnemonic.pop_back();
        LineKind k = RecogniseLine(mnemonic + " X");
        EXPECT_EQ(k.kind, LineKind::Instruction) << mnemonic;
        EXPECT_EQ(k.routine, r) << mnemonic;
    }
}

class AssemblerTest : public testing::SimFixture {};

struct ProgramCase {
    const char* name;
    std::vector<std::string> lines;
    const char* startAddress;
    Bytes expected;  // from the start address on
    std::vector<std::string> messages;
    int errorFlag;
    const char* defs;
    const char* refs;
};

TEST_F(AssemblerTest, WholeProgramsAtZero)
{
    const std::string unmatched = kUnmatchedTags;
    const std::string flawed = Compiler(kFlawedCode);
    const ProgramCase cases[] = {
        {"one line gains a HLT", {"MVI A,05"}, "0000", {"3E", "05", "76"}, {}, kFalse, "", ""},
        {"NOPE is NOP", {"NOPE", "HLT"}, "0000", {"00", "76"}, {}, kFalse, "", ""},
        {"backward tag", {"MVI B,03", "LOOP: DCR B", "JNZ LOOP", "HLT"}, "0000",
         {"06", "03", "05", "C2", "02", "00", "76"}, {}, kFalse, "LOOP0003", "LOOP0005"},
        {"forward tag", {"JMP DONE", "NOP", "DONE: HLT"}, "0000", {"C3", "04", "00", "00", "76"}, {}, kFalse,
         "DONE0005", "DONE0002"},
        {"first of two definitions wins", {"AAAA: NOP", "AAAA: NOP", "JMP AAAA", "HLT"}, "0000",
         {"00", "00", "C3", "00", "00", "76"}, {}, kFalse, "AAAA0001AAAA0002", "AAAA0004"},
        {"tag on a comment names the next byte", {"NOP", "TOP : !! loop", "NOP", "JMP TOP "}, "0000",
         {"00", "00", "C3", "01", "00", "76"}, {}, kFalse, "TOP 0002", "TOP 0004"},
        {"digits-only tag is an address", {"1234: NOP", "JMP 1234"}, "0000", {"00", "C3", "34", "12", "76"},
         {}, kFalse, "12340001", ""},
        {"hex address is an unmatched tag", {"JMP 20A0", "HLT"}, "0000", {"C3", "**", "**", "76"}, {unmatched},
         kTrue, "", "20A00002"},
        {"two unmatched tags, one message", {"JMP AAAA", "JZ BBBB", "CALL LOOP", "LOOP: HLT"}, "0000",
         {"C3", "**", "**", "CA", "**", "**", "CD", "09", "00", "76"}, {unmatched}, kTrue, "LOOP0010",
         "AAAA0002BBBB0005LOOP0008"},
        {"blank inside a tag never matches", {"LP1 : NOP", "JMP LP1", "HLT"}, "0000",
         {"00", "C3", "**", "**", "76"}, {unmatched}, kTrue, "LP1 0001", " LP10003"},
        {"comments are skipped", {"!!bkpt", "!![data]", "NOP", "!! end"}, "0000", {"00", "76"}, {}, kFalse, "",
         ""},
        {"a tag alone is flawed", {"NOP", "LOOP:"}, "0000", {"00", "00"}, {flawed}, kTrue, "LOOP0002", ""},
        {"lower case is flawed", {"jmp 2000"}, "0000", {"00"}, {flawed}, kTrue, "", ""},
        {"unknown origin word is flawed", {"!!ORANGE"}, "0000", {"00"}, {flawed}, kTrue, "", ""},
        {"origin after a byte is flawed", {"NOP", "!!ORG 0050", "HLT"}, "0000", {"00", "00"}, {flawed}, kTrue, "",
         ""},
        {"program from another start", {"MVI A,05"}, "0100", {"3E", "05", "76"}, {}, kFalse, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        sim.source.Clear();
        m.memory.SetupTheMemoryWindow("0");
        m.Text1.setText(c.startAddress);
        host.messages.clear();
        for (const auto& l : c.lines) sim.source.AppendLine(l);
        Compile();
        EXPECT_EQ(Mem(c.startAddress, static_cast<int>(c.expected.size()) + 1),
                  [&] { Bytes b = c.expected; b.push_back("00"); return b; }());
        EXPECT_EQ(host.messageTexts(), c.messages);
        EXPECT_EQ(m.ErrorFlag, c.errorFlag);
        EXPECT_EQ(m.assembly.JumpTagDefs, c.defs);
        EXPECT_EQ(m.assembly.JumpTagRefs, c.refs);
    }
}

TEST_F(AssemblerTest, TaggedLoopInAnotherWindow)
{
    UseWindow("2");
    ASSERT_EQ(m.Text1.text(), "2000");
    Program({"LOOP: DCR B", "JNZ LOOP", "HLT"});
    Compile();
    EXPECT_EQ(Mem("2000", 6), (Bytes{"05", "C2", "00", "20", "76", "00"}));
    EXPECT_EQ(m.assembly.JumpTagDefs, "LOOP0001");
    EXPECT_EQ(m.assembly.JumpTagRefs, "LOOP0003");
    EXPECT_EQ(m.ErrorFlag, kFalse);
    EXPECT_TRUE(host.messages.empty());

    // A literal address of decimal digits only is emitted as it stands.
    sim.source.Clear();
    Program({"JMP 2050"});
    Compile();
    EXPECT_EQ(Mem("2000", 4), (Bytes{"C3", "50", "20", "76"}));
}

TEST_F(AssemblerTest, OriginLine)
{
    UseWindow("2");
    Program({"!!ORG 2050", "NOP"});
    Compile();
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(m.Text1.text(), "2050");
    EXPECT_EQ(Mem("2050", 3), (Bytes{"00", "76", "00"}));
    EXPECT_EQ(Mem("2000", 1), Bytes{"00"});

    // From 2050, the same first line no longer finds LocationIndex at row 1.
    Compile();
    EXPECT_EQ(host.messageTexts(), std::vector<std::string>{Compiler(kFlawedCode)});
    EXPECT_EQ(sim.source.selected(), 0);
    EXPECT_EQ(m.ErrorFlag, kTrue);
}

TEST_F(AssemblerTest, OriginLineIgnoredWithoutTheOption)
{
    UseWindow("2");
    m.options.Check4.set(0);
    Program({"!!ORG 2050", "NOP"});
    Compile();
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(m.Text1.text(), "2000");
    EXPECT_EQ(Mem("2000", 2), (Bytes{"00", "76"}));
    EXPECT_EQ(Mem("2051", 1), Bytes{"00"});
}

TEST_F(AssemblerTest, OriginOutsideTheWindow)
{
    Program({"!!ORG 3000", "NOP"});
    Compile();
    ASSERT_EQ(host.messages.size(), 2u);
    EXPECT_NE(host.messages[0].text.find("Starting the program at memory location \"3000\""), std::string::npos);
    EXPECT_EQ(host.messages[1].text, Compiler(kFlawedCode));
    EXPECT_EQ(m.ErrorFlag, kTrue);
}

TEST_F(AssemblerTest, AutomaticHaltOption)
{
    Program({"MVI A,05"});
    Compile();
    EXPECT_EQ(sim.source.lines(), (std::vector<std::string>{"MVI A,05", "HLT"}));
    EXPECT_EQ(m.assembly.HaltAssembled, 1);

    m.memory.SetupTheMemoryWindow("0");
    sim.source.Clear();
    Program({"MVI A,05"});
    m.options.Check3.set(0);
    Compile();
    EXPECT_EQ(host.messageTexts(), std::vector<std::string>{Compiler(kMissingHalt)});
    EXPECT_EQ(host.messages[0].icon, MsgIcon::Critical);
    EXPECT_EQ(host.messages[0].title, "Korvanta");
    EXPECT_EQ(Mem("0000", 3), (Bytes{"3E", "05", "00"}));
    EXPECT_EQ(sim.source.lines(), std::vector<std::string>{"MVI A,05"});
    EXPECT_EQ(sim.source.selected(), -1);
    EXPECT_EQ(m.ErrorFlag, kTrue);
    EXPECT_EQ(m.ExecStatus.text(), "Compiler Error");
    EXPECT_EQ(m.statusColour.get(), StatusColour::Red);
    EXPECT_TRUE(m.view.memoryViewVisible.get());
    EXPECT_FALSE(m.view.memorySorted.get());
}

TEST_F(AssemblerTest, SuccessStatusLogAndView)
{
    m.Text13.setText("old text");
    Program({"NOP", "HLT"});
    std::vector<bool> visibility;
    m.view.memoryViewVisible.changed.connect([&] { visibility.push_back(m.view.memoryViewVisible.get()); });
    Compile();
    EXPECT_EQ(m.ExecStatus.text(), "Finished Compiling!");
    EXPECT_EQ(m.statusColour.get(), StatusColour::Green);
    EXPECT_EQ(m.Text13.text(), "Compiling Program: " + host.dateTime + "\r\nFinished Compiling: " + host.dateTime +
                                   "\r\n");
    EXPECT_EQ(visibility, (std::vector<bool>{false, true}));
    EXPECT_TRUE(m.view.memorySorted.get());
    EXPECT_EQ(m.ErrorFlag, kFalse);
}

TEST_F(AssemblerTest, FlawedLineIsReportedAndHighlighted)
{
    Program({"NOP", "MOVE A,B", "HLT"});
    Compile();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text,
              "Ombrix Korvanta Compiler Message:\n\nThe compiler has reached code that either does not have the "
              "correct number of arguments or is flawed in another way.  Check the highlighted code and try "
              "again.  This is a fatal error.  Compiling must start at line zero again.  (KVNTA:6522)");
    EXPECT_EQ(host.messages[0].icon, MsgIcon::Critical);
    EXPECT_EQ(sim.source.selected(), 1);
    EXPECT_EQ(m.LineIndex, 1);
    EXPECT_EQ(m.ExecStatus.text(), "Compiler Error");
    EXPECT_EQ(m.statusColour.get(), StatusColour::Red);
    EXPECT_EQ(m.Text13.text(), "Compiling Program: " + host.dateTime + "\r\n");
    EXPECT_TRUE(m.view.memoryViewVisible.get());
    EXPECT_FALSE(m.view.memorySorted.get());
    EXPECT_EQ(sim.source.lineCount(), 3);  // no HLT added
}

TEST_F(AssemblerTest, EmptyLineEndsTheProgramQuietly)
{
    Program({"MVI A,05", "", "JMP NOWH"});
    Compile();
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(m.ErrorFlag, kFalse);
    EXPECT_EQ(Mem("0000", 3), (Bytes{"3E", "05", "00"}));
    EXPECT_EQ(sim.source.lineCount(), 3);
    EXPECT_FALSE(m.view.memoryViewVisible.get());
    EXPECT_EQ(m.ExecStatus.text(), "Compiling Program...");
}

TEST_F(AssemblerTest, InvalidStartAddressStopsBeforeAnyLine)
{
    m.Text13.setText("old text");
    m.Text1.setText("1000");
    Program({"NOP"});
    Compile();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_NE(host.messages[0].text.find("\"1000\" is impossible"), std::string::npos);
    EXPECT_EQ(m.ErrorFlag, kTrue);
    EXPECT_EQ(m.ExecStatus.text(), "Engine Idle");
    EXPECT_EQ(m.Text13.text(), "");
    EXPECT_FALSE(m.view.memoryViewVisible.get());
    EXPECT_EQ(sim.source.lineCount(), 1);
}

TEST_F(AssemblerTest, EndOfTheWindow)
{
    struct Case {
        const char* name;
        const char* start;
        const char* line;
        Bytes lastRows;  // rows 4094 to 4096
        bool outOfMemory;
    };
    const Case cases[] = {
        {"line ending on row 4095 leaves room for the HLT", "0FFD", "MVI A,05", {"3E", "05", "76"}, false},
        {"line ending on row 4096", "0FFE", "MVI A,05", {"00", "3E", "05"}, true},
        {"three bytes from row 4095", "0FFE", "LXI H,2050", {"00", "21", "50"}, true},
        {"tag reference from row 4095", "0FFE", "JMP LOOP", {"00", "C3", "**"}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m.memory.SetupTheMemoryWindow("0");
        sim.source.Clear();
        host.messages.clear();
        m.Text1.setText(c.start);
        Program({c.line});
        Compile();
        EXPECT_EQ(Mem("0FFD", 3), c.lastRows);
        EXPECT_EQ(m.window.rowCount(), 4096);
        if (c.outOfMemory) {
            EXPECT_EQ(host.messageTexts(), std::vector<std::string>{kCompileOutOfMemory});
            EXPECT_EQ(m.ErrorFlag, kTrue);
            EXPECT_EQ(sim.source.selected(), 0);
            EXPECT_EQ(m.ExecStatus.text(), "Compiler Error");
            EXPECT_EQ(sim.source.lineCount(), 1);
        } else {
            EXPECT_TRUE(host.messages.empty());
            EXPECT_EQ(m.ErrorFlag, kFalse);
            EXPECT_EQ(m.ExecStatus.text(), "Finished Compiling!");
        }
    }
}

TEST_F(AssemblerTest, StopDuringAssembly)
{
    Program({"MVI A,01", "MVI A,02", "MVI A,03", "HLT"});
    host.onYield = [&] {
        if (m.LineIndex == 1) Stop();
    };
    Compile();
    EXPECT_EQ(host.messageTexts(), std::vector<std::string>{Compiler(kUserHaltedCompile)});
    EXPECT_EQ(sim.source.selected(), 1);
    EXPECT_EQ(m.ErrorFlag, kTrue);
    EXPECT_EQ(m.run.StopRequest, 2);
    EXPECT_EQ(m.ExecStatus.text(), "Compiler Error");
    EXPECT_EQ(m.statusColour.get(), StatusColour::Red);
    EXPECT_EQ(Mem("0000", 5), (Bytes{"3E", "01", "3E", "02", "00"}));

    // The next assembly starts afresh.
    host.onYield = nullptr;
    host.messages.clear();
    Compile();
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(m.run.StopRequest, 0);
    EXPECT_EQ(m.ErrorFlag, kFalse);
}

}  // namespace
}  // namespace korvanta
