#include <gtest/gtest.h>

#include "machine/machine.h"
#include "support/fake_host.h"

namespace korvanta {
namespace {

class CpuFieldsTest : public ::testing::Test {
protected:
    std::string bits() const
    {
        std::string b;
        for (int bit = 7; bit >= 0; --bit) b += const_cast<CpuFields&>(m.cpu).flagBit(bit).text();
        return b;
    }

    testing::FakeHost host;
    Machine m{host};
};

TEST_F(CpuFieldsTest, TypingIsFilteredAndLimitedAndCompletedOnFocusLoss)
{
    struct Case {
        const char* name;
        TextField CpuFields::*field;
        const char* keys;
        const char* typed;
        const char* afterFocusLoss;  // nullptr: the field is not completed
    } cases[] = {
        {"lower case is raised", &CpuFields::RegisterB, "\b\b3e", "3E", "3E"},
        {"one digit gets a leading zero", &CpuFields::RegisterC, "\b\b7", "7", "07"},
        {"emptied field becomes 00", &CpuFields::RegisterD, "\b\b", "", "00"},
        {"blank alone becomes 00", &CpuFields::RegisterE, "\b\b ", " ", "00"},
        {"bad keys change nothing", &CpuFields::RegisterH, "G\rg\t{-\xC4", "00", "00"},
        {"comma is accepted", &CpuFields::RegisterL, "\b,", "0,", "0,"},
        {"maximum length holds", &CpuFields::RegisterA, "\b\b1234", "12", "12"},
        {"stack pointer takes four", &CpuFields::SP, "\b\b\b\b12345", "1234", nullptr},
        {"stack pointer is not completed", &CpuFields::SP, "\b\b\b", "1", nullptr},
    };
    for (const auto& c : cases) {
        TextField& f = m.cpu.*c.field;
        CpuFields::TypeInto(f, c.keys);
        EXPECT_EQ(f.text(), c.typed) << c.name;
        if (c.afterFocusLoss) {
            m.cpu.RegisterLostFocus(f);
            EXPECT_EQ(f.text(), c.afterFocusLoss) << c.name;
        }
    }
}

TEST_F(CpuFieldsTest, ClickingBitsUpdatesTheFlagValue)
{
    int focusToLog = 0;
    m.view.focusRequested.connect([&](FocusTarget t) { focusToLog += t == FocusTarget::SystemLog; });
    const std::pair<TextField CpuFields::*, const char*> clicks[] = {
        {&CpuFields::Text4, "80"}, {&CpuFields::Text11, "81"}, {&CpuFields::Text11, "80"},
        // Bits 3 and 1 have no change handling of their own; their click updates the value.
        {&CpuFields::Text10, "82"}, {&CpuFields::Text6, "A2"}};
    for (auto [bit, value] : clicks) {
        m.cpu.FlagBitClick(m.cpu.*bit);
        EXPECT_EQ(m.cpu.Text2.text(), value);
    }
    EXPECT_EQ(focusToLog, 5);
    m.cpu.Text8.setText("1");
    EXPECT_EQ(m.cpu.Text2.text(), "A2");
}

TEST_F(CpuFieldsTest, FlagValueAndBitsSettleOnWhatWasWritten)
{
    CpuFields::TypeInto(m.cpu.Text2, "\b\b4");
    EXPECT_EQ(bits(), "00000000");  // one digit: the bits stay
    CpuFields::TypeInto(m.cpu.Text2, "5");
    EXPECT_EQ(m.cpu.Text2.text(), "45");
    EXPECT_EQ(bits(), "01000101");

    m.cpu.Text2.setText("C5");  // as POP PSW writes it
    EXPECT_EQ(m.cpu.Text2.text(), "C5");
    EXPECT_EQ(bits(), "11000101");

    // Every flag an instruction writes brings the value along.
    const struct {
        TextField CpuFields::*bit;
        const char* value;
    } writes[] = {{&CpuFields::Text4, "45"}, {&CpuFields::Text5, "05"}, {&CpuFields::Text7, "15"},
                  {&CpuFields::Text9, "11"}, {&CpuFields::Text11, "10"}};
    for (const auto& w : writes) {
        TextField& f = m.cpu.*w.bit;
        f.setText(f.text() == "1" ? "0" : "1");
        EXPECT_EQ(m.cpu.Text2.text(), w.value) << f.name();
    }
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(CpuFieldsTest, AFlagValueMadeFromABrokenBitIsWrittenBackToTheBits)
{
    m.cpu.Text8.setText("");  // a bit field without change handling, emptied
    m.cpu.FlagBitClick(m.cpu.Text4);
    // The low nibble has three characters: the conversion complains and keeps
    // the high digit, and the bits then follow the value 88.
    EXPECT_EQ(host.messageTexts(),
              std::vector<std::string>{"The subroutine CovertToHex was passed an invalid value."});
    EXPECT_EQ(m.cpu.Text2.text(), "88");
    EXPECT_EQ(bits(), "10001000");
}

TEST_F(CpuFieldsTest, InvalidFlagValueDigitLeavesTheRestOfTheBits)
{
    m.cpu.Text2.setText("4G");
    EXPECT_EQ(bits(), "01000000");
    EXPECT_EQ(m.cpu.Text2.text(), "4G");
    EXPECT_EQ(host.messageTexts(), std::vector<std::string>{"Conversion to binary failed...Invalid HEX entry."});
}

TEST_F(CpuFieldsTest, FlagValueIsRaisedOnFocusLoss)
{
    m.cpu.Text2.setText("c5");  // typed by another road: 'c' is no digit
    EXPECT_EQ(host.messages.size(), 1u);
    m.cpu.Text2LostFocus();
    EXPECT_EQ(m.cpu.Text2.text(), "C5");
    EXPECT_EQ(bits(), "11000101");
}

TEST_F(CpuFieldsTest, FieldChangeHandlingKeepsTheConvertedValue)
{
    m.ConvertedValue = "10110";
    m.cpu.Text9.setText("1");
    m.cpu.Text2.setText("FF");
    EXPECT_EQ(m.ConvertedValue, "10110");
}

TEST_F(CpuFieldsTest, RegisterCodes)
{
    const std::pair<const char*, const char*> codes[] = {{"A", "111"}, {"B", "000"}, {"C", "001"}, {"D", "010"},
                                                         {"E", "011"}, {"H", "100"}, {"L", "101"}};
    for (auto [letter, code] : codes) {
        m.cpu.GotoRegisterCodes(letter);
        EXPECT_EQ(m.ConvertedValue, code);
        m.ConvertedValue = "x";
        m.cpu.ReturnFromRegisterCodes(code);
        EXPECT_EQ(m.ConvertedValue, letter);
    }
    m.cpu.ReturnFromRegisterCodes("110");
    EXPECT_EQ(m.ConvertedValue, "M");
    for (const char* unknown : {"M", "b", "AB", ""}) {
        m.ConvertedValue = "kept";
        m.cpu.GotoRegisterCodes(unknown);
        EXPECT_EQ(m.ConvertedValue, "kept") << unknown;
    }
    m.cpu.ReturnFromRegisterCodes("11");
    EXPECT_EQ(m.ConvertedValue, "kept");
}

TEST_F(CpuFieldsTest, EditsMarkTheDocumentChanged)
{
    for (TextField* f : {&m.cpu.RegisterA, &m.cpu.SP, &m.cpu.Text2}) {
        m.document.DocumentSaved = kTrue;
        f->setText("12");
        EXPECT_EQ(m.document.DocumentSaved, kFalse) << f->name();
    }
    m.document.DocumentSaved = kTrue;
    m.cpu.PC.setText("0005");  // the program counter is display only
    EXPECT_EQ(m.document.DocumentSaved, kTrue);
    m.Text1.setText("0100");
    EXPECT_EQ(m.document.DocumentSaved, kFalse);
}

}  // namespace
}  // namespace korvanta
