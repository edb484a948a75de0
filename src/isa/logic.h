#pragma once

// Logic, rotate and carry instructions. The logical ones and DAA are assembled but skipped when run.

#include "isa/routine_group.h"

namespace korvanta {

class Logic : public RoutineGroup {
public:
    using RoutineGroup::RoutineGroup;

    void DAA(int RoutineMode);
    void ANA(int RoutineMode);
    void XRA(int RoutineMode);
    void ORA(int RoutineMode);
    void CMP(int RoutineMode);
    void ANI(int RoutineMode);
    void XRI(int RoutineMode);
    void ORI(int RoutineMode);
    void CPI(int RoutineMode);
    void RLC(int RoutineMode);
    void RRC(int RoutineMode);
    void RAL(int RoutineMode);
    void RAR(int RoutineMode);
    void CMA(int RoutineMode);
    void CMC(int RoutineMode);
    void STC(int RoutineMode);
};

}  // namespace korvanta
