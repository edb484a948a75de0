// Full 8085 mode, the budget and the breakpoints belong to the project. A project that uses none of them
// is byte for byte what the classic layout makes; one that does carries records after "END", which a
// reader of the classic layout (written out here from the layout, apart from our own) never reaches.

#include <map>

#include "assembler/breakpoints.h"
#include "documents/documents_fixture.h"
#include "documents/project_extension.h"
#include "documents/project_file.h"

namespace korvanta::testing {
namespace {

// The open procedure of the classic layout, as a reader that knows nothing of extensions would do it.
struct ClassicReading {
    std::vector<int> checks;
    Lines fields;
    Lines program;
    Lines memory;
    bool complete = false;  // every record it looks for was there
};

ClassicReading ReadAsClassic(const std::string& bytes)
{
    ClassicReading r;
    auto record = [&](int n) -> std::string {
        const std::size_t at = static_cast<std::size_t>(n - 1) * 50;
        if (at + 2 > bytes.size()) throw std::out_of_range("record");
        const int length = static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1]) << 8;
        return bytes.substr(at + 2, static_cast<std::size_t>(length));
    };
    auto integer = [&](int n) {
        const std::size_t at = static_cast<std::size_t>(n - 1) * 50;
        return static_cast<int>(static_cast<std::int16_t>(static_cast<unsigned char>(bytes[at]) |
                                                          static_cast<unsigned char>(bytes[at + 1]) << 8));
    };
    if (record(1) != "Korvanta") return r;
    for (int n = 2; n <= 5; ++n) r.checks.push_back(integer(n));
    for (int n = 6; n <= 15; ++n) r.fields.push_back(record(n));
    int n = 17;
    for (std::string line; (line = record(n++)) != "###END###";) r.program.push_back(line);
    if (record(n) == "###MEM###") {
        for (int row = 1; row <= 4096; ++row) r.memory.push_back(record(n + row));
    }
    r.complete = true;
    return r;
}

class ProjectExtensionTest : public DocumentsTest {
public:
    void program(const Lines& lines)
    {
        source.Clear();
        for (const std::string& line : lines) source.AppendLine(line);
    }
    Breakpoints& breakpoints() { return breaks; }
    Breakpoints breaks{m, source};
    Documents docsWithBreaks{m, source, breaks};
};

TEST_F(ProjectExtensionTest, ClassicProjectsAreByteForByteTheClassicLayout)
{
    program({"MVI A,05", "HLT"});
    m.cpu.RegisterB.setText("07");
    // Written out from the layout: identification, four options, ten fields, the lines, the marks.
    const std::string expected = Texts({"Korvanta"}) + Record(0) + Record(0) + Record(1) + Record(1) +
                                 Texts({"00", "07", "00", "00", "00", "00", "00", "0BBB", "0000", "00", "###Start###",
                                        "MVI A,05", "HLT", "###END###", "END"});
    EXPECT_EQ(docsWithBreaks.ProjectFileBytes(false), expected);
    // Settings at their defaults leave it so; a window other than 0 alone does too (it is not the classic
    // layout's to keep).
    m.options.MaxInstructions.set(kDefaultInstructionBudget);
    m.window.windowDigit.set("2");
    EXPECT_EQ(docsWithBreaks.ProjectFileBytes(false), expected);
}

TEST_F(ProjectExtensionTest, SettingsTravelWithTheProjectAndClassicReadersSkipThem)
{
    program({"IN 20", "OUT 21", "LOOP: JMP LOOP"});
    m.options.Full8085.set(1);
    m.options.MaxInstructions.set(250000);
    m.full.bdos.set(true);
    m.full.setInputPort(0x20, 0x5A);
    breaks.setLine(2, true);
    breaks.setAddress(0x0123, true);
    const std::string file = path("FULL.QSM");
    ASSERT_TRUE(docsWithBreaks.SaveProjectTo(file, true));
    const std::string bytes = ReadFile(file);

    // The classic layout reads the same project, memory included, and stops at "END".
    const ClassicReading classic = ReadAsClassic(bytes);
    ASSERT_TRUE(classic.complete);
    EXPECT_EQ(classic.program, (Lines{"IN 20", "OUT 21", "LOOP: JMP LOOP"}));
    EXPECT_EQ(classic.checks, (std::vector<int>{0, 0, 1, 1}));
    EXPECT_EQ(classic.memory.size(), 4096u);
    const std::size_t records = bytes.size() / 50;
    EXPECT_EQ(bytes.size() % 50, 0u);
    // 16 fixed records, 3 lines, the end mark, the memory mark and 4096 rows, then "END" at 4118.
    ASSERT_GT(records, 4118u);
    EXPECT_EQ(bytes.substr(4117 * 50, 5), std::string("\x03\x00" "END", 5));
    EXPECT_EQ(bytes.substr(4118 * 50 + 2, 9), "###EXT###");

    // Everything comes back, into a project that had other settings.
    m.options.Full8085.set(0);
    m.options.MaxInstructions.set(kDefaultInstructionBudget);
    m.full.bdos.set(false);
    m.full.clearInputPorts();
    breaks.clear();
    m.window.windowDigit.set("0");
    ASSERT_TRUE(docsWithBreaks.OpenProjectFrom(file));
    EXPECT_EQ(m.options.Full8085.get(), 1);
    EXPECT_EQ(m.options.MaxInstructions.get(), 250000);
    EXPECT_TRUE(m.full.bdos.get());
    EXPECT_EQ(m.full.inputPorts()[0x20], 0x5A);
    EXPECT_EQ(breaks.lines(), (std::set<int>{2}));
    EXPECT_EQ(breaks.addresses(), (std::set<std::uint16_t>{0x0123}));

    // A classic project opened next puts every setting back to its default.
    program({"HLT"});
    m.options.Full8085.set(0);
    m.options.MaxInstructions.set(kDefaultInstructionBudget);
    m.full.bdos.set(false);
    m.full.clearInputPorts();
    breaks.clear();
    ASSERT_TRUE(docsWithBreaks.SaveProjectTo(path("PLAIN.QSM"), false));
    ASSERT_TRUE(docsWithBreaks.OpenProjectFrom(file));
    ASSERT_TRUE(docsWithBreaks.OpenProjectFrom(path("PLAIN.QSM")));
    EXPECT_EQ(m.options.Full8085.get(), 0);
    EXPECT_EQ(m.options.MaxInstructions.get(), kDefaultInstructionBudget);
    EXPECT_FALSE(m.full.bdos.get());
    EXPECT_EQ(m.full.inputPorts()[0x20], 0);
    EXPECT_TRUE(breaks.empty());
}

