#pragma once

// Standard 8085 sources on the command line: read, import, report.

#include <optional>
#include <ostream>
#include <string>

#include "importer/importer.h"

namespace korvanta {
class Simulator;
}

namespace korvanta::cli {

// Reads and imports the file. Returns nothing, with a one-line reason in
// error, when the file cannot be read or is not text.
std::optional<importer::ImportResult> ImportFile(const std::string& path, int radix, std::string& error);

// The report as lines "LINE: LEVEL: MESSAGE" followed by the source text.
void WriteImportReport(std::ostream& err, const importer::ImportResult& result);

// Makes the imported program the simulator's project.
void LoadImport(Simulator& sim, const importer::ImportResult& result);

}  // namespace korvanta::cli
