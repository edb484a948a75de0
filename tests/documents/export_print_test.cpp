#include "documents_fixture.h"

namespace korvanta::testing {
namespace {

using ExportTest = DocumentsTest;
using PrintTest = DocumentsTest;

std::vector<std::string> SplitCrLf(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t at = 0;
    for (std::size_t end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
        lines.push_back(text.substr(at, end - at));
    EXPECT_EQ(at, text.size()) << "every line ends with CR LF";
    return lines;
}

TEST_F(ExportTest, ProgramOnlyIsSixFixedLinesPlusTheProgram)
{
    program({"MVI A,3E", "HLT"});
    docs.ShowSaveDialog();
    docs.Option4_Click();
    host.fileNames.push_back(path("out.txt"));
    docs.SaveDialog_Ok();

    EXPECT_EQ(SplitCrLf(ReadFile(dir / "out.txt")),
              (std::vector<std::string>{"Ombrix Korvanta", "BETA Pre-Release", "---------------------", "",
                                        "MVI A,3E", "HLT", "", "End Program - Created on 06/12/2026 10:00:00"}));
    const FileDialogRequest& r = host.fileDialogs.at(0);
    EXPECT_EQ(r.filter + "|" + r.defaultExtension + "|" + r.initialName, "*.txt|txt|Untitled.txt");
    EXPECT_EQ(m.document.ProjectNamed, kFalse);
    EXPECT_FALSE(docs.saveDialog.open.get());
}

TEST_F(ExportTest, ProgramAndStatesEndsWithAll4096MemoryLines)
{
    m.cpu.RegisterC.setText("0C");
    m.cpu.PC.setText("0005");
    m.cpu.Text2.setText("81");
    m.memory.EnterintoMEMory(1, "3E");
    WriteFile(dir / "s.txt", std::string(300000, 'z'));  // an older, longer file is replaced
    ASSERT_TRUE(docs.ExportProgramAndStatesTo(path("s.txt")));

    std::vector<std::string> lines = SplitCrLf(ReadFile(dir / "s.txt"));
    ASSERT_EQ(lines.size(), 19u + 4096u);
    const std::vector<std::string> head(lines.begin(), lines.begin() + 21);
    EXPECT_EQ(head, (std::vector<std::string>{
                        "Ombrix Korvanta", "BETA Pre-Release", "---------------------", "", "", "CPU States",
                        "Register A: 00", "Register B: 00", "Register C: 0C", "Register D: 00", "Register E: 00",
                        "Register H: 00", "Register L: 00", "", "Program Counter: 0005", "Stack Pointer: 0BBB",
                        "Flags (HEX): 81", "", "Memory:", "0000: 3E", "0001: 00"}));
    EXPECT_EQ(lines.back(), "0FFF: 00");
    EXPECT_EQ(lines[19 + 2623], "0A3F: 00");
    EXPECT_EQ(host.directory, "/start");
}

// The printout without memory, item by item.
std::vector<std::string> Describe(const std::vector<RecordedPrint>& items)
{
    std::vector<std::string> out;
    for (const auto& i : items) {
        switch (i.kind) {
        case RecordedPrint::Font: out.push_back("[font " + i.text + "]"); break;
        case RecordedPrint::Line: out.push_back(i.text); break;
        case RecordedPrint::Page: out.push_back("[page]"); break;
        case RecordedPrint::End: out.push_back("[end]"); break;
        case RecordedPrint::Abort: out.push_back("[abort]"); break;
        }
    }
    return out;
}

TEST_F(PrintTest, LineSequenceWithoutMemory)
{
    program({"MVI A,3E", "HLT"});
    m.cpu.RegisterH.setText("20");
    m.Text13.setText("Compile Started: now\r\nDone\r\n");
    std::vector<std::string> titles;
    m.view.windowTitle.changed.connect([&] { titles.push_back(m.view.windowTitle.get()); });
    docs.PrintDocument();

    EXPECT_EQ(Describe(host.printer.items),
              (std::vector<std::string>{
                  "[font arial 16 bold]", "", "", "Ombrix Korvanta", "[font arial 14]",
                  "Copyright (C) Ombrix Technology. All rights reserved.", "[font arial 12]", "MVI A,3E", "HLT",
                  "[page]", "[font arial 12 bold]", "", "", "CPU State:", "", "", "[font arial 12]",
                  "Register A: 00", "Register B: 00", "Register C: 00", "Register D: 00", "Register E: 00",
                  "Register H: 20", "Register L: 00", "", "Program Counter (PC): 0000", "Stack Pointer (SP): 0BBB",
                  "Flags (HEX): 00", "", "", "Compile Started: now\r\nDone\r\n", "[end]"}));
    const MessageRequest& q = host.messages.at(0);
    EXPECT_EQ(q.text, "Would you like to print the memory states?  This usually takes 10 or more pages.");
    EXPECT_EQ(q.title, "Ombrix Korvanta - Print");
    EXPECT_EQ(q.buttons, MsgButtons::YesNo);
    EXPECT_EQ(q.defaultButton, MsgAnswer::No);
    EXPECT_EQ(q.icon, MsgIcon::Question);
    EXPECT_EQ(titles, (std::vector<std::string>{"Ombrix Korvanta - Printing...", "Ombrix Korvanta"}));
}

TEST_F(PrintTest, MemoryIsEightColumnsOf512Addresses)
{
    m.memory.EnterintoMEMory(513, "AB");
    m.memory.EnterintoMEMory(4096, "CD");
    host.answers.push_back(MsgAnswer::Yes);
    host.yields = 0;
    docs.PrintDocument();

    std::vector<std::string> items = Describe(host.printer.items);
    const std::vector<std::string> tail(items.end() - 520, items.end());
    EXPECT_EQ(std::vector<std::string>(tail.begin(), tail.begin() + 6),
              (std::vector<std::string>{"[page]", "[font arial 12 bold]", "", "", "Memory States:", ""}));
    EXPECT_EQ(tail[6], "[font arial 12]");
    EXPECT_EQ(tail[7], "0000 = 00 | 0200 = AB | 0400 = 00 | 0600 = 00 | 0800 = 00 | 0A00 = 00 | 0C00 = 00 | 0E00 = 00");
    EXPECT_EQ(tail[518], "01FF = 00 | 03FF = 00 | 05FF = 00 | 07FF = 00 | 09FF = 00 | 0BFF = 00 | 0DFF = 00 | 0FFF = CD");
    EXPECT_EQ(tail[519], "[end]");
    EXPECT_EQ(host.yields, 512);
}

TEST_F(PrintTest, FailuresRestoreTheTitleAndDiscardTheDocument)
{
    const std::string intro =
        "Ombrix Korvanta Printing Error\r\n\r\nOmbrix Korvanta has experienced the following error while trying to "
        "print your document:\r\n";
    host.printer.failAfterLines = 5;
    docs.PrintDocument();
    EXPECT_EQ(host.printer.items.back().kind, RecordedPrint::Abort);
    EXPECT_EQ(m.view.windowTitle.get(), "Ombrix Korvanta");
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, intro + "Printer is out of paper (SYS482)");
    EXPECT_EQ(host.messages[0].icon, MsgIcon::Critical);

    host.messages.clear();
    host.printDialogError = SysError{"No printers are installed", 482};
    docs.PrintDocument();
    EXPECT_EQ(host.messageTexts(), std::vector<std::string>{intro + "No printers are installed (SYS482)"});

    host.messages.clear();
    host.printDialogError.reset();
    host.printer.items.clear();
    host.cancelPrint = true;
    docs.PrintDocument();
    EXPECT_TRUE(host.printer.items.empty());
    EXPECT_TRUE(host.messages.empty());
}

}  // namespace
}  // namespace korvanta::testing
