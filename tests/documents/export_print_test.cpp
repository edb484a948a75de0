#include <cstdio>

#include "documents_fixture.h"

namespace korvanta::testing {
namespace {

using ExportPrintTest = DocumentsTest;

std::string CrLf(const Lines& lines)
{
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

TEST_F(ExportPrintTest, BothExportsLineByLine)
{
    for (const char* line : {"MVI A,3E", "HLT"}) source.AppendLine(line);
    host.directory = "/elsewhere";
    saveDialogOk(&Documents::Option4_Click, path("p.txt"));
    const Lines heading{"Ombrix Korvanta", "BETA Pre-Release", "---------------------", ""};
    Lines expected = heading;
    expected.insert(expected.end(), {"MVI A,3E", "HLT", "", "End Program - Created on " + host.dateTime});
    EXPECT_EQ(ReadFile(dir / "p.txt"), CrLf(expected));
    EXPECT_EQ(host.directory, "/start");

    source.Clear();
    m.cpu.RegisterC.setText("0C");
    m.cpu.PC.setText("0005");
    m.cpu.Text2.setText("81");
    m.memory.EnterintoMEMory(2624, "3E");
    write("s.txt", std::string(300000, 'z'));  // an older, longer file is replaced whole
    saveDialogOk(&Documents::Option3_Click, path("s.txt"));
    expected = heading;
    expected.insert(expected.end(),
                    {"", "CPU States", "Register A: 00", "Register B: 00", "Register C: 0C", "Register D: 00",
                     "Register E: 00", "Register H: 00", "Register L: 00", "", "Program Counter: 0005",
                     "Stack Pointer: 0BBB", "Flags (HEX): 81", "", "Memory:"});
    for (int n = 0; n < 4096; ++n) {
        char line[16];
        std::snprintf(line, sizeof line, "%04X: %s", n, n == 0xA3F ? "3E" : "00");
        expected.push_back(line);
    }
    EXPECT_EQ(ReadFile(dir / "s.txt"), CrLf(expected));
}

Lines Printed(const std::vector<RecordedPrint>& items)
{
    static const std::string kMarks[] = {"font ", "", "page", "end", "abort"};
    Lines out;
    for (const auto& i : items)
        out.push_back(i.kind == RecordedPrint::Line ? i.text : "[" + kMarks[i.kind] + i.text + "]");
    return out;
}

TEST_F(ExportPrintTest, PrintSequenceWithFontsPagesAndTheMemoryOnRequest)
{
    for (const char* line : {"MVI A,3E", "HLT"}) source.AppendLine(line);
    m.cpu.RegisterH.setText("20");
    m.Text13.setText("Compile Started: now\r\nDone\r\n");
    Lines titles;
    m.view.windowTitle.changed.connect([&] { titles.push_back(m.view.windowTitle.get()); });
    docs.PrintDocument();
    const Lines expected{
        "[font arial 16 bold]", "", "", "Ombrix Korvanta", "[font arial 14]",
        "Copyright (C) Ombrix Technology. All rights reserved.", "[font arial 12]", "MVI A,3E", "HLT",
        "[page]", "[font arial 12 bold]", "", "", "CPU State:", "", "", "[font arial 12]", "Register A: 00",
        "Register B: 00", "Register C: 00", "Register D: 00", "Register E: 00", "Register H: 20",
        "Register L: 00", "", "Program Counter (PC): 0000", "Stack Pointer (SP): 0BBB", "Flags (HEX): 00", "",
        "", "Compile Started: now\r\nDone\r\n", "[end]"};
    EXPECT_EQ(Printed(host.printer.items), expected);
    const MessageRequest& q = host.messages.at(0);
    EXPECT_EQ(q.text, "Would you like to print the memory states?  This usually takes 10 or more pages.");
    EXPECT_TRUE(q.title == "Ombrix Korvanta - Print" && q.buttons == MsgButtons::YesNo &&
                q.defaultButton == MsgAnswer::No && q.icon == MsgIcon::Question);
    EXPECT_EQ(titles, (Lines{"Ombrix Korvanta - Printing...", "Ombrix Korvanta"}));

    m.memory.EnterintoMEMory(513, "AB");
    m.memory.EnterintoMEMory(4096, "CD");
    host.printer.items.clear();
    host.answers.push_back(MsgAnswer::Yes);
    host.yields = 0;
    docs.PrintDocument();
    Lines withMemory(expected.begin(), expected.end() - 1);
    withMemory.insert(withMemory.end(),
                      {"[page]", "[font arial 12 bold]", "", "", "Memory States:", "", "[font arial 12]"});
    const Lines items = Printed(host.printer.items);
    ASSERT_EQ(items.size(), withMemory.size() + 513);
    EXPECT_EQ(Lines(items.begin(), items.begin() + withMemory.size()), withMemory);
    EXPECT_EQ(items[withMemory.size()], "0000 = 00 | 0200 = AB | 0400 = 00 | 0600 = 00 | 0800 = 00 | "
                                        "0A00 = 00 | 0C00 = 00 | 0E00 = 00");
    EXPECT_EQ(items[items.size() - 2], "01FF = 00 | 03FF = 00 | 05FF = 00 | 07FF = 00 | 09FF = 00 | "
                                       "0BFF = 00 | 0DFF = 00 | 0FFF = CD");
    EXPECT_EQ(items.back(), "[end]");
    EXPECT_EQ(host.yields, 512);
}

TEST_F(ExportPrintTest, FailedPrintRestoresTheTitleAndDiscardsTheDocument)
{
    const std::string intro = "Ombrix Korvanta Printing Error\r\n\r\nOmbrix Korvanta has experienced the "
                              "following error while trying to print your document:\r\n";
    host.printer.failAfterLines = 5;
    docs.PrintDocument();
    EXPECT_EQ(host.printer.items.back().kind, RecordedPrint::Abort);
    EXPECT_EQ(m.view.windowTitle.get(), "Ombrix Korvanta");
    host.printer.items.clear();
    host.printDialogError = SysError{"No printers are installed", 482};
    docs.PrintDocument();
    host.printDialogError.reset();
    host.cancelPrint = true;
    docs.PrintDocument();  // silently
    EXPECT_TRUE(host.printer.items.empty());
    EXPECT_EQ(host.messageTexts(), (Lines{intro + "Printer is out of paper (SYS482)",
                                          intro + "No printers are installed (SYS482)"}));
    EXPECT_TRUE(host.messages[0].icon == MsgIcon::Critical && host.messages[1].icon == MsgIcon::Critical);
}

}  // namespace
}  // namespace korvanta::testing
