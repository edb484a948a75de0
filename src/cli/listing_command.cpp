// `korvanta-cli listing PROGRAM`: which bytes each line became, and where.

#include <iostream>
#include <memory>

#include <nlohmann/json.hpp>

#include "cli/cli_host.h"
#include "cli/command.h"
#include "cli/import_support.h"
#include "engine/listing.h"
#include "engine/program_loader.h"
#include "engine/simulator.h"

namespace korvanta::cli {

namespace {

struct ListingOptions {
    std::string program;
    bool import = false;
    int radix = 10;
    bool full = false;
    bool json = false;
};

int listing(const ListingOptions& options)
{
    CliHost host(std::cerr);
    Simulator sim(host);
    sim.Form_Load();
    Machine& m = sim.machine;
    std::string error;
    if (options.import) {
        std::optional<importer::ImportResult> result = ImportFile(options.program, options.radix, error);
        if (!result) return UsageError(error);
        if (!result->ok()) {
            WriteImportReport(std::cerr, *result);
            return kExitProgramFailed;
        }
        LoadImport(sim, *result);
    } else if (!LoadProgram(sim, options.program, error)) {
        return UsageError(error);
    }
    if (options.full) m.options.Full8085.set(1);
    sim.assembler.CompileProgram();
    const bool assembled = m.ErrorFlag == kFalse;
    const bool full = m.options.Full8085.get() == 1;
    const std::vector<ListingLine> lines = BuildListing(m, sim.source);

    if (options.json) {
        nlohmann::ordered_json j = nlohmann::ordered_json::array();
        for (const ListingLine& l : lines) {
            nlohmann::ordered_json row = {{"line", l.line}};
            row["address"] = l.address ? nlohmann::ordered_json(*l.address) : nlohmann::ordered_json(nullptr);
            row["bytes"] = l.address ? nlohmann::ordered_json(l.bytes) : nlohmann::ordered_json(nullptr);
            row["text"] = l.text;
            if (full) row["tStates"] = l.tStates.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(l.tStates);
            j.push_back(std::move(row));
        }
        std::cout << j.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
    } else {
        for (const std::string& line : ListingTextLines(lines, full)) {
            std::string trimmed = line;
            trimmed.erase(trimmed.find_last_not_of(' ') + 1);
            std::cout << trimmed << '\n';
        }
    }
    return assembled ? kExitSuccess : kExitProgramFailed;
}

}  // namespace

Command AddListingCommand(CLI::App& app)
{
    auto options = std::make_shared<ListingOptions>();
    CLI::App* command = app.add_subcommand(
        "listing", "Assemble PROGRAM and print, for each line, its address, its bytes and the line.");
    command->add_option("PROGRAM", options->program, "A project file or a text file of program lines")
        ->required()
        ->type_name("");
    command->add_flag("--import", options->import, "PROGRAM is a standard 8085 assembly source");
    command->add_option("--radix", options->radix, "With --import: the radix of numbers without a suffix (10 or 16)")
        ->check(CLI::IsMember({10, 16}))
        ->type_name("10|16");
    command->add_flag("--full", options->full, "Assemble in Full 8085 mode (and show T-states)");
    command->add_flag("--json", options->json, "Print the listing as a JSON list, one object per line");
    command->footer("Exit status: 0 when the program assembled, 1 when it did not (the listing then stops at the "
                    "line that failed), 2 for bad options or a PROGRAM that cannot be read.");
    return {command, [options] { return listing(*options); }};
}

}  // namespace korvanta::cli
