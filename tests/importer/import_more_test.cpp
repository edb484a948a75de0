// The pieces under the import: tag naming at scale, what an expression
// tells its caller, the notes and warnings of an import that succeeds, and
// the samples through export and back.

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "import_fixture.h"
#include "importer/expression.h"
#include "importer/tag_names.h"

namespace korvanta::importer::testing {
namespace {

TEST(TagNames, ManyLabelsOfOneNameStayUniqueAndReadable)
{
    TagNamer namer;
    std::set<std::string> seen;
    // LOOP, then LOO1..LOO9, LOOG..LOOZ (LOOP itself among them is taken,
    // so the 20th label gets LOOQ and the 29th is the last with LOO),
    // LO10..LO99, then Q and base 36.
    const std::map<int, std::string> expected = {{0, "LOOP"},   {1, "LOO1"},   {9, "LOO9"},  {10, "LOOG"},
                                                 {18, "LOOO"},  {19, "LOOQ"},  {28, "LOOZ"}, {29, "LO10"},
                                                 {118, "LO99"}, {119, "Q000"}, {120, "Q001"}};
    for (int i = 0; i < 300; ++i) {
        const std::string tag = namer.Assign("LOOP_" + std::to_string(i));
        ASSERT_TRUE(IsGoodTag(tag)) << tag;
        EXPECT_TRUE(seen.insert(tag).second) << tag;
        if (const auto it = expected.find(i); it != expected.end()) {
            EXPECT_EQ(tag, it->second) << i;
        }
    }
}

TEST(TagNames, GoodTagsAreFourCharactersNotAllHex)
{
    const struct {
        const char* tag;
        bool good;
    } cases[] = {{"LOOP", true},  {"L000", true},  {"ZZZZ", true}, {"ABCD", false},
                 {"12AB", false}, {"1ABG", false}, {"LOO", false}, {"LOOPS", false},
                 {"lo0p", false}, {"LO P", false}, {"FAC0", false}};
    for (const auto& c : cases) EXPECT_EQ(IsGoodTag(c.tag), c.good) << c.tag;
}

class Table : public NameTable {
public:
    NameValue Look(const std::string& name) override
    {
        if (name == "KNOWN") return {NameState::Known, 0x1234};
        if (name == "LATER") return {NameState::NotYet, 0};
        return {};
    }
};

TEST(Expressions, WhatTheCallerLearns)
{
    Table table;
    const ExpressionContext decimal{10, 0x2000, &table};
    const ExpressionContext hex{16, 0x2000, &table};

    Evaluation e = Evaluate("known", decimal);
    EXPECT_TRUE(e.ok());
    EXPECT_EQ(e.value, 0x1234);
    EXPECT_EQ(e.singleName, "KNOWN");  // a lone name: a jump may emit a tag

    e = Evaluate("KNOWN+1", decimal);
    EXPECT_EQ(e.value, 0x1235);
    EXPECT_EQ(e.singleName, "");

    e = Evaluate("LATER*2+KNOWN", decimal);  // a forward reference is not an error
    EXPECT_FALSE(e.known);
    EXPECT_TRUE(e.error.empty());
    EXPECT_EQ(e.unknownName, "LATER");
    EXPECT_FALSE(e.undefined);

    e = Evaluate("NOWHERE", decimal);
    EXPECT_TRUE(e.undefined);

    e = Evaluate("BEEF", hex);  // defined nowhere and all hex: a bare hex number
    EXPECT_TRUE(e.ok());
    EXPECT_EQ(e.value, 0xBEEF);
    EXPECT_EQ(e.hexFallback, "BEEF");

    e = Evaluate("LATER/0", decimal);  // no division error while the divisor's partner is unknown
    EXPECT_TRUE(e.error.empty());
    EXPECT_FALSE(e.known);
}

TEST(Expressions, OperandsSplitOutsideQuotesAndParentheses)
{
    const std::vector<std::string_view> expected = {"','", "(1,2)", "'a''b'", "\";\"", ""};
    EXPECT_EQ(SplitOperands(" ',' , (1,2),'a''b', \";\" ,"), expected);
    EXPECT_TRUE(SplitOperands("   ").empty());
}

TEST(ImportNotes, WhatASuccessfulImportTellsTheLearner)
{
    const auto r = Import({"  ORG 2000H", "START: NOP", "  TITLE 'x'", "  END 2001H"});
    ASSERT_TRUE(r.ok()) << Describe(r);
    EXPECT_TRUE(HasFinding(r, 2, Level::Note, "label 'START' becomes tag STAR"));
    EXPECT_TRUE(HasFinding(r, 3, Level::Note, "TITLE is skipped"));
    EXPECT_TRUE(HasFinding(r, 4, Level::Warning, "END names 2001"));

    // What follows END is counted, in words that fit the count.
    EXPECT_TRUE(HasFinding(Import({"  NOP", "  END", "stray"}), 2, Level::Note, "the line after END is ignored"));
    EXPECT_TRUE(HasFinding(Import({"  NOP", "  END", "a", "", "b"}), 2, Level::Note,
                           "the 2 lines after END are ignored"));

    const auto hex = Import({"  MVI A,FF"}, 16);
    EXPECT_TRUE(HasFinding(hex, 1, Level::Note, "'FF' is read as the hex number FFH"));

    // The program's own lines given as a standard source: a hint with the errors.
    const auto own = ImportStandardSource("MVI A,3E\nLOOP: DCR A\nJNZ LOOP\nHLT\n");
    EXPECT_FALSE(own.ok());
    EXPECT_TRUE(HasFinding(own, 0, Level::Warning, "own lines"));
}

TEST(RoundTrip, SamplesExportAndImportToTheSameBytes)
{
    const auto folder = std::filesystem::path(__FILE__).parent_path() / "samples";
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        std::ifstream in(entry.path(), std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        ImportOptions options;
        options.radix = entry.path().filename().string().rfind("trainer", 0) == 0 ? 16 : 10;
        const auto first = ImportStandardSource(text.str(), options);
        ASSERT_TRUE(first.ok()) << entry.path() << "\n" << Describe(first);
        const auto exported = ExportStandardSource(first.lines, first.startAddress, true);
        const auto second = ImportStandardSource(exported.text);
        ASSERT_TRUE(second.ok()) << exported.text << Describe(second);
        EXPECT_EQ(second.startAddress, first.startAddress);
        EXPECT_EQ(FullImage(second.lines, second.startAddress), FullImage(first.lines, first.startAddress));
        ++count;
    }
    EXPECT_EQ(count, 9);
}

}  // namespace
}  // namespace korvanta::importer::testing
