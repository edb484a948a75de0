#pragma once

// What the grading tests share: a task from its JSON text, a scratch folder
// for submissions, and one submission graded against one task.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>

#include "grading/grader.h"
#include "grading/task.h"

namespace korvanta::grading {

// Failures show mismatches as text.
inline void PrintTo(const Mismatch& m, std::ostream* out)
{
    *out << "{" << m.what << ": expected '" << m.expected << "', got '" << m.got << "'}";
}

}  // namespace korvanta::grading

namespace korvanta::grading::testing {

namespace fs = std::filesystem;

// The task, which the test expects to be valid.
inline Task TaskFrom(const std::string& json)
{
    const TaskParse parsed = ParseTask(json, "untitled");
    EXPECT_TRUE(parsed.task.has_value()) << parsed.error << "\n" << json;
    return parsed.task.value_or(Task{});
}

// A task of one case: the top-level keys, then the case's keys (without braces).
inline std::string OneCase(const std::string& caseKeys, const std::string& topKeys = "")
{
    return "{" + topKeys + (topKeys.empty() ? "" : ", ") + "\"cases\": [{" + caseKeys + "}]}";
}

class GradingTest : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(dir_); }
    void TearDown() override { fs::remove_all(dir_); }

    std::string write(const std::string& name, const std::string& bytes) const
    {
        const std::string path = (dir_ / name).string();
        fs::create_directories(fs::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    SubmissionResult grade(const std::string& program, const std::string& taskJson,
                           const std::string& name = "p.asm")
    {
        return GradeSubmission(TaskFrom(taskJson), write(name, program));
    }

    fs::path dir_ = fs::temp_directory_path() / ("korvanta-grading-test-" + std::to_string(getpid()));
};

}  // namespace korvanta::grading::testing
