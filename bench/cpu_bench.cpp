// The native Full 8085 core on a loop that mixes what learners' programs do:
// register moves, memory operands, 8- and 16-bit arithmetic, logic, compares,
// conditional jumps, calls and returns, push and pop. items_per_second is
// instructions per second.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <initializer_list>

#include "cpu/cpu8085.h"

namespace korvanta::bench {
namespace {

// Runs for ever: H is kept in 08-0B, so every memory operand stays in the window.
constexpr std::initializer_list<std::uint8_t> kMixedLoop = {
    0x31, 0x00, 0x0F,  // 0000 LXI SP,0F00
    0x21, 0x00, 0x08,  // 0003 LXI H,0800
    0x01, 0x34, 0x12,  // 0006 LXI B,1234
    0x11, 0x01, 0x00,  // 0009 LXI D,0001
    0x7E,              // 000C MOV A,M
    0x80,              // 000D ADD B
    0x77,              // 000E MOV M,A
    0x23,              // 000F INX H
    0x7C,              // 0010 MOV A,H
    0xE6, 0x0B,        // 0011 ANI 0B
    0xF6, 0x08,        // 0013 ORI 08
    0x67,              // 0015 MOV H,A
    0x79,              // 0016 MOV A,C
    0x8E,              // 0017 ADC M
    0x4F,              // 0018 MOV C,A
    0x96,              // 0019 SUB M
    0xA8,              // 001A XRA B
    0xB1,              // 001B ORA C
    0xFE, 0x80,        // 001C CPI 80
    0xDA, 0x22, 0x00,  // 001E JC 0022
    0x04,              // 0021 INR B
    0xC5,              // 0022 PUSH B
    0xCD, 0x30, 0x00,  // 0023 CALL 0030
    0xC1,              // 0026 POP B
    0x0D,              // 0027 DCR C
    0xC2, 0x0C, 0x00,  // 0028 JNZ 000C
    0x1B,              // 002B DCX D
    0xC3, 0x0C, 0x00,  // 002C JMP 000C
    0x00, 0x00,        // 002F
    0xE5,              // 0030 PUSH H
    0x29,              // 0031 DAD H
    0x19,              // 0032 DAD D
    0x7D,              // 0033 MOV A,L
    0xB8,              // 0034 CMP B
    0x27,              // 0035 DAA
    0xE1,              // 0036 POP H
    0xC0,              // 0037 RNZ
    0xC9,              // 0038 RET
};

// Argument 1 runs the same loop with everything the per-instruction check looks
// at switched on but never firing: BDOS, a breakpoint off the path, a masked
// RST 5.5 pending. The loop never calls 0005 nor reaches 0000.
void BM_NativeMixedWorkload(benchmark::State& state)
{
    constexpr std::uint64_t kChunk = 1'000'000;
    cpu::Cpu8085 cpu;
    std::uint16_t at = 0;
    for (std::uint8_t byte : kMixedLoop) cpu.memory[at++] = byte;
    if (state.range(0) == 1) {
        cpu.bdos = true;
        cpu.setBreakpoint(0x0FFF, true);
        cpu.raise(cpu::Interrupt::Rst55);
    }

    std::uint64_t total = 0;
    for (auto _ : state) {
        const cpu::RunResult result = cpu.run(kChunk);
        total += result.executed;
        if (result.stop != cpu::Stop::Limit || result.executed != kChunk) {
            state.SkipWithError("the loop stopped before its budget was spent");
            return;
        }
    }
    // The loop averages well over 5 T-states an instruction and keeps its stack within three levels.
    if (cpu.instructions != total || cpu.tStates < 5 * total || cpu.regs.sp < 0x0EFA || cpu.regs.sp > 0x0F00)
        state.SkipWithError("the counters or the stack do not add up");
    state.SetItemsProcessed(static_cast<std::int64_t>(total));
}
BENCHMARK(BM_NativeMixedWorkload)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->DisplayAggregatesOnly(true);

}  // namespace
}  // namespace korvanta::bench
