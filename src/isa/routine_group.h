#pragma once

// What every group of instruction routines shares: the machine it works on
// and the small steps all routines take (emitting a byte at LocationIndex,
// reading operands from the end of SourceLine, the unsupported-instruction rule).

#include <string>
#include <string_view>

namespace korvanta {

class Machine;

class RoutineGroup {
public:
    explicit RoutineGroup(Machine& m) : m_(m) {}

protected:
    // Stores a text at row LocationIndex and moves LocationIndex on.
    void Emit(std::string_view text);
    // GetHex8 of the opcode bits, optionally one yield, then Emit.
    void EmitOpcode(std::string_view bits, bool yieldAfterConversion);
    // The last n characters of SourceLine (all of it when shorter).
    std::string_view LastChars(std::size_t n) const;
    // The unsupported-instruction rule: skip length bytes and log.
    void Unsupported(int length, std::string_view firstLine, bool someday);
    // Full 8085 mode assembles a few forms as the real chip has them.
    bool FullMode() const;

    Machine& m_;
};

}  // namespace korvanta
