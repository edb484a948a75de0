#pragma once

// The user's commands on memory: choosing the window, resetting the machine,
// scrolling to an address and editing one byte. The dialogs themselves are the
// window's business; their Ok and Cancel logic lives here.

#include <optional>
#include <string>
#include <string_view>

namespace korvanta {

class Machine;

inline constexpr const char* kRangeChangeQuestion =
    "If you change the current memory selection, you will reset the current CPU state.  Futhermore, only "
    "memory in the displayed range is accessible to the simulator.  Memory in ranges outside of the current "
    "displayed range will be lost.  Are you sure you want to do this?";

// What the edit dialog shows when it opens.
struct EditMemoryState {
    int itsKEY = 0;        // the row's MemoryIndex
    std::string address;   // read-only field
    std::string data;      // entry field, at most 2 characters
};

class MemoryCommands {
public:
    explicit MemoryCommands(Machine& m) : m_(m) {}

    // Combo1 click after its text became digit.
    void Combo1_Click(const std::string& digit);

    // Toolbar2: button 1 "Reset the Memory", button 2 "Scroll to a memory location".
    void Toolbar2_ButtonClick(int index);

    // The scroll dialog. Ok returns true when the dialog closes.
    bool ShowMemOk(std::string_view entry);
    void ShowMemCancel();

    // A double click on the selected memory row. Returns the dialog's contents,
    // or nothing when no dialog opens.
    std::optional<EditMemoryState> ListView1_DblClick(int selectedRow);
    void EditMemoryOk(int itsKEY, std::string_view data);
    void EditMemoryCancel();
    // The edit dialog's Ok without the dialog: the byte completed as Ok
    // completes it and stored in the row. The hex view edits through this.
    void EditByte(int row, std::string_view data);

    // Key filter of both dialogs' entry fields. '\r' (Enter) is reported
    // through pressedOk and then discarded.
    static std::optional<char> DialogKeyFilter(char typed, bool* pressedOk = nullptr);

private:
    void closeDialog(bool focusMain);
    Machine& m_;
};

}  // namespace korvanta
