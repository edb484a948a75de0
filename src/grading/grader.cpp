#include "grading/grader.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <thread>

#include "engine/native_sync.h"
#include "engine/program_loader.h"
#include "engine/run_setup.h"
#include "engine/simulator.h"
#include "importer/importer.h"
#include "machine/recording_host.h"

namespace korvanta::grading {

namespace {

namespace fs = std::filesystem;

// The batch host, made safe for threads: the process's folder is shared by
// every thread, so it is never changed, and the system log's time stamps
// (which nobody grades) cost no clock and no time zone lock.
class GradingHost : public RecordingHost {
public:
    std::string dateTimeText() override { return {}; }
    std::string currentDirectory() override { return {}; }
    bool changeDirectory(const std::string&) override { return false; }
};

// A simulator of its own for one case, or for the rules of one submission.
struct Rig {
    GradingHost host;
    Simulator sim{host};
    Machine& m = sim.machine;
};

std::string trimBlanks(std::string_view text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

// One line of plain text: line breaks and other control characters become blanks.
std::string oneLine(std::string text)
{
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    }
    std::string squeezed;
    for (char c : text) {
        if (c == ' ' && (squeezed.empty() || squeezed.back() == ' ')) continue;
        squeezed += c;
    }
    return trimBlanks(squeezed);
}

// The first sentence of a message box, without the compiler's heading.
std::string messageGist(std::string text)
{
    for (const char* heading : {"Ombrix Korvanta Compiler Message:", "Ombrix Korvanta CPU Error"}) {
        if (text.starts_with(heading)) text = text.substr(std::string_view(heading).size());
    }
    // Sentences are set apart by two blanks; squeezing the blanks would hide that.
    const std::string flat = trimBlanks(text.find_first_not_of("\r\n ") == std::string::npos
                                            ? std::string()
                                            : text.substr(text.find_first_not_of("\r\n ")));
    const auto end = flat.find(".  ");
    return oneLine(end == std::string::npos ? flat : flat.substr(0, end + 1));
}

int hexValue(std::string_view text)
{
    int value = 0;
    for (char c : text) {
        const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : c - 'a' + 10;
        value = value * 16 + digit;
    }
    return value;
}

std::string hexAddress(int value)
{
    return HexAddressText(static_cast<std::uint16_t>(value & 0xFFFF));
}

// The line without its jump tag, as the assembler reads it.
std::string withoutTag(const std::string& line)
{
    if (line.size() >= 5 && line[4] == ':') return trimBlanks(std::string_view(line).substr(5));
    return line;
}

// Loads the submission onto a fresh machine and sets it up as the case says.
// Returns a reason when the set-up cannot be made (bytes outside the window
// of an imported program).
std::optional<std::string> Prepare(Rig& rig, const Task& task, const Program& program, const CaseSetup& setup)
{
    Simulator& sim = rig.sim;
    Machine& m = rig.m;
    sim.Form_Load();
    m.options.Full8085.set(task.full ? 1 : 0);
    m.options.MaxInstructions.set(task.maxInstructions);
    m.options.Check3.set(program.autoHalt);
    m.options.Check4.set(program.orgCommands);
    m.full.bdos.set(task.bdos);

    const std::string window = setup.window ? *setup.window : !program.window.empty() ? program.window : "0";
    if (window != m.window.windowDigit.get()) SelectWindow(m, rig.host, window);
    if (setup.start)
        TypeStartAddress(m, *setup.start);
    else if (!program.start.empty())
        TypeStartAddress(m, program.start);

    if (program.typed) {
        TypeProgramLines(sim, program.lines);
    } else {
        for (const std::string& line : program.lines) sim.source.AppendLine(line);
    }

    for (const auto& [name, value] : setup.registers) TypeIntoField(m, *m.cpu.registerField(name), value);
    if (setup.flags) TypeIntoField(m, m.cpu.Text2, *setup.flags);
    if (setup.sp) TypeIntoField(m, m.cpu.SP, *setup.sp);
    for (const ByteRow& row : setup.memory) {
        const int first = hexValue(row.address);
        for (std::size_t i = 0; i < row.bytes.size(); ++i) {
            const std::string address = hexAddress(first + static_cast<int>(i));
            if (PokeMemory(m, address, row.bytes[i]))
                return "memory " + address + " is not in the memory window " + window + "000-" + window +
                       "FFF";
        }
    }
    for (const PortByte& in : setup.inputs) m.full.setInputPort(in.port, static_cast<std::uint8_t>(in.value));
    return std::nullopt;
}

// Assembles; the reason it failed, or nothing.
std::optional<std::string> Assemble(Rig& rig)
{
    Machine& m = rig.m;
    if (rig.sim.source.lineCount() == 0) return "the program is empty";
    rig.sim.assembler.CompileProgram();
    if (m.ErrorFlag == kFalse) {
        m.run.ProgramCompiled = kTrue;
        return std::nullopt;
    }
    std::string reason = "does not assemble: ";
    const int line = m.assembly.failedLine;
    const auto& lines = rig.sim.source.lines();
    if (line >= 0 && line < static_cast<int>(lines.size()))
        reason += "line " + std::to_string(line + 1) + " (" + oneLine(lines[static_cast<std::size_t>(line)]) +
                  "): ";
    const auto& messages = rig.host.messages();
    reason += messages.empty() ? m.ExecStatus.text() : messageGist(messages.back().text);
    return reason;
}

// A mismatch shows at most this many port writes or console characters,
// from a few before the first difference on, so that a runaway program's
// output neither floods the table and the JSON nor hides where it went wrong.
constexpr std::size_t kShownPieces = 64;
constexpr std::size_t kShownBefore = 8;

// piece(i) for every i below count, separated; a longer list is cut to
// kShownPieces, and the part shown is told in `unit`.
template <typename Piece>
std::string excerpt(std::size_t count, std::size_t difference, const char* separator, const char* unit,
                    Piece piece, const char* open = "", const char* close = "")
{
    const std::size_t from = count <= kShownPieces
                                 ? 0
                                 : std::min(difference > kShownBefore ? difference - kShownBefore : 0, count);
    const std::size_t to = std::min(from + kShownPieces, count);
    std::string text = open;
    for (std::size_t i = from; i < to; ++i) text += (i == from ? "" : separator) + piece(i);
    text += close;
    if (from > 0 || to < count)
        text += " (" + std::string(unit) + " " + std::to_string(from + 1) + " to " + std::to_string(to) +
                " of " + std::to_string(count) + ")";
    return text;
}

template <typename A, typename B, typename Same>
std::size_t firstDifference(const A& a, const B& b, Same same)
{
    std::size_t i = 0;
    while (i < a.size() && i < b.size() && same(a[i], b[i])) ++i;
    return i;
}

bool sameWrite(const PortByte& expected, const cpu::PortWrite& got)
{
    return expected.port == got.port && expected.value == got.value;
}

template <typename Writes>
std::string portsText(const Writes& writes, std::size_t difference)
{
    if (writes.empty()) return "none";
    return excerpt(writes.size(), difference, " ", "writes", [&writes](std::size_t i) {
        return HexByteText(static_cast<std::uint8_t>(writes[i].port)) + "=" +
               HexByteText(static_cast<std::uint8_t>(writes[i].value));
    });
}

std::vector<PortByte> outputsOf(const Machine& m)
{
    std::vector<PortByte> writes;
    for (const cpu::PortWrite& w : m.full.outputs()) writes.push_back({w.port, w.value});
    return writes;
}

// The console as a quoted one-line text: what a mismatch shows.
std::string consoleText(const std::string& text, std::size_t difference)
{
    return excerpt(
        text.size(), difference, "", "characters",
        [&text](std::size_t i) -> std::string {
            const char c = text[i];
            if (c == '\n') return "\\n";
            if (c == '\r') return "\\r";
            if (c == '\t') return "\\t";
            if (c == '"' || c == '\\') return std::string("\\") + c;
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return "?";
            return std::string(1, c);
        },
        "\"", "\"");
}

// The data of the rows from address on, blank-separated; a row outside the
// window reads as "--".
std::string memoryText(const Machine& m, const std::string& address, std::size_t count)
{
    std::string text;
    const int first = hexValue(address);
    for (std::size_t i = 0; i < count; ++i) {
        const int row = m.window.rowOfAddress(hexAddress(first + static_cast<int>(i)));
        text += (i == 0 ? "" : " ") + (row == 0 ? std::string("--") : m.window.data(row));
    }
    return text;
}

std::vector<Mismatch> Compare(Machine& m, const CaseExpect& e)
{
    std::vector<Mismatch> found;
    auto check = [&found](std::string what, const std::string& expected, const std::string& got) {
        if (expected != got) found.push_back({std::move(what), expected, got});
    };
    CpuFields& cpu = m.cpu;
    if (e.status) check("status", *e.status, m.ExecStatus.text());
    for (const auto& [name, value] : e.registers)
        check(std::string(1, name), value, cpu.registerField(name)->text());
    if (e.flagValue) check("flags", *e.flagValue, cpu.Text2.text());
    for (const FlagBitCheck& bit : e.flagBits)
        check(bit.name, std::to_string(bit.value), cpu.flagBit(bit.bit).text());
    if (e.sp) check("SP", *e.sp, cpu.SP.text());
    if (e.pc) check("PC", *e.pc, cpu.PC.text());
    for (const ByteRow& row : e.memory) {
        std::string expected;
        for (const std::string& b : row.bytes) expected += (expected.empty() ? "" : " ") + b;
        check("memory " + row.address, expected, memoryText(m, row.address, row.bytes.size()));
    }
    // Compared whole, shown cut.
    if (e.outputs) {
        const std::vector<cpu::PortWrite>& got = m.full.outputs();
        const std::size_t at = firstDifference(*e.outputs, got, sameWrite);
        if (at < e.outputs->size() || at < got.size())
            found.push_back({"outputs", portsText(*e.outputs, at), portsText(got, at)});
    }
    if (e.console) {
        const std::string& got = m.full.console.get();
        if (*e.console != got) {
            const std::size_t at = firstDifference(*e.console, got, std::equal_to<char>());
            found.push_back({"console", consoleText(*e.console, at), consoleText(got, at)});
        }
    }
    return found;
}

// The rows whose data the run changed, as the memory object of an expectation.
Json ChangedRows(const Machine& m, const std::vector<std::string>& before)
{
    Json rows = Json::object();
    for (int n = 1; n <= m.window.rowCount(); ++n) {
        const std::size_t i = static_cast<std::size_t>(n - 1);
        if (i >= before.size() || before[i] != m.window.data(n)) rows[m.window.address(n)] = m.window.data(n);
    }
    return rows;
}

Json Recorded(const Task& task, Machine& m, const std::vector<std::string>& before)
{
    Json expect = Json::object();
    expect["status"] = m.ExecStatus.text();
    Json registers = Json::object();
    for (char name : std::string("ABCDEHL"))
        registers[std::string(1, name)] = m.cpu.registerField(name)->text();
    expect["registers"] = std::move(registers);
    expect["flags"] = m.cpu.Text2.text();
    expect["SP"] = m.cpu.SP.text();
    expect["memory"] = ChangedRows(m, before);
    if (task.full) {
        Json outputs = Json::array();
        for (const PortByte& w : outputsOf(m))
            outputs.push_back({{"port", HexByteText(static_cast<std::uint8_t>(w.port))},
                               {"value", HexByteText(static_cast<std::uint8_t>(w.value))}});
        expect["outputs"] = std::move(outputs);
        if (task.bdos) expect["console"] = m.full.console.get();
    }
    return expect;
}

// Runs a case; with `recorded`, also writes what came out as an expectation.
CaseResult RunOneCase(const Task& task, const Program& program, const TaskCase& taskCase, Json* recorded,
                      std::string* assemblyError)
{
    CaseResult result;
    result.name = taskCase.name;
    result.maxPoints = taskCase.points;
    auto rig = std::make_unique<Rig>();
    Machine& m = rig->m;
    if (auto reason = Prepare(*rig, task, program, taskCase.setup)) {
        result.mismatches.push_back({"setup", "the case's set-up", *reason});
        result.status = m.ExecStatus.text();
        return result;
    }
    if (auto reason = Assemble(*rig)) {
        result.mismatches.push_back({"assembly", "the program assembles", *reason});
        if (assemblyError) *assemblyError = *reason;
    } else {
        std::vector<std::string> before;
        if (recorded) {
            before.reserve(static_cast<std::size_t>(m.window.rowCount()));
            for (int n = 1; n <= m.window.rowCount(); ++n) before.push_back(m.window.data(n));
        }
        rig->sim.runControl.StartExecution();
        if (recorded) *recorded = Recorded(task, m, before);
    }
    result.status = m.ExecStatus.text();
    result.executed = m.run.executed.get();
    const std::vector<Mismatch> found = Compare(m, taskCase.expect);
    result.mismatches.insert(result.mismatches.end(), found.begin(), found.end());
    result.passed = result.mismatches.empty();
    result.points = result.passed ? taskCase.points : 0;
    return result;
}

bool hasExtension(const fs::path& path)
{
    std::string ext = path.extension().string();
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".qsm" || ext == ".asm" || ext == ".txt";
}

}  // namespace

bool ReadSubmission(const std::string& path, const Task& task, Program& program, std::string& error)
{
    std::string bytes;
    if (!ReadProgramFile(path, bytes, error)) {
        // The loader speaks of `run`'s PROGRAM; here the file is a submission.
        if (auto at = error.find("PROGRAM '"); at != std::string::npos) error.erase(at, 8);
        return false;
    }
    program = Program{};

    if (LooksLikeProjectFile(bytes)) {
        // The project's own lines and the two options that change how they
        // assemble; its registers, memory, mode and budget give way to the task's.
        Rig rig;
        rig.sim.Form_Load();
        if (!rig.sim.documents.OpenProjectFrom(path)) {
            const auto& messages = rig.host.messages();
            error = "cannot open the project file" +
                    (messages.empty() ? std::string() : ": " + messageGist(messages.back().text));
            return false;
        }
        program.lines = rig.sim.source.lines();
        program.typed = false;
        program.autoHalt = rig.m.options.Check3.get();
        program.orgCommands = rig.m.options.Check4.get();
    } else if (task.importSources) {
        const importer::ImportResult imported = importer::ImportStandardSource(bytes);
        if (!imported.ok()) {
            error = "does not import";
            for (const importer::ReportLine& r : imported.report) {
                if (r.level != importer::Level::Error) continue;
                error += (r.line > 0 ? ": line " + std::to_string(r.line) : std::string()) + ": " +
                         oneLine(r.message);
                break;
            }
            return false;
        }
        program.lines = imported.lines;
        program.typed = false;
        program.window = imported.windowDigit;
        program.start = imported.startAddress;
    } else {
        program.lines = TypedProgramLines(bytes);
    }
    if (program.lines.size() > kMaxSubmissionLines) {
        error = "has " + std::to_string(program.lines.size()) + " lines, more than the " +
                std::to_string(kMaxSubmissionLines) + " a submission may have";
        return false;
    }
    if (program.lines.empty()) {
        error = "the program is empty";
        return false;
    }
    return true;
}

std::optional<std::string> CheckRules(const Task& task, const Program& program)
{
    Rig rig;
    static const CaseSetup kNoSetup;
    if (auto reason = Prepare(rig, task, program, task.cases.empty() ? kNoSetup : task.cases.front().setup))
        return reason;
    if (auto reason = Assemble(rig)) return reason;

    const Rules& rules = task.rules;
    if (rules.maxBytes) {
        int bytes = 0;
        for (const ListingEntry& entry : rig.m.assembly.listing) bytes += entry.byteCount;
        if (bytes > *rules.maxBytes)
            return "breaks the rule maxBytes: the program takes " + std::to_string(bytes) +
                   " bytes, more than " + std::to_string(*rules.maxBytes);
    }
    if (rules.forbid.empty() && rules.require.empty()) return std::nullopt;

    std::set<std::string> used;
    for (std::size_t i = 0; i < program.lines.size(); ++i) {
        const LineKind kind = RecogniseLine(withoutTag(program.lines[i]), task.full);
        if (kind.kind != LineKind::Instruction) continue;
        const std::string mnemonic = MnemonicOf(kind.routine);
        for (const std::string& forbidden : rules.forbid) {
            if (mnemonic == forbidden)
                return "breaks the rule forbid: line " + std::to_string(i + 1) + " (" +
                       oneLine(program.lines[i]) + ") uses " + mnemonic;
        }
        used.insert(mnemonic);
    }
    for (const std::string& required : rules.require) {
        if (!used.contains(required)) return "breaks the rule require: the program does not use " + required;
    }
    return std::nullopt;
}

CaseResult RunCase(const Task& task, const Program& program, const TaskCase& taskCase)
{
    return RunOneCase(task, program, taskCase, nullptr, nullptr);
}

SubmissionResult GradeSubmission(const Task& task, const std::string& path)
{
    SubmissionResult result;
    result.file = path;
    try {
        Program program;
        std::string error;
        if (!ReadSubmission(path, task, program, error)) {
            result.error = oneLine(error);
            return result;
        }
        if (auto reason = CheckRules(task, program)) {
            result.error = oneLine(*reason);
            return result;
        }
        for (const TaskCase& c : task.cases) {
            result.cases.push_back(RunCase(task, program, c));
            result.points += result.cases.back().points;
        }
    } catch (const std::exception& e) {
        result = SubmissionResult{path, 0, "could not be graded: " + oneLine(e.what()), {}};
    } catch (...) {
        result = SubmissionResult{path, 0, "could not be graded", {}};
    }
    return result;
}

std::vector<SubmissionResult> GradeAll(const Task& task, const std::vector<std::string>& paths, int jobs,
                                       const std::function<void(std::size_t done)>& progress)
{
    std::vector<SubmissionResult> results(paths.size());
    std::atomic<std::size_t> next{0};
    std::atomic<std::size_t> done{0};
    std::mutex mutex;
    std::condition_variable finished;

    auto work = [&] {
        for (;;) {
            const std::size_t i = next.fetch_add(1);
            if (i >= paths.size()) return;
            results[i] = GradeSubmission(task, paths[i]);
            {
                std::lock_guard lock(mutex);
                done.fetch_add(1);
            }
            finished.notify_all();
        }
    };

    const std::size_t wanted =
        std::min<std::size_t>(static_cast<std::size_t>(std::max(jobs, 1)), paths.size());
    std::vector<std::thread> threads;
    // The calling thread works too when nobody waits for progress.
    const std::size_t extra = progress ? wanted : (wanted > 0 ? wanted - 1 : 0);
    for (std::size_t t = 0; t < extra; ++t) {
        try {
            threads.emplace_back(work);
        } catch (const std::system_error&) {
            break;  // fewer threads than asked: the others take up the work
        }
    }
    if (progress && !threads.empty()) {
        std::unique_lock lock(mutex);
        while (done.load() < paths.size()) {
            progress(done.load());
            finished.wait_for(lock, std::chrono::milliseconds(100));
        }
        lock.unlock();
        progress(done.load());
    } else {
        work();
        if (progress) progress(done.load());
    }
    for (std::thread& t : threads) t.join();
    return results;
}

std::vector<std::string> CollectSubmissions(const std::vector<std::string>& arguments,
                                            std::vector<std::string>& notes)
{
    std::vector<std::string> paths;
    for (const std::string& argument : arguments) {
        std::error_code ec;
        if (!fs::is_directory(argument, ec)) {
            paths.push_back(argument);
            continue;
        }
        std::vector<fs::path> found;
        fs::directory_iterator it(argument, ec);
        for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
            std::error_code fileError;
            if (it->is_regular_file(fileError) && hasExtension(it->path())) found.push_back(it->path());
        }
        if (ec) {
            notes.push_back("cannot list the folder '" + argument + "': " + ec.message());
            continue;
        }
        std::sort(found.begin(), found.end(), [](const fs::path& a, const fs::path& b) {
            return a.filename().string() < b.filename().string();
        });
        if (found.empty()) notes.push_back("the folder '" + argument + "' holds no .QSM, .asm or .txt file");
        for (const fs::path& p : found) paths.push_back(p.string());
    }
    return paths;
}

