// korvanta-cli: the simulator without a window, for grading and checking
// programs from a terminal or a script.

#include <iostream>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "cli/run_command.h"
#include "reference/instruction_reference.h"

namespace {

using namespace korvanta::cli;

int reference(const std::vector<std::string>& keys)
{
    if (keys.empty()) {
        for (const std::string& key : korvanta::ReferenceKeys()) std::cout << key << '\n';
        return kExitSuccess;
    }
    std::optional<std::string> help = korvanta::ReferenceHelpText(keys.front());
    if (!help) {
        std::cerr << "korvanta-cli: the reference has no entry '" << keys.front() << "'\n";
        return kExitUsage;
    }
    // The help text breaks its lines with CR LF; a terminal wants LF.
    std::string text;
    for (std::size_t i = 0; i < help->size(); ++i) {
        if ((*help)[i] == '\r' && i + 1 < help->size() && (*help)[i + 1] == '\n') continue;
        text += (*help)[i];
    }
    std::cout << text << '\n';
    return kExitSuccess;
}

std::string oneLine(std::string text)
{
    for (char& c : text) {
        if (c == '\n' || c == '\r') c = ' ';
    }
    return text;
}

}  // namespace

int main(int argc, char** argv)
{
    CLI::App app{"Runs, checks and converts Intel 8085 programs with the Korvanta simulator.", "korvanta-cli"};
    app.require_subcommand(1);

    RunOptions options;
    std::string window;
    std::vector<std::string> sets;
    std::vector<std::string> pokes;
    std::string save;
    std::string exportFile;

    CLI::App* run = app.add_subcommand("run", "Load PROGRAM, press Run once and report the machine state.");
    run->add_option("PROGRAM", options.program, "A project file or a text file of program lines")
        ->required()
        ->type_name("");
    run->add_option("--window", window, "Show the memory window D (0-9 or A-F) before running")->type_name("D");
    run->add_option("--start", options.start, "Start program at memory location ADDR")->type_name("ADDR");
    run->add_option("--set", sets, "Type VALUE into field NAME (A, B, C, D, E, H, L, SP, FLAGS); repeatable")
        ->allow_extra_args(false)
        ->type_name("NAME=VALUE");
    run->add_option("--poke", pokes, "Edit the memory byte at ADDR to BYTE; repeatable")
        ->allow_extra_args(false)
        ->type_name("ADDR=BYTE");
    run->add_flag("--no-auto-hlt", options.noAutoHlt, "Clear \"Automatically add \"HLT\" if necessary\"");
    run->add_flag("--no-org", options.noOrg, "Clear \"Understand textual \"!!ORG\" commands\"");
    auto* compileOnly = run->add_flag("--compile-only", options.compileOnly, "Tick \"Just compile (do not run)\"");
    auto* runOnly = run->add_flag("--run-only", options.runOnly, "Tick \"Jun run (do not compile)\"");
    compileOnly->excludes(runOnly);
    auto* saveOption = run->add_option("--save", save, "Save the project to FILE after the run")->type_name("FILE");
    run->add_flag("--save-memory", options.saveMemory, "Tick \"Save memory states with program\"")->needs(saveOption);
    auto* exportOption =
        run->add_option("--export", exportFile, "Export the program to the text FILE after the run")->type_name("FILE");
    run->add_flag("--export-states", options.exportStates, "Export the CPU states and memory too")->needs(exportOption);
    run->add_flag("--json", options.json, "Print the report as one JSON object");

    std::vector<std::string> keys;
    CLI::App* ref = app.add_subcommand("reference", "List the instruction reference, or show the help text of KEY.");
    ref->add_option("KEY", keys, "A reference entry, as listed")->expected(0, 1)->type_name("");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        if (e.get_exit_code() == 0) return app.exit(e);  // --help
        std::cerr << "korvanta-cli: " << oneLine(e.what()) << '\n';
        return kExitUsage;
    }

    if (*ref) return reference(keys);

    auto fail = [](const std::string& reason) {
        std::cerr << "korvanta-cli: " << reason << '\n';
        return kExitUsage;
    };
    if (run->count("--window")) {
        std::string digit;
        if (auto error = ParseWindow(window, digit)) return fail(*error);
        options.window = digit;
    }
    for (const std::string& text : sets) {
        std::pair<std::string, std::string> set;
        if (auto error = ParseSet(text, set)) return fail(*error);
        options.sets.push_back(set);
    }
    for (const std::string& text : pokes) {
        std::pair<std::string, std::string> poke;
        if (auto error = ParseAssignment("--poke", text, poke)) return fail(*error);
        options.pokes.push_back(poke);
    }
    if (run->count("--save")) options.save = save;
    if (run->count("--export")) options.exportFile = exportFile;

    return Run(options, std::cout, std::cerr);
}
