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

void Machine::AnnounceRunStart(std::string_view startLog)
{
    // A Stop given before this run began is no reason to call this run's end a
    // user halt; from here on StopRequest records a Stop given during the run.
    run.StopRequest = 0;

    List3.clear();
    List3.add(std::string(startLog));
    if (run.StepMode == kTrue) List3.add("Step Execution On");

    // A start address that cannot be found is reported and the run goes on from row 1.
    LocationIndex = 1;
    memory.DetermineProgramStart();

    ExecStatus.setText("Executing Program...");
    AppendSystemLog("Executing Program: ");
    statusColour.set(StatusColour::Yellow);

    host.yield();
    host.yield();
    ErrorFlag = kFalse;
}

MsgAnswer Machine::Message(std::string text, MsgIcon icon)
{
    return host.messageBox({std::move(text), kAppTitle, icon, MsgButtons::Ok, MsgAnswer::Ok});
}

}  // namespace korvanta
