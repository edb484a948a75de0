#pragma once

// What the importer tests share: a source written as lines, the import's
// lines and findings, and the bytes a list of own lines puts where.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "importer/importer.h"
#include "importer/own_lines.h"

namespace korvanta::importer::testing {

// The source lines joined with LF.
inline std::string Source(const std::vector<std::string>& lines)
{
    std::string text;
    for (const auto& l : lines) text += l + "\n";
    return text;
}

inline ImportResult Import(const std::vector<std::string>& lines, int radix = 10)
{
    ImportOptions options;
    options.radix = radix;
    return ImportStandardSource(Source(lines), options);
}

// Every finding as "line level: message", for failure output.
inline std::string Describe(const ImportResult& r)
{
    std::string out;
    for (const auto& f : r.report)
        out += std::to_string(f.line) + " " + LevelName(f.level) + ": " + f.message + "\n";
    return out;
}

inline bool HasFinding(const ImportResult& r, int line, Level level, const std::string& part)
{
    for (const auto& f : r.report) {
        if (f.line == line && f.level == level && f.message.find(part) != std::string::npos) return true;
    }
    return false;
}

// The bytes a program's lines place in Full 8085 mode, by address.
inline std::map<std::uint16_t, std::uint8_t> FullImage(const std::vector<std::string>& lines,
                                                       const std::string& start)
{
    const OwnProgram p = AssembleOwnLines(lines, start, true);
    EXPECT_TRUE(p.ok()) << "the lines do not assemble";
    return p.Image();
}

}  // namespace korvanta::importer::testing
