#pragma once

// Programs from elsewhere, in the usual Intel style, turned into the
// program's own code-list lines for Full 8085 mode, and back again.

#include <string>
#include <string_view>
#include <vector>

namespace korvanta::importer {

enum class Level { Error, Warning, Note };

// "error", "warning" or "note".
const char* LevelName(Level level);

// One finding, tied to a source line.
struct ReportLine {
    int line = 0;      // 1-based number of the source line; 0 for the source as a whole
    std::string text;  // that line as it stood in the source
    Level level = Level::Note;
    std::string message;
};

struct ImportOptions {
    int radix = 10;  // 10, or 16 for listings that write every number in hex without a suffix
};

struct ImportResult {
    // The program's own lines, each at most 48 characters; empty when the
    // report holds an error.
    std::vector<std::string> lines;
    // Where assembly begins: the ORG before the first byte (the last one,
    // when several come before it, as Full 8085 mode reads them), or 0000.
    std::string startAddress = "0000";
    std::string windowDigit = "0";   // the 4 KB block that holds every byte
    bool full = true;                // the source was written for the real chip
    std::vector<ReportLine> report;  // in source line order

    bool ok() const;  // no error in the report
};

// Any text is taken: binary data gets an error at line 0, a source of more
// than 100,000 statements is refused where it goes on, and past 50,000
// lines of comments the rest of the comments are left out (a warning).
ImportResult ImportStandardSource(std::string_view text, const ImportOptions& options = {});

// What kind of text a file holds, for the import dialog's first guess.
enum class SourceKind {
    Standard,  // standard 8085 assembly
    OwnLines,  // the program's own lines, as a text file of typed lines
    NotText,   // binary data or NUL bytes
};

SourceKind DetectSourceKind(std::string_view text);

struct ExportResult {
    std::string text;                // the standard source, LF line ends
    std::vector<ReportLine> report;  // lines that could not be written exactly (line numbers count from 1)
};

// A project's lines as a standard source that any 8085 assembler takes and
// that imports back to the same bytes at the same addresses. startAddress is
// the project's start field; fullMode says which mode's assembling rules the
// lines were written for; orgCommands is the option "Understand textual
// "!!ORG" commands".
ExportResult ExportStandardSource(const std::vector<std::string>& lines, const std::string& startAddress,
                                  bool fullMode, bool orgCommands = true);

}  // namespace korvanta::importer
