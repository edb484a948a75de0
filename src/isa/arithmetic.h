#pragma once

// 8-bit arithmetic instructions; they decode their operand and call the digit-serial cores.

#include <string_view>

#include "isa/alu8.h"
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

private:
    enum class Core { AddStuff, SubStuff };
    // ADD, ADC, SUB, SBB (prefix + sss) and INR, DCR ("00" + ddd + suffix).
    void RegisterForm(int RoutineMode, std::string_view prefix, std::string_view suffix,
                      std::string_view mOpcode, Core core, int stepMode, int withCarry);
    void ImmediateForm(int RoutineMode, std::string_view opcode, Core core, int withCarry);

    Alu8 alu_{m_};
};

}  // namespace korvanta
