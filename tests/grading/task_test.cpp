// Task files: every way a task is refused, with the place and the reason a
// teacher reads; what a valid task means once read; the schema checker on
// its own; and the schema that is built in being the one in the repository.

#include <fstream>
#include <sstream>

#include "grading/schema.h"
#include "grading_fixture.h"

namespace korvanta::grading::testing {
namespace {

struct Refusal {
    const char* name;
    std::string task;
    std::string error;
};

class TaskRefusal : public ::testing::TestWithParam<Refusal> {};

TEST_P(TaskRefusal, NamesThePlaceAndTheReason)
{
    const Refusal& r = GetParam();
    const TaskParse parsed = ParseTask(r.task);
    EXPECT_FALSE(parsed.task.has_value());
    EXPECT_EQ(parsed.error, r.error) << r.task;
}

std::string Nested(int depth)
{
    return std::string(static_cast<std::size_t>(depth), '[') +
           std::string(static_cast<std::size_t>(depth), ']');
}

std::string ManyCases(int count)
{
    std::string cases;
    for (int i = 0; i < count; ++i)
        cases += (i ? ", {" : "{") + std::string("\"name\": \"") + std::to_string(i) + "\"}";
    return "{\"cases\": [" + cases + "]}";
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, TaskRefusal,
    ::testing::Values(
        // The file itself.
        Refusal{"NotAnObject", "[]", "a task is a JSON object"},
        Refusal{"NoCases", "{}", "cases: is missing (a task needs at least one case)"},
        Refusal{"EmptyCases", R"({"cases": []})", "cases: a task needs at least one case"},
        Refusal{"TooManyCases", ManyCases(1001), "cases: a task has at most 1000 cases"},
        Refusal{"UnknownTopKey", R"({"titel": "x", "cases": [{}]})",
                "titel: unknown key (use title, mode, maxInstructions, import, bdos, cases or rules)"},
        // A key may hold a line break; the reason stays on one line.
        Refusal{"KeyWithALineBreak", R"({"cases": [{}], "a\nb": 1})",
                "a?b: unknown key (use title, mode, maxInstructions, import, bdos, cases or rules)"},
        Refusal{"RepeatedKey", R"({"cases": [{}, {"expect": {"registers": {"A": "00", "A": "01"}}}]})",
                "cases[1].expect.registers.A: the key appears twice"},
        // Top-level values.
        Refusal{"TitleNotString", R"({"title": 5, "cases": [{}]})",
                "title: must be a string, not an integer"},
        Refusal{"UnknownMode", R"({"mode": "fast", "cases": [{}]})",
                "mode: 'fast' is not one of: classic, full"},
        Refusal{"BudgetZero", R"({"maxInstructions": 0, "cases": [{}]})",
                "maxInstructions: must be at least 1"},
        Refusal{"BudgetTooLarge", R"({"maxInstructions": 100000001, "cases": [{}]})",
                "maxInstructions: must be at most 100000000"},
        Refusal{"BudgetNotWhole", R"({"maxInstructions": 2.5, "cases": [{}]})",
                "maxInstructions: must be an integer, not a number"},
        Refusal{"ImportNotBoolean", R"({"import": "yes", "cases": [{}]})",
                "import: must be a boolean, not a string"},
        Refusal{"ImportInClassicMode", R"({"import": true, "mode": "classic", "cases": [{}]})",
                "mode: imported standard assembly (\"import\": true) runs in full mode only"},
        Refusal{"BdosInClassicMode", R"({"bdos": true, "cases": [{}]})",
                "bdos: the console calls need \"mode\": \"full\""},
        // Cases.
        Refusal{"CaseNotObject", R"({"cases": [{}, 3]})", "cases[1]: must be an object, not an integer"},
        Refusal{"UnknownCaseKey", R"({"cases": [{"expected": {}}]})",
                "cases[0].expected: unknown key (use name, points, setup or expect)"},
        Refusal{"EmptyName", R"({"cases": [{"name": ""}]})", "cases[0].name: must not be empty"},
        Refusal{"RepeatedName", R"({"cases": [{"name": "7 x 6"}, {"name": "7 x 6"}]})",
                "cases[1].name: '7 x 6' is the name of cases[0] too"},
        Refusal{"NameLikeADefault", R"({"cases": [{"name": "case 2"}, {}]})",
                "cases[1].name: 'case 2' is the name of cases[0] too"},
        Refusal{"NegativePoints", R"({"cases": [{"points": -1}]})", "cases[0].points: must be at least 0"},
        // Set-ups.
        Refusal{"UnknownSetupKey", R"({"cases": [{"setup": {"regs": {}}}]})",
                "cases[0].setup.regs: unknown key (use registers, flags, SP, memory, start, window or in)"},
        Refusal{"UnknownSetupRegister", R"({"cases": [{"setup": {"registers": {"M": "00"}}}]})",
                "cases[0].setup.registers.M: unknown register"},
        Refusal{"OneDigitByte", R"({"cases": [{"setup": {"registers": {"B": "7"}}}]})",
                "cases[0].setup.registers.B: '7' is not a byte (two hex digits)"},
        Refusal{"NotHex", R"({"cases": [{"setup": {"flags": "GG"}}]})",
                "cases[0].setup.flags: 'GG' is not a byte (two hex digits)"},
        Refusal{"ByteAsNumber", R"({"cases": [{"setup": {"registers": {"A": 5}}}]})",
                "cases[0].setup.registers.A: must be a string, not an integer"},
        Refusal{"ShortAddress", R"({"cases": [{"setup": {"SP": "BBB"}}]})",
                "cases[0].setup.SP: 'BBB' is not an address (four hex digits)"},
        Refusal{"MemoryKeyNotAddress", R"({"cases": [{"setup": {"memory": {"12345": "00"}}}]})",
                "cases[0].setup.memory.12345: not an address (four hex digits)"},
        Refusal{"MemoryRowBadlySpaced", R"({"cases": [{"setup": {"memory": {"0100": "05 6"}}}]})",
                "cases[0].setup.memory.0100: '05 6' is not a row of bytes (two hex digits each, one blank "
                "between)"},
        Refusal{"MemoryOutsideWindow", R"({"cases": [{"setup": {"memory": {"1000": "00"}}}]})",
                "cases[0].setup.memory.1000: not in the memory window 0000-0FFF"},
        Refusal{"MemoryPastWindowEnd", R"({"cases": [{"setup": {"memory": {"0FFF": "01 02"}}}]})",
                "cases[0].setup.memory.0FFF: the bytes run past the end of the memory window 0000-0FFF"},
        Refusal{"ExpectedMemoryOutsideChosenWindow",
                R"({"cases": [{"setup": {"window": "2"}, "expect": {"memory": {"0100": "00"}}}]})",
                "cases[0].expect.memory.0100: not in the memory window 2000-2FFF"},
        Refusal{"StartOutsideWindow", R"({"cases": [{"setup": {"start": "1000"}}]})",
                "cases[0].setup.start: not in the memory window 0000-0FFF"},
        Refusal{"WindowTwoDigits", R"({"cases": [{"setup": {"window": "10"}}]})",
                "cases[0].setup.window: '10' is not a memory window (one hex digit)"},
        Refusal{"InputsInClassicMode", R"({"cases": [{"setup": {"in": {"20": "5A"}}}]})",
                "cases[0].setup.in: input ports need \"mode\": \"full\""},
        Refusal{"InputPortNotHex", R"({"mode": "full", "cases": [{"setup": {"in": {"2G": "5A"}}}]})",
                "cases[0].setup.in.2G: not a port (two hex digits)"},
        // Expectations.
        Refusal{"UnknownExpectKey", R"({"cases": [{"expect": {"A": "2A"}}]})",
                "cases[0].expect.A: unknown key (use status, registers, flags, SP, PC, memory, outputs or "
                "console)"},
        Refusal{"UnknownRegister", R"({"cases": [{}, {"expect": {"registers": {"Q": "00"}}}]})",
                "cases[1].expect.registers.Q: unknown register"},
        Refusal{
            "UnknownStatus", R"({"cases": [{"expect": {"status": "Finished"}}]})",
            "cases[0].expect.status: 'Finished' is not one of: Program Finished, Memory Error, CPU Error, "
            "Instruction Limit Reached, Compiler Error, CPU Halted by User, Engine Idle"},
        Refusal{"FlagsNeitherValueNorBits", R"({"cases": [{"expect": {"flags": true}}]})",
                "cases[0].expect.flags: must be the flag value (two hex digits) or an object of flag bits"},
        Refusal{"FlagValueNotByte", R"({"cases": [{"expect": {"flags": "100"}}]})",
                "cases[0].expect.flags: '100' is not a flag value (two hex digits)"},
        Refusal{"UnknownFlag", R"({"cases": [{"expect": {"flags": {"C": 1}}}]})",
                "cases[0].expect.flags.C: unknown flag (use S, Z, AC, P or CY)"},
        Refusal{"FlagBitTwo", R"({"cases": [{"expect": {"flags": {"Z": 2}}}]})",
                "cases[0].expect.flags.Z: a flag bit is 0 or 1"},
        Refusal{"FlagBitBoolean", R"({"cases": [{"expect": {"flags": {"CY": true}}}]})",
                "cases[0].expect.flags.CY: must be an integer, not a boolean"},
        Refusal{"OutputsInClassicMode", R"({"cases": [{"expect": {"outputs": []}}]})",
                "cases[0].expect.outputs: output ports need \"mode\": \"full\""},
        Refusal{"OutputWithoutValue",
                R"({"mode": "full", "cases": [{"expect": {"outputs": [{"port": "21"}]}}]})",
                "cases[0].expect.outputs[0].value: is missing"},
        Refusal{
            "OutputExtraKey",
            R"({"mode": "full", "cases": [{"expect": {"outputs": [{"port": "21", "value": "00", "at": 1}]}}]})",
            "cases[0].expect.outputs[0].at: unknown key (use port and value)"},
        Refusal{"ConsoleWithoutBdos", R"({"mode": "full", "cases": [{"expect": {"console": "OK"}}]})",
                "cases[0].expect.console: the console needs \"bdos\": true (and \"mode\": \"full\")"},
        // Rules.
        Refusal{"UnknownRule", R"({"cases": [{}], "rules": {"maxbytes": 10}})",
                "rules.maxbytes: unknown rule (use maxBytes, forbid or require)"},
        Refusal{"MaxBytesZero", R"({"cases": [{}], "rules": {"maxBytes": 0}})",
                "rules.maxBytes: must be at least 1"},
        Refusal{"ForbidNotList", R"({"cases": [{}], "rules": {"forbid": "STA"}})",
                "rules.forbid: must be an array, not a string"},
        Refusal{"MnemonicWithBlank", R"({"cases": [{}], "rules": {"forbid": ["J NZ"]}})",
                "rules.forbid[0]: 'J NZ' is not a mnemonic"},
        Refusal{"RequiredMnemonicUnknown", R"({"cases": [{}], "rules": {"require": ["JNZ", "MUL"]}})",
                "rules.require[1]: 'MUL' is not an 8085 mnemonic, so no program can keep this rule"},
        Refusal{"ForbiddenAndRequired",
                R"({"cases": [{}], "rules": {"forbid": ["jnz"], "require": ["JNZ"]}})",
                "rules: 'JNZ' is both forbidden and required"}),
    [](const auto& info) { return std::string(info.param.name); });

// The nesting limit keeps the parser's callers safe; the place it names is
// where the limit was hit.
TEST(TaskFile, NestingDeeperThanTheLimitIsRefused)
{
    const TaskParse parsed = ParseTask("{\"title\": " + Nested(40) + "}");
    EXPECT_FALSE(parsed.task.has_value());
    // The object and 31 arrays are open when the 32nd array would begin.
    std::string place = "title";
    for (int i = 0; i < kMaxTaskDepth - 1; ++i) place += "[0]";
    EXPECT_EQ(parsed.error, place + ": nested deeper than 32 levels");
    EXPECT_TRUE(ParseTask("{\"cases\": [{}], \"title\": \"x\"}").task.has_value());
}

TEST(TaskFile, BrokenJsonIsRefusedWithItsLine)
{
    const TaskParse parsed = ParseTask("{\n  \"cases\": [\n    {,\n");
    EXPECT_FALSE(parsed.task.has_value());
    EXPECT_EQ(parsed.error.rfind("not valid JSON: parse error at line 3, ", 0), 0u) << parsed.error;

    const TaskParse overflow = ParseTask(R"({"maxInstructions": 1e400, "cases": [{}]})");
    EXPECT_FALSE(overflow.task.has_value());
    EXPECT_EQ(overflow.error, "not valid JSON: number overflow parsing '1e400'");
}

TEST(TaskFile, DefaultsAndNormalForms)
{
    const Task t = TaskFrom(R"({"cases": [
        {"setup": {"registers": {"C": "0a", "B": "07"}, "SP": "0a00", "memory": {"01f0": "05 0b ff"}}},
        {"name": "bits", "points": 3,
         "expect": {"flags": {"CY": 0, "Z": 1}, "registers": {"L": "ff", "A": "2a"}, "memory": {"0120": "2a"}}},
        {"points": 0, "expect": {"flags": "c5", "status": "Memory Error", "PC": "000f"}}],
        "rules": {"forbid": ["sub1", "Call"], "require": ["in1"]}})");
    EXPECT_EQ(t.title, "untitled");
    EXPECT_FALSE(t.full);
    EXPECT_FALSE(t.importSources);
    EXPECT_EQ(t.maxInstructions, 4096);
    EXPECT_EQ(t.maxPoints(), 1 + 3 + 0);
    ASSERT_EQ(t.cases.size(), 3u);
    EXPECT_EQ(t.cases[0].name, "case 1");
    EXPECT_EQ(t.cases[2].name, "case 3");

