// What cannot be converted, each with the line it is reported on; and input
// meant to break the importer.

#include <chrono>
#include <random>

#include "import_fixture.h"

namespace korvanta::importer::testing {
namespace {

struct ErrorCase {
    const char* name;
    std::vector<std::string> source;
    int line;
    const char* message;  // part of the error's message
};

TEST(ImportErrors, EachWithItsLine)
{
    const ErrorCase cases[] = {
        {"unknown mnemonic", {"  NOP", "  FROB A"}, 2, "unknown mnemonic or directive 'FROB'"},
        {"unknown after a label", {"LOOP MVX A"}, 1, "'MVX'"},
        {"Z80 mnemonic", {"  LD A,B"}, 1, "Z80"},
        {"macro", {"DELAY MACRO", "  NOP", "  ENDM"}, 1, "macros are not supported"},
        {"conditional", {"  IF 1", "  NOP", "  ENDIF"}, 1, "conditional assembly"},
        {"include", {"  INCLUDE defs.asm"}, 1, "other files"},
        {"too few operands", {"  MOV A"}, 1, "MOV takes two operands"},
        {"operand not wanted", {"  RET 5"}, 1, "RET takes no operand"},
        {"not a register", {"  INR X"}, 1, "'X' is not a register"},
        {"not a pair", {"  LXI A,5"}, 1, "not a register pair"},
        {"PUSH SP", {"  PUSH SP"}, 1, "(B, D, H or PSW)"},
        {"POP of SP", {"  POP SP"}, 1, "not a register pair"},
        {"LDAX H", {"  LDAX H"}, 1, "(B or D)"},
        {"MOV M,M", {"  MOV M,M"}, 1, "MOV M,M"},
        {"register as a value", {"  MVI A,B"}, 1, "is a register"},
        {"RST 8", {"  RST 8"}, 1, "0 to 7"},
        {"byte too large", {"  NOP", "  ADI 256"}, 2, "does not fit a byte"},
        {"port too large", {"  OUT 100H"}, 1, "does not fit a byte"},
        {"word too small", {"  LXI H,-32769"}, 1, "does not fit 16 bits"},
        {"number too large", {"  LXI H,70000"}, 1, "does not fit 16 bits"},
        {"huge number", {"  LXI H,123456789012345678901234567890"}, 1, "does not fit 16 bits"},
        {"bad digit", {"  MVI A,12G"}, 1, "not a number"},
        {"binary digit", {"  MVI A,102B"}, 1, "not a number"},
        {"undefined", {"  NOP", "  JMP NOWHERE"}, 2, "undefined symbol 'NOWHERE'"},
        {"twice", {"X: NOP", "X: NOP"}, 2, "already defined at line 1"},
        {"EQU twice", {"A1 EQU 1", "A1 EQU 2"}, 2, "already defined at line 1"},
        {"SET over EQU", {"A1 EQU 1", "A1 SET 2"}, 2, "already defined"},
        {"register as label", {"B: NOP"}, 1, "reserved word"},
        {"self reference", {"X EQU X+1", "  MVI A,X"}, 1, "'X' is defined in terms of itself"},
        {"a cycle of two", {"P EQU Q", "Q EQU P+1"}, 1, "defined in terms of itself (through 'Q')"},
        {"EQU without a name", {"  EQU 5"}, 1, "needs a name"},
        {"division by zero", {"  MVI A,1/0"}, 1, "division by zero"},
        {"unclosed string", {"  DB 'abc"}, 1, "not closed"},
        {"empty string", {"  DB ''"}, 1, "empty string"},
        {"long string in a value", {"  MVI A,'abc'"}, 1, "too long"},
        {"missing value", {"  MVI A,"}, 1, "missing"},
        {"stray character", {"  MVI A,5#"}, 1, "unexpected"},
        {"ORG backward over code",
         {"  ORG 2000H", "  NOP", "  NOP", "  ORG 2001H", "  NOP"},
         4,
         "goes back over code"},
        {"ORG back past code", {"  ORG 2100H", "  NOP", "  ORG 2000H", "  HLT"}, 3, "line 2 placed 2100"},
        {"code over a reservation",
         {"  ORG 2000H", "  DS 4", "  ORG 2002H", "  NOP"},
         4,
         "over those of line 2"},
        {"ORG beyond FFFF", {"  ORG 10000H"}, 1, "does not fit 16 bits"},
        {"bytes in another block",
         {"  ORG 2000H", "  NOP", "  ORG 3000H", "  NOP"},
         4,
         "outside the 4 KB block"},
        {"the block's last address", {"  ORG 2FFEH", "  NOP", "  NOP"}, 3, "2FFF, cannot hold a byte"},
        {"an instruction across the last address", {"  ORG 2FFDH", "  LXI H,0"}, 2, "cannot hold a byte"},
        {"a reservation out of the block before code",
         {"  ORG 2FF0H", "  NOP", "  DS 20H", "  NOP"},
         3,
         "run outside the 4 KB block"},
        {"past FFFF", {"  ORG 0FFFFH", "  LXI H,0"}, 2, "past address FFFF"},
        {"values that never settle", {"  ORG X", "X EQU $+1", "  NOP"}, 0, "do not settle"},
        {"DS with three operands", {"  DS 4,0FFH,1"}, 1, "a byte to fill them with"},
        {"DS with a fill too large", {"  DS 4,100H"}, 1, "fill value 256 does not fit a byte"},
        {"number starting a statement", {"  12 NOP"}, 1, "cannot start with a number"},
    };
    for (const auto& c : cases) {
        const auto r = Import(c.source);
        EXPECT_FALSE(r.ok()) << c.name;
        EXPECT_TRUE(r.lines.empty()) << c.name;
        EXPECT_TRUE(HasFinding(r, c.line, Level::Error, c.message)) << c.name << "\n" << Describe(r);
    }
}

TEST(ImportErrors, ReportNamesTheLineAsWritten)
{
    const auto r = Import({"; fine", "\tjmp   nowhere  ; where?"});
    ASSERT_EQ(r.report.size(), 1u) << Describe(r);
    EXPECT_EQ(r.report[0].line, 2);
    EXPECT_EQ(r.report[0].text, "\tjmp   nowhere  ; where?");
    EXPECT_EQ(r.report[0].level, Level::Error);
    EXPECT_STREQ(LevelName(r.report[0].level), "error");
}

TEST(ImportErrors, ReportIsInLineOrder)
{
    const auto r = Import({"  JMP LATER", "  FROB", "  MVI A,300", "A1 EQU 1", "A1 EQU 2"});
    ASSERT_GE(r.report.size(), 4u);
    for (std::size_t i = 1; i < r.report.size(); ++i) EXPECT_LE(r.report[i - 1].line, r.report[i].line);
}

TEST(ImportHostile, BinaryAndNulBytes)
{
    const std::string nul("  NOP\n\0  HLT\n", 13);
    std::mt19937 rng(7);
    std::string noise(4096, '\0');
    for (auto& c : noise) c = static_cast<char>(rng() % 254 + 1);  // no NUL, mostly not text
    for (const std::string& text : {nul, noise}) {
        const auto r = ImportStandardSource(text);
        ASSERT_EQ(r.report.size(), 1u);
        EXPECT_EQ(r.report[0].line, 0);
        EXPECT_EQ(r.report[0].level, Level::Error);
        EXPECT_TRUE(r.lines.empty());
        EXPECT_EQ(DetectSourceKind(text), SourceKind::NotText);
    }
}

TEST(ImportHostile, HugeLinesFilesAndNesting)
{
    using Clock = std::chrono::steady_clock;
    const auto began = Clock::now();

    // A 1 MB line of code, a 1 MB comment, 100000 parentheses, a 10 MB file.
    const auto code = ImportStandardSource("  MVI A," + std::string(1 << 20, '7') + "\n");
    EXPECT_TRUE(HasFinding(code, 1, Level::Error, "does not fit 16 bits"));
    EXPECT_LT(code.report[0].text.size(), 200u);  // quoted, not copied whole

    const auto comment = ImportStandardSource("; " + std::string(1 << 20, 'x') + "\n  NOP\n");
    ASSERT_TRUE(comment.ok());
    EXPECT_GT(comment.lines.size(), 20000u);
    for (const auto& l : comment.lines) ASSERT_LE(l.size(), 48u);

    const auto nested =
        ImportStandardSource("  MVI A," + std::string(100000, '(') + "1" + std::string(100000, ')'));
    EXPECT_TRUE(HasFinding(nested, 1, Level::Error, "nested too deeply"));
    const auto minus = ImportStandardSource("  MVI A," + std::string(100000, '-') + "1");
    EXPECT_TRUE(HasFinding(minus, 1, Level::Error, "nested too deeply"));

    std::string big;
    while (big.size() < 10u << 20) big += "LBL" + std::to_string(big.size()) + ": MOV A,B ; filler\n";
    const auto flood = ImportStandardSource(big);
    EXPECT_FALSE(flood.ok());
    EXPECT_LE(flood.report.size(), 2001u);  // a count of the rest, not a million findings
    // 100,000 statements are read, then the source is refused where it goes on.
    EXPECT_TRUE(HasFinding(flood, 100001, Level::Error, "more than 100000 statements")) << Describe(flood);

    // 10 MB of line ends, and of comment lines: nothing to keep of the one,
    // the first 50,000 lines of the other.
    const auto blank = ImportStandardSource(std::string(10u << 20, '\n') + "  NOP\n");
    ASSERT_TRUE(blank.ok()) << Describe(blank);
    EXPECT_EQ(blank.lines, (std::vector<std::string>{"!!ORG 0000", "NOP"}));
    std::string comments;
    while (comments.size() < 10u << 20) comments += "; a comment\r\n";
    const auto remarks = ImportStandardSource(comments + "  NOP");
    ASSERT_TRUE(remarks.ok()) << Describe(remarks);
    ASSERT_EQ(remarks.lines.size(), 50002u);
    EXPECT_EQ(remarks.lines[50000], "!! a comment");
    EXPECT_EQ(remarks.lines[50001], "NOP");
    EXPECT_TRUE(HasFinding(remarks, 0, Level::Warning, "only the first 50000 lines of comments"));

    // A name of a megabyte is named by its start.
    const auto name = ImportStandardSource("  JMP " + std::string(1 << 20, 'q') + "\n");
    ASSERT_EQ(name.report.size(), 1u);
    EXPECT_EQ(name.report[0].message, "undefined symbol '" + std::string(39, 'Q') + "...");

    // Each of these is linear; all together stay well inside a few seconds
    // even under the sanitizers.
    EXPECT_LT(std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - began).count(), 60);
}

TEST(ImportHostile, OptionsOutOfRange)
{
    ImportOptions options;
    options.radix = 8;
    const auto r = ImportStandardSource("  NOP\n", options);
    EXPECT_TRUE(HasFinding(r, 0, Level::Error, "radix"));
}

TEST(DetectSourceKind, TellsTheThreeApart)
{
    const struct {
        const char* name;
        std::string text;
        SourceKind kind;
    } cases[] = {
        {"own lines", "!! sum\nLXI H,2050\nLOOP: ADD M\nJNZ LOOP\nTTTT: !!\n!!DB 01,02\nHLT\n",
         SourceKind::OwnLines},
        {"own lines with CR LF", "MVI A,05\r\nRST 7\r\nPUSH PSW\r\n", SourceKind::OwnLines},
        {"semicolon comments", "MVI A,05 ; five\nHLT\n", SourceKind::Standard},
        {"indented", "        MVI A,05\n        HLT\n", SourceKind::Standard},
        {"lower case", "mvi a,05\nhlt\n", SourceKind::Standard},
        {"H suffix", "MVI A,0FFH\nHLT\n", SourceKind::Standard},
        {"long labels", "START: MVI A,05\nHLT\n", SourceKind::Standard},
        {"NUL", std::string("HLT\n\0", 5), SourceKind::NotText},
        {"control characters", std::string(50, '\x01') + "HLT\n", SourceKind::NotText},
        {"empty", "", SourceKind::Standard},
    };
    for (const auto& c : cases) EXPECT_EQ(DetectSourceKind(c.text), c.kind) << c.name;
}

}  // namespace
}  // namespace korvanta::importer::testing
