#include <gtest/gtest.h>

#include "machine/machine.h"
#include "support/fake_host.h"

namespace korvanta {
namespace {

const std::string kOutOfRange =
    "The memory location entered is out of range.  Remember that all entered memory locations must be within "
    "the range displayed in the memory window.  This is a fatal error.";

class MemoryTest : public ::testing::Test {
protected:
    MemoryTest() { m.memory.SetupTheMemoryWindow("0"); }

    testing::FakeHost host;
    Machine m{host};
};

TEST_F(MemoryTest, FreshWindowMapsEveryAddressToItsRowAndBack)
{
    ASSERT_EQ(m.window.rowCount(), 4096);
    EXPECT_EQ(m.window.key(1), "K0000");
    EXPECT_EQ(m.window.address(2624), "0A3F");
    EXPECT_EQ(m.window.address(4096), "0FFF");
    for (int n = 1; n <= 4096; ++n) {
        ASSERT_EQ(m.window.data(n), "00") << n;
        m.memory.ConvertMEMtoINDEX(m.window.address(n));
        ASSERT_EQ(m.ErrorFlag, kFalse);
        ASSERT_EQ(m.ConvertedValue, std::to_string(n));
    }
    EXPECT_TRUE(host.messages.empty());
    for (auto [n, text] : std::vector<std::pair<int, std::string>>{{7, "0007"}, {4096, "4096"}, {12345, "12345"}}) {
        m.memory.GotoFOURdigitINDEX(n);
        EXPECT_EQ(m.ConvertedValue, text);
    }
}

TEST_F(MemoryTest, RebuildYieldsAndShowsItsCaptionWhileWorking)
{
    std::vector<std::string> captions;
    bool resetDisabled = false;
    host.yields = 0;
    host.onYield = [&] {
        captions.push_back(m.view.memoryFrameCaption.get());
        resetDisabled = resetDisabled || !m.view.resetMemoryEnabled.get();
    };
    m.memory.SetupTheMemoryWindow("2");
    EXPECT_EQ(host.yields, 1 + 256 + 16);  // once before the rows, per 16 rows and per 256 rows
    EXPECT_EQ(captions.front(), "Displaying Memory...Please Wait");
    EXPECT_TRUE(resetDisabled);
    EXPECT_EQ(m.view.memoryFrameCaption.get(), "System Memory");
    EXPECT_TRUE(m.view.resetMemoryEnabled.get());
    EXPECT_EQ(m.window.address(1), "2000");
    EXPECT_EQ(m.window.address(4096), "2FFF");
}

TEST_F(MemoryTest, AddressToRowFailures)
{
    struct Case {
        const char* address;
        bool message;
        const char* result;  // ConvertedValue afterwards
    } cases[] = {{"1000", true, ""}, {"0A3", true, ""}, {"00A00", true, ""}, {"", true, ""},
                 {"0a3f", false, "before"}};  // lower case is never a key: silent, value kept
    for (const auto& c : cases) {
        host.messages.clear();
        m.ConvertedValue = "before";
        m.memory.ConvertMEMtoINDEX(c.address);
        EXPECT_EQ(m.ErrorFlag, kTrue) << c.address;
        EXPECT_EQ(m.ConvertedValue, c.result) << c.address;
        ASSERT_EQ(host.messages.size(), c.message ? 1u : 0u) << c.address;
        if (c.message) {
            EXPECT_EQ(host.messages[0].text, kOutOfRange);
            EXPECT_EQ(host.messages[0].title, "Korvanta");
            EXPECT_EQ(host.messages[0].icon, MsgIcon::Critical);
        }
    }
}

TEST_F(MemoryTest, StoringKeepsTheRowAndNeverReachesOutsideTheWindow)
{
    m.memory.EnterintoMEMory(5, "3E");
    m.memory.EnterintoMEMory(6, "5,");  // data texts are not validated
    EXPECT_EQ(m.window.data(5), "3E");
    EXPECT_EQ(m.window.key(5), "K0004");
    EXPECT_EQ(m.window.data(6), "5,");
    EXPECT_EQ(m.ErrorFlag, kFalse);
    for (int row : {0, -1, 4097, 30000}) {
        m.ErrorFlag = kFalse;
        m.memory.EnterintoMEMory(row, "FF");
        EXPECT_EQ(m.ErrorFlag, kTrue) << row;
        m.ErrorFlag = kFalse;
        EXPECT_EQ(m.memory.ReadMemory(row), "") << row;
        EXPECT_EQ(m.ErrorFlag, kTrue) << row;
    }
    EXPECT_EQ(m.memory.writesOutside(), 4);
    EXPECT_EQ(m.window.rowCount(), 4096);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(MemoryTest, ProgramStart)
{
    m.Text1.setText("0A00");
    m.memory.DetermineProgramStart();
    EXPECT_EQ(m.LocationIndex, 2561);
    EXPECT_TRUE(host.messages.empty());
    for (const char* bad : {"1000", "0A0", "0a00"}) {
        host.messages.clear();
        m.LocationIndex = 7;
        m.Text1.setText(bad);
        m.memory.DetermineProgramStart();
        EXPECT_EQ(m.ErrorFlag, kTrue) << bad;
        EXPECT_EQ(m.LocationIndex, 7) << bad;
        ASSERT_EQ(host.messages.size(), 1u) << bad;
        EXPECT_EQ(host.messages[0].text,
                  std::string("Starting the program at memory location \"") + bad +
                      "\" is impossible.  Ensure the entered value is a valid memory location, and that the "
                      "memory location resides within the currently displayed memory in the Memory Display "
                      "window.");
    }
}

TEST_F(MemoryTest, RangeChangeAnsweredYesThenNo)
{
    m.SuppressRangeClick = 1;
    m.memoryCommands.Combo1_Click("0");  // the start-up selection is swallowed
    EXPECT_TRUE(host.messages.empty());

    m.memory.EnterintoMEMory(1, "3E");
    m.run.ProgramCompiled = kTrue;
    host.answers = {MsgAnswer::Yes, MsgAnswer::No};
    m.memoryCommands.Combo1_Click("2");
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].title, "Ombrix Korvanta");
    EXPECT_EQ(host.messages[0].icon, MsgIcon::Question);
    EXPECT_EQ(host.messages[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(host.messages[0].defaultButton, MsgAnswer::No);
    EXPECT_EQ(m.window.address(1), "2000");
    EXPECT_EQ(m.window.data(1), "00");
    EXPECT_EQ(m.run.ProgramCompiled, kFalse);

    m.memoryCommands.Combo1_Click("3");  // No: the rows stay, the fields move
    EXPECT_EQ(m.window.windowDigit.get(), "3");
    EXPECT_EQ(m.window.address(1), "2000");
    EXPECT_EQ(m.Text1.text() + m.cpu.SP.text() + m.cpu.PC.text(), "30003BBB3000");
    m.memory.ConvertMEMtoINDEX("3000");  // X000 needs no row
    EXPECT_EQ(m.ConvertedValue, "1");
    m.memory.ConvertMEMtoINDEX("3001");  // any other address fails silently
    EXPECT_EQ(m.ErrorFlag, kTrue);
    EXPECT_EQ(host.messages.size(), 2u);
}

TEST_F(MemoryTest, ResetAlwaysReturnsToTheFirstBlock)
{
    host.answers = {MsgAnswer::Yes};
    m.memoryCommands.Combo1_Click("5");
    m.cpu.RegisterL.setText("34");
    m.cpu.Text2.setText("C5");
    m.Text13.setText("log line\r\n");
    m.memory.EnterintoMEMory(3, "AA");
    m.run.ProgramCompiled = kTrue;
    m.memoryCommands.Toolbar2_ButtonClick(1);
    EXPECT_EQ(m.window.windowDigit.get(), "5");
    EXPECT_EQ(m.window.address(1), "0000");
    EXPECT_EQ(m.window.data(3), "00");
    EXPECT_EQ(m.cpu.RegisterL.text(), "00");
    EXPECT_EQ(m.cpu.PC.text() + m.cpu.SP.text() + m.cpu.Text2.text(), "00000BBB00");
    EXPECT_EQ(m.cpu.Text4.text() + m.cpu.Text11.text(), "00");
    EXPECT_EQ(m.Text13.text(), "");
    EXPECT_EQ(m.run.ProgramCompiled, kFalse);
}

TEST_F(MemoryTest, EditDialogCompletesTheByte)
{
    const std::pair<const char*, const char*> cases[] = {{"7", "07"}, {"", "00"}, {"  ", "00"}, {"3E", "3E"}};
    for (auto [typed, stored] : cases) {
        m.document.DocumentSaved = kTrue;
        auto state = m.memoryCommands.ListView1_DblClick(10);
        ASSERT_TRUE(state);
        EXPECT_EQ(state->address, "0009");
        EXPECT_EQ(m.document.DocumentSaved, kFalse);
        EXPECT_FALSE(m.view.mainWindowEnabled.get());
        m.memoryCommands.EditMemoryOk(state->itsKEY, typed);
        EXPECT_EQ(m.window.data(10), stored) << typed;
        EXPECT_TRUE(m.view.mainWindowEnabled.get());
    }
    EXPECT_FALSE(m.memoryCommands.ListView1_DblClick(0));  // nothing selected
}

TEST_F(MemoryTest, ScrollDialogClosesOnlyOnAFoundAddress)
{
    m.memoryCommands.Toolbar2_ButtonClick(2);
    EXPECT_FALSE(m.view.mainWindowEnabled.get());
    int scrolledTo = 0;
    m.view.scrollMemoryTo.connect([&](int row) { scrolledTo = row; });
    EXPECT_FALSE(m.memoryCommands.ShowMemOk("1000"));
    EXPECT_FALSE(m.memoryCommands.ShowMemOk("0a3f"));  // silently not found
    EXPECT_EQ(host.messages.size(), 1u);
    EXPECT_FALSE(m.view.mainWindowEnabled.get());
    EXPECT_TRUE(m.memoryCommands.ShowMemOk("0A3F"));
    EXPECT_EQ(scrolledTo, 2624);
    EXPECT_EQ(m.view.selectedMemoryRow.get(), 2624);
    EXPECT_TRUE(m.view.mainWindowEnabled.get());
}

TEST(MemoryDialogs, KeyFilter)
{
    struct Case {
        char typed;
        std::optional<char> result;
    } cases[] = {{'a', 'A'}, {'7', '7'}, {',', ','}, {' ', ' '}, {'\b', '\b'}, {'g', std::nullopt},
                 {'*', std::nullopt}, {'{', std::nullopt}, {'\t', std::nullopt}, {'\xE9', std::nullopt}};
    for (const auto& c : cases) {
        bool ok = false;
        EXPECT_EQ(MemoryCommands::DialogKeyFilter(c.typed, &ok), c.result) << int(c.typed);
        EXPECT_FALSE(ok);
    }
    bool ok = false;
    EXPECT_EQ(MemoryCommands::DialogKeyFilter('\r', &ok), std::nullopt);  // Enter presses Ok
    EXPECT_TRUE(ok);
}

}  // namespace
}  // namespace korvanta
