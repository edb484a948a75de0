// Importing a long standard source: 10,000 lines must take at most 50 ms.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>

#include "importer/importer.h"

namespace {

// 10,000 lines as long listings have them: a comment block before each
// routine, symbols, labels with and without colons, trailing comments,
// expressions and forward references. 30 lines hold 10 bytes, so that the
// whole fits one 4 KB block; `fits` false puts 20 more in each.
std::string LongSource(bool fits)
{
    std::string text = "        ORG     1000H\n";
    int lines = 1;
    for (int r = 0; lines < 10000; ++r) {
        const std::string n = std::to_string(r);
        text += "; ------------------------------------------------\n";
        text += "; routine " + n + ": adds up a table of bytes\n";
        text += ";\n";
        text += "; in:  HL points at the table\n";
        text += "; out: A holds the sum, B is zero\n";
        text += "; uses the flags; keeps C, D and E\n";
        text += "; ------------------------------------------------\n";
        text += "CNT" + n + "   EQU " + std::to_string(r % 7 + 1) + "\n";
        text += "MASK" + n + "  EQU (CNT" + n + " SHL 2) AND 0FH OR 80H\n";
        text += "RUN" + n + "   SET CNT" + n + " * 2 + LOW table_" + n + "\n";
        text += "LAST" + n + "  EQU table_" + n + " + CNT" + n + " - 1\n";
        text += "\n";
        text += "routine_" + n + ":\n";
        text += "        mvi b,CNT" + n + "     ; the count\n";
        text += "        xra a              ; start from zero\n";
        text += "loop_" + n + " add m\n";
        text += "        dcr b\n";
        text += "        jnz loop_" + n + "   ; until B is zero\n";
        text += "        ret\n";
        if (!fits)
            text += "        lxi h,LAST" + n + "\n        lxi d,MASK" + n +
                    "\n        db 1,2,3,4,5,6,7,8,9,10,11,12,13,14\n";
        text += "; the table follows its routine\n";
        text += "table_" + n + ": db " + std::to_string(r % 200) + "\n";
        text += "\n";
        text += "; end of routine " + n + "\n";
        text += ";\n";
        text += "\n";
        text += "\n";
        text += "\n";
        text += "\n";
        lines += 30;
    }
    text += "        END\n";
    return text;
}

// 10,000 lines that are all statements: symbols defined after their use in
// chains, labels, jumps to them and one-byte instructions, as much as one
// block holds (350 routines of 11 bytes).
std::string DenseSource()
{
    std::string text = "        ORG     1000H\n";
    for (int r = 0; r < 350; ++r) {
        const std::string n = std::to_string(r);
        text += "L" + n + ":   MOV A,M\n        ADD B\n        JNZ L" + std::to_string((r * 7) % 350) + "\n";
        text += "        MVI C,S" + n + " AND 0FFH\n";
        text += "S" + n + "  EQU T" + n + " + " + n + "\n";
        text += "T" + n + "  EQU U" + n + " SHL 1\n";
        text += "U" + n + "  EQU (V" + n + " + 3) MOD 50\n";
        text += "V" + n + "  EQU HIGH $ + " + n + "\n";
        text += "W" + n + ":\n";
        text += "        DS 0\n";
        text += "X" + n + "  SET W" + n + " - L" + n + "\n";
        text += "        INX H\n";
        text += "        DCR D\n";
        text += "        NOP\n";
        text += "Y" + n + ":   RET\n";
        text += "Z" + n + "  EQU Y" + n + "\n";
    }
    while (std::count(text.begin(), text.end(), '\n') < 10000)
        text += "Q" + std::to_string(text.size()) + " EQU 1\n";
    text += "        END\n";
    return text;
}

void BM_Import10000Statements(benchmark::State& state)
{
    const std::string source = DenseSource();
    for (auto _ : state) {
        const auto result = korvanta::importer::ImportStandardSource(source);
        if (!result.ok()) state.SkipWithError("the source does not import");
        benchmark::DoNotOptimize(result.lines.size());
    }
}
BENCHMARK(BM_Import10000Statements)->Unit(benchmark::kMillisecond);

void BM_Import10000Lines(benchmark::State& state)
{
    const std::string source = LongSource(true);
    std::size_t lines = 0;
    for (auto _ : state) {
        const auto result = korvanta::importer::ImportStandardSource(source);
        if (!result.ok()) state.SkipWithError("the source does not import");
        lines = result.lines.size();
        benchmark::DoNotOptimize(lines);
    }
    state.counters["lines_out"] = static_cast<double>(lines);
}
BENCHMARK(BM_Import10000Lines)->Unit(benchmark::kMillisecond);

// The same length when the code overflows the block: the report path.
void BM_Import10000LinesThatOverflow(benchmark::State& state)
{
    const std::string source = LongSource(false);
    for (auto _ : state) {
        const auto result = korvanta::importer::ImportStandardSource(source);
        if (result.ok()) state.SkipWithError("the source should not fit");
        benchmark::DoNotOptimize(result.report.size());
    }
}
BENCHMARK(BM_Import10000LinesThatOverflow)->Unit(benchmark::kMillisecond);

void BM_ExportAndImportBack(benchmark::State& state)
{
    const auto imported = korvanta::importer::ImportStandardSource(LongSource(true));
    for (auto _ : state) {
        const auto exported =
            korvanta::importer::ExportStandardSource(imported.lines, imported.startAddress, true);
        const auto again = korvanta::importer::ImportStandardSource(exported.text);
        benchmark::DoNotOptimize(again.lines.size());
    }
}
BENCHMARK(BM_ExportAndImportBack)->Unit(benchmark::kMillisecond);

}  // namespace
