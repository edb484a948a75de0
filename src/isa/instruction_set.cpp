#include "isa/instruction_set.h"

#include "isa/data_transfer.h"
#include "isa/arithmetic.h"
#include "isa/arithmetic16.h"
#include "isa/logic.h"
#include "isa/branch.h"
#include "isa/stack.h"
#include "isa/machine_control.h"
#include "machine/machine.h"

namespace korvanta {

struct InstructionSet::Impl {
    explicit Impl(Machine& m) : m(m) {}
    Machine& m;
    DataTransfer datatransfer{m};
    Arithmetic arithmetic{m};
    Arithmetic16 arithmetic16{m};
    Logic logic{m};
    Branch branch{m};
    Stack stack{m};
    MachineControl machinecontrol{m};
};

InstructionSet::InstructionSet(Machine& m) : impl_(std::make_unique<Impl>(m)) {}

InstructionSet::~InstructionSet() = default;

void InstructionSet::Call(Routine routine, int RoutineMode)
{
    switch (routine) {
    case Routine::MOV: impl_->datatransfer.MOV(RoutineMode); break;
    case Routine::MVI: impl_->datatransfer.MVI(RoutineMode); break;
    case Routine::LXI: impl_->datatransfer.LXI(RoutineMode); break;
    case Routine::LDA: impl_->datatransfer.LDA(RoutineMode); break;
    case Routine::STA: impl_->datatransfer.STA(RoutineMode); break;
    case Routine::LHLD: impl_->datatransfer.LHLD(RoutineMode); break;
    case Routine::SHLD: impl_->datatransfer.SHLD(RoutineMode); break;
    case Routine::LDAX: impl_->datatransfer.LDAX(RoutineMode); break;
    case Routine::STAX: impl_->datatransfer.STAX(RoutineMode); break;
    case Routine::XCHG: impl_->datatransfer.XCHG(RoutineMode); break;
    case Routine::ADD: impl_->arithmetic.ADD(RoutineMode); break;
    case Routine::ADC: impl_->arithmetic.ADC(RoutineMode); break;
    case Routine::ADI: impl_->arithmetic.ADI(RoutineMode); break;
    case Routine::ACI: impl_->arithmetic.ACI(RoutineMode); break;
    case Routine::SUB1: impl_->arithmetic.SUB1(RoutineMode); break;
    case Routine::SBB: impl_->arithmetic.SBB(RoutineMode); break;
    case Routine::SUI: impl_->arithmetic.SUI(RoutineMode); break;
    case Routine::SBI: impl_->arithmetic.SBI(RoutineMode); break;
    case Routine::INR: impl_->arithmetic.INR(RoutineMode); break;
    case Routine::DCR: impl_->arithmetic.DCR(RoutineMode); break;
    case Routine::INX: impl_->arithmetic16.INX(RoutineMode); break;
    case Routine::DCX: impl_->arithmetic16.DCX(RoutineMode); break;
    case Routine::DAD: impl_->arithmetic16.DAD(RoutineMode); break;
    case Routine::DAA: impl_->logic.DAA(RoutineMode); break;
    case Routine::ANA: impl_->logic.ANA(RoutineMode); break;
    case Routine::XRA: impl_->logic.XRA(RoutineMode); break;
    case Routine::ORA: impl_->logic.ORA(RoutineMode); break;
    case Routine::CMP: impl_->logic.CMP(RoutineMode); break;
    case Routine::ANI: impl_->logic.ANI(RoutineMode); break;
    case Routine::XRI: impl_->logic.XRI(RoutineMode); break;
    case Routine::ORI: impl_->logic.ORI(RoutineMode); break;
    case Routine::CPI: impl_->logic.CPI(RoutineMode); break;
    case Routine::RLC: impl_->logic.RLC(RoutineMode); break;
    case Routine::RRC: impl_->logic.RRC(RoutineMode); break;
    case Routine::RAL: impl_->logic.RAL(RoutineMode); break;
    case Routine::RAR: impl_->logic.RAR(RoutineMode); break;
    case Routine::CMA: impl_->logic.CMA(RoutineMode); break;
    case Routine::CMC: impl_->logic.CMC(RoutineMode); break;
    case Routine::STC: impl_->logic.STC(RoutineMode); break;
    case Routine::JMP: impl_->branch.JMP(RoutineMode); break;
    case Routine::JNZ: impl_->branch.JNZ(RoutineMode); break;
    case Routine::JZ: impl_->branch.JZ(RoutineMode); break;
    case Routine::JNC: impl_->branch.JNC(RoutineMode); break;
    case Routine::JC: impl_->branch.JC(RoutineMode); break;
    case Routine::JPO: impl_->branch.JPO(RoutineMode); break;
    case Routine::JPE: impl_->branch.JPE(RoutineMode); break;
    case Routine::JP: impl_->branch.JP(RoutineMode); break;
    case Routine::JM: impl_->branch.JM(RoutineMode); break;
    case Routine::CALL1: impl_->branch.CALL1(RoutineMode); break;
    case Routine::CNZ: impl_->branch.CNZ(RoutineMode); break;
    case Routine::CZ: impl_->branch.CZ(RoutineMode); break;
    case Routine::CNC: impl_->branch.CNC(RoutineMode); break;
    case Routine::CC: impl_->branch.CC(RoutineMode); break;
    case Routine::CPO: impl_->branch.CPO(RoutineMode); break;
    case Routine::CPE: impl_->branch.CPE(RoutineMode); break;
    case Routine::CP: impl_->branch.CP(RoutineMode); break;
    case Routine::CM: impl_->branch.CM(RoutineMode); break;
    case Routine::RET: impl_->branch.RET(RoutineMode); break;
    case Routine::RNZ: impl_->branch.RNZ(RoutineMode); break;
    case Routine::RZ: impl_->branch.RZ(RoutineMode); break;
    case Routine::RNC: impl_->branch.RNC(RoutineMode); break;
    case Routine::RC: impl_->branch.RC(RoutineMode); break;
    case Routine::RPO: impl_->branch.RPO(RoutineMode); break;
    case Routine::RPE: impl_->branch.RPE(RoutineMode); break;
    case Routine::RP: impl_->branch.RP(RoutineMode); break;
    case Routine::RM: impl_->branch.RM(RoutineMode); break;
    case Routine::RST: impl_->branch.RST(RoutineMode); break;
    case Routine::PCHL: impl_->branch.PCHL(RoutineMode); break;
    case Routine::PUSH: impl_->stack.PUSH(RoutineMode); break;
    case Routine::POP: impl_->stack.POP(RoutineMode); break;
    case Routine::XTHL: impl_->stack.XTHL(RoutineMode); break;
    case Routine::SPHL: impl_->stack.SPHL(RoutineMode); break;
    case Routine::NOP: impl_->machinecontrol.NOP(RoutineMode); break;
    case Routine::HLT: impl_->machinecontrol.HLT(RoutineMode); break;
    case Routine::EI: impl_->machinecontrol.EI(RoutineMode); break;
    case Routine::DI: impl_->machinecontrol.DI(RoutineMode); break;
    case Routine::RIM: impl_->machinecontrol.RIM(RoutineMode); break;
    case Routine::SIM: impl_->machinecontrol.SIM(RoutineMode); break;
    case Routine::IN1: impl_->machinecontrol.IN1(RoutineMode); break;
    case Routine::OUT: impl_->machinecontrol.OUT(RoutineMode); break;
    case Routine::Count: break;
    }
}

const char* RoutineName(Routine routine)
{
    static constexpr const char* kNames[] = {"MOV", "MVI", "LXI", "LDA", "STA", "LHLD", "SHLD", "LDAX", "STAX", "XCHG", "ADD", "ADC", "ADI", "ACI", "SUB1", "SBB", "SUI", "SBI", "INR", "DCR", "INX", "DCX", "DAD", "DAA", "ANA", "XRA", "ORA", "CMP", "ANI", "XRI", "ORI", "CPI", "RLC", "RRC", "RAL", "RAR", "CMA", "CMC", "STC", "JMP", "JNZ", "JZ", "JNC", "JC", "JPO", "JPE", "JP", "JM", "CALL1", "CNZ", "CZ", "CNC", "CC", "CPO", "CPE", "CP", "CM", "RET", "RNZ", "RZ", "RNC", "RC", "RPO", "RPE", "RP", "RM", "RST", "PCHL", "PUSH", "POP", "XTHL", "SPHL", "NOP", "HLT", "EI", "DI", "RIM", "SIM", "IN1", "OUT"};
    static_assert(sizeof(kNames) / sizeof(kNames[0]) == kRoutineCount);
    int index = static_cast<int>(routine);
    return index >= 0 && index < kRoutineCount ? kNames[index] : "";
}

}  // namespace korvanta
