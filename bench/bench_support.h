#pragma once

// Shared set-up for the benchmarks: a simulator on a scripted host whose
// yields cost nothing, and the sample programs the figures are quoted for.

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/simulator.h"
#include "support/fake_host.h"

namespace korvanta::bench {

struct Rig {
    testing::FakeHost host;
    Simulator sim{host};
    Machine& m = sim.machine;

    Rig() { sim.Form_Load(); }

    void load(const std::vector<std::string>& lines)
    {
        sim.source.Clear();
        for (const auto& line : lines) sim.source.AppendLine(line);
    }
};

// About 1,000 lines cycling through every instruction group, with a tag every
// twenty lines and jumps and calls that name tags both backwards and forwards.
std::vector<std::string> MixedProgram(int lineCount);

// The run benchmark's loop: reads through BC, writes through DE, never sets Z,
// so it runs until the instruction budget is spent.
std::vector<std::string> MemoryLoopProgram();

// A scratch folder removed when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

}  // namespace korvanta::bench
