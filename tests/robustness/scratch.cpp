#include "robustness/scratch.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <sys/stat.h>

namespace korvanta::robustness {

ScratchDir::ScratchDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "korvanta-robust-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a scratch folder");
    path_ = pattern;
    // Open to other users: some tests run the command-line tool as one.
    chmod(path_.c_str(), 0755);
}

ScratchDir::~ScratchDir()
{
    std::error_code ignored;
    // Folders made read-only by a test must be writable again to be removed.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ignored);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
        if (it->is_directory(ignored)) chmod(it->path().c_str(), 0755);
    }
    std::filesystem::remove_all(path_, ignored);
}

std::string ReadBytes(const std::string& fileName)
{
    std::ifstream in(fileName, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::string& fileName, const std::string& bytes)
{
    std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + fileName);
}

namespace {
std::string textRecord(const std::string& text)
{
    std::string r(50, '\0');
    r[0] = static_cast<char>(text.size() & 0xFF);
    r[1] = static_cast<char>((text.size() >> 8) & 0xFF);
    r.replace(2, std::min<std::size_t>(text.size(), 48), text.substr(0, 48));
    return r;
}
std::string integerRecord(int value)
{
    std::string r(50, '\0');
    r[0] = static_cast<char>(value & 0xFF);
    r[1] = static_cast<char>((value >> 8) & 0xFF);
    return r;
}
}  // namespace

std::string ProjectFile(const std::vector<std::string>& lines)
{
    std::string file = textRecord("Korvanta");
    for (int check : {0, 0, 1, 1}) file += integerRecord(check);
    for (const char* field : {"00", "00", "00", "00", "00", "00", "00", "0BBB", "0000", "00"}) file += textRecord(field);
    file += textRecord("###Start###");
    for (const auto& line : lines) file += textRecord(line);
    file += textRecord("###END###");
    file += textRecord("END");
    return file;
}

std::vector<std::string> FolderContents(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace korvanta::robustness