    const CaseSetup& s = t.cases[0].setup;
    // Registers in the machine's order, whatever the file's.
    EXPECT_EQ(s.registers, (std::vector<std::pair<char, std::string>>{{'B', "07"}, {'C', "0A"}}));
    EXPECT_EQ(s.sp, "0A00");
    ASSERT_EQ(s.memory.size(), 1u);
    EXPECT_EQ(s.memory[0].address, "01F0");
    EXPECT_EQ(s.memory[0].bytes, (std::vector<std::string>{"05", "0B", "FF"}));

    const CaseExpect& e = t.cases[1].expect;
    EXPECT_EQ(e.registers, (std::vector<std::pair<char, std::string>>{{'A', "2A"}, {'L', "FF"}}));
    ASSERT_EQ(e.flagBits.size(), 2u);
    EXPECT_EQ(e.flagBits[0].name, "Z");
    EXPECT_EQ(e.flagBits[0].bit, 6);
    EXPECT_EQ(e.flagBits[0].value, 1);
    EXPECT_EQ(e.flagBits[1].name, "CY");
    EXPECT_EQ(e.flagBits[1].bit, 0);
    EXPECT_EQ(e.flagBits[1].value, 0);
    EXPECT_FALSE(e.flagValue.has_value());
    EXPECT_EQ(t.cases[2].expect.flagValue, "C5");
    EXPECT_EQ(t.cases[2].expect.pc, "000F");

