// Marking: each expect key passing and failing, the set-up keys, the budget,
// the rules, submissions that cannot be read, projects and imported sources,
// cases that do not see each other, parallel grading and --record. Expected
// values are worked out by hand from Intel's 8085 documentation: opcodes
// (MVI A 3E, ADI C6, STA 32, HLT 76), flag rules, little-endian stacks.

#include <algorithm>
#include <functional>

#include "engine/simulator.h"
#include "grading/grade_report.h"
#include "grading_fixture.h"
#include "support/fake_host.h"

namespace korvanta::grading::testing {
namespace {

// 05 + 03 = 08 into 0120; eight bytes from 0000, HLT at 0007.
const char* const kAddStore = "MVI A,05\nADI 03\nSTA 0120\nHLT\n";

struct MarkCase {
    const char* name;
    const char* program;
    std::string task;
    std::vector<Mismatch> mismatches;  // none: the case passes
};

void PrintTo(const MarkCase& c, std::ostream* out)
{
    *out << c.name;
}

class Marking : public GradingTest, public ::testing::WithParamInterface<MarkCase> {};

TEST_P(Marking, ComparesWhatTheCaseNames)
{
    const MarkCase& c = GetParam();
    const SubmissionResult r = grade(c.program, c.task);
    ASSERT_FALSE(r.error.has_value()) << *r.error;
    ASSERT_EQ(r.cases.size(), 1u);
    EXPECT_EQ(r.cases[0].mismatches, c.mismatches);
    EXPECT_EQ(r.cases[0].passed, c.mismatches.empty());
    EXPECT_EQ(r.points, c.mismatches.empty() ? 1 : 0);
}

const std::string kFull = R"("mode": "full")";

std::string Repeated(const std::string& piece, int count, const std::string& separator = " ")
{
    std::string text;
    for (int i = 0; i < count; ++i) text += (i == 0 ? "" : separator) + piece;
    return text;
}

INSTANTIATE_TEST_SUITE_P(
    ExpectKeys, Marking,
    ::testing::Values(
        MarkCase{"NothingNamedPasses", kAddStore, OneCase(""), {}},
        MarkCase{"StatusAndRegisters",
                 kAddStore,
                 OneCase(R"("expect": {"status": "Program Finished", "registers": {"A": "08", "B": "00"}})"),
                 {}},
        MarkCase{"RegisterDiffers",
                 kAddStore,
                 OneCase(R"("expect": {"registers": {"A": "2A"}})"),
                 {{"A", "2A", "08"}}},
        MarkCase{"StatusDiffers",
                 kAddStore,
                 OneCase(R"("expect": {"status": "Memory Error"})"),
                 {{"status", "Memory Error", "Program Finished"}}},
        MarkCase{"PCIsPastTheHalt", kAddStore, OneCase(R"("expect": {"PC": "0008"})"), {}},
        MarkCase{"PCDiffers", kAddStore, OneCase(R"("expect": {"PC": "0007"})"), {{"PC", "0007", "0008"}}},
        MarkCase{"SPUntouched", kAddStore, OneCase(R"("expect": {"SP": "0BBB"})"), {}},
        MarkCase{"MemoryRows", kAddStore, OneCase(R"("expect": {"memory": {"0120": "08 00"}})"), {}},
        MarkCase{"MemoryDiffers",
                 kAddStore,
                 OneCase(R"("expect": {"memory": {"0121": "00", "0120": "09"}})"),
                 {{"memory 0120", "09", "08"}}},
        MarkCase{"ProgramBytes",
                 kAddStore,
                 OneCase(R"("expect": {"memory": {"0000": "3E 05 C6 03 32 20 01 76"}})"),
                 {}},
        MarkCase{
            "SeveralMismatchesInOrder",
            kAddStore,
            OneCase(
                R"("expect": {"memory": {"0120": "00"}, "SP": "0A00", "registers": {"B": "01", "A": "00"}})"),
            {{"A", "00", "08"}, {"B", "01", "00"}, {"SP", "0A00", "0BBB"}, {"memory 0120", "00", "08"}}},
        // Full 8085 mode: 05 - 05 sets Z and P, a carry out of bit 3 sets AC, no borrow: flag value 54.
        MarkCase{"FlagBits",
                 "MVI A,05\nSUI 05\nHLT\n",
                 OneCase(R"("expect": {"flags": {"S": 0, "Z": 1, "P": 1, "CY": 0}})", kFull),
                 {}},
        MarkCase{"FlagBitDiffers",
                 "MVI A,05\nSUI 05\nHLT\n",
                 OneCase(R"("expect": {"flags": {"Z": 0}})", kFull),
                 {{"Z", "0", "1"}}},
        MarkCase{"FlagValue", "MVI A,05\nSUI 05\nHLT\n", OneCase(R"("expect": {"flags": "54"})", kFull), {}},
        MarkCase{"FlagValueDiffers",
                 "MVI A,05\nSUI 05\nHLT\n",
                 OneCase(R"("expect": {"flags": "44"})", kFull),
                 {{"flags", "44", "54"}}},
        MarkCase{"Outputs",
                 "MVI A,2A\nOUT 21\nIN 20\nOUT 22\nHLT\n",
                 OneCase(R"("setup": {"in": {"20": "5A"}},
                            "expect": {"outputs": [{"port": "21", "value": "2A"}, {"port": "22", "value": "5A"}]})",
                         kFull),
                 {}},
        MarkCase{
            "OutputsDiffer",
            "MVI A,2A\nOUT 21\nIN 20\nOUT 22\nHLT\n",
            OneCase(
                R"("setup": {"in": {"20": "5A"}}, "expect": {"outputs": [{"port": "21", "value": "2A"}]})",
                kFull),
            {{"outputs", "21=2A", "21=2A 22=5A"}}},
        MarkCase{"NoOutputsExpected",
                 "MVI A,2A\nOUT 21\nHLT\n",
                 OneCase(R"("expect": {"outputs": []})", kFull),
                 {{"outputs", "none", "21=2A"}}},
        // CP/M: C=2 prints the character in E; the program sits at 0100, clear of 0005.
        MarkCase{"Console",
                 "MVI C,02\nMVI E,4F\nCALL 0005\nMVI E,4B\nCALL 0005\nHLT\n",
                 OneCase(R"("setup": {"start": "0100"}, "expect": {"console": "OK"})",
                         kFull + R"(, "bdos": true)"),
                 {}},
        MarkCase{"ConsoleDiffers",
                 "MVI C,02\nMVI E,4F\nCALL 0005\nMVI E,4B\nCALL 0005\nHLT\n",
                 OneCase(R"("setup": {"start": "0100"}, "expect": {"console": "KO\n"})",
                         kFull + R"(, "bdos": true)"),
                 {{"console", "\"KO\\n\"", "\"OK\""}}},
        // 250 A and a B from BDOS function 9: a difference past the part a mismatch shows still
        // counts, and the part shown begins eight characters before it.
        MarkCase{
            "LongConsoleDiffersAtTheEnd",
            "MVI C,09\nLXI D,0200\nCALL 0005\nHLT\n",
            OneCase(R"("setup": {"start": "0100", "memory": {"0200": ")" + Repeated("41", 250) +
                        R"(", "02FA": "42 24"}}, "expect": {"console": ")" + std::string(250, 'A') + R"(C"})",
                    kFull + R"(, "bdos": true)"),
            {{"console", "\"AAAAAAAAC\" (characters 243 to 251 of 251)",
              "\"AAAAAAAAB\" (characters 243 to 251 of 251)"}}},
        // OUT and JMP in turn: the 201st instruction, an OUT, passes the budget of 200, so 101 writes
        // of A (00) to port 21. A mismatch shows 64 of them.
        MarkCase{"RunawayOutputsAreCut",
                 "LOOP: OUT 21\nJMP LOOP\n",
                 OneCase(R"("expect": {"outputs": []})", kFull + R"(, "maxInstructions": 200)"),
                 {{"outputs", "none", Repeated("21=00", 64) + " (writes 1 to 64 of 101)"}}},
        MarkCase{
            "LongOutputsDifferAtTheEnd",
            "LOOP: OUT 21\nJMP LOOP\n",
            OneCase(R"("expect": {"outputs": [)" + Repeated(R"({"port": "21", "value": "00"})", 100, ", ") +
                        R"(, {"port": "21", "value": "01"}]})",
                    kFull + R"(, "maxInstructions": 200)"),
            {{"outputs", Repeated("21=00", 8) + " 21=01 (writes 93 to 101 of 101)",
              Repeated("21=00", 9) + " (writes 93 to 101 of 101)"}}}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    SetupKeys, Marking,
    ::testing::Values(
        MarkCase{
            "RegistersAreTypedIn",
            "MOV A,B\nADD C\nHLT\n",
            OneCase(
                R"("setup": {"registers": {"B": "07", "C": "06"}}, "expect": {"registers": {"A": "0D"}})"),
            {}},
        MarkCase{"MemoryIsThereToRead",
                 "LDA 0101\nHLT\n",
                 OneCase(R"("setup": {"memory": {"0100": "05 06"}}, "expect": {"registers": {"A": "06"}})"),
                 {}},
        // The program is assembled after the set-up, as Run after an edit would.
        MarkCase{
            "TheProgramWinsOverSetupBytes",
            "MVI A,05\nHLT\n",
            OneCase(
                R"("setup": {"memory": {"0000": "FF FF FF FF"}}, "expect": {"memory": {"0000": "3E 05 76 FF"}})"),
            {}},
        MarkCase{
            "StartAddress",
            "MVI A,05\nHLT\n",
            OneCase(
                R"("setup": {"start": "0040"}, "expect": {"memory": {"0040": "3E 05 76"}, "PC": "0043"})"),
            {}},
        // In window 2 the stack pointer starts at 2BBB and the program at 2000.
        MarkCase{
            "Window",
            "MVI A,05\nSTA 2100\nHLT\n",
            OneCase(
                R"("setup": {"window": "2"}, "expect": {"SP": "2BBB", "PC": "2006", "memory": {"2100": "05"}})"),
            {}},
        MarkCase{"CarryFlagIn",
                 "MVI A,05\nACI 00\nHLT\n",
                 OneCase(R"("setup": {"flags": "01"}, "expect": {"registers": {"A": "06"}})", kFull),
                 {}},
        // PUSH B: B at SP-1, C at SP-2.
        MarkCase{"StackPointer",
                 "PUSH B\nHLT\n",
                 OneCase(R"("setup": {"SP": "0A00", "registers": {"B": "12", "C": "34"}},
                            "expect": {"SP": "09FE", "memory": {"09FE": "34 12"}})",
                         kFull),
                 {}}),
    [](const auto& info) { return std::string(info.param.name); });

