#include <gtest/gtest.h>

#include <set>
#include <string>

#include "engine/decode_table.h"

namespace korvanta {
namespace {

std::string bitsOf(int v)
{
    std::string bits;
    for (int b = 7; b >= 0; --b) bits += ((v >> b) & 1) ? '1' : '0';
    return bits;
}

TEST(DecodeTable, LookupAgreesWithTheOrderedScanAndLeavesTheUndefinedOpcodes)
{
    const auto& rows = DecodeRows();
    std::set<std::string> unmatched;
    for (int v = 0; v < 256; ++v) {
        const std::string bits = bitsOf(v);
        const DecodeRow* expected = nullptr;
        for (std::size_t i = 1; i < rows.size() && !expected; ++i) {
            if (MatchesPattern(rows[i].pattern, bits)) expected = &rows[i];
        }
        EXPECT_EQ(DecodeOpcode(bits), expected) << bits;
        if (!expected) unmatched.insert(bits);
    }
    EXPECT_EQ(unmatched, (std::set<std::string>{"00001000", "00010000", "00011000", "00101000", "00111000",
                                                "11001011", "11011001", "11011101", "11101101", "11111101"}));
}

TEST(DecodeTable, FirstMatchWherePatternsOverlapAndOddTexts)
{
    const std::pair<const char*, const char*> cases[] = {
        {"00110110", "MVI"},  {"00110001", "LXI"},  {"11111011", "EI"},   {"11000111", "RST"},
        {"11111111", "RST"},  {"11110101", "PUSH"}, {"11110001", "POP"},  {"00110101", "DCR"},
        {"00111001", "DAD"},  {"10010110", "SUB"},  {"00100111", "DAA"},  {"01111000", "MOV"},
        {"01110110", "MOV"},  // HLT is the executor's own test, made before the table
        {"00ab0001", "LXI"},  // wild cards take any character
        {"", nullptr},        {"0011", nullptr},    {"011101100", nullptr}, {"0x000000", nullptr},
    };
    for (const auto& [bits, instruction] : cases) {
        const DecodeRow* row = DecodeOpcode(bits);
        EXPECT_EQ(row ? std::string(row->instruction) : "none", instruction ? instruction : "none") << bits;
    }
    EXPECT_TRUE(DecodeRows()[0].halts);
    EXPECT_EQ(DecodeRows()[0].pattern, "01110110");
}

}  // namespace
}  // namespace korvanta
