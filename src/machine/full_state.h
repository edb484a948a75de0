#pragma once

// What Full 8085 mode adds to the machine: the native processor that runs
// the program, and what a learner sees of it besides registers and memory:
// the T-state count, the ports, the interrupt system and the console. The
// native processor is the truth while a run goes on; the observable values
// here and the machine's text fields follow it at every Step, every refresh
// and at the end of a run.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "cpu/cpu8085.h"
#include "machine/signal.h"

namespace korvanta {

// An interrupt the command line raises after a given instruction count.
struct ScheduledInterrupt {
    std::uint64_t afterInstruction = 0;
    cpu::Interrupt line = cpu::Interrupt::Trap;
    std::uint8_t vector = 0;  // INTR only: the n of RST n
};

// The interrupt system as RIM shows it.
struct InterruptView {
    bool enabled = false;
    std::uint8_t masks = 0x07;    // bit 2 M7.5, bit 1 M6.5, bit 0 M5.5
    std::uint8_t pending = 0x00;  // bit 2 I7.5, bit 1 I6.5, bit 0 I5.5
    bool trap = false;            // TRAP raised and not yet taken
    bool intr = false;            // INTR raised and not yet taken
    bool operator==(const InterruptView&) const = default;
};

class FullState {
public:
    cpu::Cpu8085 cpu;

    // The input ports as the user set them; a run reads them from here.
    const std::array<std::uint8_t, 256>& inputPorts() const { return inputPorts_; }
    void setInputPort(int port, std::uint8_t value)
    {
        if (port < 0 || port > 255 || inputPorts_[static_cast<std::size_t>(port)] == value) return;
        inputPorts_[static_cast<std::size_t>(port)] = value;
        inputPortChanged.emit(port);
    }
    void clearInputPorts()
    {
        for (int port = 0; port < 256; ++port) setInputPort(port, 0);
    }
    Signal<int> inputPortChanged;

    // Mirrors of the native processor, brought up to date by each sync.
    Observable<std::uint64_t> tStates{0};
    Observable<InterruptView> interrupts{};
    Observable<std::string> console{};
    const std::vector<cpu::PortWrite>& outputs() const { return outputs_; }
    void setOutputs(const std::vector<cpu::PortWrite>& outputs)
    {
        if (outputs_ == outputs) return;
        outputs_ = outputs;
        outputsChanged.emit();
    }
    Signal<> outputsChanged;

    // The CP/M console calls at 0005 and the warm boot at 0000.
    Observable<bool> bdos{false};

    // Interrupts the command line asks for, by instruction count.
    std::vector<ScheduledInterrupt> schedule;

private:
    std::array<std::uint8_t, 256> inputPorts_{};
    std::vector<cpu::PortWrite> outputs_;
};

}  // namespace korvanta
