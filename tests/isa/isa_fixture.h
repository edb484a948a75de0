#pragma once

// A machine with the window 0000-0FFF and the instruction set, with short ways
// to assemble a line, run the opcode at a row, and set or read machine state
// written as "A=5A #17=C3 SP=0100 CY=1 at=2 err=1": registers A to L, SP, PC,
// F (the flag value), the flag bits S Z AC P CY, #n for memory row n, at for
// LocationIndex and err for ErrorFlag.

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "isa/instruction_set.h"
#include "machine/machine.h"
#include "support/fake_host.h"

namespace korvanta::testing {

using Texts = std::vector<std::string>;

inline std::string Hex(int value, int digits = 2)
{
    std::string text;
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
        text += "0123456789ABCDEF"[(value >> shift) & 15];
    return text;
}

inline Texts Words(const std::string& text)
{
    std::istringstream in(text);
    Texts words;
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

class IsaFixture : public ::testing::Test {
protected:
    IsaFixture() { m.memory.SetupTheMemoryWindow("0"); }

    // Assembles line at row `at`; returns the rows written, blank-separated.
    std::string Assemble(Routine r, const std::string& line, int at = 1)
    {
        m.SourceLine = line;
        m.LocationIndex = at;
        isa.Call(r, kAssemble);
        return Rows(at, m.LocationIndex);
    }

    // Data texts of rows [from, to), blank-separated.
    std::string Rows(int from, int to) const
    {
        std::string rows;
        for (int n = from; n < to && m.window.hasRow(n); ++n)
            rows += (n > from ? " " : "") + m.window.data(n);
        return rows;
    }

    // Executes the opcode stored at row `at` as the executor would call it.
    void Execute(Routine r, int at = 1)
    {
        m.LocationIndex = at;
        m.conv.GetBinary8(m.window.data(at));
        m.CurrentOpcode = m.ConvertedValue;
        isa.Call(r, kExecute);
    }

    // Stores blank-separated bytes from row `at` on.
    void Poke(int at, const std::string& bytes)
    {
        for (const auto& b : Words(bytes)) m.memory.EnterintoMEMory(at++, b);
    }

    void Set(const std::string& state)
    {
        for (const auto& w : Words(state)) {
            const std::string name = w.substr(0, w.find('=')), value = w.substr(w.find('=') + 1);
            if (name == "at")
                m.LocationIndex = std::stoi(value);
            else if (name == "err")
                m.ErrorFlag = value == "1" ? kTrue : kFalse;
            else if (name[0] == '#')
                m.memory.EnterintoMEMory(std::stoi(name.substr(1)), value);
            else
                Field(name).setText(value);
        }
    }

    // The names of `like` (values after "=" are ignored) with what they hold now.
    std::string Now(const std::string& like)
    {
        std::string now;
        for (const auto& w : Words(like)) {
            const std::string name = w.substr(0, w.find('='));
            now += (now.empty() ? "" : " ") + name + "=";
            if (name == "at")
                now += std::to_string(m.LocationIndex);
            else if (name == "err")
                now += m.ErrorFlag == kTrue ? "1" : "0";
            else if (name[0] == '#')
                now += m.window.data(std::stoi(name.substr(1)));
            else
                now += Field(name).text();
        }
        return now;
    }

    TextField& Field(const std::string& name)
    {
        static const std::map<std::string, TextField CpuFields::*> named = {
            {"SP", &CpuFields::SP},   {"PC", &CpuFields::PC},    {"F", &CpuFields::Text2},
            {"S", &CpuFields::Text4}, {"Z", &CpuFields::Text5},  {"AC", &CpuFields::Text7},
            {"P", &CpuFields::Text9}, {"CY", &CpuFields::Text11}};
        const auto it = named.find(name);
        return it != named.end() ? m.cpu.*(it->second) : *m.cpu.registerField(name);
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
