#pragma once

// What `run` tells about the machine once the run is over: a JSON object for
// scripts, or a summary for people.

#include <ostream>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/cli_host.h"

namespace korvanta {
class Simulator;
class Trace;
}

namespace korvanta::cli {

nlohmann::ordered_json BuildJsonReport(Simulator& sim, const std::vector<RecordedMessage>& messages);

// Writes the JSON object. Texts that are not UTF-8 (a project file may hold
// any byte) come out with U+FFFD in place of the bad bytes.
void WriteJsonReport(std::ostream& out, const nlohmann::ordered_json& report);

void WriteTextReport(std::ostream& out, Simulator& sim);

// The trace of a run: a JSON list, or one line per record.
nlohmann::ordered_json TraceJson(const Trace& trace);
void WriteTraceText(std::ostream& out, const Trace& trace);

}  // namespace korvanta::cli
