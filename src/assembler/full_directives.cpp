// The layout directives and origin rules of Full 8085 mode, and the checks
// on what each line emitted. Programs written for the real chip put data
// beside their code and move about with ORG; these keep every byte where a
// standard assembler would put it, and refuse what a standard assembler would.

#include <string>
#include <string_view>

#include "assembler/assembler.h"
#include "machine/machine.h"

namespace korvanta {

namespace {

bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

bool isHexText(std::string_view text, std::size_t digits)
{
    if (text.size() != digits) return false;
    for (char c : text) {
        if (!isHexDigit(c)) return false;
    }
    return true;
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

int hexValue(std::string_view text)
{
    int value = 0;
    for (char c : text) value = value * 16 + (c <= '9' ? c - '0' : c - 'A' + 10);
    return value;
}

}  // namespace

void Assembler::DataDirective(LineKind::Kind kind)
{
    // "!!DB " and its kin are five characters; the operands follow.
    std::string_view operands = trimmed(std::string_view(m_.SourceLine).substr(5));
    if (operands.empty()) {
        m_.ErrorFlag = kTrue;
        return;
    }
    if (kind == LineKind::Space) {
        if (!isHexText(operands, 4)) {
            m_.ErrorFlag = kTrue;
            return;
        }
        // Reserved rows keep whatever they hold; running past the window is
        // caught like any line that does.
        m_.LocationIndex += hexValue(operands);
        return;
    }
    const std::size_t digits = kind == LineKind::Bytes ? 2 : 4;
    // Every item is checked before the first is emitted, so a bad item
    // leaves memory as it was.
    std::vector<std::string_view> items;
    while (true) {
        const std::size_t comma = operands.find(',');
        std::string_view item = trimmed(operands.substr(0, comma));
        if (!isHexText(item, digits)) {
            m_.ErrorFlag = kTrue;
            return;
        }
        items.push_back(item);
        if (comma == std::string_view::npos) break;
        operands.remove_prefix(comma + 1);
    }
    for (std::string_view item : items) {
        if (digits == 2) {
            m_.memory.EnterintoMEMory(m_.LocationIndex++, item);
        } else {
            m_.memory.EnterintoMEMory(m_.LocationIndex++, item.substr(2, 2));
            m_.memory.EnterintoMEMory(m_.LocationIndex++, item.substr(0, 2));
        }
    }
}

void Assembler::FullOrigin()
{
    if (m_.options.Check4.get() != 1) return;  // the line counts as a comment
    const std::string_view line = m_.SourceLine;
    if (line.substr(0, 5) != "!!ORG") {
        m_.ErrorFlag = kTrue;
        return;
    }
    const std::string_view address = trimmed(line.substr(5));
    if (!isHexText(address, 4)) {
        m_.ErrorFlag = kTrue;
        return;
    }
    if (!emittedAny_) {
        // Before any byte the origin is where the program starts, as it has
        // always been; unlike the classic rule it holds on every assembly,
        // not only on one that began at the window's first address.
        m_.Text1.setText(address);
        m_.memory.DetermineProgramStart();
        return;
    }
    m_.memory.ConvertMEMtoINDEX(address);
    if (m_.ErrorFlag == kTrue) return;
    const int row = std::stoi(m_.ConvertedValue);
    for (int r = row; r < m_.LocationIndex; ++r) {
        if (occupied_[static_cast<std::size_t>(r)]) {
            m_.ErrorFlag = kTrue;  // backward over bytes already placed
            return;
        }
    }
    m_.LocationIndex = row;
}

bool Assembler::CheckEmitted(int firstRow, int rows, bool reserved)
{
    for (int r = firstRow; r < firstRow + rows; ++r) {
        if (r < 1 || r > MemoryWindow::kRows) return true;  // the end of the window is reported apart
        if (occupied_[static_cast<std::size_t>(r)]) return false;
        if (!reserved) {
            const std::string& data = m_.window.data(r);
            if (data != "**" && !isHexText(data, 2)) return false;
        }
        occupied_[static_cast<std::size_t>(r)] = 1;
    }
    if (rows > 0 && !reserved) emittedAny_ = true;
    return true;
}

}  // namespace korvanta
