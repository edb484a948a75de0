// The samples written in standard 8085 assembly import and run in Full 8085 mode to the results their
// comments state, worked out by hand for a real 8085.

#include "support/cli_process.h"

namespace korvanta::clitest {
namespace {

TEST_F(CliTest, StandardSamplesRunToTheirResults)
{
    const struct {
        const char* file;
        const char* options;
        Expect expect;
    } samples[] = {
        {"max-of-list.asm", "", {{"/registers/A", "9F"}, {"/memory/201D", "9F"}, {"/window", "2"}}},
        {"bcd-add.asm", "", {{"/memory/011D", "12"}, {"/memory/011E", "69"}, {"/flagBits", "00000100"}}},
        {"hello-cpm.asm", "--bdos", {{"/console", "Hello from the 8085!\r\n"}, {"/programLog/1", "Program Finished: Warm Boot"}}},
        {"interrupts.asm", "--interrupt 20:RST7.5 --interrupt 40:RST7.5 --interrupt 60:RST7.5",
         {{"/registers/B", "03"}, {"/SP", "0F00"}, {"/interrupts/enabled", true}}},
    };
    for (const auto& s : samples) {
        SCOPED_TRACE(s.file);
        CliResult r = cli("run " + quoted(std::string(KORVANTA_EXAMPLES_DIR "/") + s.file) + " --import --json " +
                          s.options);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        expectReport(r.json(), s.expect);
        expectReport(r.json(), {{"/status", "Program Finished"}});
    }
}

}  // namespace
}  // namespace korvanta::clitest
