#pragma once

// Texts and small rules shared by the document commands.

#include <string>
#include <vector>

#include "machine/host.h"

namespace korvanta {

class CpuFields;

inline constexpr const char* kDocumentTitle = "Ombrix Korvanta";
inline constexpr const char* kPrintingTitle = "Ombrix Korvanta - Printing...";
inline constexpr const char* kPrintQuestionTitle = "Ombrix Korvanta - Print";

namespace documents_detail {
std::string trimBlanks(const std::string& text);
// Appends ".QSM" unless the name's last four characters already are ".QSM".
std::string withQsmSuffix(const std::string& fileName);
// The registers, a blank line, then PC, SP and the flags, as an export or a
// printout lists them; the two name PC and SP differently.
std::vector<std::string> cpuStateLines(const CpuFields& cpu, const std::string& pcName, const std::string& spName);
}  // namespace documents_detail
using documents_detail::cpuStateLines;
using documents_detail::trimBlanks;
using documents_detail::withQsmSuffix;

inline std::string savingErrorText(const SysError& error)
{
    return "Ombrix Korvanta Saving Error\r\n\r\n"
           "A fatal error has occured while trying to save your program.  The error registers:\r\n" +
           error.description + "(SYS" + std::to_string(error.number) + ")";
}

inline std::string printingErrorText(const SysError& error)
{
    return "Ombrix Korvanta Printing Error\r\n\r\n"
           "Ombrix Korvanta has experienced the following error while trying to print your document:\r\n" +
           error.description + " (SYS" + std::to_string(error.number) + ")";
}

}  // namespace korvanta
