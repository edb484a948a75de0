#pragma once

// A machine with the window 0000-0FFF built and the instruction set, plus
// short ways to assemble one line and to execute the opcode at a row.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "isa/instruction_set.h"
#include "machine/machine.h"
#include "support/fake_host.h"

namespace korvanta::testing {

class IsaFixture : public ::testing::Test {
protected:
    IsaFixture() { m.memory.SetupTheMemoryWindow("0"); }

    // Assembles line at row `at` with routine r; returns the rows written from
    // `at` up to the final LocationIndex.
    std::vector<std::string> Assemble(Routine r, const std::string& line, int at = 1)
    {
        m.SourceLine = line;
        m.LocationIndex = at;
        isa.Call(r, kAssemble);
        return Rows(at, m.LocationIndex);
    }

    // Data texts of rows [from, to).
    std::vector<std::string> Rows(int from, int to) const
    {
        std::vector<std::string> rows;
        for (int n = from; n < to && m.window.hasRow(n); ++n) rows.push_back(m.window.data(n));
        return rows;
    }

    // Executes the opcode stored at row `at` with routine r, as the executor
    // would call it (CurrentOpcode is the row's BitString).
    void Execute(Routine r, int at = 1)
    {
        m.LocationIndex = at;
        m.conv.GetBinary8(m.window.data(at));
        m.CurrentOpcode = m.ConvertedValue;
        isa.Call(r, kExecute);
    }

    // Stores bytes from row `at` on.
    void Poke(int at, const std::vector<std::string>& bytes)
    {
        for (const auto& b : bytes) m.memory.EnterintoMEMory(at++, b);
    }

    void SetRegisters(const std::string& a, const std::string& b = "00", const std::string& c = "00",
                      const std::string& d = "00", const std::string& e = "00", const std::string& h = "00",
                      const std::string& l = "00")
    {
        m.cpu.RegisterA.setText(a);
        m.cpu.RegisterB.setText(b);
        m.cpu.RegisterC.setText(c);
        m.cpu.RegisterD.setText(d);
        m.cpu.RegisterE.setText(e);
        m.cpu.RegisterH.setText(h);
        m.cpu.RegisterL.setText(l);
    }

    // Flag bits S Z AC P CY as a five-character text, e.g. "01011".
    std::string Flags() const
    {
        return m.cpu.Text4.text() + m.cpu.Text5.text() + m.cpu.Text7.text() + m.cpu.Text9.text() +
               m.cpu.Text11.text();
    }

    FakeHost host;
    Machine m{host};
    InstructionSet isa{m};
};

}  // namespace korvanta::testing
