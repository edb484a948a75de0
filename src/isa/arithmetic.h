#pragma once

// 8-bit arithmetic instructions; they decode their operand and call the digit-serial cores.

#include "isa/routine_group.h"

namespace korvanta {

class Arithmetic : public RoutineGroup {
public:
    using RoutineGroup::RoutineGroup;

    void ADD(int RoutineMode);
    void ADC(int RoutineMode);
    void ADI(int RoutineMode);
    void ACI(int RoutineMode);
    void SUB1(int RoutineMode);
    void SBB(int RoutineMode);
    void SUI(int RoutineMode);
    void SBI(int RoutineMode);
    void INR(int RoutineMode);
    void DCR(int RoutineMode);
};

}  // namespace korvanta
