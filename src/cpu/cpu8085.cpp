#include "cpu/cpu8085.h"

#include <bit>

#include "cpu/alu.h"
#include "cpu/opcode_table.h"

namespace korvanta::cpu {

namespace {

using u8 = std::uint8_t;
using u16 = std::uint16_t;

constexpr std::array<u8, 256> kCost = [] {
    std::array<u8, 256> cost{};
    for (int op = 0; op < 256; ++op) cost[op] = table::kOpcodes[op].tStates;
    return cost;
}();

// What a taken conditional branch costs on top of the row's T-states.
constexpr int Extra(int op)
{
    return table::kOpcodes[op].tStatesTaken - table::kOpcodes[op].tStates;
}

constexpr u16 kBdosEntry = 0x0005;
constexpr int kBdosCost = 10;  // the service returns as a RET would
constexpr unsigned kBdosLongestString = 65536;
constexpr int kAcceptCost = 12;
constexpr u8 kEi = 0xFB;

// The interrupt to accept now, in the 8085's order of priority, and where it goes.
bool Acceptable(const InterruptState& irq, Interrupt& line, u16& vector)
{
    if (irq.trap) {
        line = Interrupt::Trap, vector = 0x24;
        return true;
    }
    if (!irq.enabled || irq.shadow) return false;
    if (irq.rst75 && !(irq.masks & 4)) {
        line = Interrupt::Rst75, vector = 0x3C;
    } else if (irq.rst65 && !(irq.masks & 2)) {
        line = Interrupt::Rst65, vector = 0x34;
    } else if (irq.rst55 && !(irq.masks & 1)) {
        line = Interrupt::Rst55, vector = 0x2C;
    } else if (irq.intr) {
        line = Interrupt::Intr, vector = static_cast<u16>((irq.intrVector & 7) * 8);
    } else {
        return false;
    }
    return true;
}

// Pushes pc and goes to the interrupt's vector. False, with nothing changed,
// when the stack lies outside the window; failAddress names where.
bool Accept(InterruptState& irq, Interrupt line, u16 vector, u16& sp, u16& pc, u16 base, u8* mem,
            std::uint64_t* written, u16& failAddress)
{
    const u16 ah = static_cast<u16>(sp - 1), al = static_cast<u16>(sp - 2);
    const u16 oh = static_cast<u16>(ah - base), ol = static_cast<u16>(al - base);
    if (oh >= kWindowBytes || ol >= kWindowBytes) {
        failAddress = oh >= kWindowBytes ? ah : al;
        return false;
    }
    // The trace lists the instruction's own writes; the rows still record these.
    mem[oh] = static_cast<u8>(pc >> 8);
    mem[ol] = static_cast<u8>(pc);
    written[oh >> 6] |= std::uint64_t{1} << (oh & 63);
    written[ol >> 6] |= std::uint64_t{1} << (ol & 63);
    sp = al;
    switch (line) {
        case Interrupt::Trap:
            irq.enabledBeforeTrap = irq.enabled;
            irq.trapCopy = true;
            irq.trap = false;
            break;
        case Interrupt::Rst75:
            irq.rst75 = false;
            break;
        case Interrupt::Rst65:
            irq.rst65 = false;
            break;
        case Interrupt::Rst55:
            irq.rst55 = false;
            break;
        case Interrupt::Intr:
            irq.intr = false;
            break;
    }
    irq.enabled = false;
    pc = vector;
    return true;
}

}  // namespace

Stop Cpu8085::acceptPending()
{
    Interrupt line = Interrupt::Trap;
    u16 vector = 0, failAddress = 0;
    if (!Acceptable(irq, line, vector)) return Stop::Limit;
    if (!Accept(irq, line, vector, regs.sp, regs.pc, windowBase, memory.data(), written_.data(), failAddress)) {
        fault = Fault{Access::StackWrite, failAddress, regs.pc, 0};
        return Stop::OutsideWindow;
    }
    tStates += kAcceptCost;
    return Stop::Limit;
}

void Cpu8085::setBreakpoint(std::uint16_t address, bool on)
{
    if (!inWindow(address)) return;
    const u16 offset = static_cast<u16>(address - windowBase);
    std::uint64_t& word = breakpoints_[offset >> 6];
    const std::uint64_t bit = std::uint64_t{1} << (offset & 63);
    if (on == ((word & bit) != 0)) return;
    word ^= bit;
    breakpointCount_ += on ? 1 : -1;
}

void Cpu8085::clearBreakpoints()
{
    breakpoints_.fill(0);
    breakpointCount_ = 0;
}

bool Cpu8085::hasBreakpoint(std::uint16_t address) const
{
    if (!inWindow(address)) return false;
    const u16 offset = static_cast<u16>(address - windowBase);
    return (breakpoints_[offset >> 6] >> (offset & 63)) & 1;
}

std::vector<int> Cpu8085::takeWrittenRows()
{
    std::vector<int> rows;
    for (int word = 0; word < static_cast<int>(written_.size()); ++word) {
        for (std::uint64_t bits = written_[word]; bits; bits &= bits - 1)
            rows.push_back(word * 64 + std::countr_zero(bits));
        written_[word] = 0;
    }
    return rows;
}

void Cpu8085::raise(Interrupt line, std::uint8_t vector)
{
    switch (line) {
        case Interrupt::Trap:
            irq.trap = true;
            break;
        case Interrupt::Rst75:
            irq.rst75 = true;
            break;
        case Interrupt::Rst65:
            irq.rst65 = true;
            break;
        case Interrupt::Rst55:
            irq.rst55 = true;
            break;
        case Interrupt::Intr:
            irq.intr = true;
            irq.intrVector = vector & 7;
            break;
    }
}

bool Cpu8085::needsAttention() const
{
    return breakpointCount_ > 0 || bdos || irq.shadow || irq.trap || irq.rst75 || irq.rst65 || irq.rst55 ||
           irq.intr;
}

Snapshot Cpu8085::snapshot() const
{
    Snapshot s;
    s.regs = regs;
    s.irq = irq;
    s.tStates = tStates;
    s.instructions = instructions;
    s.memory = memory;
    s.inputPorts = inputPorts;
    s.outputs = outputs.size();
    s.console = console.size();
    return s;
}

void Cpu8085::restore(const Snapshot& s)
{
    for (int offset = 0; offset < kWindowBytes; ++offset) {
        if (memory[offset] != s.memory[offset]) written_[offset >> 6] |= std::uint64_t{1} << (offset & 63);
    }
    regs = s.regs;
    irq = s.irq;
    tStates = s.tStates;
    instructions = s.instructions;
    memory = s.memory;
    inputPorts = s.inputPorts;
    if (outputs.size() > s.outputs) outputs.resize(s.outputs);
    if (console.size() > s.console) console.resize(s.console);
}

RunResult Cpu8085::run(std::uint64_t limit, bool skipBreakpoint)
{
    return execute<false>(limit, skipBreakpoint);
}

RunResult Cpu8085::step()
{
    last = StepRecord{};
    last.address = regs.pc;
    return execute<true>(1, false);
}

// The loop keeps every register in a local: memory is bytes, and a write
// through a byte pointer could alias any member, which would make the
// compiler reload the registers after every store.
//
// Each instruction checks every address it will touch before it changes
// anything but pc, so a fault only has to put pc back.

#define KV_OFFSET(address) static_cast<u16>((address)-base)
#define KV_PAIR(hi, lo) static_cast<u16>((hi) << 8 | (lo))
#define KV_HL KV_PAIR(h, l)
#define KV_IMM8 mem[off + 1]
#define KV_IMM16 KV_PAIR(mem[off + 2], mem[off + 1])

#define KV_FAIL(kind, address)                   \
    do {                                         \
        failAccess = (kind);                     \
        failAddress = static_cast<u16>(address); \
        goto outside;                            \
    } while (0)

#define KV_STORE(o, address, value)                                      \
    do {                                                                 \
        mem[o] = (value);                                                \
        written[(o) >> 6] |= std::uint64_t{1} << ((o)&63);               \
        if constexpr (kStep) last.writes[last.writeCount++] = (address); \
    } while (0)

#define KV_READ(dst, address)                               \
    do {                                                    \
        const u16 at_ = (address), o_ = KV_OFFSET(at_);     \
        if (o_ >= kWindowBytes) KV_FAIL(Access::Read, at_); \
        dst = mem[o_];                                      \
    } while (0)

#define KV_WRITE(address, value)                             \
    do {                                                     \
        const u16 at_ = (address), o_ = KV_OFFSET(at_);      \
        if (o_ >= kWindowBytes) KV_FAIL(Access::Write, at_); \
        KV_STORE(o_, at_, value);                            \
    } while (0)

#define KV_PUSH(hiValue, loValue)                                                         \
    do {                                                                                  \
        const u16 ah_ = sp - 1, al_ = sp - 2, oh_ = KV_OFFSET(ah_), ol_ = KV_OFFSET(al_); \
        if (oh_ >= kWindowBytes) KV_FAIL(Access::StackWrite, ah_);                        \
        if (ol_ >= kWindowBytes) KV_FAIL(Access::StackWrite, al_);                        \
        KV_STORE(oh_, ah_, hiValue);                                                      \
        KV_STORE(ol_, al_, loValue);                                                      \
        sp = al_;                                                                         \
    } while (0)

#define KV_POP(hiDst, loDst)                                                          \
    do {                                                                              \
        const u16 al_ = sp, ah_ = sp + 1, ol_ = KV_OFFSET(al_), oh_ = KV_OFFSET(ah_); \
        if (ol_ >= kWindowBytes) KV_FAIL(Access::StackRead, al_);                     \
        if (oh_ >= kWindowBytes) KV_FAIL(Access::StackRead, ah_);                     \
        loDst = mem[ol_];                                                             \
        hiDst = mem[oh_];                                                             \
        sp = sp + 2;                                                                  \
    } while (0)

#define KV_POP_PC()             \
    do {                        \
        u8 hi_ = 0, lo_ = 0;    \
        KV_POP(hi_, lo_);       \
        pc = KV_PAIR(hi_, lo_); \
    } while (0)

#define KV_PAIR_STEP(hi, lo, delta)                                 \
    do {                                                            \
        const u16 v_ = static_cast<u16>(KV_PAIR(hi, lo) + (delta)); \
        hi = v_ >> 8;                                               \
        lo = v_ & 0xFF;                                             \
    } while (0)

// The eight sources of an opcode's low three bits, M read through HL.
#define KV_SOURCES(code, ACTION) \
    case (code) + 0:             \
        ACTION(b);               \
        break;                   \
    case (code) + 1:             \
        ACTION(c);               \
        break;                   \
    case (code) + 2:             \
        ACTION(d);               \
        break;                   \
    case (code) + 3:             \
        ACTION(e);               \
        break;                   \
    case (code) + 4:             \
        ACTION(h);               \
        break;                   \
    case (code) + 5:             \
        ACTION(l);               \
        break;                   \
    case (code) + 6: {           \
        u8 m_ = 0;               \
        KV_READ(m_, KV_HL);      \
        ACTION(m_);              \
        break;                   \
    }                            \
    case (code) + 7:             \
        ACTION(a);               \
        break;

#define KV_ADD(v) alu::Add(a, f, v, 0)
#define KV_ADC(v) alu::Add(a, f, v, f& kFlagCY)
#define KV_SUB(v) alu::Sub(a, f, v, 0)
#define KV_SBB(v) alu::Sub(a, f, v, f& kFlagCY)
#define KV_ANA(v) alu::And(a, f, v)
#define KV_XRA(v) alu::Xor(a, f, v)
#define KV_ORA(v) alu::Or(a, f, v)
#define KV_CMP(v) alu::Compare(a, f, v)
#define KV_TO_B(v) b = (v)
#define KV_TO_C(v) c = (v)
#define KV_TO_D(v) d = (v)
#define KV_TO_E(v) e = (v)
#define KV_TO_H(v) h = (v)
#define KV_TO_L(v) l = (v)
#define KV_TO_A(v) a = (v)

// INR and DCR on a register, or on M (read, then written back at the same address).
#define KV_STEP_REG(incCode, reg) \
    case (incCode):               \
        alu::Increment(reg, f);   \
        break;                    \
    case (incCode) + 1:           \
        alu::Decrement(reg, f);   \
        break;
#define KV_STEP_M(incCode)                                  \
    case (incCode):                                         \
    case (incCode) + 1: {                                   \
        const u16 at_ = KV_HL, o_ = KV_OFFSET(at_);         \
        if (o_ >= kWindowBytes) KV_FAIL(Access::Read, at_); \
        u8 v_ = mem[o_];                                    \
        if (op == (incCode))                                \
            alu::Increment(v_, f);                          \
        else                                                \
            alu::Decrement(v_, f);                          \
        KV_STORE(o_, at_, v_);                              \
        break;                                              \
    }

#define KV_MVI(code, reg) \
    case (code):          \
        reg = KV_IMM8;    \
        pc += 1;          \
        break;

// The branch families: ccc is the condition field of the opcode.
#define KV_CONDITIONS(ACTION)    \
    ACTION(0xC0, !(f & kFlagZ))  \
    ACTION(0xC8, (f & kFlagZ))   \
    ACTION(0xD0, !(f & kFlagCY)) \
    ACTION(0xD8, (f & kFlagCY))  \
    ACTION(0xE0, !(f & kFlagP))  \
    ACTION(0xE8, (f & kFlagP))   \
    ACTION(0xF0, !(f & kFlagS))  \
    ACTION(0xF8, (f & kFlagS))

#define KV_RETURN_IF(code, condition) \
    case (code):                      \
        if (condition) {              \
            KV_POP_PC();              \
            t += Extra(code);         \
        }                             \
        break;
#define KV_JUMP_IF(code, condition) \
    case (code) + 2:                \
        if (condition) {            \
            pc = KV_IMM16;          \
            t += Extra((code) + 2); \
        } else {                    \
            pc += 2;                \
        }                           \
        break;
#define KV_CALL_IF(code, condition)                       \
    case (code) + 4:                                      \
        if (condition) {                                  \
            const u16 target_ = KV_IMM16, back_ = pc + 2; \
            KV_PUSH(back_ >> 8, back_ & 0xFF);            \
            pc = target_;                                 \
            t += Extra((code) + 4);                       \
        } else {                                          \
            pc += 2;                                      \
        }                                                 \
        break;
#define KV_RESTART(code)             \
    case (code):                     \
        KV_PUSH(pc >> 8, pc & 0xFF); \
        pc = (code)&0x38;            \
        break;

template <bool kStep>
RunResult Cpu8085::execute(std::uint64_t limit, bool skipBreakpoint)
{
    u8 a = regs.a, f = regs.f, b = regs.b, c = regs.c, d = regs.d, e = regs.e, h = regs.h, l = regs.l;
    u16 sp = regs.sp, pc = regs.pc;
    const u16 base = windowBase;
    u8* const mem = memory.data();
    std::uint64_t* const written = written_.data();
    std::uint64_t n = 0, t = 0;
    bool attention = needsAttention(), halted = false, accepted = false;
    Stop stop = Stop::Limit;
    u16 start = pc, off = 0, failAddress = 0;
    u8 op = 0;
    Access failAccess = Access::Fetch;
    Interrupt line = Interrupt::Trap;
    u16 vector = 0;

    while (n < limit) {
        if (attention) [[unlikely]] {
            if constexpr (!kStep) {
                if (breakpointCount_ > 0 && (n > 0 || !skipBreakpoint) && hasBreakpoint(pc)) {
                    stop = Stop::Breakpoint;
                    goto done;
                }
            }
            if (bdos && pc == kBdosEntry) {
                start = pc;
                op = 0;
                if constexpr (kStep) last.bdosService = true;
                const u16 text = KV_PAIR(d, e);
                unsigned length = 0;
                if (c == 9) {
                    for (; length < kBdosLongestString; ++length) {
                        const u16 at = static_cast<u16>(text + length), o = KV_OFFSET(at);
                        if (o >= kWindowBytes) KV_FAIL(Access::Read, at);
                        if (mem[o] == '$') break;
                    }
                }
                u8 hi = 0, lo = 0;
                KV_POP(hi, lo);
                if (c == 2) console += static_cast<char>(e);
                if (c == 9) console.append(reinterpret_cast<const char*>(mem + KV_OFFSET(text)), length);
                pc = KV_PAIR(hi, lo);
                t += kBdosCost;
                ++n;
                goto after;
            }
        }

        start = pc;
        off = KV_OFFSET(pc);
        // Only the last two bytes of the window can hold an instruction that runs out of it.
        if (off >= kWindowBytes - 2) [[unlikely]] {
            if (off >= kWindowBytes) {
                op = 0;
                KV_FAIL(Access::Fetch, pc);
            }
            op = mem[off];
            const int length = table::kOpcodes[op].length;
            if (length > 1 && off + 1 >= kWindowBytes) KV_FAIL(Access::Fetch, pc + 1);
            if (length > 2 && off + 2 >= kWindowBytes) KV_FAIL(Access::Fetch, pc + 2);
        }
        op = mem[off];
        if constexpr (kStep) {
            last.length = table::kOpcodes[op].length;
            for (int i = 0; i < last.length; ++i) last.bytes[i] = mem[off + i];
        }
        ++pc;

        switch (op) {
            case 0x00:
                break;
            case 0x01:
                c = mem[off + 1], b = mem[off + 2], pc += 2;
                break;
            case 0x11:
                e = mem[off + 1], d = mem[off + 2], pc += 2;
                break;
            case 0x21:
                l = mem[off + 1], h = mem[off + 2], pc += 2;
                break;
            case 0x31:
                sp = KV_IMM16, pc += 2;
                break;
            case 0x02:
                KV_WRITE(KV_PAIR(b, c), a);
                break;
            case 0x12:
                KV_WRITE(KV_PAIR(d, e), a);
                break;
            case 0x0A:
                KV_READ(a, KV_PAIR(b, c));
                break;
            case 0x1A:
                KV_READ(a, KV_PAIR(d, e));
                break;
            case 0x03:
                KV_PAIR_STEP(b, c, 1);
                break;
            case 0x13:
                KV_PAIR_STEP(d, e, 1);
                break;
            case 0x23:
                KV_PAIR_STEP(h, l, 1);
                break;
            case 0x33:
                ++sp;
                break;
            case 0x0B:
                KV_PAIR_STEP(b, c, -1);
                break;
            case 0x1B:
                KV_PAIR_STEP(d, e, -1);
                break;
            case 0x2B:
                KV_PAIR_STEP(h, l, -1);
                break;
            case 0x3B:
                --sp;
                break;
            case 0x09:
                alu::AddPair(h, l, f, KV_PAIR(b, c));
                break;
            case 0x19:
                alu::AddPair(h, l, f, KV_PAIR(d, e));
                break;
            case 0x29:
                alu::AddPair(h, l, f, KV_HL);
                break;
            case 0x39:
                alu::AddPair(h, l, f, sp);
                break;
                KV_STEP_REG(0x04, b)
                KV_STEP_REG(0x0C, c)
                KV_STEP_REG(0x14, d)
                KV_STEP_REG(0x1C, e)
                KV_STEP_REG(0x24, h)
                KV_STEP_REG(0x2C, l)
                KV_STEP_M(0x34)
                KV_STEP_REG(0x3C, a)
                KV_MVI(0x06, b)
                KV_MVI(0x0E, c)
                KV_MVI(0x16, d)
                KV_MVI(0x1E, e)
                KV_MVI(0x26, h)
                KV_MVI(0x2E, l)
                KV_MVI(0x3E, a)
            case 0x36:
                KV_WRITE(KV_HL, KV_IMM8);
                pc += 1;
                break;
            case 0x07:
                alu::RotateLeft(a, f);
                break;
            case 0x0F:
                alu::RotateRight(a, f);
                break;
            case 0x17:
                alu::RotateLeftThroughCarry(a, f);
                break;
            case 0x1F:
                alu::RotateRightThroughCarry(a, f);
                break;
            case 0x27:
                alu::DecimalAdjust(a, f);
                break;
            case 0x2F:
                a = static_cast<u8>(~a);
                break;
            case 0x37:
                alu::SetCarryOnly(f, 1);
                break;
            case 0x3F:
                alu::SetCarryOnly(f, ~f & kFlagCY);
                break;
            case 0x22: {
                const u16 at = KV_IMM16, next = at + 1, o = KV_OFFSET(at), oNext = KV_OFFSET(next);
                if (o >= kWindowBytes) KV_FAIL(Access::Write, at);
                if (oNext >= kWindowBytes) KV_FAIL(Access::Write, next);
                KV_STORE(o, at, l);
                KV_STORE(oNext, next, h);
                pc += 2;
                break;
            }
            case 0x2A: {
                u8 lo = 0, hi = 0;
                const u16 at = KV_IMM16;
                KV_READ(lo, at);
                KV_READ(hi, at + 1);
                l = lo, h = hi, pc += 2;
                break;
            }
            case 0x32:
                KV_WRITE(KV_IMM16, a);
                pc += 2;
                break;
            case 0x3A:
                KV_READ(a, KV_IMM16);
                pc += 2;
                break;
            case 0x20: {
                // RIM: SID reads 0; after a TRAP the first RIM shows IE as it was before it.
                bool enable = irq.enabled;
                if (irq.trapCopy) enable = irq.enabledBeforeTrap, irq.trapCopy = false;
                a = static_cast<u8>(irq.pendingBits() << 4 | (enable ? 0x08 : 0) | (irq.masks & 7));
                break;
            }
            case 0x30:
                if (a & 0x08) irq.masks = a & 7;
                if (a & 0x10) irq.rst75 = false;
                if (a & 0x40) irq.sod = (a & 0x80) != 0;
                attention = needsAttention();
                break;

                KV_SOURCES(0x40, KV_TO_B)
                KV_SOURCES(0x48, KV_TO_C)
                KV_SOURCES(0x50, KV_TO_D)
                KV_SOURCES(0x58, KV_TO_E)
                KV_SOURCES(0x60, KV_TO_H)
                KV_SOURCES(0x68, KV_TO_L)
                KV_SOURCES(0x78, KV_TO_A)
            case 0x70:
                KV_WRITE(KV_HL, b);
                break;
            case 0x71:
                KV_WRITE(KV_HL, c);
                break;
            case 0x72:
                KV_WRITE(KV_HL, d);
                break;
            case 0x73:
                KV_WRITE(KV_HL, e);
                break;
            case 0x74:
                KV_WRITE(KV_HL, h);
                break;
            case 0x75:
                KV_WRITE(KV_HL, l);
                break;
            case 0x77:
                KV_WRITE(KV_HL, a);
                break;
            case 0x76:
                halted = true;
                attention = true;
                break;

                KV_SOURCES(0x80, KV_ADD)
                KV_SOURCES(0x88, KV_ADC)
                KV_SOURCES(0x90, KV_SUB)
                KV_SOURCES(0x98, KV_SBB)
                KV_SOURCES(0xA0, KV_ANA)
                KV_SOURCES(0xA8, KV_XRA)
                KV_SOURCES(0xB0, KV_ORA)
                KV_SOURCES(0xB8, KV_CMP)
            case 0xC6:
                KV_ADD(KV_IMM8), pc += 1;
                break;
            case 0xCE:
                KV_ADC(KV_IMM8), pc += 1;
                break;
            case 0xD6:
                KV_SUB(KV_IMM8), pc += 1;
                break;
            case 0xDE:
                KV_SBB(KV_IMM8), pc += 1;
                break;
            case 0xE6:
                KV_ANA(KV_IMM8), pc += 1;
                break;
            case 0xEE:
                KV_XRA(KV_IMM8), pc += 1;
                break;
            case 0xF6:
                KV_ORA(KV_IMM8), pc += 1;
                break;
            case 0xFE:
                KV_CMP(KV_IMM8), pc += 1;
                break;

                KV_CONDITIONS(KV_RETURN_IF)
                KV_CONDITIONS(KV_JUMP_IF)
                KV_CONDITIONS(KV_CALL_IF)
            case 0xC3:
                pc = KV_IMM16;
                break;
            case 0xCD: {
                const u16 target = KV_IMM16, back = pc + 2;
                KV_PUSH(back >> 8, back & 0xFF);
                pc = target;
                break;
            }
            case 0xC9:
                KV_POP_PC();
                break;
                KV_RESTART(0xC7)
                KV_RESTART(0xCF)
                KV_RESTART(0xD7)
                KV_RESTART(0xDF)
                KV_RESTART(0xE7)
                KV_RESTART(0xEF)
                KV_RESTART(0xF7)
                KV_RESTART(0xFF)
            case 0xC1:
                KV_POP(b, c);
                break;
            case 0xD1:
                KV_POP(d, e);
                break;
            case 0xE1:
                KV_POP(h, l);
                break;
            case 0xF1:
                KV_POP(a, f);
                break;
            case 0xC5:
                KV_PUSH(b, c);
                break;
            case 0xD5:
                KV_PUSH(d, e);
                break;
            case 0xE5:
                KV_PUSH(h, l);
                break;
            case 0xF5:
                KV_PUSH(a, f);
                break;
            case 0xE3: {
                const u16 at = sp, next = sp + 1, o = KV_OFFSET(at), oNext = KV_OFFSET(next);
                if (o >= kWindowBytes) KV_FAIL(Access::StackRead, at);
                if (oNext >= kWindowBytes) KV_FAIL(Access::StackRead, next);
                const u8 lo = mem[o], hi = mem[oNext];
                KV_STORE(oNext, next, h);
                KV_STORE(o, at, l);
                l = lo, h = hi;
                break;
            }
            case 0xE9:
                pc = KV_HL;
                break;
            case 0xF9:
                sp = KV_HL;
                break;
            case 0xEB: {
                const u8 oldD = d, oldE = e;
                d = h, e = l, h = oldD, l = oldE;
                break;
            }
            case 0xD3:
                outputs.push_back({KV_IMM8, a}), pc += 1;
                break;
            case 0xDB:
                a = inputPorts[KV_IMM8], pc += 1;
                break;
            case 0xF3:
                irq.enabled = false;
                break;
            case 0xFB:
                irq.enabled = true;
                irq.shadow = true;
                attention = true;
                break;

            case 0x08:
            case 0x10:
            case 0x18:
            case 0x28:
            case 0x38:
            case 0xCB:
            case 0xD9:
            case 0xDD:
            case 0xED:
            case 0xFD:
                goto undefined;
        }
        t += kCost[op];
        ++n;

    after:
        if (attention) [[unlikely]] {
            if (bdos && pc == 0) {
                stop = Stop::BdosExit;
                goto done;
            }
            // The instruction after EI has run once this is reached with another opcode.
            if (irq.shadow && op != kEi) irq.shadow = false;
            accepted = false;
            if (Acceptable(irq, line, vector)) {
                if (!Accept(irq, line, vector, sp, pc, base, mem, written, failAddress)) goto acceptFault;
                t += kAcceptCost;
                accepted = true;
                if constexpr (kStep) last.interruptAccepted = true;
            }
            if (halted) {
                halted = false;
                if (!accepted) {
                    stop = Stop::Halted;
                    goto done;
                }
            }
            attention = needsAttention();
        }
    }
    goto done;

outside:
    pc = start;
    fault = Fault{failAccess, failAddress, start, op};
    stop = Stop::OutsideWindow;
    goto done;

acceptFault:
    // The instruction ran; the interrupt stays pending and pc is where it would have returned to.
    fault = Fault{Access::StackWrite, failAddress, pc, 0};
    stop = Stop::OutsideWindow;
    goto done;

undefined:
    pc = start;
    fault = Fault{Access::Fetch, start, start, op};
    stop = Stop::Undefined;

done:
    regs = Registers{a, f, b, c, d, e, h, l, sp, pc};
    tStates += t;
    instructions += n;
    return RunResult{stop, n};
}

}  // namespace korvanta::cpu
