#pragma once

// Runs the built korvanta-cli as a child process in a scratch directory and
// collects its exit status, stdout and stderr.

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

using Json = nlohmann::ordered_json;
// JSON pointer into the report, and the value expected there (null: absent).
using Expect = std::vector<std::pair<std::string, Json>>;

inline std::string readFile(const std::filesystem::path& path)
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

struct CliResult {
    int exitCode = -1;
    std::string out, err;
    Json json() const { return Json::parse(out); }
};

class CliTest : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directories(dir_); }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string path(const std::string& name) const { return (dir_ / name).string(); }
    std::string write(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(path(name), std::ios::binary) << bytes;
        return name;  // korvanta-cli runs in the scratch directory
    }

    // ARGS are shell words; stdin is empty, and a crash shows as an exit code above 128.
    CliResult cli(const std::string& args) const
    {
        std::string command = "cd " + quoted(dir_.string()) + " && " + quoted(KORVANTA_CLI_PATH) + " " + args;
        int status = std::system((command + " </dev/null >.stdout 2>.stderr").c_str());
        CliResult r{WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(path(".stdout")),
                    readFile(path(".stderr"))};
        EXPECT_LT(r.exitCode, 128) << "korvanta-cli did not exit normally: " << r.err;
        return r;
    }

    static std::string quoted(const std::string& word)
    {
        std::string text = "'";
        for (char c : word) text += c == '\'' ? std::string("'\\''") : std::string(1, c);
        return text + "'";
    }

    std::filesystem::path dir_ = std::filesystem::temp_directory_path() /
                                 ("korvanta-cli-test-" + std::to_string(getpid()));
};

}  // namespace korvanta::clitest
