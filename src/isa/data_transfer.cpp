#include "isa/data_transfer.h"

#include <charconv>

#include "isa/alu8.h"
#include "isa/instruction_set.h"
#include "machine/machine.h"

namespace korvanta {

namespace {

using digits::Mid;
using digits::TrimBlanks;

int RowFromConvertedValue(const std::string& text)
{
    int row = 0;
    std::from_chars(text.data(), text.data() + text.size(), row);
    return row;
}

// A register letter's code, copied out of ConvertedValue.
struct Code {
    char c[3] = {'?', '?', '?'};
    std::string_view view() const { return {c, 3}; }
};

}  // namespace

void DataTransfer::EmitNibbles(std::string_view bits)
{
    char hex[2];
    m_.conv.ConvertToHex(bits.substr(0, 4));
    hex[0] = m_.ConvertedValue.empty() ? '?' : m_.ConvertedValue[0];
    m_.conv.ConvertToHex(bits.substr(4, 4));
    hex[1] = m_.ConvertedValue.empty() ? '?' : m_.ConvertedValue[0];
    m_.host.yield();
    Emit(std::string_view(hex, 2));
}

bool DataTransfer::OperandRowsExist(int count)
{
    if (m_.window.hasRow(m_.LocationIndex + count)) return true;
    m_.memory.ReportOutOfRange();
    return false;
}

int DataTransfer::RowOfPair(const std::string& high, const std::string& low)
{
    m_.memory.ConvertMEMtoINDEX(high + low);
    if (m_.ErrorFlag == kTrue) return 0;
    return RowFromConvertedValue(m_.ConvertedValue);
}

bool DataTransfer::ReadOperandWord(std::string& low, std::string& high)
{
    if (!OperandRowsExist(2)) return false;
    ++m_.LocationIndex;
    low = m_.memory.ReadMemory(m_.LocationIndex);
    ++m_.LocationIndex;
    high = m_.memory.ReadMemory(m_.LocationIndex);
    return true;
}

int DataTransfer::DirectAddressRow()
{
    std::string low, high;
    return ReadOperandWord(low, high) ? RowOfPair(high, low) : 0;
}

int DataTransfer::DirectWordRow()
{
    const int row = DirectAddressRow();
    if (row == 0) return 0;
    // At the window's last address the high byte would lie past it.
    if (!m_.window.hasRow(row + 1)) {
        m_.memory.ReportOutOfRange();
        return 0;
    }
    return row;
}

std::string DataTransfer::RegisterLetterAt(std::size_t position)
{
    m_.ConvertedValue.clear();
    m_.cpu.ReturnFromRegisterCodes(Mid(m_.CurrentOpcode, position, 3));
    return m_.ConvertedValue;
}

void DataTransfer::AssembleBD(std::string_view bOpcode, std::string_view dOpcode)
{
    const std::string_view pair = LastChars(1);
    if (pair == "B") EmitOpcode(bOpcode, true);
    else if (pair == "D") EmitOpcode(dOpcode, true);
    else m_.ErrorFlag = kTrue;
}

int DataTransfer::RowOfBD()
{
    const std::string_view pair = Mid(m_.CurrentOpcode, 3, 2);
    if (pair == "00") return RowOfPair(m_.cpu.RegisterB.text(), m_.cpu.RegisterC.text());
    if (pair == "01") return RowOfPair(m_.cpu.RegisterD.text(), m_.cpu.RegisterE.text());
    return 0;
}

void DataTransfer::AssembleDirect(std::string_view opcode, bool opcodeFirst)
{
    // The operand is the line's last four characters, whatever precedes them.
    if (opcodeFirst) EmitOpcode(opcode, true);
    const std::string_view operand = LastChars(4);
    if (operand.size() != 4) {
        m_.ErrorFlag = kTrue;
        return;
    }
    if (!opcodeFirst) EmitOpcode(opcode, true);
    Emit(operand.substr(2, 2));
    Emit(operand.substr(0, 2));
}

void DataTransfer::MOVm(std::string_view letter)
{
    TextField* field = m_.cpu.registerField(letter);
    if (field == nullptr) return;
    const int row = RowOfPair(m_.cpu.RegisterH.text(), m_.cpu.RegisterL.text());
    if (row == 0) return;
    field->setText(m_.memory.ReadMemory(row));
}

void DataTransfer::MOV(int RoutineMode)
{
    if (RoutineMode == kAssemble) {
        const std::string_view line = m_.SourceLine;
        const std::string_view destination = Mid(line, 5, 1);
        const std::string_view source = TrimBlanks(Mid(line, 7, 3));
        const bool sourceIsRegister = m_.cpu.registerField(source) != nullptr;
        char bits[8] = {'0', '1'};
        if (destination == "M") {
            if (!sourceIsRegister) {
                m_.ErrorFlag = kTrue;
                return;
            }
            m_.cpu.GotoRegisterCodes(source);
            bits[2] = '1', bits[3] = '1', bits[4] = '0';
            m_.ConvertedValue.copy(bits + 5, 3);
        } else if (m_.cpu.registerField(destination) != nullptr) {
            if (source != "M" && !sourceIsRegister) {
                m_.ErrorFlag = kTrue;
                return;
            }
            m_.cpu.GotoRegisterCodes(destination);
            m_.ConvertedValue.copy(bits + 2, 3);
            if (source == "M") {
                bits[5] = '1', bits[6] = '1', bits[7] = '0';
            } else {
                m_.cpu.GotoRegisterCodes(source);
                m_.ConvertedValue.copy(bits + 5, 3);
            }
        } else {
            m_.ErrorFlag = kTrue;
            return;
        }
        EmitNibbles(std::string_view(bits, 8));
        return;
    }
    if (RoutineMode != kExecute) return;

    const std::string destination = RegisterLetterAt(3);
    const std::string source = RegisterLetterAt(6);

    TextField* to = m_.cpu.registerField(destination);
    TextField* from = m_.cpu.registerField(source);
    if (source == "M" && to != nullptr) {
        MOVm(destination);
    } else if (destination == "M" && from != nullptr) {
        const int row = RowOfPair(m_.cpu.RegisterH.text(), m_.cpu.RegisterL.text());
        if (row != 0) m_.memory.EnterintoMEMory(row, from->text());
    } else if (to != nullptr && from != nullptr && to != from) {
        to->setText(from->text());
    } else {
        // MOV r,r with the same register on both sides has no transfer to make.
        m_.ErrorFlag = kTrue;
    }
}

void DataTransfer::MVI(int RoutineMode)
{
    if (RoutineMode == kAssemble) {
        const std::string_view line = m_.SourceLine;
        const std::string_view destination = Mid(line, 5, 1);
        if (destination == "M") {
            EmitNibbles("00110110");
        } else if (m_.cpu.registerField(destination) != nullptr) {
            m_.cpu.GotoRegisterCodes(destination);
            char bits[8] = {'0', '0', '?', '?', '?', '1', '1', '0'};
            m_.ConvertedValue.copy(bits + 2, 3);
            EmitNibbles(std::string_view(bits, 8));
        } else {
            m_.ErrorFlag = kTrue;
            return;
        }
        // Judged only after the opcode is in memory; a bad immediate leaves it there.
        const std::string_view immediate = TrimBlanks(Mid(line, 7, 4));
        if (immediate.size() != 2) {
            m_.ErrorFlag = kTrue;
            return;
        }
        Emit(immediate);
        return;
    }
    if (RoutineMode != kExecute) return;

    if (!OperandRowsExist(1)) return;
    const std::string destination = RegisterLetterAt(3);
    ++m_.LocationIndex;
    const std::string immediate = m_.memory.ReadMemory(m_.LocationIndex);
    if (TextField* field = m_.cpu.registerField(destination)) {
        field->setText(immediate);
    } else if (destination == "M") {
        const int row = RowOfPair(m_.cpu.RegisterH.text(), m_.cpu.RegisterL.text());
        if (row != 0) m_.memory.EnterintoMEMory(row, immediate);
    }
}

void DataTransfer::LXI(int RoutineMode)
{
    if (RoutineMode == kAssemble) {
        const std::string_view line = m_.SourceLine;
        const std::string_view pair = TrimBlanks(Mid(line, 5, 1));
        std::string_view high;
        std::string_view operand;
        if (pair == "B") high = "0000";
        else if (pair == "D") high = "0001";
        else if (pair == "H") high = "0010";
        else if (pair == "S" && Mid(line, 5, 2) == "SP") high = "0011";
        else {
            m_.ErrorFlag = kTrue;
            return;
        }
        operand = TrimBlanks(high == "0011" ? Mid(line, 8, 8) : Mid(line, 7, 8));
        char bits[8] = {high[0], high[1], high[2], high[3], '0', '0', '0', '1'};
        EmitNibbles(std::string_view(bits, 8));
        if (operand.size() != 4) {
            m_.ErrorFlag = kTrue;
            return;
        }
        Emit(operand.substr(2, 2));
        Emit(operand.substr(0, 2));
        return;
    }
    if (RoutineMode != kExecute) return;

    std::string low, high;
    if (!ReadOperandWord(low, high)) return;
    const std::string_view code = Mid(m_.CurrentOpcode, 3, 3);
    TextField* highField = nullptr;
    TextField* lowField = nullptr;
    if (code == "000") highField = &m_.cpu.RegisterB, lowField = &m_.cpu.RegisterC;
    else if (code == "010") highField = &m_.cpu.RegisterD, lowField = &m_.cpu.RegisterE;
    else if (code == "100") highField = &m_.cpu.RegisterH, lowField = &m_.cpu.RegisterL;
    else if (code == "110") m_.cpu.SP.setText(high + low);
    if (highField != nullptr) {
        highField->setText(high);
        lowField->setText(low);
    }
}

void DataTransfer::LDA(int RoutineMode)
{
    if (RoutineMode == kAssemble) {
        AssembleDirect("00111010", false);
        return;
    }
    if (RoutineMode != kExecute) return;
    const int row = DirectAddressRow();
    if (row == 0) return;
    m_.cpu.RegisterA.setText(m_.memory.ReadMemory(row));
}

void DataTransfer::STA(int RoutineMode)
{
    if (RoutineMode == kAssemble) {
        AssembleDirect("00110010", false);
        return;
    }
    if (RoutineMode != kExecute) return;
    const int row = DirectAddressRow();
    if (row == 0) return;
    m_.memory.EnterintoMEMory(row, m_.cpu.RegisterA.text());
}

void DataTransfer::LHLD(int RoutineMode)
{
    if (RoutineMode == kAssemble) {
        AssembleDirect("00101010", true);
        return;
    }
    if (RoutineMode != kExecute) return;
    const int row = DirectWordRow();
    if (row == 0) return;
    const std::string low = m_.memory.ReadMemory(row);
    const std::string high = m_.memory.ReadMemory(row + 1);
    m_.cpu.RegisterL.setText(low);
    m_.cpu.RegisterH.setText(high);
}

void DataTransfer::SHLD(int RoutineMode)
{
    if (RoutineMode == kAssemble) {
        AssembleDirect("00100010", true);
        return;
    }
    if (RoutineMode != kExecute) return;
    const int row = DirectWordRow();
    if (row == 0) return;
    m_.memory.EnterintoMEMory(row, m_.cpu.RegisterL.text());
    m_.memory.EnterintoMEMory(row + 1, m_.cpu.RegisterH.text());
}

void DataTransfer::LDAX(int RoutineMode)
{
    if (RoutineMode == kAssemble) {
        AssembleBD("00001010", "00011010");
        return;
    }
    if (RoutineMode != kExecute) return;
    const int row = RowOfBD();
    if (row == 0) return;
    m_.cpu.RegisterA.setText(m_.memory.ReadMemory(row));
}

void DataTransfer::STAX(int RoutineMode)
{
    if (RoutineMode == kAssemble) {
        AssembleBD("00000010", "00010010");
        return;
    }
    if (RoutineMode != kExecute) return;
    const int row = RowOfBD();
    if (row == 0) return;
    m_.memory.EnterintoMEMory(row, m_.cpu.RegisterA.text());
}

void DataTransfer::XCHG(int RoutineMode)
{
    if (RoutineMode == kAssemble) {
        EmitOpcode("11101011", true);
        return;
    }
    if (RoutineMode != kExecute) return;
    const std::string oldD = m_.cpu.RegisterD.text();
    const std::string oldE = m_.cpu.RegisterE.text();
    m_.cpu.RegisterD.setText(m_.cpu.RegisterH.text());
    m_.cpu.RegisterE.setText(m_.cpu.RegisterL.text());
    m_.cpu.RegisterH.setText(oldD);
    m_.cpu.RegisterL.setText(oldE);
}

}  // namespace korvanta
