// What korvanta-cli accepts as PROGRAM: text files as typed into the entry
// field, project files whatever their name, and everything else without a crash.

#include <string>
#include <vector>

#include "cli/cli_process.h"

namespace korvanta::clitest {
namespace {

using Json = nlohmann::ordered_json;

class InputTest : public CliTest {};

// A project file as the save procedure lays it out: 50-byte records.
std::string textRecord(const std::string& text)
{
    std::string record(50, '\0');
    record[0] = static_cast<char>(text.size() & 0xFF);
    record[1] = static_cast<char>(text.size() >> 8);
    record.replace(2, text.size(), text);
    return record;
}

std::string integerRecord(int value)
{
    std::string record(50, '\0');
    record[0] = static_cast<char>(value & 0xFF);
    record[1] = static_cast<char>((value >> 8) & 0xFF);
    return record;
}

std::string projectFile(const std::vector<std::string>& lines)
{
    std::string bytes = textRecord("Korvanta");
    for (int check : {0, 0, 1, 1}) bytes += integerRecord(check);
    for (const char* field : {"00", "00", "00", "00", "00", "00", "00", "0BBB", "0000", "00"})
        bytes += textRecord(field);
    bytes += textRecord("###Start###");
    for (const std::string& line : lines) bytes += textRecord(line);
    bytes += textRecord("###END###");
    bytes += textRecord("END");
    return bytes;
}

TEST_F(InputTest, TextLinesAreTypedIntoTheEntryField)
{
    // Lower case, tabs, CR LF, blank lines, NUL bytes, characters the entry
    // field refuses, and a backspace that erases the character before it.
    using namespace std::string_literals;
    std::string program = "\tmvi\ta,05  \r\n\r\n   \t \r\nmo\0v b,a\r\nmvx\bi c,#0$6\nhlt"s;
    CliResult r = runText(program);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    Json j = r.json();
    EXPECT_EQ(j["program"], Json::parse(R"(["MVI A,05","MOV B,A","MVI C,06","HLT"])"));
    EXPECT_EQ(j["registers"]["B"], "05");
    EXPECT_EQ(j["registers"]["C"], "06");
}

TEST_F(InputTest, CommentsSurviveTheFilterAndAreSkipped)
{
    CliResult r = runText("!! load five; then stop.\nMVI A,05\n!! done\nHLT\n");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    Json j = r.json();
    EXPECT_EQ(j["program"], Json::parse(R"(["!! LOAD FIVE THEN STOP.","MVI A,05","!! DONE","HLT"])"));
    EXPECT_EQ(j["memory"].dump(), R"({"0000":"3E","0001":"05","0002":"76"})");
}

TEST_F(InputTest, ProjectIsRecognisedByItsFirstRecordNotItsName)
{
    write("program.txt", projectFile({"MVI A,42", "HLT"}));
    CliResult r = cli({"run", path("program.txt").string(), "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.json()["program"], Json::parse(R"(["MVI A,42","HLT"])"));
    EXPECT_EQ(r.json()["registers"]["A"], "42");

    // A text file that merely starts with the word is still a text file.
    r = runText("Korvanta\nHLT\n");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.json()["program"][0], "KORVANTA");
}

TEST_F(InputTest, ProjectOptionsStandUnlessOverridden)
{
    std::string bytes = projectFile({"MVI A,42"});
    bytes.replace(50, 50, integerRecord(1));  // "Just compile (do not run)" ticked
    write("compile.QSM", bytes);
    CliResult r = cli({"run", path("compile.QSM").string(), "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.json()["status"], "Finished Compiling!");
    EXPECT_EQ(r.json()["registers"]["A"], "00");

    // --run-only clears the project's "Just compile": the poked bytes run.
    r = cli({"run", path("compile.QSM").string(), "--json", "--run-only", "--poke", "0000=76"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.json()["status"], "Program Finished");
    EXPECT_EQ(r.json()["registers"]["A"], "00");
}

TEST_F(InputTest, CorruptProjectFileIsRefused)
{
    // The identification record, then a file cut off in the middle of record 3.
    write("broken.QSM", projectFile({"HLT"}).substr(0, 120));
    CliResult r = cli({"run", path("broken.QSM").string(), "--json"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.out, "");
    std::vector<std::string> lines = r.errLines();
    ASSERT_GE(lines.size(), 2u) << r.err;
    EXPECT_EQ(lines.front().rfind("Korvanta: ", 0), 0u) << r.err;  // the core's own message box
    EXPECT_EQ(lines.back().rfind("korvanta-cli: ", 0), 0u) << r.err;
}

TEST_F(InputTest, MissingFileAndDirectoryAreRefused)
{
    for (const std::string& program : {path("nothing-here.asm").string(), dir_.string()}) {
        CliResult r = cli({"run", program, "--json"});
        EXPECT_EQ(r.exitCode, 2) << program;
        EXPECT_EQ(r.out, "");
        ASSERT_EQ(r.errLines().size(), 1u) << r.err;
        EXPECT_NE(r.err.find(program), std::string::npos) << r.err;
    }
}

TEST_F(InputTest, BinaryFileGivesAMessageNotACrash)
{
    std::string bytes;
    unsigned state = 12345;
    for (int i = 0; i < 65536; ++i) {
        state = state * 1103515245u + 12345u;
        bytes += static_cast<char>(state >> 16);
    }
    CliResult r = cli({"run", write("noise.bin", bytes), "--json"});
    EXPECT_TRUE(r.exitCode == 1 || r.exitCode == 2) << r.exitCode;
    EXPECT_NE(r.err, "");
    if (r.exitCode == 1) {
        EXPECT_NO_THROW(r.json());
    }
}

TEST_F(InputTest, LongTextFileRunsOutOfMemoryCleanly)
{
    std::string program;
    for (int i = 0; i < 200000; ++i) program += "NOP\n";
    CliResult r = runText(program);
    EXPECT_EQ(r.exitCode, 1);
    Json j = r.json();
    EXPECT_EQ(j["program"].size(), 200000u);
    ASSERT_EQ(j["messages"].size(), 1u);
    EXPECT_NE(j["messages"][0]["text"].get<std::string>().find("out a memory"), std::string::npos);
}

TEST_F(InputTest, OversizedFileIsRefusedBeforeReading)
{
    std::filesystem::path big = path("big.asm");
    writeFile(big, "");
    std::filesystem::resize_file(big, 17u * 1024u * 1024u);
    CliResult r = cli({"run", big.string(), "--json"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.out, "");
    ASSERT_EQ(r.errLines().size(), 1u) << r.err;
    EXPECT_NE(r.err.find("larger than"), std::string::npos) << r.err;
}

TEST_F(InputTest, ProjectWithAHundredThousandLines)
{
    write("huge.QSM", projectFile(std::vector<std::string>(100000, "NOP")));
    CliResult r = cli({"run", path("huge.QSM").string(), "--json"});
    EXPECT_EQ(r.exitCode, 1);
    Json j = r.json();
    EXPECT_EQ(j["program"].size(), 100000u);
    EXPECT_EQ(j["status"], "Compiler Error");
}

}  // namespace
}  // namespace korvanta::clitest
