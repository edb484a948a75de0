#pragma once

// What every fuzz target shares: a simulator on a host that answers every
// question with its default button and never blocks, and a hard stop for a
// broken invariant that libFuzzer reports as a crash with the input saved.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/simulator.h"
#include "support/fake_host.h"

namespace korvanta::fuzz {

[[noreturn]] inline void Broken(const char* what)
{
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

#define KORVANTA_REQUIRE(cond) \
    do {                       \
        if (!(cond)) ::korvanta::fuzz::Broken(#cond); \
    } while (0)

struct Rig {
    testing::FakeHost host;
    Simulator sim{host};
    Machine& m = sim.machine;

    Rig()
    {
        host.directory = "/tmp";
        sim.Form_Load();
    }

    // The memory window must survive anything: 4096 rows, addresses in order.
    void CheckWindow() const
    {
        KORVANTA_REQUIRE(m.window.rowCount() == MemoryWindow::kRows);
        KORVANTA_REQUIRE(m.window.address(1) == m.window.windowDigit.get() + "000");
        KORVANTA_REQUIRE(m.window.address(MemoryWindow::kRows) == m.window.windowDigit.get() + "FFF");
    }
};

}  // namespace korvanta::fuzz
