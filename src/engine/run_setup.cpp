#include "engine/run_setup.h"

#include <cctype>

#include "assembler/program_source.h"
#include "machine/machine.h"
#include "machine/recording_host.h"

namespace korvanta {

namespace {

std::string upper(std::string text)
{
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::optional<char> registerKey(char key)
{
    return CpuFields::KeyFilter({}, key);
}

std::optional<char> dialogKey(char key)
{
    return MemoryCommands::DialogKeyFilter(key);
}

std::optional<char> startKey(char key)
{
    return ProgramSource::Text1KeyFilter(key);
}

}  // namespace

std::string TypedFieldText(std::string_view keys, int maxLength, std::optional<char> (*filter)(char))
{
    std::string text;
    for (char key : keys) {
        std::optional<char> c = filter(key);
        if (!c) continue;
        if (*c == '\b') {
            if (!text.empty()) text.pop_back();
        } else if (maxLength == 0 || static_cast<int>(text.size()) < maxLength) {
            text += *c;
        }
    }
    return text;
}

TextField* SettableField(Machine& m, const std::string& name)
{
    if (name == "SP") return &m.cpu.SP;
    if (name == "FLAGS") return &m.cpu.Text2;
    return m.cpu.registerField(name);
}

void TypeIntoField(Machine& m, TextField& field, std::string_view value)
{
    CpuFields& cpu = m.cpu;
    field.setText(TypedFieldText(value, field.maxLength(), registerKey));
    if (&field == &cpu.Text2) {
        cpu.Text2LostFocus();
    } else if (&field != &cpu.SP) {
        cpu.RegisterLostFocus(field);
    }
}

std::optional<std::string> PokeMemory(Machine& m, const std::string& address, std::string_view byte)
{
    int row = m.window.rowOfAddress(upper(address));
    if (row == 0) {
        const std::string& digit = m.window.windowDigit.get();
        return "address '" + address + "' is not in the memory window " + digit + "000-" + digit + "FFF";
    }
    std::optional<EditMemoryState> dialog = m.memoryCommands.ListView1_DblClick(row);
    if (!dialog) return "the memory row of '" + address + "' cannot be edited";
    m.memoryCommands.EditMemoryOk(dialog->itsKEY, TypedFieldText(byte, 2, dialogKey));
    return std::nullopt;
}

void SelectWindow(Machine& m, RecordingHost& host, const std::string& digit)
{
    host.answerNextQuestionSilently(kRangeChangeQuestion, MsgAnswer::Yes);
    m.memoryCommands.Combo1_Click(digit);
}

void TypeStartAddress(Machine& m, std::string_view address)
{
    m.Text1.setText(TypedFieldText(address, m.Text1.maxLength(), startKey));
}

}  // namespace korvanta
