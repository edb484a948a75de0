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

std::vector<std::string> documents_detail::cpuStateLines(const CpuFields& c, const std::string& pcName,
                                                         const std::string& spName)
{
    return {"Register A: " + c.RegisterA.text(),
            "Register B: " + c.RegisterB.text(),
            "Register C: " + c.RegisterC.text(),
            "Register D: " + c.RegisterD.text(),
            "Register E: " + c.RegisterE.text(),
            "Register H: " + c.RegisterH.text(),
            "Register L: " + c.RegisterL.text(),
            "",
            pcName + ": " + c.PC.text(),
            spName + ": " + c.SP.text(),
            "Flags (HEX): " + c.Text2.text()};
}

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
    for (std::string& line : cpuStateLines(m_.cpu, "Program Counter", "Stack Pointer"))
        out.push_back(std::move(line));
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

bool Documents::exportTo(const std::string& fileName, bool withStates)
{
    if (trimBlanks(fileName).empty()) {
        showSavingError(sys::BadFileName());
        return false;
    }
    return writeTextFile(fileName, withStates ? ProgramAndStatesLines() : ProgramOnlyLines());
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
