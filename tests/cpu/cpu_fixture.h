#pragma once

// A native 8085 with its window at 0000, set and read through short texts:
// Set("A=5A HL=0904 SP=0FF0 #0900=11,22") and State("A PC SP T #0FEF") gives
// "A=.. PC=.... SP=.... T=.. #0FEF=..". Keys: A F B C D E H L (hex byte), BC
// DE HL SP PC (hex word), T and N (T-states and instructions, decimal), #addr
// (a memory byte; Set takes a comma-separated run of bytes). Flag values in
// rows are written with the names below, so they read like the manual.

#include <gtest/gtest.h>

#include <initializer_list>
#include <sstream>
#include <string>

#include "cpu/cpu8085.h"

namespace korvanta::cpu::testing {

inline constexpr int S = kFlagS, Z = kFlagZ, AC = kFlagAC, P = kFlagP, CY = kFlagCY;
inline constexpr int kBits531 = 0x2A;  // the bits of F no instruction sets

// F as the manual names its bits, with any other bit in hex, for failure messages.
inline std::string FlagNames(int f)
{
    std::string text;
    for (auto [bit, name] : {std::pair{S, "S"}, {Z, "Z"}, {AC, "AC"}, {P, "P"}, {CY, "CY"}})
        if (f & bit) text += std::string(text.empty() ? "" : " ") + name;
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

    void Set(const std::string& text)
    {
        std::istringstream words(text);
        for (std::string word; words >> word;) {
            const std::string key = word.substr(0, word.find('=')), value = word.substr(word.find('=') + 1);
            if (key[0] == '#') {
                auto at = static_cast<std::uint16_t>(std::stoi(key.substr(1), nullptr, 16));
                std::istringstream bytes(value);
                for (std::string byte; std::getline(bytes, byte, ',');)
                    Poke(at++, {std::stoi(byte, nullptr, 16)});
                continue;
            }
            const int v = std::stoi(value, nullptr, 16);
            if (std::uint8_t* r = Byte(key)) *r = static_cast<std::uint8_t>(v);
            if (key.size() == 2 && Byte(key.substr(0, 1)) && Byte(key.substr(1)))
                *Byte(key.substr(0, 1)) = static_cast<std::uint8_t>(v >> 8),
                                    *Byte(key.substr(1)) = static_cast<std::uint8_t>(v);
            if (key == "SP") cpu.regs.sp = static_cast<std::uint16_t>(v);
            if (key == "PC") cpu.regs.pc = static_cast<std::uint16_t>(v);
        }
    }

    std::string State(const std::string& keys)
    {
        std::istringstream words(keys);
        std::string text;
        for (std::string key; words >> key;) {
            std::string value;
            if (key[0] == '#')
                value = Hex(Peek(static_cast<std::uint16_t>(std::stoi(key.substr(1), nullptr, 16))), 2);
            else if (key == "T")
                value = std::to_string(cpu.tStates);
            else if (key == "N")
                value = std::to_string(cpu.instructions);
            else if (key == "SP" || key == "PC")
                value = Hex(key == "SP" ? cpu.regs.sp : cpu.regs.pc, 4);
            else if (key.size() == 2)
                value = Hex(*Byte(key.substr(0, 1)) << 8 | *Byte(key.substr(1)), 4);
            else
                value = Hex(*Byte(key), 2);
            text += (text.empty() ? "" : " ") + key + "=" + value;
        }
        return text;
    }

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

private:
    static std::string Hex(int value, int digits)
    {
        std::string text;
        for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
            text += "0123456789ABCDEF"[(value >> shift) & 15];
        return text;
    }
    std::uint8_t* Byte(const std::string& name)
    {
        Registers& r = cpu.regs;
        const std::pair<const char*, std::uint8_t*> bytes[] = {{"A", &r.a}, {"F", &r.f}, {"B", &r.b},
                                                               {"C", &r.c}, {"D", &r.d}, {"E", &r.e},
                                                               {"H", &r.h}, {"L", &r.l}};
        for (auto [key, slot] : bytes)
            if (name == key) return slot;
        return nullptr;
    }
};

}  // namespace korvanta::cpu::testing
