#include "isa_fixture.h"

namespace korvanta::testing {
namespace {

using R = Routine;
using UnsupportedTest = IsaFixture;

// Each line assembled at row 1 and run from there: its bytes are skipped and
// logged (the mnemonic's line, then for the logical group the promise), and
// nothing else is touched. NOP only turns the event loop ten times.
TEST_F(UnsupportedTest, SkipsTheInstructionAndLogsIt)
{
    const struct {
        Routine r;
        const char* line;
        const char* bytes;
        int logLines;
    } cases[] = {
        {R::NOP, "NOP", "00", 0},            {R::DAA, "DAA", "27", 1},
        {R::ANA, "ANA B", "A0", 2},          {R::XRA, "XRA A", "AF", 2},
        {R::ORA, "ORA L", "B5", 2},          {R::CMP, "CMP M", "BE", 2},
        {R::ANI, "ANI 0F", "E6 0F", 2},      {R::XRI, "XRI G7", "EE G7", 2},
        {R::ORI, "ORI 12", "F6 12", 2},      {R::CPI, "CPI 0F", "FE 0F", 2},
        {R::EI, "EI", "FB", 1},              {R::DI, "DI", "F3", 1},
        {R::RIM, "RIM", "20", 1},            {R::SIM, "SIM", "30", 1},
        {R::RST, "RST 7", "FF", 1},          {R::IN1, "IN 12AB", "DB AB 12", 1},
        {R::OUT, "OUT 0001", "D3 01 00", 1},
    };
    const std::string state = "A=5A B=01 H=05 L=06 F=D5 SP=0BBB err=0";
    Set(state);
    for (const auto& c : cases) {
        m.List3.clear();
        EXPECT_EQ(Assemble(c.r, c.line), c.bytes) << c.line;
        host.yields = 0;
        Execute(c.r, 1);
        EXPECT_EQ(m.LocationIndex, 1 + static_cast<int>(Words(c.bytes).size())) << c.line;
        const Texts log = {"Unsupported Command " + Words(c.line)[0] + " Ignored",
                           "This command will someday by supported"};
        EXPECT_EQ(m.List3.lines(), Texts(log.begin(), log.begin() + c.logLines)) << c.line;
        EXPECT_EQ(host.yields, c.r == R::NOP ? 10 : 0) << c.line;
    }
    EXPECT_EQ(Now(state), state);
    EXPECT_TRUE(host.messages.empty());

    EXPECT_EQ(Assemble(R::HLT, "HLT"), "76");
    EXPECT_EQ(m.assembly.HaltAssembled, 1);
    Execute(R::HLT, 1);  // the executor ends the run on the byte itself
    EXPECT_EQ(Now("at err"), "at=1 err=0");
}

}  // namespace
}  // namespace korvanta::testing
