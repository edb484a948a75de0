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

    void answerNext(MsgAnswer a) { host.answers.push_back(a); }

    testing::FakeHost host;
    Machine m{host};
};

TEST_F(MemoryTest, FreshWindowHoldsTheFirstBlockWithZeroData)
{
    ASSERT_EQ(m.window.rowCount(), 4096);
    EXPECT_EQ(m.window.address(1), "0000");
    EXPECT_EQ(m.window.key(1), "K0000");
    EXPECT_EQ(m.window.address(2624), "0A3F");
    EXPECT_EQ(m.window.address(4096), "0FFF");
    for (int n = 1; n <= 4096; ++n) ASSERT_EQ(m.window.data(n), "00") << n;
    EXPECT_EQ(m.view.memoryFrameCaption.get(), "System Memory");
    EXPECT_TRUE(m.view.resetMemoryEnabled.get());
}

TEST_F(MemoryTest, RebuildYieldsAndShowsItsCaptionWhileWorking)
{
    std::vector<std::string> captions;
    host.yields = 0;
    host.onYield = [&] { captions.push_back(m.view.memoryFrameCaption.get()); };
    bool resetEnabledDuringBuild = true;
    m.view.resetMemoryEnabled.changed.connect([&] {
        if (!m.view.resetMemoryEnabled.get()) resetEnabledDuringBuild = false;
    });
    m.memory.SetupTheMemoryWindow("2");
    // One yield before the rows, one per 16 rows and one per 256 rows.
    EXPECT_EQ(host.yields, 1 + 256 + 16);
    EXPECT_EQ(captions.front(), "Displaying Memory...Please Wait");
    EXPECT_FALSE(resetEnabledDuringBuild);
    EXPECT_EQ(m.window.address(1), "2000");
    EXPECT_EQ(m.window.address(4096), "2FFF");
}

