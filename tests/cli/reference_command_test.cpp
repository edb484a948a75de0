// `korvanta-cli reference`.

#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_process.h"
#include "reference/instruction_reference.h"

namespace korvanta::clitest {
namespace {

class ReferenceCommandTest : public CliTest {};

TEST_F(ReferenceCommandTest, ListsTheKeysInOrder)
{
    CliResult r = cli({"reference"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::vector<std::string> lines;
    std::istringstream in(r.out);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 53u);
    EXPECT_EQ(lines, ReferenceKeys());
    EXPECT_EQ(lines.front(), "NOP");
    EXPECT_EQ(lines[8], "SHDL");
    EXPECT_EQ(lines.back(), "!![data]");
}

TEST_F(ReferenceCommandTest, PrintsTheHelpTextOfAKey)
{
    CliResult r = cli({"reference", "NOP"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "ACTION: No Operation\n\nUSAGE: NOP\n");

    r = cli({"reference", "PUSH"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out,
              "ACTION: Places data in the stack\n\nUSAGE: PUSH (rp or PSW)\n\n"
              "NOTE: Using \"PUSH PSW\" moves data from the accumulator and the flag register into the stack\n");
}

TEST_F(ReferenceCommandTest, KeysWithoutARowExitTwo)
{
    for (const char* key : {"RRC", "RAL", "SHLD", "nop", "FOO", ""}) {
        CliResult r = cli({"reference", key});
        EXPECT_EQ(r.exitCode, 2) << key;
        EXPECT_EQ(r.out, "") << key;
        EXPECT_EQ(r.errLines().size(), 1u) << r.err;
    }
}

}  // namespace
}  // namespace korvanta::clitest
