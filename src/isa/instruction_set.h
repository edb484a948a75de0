#pragma once

// The instruction routines. Each routine both assembles its instruction
// (RoutineMode 2: emit bytes for SourceLine at LocationIndex) and executes it
// (RoutineMode 1: carry out the opcode CurrentOpcode at LocationIndex); any
// other mode does nothing.

#include <cstdint>
#include <memory>
#include <string_view>

namespace korvanta {

class Machine;

inline constexpr int kExecute = 1;
inline constexpr int kAssemble = 2;

// One entry per routine, named as the routines are.
enum class Routine : std::uint8_t {
    MOV, MVI, LXI, LDA, STA, LHLD, SHLD, LDAX, STAX, XCHG,
    ADD, ADC, ADI, ACI, SUB1, SBB, SUI, SBI, INR, DCR,
    INX, DCX, DAD,
    DAA, ANA, XRA, ORA, CMP, ANI, XRI, ORI, CPI, RLC, RRC, RAL, RAR, CMA, CMC, STC,
    JMP, JNZ, JZ, JNC, JC, JPO, JPE, JP, JM,
    CALL1, CNZ, CZ, CNC, CC, CPO, CPE, CP, CM,
    RET, RNZ, RZ, RNC, RC, RPO, RPE, RP, RM,
    RST, PCHL,
    PUSH, POP, XTHL, SPHL,
    NOP, HLT, EI, DI, RIM, SIM, IN1, OUT,
    Count
};

inline constexpr int kRoutineCount = static_cast<int>(Routine::Count);

// The routine's name ("MOV", "SUB1", "CALL1", ...).
const char* RoutineName(Routine routine);

class InstructionSet {
public:
    explicit InstructionSet(Machine& m);
    ~InstructionSet();
    InstructionSet(const InstructionSet&) = delete;
    InstructionSet& operator=(const InstructionSet&) = delete;

    // Calls the routine with RoutineMode.
    void Call(Routine routine, int RoutineMode);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace korvanta
