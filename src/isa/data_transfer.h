#pragma once

// Data transfer: copies bytes between registers, memory and immediates without touching the flags. In execute mode these leave LocationIndex on the instruction's last byte.

#include <string>
#include <string_view>

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

private:
    // Loads the register named by letter with the byte at H,L; other letters do nothing.
    void MOVm(std::string_view letter);

    // Turns an opcode BitString into its HexByte one nibble at a time and emits it.
    void EmitNibbles(std::string_view bits);
    // Operand bytes that follow the opcode must lie inside the window; when
    // they do not, the address is reported as out of range and false returned.
    bool OperandRowsExist(int count);
    // The row of the address at H,L (or any high,low pair), or 0 after ConvertMEMtoINDEX failed.
    int RowOfPair(const std::string& high, const std::string& low);
    // Reads the two operand bytes, leaving LocationIndex on the high one; false when OperandRowsExist(2) is not.
    bool ReadOperandWord(std::string& low, std::string& high);
    // LDA, STA, LHLD, SHLD: reads the two address bytes, leaving LocationIndex
    // on the high one, and returns the row, or 0 on failure.
    int DirectAddressRow();
    // LHLD, SHLD: as DirectAddressRow, and the row after it is in the window (else reported, 0).
    int DirectWordRow();
    void AssembleDirect(std::string_view opcode, bool opcodeFirst);
    // The letter of the register code at position in CurrentOpcode (also left in ConvertedValue), or "".
    std::string RegisterLetterAt(std::size_t position);
    // LDAX, STAX: the operand is B or D.
    void AssembleBD(std::string_view bOpcode, std::string_view dOpcode);
    // LDAX, STAX: the row of the address in B,C or D,E, or 0.
    int RowOfBD();
};

}  // namespace korvanta
