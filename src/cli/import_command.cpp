// `korvanta-cli import SOURCE` and `korvanta-cli export-asm PROGRAM`: programs
// in the usual Intel style in and out.

#include <iostream>
#include <memory>

#include <nlohmann/json.hpp>

#include "cli/cli_host.h"
#include "cli/command.h"
#include "cli/import_support.h"
#include "documents/file_store.h"
#include "engine/program_loader.h"
#include "engine/simulator.h"

namespace korvanta::cli {

namespace {

struct ImportOptions {
    std::string source;
    std::string out;
    int radix = 10;
    bool json = false;
};

int importSource(CLI::App& command, const ImportOptions& options)
{
    std::string error;
    std::optional<importer::ImportResult> result = ImportFile(options.source, options.radix, error);
    if (!result) return UsageError(error);

    if (options.json) {
        nlohmann::ordered_json report = nlohmann::ordered_json::array();
        for (const importer::ReportLine& r : result->report) {
            report.push_back({{"line", r.line}, {"text", r.text}, {"level", importer::LevelName(r.level)},
                              {"message", r.message}});
        }
        nlohmann::ordered_json j = {{"lines", result->lines},      {"full", result->full},
                                    {"startAddress", result->startAddress}, {"window", result->windowDigit},
                                    {"report", report}};
        std::cout << j.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
    } else {
        WriteImportReport(std::cerr, *result);
    }
    if (!result->ok()) return kExitProgramFailed;  // nothing is written

    if (command.count("-o")) {
        CliHost host(std::cerr);
        Simulator sim(host);
        sim.Form_Load();
        LoadImport(sim, *result);
        if (!sim.documents.SaveProjectTo(options.out, false))
            return UsageError("could not save the project to '" + options.out + "'");
    } else if (!options.json) {
        for (const std::string& line : result->lines) std::cout << line << '\n';
    }
    return kExitSuccess;
}

struct ExportOptions {
    std::string program;
    std::string out;
};

int exportProgram(CLI::App& command, const ExportOptions& options)
{
    CliHost host(std::cerr);
    Simulator sim(host);
    sim.Form_Load();
    std::string error;
    if (!LoadProgram(sim, options.program, error)) return UsageError(error);
    const Machine& m = sim.machine;
    importer::ExportResult result = importer::ExportStandardSource(
        sim.source.lines(), m.Text1.text(), m.options.Full8085.get() == 1, m.options.Check4.get() == 1);
    for (const importer::ReportLine& r : result.report)
        std::cerr << "line " << r.line << ": " << importer::LevelName(r.level) << ": " << r.message << '\n';
    if (command.count("-o")) {
        try {
            DiskFileStore().replaceFile(options.out, result.text);
        } catch (const SysError& e) {
            return UsageError("could not write '" + options.out + "': " + e.description);
        }
    } else {
        std::cout << result.text;
    }
    return kExitSuccess;
}

}  // namespace

Command AddImportCommand(CLI::App& app)
{
    auto options = std::make_shared<ImportOptions>();
    CLI::App* command = app.add_subcommand(
        "import", "Translate a standard 8085 assembly SOURCE into Korvanta's own lines, for Full 8085 mode.");
    command->add_option("SOURCE", options->source, "A source in the usual Intel style (ORG, DB, EQU, labels, ;)")
        ->required()
        ->type_name("");
    command->add_option("-o,--output", options->out, "Write the project OUT.QSM instead of printing the lines")
        ->type_name("OUT.QSM");
    command->add_option("--radix", options->radix, "The radix of numbers without a suffix: 10 (default) or 16")
        ->check(CLI::IsMember({10, 16}))
        ->type_name("10|16");
    command->add_flag("--json", options->json, "Print the lines and the report as one JSON object");
    command->footer(
        "Exit status: 0 when converted (warnings allowed), 1 when a line could not be converted (nothing is "
        "written), 2 for bad options or a SOURCE that cannot be read or is not text.");
    return {command, [command, options] { return importSource(*command, *options); }};
}

Command AddExportAsmCommand(CLI::App& app)
{
    auto options = std::make_shared<ExportOptions>();
    CLI::App* command = app.add_subcommand(
        "export-asm", "Write PROGRAM as a standard 8085 assembly source that other assemblers take.");
    command->add_option("PROGRAM", options->program, "A project file or a text file of program lines")
        ->required()
        ->type_name("");
    command->add_option("-o,--output", options->out, "Write the source to FILE instead of standard output")
        ->type_name("FILE");
    return {command, [command, options] { return exportProgram(*command, *options); }};
}

}  // namespace korvanta::cli
