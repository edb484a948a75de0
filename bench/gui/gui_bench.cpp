// The window's speed with the learning aids on: a classic run of the whole
// 4096-instruction budget with live updates, a Full 8085 run of ten million
// instructions with the window open against the same run headless, and a long
// run ended by Stop: how often the window refreshed and how soon Stop took.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTabWidget>
#include <QTimer>

#include "app/main_window.h"
#include "app/qt_host.h"
#include "engine/simulator.h"
#include "support/fake_host.h"

namespace korvanta::bench {
namespace {

using app::SimulatorWindow;

// The real event loop; message boxes answered at once instead of waiting for a click.
class BenchHost : public app::QtHost {
public:
    MsgAnswer messageBox(const MessageRequest& request) override { return request.defaultButton; }
};

// About ten million instructions, then HLT: an inner loop of six instructions
// run 65535 times, 25 times over.
const std::vector<std::string> kTenMillion = {
    "LXI H,0800", "MVI E,19", "OUTR: LXI B,FFFF", "INNR: MOV A,M", "ADD B", "DCX B", "MOV A,B", "ORA C",
    "JNZ INNR", "DCR E", "JNZ OUTR", "HLT"};

struct Window {
    BenchHost host;
    SimulatorWindow window{host};
    Simulator& sim = window.simulator();
    Window(const std::vector<std::string>& program, bool full)
    {
        host.setDialogParent(&window);
        window.resize(1024, 768);
        window.show();
        window.Form_Load();
        window.tabs()->setCurrentIndex(2);  // the memory list and the fields are on screen
        for (const std::string& line : program) sim.source.AppendLine(line);
        sim.machine.options.Full8085.set(full ? 1 : 0);
        sim.machine.options.MaxInstructions.set(kMaxInstructionBudget);
        QApplication::processEvents();
    }
};

void BM_WindowClassicRunOfTheBudget(benchmark::State& state)
{
    Window w({"LOOP: JMP LOOP"}, false);
    w.sim.machine.options.MaxInstructions.set(kDefaultInstructionBudget);
    w.sim.setHistoryEnabled(state.range(0) == 1);
    for (auto _ : state) w.window.Toolbar1_ButtonClick(11);
    if (w.sim.machine.ExecStatus.text() != "Memory Error") state.SkipWithError("the run did not reach the budget");
    state.SetLabel(state.range(0) ? "learning aids on" : "step-back history off");
}

void BM_WindowFullRunTenMillion(benchmark::State& state)
{
    Window w(kTenMillion, true);
    std::uint64_t executed = 0;
    QElapsedTimer clock;
    qint64 ms = 0;
    for (auto _ : state) {
        clock.start();
        w.window.Toolbar1_ButtonClick(11);
        ms += clock.elapsed();
        executed = w.sim.machine.run.executed.get();
    }
    if (w.sim.machine.ExecStatus.text() != "Program Finished") state.SkipWithError("the run did not finish");
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(executed));
    state.counters["instructions"] = static_cast<double>(executed);
    state.counters["ms_per_run"] = static_cast<double>(ms) / static_cast<double>(state.iterations());
}

void BM_HeadlessFullRunTenMillion(benchmark::State& state)
{
    testing::FakeHost host;
    Simulator sim(host);
    sim.Form_Load();
    for (const std::string& line : kTenMillion) sim.source.AppendLine(line);
    sim.machine.options.Full8085.set(1);
    sim.machine.options.MaxInstructions.set(kMaxInstructionBudget);
    for (auto _ : state) sim.runControl.StartExecution();
    if (sim.machine.ExecStatus.text() != "Program Finished") state.SkipWithError("the run did not finish");
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(sim.machine.run.executed.get()));
}

void BM_WindowStopEndsALongRun(benchmark::State& state)
{
    Window w({"LOOP: INX B", "JMP LOOP"}, true);
    // The run goes in slices of 65,536 instructions, 32,768 INX: B moves on by 80 from one
    // slice to the next, so every refresh of the window writes it anew (C is 00 at each).
    int refreshes = 0;
    w.sim.machine.cpu.RegisterB.changed.connect([&] { ++refreshes; });
    double worst = 0, total = 0;
    QElapsedTimer running;
    qint64 runningMs = 0;
    for (auto _ : state) {
        running.start();
        QElapsedTimer clock;
        QTimer::singleShot(200, &w.window, [&] {
            clock.start();
            w.window.Toolbar1_ButtonClick(13);
        });
        w.window.Toolbar1_ButtonClick(11);
        runningMs += running.elapsed();
        const double latency = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        worst = std::max(worst, latency);
        total += latency;
    }
    if (w.sim.machine.ExecStatus.text() != "CPU Halted by User") state.SkipWithError("Stop did not end the run");
    state.counters["stop_ms_mean"] = total / static_cast<double>(state.iterations());
    state.counters["stop_ms_worst"] = worst;
    // Refreshes of a long run per second; the last one, at the end of the run, is not one
    // the refresh timer made, so it is left out.
    const double seconds = static_cast<double>(runningMs) / 1000.0;
    const double timed = std::max(0.0, static_cast<double>(refreshes) - static_cast<double>(state.iterations()));
    state.counters["refreshes_per_s"] = seconds > 0 ? timed / seconds : 0;
}

BENCHMARK(BM_WindowClassicRunOfTheBudget)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_WindowFullRunTenMillion)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_HeadlessFullRunTenMillion)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_WindowStopEndsALongRun)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

}  // namespace
}  // namespace korvanta::bench

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