    EXPECT_EQ(t.rules.forbid, (std::vector<std::string>{"SUB", "CALL"}));
    EXPECT_EQ(t.rules.require, (std::vector<std::string>{"IN"}));
}

TEST(TaskFile, ImportImpliesFullModeAndItsWindowIsTheProgramsOwn)
{
    // Without a window of its own, an imported program's addresses are
    // checked when it is read, not when the task is.
    const Task t = TaskFrom(R"({"import": true, "bdos": true, "cases": [
        {"setup": {"memory": {"2050": "01"}, "in": {"20": "5a"}},
         "expect": {"outputs": [{"port": "21", "value": "2a"}], "console": "OK\r\n"}}]})");
    EXPECT_TRUE(t.importSources);
    EXPECT_TRUE(t.full);
    EXPECT_TRUE(t.bdos);
    EXPECT_EQ(t.cases[0].setup.inputs, (std::vector<PortByte>{{0x20, 0x5A}}));
    EXPECT_EQ(t.cases[0].expect.outputs, (std::vector<PortByte>{{0x21, 0x2A}}));
    EXPECT_EQ(t.cases[0].expect.console, "OK\r\n");
}

TEST(TaskFile, AForbiddenNameNoChipHasIsOnlyWarnedAbout)
{
    const TaskParse parsed = ParseTask(R"({"cases": [{}], "rules": {"forbid": ["MUL"]}})");
    ASSERT_TRUE(parsed.task.has_value()) << parsed.error;
    EXPECT_EQ(parsed.warnings,
              (std::vector<std::string>{
                  "rules.forbid[0]: 'MUL' is not an 8085 mnemonic, so no program can break this rule"}));
}

