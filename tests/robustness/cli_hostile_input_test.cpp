// Hostile PROGRAM files given to `korvanta-cli run`: each ends with the documented exit status (0 ran,
// 1 the program failed, 2 the input was refused) and a clear message, never with a crash or a
// sanitizer report.

#include <optional>
#include <random>

#include "support/cli_process.h"

namespace korvanta::clitest {
namespace {

std::string tenMegabytesOfProgram()
{
    const char* const lines[] = {"MVI A,05\n",   "ADD B\n",   "LOOP: DCR C\n", "jnz loop\n",
                                 "LXI H,0800\n", "MOV M,A\n", "INX H\n"};
    std::string text;
    for (std::size_t i = 0; text.size() < (10u << 20); ++i) text += lines[i % 7];
    return text;
}

std::string binaryNoise()
{
    std::mt19937 random(8085);
    std::string bytes(256 * 1024, '\0');
    for (char& b : bytes) b = static_cast<char>(random());
    bytes[0] = '\x7F';  // never a project file's identification
    return bytes;
}

using HostileInputTest = CliTest;

TEST_F(HostileInputTest, EachEndsWithAClearMessageAndStatus)
{
    const std::string cut = project({"MVI A,05", "HLT"});
    const std::string outOfMemory = "out a memory to store your ASM code";
    const struct {
        const char* name;
        std::optional<std::string> bytes;  // none: the file is not written
        int exitCode;
        std::string message;  // on stdout when the program ran, else on stderr
    } rows[] = {
        {"ten.asm", tenMegabytesOfProgram(), 1, outOfMemory},
        {"noise.bin", binaryNoise(), 1, "(KVNTA:6522)"},
        {"long.QSM", project(std::vector<std::string>(100000, "NOP")), 1, outOfMemory},
        // Typed lines pass the entry field's filter, which upper-cases them and drops NUL bytes.
        {"lower.asm", "mvi a,05\nadi 03\nsta 0800\nhlt\n", 0, "A 08"},
        {"nul.asm", std::string("MVI A,\0" "05\nA\0DI 03\n\0\0\nHLT\n", 24), 0, "A 08"},
        // Lines in a project arrive unfiltered, and instructions are matched case sensitively.
        {"lower.QSM", project({"mvi a,05", "hlt"}), 1, "(KVNTA:6522)"},
        {"nul.QSM", project({std::string("MVI A,\0" "05", 9), "HLT"}), 1, "(KVNTA:6522)"},
        {"huge.asm", std::string(17u << 20, '\0'), 2, "is larger than"},
        {"empty.asm", "", 1, "You must enter valid ASM code into the blank before running your program!"},
        {"cut.QSM", cut.substr(0, cut.size() - 100), 2, "cannot open the project file"},  // no END records
        {".", std::nullopt, 2, "PROGRAM '.': it is a directory"},
        {"missing.QSM", std::nullopt, 2, "PROGRAM 'missing.QSM': no such file"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.bytes) write(row.name, *row.bytes);
        CliResult r = cli(std::string("run ") + row.name);
        EXPECT_EQ(r.exitCode, row.exitCode) << r.err;
        EXPECT_NE((row.exitCode == 0 ? r.out : r.err).find(row.message), std::string::npos) << r.out << r.err;
        // A refused input gets no report; a program that ran has nothing to complain about.
        EXPECT_EQ(r.out.empty(), row.exitCode == 2) << r.out;
        if (row.exitCode == 0) {
            EXPECT_EQ(r.err, "");
        }
    }
}

}  // namespace
}  // namespace korvanta::clitest
