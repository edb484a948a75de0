#pragma once

// The opcode table as a constant, so that the run loop reads its T-states
// from the same rows Opcodes() hands out. Private to src/cpu.

#include <array>
#include <cstdint>
#include <string_view>

#include "cpu/cpu8085.h"

namespace korvanta::cpu::table {

// Eight opcodes a line in numeric order, 00-07 first; nullptr for the undocumented ones.
inline constexpr std::array<const char*, 256> kTexts = {
    "NOP",     "LXI B,hhhh",  "STAX B",    "INX B",    "INR B",    "DCR B",     "MVI B,nn", "RLC",
    nullptr,   "DAD B",       "LDAX B",    "DCX B",    "INR C",    "DCR C",     "MVI C,nn", "RRC",
    nullptr,   "LXI D,hhhh",  "STAX D",    "INX D",    "INR D",    "DCR D",     "MVI D,nn", "RAL",
    nullptr,   "DAD D",       "LDAX D",    "DCX D",    "INR E",    "DCR E",     "MVI E,nn", "RAR",
    "RIM",     "LXI H,hhhh",  "SHLD hhhh", "INX H",    "INR H",    "DCR H",     "MVI H,nn", "DAA",
    nullptr,   "DAD H",       "LHLD hhhh", "DCX H",    "INR L",    "DCR L",     "MVI L,nn", "CMA",
    "SIM",     "LXI SP,hhhh", "STA hhhh",  "INX SP",   "INR M",    "DCR M",     "MVI M,nn", "STC",
    nullptr,   "DAD SP",      "LDA hhhh",  "DCX SP",   "INR A",    "DCR A",     "MVI A,nn", "CMC",
    "MOV B,B", "MOV B,C",     "MOV B,D",   "MOV B,E",  "MOV B,H",  "MOV B,L",   "MOV B,M",  "MOV B,A",
    "MOV C,B", "MOV C,C",     "MOV C,D",   "MOV C,E",  "MOV C,H",  "MOV C,L",   "MOV C,M",  "MOV C,A",
    "MOV D,B", "MOV D,C",     "MOV D,D",   "MOV D,E",  "MOV D,H",  "MOV D,L",   "MOV D,M",  "MOV D,A",
    "MOV E,B", "MOV E,C",     "MOV E,D",   "MOV E,E",  "MOV E,H",  "MOV E,L",   "MOV E,M",  "MOV E,A",
    "MOV H,B", "MOV H,C",     "MOV H,D",   "MOV H,E",  "MOV H,H",  "MOV H,L",   "MOV H,M",  "MOV H,A",
    "MOV L,B", "MOV L,C",     "MOV L,D",   "MOV L,E",  "MOV L,H",  "MOV L,L",   "MOV L,M",  "MOV L,A",
    "MOV M,B", "MOV M,C",     "MOV M,D",   "MOV M,E",  "MOV M,H",  "MOV M,L",   "HLT",      "MOV M,A",
    "MOV A,B", "MOV A,C",     "MOV A,D",   "MOV A,E",  "MOV A,H",  "MOV A,L",   "MOV A,M",  "MOV A,A",
    "ADD B",   "ADD C",       "ADD D",     "ADD E",    "ADD H",    "ADD L",     "ADD M",    "ADD A",
    "ADC B",   "ADC C",       "ADC D",     "ADC E",    "ADC H",    "ADC L",     "ADC M",    "ADC A",
    "SUB B",   "SUB C",       "SUB D",     "SUB E",    "SUB H",    "SUB L",     "SUB M",    "SUB A",
    "SBB B",   "SBB C",       "SBB D",     "SBB E",    "SBB H",    "SBB L",     "SBB M",    "SBB A",
    "ANA B",   "ANA C",       "ANA D",     "ANA E",    "ANA H",    "ANA L",     "ANA M",    "ANA A",
    "XRA B",   "XRA C",       "XRA D",     "XRA E",    "XRA H",    "XRA L",     "XRA M",    "XRA A",
    "ORA B",   "ORA C",       "ORA D",     "ORA E",    "ORA H",    "ORA L",     "ORA M",    "ORA A",
    "CMP B",   "CMP C",       "CMP D",     "CMP E",    "CMP H",    "CMP L",     "CMP M",    "CMP A",
    "RNZ",     "POP B",       "JNZ hhhh",  "JMP hhhh", "CNZ hhhh", "PUSH B",    "ADI nn",   "RST 0",
    "RZ",      "RET",         "JZ hhhh",   nullptr,    "CZ hhhh",  "CALL hhhh", "ACI nn",   "RST 1",
    "RNC",     "POP D",       "JNC hhhh",  "OUT nn",   "CNC hhhh", "PUSH D",    "SUI nn",   "RST 2",
    "RC",      nullptr,       "JC hhhh",   "IN nn",    "CC hhhh",  nullptr,     "SBI nn",   "RST 3",
    "RPO",     "POP H",       "JPO hhhh",  "XTHL",     "CPO hhhh", "PUSH H",    "ANI nn",   "RST 4",
    "RPE",     "PCHL",        "JPE hhhh",  "XCHG",     "CPE hhhh", nullptr,     "XRI nn",   "RST 5",
    "RP",      "POP PSW",     "JP hhhh",   "DI",       "CP hhhh",  "PUSH PSW",  "ORI nn",   "RST 6",
    "RM",      "SPHL",        "JM hhhh",   "EI",       "CM hhhh",  nullptr,     "CPI nn",   "RST 7",
};

inline constexpr std::uint8_t kAllFlags = kFlagS | kFlagZ | kFlagAC | kFlagP | kFlagCY;

// Length, cost and flags of one opcode, from the fields of its bit pattern.
constexpr OpcodeInfo Row(int op)
{
    OpcodeInfo info;
    info.text = kTexts[op];
    if (!info.text) return info;
    const std::string_view text = info.text;
    info.length = text.ends_with("hhhh") ? 3 : text.ends_with("nn") ? 2 : 1;

    int taken = 0;  // non-zero for a conditional branch
    int cost = 4;
    const int low3 = op & 7, low4 = op & 0x0F, middle = (op >> 3) & 7;
    if (op < 0x40) {
        if (low4 == 0x01 || low4 == 0x09)
            cost = 10;  // LXI, DAD
        else if (low4 == 0x03 || low4 == 0x0B)
            cost = 6;  // INX, DCX
        else if (op == 0x22 || op == 0x2A)
            cost = 16;  // SHLD, LHLD
        else if (op == 0x32 || op == 0x3A)
            cost = 13;  // STA, LDA
        else if (low3 == 2)
            cost = 7;  // STAX, LDAX
        else if (low3 == 4 || low3 == 5)
            cost = middle == 6 ? 10 : 4;  // INR, DCR
        else if (low3 == 6)
            cost = middle == 6 ? 10 : 7;  // MVI
        if (low3 == 4 || low3 == 5) info.flagsWritten = kAllFlags & ~kFlagCY;
        if (low4 == 0x09 || low3 == 7) info.flagsWritten = kFlagCY;  // DAD, rotates, STC, CMC
        if (op == 0x27) info.flagsWritten = kAllFlags;               // DAA
        if (op == 0x2F) info.flagsWritten = 0;                       // CMA
    } else if (op < 0x80) {
        cost = op == 0x76 ? 5 : (low3 == 6 || middle == 6) ? 7 : 4;  // HLT, MOV
    } else if (op < 0xC0) {
        cost = low3 == 6 ? 7 : 4;
        info.flagsWritten = kAllFlags;
    } else if (low3 == 0) {
        cost = 6, taken = 12;  // Rcc
    } else if (low3 == 2) {
        cost = 7, taken = 10;  // Jcc
    } else if (low3 == 4) {
        cost = 9, taken = 18;  // Ccc
    } else if (low3 == 6) {
        cost = 7;
        info.flagsWritten = kAllFlags;  // immediates
    } else if (low3 == 7) {
        cost = 12;  // RST
    } else if (low4 == 0x01) {
        cost = 10;  // POP
        if (op == 0xF1) info.flagsWritten = kAllFlags;
    } else if (low4 == 0x05) {
        cost = 12;  // PUSH
    } else {
        switch (op) {
            case 0xC3:
            case 0xC9:
            case 0xD3:
            case 0xDB:
                cost = 10;
                break;  // JMP RET OUT IN
            case 0xCD:
                cost = 18;
                break;  // CALL
            case 0xE3:
                cost = 16;
                break;  // XTHL
            case 0xE9:
            case 0xF9:
                cost = 6;
                break;  // PCHL SPHL
            default:
                break;  // XCHG DI EI
        }
    }
    info.tStates = static_cast<std::uint8_t>(cost);
    info.tStatesTaken = static_cast<std::uint8_t>(taken ? taken : cost);
    return info;
}

inline constexpr std::array<OpcodeInfo, 256> kOpcodes = [] {
    std::array<OpcodeInfo, 256> rows{};
    for (int op = 0; op < 256; ++op) rows[op] = Row(op);
    return rows;
}();

}  // namespace korvanta::cpu::table
