// The importer on arbitrary text. The first byte picks the radix and which
// mode the export back is written for; the rest is the source. Whatever it
// is, a successful import must give lines the program can keep (none empty,
// none over 48 characters) that its assembler takes, and an export of those
// lines must import back to the same bytes. The text is also read as a
// project's own lines and exported in both modes.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "importer/importer.h"
#include "importer/own_lines.h"

using namespace korvanta;
using namespace korvanta::importer;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) return 0;
    const std::uint8_t control = data[0];
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

    ImportOptions options;
    options.radix = control & 1 ? 16 : 10;
    const ImportResult r = ImportStandardSource(text, options);
    KORVANTA_REQUIRE(r.ok() || r.lines.empty());
    for (std::size_t i = 1; i < r.report.size(); ++i)
        KORVANTA_REQUIRE(r.report[i - 1].line <= r.report[i].line);
    (void)DetectSourceKind(text);

    if (r.ok()) {
        KORVANTA_REQUIRE(r.startAddress.size() == 4 && r.windowDigit.size() == 1);
        for (const auto& line : r.lines) KORVANTA_REQUIRE(!line.empty() && line.size() <= 48);
        const OwnProgram program = AssembleOwnLines(r.lines, r.startAddress, true);
        KORVANTA_REQUIRE(program.ok());
        for (const auto& [address, byte] : program.Image()) {
            (void)byte;
            KORVANTA_REQUIRE((address >> 12) == (program.block) && (address & 0xFFF) != 0xFFF);
        }

        const ExportResult e = ExportStandardSource(r.lines, r.startAddress, true);
        for (const auto& finding : e.report) KORVANTA_REQUIRE(finding.level != Level::Error);
        const ImportResult back = ImportStandardSource(e.text);
        KORVANTA_REQUIRE(back.ok());
        KORVANTA_REQUIRE(AssembleOwnLines(back.lines, back.startAddress, true).Image() == program.Image());
    }

    // The same text as a project's lines, one per line end.
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size() && lines.size() < 2000) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        lines.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    const bool full = (control >> 1) & 1;
    const bool org = (control >> 2) & 1;
    static const char* const kStarts[] = {"0000", "2000", "0FFC", "ZZZZ"};
    const char* startAddress = kStarts[(control >> 3) & 3];
    const OwnProgram own = AssembleOwnLines(lines, startAddress, full, org);
    const ExportResult e = ExportStandardSource(lines, startAddress, full, org);
    // Lines that assemble exactly export to a source that places the same bytes.
    if (own.ok() && !own.lines.empty() && std::string_view(startAddress) != "ZZZZ") {
        const ImportResult back = ImportStandardSource(e.text);
        if (back.ok()) {
            KORVANTA_REQUIRE(AssembleOwnLines(back.lines, back.startAddress, true).Image() == own.Image());
        }
    }
    return 0;
}
