#include "engine/decode_table.h"

#include <string>
#include <unordered_map>

namespace korvanta {

namespace {

using R = Routine;

constexpr std::array<DecodeRow, kDecodeRows> kRows{{
    {1, "01110110", "HLT", R::HLT, true, false},
    {2, "00???110", "MVI", R::MVI, false, true},
    {3, "00??0001", "LXI", R::LXI, false, true},
    {4, "00000010", "STAX B", R::STAX, false, true},
    {5, "00010010", "STAX D", R::STAX, false, true},
    {6, "00001010", "LDAX B", R::LDAX, false, true},
    {7, "00011010", "LDAX D", R::LDAX, false, true},
    {8, "00110010", "STA", R::STA, false, true},
    {9, "00111010", "LDA", R::LDA, false, true},
    {10, "00100010", "SHLD", R::SHLD, false, true},
    {11, "00101010", "LHLD", R::LHLD, false, true},
    {12, "11101011", "XCHG", R::XCHG, false, true},
    {13, "11000011", "JMP", R::JMP, false, false},
    {14, "11011010", "JC", R::JC, false, false},
    {15, "11010010", "JNC", R::JNC, false, false},
    {16, "11001010", "JZ", R::JZ, false, false},
    {17, "11000010", "JNZ", R::JNZ, false, false},
    {18, "11110010", "JP", R::JP, false, false},
    {19, "11111010", "JM", R::JM, false, false},
    {20, "11101010", "JPE", R::JPE, false, false},
    {21, "11100010", "JPO", R::JPO, false, false},
    {22, "11101001", "PCHL", R::PCHL, false, false},
    {23, "11001101", "CALL", R::CALL1, false, false},
    {24, "11011100", "CC", R::CC, false, false},
    {25, "11010100", "CNC", R::CNC, false, false},
    {26, "11001100", "CZ", R::CZ, false, false},
    {27, "11000100", "CNZ", R::CNZ, false, false},
    {28, "11110100", "CP", R::CP, false, false},
    {29, "11111100", "CM", R::CM, false, false},
    {30, "11101100", "CPE", R::CPE, false, false},
    {31, "11100100", "CPO", R::CPO, false, false},
    {32, "11001001", "RET", R::RET, false, false},
    {33, "11011000", "RC", R::RC, false, false},
    {34, "11010000", "RNC", R::RNC, false, false},
    {35, "11001000", "RZ", R::RZ, false, false},
    {36, "11000000", "RNZ", R::RNZ, false, false},
    {37, "11110000", "RP", R::RP, false, false},
    {38, "11111000", "RM", R::RM, false, false},
    {39, "11101000", "RPE", R::RPE, false, false},
    {40, "11100000", "RPO", R::RPO, false, false},
    {41, "11111011", "EI", R::EI, false, false},
    {42, "11110011", "DI", R::DI, false, false},
    {43, "00100000", "RIM", R::RIM, false, false},
    {44, "00110000", "SIM", R::SIM, false, false},
    {45, "00100111", "DAA", R::DAA, false, false},
    {46, "11011011", "IN", R::IN1, false, false},
    {47, "11010011", "OUT", R::OUT, false, false},
    {48, "00000000", "NOP", R::NOP, false, false},
    {49, "00101111", "CMA", R::CMA, false, false},
    {50, "00110111", "STC", R::STC, false, false},
    {51, "00111111", "CMC", R::CMC, false, false},
    {52, "00000111", "RLC", R::RLC, false, false},
    {53, "00001111", "RRC", R::RRC, false, false},
    {54, "00010111", "RAL", R::RAL, false, false},
    {55, "00011111", "RAR", R::RAR, false, false},
    {56, "11???111", "RST", R::RST, false, false},
    {57, "00???100", "INR", R::INR, false, false},
    {58, "00???101", "DCR", R::DCR, false, false},
    {59, "00??0011", "INX", R::INX, false, false},
    {60, "00??1011", "DCX", R::DCX, false, false},
    {61, "10000???", "ADD", R::ADD, false, false},
    {62, "10001???", "ADC", R::ADC, false, false},
    {63, "11000110", "ADI", R::ADI, false, false},
    {64, "11001110", "ACI", R::ACI, false, false},
    {65, "00??1001", "DAD", R::DAD, false, false},
    {66, "10010???", "SUB", R::SUB1, false, false},
    {67, "10011???", "SBB", R::SBB, false, false},
    {68, "11010110", "SUI", R::SUI, false, false},
    {69, "11011110", "SBI", R::SBI, false, false},
    {70, "11??0101", "PUSH", R::PUSH, false, false},
    {71, "11??0001", "POP", R::POP, false, false},
    {72, "11100011", "XTHL", R::XTHL, false, false},
    {73, "11111001", "SPHL", R::SPHL, false, false},
    {74, "10100???", "ANA", R::ANA, false, false},
    {75, "10101???", "XRA", R::XRA, false, false},
    {76, "10110???", "ORA", R::ORA, false, false},
    {77, "10111???", "CMP", R::CMP, false, false},
    {78, "11100110", "ANI", R::ANI, false, false},
    {79, "11101110", "XRI", R::XRI, false, false},
    {80, "11110110", "ORI", R::ORI, false, false},
    {81, "11111110", "CPI", R::CPI, false, false},
    {82, "01??????", "MOV", R::MOV, false, true},
}};

const DecodeRow* firstMatch(std::string_view bits)
{
    // Row 1 (HLT) is the executor's own test, made before this one.
    for (std::size_t i = 1; i < kRows.size(); ++i) {
        if (MatchesPattern(kRows[i].pattern, bits)) return &kRows[i];
    }
    return nullptr;
}

// Every BitString mapped to the row that the ordered scan would choose for it,
// so that a fetch costs one look-up instead of up to 81 pattern tests.
class Lookup {
public:
    Lookup()
    {
        std::string text = "00000000";
        map_.reserve(256);
        for (std::size_t k = 0; k < texts_.size(); ++k) {
            texts_[k] = text;
            map_.emplace(texts_[k], firstMatch(texts_[k]));
            // The next BitString: flip trailing "1"s to "0", then the "0" before them to "1".
            std::size_t i = text.size();
            while (i > 0 && text[i - 1] == '1') text[--i] = '0';
            if (i > 0) text[i - 1] = '1';
        }
    }

    // Whether the text is one of the 256 BitStrings, and if so its row.
    bool find(std::string_view bits, const DecodeRow*& row) const
    {
        auto it = map_.find(bits);
        if (it == map_.end()) return false;
        row = it->second;
        return true;
    }

private:
    std::array<std::string, 256> texts_;
    std::unordered_map<std::string_view, const DecodeRow*> map_;
};

}  // namespace

const std::array<DecodeRow, kDecodeRows>& DecodeRows()
{
    return kRows;
}

bool MatchesPattern(std::string_view pattern, std::string_view bits)
{
    if (bits.size() != pattern.size()) return false;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '?' && pattern[i] != bits[i]) return false;
    }
    return true;
}

const DecodeRow* DecodeOpcode(std::string_view bits)
{
    static const Lookup lookup;
    const DecodeRow* row = nullptr;
    if (lookup.find(bits, row)) return row;
    return firstMatch(bits);
}

}  // namespace korvanta
