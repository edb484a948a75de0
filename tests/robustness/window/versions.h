#pragma once

// Numbered versions of a project, so that a test can tell from a file which
// version it holds and whether it holds all of it.

#include <string>

#include "engine/simulator.h"

namespace korvanta::recoverytest {

// The program of version n; its comment line names the version.
inline void setVersion(Simulator& sim, int n)
{
    static const char* const kHex = "0123456789ABCDEF";
    sim.source.Clear();
    sim.source.AppendLine(std::string("MVI A,") + kHex[(n >> 4) & 15] + kHex[n & 15]);
    sim.source.AppendLine("!! VERSION " + std::to_string(n));
    sim.source.AppendLine("HLT");
    sim.machine.document.DocumentSaved = kFalse;
}

// The version a file's bytes name, or -1.
inline int versionIn(const std::string& bytes)
{
    const std::string mark = "!! VERSION ";
    const auto at = bytes.find(mark);
    if (at == std::string::npos) return -1;
    return std::atoi(bytes.c_str() + at + mark.size());
}

}  // namespace korvanta::recoverytest