// One MVI, then INR and JMP in turn: the 101st instruction, a JMP, is one
// too many for a budget of 100, after 50 INRs. The classic loop reports it as
// running out of memory, Full 8085 mode as the limit.
INSTANTIATE_TEST_SUITE_P(
    Budget, Marking,
    ::testing::Values(
        MarkCase{"ClassicLoopIsStopped",
                 "MVI A,00\nLOOP: INR A\nJMP LOOP\n",
                 OneCase(R"("expect": {"status": "Program Finished", "registers": {"A": "32"}})",
                         R"("maxInstructions": 100)"),
                 {{"status", "Program Finished", "Memory Error"}}},
        MarkCase{"FullLoopIsStopped",
                 "MVI A,00\nLOOP: INR A\nJMP LOOP\n",
                 OneCase(R"("expect": {"status": "Program Finished", "registers": {"A": "32"}})",
                         kFull + R"(, "maxInstructions": 100)"),
                 {{"status", "Program Finished", "Instruction Limit Reached"}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(GradingTest, ALoopReportsWhatItRan)
{
    const SubmissionResult r =
        grade("MVI A,00\nLOOP: INR A\nJMP LOOP\n", OneCase("", R"("maxInstructions": 100)"));
    ASSERT_EQ(r.cases.size(), 1u);
    EXPECT_EQ(r.cases[0].status, "Memory Error");
    EXPECT_EQ(r.cases[0].executed, 101u);
}

TEST_F(GradingTest, PointsAddUpOverCases)
{
    const std::string task = R"({"cases": [
        {"name": "right", "points": 2, "expect": {"registers": {"A": "08"}}},
        {"name": "wrong", "points": 3, "expect": {"registers": {"A": "09"}}},
        {"name": "right again", "points": 4, "expect": {"memory": {"0120": "08"}}}]})";
    const SubmissionResult r = grade(kAddStore, task);
    ASSERT_EQ(r.cases.size(), 3u);
    EXPECT_EQ(r.points, 6);
    EXPECT_EQ(r.cases[1].points, 0);
    EXPECT_EQ(r.cases[1].maxPoints, 3);
    EXPECT_EQ(r.cases[2].points, 4);
    EXPECT_EQ(r.cases[2].name, "right again");
}

// Each case starts from a fresh machine: the 06 the first case stores at
// 0120 is not what the second reads.
TEST_F(GradingTest, CasesDoNotSeeEachOther)
{
    const std::string task = R"({"cases": [
        {"setup": {"memory": {"0120": "05"}, "registers": {"B": "44"}}, "expect": {"registers": {"A": "06"}}},
        {"expect": {"registers": {"A": "01", "B": "00"}, "memory": {"0120": "01"}}}]})";
    const SubmissionResult r = grade("LDA 0120\nINR A\nSTA 0120\nHLT\n", task);
    ASSERT_EQ(r.cases.size(), 2u);
    EXPECT_TRUE(r.cases[0].passed);
    EXPECT_TRUE(r.cases[1].passed) << r.cases[1].mismatches.size();
}

