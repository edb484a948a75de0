#include "grading/grade_report.h"

#include <algorithm>
#include <sstream>

namespace korvanta::grading {

namespace {

constexpr const char* kPassMark = "\u2713";  // ✓
constexpr const char* kFailMark = "\u2717";  // ✗
constexpr const char* kNotRunMark = "-";

// Columns a text takes on a terminal: UTF-8 continuation bytes take none.
std::size_t columns(const std::string& text)
{
    std::size_t n = 0;
    for (unsigned char c : text) n += (c & 0xC0) != 0x80;
    return n;
}

std::string padRight(const std::string& text, std::size_t width)
{
    const std::size_t used = columns(text);
    return used >= width ? text : text + std::string(width - used, ' ');
}

std::string padLeft(const std::string& text, std::size_t width)
{
    const std::size_t used = columns(text);
    return used >= width ? text : std::string(width - used, ' ') + text;
}

// A file name may hold anything; a terminal gets no control characters.
std::string printable(std::string text)
{
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    }
    return text;
}

std::string pointsWord(int points)
{
    return std::to_string(points) + (points == 1 ? " point" : " points");
}

std::string csvCell(std::string text)
{
    if (!text.empty() && (text[0] == '=' || text[0] == '+' || text[0] == '-' || text[0] == '@' ||
                          text[0] == '\t' || text[0] == '\r'))
        text.insert(0, "'");
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

}  // namespace

bool AllFullMarks(const GradeReport& report)
{
    const int max = report.task.maxPoints();
    return std::all_of(report.submissions.begin(), report.submissions.end(),
                       [max](const SubmissionResult& s) { return !s.error && s.points == max; });
}

void WriteTable(std::ostream& out, const GradeReport& report, bool details)
{
    const Task& task = report.task;
    const int max = task.maxPoints();
    out << printable(task.title) << '\n';
    const std::size_t numberWidth = std::to_string(task.cases.size()).size();
    for (std::size_t i = 0; i < task.cases.size(); ++i) {
        out << "  case " << padLeft(std::to_string(i + 1), numberWidth) << "  "
            << printable(task.cases[i].name) << " (" << pointsWord(task.cases[i].points) << ")\n";
    }
    out << '\n';

    std::size_t nameWidth = columns("submission");
    for (const SubmissionResult& s : report.submissions)
        nameWidth = std::max(nameWidth, columns(printable(s.file)));
    const std::string maxText = std::to_string(max);
    const std::size_t pointsWidth = std::max<std::size_t>(columns("points"), 2 * maxText.size() + 1);

    std::string heading = padRight("submission", nameWidth) + "  " + padLeft("points", pointsWidth);
    for (std::size_t i = 0; i < task.cases.size(); ++i)
        heading += " " + padLeft(std::to_string(i + 1), numberWidth);
    out << heading << '\n';

    int full = 0;
    for (const SubmissionResult& s : report.submissions) {
        if (!s.error && s.points == max) ++full;
        std::string row = padRight(printable(s.file), nameWidth) + "  " +
                          padLeft(std::to_string(s.points) + "/" + maxText, pointsWidth);
        for (std::size_t i = 0; i < task.cases.size(); ++i) {
            const char* mark = s.error || i >= s.cases.size() ? kNotRunMark
                               : s.cases[i].passed            ? kPassMark
                                                              : kFailMark;
            row += " " + padLeft(mark, numberWidth);
        }
        if (s.error) row += "  " + printable(*s.error);
        out << row << '\n';
        if (!details) continue;
        for (std::size_t i = 0; i < s.cases.size(); ++i) {
            const CaseResult& c = s.cases[i];
            if (c.passed) continue;
            std::string line = "    case " + std::to_string(i + 1) + " (" + printable(c.name) + "): ";
            for (std::size_t k = 0; k < c.mismatches.size(); ++k) {
                const Mismatch& mm = c.mismatches[k];
                line += (k == 0 ? "" : "; ") + printable(mm.what) + ": expected " + printable(mm.expected) +
                        ", got " + printable(mm.got);
            }
            line += " [" + printable(c.status) + " after " + std::to_string(c.executed) +
                    (c.executed == 1 ? " instruction]" : " instructions]");
            out << line << '\n';
        }
    }
    out << '\n'
        << full << " of " << report.submissions.size()
        << (report.submissions.size() == 1 ? " submission" : " submissions") << " with full marks ("
        << pointsWord(max) << ")\n";
}

std::string CsvText(const GradeReport& report)
{
    const Task& task = report.task;
    std::ostringstream csv;
    csv << "submission,points,max";
    for (const TaskCase& c : task.cases) csv << ',' << csvCell(c.name);
    csv << '\n';
    const int max = task.maxPoints();
    for (const SubmissionResult& s : report.submissions) {
        csv << csvCell(s.file) << ',' << s.points << ',' << max;
        for (std::size_t i = 0; i < task.cases.size(); ++i)
            csv << ',' << (i < s.cases.size() ? s.cases[i].points : 0);
        csv << '\n';
    }
    return csv.str();
}

Json JsonReport(const GradeReport& report)
{
    Json submissions = Json::array();
    for (const SubmissionResult& s : report.submissions) {
        Json cases = Json::array();
        for (const CaseResult& c : s.cases) {
            Json mismatches = Json::array();
            for (const Mismatch& m : c.mismatches)
                mismatches.push_back({{"what", m.what}, {"expected", m.expected}, {"got", m.got}});
            cases.push_back(
                {{"name", c.name}, {"points", c.points}, {"passed", c.passed}, {"mismatches", mismatches}});
        }
        Json entry = Json::object();
        entry["file"] = s.file;
        entry["points"] = s.points;
        entry["error"] = s.error ? Json(*s.error) : Json(nullptr);
        entry["cases"] = std::move(cases);
        submissions.push_back(std::move(entry));
    }
    Json json = Json::object();
    json["task"] = report.task.title;
    json["max"] = report.task.maxPoints();
    json["submissions"] = std::move(submissions);
    return json;
}

std::string JsonText(const Json& json)
{
    return json.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace korvanta::grading