bool RecordExpectations(const Task& task, const std::string& referencePath, std::vector<Json>& expects,
                        std::vector<std::string>& notes, std::string& error)
{
    Program program;
    if (!ReadSubmission(referencePath, task, program, error)) {
        error = "the reference '" + referencePath + "': " + oneLine(error);
        return false;
    }
    if (auto reason = CheckRules(task, program)) {
        error = "the reference '" + referencePath + "': " + oneLine(*reason);
        return false;
    }
    expects.clear();
    for (const TaskCase& c : task.cases) {
        Json recorded;
        std::string assemblyError;
        const CaseResult result = RunOneCase(task, program, c, &recorded, &assemblyError);
        if (!assemblyError.empty()) {
            error = "the reference '" + referencePath + "', case '" + c.name + "': " + assemblyError;
            return false;
        }
        if (recorded.is_null()) {
            error = "the reference '" + referencePath + "', case '" + c.name +
                    "': " + (result.mismatches.empty() ? result.status : result.mismatches.front().got);
            return false;
        }
        if (result.status != "Program Finished")
            notes.push_back("case '" + c.name + "' ended with '" + result.status +
                            "', not 'Program Finished'");
        expects.push_back(std::move(recorded));
    }
    return true;
}

}  // namespace korvanta::grading
