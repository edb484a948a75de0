#pragma once

// The native Intel 8085 of Full 8085 mode: bytes, not texts, one switch over
// the opcode, flags from tables. It knows nothing of fields or windows on a
// screen; the engine loads it from the machine's fields before a run and
// writes the fields back from it at each Step, each refresh and at the end.
//
// Memory is the same 4 KB window the classic machine has: the addresses
// windowBase to windowBase + 0FFF. Any other address does not exist; touching
// one stops the run with a Fault that names the address and the instruction,
// and leaves the machine as it was before that instruction.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace korvanta::cpu {

inline constexpr int kWindowBytes = 4096;

// Bits of F. Bits 5, 3 and 1 are written as 0 by every instruction that sets
// flags; POP PSW loads F exactly as popped.
inline constexpr std::uint8_t kFlagS = 0x80;
inline constexpr std::uint8_t kFlagZ = 0x40;
inline constexpr std::uint8_t kFlagAC = 0x10;
inline constexpr std::uint8_t kFlagP = 0x04;
inline constexpr std::uint8_t kFlagCY = 0x01;

struct Registers {
    std::uint8_t a = 0, f = 0, b = 0, c = 0, d = 0, e = 0, h = 0, l = 0;
    std::uint16_t sp = 0, pc = 0;
    bool operator==(const Registers&) const = default;
};

enum class Interrupt : std::uint8_t { Trap, Rst75, Rst65, Rst55, Intr };

// The interrupt system as SIM writes it and RIM reads it.
struct InterruptState {
    bool enabled = false;         // the interrupt enable flip-flop (RIM bit 3)
    bool shadow = false;          // EI was the last instruction: nothing is accepted before the next one ran
    std::uint8_t masks = 0x07;    // bit 2 M7.5, bit 1 M6.5, bit 0 M5.5; 1 = masked; all masked at reset
    bool trap = false;            // TRAP raised and not yet accepted
    bool rst75 = false;           // the RST 7.5 flip-flop (edge: stays set until accepted or reset by SIM)
    bool rst65 = false;           // RST 6.5 raised and not yet accepted
    bool rst55 = false;           // RST 5.5 raised and not yet accepted
    bool intr = false;            // INTR raised and not yet accepted
    std::uint8_t intrVector = 0;  // the n of the RST n the device answers INTA with (0 to 7)
    bool trapCopy = false;        // a TRAP was accepted and no RIM has read the copy of IE yet
    bool enabledBeforeTrap = false;
    bool sod = false;             // serial output latch, set by SIM with SDE
    bool operator==(const InterruptState&) const = default;

    // The three pending bits in the order RIM gives them: bit 2 I7.5, bit 1 I6.5, bit 0 I5.5.
    std::uint8_t pendingBits() const
    {
        return static_cast<std::uint8_t>((rst75 ? 4 : 0) | (rst65 ? 2 : 0) | (rst55 ? 1 : 0));
    }
};

struct PortWrite {
    std::uint8_t port = 0;
    std::uint8_t value = 0;
    bool operator==(const PortWrite&) const = default;
};

enum class Access : std::uint8_t { Fetch, Read, Write, StackRead, StackWrite };

// Why run() or step() came back.
enum class Stop : std::uint8_t {
    Limit,          // the requested number of instructions ran; nothing else happened
    Halted,         // HLT ran and no interrupt it could take was pending; pc is past the HLT
    Undefined,      // fault.opcode at fault.instructionAddress is not a documented 8085 instruction
    OutsideWindow,  // fault names the access, the address outside the window and the instruction
    Breakpoint,     // pc is on a breakpoint; the instruction there has not run
    BdosExit,       // bdos is on and an instruction left pc at 0000
};

struct Fault {
    Access access = Access::Fetch;
    std::uint16_t address = 0;             // the address that does not exist (Undefined: the opcode's address)
    std::uint16_t instructionAddress = 0;  // where the instruction that failed starts
    std::uint8_t opcode = 0;               // its first byte (0 when it could not be fetched)
    bool operator==(const Fault&) const = default;
};

struct RunResult {
    Stop stop = Stop::Limit;
    std::uint64_t executed = 0;  // instructions that ran in this call
};

// What the last step() did, for traces and change highlights.
struct StepRecord {
    std::uint16_t address = 0;        // where the instruction started (0005 for a BDOS service)
    std::uint8_t length = 0;          // its bytes (0 for a BDOS service)
    std::uint8_t bytes[3] = {};
    std::uint8_t writeCount = 0;      // memory bytes written, stack included (at most 2)
    std::uint16_t writes[2] = {};
    bool bdosService = false;         // the "instruction" was the console service at 0005
    bool interruptAccepted = false;   // an interrupt was accepted after the instruction
};

