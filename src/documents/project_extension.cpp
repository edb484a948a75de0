#include "documents/project_extension.h"

#include <charconv>
#include <cstdio>

#include "documents/project_file.h"

namespace korvanta {

namespace {

constexpr int kMostExtensionRecords = 20000;

std::string hex(unsigned value, int digits)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*X", digits, value);
    return buffer;
}

bool parseNumber(std::string_view text, int base, int& value)
{
    if (text.empty()) return false;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return ec == std::errc() && end == text.data() + text.size();
}

}  // namespace

bool ProjectExtension::needed() const
{
    return full || budget != kDefaultInstructionBudget || bdos || !breakLines.empty() || !breakAddresses.empty() ||
           !inputPorts.empty();
}

void RecordChecksum::text(std::string_view value)
{
    byte(static_cast<unsigned char>(value.size() & 0xFF));
    byte(static_cast<unsigned char>(value.size() >> 8));
    for (char c : value) byte(static_cast<unsigned char>(c));
}

void RecordChecksum::integer(int value)
{
    const auto v = static_cast<std::uint16_t>(static_cast<std::int16_t>(value));
    byte(static_cast<unsigned char>(v & 0xFF));
    byte(static_cast<unsigned char>(v >> 8));
}

std::vector<std::string> ExtensionRecords(const ProjectExtension& e, std::uint32_t checksum)
{
    std::vector<std::string> records = {kExtensionMark, "SUM " + hex(checksum, 8)};
    if (e.full) records.push_back("FULL 1");
    if (e.budget != kDefaultInstructionBudget) records.push_back("BUDGET " + std::to_string(e.budget));
    if (!e.window.empty()) records.push_back("WINDOW " + e.window);
    if (!e.start.empty()) records.push_back("START " + e.start);
    if (e.bdos) records.push_back("BDOS 1");
    for (int line : e.breakLines) records.push_back("BREAKLINE " + std::to_string(line));
    for (std::uint16_t address : e.breakAddresses) records.push_back("BREAKADDR " + hex(address, 4));
    for (const auto& [port, value] : e.inputPorts) records.push_back("PORT " + hex(unsigned(port), 2) + " " + hex(unsigned(value), 2));
    records.push_back(kExtensionEnd);
    return records;
}

std::optional<ProjectExtension> ReadExtension(RecordReader& reader, int n, std::uint32_t checksum)
{
    try {
        if (!reader.exists(n) || reader.text(n) != kExtensionMark) return std::nullopt;
        if (!reader.exists(n + 1) || reader.text(n + 1) != "SUM " + hex(checksum, 8)) return std::nullopt;
        ProjectExtension e;
        for (int k = n + 2; k < n + kMostExtensionRecords; ++k) {
            if (!reader.exists(k)) return std::nullopt;
            const std::string record = reader.text(k);
            if (record == kExtensionEnd) return e;
            const auto blank = record.find(' ');
            const std::string key = record.substr(0, blank);
            const std::string value = blank == std::string::npos ? std::string() : record.substr(blank + 1);
            int number = 0;
            if (key == "FULL") e.full = value == "1";
            else if (key == "BDOS") e.bdos = value == "1";
            else if (key == "BUDGET" && parseNumber(value, 10, number) && number >= 1 && number <= kMaxInstructionBudget)
                e.budget = number;
            else if (key == "WINDOW" && value.size() == 1 && parseNumber(value, 16, number)) e.window = value;
            else if (key == "START" && value.size() == 4 && value.find_first_not_of("0123456789ABCDEF") == std::string::npos)
                e.start = value;
            else if (key == "BREAKLINE" && parseNumber(value, 10, number) && number >= 0) e.breakLines.push_back(number);
            else if (key == "BREAKADDR" && value.size() == 4 && parseNumber(value, 16, number))
                e.breakAddresses.push_back(static_cast<std::uint16_t>(number));
            else if (key == "PORT" && value.size() == 5 && value[2] == ' ') {
                int port = 0, byte = 0;
                if (parseNumber(value.substr(0, 2), 16, port) && parseNumber(value.substr(3), 16, byte))
                    e.inputPorts.emplace_back(port, byte);
            }
            // Keys this version does not know are passed over: a later one may add some.
        }
    } catch (const SysError&) {
        // A cut or damaged extension is as good as none: the project itself has been read.
    }
    return std::nullopt;
}

}  // namespace korvanta
