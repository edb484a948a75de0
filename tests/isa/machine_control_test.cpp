#include "isa_fixture.h"

namespace korvanta::testing {
namespace {

using Bytes = std::vector<std::string>;
using Lines = std::vector<std::string>;

class MachineControlTest : public IsaFixture {};

// Each line assembled at row 1, then run from there: bytes, skipped length and log.
TEST_F(MachineControlTest, AssembleThenRun)
{
    const struct {
        Routine r;
        const char* line;
        Bytes bytes;
        Lines log;
    } cases[] = {
        {Routine::NOP, "NOP", {"00"}, {}},
        {Routine::EI, "EI", {"FB"}, {"Unsupported Command EI Ignored"}},
        {Routine::DI, "DI", {"F3"}, {"Unsupported Command DI Ignored"}},
        {Routine::RIM, "RIM", {"20"}, {"Unsupported Command RIM Ignored"}},
        {Routine::SIM, "SIM", {"30"}, {"Unsupported Command SIM Ignored"}},
        {Routine::IN1, "IN 12AB", {"DB", "AB", "12"}, {"Unsupported Command IN Ignored"}},
        {Routine::OUT, "OUT 0001", {"D3", "01", "00"}, {"Unsupported Command OUT Ignored"}},
    };
    SetRegisters("12");
    for (const auto& c : cases) {
        m.List3.clear();
        EXPECT_EQ(Assemble(c.r, c.line), c.bytes) << c.line;
        host.yields = 0;
        Execute(c.r, 1);
        EXPECT_EQ(m.LocationIndex, 1 + static_cast<int>(c.bytes.size())) << c.line;
        EXPECT_EQ(m.List3.lines(), c.log) << c.line;
        EXPECT_EQ(host.yields, c.r == Routine::NOP ? 10 : 0) << c.line;
    }
    EXPECT_EQ(m.cpu.RegisterA.text() + m.cpu.Text2.text(), "1200");
    EXPECT_EQ(m.assembly.HaltAssembled, 0);
    EXPECT_EQ(Assemble(Routine::HLT, "HLT"), Bytes{"76"});
    EXPECT_EQ(m.assembly.HaltAssembled, 1);
    Execute(Routine::HLT, 1);  // the executor ends the run on the byte itself
    EXPECT_EQ(m.LocationIndex, 1);
    EXPECT_EQ(m.ErrorFlag, kFalse);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(MachineControlTest, ShortPortLineEmitsNothing)
{
    Poke(1, {"AB"});
    EXPECT_TRUE(Assemble(Routine::OUT, "OUT").empty());
    EXPECT_EQ(m.ErrorFlag, kTrue);
    EXPECT_EQ(m.window.data(1), "AB");
}

// Any mode but 1 and 2 leaves everything alone, for every routine from DAA on.
TEST_F(MachineControlTest, OtherModesDoNothing)
{
    m.SourceLine = "JMP LOOP";
    m.cpu.RegisterA.setText("81");
    for (int r = static_cast<int>(Routine::DAA); r < kRoutineCount; ++r) {
        for (int mode : {0, 3}) {
            m.LocationIndex = 5;
            m.CurrentOpcode = "11000011";
            isa.Call(static_cast<Routine>(r), mode);
            EXPECT_EQ(m.LocationIndex, 5) << RoutineName(static_cast<Routine>(r));
        }
    }
    EXPECT_EQ(Rows(1, 10), Bytes(9, "00"));
    EXPECT_EQ(m.cpu.RegisterA.text(), "81");
    EXPECT_TRUE(m.List3.lines().empty() && m.assembly.JumpTagRefs.empty());
    EXPECT_EQ(m.ErrorFlag, kFalse);
}

}  // namespace
}  // namespace korvanta::testing
