#pragma once

// The parts of the window that the core drives: what is shown, enabled,
// selected or focused. The Qt window mirrors these; tests read them.

#include <string>
#include <vector>

#include "machine/signal.h"

namespace korvanta {

enum class FocusTarget { EnterCode, SystemLog, MainWindow, ScrollEntry, EditData, SaveDialog };
enum class DialogKind { ShowMem, EditMemory, SaveProgram };
enum class StatusColour { None, Yellow, Green, Red };

const char* statusColourName(StatusColour colour);  // "yellow", "green", "red" or ""

struct ViewState {
    Observable<bool> memoryViewVisible{true};  // ListView1 shown
    Observable<bool> memorySorted{true};       // ListView1 keeps rows sorted
    Observable<int> selectedMemoryRow{0};      // 0: no row selected
    Signal<int> scrollMemoryTo;                // make this row visible
    Observable<bool> runEnabled{true};         // Toolbar1 button 11
    Observable<bool> resetMemoryEnabled{true}; // Toolbar2 button 1
    Observable<std::string> memoryFrameCaption{"Memory Values"};  // Frame6
    Observable<std::string> windowTitle{"Ombrix Korvanta"};
    Observable<bool> mainWindowEnabled{true};
    Signal<FocusTarget> focusRequested;
    Signal<DialogKind> dialogRequested;
    Signal<DialogKind> dialogClosed;

    void selectAndScrollMemoryRow(int row)
    {
        selectedMemoryRow.set(row);
        scrollMemoryTo.emit(row);
    }
};

// The program log List3: short event lines.
class ProgramLog {
public:
    const std::vector<std::string>& lines() const { return lines_; }
    void clear()
    {
        lines_.clear();
        cleared.emit();
    }
    void add(std::string line)
    {
        lines_.push_back(std::move(line));
        appended.emit(static_cast<int>(lines_.size()) - 1);
    }
    // Keeps the first n lines (step back takes a run's last lines away).
    void truncate(std::size_t n)
    {
        if (n >= lines_.size()) return;
        std::vector<std::string> kept(lines_.begin(), lines_.begin() + static_cast<std::ptrdiff_t>(n));
        clear();
        for (std::string& line : kept) add(std::move(line));
    }
    Signal<> cleared;
    Signal<int> appended;  // index of the new line

private:
    std::vector<std::string> lines_;
};

inline constexpr int kDefaultInstructionBudget = 4096;
inline constexpr int kMaxInstructionBudget = 100'000'000;

// The check boxes of the "Options" frame. Check1 and Check2 exclude each other.
struct Options {
    Observable<int> Check1{0};  // "Just compile (do not run)"
    Observable<int> Check2{0};  // "Jun run (do not compile)"
    Observable<int> Check3{1};  // "Automatically add "HLT" if necessary"
    Observable<int> Check4{1};  // "Understand textual "!!ORG" commands"
    // "Full 8085 (carry out every instruction)": the real chip's behaviour
    // instead of the classic one. Off unless the user or the project asks.
    Observable<int> Full8085{0};
    // A run ends after more counted instructions than this, in both modes.
    Observable<int> MaxInstructions{kDefaultInstructionBudget};

    // A user's click leaving the box at value.
    void Check1_Click(int value)
    {
        Check1.set(value);
        if (value == 1) Check2.set(0);
    }
    void Check2_Click(int value)
    {
        Check2.set(value);
        if (value == 1) Check1.set(0);
    }
};

}  // namespace korvanta
