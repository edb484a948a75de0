#pragma once

// Runs korvanta-cli as a child process in a scratch directory and collects
// its exit status, stdout and stderr.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

extern char** environ;

namespace korvanta::clitest {

struct CliResult {
    int exitCode = -1;
    std::string out;
    std::string err;

    nlohmann::ordered_json json() const { return nlohmann::ordered_json::parse(out); }
    std::vector<std::string> errLines() const
    {
        std::vector<std::string> lines;
        std::istringstream in(err);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
};

inline std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void writeFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

// A fixture with its own scratch directory, which is also the child's
// working directory.
class CliTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "korvanta-cli-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override
    {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

    std::filesystem::path path(const std::string& name) const { return dir_ / name; }

    std::string write(const std::string& name, const std::string& bytes) const
    {
        writeFile(path(name), bytes);
        return path(name).string();
    }

    CliResult cli(const std::vector<std::string>& args) const
    {
        std::vector<std::string> argv{KORVANTA_CLI_PATH};
        argv.insert(argv.end(), args.begin(), args.end());
        std::vector<char*> cargs;
        for (auto& a : argv) cargs.push_back(a.data());
        cargs.push_back(nullptr);

        const std::string outFile = (dir_ / ".stdout").string();
        const std::string errFile = (dir_ / ".stderr").string();
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addchdir_np(&actions, dir_.c_str());

        CliResult result;
        pid_t pid = 0;
        int spawned = posix_spawn(&pid, argv[0].c_str(), &actions, nullptr, cargs.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0) {
            ADD_FAILURE() << "cannot start " << argv[0];
            return result;
        }
        int status = 0;
        waitpid(pid, &status, 0);
        if (WIFEXITED(status)) {
            result.exitCode = WEXITSTATUS(status);
        } else {
            ADD_FAILURE() << "korvanta-cli died with signal " << WTERMSIG(status);
        }
        result.out = readFile(outFile);
        result.err = readFile(errFile);
        return result;
    }

    // Writes the program text and runs it with --json and the extra options.
    CliResult runText(const std::string& program, std::vector<std::string> options = {}) const
    {
        std::vector<std::string> args{"run", write("program.asm", program), "--json"};
        args.insert(args.end(), options.begin(), options.end());
        return cli(args);
    }

    std::filesystem::path dir_;
};

}  // namespace korvanta::clitest
