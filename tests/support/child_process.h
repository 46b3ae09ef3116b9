// Starts the built programs as a shell would in the foreground, with the
// limits, standard streams and cgroup a test asks for, and waits for them.
#pragma once

#include <sys/resource.h>
#include <sys/types.h>

#include <string>
#include <vector>

namespace kelmoro::test {

// kelmoro-cli as built (from KELMORO_CLI); empty when not set.
std::string CliProgram();

// kelmoro as built, for a test program built knowing where it is (the
// definition KELMORO_DESKTOP_PROGRAM); empty otherwise.
inline std::string DesktopProgram() {
#ifdef KELMORO_DESKTOP_PROGRAM
    return KELMORO_DESKTOP_PROGRAM;
#else
    return std::string();
#endif
}

// The whole text of a file; empty when it cannot be read.
std::string Slurp(const std::string& path);

struct Launch {
    std::string program;
    std::vector<std::string> arguments;
    std::string stdoutPath;  // empty: stdout closed
    std::string stderrPath;
    rlim_t fileSizeLimit = RLIM_INFINITY;
    std::string cgroupProcs = {};  // a cgroup's process list to join, if any
};

// Starts the program as a shell would start it in the foreground: SIGINT,
// SIGTERM and SIGHUP at their default actions, none blocked; and without a
// display, so that kelmoro converts on the console.
pid_t Start(const Launch& launch);

// The wait status of `pid` once it has ended.
int WaitFor(pid_t pid);

}  // namespace kelmoro::test
