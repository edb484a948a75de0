#include "cli/report.h"

#include <string>

#include "engine/full_trace.h"
#include "engine/native_sync.h"
#include "engine/simulator.h"
#include <cstdio>

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

// Bits 2, 1, 0 as "0"/"1", the order RIM gives 7.5, 6.5 and 5.5.
std::string bitsText(std::uint8_t bits)
{
    return {bits & 4 ? '1' : '0', bits & 2 ? '1' : '0', bits & 1 ? '1' : '0'};
}

// A T-state count and what it means on a real 8085 at 3.072 MHz.
std::string timeAt3MHz(std::uint64_t tStates)
{
    const double microseconds = static_cast<double>(tStates) / 3.072;
    char buffer[64];
    if (microseconds < 1000) std::snprintf(buffer, sizeof buffer, "%.1f us", microseconds);
    else if (microseconds < 1e6) std::snprintf(buffer, sizeof buffer, "%.3f ms", microseconds / 1000);
    else std::snprintf(buffer, sizeof buffer, "%.3f s", microseconds / 1e6);
    return buffer;
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

    report["instructions"] = m.run.executed.get();
    if (m.assembly.failedLine >= 0) report["selectedLine"] = m.assembly.failedLine;
    else report["selectedLine"] = nullptr;
    if (m.options.Full8085.get() == 1) {
        const FullState& full = m.full;
        report["tStates"] = full.tStates.get();
        nlohmann::ordered_json outputs = nlohmann::ordered_json::array();
        for (const cpu::PortWrite& w : full.outputs())
            outputs.push_back({{"port", HexByteText(w.port)}, {"value", HexByteText(w.value)}});
        report["outputs"] = std::move(outputs);
        report["console"] = full.console.get();
        const InterruptView& irq = full.interrupts.get();
        report["interrupts"] = {{"enabled", irq.enabled}, {"masks", bitsText(irq.masks)}, {"pending", bitsText(irq.pending)}};
    }
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
    const int failed = m.assembly.failedLine;
    if (failed >= 0 && failed < sim.source.lineCount())
        out << "Line " << failed + 1 << ": " << sim.source.lines()[static_cast<std::size_t>(failed)] << '\n';

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

    const bool full = m.options.Full8085.get() == 1;
    out << "Executed   " << m.run.executed.get() << " instructions";
    if (full) out << ", " << m.full.tStates.get() << " T-states (" << timeAt3MHz(m.full.tStates.get()) << " at 3.072 MHz)";
    out << '\n';
    if (full) {
        const InterruptView& irq = m.full.interrupts.get();
        out << "Interrupts " << (irq.enabled ? "enabled" : "disabled") << "  masks " << bitsText(irq.masks)
            << "  pending " << bitsText(irq.pending) << "  (7.5 6.5 5.5)\n";
        if (!m.full.outputs().empty()) {
            out << "Outputs   ";
            for (const cpu::PortWrite& w : m.full.outputs()) out << ' ' << HexByteText(w.port) << '=' << HexByteText(w.value);
            out << '\n';
        }
    }

    out << "Program log\n";
    for (const std::string& line : m.List3.lines()) out << "  " << line << '\n';

    out << "Memory (rows other than 00)\n";
    forEachChangedRow(m.window, [&](const std::string& address, const std::string& data) {
        out << "  " << address << "  " << data << '\n';
    });
}

nlohmann::ordered_json TraceJson(const Trace& trace)
{
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const TraceEntry& e : trace.entries()) {
        nlohmann::ordered_json changes = nlohmann::ordered_json::object();
        for (const auto& [what, value] : e.changes) changes[what] = value;
        list.push_back({{"address", e.address}, {"bytes", e.bytes}, {"text", e.text}, {"changes", changes}});
    }
    return list;
}

void WriteTraceText(std::ostream& out, const Trace& trace)
{
    const std::uint64_t first = trace.total() - trace.entries().size() + 1;
    out << "Trace (" << trace.entries().size() << " of " << trace.total() << " instructions)\n";
    std::uint64_t n = first;
    for (const TraceEntry& e : trace.entries()) {
        std::string bytes;
        for (const std::string& b : e.bytes) bytes += (bytes.empty() ? "" : " ") + b;
        std::string line = "  " + std::to_string(n++);
        line.resize(std::max<std::size_t>(line.size() + 1, 10), ' ');
        line += e.address + "  " + bytes;
        line.resize(std::max<std::size_t>(line.size() + 1, 28), ' ');
        line += e.text;
        line.resize(std::max<std::size_t>(line.size() + 1, 44), ' ');
        for (const auto& [what, value] : e.changes) line += " " + what + "=" + value;
        line.erase(line.find_last_not_of(' ') + 1);
        out << line << '\n';
    }
}

}  // namespace korvanta::cli
