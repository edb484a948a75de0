#pragma once

// Runs the command-line tool in a child process the way a hostile world
// would: with a cap on file size, as an unprivileged user, with a deadline.

#include <string>
#include <vector>

namespace korvanta::robustness {

struct ChildLimits {
    long maxFileBytes = -1;  // RLIMIT_FSIZE for the child; -1: unchanged
    bool unprivileged = false;  // when started as root, run as "nobody"
    int deadlineSeconds = 120;
};

struct ChildResult {
    bool exited = false;  // false: killed by a signal or by the deadline
    int exitCode = -1;
    int signal = 0;
    bool timedOut = false;
    std::string out;
    std::string err;
    double seconds = 0;

    std::string describe() const;
};

ChildResult RunCli(const std::vector<std::string>& args, const ChildLimits& limits = {});

}  // namespace korvanta::robustness
