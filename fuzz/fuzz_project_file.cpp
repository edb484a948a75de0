// The project-file reader on arbitrary bytes: whatever the file holds, opening
// it must end (there may be no "###END###"), leave a usable window, and what it
// loaded must save and open again.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <fstream>

#include "fuzz_support.h"

using namespace korvanta;

namespace {
std::string ScratchName(const char* what)
{
    return "/tmp/korvanta-fuzz-" + std::to_string(getpid()) + "-" + what + ".QSM";
}

// Removed when the fuzzer exits.
struct ScratchFile {
    explicit ScratchFile(const char* what) : name(ScratchName(what)) {}
    ~ScratchFile() { std::remove(name.c_str()); }
    const std::string name;
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const ScratchFile inputFile("in");
    static const ScratchFile againFile("again");
    const std::string& input = inputFile.name;
    const std::string& again = againFile.name;
    {
        std::ofstream out(input, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }

    fuzz::Rig rig;
    bool opened = rig.sim.documents.OpenProjectFrom(input);
    rig.CheckWindow();
    if (opened) {
        // A file that opened holds nothing the program cannot write back, unless
        // a text is too long for a record, which the save must refuse cleanly.
        const std::vector<std::string> lines = rig.sim.source.lines();
        if (rig.sim.documents.SaveProjectTo(again, false)) {
            fuzz::Rig second;
            KORVANTA_REQUIRE(second.sim.documents.OpenProjectFrom(again));
            KORVANTA_REQUIRE(second.sim.source.lines() == lines);
            KORVANTA_REQUIRE(second.m.cpu.RegisterA.text() == rig.m.cpu.RegisterA.text());
            KORVANTA_REQUIRE(second.m.cpu.SP.text() == rig.m.cpu.SP.text());
        }
    }
    return 0;
}
