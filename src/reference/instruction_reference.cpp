#include "reference/instruction_reference.h"

namespace korvanta {

namespace {

struct ReferenceRow {
    const char* key;
    const char* action;
    const char* usage;
    const char* note;  // nullptr: no note
};

constexpr const char* kOmbrixOnly = "NOTE: This is a Ombrix Korvanta command only, not a CPU command.";

// Looked up in this order; the first equal key wins.
constexpr ReferenceRow kRows[] = {
    {"!!ORG", "ACTION: Sets memory where program will be compilied to.", "USAGE: !!ORG [16-bit memory locator]",
     kOmbrixOnly},
    {"NOP", "ACTION: No Operation", "USAGE: NOP", nullptr},
    {"MOV", "ACTION: Moves data", "USAGE: MOV (r1,r2 or r,M[HL] or M[HL],r}", nullptr},
    {"MVI", "ACTION: Places data in register.", "USAGE: MVI (r,n or M[HL],n)", nullptr},
    {"LXI", "ACTION: Moves data into register pair.", "USAGE: LXI rp, [16-bit data]", nullptr},
    {"LDA", "ACTION: Moves data into accumulator", "USAGE: LDA [16-bit memory locator]", nullptr},
    {"STA", "ACTION: Moves data out of accumulator to memory", "USAGE: STA [16-bit memory locator]", nullptr},
    {"LHLD", "ACTION: Moves data into HL register pair", "USAGE: LHLD [16-bit memory locator]", nullptr},
    {"SHDL", "ACTION: Moves data out of HL register pair", "USAGE: SHDL [16-bit memory locator]", nullptr},
    {"LDAX", "ACTION: Places data in memory in the accumulator",
     "USAGE: LDAX M[rp] (rp = BC,DE, rp specifies memory location)", nullptr},
    {"STAX", "ACTION: Moves data out of the accumulator into memory",
     "USAGE: STAX rp {rp = BC,DE, rp specifies memory location)", nullptr},
    {"XCHG", "ACTION: Switches data in registers DE with that of registers HL", "USAGE: XCHG", nullptr},
    {"PUSH", "ACTION: Places data in the stack", "USAGE: PUSH (rp or PSW)",
     "NOTE: Using \"PUSH PSW\" moves data from the accumulator and the flag register into the stack"},
    {"POP", "ACTION: Moves data out of the stack", "USAGE: POP (rp or PSW)",
     "NOTE: Using \"POP PSW\" moves data from the stack into the accumulator and the flag register"},
    {"XHTL", "ACTION: Switches data in the stack and the register pair HL", "USAGE: XHTL", nullptr},
    {"SPHL", "ACTION: Sets the stack pointer equal to the register pair HL", "USAGE: SPHL", nullptr},
    {"ADD", "ACTION: Adds data to the accumulator", "USAGE: ADD (r or M[HL])", nullptr},
    {"ADI", "ACTION: Adds a register value to a preset number", "USAGE: ADI n", nullptr},
    {"ADC", "ACTION: Adds the accumulator, the carry point, and specified data.", "USAGE: ADC (r or M[HL])",
     nullptr},
    {"ACI", "ACTION: Adds the accumulator, the carry point, and preset data", "USAGE: ACI n", nullptr},
    {"SUB", "ACTION: Subtracts data to the accumulator", "USAGE: SUB (r or M[HL])", nullptr},
    {"SUI", "ACTION: Subtracts a register value to a preset number", "USAGE: SUI n", nullptr},
    {"SBB", "ACTION: Subtracts the accumulator, the carry point, and specified data.", "USAGE: SBB (r or M[HL])",
     nullptr},
    {"SBI", "ACTION: Subtracts the accumulator, the carry point, and preset data", "USAGE: SBI n", nullptr},
    {"INR", "ACTION: Increments a register or memory by one", "USAGE: INR (r or M[HL])", nullptr},
    {"DCR", "ACTION: Decrements a register or memory by one", "USAGE: DCR (r or M[HL])", nullptr},
    {"INX", "ACTION: Increments a register pair by one", "USAGE: INX rp", nullptr},
    {"DCX", "ACTION: Decrements a register pair by one", "USAGE: DCX rp", nullptr},
    {"DAD", "ACTION: Adds the value of HL to the specified register pair", "USAGE: DAD rp", nullptr},
    {"ANA", "ACTION: Preforms the operation \"A and r\".", "USAGE: ANA (r or M[HL})", nullptr},
    {"ANI", "ACTION: Preforms the operation \"A and n\".", "USAGE: ANI n", nullptr},
    {"ORA", "ACTION: Preforms the operation \"A or r\".", "USAGE: ORA (r or M[HL})", nullptr},
    {"ORI", "ACTION: Preforms the operation \"A or n\".", "USAGE: ORI n", nullptr},
    {"XRA", "ACTION: Preforms the operation \"A xor r\".", "USAGE: XRA (r or M[HL})", nullptr},
    {"XRI", "ACTION: Preforms the operation \"A xor n\".", "USAGE: XRI n", nullptr},
    {"CMP", "ACTION: Compares (subtracts) two numbers", "USAGE: CMP (r or M[HL])", nullptr},
    {"CPI", "ACTION: Compares (subtracts) two numbers", "USAGE: CPI n", nullptr},
    {"RLC", "ACTION: Moves data in the accumulator to the left one bite (extra bite becomes Carry Point)",
     "USAGE: RLC", nullptr},
    {"CMA", "ACTION: Inverts the accumulator", "USAGE: CMA", nullptr},
    {"CMC", "ACTION: Inverts the carry point", "USAGE: CMC", nullptr},
    {"STC", "ACTION: Sets the carry point to one (1)", "USAGE: STC", nullptr},
    {"JMP", "ACTION: GOTO", "USAGE: JMP [16-bit memory locator]", nullptr},
    {"J[COND]", "ACTION: GOTO on condition", "USAGE: J[NZ/Z/P/N/PO/PE/NC/C] [16-bit memory locator]", nullptr},
    {"PCHL", "ACTION: GOTO address in HL", "USAGE: PCHL", nullptr},
    {"CALL", "ACTION: Call subroutine at location", "USAGE: Call [16-bit memory locator]", nullptr},
    {"C[COND]", "ACTION: Call subroutine at location on condition",
     "USAGE: C[NZ/Z/P/N/PO/PE/NC/C] [16-bit memory locator]", nullptr},
    {"RET", "ACTION: Return from subroutine", "USAGE: RET", nullptr},
    {"R[COND]", "ACTION: Return from subroutine on condition",
     "USAGE: R[NZ/Z/P/N/PO/PE/NC/C] [16-bit memory locator]", nullptr},
    {"RST", "ACTION: Call subrutine at 8*n", "USAGE: RSTn (n = 5.5,6.5,7.5)", nullptr},
    {"HLT", "ACTION: Halt the CPU (requried)", "USAGE: HLT", nullptr},
    {"!![data]", "ACTION: None (Denotes a comment)", "USAGE: !![data]", kOmbrixOnly},
};

}  // namespace

const std::vector<std::string>& ReferenceKeys()
{
    static const std::vector<std::string> keys = {
        "NOP",  "MOV",  "MVI",     "LXI", "LDA",  "!!ORG",   "STA", "LHLD",    "SHDL", "LDAX", "STAX",
        "XCHG", "PUSH", "POP",     "XHTL", "SPHL", "ADD",    "ADI", "ADC",     "ACI",  "SUB",  "SUI",
        "SBB",  "SBI",  "INR",     "DCR", "INX",  "DCX",     "DAD", "ANA",     "ANI",  "ORA",  "ORI",
        "XRA",  "XRI",  "CMP",     "CPI", "RLC",  "RRC",     "RAL", "CMA",     "CMC",  "STC",  "JMP",
        "J[COND]", "PCHL", "CALL", "C[COND]", "RET", "R[COND]", "RST", "HLT", "!![data]"};
    return keys;
}

std::optional<std::string> ReferenceHelpText(std::string_view key)
{
    for (const auto& row : kRows) {
        if (key != row.key) continue;
        std::string text = row.action;
        text += "\r\n\r\n";
        text += row.usage;
        if (row.note) {
            text += "\r\n\r\n";
            text += row.note;
        }
        return text;
    }
    return std::nullopt;
}

}  // namespace korvanta
