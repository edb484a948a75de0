#pragma once

// Jumps, calls and returns, with jump-tag operands and the single return slot.

#include "isa/routine_group.h"

namespace korvanta {

class Branch : public RoutineGroup {
public:
    using RoutineGroup::RoutineGroup;

    void JMP(int RoutineMode);
    void JNZ(int RoutineMode);
    void JZ(int RoutineMode);
    void JNC(int RoutineMode);
    void JC(int RoutineMode);
    void JPO(int RoutineMode);
    void JPE(int RoutineMode);
    void JP(int RoutineMode);
    void JM(int RoutineMode);
    void CALL1(int RoutineMode);
    void CNZ(int RoutineMode);
    void CZ(int RoutineMode);
    void CNC(int RoutineMode);
    void CC(int RoutineMode);
    void CPO(int RoutineMode);
    void CPE(int RoutineMode);
    void CP(int RoutineMode);
    void CM(int RoutineMode);
    void RET(int RoutineMode);
    void RNZ(int RoutineMode);
    void RZ(int RoutineMode);
    void RNC(int RoutineMode);
    void RC(int RoutineMode);
    void RPO(int RoutineMode);
    void RPE(int RoutineMode);
    void RP(int RoutineMode);
    void RM(int RoutineMode);
    void RST(int RoutineMode);
    void PCHL(int RoutineMode);
};

}  // namespace korvanta
