// `korvanta-cli run` on text programs: the report, the exit status and the options.

#include "support/cli_process.h"

namespace korvanta::clitest {
namespace {

struct RunCase {
    const char* name;
    const char* program;
    const char* options;  // shell words
    int exitCode;
    Expect expect;
    const char* errAfterMessages = "";
};

class RunCaseTest : public CliTest, public ::testing::WithParamInterface<RunCase> {};

TEST_P(RunCaseTest, ReportsTheRun)
{
    const RunCase& c = GetParam();
    CliResult r = cli("run " + write("p.asm", c.program) + " --json " + c.options);
    EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
    Json j = r.json();
    std::string keys;
    for (const auto& [key, value] : j.items()) keys += key + " ";
    EXPECT_EQ(keys, "status statusColour errorFlag registers SP PC flags flagBits startAddress window "
                    "program programLog systemLog messages memory instructions selectedLine ");
    expectReport(j, c.expect);
    // Every message box reaches stderr as TITLE: TEXT, line breaks kept, and nothing else does.
    std::string shown;
    for (const Json& m : j["messages"]) shown += m.value("title", "") + ": " + m.value("text", "") + "\n";
    EXPECT_EQ(r.err, shown + c.errAfterMessages);
}

const Json kMviA05 = {{"0000", "3E"}, {"0001", "05"}, {"0002", "76"}};

INSTANTIATE_TEST_SUITE_P(
    Cases, RunCaseTest,
    ::testing::Values(
        RunCase{"Finished", "MVI A,05\n", "", 0,
                {{"/status", "Program Finished"}, {"/statusColour", "green"}, {"/errorFlag", false},
                 {"/registers", {{"A", "05"}, {"B", "00"}, {"C", "00"}, {"D", "00"}, {"E", "00"},
                                 {"H", "00"}, {"L", "00"}}},
                 {"/SP", "0BBB"}, {"/PC", "0003"}, {"/flags", "00"}, {"/flagBits", "00000000"},
                 {"/startAddress", "0000"}, {"/window", "0"}, {"/program", {"MVI A,05", "HLT"}},
                 {"/programLog",
                  {"Start Program: Normal CPU/SET3", "Program Finished: HLT-HOLD", "CPU Idle"}},
                 {"/messages", Json::array()}, {"/memory", kMviA05}}},
        RunCase{"FlawedLine", "MOV A,X\n", "", 1,
                {{"/status", "Compiler Error"}, {"/statusColour", "red"}, {"/errorFlag", true},
                 {"/messages/0/title", "Korvanta"}, {"/messages/0/icon", "critical"}}},
        RunCase{"NoAutoHlt", "MVI A,05\n", "--no-auto-hlt", 1,
                {{"/status", "Compiler Error"}, {"/memory", {{"0000", "3E"}, {"0001", "05"}}}}},
        RunCase{"StartOutsideWindow", "NOP\n", "--start 1000", 1,
                {{"/status", "Engine Idle"}, {"/startAddress", "1000"}}},
        RunCase{"CompileOnly", "MVI A,05\n", "--compile-only", 0,
                {{"/status", "Finished Compiling!"}, {"/registers/A", "00"}, {"/memory", kMviA05}}},
        // Compiled, yet with an error raised: no success.
        RunCase{"CompileOnlyUnmatchedTag", "JMP NOPE\nHLT\n", "--compile-only", 1,
                {{"/status", "Finished Compiling!"}, {"/errorFlag", true},
                 {"/messages/0/text",
                  "Ombrix Korvanta could not match up all jump tags.  Check tags and try agian,"}}},
        RunCase{"RunOnlyRunsPokedBytes", "MVI A,99\n",
                "--run-only --poke 0000=3E --poke 0001=07 --poke 0002=76", 0,
                {{"/registers/A", "07"}, {"/program", {"MVI A,99"}}}},
        // The window is shown first, whatever the order of the options; then the start address is typed.
        RunCase{"WindowAndStart", "MVI A,05\n", "--start ba0f --window b", 0,
                {{"/window", "B"}, {"/startAddress", "BA0F"}, {"/SP", "BBBB"}, {"/PC", "BA12"},
                 {"/memory", {{"BA0F", "3E"}, {"BA10", "05"}, {"BA11", "76"}}}}},
        // Values are typed into the fields: their key filters and lengths apply, the last --set wins.
        RunCase{"Sets", "NOP\n",
                "--set A=3e --set b=7 --set C= --set D=g5 --set E=123 --set H=1, --set L=11 --set L=22 "
                "--set SP=0a00 --set FLAGS=c5",
                0,
                {{"/registers", {{"A", "3E"}, {"B", "07"}, {"C", "00"}, {"D", "05"}, {"E", "12"},
                                 {"H", "1,"}, {"L", "22"}}},
                 {"/SP", "0A00"}, {"/flags", "C5"}, {"/flagBits", "11000101"}}},
        RunCase{"Pokes", "NOP\n", "--poke 0100=7 --poke 0a00=ff --poke 0300=5g --poke 0200=", 0,
                {{"/memory", {{"0001", "76"}, {"0100", "07"}, {"0300", "05"}, {"0A00", "FF"}}}}},
        RunCase{"Origin", "!!ORG 0800\nMVI A,05\nHLT\n", "", 0,
                {{"/startAddress", "0800"}, {"/memory", {{"0800", "3E"}, {"0801", "05"}, {"0802", "76"}}}}},
        RunCase{"NoOrigin", "!!ORG 0800\nMVI A,05\nHLT\n", "--no-org", 0,
                {{"/startAddress", "0000"}, {"/memory", kMviA05}}},
        // Lines are typed into the entry field: its filter, backspace included, upper-cases and drops keys.
        RunCase{"TypedLikeTheEntryField", "!! load; go\r\n\tmvi\ta,05  \r\n\r\n  \t \r\nmvx\bi c,#0$6\nhlt",
                "", 0, {{"/program", {"!! LOAD GO", "MVI A,05", "MVI C,06", "HLT"}}, {"/registers/C", "06"}}},
        RunCase{"NotAProjectByName", "Korvanta\nHLT\n", "", 1, {{"/program/0", "KORVANTA"}}},
        // A failed save is told after the report, and the run's verdict gives way to it.
        RunCase{"FailedSave", "MVI A,05\n", "--save no/such/dir/x", 2,
                {{"/status", "Program Finished"}, {"/messages/0/title", "Korvanta"}},
                "korvanta-cli: could not save the project to 'no/such/dir/x'\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CliTest, TextSummaryAlignsRegistersAndFlags)
{
    CliResult r = cli("run " + write("p.asm", "MVI A,05\nSTC\n"));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "Status     Program Finished (green)\n"
                     "Registers  A 05  B 00  C 00  D 00  E 00  H 00  L 00\n"
                     "Pointers   SP 0BBB  PC 0004  start 0000  window 0\n"
                     "Flags      S  Z  -  AC -  P  -  CY    value 01\n"
                     "           0  0  0  0  0  0  0  1\n"
                     "Executed   3 instructions\n"
                     "Program log\n  Start Program: Normal CPU/SET3\n  Program Finished: HLT-HOLD\n"
                     "  CPU Idle\n"
                     "Memory (rows other than 00)\n  0000  3E\n  0001  05\n  0002  37\n  0003  76\n");
}

TEST_F(CliTest, SavesAndExportsAfterTheRun)
{
    write("a.asm", "MVI A,05\n");
    ASSERT_EQ(cli("run a.asm --set C=0c --save plain --export only.txt").exitCode, 0);
    const std::string head = "Ombrix Korvanta\r\nBETA Pre-Release\r\n---------------------\r\n\r\nMVI A,05";
    EXPECT_EQ(readFile(path("only.txt")).rfind(head + "\r\nHLT\r\n\r\nEnd Program - Created on ", 0), 0u);
    CliResult r = cli("run plain.QSM --json --export states.txt --export-states");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    expectReport(r.json(), {{"/program", {"MVI A,05", "HLT"}}, {"/registers/C", "0C"}});
    EXPECT_NE(readFile(path("states.txt")).find("Register C: 0C\r\n"), std::string::npos);
    EXPECT_NE(readFile(path("states.txt")).find("\r\n0002: 76\r\n0003: 00\r\n"), std::string::npos);

    // With the memory saved, the project runs without assembling.
    ASSERT_EQ(cli("run a.asm --save mem.QSM --save-memory").exitCode, 0);
    r = cli("run mem.QSM --json --run-only --set A=00");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    expectReport(r.json(), {{"/registers/A", "05"}, {"/memory", kMviA05}});
}

// Wrong usage, missing inputs and reference keys without a help text: exit 2, one line on stderr, no report.
TEST_F(CliTest, BadUsageExitsTwoWithOneLine)
{
    write("p.asm", "MVI A,05\n");
    for (const char* args :
         {"", "frobnicate", "run", "run p.asm --bogus", "run p.asm extra", "run p.asm --window G",
          "run p.asm --window 10", "run p.asm --set X=1", "run p.asm --set A", "run p.asm --set =5",
          "run p.asm --poke 0100", "run p.asm --poke 1000=11", "run p.asm --compile-only --run-only",
          "run p.asm --save-memory", "run p.asm --export-states", "run missing.asm", "run .",
          "reference NOP MOV", "reference RRC", "reference nop", "reference SHLD"}) {
        CliResult r = cli(args);
        EXPECT_EQ(r.exitCode, 2) << args;
        EXPECT_EQ(r.out, "") << args;
        EXPECT_EQ(r.err.rfind("korvanta-cli: ", 0), 0u) << args << ": " << r.err;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << args << ": " << r.err;
    }
}

}  // namespace
}  // namespace korvanta::clitest