// Everything step back needs to put the machine where it was. Outputs and
// console only ever grow during a run, so their lengths are enough.
struct Snapshot {
    Registers regs;
    InterruptState irq;
    std::uint64_t tStates = 0;
    std::uint64_t instructions = 0;
    std::array<std::uint8_t, kWindowBytes> memory{};
    std::array<std::uint8_t, 256> inputPorts{};
    std::size_t outputs = 0;
    std::size_t console = 0;
};

class Cpu8085 {
public:
    Registers regs;
    InterruptState irq;
    std::uint64_t tStates = 0;
    std::uint64_t instructions = 0;  // executed instructions; an accepted interrupt is not one
    std::uint16_t windowBase = 0;    // the first address of the window, X000
    std::array<std::uint8_t, kWindowBytes> memory{};
    std::array<std::uint8_t, 256> inputPorts{};
    std::vector<PortWrite> outputs;  // every OUT, in order
    std::string console;             // what the BDOS service printed
    bool bdos = false;               // the CP/M console convention at 0005 and 0000
    Fault fault;                     // set when a run stops on Undefined or OutsideWindow
    StepRecord last;                 // filled by step() only

    // True when address lies inside the window.
    bool inWindow(std::uint16_t address) const
    {
        return static_cast<std::uint16_t>(address - windowBase) < kWindowBytes;
    }

    // Breakpoints are kept per window offset; an address outside the window
    // cannot hold one.
    void setBreakpoint(std::uint16_t address, bool on);
    void clearBreakpoints();
    bool hasBreakpoint(std::uint16_t address) const;

    // Window offsets written since the last call, in ascending order; the
    // record is cleared. Every write sets its row's bit, whatever the value.
    std::vector<int> takeWrittenRows();

    // Raises an interrupt input. TRAP and RST 7.5 latch; RST 6.5, RST 5.5 and
    // INTR stay raised until accepted. vector is the n of RST n for INTR.
    void raise(Interrupt line, std::uint8_t vector = 0);
    // Takes a pending interrupt that may be taken now, between instructions,
    // as run() does after each one: one raised while the machine waits is
    // taken before the next instruction rather than after it. OutsideWindow
    // (with fault set) when the stack lies outside the window.
    Stop acceptPending();

    // Runs at most limit instructions. Before each instruction: a breakpoint
    // at pc stops the run (except before the first one when skipBreakpoint is
    // set, so that a run resumed on a breakpoint moves on), and with bdos a pc
    // of 0005 is served as the console call. After each instruction: with
    // bdos a pc of 0000 stops the run, then a pending interrupt that may be
    // taken is accepted.
    RunResult run(std::uint64_t limit, bool skipBreakpoint = false);
    // One instruction, breakpoints not consulted; fills `last`.
    RunResult step();

    Snapshot snapshot() const;
    // Puts back a snapshot taken earlier in the same run: outputs and console
    // are cut back to their lengths then. Every row whose byte changes counts
    // as written.
    void restore(const Snapshot& snapshot);

private:
    // The one loop behind run() and step(); kStep fills `last` and skips breakpoints.
    template <bool kStep>
    RunResult execute(std::uint64_t limit, bool skipBreakpoint);
    // Whether the loop has to look at anything besides the next opcode.
    bool needsAttention() const;

    std::array<std::uint64_t, kWindowBytes / 64> written_{};
    std::array<std::uint64_t, kWindowBytes / 64> breakpoints_{};
    int breakpointCount_ = 0;
};

// One row per opcode: how the program's own assembler writes it, how long it
// is, what it costs in T-states, and which flags it writes.
struct OpcodeInfo {
    // The text in the program's own syntax, with "nn" for an immediate byte,
    // "hhhh" for a 16-bit operand, nullptr for an opcode the 8085 does not
    // document. Examples: "MOV A,B", "MVI M,nn", "LXI SP,hhhh", "JNZ hhhh",
    // "IN nn", "RST 3".
    const char* text = nullptr;
    std::uint8_t length = 1;
    std::uint8_t tStates = 4;       // conditional branches: when not taken
    std::uint8_t tStatesTaken = 4;  // conditional branches: when taken; otherwise as tStates
    std::uint8_t flagsWritten = 0;  // kFlag* bits the instruction may change (POP PSW: all)
};

const std::array<OpcodeInfo, 256>& Opcodes();

// The instruction at bytes[0..2] in the program's own syntax, operands in
// upper-case hex: "MVI A,05", "JMP 0100", "LXI SP,0BBB", "OUT 21"; "DB 08"
// for an undocumented opcode.
std::string Disassemble(std::uint8_t opcode, std::uint8_t low, std::uint8_t high);

}  // namespace korvanta::cpu
