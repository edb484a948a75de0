// Jump tags and the origin line: the parts of the assembler that look at more
// than one line, or that move where the program goes.

#include <string>
#include <string_view>

#include "assembler/assembler.h"
#include "assembler/program_source.h"
#include "machine/machine.h"

namespace korvanta {

namespace {

constexpr std::size_t kRecord = 8;

// The row number written as decimal digits in characters 5 to 8 of a record,
// or 0 when they are not digits.
int recordRow(std::string_view record)
{
    int row = 0;
    for (char c : record.substr(4, 4)) {
        if (c < '0' || c > '9') return 0;
        row = row * 10 + (c - '0');
    }
    return row;
}

bool IsHexAddress(std::string_view text)
{
    if (text.size() != 4) return false;
    for (char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
    }
    return true;
}

}  // namespace

void Assembler::SearchForJumpIds()
{
    const std::string& refs = m_.assembly.JumpTagRefs;
    const std::string& defs = m_.assembly.JumpTagDefs;
    if (refs.empty()) return;

    bool unmatched = false;
    for (std::size_t r = 0; r + kRecord <= refs.size(); r += kRecord) {
        const std::string_view ref = std::string_view(refs).substr(r, kRecord);
        const std::string_view wanted = ref.substr(0, 4);
        const int p = recordRow(ref);

        int d = 0;
        for (std::size_t k = 0; k + kRecord <= defs.size(); k += kRecord) {
            const std::string_view def = std::string_view(defs).substr(k, kRecord);
            if (def.substr(0, 4) == wanted) {  // the first definition wins
                d = recordRow(def);
                break;
            }
        }
        // A definition naming no row of the window cannot be patched in.
        if (!m_.window.hasRow(d)) {
            // In Full 8085 mode an operand no tag defines is an address.
            if (m_.options.Full8085.get() == 1 && IsHexAddress(wanted)) {
                m_.memory.EnterintoMEMory(p, wanted.substr(2, 2));
                m_.memory.EnterintoMEMory(p + 1, wanted.substr(0, 2));
                continue;
            }
            unmatched = true;
            continue;
        }
        const std::string address = m_.window.key(d).substr(1);
        m_.memory.EnterintoMEMory(p, std::string_view(address).substr(2, 2));
        m_.memory.EnterintoMEMory(p + 1, std::string_view(address).substr(0, 2));
    }

    if (unmatched) {
        m_.Message(kUnmatchedTags);
        m_.ErrorFlag = kTrue;
    }
}

void Assembler::OrgChange()
{
    if (m_.options.Check4.get() != 1) return;  // the line counts as a comment

    const std::string_view line = m_.SourceLine;
    if (line.substr(0, 5) == "!!ORG" && m_.LocationIndex == 1) {
        const std::string_view address = line.size() > 4 ? line.substr(line.size() - 4) : line;
        if (address.size() == 4) {
            m_.Text1.setText(address);
            m_.memory.DetermineProgramStart();
        } else {
            m_.ErrorFlag = kTrue;
        }
        return;
    }
    m_.ErrorFlag = kTrue;
}

}  // namespace korvanta
