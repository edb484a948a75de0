#include "cli/run_command.h"

#include <cctype>

#include "cli/cli_host.h"
#include "cli/program_file.h"
#include "cli/report.h"
#include "engine/simulator.h"

namespace korvanta::cli {

namespace {

std::string upper(std::string text)
{
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

TextField* fieldNamed(CpuFields& cpu, const std::string& name)
{
    if (name == "SP") return &cpu.SP;
    if (name == "FLAGS") return &cpu.Text2;
    return cpu.registerField(name);
}

// What a field shows after `keys` were typed into it, emptied first: the
// key filter, backspace and the maximum length as the keyboard meets them.
template <class Filter>
std::string typeKeys(std::string_view keys, int maxLength, Filter filter)
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

void applySet(Machine& m, const std::pair<std::string, std::string>& set)
{
    CpuFields& cpu = m.cpu;
    TextField& field = *fieldNamed(cpu, set.first);
    field.setText(typeKeys(set.second, field.maxLength(),
                           [&](char key) { return CpuFields::KeyFilter(field.text(), key); }));
    if (&field == &cpu.Text2) {
        cpu.Text2LostFocus();
    } else if (&field != &cpu.SP) {
        cpu.RegisterLostFocus(field);
    }
}

// The edit dialog opened on the row of the address, the byte typed, Ok.
bool applyPoke(Machine& m, const std::pair<std::string, std::string>& poke, std::string& error)
{
    const std::string address = upper(poke.first);
    int row = m.window.rowOfAddress(address);
    if (row == 0) {
        const std::string& digit = m.window.windowDigit.get();
        error = "--poke: address '" + poke.first + "' is not in the memory window " + digit + "000-" + digit + "FFF";
        return false;
    }
    std::optional<EditMemoryState> dialog = m.memoryCommands.ListView1_DblClick(row);
    if (!dialog) {
        error = "--poke: the memory row of '" + poke.first + "' cannot be edited";
        return false;
    }
    std::string data = typeKeys(poke.second, 2, [](char key) { return MemoryCommands::DialogKeyFilter(key); });
    m.memoryCommands.EditMemoryOk(dialog->itsKEY, data);
    return true;
}

int usageError(std::ostream& err, const std::string& reason)
{
    err << "korvanta-cli: " << reason << '\n';
    return kExitUsage;
}

}  // namespace

std::optional<std::string> ParseWindow(const std::string& text, std::string& digit)
{
    if (text.size() == 1 && std::isxdigit(static_cast<unsigned char>(text[0]))) {
        digit = upper(text);
        return std::nullopt;
    }
    return "--window: '" + text + "' is not one hexadecimal digit (0-9 or A-F)";
}

std::optional<std::string> ParseAssignment(const std::string& option, const std::string& text,
                                           std::pair<std::string, std::string>& parts)
{
    auto equals = text.find('=');
    if (equals == std::string::npos || equals == 0) return option + ": '" + text + "' is not of the form NAME=VALUE";
    parts = {text.substr(0, equals), text.substr(equals + 1)};
    return std::nullopt;
}

std::optional<std::string> ParseSet(const std::string& text, std::pair<std::string, std::string>& set)
{
    if (auto error = ParseAssignment("--set", text, set)) return error;
    set.first = upper(set.first);
    static constexpr const char* kNames[] = {"A", "B", "C", "D", "E", "H", "L", "SP", "FLAGS"};
    for (const char* name : kNames) {
        if (set.first == name) return std::nullopt;
    }
    return "--set: unknown field '" + text.substr(0, text.find('=')) + "' (use A, B, C, D, E, H, L, SP or FLAGS)";
}

int Run(const RunOptions& options, std::ostream& out, std::ostream& err)
{
    CliHost host(err);
    Simulator sim(host);
    sim.Form_Load();
    Machine& m = sim.machine;

    std::string error;
    if (!LoadProgram(sim, options.program, error)) return usageError(err, error);

    if (options.window) {
        // The option is the user's Yes to the range-change question.
        host.answerNextQuestionSilently(kRangeChangeQuestion, MsgAnswer::Yes);
        m.memoryCommands.Combo1_Click(*options.window);
    }
    if (options.start) {
        m.Text1.setText(typeKeys(*options.start, m.Text1.maxLength(),
                                 [](char key) { return std::optional<char>(ProgramSource::Text1KeyFilter(key)); }));
    }
    for (const auto& set : options.sets) applySet(m, set);
    for (const auto& poke : options.pokes) {
        if (!applyPoke(m, poke, error)) return usageError(err, error);
    }
    if (options.noAutoHlt) m.options.Check3.set(0);
    if (options.noOrg) m.options.Check4.set(0);
    if (options.compileOnly) m.options.Check1_Click(1);
    if (options.runOnly) m.options.Check2_Click(1);

    sim.runControl.StartExecution();

    // The verdict belongs to the run; a failed save or export is reported apart.
    const bool finished = m.ExecStatus.text() == "Program Finished";
    const bool compiledOnly = m.options.Check1.get() == 1 && m.ErrorFlag == kFalse && m.run.ProgramCompiled == kTrue;
    int status = finished || compiledOnly ? kExitSuccess : kExitProgramFailed;

    std::vector<std::string> fileErrors;
    if (options.save && !sim.documents.SaveProjectTo(*options.save, options.saveMemory)) {
        fileErrors.push_back("could not save the project to '" + *options.save + "'");
    }
    if (options.exportFile) {
        bool exported = options.exportStates ? sim.documents.ExportProgramAndStatesTo(*options.exportFile)
                                             : sim.documents.ExportProgramOnlyTo(*options.exportFile);
        if (!exported) fileErrors.push_back("could not export the program to '" + *options.exportFile + "'");
    }

    if (options.json) {
        WriteJsonReport(out, BuildJsonReport(sim, host.messages()));
    } else {
        WriteTextReport(out, sim);
    }
    out.flush();

    for (const std::string& reason : fileErrors) status = usageError(err, reason);
    return status;
}

}  // namespace korvanta::cli