// A case whose start leaves no room fails alone; the first case, on whose
// machine the rules are checked, assembles.
TEST_F(GradingTest, ACaseWhereTheProgramDoesNotAssembleFails)
{
    const std::string task = R"({"cases": [{}, {"setup": {"start": "0FFF"}}]})";
    const SubmissionResult r = grade("MVI A,05\nHLT\n", task);
    ASSERT_FALSE(r.error.has_value());
    ASSERT_EQ(r.cases.size(), 2u);
    EXPECT_TRUE(r.cases[0].passed);
    ASSERT_EQ(r.cases[1].mismatches.size(), 1u);
    EXPECT_EQ(r.cases[1].mismatches[0].what, "assembly");
    EXPECT_EQ(r.cases[1].mismatches[0].got.rfind("does not assemble: line 1 (MVI A,05): ", 0), 0u)
        << r.cases[1].mismatches[0].got;
    EXPECT_EQ(r.points, 1);
}

struct RuleCase {
    const char* name;
    const char* program;
    const char* rules;
    std::string error;  // empty: the rules are kept
};

class RuleCheck : public GradingTest, public ::testing::WithParamInterface<RuleCase> {};

TEST_P(RuleCheck, IsMadeBeforeTheCases)
{
    const RuleCase& c = GetParam();
    const SubmissionResult r =
        grade(c.program, std::string(R"({"cases": [{}, {}], "rules": )") + c.rules + "}");
    if (c.error.empty()) {
        EXPECT_FALSE(r.error.has_value()) << *r.error;
        EXPECT_EQ(r.points, 2);
    } else {
        EXPECT_EQ(r.error, c.error);
        EXPECT_EQ(r.points, 0);
        EXPECT_TRUE(r.cases.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rules, RuleCheck,
    ::testing::Values(
        RuleCase{"SizeWithin", kAddStore, R"({"maxBytes": 8})", ""},
        RuleCase{"SizeOver", kAddStore, R"({"maxBytes": 7})",
                 "breaks the rule maxBytes: the program takes 8 bytes, more than 7"},
        // MVI takes two bytes, and the HLT added for the program one more.
        RuleCase{"AddedHaltCounts", "MVI A,05\n", R"({"maxBytes": 2})",
                 "breaks the rule maxBytes: the program takes 3 bytes, more than 2"},
        RuleCase{"CommentsTakeNoBytes", "!! A COMMENT\nNOP\n!! ANOTHER\nHLT\n", R"({"maxBytes": 2})", ""},
        RuleCase{"Forbidden", kAddStore, R"({"forbid": ["ADI"]})",
                 "breaks the rule forbid: line 2 (ADI 03) uses ADI"},
        RuleCase{"ForbiddenBehindATag", "MVI A,05\nLOOP: SUB B\nHLT\n", R"({"forbid": ["SUB"]})",
                 "breaks the rule forbid: line 2 (LOOP: SUB B) uses SUB"},
        RuleCase{"ForbiddenByRoutineName", "CALL 0004\nHLT\nRET\n", R"({"forbid": ["CALL1"]})",
                 "breaks the rule forbid: line 1 (CALL 0004) uses CALL"},
        RuleCase{"ForbiddenOnlyInAComment", "!! NO ADI HERE\nMVI A,08\nHLT\n", R"({"forbid": ["ADI"]})", ""},
        RuleCase{"RequiredPresent", "MVI C,02\nLOOP: DCR C\nJNZ LOOP\nHLT\n",
                 R"({"require": ["JNZ", "DCR"]})", ""},
        RuleCase{"RequiredOnlyInAComment", "!! JNZ\nMVI A,08\nHLT\n", R"({"require": ["JNZ"]})",
                 "breaks the rule require: the program does not use JNZ"},
        RuleCase{"AssemblyComesFirst", "MOV A,X\n", R"({"maxBytes": 1})",
                 "does not assemble: line 1 (MOV A,X): The compiler has reached code that either does not "
                 "have the "
                 "correct number of arguments or is flawed in another way."}),
    [](const auto& info) { return std::string(info.param.name); });

// Bad files: each gets no points and a reason, and grading goes on.
TEST_F(GradingTest, UnreadableSubmissionsGetTheirReason)
{
    const Task task = TaskFrom(OneCase(""));
    const std::string missing = (dir_ / "missing.asm").string();
    const std::string hugeFile = write("huge.asm", "NOP\n");
    fs::resize_file(hugeFile, 16u * 1024u * 1024u + 1);
    std::string blankLines;
    for (std::size_t i = 0; i <= kMaxSubmissionLines; ++i) blankLines += "!!\n";

    const std::pair<std::string, std::string> rows[] = {
        {missing, "cannot read '" + missing + "': no such file"},
        {dir_.string(), "cannot read '" + dir_.string() + "': it is a directory"},
        {write("empty.asm", ""), "the program is empty"},
        {write("noise.bin", std::string("\x01\x02\xff\xfe\x80\n\x1b\x7f\n", 9)), "the program is empty"},
        {hugeFile, "'" + hugeFile + "' is larger than 16777216 bytes"},
        {write("long.asm", blankLines), "has 100001 lines, more than the 100000 a submission may have"},
    };
    for (const auto& [path, reason] : rows) {
        const SubmissionResult r = GradeSubmission(task, path);
        EXPECT_EQ(r.error, reason) << path;
        EXPECT_EQ(r.points, 0);
        EXPECT_EQ(r.file, path);
    }
}

class ProjectSubmission : public GradingTest {
protected:
    // Saves a project as the window would, with its memory.
    std::string saveProject(const std::string& name, const std::vector<std::string>& lines,
                            const std::function<void(Simulator&)>& adjust = {})
    {
        korvanta::testing::FakeHost host;
        Simulator sim(host);
        sim.Form_Load();
        for (const std::string& line : lines) sim.source.AppendLine(line);
        if (adjust) adjust(sim);
        const std::string path = (dir_ / name).string();
        EXPECT_TRUE(sim.documents.SaveProjectTo(path, true));
        return path;
    }
};

// The project's registers, memory, mode and breakpoints give way to the task's machine.
TEST_F(ProjectSubmission, RunsOnTheTasksMachine)
{
    const std::string path = saveProject("p.QSM", {"ADI 01", "HLT"}, [](Simulator& sim) {
        sim.machine.cpu.RegisterA.setText("41");
        sim.machine.options.Full8085.set(1);
        sim.breakpoints.setLine(0, true);
        sim.machine.memory.EnterintoMEMory(sim.machine.window.rowOfAddress("0120"), "77");
    });
    const Task task = TaskFrom(OneCase(R"("expect": {"status": "Program Finished", "registers": {"A": "01"},
                                                     "memory": {"0120": "00"}})"));
    const SubmissionResult r = GradeSubmission(task, path);
    ASSERT_FALSE(r.error.has_value()) << *r.error;
    EXPECT_EQ(r.points, 1) << (r.cases[0].mismatches.empty() ? "" : r.cases[0].mismatches[0].what);
}

// Its assembling options stand: without "Automatically add HLT" a program
// without HLT does not assemble.
TEST_F(ProjectSubmission, KeepsItsAssemblingOptions)
{
    const std::string path =
        saveProject("nohlt.QSM", {"MVI A,05"}, [](Simulator& sim) { sim.machine.options.Check3.set(0); });
    const SubmissionResult r = GradeSubmission(TaskFrom(OneCase("")), path);
    ASSERT_TRUE(r.error.has_value());
    EXPECT_EQ(r.error->rfind("does not assemble: ", 0), 0u) << *r.error;
    EXPECT_NE(r.error->find("no \"HLT\" command exists"), std::string::npos) << *r.error;
}

TEST_F(ProjectSubmission, ATruncatedOneCannotBeOpened)
{
    const std::string path = saveProject("cut.QSM", {"MVI A,05", "HLT"});
    fs::resize_file(path, fs::file_size(path) / 2);
    const SubmissionResult r = GradeSubmission(TaskFrom(OneCase("")), path);
    ASSERT_TRUE(r.error.has_value());
    EXPECT_EQ(r.error->rfind("cannot open the project file", 0), 0u) << *r.error;
}

TEST_F(GradingTest, ImportedSourcesBringTheirWindowAndStart)
{
    const std::string source = "        ORG 2000H\nSTART:  MVI A,2AH\n        STA 2050H\n        HLT\n";
    const SubmissionResult r = grade(source, OneCase(R"("expect": {"registers": {"A": "2A"}, "PC": "2006",
                                                                  "SP": "2BBB", "memory": {"2050": "2A"}})",
                                                     R"("import": true)"));
    ASSERT_FALSE(r.error.has_value()) << *r.error;
    EXPECT_EQ(r.points, 1);

    const SubmissionResult bad = grade("        FOO BAR, BAZ\n", OneCase("", R"("import": true)"), "bad.asm");
    ASSERT_TRUE(bad.error.has_value());
    EXPECT_EQ(bad.error->rfind("does not import: line 1: ", 0), 0u) << *bad.error;
}

