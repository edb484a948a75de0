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

TEST(DecodeTable, OrderedRowsAndTheirSteps)
{
    const auto& rows = DecodeRows();
    std::set<std::string> loopAdds;
    for (int i = 0; i < kDecodeRows; ++i) {
        EXPECT_EQ(rows[static_cast<std::size_t>(i)].number, i + 1);
        EXPECT_EQ(rows[static_cast<std::size_t>(i)].pattern.size(), 8u) << i + 1;
        if (rows[static_cast<std::size_t>(i)].loopAddsOne)
            loopAdds.insert(RoutineName(rows[static_cast<std::size_t>(i)].routine));
    }
    EXPECT_TRUE(rows[0].halts);
    EXPECT_EQ(rows[0].pattern, "01110110");
    EXPECT_EQ(rows[81].pattern, "01??????");
    // The data-transfer routines stay on their last byte; all others move on themselves.
    EXPECT_EQ(loopAdds, (std::set<std::string>{"MVI", "LXI", "STAX", "LDAX", "STA", "LDA", "SHLD", "LHLD", "XCHG",
                                               "MOV"}));
}

TEST(DecodeTable, FirstMatchWherepatternsOverlap)
{
    struct Case {
        const char* bits;
        Routine routine;
    };
    const Case cases[] = {
        {"00110110", Routine::MVI},   // MVI M, not INR/DCR
        {"00110001", Routine::LXI},   // LXI SP
        {"00000010", Routine::STAX},  // before INX-like patterns
        {"00101010", Routine::LHLD},
        {"11111011", Routine::EI},
        {"11110011", Routine::DI},
        {"11000111", Routine::RST},
        {"11111111", Routine::RST},
        {"11110101", Routine::PUSH},  // PUSH PSW
        {"11110001", Routine::POP},   // POP PSW
        {"00111100", Routine::INR},
        {"00110101", Routine::DCR},
        {"00111011", Routine::DCX},
        {"00111001", Routine::DAD},
        {"10010110", Routine::SUB1},
        {"11100110", Routine::ANI},
        {"00100111", Routine::DAA},
        {"00000000", Routine::NOP},
        {"01111000", Routine::MOV},
        {"01110110", Routine::MOV},   // HLT is the executor's own test, made first
        {"11001101", Routine::CALL1},
        {"11011011", Routine::IN1},
    };
    for (const auto& c : cases) {
        const DecodeRow* row = DecodeOpcode(c.bits);
        ASSERT_NE(row, nullptr) << c.bits;
        EXPECT_EQ(row->routine, c.routine) << c.bits;
    }
}

TEST(DecodeTable, UndefinedOpcodesMatchNothing)
{
    std::set<std::string> unmatched;
    for (int v = 0; v < 256; ++v) {
        if (!DecodeOpcode(bitsOf(v))) unmatched.insert(bitsOf(v));
    }
    EXPECT_EQ(unmatched, (std::set<std::string>{"00001000", "00010000", "00011000", "00101000", "00111000",
                                                "11001011", "11011001", "11011101", "11101101", "11111101"}));
}

TEST(DecodeTable, LookupAgreesWithTheOrderedScan)
{
    const auto& rows = DecodeRows();
    for (int v = 0; v < 256; ++v) {
        const std::string bits = bitsOf(v);
        const DecodeRow* expected = nullptr;
        for (std::size_t i = 1; i < rows.size() && !expected; ++i) {
            if (MatchesPattern(rows[i].pattern, bits)) expected = &rows[i];
        }
        EXPECT_EQ(DecodeOpcode(bits), expected) << bits;
    }
}

TEST(DecodeTable, TextsThatAreNoBitString)
{
    struct Case {
        const char* bits;
        const char* instruction;  // nullptr: no match
    };
    const Case cases[] = {
        {"", nullptr},
        {"0011", nullptr},           // a byte with one bad hexadecimal digit
        {"0111011", nullptr},
        {"011101100", nullptr},
        {"00ab0001", "LXI"},         // wild cards take any character
        {"0x000000", nullptr},
        {"01ZZZZZZ", "MOV"},
    };
    for (const auto& c : cases) {
        const DecodeRow* row = DecodeOpcode(c.bits);
        if (!c.instruction) {
            EXPECT_EQ(row, nullptr) << c.bits;
        } else {
            ASSERT_NE(row, nullptr) << c.bits;
            EXPECT_EQ(row->instruction, c.instruction) << c.bits;
        }
    }
}

}  // namespace
}  // namespace korvanta
