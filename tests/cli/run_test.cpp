// `korvanta-cli run`: the report, the exit status and the options.

#include <string>
#include <vector>

#include "cli/cli_process.h"

namespace korvanta::clitest {
namespace {

using Json = nlohmann::ordered_json;

class RunTest : public CliTest {};

TEST_F(RunTest, JsonReportOfAFinishedProgram)
{
    CliResult r = runText("MVI A,05\n");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    Json j = r.json();

    std::vector<std::string> keys;
    for (auto& item : j.items()) keys.push_back(item.key());
    EXPECT_EQ(keys, (std::vector<std::string>{"status", "statusColour", "errorFlag", "registers", "SP", "PC", "flags",
                                              "flagBits", "startAddress", "window", "program", "programLog",
                                              "systemLog", "messages", "memory"}));
    EXPECT_EQ(j["status"], "Program Finished");
    EXPECT_EQ(j["statusColour"], "green");
    EXPECT_EQ(j["errorFlag"], false);
    EXPECT_EQ(j["registers"], Json::parse(R"({"A":"05","B":"00","C":"00","D":"00","E":"00","H":"00","L":"00"})"));
    EXPECT_EQ(j["SP"], "0BBB");
    EXPECT_EQ(j["PC"], "0003");
    EXPECT_EQ(j["flags"], "00");
    EXPECT_EQ(j["flagBits"], "00000000");
    EXPECT_EQ(j["startAddress"], "0000");
    EXPECT_EQ(j["window"], "0");
    EXPECT_EQ(j["program"], Json::parse(R"(["MVI A,05","HLT"])"));
    EXPECT_EQ(j["programLog"], Json::parse(R"(["Start Program: Normal CPU/SET3","Program Finished: HLT-HOLD","CPU Idle"])"));
    EXPECT_NE(j["systemLog"].get<std::string>().find("Finished Executing: "), std::string::npos);
    EXPECT_EQ(j["messages"], Json::array());
    EXPECT_EQ(j["memory"].dump(), R"({"0000":"3E","0001":"05","0002":"76"})");
}

TEST_F(RunTest, TextSummaryAlignsRegistersAndFlags)
{
    CliResult r = cli({"run", write("p.asm", "MVI A,05\nSTC\n")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Status     Program Finished (green)\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Registers  A 05  B 00  C 00  D 00  E 00  H 00  L 00\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Pointers   SP 0BBB  PC 0004  start 0000  window 0\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Flags      S  Z  -  AC -  P  -  CY    value 01\n"
                         "           0  0  0  0  0  0  0  1\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("Program log\n  Start Program: Normal CPU/SET3\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("  0000  3E\n  0001  05\n  0002  37\n  0003  76\n"), std::string::npos) << r.out;
}

struct FailureCase {
    const char* name;
    const char* program;
    std::vector<std::string> options;
    const char* status;
    const char* messagePart;  // "" when no message box is expected
};

class RunFailureTest : public CliTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(RunFailureTest, ExitsOneAndReportsTheMessage)
{
    const FailureCase& c = GetParam();
    CliResult r = runText(c.program, c.options);
    EXPECT_EQ(r.exitCode, 1) << r.err;
    Json j = r.json();
    EXPECT_EQ(j["status"], c.status);
    if (*c.messagePart == '\0') {
        EXPECT_EQ(j["messages"], Json::array());
        return;
    }
    ASSERT_FALSE(j["messages"].empty());
    const Json& message = j["messages"][0];
    EXPECT_EQ(message["title"], "Korvanta");
    EXPECT_EQ(message["icon"], "critical");
    std::string text = message["text"];
    EXPECT_NE(text.find(c.messagePart), std::string::npos) << text;
    // The same box on stderr, line breaks and all.
    EXPECT_EQ(r.err.rfind("Korvanta: " + text + "\n", 0), 0u) << r.err;
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, RunFailureTest,
    ::testing::Values(
        FailureCase{"FlawedLine", "MOV A,X\n", {}, "Compiler Error", "Check the highlighted code and try again."},
        FailureCase{"MissingHlt", "MVI A,05\n", {"--no-auto-hlt"}, "Compiler Error", "(KVNTA:6523)"},
        FailureCase{"UnmatchedTag", "JMP NOPE\nHLT\n", {}, "Finished Compiling!", "could not match up all jump tags"},
        FailureCase{"ReturnWithoutCall", "RET\nHLT\n", {}, "CPU Error", ""},
        FailureCase{"EndlessLoop", "LOOP: JMP LOOP\n", {}, "Memory Error", "out of available memory"},
        FailureCase{"StartOutsideWindow", "NOP\n", {"--start", "1000"}, "Engine Idle", "is impossible"},
        FailureCase{"NoProgramLines", "\n   \n\t\n", {}, "Engine Idle", "You must enter valid ASM code"},
        FailureCase{"CompileOnlyStillChecksTheCode", "MOV A,X\n", {"--compile-only"}, "Compiler Error",
                    "(KVNTA:6522)"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RunTest, CompilerMessageKeepsItsLineBreaks)
{
    CliResult r = runText("MOV A,X\n");
    ASSERT_EQ(r.exitCode, 1);
    std::vector<std::string> lines = r.errLines();
    ASSERT_GE(lines.size(), 3u) << r.err;
    EXPECT_EQ(lines[0], "Korvanta: Ombrix Korvanta Compiler Message:");
    EXPECT_EQ(lines[1], "");
}

TEST_F(RunTest, CompileOnlyAssemblesWithoutRunning)
{
    CliResult r = runText("MVI A,05\n", {"--compile-only"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    Json j = r.json();
    EXPECT_EQ(j["status"], "Finished Compiling!");
    EXPECT_EQ(j["registers"]["A"], "00");
    EXPECT_EQ(j["memory"].dump(), R"({"0000":"3E","0001":"05","0002":"76"})");
    EXPECT_EQ(j["programLog"], Json::array());
}

TEST_F(RunTest, RunOnlyExecutesPokedBytesWithoutAssembling)
{
    CliResult r = runText("MVI A,99\n", {"--run-only", "--poke", "0000=3E", "--poke", "0001=07", "--poke", "0002=76"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    Json j = r.json();
    EXPECT_EQ(j["registers"]["A"], "07");
    EXPECT_EQ(j["program"], Json::parse(R"(["MVI A,99"])"));
    EXPECT_EQ(j["memory"].dump(), R"({"0000":"3E","0001":"07","0002":"76"})");
}

TEST_F(RunTest, WindowAndStartMoveTheProgram)
{
    CliResult r = runText("MVI A,05\n", {"--window", "2"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");  // the range question is the option itself: neither printed nor recorded
    Json j = r.json();
    EXPECT_EQ(j["window"], "2");
    EXPECT_EQ(j["startAddress"], "2000");
    EXPECT_EQ(j["SP"], "2BBB");
    EXPECT_EQ(j["PC"], "2003");
    EXPECT_EQ(j["messages"], Json::array());
    EXPECT_EQ(j["memory"].dump(), R"({"2000":"3E","2001":"05","2002":"76"})");

    r = runText("MVI A,05\n", {"--window", "b", "--start", "ba0f"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    j = r.json();
    EXPECT_EQ(j["window"], "B");
    EXPECT_EQ(j["startAddress"], "BA0F");
    EXPECT_EQ(j["memory"].dump(), R"({"BA0F":"3E","BA10":"05","BA11":"76"})");
}

struct SetCase {
    const char* option;
    const char* field;  // a key of the report, or a register
    const char* expected;
};

class SetOptionTest : public CliTest, public ::testing::WithParamInterface<SetCase> {};

TEST_P(SetOptionTest, TypesIntoTheFieldAndLeavesIt)
{
    const SetCase& c = GetParam();
    CliResult r = runText("NOP\n", {"--set", c.option});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    Json j = r.json();
    const Json& value = j["registers"].contains(c.field) ? j["registers"][c.field] : j[c.field];
    EXPECT_EQ(value, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, SetOptionTest,
    ::testing::Values(SetCase{"A=3e", "A", "3E"},          // upper-cased
                      SetCase{"b=7", "B", "07"},           // completed when the field loses the focus
                      SetCase{"C=", "C", "00"},            // emptied field becomes 00
                      SetCase{"D=g5", "D", "05"},          // G is no key of a hexadecimal field
                      SetCase{"E=123", "E", "12"},         // the field takes two characters
                      SetCase{"H=1,", "H", "1,"},          // a comma passes the filter and stays
                      SetCase{"SP=0a00", "SP", "0A00"},
                      SetCase{"SP=7", "SP", "7"},          // SP is not completed
                      SetCase{"FLAGS=45", "flagBits", "01000101"},
                      SetCase{"flags=c5", "flags", "C5"},
                      SetCase{"FLAGS=4", "flags", "4"},    // reported as it stands
                      SetCase{"FLAGS=4", "flagBits", "00000000"}));

TEST_F(RunTest, SetsApplyInCommandLineOrder)
{
    CliResult r = runText("NOP\n", {"--set", "A=11", "--set", "A=22"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.json()["registers"]["A"], "22");
}

TEST_F(RunTest, PokeEditsTheRowOfTheAddress)
{
    CliResult r = runText("NOP\n", {"--poke", "0100=7", "--poke", "0a00=ff", "--poke", "0200=", "--poke", "0300=5g"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    Json memory = r.json()["memory"];
    EXPECT_EQ(memory["0100"], "07");
    EXPECT_EQ(memory["0A00"], "FF");
    EXPECT_FALSE(memory.contains("0200"));  // an empty entry stores 00
    EXPECT_EQ(memory["0300"], "05");
}

TEST_F(RunTest, PokeOutsideTheWindowIsAnError)
{
    CliResult r = runText("NOP\n", {"--poke", "1000=11"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.out, "");
    ASSERT_EQ(r.errLines().size(), 1u) << r.err;
    EXPECT_EQ(r.err.rfind("korvanta-cli: ", 0), 0u);

    // With the window on the 1000 block the same address is inside.
    r = runText("NOP\n", {"--window", "1", "--poke", "1000=11"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
}

TEST_F(RunTest, OriginLinesFollowTheOption)
{
    const char* program = "!!ORG 0800\nMVI A,05\nHLT\n";
    Json j = runText(program).json();
    EXPECT_EQ(j["startAddress"], "0800");
    EXPECT_EQ(j["memory"].dump(), R"({"0800":"3E","0801":"05","0802":"76"})");

    CliResult r = runText(program, {"--no-org"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    j = r.json();
    EXPECT_EQ(j["startAddress"], "0000");
    EXPECT_EQ(j["memory"].dump(), R"({"0000":"3E","0001":"05","0002":"76"})");
}

TEST_F(RunTest, SavedProjectRunsAgain)
{
    CliResult r = runText("MVI A,05\nMOV B,A\n", {"--save", "saved", "--set", "C=0c", "--no-org"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    ASSERT_TRUE(std::filesystem::exists(path("saved.QSM")));
    // Without memory: 16 header records, 3 lines, ###END###, END.
    EXPECT_GE(std::filesystem::file_size(path("saved.QSM")), 20u * 50u + 2u);
    EXPECT_LE(std::filesystem::file_size(path("saved.QSM")), 21u * 50u);

    r = cli({"run", path("saved.QSM").string(), "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    Json j = r.json();
    EXPECT_EQ(j["program"], Json::parse(R"(["MVI A,05","MOV B,A","HLT"])"));
    EXPECT_EQ(j["registers"]["B"], "05");
    EXPECT_EQ(j["registers"]["C"], "0C");  // the state was saved with the project
}

TEST_F(RunTest, SavedMemoryRunsWithoutAssembling)
{
    CliResult r = runText("MVI A,05\n", {"--save", "withmem.QSM", "--save-memory"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    r = cli({"run", path("withmem.QSM").string(), "--json", "--run-only", "--set", "A=00"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    Json j = r.json();
    EXPECT_EQ(j["registers"]["A"], "05");
    EXPECT_EQ(j["memory"].dump(), R"({"0000":"3E","0001":"05","0002":"76"})");
}

TEST_F(RunTest, ExportsWriteTheTextFiles)
{
    CliResult r = runText("MVI A,05\n", {"--export", "only.txt"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::string only = readFile(path("only.txt"));
    EXPECT_EQ(only.rfind("Ombrix Korvanta\r\nBETA Pre-Release\r\n---------------------\r\n\r\nMVI A,05\r\nHLT\r\n\r\n"
                         "End Program - Created on ",
                         0),
              0u)
        << only;

    r = runText("MVI A,05\n", {"--export", "states.txt", "--export-states"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::string states = readFile(path("states.txt"));
    EXPECT_NE(states.find("Register A: 05\r\n"), std::string::npos);
    EXPECT_NE(states.find("Program Counter: 0003\r\n"), std::string::npos);
    EXPECT_NE(states.find("0002: 76\r\n0003: 00\r\n"), std::string::npos);
}

TEST_F(RunTest, FailedSaveIsReportedAfterTheReport)
{
    CliResult r = runText("MVI A,05\n", {"--save", path("missing/dir/x.QSM").string()});
    EXPECT_EQ(r.exitCode, 2);
    Json j = r.json();  // the report still comes
    EXPECT_EQ(j["status"], "Program Finished");
    ASSERT_EQ(j["messages"].size(), 1u);
    EXPECT_NE(j["messages"][0]["text"].get<std::string>().find("Ombrix Korvanta Saving Error"), std::string::npos);
    std::vector<std::string> lines = r.errLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back().rfind("korvanta-cli: could not save", 0), 0u) << r.err;
}

class BadOptionTest : public CliTest, public ::testing::WithParamInterface<std::vector<std::string>> {};

TEST_P(BadOptionTest, ExitsTwoWithOneLine)
{
    std::vector<std::string> args = GetParam();
    for (auto& a : args) {
        if (a == "PROGRAM") a = write("p.asm", "MVI A,05\n");
    }
    CliResult r = cli(args);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.out, "");
    ASSERT_EQ(r.errLines().size(), 1u) << r.err;
    EXPECT_EQ(r.err.rfind("korvanta-cli: ", 0), 0u) << r.err;
}

INSTANTIATE_TEST_SUITE_P(
    Usage, BadOptionTest,
    ::testing::Values(std::vector<std::string>{}, std::vector<std::string>{"frobnicate"},
                      std::vector<std::string>{"run"}, std::vector<std::string>{"run", "PROGRAM", "--bogus"},
                      std::vector<std::string>{"run", "PROGRAM", "extra"},
                      std::vector<std::string>{"run", "PROGRAM", "--window", "G"},
                      std::vector<std::string>{"run", "PROGRAM", "--window", "10"},
                      std::vector<std::string>{"run", "PROGRAM", "--window"},
                      std::vector<std::string>{"run", "PROGRAM", "--set", "X=1"},
                      std::vector<std::string>{"run", "PROGRAM", "--set", "A"},
                      std::vector<std::string>{"run", "PROGRAM", "--set", "=5"},
                      std::vector<std::string>{"run", "PROGRAM", "--poke", "0100"},
                      std::vector<std::string>{"run", "PROGRAM", "--compile-only", "--run-only"},
                      std::vector<std::string>{"run", "PROGRAM", "--save-memory"},
                      std::vector<std::string>{"run", "PROGRAM", "--export-states"},
                      std::vector<std::string>{"run", "missing.asm"},
                      std::vector<std::string>{"reference", "NOP", "MOV"}));

}  // namespace
}  // namespace korvanta::clitest
