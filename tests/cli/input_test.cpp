// Project files as PROGRAM, and inputs that must end in a clear message, never a crash.

#include "cli/cli_process.h"
#include "reference/instruction_reference.h"

namespace korvanta::clitest {
using namespace std::string_literals;
namespace {

// A project laid out as the save procedure writes it: 50-byte records.
std::string record(const std::string& text, bool integer = false)
{
    std::string r(50, '\0');
    int value = integer ? std::stoi(text) : static_cast<int>(text.size());
    r[0] = static_cast<char>(value & 0xFF);
    r[1] = static_cast<char>((value >> 8) & 0xFF);
    if (!integer) r.replace(2, text.size(), text);
    return r;
}

std::string project(const std::vector<std::string>& lines, const std::string& check1 = "0", const std::string& a = "00")
{
    std::string bytes = record("Korvanta") + record(check1, true) + record("0", true) + record("1", true) + record("1", true);
    for (const std::string& field : {a, "00"s, "00"s, "00"s, "00"s, "00"s, "00"s, "0BBB"s, "0000"s, "00"s}) bytes += record(field);
    bytes += record("###Start###");
    for (const std::string& line : lines) bytes += record(line);
    return bytes + record("###END###") + record("END");
}

TEST_F(CliTest, ProjectIsRecognisedByItsFirstRecordAndItsOptionsStand)
{
    CliResult r = cli({"run", write("any-name.txt", project({"MVI A,42"}, "1")), "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;  // "Just compile (do not run)" came with the project
    expectReport(r.json(), {{"/status", "Finished Compiling!"}, {"/program", {"MVI A,42", "HLT"}}, {"/registers/A", "00"}});

    r = cli({"run", path("any-name.txt").string(), "--json", "--run-only", "--poke", "0000=76"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    expectReport(r.json(), {{"/status", "Program Finished"}});

    // Field texts are reported as they stand; a byte that is no UTF-8 becomes U+FFFD.
    r = cli({"run", write("odd.QSM", project({"NOP"}, "0", "G\xE9")), "--json"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    expectReport(r.json(), {{"/registers/A", "G\xEF\xBF\xBD"}});
}

TEST_F(CliTest, CorruptProjectIsRefusedWithTheCoresMessage)
{
    CliResult r = cli({"run", write("cut.QSM", project({"HLT"}).substr(0, 120)), "--json"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.out, "");
    auto lines = r.errLines();
    ASSERT_GE(lines.size(), 2u) << r.err;
    EXPECT_EQ(lines.front().rfind("Korvanta: ", 0), 0u) << r.err;
    EXPECT_EQ(lines.back().rfind("korvanta-cli: ", 0), 0u) << r.err;
}

TEST_F(CliTest, HugeAndBinaryInputsEndCleanly)
{
    std::string noise;
    for (unsigned i = 0, s = 12345; i < 65536; ++i) noise += static_cast<char>((s = s * 1103515245u + 12345u) >> 16);
    CliResult r = cli({"run", write("noise.bin", noise), "--json"});
    EXPECT_TRUE(r.exitCode == 1 || r.exitCode == 2) << r.exitCode;
    EXPECT_NE(r.err, "");

    std::string nops;
    for (int i = 0; i < 200000; ++i) nops += "NOP\n";
    r = runText(nops);
    EXPECT_EQ(r.exitCode, 1);
    expectReport(r.json(), {{"/status", "Compiler Error"}, {"/program/199999", "NOP"}});
    EXPECT_NE(r.err.find("out a memory"), std::string::npos);

    r = cli({"run", write("huge.QSM", project(std::vector<std::string>(100000, "NOP"))), "--json"});
    EXPECT_EQ(r.exitCode, 1);
    expectReport(r.json(), {{"/status", "Compiler Error"}, {"/program/99999", "NOP"}});

    std::filesystem::resize_file(write("big.asm", ""), 17u * 1024u * 1024u);
    r = cli({"run", path("big.asm").string()});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("larger than"), std::string::npos) << r.err;
}

TEST_F(CliTest, ReferenceListsKeysAndShowsHelp)
{
    std::string list;
    for (const std::string& key : ReferenceKeys()) list += key + "\n";
    EXPECT_EQ(ReferenceKeys().size(), 53u);
    EXPECT_EQ(cli({"reference"}).out, list);

    EXPECT_EQ(cli({"reference", "NOP"}).out, "ACTION: No Operation\n\nUSAGE: NOP\n");
    EXPECT_EQ(cli({"reference", "PUSH"}).out,
              "ACTION: Places data in the stack\n\nUSAGE: PUSH (rp or PSW)\n\n"
              "NOTE: Using \"PUSH PSW\" moves data from the accumulator and the flag register into the stack\n");
}

struct Example {
    const char* file;
    Expect expect;
};

class ExampleTest : public CliTest, public ::testing::WithParamInterface<Example> {};

TEST_P(ExampleTest, RunsToTheResultItsCommentsPromise)
{
    CliResult r = cli({"run", std::string(KORVANTA_EXAMPLES_DIR "/") + GetParam().file, "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    Json j = r.json();
    expectReport(j, GetParam().expect);
    EXPECT_EQ(j["program"][0].get<std::string>().rfind("!!", 0), 0u);  // each sample starts with its comments
}

INSTANTIATE_TEST_SUITE_P(
    Samples, ExampleTest,
    ::testing::Values(
        Example{"sum.asm", {{"/registers/A", "69"}, {"/memory/0104", "28"}, {"/memory/0110", "69"}}},
        Example{"multiply.asm", {{"/registers/A", "2A"}, {"/registers/C", "00"}, {"/memory/0120", "2A"}}},
        Example{"countdown.asm",
                {{"/registers/D", "0A"}, {"/memory/0200", "0A"}, {"/memory/0209", "01"}, {"/memory/020A", nullptr}}},
        Example{"subroutine.asm", {{"/registers/A", "42"}, {"/memory/0130", "2A"}, {"/memory/0131", "42"}}},
        Example{"stack.asm",
                {{"/registers", {{"A", "77"}, {"B", "55"}, {"C", "66"}, {"D", "33"}, {"E", "44"}, {"H", "11"}, {"L", "22"}}},
                 {"/SP", "0F00"}, {"/flags", "01"}, {"/memory/0EF8", "77"}, {"/memory/0EFF", "11"}}},
        Example{"add16.asm", {{"/registers/H", "23"}, {"/registers/L", "01"}, {"/memory/0140", "01"}, {"/memory/0141", "23"}}},
        Example{"fill.asm",
                {{"/startAddress", "0800"}, {"/memory/02FF", nullptr}, {"/memory/0300", "AA"}, {"/memory/030F", "AA"},
                 {"/memory/0310", nullptr}, {"/memory/0000", nullptr}}},
        Example{"rotate.asm",
                {{"/registers/A", "40"}, {"/flagBits", "00000001"}, {"/memory/0150", "03"}, {"/memory/0151", "81"},
                 {"/memory/0154", "40"}}}),
    [](const auto& info) {
        std::string name = info.param.file;
        return name.substr(0, name.find('.'));
    });

}  // namespace
}  // namespace korvanta::clitest
