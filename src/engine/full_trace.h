#pragma once

// A trace of a run: one record per executed instruction, in order, with
// what it changed. Only the last `limit` records are kept, so that a trace
// of a long run stays small.

#include <cstdint>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "engine/run_aids.h"

namespace korvanta {

class Machine;
namespace cpu {
class Cpu8085;
struct RunResult;
}

struct TraceEntry {
    std::string address;                 // where the instruction starts
    std::vector<std::string> bytes;      // its bytes
    std::string text;                    // as the program's own assembler writes it
    // In this order: A B C D E H L, SP, PC (only when the instruction went elsewhere than the
    // next one), FLAGS, then the memory rows as "M" and their address.
    std::vector<std::pair<std::string, std::string>> changes;
};

class Trace {
public:
    explicit Trace(std::size_t limit) : limit_(limit) {}
    void push(TraceEntry entry);
    const std::deque<TraceEntry>& entries() const { return entries_; }
    std::uint64_t total() const { return total_; }  // records made, kept or not
    std::size_t limit() const { return limit_; }

private:
    std::size_t limit_;
    std::deque<TraceEntry> entries_;
    std::uint64_t total_ = 0;
};

// Traces a classic run from the fields around each instruction.
class ClassicTrace : public InstructionObserver {
public:
    ClassicTrace(Machine& m, Trace& trace);
    void beforeInstruction() override;
    void afterInstruction() override;

private:
    Machine& m_;
    Trace& trace_;
    std::vector<std::string> before_;
    int row_ = 0;
    std::vector<int> rows_;  // rows written by the instruction
    bool inside_ = false;
};

// Traces a Full 8085 run from the native processor, one step at a time.
class FullTrace {
public:
    explicit FullTrace(Trace& trace) : trace_(trace) {}
    void before(const cpu::Cpu8085& cpu);
    void after(const cpu::Cpu8085& cpu, const cpu::RunResult& result);

private:
    Trace& trace_;
    std::uint8_t regs_[10] = {};
    std::uint16_t sp_ = 0;
};

}  // namespace korvanta
