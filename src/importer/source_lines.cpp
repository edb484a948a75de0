#include "importer/source_lines.h"

#include <algorithm>

#include "machine/hex_text.h"

namespace korvanta::importer {

namespace {

constexpr std::size_t kMaxFindings = 2000;
constexpr std::size_t kMaxQuotedText = 160;

}  // namespace

const char* LevelName(Level level)
{
    switch (level) {
        case Level::Error:
            return "error";
        case Level::Warning:
            return "warning";
        case Level::Note:
            return "note";
    }
    return "note";
}

bool ImportResult::ok() const
{
    return std::none_of(report.begin(), report.end(),
                        [](const ReportLine& r) { return r.level == Level::Error; });
}

bool LineCursor::Next(std::string_view& line)
{
    if (at_ >= text_.size()) return false;
    const std::size_t end = text_.find_first_of("\r\n", at_);
    if (end == std::string_view::npos) {
        line = text_.substr(at_);
        at_ = text_.size();
        return true;
    }
    line = text_.substr(at_, end - at_);
    at_ = end + (text_[end] == '\r' && end + 1 < text_.size() && text_[end + 1] == '\n' ? 2 : 1);
    return true;
}

std::string Hex(std::uint32_t value, int digits)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out(static_cast<std::size_t>(digits), '0');
    for (int i = digits - 1; i >= 0; --i) {
        out[static_cast<std::size_t>(i)] = kDigits[value & 0xF];
        value >>= 4;
    }
    return out;
}

int HexValue(std::string_view digits)
{
    return HexByteOrAddressValue(digits);
}

std::string PrintableText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\t') {
            out += ' ';
        } else if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            out += '?';
            // One '?' for a whole UTF-8 character, not one per byte.
            if (c >= 0xC0) {
                while (i + 1 < text.size() && (static_cast<unsigned char>(text[i + 1]) & 0xC0) == 0x80) ++i;
            }
        }
    }
    const std::size_t a = out.find_first_not_of(' ');
    if (a == std::string::npos) return {};
    return out.substr(a, out.find_last_not_of(' ') - a + 1);
}

std::int32_t Occupancy::FirstTaken(std::uint32_t from, std::uint32_t to) const
{
    if (from >= to) return -1;
    auto next = spans_.upper_bound(from);
    if (next != spans_.begin() && std::prev(next)->second > from) return static_cast<std::int32_t>(from);
    if (next != spans_.end() && next->first < to) return static_cast<std::int32_t>(next->first);
    return -1;
}

int Occupancy::OwnerOf(std::uint32_t address) const
{
    if (address >= 0x10000) return -1;
    const auto& page = pages_[address >> 12];
    return page ? page[address & 0xFFF] : -1;
}

void Occupancy::Take(std::uint32_t from, std::uint32_t to, int owner)
{
    to = std::min<std::uint32_t>(to, 0x10000);
    if (from >= to) return;
    for (std::uint32_t a = from; a < to; ++a) {
        auto& page = pages_[a >> 12];
        if (!page) {
            page = std::make_unique<int[]>(0x1000);
            std::fill_n(page.get(), 0x1000, -1);
        }
        page[a & 0xFFF] = owner;
    }
    // Merge with the spans it touches or overlaps.
    auto next = spans_.upper_bound(from);
    if (next != spans_.begin()) {
        const auto before = std::prev(next);
        if (before->second >= from) {
            from = before->first;
            to = std::max(to, before->second);
            spans_.erase(before);
        }
    }
    while (next != spans_.end() && next->first <= to) {
        to = std::max(to, next->second);
        next = spans_.erase(next);
    }
    spans_.emplace(from, to);
}

namespace {

// A message names what the source wrote; a name or number of a megabyte is
// shown by its start.
std::string ShortenLongWords(std::string message)
{
    constexpr std::size_t kLongest = 60, kKept = 40;
    if (message.size() <= kLongest) return message;
    std::string out;
    std::size_t i = 0;
    while (i < message.size()) {
        std::size_t j = message.find(' ', i);
        if (j == std::string::npos) j = message.size();
        if (j - i > kLongest) {
            out.append(message, i, kKept);
            out += "...";
        } else {
            out.append(message, i, j - i);
        }
        if (j < message.size()) out += ' ';
        i = j + 1;
    }
    return out;
}

}  // namespace

void Findings::add(int line, std::string_view text, Level level, std::string message)
{
    if (level == Level::Error) ++errors_;
    if (lines_.size() >= kMaxFindings) {
        ++dropped_;
        return;
    }
    message = ShortenLongWords(std::move(message));
    std::string quoted(text.substr(0, kMaxQuotedText));
    if (text.size() > kMaxQuotedText) quoted += "...";
    lines_.push_back({line, std::move(quoted), level, std::move(message)});
}

void Findings::append(Findings&& other)
{
    for (auto& r : other.lines_) {
        if (lines_.size() >= kMaxFindings) {
            ++dropped_;
            continue;
        }
        lines_.push_back(std::move(r));
    }
    errors_ += other.errors_;
    dropped_ += other.dropped_;
}

std::vector<ReportLine> Findings::Sorted()
{
    std::stable_sort(lines_.begin(), lines_.end(),
                     [](const ReportLine& a, const ReportLine& b) { return a.line < b.line; });
    if (dropped_ > 0) {
        lines_.insert(lines_.begin(), {0,
                                       {},
                                       errors_ > 0 ? Level::Error : Level::Note,
                                       std::to_string(dropped_) + " more findings are not listed"});
    }
    return std::move(lines_);
}

}  // namespace korvanta::importer
