#pragma once

// Register-pair arithmetic: INX, DCX and DAD over 16-character BitStrings.

#include <string_view>

#include "isa/routine_group.h"

namespace korvanta {

class Arithmetic16 : public RoutineGroup {
public:
    using RoutineGroup::RoutineGroup;

    void INX(int RoutineMode);
    void DCX(int RoutineMode);
    void DAD(int RoutineMode);

    // The cores. Pair names are "B", "D", "H" and "P" (the stack pointer);
    // any other name does nothing. direction 0 increments, 1 decrements; no
    // flag changes.
    void INXorDCX(int direction, std::string_view pairName);
    // H,L := H,L + pair; sets AC (carry out of bit 7) and CY (out of bit 15) only.
    void DADbackbone(std::string_view pairName);

private:
    // "00" + pair bits + low, or an error for an operand other than B, D, H, SP.
    void AssemblePair(std::string_view low);
    // The pair's 16-character BitString, high byte first; false for an unknown name.
    bool PairBits(std::string_view pairName, char (&bits)[16], std::size_t& length);
    void WritePair(std::string_view pairName, const char (&result)[16]);
};

}  // namespace korvanta
