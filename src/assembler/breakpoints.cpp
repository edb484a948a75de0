#include "assembler/breakpoints.h"

#include <algorithm>

#include "assembler/program_source.h"
#include "machine/machine.h"

namespace korvanta {

namespace {

int hexValue(const std::string& text)
{
    int value = 0;
    for (char c : text) {
        if (c >= '0' && c <= '9') value = value * 16 + (c - '0');
        else if (c >= 'A' && c <= 'F') value = value * 16 + (c - 'A' + 10);
        else return -1;
    }
    return value;
}

}  // namespace

Breakpoints::Breakpoints(Machine& m, ProgramSource& source) : m_(m)
{
    changed.connect([this] { refresh(); });
    source.lineInserted.connect([this](int at) {
        std::set<int> moved;
        for (int line : lines_) moved.insert(line >= at ? line + 1 : line);
        if (moved != lines_) {
            lines_ = std::move(moved);
            changed.emit();
        }
    });
    source.lineRemoved.connect([this](int at) {
        std::set<int> moved;
        for (int line : lines_) {
            if (line != at) moved.insert(line > at ? line - 1 : line);
        }
        if (moved != lines_) {
            lines_ = std::move(moved);
            changed.emit();
        }
    });
    source.linesReset.connect([this] {
        if (lines_.empty()) return;
        lines_.clear();
        changed.emit();
    });
}

void Breakpoints::setLine(int line, bool on)
{
    if (line < 0 || hasLine(line) == on) return;
    if (on) lines_.insert(line);
    else lines_.erase(line);
    changed.emit();
}

void Breakpoints::setAddress(std::uint16_t address, bool on)
{
    if (hasAddress(address) == on) return;
    if (on) addresses_.insert(address);
    else addresses_.erase(address);
    changed.emit();
}

void Breakpoints::clear()
{
    if (empty()) return;
    lines_.clear();
    addresses_.clear();
    changed.emit();
}

int Breakpoints::addressOfLine(int line) const
{
    for (const ListingEntry& entry : m_.assembly.listing) {
        if (entry.line != line) continue;
        if (!m_.window.hasRow(entry.firstRow)) return -1;
        return hexValue(m_.window.address(entry.firstRow));
    }
    return -1;
}

int Breakpoints::lineAt(std::uint16_t address) const
{
    for (const ListingEntry& entry : m_.assembly.listing) {
        if (entry.byteCount == 0 || !m_.window.hasRow(entry.firstRow)) continue;
        if (hexValue(m_.window.address(entry.firstRow)) == address) return entry.line;
    }
    return -1;
}

void Breakpoints::setTemporaryLine(std::optional<int> line)
{
    if (temporary_ == line) return;
    temporary_ = line;
    refresh();
}

void Breakpoints::refresh()
{
    std::fill(stops_.begin(), stops_.end(), 0);
    const std::vector<std::uint16_t> all = stopAddresses();
    for (std::uint16_t address : all) stops_[address] = 1;
    anyStop_ = !all.empty();
}

std::vector<std::uint16_t> Breakpoints::stopAddresses() const
{
    std::set<std::uint16_t> all = addresses_;
    std::set<int> lines = lines_;
    if (temporary_) lines.insert(*temporary_);
    for (int line : lines) {
        int address = addressOfLine(line);
        if (address >= 0) all.insert(static_cast<std::uint16_t>(address));
    }
    return {all.begin(), all.end()};
}

}  // namespace korvanta
