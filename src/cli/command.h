#pragma once

// Each subcommand of korvanta-cli lives in its own file and adds itself to
// the parser; main() only picks the one that was named and runs it.

#include <functional>
#include <string>

#include <CLI/CLI.hpp>

namespace korvanta::cli {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitProgramFailed = 1;
inline constexpr int kExitUsage = 2;

struct Command {
    CLI::App* parser = nullptr;
    // Runs the command once the command line is parsed; returns the exit status.
    std::function<int()> run;
};

Command AddRunCommand(CLI::App& app);
Command AddReferenceCommand(CLI::App& app);
Command AddGradeCommand(CLI::App& app);
Command AddImportCommand(CLI::App& app);
Command AddExportAsmCommand(CLI::App& app);
Command AddListingCommand(CLI::App& app);

// Writes "korvanta-cli: REASON" to stderr and returns the usage status.
int UsageError(const std::string& reason);

}  // namespace korvanta::cli
