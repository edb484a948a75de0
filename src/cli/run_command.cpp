#include "cli/run_command.h"

#include <cctype>
#include <iostream>
#include <memory>

#include "cli/cli_host.h"
#include "engine/program_loader.h"
#include "engine/run_setup.h"
#include "cli/import_support.h"
#include "cli/report.h"
#include "engine/full_trace.h"
#include "engine/simulator.h"
#include "cpu/cpu8085.h"

namespace korvanta::cli {

namespace {

std::string upper(std::string text)
{
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

int usageError(std::ostream& err, const std::string& reason)
{
    err << "korvanta-cli: " << reason << '\n';
    return kExitUsage;
}

// The raw texts of the options that are checked after parsing.
struct RawRunOptions {
    RunOptions options;
    std::string window;
    std::vector<std::string> sets;
    std::vector<std::string> pokes;
    std::string save;
    std::string exportFile;
    int maxInstructions = kDefaultInstructionBudget;
    std::vector<std::string> inputs;
    std::vector<std::string> interrupts;
};

// A hex number of at most `digits` digits, or -1.
int hexNumber(const std::string& text, std::size_t digits)
{
    if (text.empty() || text.size() > digits) return -1;
    int value = 0;
    for (char c : text) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) return -1;
        value = value * 16 + (std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : std::toupper(c) - 'A' + 10);
    }
    return value;
}

int runParsed(CLI::App& run, RawRunOptions& raw)
{
    RunOptions& options = raw.options;
    if (run.count("--window")) {
        std::string digit;
        if (auto error = ParseWindow(raw.window, digit)) return UsageError(*error);
        options.window = digit;
    }
    for (const std::string& text : raw.sets) {
        std::pair<std::string, std::string> set;
        if (auto error = ParseSet(text, set)) return UsageError(*error);
        options.sets.push_back(set);
    }
    for (const std::string& text : raw.pokes) {
        std::pair<std::string, std::string> poke;
        if (auto error = ParseAssignment("--poke", text, poke)) return UsageError(*error);
        options.pokes.push_back(poke);
    }
    if (run.count("--save")) options.save = raw.save;
    if (run.count("--export")) options.exportFile = raw.exportFile;
    if (run.count("--max-instructions")) options.maxInstructions = raw.maxInstructions;
    for (const std::string& text : raw.inputs) {
        std::pair<int, int> input;
        if (auto error = ParseInput(text, input)) return UsageError(*error);
        options.inputs.push_back(input);
    }
    for (const std::string& text : raw.interrupts) {
        ScheduledInterrupt interrupt;
        if (auto error = ParseInterrupt(text, interrupt)) return UsageError(*error);
        options.interrupts.push_back(interrupt);
    }
    if (run.count("--radix") && !options.import) return UsageError("--radix goes with --import");
    if (run.count("--trace-limit") && !options.trace) return UsageError("--trace-limit goes with --trace");
    return Run(options, std::cout, std::cerr);
}

}  // namespace

std::optional<std::string> ParseWindow(const std::string& text, std::string& digit)
{
    if (text.size() == 1 && std::isxdigit(static_cast<unsigned char>(text[0]))) {
        digit = upper(text);
        return std::nullopt;
    }
    return "--window: '" + text + "' is not one hexadecimal digit (0-9 or A-F)";
}

std::optional<std::string> ParseAssignment(const std::string& option, const std::string& text,
                                           std::pair<std::string, std::string>& parts)
{
    auto equals = text.find('=');
    if (equals == std::string::npos || equals == 0) return option + ": '" + text + "' is not of the form NAME=VALUE";
    parts = {text.substr(0, equals), text.substr(equals + 1)};
    return std::nullopt;
}

std::optional<std::string> ParseInput(const std::string& text, std::pair<int, int>& input)
{
    std::pair<std::string, std::string> parts;
    if (auto error = ParseAssignment("--in", text, parts)) return error;
    const int port = hexNumber(parts.first, 2);
    const int value = hexNumber(parts.second, 2);
    if (port < 0 || value < 0) return "--in: '" + text + "' is not PORT=BYTE with two hex digits each";
    input = {port, value};
    return std::nullopt;
}

