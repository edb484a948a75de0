#pragma once

// NOP, HLT and the interrupt, serial and port instructions, which are assembled and then skipped with a log line.

#include "isa/routine_group.h"

namespace korvanta {

class MachineControl : public RoutineGroup {
public:
    using RoutineGroup::RoutineGroup;

    void NOP(int RoutineMode);
    void HLT(int RoutineMode);
    void EI(int RoutineMode);
    void DI(int RoutineMode);
    void RIM(int RoutineMode);
    void SIM(int RoutineMode);
    void IN1(int RoutineMode);
    void OUT(int RoutineMode);
};

}  // namespace korvanta