TEST(TaskFile, MnemonicsAreThoseTheAssemblerRecognises)
{
    EXPECT_EQ(MnemonicOf(Routine::SUB1), "SUB");
    EXPECT_EQ(MnemonicOf(Routine::CALL1), "CALL");
    EXPECT_EQ(MnemonicOf(Routine::IN1), "IN");
    EXPECT_EQ(MnemonicOf(Routine::LXI), "LXI");
    for (int r = 0; r < kRoutineCount; ++r) {
        const std::string name = MnemonicOf(static_cast<Routine>(r));
        EXPECT_EQ(KnownMnemonic(name), name);
        EXPECT_EQ(name.find('1'), std::string::npos) << name;
    }
    EXPECT_EQ(KnownMnemonic("in1"), "IN");
    EXPECT_EQ(KnownMnemonic("MUL"), std::nullopt);
    EXPECT_EQ(KnownMnemonic("MOV1"), std::nullopt);
}

TEST(TaskFile, TheBuiltInSchemaIsTheFileInTheRepository)
{
    const auto path = fs::path(__FILE__).parent_path() / ".." / ".." / "src" / "grading" / "task.schema.json";
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    ASSERT_FALSE(text.str().empty()) << path;
    EXPECT_EQ(std::string(TaskSchemaText()), text.str());
}

