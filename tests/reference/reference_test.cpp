#include <gtest/gtest.h>

#include "reference/instruction_reference.h"

namespace korvanta {
namespace {

TEST(Reference, ListHasTheFiftyThreeKeysInOrder)
{
    const auto& keys = ReferenceKeys();
    ASSERT_EQ(keys.size(), 53u);
    EXPECT_EQ(keys.front(), "NOP");
    EXPECT_EQ(keys[5], "!!ORG");
    EXPECT_EQ(keys[8], "SHDL");
    EXPECT_EQ(keys[14], "XHTL");
    EXPECT_EQ(keys.back(), "!![data]");
    EXPECT_EQ(std::count(keys.begin(), keys.end(), "RAR"), 0);
}

TEST(Reference, HelpTextsAreComposedExactly)
{
    EXPECT_EQ(ReferenceHelpText("NOP"), "ACTION: No Operation\r\n\r\nUSAGE: NOP");
    EXPECT_EQ(ReferenceHelpText("PUSH"),
              "ACTION: Places data in the stack\r\n\r\nUSAGE: PUSH (rp or PSW)\r\n\r\n"
              "NOTE: Using \"PUSH PSW\" moves data from the accumulator and the flag register into the stack");
    EXPECT_EQ(ReferenceHelpText("ANA"),
              "ACTION: Preforms the operation \"A and r\".\r\n\r\nUSAGE: ANA (r or M[HL})");
}

TEST(Reference, EveryKeyButRrcAndRalHasARow)
{
    for (const auto& key : ReferenceKeys()) {
        bool expectRow = key != "RRC" && key != "RAL";
        EXPECT_EQ(ReferenceHelpText(key).has_value(), expectRow) << key;
    }
    // The assembler's spellings are not reference keys, and lookups are case-sensitive.
    EXPECT_FALSE(ReferenceHelpText("SHLD"));
    EXPECT_FALSE(ReferenceHelpText("XTHL"));
    EXPECT_FALSE(ReferenceHelpText("nop"));
}

}  // namespace
}  // namespace korvanta
