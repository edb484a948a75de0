#include "assembler/program_source.h"
#include "documents/document_texts.h"
#include "documents/documents.h"
#include "documents/project_file.h"
#include "machine/machine.h"

namespace korvanta {

namespace {

void appendHeadingAndProgram(std::vector<std::string>& out, const ProgramSource& source)
{
    out.push_back("Ombrix Korvanta");
    out.push_back("BETA Pre-Release");
    out.push_back("---------------------");
    out.push_back("");
    for (const std::string& line : source.lines()) out.push_back(line);
    out.push_back("");
}

}  // namespace

std::vector<std::string> Documents::ProgramOnlyLines()
{
    std::vector<std::string> out;
    appendHeadingAndProgram(out, source_);
    out.push_back("End Program - Created on " + m_.host.dateTimeText());
    return out;
}

std::vector<std::string> Documents::ProgramAndStatesLines()
{
    std::vector<std::string> out;
    appendHeadingAndProgram(out, source_);
    out.push_back("CPU States");
    const CpuFields& c = m_.cpu;
    out.push_back("Register A: " + c.RegisterA.text());
    out.push_back("Register B: " + c.RegisterB.text());
    out.push_back("Register C: " + c.RegisterC.text());
    out.push_back("Register D: " + c.RegisterD.text());
    out.push_back("Register E: " + c.RegisterE.text());
    out.push_back("Register H: " + c.RegisterH.text());
    out.push_back("Register L: " + c.RegisterL.text());
    out.push_back("");
    out.push_back("Program Counter: " + c.PC.text());
    out.push_back("Stack Pointer: " + c.SP.text());
    out.push_back("Flags (HEX): " + c.Text2.text());
    out.push_back("");
    out.push_back("Memory:");
    for (int n = 1; n <= m_.window.rowCount(); ++n) {
        out.push_back(m_.window.address(n) + ": " + m_.window.data(n));
        m_.host.yield();
    }
    return out;
}

bool Documents::writeTextFile(const std::string& fileName, const std::vector<std::string>& lines)
{
    std::string content;
    for (const std::string& line : lines) {
        content += line;
        content += "\r\n";
    }
    try {
        store_->replaceFile(fileName, content);
    } catch (const SysError& error) {
        returnToStartDirectory();
        showSavingError(error);
        return false;
    }
    returnToStartDirectory();
    return true;
}

bool Documents::ExportProgramOnlyTo(const std::string& fileName)
{
    if (trimBlanks(fileName).empty()) {
        showSavingError(sys::BadFileName());
        return false;
    }
    return writeTextFile(fileName, ProgramOnlyLines());
}

bool Documents::ExportProgramAndStatesTo(const std::string& fileName)
{
    if (trimBlanks(fileName).empty()) {
        showSavingError(sys::BadFileName());
        return false;
    }
    return writeTextFile(fileName, ProgramAndStatesLines());
}

void Documents::exportWithDialog(bool withStates)
{
    auto chosen = m_.host.saveFileDialog({kDocumentTitle, "*.txt", "txt", "Untitled.txt"});
    if (!chosen || trimBlanks(*chosen).empty()) {
        closeSaveDialog(false);  // as Cancel
        return;
    }
    m_.host.yield();
    beginSaving();
    writeTextFile(*chosen, withStates ? ProgramAndStatesLines() : ProgramOnlyLines());
    // An export is not a save of the project: an exit or New waiting on the
    // dialog does not go ahead on it.
    closeSaveDialog(false);
}

void Documents::ExportProgramOnly()
{
    exportWithDialog(false);
}

void Documents::ExportProgramAndStates()
{
    exportWithDialog(true);
}

}  // namespace korvanta
