// The spellings of other assemblers and of CP/M's: each row a source and the
// own lines it must give, written out by hand.

#include "import_fixture.h"

namespace korvanta::importer::testing {
namespace {

using Lines = std::vector<std::string>;

TEST(ImportDialects, DirectiveSpellings)
{
    const struct {
        const char* name;
        Lines source;
        Lines expected;
    } cases[] = {
        {"bytes",
         {"  DB 1", "  DEFB 2", "  .DB 3", "  .BYTE 4", "  DFB 5", "  BYTE 6", "  .TEXT 'G'",
          "  .ASCII \"H\""},
         {"!!ORG 0000", "!!DB 01", "!!DB 02", "!!DB 03", "!!DB 04", "!!DB 05", "!!DB 06", "!!DB 47",
          "!!DB 48"}},
        {"DEFM strings",
         {"  DEFM 'OK$'", "  defm \"a\"\"b\""},
         {"!!ORG 0000", "!!DB 4F,4B,24", "!!DB 61,22,62"}},
        {"words",
         {"  DW 1", "  DEFW 2", "  .DW 3", "  .WORD 4", "  DFW 5", "  WORD 6"},
         {"!!ORG 0000", "!!DW 0001", "!!DW 0002", "!!DW 0003", "!!DW 0004", "!!DW 0005", "!!DW 0006"}},
        {"space",
         {"  DS 1", "  DEFS 2", "  .DS 3", "  .BLOCK 4", "  DFS 5", "  .RS 6", "  NOP"},
         {"!!ORG 0000", "!!DS 0001", "!!DS 0002", "!!DS 0003", "!!DS 0004", "!!DS 0005", "!!DS 0006", "NOP"}},
        {"origins and ends", {"  .ORG 1000H", "  NOP", "  .END", "  NOP"}, {"!!ORG 1000", "NOP"}},
        {"symbols",
         {"A1 .EQU 1", "A2 = 2", "A3 DEFL 3", "A3 DEFL A3+1", "A4 .SET 5", "  DB A1,A2,A3,A4"},
         {"!!ORG 0000", "!!DB 01,02,04,05"}},
        {"a name with a colon before EQU", {"BDOS: EQU 5", "  CALL BDOS"}, {"!!ORG 0000", "CALL 0005"}},
        {"TASM numbers",
         {"  .org $2000", "  mvi a,$41", "  lxi h,$ + 3"},
         {"!!ORG 2000", "MVI A,41", "LXI H,2005"}},
        {"label with two colons", {"start:: jmp start"}, {"!!ORG 0000", "STAR: JMP STAR"}},
        {"star for the location",
         {"  ORG 100H", "  NOP", "  JMP *", "  LXI H,*+2*3"},
         {"!!ORG 0100", "NOP", "JMP 0101", "LXI H,010A"}},
        {"slashes for a comment",
         {"  MVI A,10 // ten", "// alone"},
         {"!!ORG 0000", "!! ten", "MVI A,0A", "!! alone"}},
        {"M80's radix",
         {"  DB 10", "  .RADIX 16", "  DB 10,0B", "  RADIX 10", "  DB 10"},
         {"!!ORG 0000", "!!DB 0A", "!!DB 10,0B", "!!DB 0A"}},
    };
    for (const auto& c : cases) {
        const auto r = Import(c.source);
        ASSERT_TRUE(r.ok()) << c.name << "\n" << Describe(r);
        EXPECT_EQ(r.lines, c.expected) << c.name;
    }
}

TEST(ImportDialects, SpaceWithAFillByteIsData)
{
    const auto r =
        Import({"  ORG 2000H", "BUF: DEFS 3,0FFH", "  DS 2,'*'", "  .BLOCK 0,1", "ZERO: DS 20,-1", "  HLT"});
    ASSERT_TRUE(r.ok()) << Describe(r);
    const Lines expected = {"!!ORG 2000",
                            "BUFX: !!DB FF,FF,FF",
                            "!!DB 2A,2A",
                            "ZERO: !!DB FF,FF,FF,FF,FF,FF,FF,FF,FF,FF,FF,FF",
                            "!!DB FF,FF,FF,FF,FF,FF,FF,FF",
                            "HLT"};
    EXPECT_EQ(r.lines, expected);
    // Filled, the bytes are the program's: an ORG may not go back over them.
    EXPECT_TRUE(HasFinding(Import({"  ORG 2000H", "  DS 4,0", "  ORG 2002H", "  NOP"}), 3, Level::Error,
                           "goes back over code"));
}

TEST(ImportDialects, StatementsSeparatedByExclamationMarks)
{
    const struct {
        const char* name;
        Lines source;
        Lines expected;
    } cases[] = {
        {"three on a line",
         {"  mvi c,9 ! lxi d,msg ! call 5", "msg: db '!$'"},
         {"!!ORG 0000", "MVI C,09", "LXI D,0008", "CALL 0005", "MSGX: !!DB 21,24"}},
        {"the comment goes first",
         {"  push b!push d ; save them"},
         {"!!ORG 0000", "!! save them", "PUSH B", "PUSH D"}},
        {"a label on the first", {"loop dcr b ! jnz loop"}, {"!!ORG 0000", "LOOP: DCR B", "JNZ LOOP"}},
        {"a '!' in quotes is a character",
         {"  mvi a,'!' ! db \"a!b\""},
         {"!!ORG 0000", "MVI A,21", "!!DB 61,21,62"}},
        {"END on a line ends there", {"  nop ! end ! hlt", "  hlt"}, {"!!ORG 0000", "NOP"}},
    };
    for (const auto& c : cases) {
        const auto r = Import(c.source);
        ASSERT_TRUE(r.ok()) << c.name << "\n" << Describe(r);
        EXPECT_EQ(r.lines, c.expected) << c.name;
    }
    // A name after '!' is not in column one, so it is read as a mnemonic.
    EXPECT_TRUE(HasFinding(Import({"  nop !loop dcr b"}), 1, Level::Error, "'LOOP'"));
}

TEST(ImportDialects, LabelsInColumnOneThatAreDirectiveWords)
{
    const struct {
        const char* name;
        Lines source;
        Lines expected;
    } cases[] = {
        {"a listing word as a label",
         {"list db 1,2", "  lxi h,list"},
         {"!!ORG 0000", "LIST: !!DB 01,02", "LXI H,0000"}},
        {"data that names a listing word", {"list equ 7", "db list"}, {"!!ORG 0000", "!!DB 07"}},
        {"a data word as a label", {"byte db 5", "  lda byte"}, {"!!ORG 0000", "BYTE: !!DB 05", "LDA 0000"}},
        {"a mnemonic is never a label", {"add add b"}, {}},
    };
    for (const auto& c : cases) {
        const auto r = Import(c.source);
        if (c.expected.empty()) {
            EXPECT_FALSE(r.ok()) << c.name;
            continue;
        }
        ASSERT_TRUE(r.ok()) << c.name << "\n" << Describe(r);
        EXPECT_EQ(r.lines, c.expected) << c.name;
    }
}

TEST(ImportDialects, InstructionsTheProgramDoesNotRun)
{
    const struct {
        const char* line;
        const char* message;
    } cases[] = {
        {"  DSUB", "'DSUB' is one of the 8085's undocumented instructions"},
        {"  ldhi 5", "'LDHI' is one of the 8085's undocumented"},
        {"  RSTV", "undocumented"},
        {"  LD A,B", "'LD' is a Z80 instruction"},
        {"  djnz loop", "'DJNZ' is a Z80 instruction"},
        {"  .RADIX 8", ".RADIX takes 10 or 16"},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(HasFinding(Import({"  NOP", c.line}), 2, Level::Error, c.message)) << c.line;
}

TEST(ImportDialects, ModuleDirectives)
{
    // An absolute program of one module may say so; linking is another matter.
    const auto ok = Import({"  NAME MAIN", "  ASEG", "  PUBLIC START", "  ORG 800H", "START: HLT"});
    ASSERT_TRUE(ok.ok()) << Describe(ok);
    EXPECT_EQ(ok.lines, (Lines{"!!ORG 0800", "STAR: HLT"}));
    EXPECT_TRUE(HasFinding(ok, 2, Level::Note, "ASEG changes nothing"));
    EXPECT_TRUE(HasFinding(ok, 3, Level::Note, "PUBLIC changes nothing"));

    const struct {
        const char* line;
        const char* message;
    } errors[] = {
        {"  EXTRN PRINT", "other modules (EXTRN)"},
        {"  CSEG", "relocatable segments (CSEG)"},
        {"  DSEG", "relocatable segments (DSEG)"},
    };
    const auto library = Import({"  MACLIB Z80", "  NOP"});
    ASSERT_TRUE(library.ok()) << Describe(library);
    EXPECT_TRUE(HasFinding(library, 1, Level::Warning, "macro library is not read"));
    EXPECT_TRUE(HasFinding(Import({"  MACLIB Z80", "  LDIR"}), 2, Level::Error, "Z80 instruction"));

    for (const auto& e : errors) {
        EXPECT_TRUE(HasFinding(Import({"  NOP", e.line}), 2, Level::Error, e.message)) << e.line;
    }
}

TEST(ImportDialects, ListingLinesAreRecognised)
{
    const auto r = Import({"2000 3E 05      MVI A,05H"});
    EXPECT_TRUE(HasFinding(r, 1, Level::Error, "looks like a line of a listing")) << Describe(r);
    EXPECT_FALSE(HasFinding(Import({"  12 NOP"}), 1, Level::Error, "listing"));
}

}  // namespace
}  // namespace korvanta::importer::testing
