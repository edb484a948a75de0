// `korvanta-cli grade`: the example class, exit statuses, the same output on
// one thread and on four, the CSV file, JSON, refused tasks and options, and
// --record. Marks are worked out by hand from the programs in
// examples/grading/ (their comments say what each does).

#include "support/cli_process.h"

namespace korvanta::clitest {
namespace {

const std::string kExample = std::string(KORVANTA_EXAMPLES_DIR) + "/grading/";

class GradeTest : public CliTest {
protected:
    // write() in a folder of its own, made first.
    void put(const std::string& name, const std::string& bytes) const
    {
        fs::create_directories(fs::path(path(name)).parent_path());
        write(name, bytes);
    }

    // The lines of text that begin with `start`.
    static std::vector<std::string> linesStarting(const std::string& text, const std::string& start)
    {
        std::vector<std::string> found;
        std::size_t at = 0;
        while (at < text.size()) {
            std::size_t end = text.find('\n', at);
            if (end == std::string::npos) end = text.size();
            const std::string line = text.substr(at, end - at);
            if (line.rfind(start, 0) == 0) found.push_back(line);
            at = end + 1;
        }
        return found;
    }
};

TEST_F(GradeTest, TheExampleClass)
{
    CliResult r = cli("grade " + quoted(kExample + "task.json") + " " + quoted(kExample + "submissions"));
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_EQ(r.err, "");
    const std::string dir = kExample + "submissions/";
    // Names are padded to the longest; the points column is six wide.
    auto row = [&](const std::string& name, const std::string& rest) {
        const std::size_t width = (dir + "alice.asm").size();
        return dir + name + std::string(width - (dir + name).size(), ' ') + "     " + rest;
    };
    EXPECT_EQ(linesStarting(r.out, dir),
              (std::vector<std::string>{
                  row("alice.asm", "5/5 \u2713 \u2713 \u2713"),
                  // With C = 00 the loop runs 256 times, 769 instructions: past the budget of 500.
                  row("bob.asm", "3/5 \u2713 \u2717 \u2713"),
                  // Nothing is stored at 0120, which every case checks.
                  row("carol.asm", "0/5 \u2717 \u2717 \u2717"),
                  row("dave.asm", "0/5 - - -  breaks the rule require: the program does not use JNZ"),
                  row("eve.asm", "0/5 - - -  does not assemble: line 3 (LOOP: ADD X): The compiler has reached code "
                                 "that either does not have the correct number of arguments or is flawed in another "
                                 "way."),
              }));
    EXPECT_NE(r.out.find("\n1 of 5 submissions with full marks (5 points)\n"), std::string::npos) << r.out;

    r = cli("grade " + quoted(kExample + "task.json") + " " + quoted(kExample + "reference.asm"));
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
}

TEST_F(GradeTest, DetailsTellWhatEachFailedCaseGot)
{
    CliResult r = cli("grade --details " + quoted(kExample + "task.json") + " " +
                      quoted(kExample + "submissions/bob.asm") + " " + quoted(kExample + "submissions/carol.asm"));
    EXPECT_EQ(r.exitCode, 1);
    // Bob's 501st instruction, the budget's end, comes after 167 additions of 09 (DF) in the 9 x 0 case;
    // 0120 keeps the FF of the set-up.
    EXPECT_EQ(linesStarting(r.out, "    "),
              (std::vector<std::string>{
                  "    case 2 (9 x 0): status: expected Program Finished, got Memory Error; A: expected 00, got DF; "
                  "memory 0120: expected 00, got FF [Memory Error after 501 instructions]",
                  "    case 1 (7 x 6): memory 0120: expected 2A, got 00 [Program Finished after 23 instructions]",
                  "    case 2 (9 x 0): memory 0120: expected 00, got FF [Program Finished after 5 instructions]",
                  "    case 3 (15 x 15): memory 0120: expected E1, got 00 [Program Finished after 50 instructions]",
              }));
}

class GradeClass : public GradeTest {
protected:
    void SetUp() override
    {
        GradeTest::SetUp();
        write("task.json", R"({"title": "Add", "cases": [
            {"name": "2 + 3", "setup": {"registers": {"B": "02", "C": "03"}}, "expect": {"registers": {"A": "05"}}},
            {"name": "FF + 01", "points": 2, "setup": {"registers": {"B": "FF", "C": "01"}},
             "expect": {"registers": {"A": "00"}, "memory": {"0120": "00"}}}]})");
        put("class/right.asm", "MOV A,B\nADD C\nSTA 0120\nHLT\n");
        put("class/nostore.asm", "MOV A,B\nADD C\nHLT\n");
        put("class/wrong.asm", "MOV A,B\nSTA 0120\nHLT\n");
        put("class/notes.txt", "MOV A,Q\n");
        put("class/ignored.doc", "HLT\n");
    }
};

