#pragma once

// Keeps the native processor of Full 8085 mode and the machine's text
// fields in step. Before a run (and whenever the user has changed a field or
// a memory row while the run waits) the fields are read into the processor;
// at every Step, every refresh and at the end the processor is written back,
// a field at a time and only where it differs, so that the window and the
// change notifications see exactly what changed.

#include <cstdint>
#include <optional>
#include <string>

namespace korvanta {

class Machine;
namespace cpu {
class Cpu8085;
}

class NativeSync {
public:
    explicit NativeSync(Machine& m);
    NativeSync(const NativeSync&) = delete;
    NativeSync& operator=(const NativeSync&) = delete;

    // Reads registers, flags, SP and every memory row into cpu, and the
    // window's first address. Returns the reason when a field or row does
    // not hold what the processor needs; cpu is then not to be run.
    std::optional<std::string> load(cpu::Cpu8085& cpu);

    // Writes the processor back: registers, flag value, SP, PC, the rows the
    // processor wrote since the last store, and the Full 8085 mirrors (T-states,
    // ports, interrupts, console, the instruction count).
    void store(cpu::Cpu8085& cpu);

    // Whether anyone but this sync changed a field or a memory row since the
    // last load or store. Watching is on only while a run is in progress.
    bool dirty() const { return dirty_; }
    void setWatching(bool on) { watching_ = on; dirty_ = false; }

    // The row of an address inside the window, or 0.
    int rowOf(const cpu::Cpu8085& cpu, std::uint16_t address) const;

private:
    void noteChange()
    {
        if (watching_ && !storing_) dirty_ = true;
    }

    Machine& m_;
    bool watching_ = false;
    bool storing_ = false;
    bool dirty_ = false;
};

// Two upper-case hex digits; four for an address.
std::string HexByteText(std::uint8_t value);
std::string HexAddressText(std::uint16_t value);

}  // namespace korvanta
