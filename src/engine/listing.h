#pragma once

// The listing of the last assembly: for every source line, where its bytes
// went, which bytes they are now, and (in Full 8085 mode) what the
// instruction costs in T-states. The window shows it, prints it and writes
// it to a file; korvanta-cli prints it as text or JSON.

#include <optional>
#include <string>
#include <vector>

namespace korvanta {

class Machine;
class ProgramSource;

struct ListingLine {
    int line = 0;                        // zero-based index in the code list
    std::optional<std::string> address;  // the first byte's address; none for a line that emits nothing
    std::vector<std::string> bytes;      // the bytes as memory holds them now
    std::string text;                    // the source line
    std::string tStates;                 // Full 8085 instructions: "7", or "7/10" not taken/taken
};

// One entry per code-list line, in order; lines the last assembly did not
// reach have no address.
std::vector<ListingLine> BuildListing(const Machine& m, const ProgramSource& source);

// The listing as plain text lines: address, bytes, T-states in Full 8085
// mode, then the source line.
std::vector<std::string> ListingTextLines(const std::vector<ListingLine>& listing, bool withTStates);

}  // namespace korvanta
