#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

#include "assembler/program_source.h"
#include "documents/documents.h"
#include "machine/machine.h"
#include "support/fake_host.h"

namespace korvanta::testing {

namespace fs = std::filesystem;

// Records of a project file, written out by hand from the file layout.
inline std::string TextRecord(const std::string& s)
{
    std::string r{static_cast<char>(s.size() & 0xFF), static_cast<char>(s.size() >> 8)};
    r += s;
    r.resize(50, '\0');
    return r;
}
inline std::string IntRecord(int v)
{
    std::string r{static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)};
    r.resize(50, '\0');
    return r;
}

inline std::string ReadFile(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}
inline void WriteFile(const fs::path& p, const std::string& bytes)
{
    std::ofstream(p, std::ios::binary) << bytes;
}

class DocumentsTest : public ::testing::Test {
protected:
    DocumentsTest()
    {
        static std::atomic<int> counter{0};
        dir = fs::temp_directory_path() /
              ("korvanta-docs-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        fs::create_directories(dir);
        m.document.StartDirectory = "/start";
        m.memory.SetupTheMemoryWindow("0");
        docs.quitRequested.connect([this] { ++quits; });
    }
    ~DocumentsTest() override { fs::remove_all(dir); }

    std::string path(const std::string& name) const { return (dir / name).string(); }
    void program(std::initializer_list<const char*> lines)
    {
        for (const char* l : lines) source.AppendLine(l);
    }
    // A project file as our layout defines it, for the default machine state.
    static std::string DefaultHeader()
    {
        std::string b = TextRecord("Korvanta") + IntRecord(0) + IntRecord(0) + IntRecord(1) + IntRecord(1);
        for (int i = 0; i < 7; ++i) b += TextRecord("00");
        return b + TextRecord("0BBB") + TextRecord("0000") + TextRecord("00") + TextRecord("###Start###");
    }

    FakeHost host;
    Machine m{host};
    ProgramSource source{m};
    Documents docs{m, source};
    fs::path dir;
    int quits = 0;
};

}  // namespace korvanta::testing
