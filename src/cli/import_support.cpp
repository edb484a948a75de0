#include "cli/import_support.h"

#include "engine/imported_program.h"
#include "engine/program_loader.h"
#include "engine/simulator.h"

namespace korvanta::cli {

std::optional<importer::ImportResult> ImportFile(const std::string& path, int radix, std::string& error)
{
    std::string bytes;
    if (!ReadProgramFile(path, bytes, error)) return std::nullopt;
    if (importer::DetectSourceKind(bytes) == importer::SourceKind::NotText) {
        error = "'" + path + "' is not a text file";
        return std::nullopt;
    }
    return importer::ImportStandardSource(bytes, {radix});
}

void WriteImportReport(std::ostream& err, const importer::ImportResult& result)
{
    for (const importer::ReportLine& r : result.report) {
        err << (r.line > 0 ? "line " + std::to_string(r.line) : std::string("source")) << ": "
            << importer::LevelName(r.level) << ": " << r.message;
        if (!r.text.empty()) err << "\n    " << r.text;
        err << '\n';
    }
}

void LoadImport(Simulator& sim, const importer::ImportResult& result)
{
    ApplyImportedProgram(sim, {result.lines, result.startAddress, result.windowDigit, result.full});
}

}  // namespace korvanta::cli
