#pragma once

// A native 8085 with its window at 0000 and short ways to put bytes in memory,
// run a program from 0100 or step one instruction there. Flag values are
// written with the names below, so expected rows read like the manual.

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "cpu/cpu8085.h"

namespace korvanta::cpu::testing {

inline constexpr int S = kFlagS, Z = kFlagZ, AC = kFlagAC, P = kFlagP, CY = kFlagCY;
inline constexpr int kBits531 = 0x2A;  // the bits of F no instruction sets

// F as the manual names its bits, with any other bit in hex, for failure messages.
inline std::string FlagNames(int f)
{
    std::string text;
    for (auto [bit, name] : {std::pair{S, "S"}, {Z, "Z"}, {AC, "AC"}, {P, "P"}, {CY, "CY"}}) {
        if (f & bit) text += std::string(text.empty() ? "" : " ") + name;
    }
    if (f & kBits531) text += " +" + std::to_string(f & kBits531);
    return text.empty() ? "-" : text;
}

class CpuTest : public ::testing::Test {
protected:
    static constexpr std::uint16_t kOrigin = 0x0100;
    Cpu8085 cpu;

    void Poke(std::uint16_t at, std::initializer_list<int> bytes)
    {
        for (int byte : bytes)
            cpu.memory[static_cast<std::uint16_t>(at++ - cpu.windowBase)] = static_cast<std::uint8_t>(byte);
    }
    int Peek(std::uint16_t at) const { return cpu.memory[static_cast<std::uint16_t>(at - cpu.windowBase)]; }

    // The code at 0100 run until it halts or `limit` instructions ran.
    RunResult Program(std::initializer_list<int> code, std::uint64_t limit = 100000)
    {
        Poke(kOrigin, code);
        cpu.regs.pc = kOrigin;
        return cpu.run(limit);
    }
    // One instruction at 0100.
    RunResult Step(std::initializer_list<int> code)
    {
        Poke(kOrigin, code);
        cpu.regs.pc = kOrigin;
        return cpu.step();
    }
};

}  // namespace korvanta::cpu::testing