TEST_F(GradingTest, AnImportedProgramOutsideTheSetupWindowFailsTheCase)
{
    // The task cannot know the window of a program it has not read: the
    // bytes are found outside it when the case is set up.
    const std::string source = "        ORG 0100H\n        HLT\n";
    const SubmissionResult r = grade(source, R"({"import": true, "cases": [{},
        {"setup": {"memory": {"2050": "01"}}}]})");
    ASSERT_FALSE(r.error.has_value()) << *r.error;
    ASSERT_EQ(r.cases.size(), 2u);
    EXPECT_EQ(r.cases[1].mismatches,
              (std::vector<Mismatch>{
                  {"setup", "the case's set-up", "memory 2050 is not in the memory window 0000-0FFF"}}));
}

TEST_F(GradingTest, FoldersGiveTheirProgramsInNameOrder)
{
    for (const char* name : {"b.asm", "a.QSM", "c.TXT", "A.asm", "d.bin", "sub/e.asm"})
        write(std::string("class/") + name, "HLT\n");
    fs::create_directories(dir_ / "nothing");
    std::vector<std::string> notes;
    const std::string cls = (dir_ / "class").string();
    const std::string nothing = (dir_ / "nothing").string();
    const auto paths = CollectSubmissions({cls, "given.bin", nothing}, notes);
    EXPECT_EQ(paths, (std::vector<std::string>{cls + "/A.asm", cls + "/a.QSM", cls + "/b.asm", cls + "/c.TXT",
                                               "given.bin"}));
    EXPECT_EQ(notes,
              (std::vector<std::string>{"the folder '" + nothing + "' holds no .QSM, .asm or .txt file"}));
}

