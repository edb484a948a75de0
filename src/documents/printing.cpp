#include "assembler/program_source.h"
#include "documents/document_texts.h"
#include "documents/documents.h"
#include "machine/machine.h"

namespace korvanta {

namespace {

constexpr const char* kFace = "arial";
constexpr int kMemoryLines = 512;
constexpr int kColumns = 8;

void printBlankLines(Printer& p, int count)
{
    for (int i = 0; i < count; ++i) p.printLine("");
}

}  // namespace

void Documents::PrintDocument()
{
    Printer* printer = nullptr;
    try {
        printer = m_.host.printDialog();  // copies are set on it already
    } catch (const SysError& error) {
        m_.Message(printingErrorText(error), MsgIcon::Critical);
        return;
    }
    if (!printer) return;  // cancelled

    Printer& p = *printer;
    m_.view.windowTitle.set(kPrintingTitle);
    try {
        p.setFont(kFace, 16, true);
        printBlankLines(p, 2);
        p.printLine("Ombrix Korvanta");

        p.setFont(kFace, 14, false);
        p.printLine("Copyright (C) Ombrix Technology. All rights reserved.");

        p.setFont(kFace, 12, false);
        for (const std::string& line : source_.lines()) p.printLine(line);

        p.newPage();

        p.setFont(kFace, 12, true);
        printBlankLines(p, 2);
        p.printLine("CPU State:");
        printBlankLines(p, 2);

        p.setFont(kFace, 12, false);
        for (const std::string& line : cpuStateLines(m_.cpu, "Program Counter (PC)", "Stack Pointer (SP)"))
            p.printLine(line);
        printBlankLines(p, 2);
        p.printLine(m_.Text13.text());

        MsgAnswer answer = m_.host.messageBox(
            {"Would you like to print the memory states?  This usually takes 10 or more pages.",
             kPrintQuestionTitle, MsgIcon::Question, MsgButtons::YesNo, MsgAnswer::No});
        if (answer == MsgAnswer::Yes) {
            p.newPage();
            p.setFont(kFace, 12, true);
            printBlankLines(p, 2);
            p.printLine("Memory States:");
            printBlankLines(p, 1);
            p.setFont(kFace, 12, false);
            for (int j = 1; j <= kMemoryLines; ++j) {
                std::string line;
                for (int col = 0; col < kColumns; ++col) {
                    int row = j + col * kMemoryLines;
                    if (col > 0) line += " | ";
                    if (m_.window.hasRow(row)) line += m_.window.address(row) + " = " + m_.window.data(row);
                }
                p.printLine(line);
                m_.host.yield();
            }
        }
        p.endDocument();
    } catch (const SysError& error) {
        // Throw the partial document away and give the window its title back
        // before telling the user.
        try {
            p.abortDocument();
        } catch (const SysError&) {
        }
        m_.view.windowTitle.set(kDocumentTitle);
        m_.Message(printingErrorText(error), MsgIcon::Critical);
        return;
    }
    m_.view.windowTitle.set(kDocumentTitle);
}

}  // namespace korvanta
