#include "isa_fixture.h"

namespace korvanta::testing {
namespace {

const std::string kStack =
    "The simulated CPU is out of stack space.  Change the stack pointer, edit your program, and try agian.  "
    "This is a fatal error.";
const std::string kSphl =
    "The memory location that is to be transfered to the stack counter is out of range.  Change the value of "
    "Register H and try again.  This is a fatal error.";

using StackTest = IsaFixture;

// The low register goes to the lower row; for PSW that is A, below the flag value.
TEST_F(StackTest, PushThenPopRestoresEveryPair)
{
    const struct {
        const char *push, *pop, *low, *high;
    } pairs[] = {
        {"C5", "C1", "C", "B"}, {"D5", "D1", "E", "D"}, {"E5", "E1", "L", "H"}, {"F5", "F1", "A", "F"},
    };
    for (const auto& p : pairs) {
        const std::string low = std::string(p.low) + "=", high = std::string(p.high) + "=";
        Poke(1, std::string(p.push) + " " + p.pop);
        Set("SP=0100 " + low + "5A " + high + "C5");  // SP is row 257
        Execute(Routine::PUSH, 1);
        EXPECT_EQ(Now("#255 #256 SP at"), "#255=5A #256=C5 SP=00FE at=2") << p.push;
        Set(low + "00 " + high + "00");
        Execute(Routine::POP, 2);
        EXPECT_EQ(Now(low + " " + high + " SP at"), low + "5A " + high + "C5 SP=0100 at=3") << p.pop;
    }
    EXPECT_EQ(Flags(), "11011");  // C5 reached the flag bits through the flag value
    EXPECT_EQ(m.ErrorFlag, kFalse);
}

// From rows 1-2 EE EE, rows 4095-4096 AA BB, B,C 1234 and H,L 5678.
TEST_F(StackTest, FailuresKeepExactlyTheStatedPartialEffects)
{
    const struct {
        const char* name;
        Routine r;
        const char* opcode;
        const char* sp;
        const char* after;  // rows 1, 2, 4095, 4096 and B,C
        const std::string& message;
    } cases[] = {
        {"push at 0001 writes the high byte", Routine::PUSH, "C5", "0001", "12 EE AA BB 1234", kStack},
        {"push at 0000 writes nothing", Routine::PUSH, "C5", "0000", "EE EE AA BB 1234", kStack},
        {"pop at 0FFE loads both", Routine::POP, "C1", "0FFE", "EE EE AA BB BBAA", kStack},
        {"pop at 0FFF loads the low one", Routine::POP, "C1", "0FFF", "EE EE AA BB 12BB", kStack},
        {"push with SP outside", Routine::PUSH, "C5", "2100", "EE EE AA BB 1234", kOutOfRangeMessage},
        {"pop with SP outside", Routine::POP, "C1", "2100", "EE EE AA BB 1234", kOutOfRangeMessage},
        {"xthl with SP outside", Routine::XTHL, "E3", "2100", "EE EE AA BB 1234", kOutOfRangeMessage},
        {"xthl on the last row", Routine::XTHL, "E3", "0FFF", "EE EE AA BB 1234", kOutOfRangeMessage},
        {"sphl with H of another block", Routine::SPHL, "F9", "0BBB", "EE EE AA BB 1234", kSphl},
    };
    for (const auto& c : cases) {
        host.messages.clear();
        Poke(1, "EE EE");
        Poke(4095, "AA BB");
        Poke(100, c.opcode);
        Set(std::string("err=0 B=12 C=34 H=56 L=78 SP=") + c.sp);
        Execute(c.r, 100);
        const std::string bc = m.cpu.RegisterB.text() + m.cpu.RegisterC.text();
        EXPECT_EQ(Rows(1, 3) + " " + Rows(4095, 4097) + " " + bc, c.after) << c.name;
        EXPECT_EQ(Now("H L SP at err"), "H=56 L=78 SP=" + std::string(c.sp) + " at=100 err=1") << c.name;
        EXPECT_EQ(host.messageTexts(), Texts{c.message}) << c.name;
        EXPECT_EQ(host.messages[0].icon, MsgIcon::Critical);
        EXPECT_EQ(host.messages[0].title, "Korvanta");
    }
}

TEST_F(StackTest, XthlAndSphl)
{
    Poke(1, "E3 F9");
    Poke(257, "AA BB");
    Set("SP=0100 H=11 L=22");
    Execute(Routine::XTHL, 1);
    EXPECT_EQ(Now("H L SP #257 #258 at"), "H=BB L=AA SP=0100 #257=22 #258=11 at=2");
    Set("H=0F L=80");
    Execute(Routine::SPHL, 2);  // H's first digit is all that is checked
    EXPECT_EQ(Now("H L SP at"), "H=0F L=80 SP=0F80 at=3");
    EXPECT_TRUE(host.messages.empty());
}

}  // namespace
}  // namespace korvanta::testing
