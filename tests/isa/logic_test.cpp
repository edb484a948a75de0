#include "isa_fixture.h"

namespace korvanta::testing {
namespace {

using LogicTest = IsaFixture;

// S Z P start set and AC clear; only A and CY may change.
TEST_F(LogicTest, RotatesComplementAndCarry)
{
    const struct {
        Routine r;
        const char* opcode;
        const char *a, *cy, *aAfter, *cyAfter;
    } cases[] = {
        {Routine::RLC, "07", "81", "0", "03", "1"}, {Routine::RLC, "07", "40", "1", "80", "0"},
        {Routine::RRC, "0F", "81", "0", "C0", "1"}, {Routine::RRC, "0F", "02", "1", "01", "0"},
        {Routine::RAL, "17", "80", "0", "00", "1"}, {Routine::RAL, "17", "41", "1", "83", "0"},
        {Routine::RAR, "1F", "01", "1", "80", "1"}, {Routine::RAR, "1F", "82", "0", "41", "0"},
        {Routine::CMA, "2F", "5A", "0", "A5", "0"}, {Routine::CMA, "2F", "00", "1", "FF", "1"},
        {Routine::STC, "37", "5A", "0", "5A", "1"}, {Routine::STC, "37", "5A", "1", "5A", "1"},
        {Routine::CMC, "3F", "5A", "0", "5A", "1"}, {Routine::CMC, "3F", "5A", "1", "5A", "0"},
    };
    for (const auto& c : cases) {
        Set(std::string("F=C4 CY=") + c.cy + " A=" + c.a);
        Poke(1, c.opcode);
        Execute(c.r, 1);
        const std::string want = std::string("A=") + c.aAfter + " S=1 Z=1 AC=0 P=1 CY=" + c.cyAfter + " at=2";
        EXPECT_EQ(Now(want), want) << c.opcode << " on " << c.a << " CY " << c.cy;
    }
}

// An accumulator the user left half typed cannot be rotated; it is not mangled.
TEST_F(LogicTest, AccumulatorThatIsNotAHexByteStopsTheRun)
{
    Set("A=3, CY=0");
    Poke(1, "07");
    Execute(Routine::RLC, 1);
    EXPECT_EQ(Now("A CY at err"), "A=3, CY=0 at=1 err=1");
    EXPECT_EQ(host.messageTexts(), Texts{"Conversion to binary failed...Invalid HEX entry."});
}

}  // namespace
}  // namespace korvanta::testing