TEST_F(MemoryTest, AddressToRowOverTheWholeWindowAndBack)
{
    for (int n = 1; n <= 4096; ++n) {
        m.memory.ConvertMEMtoINDEX(m.window.address(n));
        ASSERT_EQ(m.ErrorFlag, kFalse);
        ASSERT_EQ(m.ConvertedValue, std::to_string(n));
    }
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(MemoryTest, AddressToRowFailures)
{
    struct Case {
        const char* name;
        const char* address;
        bool message;
        const char* result;  // ConvertedValue afterwards ("keep" = unchanged)
    } cases[] = {
        {"next block", "1000", true, ""},
        {"three digits", "0A3", true, ""},
        {"five digits", "00A00", true, ""},
        {"empty", "", true, ""},
        {"lower case is never a key", "0a3f", false, "keep"},
    };
    for (const auto& c : cases) {
        host.messages.clear();
        m.ConvertedValue = "before";
        m.memory.ConvertMEMtoINDEX(c.address);
        EXPECT_EQ(m.ErrorFlag, kTrue) << c.name;
        EXPECT_EQ(m.ConvertedValue, std::string(c.result) == "keep" ? "before" : c.result) << c.name;
        ASSERT_EQ(host.messages.size(), c.message ? 1u : 0u) << c.name;
        if (c.message) {
            EXPECT_EQ(host.messages[0].text, kOutOfRange);
            EXPECT_EQ(host.messages[0].title, "Korvanta");
            EXPECT_EQ(host.messages[0].icon, MsgIcon::Critical);
        }
    }
}

TEST_F(MemoryTest, FourDigitIndex)
{
    for (auto [n, text] : std::vector<std::pair<int, std::string>>{
             {7, "0007"}, {13, "0013"}, {4096, "4096"}, {12345, "12345"}}) {
        m.memory.GotoFOURdigitINDEX(n);
        EXPECT_EQ(m.ConvertedValue, text);
    }
}

TEST_F(MemoryTest, StoringKeepsPositionAddressAndKey)
{
    m.memory.EnterintoMEMory(5, "3E");
    EXPECT_EQ(m.window.data(5), "3E");
    EXPECT_EQ(m.window.address(5), "0004");
    EXPECT_EQ(m.window.key(5), "K0004");
    m.memory.EnterintoMEMory(6, "5,");  // data texts are not validated
    EXPECT_EQ(m.window.data(6), "5,");
    EXPECT_EQ(m.ErrorFlag, kFalse);
}

TEST_F(MemoryTest, RowsOutsideTheWindowAreNeverTouched)
{
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
    EXPECT_EQ(m.window.data(4096), "00");
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(MemoryTest, ProgramStart)
{
    m.LocationIndex = 99;
    m.Text1.setText("0A00");
    m.memory.DetermineProgramStart();
    EXPECT_EQ(m.LocationIndex, 2561);
    m.Text1.setText("0000");
    m.memory.DetermineProgramStart();
    EXPECT_EQ(m.LocationIndex, 1);
    EXPECT_TRUE(host.messages.empty());

    for (const char* bad : {"1000", "0A0", "0a00"}) {
        host.messages.clear();
        m.ErrorFlag = kFalse;
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
        EXPECT_EQ(host.messages[0].icon, MsgIcon::Critical);
    }
}

TEST_F(MemoryTest, RangeChangeAnsweredYesRebuildsTheWindow)
{
    m.memory.EnterintoMEMory(1, "3E");
    m.run.ProgramCompiled = kTrue;
    answerNext(MsgAnswer::Yes);
    m.memoryCommands.Combo1_Click("2");
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].title, "Ombrix Korvanta");
    EXPECT_EQ(host.messages[0].icon, MsgIcon::Question);
    EXPECT_EQ(host.messages[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(host.messages[0].defaultButton, MsgAnswer::No);
    EXPECT_EQ(m.window.address(1), "2000");
    EXPECT_EQ(m.window.address(4096), "2FFF");
    EXPECT_EQ(m.window.data(1), "00");
    EXPECT_EQ(m.Text1.text(), "2000");
    EXPECT_EQ(m.cpu.SP.text(), "2BBB");
    EXPECT_EQ(m.cpu.PC.text(), "2000");
    EXPECT_EQ(m.run.ProgramCompiled, kFalse);
}

TEST_F(MemoryTest, RangeChangeAnsweredNoKeepsTheRowsButMovesTheFields)
{
    m.memory.EnterintoMEMory(1, "3E");
    answerNext(MsgAnswer::No);
    m.memoryCommands.Combo1_Click("2");
    EXPECT_EQ(m.window.windowDigit.get(), "2");
    EXPECT_EQ(m.window.address(1), "0000");
    EXPECT_EQ(m.window.data(1), "3E");
    EXPECT_EQ(m.Text1.text(), "2000");
    EXPECT_EQ(m.cpu.SP.text(), "2BBB");
    EXPECT_EQ(m.cpu.PC.text(), "2000");
    // X000 needs no row; any other address of the new block fails silently.
    m.memory.ConvertMEMtoINDEX("2000");
    EXPECT_EQ(m.ErrorFlag, kFalse);
    EXPECT_EQ(m.ConvertedValue, "1");
    host.messages.clear();
    m.memory.ConvertMEMtoINDEX("2001");
    EXPECT_EQ(m.ErrorFlag, kTrue);
    EXPECT_EQ(m.ConvertedValue, "1");
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(MemoryTest, StartUpSelectionClickIsSwallowedOnce)
{
    m.SuppressRangeClick = 1;
    m.memoryCommands.Combo1_Click("0");
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(m.SuppressRangeClick, 0);
    m.memoryCommands.Combo1_Click("0");
    EXPECT_EQ(host.messages.size(), 1u);
}

TEST_F(MemoryTest, ResetAlwaysReturnsToTheFirstBlock)
{
    answerNext(MsgAnswer::Yes);
    m.memoryCommands.Combo1_Click("5");
    m.cpu.RegisterA.setText("12");
    m.cpu.RegisterL.setText("34");
    m.cpu.Text2.setText("C5");
    m.Text13.setText("log line\r\n");
    m.memory.EnterintoMEMory(3, "AA");
    m.run.ProgramCompiled = kTrue;
    m.memoryCommands.Toolbar2_ButtonClick(1);
    EXPECT_EQ(m.window.windowDigit.get(), "5");
    EXPECT_EQ(m.window.address(1), "0000");
    EXPECT_EQ(m.window.data(3), "00");
    for (char r : {'A', 'B', 'C', 'D', 'E', 'H', 'L'}) EXPECT_EQ(m.cpu.registerField(r)->text(), "00") << r;
    EXPECT_EQ(m.cpu.PC.text(), "0000");
    EXPECT_EQ(m.cpu.SP.text(), "0BBB");
    EXPECT_EQ(m.cpu.Text2.text(), "00");
    EXPECT_EQ(m.cpu.Text4.text() + m.cpu.Text11.text(), "00");
    EXPECT_EQ(m.Text13.text(), "");
    EXPECT_EQ(m.run.ProgramCompiled, kFalse);
}

TEST_F(MemoryTest, EditDialogCompletesTheByte)
{
    struct Case {
        const char* typed;
        const char* stored;
    } cases[] = {{"7", "07"}, {"", "00"}, {"  ", "00"}, {"3E", "3E"}, {"5,", "5,"}};
    for (const auto& c : cases) {
        auto state = m.memoryCommands.ListView1_DblClick(10);
        ASSERT_TRUE(state);
        EXPECT_EQ(state->itsKEY, 10);
        EXPECT_EQ(state->address, "0009");
        EXPECT_FALSE(m.view.mainWindowEnabled.get());
        m.memoryCommands.EditMemoryOk(state->itsKEY, c.typed);
        EXPECT_EQ(m.window.data(10), c.stored) << c.typed;
        EXPECT_EQ(m.window.address(10), "0009");
        EXPECT_TRUE(m.view.mainWindowEnabled.get());
    }
    m.document.DocumentSaved = kTrue;
    EXPECT_FALSE(m.memoryCommands.ListView1_DblClick(0));  // nothing selected
    EXPECT_EQ(m.document.DocumentSaved, kTrue);
    m.memoryCommands.ListView1_DblClick(1);
    EXPECT_EQ(m.document.DocumentSaved, kFalse);
}

TEST_F(MemoryTest, ScrollDialogClosesOnlyOnAFoundAddress)
{
    m.memoryCommands.Toolbar2_ButtonClick(2);
    EXPECT_FALSE(m.view.mainWindowEnabled.get());
    int scrolledTo = 0;
    m.view.scrollMemoryTo.connect([&](int row) { scrolledTo = row; });

    EXPECT_FALSE(m.memoryCommands.ShowMemOk("1000"));
    EXPECT_EQ(host.messages.size(), 1u);
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
        bool ok;
    } cases[] = {
        {'a', 'A', false}, {'F', 'F', false}, {'7', '7', false}, {',', ',', false}, {' ', ' ', false},
        {'\b', '\b', false}, {'g', std::nullopt, false}, {'*', std::nullopt, false}, {'{', std::nullopt, false},
        {'\t', std::nullopt, false}, {'\r', std::nullopt, true}, {static_cast<char>(0xE9), std::nullopt, false},
    };
    for (const auto& c : cases) {
        bool ok = false;
        EXPECT_EQ(MemoryCommands::DialogKeyFilter(c.typed, &ok), c.result) << int(c.typed);
        EXPECT_EQ(ok, c.ok) << int(c.typed);
    }
}

}  // namespace
}  // namespace korvanta
