// The assembler on arbitrary lines. The first byte picks the road the lines
// take (typed through the entry field's key filter, or appended raw as a
// loaded project would) and the options; the rest is the program text, one
// line per '\n'.

#include <cstdint>
#include <string_view>

#include "fuzz_support.h"

using namespace korvanta;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) return 0;
    const std::uint8_t control = data[0];
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    const bool typed = control & 1;

    fuzz::Rig rig;
    rig.m.options.Check3.set((control >> 1) & 1);
    rig.m.options.Check4.set((control >> 2) & 1);
    static const char* const kStarts[] = {"0000", "0800", "0FFC", "0A3F"};
    rig.m.Text1.setText(kStarts[(control >> 3) & 3]);

    if (typed) {
        for (char c : text) rig.sim.source.EnterCode_KeyPress(c == '\n' ? '\r' : c);
        rig.sim.source.EnterCode_KeyPress('\r');
        for (const auto& line : rig.sim.source.lines()) {
            for (char c : line) {
                const bool allowed = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || c == ' ' || c == ':' ||
                                     c == ',' || c == '.' || c == '!';
                KORVANTA_REQUIRE(allowed);
            }
        }
    } else {
        std::size_t start = 0;
        while (start <= text.size()) {
            std::size_t end = text.find('\n', start);
            if (end == std::string_view::npos) end = text.size();
            rig.sim.source.AppendLine(std::string(text.substr(start, end - start)));
            start = end + 1;
        }
    }

    rig.sim.assembler.CompileProgram();
    rig.CheckWindow();
    KORVANTA_REQUIRE(rig.m.memory.writesOutside() == 0 || rig.m.ErrorFlag != kFalse);

    // Now and then run what was assembled: the budget bounds every run.
    if ((control >> 5) & 1 && rig.m.ErrorFlag == kFalse) {
        rig.sim.executor.DoExecute();
        rig.CheckWindow();
    }
    return 0;
}
