#pragma once

// `korvanta-cli run`: load a program, set the machine up as the options say,
// press Run once and report.

#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "cli/command.h"
#include "machine/full_state.h"

namespace korvanta::cli {

using korvanta::ScheduledInterrupt;

struct RunOptions {
    std::string program;
    std::optional<std::string> window;  // one digit 0-9, A-F
    std::optional<std::string> start;
    std::vector<std::pair<std::string, std::string>> sets;   // NAME, VALUE in command-line order
    std::vector<std::pair<std::string, std::string>> pokes;  // ADDR, BYTE in command-line order
    bool noAutoHlt = false;
    bool noOrg = false;
    bool compileOnly = false;
    bool runOnly = false;
    std::optional<std::string> save;
    bool saveMemory = false;
    std::optional<std::string> exportFile;
    bool exportStates = false;
    bool json = false;
    // Full 8085 mode and what only it knows.
    bool full = false;
    std::optional<int> maxInstructions;
    std::vector<std::pair<int, int>> inputs;  // PORT, BYTE
    std::vector<ScheduledInterrupt> interrupts;
    bool bdos = false;
    // A standard 8085 source instead of the program's own lines.
    bool import = false;
    int radix = 10;
    // One record per executed instruction, the last traceLimit kept.
    bool trace = false;
    int traceLimit = 100000;
};

// "PORT=BYTE", both hex. Returns a one-line reason on failure.
std::optional<std::string> ParseInput(const std::string& text, std::pair<int, int>& input);
// "COUNT:NAME", NAME one of TRAP, RST7.5, RST6.5, RST5.5, INTR0 to INTR7.
std::optional<std::string> ParseInterrupt(const std::string& text, ScheduledInterrupt& interrupt);

// Checks and splits the raw option texts. Returns a one-line reason on failure.
std::optional<std::string> ParseWindow(const std::string& text, std::string& digit);
std::optional<std::string> ParseAssignment(const std::string& option, const std::string& text,
                                           std::pair<std::string, std::string>& parts);
std::optional<std::string> ParseSet(const std::string& text, std::pair<std::string, std::string>& set);

int Run(const RunOptions& options, std::ostream& out, std::ostream& err);

}  // namespace korvanta::cli
