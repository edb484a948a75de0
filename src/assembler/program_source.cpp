#include "assembler/program_source.h"

#include <cctype>

#include "machine/machine.h"

namespace korvanta {

namespace {
std::string trimBlanks(const std::string& text)
{
    auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}
}  // namespace

ProgramSource::ProgramSource(Machine& m) : m_(m)
{
    EnterCode.changed.connect([this] { m_.document.DocumentSaved = kFalse; });
}

void ProgramSource::setSelection(int index, bool countsAsClick)
{
    if (selected_ != index) {
        selected_ = index;
        selectionChanged.emit();
    }
    if (countsAsClick) m_.run.ProgramCompiled = kFalse;
}

void ProgramSource::Command1_Click()
{
    if (EnterCode.text().empty()) {  // tested before trimming: blanks alone pass
        m_.Message("Please enter ASM code in the blank.", MsgIcon::Critical);
        return;
    }
    EnterCode.setText(trimBlanks(EnterCode.text()));
    int at = selected_ < 0 ? lineCount() : selected_ + 1;
    lines_.insert(lines_.begin() + at, EnterCode.text());
    lineInserted.emit(at);
    setSelection(at, true);
    EnterCode.setText("");
    m_.view.focusRequested.emit(FocusTarget::EnterCode);
}

void ProgramSource::Command2_Click()
{
    m_.document.DocumentSaved = kFalse;
    if (selected_ < 0) {
        m_.Message("Please choose a line to delete.", MsgIcon::Information);
        return;
    }
    int k = selected_;
    lines_.erase(lines_.begin() + k);
    selected_ = -1;
    lineRemoved.emit(k);
    if (lines_.empty()) {
        selectionChanged.emit();
        return;
    }
    setSelection(k > 0 ? k - 1 : 0, true);
    m_.view.focusRequested.emit(FocusTarget::EnterCode);
}

void ProgramSource::List2_Click(int index)
{
    if (index < 0 || index >= lineCount()) return;
    setSelection(index, true);
}

void ProgramSource::SelectLine(int index)
{
    if (index < 0 || index >= lineCount()) return;
    setSelection(index, true);
}

void ProgramSource::AppendLine(std::string line)
{
    lines_.push_back(std::move(line));
    lineInserted.emit(lineCount() - 1);
}

void ProgramSource::Clear()
{
    lines_.clear();
    selected_ = -1;
    linesReset.emit();
    selectionChanged.emit();
}

std::optional<char> ProgramSource::EnterCodeKeyFilter(char typed, bool* pressedAdd)
{
    unsigned char code = static_cast<unsigned char>(typed);
    if (code > 122) return std::nullopt;
    char c = static_cast<char>(std::toupper(code));
    if (c == '\r') {
        if (pressedAdd) *pressedAdd = true;
        return std::nullopt;  // the line is added; nothing is inserted
    }
    switch (c) {
    case '\b': case ' ': case ':': case ',': case '.': case '!': return c;
    default: break;
    }
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z')) return c;
    return std::nullopt;
}

char ProgramSource::Text1KeyFilter(char typed)
{
    return static_cast<char>(std::toupper(static_cast<unsigned char>(typed)));
}

void ProgramSource::EnterCode_KeyPress(char typed)
{
    bool pressedAdd = false;
    std::optional<char> c = EnterCodeKeyFilter(typed, &pressedAdd);
    if (pressedAdd) {
        Command1_Click();
        return;
    }
    if (!c) return;
    std::string text = EnterCode.text();
    if (*c == '\b') {
        if (!text.empty()) text.pop_back();
    } else {
        text += *c;
    }
    EnterCode.setText(text);
}

}  // namespace korvanta