std::optional<std::string> ParseInterrupt(const std::string& text, ScheduledInterrupt& interrupt)
{
    const auto colon = text.find(':');
    const std::string bad = "--interrupt: '" + text +
                            "' is not COUNT:NAME (NAME one of TRAP, RST7.5, RST6.5, RST5.5, INTR0 to INTR7)";
    if (colon == std::string::npos || colon == 0) return bad;
    const std::string count = text.substr(0, colon);
    for (char c : count) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return bad;
    }
    if (count.size() > 12) return bad;
    interrupt.afterInstruction = std::stoull(count);
    const std::string name = upper(text.substr(colon + 1));
    static const std::pair<const char*, cpu::Interrupt> kNames[] = {
        {"TRAP", cpu::Interrupt::Trap}, {"RST7.5", cpu::Interrupt::Rst75}, {"RST6.5", cpu::Interrupt::Rst65},
        {"RST5.5", cpu::Interrupt::Rst55}};
    for (const auto& [known, line] : kNames) {
        if (name == known) {
            interrupt.line = line;
            return std::nullopt;
        }
    }
    if (name.size() == 5 && name.starts_with("INTR") && name[4] >= '0' && name[4] <= '7') {
        interrupt.line = cpu::Interrupt::Intr;
        interrupt.vector = static_cast<std::uint8_t>(name[4] - '0');
        return std::nullopt;
    }
    return bad;
}

std::optional<std::string> ParseSet(const std::string& text, std::pair<std::string, std::string>& set)
{
    if (auto error = ParseAssignment("--set", text, set)) return error;
    set.first = upper(set.first);
    static constexpr const char* kNames[] = {"A", "B", "C", "D", "E", "H", "L", "SP", "FLAGS"};
    for (const char* name : kNames) {
        if (set.first == name) return std::nullopt;
    }
    return "--set: unknown field '" + text.substr(0, text.find('=')) + "' (use A, B, C, D, E, H, L, SP or FLAGS)";
}

int Run(const RunOptions& options, std::ostream& out, std::ostream& err)
{
    CliHost host(err);
    Simulator sim(host);
    sim.Form_Load();
    Machine& m = sim.machine;

    std::string error;
    if (options.import) {
        std::optional<importer::ImportResult> imported = ImportFile(options.program, options.radix, error);
        if (!imported) return usageError(err, error);
        WriteImportReport(err, *imported);
        if (!imported->ok()) return kExitProgramFailed;
        LoadImport(sim, *imported);
    } else if (!LoadProgram(sim, options.program, error)) {
        return usageError(err, error);
    }

    // The window option is the user's Yes to the range-change question.
    if (options.window) SelectWindow(m, host, *options.window);
    if (options.start) TypeStartAddress(m, *options.start);
    for (const auto& [name, value] : options.sets) TypeIntoField(m, *SettableField(m, name), value);
    for (const auto& [address, byte] : options.pokes) {
        if (auto reason = PokeMemory(m, address, byte)) return usageError(err, "--poke: " + *reason);
    }
    if (options.noAutoHlt) m.options.Check3.set(0);
    if (options.noOrg) m.options.Check4.set(0);
    if (options.compileOnly) m.options.Check1_Click(1);
    if (options.runOnly) m.options.Check2_Click(1);
    if (options.full) m.options.Full8085.set(1);
    if (options.maxInstructions) m.options.MaxInstructions.set(*options.maxInstructions);
    for (const auto& [port, value] : options.inputs) m.full.setInputPort(port, static_cast<std::uint8_t>(value));
    m.full.schedule = options.interrupts;
    if (options.bdos) m.full.bdos.set(true);
    if (m.options.Full8085.get() != 1 && (!options.inputs.empty() || !options.interrupts.empty() || options.bdos))
        return usageError(err, "--in, --interrupt and --bdos need Full 8085 mode (--full)");

    Trace trace(static_cast<std::size_t>(options.traceLimit));
    ClassicTrace classicTrace(m, trace);
    FullTrace fullTrace(trace);
    if (options.trace) {
        sim.executor.addObserver(&classicTrace);
        sim.fullExecutor.setTrace(&fullTrace);
    }
    sim.runControl.StartExecution();
    sim.executor.removeObserver(&classicTrace);
    sim.fullExecutor.setTrace(nullptr);

    // The verdict belongs to the run; a failed save or export is reported apart.
    const bool finished = m.ExecStatus.text() == "Program Finished";
    const bool compiledOnly = m.options.Check1.get() == 1 && m.ErrorFlag == kFalse && m.run.ProgramCompiled == kTrue;
    int status = finished || compiledOnly ? kExitSuccess : kExitProgramFailed;

    std::vector<std::string> fileErrors;
    if (options.save && !sim.documents.SaveProjectTo(*options.save, options.saveMemory)) {
        fileErrors.push_back("could not save the project to '" + *options.save + "'");
    }
    if (options.exportFile) {
        bool exported = options.exportStates ? sim.documents.ExportProgramAndStatesTo(*options.exportFile)
                                             : sim.documents.ExportProgramOnlyTo(*options.exportFile);
        if (!exported) fileErrors.push_back("could not export the program to '" + *options.exportFile + "'");
    }

    if (options.json) {
        nlohmann::ordered_json report = BuildJsonReport(sim, host.messages());
        if (options.trace) report["trace"] = TraceJson(trace);
        WriteJsonReport(out, report);
    } else {
        // What the program printed through the console calls comes first,
        // as it would on a terminal; the report follows on a line of its own.
        const std::string& console = m.full.console.get();
        if (!console.empty()) out << console << (console.back() == '\n' ? "" : "\n");
        WriteTextReport(out, sim);
        if (options.trace) WriteTraceText(out, trace);
    }
    out.flush();

    for (const std::string& reason : fileErrors) status = usageError(err, reason);
    return status;
}

