#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "assembler/program_source.h"
#include "machine/machine.h"
#include "support/fake_host.h"

namespace korvanta {
namespace {

using Lines = std::vector<std::string>;

struct ProgramSourceTest : ::testing::Test {
    ProgramSourceTest() { m.view.focusRequested.connect([this](FocusTarget t) { focus.push_back(t); }); }
    void Type(const std::string& keys)
    {
        for (char c : keys) src.EnterCode_KeyPress(c);
    }
    void Add(const std::string& line)
    {
        src.EnterCode.setText(line);
        src.Command1_Click();
    }
    void Reset(const Lines& lines, int select)
    {
        src.Clear();
        for (const auto& l : lines) src.AppendLine(l);
        if (select >= 0) src.List2_Click(select);
        src.EnterCode.setText("");
        m.Text1.setText("0000");
        m.run.ProgramCompiled = kTrue;
        m.document.DocumentSaved = kTrue;
        host.messages.clear();
        focus.clear();
    }

    testing::FakeHost host;
    Machine m{host};
    ProgramSource src{m};
    std::vector<FocusTarget> focus;
};

TEST_F(ProgramSourceTest, KeyFilters)
{
    const std::pair<const char*, const char*> typed[] = {
        {"mov a,b", "MOV A,B"}, {"*?NOP", "NOP"}, {"lp1: !!x.y", "LP1: !!X.Y"}, {"A\tB\x7f{~", "AB"},
        {"NOPX\b", "NOP"},
    };
    for (const auto& [keys, field] : typed) {
        src.EnterCode.setText("");
        Type(keys);
        EXPECT_EQ(src.EnterCode.text(), field) << keys;
    }
    EXPECT_EQ(ProgramSource::Text1KeyFilter('a'), 'A');
    EXPECT_EQ(ProgramSource::Text1KeyFilter('*'), '*');

    src.EnterCode.setText("");
    src.EnterCode_KeyPress('\r');  // Enter on an empty field
    EXPECT_EQ(host.messageTexts(), Lines{"Please enter ASM code in the blank."});
    EXPECT_EQ(host.messages[0].icon, MsgIcon::Critical);
    Type("nop\r");
    EXPECT_EQ(src.lines(), Lines{"NOP"});
    EXPECT_EQ(src.EnterCode.text(), "");
    EXPECT_EQ(focus.back(), FocusTarget::EnterCode);
}

TEST_F(ProgramSourceTest, AddTrimsInsertsAfterTheSelectionAndSelects)
{
    Add("   NOP   ");
    Add("   ");  // passes the emptiness test, becomes an empty line
    Add("HLT");
    EXPECT_EQ(src.lines(), (Lines{"NOP", "", "HLT"}));
    src.List2_Click(1);
    Add("MVI A,05");
    EXPECT_EQ(src.lines(), (Lines{"NOP", "", "MVI A,05", "HLT"}));
    EXPECT_EQ(src.selected(), 2);
}

TEST_F(ProgramSourceTest, Delete)
{
    struct Case {
        const char* name;
        Lines lines;
        int select;
        Lines left;
        int selectedAfter;
        const char* message;
        int compiledAfter;
    };
    const Case cases[] = {
        {"first of three", {"A", "B", "C"}, 0, {"B", "C"}, 0, nullptr, kFalse},
        {"last of three", {"A", "B", "C"}, 2, {"A", "B"}, 1, nullptr, kFalse},
        {"the only line", {"A"}, 0, {}, -1, nullptr, kTrue},
        {"nothing selected", {"A"}, -1, {"A"}, -1, "Please choose a line to delete.", kTrue},
    };
    for (const auto& c : cases) {
        Reset(c.lines, c.select);
        src.Command2_Click();
        EXPECT_EQ(src.lines(), c.left) << c.name;
        EXPECT_EQ(src.selected(), c.selectedAfter) << c.name;
        EXPECT_EQ(m.run.ProgramCompiled, c.compiledAfter) << c.name;
        EXPECT_EQ(m.document.DocumentSaved, kFalse) << c.name;
        EXPECT_EQ(host.messageTexts(), c.message ? Lines{c.message} : Lines{}) << c.name;
        EXPECT_EQ(focus.size(), c.selectedAfter >= 0 ? 1u : 0u) << c.name;
    }
    EXPECT_EQ(host.messages[0].icon, MsgIcon::Information);
}

TEST_F(ProgramSourceTest, WhatMarksTheProgramAndTheDocument)
{
    struct Case {
        const char* name;
        std::function<void(ProgramSourceTest&)> act;
        int compiledAfter;
        int savedAfter;
    };
    const Case cases[] = {
        {"typing in the entry field", [](auto& t) { t.Type("N"); }, kTrue, kFalse},
        {"adding a line", [](auto& t) { t.Add("NOP"); }, kFalse, kFalse},
        {"clicking a line", [](auto& t) { t.src.List2_Click(0); }, kFalse, kTrue},
        {"editing the start address", [](auto& t) { t.m.Text1.setText("0100"); }, kFalse, kFalse},
        {"appending a line by program", [](auto& t) { t.src.AppendLine("HLT"); }, kTrue, kTrue},
    };
    for (const auto& c : cases) {
        Reset({"NOP", "HLT"}, -1);
        c.act(*this);
        EXPECT_EQ(m.run.ProgramCompiled, c.compiledAfter) << c.name;
        EXPECT_EQ(m.document.DocumentSaved, c.savedAfter) << c.name;
    }
}

}  // namespace
}  // namespace korvanta
