// The opcode table against the 8085 opcode map written out by hand, and the
// disassembler's text.

#include <set>

#include "cpu_fixture.h"

namespace korvanta::cpu::testing {
namespace {

// Row n holds opcodes n0 to nF. Undocumented opcodes count as one byte of 4 T-states.
constexpr int kLength[16][16] = {
    {1, 3, 1, 1, 1, 1, 2, 1, 1, 1, 1, 1, 1, 1, 2, 1}, {1, 3, 1, 1, 1, 1, 2, 1, 1, 1, 1, 1, 1, 1, 2, 1},
    {1, 3, 3, 1, 1, 1, 2, 1, 1, 1, 3, 1, 1, 1, 2, 1}, {1, 3, 3, 1, 1, 1, 2, 1, 1, 1, 3, 1, 1, 1, 2, 1},
    {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1},
    {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1},
    {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1},
    {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1},
    {1, 1, 3, 3, 3, 1, 2, 1, 1, 1, 3, 1, 3, 3, 2, 1}, {1, 1, 3, 2, 3, 1, 2, 1, 1, 1, 3, 2, 3, 1, 2, 1},
    {1, 1, 3, 1, 3, 1, 2, 1, 1, 1, 3, 1, 3, 1, 2, 1}, {1, 1, 3, 1, 3, 1, 2, 1, 1, 1, 3, 1, 3, 1, 2, 1},
};

// Conditional branches: the cost when not taken.
constexpr int kTStates[16][16] = {
    {4, 10, 7, 6, 4, 4, 7, 4, 4, 10, 7, 6, 4, 4, 7, 4},
    {4, 10, 7, 6, 4, 4, 7, 4, 4, 10, 7, 6, 4, 4, 7, 4},
    {4, 10, 16, 6, 4, 4, 7, 4, 4, 10, 16, 6, 4, 4, 7, 4},
    {4, 10, 13, 6, 10, 10, 10, 4, 4, 10, 13, 6, 4, 4, 7, 4},
    {4, 4, 4, 4, 4, 4, 7, 4, 4, 4, 4, 4, 4, 4, 7, 4},
    {4, 4, 4, 4, 4, 4, 7, 4, 4, 4, 4, 4, 4, 4, 7, 4},
    {4, 4, 4, 4, 4, 4, 7, 4, 4, 4, 4, 4, 4, 4, 7, 4},
    {7, 7, 7, 7, 7, 7, 5, 7, 4, 4, 4, 4, 4, 4, 7, 4},
    {4, 4, 4, 4, 4, 4, 7, 4, 4, 4, 4, 4, 4, 4, 7, 4},
    {4, 4, 4, 4, 4, 4, 7, 4, 4, 4, 4, 4, 4, 4, 7, 4},
    {4, 4, 4, 4, 4, 4, 7, 4, 4, 4, 4, 4, 4, 4, 7, 4},
    {4, 4, 4, 4, 4, 4, 7, 4, 4, 4, 4, 4, 4, 4, 7, 4},
    {6, 10, 7, 10, 9, 12, 7, 12, 6, 10, 7, 4, 9, 18, 7, 12},
    {6, 10, 7, 10, 9, 12, 7, 12, 6, 4, 7, 10, 9, 4, 7, 12},
    {6, 10, 7, 16, 9, 12, 7, 12, 6, 6, 7, 4, 9, 4, 7, 12},
    {6, 10, 7, 4, 9, 12, 7, 12, 6, 6, 7, 4, 9, 4, 7, 12},
};

TEST(OpcodeTable, LengthsAndTStatesOfAllRows)
{
    const std::set<int> undocumented = {0x08, 0x10, 0x18, 0x28, 0x38, 0xCB, 0xD9, 0xDD, 0xED, 0xFD};
    const std::set<int> returns = {0xC0, 0xC8, 0xD0, 0xD8, 0xE0, 0xE8, 0xF0, 0xF8};
    const std::set<int> jumps = {0xC2, 0xCA, 0xD2, 0xDA, 0xE2, 0xEA, 0xF2, 0xFA};
    const std::set<int> calls = {0xC4, 0xCC, 0xD4, 0xDC, 0xE4, 0xEC, 0xF4, 0xFC};
    const auto& rows = Opcodes();
    for (int op = 0; op < 256; ++op) {
        SCOPED_TRACE(op);
        const OpcodeInfo& row = rows[op];
        EXPECT_EQ(row.text == nullptr, undocumented.count(op) == 1);
        EXPECT_EQ(row.length, kLength[op >> 4][op & 15]);
        EXPECT_EQ(row.tStates, kTStates[op >> 4][op & 15]);
        const int taken = returns.count(op) ? 12 : jumps.count(op) ? 10 : calls.count(op) ? 18 : row.tStates;
        EXPECT_EQ(row.tStatesTaken, taken);
    }
}

TEST(OpcodeTable, TextsInTheProgramsSyntax)
{
    // "op text" rows separated by '|', and the flags each may write: every other row writes none.
    const std::string texts =
        "00 NOP|31 LXI SP,hhhh|36 MVI M,nn|0A LDAX B|12 STAX D|22 SHLD hhhh|39 DAD SP|07 RLC|37 STC|2F CMA|"
        "27 DAA|04 INR B|35 DCR M|20 RIM|30 SIM|76 HLT|77 MOV M,A|78 MOV A,B|86 ADD M|A7 ANA A|BE CMP M|"
        "C2 JNZ hhhh|E4 CPO hhhh|F8 RM|C1 POP B|F1 POP PSW|F5 PUSH PSW|DB IN nn|D3 OUT nn|DF RST 3|E3 XTHL|"
        "E6 ANI nn|FE CPI nn|FB EI";
    const std::set<int> allFive = {0x27, 0x86, 0xA7, 0xBE, 0xF1, 0xE6, 0xFE}, allButCarry = {0x04, 0x35},
                        carryOnly = {0x39, 0x07, 0x37};
    std::istringstream rows(texts);
    for (std::string row; std::getline(rows, row, '|');) {
        SCOPED_TRACE(row);
        const int op = std::stoi(row.substr(0, 2), nullptr, 16);
        ASSERT_NE(Opcodes()[op].text, nullptr);
        EXPECT_EQ(Opcodes()[op].text, row.substr(3));
        const int flags = allFive.count(op)       ? S | Z | AC | P | CY
                          : allButCarry.count(op) ? S | Z | AC | P
                          : carryOnly.count(op)   ? CY
                                                  : 0;
        EXPECT_EQ(Opcodes()[op].flagsWritten, flags);
    }

    // Upper case, one blank after the mnemonic, no blank after a comma, each text once.
    std::set<std::string> seen;
    for (const OpcodeInfo& row : Opcodes()) {
        if (!row.text) continue;
        const std::string text = row.text;
        SCOPED_TRACE(text);
        EXPECT_TRUE(seen.insert(text).second);
        EXPECT_EQ(text.find(", "), std::string::npos);
        EXPECT_LE(std::count(text.begin(), text.end(), ' '), 1);
        for (char ch : text.substr(0, text.find(' '))) EXPECT_TRUE(ch >= 'A' && ch <= 'Z');
    }
    EXPECT_EQ(seen.size(), 246u);
}

TEST(OpcodeTable, DisassembleFillsOperandsInHex)
{
    const struct {
        int op, low, high;
        const char* want;
    } cases[] = {
        {0x3E, 0x05, 0x00, "MVI A,05"}, {0xC3, 0x00, 0x01, "JMP 0100"}, {0x31, 0xBB, 0x0B, "LXI SP,0BBB"},
        {0xD3, 0x21, 0x00, "OUT 21"},   {0x3A, 0xCD, 0xAB, "LDA ABCD"}, {0xFE, 0xFF, 0x12, "CPI FF"},
        {0x77, 0x12, 0x34, "MOV M,A"},  {0xFF, 0x00, 0x00, "RST 7"},    {0xDB, 0x0A, 0x00, "IN 0A"},
        {0xFC, 0x3E, 0xA0, "CM A03E"},  {0x08, 0x00, 0x00, "DB 08"},    {0xFD, 0x00, 0x00, "DB FD"},
        {0xCB, 0x12, 0x34, "DB CB"}};
    for (const auto& row : cases) {
        EXPECT_EQ(Disassemble(static_cast<std::uint8_t>(row.op), static_cast<std::uint8_t>(row.low),
                              static_cast<std::uint8_t>(row.high)),
                  row.want);
    }
}

}  // namespace
}  // namespace korvanta::cpu::testing
