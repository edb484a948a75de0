#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "assembler/program_source.h"
#include "machine/machine.h"
#include "support/fake_host.h"

namespace korvanta {
namespace {

class ProgramSourceTest : public ::testing::Test {
public:
    ProgramSourceTest()
    {
        m.view.focusRequested.connect([this](FocusTarget t) { focus.push_back(t); });
    }

    void Type(const std::string& keys)
    {
        for (char c : keys) src.EnterCode_KeyPress(c);
    }
    void Add(const std::string& line)
    {
        src.EnterCode.setText(line);
        src.Command1_Click();
    }

    testing::FakeHost host;
    Machine m{host};
    ProgramSource src{m};
    std::vector<FocusTarget> focus;
};

TEST_F(ProgramSourceTest, EntryFieldKeyFilter)
{
    struct Case {
        const char* name;
        const char* keys;
        const char* field;
    };
    const Case cases[] = {
        {"lower case is raised", "mov a,b", "MOV A,B"},
        {"star and question mark are dropped", "*?NOP", "NOP"},
        {"tag, comment and full stop pass", "lp1: !!x.y", "LP1: !!X.Y"},
        {"control and high characters are dropped", "A\tB\x7f{~", "AB"},
        {"backspace removes the last character", "NOPX\b", "NOP"},
    };
    for (const auto& c : cases) {
        src.EnterCode.setText("");
        Type(c.keys);
        EXPECT_EQ(src.EnterCode.text(), c.field) << c.name;
    }
    EXPECT_EQ(src.lineCount(), 0);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(ProgramSourceTest, EnterAddsTheLineAndAnEmptyFieldIsRefused)
{
    src.EnterCode_KeyPress('\r');
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "Please enter ASM code in the blank.");
    EXPECT_EQ(host.messages[0].icon, MsgIcon::Critical);
    EXPECT_EQ(host.messages[0].title, "Korvanta");
    EXPECT_EQ(src.lineCount(), 0);

    Type("nop\r");
    ASSERT_EQ(src.lines(), std::vector<std::string>{"NOP"});
    EXPECT_EQ(src.EnterCode.text(), "");
    EXPECT_EQ(focus.back(), FocusTarget::EnterCode);
}

TEST_F(ProgramSourceTest, StartAddressFilterOnlyRaisesCase)
{
    EXPECT_EQ(ProgramSource::Text1KeyFilter('a'), 'A');
    EXPECT_EQ(ProgramSource::Text1KeyFilter('*'), '*');
    EXPECT_EQ(ProgramSource::Text1KeyFilter('7'), '7');
}

TEST_F(ProgramSourceTest, AddTrimsInsertsAfterTheSelectionAndSelects)
{
    Add("   NOP   ");
    EXPECT_EQ(src.lines(), std::vector<std::string>{"NOP"});
    Add("   ");  // passes the emptiness test, becomes an empty line
    Add("HLT");
    EXPECT_EQ(src.lines(), (std::vector<std::string>{"NOP", "", "HLT"}));
    EXPECT_EQ(src.selected(), 2);

    src.List2_Click(1);
    Add("MVI A,05");
    EXPECT_EQ(src.lines(), (std::vector<std::string>{"NOP", "", "MVI A,05", "HLT"}));
    EXPECT_EQ(src.selected(), 2);
}

TEST_F(ProgramSourceTest, DeleteSelectsTheLineBefore)
{
    struct Case {
        const char* name;
        int select;
        std::vector<std::string> left;
        int selectedAfter;
    };
    const Case cases[] = {
        {"first of three", 0, {"B", "C"}, 0},
        {"second of three", 1, {"A", "C"}, 0},
        {"last of three", 2, {"A", "B"}, 1},
    };
    for (const auto& c : cases) {
        src.Clear();
        for (const char* l : {"A", "B", "C"}) src.AppendLine(l);
        src.List2_Click(c.select);
        focus.clear();
        src.Command2_Click();
        EXPECT_EQ(src.lines(), c.left) << c.name;
        EXPECT_EQ(src.selected(), c.selectedAfter) << c.name;
        EXPECT_EQ(focus, std::vector<FocusTarget>{FocusTarget::EnterCode}) << c.name;
    }
}

TEST_F(ProgramSourceTest, DeletingTheOnlyLineOrNothing)
{
    src.Command2_Click();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "Please choose a line to delete.");
    EXPECT_EQ(host.messages[0].icon, MsgIcon::Information);

    src.AppendLine("NOP");
    src.List2_Click(0);
    m.run.ProgramCompiled = kTrue;
    focus.clear();
    src.Command2_Click();
    EXPECT_EQ(src.lineCount(), 0);
    EXPECT_EQ(src.selected(), -1);
    EXPECT_TRUE(focus.empty());
    EXPECT_EQ(m.run.ProgramCompiled, kTrue);  // deleting the last line leaves it
}

TEST_F(ProgramSourceTest, ChangesThatMarkTheProgramAndTheDocument)
{
    struct Case {
        const char* name;
        void (*act)(ProgramSourceTest&);
        int compiledAfter;
        int savedAfter;
    };
    const Case cases[] = {
        {"typing in the entry field", [](ProgramSourceTest& t) { t.Type("N"); }, kTrue, kFalse},
        {"adding a line", [](ProgramSourceTest& t) { t.Add("NOP"); }, kFalse, kFalse},
        {"clicking a line", [](ProgramSourceTest& t) { t.src.List2_Click(0); }, kFalse, kTrue},
        {"deleting a line", [](ProgramSourceTest& t) { t.src.List2_Click(0); t.m.run.ProgramCompiled = kTrue;
                                                        t.src.Command2_Click(); }, kFalse, kFalse},
        {"editing the start address", [](ProgramSourceTest& t) { t.m.Text1.setText("0100"); }, kFalse, kFalse},
        {"appending a line by program", [](ProgramSourceTest& t) { t.src.AppendLine("HLT"); }, kTrue, kTrue},
    };
    for (const auto& c : cases) {
        src.Clear();
        src.AppendLine("NOP");
        src.AppendLine("HLT");
        src.EnterCode.setText("");
        m.Text1.setText("0000");
        m.run.ProgramCompiled = kTrue;
        m.document.DocumentSaved = kTrue;
        c.act(*this);
        EXPECT_EQ(m.run.ProgramCompiled, c.compiledAfter) << c.name;
        EXPECT_EQ(m.document.DocumentSaved, c.savedAfter) << c.name;
    }
}

}  // namespace
}  // namespace korvanta
