#pragma once

// Runs the built korvanta-cli as a child process in a scratch folder and collects its exit status,
// stdout and stderr; builds project files record by record.

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace korvanta::clitest {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;
// JSON pointer into the report, and the value expected there (null: absent).
using Expect = std::vector<std::pair<std::string, Json>>;

inline std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline void expectReport(const Json& report, const Expect& expect)
{
    for (const auto& [pointer, value] : expect) {
        Json::json_pointer at(pointer);
        EXPECT_EQ(report.contains(at) ? report.at(at) : Json(), value) << pointer;
    }
}

// A project as the save procedure writes it: 50-byte records, a 16-bit number and, for texts, the text.
inline std::string record(int value, const std::string& text = "")
{
    std::string r(50, '\0');
    r[0] = static_cast<char>(value & 0xFF);
    r[1] = static_cast<char>(value >> 8);
    return r.replace(2, text.size(), text);
}

inline std::string project(std::vector<std::string> lines, int justCompile = 0, const std::string& a = "00")
{
    std::string bytes = record(8, "Korvanta") + record(justCompile) + record(0) + record(1) + record(1);
    lines.insert(lines.begin(), {a, "00", "00", "00", "00", "00", "00", "0BBB", "0000", "00", "###Start###"});
    lines.insert(lines.end(), {"###END###", "END"});
    for (const std::string& text : lines) bytes += record(static_cast<int>(text.size()), text);
    return bytes;
}

struct CliResult {
    int exitCode = -1;
    std::string out, err;
    Json json() const { return Json::parse(out); }
};

struct CliLimits {
    bool asNobody = false;  // when root, run as user nobody so that folder permissions hold
    long maxFileBlocks = -1;  // ulimit -f in 512-byte blocks: a longer write fails as on a full disk
};

class CliTest : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(dir_); }
    void TearDown() override
    {
        // Folders a test made read-only must be writable again to be removed.
        for (const auto& entry : fs::recursive_directory_iterator(dir_))
            if (entry.is_directory()) fs::permissions(entry, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(dir_);
    }

    std::string path(const std::string& name) const { return (dir_ / name).string(); }
    std::string write(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(path(name), std::ios::binary) << bytes;
        return name;  // korvanta-cli runs in the scratch directory
    }

    // ARGS are shell words; stdin is empty. A crash or a sanitizer report fails the test.
    CliResult cli(const std::string& args, const CliLimits& limits = {}) const
    {
        std::string command = "cd " + quoted(dir_.string()) + " && ";
        if (limits.maxFileBlocks >= 0)
            command += "ulimit -f " + std::to_string(limits.maxFileBlocks) + " && ";
        if (limits.asNobody && geteuid() == 0)
            command += "setpriv --reuid=65534 --regid=65534 --clear-groups ";
        command += quoted(KORVANTA_CLI_PATH) + " " + args;
        int status = std::system(("trap '' XFSZ; " + command + " </dev/null >.stdout 2>.stderr").c_str());
        const int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        CliResult r{code, readFile(path(".stdout")), readFile(path(".stderr"))};
        EXPECT_LT(r.exitCode, 128) << "korvanta-cli did not exit normally: " << r.err;
        for (const char* report : {"Sanitizer", "runtime error"})
            EXPECT_EQ(r.err.find(report), std::string::npos) << r.err;
        return r;
    }

    static std::string quoted(const std::string& word)
    {
        std::string text = "'";
        for (char c : word) text += c == '\'' ? std::string("'\\''") : std::string(1, c);
        return text + "'";
    }

    fs::path dir_ = fs::temp_directory_path() / ("korvanta-cli-test-" + std::to_string(getpid()));
};

}  // namespace korvanta::clitest
