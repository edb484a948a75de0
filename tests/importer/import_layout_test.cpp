// The lines an import writes: statements, data, layout, tags and comments,
// each expected list written out by hand.

#include "import_fixture.h"

namespace korvanta::importer::testing {
namespace {

using Lines = std::vector<std::string>;

struct LayoutCase {
    const char* name;
    Lines source;
    Lines expected;
    const char* start;
    const char* window;
};

TEST(ImportLayout, StatementsDataAndOrigins)
{
    const LayoutCase cases[] = {
        {"every operand form",
         {"  mov a,b", "  mvi m,3ch", "  lxi sp,20ffh", "  lda 2050h", "  stax d", "  inr m", "  dad sp",
          "  push psw", "  pop b", "  rst 7", "  in 21h", "  out 0", "  xchg", "  sphl"},
         {"!!ORG 0000", "MOV A,B", "MVI M,3C", "LXI SP,20FF", "LDA 2050", "STAX D", "INR M", "DAD SP",
          "PUSH PSW", "POP B", "RST 7", "IN 21", "OUT 00", "XCHG", "SPHL"},
         "0000",
         "0"},
        {"DB DW DS",
         {"  ORG 2000H", "  DB 1,2,3", "  DB 'it''s',\"AB\"", "  DW 1234H,5", "  DS 10", "  DEFB 0",
          "  .WORD 0FFFFH", "  DEFS 2", "  .BYTE 'Z'-1"},
         {"!!ORG 2000", "!!DB 01,02,03", "!!DB 69,74,27,73,41,42", "!!DW 1234,0005", "!!DS 000A", "!!DB 00",
          "!!DW FFFF", "!!DS 0002", "!!DB 59"},
         "2000",
         "2"},
        {"ORG forward",
         {"  ORG 2000H", "  NOP", "  ORG 2010H", "  HLT"},
         {"!!ORG 2000", "NOP", "!!ORG 2010", "HLT"},
         "2000",
         "2"},
        {"ORG back into a gap",
         {"  ORG 2000H", "  NOP", "  ORG 2100H", "  ORG 2050H", "  HLT"},
         {"!!ORG 2000", "NOP", "!!ORG 2100", "!!ORG 2050", "HLT"},
         "2000",
         "2"},
        {"every ORG before the first byte sets the start",
         {"  ORG 2100H", "BUF: DS 4", "  ORG 2000H", "  LXI H,BUF"},
         {"!!ORG 2100", "BUFX: !!DS 0004", "!!ORG 2000", "LXI H,2100"},
         "2000",
         "2"},
        {"code before any ORG starts at 0000",
         {"  NOP", "  ORG 10H", "  HLT"},
         {"!!ORG 0000", "NOP", "!!ORG 0010", "HLT"},
         "0000",
         "0"},
        {"END ends the source", {"  NOP", "  END", "  this is not read"}, {"!!ORG 0000", "NOP"}, "0000", "0"},
        {"mixed code and data",
         {"        ORG 0800H", "START:  LXI SP,STACK", "        CALL SUB1", "        HLT",
          "SUB1:   MVI A,'*'", "        RET", "TABLE:  DB 1,2", "        DW START", "BUF:    DS 4",
          "STACK   EQU 0900H"},
         {"!!ORG 0800", "STAR: LXI SP,0900", "CALL SUB1", "HLT", "SUB1: MVI A,2A", "RET", "TABL: !!DB 01,02",
          "!!DW 0800", "BUFX: !!DS 0004"},
         "0800",
         "0"},
        {"labels alone, several on one address, before an ORG, at the end",
         {"  ORG 2000H", "ALFA:", "; between", "BRAV:", "  NOP", "THRE:", "  ORG 2010H", "FOUR: JMP ALFA",
          "FIVE:"},
         {"!!ORG 2000", "!! between", "ALFA: !!", "BRAV: NOP", "THRE: !!", "!!ORG 2010", "FOUR: JMP ALFA",
          "FIVE: !!"},
         "2000",
         "2"},
        {"a label on an ORG names the new address",
         {"  ORG 2000H", "  NOP", "HERE: ORG 2005H", "  JMP HERE"},
         {"!!ORG 2000", "NOP", "!!ORG 2005", "HERE: JMP HERE"},
         "2000",
         "2"},
        {"jumps: a plain label is a tag, anything else an address",
         {"  ORG 2000H", "AT EQU 2000H", "LOOP: JMP LOOP", "  JNZ LOOP+1", "  CALL AT", "  JC $",
          "  CZ 1234H"},
         {"!!ORG 2000", "LOOP: JMP LOOP", "JNZ 2001", "CALL 2000", "JC 2009", "CZ 1234"},
         "2000",
         "2"},
        {"comments: own lines, trailing ones just before their statement",
         {"; header", "LOOP: DCR B ; count down", "  JNZ LOOP;again", ";", "*old style"},
         {"!!ORG 0000", "!! header", "!! count down", "LOOP: DCR B", "!! again", "JNZ LOOP", "!! old style"},
         "0000",
         "0"},
        {"labels without a colon, in column one",
         {"loop dcr b", "     jnz loop", "done", "     hlt"},
         {"!!ORG 0000", "LOOP: DCR B", "JNZ LOOP", "DONE: HLT"},
         "0000",
         "0"},
        {"a data area outside the block is left out",
         {"  ORG 2000H", "  LXI H,BUF", "  HLT", "  ORG 8000H", "BUF: DS 16"},
         {"!!ORG 2000", "LXI H,8000", "HLT"},
         "2000",
         "2"},
        {"skipped listing directives",
         {"  TITLE 'x'", "  CPU 8085", "$MOD85", "  .8085", "  PAGE 60", "  NOP"},
         {"!!ORG 0000", "NOP"},
         "0000",
         "0"},
        {"upper block", {"  ORG 0F000H", "  NOP"}, {"!!ORG F000", "NOP"}, "F000", "F"},
    };
    for (const auto& c : cases) {
        const auto r = Import(c.source);
        ASSERT_TRUE(r.ok()) << c.name << "\n" << Describe(r);
        EXPECT_EQ(r.lines, c.expected) << c.name;
        EXPECT_EQ(r.startAddress, c.start) << c.name;
        EXPECT_EQ(r.windowDigit, c.window) << c.name;
    }
}

TEST(ImportLayout, TagsAreShortUniqueAndNeverHex)
{
    // Each label jumps to itself, so the tag shows on both sides.
    const struct {
        const char* label;
        const char* tag;
    } single[] = {
        {"loop", "LOOP"},  {"nxt_byte", "NXTB"}, {"x", "XXXX"},         {"ab", "ABXX"},
        {"face", "FACG"},  {"add1", "ADDG"},     {"_1x", "L1XX"},       {"?", "LXXX"},
        {"@1234", "L123"}, {"bee", "BEEX"},      {"Next.Item", "NEXT"}, {"a$b", "ABXX"},
    };
    for (const auto& c : single) {
        const auto r = Import({std::string(c.label) + ": JMP " + c.label});
        ASSERT_TRUE(r.ok()) << c.label << "\n" << Describe(r);
        EXPECT_EQ(r.lines.back(), std::string(c.tag) + ": JMP " + c.tag) << c.label;
        const bool renamed = std::string(c.tag) != "LOOP";
        EXPECT_EQ(HasFinding(r, 1, Level::Note, "becomes tag " + std::string(c.tag)), renamed) << c.label;
    }

    // A label that already is a good tag keeps it, even when a longer
    // label before it would shorten to the same.
    const auto r =
        Import({"loop1: NOP", "loop2: NOP", "LOO1: NOP", "loop3: NOP", "beef: NOP", "  JMP loop3"});
    ASSERT_TRUE(r.ok()) << Describe(r);
    const Lines expected = {"!!ORG 0000", "LOOP: NOP", "LOO2: NOP", "LOO1: NOP",
                            "LOO3: NOP",  "BEEG: NOP", "JMP LOO3"};
    EXPECT_EQ(r.lines, expected);
    EXPECT_TRUE(HasFinding(r, 1, Level::Note, "label 'loop1' becomes tag LOOP"));
    EXPECT_FALSE(HasFinding(r, 3, Level::Note, "becomes"));
}

TEST(ImportLayout, NoLineIsLongerThan48Characters)
{
    std::string bytes, words;
    for (int i = 0; i < 30; ++i) bytes += (i ? "," : "") + std::to_string(i);
    for (int i = 0; i < 17; ++i) words += (i ? "," : "") + std::to_string(i);
    const std::string comment(130, 'c');
    const auto r =
        Import({"DATA: DB " + bytes, "  DW " + words, "; " + comment,
                "  NOP ; a b c d e f g h i j k l m n o p q r s t u v w x y z", "WRDS: DW " + words});
    ASSERT_TRUE(r.ok()) << Describe(r);
    for (const auto& l : r.lines) EXPECT_LE(l.size(), 48u) << l;
    // "DATA: !!DB " leaves room for 12 bytes, "!!DB " for 14; "!!DW " for 8 words, with a tag 7.
    const Lines expected = {
        "!!ORG 0000",
        "DATA: !!DB 00,01,02,03,04,05,06,07,08,09,0A,0B",
        "!!DB 0C,0D,0E,0F,10,11,12,13,14,15,16,17,18,19",
        "!!DB 1A,1B,1C,1D",
        "!!DW 0000,0001,0002,0003,0004,0005,0006,0007",
        "!!DW 0008,0009,000A,000B,000C,000D,000E,000F",
        "!!DW 0010",
        "!! " + std::string(45, 'c'),
        "!! " + std::string(45, 'c'),
        "!! " + std::string(40, 'c'),
        "!! a b c d e f g h i j k l m n o p q r s t u v w",
        "!! x y z",
        "NOP",
        "WRDS: !!DW 0000,0001,0002,0003,0004,0005,0006",
        "!!DW 0007,0008,0009,000A,000B,000C,000D,000E",
        "!!DW 000F,0010",
    };
    EXPECT_EQ(r.lines, expected);
}

TEST(ImportLayout, CommentTextIsKeptPrintable)
{
    const auto r = Import({";\tcaf\xC3\xA9 \xFF ok", "  NOP"});
    ASSERT_TRUE(r.ok()) << Describe(r);
    EXPECT_EQ(r.lines[1], "!! caf? ? ok");
}

TEST(ImportLayout, LineEndsOfEveryKind)
{
    const Lines expected = {"!!ORG 0000", "MVI A,05", "HLT", "NOP"};
    for (const char* text : {"  MVI A,5\n  HLT\n  NOP\n", "  MVI A,5\r\n  HLT\r\n  NOP",
                             "  MVI A,5\r  HLT\r  NOP\r", "  MVI A,5\r\n  HLT\n  NOP\x1A\x1A\x1A"}) {
        const auto r = ImportStandardSource(text);
        ASSERT_TRUE(r.ok()) << Describe(r);
        EXPECT_EQ(r.lines, expected);
    }
}

}  // namespace
}  // namespace korvanta::importer::testing