TEST_F(ProjectExtensionTest, TheWindowOfAFullProjectComesBackBeforeItsMemory)
{
    program({"!!ORG 2000", "MVI A,05", "HLT"});
    m.window.windowDigit.set("2");
    m.memory.SetupTheMemoryWindow("2");
    m.options.Full8085.set(1);
    m.memory.EnterintoMEMory(1, "3E");
    m.Text1.setText("2000");
    const std::string file = path("TWO.QSM");
    ASSERT_TRUE(docsWithBreaks.SaveProjectTo(file, true));

    m.window.windowDigit.set("0");
    m.memory.SetupTheMemoryWindow("0");
    m.Text1.setText("0000");
    ASSERT_TRUE(docsWithBreaks.OpenProjectFrom(file));
    // The classic records hold no start address; without it the program would
    // start at 0000, outside window 2.
    EXPECT_EQ(m.Text1.text(), "2000");
    EXPECT_EQ(m.window.windowDigit.get(), "2");
    EXPECT_EQ(m.window.address(1), "2000");
    EXPECT_EQ(m.window.data(1), "3E");
}

TEST_F(ProjectExtensionTest, StaleOrDamagedExtensionsAreIgnored)
{
    program({"NOP", "HLT"});
    m.options.Full8085.set(1);
    const std::string good = docsWithBreaks.ProjectFileBytes(false);
    const std::size_t end = good.find(std::string("\x03\x00" "END", 5));
    ASSERT_NE(end, std::string::npos);
    struct Case {
        const char* name;
        std::string bytes;
        int full;
    };
    std::string stale = good;
    stale.replace(17 * 50 - 50 + 2, 3, "HLT");  // a program that knows no extension rewrote line 1 in place
    std::string cut = good.substr(0, good.size() - 50);  // the end mark of the extension is missing
    std::string noise = good;
    noise.replace(end + 50 + 2, 9, "###XYZ###");
    const Case cases[] = {
        {"current", good, 1}, {"stale", stale, 0}, {"cut short", cut, 0}, {"not ours", noise, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m.options.Full8085.set(c.full == 1 ? 0 : 1);
        write("X.QSM", c.bytes);
        EXPECT_TRUE(docsWithBreaks.OpenProjectFrom(path("X.QSM")));
        EXPECT_EQ(m.options.Full8085.get(), c.full);
        EXPECT_EQ(source.lines().size(), 2u);
    }
}

TEST_F(ProjectExtensionTest, ExtensionRecordsReadBackAsWritten)
{
    ProjectExtension e;
    e.full = true;
    e.budget = 99;
    e.window = "C";
    e.start = "C100";
    e.bdos = true;
    e.breakLines = {0, 17};
    e.breakAddresses = {0xC000, 0xCFFF};
    e.inputPorts = {{0x00, 0x01}, {0xFF, 0x80}};
    EXPECT_TRUE(e.needed());
    EXPECT_FALSE(ProjectExtension{}.needed());
    const std::vector<std::string> records = ExtensionRecords(e, 0x12345678);
    EXPECT_EQ(records, (Lines{"###EXT###", "SUM 12345678", "FULL 1", "BUDGET 99", "WINDOW C", "START C100", "BDOS 1",
                              "BREAKLINE 0", "BREAKLINE 17", "BREAKADDR C000", "BREAKADDR CFFF", "PORT 00 01",
                              "PORT FF 80", "###EXTEND###"}));
    // Unknown keys, as a later version may write them, are passed over.
    Lines withUnknown = records;
    withUnknown.insert(withUnknown.begin() + 3, "COLOUR BLUE");
    write("E.QSM", Texts(withUnknown));
    RecordReader reader(path("E.QSM"));
    EXPECT_EQ(ReadExtension(reader, 1, 0x12345678), e);
    EXPECT_EQ(ReadExtension(reader, 1, 0x12345679), std::nullopt);

    // A start address that is not four upper-case hex digits is passed over, not typed into the field.
    for (const char* bad : {"START 2a00", "START 20G0", "START 200", "START 20000"}) {
        Lines damaged = records;
        damaged[5] = bad;
        write("S.QSM", Texts(damaged));
        RecordReader damagedReader(path("S.QSM"));
        const auto read = ReadExtension(damagedReader, 1, 0x12345678);
        ASSERT_TRUE(read.has_value()) << bad;
        EXPECT_EQ(read->start, "") << bad;
        EXPECT_EQ(read->window, "C") << bad;
    }
}

}  // namespace
}  // namespace korvanta::testing
