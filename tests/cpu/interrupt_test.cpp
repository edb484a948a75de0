// The interrupt system: acceptance after an instruction, masks, the enable and
// EI's one-instruction delay, priorities, SIM and RIM, TRAP's copy of IE, and
// HLT with and without something to wake it.

#include "cpu_fixture.h"

namespace korvanta::cpu::testing {
namespace {

class InterruptTest : public CpuTest {
protected:
    void SetUp() override { cpu.regs.sp = 0x0FF0; }

    bool Pending(Interrupt line) const
    {
        switch (line) {
            case Interrupt::Trap:
                return cpu.irq.trap;
            case Interrupt::Rst75:
                return cpu.irq.rst75;
            case Interrupt::Rst65:
                return cpu.irq.rst65;
            case Interrupt::Rst55:
                return cpu.irq.rst55;
            case Interrupt::Intr:
                return cpu.irq.intr;
        }
        return false;
    }
    int ReturnAddress() const { return Peek(cpu.regs.sp + 1) << 8 | Peek(cpu.regs.sp); }
};

struct MaskableLine {
    const char* name;
    Interrupt line;
    int maskBit;  // 0: INTR, which SIM cannot mask
    int vector;
};

const MaskableLine kMaskable[] = {
    {"RST 7.5", Interrupt::Rst75, 4, 0x3C},
    {"RST 6.5", Interrupt::Rst65, 2, 0x34},
    {"RST 5.5", Interrupt::Rst55, 1, 0x2C},
    {"INTR answered with RST 5", Interrupt::Intr, 0, 0x28},
};

TEST_F(InterruptTest, MaskableLinesNeedTheEnableAndAClearMask)
{
    for (const auto& row : kMaskable) {
        SCOPED_TRACE(row.name);
        for (bool enabled : {true, false}) {
            for (bool masked : {false, true}) {
                if (masked && row.maskBit == 0) continue;
                SCOPED_TRACE(std::string(enabled ? "enabled" : "disabled") + (masked ? ", masked" : ""));
                cpu = Cpu8085{};
                cpu.regs.sp = 0x0FF0;
                cpu.irq.enabled = enabled;
                cpu.irq.masks = static_cast<std::uint8_t>(masked ? row.maskBit : 0);
                cpu.raise(row.line, 5);
                ASSERT_EQ(Step({0x00}).stop, Stop::Limit);
                const bool accept = enabled && !masked;
                EXPECT_EQ(cpu.last.interruptAccepted, accept);
                EXPECT_EQ(Pending(row.line), !accept);
                EXPECT_EQ(cpu.instructions, 1u);
                if (accept) {
                    EXPECT_EQ(cpu.regs.pc, row.vector);
                    EXPECT_EQ(cpu.regs.sp, 0x0FEE);
                    EXPECT_EQ(ReturnAddress(), 0x0101);
                    EXPECT_FALSE(cpu.irq.enabled);
                    EXPECT_EQ(cpu.tStates, 4u + 12);
                } else {
                    EXPECT_EQ(cpu.regs.pc, 0x0101);
                    EXPECT_EQ(cpu.regs.sp, 0x0FF0);
                    EXPECT_EQ(cpu.irq.enabled, enabled);
                    EXPECT_EQ(cpu.tStates, 4u);
                }
            }
        }
    }
}

TEST_F(InterruptTest, TrapIgnoresEnableAndMasksAndKeepsACopyOfIe)
{
    for (bool enabled : {false, true}) {
        SCOPED_TRACE(enabled ? "enabled" : "disabled");
        cpu = Cpu8085{};
        cpu.regs.sp = 0x0FF0;
        cpu.irq.enabled = enabled;
        cpu.raise(Interrupt::Trap);
        Poke(0x0024, {0xFB, 0x20, 0x20});  // EI, RIM, RIM
        Step({0x00});
        EXPECT_EQ(cpu.regs.pc, 0x0024);
        EXPECT_EQ(ReturnAddress(), 0x0101);
        EXPECT_FALSE(cpu.irq.trap);
        EXPECT_FALSE(cpu.irq.enabled);
        EXPECT_TRUE(cpu.irq.trapCopy);
        EXPECT_EQ(cpu.irq.enabledBeforeTrap, enabled);

        // The handler enables at once, yet the first RIM still tells what IE was before the TRAP.
        cpu.step();
        cpu.step();
        EXPECT_EQ(cpu.regs.a, enabled ? 0x0F : 0x07);
        EXPECT_FALSE(cpu.irq.trapCopy);
        cpu.step();
        EXPECT_EQ(cpu.regs.a, 0x0F);
    }
}

TEST_F(InterruptTest, PriorityIsTrapThenSevenFiveSixFiveFiveFiveThenIntr)
{
    cpu.irq.masks = 0;
    for (Interrupt line :
         {Interrupt::Intr, Interrupt::Rst55, Interrupt::Rst65, Interrupt::Rst75, Interrupt::Trap})
        cpu.raise(line, 7);
    for (int vector : {0x24, 0x3C, 0x34, 0x2C, 0x38}) {
        SCOPED_TRACE(vector);
        cpu.irq.enabled = true;
        Step({0x00});
        EXPECT_EQ(cpu.regs.pc, vector);
        EXPECT_FALSE(cpu.irq.enabled);
    }
    EXPECT_EQ(cpu.irq.pendingBits(), 0);
    EXPECT_FALSE(cpu.irq.intr || cpu.irq.trap);
}

TEST_F(InterruptTest, EnableTakesEffectAfterTheNextInstruction)
{
    cpu.raise(Interrupt::Intr, 2);
    Poke(kOrigin, {0xFB, 0xFB, 0x00, 0x00});  // EI, EI, NOP
    cpu.regs.pc = kOrigin;
    for (int pc : {0x0101, 0x0102}) {
        cpu.step();
        EXPECT_EQ(cpu.regs.pc, pc);
        EXPECT_TRUE(cpu.irq.enabled && cpu.irq.shadow);
        EXPECT_FALSE(cpu.last.interruptAccepted);
    }
    cpu.step();
    EXPECT_EQ(cpu.regs.pc, 0x0010);
    EXPECT_EQ(ReturnAddress(), 0x0103);
    EXPECT_FALSE(cpu.irq.shadow);

    // TRAP is not held back by the delay.
    cpu = Cpu8085{};
    cpu.regs.sp = 0x0FF0;
    cpu.raise(Interrupt::Trap);
    Step({0xFB});
    EXPECT_EQ(cpu.regs.pc, 0x0024);
    EXPECT_EQ(ReturnAddress(), 0x0101);
    EXPECT_TRUE(cpu.irq.enabledBeforeTrap);

    // DI acts at once.
    cpu = Cpu8085{};
    cpu.regs.sp = 0x0FF0;
    cpu.irq.enabled = true;
    cpu.raise(Interrupt::Intr, 2);
    Step({0xF3});
    EXPECT_EQ(cpu.regs.pc, 0x0101);
    EXPECT_TRUE(cpu.irq.intr);
}

struct SimCase {
    const char* name;
    int a, masksIn;
    bool rst75In, sodIn;
    int wantMasks;
    bool wantRst75, wantSod;
};

const SimCase kSimCases[] = {
    {"MSE sets the masks", 0x0D, 7, false, false, 5, false, false},
    {"masks kept without MSE", 0x05, 2, false, false, 2, false, false},
    {"R7.5 resets the 7.5 flip-flop", 0x10, 7, true, false, 7, false, false},
    {"7.5 flip-flop kept without R7.5", 0x08, 7, true, false, 0, true, false},
    {"SDE latches SOD 1", 0xC0, 7, false, false, 7, false, true},
    {"SDE latches SOD 0", 0x40, 7, false, true, 7, false, false},
    {"SOD kept without SDE", 0x80, 7, false, false, 7, false, false},
    {"all at once", 0xDA, 7, true, false, 2, false, true},
};

TEST_F(InterruptTest, SimWritesMasksFlipFlopAndSerialOutput)
{
    for (const auto& row : kSimCases) {
        SCOPED_TRACE(row.name);
        cpu = Cpu8085{};
        cpu.regs.a = static_cast<std::uint8_t>(row.a);
        cpu.regs.f = 0x2A;
        cpu.irq.masks = static_cast<std::uint8_t>(row.masksIn);
        cpu.irq.rst75 = row.rst75In;
        cpu.irq.sod = row.sodIn;
        Step({0x30});
        EXPECT_EQ(cpu.irq.masks, row.wantMasks);
        EXPECT_EQ(cpu.irq.rst75, row.wantRst75);
        EXPECT_EQ(cpu.irq.sod, row.wantSod);
        EXPECT_EQ(cpu.regs.f, 0x2A);
        EXPECT_EQ(cpu.tStates, 4u);
    }
}

TEST_F(InterruptTest, RimReadsPendingEnableAndMasks)
{
    const struct {
        const char* name;
        int masks;
        bool enabled, rst75, rst65, rst55, others;
        int wantA;
    } cases[] = {
        {"nothing pending, all masked", 7, false, false, false, false, false, 0x07},
        {"7.5 and 5.5 pending, enabled", 5, true, true, false, true, false, 0x5D},
        {"6.5 pending", 0, true, false, true, false, false, 0x28},
        {"TRAP and INTR do not show", 0, false, false, false, false, true, 0x00},
        {"a masked 7.5 still shows", 4, false, true, false, false, false, 0x44},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        cpu = Cpu8085{};
        cpu.regs.sp = 0x0FF0;
        cpu.irq.masks = static_cast<std::uint8_t>(row.masks);
        cpu.irq.enabled = row.enabled;
        cpu.irq.rst75 = row.rst75, cpu.irq.rst65 = row.rst65, cpu.irq.rst55 = row.rst55;
        cpu.irq.trap = cpu.irq.intr = row.others;
        Step({0x20});
        EXPECT_EQ(cpu.regs.a, row.wantA);
    }
}

TEST_F(InterruptTest, SevenFiveLatchesWhileMaskedAndIsTakenOnceUnmasked)
{
    cpu.irq.enabled = true;
    cpu.raise(Interrupt::Rst75);
    // NOP; MVI A,0B (MSE, 7.5 unmasked); SIM
    EXPECT_EQ(Program({0x00, 0x3E, 0x0B, 0x30}, 3).stop, Stop::Limit);
    EXPECT_EQ(cpu.regs.pc, 0x003C);
    EXPECT_EQ(ReturnAddress(), 0x0104);
    EXPECT_FALSE(cpu.irq.rst75);
}

TEST_F(InterruptTest, HaltWaitsOnlyWhenNothingCanWakeIt)
{
    RunResult result = Program({0x76});
    EXPECT_EQ(result.stop, Stop::Halted);
    EXPECT_EQ(result.executed, 1u);
    EXPECT_EQ(cpu.regs.pc, 0x0101);
    EXPECT_EQ(cpu.tStates, 5u);

    // Masked: still halted, still pending.
    cpu = Cpu8085{};
    cpu.irq.enabled = true;
    cpu.raise(Interrupt::Rst55);
    EXPECT_EQ(Program({0x76}).stop, Stop::Halted);
    EXPECT_TRUE(cpu.irq.rst55);

    // EI; HLT with 5.5 unmasked: the HLT is left for 002C, where another HLT waits.
    cpu = Cpu8085{};
    cpu.regs.sp = 0x0FF0;
    cpu.irq.masks = 0;
    cpu.raise(Interrupt::Rst55);
    Poke(0x002C, {0x76});
    result = Program({0xFB, 0x76});
    EXPECT_EQ(result.stop, Stop::Halted);
    EXPECT_EQ(result.executed, 3u);
    EXPECT_EQ(cpu.regs.pc, 0x002D);
    EXPECT_EQ(ReturnAddress(), 0x0102);
    EXPECT_EQ(cpu.tStates, 4u + 5 + 12 + 5);
}

TEST_F(InterruptTest, AcceptanceWithTheStackOutsideTheWindowFaults)
{
    cpu.regs.sp = 0x0000;
    cpu.raise(Interrupt::Trap);
    const RunResult result = Program({0x3E, 0x42});  // MVI A,42
    EXPECT_EQ(result.stop, Stop::OutsideWindow);
    EXPECT_EQ(result.executed, 1u);
    EXPECT_EQ(cpu.fault, (Fault{Access::StackWrite, 0xFFFF, 0x0102, 0}));
    EXPECT_EQ(cpu.regs.a, 0x42);
    EXPECT_EQ(cpu.regs.pc, 0x0102);
    EXPECT_EQ(cpu.regs.sp, 0x0000);
    EXPECT_TRUE(cpu.irq.trap);
    EXPECT_EQ(cpu.tStates, 7u);
}

}  // namespace
}  // namespace korvanta::cpu::testing
