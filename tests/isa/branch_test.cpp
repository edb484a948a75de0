#include "isa/numeric_text.h"
#include "isa_fixture.h"

namespace korvanta::testing {
namespace {

using R = Routine;
using BranchTest = IsaFixture;

// Which branch operands count as numbers; the rest are tags.
TEST(IsNumericTest, TellsDecimalNumbersFromTags)
{
    const struct {
        const char* text;
        bool numeric;
    } cases[] = {
        {"2050", true},  {"0000", true},  {"1E00", true},  {"1D05", true},  {"1e+2", true},
        {" 123", true},  {"12  ", true},  {"-123", true},  {"+1.5", true},  {"1.", true},
        {".5", true},    {"20A0", false}, {"FF00", false}, {"LOOP", false}, {"200A", false},
        {"1E", false},   {"E5", false},   {"", false},     {"    ", false}, {".", false},
        {"-", false},    {"12 3", false}, {"1E0A", false}, {"--12", false}, {"1.2.", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsNumeric(c.text), c.numeric) << '"' << c.text << '"';
}

// Condition code cc (NZ Z NC C PO PE P M) or -1 for always: the routines
// follow the enum order, the flag is Z, CY, P or S and the taken text cc's low bit.
struct Cond {
    int cc;
    Routine Of(Routine always) const { return static_cast<Routine>(static_cast<int>(always) + cc + 1); }
    std::string Flag() const { return cc < 0 ? "" : Texts{"Z", "CY", "P", "S"}[cc / 2]; }
    std::string Opcode(int always, int base) const { return Hex(cc < 0 ? always : base | cc << 3); }
};

// Numeric operands are stored low byte first; a tag gets "**" placeholders and a reference.
TEST_F(BranchTest, TagOperands)
{
    for (auto [r, op] : {std::pair{R::JNC, std::string("D2 ")}, std::pair{R::CALL1, std::string("CD ")}}) {
        m.assembly.JumpTagRefs.clear();
        EXPECT_EQ(Assemble(r, op + "1E00", 5), op + "00 1E");
        EXPECT_EQ(Assemble(r, op + "LOOP", 5), op + "** **");
        EXPECT_EQ(Assemble(r, op + "20A0", 12), op + "** **");
        EXPECT_EQ(m.assembly.JumpTagRefs, "LOOP000620A00013");
    }
    EXPECT_EQ(m.ErrorFlag, kFalse);
}

// Every condition against "0", "1" (the other flags holding the opposite) and
// texts that are neither: taken only on the exact text of its own flag. A call
// not taken keeps the pending return slot.
TEST_F(BranchTest, ConditionsCompareTheFlagTextExactly)
{
    for (const std::string value : {"0", "1", "2", "x"}) {
        for (int cc = -1; cc < 8; ++cc) {
            const Cond c{cc};
            const std::string other = value == "1" ? "0" : "1";  // reading another flag would show
            if (value == "0" || value == "1")
                Set("Z=" + other + " CY=" + other + " P=" + other + " S=" + other);
            if (c.cc >= 0) Set(c.Flag() + "=" + value);
            const bool taken = c.cc < 0 || value == std::to_string(c.cc % 2);
            const std::string name = c.Opcode(0xC3, 0xC2) + " on " + value;
            Poke(100, c.Opcode(0xC3, 0xC2) + " 00 02");  // to 0200, row 513
            host.yields = 0;
            Execute(c.Of(R::JMP), 100);
            EXPECT_EQ(m.LocationIndex, taken ? 513 : 103) << name;
            EXPECT_EQ(host.yields, taken ? 5 : 0) << name;  // two before the bytes, three finding the row
            m.returnSlot = {1, 77};
            Poke(100, c.Opcode(0xCD, 0xC4) + " 00 02");
            Execute(c.Of(R::CALL1), 100);
            EXPECT_EQ(m.LocationIndex, taken ? 513 : 103) << name;
            EXPECT_EQ(m.returnSlot.ReturnIndex, taken ? 103 : 77) << name;
            Poke(100, c.Opcode(0xC9, 0xC0));
            Execute(c.Of(R::RET), 100);
            EXPECT_EQ(m.LocationIndex, taken ? 103 : 101) << name;
            EXPECT_EQ(m.returnSlot.ReturnPending, taken ? 0 : 1) << name;
        }
    }
    EXPECT_EQ(m.ErrorFlag, kFalse);
    EXPECT_TRUE(host.messages.empty());
}

// The only return slot: 0000 CALL 0010 ... 0010 CALL 0020 / 0013 RET ... 0020 RET.
TEST_F(BranchTest, NestedCallsFailAtTheOuterReturn)
{
    Poke(1, "CD 10 00");
    Poke(17, "CD 20 00 C9");
    Poke(33, "C9");
    for (auto [r, next] : {std::pair{R::CALL1, 17}, {R::CALL1, 33}, {R::RET, 20}}) {
        Execute(r, m.LocationIndex);
        ASSERT_EQ(m.LocationIndex, next);
    }
    Execute(R::RET, 20);
    EXPECT_EQ(Now("at err SP"), "at=20 err=1 SP=0BBB");
    EXPECT_TRUE(host.messages.empty());
}

// PC shows the address after the target, or the target itself on the last row.
TEST_F(BranchTest, PchlContinuesAtHL)
{
    Poke(1, "E9");
    const char* const cases[][2] = {
        {"H=00 L=10", "at=17 PC=0011 err=0"},   {"H=0F L=FE", "at=4095 PC=0FFF err=0"},
        {"H=0F L=FF", "at=4096 PC=0FFF err=0"}, {"H=20 L=10", "at=1 PC=0FFF err=1"},
    };
    for (const auto& [hl, after] : cases) {
        Set(hl);
        Execute(R::PCHL, 1);
        EXPECT_EQ(Now(after), after) << hl;
    }
    EXPECT_EQ(host.messageTexts(), Texts{kOutOfRangeMessage});
}

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
