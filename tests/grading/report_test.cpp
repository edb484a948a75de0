// The table, the CSV file and the JSON object for one hand-made class of
// three: full marks, some cases failed, and a submission that did not assemble.

#include <sstream>

#include "grading/grade_report.h"
#include "grading_fixture.h"

namespace korvanta::grading::testing {
namespace {

class Report : public ::testing::Test {
protected:
    static CaseResult passed(const std::string& name, int points)
    {
        return {name, points, points, true, {}, "Program Finished", 12};
    }

    Task task = TaskFrom(R"({"title": "Sums", "cases": [{"name": "7 x 6", "points": 2}, {"name": "a,b"},
                                                        {"name": "say \"hi\""}]})");
    std::vector<SubmissionResult> submissions = {
        {"=cmd.asm", 4, std::nullopt, {passed("7 x 6", 2), passed("a,b", 1), passed("say \"hi\"", 1)}},
        {"bob.asm",
         2,
         std::nullopt,
         {passed("7 x 6", 2),
          {"a,b", 0, 1, false, {{"A", "2A", "00"}, {"SP", "0BBB", "0BB9"}}, "Memory Error", 4097},
          {"say \"hi\"", 0, 1, false, {{"status", "Program Finished", "Memory Error"}}, "Memory Error", 1}}},
        {"eve.asm", 0, "does not assemble: x", {}},
    };
};

TEST_F(Report, TableHasARowPerSubmissionAndDetailsUnderIt)
{
    std::ostringstream out;
    WriteTable(out, {task, submissions}, true);
    EXPECT_EQ(out.str(),
              "Sums\n"
              "  case 1  7 x 6 (2 points)\n"
              "  case 2  a,b (1 point)\n"
              "  case 3  say \"hi\" (1 point)\n"
              "\n"
              "submission  points 1 2 3\n"
              "=cmd.asm       4/4 \u2713 \u2713 \u2713\n"
              "bob.asm        2/4 \u2713 \u2717 \u2717\n"
              "    case 2 (a,b): A: expected 2A, got 00; SP: expected 0BBB, got 0BB9 "
              "[Memory Error after 4097 instructions]\n"
              "    case 3 (say \"hi\"): status: expected Program Finished, got Memory Error "
              "[Memory Error after 1 instruction]\n"
              "eve.asm        0/4 - - -  does not assemble: x\n"
              "\n"
              "1 of 3 submissions with full marks (4 points)\n");
}

TEST_F(Report, TableWithoutDetailsAndWithOddNames)
{
    submissions = {{"a\nb\x1b.asm", 0, "the program is empty", {}}};
    std::ostringstream out;
    WriteTable(out, {task, submissions}, false);
    EXPECT_NE(out.str().find("\na?b?.asm       0/4 - - -  the program is empty\n"), std::string::npos)
        << out.str();
    EXPECT_NE(out.str().find("\n0 of 1 submission with full marks"), std::string::npos) << out.str();
}

TEST_F(Report, CsvHasAColumnPerCaseAndNoFormulas)
{
    EXPECT_EQ(CsvText({task, submissions}),
              "submission,points,max,7 x 6,\"a,b\",\"say \"\"hi\"\"\"\n"
              "'=cmd.asm,4,4,2,1,1\n"
              "bob.asm,2,4,2,0,0\n"
              "eve.asm,0,4,0,0,0\n");
}

TEST_F(Report, JsonHasEverySubmissionAndMismatch)
{
    const Json expected = Json::parse(R"({"task": "Sums", "max": 4, "submissions": [
        {"file": "=cmd.asm", "points": 4, "error": null, "cases": [
            {"name": "7 x 6", "points": 2, "passed": true, "mismatches": []},
            {"name": "a,b", "points": 1, "passed": true, "mismatches": []},
            {"name": "say \"hi\"", "points": 1, "passed": true, "mismatches": []}]},
        {"file": "bob.asm", "points": 2, "error": null, "cases": [
            {"name": "7 x 6", "points": 2, "passed": true, "mismatches": []},
            {"name": "a,b", "points": 0, "passed": false, "mismatches": [
                {"what": "A", "expected": "2A", "got": "00"}, {"what": "SP", "expected": "0BBB", "got": "0BB9"}]},
            {"name": "say \"hi\"", "points": 0, "passed": false, "mismatches": [
                {"what": "status", "expected": "Program Finished", "got": "Memory Error"}]}]},
        {"file": "eve.asm", "points": 0, "error": "does not assemble: x", "cases": []}]})");
    const Json report = JsonReport({task, submissions});
    EXPECT_EQ(report, expected);
    // Keys in the order a reader expects them.
    EXPECT_EQ(JsonText(report).rfind("{\n  \"task\": \"Sums\",\n  \"max\": 4,\n  \"submissions\": [", 0), 0u);
    // A file name need not be UTF-8; the JSON still is.
    submissions = {{"caf\xe9.asm", 0, "the program is empty", {}}};
    EXPECT_NE(JsonText(JsonReport({task, submissions})).find("caf\xef\xbf\xbd.asm"), std::string::npos);
}

TEST_F(Report, FullMarksNeedEveryPointAndNoError)
{
    EXPECT_FALSE(AllFullMarks({task, submissions}));
    submissions.resize(1);
    EXPECT_TRUE(AllFullMarks({task, submissions}));
    const Task free = TaskFrom(R"({"cases": [{"points": 0}]})");
    const std::vector<SubmissionResult> broken = {{"x.asm", 0, "the program is empty", {}}};
    EXPECT_FALSE(AllFullMarks({free, broken}));
}

}  // namespace
}  // namespace korvanta::grading::testing
