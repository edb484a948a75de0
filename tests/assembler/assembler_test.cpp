#include <string>
#include <tuple>

#include "assembler/assembler.h"
#include "sim_fixture.h"

namespace korvanta {
namespace {

using namespace testing;

TEST(RecogniseLine, FourThenThreeCharactersInListOrder)
{
    using K = LineKind;
    using R = Routine;
    constexpr auto I = K::Instruction, U = K::Unknown, O = K::Origin, C = K::Comment;
    const std::tuple<const char*, K::Kind, R> cases[] = {
        {"NOPE", I, R::NOP},           {"MOVE A,B", I, R::MOV},    {"STAX B", I, R::STAX},
        {"STA 2000", I, R::STA},       {"CALL 2000", I, R::CALL1}, {"CPI 05", I, R::CPI},
        {"CP 2000", I, R::CP},         {"IN 12AB", I, R::IN1},     {"JC 2000", I, R::JC},
        {"EI", I, R::EI},              {"DI ", I, R::DI},          {"JC2000", U, R::Count},
        {"jmp 2000", U, R::Count},     {"  NOP", U, R::Count},     {"", U, R::Count},
        {"!!ORG 2050", O, R::Count},   {"!!ORANGE", O, R::Count},  {"!! OR", C, R::Count},
        {"!!bkpt", C, R::Count},       {"!!", C, R::Count},
    };
    for (const auto& [line, kind, routine] : cases) {
        EXPECT_EQ(RecogniseLine(line).kind, kind) << line;
        EXPECT_EQ(RecogniseLine(line).routine, routine) << line;
    }
    for (int i = 0; i < kRoutineCount; ++i) {  // every routine is reached by its mnemonic
        std::string mnemonic = RoutineName(static_cast<R>(i));
        if (mnemonic.back() == '1') mnemonic.pop_back();
        EXPECT_EQ(RecogniseLine(mnemonic + " X").routine, static_cast<R>(i)) << mnemonic;
    }
}

class AssemblerTest : public SimFixture {};

// The status decides the rest: colour, system log and memory view.
constexpr const char* kDone = "Finished Compiling!";
constexpr const char* kFailed = "Compiler Error";
constexpr const char* kQuiet = "Compiling Program...";  // an empty line ended the program

TEST_F(AssemblerTest, WholePrograms)
{
    const std::string flawed = Compiler(kFlawedCode), full = kCompileOutOfMemory, tags = kUnmatchedTags;
    struct Case {
        const char* name;
        const char* program;
        const char* start;
        const char* bytes;  // from the start address as it is afterwards
        Lines messages;
        const char* status;
        int selected = -1;      // line highlighted afterwards
        const char* setup = "";  // H: no automatic HLT, O: "!!ORG" ignored, 2: window 2000-2FFF, T: twice
    };
    const Case cases[] = {
        {"one line gains a HLT", "MVI A,05", "0000", "3E 05 76 00", {}, kDone},
        {"missing HLT", "MVI A,05", "0000", "3E 05 00", {Compiler(kMissingHalt)}, kFailed, -1, "H"},
        {"backward tag", "MVI B,03|LOOP: DCR B|JNZ LOOP|HLT", "0000", "06 03 05 C2 02 00 76", {}, kDone},
        {"forward tag", "JMP DONE|NOP|DONE: HLT", "0000", "C3 04 00 00 76", {}, kDone},
        {"first definition wins", "NOP|AAAA: NOP|AAAA: NOP|JMP AAAA", "0000", "00 00 00 C3 01 00 76", {},
         kDone},
        {"tag on a comment line", "NOP|TOP : !! top|NOP|JMP TOP ", "0000", "00 00 C3 01 00 76", {}, kDone},
        {"digits-only tag is an address", "1234: NOP|JMP 1234", "0000", "00 C3 34 12 76", {}, kDone},
        {"unmatched tags: one message", "JMP 20A0|JZ BBBB|CALL LOOP|LOOP: HLT", "0000",
         "C3 ** ** CA ** ** CD 09 00 76", {tags}, kDone},
        {"lower case is flawed", "jmp 2000", "0000", "00", {flawed}, kFailed, 0},
        {"unknown word after !!OR", "!!ORANGE", "0000", "00", {flawed}, kFailed, 0},
        {"empty line ends the program", "MVI A,05||JMP NOWH", "0000", "3E 05 00", {}, kQuiet},
        {"origin after a byte", "NOP|!!ORG 0050|HLT", "0000", "00 00", {flawed}, kFailed, 1},
        {"origin ignored", "!!ORG 0050|NOP", "0000", "00 76", {}, kDone, -1, "O"},
        {"origin and tags in another window", "!!ORG 2050|LOOP: DCR B|JNZ LOOP|JMP ENDS|ENDS: HLT", "2000",
         "05 C2 50 20 C3 57 20 76 00", {}, kDone, -1, "2"},
        // The start address is now 0050: the origin line no longer finds row 1.
        {"second assembly after an origin", "!!ORG 0050|NOP", "0000", "00 76", {flawed}, kFailed, 0, "T"},
        {"line ending on row 4095", "MVI A,05", "0FFD", "3E 05 76", {}, kDone},
        {"line ending on row 4096", "MVI A,05", "0FFE", "3E 05", {full}, kFailed, 0},
        {"three bytes from row 4095", "LXI H,2050", "0FFE", "21 50", {full}, kFailed, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto has = [&c](char flag) { return std::string(c.setup).find(flag) != std::string::npos; };
        Fresh(c.program, c.start, has('2') ? "2" : "0");
        m.options.Check3.set(has('H') ? 0 : 1);
        m.options.Check4.set(has('O') ? 0 : 1);
        m.Text13.setText("old text");
        for (int n = has('T') ? 0 : 1; n < 2; ++n) Compile();
        const std::string status = c.status;
        const bool done = status == kDone;
        EXPECT_EQ(Mem(m.Text1.text(), c.bytes), c.bytes);
        EXPECT_EQ(m.window.rowCount(), 4096);  // nothing written outside
        EXPECT_EQ(host.messageTexts(), c.messages);
        EXPECT_EQ(m.ErrorFlag, c.messages.empty() ? kFalse : kTrue);
        EXPECT_EQ(sim.source.selected(), c.selected);
        EXPECT_EQ(m.ExecStatus.text(), status);
        EXPECT_EQ(m.statusColour.get(), done ? StatusColour::Green
                                        : status == kFailed ? StatusColour::Red : StatusColour::Yellow);
        EXPECT_EQ(m.Text13.text(), Log(done ? Lines{"Compiling Program: ", "Finished Compiling: "}
                                            : Lines{"Compiling Program: "}));
        EXPECT_EQ(m.view.memoryViewVisible.get(), status != kQuiet);
        EXPECT_EQ(m.view.memorySorted.get(), done);
        EXPECT_TRUE(!done || Program().ends_with("HLT"));
    }
}

// Typing, Add, Delete and the other changes to the code list; what they mark stale or unsaved.
TEST_F(AssemblerTest, CodeList)
{
    int focused = 0;
    m.view.focusRequested.connect([&](FocusTarget t) { focused += t == FocusTarget::EnterCode; });
    struct Case {
        const char* name;
        const char* program;
        int select;
        const char* act;  // k: keys (Enter adds), -: Delete, #n: click line n, @: start address, >: append
        const char* after;
        int selectedAfter, compiled, saved, focus;
        const char* field = "";  // the entry field afterwards
        const char* message = nullptr;
    };
    const Case cases[] = {
        {"key filter", "A", -1, "k*?lp1: !!x.y mov a,b\t\x7f{~X\b", "A", -1, kTrue, kFalse, 0,
         "LP1: !!X.Y MOV A,B"},
        {"add trims", "", -1, "k   nop   \r", "NOP", 0, kFalse, kFalse, 1},
        {"add blanks only: an empty line", "A", -1, "k   \r", "A|", 1, kFalse, kFalse, 1},
        {"add after the selection", "A|B|C", 0, "kX\r", "A|X|B|C", 1, kFalse, kFalse, 1},
        {"add with nothing selected", "A|B", -1, "kX\r", "A|B|X", 2, kFalse, kFalse, 1},
        {"add an empty field", "A", -1, "k\r", "A", -1, kTrue, kTrue, 0, "",
         "Please enter ASM code in the blank."},
        {"delete the first of three", "A|B|C", 0, "-", "B|C", 0, kFalse, kFalse, 1},
        {"delete the last of three", "A|B|C", 2, "-", "A|B", 1, kFalse, kFalse, 1},
        {"delete the only line", "A", 0, "-", "", -1, kTrue, kFalse, 0},
        {"delete with nothing selected", "A", -1, "-", "A", -1, kTrue, kFalse, 0, "",
         "Please choose a line to delete."},
        {"click a line", "A|B", -1, "#1", "A|B", 1, kFalse, kTrue, 0},
        {"edit the start address", "A", -1, "@0100", "A", -1, kFalse, kFalse, 0},
        {"append a line by program", "A", -1, ">HLT", "A|HLT", -1, kTrue, kTrue, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Fresh(c.program);
        if (c.select >= 0) sim.source.List2_Click(c.select);
        sim.source.EnterCode.setText("");
        m.run.ProgramCompiled = kTrue;
        m.document.DocumentSaved = kTrue;
        focused = 0;
        const std::string act = c.act, arg = act.substr(1);
        for (char k : act[0] == 'k' ? arg : "") sim.source.EnterCode_KeyPress(k);
        if (act[0] == '-') sim.source.Command2_Click();
        if (act[0] == '#') sim.source.List2_Click(std::stoi(arg));
        if (act[0] == '@') m.Text1.setText(arg);
        if (act[0] == '>') sim.source.AppendLine(arg);
        EXPECT_EQ(Program(), c.after);
        EXPECT_EQ(sim.source.selected(), c.selectedAfter);
        EXPECT_EQ(m.run.ProgramCompiled, c.compiled);
        EXPECT_EQ(m.document.DocumentSaved, c.saved);
        EXPECT_EQ(focused, c.focus);
        EXPECT_EQ(sim.source.EnterCode.text(), c.field);
        EXPECT_EQ(host.messageTexts(), c.message ? Lines{c.message} : Lines{});
    }
    EXPECT_EQ(ProgramSource::Text1KeyFilter('a'), 'A');
    EXPECT_EQ(ProgramSource::Text1KeyFilter('*'), '*');
}

// The messages are the program's own words, misspellings included; the other
// tests use the constants, so these rows pin the texts themselves.
TEST_F(SimFixture, MessagesReadWordForWord)
{
    const std::string prefix = "Ombrix Korvanta Compiler Message:\n\n";
    const struct {
        const char* program;
        const char* start;
        std::string message;
    } cases[] = {
        {"MOV A", "0000",
         prefix + "The compiler has reached code that either does not have the correct number of arguments or "
                  "is flawed in another way.  Check the highlighted code and try again.  This is a fatal error.  "
                  "Compiling must start at line zero again.  (KVNTA:6522)"},
        {"JMP AAAA|HLT", "0000",
         "Ombrix Korvanta could not match up all jump tags.  Check tags and try agian,"},
        {"LXI H,2050", "0FFE",
         "The simulated CPU is out a memory to store your ASM code.  Set the start of the program earlier or "
         "decrease the size of your program."},
        {"LOOP: JMP LOOP", "0000",
         "Ombrix Korvanta CPU Error\r\n\r\nThe simulated CPU is out of available memory.  This may have "
         "occurred because of damage to the compiled ASM code, a continuous loop, or a program that is larger "
         "than 65 KB.  Check your ASM, recompile the program, and try again.  This is a fatal error."},
        {"", "0000", "You must enter valid ASM code into the blank before running your program!"},
    };
    for (const auto& c : cases) {
        Fresh(c.program, c.start);
        if (!*c.program) sim.source.Clear();
        Run();
        ASSERT_EQ(host.messages.size(), 1u) << c.program;
        EXPECT_EQ(host.messages[0].text, c.message) << c.program;
        EXPECT_EQ(host.messages[0].title, "Korvanta");
        EXPECT_EQ(host.messages[0].icon, MsgIcon::Critical);
    }
    Fresh("MVI A,05");
    m.options.Check3.set(0);
    Compile();
    EXPECT_EQ(host.messageTexts(),
              Lines{prefix + "The compilier has reached the end of the code, but no \"HLT\" command exists.  Add "
                             "this command and compile again.  This is a fatal error.  Compiling must start at "
                             "line zero again.  (KVNTA:6523)"});
}

}  // namespace
}  // namespace korvanta