TEST(TaskFile, ReadingRefusesMissingFilesFoldersAndHugeFiles)
{
    const fs::path dir = fs::temp_directory_path() / ("korvanta-task-read-" + std::to_string(getpid()));
    fs::create_directories(dir);
    std::string text, error;
    EXPECT_FALSE(ReadTaskFile((dir / "none.json").string(), text, error));
    EXPECT_EQ(error, "cannot read the task '" + (dir / "none.json").string() + "': no such file");
    EXPECT_FALSE(ReadTaskFile(dir.string(), text, error));
    EXPECT_EQ(error, "cannot read the task '" + dir.string() + "': it is a directory");
    const fs::path huge = dir / "huge.json";
    std::ofstream(huge) << " ";
    fs::resize_file(huge, kMaxTaskFileBytes + 1);
    EXPECT_FALSE(ReadTaskFile(huge.string(), text, error));
    EXPECT_EQ(error, "the task '" + huge.string() + "' is larger than 4194304 bytes");
    fs::remove_all(dir);
}

// The checker's keywords on a schema of their own, one row per failure.
TEST(SchemaChecker, EachKeywordFailsWithItsMessage)
{
    const Schema schema(Json::parse(R"({
        "type": "object",
        "properties": {
            "r": {},
            "n": {"type": ["integer", "null"], "minimum": 2, "maximum": 4},
            "s": {"type": "string", "minLength": 2, "maxLength": 3, "pattern": "^a"},
            "e": {"enum": ["x", 1]},
            "l": {"type": "array", "minItems": 1, "maxItems": 2, "items": {"$ref": "#/definitions/odd"}},
            "m": {"type": "object", "maxProperties": 1, "propertyNames": {"pattern": "^k"},
                  "additionalProperties": {"type": "boolean"}},
            "c": {"type": "string", "pattern": "^b", "errorMessage": {"pattern": "'{value}' is no b-word"}}
        },
        "required": ["r"],
        "additionalProperties": false,
        "definitions": {"odd": {"enum": [1, 3]}}
    })"));
    const std::pair<const char*, const char*> rows[] = {
        {R"({"r": 1})", ""},
        {R"({"r": 1, "n": null})", ""},
        {R"({"r": 1, "n": "3"})", "n: must be an integer or a null, not a string"},
        {R"({"r": 1, "n": 1})", "n: must be at least 2"},
        {R"({"r": 1, "n": 5})", "n: must be at most 4"},
        {R"({"r": 1, "s": "a"})", "s: must have at least 2 characters"},
        {R"({"r": 1, "s": "aaaa"})", "s: must have at most 3 characters"},
        {R"({"r": 1, "s": "ba"})", "s: 'ba' does not match ^a"},
        {R"({"r": 1, "e": "y"})", "e: 'y' is not one of: x, 1"},
        {R"({"r": 1, "e": 1})", ""},
        {R"({"r": 1, "l": []})", "l: must have at least 1 items"},
        {R"({"r": 1, "l": [1, 3, 1]})", "l: must have at most 2 items"},
        {R"({"r": 1, "l": [1, 2]})", "l[1]: '2' is not one of: 1, 3"},
        {R"({"r": 1, "m": {"k1": true, "k2": false}})", "m: must have at most 1 keys"},
        {R"({"r": 1, "m": {"x": true}})", "m.x: 'x' does not match ^k"},
        {R"({"r": 1, "m": {"k": 0}})", "m.k: must be a boolean, not an integer"},
        {R"({"r": 1, "c": "cat"})", "c: 'cat' is no b-word"},
        {R"({"r": 1, "z": 0})", "z: unknown key"},
        {R"({"n": 3})", "r: is missing"},
        {R"(7)", "must be an object, not an integer"},
    };
    for (const auto& [document, error] : rows) {
        SCOPED_TRACE(document);
        const auto found = schema.check(Json::parse(document));
        EXPECT_EQ(found ? found->text() : "", error);
    }
}

TEST(SchemaChecker, RefusesSchemasItCannotRead)
{
    EXPECT_THROW(Schema(Json::parse(R"({"oneOf": []})")), std::invalid_argument);
    EXPECT_THROW(Schema(Json::parse(R"({"items": {"$ref": "#/definitions/none"}})")), std::invalid_argument);
    EXPECT_THROW(Schema(Json::parse(R"({"$ref": "other.json#/x"})")), std::invalid_argument);
    EXPECT_THROW(Schema(Json::parse(R"({"pattern": "(("})")), std::regex_error);
}

}  // namespace
}  // namespace korvanta::grading::testing