TEST_F(GradeClass, OneThreadOrFourGiveTheSameOutput)
{
    for (int i = 0; i < 20; ++i) put("many/s" + std::to_string(10 + i) + ".asm", i % 2 ? "MOV A,B\nADD C\nSTA 0120\n" : "LOOP: JMP LOOP\n");
    for (const char* format : {"", " --json", " --details"}) {
        CliResult one = cli(std::string("grade task.json class many --jobs 1") + format);
        CliResult four = cli(std::string("grade task.json class many --jobs 4") + format);
        EXPECT_EQ(one.exitCode, 1);
        EXPECT_EQ(four.exitCode, 1);
        EXPECT_EQ(one.out, four.out) << format;
        // Standard error is no terminal here: no progress bar.
        EXPECT_EQ(four.err, "");
    }
}

TEST_F(GradeClass, CsvForASpreadsheet)
{
    CliResult r = cli("grade task.json class --csv marks.csv");
    EXPECT_EQ(r.exitCode, 1) << r.err;
    // In name order: nostore.asm, notes.txt, right.asm, wrong.asm. FF + 01 = 00 with the carry lost.
    EXPECT_EQ(readFile(path("marks.csv")), "submission,points,max,2 + 3,FF + 01\n"
                                           "class/nostore.asm,3,3,1,2\n"
                                           "class/notes.txt,0,3,0,0\n"
                                           "class/right.asm,3,3,1,2\n"
                                           "class/wrong.asm,0,3,0,0\n");

    r = cli("grade task.json class --csv no/such/folder/marks.csv");
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err.rfind("korvanta-cli: cannot write the CSV file 'no/such/folder/marks.csv': ", 0), 0u) << r.err;
}

TEST_F(GradeClass, JsonForScripts)
{
    CliResult r = cli("grade task.json class/right.asm class/wrong.asm --json");
    EXPECT_EQ(r.exitCode, 1) << r.err;
    const Json j = r.json();
    expectReport(j, {{"/task", "Add"},
                     {"/max", 3},
                     {"/submissions/0/file", "class/right.asm"},
                     {"/submissions/0/points", 3},
                     {"/submissions/0/error", nullptr},
                     {"/submissions/0/cases/1/name", "FF + 01"},
                     {"/submissions/0/cases/1/points", 2},
                     {"/submissions/0/cases/1/passed", true},
                     {"/submissions/1/points", 0},
                     {"/submissions/1/cases/0/mismatches", {{{"what", "A"}, {"expected", "05"}, {"got", "02"}}}},
                     // FF is stored and left in A.
                     {"/submissions/1/cases/1/mismatches",
                      {{{"what", "A"}, {"expected", "00"}, {"got", "FF"}},
                       {{"what", "memory 0120"}, {"expected", "00"}, {"got", "FF"}}}}});

    r = cli("grade task.json class/right.asm --json");
    EXPECT_EQ(r.exitCode, 0);
}

