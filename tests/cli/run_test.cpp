// `korvanta-cli run` on text programs: the report, the exit status and the options.

#include "cli/cli_process.h"

namespace korvanta::clitest {
namespace {

using namespace std::string_literals;

struct RunCase {
    const char* name;
    std::string program;
    std::vector<std::string> options;
    int exitCode;
    Expect expect;
};

class RunCaseTest : public CliTest, public ::testing::WithParamInterface<RunCase> {};

TEST_P(RunCaseTest, ReportsTheRun)
{
    const RunCase& c = GetParam();
    CliResult r = runText(c.program, c.options);
    EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
    Json j = r.json();
    expectReport(j, c.expect);
    // Every message box reaches stderr as TITLE: TEXT, line breaks kept, and nothing else does.
    std::string shown;
    for (const Json& m : j["messages"]) shown += m["title"].get<std::string>() + ": " + m["text"].get<std::string>() + "\n";
    EXPECT_EQ(r.err, shown);
}

const Json kMviA05 = {{"0000", "3E"}, {"0001", "05"}, {"0002", "76"}};

INSTANTIATE_TEST_SUITE_P(
    Cases, RunCaseTest,
    ::testing::Values(
        RunCase{"Finished", "MVI A,05\n", {}, 0,
                {{"/status", "Program Finished"}, {"/statusColour", "green"}, {"/errorFlag", false},
                 {"/registers", {{"A", "05"}, {"B", "00"}, {"C", "00"}, {"D", "00"}, {"E", "00"}, {"H", "00"}, {"L", "00"}}},
                 {"/SP", "0BBB"}, {"/PC", "0003"}, {"/flags", "00"}, {"/flagBits", "00000000"},
                 {"/startAddress", "0000"}, {"/window", "0"}, {"/program", {"MVI A,05", "HLT"}},
                 {"/programLog", {"Start Program: Normal CPU/SET3", "Program Finished: HLT-HOLD", "CPU Idle"}},
                 {"/messages", Json::array()}, {"/memory", kMviA05}}},
        RunCase{"FlawedLine", "MOV A,X\n", {}, 1,
                {{"/status", "Compiler Error"}, {"/statusColour", "red"}, {"/errorFlag", true},
                 {"/messages/0/title", "Korvanta"}, {"/messages/0/icon", "critical"}}},
        RunCase{"MissingHlt", "MVI A,05\n", {"--no-auto-hlt"}, 1,
                {{"/status", "Compiler Error"}, {"/memory", {{"0000", "3E"}, {"0001", "05"}}}}},
        RunCase{"UnmatchedTag", "JMP NOPE\nHLT\n", {}, 1,
                {{"/messages/0/text", "Ombrix Korvanta could not match up all jump tags.  Check tags and try agian,"}}},
        RunCase{"ReturnWithoutCall", "RET\nHLT\n", {}, 1, {{"/status", "CPU Error"}, {"/programLog/1", "Error in Program"}}},
        RunCase{"EndlessLoop", "LOOP: JMP LOOP\n", {}, 1, {{"/status", "Memory Error"}, {"/programLog/1", "Out Of Memory"}}},
        RunCase{"StartOutsideWindow", "NOP\n", {"--start", "1000"}, 1, {{"/status", "Engine Idle"}, {"/startAddress", "1000"}}},
        RunCase{"NoLines", "\n \t\r\n", {}, 1,
                {{"/program", Json::array()},
                 {"/messages/0/text", "You must enter valid ASM code into the blank before running your program!"}}},
        RunCase{"CompileOnly", "MVI A,05\n", {"--compile-only"}, 0,
                {{"/status", "Finished Compiling!"}, {"/registers/A", "00"}, {"/memory", kMviA05}}},
        RunCase{"CompileOnlyFlawed", "MOV A,X\n", {"--compile-only"}, 1, {{"/status", "Compiler Error"}}},
        RunCase{"RunOnlyRunsPokedBytes", "MVI A,99\n",
                {"--run-only", "--poke", "0000=3E", "--poke", "0001=07", "--poke", "0002=76"}, 0,
                {{"/registers/A", "07"}, {"/program", {"MVI A,99"}}}},
        RunCase{"Window", "MVI A,05\n", {"--window", "2"}, 0,
                {{"/window", "2"}, {"/startAddress", "2000"}, {"/SP", "2BBB"}, {"/PC", "2003"},
                 {"/messages", Json::array()}, {"/memory", {{"2000", "3E"}, {"2001", "05"}, {"2002", "76"}}}}},
        RunCase{"WindowAndStart", "MVI A,05\n", {"--start", "ba0f", "--window", "b"}, 0,
                {{"/window", "B"}, {"/memory", {{"BA0F", "3E"}, {"BA10", "05"}, {"BA11", "76"}}}}},
        RunCase{"Sets", "NOP\n",
                {"--set", "A=3e", "--set", "b=7", "--set", "C=", "--set", "D=g5", "--set", "E=123", "--set", "H=1,",
                 "--set", "L=11", "--set", "L=22", "--set", "SP=0a00", "--set", "FLAGS=c5"},
                0,
                {{"/registers", {{"A", "3E"}, {"B", "07"}, {"C", "00"}, {"D", "05"}, {"E", "12"}, {"H", "1,"}, {"L", "22"}}},
                 {"/SP", "0A00"}, {"/flags", "C5"}, {"/flagBits", "11000101"}}},
        RunCase{"FieldsStayAsTyped", "NOP\n", {"--set", "FLAGS=4", "--set", "SP=7"}, 0,
                {{"/flags", "4"}, {"/flagBits", "00000000"}, {"/SP", "7"}}},
        RunCase{"Pokes", "NOP\n", {"--poke", "0100=7", "--poke", "0a00=ff", "--poke", "0300=5g", "--poke", "0200="}, 0,
                {{"/memory", {{"0001", "76"}, {"0100", "07"}, {"0300", "05"}, {"0A00", "FF"}}}}},
        RunCase{"Origin", "!!ORG 0800\nMVI A,05\nHLT\n", {}, 0,
                {{"/startAddress", "0800"}, {"/memory", {{"0800", "3E"}, {"0801", "05"}, {"0802", "76"}}}}},
        RunCase{"NoOrigin", "!!ORG 0800\nMVI A,05\nHLT\n", {"--no-org"}, 0, {{"/startAddress", "0000"}, {"/memory", kMviA05}}},
        RunCase{"TypedLikeTheEntryField", "\tmvi\ta,05  \r\n\r\n   \t \r\nmo\0v b,a\r\nmvx\bi c,#0$6\nhlt"s, {}, 0,
                {{"/program", {"MVI A,05", "MOV B,A", "MVI C,06", "HLT"}}, {"/registers/B", "05"}, {"/registers/C", "06"}}},
        RunCase{"Comments", "!! load five; then stop.\nMVI A,05\n", {}, 0,
                {{"/program", {"!! LOAD FIVE THEN STOP.", "MVI A,05", "HLT"}}, {"/memory", kMviA05}}},
        RunCase{"NotAProjectByName", "Korvanta\nHLT\n", {}, 1, {{"/program/0", "KORVANTA"}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CliTest, TextSummaryAlignsRegistersAndFlags)
{
    CliResult r = cli({"run", write("p.asm", "MVI A,05\nSTC\n")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "Status     Program Finished (green)\n"
                     "Registers  A 05  B 00  C 00  D 00  E 00  H 00  L 00\n"
                     "Pointers   SP 0BBB  PC 0004  start 0000  window 0\n"
                     "Flags      S  Z  -  AC -  P  -  CY    value 01\n"
                     "           0  0  0  0  0  0  0  1\n"
                     "Program log\n  Start Program: Normal CPU/SET3\n  Program Finished: HLT-HOLD\n  CPU Idle\n"
                     "Memory (rows other than 00)\n  0000  3E\n  0001  05\n  0002  37\n  0003  76\n");
}

TEST_F(CliTest, SavesAndExportsAfterTheRun)
{
    CliResult r = runText("MVI A,05\n", {"--set", "C=0c", "--save", "plain", "--export", "only.txt"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(readFile(path("only.txt")).rfind("Ombrix Korvanta\r\nBETA Pre-Release\r\n---------------------\r\n\r\n"
                                               "MVI A,05\r\nHLT\r\n\r\nEnd Program - Created on ", 0), 0u);
    r = cli({"run", path("plain.QSM").string(), "--json", "--export", "states.txt", "--export-states"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    expectReport(r.json(), {{"/program", {"MVI A,05", "HLT"}}, {"/registers/C", "0C"}});
    EXPECT_NE(readFile(path("states.txt")).find("Register C: 0C\r\n"), std::string::npos);
    EXPECT_NE(readFile(path("states.txt")).find("\r\n0002: 76\r\n0003: 00\r\n"), std::string::npos);

    // With the memory saved, the project runs without assembling.
    ASSERT_EQ(runText("MVI A,05\n", {"--save", "mem.QSM", "--save-memory"}).exitCode, 0);
    r = cli({"run", path("mem.QSM").string(), "--json", "--run-only", "--set", "A=00"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    expectReport(r.json(), {{"/registers/A", "05"}, {"/memory", kMviA05}});
}

TEST_F(CliTest, FailedSaveComesAfterTheReport)
{
    CliResult r = runText("MVI A,05\n", {"--save", path("no/such/dir/x").string()});
    EXPECT_EQ(r.exitCode, 2);
    expectReport(r.json(), {{"/status", "Program Finished"}, {"/messages/0/title", "Korvanta"}});
    EXPECT_EQ(r.errLines().back().rfind("korvanta-cli: could not save", 0), 0u) << r.err;
}

class BadUsageTest : public CliTest, public ::testing::WithParamInterface<std::vector<std::string>> {};

TEST_P(BadUsageTest, ExitsTwoWithOneLine)
{
    std::vector<std::string> args = GetParam();
    for (auto& a : args) {
        if (a == "PROGRAM") a = write("p.asm", "MVI A,05\n");
        if (a == "DIRECTORY") a = dir_.string();
    }
    CliResult r = cli(args);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.out, "");
    ASSERT_EQ(r.errLines().size(), 1u) << r.err;
    EXPECT_EQ(r.err.rfind("korvanta-cli: ", 0), 0u) << r.err;
}

using Args = std::vector<std::string>;
INSTANTIATE_TEST_SUITE_P(
    Usage, BadUsageTest,
    ::testing::Values(Args{}, Args{"frobnicate"}, Args{"run"}, Args{"run", "PROGRAM", "--bogus"},
                      Args{"run", "PROGRAM", "extra"}, Args{"run", "PROGRAM", "--window", "G"},
                      Args{"run", "PROGRAM", "--window", "10"}, Args{"run", "PROGRAM", "--set", "X=1"},
                      Args{"run", "PROGRAM", "--set", "A"}, Args{"run", "PROGRAM", "--set", "=5"},
                      Args{"run", "PROGRAM", "--poke", "0100"}, Args{"run", "PROGRAM", "--poke", "1000=11"},
                      Args{"run", "PROGRAM", "--compile-only", "--run-only"}, Args{"run", "PROGRAM", "--save-memory"},
                      Args{"run", "PROGRAM", "--export-states"}, Args{"run", "missing.asm"}, Args{"run", "DIRECTORY"},
                      Args{"reference", "NOP", "MOV"}, Args{"reference", "RRC"}, Args{"reference", "nop"},
                      Args{"reference", "SHLD"}));

}  // namespace
}  // namespace korvanta::clitest
