// Numbers, characters, operators and symbols: each row is one operand and
// the own-line operand it must come to, worked out by hand.

#include "import_fixture.h"

namespace korvanta::importer::testing {
namespace {

struct ValueCase {
    const char* name;
    const char* operand;
    const char* word;  // LXI H,operand gives "LXI H,word"
};

TEST(ImportValues, NumbersCharactersAndOperators)
{
    const ValueCase cases[] = {
        {"decimal default", "1234", "04D2"},
        {"decimal suffix", "1234D", "04D2"},
        {"hex suffix", "1234H", "1234"},
        {"hex lower case", "0abch", "0ABC"},
        {"hex leading zero", "0FFFFH", "FFFF"},
        {"binary", "1010B", "000A"},
        {"octal O", "777O", "01FF"},
        {"octal Q", "777q", "01FF"},
        {"0x prefix", "0x1F", "001F"},
        {"character", "'A'", "0041"},
        {"character double quoted", "\"a\"", "0061"},
        {"two characters", "'AB'", "4142"},
        {"doubled quote", "''''", "0027"},
        {"minus one", "-1", "FFFF"},
        {"most negative", "-32768", "8000"},
        {"largest", "65535", "FFFF"},
        {"times before plus", "2+3*4", "000E"},
        {"parentheses", "(2+3)*4", "0014"},
        {"minus is left to right", "10-2-3", "0005"},
        {"division", "100/7", "000E"},
        {"MOD", "100 MOD 7", "0002"},
        {"SHL", "1 SHL 4", "0010"},
        {"SHR", "80H SHR 3", "0010"},
        {"SHL binds like times", "1+2 SHL 3", "0011"},
        {"AND", "0F0H AND 3CH", "0030"},
        {"OR", "0F0H OR 0FH", "00FF"},
        {"XOR", "0FFH XOR 0AAH", "0055"},
        {"ampersand", "0F0H & 3CH", "0030"},
        {"bar", "0F0H | 0FH", "00FF"},
        {"caret", "0FFH ^ 0AAH", "0055"},
        {"AND before OR", "1 OR 2 AND 3", "0003"},
        {"AND before XOR", "1 XOR 3 AND 1", "0000"},
        {"NOT", "NOT 0", "FFFF"},
        {"NOT before AND", "NOT 0 AND 0FH", "000F"},
        {"tilde", "~0FH", "FFF0"},
        {"HIGH", "HIGH 1234H", "0012"},
        {"LOW", "LOW 1234H", "0034"},
        {"HIGH before plus", "HIGH 1234H+1", "0013"},
        {"unary minus times", "-2*3", "FFFA"},
        {"minus after times", "2*-3", "FFFA"},
        {"EQ is all ones", "5 EQ 5", "FFFF"},
        {"relational before AND", "4 LT 5 AND 7", "0007"},
        {"character in a sum", "'0'+9", "0039"},
        {"dollar", "$+3", "2003"},
    };
    for (const auto& c : cases) {
        const auto r = Import({"  ORG 2000H", "  LXI H," + std::string(c.operand)});
        ASSERT_TRUE(r.ok()) << c.name << "\n" << Describe(r);
        ASSERT_EQ(r.lines.size(), 2u) << c.name;
        EXPECT_EQ(r.lines[1], std::string("LXI H,") + c.word) << c.name;
    }
}

TEST(ImportValues, BytesTakeMinus128To255)
{
    const struct {
        const char* operand;
        const char* byte;  // nullptr: refused
    } cases[] = {
        {"255", "FF"}, {"-128", "80"},   {"-1", "FF"},      {"NOT 0", "FF"},
        {"'$'", "24"}, {"256", nullptr}, {"-129", nullptr}, {"'AB'", nullptr},
    };
    for (const auto& c : cases) {
        const auto r = Import({"  MVI A," + std::string(c.operand)});
        if (c.byte == nullptr) {
            EXPECT_TRUE(HasFinding(r, 1, Level::Error, "does not fit a byte")) << c.operand << "\n"
                                                                               << Describe(r);
            EXPECT_TRUE(r.lines.empty());
        } else {
            ASSERT_TRUE(r.ok()) << c.operand << "\n" << Describe(r);
            EXPECT_EQ(r.lines.back(), std::string("MVI A,") + c.byte) << c.operand;
        }
    }
}

TEST(ImportValues, HexRadixReadsBareNumbersAsHex)
{
    const struct {
        const char* operand;
        const char* word;
    } cases[] = {
        {"10", "0010"}, {"0B", "000B"}, {"10D", "010D"}, {"1FH", "001F"}, {"17Q", "000F"}, {"C000", "C000"},
    };
    for (const auto& c : cases) {
        const auto r = Import({"  LXI H," + std::string(c.operand)}, 16);
        ASSERT_TRUE(r.ok()) << c.operand << "\n" << Describe(r);
        EXPECT_EQ(r.lines.back(), std::string("LXI H,") + c.word) << c.operand;
    }
    // A bare C000 is a name in decimal radix, with a hint.
    EXPECT_TRUE(HasFinding(Import({"  JMP C000"}), 1, Level::Error, "0C000H"));
}

TEST(ImportValues, SymbolsAndForwardReferences)
{
    const auto r = Import({
        "N       EQU 5",
        "N2      .EQU N*2",
        "V       SET 1",
        "        MVI A,N2",
        "        MVI B,V",
        "V       SET V+1",
        "        MVI C,V",
        "W = 7",
        "        MVI D,W",
        "        LXI H,LATER",
        "        MVI E,SIZE",
        "        DS COUNT",
        "LATER:  NOP",
        "SIZE    EQU LATER-N2",
        "COUNT   EQU 3",
    });
    ASSERT_TRUE(r.ok()) << Describe(r);
    // Four MVIs at 0000-0007, LXI at 0008, MVI E at 000B, DS 3 at 000D:
    // LATER is 0010 and SIZE 16 - 10.
    const std::vector<std::string> expected = {
        "!!ORG 0000", "MVI A,0A", "MVI B,01",  "MVI C,02",  "MVI D,07",
        "LXI H,0010", "MVI E,06", "!!DS 0003", "LATE: NOP",
    };
    EXPECT_EQ(r.lines, expected);
}

}  // namespace
}  // namespace korvanta::importer::testing
