#include "cli/report.h"

#include <string>

#include "engine/simulator.h"

namespace korvanta::cli {

namespace {

constexpr const char* kRegisterNames[] = {"A", "B", "C", "D", "E", "H", "L"};

std::string flagBits(CpuFields& cpu)
{
    std::string bits;
    for (int bit = 7; bit >= 0; --bit) bits += cpu.flagBit(bit).text();
    return bits;
}

// Rows that hold something other than "00", in row order.
template <class Visit>
void forEachChangedRow(const MemoryWindow& window, Visit visit)
{
    for (int n = 1; n <= window.rowCount(); ++n) {
        if (window.data(n) != "00") visit(window.address(n), window.data(n));
    }
}

}  // namespace

nlohmann::ordered_json BuildJsonReport(Simulator& sim, const std::vector<RecordedMessage>& messages)
{
    Machine& m = sim.machine;
    CpuFields& cpu = m.cpu;
    nlohmann::ordered_json report;
    report["status"] = m.ExecStatus.text();
    report["statusColour"] = statusColourName(m.statusColour.get());
    report["errorFlag"] = m.ErrorFlag != kFalse;

    nlohmann::ordered_json registers = nlohmann::ordered_json::object();
    for (const char* name : kRegisterNames) registers[name] = cpu.registerField(name)->text();
    report["registers"] = std::move(registers);

    report["SP"] = cpu.SP.text();
    report["PC"] = cpu.PC.text();
    report["flags"] = cpu.Text2.text();
    report["flagBits"] = flagBits(cpu);
    report["startAddress"] = m.Text1.text();
    report["window"] = m.window.windowDigit.get();
    report["program"] = sim.source.lines();
    report["programLog"] = m.List3.lines();
    report["systemLog"] = m.Text13.text();

    nlohmann::ordered_json shown = nlohmann::ordered_json::array();
    for (const RecordedMessage& message : messages) {
        shown.push_back({{"title", message.title}, {"text", message.text}, {"icon", message.icon}});
    }
    report["messages"] = std::move(shown);

    nlohmann::ordered_json memory = nlohmann::ordered_json::object();
    forEachChangedRow(m.window, [&](const std::string& address, const std::string& data) { memory[address] = data; });
    report["memory"] = std::move(memory);
    return report;
}

void WriteJsonReport(std::ostream& out, const nlohmann::ordered_json& report)
{
    out << report.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
}

void WriteTextReport(std::ostream& out, Simulator& sim)
{
    Machine& m = sim.machine;
    CpuFields& cpu = m.cpu;
    const std::string colour = statusColourName(m.statusColour.get());
    // Field texts may be shorter than usual (a register the user left at one
    // character); padding keeps the columns under each other all the same.
    auto padded = [](const std::string& text, std::size_t width) {
        return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
    };

    out << "Status     " << m.ExecStatus.text();
    if (!colour.empty()) out << " (" << colour << ")";
    out << '\n';

    auto line = [&out](std::string text) {
        text.erase(text.find_last_not_of(' ') + 1);
        out << text << '\n';
    };
    std::string registers = "Registers ";
    for (const char* name : kRegisterNames) registers += std::string(" ") + name + ' ' + padded(cpu.registerField(name)->text(), 2) + ' ';
    line(registers);
    line("Pointers   SP " + padded(cpu.SP.text(), 4) + "  PC " + padded(cpu.PC.text(), 4) + "  start " +
         padded(m.Text1.text(), 4) + "  window " + m.window.windowDigit.get());

    // One column per flag bit, the bit under its flag's name.
    constexpr const char* kFlagNames[] = {"S", "Z", "-", "AC", "-", "P", "-", "CY"};
    std::string names = "Flags      ";
    for (const char* name : kFlagNames) names += padded(name, 3);
    line(names + "   value " + cpu.Text2.text());
    std::string bits = "           ";
    for (int bit = 7; bit >= 0; --bit) bits += padded(cpu.flagBit(bit).text(), 3);
    line(bits);

    out << "Program log\n";
    for (const std::string& line : m.List3.lines()) out << "  " << line << '\n';

    out << "Memory (rows other than 00)\n";
    forEachChangedRow(m.window, [&](const std::string& address, const std::string& data) {
        out << "  " << address << "  " << data << '\n';
    });
}

}  // namespace korvanta::cli
