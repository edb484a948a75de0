#include "machine/machine.h"

namespace korvanta {

Machine::Machine(Host& h)
    : host(h), conv(h, ConvertedValue), memory(*this), cpu(*this), memoryCommands(*this)
{
    Text1.changed.connect([this] {
        document.DocumentSaved = kFalse;
        run.ProgramCompiled = kFalse;
    });
    Text13.changed.connect([this] { document.DocumentSaved = kFalse; });
}

void Machine::AppendSystemLog(std::string_view prefix)
{
    std::string text = Text13.text();
    text += prefix;
    text += host.dateTimeText();
    text += "\r\n";
    Text13.setText(text);
}

void Machine::SetStatus(std::string_view text, StatusColour colour)
{
    ExecStatus.setText(text);
    statusColour.set(colour);
}

MsgAnswer Machine::Message(std::string text, MsgIcon icon)
{
    return host.messageBox({std::move(text), kAppTitle, icon, MsgButtons::Ok, MsgAnswer::Ok});
}

}  // namespace korvanta
