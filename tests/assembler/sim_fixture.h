#pragma once

// A loaded main window (window 0000-0FFF) driven through a FakeHost, with
// short ways to write a program, read memory by address and run commands.

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "engine/simulator.h"
#include "support/fake_host.h"

namespace korvanta::testing {

class SimFixture : public ::testing::Test {
public:
    SimFixture()
    {
        sim.Form_Load();
        host.messages.clear();
    }

    // Lines that reach the list without the entry field (as from a file).
    void Program(std::initializer_list<std::string> lines)
    {
        for (const auto& line : lines) sim.source.AppendLine(line);
    }

    // Switches to another memory window, answering the question with Yes.
    void UseWindow(const std::string& digit)
    {
        host.answers.push_back(MsgAnswer::Yes);
        m.memoryCommands.Combo1_Click(digit);
        host.messages.clear();
    }

    int RowOf(const std::string& address) const { return m.window.rowOfAddress(address); }

    // count data texts from the given address on.
    std::vector<std::string> Mem(const std::string& address, int count) const
    {
        std::vector<std::string> bytes;
        for (int n = RowOf(address); n > 0 && n <= m.window.rowCount() && count-- > 0; ++n)
            bytes.push_back(m.window.data(n));
        return bytes;
    }

    void Poke(const std::string& address, const std::vector<std::string>& bytes)
    {
        int n = RowOf(address);
        for (const auto& b : bytes) m.memory.EnterintoMEMory(n++, b);
    }

    std::string Registers() const
    {
        const auto& c = m.cpu;
        return c.RegisterA.text() + " " + c.RegisterB.text() + c.RegisterC.text() + " " + c.RegisterD.text() +
               c.RegisterE.text() + " " + c.RegisterH.text() + c.RegisterL.text();
    }

    void Compile() { sim.assembler.CompileProgram(); }
    void Run() { sim.runControl.StartExecution(); }
    void Step() { sim.runControl.StepProgram(); }
    void Stop() { sim.runControl.HALTExecution(); }

    FakeHost host;
    Simulator sim{host};
    Machine& m = sim.machine;
};

inline std::string Compiler(const char* text)
{
    return std::string("Ombrix Korvanta Compiler Message:\n\n") + text;
}

}  // namespace korvanta::testing
