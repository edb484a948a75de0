// Full 8085 mode through the Run command, headless: the engine's loop with its
// chunks, field sync and (for step back) the copies of the machine it keeps.
// The two figures side by side say what keeping step-back history costs.

#include <benchmark/benchmark.h>

#include "bench_support.h"

namespace korvanta::bench {
namespace {

// A mixed loop that never ends by itself: register and memory moves, 8- and
// 16-bit arithmetic, logic and compares, a call and a return, push and pop;
// the pointers stay inside the window.
const std::vector<std::string> kMixedLoop = {
    "LXI SP,0F00", "LXI H,0800", "LXI D,0900", "MVI B,00",
    "LOOP: MOV A,M", "ADD B", "ANI 7F", "CPI 40", "JC SKIP", "XRI 55",
    "SKIP: STAX D", "INR L", "INR E", "CALL SUBR", "PUSH PSW", "POP PSW", "DCR B", "JMP LOOP",
    "SUBR: MOV A,L", "ORA A", "RZ", "MOV C,A", "INX SP", "DCX SP", "RET",
};

void runFull(benchmark::State& state, bool history)
{
    Rig rig;
    rig.load(kMixedLoop);
    rig.m.options.Full8085.set(1);
    const int instructions = 10'000'000;
    rig.m.options.MaxInstructions.set(instructions);
    rig.sim.setHistoryEnabled(history);
    rig.sim.runControl.StartExecution();  // assemble once
    for (auto _ : state) {
        rig.sim.runControl.StartExecution();
        benchmark::DoNotOptimize(rig.m.full.tStates.get());
    }
    if (rig.m.ExecStatus.text() != "Instruction Limit Reached") state.SkipWithError("the loop did not run its budget");
    state.SetItemsProcessed(state.iterations() * (instructions + 1));
}

void BM_FullRunHeadless(benchmark::State& state) { runFull(state, false); }
void BM_FullRunHeadlessWithHistory(benchmark::State& state) { runFull(state, true); }

BENCHMARK(BM_FullRunHeadless)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_FullRunHeadlessWithHistory)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace
}  // namespace korvanta::bench
