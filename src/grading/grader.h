#pragma once

// Grading submissions against a task: each submission is read once, its
// rules are checked on one assembly, then every case runs on a machine of
// its own, so that nothing one case or one submission does reaches another.
// The core keeps no state outside its objects (no statics that change, no
// caches), and the grader's host never changes the process's folder, so
// submissions can be graded on several threads at once.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "grading/task.h"

namespace korvanta::grading {

// A submission with more lines than this is refused: the memory window holds
// 4096 bytes, and the line limit keeps a file of blank comments from costing
// seconds per case.
inline constexpr std::size_t kMaxSubmissionLines = 100'000;

// What a submission holds, read once and loaded afresh for every case.
struct Program {
    std::vector<std::string> lines;
    bool typed = true;    // typed into the entry field (a text file); else appended as a project's lines
    int autoHalt = 1;     // "Automatically add "HLT" if necessary", as the project says
    int orgCommands = 1;  // "Understand textual "!!ORG" commands"
    std::string window;   // an imported program's memory window; empty otherwise
    std::string start;    // an imported program's start address; empty otherwise
};

// Reads a submission as `korvanta-cli run` reads a program: a project file
// (recognised by its first record) or text lines typed into the entry field;
// with the task's import, text is standard assembly read by the importer.
// On failure returns false with a one-line reason.
bool ReadSubmission(const std::string& path, const Task& task, Program& program, std::string& error);

struct Mismatch {
    std::string what;  // "A", "Z", "memory 0120", "status", ...
    std::string expected;
    std::string got;
    bool operator==(const Mismatch&) const = default;
};

struct CaseResult {
    std::string name;
    int points = 0;  // earned
    int maxPoints = 0;
    bool passed = false;
    std::vector<Mismatch> mismatches;
    std::string status;          // how the run ended
    std::uint64_t executed = 0;  // instructions it ran
};

struct SubmissionResult {
    std::string file;
    int points = 0;
    // Why the submission got nothing without its cases being run: it could
    // not be read or assembled, or it broke a rule.
    std::optional<std::string> error;
    std::vector<CaseResult> cases;
};

// The assembly and the rules, once per submission: the reason the submission
// gets no points, or nothing when its cases may run. The assembly is made on
// the machine of the first case.
std::optional<std::string> CheckRules(const Task& task, const Program& program);

CaseResult RunCase(const Task& task, const Program& program, const TaskCase& taskCase);

// Reads, checks and runs one submission. Never throws: whatever goes wrong
// becomes the submission's error.
SubmissionResult GradeSubmission(const Task& task, const std::string& path);

// Grades every path on up to `jobs` threads; the results are in the order of
// paths, whatever the number of threads. progress, when given, is called on
// the calling thread now and then with the number graded so far.
std::vector<SubmissionResult> GradeAll(const Task& task, const std::vector<std::string>& paths, int jobs,
                                       const std::function<void(std::size_t done)>& progress = {});

// The submissions the command line names: files as they are, folders as the
// .QSM, .asm and .txt files in them (any case), sorted by name. A folder
// with none of them is told in notes.
std::vector<std::string> CollectSubmissions(const std::vector<std::string>& arguments,
                                            std::vector<std::string>& notes);

// What the reference solution does in each case, as the task's expect
// objects: status, registers, flags, SP, the memory rows the run changed
// and, in Full 8085 mode, the outputs (and the console with the BDOS calls).
// Returns false with a reason when the reference cannot be read, breaks a
// rule or does not assemble in a case; notes tell cases that did not finish.
bool RecordExpectations(const Task& task, const std::string& referencePath, std::vector<Json>& expects,
                        std::vector<std::string>& notes, std::string& error);

}  // namespace korvanta::grading
