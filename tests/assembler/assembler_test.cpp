#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "assembler/assembler.h"
#include "sim_fixture.h"

namespace korvanta {
namespace {

using testing::Compiler;
using Lines = std::vector<std::string>;

TEST(RecogniseLine, FourThenThreeCharactersInListOrder)
{
    using K = LineKind;
    const std::tuple<const char*, K::Kind, Routine> cases[] = {
        {"NOPE", K::Instruction, Routine::NOP},     {"MOVE A,B", K::Instruction, Routine::MOV},
        {"STAX B", K::Instruction, Routine::STAX},  {"STA 2000", K::Instruction, Routine::STA},
        {"CALL 2000", K::Instruction, Routine::CALL1}, {"CPI 05", K::Instruction, Routine::CPI},
        {"CP 2000", K::Instruction, Routine::CP},   {"IN 12AB", K::Instruction, Routine::IN1},
        {"JC 2000", K::Instruction, Routine::JC},   {"EI", K::Instruction, Routine::EI},
        {"DI ", K::Instruction, Routine::DI},       {"JC2000", K::Unknown, Routine::Count},
        {"jmp 2000", K::Unknown, Routine::Count},   {"  NOP", K::Unknown, Routine::Count},
        {"", K::Unknown, Routine::Count},           {"!!ORG 2050", K::Origin, Routine::Count},
        {"!!ORANGE", K::Origin, Routine::Count},    {"!! OR", K::Comment, Routine::Count},
        {"!!bkpt", K::Comment, Routine::Count},     {"!!", K::Comment, Routine::Count},
    };
    for (const auto& [line, kind, routine] : cases) {
        LineKind k = RecogniseLine(line);
        EXPECT_EQ(k.kind, kind) << line;
        if (kind == K::Instruction) {
            EXPECT_EQ(k.routine, routine) << line;
        }
    }
    for (int i = 0; i < kRoutineCount; ++i) {  // every routine is reached by its mnemonic
        std::string mnemonic = RoutineName(static_cast<Routine>(i));
        if (mnemonic.back() == '1') mnemonic.pop_back();
        EXPECT_EQ(RecogniseLine(mnemonic + " X").routine, static_cast<Routine>(i)) << mnemonic;
    }
}

class AssemblerTest : public testing::SimFixture {};

TEST_F(AssemblerTest, WholePrograms)
{
    const std::string unmatched = kUnmatchedTags, flawed = Compiler(kFlawedCode);
    const std::string startFailed =
        "Starting the program at memory location \"3000\" is impossible.  Ensure the entered value is a valid "
        "memory location, and that the memory location resides within the currently displayed memory in the "
        "Memory Display window.";
    struct Case {
        const char* name;
        Lines lines;
        const char* start;
        const char* from;  // where the expected bytes begin
        Lines bytes;
        Lines messages;
        const char* defs = "";
        const char* refs = "";
        int selected = -1;     // line highlighted afterwards
        bool noHalt = false;   // Check3 off
        bool noOrigin = false; // Check4 off
    };
    const Case cases[] = {
        {"one line gains a HLT", {"MVI A,05"}, "0000", "0000", {"3E", "05", "76", "00"}, {}},
        {"missing HLT", {"MVI A,05"}, "0000", "0000", {"3E", "05", "00"}, {Compiler(kMissingHalt)}, "", "", -1, true},
        {"NOPE is NOP", {"NOPE", "HLT"}, "0000", "0000", {"00", "76", "00"}, {}},
        {"backward tag", {"MVI B,03", "LOOP: DCR B", "JNZ LOOP", "HLT"}, "0000", "0000",
         {"06", "03", "05", "C2", "02", "00", "76"}, {}, "LOOP0003", "LOOP0005"},
        {"forward tag", {"JMP DONE", "NOP", "DONE: HLT"}, "0000", "0000", {"C3", "04", "00", "00", "76"}, {},
         "DONE0005", "DONE0002"},
        {"first of two definitions wins", {"AAAA: NOP", "AAAA: NOP", "JMP AAAA"}, "0000", "0000",
         {"00", "00", "C3", "00", "00", "76"}, {}, "AAAA0001AAAA0002", "AAAA0004"},
        {"tag on a comment names the next byte", {"NOP", "TOP : !! top", "NOP", "JMP TOP "}, "0000", "0000",
         {"00", "00", "C3", "01", "00", "76"}, {}, "TOP 0002", "TOP 0004"},
        {"digits-only tag is an address", {"1234: NOP", "JMP 1234"}, "0000", "0000", {"00", "C3", "34", "12", "76"},
         {}, "12340001"},
        {"hex address is an unmatched tag", {"JMP 20A0", "JZ BBBB", "CALL LOOP", "LOOP: HLT"}, "0000", "0000",
         {"C3", "**", "**", "CA", "**", "**", "CD", "09", "00", "76"}, {unmatched}, "LOOP0010",
         "20A00002BBBB0005LOOP0008"},
        {"blank inside a tag never matches", {"LP1 : NOP", "JMP LP1"}, "0000", "0000", {"00", "C3", "**", "**", "76"},
         {unmatched}, "LP1 0001", " LP10003"},
        {"comments are skipped", {"!!bkpt", "!![data]", "NOP"}, "0000", "0000", {"00", "76", "00"}, {}},
        {"a tag alone is flawed", {"NOP", "LOOP:"}, "0000", "0000", {"00", "00"}, {flawed}, "LOOP0002", "", 1},
        {"lower case is flawed", {"jmp 2000"}, "0000", "0000", {"00"}, {flawed}, "", "", 0},
        {"unknown word after !!OR", {"!!ORANGE"}, "0000", "0000", {"00"}, {flawed}, "", "", 0},
        {"origin after a byte", {"NOP", "!!ORG 0050", "HLT"}, "0000", "0000", {"00", "00"}, {flawed}, "", "", 1},
        {"origin outside the window", {"!!ORG 3000"}, "0000", "0000", {"00"}, {startFailed, flawed}, "", "", 0},
        {"origin ignored", {"!!ORG 0050", "NOP"}, "0000", "0000", {"00", "76"}, {}, "", "", -1, false, true},
        {"another start address", {"MVI A,05"}, "0100", "0100", {"3E", "05", "76"}, {}},
        {"line ending on row 4095", {"MVI A,05"}, "0FFD", "0FFD", {"3E", "05", "76"}, {}},
        {"line ending on row 4096", {"MVI A,05"}, "0FFE", "0FFD", {"00", "3E", "05"}, {kCompileOutOfMemory}, "", "",
         0},
        {"three bytes from row 4095", {"LXI H,2050"}, "0FFE", "0FFD", {"00", "21", "50"}, {kCompileOutOfMemory}, "",
         "", 0},
        {"tag reference from row 4095", {"JMP LOOP"}, "0FFE", "0FFD", {"00", "C3", "**"}, {kCompileOutOfMemory}, "",
         "LOOP4096", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        sim.source.Clear();
        m.memory.SetupTheMemoryWindow("0");
        m.Text1.setText(c.start);
        m.options.Check3.set(c.noHalt ? 0 : 1);
        m.options.Check4.set(c.noOrigin ? 0 : 1);
        host.messages.clear();
        for (const auto& l : c.lines) sim.source.AppendLine(l);
        Compile();
        EXPECT_EQ(Mem(c.from, static_cast<int>(c.bytes.size())), c.bytes);
        EXPECT_EQ(host.messageTexts(), c.messages);
        EXPECT_EQ(m.ErrorFlag, c.messages.empty() ? kFalse : kTrue);
        EXPECT_EQ(m.assembly.JumpTagDefs, c.defs);
        EXPECT_EQ(m.assembly.JumpTagRefs, c.refs);
        EXPECT_EQ(sim.source.selected(), c.selected);
        EXPECT_EQ(m.window.rowCount(), 4096);
    }
}

TEST_F(AssemblerTest, OriginAndTagsInAnotherWindow)
{
    UseWindow("2");
    Program({"!!ORG 2050", "LOOP: DCR B", "JNZ LOOP"});
    Compile();
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(m.Text1.text(), "2050");
    EXPECT_EQ(Mem("2050", 5), (Lines{"05", "C2", "50", "20", "76"}));
    EXPECT_EQ(m.assembly.JumpTagDefs, "LOOP0081");
    EXPECT_EQ(sim.source.lines().back(), "HLT");

    Compile();  // from 2050 the origin line no longer finds row 1
    EXPECT_EQ(host.messageTexts(), Lines{Compiler(kFlawedCode)});
    EXPECT_EQ(sim.source.selected(), 0);
}

TEST_F(AssemblerTest, StatusLogAndMemoryView)
{
    struct Case {
        const char* name;
        Lines lines;
        const char* start;
        const char* status;
        StatusColour colour;
        const char* log;  // system log with D for the date and time
        bool visible;
        bool sorted;
    };
    const Case cases[] = {
        {"success", {"NOP", "HLT"}, "0000", "Finished Compiling!", StatusColour::Green,
         "Compiling Program: D\r\nFinished Compiling: D\r\n", true, true},
        {"flawed line", {"NOP", "MOVE A,B"}, "0000", "Compiler Error", StatusColour::Red, "Compiling Program: D\r\n",
         true, false},
        {"empty line ends quietly", {"MVI A,05", "", "JMP NOWH"}, "0000", "Compiling Program...",
         StatusColour::Yellow, "Compiling Program: D\r\n", false, false},
        {"invalid start address", {"NOP"}, "1000", "Engine Idle", StatusColour::None, "", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        sim.source.Clear();
        for (const auto& l : c.lines) sim.source.AppendLine(l);
        m.Text1.setText(c.start);
        m.Text13.setText("old text");
        m.SetStatus("Engine Idle", StatusColour::None);
        Compile();
        std::string log = c.log;
        for (auto at = log.find('D'); at != std::string::npos; at = log.find('D', at + 1))
            log.replace(at, 1, host.dateTime);
        EXPECT_EQ(m.Text13.text(), log);
        EXPECT_EQ(m.ExecStatus.text(), c.status);
        EXPECT_EQ(m.statusColour.get(), c.colour);
        EXPECT_EQ(m.view.memoryViewVisible.get(), c.visible);
        EXPECT_EQ(m.view.memorySorted.get(), c.sorted);
    }
    EXPECT_EQ(sim.source.lineCount(), 1);  // nothing was assembled: no HLT appended
}

TEST_F(AssemblerTest, StopDuringAssembly)
{
    Program({"MVI A,01", "MVI A,02", "MVI A,03", "HLT"});
    host.onYield = [&] {
        if (m.LineIndex == 1) Stop();
    };
    Compile();
    EXPECT_EQ(host.messageTexts(), Lines{Compiler(kUserHaltedCompile)});
    EXPECT_EQ(host.messages[0].icon, MsgIcon::Critical);
    EXPECT_EQ(sim.source.selected(), 1);
    EXPECT_EQ(m.ErrorFlag, kTrue);
    EXPECT_EQ(m.ExecStatus.text(), "Compiler Error");
    EXPECT_EQ(Mem("0000", 5), (Lines{"3E", "01", "3E", "02", "00"}));

    host.onYield = nullptr;  // the next assembly starts afresh
    Compile();
    EXPECT_EQ(m.run.StopRequest, 0);
    EXPECT_EQ(m.ErrorFlag, kFalse);
}

}  // namespace
}  // namespace korvanta
