#pragma once

// The flag rules of the native core, all in one place. Every function takes
// the accumulator (or the register it works on) and F by reference and
// writes F whole, so that bits 5, 3 and 1 come out as 0 wherever an
// instruction writes flags. Private to src/cpu.

#include <array>
#include <cstdint>

#include "cpu/cpu8085.h"

namespace korvanta::cpu::alu {

// S, Z and P of every byte: the part of F that depends on the result alone.
inline constexpr std::array<std::uint8_t, 256> kSzp = [] {
    std::array<std::uint8_t, 256> table{};
    for (int v = 0; v < 256; ++v) {
        int ones = 0;
        for (int bit = 0; bit < 8; ++bit) ones += (v >> bit) & 1;
        table[v] = static_cast<std::uint8_t>((v & 0x80 ? kFlagS : 0) | (v == 0 ? kFlagZ : 0) |
                                             (ones % 2 == 0 ? kFlagP : 0));
    }
    return table;
}();

// The flags an instruction that writes CY alone keeps.
inline constexpr std::uint8_t kAllButCarry = kFlagS | kFlagZ | kFlagAC | kFlagP;

using u8 = std::uint8_t;

// a + v + carryIn. AC is the carry out of bit 3: bit 4 of a ^ v ^ sum.
inline void Add(u8& a, u8& f, u8 v, int carryIn)
{
    const unsigned sum = a + v + carryIn;
    f = static_cast<u8>(kSzp[sum & 0xFF] | ((a ^ v ^ sum) & kFlagAC) | (sum >> 8));
    a = static_cast<u8>(sum);
}

// a - v - borrowIn the way Intel describes it: a + ~v + (1 - borrowIn). CY is
// the borrow, the inverse of that addition's carry out of bit 7; AC is its
// carry out of bit 3, so AC = 1 when the low nibble needs no borrow.
inline u8 Difference(u8 a, u8& f, u8 v, int borrowIn)
{
    const u8 inverse = static_cast<u8>(~v);
    const unsigned sum = a + inverse + (1 - borrowIn);
    f = static_cast<u8>(kSzp[sum & 0xFF] | ((a ^ inverse ^ sum) & kFlagAC) | ((sum >> 8) ^ 1));
    return static_cast<u8>(sum);
}
inline void Sub(u8& a, u8& f, u8 v, int borrowIn)
{
    a = Difference(a, f, v, borrowIn);
}
inline void Compare(u8 a, u8& f, u8 v)
{
    Difference(a, f, v, 0);
}

// The 8085 sets AC after every AND (the 8080 did not).
inline void And(u8& a, u8& f, u8 v)
{
    a &= v;
    f = static_cast<u8>(kSzp[a] | kFlagAC);
}
inline void Xor(u8& a, u8& f, u8 v)
{
    a ^= v;
    f = kSzp[a];
}
inline void Or(u8& a, u8& f, u8 v)
{
    a |= v;
    f = kSzp[a];
}

// INR is r + 1 and DCR is r + FF; both keep CY.
inline void Increment(u8& r, u8& f)
{
    r = static_cast<u8>(r + 1);
    f = static_cast<u8>((f & kFlagCY) | kSzp[r] | ((r & 0x0F) == 0 ? kFlagAC : 0));
}
inline void Decrement(u8& r, u8& f)
{
    f = static_cast<u8>((f & kFlagCY) | ((r & 0x0F) != 0 ? kFlagAC : 0));
    r = static_cast<u8>(r - 1);
    f |= kSzp[r];
}

// The high adjustment looks at the value after the low one, kept wider than a
// byte: F9 + 06 is 0FF and A + 06 can reach 105, whose "high nibble" 10 is
// above 9 as well, which is what makes 75 + 85 = FA come out as 60 with CY.
inline void DecimalAdjust(u8& a, u8& f)
{
    unsigned value = a;
    u8 flags = f & kFlagCY;
    if ((value & 0x0F) > 9 || (f & kFlagAC)) {
        if ((value & 0x0F) + 6 > 0x0F) flags |= kFlagAC;
        value += 0x06;
    }
    if ((value >> 4) > 9 || (f & kFlagCY)) {
        value += 0x60;
        flags |= kFlagCY;
    }
    a = static_cast<u8>(value);
    f = static_cast<u8>(flags | kSzp[a]);
}

inline void SetCarryOnly(u8& f, unsigned carry)
{
    f = static_cast<u8>((f & kAllButCarry) | (carry & 1));
}

inline void RotateLeft(u8& a, u8& f)
{
    const unsigned out = a >> 7;
    a = static_cast<u8>(a << 1 | out);
    SetCarryOnly(f, out);
}
inline void RotateRight(u8& a, u8& f)
{
    const unsigned out = a & 1;
    a = static_cast<u8>(a >> 1 | out << 7);
    SetCarryOnly(f, out);
}
inline void RotateLeftThroughCarry(u8& a, u8& f)
{
    const unsigned out = a >> 7;
    a = static_cast<u8>(a << 1 | (f & kFlagCY));
    SetCarryOnly(f, out);
}
inline void RotateRightThroughCarry(u8& a, u8& f)
{
    const unsigned out = a & 1;
    a = static_cast<u8>(a >> 1 | (f & kFlagCY) << 7);
    SetCarryOnly(f, out);
}

// DAD: HL + pair, CY from bit 15, nothing else.
inline void AddPair(u8& h, u8& l, u8& f, unsigned pair)
{
    const unsigned sum = (h << 8 | l) + pair;
    h = static_cast<u8>(sum >> 8);
    l = static_cast<u8>(sum);
    SetCarryOnly(f, sum >> 16);
}

}  // namespace korvanta::cpu::alu
