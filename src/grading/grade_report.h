#pragma once

// What grading tells: a table for the terminal, a CSV file for a
// spreadsheet, and one JSON object for scripts. All three list the
// submissions in the order they were given, whatever the number of threads.

#include <ostream>
#include <string>
#include <vector>

#include "grading/grader.h"

namespace korvanta::grading {

struct GradeReport {
    const Task& task;
    const std::vector<SubmissionResult>& submissions;
};

// True when every submission has all the task's points and no error.
bool AllFullMarks(const GradeReport& report);

// One row per submission: its points out of the maximum and a mark per case
// (the cases are numbered, and named above the table); a submission that got
// no points without running its cases shows why. With details, every failed
// case adds a line with what was expected and what came out.
void WriteTable(std::ostream& out, const GradeReport& report, bool details);

// submission,points,max,<one column per case, the case's points earned>.
// Cells are quoted as RFC 4180 says; a cell a spreadsheet would take for a
// formula (=, +, -, @ first) is preceded by an apostrophe.
std::string CsvText(const GradeReport& report);

// {"task", "max", "submissions": [{"file", "points", "error", "cases":
// [{"name", "points", "passed", "mismatches": [{"what", "expected", "got"}]}]}]}
Json JsonReport(const GradeReport& report);

// The JSON as written: two-blank indents; bytes that are not UTF-8 (a file
// name may hold any) come out as U+FFFD.
std::string JsonText(const Json& json);

}  // namespace korvanta::grading
