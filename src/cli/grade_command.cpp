// `korvanta-cli grade TASK SUBMISSION...`: a class's programs against a
// task's test cases, with marks as a table, a CSV file or JSON; and
// `grade --record TASK REFERENCE`, which writes the expectations of a task
// from the teacher's own solution.

#include <unistd.h>

#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "cli/command.h"
#include "documents/file_store.h"
#include "grading/grade_report.h"
#include "grading/grader.h"
#include "grading/task.h"
#include "machine/host.h"

namespace korvanta::cli {

namespace {

using namespace korvanta::grading;

struct GradeOptions {
    std::string task;
    std::vector<std::string> submissions;
    int jobs = 0;
    std::string csv;
    bool json = false;
    bool details = false;
    bool record = false;
};

// A progress bar is worth drawing for more submissions than this.
constexpr std::size_t kProgressFrom = 8;

int defaultJobs()
{
    const unsigned cores = std::thread::hardware_concurrency();
    return cores == 0 ? 1 : static_cast<int>(std::min(cores, 256u));
}

std::string stem(const std::string& path)
{
    return std::filesystem::path(path).stem().string();
}

// Reads and checks the task; returns false after telling why on stderr.
bool loadTask(const std::string& path, TaskParse& parsed, std::string& text)
{
    std::string error;
    if (!ReadTaskFile(path, text, error)) {
        UsageError(error);
        return false;
    }
    parsed = ParseTask(text, stem(path));
    if (!parsed.task) {
        UsageError(path + ": " + parsed.error);
        return false;
    }
    for (const std::string& warning : parsed.warnings)
        std::cerr << "korvanta-cli: " << path << ": " << warning << '\n';
    return true;
}

class ProgressBar {
public:
    ProgressBar(std::size_t total, bool shown) : total_(total), shown_(shown) {}
    void operator()(std::size_t done)
    {
        if (!shown_) return;
        constexpr std::size_t kWidth = 30;
        const std::size_t filled = total_ == 0 ? kWidth : done * kWidth / total_;
        std::cerr << "\rgrading [" << std::string(filled, '#') << std::string(kWidth - filled, '.') << "] "
                  << done << '/' << total_ << std::flush;
    }
    void clear()
    {
        if (shown_) std::cerr << '\r' << std::string(60, ' ') << '\r' << std::flush;
    }

private:
    std::size_t total_;
    bool shown_;
};

int record(const GradeOptions& options)
{
    if (!options.csv.empty() || options.json)
        return UsageError("--record writes the task; it takes no --csv or --json");
    if (options.submissions.size() != 1)
        return UsageError("--record takes the task and one reference solution, not " +
                          std::to_string(options.submissions.size()));
    TaskParse parsed;
    std::string oldText;
    if (!loadTask(options.task, parsed, oldText)) return kExitUsage;

    std::vector<Json> expects;
    std::vector<std::string> notes;
    std::string error;
    if (!RecordExpectations(*parsed.task, options.submissions.front(), expects, notes, error)) {
        std::cerr << "korvanta-cli: " << error << '\n';
        return kExitProgramFailed;
    }
    Json document = parsed.document;
    for (std::size_t i = 0; i < expects.size(); ++i) document["cases"][i]["expect"] = expects[i];
    const std::string newText = JsonText(document);
    // What is written must read back as a task; anything else stays unwritten.
    TaskParse check = ParseTask(newText, stem(options.task));
    if (!check.task) {
        std::cerr << "korvanta-cli: the recorded task would not be valid: " << check.error << '\n';
        return kExitProgramFailed;
    }
    const std::string backup = options.task + ".bak";
    try {
        DiskFileStore store;
        store.replaceFile(backup, oldText);
        store.replaceFile(options.task, newText);
    } catch (const SysError& e) {
        return UsageError("cannot write the task '" + options.task + "': " + e.description);
    }
    for (const std::string& note : notes) std::cerr << "korvanta-cli: warning: " << note << '\n';
    std::cout << "Recorded " << expects.size() << (expects.size() == 1 ? " case" : " cases") << " from "
              << options.submissions.front() << " into " << options.task << "; the old task is in " << backup
              << '\n';
    return kExitSuccess;
}

int grade(const GradeOptions& options)
{
    if (options.record) return record(options);
    TaskParse parsed;
    std::string text;
    if (!loadTask(options.task, parsed, text)) return kExitUsage;
    const Task& task = *parsed.task;

    std::vector<std::string> notes;
    const std::vector<std::string> paths = CollectSubmissions(options.submissions, notes);
    for (const std::string& note : notes) std::cerr << "korvanta-cli: " << note << '\n';
    if (paths.empty()) return UsageError("no submissions to grade");

    ProgressBar bar(paths.size(), paths.size() > kProgressFrom && isatty(STDERR_FILENO));
    const std::vector<SubmissionResult> results =
        GradeAll(task, paths, options.jobs > 0 ? options.jobs : defaultJobs(),
                 [&bar](std::size_t done) { bar(done); });
    bar.clear();

    const GradeReport report{task, results};
    if (options.json)
        std::cout << JsonText(JsonReport(report));
    else
        WriteTable(std::cout, report, options.details);
    std::cout.flush();

    if (!options.csv.empty()) {
        try {
            DiskFileStore().replaceFile(options.csv, CsvText(report));
        } catch (const SysError& e) {
            return UsageError("cannot write the CSV file '" + options.csv + "': " + e.description);
        }
    }
    return AllFullMarks(report) ? kExitSuccess : kExitProgramFailed;
}

constexpr const char* kDescription =
    "Grade a class's 8085 programs against a task's test cases.\n"
    "\n"
    "Each SUBMISSION is a program file (a project file, recognised by its first record,\n"
    "or text lines typed into the entry field, as `run` reads them) or a folder, whose\n"
    ".QSM, .asm and .txt files are graded in the order of their names. For every\n"
    "submission the rules of the task are checked once, on one assembly; then each\n"
    "case starts a fresh machine (registers 00, flags 00, SP 0BBB, empty memory),\n"
    "loads the program, applies the case's setup, assembles, runs, and compares what\n"
    "its expect names. A case earns its points when everything it names matches. A\n"
    "submission that cannot be read or assembled, or breaks a rule, gets 0 points and\n"
    "the reason. Loops end at the task's instruction budget; submissions are graded on\n"
    "several threads, each case on a machine of its own, and the output does not\n"
    "depend on the number of threads.\n"
    "\n"
    "The table lists every submission with its points, the maximum and a mark per case\n"
    "(numbered, and named above the table); --details adds what each failed case\n"
    "expected and what came out, --csv a file for a spreadsheet (replaced whole, never\n"
    "left half written) and --json one object for scripts instead of the table. While\n"
    "more than 8 submissions are graded and standard error is a terminal, a progress\n"
    "bar is drawn there. Exit status: 0 when every submission has full marks, 1 when\n"
    "any has less, 2 for a task that is not valid, bad options or a file that cannot\n"
    "be written.\n"
    "\n"
    "With --record, TASK and one REFERENCE solution: each case's expect is replaced by\n"
    "what the reference does (status, registers, flags, SP, the memory rows the run\n"
    "changed; in full mode the outputs, and the console with bdos), the old task is\n"
    "kept as TASK.bak, and a teacher only has to write the setups.";

constexpr const char* kFooter =
    "The task file (JSON):\n"
    "  {\"title\": \"Multiply B by C into A\", \"mode\": \"classic\", \"maxInstructions\": 4096,\n"
    "   \"cases\": [{\"name\": \"7 x 6\", \"points\": 2,\n"
    "              \"setup\": {\"registers\": {\"B\": \"07\", \"C\": \"06\"}},\n"
    "              \"expect\": {\"status\": \"Program Finished\", \"registers\": {\"A\": \"2A\"}}}],\n"
    "   \"rules\": {\"maxBytes\": 64, \"forbid\": [\"STA\"], \"require\": [\"JNZ\"]}}\n"
    "  Top level: title, mode (classic or full), maxInstructions (1 to 100000000,\n"
    "  default 4096), import (read text as standard assembly; full mode), bdos (CP/M\n"
    "  console calls at 0005; full mode), cases (at least one), rules.\n"
    "  cases[]: name (default \"case N\"), points (0 to 1000, default 1), setup, expect.\n"
    "  setup: registers {A, B, C, D, E, H, L: byte}, flags (byte), SP, start\n"
    "  (addresses), window (one hex digit; SP becomes xBBB in window x), memory\n"
    "  {ADDR: \"05 06 ...\"}, in {PORT: byte} (full mode).\n"
    "  expect: status, registers, flags (byte, or bits {S, Z, AC, P, CY: 0 or 1}), SP,\n"
    "  PC, memory {ADDR: \"2A ...\"}, outputs [{port, value}] (full mode), console\n"
    "  (with bdos). Every key is optional; expect checks only what it names.\n"
    "  rules: maxBytes (assembled bytes), forbid and require (mnemonics).\n"
    "  Bytes are two hex digits, addresses four. A task that is not valid is refused\n"
    "  with the place: cases[1].expect.registers.Q: unknown register.\n"
    "\n"
    "Examples:\n"
    "  korvanta-cli grade task.json class --csv marks.csv\n"
    "  korvanta-cli grade --details task.json class/bob.asm class/carol.QSM\n"
    "  korvanta-cli grade --record task.json reference.asm";

// The list of subcommands shows the one-line description; the command's own
// help opens with the whole story.
class GradeHelp : public CLI::Formatter {
public:
    std::string make_description(const CLI::App*) const override
    {
        return std::string(kDescription) + "\n\n";
    }
};

}  // namespace

Command AddGradeCommand(CLI::App& app)
{
    auto options = std::make_shared<GradeOptions>();
    CLI::App* cmd = app.add_subcommand(
        "grade", "Grade SUBMISSIONs against the test cases of TASK: marks, a table, CSV, JSON.");
    cmd->formatter(std::make_shared<GradeHelp>());
    cmd->footer(kFooter);
    cmd->add_option("TASK", options->task, "The task file (JSON)")->required()->type_name("");
    cmd->add_option("SUBMISSION", options->submissions,
                    "Programs, or folders of them; with --record, the one reference solution")
        ->required()
        ->type_name("");
    cmd->add_option("--jobs,-j", options->jobs,
                    "Grade N submissions at a time (default: the number of cores)")
        ->check(CLI::Range(1, 256))
        ->type_name("N");
    cmd->add_option("--csv", options->csv, "Also write submission,points,max and one column per case to FILE")
        ->type_name("FILE");
    cmd->add_flag("--json", options->json, "Print one JSON object instead of the table");
    cmd->add_flag("--details", options->details,
                  "Also tell what each failed case expected and what came out");
    cmd->add_flag("--record", options->record,
                  "Fill TASK's expectations from a reference solution; keep the old TASK.bak");
    return {cmd, [options] { return grade(*options); }};
}

}  // namespace korvanta::cli
