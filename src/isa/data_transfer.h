#pragma once

// Data transfer: copies bytes between registers, memory and immediates without touching the flags. In execute mode these leave LocationIndex on the instruction's last byte.

#include "isa/routine_group.h"

namespace korvanta {

class DataTransfer : public RoutineGroup {
public:
    using RoutineGroup::RoutineGroup;

    void MOV(int RoutineMode);
    void MVI(int RoutineMode);
    void LXI(int RoutineMode);
    void LDA(int RoutineMode);
    void STA(int RoutineMode);
    void LHLD(int RoutineMode);
    void SHLD(int RoutineMode);
    void LDAX(int RoutineMode);
    void STAX(int RoutineMode);
    void XCHG(int RoutineMode);
};

}  // namespace korvanta
