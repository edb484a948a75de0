// Grading a class in process: 500 submissions against five cases must take
// at most 5 seconds on the 2-core machine (bench/grade_vs_shell_loop.sh
// compares it with a shell loop over `korvanta-cli run`). One case alone,
// and the whole class on one thread and on two.

#include <benchmark/benchmark.h>

#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench_support.h"
#include "engine/program_loader.h"
#include "grading/grader.h"
#include "grading/task.h"

namespace {

using namespace korvanta;
using namespace korvanta::grading;

// A = B times C into 0120, five cases: the task of bench/grade_vs_shell_loop.sh.
Task MultiplyTask()
{
    const char* kTask = R"({"title": "Multiply", "cases": [
        {"name": "7 x 6", "setup": {"registers": {"B": "07", "C": "06"}},
         "expect": {"status": "Program Finished", "registers": {"A": "2A"}, "memory": {"0120": "2A"}}},
        {"name": "9 x 0", "setup": {"registers": {"B": "09", "C": "00"}, "memory": {"0120": "FF"}},
         "expect": {"status": "Program Finished", "registers": {"A": "00"}, "memory": {"0120": "00"}}},
        {"name": "15 x 15", "setup": {"registers": {"B": "0F", "C": "0F"}},
         "expect": {"status": "Program Finished", "registers": {"A": "E1"}}},
        {"name": "1 x 1", "setup": {"registers": {"B": "01", "C": "01"}},
         "expect": {"status": "Program Finished", "registers": {"A": "01"}}},
        {"name": "0 x 3", "setup": {"registers": {"B": "00", "C": "03"}},
         "expect": {"status": "Program Finished", "registers": {"A": "00"}}}],
        "rules": {"maxBytes": 64, "require": ["JNZ"]}})";
    TaskParse parsed = ParseTask(kTask);
    if (!parsed.task) throw std::runtime_error(parsed.error);
    return *parsed.task;
}

// Right, wrong, endless and broken programs in turn, as a class hands them in.
const char* const kPrograms[] = {
    "MVI A,00\nINR C\nDCR C\nJZ STOR\nLOOP: ADD B\nDCR C\nJNZ LOOP\nSTOR: STA 0120\nHLT\n",
    "MVI A,00\nLOOP: ADD B\nDCR C\nJNZ LOOP\nSTA 0120\nHLT\n",
    "MVI A,00\nINR C\nDCR C\nJZ STOP\nLOOP: ADD B\nDCR C\nJNZ LOOP\nSTOP: HLT\n",
    "MVI A,00\nLOOP: ADD B\nJNZ LOOP\nJMP LOOP\n",
    "MVI A,00\nLOOP: ADD X\nDCR C\nJNZ LOOP\nHLT\n",
};

std::vector<std::string> WriteClass(const bench::TempDir& dir, int count)
{
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i) {
        paths.push_back(dir.file("student" + std::to_string(i) + ".asm"));
        std::ofstream(paths.back()) << "!! STUDENT " << i << "\n" << kPrograms[i % 5];
    }
    return paths;
}

void BM_GradeOneCase(benchmark::State& state)
{
    const Task task = MultiplyTask();
    Program program;
    program.lines = TypedProgramLines(kPrograms[0]);
    for (auto _ : state) {
        CaseResult result = RunCase(task, program, task.cases[0]);
        if (!result.passed) state.SkipWithError("the right program failed its case");
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(BM_GradeOneCase)->Unit(benchmark::kMicrosecond);

void BM_GradeClassOf500(benchmark::State& state)
{
    const Task task = MultiplyTask();
    bench::TempDir dir;
    const std::vector<std::string> paths = WriteClass(dir, 500);
    for (auto _ : state) {
        const std::vector<SubmissionResult> results = GradeAll(task, paths, static_cast<int>(state.range(0)));
        if (results.size() != paths.size() || results[0].points != 5)
            state.SkipWithError("the class was not graded");
        benchmark::DoNotOptimize(results);
    }
}
BENCHMARK(BM_GradeClassOf500)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
