// korvanta-cli: the simulator without a window, for grading and checking
// programs from a terminal or a script.

#include <iostream>
#include <string>
#include <vector>

#include "cli/command.h"

namespace {

std::string oneLine(std::string text)
{
    for (char& c : text) {
        if (c == '\n' || c == '\r') c = ' ';
    }
    return text;
}

}  // namespace

namespace korvanta::cli {

int UsageError(const std::string& reason)
{
    std::cerr << "korvanta-cli: " << reason << '\n';
    return kExitUsage;
}

}  // namespace korvanta::cli

int main(int argc, char** argv)
{
    using namespace korvanta::cli;
    CLI::App app{"Runs, checks and converts Intel 8085 programs with the Korvanta simulator.", "korvanta-cli"};
    app.require_subcommand(1);
    app.set_version_flag("--version", "korvanta " KORVANTA_VERSION);

    const std::vector<Command> commands = {
        AddRunCommand(app),
        AddReferenceCommand(app),
        AddGradeCommand(app),
        AddImportCommand(app),
        AddExportAsmCommand(app),
        AddListingCommand(app),
    };

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        if (e.get_exit_code() == 0) return app.exit(e);  // --help
        return UsageError(oneLine(e.what()));
    }
    for (const Command& command : commands) {
        if (command.parser->parsed()) return command.run();
    }
    return kExitUsage;
}
