// Project files as PROGRAM, the instruction reference and the sample programs.

#include "support/cli_process.h"
#include "reference/instruction_reference.h"

namespace korvanta::clitest {
namespace {

TEST_F(CliTest, ProjectIsKnownByItsFirstRecordAndBringsItsOptionsAndFields)
{
    // "Just compile" came with the project; fields show as they stand, a byte that is no UTF-8 as U+FFFD.
    CliResult r = cli("run " + write("any-name.txt", project({"MVI A,42"}, 1, "G\xE9")) + " --json");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    expectReport(r.json(), {{"/status", "Finished Compiling!"}, {"/program", {"MVI A,42", "HLT"}},
                            {"/registers/A", "G\xEF\xBF\xBD"}});
    r = cli("run any-name.txt --json --run-only --poke 0000=76");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    expectReport(r.json(), {{"/status", "Program Finished"}});

    // A corrupt project: the core's message box, then the refusal, and no report.
    r = cli("run " + write("cut.QSM", project({"HLT"}, 0, "00").substr(0, 120)) + " --json");
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.rfind("Korvanta: ", 0), 0u) << r.err;
    EXPECT_NE(r.err.find("\nkorvanta-cli: cannot open the project file"), std::string::npos) << r.err;
}

TEST_F(CliTest, ReferenceListsKeysOrShowsOneHelpTextWithLineFeeds)
{
    std::string list;
    for (const std::string& key : ReferenceKeys()) list += key + "\n";
    EXPECT_EQ(cli("reference").out, list);
    EXPECT_EQ(cli("reference PUSH").out,
              "ACTION: Places data in the stack\n\nUSAGE: PUSH (rp or PSW)\n\nNOTE: Using \"PUSH PSW\" "
              "moves data from the accumulator and the flag register into the stack\n");
}

const std::pair<const char*, Expect> kSamples[] = {
    {"sum.asm", {{"/registers/A", "69"}, {"/memory/0104", "28"}, {"/memory/0110", "69"}}},
    {"multiply.asm", {{"/registers/A", "2A"}, {"/registers/C", "00"}, {"/memory/0120", "2A"}}},
    {"countdown.asm", {{"/registers/D", "0A"}, {"/memory/0200", "0A"}, {"/memory/020A", nullptr}}},
    {"subroutine.asm", {{"/registers/A", "42"}, {"/memory/0130", "2A"}, {"/memory/0131", "42"}}},
    {"stack.asm", {{"/registers/B", "55"}, {"/registers/L", "22"}, {"/SP", "0F00"}, {"/memory/0EFF", "11"}}},
    {"add16.asm", {{"/registers/H", "23"}, {"/registers/L", "01"}, {"/memory/0141", "23"}}},
    {"fill.asm", {{"/startAddress", "0800"}, {"/memory/02FF", nullptr}, {"/memory/0300", "AA"},
                  {"/memory/030F", "AA"}, {"/memory/0310", nullptr}}},
    {"rotate.asm", {{"/registers/A", "40"}, {"/flagBits", "00000001"}, {"/memory/0151", "81"}}},
};

TEST_F(CliTest, SamplesRunToTheResultsTheirCommentsPromise)
{
    for (const auto& [file, expect] : kSamples) {
        SCOPED_TRACE(file);
        CliResult r = cli("run " + quoted(std::string(KORVANTA_EXAMPLES_DIR "/") + file) + " --json");
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.err, "");
        expectReport(r.json(), expect);
    }
}

}  // namespace
}  // namespace korvanta::clitest
