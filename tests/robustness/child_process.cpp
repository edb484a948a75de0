#include "robustness/child_process.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "robustness/scratch.h"

namespace korvanta::robustness {

std::string ChildResult::describe() const
{
    std::string d = timedOut ? "timed out" : exited ? "exit " + std::to_string(exitCode) : "signal " + std::to_string(signal);
    return d + " after " + std::to_string(seconds) + " s; stderr: " + err.substr(0, 600);
}

ChildResult RunCli(const std::vector<std::string>& args, const ChildLimits& limits)
{
    ScratchDir capture;
    const std::string outName = capture.file("stdout");
    const std::string errName = capture.file("stderr");

    std::vector<std::string> argv{KORVANTA_CLI_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> raw;
    for (auto& a : argv) raw.push_back(a.data());
    raw.push_back(nullptr);

    // Everything the child needs is prepared before fork: after it, only
    // async-signal-safe calls.
    uid_t nobodyUid = 0;
    gid_t nobodyGid = 0;
    const bool dropPrivileges = limits.unprivileged && geteuid() == 0;
    if (dropPrivileges) {
        const passwd* pw = getpwnam("nobody");
        nobodyUid = pw ? pw->pw_uid : 65534;
        nobodyGid = pw ? pw->pw_gid : 65534;
    }
    const int outFd = open(outName.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    const int errFd = open(errName.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);

    const auto started = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(outFd, 1);
        dup2(errFd, 2);
        int devNull = open("/dev/null", O_RDONLY);
        dup2(devNull, 0);
        if (limits.maxFileBytes >= 0) {
            // A file that hits the cap fails its write with EFBIG, as on a full disk.
            signal(SIGXFSZ, SIG_IGN);
            rlimit cap{static_cast<rlim_t>(limits.maxFileBytes), RLIM_INFINITY};
            getrlimit(RLIMIT_FSIZE, &cap);
            cap.rlim_cur = static_cast<rlim_t>(limits.maxFileBytes);
            if (setrlimit(RLIMIT_FSIZE, &cap) != 0) _exit(125);
        }
        if (dropPrivileges) {
            if (setgroups(0, nullptr) != 0 || setgid(nobodyGid) != 0 || setuid(nobodyUid) != 0) _exit(126);
        }
        execv(raw[0], raw.data());
        _exit(127);
    }
    close(outFd);
    close(errFd);

    ChildResult result;
    int status = 0;
    const auto deadline = started + std::chrono::seconds(limits.deadlineSeconds);
    for (;;) {
        pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) break;
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            result.timedOut = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    result.exited = !result.timedOut && WIFEXITED(status);
    if (result.exited) result.exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
    result.out = ReadBytes(outName);
    result.err = ReadBytes(errName);
    return result;
}

}  // namespace korvanta::robustness
