#pragma once

// Register-pair arithmetic: INX, DCX and DAD over 16-character BitStrings.

#include "isa/routine_group.h"

namespace korvanta {

class Arithmetic16 : public RoutineGroup {
public:
    using RoutineGroup::RoutineGroup;

    void INX(int RoutineMode);
    void DCX(int RoutineMode);
    void DAD(int RoutineMode);
};

}  // namespace korvanta
