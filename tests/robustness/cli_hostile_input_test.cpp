// Hostile PROGRAM files given to `korvanta-cli run`: each must end with a
// clear message and the documented exit status (0 ran, 1 the program failed,
// 2 the input was refused), never with a crash, a sanitizer report or a hang.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <random>

#include "robustness/child_process.h"
#include "robustness/scratch.h"

namespace korvanta::robustness {
namespace {

struct HostileInput {
    const char* name;
    std::function<void(const std::string& fileName)> make;
    int exitCode;
    const char* stderrHas;  // the message the user must see; "" when none is due
    const char* stdoutHas;  // part of the report; "" when none is due
};

void TenMegabytesOfProgram(const std::string& fileName)
{
    static const char* const kLines[] = {"MVI A,05\n", "ADD B\n", "LOOP: DCR C\n", "jnz loop\n", "LXI H,0800\n",
                                         "MOV M,A\n",  "INX H\n"};
    std::string text;
    text.reserve(10u << 20);
    for (std::size_t i = 0; text.size() < (10u << 20); ++i) text += kLines[i % 7];
    WriteBytes(fileName, text);
}

void BinaryNoise(const std::string& fileName)
{
    std::mt19937 random(8085);
    std::string bytes(256 * 1024, '\0');
    for (char& b : bytes) b = static_cast<char>(random() & 0xFF);
    bytes[0] = '\x7F';  // never a project file's identification
    WriteBytes(fileName, bytes);
}

void OversizedNulFile(const std::string& fileName)
{
    WriteBytes(fileName, "");
    std::filesystem::resize_file(fileName, 17u << 20);  // sparse: all NUL
}

const HostileInput kInputs[] = {
    {"TenMegabyteTextFile", TenMegabytesOfProgram, 1, "out a memory to store your ASM code", "Compiler Error"},
    {"BinaryFile", BinaryNoise, 1, "(KVNTA:6522)", "Compiler Error"},
    {"ProjectWith100000Lines",
     [](const std::string& f) { WriteBytes(f, ProjectFile(std::vector<std::string>(100000, "NOP"))); }, 1,
     "out a memory to store your ASM code", "Compiler Error"},
    // Typed lines pass the entry field's filter, which upper-cases them.
    {"LowerCaseTypedProgram", [](const std::string& f) { WriteBytes(f, "mvi a,05\nadi 03\nsta 0800\nhlt\n"); }, 0, "",
     "A 08"},
    // Lines in a project file arrive unfiltered; comparison is case sensitive.
    {"LowerCaseProjectLines", [](const std::string& f) { WriteBytes(f, ProjectFile({"mvi a,05", "hlt"})); }, 1,
     "(KVNTA:6522)", "Compiler Error"},
    {"NulBytesInTypedProgram",
     [](const std::string& f) { WriteBytes(f, std::string("MVI A,\0" "05\nA\0DI 03\n\0\0\nHLT\n", 24)); }, 0, "",
     "A 08"},
    {"NulBytesInProjectLines",
     [](const std::string& f) { WriteBytes(f, ProjectFile({std::string("MVI A,\0" "05", 9), "HLT"})); }, 1,
     "(KVNTA:6522)", "Compiler Error"},
    {"OversizedFileOfNulBytes", OversizedNulFile, 2, "is larger than", ""},
    {"EmptyFile", [](const std::string& f) { WriteBytes(f, ""); }, 1,
     "You must enter valid ASM code into the blank before running your program!", ""},
    {"ProjectCutShortWithoutEndRecord",
     [](const std::string& f) {
         std::string file = ProjectFile({"MVI A,05", "HLT"});
         WriteBytes(f, file.substr(0, file.size() - 100));  // drop ###END### and END
     },
     2, "cannot open the project file", ""},
};

class HostileInputTest : public ::testing::TestWithParam<HostileInput> {};

TEST_P(HostileInputTest, EndsWithAClearMessageAndStatus)
{
    const HostileInput& input = GetParam();
    ScratchDir dir;
    const std::string program = dir.file("program");
    input.make(program);

    ChildResult r = RunCli({"run", program});

    ASSERT_TRUE(r.exited) << r.describe();
    EXPECT_EQ(r.exitCode, input.exitCode) << r.describe();
    EXPECT_EQ(r.err.find("Sanitizer"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("runtime error"), std::string::npos) << r.err;
    if (*input.stderrHas) {
        EXPECT_NE(r.err.find(input.stderrHas), std::string::npos) << r.err;
    }
    if (input.exitCode == 0) {
        EXPECT_EQ(r.err, "");
    }
    if (*input.stdoutHas) {
        EXPECT_NE(r.out.find(input.stdoutHas), std::string::npos) << r.out;
    }
    if (input.exitCode == 2) {
        EXPECT_EQ(r.out, "") << "a refused input must not produce a report";
    }
}

INSTANTIATE_TEST_SUITE_P(Cli, HostileInputTest, ::testing::ValuesIn(kInputs),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(HostileInputTest, FoldersAndMissingFilesAreRefused)
{
    ScratchDir dir;
    for (const std::string& path : {dir.path().string(), dir.file("missing.QSM")}) {
        ChildResult r = RunCli({"run", path});
        ASSERT_TRUE(r.exited) << r.describe();
        EXPECT_EQ(r.exitCode, 2) << path;
        EXPECT_EQ(r.err.rfind("korvanta-cli: ", 0), 0u) << r.err;
        EXPECT_NE(r.err.find(path), std::string::npos) << "the message names the file: " << r.err;
    }
}

}  // namespace
}  // namespace korvanta::robustness