// The same class on one thread and on four: the same results, in the order given.
TEST_F(GradingTest, ThreadsDoNotChangeTheResults)
{
    const char* const programs[] = {kAddStore, "MVI A,00\nLOOP: INR A\nJMP LOOP\n", "MOV A,X\n",
                                    "MVI A,08\nHLT\n", ""};
    std::vector<std::string> paths;
    for (int i = 0; i < 23; ++i)
        paths.push_back(write("s" + std::to_string(100 + i) + ".asm", programs[i % 5]));
    paths.push_back((dir_ / "missing.asm").string());
    const Task task = TaskFrom(R"({"maxInstructions": 5000, "cases": [
        {"expect": {"registers": {"A": "08"}}}, {"setup": {"registers": {"A": "01"}}, "expect": {"status": "Program Finished"}},
        {"expect": {"memory": {"0120": "08"}}}]})");

    std::vector<std::size_t> seen;
    const auto one = GradeAll(task, paths, 1);
    const auto four = GradeAll(task, paths, 4, [&seen](std::size_t done) { seen.push_back(done); });
    ASSERT_EQ(four.size(), paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i) EXPECT_EQ(four[i].file, paths[i]);
    EXPECT_EQ(JsonText(JsonReport({task, one})), JsonText(JsonReport({task, four})));
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), paths.size());
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    // Right in all three; endless (A ends at C4 after 2500 INRs); broken; MVI A,08 (no store); empty.
    EXPECT_EQ(one[0].points, 3);
    EXPECT_EQ(one[1].points, 0);
    EXPECT_EQ(one[2].points, 0);
    EXPECT_TRUE(one[2].error.has_value());
    EXPECT_EQ(one[3].points, 2);
    EXPECT_EQ(one[4].error, "the program is empty");
}

