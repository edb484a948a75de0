// The sample sources in samples/, one per common dialect, imported and then
// run in Full 8085 mode; each result is the one written at the top of its
// sample, worked out by hand.

#include <filesystem>
#include <fstream>
#include <sstream>

#include "assembler/sim_fixture.h"
#include "import_fixture.h"

namespace korvanta::importer::testing {
namespace {

std::string ReadSample(const std::string& name)
{
    const auto path = std::filesystem::path(__FILE__).parent_path() / "samples" / name;
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

struct Sample {
    const char* file;
    int radix;
    bool bdos;
    const char* status;
    const char* registers;  // A BC DE HL, as the fields show them
    const char* sp;
    korvanta::testing::Bytes memory;
    const char* console;
};

class SampleRun : public korvanta::testing::SimFixture {
public:
    void Load(const ImportResult& r, bool bdos)
    {
        Fresh("", r.startAddress, r.windowDigit);
        for (const auto& line : r.lines) sim.source.AppendLine(line);
        m.options.Full8085.set(1);
        m.options.MaxInstructions.set(kDefaultInstructionBudget);
        m.full.bdos.set(bdos);
    }
};

TEST_F(SampleRun, EachSampleRunsAsOnTheChip)
{
    const Sample samples[] = {
        {"textbook_sum.asm",
         10,
         false,
         "Program Finished",
         "96 0000 0000 2055",
         "0BBB",
         {{"2060", "96"}},
         ""},
        {"cpm_hello.asm", 10, true, "Program Finished", nullptr, nullptr, {}, "Hello, 8085!\r\n"},
        {"trainer_multiply.asm",
         16,
         false,
         "Program Finished",
         "1E 0500 0000 0000",
         "0BBB",
         {{"2052", "1E"}},
         ""},
        {"forum_largest.asm",
         10,
         false,
         "Program Finished",
         "C8 0000 0000 3019",
         "0BBB",
         {{"301A", "C8"}},
         ""},
        {"stack_add16.asm",
         10,
         false,
         "Program Finished",
         "00 0000 0FAB 21DF",
         "20F0",
         {{"201E", "DF 21"}},
         ""},
        {"asm80_bcd_add.asm",
         10,
         false,
         "Program Finished",
         "69 0905 0903 0901",
         nullptr,
         {{"0904", "12 69"}},
         ""},
        {"cpm_asm_digits.asm",
         10,
         true,
         "Program Finished",
         "3A 3A09 012F 0000",
         "0142",
         {},
         "Count: 0123456789\r\n"},
        {"zmac_copy.asm",
         10,
         false,
         "Program Finished",
         "35 0000 101E 1234",
         nullptr,
         {{"101A", "38 30 38 35"}},
         ""},
        {"textbook_sort.asm",
         10,
         false,
         "Program Finished",
         "12 0000 1200 2051",
         nullptr,
         {{"2050", "12 25 3A 7F C4"}},
         ""},
    };
    for (const auto& s : samples) {
        SCOPED_TRACE(s.file);
        const std::string text = ReadSample(s.file);
        ASSERT_FALSE(text.empty());
        ImportOptions options;
        options.radix = s.radix;
        const ImportResult r = ImportStandardSource(text, options);
        ASSERT_TRUE(r.ok()) << Describe(r);
        for (const auto& line : r.lines) EXPECT_LE(line.size(), 48u) << line;

        Load(r, s.bdos);
        Run();
        EXPECT_EQ(m.ExecStatus.text(), s.status) << ::testing::PrintToString(host.messageTexts());
        if (s.registers != nullptr) {
            EXPECT_EQ(Registers(), s.registers);
        }
        if (s.sp != nullptr) {
            EXPECT_EQ(m.cpu.SP.text(), s.sp);
        }
        for (const auto& [address, bytes] : s.memory) EXPECT_EQ(Mem(address, bytes), bytes) << address;
        EXPECT_EQ(m.full.console.get(), s.console);
    }
}

}  // namespace
}  // namespace korvanta::importer::testing
