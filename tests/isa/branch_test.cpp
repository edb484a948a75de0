#include "isa_fixture.h"

namespace korvanta::testing {
namespace {

const std::string kOutOfRange =
    "The memory location entered is out of range.  Remember that all entered memory locations must be within "
    "the range displayed in the memory window.  This is a fatal error.";

using Bytes = std::vector<std::string>;

// One row per condition: the flag field (none: always), the text that makes
// it taken, and its jump, call and return with their opcodes.
struct Cond {
    const char* name;
    TextField CpuFields::*flag;
    const char* want;
    Routine jump, call, ret;
    const char *jumpOp, *callOp, *retOp;
};

const Cond kConds[] = {
    {"always", nullptr, "", Routine::JMP, Routine::CALL1, Routine::RET, "C3", "CD", "C9"},
    {"C", &CpuFields::Text11, "1", Routine::JC, Routine::CC, Routine::RC, "DA", "DC", "D8"},
    {"NC", &CpuFields::Text11, "0", Routine::JNC, Routine::CNC, Routine::RNC, "D2", "D4", "D0"},
    {"Z", &CpuFields::Text5, "1", Routine::JZ, Routine::CZ, Routine::RZ, "CA", "CC", "C8"},
    {"NZ", &CpuFields::Text5, "0", Routine::JNZ, Routine::CNZ, Routine::RNZ, "C2", "C4", "C0"},
    {"P", &CpuFields::Text4, "0", Routine::JP, Routine::CP, Routine::RP, "F2", "F4", "F0"},
    {"M", &CpuFields::Text4, "1", Routine::JM, Routine::CM, Routine::RM, "FA", "FC", "F8"},
    {"PE", &CpuFields::Text9, "1", Routine::JPE, Routine::CPE, Routine::RPE, "EA", "EC", "E8"},
    {"PO", &CpuFields::Text9, "0", Routine::JPO, Routine::CPO, Routine::RPO, "E2", "E4", "E0"},
};

class BranchTest : public IsaFixture {};

TEST_F(BranchTest, Encodings)
{
    for (const auto& c : kConds) {
        for (auto [r, op] : {std::pair{c.jump, c.jumpOp}, std::pair{c.call, c.callOp}}) {
            const std::string mnemonic = r == Routine::CALL1 ? "CALL" : RoutineName(r);
            m.assembly.JumpTagRefs.clear();
            EXPECT_EQ(Assemble(r, mnemonic + " 2050", 5), (Bytes{op, "50", "20"})) << mnemonic;
            EXPECT_EQ(Assemble(r, mnemonic + " 1E00", 5), (Bytes{op, "00", "1E"})) << mnemonic;
            EXPECT_EQ(Assemble(r, mnemonic + " LOOP", 5), (Bytes{op, "**", "**"})) << mnemonic;
            EXPECT_EQ(Assemble(r, mnemonic + " 20A0", 12), (Bytes{op, "**", "**"})) << mnemonic;
            EXPECT_EQ(m.assembly.JumpTagRefs, "LOOP000620A00013") << mnemonic;
        }
        EXPECT_EQ(Assemble(c.ret, RoutineName(c.ret)), Bytes{c.retOp});
    }
    EXPECT_EQ(Assemble(Routine::PCHL, "PCHL"), Bytes{"E9"});
    for (int digit = 5; digit <= 7; ++digit) Assemble(Routine::RST, "RST " + std::to_string(digit), digit);
    EXPECT_EQ(Rows(5, 8), (Bytes{"EF", "F7", "FF"}));
    EXPECT_EQ(m.ErrorFlag, kFalse);

    for (const char* line : {"RST 0", "RST 1", "RST 2", "RST 3", "RST 4", "RST"}) {
        m.ErrorFlag = kFalse;
        EXPECT_TRUE(Assemble(Routine::RST, line, 3).empty()) << line;
        EXPECT_EQ(m.ErrorFlag, kTrue) << line;
        EXPECT_EQ(m.window.data(3), "00") << line;
    }
    // A line too short for an address keeps its opcode and fails.
    EXPECT_EQ(Assemble(Routine::JM, "JM", 3), Bytes{"FA"});
    EXPECT_EQ(m.ErrorFlag, kTrue);
    EXPECT_EQ(m.window.data(4), "00");
}

// Every condition against "0", "1" and texts that are neither: taken only on the exact text.
TEST_F(BranchTest, ConditionsCompareTheFlagTextExactly)
{
    for (const char* value : {"0", "1", "2", "x"}) {
        for (const auto& c : kConds) {
            if (c.flag) (m.cpu.*c.flag).setText(value);
            const bool taken = !c.flag || std::string(value) == c.want;
            const std::string name = std::string(c.name) + " '" + value + "'";

            Poke(100, {c.jumpOp, "00", "02"});  // to 0200, row 513
            host.yields = 0;
            Execute(c.jump, 100);
            EXPECT_EQ(m.LocationIndex, taken ? 513 : 103) << name;
            EXPECT_EQ(host.yields, taken ? 5 : 0) << name;  // two before the bytes, three finding the row

            m.returnSlot = {1, 77};
            Poke(100, {c.callOp, "00", "02"});
            Execute(c.call, 100);
            EXPECT_EQ(m.LocationIndex, taken ? 513 : 103) << name;
            EXPECT_EQ(m.returnSlot.ReturnIndex, taken ? 103 : 77) << name;

            Poke(100, {c.retOp});
            Execute(c.ret, 100);
            EXPECT_EQ(m.LocationIndex, taken ? 103 : 101) << name;
            EXPECT_EQ(m.returnSlot.ReturnPending, taken ? 0 : 1) << name;
        }
    }
    EXPECT_EQ(m.ErrorFlag, kFalse);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(BranchTest, NestedCallsFailAtTheOuterReturn)
{
    // 0000 CALL 0010 ... 0010 CALL 0020 / 0013 RET ... 0020 RET
    Poke(1, {"CD", "10", "00"});
    Poke(17, {"CD", "20", "00", "C9"});
    Poke(33, {"C9"});
    const std::pair<Routine, int> steps[] = {{Routine::CALL1, 17}, {Routine::CALL1, 33}, {Routine::RET, 20}};
    for (auto [r, next] : steps) {
        Execute(r, m.LocationIndex);
        ASSERT_EQ(m.LocationIndex, next);
    }
    Execute(Routine::RET, 20);
    EXPECT_EQ(m.ErrorFlag, kTrue);
    EXPECT_EQ(m.LocationIndex, 20);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(m.cpu.SP.text(), "0BBB");
}

TEST_F(BranchTest, TargetsOutsideTheWindowStopCleanly)
{
    Poke(10, {"C3", "00", "10"});  // 1000 is outside 0xxx
    Execute(Routine::JMP, 10);
    EXPECT_EQ(m.ErrorFlag, kTrue);
    EXPECT_EQ(m.LocationIndex, 12);

    // Operand bytes past the last row: nothing is read or written outside.
    m.ErrorFlag = kFalse;
    Poke(4095, {"CD", "00"});
    Execute(Routine::CALL1, 4095);
    EXPECT_EQ(m.ErrorFlag, kTrue);
    EXPECT_EQ(m.LocationIndex, 4095);
    EXPECT_EQ(m.memory.writesOutside(), 0);
    EXPECT_EQ(host.messageTexts(), (std::vector<std::string>{kOutOfRange, kOutOfRange}));
}

TEST_F(BranchTest, PchlContinuesAtHLAndShowsTheFollowingAddress)
{
    Poke(1, {"E9"});
    const struct {
        const char* hl;
        int row;
        const char* pc;
    } cases[] = {{"0010", 17, "0011"}, {"0FFE", 4095, "0FFF"}, {"0FFF", 4096, "0FFF"}, {"2010", 1, "0FFF"}};
    for (const auto& c : cases) {
        m.cpu.RegisterH.setText(std::string(c.hl, 2));
        m.cpu.RegisterL.setText(c.hl + 2);
        Execute(Routine::PCHL, 1);
        EXPECT_EQ(m.LocationIndex, c.row) << c.hl;
        EXPECT_EQ(m.cpu.PC.text(), c.pc) << c.hl;
    }
    EXPECT_EQ(m.ErrorFlag, kTrue);  // only the last target lies outside
    EXPECT_EQ(host.messages.size(), 1u);
}

TEST_F(BranchTest, RestartIsSkippedWithItsLogLine)
{
    Poke(1, {"FF"});
    Execute(Routine::RST, 1);
    EXPECT_EQ(m.LocationIndex, 2);
    EXPECT_EQ(m.List3.lines(), std::vector<std::string>{"Unsupported Command RST Ignored"});
    EXPECT_EQ(m.ErrorFlag, kFalse);
}

}  // namespace
}  // namespace korvanta::testing
