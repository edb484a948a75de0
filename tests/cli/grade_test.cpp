// `korvanta-cli grade`: the example class, exit statuses, the same output on
// one thread and on four, the CSV file, JSON, refused tasks and options,
// --record, the progress bar on a terminal and the help. Marks are worked out by hand from the programs in
// examples/grading/ (their comments say what each does).

#include <fcntl.h>

#include <cerrno>
#include <functional>
#include <regex>
#include <set>

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

    // Runs korvanta-cli in the scratch folder with standard error on a terminal
    // of its own (a pseudo-terminal) and standard output in .stdout; returns
    // what the terminal was sent, with the exit status in `exitCode`.
    std::string onTerminal(const std::string& args, int& exitCode) const
    {
        const int master = posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return "no pseudo-terminal";
        // Opened before the fork, so that the terminal is never without a process on it while the
        // child starts.
        const int slave = open(ptsname(master), O_RDWR | O_NOCTTY);
        const std::string command = quoted(KORVANTA_CLI_PATH) + " " + args;
        const std::string folder = dir_.string();
        const std::string output = folder + "/.stdout";
        const pid_t child = fork();
        if (child == 0) {
            close(master);
            const int out = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int in = open("/dev/null", O_RDONLY);
            if (chdir(folder.c_str()) != 0 || out < 0 || in < 0) _exit(126);
            dup2(in, 0);
            dup2(out, 1);
            dup2(slave, 2);
            execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        close(slave);
        std::string shown;
        char buffer[4096];
        for (;;) {
            const ssize_t n = read(master, buffer, sizeof buffer);
            if (n > 0) {
                shown.append(buffer, static_cast<std::size_t>(n));
            } else if (n < 0 && errno == EINTR) {
                continue;
            } else {
                break;  // EIO: the child and everything it started have closed the terminal
            }
        }
        int status = 0;
        waitpid(child, &status, 0);
        close(master);
        exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return shown;
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
                  row("eve.asm",
                      "0/5 - - -  does not assemble: line 3 (LOOP: ADD X): The compiler has reached code "
                      "that either does not have the correct number of arguments or is flawed in another "
                      "way."),
              }));
    EXPECT_NE(r.out.find("\n1 of 5 submissions with full marks (5 points)\n"), std::string::npos) << r.out;

    r = cli("grade " + quoted(kExample + "task.json") + " " + quoted(kExample + "reference.asm"));
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
}

