#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include <unistd.h>

#include "assembler/program_source.h"
#include "documents/documents.h"
#include "machine/machine.h"
#include "support/fake_host.h"

namespace korvanta::testing {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

// Project file records written by hand from the layout: a 16-bit little-endian value, text, zeros up to 50.
inline std::string Record(int value, const std::string& text = "")
{
    return std::string{static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF)} + text +
           std::string(48 - text.size(), '\0');
}
inline std::string Texts(const Lines& texts)
{
    std::string r;
    for (const std::string& t : texts) r += Record(static_cast<int>(t.size()), t);
    return r;
}
inline std::string ReadFile(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class DocumentsTest : public ::testing::Test {
protected:
    DocumentsTest()
    {
        fs::create_directories(dir);
        m.document.StartDirectory = "/start";
        m.memory.SetupTheMemoryWindow("0");
        docs.quitRequested.connect([this] { ++quits; });
    }
    ~DocumentsTest() override { fs::remove_all(dir); }

    std::string path(const std::string& name) const { return (dir / name).string(); }
    void write(const char* name, const std::string& b) { std::ofstream(dir / name, std::ios::binary) << b; }
    // Opens the save dialog, picks an option and presses Ok; the file dialog answers with name.
    void saveDialogOk(void (Documents::*option)(), std::optional<std::string> name, int withMemory = 0)
    {
        docs.ShowSaveDialog();
        (docs.*option)();
        docs.saveDialog.Check1.set(withMemory);
        host.fileNames.push_back(std::move(name));
        docs.SaveDialog_Ok();
    }

    FakeHost host;
    Machine m{host};
    ProgramSource source{m};
    Documents docs{m, source};
    const fs::path dir =
        fs::temp_directory_path() / ("korvanta-docs-" + std::to_string(::getpid()) + "-" +
                                     ::testing::UnitTest::GetInstance()->current_test_info()->name());
    int quits = 0;
};

}  // namespace korvanta::testing