Command AddRunCommand(CLI::App& app)
{
    auto raw = std::make_shared<RawRunOptions>();
    RunOptions& options = raw->options;
    CLI::App* run = app.add_subcommand("run", "Load PROGRAM, press Run once and report the machine state.");
    run->add_option("PROGRAM", options.program, "A project file or a text file of program lines")
        ->required()
        ->type_name("");
    run->add_option("--window", raw->window, "Show the memory window D (0-9 or A-F) before running")->type_name("D");
    run->add_option("--start", options.start, "Start program at memory location ADDR")->type_name("ADDR");
    run->add_option("--set", raw->sets, "Type VALUE into field NAME (A, B, C, D, E, H, L, SP, FLAGS); repeatable")
        ->allow_extra_args(false)
        ->type_name("NAME=VALUE");
    run->add_option("--poke", raw->pokes, "Edit the memory byte at ADDR to BYTE; repeatable")
        ->allow_extra_args(false)
        ->type_name("ADDR=BYTE");
    run->add_flag("--no-auto-hlt", options.noAutoHlt, "Clear \"Automatically add \"HLT\" if necessary\"");
    run->add_flag("--no-org", options.noOrg, "Clear \"Understand textual \"!!ORG\" commands\"");
    auto* compileOnly = run->add_flag("--compile-only", options.compileOnly, "Tick \"Just compile (do not run)\"");
    auto* runOnly = run->add_flag("--run-only", options.runOnly, "Tick \"Jun run (do not compile)\"");
    compileOnly->excludes(runOnly);
    auto* saveOption =
        run->add_option("--save", raw->save, "Save the project to FILE after the run")->type_name("FILE");
    run->add_flag("--save-memory", options.saveMemory, "Tick \"Save memory states with program\"")->needs(saveOption);
    auto* exportOption = run->add_option("--export", raw->exportFile, "Export the program to the text FILE after the run")
                             ->type_name("FILE");
    run->add_flag("--export-states", options.exportStates, "Export the CPU states and memory too")
        ->needs(exportOption);
    run->add_flag("--json", options.json, "Print the report as one JSON object");
    run->add_flag("--full", options.full, "Full 8085 mode: carry out every instruction as the real chip does");
    run->add_option("--max-instructions", raw->maxInstructions,
                    "End the run after more than N instructions (default 4096)")
        ->check(CLI::Range(1, kMaxInstructionBudget))
        ->type_name("N");
    run->add_option("--in", raw->inputs, "Full 8085: input port PORT reads BYTE (hex); repeatable")
        ->allow_extra_args(false)
        ->type_name("PORT=BYTE");
    run->add_option("--interrupt", raw->interrupts,
                    "Full 8085: raise NAME (TRAP, RST7.5, RST6.5, RST5.5, INTR0-INTR7) after COUNT instructions; "
                    "repeatable")
        ->allow_extra_args(false)
        ->type_name("COUNT:NAME");
    run->add_flag("--import", options.import, "PROGRAM is a standard 8085 assembly source: import it, then run");
    run->add_option("--radix", options.radix, "With --import: the radix of numbers without a suffix (10 or 16)")
        ->check(CLI::IsMember({10, 16}))
        ->type_name("10|16");
    run->add_flag("--trace", options.trace, "Report every executed instruction: address, bytes, text, changes");
    run->add_option("--trace-limit", options.traceLimit, "With --trace: keep the last N records (default 100000)")
        ->check(CLI::Range(0, kMaxInstructionBudget))
        ->type_name("N");
    run->add_flag("--bdos", options.bdos,
                  "Full 8085: CP/M console calls at 0005 (C=2, C=9) print to stdout; reaching 0000 ends the run");
    return {run, [run, raw] { return runParsed(*run, *raw); }};
}

}  // namespace korvanta::cli
