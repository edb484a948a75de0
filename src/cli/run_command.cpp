#include "cli/run_command.h"

#include <cctype>
#include <iostream>
#include <memory>

#include "cli/cli_host.h"
#include "engine/program_loader.h"
#include "engine/run_setup.h"
#include "cli/report.h"
#include "engine/simulator.h"

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
};

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
    if (!LoadProgram(sim, options.program, error)) return usageError(err, error);

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

    sim.runControl.StartExecution();

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
        WriteJsonReport(out, BuildJsonReport(sim, host.messages()));
    } else {
        WriteTextReport(out, sim);
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
    return {run, [run, raw] { return runParsed(*run, *raw); }};
}

}  // namespace korvanta::cli
