#pragma once

// A program brought in from a file, and making it the current project.

#include <string>
#include <vector>

namespace korvanta {

class Simulator;

struct ImportedProgram {
    std::vector<std::string> lines;  // the program's own lines
    std::string startAddress = "0000";
    std::string windowDigit = "0";
    bool full = true;  // the mode the program was written for
};

// Puts the program in: the memory window that holds it (rebuilt, every byte
// 00), SP and PC at the window's defaults, the start address, the mode, and
// the lines in the code list. The rest of the project is left to the caller,
// which has reset it.
void ApplyImportedProgram(Simulator& sim, const ImportedProgram& program);

}  // namespace korvanta
