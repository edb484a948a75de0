#include <set>
#include <string>

#include "assembler/sim_fixture.h"
#include "engine/decode_table.h"

namespace korvanta {
namespace {

using namespace testing;

TEST(DecodeTable, OrderedFirstMatchAndTheTenUndefinedOpcodes)
{
    const auto& rows = DecodeRows();
    std::set<std::string> unmatched;
    for (int v = 0; v < 256; ++v) {
        std::string bits;
        for (int b = 7; b >= 0; --b) bits += ((v >> b) & 1) ? '1' : '0';
        const DecodeRow* expected = nullptr;
        for (std::size_t i = 1; i < rows.size() && !expected; ++i) {
            if (MatchesPattern(rows[i].pattern, bits)) expected = &rows[i];
        }
        EXPECT_EQ(DecodeOpcode(bits), expected) << bits;
        if (!expected) unmatched.insert(bits);
    }
    EXPECT_EQ(unmatched, (std::set<std::string>{"00001000", "00010000", "00011000", "00101000", "00111000",
                                                "11001011", "11011001", "11011101", "11101101", "11111101"}));

    // First match where patterns overlap.
    const std::pair<const char*, const char*> cases[] = {
        {"00110110", "MVI"},  {"00110001", "LXI"},  {"11111011", "EI"},   {"11000111", "RST"},
        {"11111111", "RST"},  {"11110101", "PUSH"}, {"11110001", "POP"},  {"00110101", "DCR"},
        {"00111001", "DAD"},  {"10010110", "SUB"},  {"00100111", "DAA"},  {"01111000", "MOV"},
        {"01110110", "MOV"},  // HLT is the executor's own test, made before the table
        {"00ab0001", "LXI"},  {"0011", "none"},     {"0x000000", "none"},
    };
    for (const auto& [bits, instruction] : cases) {
        const DecodeRow* row = DecodeOpcode(bits);
        EXPECT_EQ(row ? std::string(row->instruction) : "none", instruction) << bits;
    }
}

class ExecutorTest : public SimFixture {};

TEST_F(ExecutorTest, WholeProgramsAndTheirEnds)
{
    struct Case {
        const char* name;
        const char* program;  // none: the memory as poked runs without assembling
        Bytes pokes;
        const char* start;
        const char* state;  // A BC DE HL SP PC flags
        const char* status;
        Lines notes = {};  // program log between its start and its end
        Bytes memory = {};
    };
    const Case cases[] = {
        {"counting loop with JNZ and a tag", "MVI B,05|MVI A,00|LOOP: INR A|DCR B|JNZ LOOP|HLT", {}, "0000",
         "05 0000 0000 0000 0BBB 000A 44", "Program Finished"},
        {"multiplication by addition", "MVI A,00|MVI B,03|MVI C,04|LOOP: ADD B|DCR C|JNZ LOOP|HLT", {},
         "0000", "0C 0300 0000 0000 0BBB 000C 44", "Program Finished"},
        {"block copy with LDAX, STAX and INX",
         "LXI B,0100|LXI D,0200|MVI L,03|LOOP: LDAX B|STAX D|INX B|INX D|DCR L|JNZ LOOP",
         {{"0100", "11 22 33"}}, "0000", "33 0103 0203 0000 0BBB 0011 44", "Program Finished", {},
         {{"0200", "11 22 33 00"}}},
        {"subroutine with CALL and RET", "CALL SUBR|HLT|SUBR: MVI A,07|RET", {}, "0000",
         "07 0000 0000 0000 0BBB 0004 00", "Program Finished"},
        // After the CALL row: a return left pending there would be taken here.
        {"RET with nothing pending", "RET", {}, "0000", "00 0000 0000 0000 0BBB 0001 00", "CPU Error"},
        {"PUSH then POP through the stack", "LXI SP,0FF0|MVI B,12|MVI C,34|PUSH B|POP D|HLT", {}, "0000",
         "00 1234 1234 0000 0FF0 000A 00", "Program Finished", {}, {{"0FEE", "34 12"}}},
        {"unsupported instruction skips its immediate", "MVI A,5A|ANI 0F|HLT", {}, "0000",
         "5A 0000 0000 0000 0BBB 0005 00", "Program Finished",
         {"Unsupported Command ANI Ignored", "This command will someday by supported"}},
        {"undefined opcode", "", {{"0000", "00 08"}}, "0000", "00 0000 0000 0000 0BBB 0002 00", "CPU Error"},
        // 4097 instructions: INX ran 2049 times.
        {"endless loop", "LOOP: INX B|JMP LOOP", {}, "0000", "00 0801 0000 0000 0BBB 0001 00",
         "Memory Error"},
        {"NOP field up to row 4096", "", {}, "0000", "00 0000 0000 0000 0BBB 0FFF 00", "Memory Error"},
        {"MVI on the last two rows", "", {{"0FFE", "3E 05"}}, "0FFE", "05 0000 0000 0000 0BBB 0FFF 00",
         "Memory Error"},
        {"jump to the last row", "", {{"0000", "C3 FF 0F"}, {"0FFF", "3C"}}, "0000",
         "00 0000 0000 0000 0BBB 0001 00", "Memory Error"},
        // No row follows for PC: the run ends before the last row is fetched.
        {"run starting on the last row", "", {{"0FFF", "3C"}}, "0FFF", "00 0000 0000 0000 0BBB 0000 00",
         "Memory Error"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const bool assembled = *c.program != '\0';
        Fresh(assembled ? c.program : "NOP", c.start);
        m.view.selectedMemoryRow.set(0);
        Poke(c.pokes);
        m.options.Check2_Click(assembled ? 0 : 1);
        Stop();  // given while nothing runs, it must not count for this run
        Run();
        const std::string status = c.status, pc = m.cpu.PC.text();
        const bool halted = status == "Program Finished";
        EXPECT_EQ(Registers() + " " + m.cpu.SP.text() + " " + pc + " " + m.cpu.Text2.text(), c.state);
        EXPECT_EQ(m.ExecStatus.text(), status);
        EXPECT_EQ(m.statusColour.get(), halted ? StatusColour::Green : StatusColour::Red);
        EXPECT_EQ(m.List3.lines(), RunLog(status, false, c.notes));
        EXPECT_EQ(host.messageTexts(), status == "Memory Error" ? Lines{kCpuOutOfMemory} : Lines{});
        for (const auto& shown : host.messages) EXPECT_EQ(shown.icon, MsgIcon::Critical);
        for (const auto& [address, bytes] : c.memory) EXPECT_EQ(Mem(address, bytes), bytes);
        // The row last fetched stays selected; a HLT clears the selection.
        EXPECT_EQ(m.view.selectedMemoryRow.get(), halted ? 0 : std::stoi(pc, nullptr, 16));
        EXPECT_EQ(m.ErrorFlag, halted ? kFalse : kTrue);
        Lines system = {"Executing Program: "};
        if (status != "Memory Error") system.push_back(halted ? "Finished Executing: " : "Critical Error: ");
        EXPECT_TRUE(m.Text13.text().ends_with(Log(system)));
    }
}

}  // namespace
}  // namespace korvanta
