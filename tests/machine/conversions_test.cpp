#include <gtest/gtest.h>

#include "machine/machine.h"
#include "support/fake_host.h"

namespace korvanta {
namespace {

class ConversionsTest : public ::testing::Test {
protected:
    testing::FakeHost host;
    Machine m{host};
    const std::string& cv() { return m.ConvertedValue; }
};

TEST_F(ConversionsTest, RoundTripOverEveryByte)
{
    const char* hex = "0123456789ABCDEF";
    for (int v = 0; v < 256; ++v) {
        std::string byte{hex[v >> 4], hex[v & 15]};
        std::string bits;
        for (int b = 7; b >= 0; --b) bits += ((v >> b) & 1) ? '1' : '0';
        m.conv.GetBinary8(byte);
        ASSERT_EQ(cv(), bits) << byte;
        m.conv.GetHex8(bits);
        ASSERT_EQ(cv(), byte) << bits;
    }
    EXPECT_TRUE(host.messages.empty());
}

struct OddInput {
    const char* name;
    enum { Binary8, Hex8, ToBinary, ToHex } op;
    const char* input;
    const char* before;  // ConvertedValue before the call
    const char* result;
    std::vector<std::string> messages;
};

TEST_F(ConversionsTest, ShortLongLowerCaseAndInvalidInputs)
{
    const std::string bin = "Conversion to binary failed...Invalid HEX entry.";
    const std::string hex = "The subroutine CovertToHex was passed an invalid value.";
    const OddInput cases[] = {
        {"one digit used twice", OddInput::Binary8, "7", "", "01110111", {}},
        {"first and last of three", OddInput::Binary8, "ABC", "", "10101100", {}},
        {"lower-case low digit", OddInput::Binary8, "3e", "", "0011", {bin}},
        {"two bad digits", OddInput::Binary8, "gg", "x", "", {bin, bin}},
        {"empty byte", OddInput::Binary8, "", "x", "", {}},
        {"two-character digit", OddInput::ToBinary, "0A", "x", "", {bin}},
        {"short nibble keeps old value", OddInput::ToHex, "101", "Q", "Q", {hex}},
        {"non-binary nibble keeps old value", OddInput::ToHex, "01x1", "Q", "Q", {}},
        {"three bits twice", OddInput::Hex8, "101", "Q", "", {hex, hex}},
        {"nine bits use first and last four", OddInput::Hex8, "111100001", "", "F1", {}},
    };
    for (const auto& c : cases) {
        host.messages.clear();
        m.ConvertedValue = c.before;
        switch (c.op) {
        case OddInput::Binary8: m.conv.GetBinary8(c.input); break;
        case OddInput::Hex8: m.conv.GetHex8(c.input); break;
        case OddInput::ToBinary: m.conv.ConvertToBinary(c.input); break;
        case OddInput::ToHex: m.conv.ConvertToHex(c.input); break;
        }
        EXPECT_EQ(cv(), c.result) << c.name;
        EXPECT_EQ(host.messageTexts(), c.messages) << c.name;
        for (const auto& msg : host.messages) {
            EXPECT_EQ(msg.title, "Korvanta") << c.name;
            EXPECT_EQ(msg.icon, msg.text == bin ? MsgIcon::None : MsgIcon::Critical) << c.name;
        }
    }
}

}  // namespace
}  // namespace korvanta
