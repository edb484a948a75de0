// The grading task parser on arbitrary bytes. A task is either refused with a
// one-line reason or read whole; a task that was read writes back to a file
// that reads the same; and its first case runs on a small program with any
// set-up the task gives, within a capped budget.

#include <cctype>
#include <cstdint>
#include <set>
#include <string_view>

#include "engine/program_loader.h"
#include "fuzz_support.h"
#include "grading/grader.h"
#include "grading/task.h"

using namespace korvanta;
using namespace korvanta::grading;

namespace {

bool upperHex(const std::string& text)
{
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c)) && !(c >= 'A' && c <= 'F')) return false;
    }
    return !text.empty();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const TaskParse parsed = ParseTask(text, "fuzz");
    if (!parsed.task) {
        KORVANTA_REQUIRE(!parsed.error.empty());
        KORVANTA_REQUIRE(parsed.error.find('\n') == std::string::npos);
        return 0;
    }
    KORVANTA_REQUIRE(parsed.error.empty());
    const Task& task = *parsed.task;
    KORVANTA_REQUIRE(!task.cases.empty());
    KORVANTA_REQUIRE(task.maxInstructions >= 1 && task.maxInstructions <= 100'000'000);
    std::set<std::string> names;
    for (const TaskCase& c : task.cases) {
        KORVANTA_REQUIRE(!c.name.empty() && names.insert(c.name).second);
        KORVANTA_REQUIRE(c.points >= 0);
        for (const auto& [name, value] : c.setup.registers)
            KORVANTA_REQUIRE(value.size() == 2 && upperHex(value));
        for (const ByteRow& row : c.expect.memory) {
            KORVANTA_REQUIRE(row.address.size() == 4 && upperHex(row.address));
            KORVANTA_REQUIRE(!row.bytes.empty());
        }
        if (!task.full) KORVANTA_REQUIRE(c.setup.inputs.empty() && !c.expect.outputs);
    }

    // Written back as --record writes it, the task reads the same.
    const TaskParse again =
        ParseTask(parsed.document.dump(2, ' ', false, Json::error_handler_t::replace), "fuzz");
    KORVANTA_REQUIRE(again.task.has_value());
    KORVANTA_REQUIRE(again.task->cases.size() == task.cases.size());
    KORVANTA_REQUIRE(again.task->maxPoints() == task.maxPoints());

    Task capped = task;
    capped.maxInstructions = std::min(capped.maxInstructions, 2000);
    Program program;
    program.lines = TypedProgramLines("MVI A,05\nLOOP: STA 0120\nDCR A\nJNZ LOOP\nOUT 21\nHLT\n");
    const CaseResult result = RunCase(capped, program, capped.cases.front());
    KORVANTA_REQUIRE(result.passed == result.mismatches.empty());
    KORVANTA_REQUIRE(result.points == (result.passed ? capped.cases.front().points : 0));
    return 0;
}
