// The executor on an arbitrary memory image: the input's bytes become the
// first rows of the window (as HexBytes), the rest stays 00, and the run
// starts at 0000 with the full 4096-instruction budget. Every run must end
// and report one of the four ends.

#include <cstdint>

#include "engine/executor.h"
#include "fuzz_support.h"

using namespace korvanta;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const char kHex[] = "0123456789ABCDEF";
    fuzz::Rig rig;
    const std::size_t rows = std::min<std::size_t>(size, MemoryWindow::kRows);
    for (std::size_t i = 0; i < rows; ++i) {
        const char byte[2] = {kHex[data[i] >> 4], kHex[data[i] & 15]};
        rig.m.memory.EnterintoMEMory(static_cast<int>(i) + 1, std::string_view(byte, 2));
    }

    long yieldsBefore = rig.host.yields;
    rig.sim.executor.DoExecute();
    rig.CheckWindow();

    const std::string& status = rig.m.ExecStatus.text();
    KORVANTA_REQUIRE(status == "Program Finished" || status == "CPU Error" || status == "Memory Error");
    KORVANTA_REQUIRE(rig.m.run.StepMode == kFalse);
    // The run yields before its first instruction, so Stop can always get in.
    KORVANTA_REQUIRE(rig.host.yields - yieldsBefore >= 2);
    return 0;
}
