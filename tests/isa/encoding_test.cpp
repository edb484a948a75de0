// Assembly of every mnemonic and operand form except the branches (branch_test.cpp).

#include "isa_fixture.h"

namespace korvanta::testing {
namespace {

using R = Routine;
using EncodingTest = IsaFixture;

struct Encoding {
    Routine r;
    std::string line;
    std::string bytes;  // blank-separated; for a rejected line, what stays in memory
};

constexpr char kCodes[] = "BCDEHLMA";  // register letters by code 000..111
const char* const kPairs[] = {"B", "D", "H", "SP"};
const char* const kStackPairs[] = {"B", "D", "H", "PSW"};

std::vector<Encoding> Accepted()
{
    std::vector<Encoding> cases = {
        {R::ADI, "ADI 3C", "C6 3C"},         {R::ACI, "ACI 00", "CE 00"},
        {R::SUI, "SUI FF", "D6 FF"},         {R::SBI, "SBI 01", "DE 01"},
        {R::LDA, "LDA 2050", "3A 50 20"},    {R::STA, "STA 2050", "32 50 20"},
        {R::LHLD, "LHLD 0A3F", "2A 3F 0A"},  {R::SHLD, "SHLD 0A3F", "22 3F 0A"},
        {R::LDAX, "LDAX B", "0A"},           {R::LDAX, "LDAX D", "1A"},
        {R::STAX, "STAX B", "02"},           {R::STAX, "STAX D", "12"},
        {R::XCHG, "XCHG", "EB"},             {R::RLC, "RLC", "07"},
        {R::RRC, "RRC", "0F"},               {R::RAL, "RAL", "17"},
        {R::RAR, "RAR", "1F"},               {R::CMA, "CMA", "2F"},
        {R::CMC, "CMC", "3F"},               {R::STC, "STC", "37"},
        {R::XTHL, "XTHL", "E3"},             {R::SPHL, "SPHL", "F9"},
        {R::PCHL, "PCHL", "E9"},             {R::RST, "RST 5", "EF"},
        {R::RST, "RST 6", "F7"},             {R::JMP, "JMP 2050", "C3 50 20"},
        {R::CALL1, "CALL 2050", "CD 50 20"}, {R::RET, "RET", "C9"},
    };
    // How operands are cut out of the line.
    const Encoding cut[] = {
        {R::ADI, "ADI G7", "C6 G7"},          // the last two characters, stored as written
        {R::ADD, "ADD X,B", "80"},            // the last character; the separator is never looked at
        {R::MOV, "MOV A B", "78"},            // columns 5 and 7
        {R::MOV, "MOV A,B   X", "78"},        // only three characters from column 7
        {R::MVI, "MVI A, 05", "3E 05"},       // trimmed
        {R::LXI, "LXI H, 2050", "21 50 20"},  // trimmed
        {R::STA, "STA 20", "32 20 A "},       // the last four characters, whatever they are
        {R::INX, "INX Q B", "03"},            // the last two characters, trimmed
        {R::XCHG, "XCHG ANYTHING", "EB"},
    };
    cases.insert(cases.end(), std::begin(cut), std::end(cut));
    for (int d = 0; d < 8; ++d) {
        const std::string dst(1, kCodes[d]);
        for (int s = 0; s < 8; ++s) {
            if (d != 6 || s != 6)
                cases.push_back({R::MOV, "MOV " + dst + "," + kCodes[s], Hex(0x40 | d << 3 | s)});
        }
        cases.push_back({R::MVI, "MVI " + dst + ",5A", Hex(0x06 | d << 3) + " 5A"});
        const struct {
            Routine r;
            int base, shift;
        } families[] = {
            {R::ADD, 0x80, 0}, {R::ADC, 0x88, 0}, {R::SUB1, 0x90, 0}, {R::SBB, 0x98, 0}, {R::ANA, 0xA0, 0},
            {R::XRA, 0xA8, 0}, {R::ORA, 0xB0, 0}, {R::CMP, 0xB8, 0},  {R::INR, 0x04, 3}, {R::DCR, 0x05, 3},
        };
        for (const auto& f : families) {
            const std::string name = f.r == R::SUB1 ? "SUB" : RoutineName(f.r);
            cases.push_back({f.r, name + " " + dst, Hex(f.base | d << f.shift)});
        }
    }
    for (int cc = 0; cc < 8; ++cc) {
        const auto of = [cc](Routine always) {
            return static_cast<Routine>(static_cast<int>(always) + cc + 1);
        };
        const std::string jump = RoutineName(of(R::JMP)), call = RoutineName(of(R::CALL1));
        cases.push_back({of(R::JMP), jump + " 2050", Hex(0xC2 | cc << 3) + " 50 20"});
        cases.push_back({of(R::CALL1), call + " 2050", Hex(0xC4 | cc << 3) + " 50 20"});
        cases.push_back({of(R::RET), RoutineName(of(R::RET)), Hex(0xC0 | cc << 3)});
    }
    for (int p = 0; p < 4; ++p) {
        const std::string pair = kPairs[p], stackPair = kStackPairs[p];
        cases.push_back({R::LXI, "LXI " + pair + ",1234", Hex(0x01 | p << 4) + " 34 12"});
        cases.push_back({R::INX, "INX " + pair, Hex(0x03 | p << 4)});
        cases.push_back({R::DCX, "DCX " + pair, Hex(0x0B | p << 4)});
        cases.push_back({R::DAD, "DAD " + pair, Hex(0x09 | p << 4)});
        cases.push_back({R::PUSH, "PUSH " + stackPair, Hex(0xC5 | p << 4)});
        cases.push_back({R::POP, "POP " + stackPair, Hex(0xC1 | p << 4)});
    }
    return cases;
}

TEST_F(EncodingTest, EncodesEveryForm)
{
    for (const auto& c : Accepted()) {
        m.ErrorFlag = kFalse;
        EXPECT_EQ(Assemble(c.r, c.line, 100), c.bytes) << c.line;
        EXPECT_EQ(m.ErrorFlag, kFalse) << c.line;
    }
}

// Some routines emit the opcode before judging the operand and leave it there.
TEST_F(EncodingTest, RejectsBadOperandsKeepingOnlyAnOpcodeThatGoesFirst)
{
    const Encoding cases[] = {
        {R::ADD, "ADD X", ""},      {R::SUB1, "SUB b", ""},      {R::INR, "INR", ""},
        {R::ANA, "ANA X", ""},      {R::CMP, "CMP 1", ""},       {R::ADI, "A", "C6"},
        {R::ORI, "O", "F6"},        {R::MOV, "MOV A,BX", ""},    {R::MOV, "MOV M,M", ""},
        {R::MOV, "MOV X,A", ""},    {R::MOV, "MOVE A,B", ""},    {R::MVI, "MVI Q,05", ""},
        {R::MVI, "MVI A,5", "3E"},  {R::MVI, "MVI M,123", "36"}, {R::LXI, "LXI Q,1234", ""},
        {R::LXI, "LXI S,1234", ""}, {R::LXI, "LXI B,123", "01"}, {R::LXI, "LXI H,12345", "21"},
        {R::LDA, "LDA", ""},        {R::LHLD, "LH", "2A"},       {R::LDAX, "LDAX H", ""},
        {R::STAX, "STAX H", ""},    {R::INX, "INX M", ""},       {R::DCX, "DCX PSW", ""},
        {R::DAD, "DAD HL", ""},     {R::RST, "RST 0", ""},       {R::RST, "RST 4", ""},
        {R::RST, "RST", ""},        {R::JM, "JM", "FA"},         {R::PUSH, "PUSH SP", ""},
        {R::POP, "POP PS", ""},     {R::OUT, "OUT", ""},
    };
    for (const auto& c : cases) {
        m.memory.SetupTheMemoryWindow("0");
        m.ErrorFlag = kFalse;
        Assemble(c.r, c.line, 10);
        EXPECT_EQ(m.ErrorFlag, kTrue) << c.line;
        EXPECT_EQ(Rows(10, 13), c.bytes.empty() ? "00 00 00" : c.bytes + " 00 00") << c.line;
        EXPECT_EQ(m.LocationIndex, c.bytes.empty() ? 10 : 11) << c.line;
    }
    EXPECT_TRUE(host.messages.empty());
}

// Modes other than execute and assemble leave everything alone, for every routine.
TEST_F(EncodingTest, OtherModesDoNothing)
{
    Poke(1, "3E 05");
    const std::string state = "A=01 B=02 H=06 F=00 SP=0BBB at=1 err=0";
    Set(state);
    m.SourceLine = "MVI A,05";
    m.CurrentOpcode = "00111110";
    host.yields = 0;
    for (int mode : {0, 3, -1}) {
        for (int r = 0; r < kRoutineCount; ++r)
            isa.Call(static_cast<Routine>(r), mode);
    }
    EXPECT_EQ(Now(state) + " " + Rows(1, 4), state + " 3E 05 00");
    EXPECT_TRUE(m.List3.lines().empty() && m.assembly.JumpTagRefs.empty() && m.assembly.HaltAssembled == 0);
    EXPECT_EQ(host.yields, 0);
}

}  // namespace
}  // namespace korvanta::testing
