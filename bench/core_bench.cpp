// The figures quoted in the README. Each benchmark checks that the work it
// times really happened, so a broken core shows up as an error, not as a
// flattering number.

#include <benchmark/benchmark.h>

#include "bench_support.h"
#include "engine/executor.h"

namespace korvanta::bench {
namespace {

// A rig holding a 20-line program, and the path of a file called name in a scratch folder.
struct FileRig : Rig {
    TempDir dir;
    const std::string file;

    explicit FileRig(const std::string& name) : file(dir.file(name)) { load(MixedProgram(20)); }
};

// Times step until it fails; returns whether it never did.
template <class Step>
bool TimeWhileOk(benchmark::State& state, Step step)
{
    bool ok = true;
    for (auto _ : state) {
        ok = step();
        if (!ok) break;
    }
    return ok;
}

void BM_SetupTheMemoryWindow(benchmark::State& state)
{
    Rig rig;
    for (auto _ : state) {
        rig.m.memory.SetupTheMemoryWindow("0");
        benchmark::DoNotOptimize(rig.m.window.rowCount());
    }
    if (rig.m.window.rowCount() != MemoryWindow::kRows || rig.m.window.address(4096) != "0FFF")
        state.SkipWithError("the window was not rebuilt");
}
BENCHMARK(BM_SetupTheMemoryWindow)->Unit(benchmark::kMicrosecond);

void BM_ConvertMEMtoINDEX_LastRow(benchmark::State& state)
{
    Rig rig;
    for (auto _ : state) {
        rig.m.memory.ConvertMEMtoINDEX("0FFF");
        benchmark::DoNotOptimize(rig.m.ConvertedValue);
    }
    if (rig.m.ConvertedValue != "4096" || rig.m.ErrorFlag != kFalse) state.SkipWithError("0FFF did not give row 4096");
}
BENCHMARK(BM_ConvertMEMtoINDEX_LastRow)->Unit(benchmark::kNanosecond);

void BM_Assemble1000Lines(benchmark::State& state)
{
    Rig rig;
    rig.load(MixedProgram(1000));
    for (auto _ : state) {
        rig.sim.assembler.CompileProgram();
        if (rig.m.ErrorFlag != kFalse) break;
    }
    if (rig.m.ErrorFlag != kFalse || !rig.host.messages.empty() || rig.m.assembly.HaltAssembled == 0) {
        std::string why = rig.host.messages.empty() ? "ErrorFlag set" : rig.host.messages.front().text;
        state.SkipWithError(("assembly failed at line " + std::to_string(rig.m.LineIndex) + ": " + why).c_str());
    }
    state.counters["lines"] = rig.sim.source.lineCount();
}
BENCHMARK(BM_Assemble1000Lines)->Unit(benchmark::kMillisecond);

void BM_RunFullInstructionBudget(benchmark::State& state)
{
    Rig rig;
    rig.load(MemoryLoopProgram());
    rig.sim.assembler.CompileProgram();
    if (rig.m.ErrorFlag != kFalse) {
        state.SkipWithError("the loop did not assemble");
        return;
    }
    for (auto _ : state) {
        rig.host.messages.clear();
        rig.sim.executor.DoExecute();
    }
    // The loop never halts by itself: only the budget can end it.
    if (rig.m.ExecStatus.text() != "Memory Error" || rig.host.messages.size() != 1 ||
        rig.host.messages.front().text != kCpuOutOfMemory)
        state.SkipWithError(("the run did not spend the budget: " + rig.m.ExecStatus.text()).c_str());
    state.counters["instructions"] = kInstructionBudget + 1;
}
BENCHMARK(BM_RunFullInstructionBudget)->Unit(benchmark::kMillisecond);

void BM_SaveAndOpenWithMemory(benchmark::State& state)
{
    FileRig rig("BENCH.QSM");
    const std::string& file = rig.file;
    const bool ok = TimeWhileOk(
        state, [&] { return rig.sim.documents.SaveProjectTo(file, true) && rig.sim.documents.OpenProjectFrom(file); });
    if (!ok || !rig.host.messages.empty()) {
        state.SkipWithError("save or open failed");
        return;
    }
    // 16 header records, the lines, ###END###, ###MEM###, 4096 rows, END.
    const auto records = std::filesystem::file_size(file) / 50;
    if (records != 16 + 20 + 1 + 1 + 4096 + 1) state.SkipWithError("unexpected file length");
    state.counters["records"] = static_cast<double>(records);
}
BENCHMARK(BM_SaveAndOpenWithMemory)->Unit(benchmark::kMillisecond);

// The two halves of the figure above, to tell which one costs.
void BM_SaveWithMemory(benchmark::State& state)
{
    FileRig rig("BENCH.QSM");
    const bool ok = TimeWhileOk(state, [&] { return rig.sim.documents.SaveProjectTo(rig.file, true); });
    if (!ok) state.SkipWithError("save failed");
}
BENCHMARK(BM_SaveWithMemory)->Unit(benchmark::kMillisecond);

void BM_OpenWithMemory(benchmark::State& state)
{
    FileRig rig("BENCH.QSM");
    bool ok = rig.sim.documents.SaveProjectTo(rig.file, true);
    for (auto _ : state) {
        if (!ok) break;
        ok = rig.sim.documents.OpenProjectFrom(rig.file);
    }
    if (!ok || rig.sim.source.lineCount() != 20) state.SkipWithError("open failed");
}
BENCHMARK(BM_OpenWithMemory)->Unit(benchmark::kMillisecond);

void BM_ExportProgramAndStates(benchmark::State& state)
{
    FileRig rig("export.txt");
    const bool ok = TimeWhileOk(state, [&] { return rig.sim.documents.ExportProgramAndStatesTo(rig.file); });
    if (!ok || !rig.host.messages.empty()) state.SkipWithError("export failed");
}
BENCHMARK(BM_ExportProgramAndStates)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korvanta::bench
