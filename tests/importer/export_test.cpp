// The program's own lines: which bytes they put where in either mode, the
// standard source they export to, and the round trip back through import.

#include <random>

#include "import_fixture.h"
#include "importer/source_lines.h"

namespace korvanta::importer::testing {
namespace {

using Lines = std::vector<std::string>;
using Image = std::map<std::uint16_t, std::uint8_t>;

// The bytes of one line assembled at 2000, blank-separated.
std::string BytesOf(const std::string& line, bool full)
{
    const OwnProgram p = AssembleOwnLines({"LOOP: NOP", line}, "2000", full);
    if (!p.ok()) return "refused";
    std::string out;
    for (auto b : p.lines[1].bytes) out += (out.empty() ? "" : " ") + Hex(b, 2);
    return out;
}

TEST(OwnLines, BytesOfEachForm)
{
    const struct {
        const char* line;
        const char* full;     // in Full 8085 mode
        const char* classic;  // in classic mode
    } cases[] = {
        {"MOV A,B", "78", "78"},
        {"MOV M,A", "77", "77"},
        {"MVI M,3C", "36 3C", "36 3C"},
        {"LXI SP,20FF", "31 FF 20", "31 FF 20"},
        {"LXI H,2050", "21 50 20", "21 50 20"},
        {"LDA 2050", "3A 50 20", "3A 50 20"},
        {"SHLD 0A3F", "22 3F 0A", "22 3F 0A"},
        {"STAX D", "12", "12"},
        {"LDAX B", "0A", "0A"},
        {"INR M", "34", "34"},
        {"DCR A", "3D", "3D"},
        {"INX SP", "33", "33"},
        {"DCX H", "2B", "2B"},
        {"DAD D", "19", "19"},
        {"PUSH PSW", "F5", "F5"},
        {"POP B", "C1", "C1"},
        {"SUB L", "95", "95"},
        {"CMP M", "BE", "BE"},
        {"XRA A", "AF", "AF"},
        {"ANI 0F", "E6 0F", "E6 0F"},
        {"CPI 0A", "FE 0A", "FE 0A"},
        {"RIM", "20", "20"},
        {"SIM", "30", "30"},
        {"JMP 2000", "C3 00 20", "C3 00 20"},
        {"CNZ 1234", "C4 34 12", "C4 34 12"},
        {"JMP LOOP", "C3 00 20", "C3 00 20"},
        {"RST 3", "DF", "refused"},
        {"RST 7", "FF", "FF"},
        {"IN 21", "DB 21", "refused"},
        {"IN 12AB", "DB AB", "DB AB 12"},
        {"OUT FE", "D3 FE", "refused"},
        {"!!DB 01,FF", "01 FF", ""},
        {"!!DW 1234,ABCD", "34 12 CD AB", ""},
        {"!! DB 01", "", ""},
        {"JMP 1E10", "C3 10 1E", "C3 10 1E"},
        {"JMP 20A0", "C3 A0 20", "refused"},
        {"MOV M,M", "refused", "refused"},
        {"MVI A,5", "refused", "refused"},
        {"MVI A,ZZ", "refused", "refused"},
        {"JMP NOPE", "refused", "refused"},
        {"FROB", "refused", "refused"},
        {"!!DB 1,2", "refused", ""},
        {"!!DS 10", "refused", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(BytesOf(c.line, true), c.full) << c.line << " in Full 8085 mode";
        EXPECT_EQ(BytesOf(c.line, false), c.classic) << c.line << " in classic mode";
    }
}

TEST(OwnLines, OriginAndBlockRules)
{
    // Full: every ORG before the first byte sets the start; a later one
    // moves on, or back where nothing lies between.
    OwnProgram p = AssembleOwnLines(
        {"!!ORG 2100", "!!ORG 2000", "NOP", "!!ORG 2010", "!!ORG 2008", "HLT", "!!ORG 2000", "NOP"}, "0000",
        true);
    EXPECT_EQ(p.start, 0x2000u);
    EXPECT_EQ(p.lines[2].address, 0x2000u);
    EXPECT_EQ(p.lines[5].address, 0x2008u);
    EXPECT_EQ(p.lines[6].kind, OwnLine::Refused);  // back over 2000 and 2008
    p = AssembleOwnLines({"!!DS 0004", "!!ORG 2002", "NOP"}, "2000", true);
    EXPECT_EQ(p.lines[2].kind, OwnLine::Refused);  // onto a reserved byte
    p = AssembleOwnLines({"!!ORG 2100", "NOP"}, "2000", true, false);
    EXPECT_EQ(p.lines[0].kind, OwnLine::Comment);  // the option is off
    EXPECT_EQ(p.lines[1].address, 0x2000u);
    p = AssembleOwnLines({"!!ORG 2FFE", "NOP", "NOP"}, "0000", true);
    EXPECT_EQ(p.lines[1].kind, OwnLine::Instruction);
    EXPECT_EQ(p.lines[2].kind, OwnLine::Refused);  // at 2FFF
    p = AssembleOwnLines({"NOP", "!!ORG 3000", "NOP"}, "2000", true);
    EXPECT_EQ(p.lines[1].kind, OwnLine::Refused);  // another block
    EXPECT_EQ(p.lines[2].address, 0x2001u);

    // Classic: obeyed only at the block's first address before anything is
    // placed, and only with the option; otherwise a comment.
    p = AssembleOwnLines({"!!ORG 2100", "NOP"}, "2000", false, true);
    EXPECT_EQ(p.start, 0x2100u);
    EXPECT_EQ(p.lines[1].address, 0x2100u);
    p = AssembleOwnLines({"!!ORG 2100", "NOP"}, "2050", false, true);
    EXPECT_EQ(p.lines[0].kind, OwnLine::Refused);
    p = AssembleOwnLines({"!!ORG 2100", "NOP"}, "2000", false, false);
    EXPECT_EQ(p.lines[0].kind, OwnLine::Comment);
    EXPECT_EQ(p.lines[1].address, 0x2000u);
    p = AssembleOwnLines({"NOP", "!!ORG 2100"}, "2000", false, true);
    EXPECT_EQ(p.lines[1].kind, OwnLine::Refused);
}

TEST(Export, FullModeProgram)
{
    const Lines lines = {"!! sum of a block",
                         "!!ORG 2000",
                         "LXI H,2050",
                         "MVI B,0A",
                         "XRA A",
                         "LOOP: ADD M",
                         "INX H",
                         "DCR B",
                         "JNZ LOOP",
                         "STA 2060",
                         "HLT",
                         "DATA: !!DB 01,FF",
                         "!!DW C000",
                         "!!DS 0004"};
    const ExportResult e = ExportStandardSource(lines, "0000", true);
    EXPECT_TRUE(e.report.empty());
    EXPECT_EQ(e.text,
              "; Exported from Korvanta (Full 8085 mode)\n"
              "        ORG     0000H\n"
              "; sum of a block\n"
              "        ORG     2000H\n"
              "        LXI     H,2050H\n"
              "        MVI     B,0AH\n"
              "        XRA     A\n"
              "LOOP:   ADD     M\n"
              "        INX     H\n"
              "        DCR     B\n"
              "        JNZ     LOOP\n"
              "        STA     2060H\n"
              "        HLT\n"
              "DATA:   DB      01H,0FFH\n"
              "        DW      0C000H\n"
              "        DS      0004H\n"
              "        END\n");
}

TEST(Export, ClassicModeProgram)
{
    const Lines lines = {"1ABC: IN 12AB", "OUT 0001", "RST 5", "JMP 1ABC",
                         "CALL 2050",     "MVI A,ZZ", "RST 2", "HLT"};
    const ExportResult e = ExportStandardSource(lines, "2000", false);
    EXPECT_EQ(e.text,
              "; Exported from Korvanta (classic mode)\n"
              "        ORG     2000H\n"
              "T1ABC:  IN      0ABH\n"
              "        DB      12H  ; high byte of port 12AB\n"
              "        OUT     01H\n"
              "        DB      00H  ; high byte of port 0001\n"
              "        RST     5\n"
              "        JMP     T1ABC\n"
              "        CALL    2050H\n"
              "; MVI A,ZZ\n"
              "        DS      2\n"
              "; RST 2\n"
              "        HLT\n"
              "        END\n");
    const struct {
        int line;
        Level level;
    } expected[] = {{1, Level::Note}, {6, Level::Error}, {7, Level::Error}};
    ASSERT_EQ(e.report.size(), std::size(expected));
    for (std::size_t i = 0; i < e.report.size(); ++i) {
        EXPECT_EQ(e.report[i].line, expected[i].line);
        EXPECT_EQ(e.report[i].level, expected[i].level) << e.report[i].message;
    }
}

TEST(Export, ClassicEmptyLineEndsTheProgramUnresolved)
{
    // Classic mode stops at an empty line before it fills in any tag.
    const ExportResult e =
        ExportStandardSource({"LOOP: NOP", "JMP LOOP", "JMP 2050", "", "NOP"}, "2000", false);
    ASSERT_EQ(e.report.size(), 2u);
    EXPECT_EQ(e.report[0].line, 2);
    EXPECT_EQ(e.report[0].level, Level::Error);
    EXPECT_EQ(e.report[1].line, 5);
    EXPECT_EQ(e.report[1].level, Level::Warning);
    EXPECT_NE(e.text.find("JMP     2050H"), std::string::npos) << e.text;
}

TEST(Export, TagsThatAreNoLabels)
{
    const ExportResult e = ExportStandardSource(
        {"CALL: NOP", "LP 1: NOP", "LP.1: NOP", "JMP CALL", "JMP LP 1", "JMP LP.1"}, "0000", false);
    const char* const wanted[] = {
        "TCALL:", "TLP_1:", "TLP_1_2:", "JMP     TCALL\n", "JMP     TLP_1\n", "JMP     TLP_1_2\n"};
    for (const char* w : wanted) EXPECT_NE(e.text.find(w), std::string::npos) << w << "\n" << e.text;
    EXPECT_EQ(e.report.size(), 3u);  // a note for each renamed tag
}

// A random program in Full 8085 mode: every form, tags, jumps to them, data
// and ORGs forward, all inside one block.
Lines RandomFullProgram(std::mt19937& rng, std::uint32_t start)
{
    static const char* const kRegs[] = {"A", "B", "C", "D", "E", "H", "L", "M"};
    static const char* const kPairs[] = {"B", "D", "H", "SP"};
    static const char* const kStack[] = {"B", "D", "H", "PSW"};
    static const char* const kImplied[] = {"XCHG", "DAA",  "CMA",  "CMC", "STC", "RLC", "RRC", "RAL", "RAR",
                                           "RET",  "RNZ",  "RZ",   "RNC", "RC",  "RPO", "RPE", "RP",  "RM",
                                           "PCHL", "XTHL", "SPHL", "NOP", "HLT", "EI",  "DI",  "RIM", "SIM"};
    static const char* const kRegOps[] = {"ADD", "ADC", "SUB", "SBB", "ANA",
                                          "XRA", "ORA", "CMP", "INR", "DCR"};
    static const char* const kImm[] = {"ADI", "ACI", "SUI", "SBI", "ANI", "XRI", "ORI", "CPI", "IN", "OUT"};
    static const char* const kJumps[] = {"JMP",  "JNZ", "JZ", "JNC", "JC", "JPO", "JPE", "JP", "JM",
                                         "CALL", "CNZ", "CZ", "CNC", "CC", "CPO", "CPE", "CP", "CM"};
    auto pick = [&](auto& list) { return std::string(list[rng() % std::size(list)]); };
    auto hex = [&](int digits) { return Hex(static_cast<std::uint32_t>(rng()), digits); };

    std::vector<std::string> tags;
    for (int i = 0; i < 6; ++i) tags.push_back("T" + std::string(1, static_cast<char>('G' + i)) + hex(2));
    std::size_t nextTag = 0;
    Lines lines = {"!!ORG " + Hex(start, 4)};
    std::uint32_t used = 0;
    const std::uint32_t room = 0xFFF - (start & 0xFFF) - 64;
    while (used < std::min<std::uint32_t>(room, 400)) {
        std::string tag;
        if (nextTag < tags.size() && rng() % 4 == 0) tag = tags[nextTag++] + ": ";
        std::string body;
        std::uint32_t size = 1;
        switch (rng() % 13) {
            case 0:
                body = pick(kImplied);
                break;
            case 1: {
                std::string d = pick(kRegs), s = pick(kRegs);
                if (d == "M" && s == "M") s = "A";
                body = "MOV " + d + "," + s;
                break;
            }
            case 2:
                body = "MVI " + pick(kRegs) + "," + hex(2), size = 2;
                break;
            case 3:
                body = "LXI " + pick(kPairs) + "," + hex(4), size = 3;
                break;
            case 4:
                body = pick(kRegOps) + " " + pick(kRegs);
                break;
            case 5:
                body = pick(kImm) + " " + hex(2), size = 2;
                break;
            case 6:
                body = std::string(rng() % 2 ? "INX " : "DAD ") + pick(kPairs);
                break;
            case 7:
                body = std::string(rng() % 2 ? "PUSH " : "POP ") + pick(kStack);
                break;
            case 8:
                body = pick(kJumps) + " " + (rng() % 2 ? tags[rng() % tags.size()] : hex(4)), size = 3;
                break;
            case 9:
                body = "RST " + std::to_string(rng() % 8);
                break;
            case 10: {
                const int n = static_cast<int>(rng() % 5) + 1;
                body = rng() % 2 ? "!!DB " : "!!DW ";
                const bool words = body[3] == 'W';
                for (int k = 0; k < n; ++k) body += (k ? "," : "") + hex(words ? 4 : 2);
                size = static_cast<std::uint32_t>(n * (words ? 2 : 1));
                break;
            }
            case 11: {
                const std::uint32_t n = rng() % 6;
                body = rng() % 2 ? "!!DS " + Hex(n, 4) : "!!ORG " + Hex(start + used + n, 4);
                size = n;
                if (body[2] == 'O' && !tag.empty())
                    tag.clear(), --nextTag;  // a tag there names the old address
                break;
            }
            default:
                body = std::string(rng() % 2 ? "LDA " : "SHLD ") + hex(4), size = 3;
                break;
        }
        lines.push_back(tag + body);
        used += size;
    }
    // The tags not used yet go on lines of their own at the end.
    while (nextTag < tags.size()) lines.push_back(tags[nextTag++] + ": !!");
    return lines;
}

TEST(RoundTrip, FullModeProgramsKeepTheirBytes)
{
    std::mt19937 rng(2024);
    for (int n = 0; n < 200; ++n) {
        const std::uint32_t start = (rng() % 16) << 12 | (rng() % 0x800);
        const Lines lines = RandomFullProgram(rng, start);
        const OwnProgram before = AssembleOwnLines(lines, "0000", true);
        ASSERT_TRUE(before.ok()) << "program " << n;

        const ExportResult e = ExportStandardSource(lines, "0000", true);
        ASSERT_TRUE(e.report.empty()) << "program " << n;
        const ImportResult r = ImportStandardSource(e.text);
        ASSERT_TRUE(r.ok()) << "program " << n << "\n" << Describe(r) << e.text;
        EXPECT_EQ(r.startAddress, Hex(before.start, 4));
        EXPECT_EQ(r.windowDigit, Hex(start >> 12, 1));
        EXPECT_EQ(FullImage(r.lines, r.startAddress), before.Image()) << "program " << n << "\n" << e.text;
    }
}

TEST(RoundTrip, ClassicProgramsKeepTheirBytesInFullMode)
{
    std::mt19937 rng(85);
    static const char* const kTags[] = {"LP 1", "1ABC", "NEXT", "X.YZ"};
    static const char* const kForms[] = {"IN ", "OUT "};
    for (int n = 0; n < 100; ++n) {
        const std::string start = Hex((rng() % 16) << 12, 4);
        Lines lines;
        if (rng() % 2) lines.push_back("!!ORG " + start.substr(0, 1) + "100");
        for (const char* tag : kTags) {
            lines.push_back(std::string(tag) + ": MVI A," + Hex(rng(), 2));
            lines.push_back(std::string(kForms[rng() % 2]) + Hex(rng(), 4));
            lines.push_back("RST " + std::to_string(5 + rng() % 3));
            lines.push_back("JNZ " + std::string(kTags[rng() % 4]));
            lines.push_back("CALL " +
                            std::to_string(1000 + rng() % 9000));    // reads as a decimal number: an address
            lines.push_back("!!DB 0" + std::to_string(rng() % 10));  // only a comment here
        }
        lines.push_back("HLT");
        const OwnProgram classic = AssembleOwnLines(lines, start, false, true);
        ASSERT_TRUE(classic.ok()) << "program " << n;

        const ExportResult e = ExportStandardSource(lines, start, false, true);
        const ImportResult r = ImportStandardSource(e.text);
        ASSERT_TRUE(r.ok()) << "program " << n << "\n" << Describe(r) << e.text;
        EXPECT_EQ(r.startAddress, Hex(classic.start, 4));
        EXPECT_EQ(FullImage(r.lines, r.startAddress), classic.Image()) << "program " << n << "\n" << e.text;
    }
}

}  // namespace
}  // namespace korvanta::importer::testing
