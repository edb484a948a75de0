#include "isa_fixture.h"

namespace korvanta::testing {
namespace {

const std::string kStack =
    "The simulated CPU is out of stack space.  Change the stack pointer, edit your program, and try agian.  "
    "This is a fatal error.";
const std::string kOutOfRange =
    "The memory location entered is out of range.  Remember that all entered memory locations must be within "
    "the range displayed in the memory window.  This is a fatal error.";
const std::string kSphl =
    "The memory location that is to be transfered to the stack counter is out of range.  Change the value of "
    "Register H and try again.  This is a fatal error.";

using Texts = std::vector<std::string>;

class StackTest : public IsaFixture {
protected:
    // B C H L SP, the location and the error flag, in one line.
    std::string State() const
    {
        return m.cpu.RegisterB.text() + m.cpu.RegisterC.text() + " " + m.cpu.RegisterH.text() +
               m.cpu.RegisterL.text() + " " + m.cpu.SP.text() + " " + std::to_string(m.LocationIndex) +
               (m.ErrorFlag == kTrue ? " error" : "");
    }
};

// Assembled at rows 1 and 2 and run from there; PSW keeps A below the flag value.
TEST_F(StackTest, PushThenPopRestoresEveryPair)
{
    const struct {
        const char* pair;
        const char *push, *pop;
        TextField CpuFields::*low;
        TextField CpuFields::*high;
    } pairs[] = {
        {"B", "C5", "C1", &CpuFields::RegisterC, &CpuFields::RegisterB},
        {"D", "D5", "D1", &CpuFields::RegisterE, &CpuFields::RegisterD},
        {"H", "E5", "E1", &CpuFields::RegisterL, &CpuFields::RegisterH},
        {"PSW", "F5", "F1", &CpuFields::RegisterA, &CpuFields::Text2},
    };
    for (const auto& p : pairs) {
        EXPECT_EQ(Assemble(Routine::PUSH, std::string("PUSH ") + p.pair, 1), Texts{p.push});
        EXPECT_EQ(Assemble(Routine::POP, std::string("POP ") + p.pair, 2), Texts{p.pop});
        m.cpu.SP.setText("0100");  // row 257
        (m.cpu.*p.low).setText("5A");
        (m.cpu.*p.high).setText("C5");
        Execute(Routine::PUSH, 1);
        EXPECT_EQ(Rows(255, 257), (Texts{"5A", "C5"})) << p.pair;
        EXPECT_EQ(m.cpu.SP.text() + " " + std::to_string(m.LocationIndex), "00FE 2") << p.pair;
        (m.cpu.*p.low).setText("00");
        (m.cpu.*p.high).setText("00");
        Execute(Routine::POP, 2);
        EXPECT_EQ((m.cpu.*p.low).text() + (m.cpu.*p.high).text(), "5AC5") << p.pair;
        EXPECT_EQ(m.cpu.SP.text() + " " + std::to_string(m.LocationIndex), "0100 3") << p.pair;
    }
    EXPECT_EQ(Flags(), "11011");  // C5 reached the flag bits through the flag value
    EXPECT_EQ(m.ErrorFlag, kFalse);

    for (const char* line : {"PUSH SP", "PUSH A", "POP M", "POP PS"}) {
        m.ErrorFlag = kFalse;
        EXPECT_TRUE(Assemble(line[1] == 'U' ? Routine::PUSH : Routine::POP, line, 3).empty()) << line;
        EXPECT_EQ(m.ErrorFlag, kTrue) << line;
        EXPECT_EQ(m.window.data(3), "00") << line;
    }
}

TEST_F(StackTest, FailuresKeepExactlyTheStatedPartialEffects)
{
    const struct {
        const char* name;
        const char* opcode;
        const char* sp;
        Texts edgeRows;  // rows 1..2 for PUSH, 4095..4096 otherwise
        const char* state;
        const std::string& message;
    } cases[] = {
        {"push at 0001 writes the high byte", "C5", "0001", {"12", "EE"}, "1234 5678 0001 100 error", kStack},
        {"push at 0000 writes nothing", "C5", "0000", {"EE", "EE"}, "1234 5678 0000 100 error", kStack},
        {"pop at 0FFE loads both", "C1", "0FFE", {"AA", "BB"}, "BBAA 5678 0FFE 100 error", kStack},
        {"pop at 0FFF loads the low one", "C1", "0FFF", {"AA", "BB"}, "12BB 5678 0FFF 100 error", kStack},
        {"push with SP outside", "C5", "2100", {"EE", "EE"}, "1234 5678 2100 100 error", kOutOfRange},
        {"pop with SP outside", "C1", "2100", {"AA", "BB"}, "1234 5678 2100 100 error", kOutOfRange},
        {"xthl with SP outside", "E3", "2100", {"AA", "BB"}, "1234 5678 2100 100 error", kOutOfRange},
        {"xthl on the last row", "E3", "0FFF", {"AA", "BB"}, "1234 5678 0FFF 100 error", kOutOfRange},
        {"sphl with H of another block", "F9", "0BBB", {"AA", "BB"}, "1234 5678 0BBB 100 error", kSphl},
    };
    for (const auto& c : cases) {
        host.messages.clear();
        m.ErrorFlag = kFalse;
        Poke(1, {"EE", "EE"});
        Poke(4095, {"AA", "BB"});
        SetRegisters("00", "12", "34", "00", "00", "56", "78");
        m.cpu.SP.setText(c.sp);
        Poke(100, {c.opcode});
        const Routine r = c.opcode[1] == '5' ? Routine::PUSH
                          : c.opcode[1] == '1' ? Routine::POP
                          : c.opcode[1] == '3' ? Routine::XTHL
                                               : Routine::SPHL;
        Execute(r, 100);
        EXPECT_EQ(r == Routine::PUSH ? Rows(1, 3) : Rows(4095, 4097), c.edgeRows) << c.name;
        EXPECT_EQ(State(), c.state) << c.name;
        EXPECT_EQ(host.messageTexts(), Texts{c.message}) << c.name;
        EXPECT_EQ(host.messages[0].icon, MsgIcon::Critical);
        EXPECT_EQ(host.messages[0].title, "Korvanta");
    }
}

TEST_F(StackTest, XthlAndSphl)
{
    EXPECT_EQ(Assemble(Routine::XTHL, "XTHL", 1), Texts{"E3"});
    EXPECT_EQ(Assemble(Routine::SPHL, "SPHL", 2), Texts{"F9"});
    m.cpu.SP.setText("0100");
    SetRegisters("00", "00", "00", "00", "00", "11", "22");
    Poke(257, {"AA", "BB"});
    Execute(Routine::XTHL, 1);
    EXPECT_EQ(State(), "0000 BBAA 0100 2");
    EXPECT_EQ(Rows(257, 259), (Texts{"22", "11"}));

    SetRegisters("00", "00", "00", "00", "00", "0F", "80");
    Execute(Routine::SPHL, 2);  // H's first digit is all that is checked
    EXPECT_EQ(State(), "0000 0F80 0F80 3");
    EXPECT_TRUE(host.messages.empty());
}

}  // namespace
}  // namespace korvanta::testing
