#include "engine/listing.h"

#include <cstdio>

#include "assembler/program_source.h"
#include "cpu/cpu8085.h"
#include "machine/hex_text.h"
#include "machine/machine.h"

namespace korvanta {

namespace {

int hexByte(const std::string& text)
{
    return text.size() == 2 ? static_cast<int>(HexTextValue(text)) : -1;
}

std::string padded(std::string text, std::size_t width)
{
    if (text.size() < width) text.append(width - text.size(), ' ');
    return text;
}

}  // namespace

std::vector<ListingLine> BuildListing(const Machine& m, const ProgramSource& source)
{
    std::vector<ListingLine> listing;
    for (int i = 0; i < source.lineCount(); ++i)
        listing.push_back({i, std::nullopt, {}, source.lines()[static_cast<std::size_t>(i)], {}});
    const bool full = m.options.Full8085.get() == 1;
    for (const ListingEntry& entry : m.assembly.listing) {
        if (entry.line < 0 || entry.line >= source.lineCount() || entry.byteCount == 0) continue;
        ListingLine& line = listing[static_cast<std::size_t>(entry.line)];
        if (!m.window.hasRow(entry.firstRow)) continue;
        line.address = m.window.address(entry.firstRow);
        for (int k = 0; k < entry.byteCount && m.window.hasRow(entry.firstRow + k); ++k)
            line.bytes.push_back(m.window.data(entry.firstRow + k));
        // Only an instruction line costs time; a data directive's bytes are not run.
        const std::string& text = line.text;
        const std::size_t colon = text.size() >= 5 && text[4] == ':' ? 5 : 0;
        const bool directive = text.find("!!", colon) != std::string::npos &&
                               text.find_first_not_of(' ', colon) == text.find("!!", colon);
        const int opcode = hexByte(line.bytes.front());
        if (full && !directive && opcode >= 0) {
            const cpu::OpcodeInfo& info = cpu::Opcodes()[static_cast<std::size_t>(opcode)];
            if (info.text != nullptr) {
                line.tStates = std::to_string(info.tStates);
                if (info.tStatesTaken != info.tStates) line.tStates += "/" + std::to_string(info.tStatesTaken);
            }
        }
    }
    return listing;
}

std::vector<std::string> ListingTextLines(const std::vector<ListingLine>& listing, bool withTStates)
{
    // Three bytes fill the bytes column; a longer data line goes on under it, three bytes a
    // row at their own addresses, as printed listings do, so the source column stays straight.
    constexpr std::size_t kBytesPerRow = 3;
    std::vector<std::string> lines;
    for (const ListingLine& l : listing) {
        const unsigned long start = l.address ? std::stoul(*l.address, nullptr, 16) : 0;
        std::size_t k = 0;
        do {
            std::string bytes;
            for (std::size_t i = k; i < l.bytes.size() && i < k + kBytesPerRow; ++i)
                bytes += (bytes.empty() ? "" : " ") + l.bytes[i];
            std::string address = l.address.value_or("");
            if (k > 0) {
                char text[5];
                std::snprintf(text, sizeof text, "%04lX", (start + k) & 0xFFFF);
                address = text;
            }
            std::string row = padded(address, 6) + padded(bytes, 10);
            if (withTStates) row += padded(k == 0 ? l.tStates : std::string(), 7);
            if (k == 0) row += l.text;
            lines.push_back(std::move(row));
            k += kBytesPerRow;
        } while (k < l.bytes.size());
    }
    return lines;
}

}  // namespace korvanta
