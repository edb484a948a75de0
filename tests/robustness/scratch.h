#pragma once

// Scratch folders and the project and program files the robustness tests feed
// to the program.

#include <filesystem>
#include <string>
#include <vector>

namespace korvanta::robustness {

class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

std::string ReadBytes(const std::string& fileName);
void WriteBytes(const std::string& fileName, const std::string& bytes);

// A project file as the program writes it: 50-byte records, texts with a
// 16-bit little-endian length. Lines are stored as given, unfiltered.
std::string ProjectFile(const std::vector<std::string>& lines);

// The names in a folder, sorted.
std::vector<std::string> FolderContents(const std::filesystem::path& folder);

}  // namespace korvanta::robustness
