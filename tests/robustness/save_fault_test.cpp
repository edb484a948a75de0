// Saves that fail through no fault of the program: an unwritable folder, a disk that fills up half way
// through the file, a line too long for a record. The previous file stays as it was, byte for byte, and
// the run keeps its results and is reported in full.

#include "support/cli_process.h"

namespace korvanta::clitest {
namespace {

using SaveFaultTest = CliTest;

TEST_F(SaveFaultTest, PreviousFileAndTheRunAreKept)
{
    const std::string previous = project({"MVI A,01", "HLT"});
    const std::string program = "MVI A,05\nMVI B,07\nADD B\nSTA 0800\nHLT\n";
    const struct {
        const char* folder;
        std::string program;
        CliLimits limits;
        const char* error;
    } rows[] = {
        {"unwritable", program, {.asNobody = true}, "Path/File access error(SYS75)"},
        // A save with memory is 4,118 records of 50 bytes; the disk fills up after 102,400.
        {"full", program, {.maxFileBlocks = 200}, "Disk full(SYS61)"},
        // 49 characters: one more than a record holds.
        {"long", "!! " + std::string(46, 'X') + "\n" + program, {}, "Bad record length(SYS59)"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.folder);
        const std::string target = std::string(row.folder) + "/WORK.QSM";
        fs::create_directory(path(row.folder));
        write(target, previous);
        if (row.limits.asNobody)
            fs::permissions(path(row.folder), fs::perms::owner_write, fs::perm_options::remove);

        CliResult r = cli("run " + write("p.asm", row.program) + " --json --save-memory --save " + target,
                          row.limits);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_EQ(r.err, "Korvanta: Ombrix Korvanta Saving Error\r\n\r\nA fatal error has occured while "
                         "trying to save your program.  The error registers:\r\n" + std::string(row.error) +
                         "\nkorvanta-cli: could not save the project to '" + target + "'\n");
        expectReport(r.json(),
                     {{"/status", "Program Finished"}, {"/registers/A", "0C"}, {"/memory/0800", "0C"}});

        EXPECT_EQ(readFile(path(target)), previous) << "the previous project file was changed";
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(path(row.folder)))
            names.push_back(entry.path().filename());
        EXPECT_EQ(names, std::vector<std::string>{"WORK.QSM"}) << "a failed save left files behind";
    }
}

}  // namespace
}  // namespace korvanta::clitest
