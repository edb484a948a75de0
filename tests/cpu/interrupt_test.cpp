// The interrupt system: acceptance after an instruction, masks, the enable and
// EI's one-instruction delay, priorities, SIM and RIM, TRAP's copy of IE, and
// HLT with and without something to wake it.

#include "cpu_fixture.h"

namespace korvanta::cpu::testing {
namespace {

class InterruptTest : public CpuTest {
protected:
    void SetUp() override { Set("SP=0FF0"); }
    std::string Pending() const
    {
        const InterruptState& i = cpu.irq;
        return std::string(i.trap ? "T" : "-") + (i.rst75 ? "7" : "-") + (i.rst65 ? "6" : "-") +
               (i.rst55 ? "5" : "-") + (i.intr ? "I" : "-");
    }
};

TEST_F(InterruptTest, MaskableLinesNeedTheEnableAndAClearMask)
{
    const struct {
        Interrupt line;
        int maskBit;  // 0: INTR, which SIM cannot mask
        const char *pending, *accepted;
    } lines[] = {
        {Interrupt::Rst75, 4, "-7---", "PC=003C SP=0FEE #0FEF=01 #0FEE=01 T=16"},
        {Interrupt::Rst65, 2, "--6--", "PC=0034 SP=0FEE #0FEF=01 #0FEE=01 T=16"},
        {Interrupt::Rst55, 1, "---5-", "PC=002C SP=0FEE #0FEF=01 #0FEE=01 T=16"},
        {Interrupt::Intr, 0, "----I", "PC=0028 SP=0FEE #0FEF=01 #0FEE=01 T=16"},  // answered with RST 5
    };
    for (const auto& row : lines) {
        for (int form = 0; form < 3; ++form) {  // unmasked and enabled, masked, disabled
            if (form == 1 && row.maskBit == 0) continue;
            SCOPED_TRACE(row.pending + std::string(form == 0 ? "" : form == 1 ? " masked" : " disabled"));
            cpu = Cpu8085{};
            Set("SP=0FF0");
            cpu.irq.enabled = form != 2;
            cpu.irq.masks = static_cast<std::uint8_t>(form == 1 ? row.maskBit : 0);
            cpu.raise(row.line, 5);
            ASSERT_EQ(Step({0x00}).stop, Stop::Limit);
            EXPECT_EQ(cpu.last.interruptAccepted, form == 0);
            EXPECT_EQ(Pending(), form == 0 ? "-----" : row.pending);
            EXPECT_EQ(cpu.irq.enabled, form == 1);
            EXPECT_EQ(
                State("PC SP #0FEF #0FEE T N"),
                std::string(form == 0 ? row.accepted : "PC=0101 SP=0FF0 #0FEF=00 #0FEE=00 T=4") + " N=1");
        }
    }
}

TEST_F(InterruptTest, TrapIgnoresEnableAndMasksAndKeepsACopyOfIe)
{
    for (bool enabled : {false, true}) {
        SCOPED_TRACE(enabled ? "enabled" : "disabled");
        cpu = Cpu8085{};
        Set("SP=0FF0 #0024=FB,20,20");  // EI, RIM, RIM
        cpu.irq.enabled = enabled;
        cpu.raise(Interrupt::Trap);
        Step({0x00});
        EXPECT_EQ(State("PC #0FEF #0FEE"), "PC=0024 #0FEF=01 #0FEE=01");
        EXPECT_EQ(Pending(), "-----");
        EXPECT_FALSE(cpu.irq.enabled);
        EXPECT_TRUE(cpu.irq.trapCopy);
        EXPECT_EQ(cpu.irq.enabledBeforeTrap, enabled);
        // The handler enables at once, yet the first RIM still tells what IE was before the TRAP.
        cpu.step(), cpu.step();
        EXPECT_EQ(State("A"), enabled ? "A=0F" : "A=07");
        EXPECT_FALSE(cpu.irq.trapCopy);
        cpu.step();
        EXPECT_EQ(State("A"), "A=0F");
    }
}

TEST_F(InterruptTest, PriorityIsTrapThenSevenFiveSixFiveFiveFiveThenIntr)
{
    cpu.irq.masks = 0;
    for (Interrupt line :
         {Interrupt::Intr, Interrupt::Rst55, Interrupt::Rst65, Interrupt::Rst75, Interrupt::Trap})
        cpu.raise(line, 7);
    for (const char* want : {"PC=0024", "PC=003C", "PC=0034", "PC=002C", "PC=0038"}) {
        cpu.irq.enabled = true;
        Step({0x00});
        EXPECT_EQ(State("PC"), want);
    }
    EXPECT_EQ(Pending(), "-----");
}

TEST_F(InterruptTest, EnableTakesEffectAfterTheNextInstruction)
{
    cpu.raise(Interrupt::Intr, 2);
    Set("#0100=FB,FB,00 PC=0100");  // EI, EI, NOP
    for (const char* want : {"PC=0101", "PC=0102"}) {
        cpu.step();
        EXPECT_EQ(State("PC"), want);
        EXPECT_TRUE(cpu.irq.enabled && cpu.irq.shadow && !cpu.last.interruptAccepted);
    }
    cpu.step();
    EXPECT_EQ(State("PC #0FEF #0FEE"), "PC=0010 #0FEF=01 #0FEE=03");
    EXPECT_FALSE(cpu.irq.shadow);

    // TRAP is not held back by the delay.
    cpu = Cpu8085{};
    Set("SP=0FF0");
    cpu.raise(Interrupt::Trap);
    Step({0xFB});
    EXPECT_EQ(State("PC #0FEE"), "PC=0024 #0FEE=01");
    EXPECT_TRUE(cpu.irq.enabledBeforeTrap);

    // DI acts at once.
    cpu.irq.enabled = true;
    cpu.raise(Interrupt::Intr, 2);
    Step({0xF3});
    EXPECT_EQ(State("PC"), "PC=0101");
    EXPECT_EQ(Pending(), "----I");
}

TEST_F(InterruptTest, SimWritesMasksFlipFlopAndSerialOutput)
{
    const struct {
        const char* name;
        int a, masksIn;
        bool rst75In, sodIn;
        int wantMasks;
        bool wantRst75, wantSod;
    } cases[] = {
        {"MSE sets the masks", 0x0D, 7, false, false, 5, false, false},
        {"masks kept without MSE", 0x05, 2, false, false, 2, false, false},
        {"R7.5 resets the 7.5 flip-flop", 0x10, 7, true, false, 7, false, false},
        {"flip-flop kept without R7.5", 0x08, 7, true, false, 0, true, false},
        {"SDE latches SOD 1", 0xC0, 7, false, false, 7, false, true},
        {"SDE latches SOD 0", 0x40, 7, false, true, 7, false, false},
        {"SOD kept without SDE", 0x80, 7, false, false, 7, false, false},
        {"all at once", 0xDA, 7, true, false, 2, false, true},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        cpu = Cpu8085{};
        Set("F=2A");
        cpu.regs.a = static_cast<std::uint8_t>(row.a);
        cpu.irq.masks = static_cast<std::uint8_t>(row.masksIn);
        cpu.irq.rst75 = row.rst75In, cpu.irq.sod = row.sodIn;
        Step({0x30});
        EXPECT_EQ(cpu.irq.masks, row.wantMasks);
        EXPECT_EQ(cpu.irq.rst75, row.wantRst75);
        EXPECT_EQ(cpu.irq.sod, row.wantSod);
        EXPECT_EQ(State("F T"), "F=2A T=4");
    }
}

TEST_F(InterruptTest, RimReadsPendingEnableAndMasks)
{
    const struct {
        const char* name;
        int masks;
        bool enabled, rst75, rst65, rst55, trapAndIntr;
        const char* want;
    } cases[] = {
        {"nothing pending, all masked", 7, false, false, false, false, false, "A=07"},
        {"7.5 and 5.5 pending, enabled", 5, true, true, false, true, false, "A=5D"},
        {"6.5 pending", 0, true, false, true, false, false, "A=28"},
        {"TRAP and INTR do not show", 0, false, false, false, false, true, "A=00"},
        {"a masked 7.5 still shows", 4, false, true, false, false, false, "A=44"},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        cpu = Cpu8085{};
        Set("SP=0FF0");
        cpu.irq.masks = static_cast<std::uint8_t>(row.masks);
        cpu.irq.enabled = row.enabled;
        cpu.irq.rst75 = row.rst75, cpu.irq.rst65 = row.rst65, cpu.irq.rst55 = row.rst55;
        cpu.irq.trap = cpu.irq.intr = row.trapAndIntr;
        Step({0x20});
        EXPECT_EQ(State("A"), row.want);
    }
}

TEST_F(InterruptTest, SevenFiveLatchesWhileMaskedAndIsTakenOnceUnmasked)
{
    cpu.irq.enabled = true;
    cpu.raise(Interrupt::Rst75);
    EXPECT_EQ(Program({0x00, 0x3E, 0x0B, 0x30}, 3).stop, Stop::Limit);  // NOP; MVI A,0B; SIM
    EXPECT_EQ(State("PC #0FEF #0FEE"), "PC=003C #0FEF=01 #0FEE=04");
    EXPECT_EQ(Pending(), "-----");
}

TEST_F(InterruptTest, HaltWaitsOnlyWhenNothingCanWakeIt)
{
    RunResult result = Program({0x76});
    EXPECT_EQ(result.stop, Stop::Halted);
    EXPECT_EQ(State("PC T N"), "PC=0101 T=5 N=1");

    cpu = Cpu8085{};
    cpu.irq.enabled = true;
    cpu.raise(Interrupt::Rst55);  // masked: still halted, still pending
    EXPECT_EQ(Program({0x76}).stop, Stop::Halted);
    EXPECT_EQ(Pending(), "---5-");

    // EI; HLT with 5.5 unmasked: the HLT is left for 002C, where another HLT waits.
    cpu = Cpu8085{};
    Set("SP=0FF0 #002C=76");
    cpu.irq.masks = 0;
    cpu.raise(Interrupt::Rst55);
    result = Program({0xFB, 0x76});
    EXPECT_EQ(result.stop, Stop::Halted);
    EXPECT_EQ(result.executed, 3u);
    EXPECT_EQ(State("PC #0FEF #0FEE T"), "PC=002D #0FEF=01 #0FEE=02 T=26");
}

TEST_F(InterruptTest, AcceptanceWithTheStackOutsideTheWindowFaults)
{
    Set("SP=0000");
    cpu.raise(Interrupt::Trap);
    const RunResult result = Program({0x3E, 0x42});  // MVI A,42 runs; the TRAP cannot push
    EXPECT_EQ(result.stop, Stop::OutsideWindow);
    EXPECT_EQ(result.executed, 1u);
    EXPECT_EQ(cpu.fault, (Fault{Access::StackWrite, 0xFFFF, 0x0102, 0}));
    EXPECT_EQ(State("A PC SP T"), "A=42 PC=0102 SP=0000 T=7");
    EXPECT_EQ(Pending(), "T----");
}

}  // namespace
}  // namespace korvanta::cpu::testing
