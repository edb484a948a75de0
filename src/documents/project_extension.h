#pragma once

// What a project holds beyond the classic record layout: Full 8085 mode and
// its settings, the instruction budget, breakpoints. They go in records after
// the final "END", where a reader of the classic layout never looks, so such
// a file still opens there; and they are written only when one of them is
// set, so that a project using none of them is byte for byte what it always
// was. A checksum over the records before them tells a stale extension (left
// behind when a program that does not know it rewrote the records in front)
// from a current one.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "machine/view_state.h"

namespace korvanta {

class RecordReader;

inline constexpr const char* kExtensionMark = "###EXT###";
inline constexpr const char* kExtensionEnd = "###EXTEND###";

struct ProjectExtension {
    bool full = false;
    int budget = kDefaultInstructionBudget;
    std::string window;  // the memory window's digit; written for Full 8085 projects
    std::string start;   // the start address, four digits; written for Full 8085 projects
    bool bdos = false;
    std::vector<int> breakLines;
    std::vector<std::uint16_t> breakAddresses;
    std::vector<std::pair<int, int>> inputPorts;  // port, value; those that are not 00

    // Whether anything here differs from what a classic project implies.
    bool needed() const;
    bool operator==(const ProjectExtension&) const = default;
};

// FNV-1a over the meaning of the records: each text with its length, each
// integer as its two bytes. Padding is not part of it.
class RecordChecksum {
public:
    void text(std::string_view value);
    void integer(int value);
    std::uint32_t value() const { return hash_; }

private:
    void byte(unsigned char b) { hash_ = (hash_ ^ b) * 16777619u; }
    std::uint32_t hash_ = 2166136261u;
};

// The extension's records, as texts, for a project whose records before
// them have the given checksum.
std::vector<std::string> ExtensionRecords(const ProjectExtension& extension, std::uint32_t checksum);

// Reads the extension that starts at record n, if there is a current one.
// Anything malformed or stale reads as no extension.
std::optional<ProjectExtension> ReadExtension(RecordReader& reader, int n, std::uint32_t checksum);

}  // namespace korvanta
