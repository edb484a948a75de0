#pragma once

// Where a run should stop and wait as a Step does: on code lines, which keep
// their breakpoint when lines are inserted or deleted above them, and on
// memory addresses. Line breakpoints become addresses through the listing of
// the last assembly. None of this touches the code list's selection or the
// "!!bkpt" comment, which stays a comment.

#include <cstdint>
#include <optional>
#include <set>
#include <vector>

#include "machine/signal.h"

namespace korvanta {

class Machine;
class ProgramSource;

class Breakpoints {
public:
    Breakpoints(Machine& m, ProgramSource& source);
    Breakpoints(const Breakpoints&) = delete;
    Breakpoints& operator=(const Breakpoints&) = delete;

    const std::set<int>& lines() const { return lines_; }
    const std::set<std::uint16_t>& addresses() const { return addresses_; }
    bool empty() const { return lines_.empty() && addresses_.empty(); }

    bool hasLine(int line) const { return lines_.contains(line); }
    void setLine(int line, bool on);
    void toggleLine(int line) { setLine(line, !hasLine(line)); }
    bool hasAddress(std::uint16_t address) const { return addresses_.contains(address); }
    void setAddress(std::uint16_t address, bool on);
    void toggleAddress(std::uint16_t address) { setAddress(address, !hasAddress(address)); }
    void clear();

    // The addresses at which a run stops: the address breakpoints, and the
    // address of each line breakpoint's first byte in the last assembly (a
    // line that emitted nothing stops at the next byte emitted).
    std::vector<std::uint16_t> stopAddresses() const;

    // Run to line: one more stop, at a line (resolved through the listing
    // when a run starts, so that a program not yet assembled works too).
    // Forgotten when a run stops anywhere or ends.
    void setTemporaryLine(std::optional<int> line);
    void clearTemporary() { setTemporaryLine(std::nullopt); }
    const std::optional<int>& temporaryLine() const { return temporary_; }

    // Whether a run stops before the instruction at address. Answered from
    // a table made by refresh(), which a run calls as it starts and which
    // every change of the breakpoints makes again.
    bool stopsAt(std::uint16_t address) const { return anyStop_ && stops_[address] != 0; }
    bool anyStop() const { return anyStop_; }
    void refresh();

    // The line whose first byte is at address in the last assembly, or -1.
    int lineAt(std::uint16_t address) const;
    // The address of a line's first byte in the last assembly, or -1.
    int addressOfLine(int line) const;

    Signal<> changed;

private:
    Machine& m_;
    std::set<int> lines_;
    std::set<std::uint16_t> addresses_;
    std::optional<int> temporary_;
    std::vector<char> stops_ = std::vector<char>(65536, 0);
    bool anyStop_ = false;
};

}  // namespace korvanta
