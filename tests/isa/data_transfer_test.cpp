#include <string>
#include <utility>
#include <vector>

#include "isa_fixture.h"

namespace korvanta::testing {
namespace {

std::string Hex(int value)
{
    const char* digits = "0123456789ABCDEF";
    return {digits[(value >> 4) & 15], digits[value & 15]};
}

constexpr char kCodeOrder[] = "BCDEHLMA";  // register letters by code 000..111

class DataTransferTest : public IsaFixture {
protected:
    // "A".."L" and "SP" name a field; "#n" names memory row n.
    std::string Read(const std::string& what)
    {
        if (what == "SP") return m.cpu.SP.text();
        if (what[0] == '#') return m.window.data(std::stoi(what.substr(1)));
        return m.cpu.registerField(what)->text();
    }
};

// ---------------------------------------------------------------- encoding

struct Encoding {
    Routine routine;
    std::string line;
    std::vector<std::string> rows;
};

TEST_F(DataTransferTest, EncodesEveryOperandForm)
{
    std::vector<Encoding> cases;
    for (int d = 0; d < 8; ++d) {
        for (int s = 0; s < 8; ++s) {
            if (d == 6 && s == 6) continue;  // MOV M,M is no instruction
            cases.push_back({Routine::MOV, std::string("MOV ") + kCodeOrder[d] + "," + kCodeOrder[s],
                             {Hex(0x40 | d << 3 | s)}});
        }
        cases.push_back({Routine::MVI, std::string("MVI ") + kCodeOrder[d] + ",5A", {Hex(0x06 | d << 3), "5A"}});
    }
    const std::vector<Encoding> fixed = {
        {Routine::MOV, "MOV A B", {"78"}},        // blank instead of comma
        {Routine::MOV, "MOV A,B   X", {"78"}},    // only three characters from column 7
        {Routine::MVI, "MVI A, 05", {"3E", "05"}},
        {Routine::MVI, "MVI M,G7", {"36", "G7"}},  // stored as written
        {Routine::LXI, "LXI H,2050", {"21", "50", "20"}},
        {Routine::LXI, "LXI SP,0BBB", {"31", "BB", "0B"}},
        {Routine::LXI, "LXI H, 2050", {"21", "50", "20"}},
        {Routine::LDA, "LDA 2050", {"3A", "50", "20"}},
        {Routine::STA, "STA 2050", {"32", "50", "20"}},
        {Routine::STA, "STA 20", {"32", "20", "A "}},  // the last four characters, whatever they are
        {Routine::LHLD, "LHLD 0A3F", {"2A", "3F", "0A"}},
        {Routine::SHLD, "SHLD 0A3F", {"22", "3F", "0A"}},
        {Routine::SHLD, "SHLD", {"22", "LD", "SH"}},
        {Routine::LDAX, "LDAX B", {"0A"}},
        {Routine::LDAX, "LDAX D", {"1A"}},
        {Routine::STAX, "STAX B", {"02"}},
        {Routine::STAX, "STAX D", {"12"}},
        {Routine::XCHG, "XCHG", {"EB"}},
        {Routine::XCHG, "XCHG ANYTHING", {"EB"}},
    };
    cases.insert(cases.end(), fixed.begin(), fixed.end());
    for (const auto& c : cases) {
        m.ErrorFlag = kFalse;
        EXPECT_EQ(Assemble(c.routine, c.line, 100), c.rows) << c.line;
        EXPECT_EQ(m.ErrorFlag, kFalse) << c.line;
    }
}

struct Rejected {
    Routine routine;
    const char* line;
    std::vector<std::string> rows;  // rows 10 to 12 afterwards
    int locationIndex;
};

TEST_F(DataTransferTest, RejectedOperandsLeaveOnlyTheOpcodesThatGoFirst)
{
    const Rejected cases[] = {
        {Routine::MOV, "MOV A,BX", {"00", "00", "00"}, 10},
        {Routine::MOV, "MOV M,M", {"00", "00", "00"}, 10},
        {Routine::MOV, "MOV X,A", {"00", "00", "00"}, 10},
        {Routine::MOV, "MOVE A,B", {"00", "00", "00"}, 10},  // column 5 is a blank
        {Routine::MVI, "MVI Q,05", {"00", "00", "00"}, 10},
        {Routine::MVI, "MVI A,5", {"3E", "00", "00"}, 11},
        {Routine::MVI, "MVI M,123", {"36", "00", "00"}, 11},
        {Routine::MVI, "MVI B", {"06", "00", "00"}, 11},
        {Routine::LXI, "LXI Q,1234", {"00", "00", "00"}, 10},
        {Routine::LXI, "LXI S,1234", {"00", "00", "00"}, 10},  // S not followed by P
        {Routine::LXI, "LXI B,123", {"01", "00", "00"}, 11},
        {Routine::LXI, "LXI H,12345", {"21", "00", "00"}, 11},
        {Routine::LDA, "LDA", {"00", "00", "00"}, 10},
        {Routine::LHLD, "LH", {"2A", "00", "00"}, 11},
        {Routine::SHLD, "", {"22", "00", "00"}, 11},
        {Routine::LDAX, "LDAX H", {"00", "00", "00"}, 10},
        {Routine::STAX, "STAX H", {"00", "00", "00"}, 10},
    };
    for (const auto& c : cases) {
        m.memory.SetupTheMemoryWindow("0");
        m.ErrorFlag = kFalse;
        m.SourceLine = c.line;
        m.LocationIndex = 10;
        isa.Call(c.routine, kAssemble);
        EXPECT_EQ(m.ErrorFlag, kTrue) << c.line;
        EXPECT_EQ(m.LocationIndex, c.locationIndex) << c.line;
        EXPECT_EQ(Rows(10, 13), c.rows) << c.line;
        EXPECT_TRUE(host.messages.empty()) << c.line;
    }
}

// ---------------------------------------------------------------- execution

struct Transfer {
    const char* name;
    Routine routine;
    std::vector<std::string> program;                        // from row 1
    std::vector<std::pair<std::string, std::string>> setup;  // fields and rows before
    std::vector<std::pair<std::string, std::string>> after;  // fields and rows after
    int locationIndex;
};

TEST_F(DataTransferTest, ExecutesEachTransfer)
{
    const Transfer cases[] = {
        {"MOV A,M", Routine::MOV, {"7E"}, {{"H", "00"}, {"L", "10"}, {"#17", "C3"}}, {{"A", "C3"}}, 1},
        {"MOV L,M overwrites its own pointer", Routine::MOV, {"6E"}, {{"H", "00"}, {"L", "10"}, {"#17", "C3"}},
         {{"L", "C3"}, {"H", "00"}}, 1},
        {"MOV M,B", Routine::MOV, {"70"}, {{"B", "9F"}, {"H", "00"}, {"L", "10"}}, {{"#17", "9F"}, {"B", "9F"}}, 1},
        {"MOV M,H stores the pointer's own byte", Routine::MOV, {"74"}, {{"H", "0A"}, {"L", "3F"}},
         {{"#2624", "0A"}}, 1},
        {"MVI A,05", Routine::MVI, {"3E", "05"}, {}, {{"A", "05"}}, 2},
        {"MVI M,G7 moves unchecked text", Routine::MVI, {"36", "G7"}, {{"H", "00"}, {"L", "10"}},
         {{"#17", "G7"}, {"A", "00"}}, 2},
        {"LXI B", Routine::LXI, {"01", "34", "12"}, {}, {{"B", "12"}, {"C", "34"}}, 3},
        {"LXI H", Routine::LXI, {"21", "50", "20"}, {}, {{"H", "20"}, {"L", "50"}}, 3},
        {"LXI SP", Routine::LXI, {"31", "BB", "0B"}, {{"SP", "0000"}}, {{"SP", "0BBB"}}, 3},
        {"LDA", Routine::LDA, {"3A", "20", "00"}, {{"#33", "5C"}}, {{"A", "5C"}}, 3},
        {"STA", Routine::STA, {"32", "20", "00"}, {{"A", "G7"}}, {{"#33", "G7"}}, 3},
        {"LHLD", Routine::LHLD, {"2A", "20", "00"}, {{"#33", "11"}, {"#34", "22"}}, {{"L", "11"}, {"H", "22"}}, 3},
        {"SHLD", Routine::SHLD, {"22", "20", "00"}, {{"H", "AB"}, {"L", "CD"}}, {{"#33", "CD"}, {"#34", "AB"}}, 3},
        {"SHLD at the window's last but one address", Routine::SHLD, {"22", "FE", "0F"}, {{"H", "AB"}, {"L", "CD"}},
         {{"#4095", "CD"}, {"#4096", "AB"}}, 3},
        {"LDAX B", Routine::LDAX, {"0A"}, {{"B", "00"}, {"C", "20"}, {"#33", "77"}}, {{"A", "77"}}, 1},
        {"LDAX D", Routine::LDAX, {"1A"}, {{"D", "00"}, {"E", "21"}, {"#34", "66"}}, {{"A", "66"}}, 1},
        {"STAX B", Routine::STAX, {"02"}, {{"A", "99"}, {"B", "00"}, {"C", "20"}}, {{"#33", "99"}}, 1},
        {"STAX D", Routine::STAX, {"12"}, {{"A", "88"}, {"D", "00"}, {"E", "21"}}, {{"#34", "88"}}, 1},
        {"XCHG", Routine::XCHG, {"EB"}, {{"D", "12"}, {"E", "34"}, {"H", "56"}, {"L", "78"}},
         {{"D", "56"}, {"E", "78"}, {"H", "12"}, {"L", "34"}}, 1},
    };
    for (const auto& c : cases) {
        m.memory.SetupTheMemoryWindow("0");
        SetRegisters("00");
        Poke(1, c.program);
        for (const auto& [what, text] : c.setup) {
            if (what == "SP") m.cpu.SP.setText(text);
            else if (what[0] == '#') m.memory.EnterintoMEMory(std::stoi(what.substr(1)), text);
            else m.cpu.registerField(what)->setText(text);
        }
        m.ErrorFlag = kFalse;
        m.cpu.Text2.setText("D5");
        Execute(c.routine);
        for (const auto& [what, text] : c.after) EXPECT_EQ(Read(what), text) << c.name << ": " << what;
        EXPECT_EQ(m.LocationIndex, c.locationIndex) << c.name;
        EXPECT_EQ(m.ErrorFlag, kFalse) << c.name;
        EXPECT_EQ(m.cpu.Text2.text(), "D5") << c.name << ": flags never change";
        EXPECT_TRUE(host.messages.empty()) << c.name;
    }
}

TEST_F(DataTransferTest, MovCopiesBetweenEveryPairOfRegisters)
{
    const std::string letters = "BCDEHLMA";
    const std::string registers = "ABCDEHL";
    const std::vector<std::string> before = {"A0", "B0", "C0", "D0", "E0", "F0", "10"};  // A B C D E H L
    for (int d = 0; d < 8; ++d) {
        for (int s = 0; s < 8; ++s) {
            if (d == 6 || s == 6) continue;
            const std::string opcode = Hex(0x40 | d << 3 | s);
            Poke(1, {opcode});
            SetRegisters(before[0], before[1], before[2], before[3], before[4], before[5], before[6]);
            m.ErrorFlag = kFalse;
            Execute(Routine::MOV);
            // The same register on both sides has no transfer to make: the run stops.
            EXPECT_EQ(m.ErrorFlag, d == s ? kTrue : kFalse) << opcode;
            EXPECT_EQ(m.LocationIndex, 1) << opcode;
            for (std::size_t r = 0; r < registers.size(); ++r) {
                const char letter = registers[r];
                const std::string& want = letter == letters[d] ? before[registers.find(letters[s])] : before[r];
                EXPECT_EQ(m.cpu.registerField(letter)->text(), want) << opcode << " register " << letter;
            }
        }
    }
}

// An address outside the window, from operand bytes, from a pair or past the
// window's last row, is reported once and leaves every field and row as it was.
struct OutOfRange {
    const char* name;
    Routine routine;
    int at;  // row of the opcode
    std::vector<std::string> program;
    int locationIndex;
};

TEST_F(DataTransferTest, AddressesOutsideTheWindowChangeNothing)
{
    const OutOfRange cases[] = {
        {"MOV A,M", Routine::MOV, 1, {"7E"}, 1},
        {"MOV M,A", Routine::MOV, 1, {"77"}, 1},
        {"MVI M", Routine::MVI, 1, {"36", "99"}, 2},
        {"MVI with its opcode on the last row", Routine::MVI, 4096, {"3E"}, 4096},
        {"LXI with its high byte past the window", Routine::LXI, 4095, {"21", "34"}, 4095},
        {"LDA from another block", Routine::LDA, 1, {"3A", "50", "20"}, 3},
        {"STA to another block", Routine::STA, 1, {"32", "50", "20"}, 3},
        {"STA with its operands past the window", Routine::STA, 4096, {"32"}, 4096},
        {"LHLD at XFFF", Routine::LHLD, 1, {"2A", "FF", "0F"}, 3},
        {"SHLD at XFFF", Routine::SHLD, 1, {"22", "FF", "0F"}, 3},
        {"LDAX B", Routine::LDAX, 1, {"0A"}, 1},
        {"STAX D", Routine::STAX, 1, {"12"}, 1},
    };
    for (const auto& c : cases) {
        m.memory.SetupTheMemoryWindow("0");
        Poke(c.at, c.program);
        m.memory.EnterintoMEMory(4096, c.at == 4096 ? c.program[0] : "5E");
        SetRegisters("11", "20", "05", "30", "06", "40", "07");
        m.cpu.SP.setText("0BBB");
        host.messages.clear();
        m.ErrorFlag = kFalse;
        Execute(c.routine, c.at);
        EXPECT_EQ(m.ErrorFlag, kTrue) << c.name;
        EXPECT_EQ(m.LocationIndex, c.locationIndex) << c.name;
        ASSERT_EQ(host.messages.size(), 1u) << c.name;
        EXPECT_EQ(host.messages[0].text, kOutOfRangeMessage) << c.name;
        EXPECT_EQ(m.cpu.RegisterA.text() + m.cpu.RegisterB.text() + m.cpu.RegisterC.text() + m.cpu.RegisterD.text() +
                      m.cpu.RegisterE.text() + m.cpu.RegisterH.text() + m.cpu.RegisterL.text() + m.cpu.SP.text(),
                  "11200530064007" "0BBB")
            << c.name;
        EXPECT_EQ(m.window.data(4096), c.at == 4096 ? c.program[0] : "5E") << c.name;
        EXPECT_EQ(m.memory.writesOutside(), 0) << c.name;
        for (int row = 4; row < 4095; ++row) ASSERT_EQ(m.window.data(row), "00") << c.name << " row " << row;
    }
}

// Every routine of the transfer and arithmetic groups ignores modes other
// than execute and assemble.
TEST_F(DataTransferTest, OtherModesDoNothing)
{
    Poke(1, {"3E", "05"});
    SetRegisters("01", "02", "03", "04", "05", "06", "07");
    m.SourceLine = "MVI A,05";
    m.conv.GetBinary8("3E");
    m.CurrentOpcode = m.ConvertedValue;
    for (int mode : {0, 3, -1}) {
        for (int r = static_cast<int>(Routine::MOV); r <= static_cast<int>(Routine::DAD); ++r) {
            m.LocationIndex = 1;
            isa.Call(static_cast<Routine>(r), mode);
            EXPECT_EQ(m.LocationIndex, 1) << RoutineName(static_cast<Routine>(r));
        }
    }
    EXPECT_EQ(m.cpu.RegisterA.text() + m.cpu.RegisterB.text() + m.cpu.RegisterH.text() + m.cpu.Text2.text(),
              "01020600");
    EXPECT_EQ(Rows(1, 4), (std::vector<std::string>{"3E", "05", "00"}));
    EXPECT_EQ(m.ErrorFlag, kFalse);
}

}  // namespace
}  // namespace korvanta::testing
