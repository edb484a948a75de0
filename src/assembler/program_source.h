#pragma once

// The program as the learner writes it: the code list List2 with at most one
// selected line, the entry field EnterCode and the Add and Delete commands.

#include <optional>
#include <string>
#include <vector>

#include "machine/signal.h"
#include "machine/text_field.h"

namespace korvanta {

class Machine;

class ProgramSource {
public:
    explicit ProgramSource(Machine& m);

    TextField EnterCode{"EnterCode"};

    const std::vector<std::string>& lines() const { return lines_; }
    int lineCount() const { return static_cast<int>(lines_.size()); }
    int selected() const { return selected_; }  // -1: no line selected

    void Command1_Click();           // Add
    void Command2_Click();           // Delete
    void List2_Click(int index);     // the user selects a line
    void EnterCode_KeyPress(char typed);  // filter and insert one key; Enter adds the line

    // Roads that bypass the entry field (a loaded project, the automatic HLT).
    void AppendLine(std::string line);
    void Clear();
    // Selection made by the program (the assembler highlighting a line).
    void SelectLine(int index);

    // The entry field's key filter: the character to insert, or nothing.
    // Enter ('\r') is reported through pressedAdd and not inserted.
    static std::optional<char> EnterCodeKeyFilter(char typed, bool* pressedAdd = nullptr);
    // The start-address field's key filter: upper-cases, discards nothing.
    static char Text1KeyFilter(char typed);

    Signal<> linesReset;        // cleared
    Signal<int> lineInserted;   // index of the new line
    Signal<int> lineRemoved;    // index of the removed line
    Signal<> selectionChanged;

private:
    void setSelection(int index, bool countsAsClick);
    Machine& m_;
    std::vector<std::string> lines_;
    int selected_ = -1;
};

}  // namespace korvanta
