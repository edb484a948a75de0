#pragma once

// Small pieces both directions of the importer share: cutting a text into
// lines whatever its line ends, hex digits, and the report.

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "importer/importer.h"

namespace korvanta::importer {

// The lines of text, split at LF, CR LF and CR; a final line end does not
// start another line.
class LineCursor {
public:
    explicit LineCursor(std::string_view text) : text_(text) {}
    // The next line, or false at the end.
    bool Next(std::string_view& line);

private:
    std::string_view text_;
    std::size_t at_ = 0;
};

// Exactly `digits` upper-case hex digits of value (its low bits).
std::string Hex(std::uint32_t value, int digits);

// The value of exactly two or four hex digits, or -1.
int HexValue(std::string_view digits);

// Mnemonics, directives, registers and operator words: no label may be
// called so.
bool IsReservedWord(std::string_view upper);

// A comment text as the program can keep it: printable ASCII only (tabs
// become blanks, anything else one '?' per character), blanks trimmed.
std::string PrintableText(std::string_view text);

// Which addresses of the 64 KB hold something, and whose. Taken addresses
// are kept as merged spans, so that asking about a range costs a look-up,
// not a walk over it; owners are kept by 4 KB page, each made when first
// used (a program touches one or two, and imports run often: the fuzzer's
// by the thousand).
class Occupancy {
public:
    // The first taken address in [from, to), or -1.
    std::int32_t FirstTaken(std::uint32_t from, std::uint32_t to) const;
    // The owner last given to Take for that address, or -1.
    int OwnerOf(std::uint32_t address) const;
    void Take(std::uint32_t from, std::uint32_t to, int owner);

private:
    std::map<std::uint32_t, std::uint32_t> spans_;  // first address -> one past the last
    std::array<std::unique_ptr<int[]>, 16> pages_;
};

// Findings, in the order they are made; Sorted() puts them in line order.
// Past a few thousand findings only a count is kept, so that a flood of bad
// lines cannot make the report the problem.
class Findings {
public:
    void add(int line, std::string_view text, Level level, std::string message);
    bool hasError() const { return errors_ > 0; }
    std::vector<ReportLine> Sorted();
    void append(Findings&& other);

private:
    std::vector<ReportLine> lines_;
    int errors_ = 0;
    int dropped_ = 0;
};

}  // namespace korvanta::importer