TEST_F(GradeClass, RecordFillsTheExpectationsFromAReference)
{
    write("setups.json", R"({"cases": [{"name": "2 + 3", "setup": {"registers": {"B": "02", "C": "03"}}}]})");
    const std::string old = readFile(path("setups.json"));
    CliResult r = cli("grade --record setups.json class/right.asm");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "Recorded 1 case from class/right.asm into setups.json; the old task is in setups.json.bak\n");
    EXPECT_EQ(readFile(path("setups.json.bak")), old);
    // Classic mode: 02 + 03 = 05; the flag value is the simulator's own, so only its presence is checked.
    const Json task = Json::parse(readFile(path("setups.json")));
    expectReport(task, {{"/cases/0/name", "2 + 3"},
                        {"/cases/0/setup/registers/B", "02"},
                        {"/cases/0/expect/status", "Program Finished"},
                        {"/cases/0/expect/registers",
                         {{"A", "05"}, {"B", "02"}, {"C", "03"}, {"D", "00"}, {"E", "00"}, {"H", "00"}, {"L", "00"}}},
                        {"/cases/0/expect/SP", "0BBB"},
                        {"/cases/0/expect/memory", {{"0120", "05"}}},
                        {"/cases/0/expect/outputs", nullptr}});
    EXPECT_TRUE(task.contains(Json::json_pointer("/cases/0/expect/flags")));
    EXPECT_EQ(cli("grade setups.json class/right.asm").exitCode, 0);
    EXPECT_EQ(cli("grade setups.json class/nostore.asm").exitCode, 1);

    // A reference that does not assemble leaves the task as it was.
    const std::string recorded = readFile(path("setups.json"));
    r = cli("grade --record setups.json class/notes.txt");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err.rfind("korvanta-cli: the reference 'class/notes.txt': does not assemble: line 1 (MOV A,Q)", 0), 0u)
        << r.err;
    EXPECT_EQ(readFile(path("setups.json")), recorded);
}

TEST_F(GradeClass, RefusedTasksNameThePlace)
{
    write("bad.json", R"({"cases": [{}, {"expect": {"registers": {"Q": "00"}}}]})");
    CliResult r = cli("grade bad.json class");
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "korvanta-cli: bad.json: cases[1].expect.registers.Q: unknown register\n");

    write("broken.json", "{\"cases\": [\n");
    r = cli("grade broken.json class");
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err.rfind("korvanta-cli: broken.json: not valid JSON: parse error at line 2, ", 0), 0u) << r.err;
}

TEST_F(GradeClass, WarningsGoToStandardError)
{
    write("mul.json", R"({"cases": [{}], "rules": {"forbid": ["MUL"]}})");
    CliResult r = cli("grade mul.json class/right.asm");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err,
              "korvanta-cli: mul.json: rules.forbid[0]: 'MUL' is not an 8085 mnemonic, so no program can break this rule\n");
}

// Wrong usage: exit 2, one line on stderr, nothing on stdout.
TEST_F(GradeClass, BadUsageExitsTwoWithOneLine)
{
    fs::create_directories(dir_ / "empty");
    const std::pair<const char*, const char*> rows[] = {
        {"grade", ""},
        {"grade task.json", ""},
        {"grade task.json class --jobs 0", ""},
        {"grade task.json class --jobs x", ""},
        {"grade missing.json class", "korvanta-cli: cannot read the task 'missing.json': no such file"},
        {"grade class class", "korvanta-cli: cannot read the task 'class': it is a directory"},
        {"grade task.json empty", ""},
        {"grade --record task.json class/right.asm class/wrong.asm",
         "korvanta-cli: --record takes the task and one reference solution, not 2"},
        {"grade --record --json task.json class/right.asm",
         "korvanta-cli: --record writes the task; it takes no --csv or --json"},
    };
    for (const auto& [args, message] : rows) {
        CliResult r = cli(args);
        EXPECT_EQ(r.exitCode, 2) << args;
        EXPECT_EQ(r.out, "") << args;
        if (*message) {
            EXPECT_EQ(r.err, std::string(message) + "\n") << args;
        } else {
            EXPECT_EQ(r.err.rfind("korvanta-cli: ", 0), 0u) << args << ": " << r.err;
        }
    }
    // The empty folder is told about before the refusal.
    EXPECT_EQ(cli("grade task.json empty").err,
              "korvanta-cli: the folder 'empty' holds no .QSM, .asm or .txt file\nkorvanta-cli: no submissions to grade\n");
}

TEST_F(GradeClass, AMissingSubmissionGetsNothingButGradingGoesOn)
{
    CliResult r = cli("grade task.json class/right.asm gone.asm --json");
    EXPECT_EQ(r.exitCode, 1);
    expectReport(r.json(), {{"/submissions/0/points", 3},
                            {"/submissions/1/file", "gone.asm"},
                            {"/submissions/1/points", 0},
                            {"/submissions/1/error", "cannot read 'gone.asm': no such file"}});
}

}  // namespace
}  // namespace korvanta::clitest
