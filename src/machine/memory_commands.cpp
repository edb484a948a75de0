#include "machine/memory_commands.h"

#include <cctype>

#include "machine/machine.h"

namespace korvanta {

void MemoryCommands::Combo1_Click(const std::string& digit)
{
    m_.window.windowDigit.set(digit);
    if (m_.SuppressRangeClick != 0) {  // the click caused by the start-up selection
        m_.SuppressRangeClick = 0;
        return;
    }
    if (digit.empty()) return;
    MsgAnswer answer = m_.host.messageBox(
        {kRangeChangeQuestion, kMainTitle, MsgIcon::Question, MsgButtons::YesNo, MsgAnswer::No});
    if (answer == MsgAnswer::Yes) m_.memory.SetupTheMemoryWindow(digit);
    m_.Text1.setText(digit + "000");
    m_.cpu.SP.setText(digit + "BBB");
    m_.cpu.PC.setText(digit + "000");
    m_.run.ProgramCompiled = kFalse;
}

void MemoryCommands::Toolbar2_ButtonClick(int index)
{
    m_.run.ProgramCompiled = kFalse;
    if (index == 1) {
        m_.Text13.setText("");
        for (char r : {'A', 'B', 'C', 'D', 'E', 'H', 'L'}) m_.cpu.registerField(r)->setText("00");
        m_.cpu.PC.setText("0000");
        m_.cpu.SP.setText("0BBB");
        m_.cpu.Text2.setText("00");
        m_.memory.SetupTheMemoryWindow("0");  // always the first block, whatever the selector shows
    } else if (index == 2) {
        m_.view.mainWindowEnabled.set(false);
        m_.view.dialogRequested.emit(DialogKind::ShowMem);
    }
}

void MemoryCommands::closeDialog(bool focusMain)
{
    m_.view.mainWindowEnabled.set(true);
    if (focusMain) m_.view.focusRequested.emit(FocusTarget::MainWindow);
}

bool MemoryCommands::ShowMemOk(std::string_view entry)
{
    m_.ErrorFlag = kFalse;
    m_.memory.ConvertMEMtoINDEX(entry);
    if (m_.ErrorFlag == kTrue) return false;  // stays open
    m_.view.selectAndScrollMemoryRow(std::stoi(m_.ConvertedValue));
    m_.view.dialogClosed.emit(DialogKind::ShowMem);
    closeDialog(true);
    return true;
}

void MemoryCommands::ShowMemCancel()
{
    m_.view.dialogClosed.emit(DialogKind::ShowMem);
    closeDialog(true);
}

std::optional<EditMemoryState> MemoryCommands::ListView1_DblClick(int selectedRow)
{
    if (!m_.window.hasRow(selectedRow) || m_.window.address(selectedRow).empty()) return std::nullopt;
    m_.document.DocumentSaved = kFalse;
    m_.view.mainWindowEnabled.set(false);
    EditMemoryState state{selectedRow, m_.window.address(selectedRow), m_.window.data(selectedRow)};
    m_.view.dialogRequested.emit(DialogKind::EditMemory);
    return state;
}

void MemoryCommands::EditMemoryOk(int itsKEY, std::string_view data)
{
    EditByte(itsKEY, data);
    m_.view.dialogClosed.emit(DialogKind::EditMemory);
    closeDialog(false);
}

void MemoryCommands::EditByte(int row, std::string_view data)
{
    if (!m_.window.hasRow(row)) return;
    m_.document.DocumentSaved = kFalse;
    std::string text(data);
    if (text.find_first_not_of(' ') == std::string::npos) text = "00";
    if (text.size() < 2) text.insert(0, "0");
    m_.memory.EnterintoMEMory(row, text);
}

void MemoryCommands::EditMemoryCancel()
{
    m_.view.dialogClosed.emit(DialogKind::EditMemory);
    closeDialog(true);
}

std::optional<char> MemoryCommands::DialogKeyFilter(char typed, bool* pressedOk)
{
    unsigned char code = static_cast<unsigned char>(typed);
    char c = static_cast<char>(std::toupper(code));
    if (c == '\r') {
        if (pressedOk) *pressedOk = true;
        return std::nullopt;
    }
    if (code > 122) return std::nullopt;
    if (static_cast<unsigned char>(c) < 32 && c != '\b') return std::nullopt;
    bool allowed = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || c == ',' || c == ' ' || c == '\b';
    if (!allowed) return std::nullopt;
    return c;
}

}  // namespace korvanta