TEST_F(GradingTest, RecordingWritesWhatTheReferenceDoes)
{
    // 05 + 03 = 08: no flag set in Full 8085 mode (one bit: odd parity). 0120
    // held 08 before the run, so only 0122 changed.
    const Task task = TaskFrom(R"({"mode": "full", "cases": [
        {"setup": {"registers": {"B": "07"}, "memory": {"0120": "08"}}, "expect": {"registers": {"A": "FF"}}}]})");
    const std::string reference = write("ref.asm", "MVI A,05\nADI 03\nSTA 0120\nSTA 0122\nHLT\n");
    std::vector<Json> expects;
    std::vector<std::string> notes;
    std::string error;
    ASSERT_TRUE(RecordExpectations(task, reference, expects, notes, error)) << error;
    ASSERT_EQ(expects.size(), 1u);
    EXPECT_EQ(expects[0], Json::parse(R"({"status": "Program Finished",
        "registers": {"A": "08", "B": "07", "C": "00", "D": "00", "E": "00", "H": "00", "L": "00"},
        "flags": "00", "SP": "0BBB", "memory": {"0122": "08"}, "outputs": []})"));
    EXPECT_TRUE(notes.empty());
}

TEST_F(GradingTest, RecordingTellsOfCasesThatDidNotFinishAndRefusesBrokenReferences)
{
    const Task task = TaskFrom(OneCase("", R"("maxInstructions": 10)"));
    std::vector<Json> expects;
    std::vector<std::string> notes;
    std::string error;
    ASSERT_TRUE(RecordExpectations(task, write("loop.asm", "LOOP: JMP LOOP\n"), expects, notes, error))
        << error;
    EXPECT_EQ(notes,
              (std::vector<std::string>{"case 'case 1' ended with 'Memory Error', not 'Program Finished'"}));
    EXPECT_EQ(expects[0]["status"], "Memory Error");

    const std::string broken = write("broken.asm", "MOV A,X\n");
    EXPECT_FALSE(RecordExpectations(task, broken, expects, notes, error));
    EXPECT_EQ(error.rfind("the reference '" + broken + "': does not assemble: line 1 (MOV A,X)", 0), 0u)
        << error;
}

}  // namespace
}  // namespace korvanta::grading::testing
