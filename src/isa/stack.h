#pragma once

// The stack instructions, which move register pairs through the stack rows.

#include "isa/routine_group.h"

namespace korvanta {

class Stack : public RoutineGroup {
public:
    using RoutineGroup::RoutineGroup;

    void PUSH(int RoutineMode);
    void POP(int RoutineMode);
    void XTHL(int RoutineMode);
    void SPHL(int RoutineMode);
};

}  // namespace korvanta
