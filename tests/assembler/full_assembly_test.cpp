// Assembling in Full 8085 mode: the forms the real chip has (IN/OUT with a byte port, all eight RST),
// jump operands that are tags when defined and addresses otherwise, the layout directives and the
// origin rules; and that the classic mode keeps its own rules for the same lines.

#include <string>

#include "assembler/sim_fixture.h"

namespace korvanta {
namespace {

using namespace testing;

class FullAssemblyTest : public SimFixture {
public:
    // Assembles in the given mode; returns "" on success or the first message.
    std::string Assemble(const std::string& program, bool full, const Bytes& before = {})
    {
        Fresh(program);
        m.options.Full8085.set(full ? 1 : 0);
        Poke(before);
        Compile();
        return host.messages.empty() ? std::string() : host.messages.front().text;
    }
};

const std::string kFlawed = Compiler(kFlawedCode);

TEST_F(FullAssemblyTest, FormsAndTheirBytesInBothModes)
{
    struct Case {
        const char* name;
        const char* program;
        bool full;
        const char* bytes;  // from 0000, "" when the assembly fails
        std::string message = "";
    };
    const Case cases[] = {
        {"byte ports", "IN 20|OUT 21|HLT", true, "DB 20 D3 21 76"},
        {"classic ports are two bytes", "IN 0020|OUT 0021|HLT", false, "DB 20 00 D3 21 00 76"},
        {"a classic port is refused in Full mode", "IN 0020|HLT", true, "", kFlawed},
        {"all restarts", "RST 0|RST 3|RST 5|RST 7|HLT", true, "C7 DF EF FF 76"},
        {"classic knows RST 5 to 7 only", "RST 3|HLT", false, "", kFlawed},
        {"untagged hex address", "JMP 20A0|CNZ 0FFF|HLT", true, "C3 A0 20 C4 FF 0F 76"},
        {"classic takes 20A0 for a tag", "JMP 20A0|HLT", false, "", kUnmatchedTags},
        // A defined tag wins over the address it looks like; the classic mode takes digits as an address.
        {"a tag named like an address", "2050: NOP|JMP 2050|HLT", true, "00 C3 00 00 76"},
        {"classic: digits are an address", "2050: NOP|JMP 2050|HLT", false, "00 C3 50 20 76"},
        {"neither tag nor address", "JMP LOO|HLT", true, "", kUnmatchedTags},
        {"bytes and words", "!!DB 01,02,FF|!!DW 1234,ABCD|HLT", true, "01 02 FF 34 12 CD AB 76"},
        {"blanks around items", "!!DB 0A , 0B|HLT", true, "0A 0B 76"},
        {"a bad item emits nothing", "!!DB 01,G2|HLT", true, "", kFlawed},
        {"a byte needs two digits", "!!DW 123|HLT", true, "", kFlawed},
        {"directive word without a blank is a comment", "!!DBG 01|HLT", true, "76"},
        {"directives are comments in classic mode", "!!DB 01|HLT", false, "76"},
        {"an immediate must be hex in Full mode", "MVI A,G7|HLT", true, "", kFlawed},
        {"classic stores any immediate", "MVI A,G7|HLT", false, "3E G7 76"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Assemble(c.program, c.full), c.message);
        if (c.message.empty()) {
            EXPECT_EQ(Mem("0000", c.bytes), c.bytes);
        }
    }
}

TEST_F(FullAssemblyTest, SpaceLeavesRowsAsTheyAre)
{
    EXPECT_EQ(Assemble("!!DS 0003|MVI A,01|HLT", true, {{"0000", "11 22 33"}}), "");
    EXPECT_EQ(Mem("0000", "11 22 33 3E 01 76"), "11 22 33 3E 01 76");
    // A reservation that runs past the window's last row is out of memory, as any line is.
    EXPECT_EQ(Assemble("!!ORG 0FF0|!!DS 0010|HLT", true), kCompileOutOfMemory);
}

TEST_F(FullAssemblyTest, OriginsMoveForwardAndBackOnlyOverFreeRows)
{
    struct Case {
        const char* name;
        const char* program;
        const char* start;  // the start field afterwards
        Bytes bytes;
        std::string message = "";
        int failedLine = -1;
    };
    const Case cases[] = {
        {"first origin sets the start", "!!ORG 0100|NOP|!!ORG 0200|NOP|HLT", "0100",
         {{"0100", "00"}, {"0200", "00 76"}}},
        // Back is allowed where no byte lies between the new origin and where assembly stood.
        {"back into free rows", "!!ORG 0100|NOP|!!ORG 0300|!!ORG 0200|NOP|HLT", "0100",
         {{"0100", "00"}, {"0200", "00 76"}}},
        {"back over placed bytes", "!!ORG 0200|NOP|!!ORG 0100|NOP|HLT", "0200", {}, kFlawed, 2},
        {"back onto an operand", "!!ORG 0100|LXI H,0000|!!ORG 0102|NOP", "0100", {}, kFlawed, 2},
        // Reserved rows are no bytes, so the origin after them still sets the start; the code that
        // follows lands on them.
        {"code over reserved rows", "!!DS 0002|!!ORG 0001|NOP", "0001", {}, kFlawed, 2},
        {"origin outside the window", "NOP|!!ORG 1000|NOP", "0000", {}, kOutOfRangeMessage, 1},
        {"an origin needs four hex digits", "!!ORG 100|NOP", "0000", {}, kFlawed, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Assemble(c.program, true), c.message);
        EXPECT_EQ(m.Text1.text(), c.start);
        EXPECT_EQ(m.assembly.failedLine, c.failedLine);
        for (const auto& [address, bytes] : c.bytes) EXPECT_EQ(Mem(address, bytes), bytes) << address;
    }
    // Unlike the classic rule, the first origin holds again on the next assembly, which starts from it.
    Assemble("!!ORG 0100|NOP|HLT", true);
    m.run.ProgramCompiled = kFalse;
    host.messages.clear();
    Compile();
    EXPECT_EQ(host.messageTexts(), Lines{});
    EXPECT_EQ(Mem("0100", "00 76"), "00 76");
}

TEST_F(FullAssemblyTest, ListingRecordsWhereEachLineWent)
{
    EXPECT_EQ(Assemble("LOOP: MVI A,05|!! note|JMP LOOP|!!DS 0002|!!DB 01", true), "");
    // Rows are 1-based: 0000 is row 1. The HLT is appended after the data.
    const std::vector<std::tuple<int, int, int, int>> expected = {
        {0, 1, 2, 0}, {1, 3, 0, 0}, {2, 3, 3, 0}, {3, 6, 0, 2}, {4, 8, 1, 0}, {5, 9, 1, 0}};
    std::vector<std::tuple<int, int, int, int>> listing;
    for (const ListingEntry& e : m.assembly.listing) listing.emplace_back(e.line, e.firstRow, e.byteCount, e.reservedCount);
    EXPECT_EQ(listing, expected);
    EXPECT_EQ(Program(), "LOOP: MVI A,05|!! note|JMP LOOP|!!DS 0002|!!DB 01|HLT");
    EXPECT_EQ(Mem("0000", "3E 05 C3 00 00"), "3E 05 C3 00 00");
}

}  // namespace
}  // namespace korvanta
