#include "engine/program_loader.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <system_error>

#include "engine/simulator.h"

namespace korvanta {

namespace {

// Record 1 of a project: text length 8 (16-bit little-endian), then the name.
constexpr std::string_view kProjectSignature{"\x08\x00Korvanta", 10};

std::string trimBlanks(const std::string& text)
{
    auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

std::string typedLine(std::string_view raw)
{
    std::string line;
    line.reserve(raw.size());
    for (char c : raw) {
        if (c == '\t') c = ' ';
        bool pressedAdd = false;
        std::optional<char> kept = ProgramSource::EnterCodeKeyFilter(c, &pressedAdd);
        // A stray CR would press Add in the middle of a line; lines are
        // separated by LF only, so it is dropped instead.
        if (pressedAdd || !kept) continue;
        if (*kept == '\b') {
            if (!line.empty()) line.pop_back();
        } else {
            line += *kept;
        }
    }
    return trimBlanks(line);
}

bool readAtMost(const std::string& path, std::uintmax_t limit, std::string& bytes, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read PROGRAM '" + path + "': " + std::strerror(errno);
        return false;
    }
    bytes.clear();
    char buffer[65536];
    while (in) {
        in.read(buffer, sizeof buffer);
        bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
        if (bytes.size() > limit) {
            error = "PROGRAM '" + path + "' is larger than " + std::to_string(limit) + " bytes";
            return false;
        }
    }
    if (in.bad()) {
        error = "cannot read PROGRAM '" + path + "'";
        return false;
    }
    return true;
}

}  // namespace

bool LooksLikeProjectFile(std::string_view bytes)
{
    return bytes.substr(0, kProjectSignature.size()) == kProjectSignature;
}

std::vector<std::string> TypedProgramLines(std::string_view text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string line = typedLine(text.substr(start, end - start));
        if (!line.empty()) lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

bool ReadProgramFile(const std::string& path, std::string& bytes, std::string& error)
{
    std::error_code ec;
    auto status = std::filesystem::status(path, ec);
    if (ec || !std::filesystem::exists(status)) {
        error = "cannot read PROGRAM '" + path + "': no such file";
        return false;
    }
    if (std::filesystem::is_directory(status)) {
        error = "cannot read PROGRAM '" + path + "': it is a directory";
        return false;
    }
    if (std::filesystem::is_regular_file(status)) {
        auto size = std::filesystem::file_size(path, ec);
        if (!ec && size > kMaxProgramFileBytes) {
            error = "PROGRAM '" + path + "' is larger than " + std::to_string(kMaxProgramFileBytes) + " bytes";
            return false;
        }
    }
    return readAtMost(path, kMaxProgramFileBytes, bytes, error);
}

void TypeProgramLines(Simulator& sim, const std::vector<std::string>& lines)
{
    ProgramSource& source = sim.source;
    for (const std::string& line : lines) {
        source.EnterCode.setText(line);
        source.Command1_Click();
    }
}

bool LoadProgram(Simulator& sim, const std::string& path, std::string& error)
{
    std::string bytes;
    if (!ReadProgramFile(path, bytes, error)) return false;

    if (LooksLikeProjectFile(bytes)) {
        if (!sim.documents.OpenProjectFrom(path)) {
            error = "cannot open the project file '" + path + "'";
            return false;
        }
        return true;
    }
    TypeProgramLines(sim, TypedProgramLines(bytes));
    return true;
}

}  // namespace korvanta
