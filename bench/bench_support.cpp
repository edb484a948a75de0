#include "bench_support.h"

#include <cstdlib>
#include <stdexcept>

namespace korvanta::bench {

std::vector<std::string> MixedProgram(int lineCount)
{
    // One entry per instruction group; "@" is replaced by a tag name.
    static const char* const kBody[] = {
        "MOV A,B",   "MOV M,C",   "MVI D,3E",  "MVI M,07",  "LXI H,0E00", "LXI SP,0F80",
        "LDA 0E10",  "STA 0E11",  "LHLD 0E12", "SHLD 0E14", "LDAX B",     "STAX D",
        "XCHG",      "ADD C",     "ADC M",     "ADI 05",    "ACI 01",     "SUB D",
        "SBB E",     "SUI 02",    "SBI 01",    "INR A",     "DCR M",      "INX H",
        "DCX D",     "DAD B",     "DAA",       "ANA B",     "XRA C",      "ORA D",
        "CMP E",     "ANI 0F",    "XRI 55",    "ORI 01",    "CPI 05",     "RLC",
        "RRC",       "RAL",       "RAR",       "CMA",       "CMC",        "STC",
        "JMP @",     "JNZ @",     "JZ @",      "JC @",      "JNC @",      "JP @",
        "JM @",      "JPE @",     "JPO @",     "CALL @",    "CNZ @",      "CZ @",
        "CC @",      "CNC @",     "CP @",      "CM @",      "CPE @",      "CPO @",
        "RET",       "RNZ",       "RZ",        "RC",        "RNC",        "RP",
        "RM",        "RPE",       "RPO",       "PCHL",      "PUSH B",     "PUSH PSW",
        "POP D",     "POP PSW",   "XTHL",      "SPHL",      "NOP",        "EI",
        "DI",        "RIM",       "SIM",       "IN 01",     "OUT 02",     "!! a comment",
    };
    constexpr int kBodySize = sizeof kBody / sizeof kBody[0];
    constexpr int kTagEvery = 20;
    const int tagCount = (lineCount + kTagEvery - 1) / kTagEvery;
    auto tagName = [](int n) {
        std::string t = "T" + std::to_string(n);
        while (t.size() < 4) t.insert(1, "0");
        return t;  // T001 ... T050: never numeric, so always read as a tag
    };

    std::vector<std::string> lines;
    lines.reserve(static_cast<std::size_t>(lineCount));
    for (int i = 0; i < lineCount - 1; ++i) {
        std::string line = kBody[i % kBodySize];
        if (auto at = line.find('@'); at != std::string::npos) {
            // Alternate between a tag behind us and one ahead.
            int here = i / kTagEvery;
            int target = (i % 2 == 0) ? here : std::min(here + 1, tagCount - 1);
            line.replace(at, 1, tagName(target));
        }
        if (i % kTagEvery == 0) line = tagName(i / kTagEvery) + ": " + line;
        lines.push_back(std::move(line));
    }
    lines.push_back("HLT");  // explicit, so the code list does not grow per assembly
    return lines;
}

std::vector<std::string> MemoryLoopProgram()
{
    return {
        "LXI B,0800",
        "LXI D,0A00",
        "MVI H,01",
        "LOOP: LDAX B",
        "ADD H",
        "STAX D",
        "INX B",
        "INX D",
        "MOV L,A",
        "JNZ LOOP",
        "HLT",
    };
}

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "korvanta-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a scratch folder");
    path_ = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

}  // namespace korvanta::bench
