#pragma once

// Runs the built korvanta-cli as a child process in a scratch directory and
// collects its exit status, stdout and stderr.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

extern char** environ;

namespace korvanta::clitest {

using Json = nlohmann::ordered_json;
// JSON pointer into the report, and the value expected there.
using Expect = std::vector<std::pair<std::string, Json>>;

inline std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

struct CliResult {
    int exitCode = -1;
    std::string out, err;
    Json json() const { return Json::parse(out); }
    std::vector<std::string> errLines() const
    {
        std::vector<std::string> lines;
        std::istringstream in(err);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
};

inline void expectReport(const Json& report, const Expect& expect)
{
    for (const auto& [pointer, value] : expect) {
        Json::json_pointer at(pointer);
        EXPECT_EQ(report.contains(at) ? report.at(at) : Json(), value) << pointer;
    }
}

class CliTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "korvanta-cli-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::filesystem::path path(const std::string& name) const { return dir_ / name; }
    std::string write(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(path(name), std::ios::binary) << bytes;
        return path(name).string();
    }

    CliResult cli(std::vector<std::string> args) const
    {
        args.insert(args.begin(), KORVANTA_CLI_PATH);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        const std::string outFile = path(".stdout").string(), errFile = path(".stderr").string();
        posix_spawn_file_actions_t actions;  // stdin empty, stdout and stderr to files, cwd the scratch directory
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addchdir_np(&actions, dir_.c_str());
        CliResult result;
        pid_t pid = 0;
        int status = 0;
        if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
            ADD_FAILURE() << "cannot start " << argv[0];
        } else if (waitpid(pid, &status, 0) == pid && WIFEXITED(status)) {
            result.exitCode = WEXITSTATUS(status);
        } else {
            ADD_FAILURE() << "korvanta-cli did not exit normally (signal " << WTERMSIG(status) << ")";
        }
        posix_spawn_file_actions_destroy(&actions);
        result.out = readFile(outFile);
        result.err = readFile(errFile);
        return result;
    }

    CliResult runText(const std::string& program, std::vector<std::string> options = {}) const
    {
        options.insert(options.begin(), {"run", write("program.asm", program), "--json"});
        return cli(options);
    }

    std::filesystem::path dir_;
};

}  // namespace korvanta::clitest
