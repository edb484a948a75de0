#pragma once

// Projects on disk and on paper: the .QSM project file, the save dialog's
// logic, the text exports and printing.

namespace korvanta {

class Machine;
class ProgramSource;

class Documents {
public:
    Documents(Machine& m, ProgramSource& source);

private:
    Machine& m_;
    ProgramSource& source_;
};

}  // namespace korvanta
