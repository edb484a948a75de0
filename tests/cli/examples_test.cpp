// Every sample program in examples/ runs through the CLI to the result its
// comments promise.

#include <map>
#include <string>

#include "cli/cli_process.h"

namespace korvanta::clitest {
namespace {

struct ExampleCase {
    const char* file;
    std::map<std::string, std::string> registers;
    std::map<std::string, std::string> memory;
    std::map<std::string, std::string> fields;  // other report keys
};

class ExampleTest : public CliTest, public ::testing::WithParamInterface<ExampleCase> {};

TEST_P(ExampleTest, RunsToItsPromisedResult)
{
    const ExampleCase& c = GetParam();
    CliResult r = cli({"run", std::string(KORVANTA_EXAMPLES_DIR) + "/" + c.file, "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    auto j = r.json();
    EXPECT_EQ(j["status"], "Program Finished");
    EXPECT_EQ(j["messages"].size(), 0u);
    for (const auto& [name, value] : c.registers) EXPECT_EQ(j["registers"][name], value) << name;
    for (const auto& [address, value] : c.memory) {
        std::string actual = j["memory"].contains(address) ? j["memory"][address].get<std::string>() : "00";
        EXPECT_EQ(actual, value) << address;
    }
    for (const auto& [key, value] : c.fields) EXPECT_EQ(j[key], value) << key;
    // Every sample explains itself.
    EXPECT_EQ(j["program"][0].get<std::string>().rfind("!!", 0), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Samples, ExampleTest,
    ::testing::Values(
        ExampleCase{"sum.asm", {{"A", "69"}, {"B", "00"}}, {{"0100", "05"}, {"0104", "28"}, {"0110", "69"}}, {}},
        ExampleCase{"multiply.asm", {{"A", "2A"}, {"C", "00"}}, {{"0120", "2A"}}, {}},
        ExampleCase{"countdown.asm",
                    {{"B", "00"}, {"D", "0A"}},
                    {{"0200", "0A"}, {"0205", "05"}, {"0209", "01"}, {"020A", "00"}},
                    {{"flagBits", "01000100"}}},
        ExampleCase{"subroutine.asm", {{"A", "42"}}, {{"0130", "2A"}, {"0131", "42"}}, {}},
        ExampleCase{"stack.asm",
                    {{"A", "77"}, {"B", "55"}, {"C", "66"}, {"D", "33"}, {"E", "44"}, {"H", "11"}, {"L", "22"}},
                    {{"0EF8", "77"}, {"0EF9", "01"}, {"0EFF", "11"}},
                    {{"SP", "0F00"}, {"flags", "01"}}},
        ExampleCase{"add16.asm", {{"H", "23"}, {"L", "01"}}, {{"0140", "01"}, {"0141", "23"}}, {{"flagBits", "00000000"}}},
        ExampleCase{"fill.asm",
                    {{"H", "03"}, {"L", "10"}, {"B", "00"}},
                    {{"02FF", "00"}, {"0300", "AA"}, {"030F", "AA"}, {"0310", "00"}, {"0000", "00"}, {"0800", "21"}},
                    {{"startAddress", "0800"}}},
        ExampleCase{"rotate.asm",
                    {{"A", "40"}},
                    {{"0150", "03"}, {"0151", "81"}, {"0152", "03"}, {"0153", "81"}, {"0154", "40"}},
                    {{"flagBits", "00000001"}}}),
    [](const auto& info) {
        std::string name = info.param.file;
        return name.substr(0, name.find('.'));
    });

}  // namespace
}  // namespace korvanta::clitest
