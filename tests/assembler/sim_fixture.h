#pragma once

// A loaded main window driven through a FakeHost, with short ways to load a program, read and
// write memory by address, read the registers and give the commands.

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>

#include "assembler/assembler.h"
#include "engine/executor.h"
#include "engine/simulator.h"
#include "support/fake_host.h"

namespace korvanta::testing {

using Lines = std::vector<std::string>;
using Bytes = std::vector<std::pair<std::string, std::string>>;  // address, "3E 05 ..." from there on

// A compiler message as shown: the prefix, then the text.
inline std::string Compiler(const std::string& text)
{
    return "Ombrix Korvanta Compiler Message:\n\n" + text;
}

// The program log of a run that ended with the given status; empty when nothing ran.
inline Lines RunLog(const std::string& status, bool stepping, const Lines& notes = {})
{
    static const std::map<std::string, Lines> ends = {
        {"Program Finished", {"Program Finished: HLT-HOLD", "CPU Idle"}}, {"CPU Error", {"Error in Program"}},
        {"Memory Error", {"Out Of Memory"}}, {"CPU Halted by User", {"User Halted"}}};
    if (!ends.contains(status)) return {};
    Lines log = {"Start Program: Normal CPU/SET3"};
    if (stepping) log.push_back("Step Execution On");
    log.insert(log.end(), notes.begin(), notes.end());
    log.insert(log.end(), ends.at(status).begin(), ends.at(status).end());
    return log;
}

class SimFixture : public ::testing::Test {
public:
    SimFixture() { sim.Form_Load(); }

    // A new code list (lines separated by "|"), memory window and start address; registers, logs and
    // messages cleared.
    void Fresh(const std::string& program, const std::string& start = "0000", const std::string& window = "0")
    {
        sim.source.Clear();
        std::istringstream lines(program);
        for (std::string line; std::getline(lines, line, '|');) sim.source.AppendLine(line);
        m.window.windowDigit.set(window);
        m.memory.SetupTheMemoryWindow(window);
        m.Text1.setText(start);
        for (char r : std::string("ABCDEHL")) m.cpu.registerField(r)->setText("00");
        m.cpu.SP.setText("0BBB");
        m.cpu.PC.setText("0000");
        m.cpu.Text2.setText("00");
        m.run.ProgramCompiled = kFalse;
        m.Text13.setText("");
        m.List3.clear();
        host.messages.clear();
    }

    std::string Program() const  // the code list, lines separated by "|"
    {
        const Lines& lines = sim.source.lines();
        std::string text;
        for (std::size_t i = 0; i < lines.size(); ++i) text += (i ? "|" : "") + lines[i];
        return text;
    }
    // As many data texts from the address on as the expected text "3E 05 ..." holds.
    std::string Mem(const std::string& address, const std::string& expected) const
    {
        std::string bytes;
        int n = m.window.rowOfAddress(address);
        for (; m.window.hasRow(n) && bytes.size() < expected.size(); ++n)
            bytes += (bytes.empty() ? "" : " ") + m.window.data(n);
        return bytes;
    }
    void Poke(const Bytes& blocks)
    {
        for (const auto& [address, bytes] : blocks) {
            int n = m.window.rowOfAddress(address);
            for (std::size_t at = 0; at < bytes.size(); at += 3)
                m.memory.EnterintoMEMory(n++, bytes.substr(at, 2));
        }
    }
    std::string Registers() const  // A BC DE HL
    {
        const auto& c = m.cpu;
        return c.RegisterA.text() + " " + c.RegisterB.text() + c.RegisterC.text() + " " + c.RegisterD.text() +
               c.RegisterE.text() + " " + c.RegisterH.text() + c.RegisterL.text();
    }
    // System log lines with the given prefixes, each followed by the date and time.
    std::string Log(const Lines& prefixes) const
    {
        std::string text;
        for (const auto& p : prefixes) text += p + host.dateTime + "\r\n";
        return text;
    }

    void Compile() { sim.assembler.CompileProgram(); }
    void Run() { sim.runControl.StartExecution(); }
    void Step() { sim.runControl.StepProgram(); }
    void Stop() { sim.runControl.HALTExecution(); }

    FakeHost host;
    Simulator sim{host};
    Machine& m = sim.machine;
};

}  // namespace korvanta::testing
