// Saving when the world fails: an unwritable folder, a disk that fills up half
// way through the file, a program line too long for a record. In every case
// the file that was there before must be left exactly as it was, and the
// program must go on with its state intact.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <functional>

#include "engine/simulator.h"
#include "robustness/child_process.h"
#include "robustness/scratch.h"
#include "support/fake_host.h"

namespace korvanta::robustness {
namespace {

// A program whose run leaves its mark in registers and memory.
const std::vector<std::string> kProgram = {"MVI A,05", "MVI B,07", "ADD B", "STA 0800", "HLT"};
const std::string kTooLong = "!! " + std::string(46, 'X');  // 49 characters: one more than a record holds
constexpr long kHalfASave = 100 * 1000;  // a save with memory is 4,118 records of 50 bytes

// ----- Through the command-line tool ---------------------------------------

struct SaveFault {
    const char* name;
    ChildLimits limits;
    bool readOnlyFolder;
    bool longLine;
};

const SaveFault kFaults[] = {
    {"UnwritableFolder", {-1, true, 120}, true, false},
    {"DiskFullHalfWay", {kHalfASave, false, 120}, false, false},
    {"LineOf49Characters", {-1, false, 120}, false, true},
};

class CliSaveFaultTest : public ::testing::TestWithParam<SaveFault> {};

TEST_P(CliSaveFaultTest, PreviousFileIsUnchangedAndTheRunIsStillReported)
{
    const SaveFault& fault = GetParam();
    ScratchDir dir;
    const std::filesystem::path folder = dir.path() / "projects";
    std::filesystem::create_directory(folder);
    const std::string target = (folder / "WORK.QSM").string();
    const std::string previous = ProjectFile({"MVI A,01", "HLT"});
    WriteBytes(target, previous);

    std::vector<std::string> lines = kProgram;
    if (fault.longLine) lines.insert(lines.begin(), kTooLong);
    std::string text;
    for (const auto& l : lines) text += l + "\n";
    const std::string program = dir.file("program.txt");
    WriteBytes(program, text);
    if (fault.readOnlyFolder) {
        ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
    }

    ChildResult r = RunCli({"run", program, "--save", target, "--save-memory"}, fault.limits);

    ASSERT_TRUE(r.exited) << r.describe();
    EXPECT_EQ(r.exitCode, 2) << r.describe();
    EXPECT_NE(r.err.find("Ombrix Korvanta Saving Error"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("could not save the project to '" + target + "'"), std::string::npos) << r.err;
    // The run itself went through and is reported in full.
    EXPECT_NE(r.out.find("Program Finished"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("A 0C"), std::string::npos) << r.out;

    EXPECT_EQ(ReadBytes(target), previous) << "the previous project file was changed";
    EXPECT_EQ(FolderContents(folder), std::vector<std::string>{"WORK.QSM"}) << "a failed save left files behind";
}

INSTANTIATE_TEST_SUITE_P(Cli, CliSaveFaultTest, ::testing::ValuesIn(kFaults),
                         [](const auto& info) { return std::string(info.param.name); });

// ----- Inside one simulator: the session goes on after the failure ----------

class SessionSaveFaultTest : public ::testing::Test {
protected:
    SessionSaveFaultTest()
    {
        sim.Form_Load();
        for (const auto& line : kProgram) sim.source.AppendLine(line);
    }

    struct Snapshot {
        std::vector<std::string> lines;
        std::vector<std::string> fields;
        std::vector<std::string> memory;
        std::string fileName;
        int saved;
        int named;
        bool operator==(const Snapshot&) const = default;
    };

    Snapshot snapshot() const
    {
        const Machine& m = sim.machine;
        Snapshot s{sim.source.lines(), {}, {}, m.document.ProjectFileName, m.document.DocumentSaved,
                   m.document.ProjectNamed};
        for (const TextField* f : {&m.cpu.RegisterA, &m.cpu.RegisterB, &m.cpu.RegisterC, &m.cpu.RegisterD,
                                   &m.cpu.RegisterE, &m.cpu.RegisterH, &m.cpu.RegisterL, &m.cpu.SP, &m.cpu.PC,
                                   &m.cpu.Text2})
            s.fields.push_back(f->text());
        for (int n = 1; n <= m.window.rowCount(); ++n) s.memory.push_back(m.window.data(n));
        return s;
    }

    // Saves once successfully (so there is a previous file and a project
    // name), runs the program, then makes the failing save.
    void saveRunThenFail(const std::function<void()>& prepare, const std::function<bool()>& failingSave)
    {
        ASSERT_TRUE(sim.documents.SaveProjectTo(target, true));
        previous = ReadBytes(target);
        sim.runControl.StartExecution();
        ASSERT_EQ(sim.machine.ExecStatus.text(), "Program Finished");
        sim.machine.document.DocumentSaved = kFalse;  // the run changed the fields
        prepare();
        const Snapshot before = snapshot();
        host.messages.clear();

        EXPECT_FALSE(failingSave());

        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_NE(host.messages[0].text.find("Ombrix Korvanta Saving Error"), std::string::npos);
        EXPECT_EQ(ReadBytes(target), previous) << "the previous project file was changed";
        EXPECT_EQ(FolderContents(dir.path()), std::vector<std::string>{"WORK.QSM"});
        EXPECT_TRUE(snapshot() == before) << "the failed save changed the session";
    }

    // The session still works: run again, then save for real.
    void sessionGoesOn()
    {
        const std::string a = sim.machine.cpu.RegisterA.text();
        sim.machine.run.ProgramCompiled = kFalse;
        sim.runControl.StartExecution();
        EXPECT_EQ(sim.machine.ExecStatus.text(), "Program Finished");
        EXPECT_EQ(sim.machine.cpu.RegisterA.text(), a);
        EXPECT_EQ(sim.machine.window.data(sim.machine.window.rowOfAddress("0800")), "0C");
    }

    testing::FakeHost host;
    Simulator sim{host};
    ScratchDir dir;
    const std::string target = dir.file("WORK.QSM");
    std::string previous;
};

TEST_F(SessionSaveFaultTest, DiskFullHalfWayKeepsTheFileAndTheSession)
{
    struct sigaction ignore {};
    struct sigaction old {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &ignore, &old);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);

    saveRunThenFail([] {}, [&] {
        rlimit cap = saved;
        cap.rlim_cur = kHalfASave;
        setrlimit(RLIMIT_FSIZE, &cap);
        bool ok = sim.documents.SaveProjectTo(target, true);
        setrlimit(RLIMIT_FSIZE, &saved);
        return ok;
    });
    sigaction(SIGXFSZ, &old, nullptr);

    sessionGoesOn();
    // With room again the same save succeeds and holds the run's result.
    ASSERT_TRUE(sim.documents.SaveProjectTo(target, true));
    EXPECT_EQ(std::filesystem::file_size(target), (16u + kProgram.size() + 1 + 1 + 4096 + 1) * 50);
    Simulator reopened{host};
    reopened.Form_Load();
    ASSERT_TRUE(reopened.documents.OpenProjectFrom(target));
    EXPECT_EQ(reopened.machine.cpu.RegisterA.text(), "0C");
    EXPECT_EQ(reopened.machine.window.data(reopened.machine.window.rowOfAddress("0800")), "0C");
}

TEST_F(SessionSaveFaultTest, TooLongLineKeepsTheFileAndTheSession)
{
    saveRunThenFail([&] { sim.source.AppendLine(kTooLong); },
                    [&] { return sim.documents.SaveProjectTo(target, true); });
    // The line stays in the program; taking it out again makes the save work.
    EXPECT_EQ(sim.source.lines().back(), kTooLong);
    sim.source.SelectLine(sim.source.lineCount() - 1);
    sim.source.Command2_Click();
    ASSERT_EQ(sim.source.lines(), kProgram);
    sessionGoesOn();
    EXPECT_TRUE(sim.documents.SaveProjectTo(target, false));
    EXPECT_NE(ReadBytes(target), previous);
}

}  // namespace
}  // namespace korvanta::robustness
