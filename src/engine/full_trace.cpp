#include "engine/full_trace.h"
#include <algorithm>

#include "cpu/cpu8085.h"
#include "engine/native_sync.h"
#include "machine/hex_text.h"
#include "machine/machine.h"

namespace korvanta {

namespace {

constexpr const char* kRegisterNames[] = {"A", "B", "C", "D", "E", "H", "L"};


}  // namespace

void Trace::push(TraceEntry entry)
{
    ++total_;
    if (limit_ == 0) return;
    if (entries_.size() == limit_) entries_.pop_front();
    entries_.push_back(std::move(entry));
}

ClassicTrace::ClassicTrace(Machine& m, Trace& trace) : m_(m), trace_(trace)
{
    m_.window.rowReplaced.connect([this](int row) {
        if (inside_) rows_.push_back(row);
    });
}

void ClassicTrace::beforeInstruction()
{
    CpuFields& c = m_.cpu;
    before_ = {c.RegisterA.text(), c.RegisterB.text(), c.RegisterC.text(), c.RegisterD.text(), c.RegisterE.text(),
               c.RegisterH.text(), c.RegisterL.text(), c.SP.text(), c.Text2.text()};
    row_ = m_.LocationIndex;
    rows_.clear();
    inside_ = true;
}

void ClassicTrace::afterInstruction()
{
    inside_ = false;
    TraceEntry entry;
    entry.address = m_.window.hasRow(row_) ? m_.window.address(row_) : std::string();
    // The bytes as the classic instruction has them: IN and OUT carry a port of two bytes.
    const std::string first = m_.window.hasRow(row_) ? m_.window.data(row_) : std::string();
    const int opcode = HexByteOrAddressValue(first);
    int length = opcode >= 0 ? cpu::Opcodes()[static_cast<std::size_t>(opcode)].length : 1;
    if (opcode == 0xDB || opcode == 0xD3) length = 3;
    int operand[2] = {0, 0};
    for (int k = 0; k < length; ++k) {
        const int row = row_ + k;
        const std::string byte = m_.window.hasRow(row) ? m_.window.data(row) : std::string();
        entry.bytes.push_back(byte);
        if (k > 0) operand[k - 1] = std::max(0, HexByteOrAddressValue(byte));
    }
    if (opcode < 0) {
        entry.text = "DB " + first;
    } else if (opcode == 0xDB || opcode == 0xD3) {
        entry.text = std::string(opcode == 0xDB ? "IN " : "OUT ") + HexByteText(static_cast<std::uint8_t>(operand[1])) +
                     HexByteText(static_cast<std::uint8_t>(operand[0]));
    } else {
        entry.text = cpu::Disassemble(static_cast<std::uint8_t>(opcode), static_cast<std::uint8_t>(operand[0]),
                                      static_cast<std::uint8_t>(operand[1]));
    }

    CpuFields& c = m_.cpu;
    const TextField* now[] = {&c.RegisterA, &c.RegisterB, &c.RegisterC, &c.RegisterD, &c.RegisterE,
                              &c.RegisterH, &c.RegisterL, &c.SP,        &c.Text2};
    for (int i = 0; i < 8; ++i) {
        if (now[i]->text() != before_[static_cast<std::size_t>(i)])
            entry.changes.emplace_back(i < 7 ? kRegisterNames[i] : "SP", now[i]->text());
    }
    // HLT ends the run where it stands: no jump.
    if (opcode != 0x76 && m_.LocationIndex != row_ + length && m_.window.hasRow(m_.LocationIndex))
        entry.changes.emplace_back("PC", m_.window.address(m_.LocationIndex));
    if (now[8]->text() != before_[8]) entry.changes.emplace_back("FLAGS", now[8]->text());
    std::sort(rows_.begin(), rows_.end());
    rows_.erase(std::unique(rows_.begin(), rows_.end()), rows_.end());
    for (int row : rows_) {
        if (m_.window.hasRow(row)) entry.changes.emplace_back("M" + m_.window.address(row), m_.window.data(row));
    }
    trace_.push(std::move(entry));
}

void FullTrace::before(const cpu::Cpu8085& cpu)
{
    const cpu::Registers& r = cpu.regs;
    const std::uint8_t values[] = {r.a, r.b, r.c, r.d, r.e, r.h, r.l, r.f};
    std::copy(std::begin(values), std::end(values), regs_);
    sp_ = r.sp;
}

void FullTrace::after(const cpu::Cpu8085& cpu, const cpu::RunResult& result)
{
    if (result.executed == 0) return;  // nothing ran: a fault or a breakpoint
    const cpu::StepRecord& last = cpu.last;
    TraceEntry entry;
    entry.address = HexAddressText(last.address);
    for (int k = 0; k < last.length; ++k) entry.bytes.push_back(HexByteText(last.bytes[k]));
    entry.text = last.bdosService ? "BDOS" : cpu::Disassemble(last.bytes[0], last.bytes[1], last.bytes[2]);
    const cpu::Registers& r = cpu.regs;
    const std::uint8_t values[] = {r.a, r.b, r.c, r.d, r.e, r.h, r.l};
    for (int i = 0; i < 7; ++i) {
        if (values[i] != regs_[i]) entry.changes.emplace_back(kRegisterNames[i], HexByteText(values[i]));
    }
    if (r.sp != sp_) entry.changes.emplace_back("SP", HexAddressText(r.sp));
    if (r.pc != static_cast<std::uint16_t>(last.address + last.length))
        entry.changes.emplace_back("PC", HexAddressText(r.pc));
    if (r.f != regs_[7]) entry.changes.emplace_back("FLAGS", HexByteText(r.f));
    std::vector<std::uint16_t> writes(last.writes, last.writes + last.writeCount);
    std::sort(writes.begin(), writes.end());
    writes.erase(std::unique(writes.begin(), writes.end()), writes.end());
    for (std::uint16_t address : writes) {
        if (!cpu.inWindow(address)) continue;
        entry.changes.emplace_back("M" + HexAddressText(address),
                                   HexByteText(cpu.memory[static_cast<std::uint16_t>(address - cpu.windowBase)]));
    }
    trace_.push(std::move(entry));
}

}  // namespace korvanta