TEST_F(GradeTest, DetailsTellWhatEachFailedCaseGot)
{
    CliResult r =
        cli("grade --details " + quoted(kExample + "task.json") + " " +
            quoted(kExample + "submissions/bob.asm") + " " + quoted(kExample + "submissions/carol.asm"));
    EXPECT_EQ(r.exitCode, 1);
    // Bob's 501st instruction, the budget's end, comes after 167 additions of 09 (DF) in the 9 x 0 case;
    // 0120 keeps the FF of the set-up.
    EXPECT_EQ(
        linesStarting(r.out, "    "),
        (std::vector<std::string>{
            "    case 2 (9 x 0): status: expected Program Finished, got Memory Error; A: expected 00, got "
            "DF; "
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
    for (int i = 0; i < 20; ++i)
        put("many/s" + std::to_string(10 + i) + ".asm",
            i % 2 ? "MOV A,B\nADD C\nSTA 0120\n" : "LOOP: JMP LOOP\n");
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
    EXPECT_EQ(readFile(path("marks.csv")),
              "submission,points,max,2 + 3,FF + 01\n"
              "class/nostore.asm,3,3,1,2\n"
              "class/notes.txt,0,3,0,0\n"
              "class/right.asm,3,3,1,2\n"
              "class/wrong.asm,0,3,0,0\n");

    r = cli("grade task.json class --csv no/such/folder/marks.csv");
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err.rfind("korvanta-cli: cannot write the CSV file 'no/such/folder/marks.csv': ", 0), 0u)
        << r.err;
}

TEST_F(GradeClass, JsonForScripts)
{
    CliResult r = cli("grade task.json class/right.asm class/wrong.asm --json");
    EXPECT_EQ(r.exitCode, 1) << r.err;
    const Json j = r.json();
    expectReport(j,
                 {{"/task", "Add"},
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
    EXPECT_EQ(r.out,
              "Recorded 1 case from class/right.asm into setups.json; the old task is in setups.json.bak\n");
    EXPECT_EQ(readFile(path("setups.json.bak")), old);
    // Classic mode: 02 + 03 = 05; the flag value is the simulator's own, so only its presence is checked.
    const Json task = Json::parse(readFile(path("setups.json")));
    expectReport(
        task, {{"/cases/0/name", "2 + 3"},
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
    EXPECT_EQ(
        r.err.rfind("korvanta-cli: the reference 'class/notes.txt': does not assemble: line 1 (MOV A,Q)", 0),
        0u)
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
    EXPECT_EQ(r.err.rfind("korvanta-cli: broken.json: not valid JSON: parse error at line 2, ", 0), 0u)
        << r.err;
}

TEST_F(GradeClass, WarningsGoToStandardError)
{
    write("mul.json", R"({"cases": [{}], "rules": {"forbid": ["MUL"]}})");
    CliResult r = cli("grade mul.json class/right.asm");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err,
              "korvanta-cli: mul.json: rules.forbid[0]: 'MUL' is not an 8085 mnemonic, so no program can "
              "break this rule\n");
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
              "korvanta-cli: the folder 'empty' holds no .QSM, .asm or .txt file\nkorvanta-cli: no "
              "submissions to grade\n");
}

TEST_F(GradeClass, AProgressBarOnATerminalOnly)
{
    for (int i = 0; i < 16; ++i)
        put("many/s" + std::to_string(10 + i) + ".asm", "MOV A,B\nADD C\nSTA 0120\nHLT\n");
    int exitCode = -1;
    // class holds 4 programs, two of them right: 20 in all, more than the 8 a bar is drawn for.
    const std::string shown = onTerminal("grade task.json class many --jobs 2", exitCode);
    EXPECT_EQ(exitCode, 1) << shown;
    // Each picture begins at the line's start; 30 places, filled in proportion; never going back.
    const std::regex picture("\rgrading \\[(#*)(\\.*)\\] ([0-9]+)/20");
    std::size_t pictures = 0, last = 0;
    for (std::sregex_iterator it(shown.begin(), shown.end(), picture), end; it != end; ++it, ++pictures) {
        const std::size_t done = std::stoul((*it)[3]);
        EXPECT_EQ((*it)[1].length(), done * 30 / 20) << it->str();
        EXPECT_EQ((*it)[1].length() + (*it)[2].length(), 30u) << it->str();
        EXPECT_GE(done, last);
        last = done;
    }
    EXPECT_GE(pictures, 1u) << shown;
    EXPECT_EQ(last, 20u) << shown;
    // The last picture is full, and then wiped out before the table is printed.
    const std::string wipe = "\r" + std::string(60, ' ') + "\r";
    ASSERT_GE(shown.size(), wipe.size());
    EXPECT_EQ(shown.substr(shown.size() - wipe.size()), wipe);
    EXPECT_NE(shown.find("\rgrading [" + std::string(30, '#') + "] 20/20" + wipe), std::string::npos)
        << shown;
    // The table went to standard output whole.
    EXPECT_NE(readFile(path(".stdout")).find("\n18 of 20 submissions with full marks (3 points)\n"),
              std::string::npos);

    // A few submissions get no bar: it would flash by.
    EXPECT_EQ(onTerminal("grade task.json class", exitCode), "");
    EXPECT_EQ(exitCode, 1);
}

// The help is the manual page: it names every option and every key of the task file.
TEST_F(GradeTest, HelpTellsEveryOptionAndEveryTaskKey)
{
    CliResult r = cli("grade --help");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out.rfind("Grade a class's 8085 programs against a task's test cases.\n", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("Usage: korvanta-cli grade [OPTIONS] TASK SUBMISSION..."), std::string::npos);
    for (const char* option : {"--jobs N", "--csv FILE", "--json", "--details", "--record", "Exit status: 0"})
        EXPECT_NE(r.out.find(option), std::string::npos) << option;

    // The keys of the schema the program is built with, gathered from its objects.
    const Json schema = Json::parse(
        readFile(fs::path(KORVANTA_EXAMPLES_DIR) / ".." / "src" / "grading" / "task.schema.json"));
    std::set<std::string> keys;
    std::function<void(const Json&)> gather = [&](const Json& node) {
        if (!node.is_object()) return;
        if (node.contains("properties"))
            for (const auto& [key, child] : node.at("properties").items()) keys.insert(key);
        for (const auto& [key, child] : node.items())
            if (key != "errorMessage" && key != "enum") gather(child);
    };
    gather(schema);
    EXPECT_GE(keys.size(), 30u);
    const std::string footer = r.out.substr(r.out.find("The task file (JSON):"));
    for (const std::string& key : keys) {
        const std::regex word("(^|[^A-Za-z])" + key + "([^A-Za-z]|$)");
        EXPECT_TRUE(std::regex_search(footer, word)) << key;
    }
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
